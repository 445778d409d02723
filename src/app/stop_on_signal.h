#pragma once

#include <QTimer>
#include <functional>

#include "hw/call_trace.h"
#include "hw/motion_library.h"
#include "hw/slot_table.h"

namespace velmira {

// What SIGTERM, SIGINT and SIGHUP do: stop the axes of every registered module,
// write out the trace and end by the signal. The libraries take one caller at
// a time, so while a call is under way on another thread (a two-axis home
// search) the stop waits for it to return; a second signal meanwhile ends the
// program at once.
class StopOnSignal {
  public:
    // How the program ends: UnixSignals::endBySignal outside tests.
    using End = std::function<void(int signo)>;

    StopOnSignal(const SlotTable& table, const Hardware& hw, CallTrace* trace, End end);

    // On the GUI thread, from the event loop.
    void onSignal(int signo);
    // Once the event loop has ended: a signal that came but was not acted on
    // (`unserved`, or one whose stop still waited) ends the run now, as soon as
    // no call is under way.
    void finish(int unserved);

    static constexpr int kPollMs = 50;

  private:
    void stopAndEnd(int signo);
    void end(int signo);

    const SlotTable& table_;
    Hardware hw_;
    CallTrace* trace_;
    End end_;
    QTimer poll_;
    int waiting_ = 0;
};

}  // namespace velmira
