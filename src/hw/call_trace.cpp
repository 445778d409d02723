#include "hw/call_trace.h"

#include <cerrno>
#include <cstring>

#include "hw/call_text.h"

namespace velmira {

CallTrace::OpenResult CallTrace::open(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (!f) return {nullptr, path + ": " + std::strerror(errno)};
    return {std::unique_ptr<CallTrace>(new CallTrace(f)), {}};
}

CallTrace::CallTrace(std::FILE* file) : file_(file) {}

CallTrace::~CallTrace() {
    flush();
    std::fclose(file_);
}

void CallTrace::record(const std::string& call, std::int64_t result) {
    const auto now = Clock::now();
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - start_).count();
    buffer_ += std::to_string(us);
    buffer_ += ' ';
    buffer_ += call;
    buffer_ += " -> ";
    buffer_ += std::to_string(result);
    buffer_ += '\n';
    if (now - lastFlush_ >= kFlushPeriod) flush();
}

void CallTrace::flushIfDue() {
    if (Clock::now() - lastFlush_ >= kFlushPeriod) flush();
}

void CallTrace::flush() {
    lastFlush_ = Clock::now();
    if (buffer_.empty()) return;
    std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    std::fflush(file_);
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
