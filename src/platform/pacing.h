#pragma once

#include <functional>

namespace velmira {

// How a sequence waits: the platform's sleep and message pump. The program
// uses the real ones; a test that drives the screens on a clock of its own
// lets time pass instead of sleeping.
class Pacing {
  public:
    virtual ~Pacing() = default;
    virtual void sleepMs(int ms) = 0;
    virtual void doEvents() = 0;

    // Runs `work` on a thread of its own while this thread's messages keep
    // running, and returns once it has ended: a call that blocks for minutes
    // leaves the window alive. The caller makes sure that nothing the work
    // touches is used meanwhile.
    virtual void runAside(const std::function<void()>& work);

    // The real sleep and pump.
    static Pacing& real();
};

}  // namespace velmira
