#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace velmira {

// Hands Unix signals to the event loop. The handler only writes the signal's
// number into a pipe; a notifier on the pipe calls `received` on the thread
// that made this object, from whatever event loop runs there: a modal
// dialog's and a message pump's serve it too. One instance at a time.
class UnixSignals {
  public:
    using Handler = std::function<void(int signo)>;

    // A signal ignored at start stays ignored: nohup's SIGHUP, or SIGINT in a
    // shell's background job.
    UnixSignals(std::initializer_list<int> signos, Handler received);
    ~UnixSignals();
    UnixSignals(const UnixSignals&) = delete;
    UnixSignals& operator=(const UnixSignals&) = delete;

    // Empty when the signals are caught; otherwise why not, and they keep
    // their default action.
    const std::string& error() const { return error_; }

    // Gives the signals their default action back and returns the first that
    // came but was not yet handed on, 0 if none.
    int disarm();

    // Ends the process as the signal's default action does, so that the
    // parent sees it killed by that signal.
    [[noreturn]] static void endBySignal(int signo);

  private:
    std::vector<int> caught_;
    Handler received_;
    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::string error_;
};

}  // namespace velmira
