#include "hw/call_trace.h"

#include <cstdio>

#include "hw/call_text.h"

namespace velmira {

CallTrace::OpenResult CallTrace::open(const std::string& path) {
    OpenedFile opened = openForAppending(path, true);
    if (!opened.fd.valid()) return {nullptr, path + ": " + fileErrorText(opened.error, path)};
    return {std::unique_ptr<CallTrace>(new CallTrace(std::move(opened.fd), path)), {}};
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
    buffer_ += std::to_string(us);
    buffer_ += ' ';
    buffer_ += call;
    buffer_ += " -> ";
    buffer_ += std::to_string(result);
    buffer_ += '\n';
    if (now - lastFlush_ >= kFlushPeriod) flushLocked();
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
    if (buffer_.empty()) return;
    if (!failed_) {
        if (const int error = writeAll(fd_.get(), buffer_.data(), buffer_.size())) {
            failed_ = true;
            std::fprintf(stderr, "velmira: --trace: %s: %s; the trace is incomplete\n",
                         path_.c_str(), fileErrorText(error).c_str());
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
