#include "app/stop_on_signal.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "hw/stop_modules.h"

namespace velmira {
namespace {

std::string signalName(int signo) {
    switch (signo) {
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGHUP:
            return "SIGHUP";
    }
    return "signal " + std::to_string(signo);
}

}  // namespace

StopOnSignal::StopOnSignal(const SlotTable& table, const Hardware& hw, CallTrace* trace, End end)
    : table_(table), hw_(hw), trace_(trace), end_(std::move(end)) {
    poll_.setInterval(kPollMs);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
        if (!MotionLibrary::callInFlight()) stopAndEnd(waiting_);
    });
}

void StopOnSignal::onSignal(int signo) {
    // A reader of standard error that went with the terminal must not end the
    // program before the axes are stopped.
    std::signal(SIGPIPE, SIG_IGN);
    if (waiting_) {
        std::fprintf(stderr,
                     "velmira: %s while waiting: ending at once, without stopping the axes\n",
                     signalName(signo).c_str());
        end(signo);
        return;
    }
    if (!MotionLibrary::callInFlight()) {
        stopAndEnd(signo);
        return;
    }
    std::fprintf(stderr,
                 "velmira: %s: stopping the axes and ending as soon as the library's running call "
                 "returns (a second signal ends at once)\n",
                 signalName(signo).c_str());
    waiting_ = signo;
    poll_.start();
}

void StopOnSignal::finish(int unserved) {
    const int signo = waiting_ ? waiting_ : unserved;
    if (!signo) return;
    while (MotionLibrary::callInFlight())
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    stopAndEnd(signo);
}

void StopOnSignal::stopAndEnd(int signo) {
    stopRegisteredModules(table_, hw_);
    end(signo);
}

void StopOnSignal::end(int signo) {
    poll_.stop();
    waiting_ = 0;
    if (trace_) trace_->flush();
    end_(signo);
}

}  // namespace velmira
