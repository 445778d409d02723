#include "hw/call_trace.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "hw/call_text.h"
#include "platform/printable.h"

namespace velmira {

Result<std::unique_ptr<CallTrace>> CallTrace::open(const std::string& path) {
    // Creating through a dangling link would make a file wherever it points,
    // outside any folder the user named.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0 &&
        errno == ENOENT) {
        return Failure{printable(path) + ": a link to a file that is not there"};
    }
    OpenedFile opened = openForAppending(path, true);
    if (!opened.fd.valid()) {
        return Failure{printable(path) + ": " + fileErrorText(opened.error, path)};
    }
    return std::unique_ptr<CallTrace>(new CallTrace(std::move(opened.fd), path));
}

CallTrace::CallTrace(FileDescriptor fd, std::string path)
    : fd_(std::move(fd)), path_(std::move(path)) {}

CallTrace::~CallTrace() {
    flush();
}

void CallTrace::record(const std::string& call, std::int64_t result) {
    const std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - start_).count();
    if (run_.count > 0 && run_.result == result && run_.call == call) {
        ++run_.count;
        run_.lastUs = us;
    } else {
        endRunLocked();
        run_ = {call, result, us, us, 1};
    }
    if (now - lastFlush_ >= kFlushPeriod) flushLocked();
}

void CallTrace::endRunLocked() {
    if (run_.count == 0) return;
    buffer_ += std::to_string(run_.firstUs);
    buffer_ += ' ';
    buffer_ += run_.call;
    buffer_ += " -> ";
    buffer_ += std::to_string(run_.result);
    if (run_.count > 1) {
        buffer_ += " x" + std::to_string(run_.count) + " over " +
                   std::to_string(run_.lastUs - run_.firstUs) + " us";
    }
    buffer_ += '\n';
    run_.count = 0;
}

void CallTrace::flushIfDue() {
    const std::lock_guard lock(mutex_);
    if (Clock::now() - lastFlush_ >= kFlushPeriod) flushLocked();
}

void CallTrace::flush() {
    const std::lock_guard lock(mutex_);
    flushLocked();
}

void CallTrace::flushLocked() {
    lastFlush_ = Clock::now();
    endRunLocked();
    if (buffer_.empty()) return;
    if (!failed_) {
        if (const int error = writeAll(fd_.get(), buffer_.data(), buffer_.size())) {
            failed_ = true;
            std::fprintf(stderr, "velmira: --trace: %s: %s; the trace is incomplete\n",
                         printable(path_).c_str(), fileErrorText(error).c_str());
        }
    }
    buffer_.clear();
}

std::int64_t TracingMotionLibrary::dispatch(MotionOp op, std::span<const std::int64_t> args) {
    const std::int64_t result = inner_.dispatch(op, args);
    trace_.record(callText(functionName(libraryPrefix(kind()), opInfo(op).name), args), result);
    return result;
}

std::uint32_t TracingBackplane::GetSlotAddr(std::uint8_t slot) {
    const std::uint32_t r = inner_.GetSlotAddr(slot);
    const std::int64_t args[] = {slot};
    trace_.record(callText("GetSlotAddr", args), r);
    return r;
}

std::uint32_t TracingBackplane::IoReadByte(std::uint32_t address) {
    const std::uint32_t r = inner_.IoReadByte(address);
    const std::int64_t args[] = {address};
    trace_.record(callText("IoReadByte", args), r);
    return r;
}

}  // namespace velmira
