#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "hw/motion_library.h"
#include "platform/host_file.h"
#include "platform/result.h"

namespace velmira {

// The call trace: one line per library call, in call order, with the time
// since the start in microseconds, the call with the values actually passed,
// and its result. A run of the same call with the same result, one after
// another (a home search polls every millisecond), is one line with its count
// and the microseconds from its first call to its last:
//   "1523 lorvexMF_HOME_WAIT(1,1) -> 0 x48 over 49123 us".
// Lines are buffered and written at least every 100 ms (the owner calls
// flushIfDue() from a timer; a call also flushes when one is due) and at the
// end, so polling costs no disk wait; a flush ends the run it finds.
class CallTrace {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kFlushPeriod{100};

    // Appends to the file, creating it when absent: a regular file or a
    // terminal, never a pipe or another device that could block or swallow it.
    static Result<std::unique_ptr<CallTrace>> open(const std::string& path);

    ~CallTrace();
    CallTrace(const CallTrace&) = delete;
    CallTrace& operator=(const CallTrace&) = delete;

    void record(const std::string& call, std::int64_t result);
    void flushIfDue();
    void flush();

    // Whether every line reached the file. The first write that fails says so
    // once on standard error; the lines after it are dropped.
    bool complete() const { return !failed_.load(); }

  private:
    CallTrace(FileDescriptor fd, std::string path);

    void flushLocked();
    void endRunLocked();

    struct Run {
        std::string call;
        std::int64_t result = 0;
        std::int64_t firstUs = 0;
        std::int64_t lastUs = 0;
        std::int64_t count = 0;  // 0: no run under way
    };

    // A call may come from a worker thread (a two-axis home search) while a
    // timer flushes on the GUI thread.
    std::mutex mutex_;
    FileDescriptor fd_;
    std::string path_;
    std::atomic<bool> failed_{false};
    std::string buffer_;
    Run run_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastFlush_ = start_;
};

// Puts any motion library behind the trace.
class TracingMotionLibrary final : public MotionLibrary {
  public:
    TracingMotionLibrary(MotionLibrary& inner, CallTrace& trace)
        : MotionLibrary(inner.kind()), inner_(inner), trace_(trace) {}
    std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) override;

  private:
    MotionLibrary& inner_;
    CallTrace& trace_;
};

class TracingBackplane final : public Backplane {
  public:
    TracingBackplane(Backplane& inner, CallTrace& trace) : inner_(inner), trace_(trace) {}
    std::uint32_t GetSlotAddr(std::uint8_t slot) override;
    std::uint32_t IoReadByte(std::uint32_t address) override;

  private:
    Backplane& inner_;
    CallTrace& trace_;
};

}  // namespace velmira
