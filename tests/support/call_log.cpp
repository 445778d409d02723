#include "support/call_log.h"

#include "hw/call_text.h"

namespace velmira {

std::string Call::text() const {
    return callText(function, args);
}

std::int64_t CallLog::record(std::string function, std::vector<std::int64_t> args) {
    Call call{std::move(function), std::move(args), 0};
    if (auto r = responders_.find(call.function); r != responders_.end()) {
        call.result = r->second(call);
    } else if (auto f = results_.find(call.function); f != results_.end()) {
        call.result = f->second;
    }
    calls_.push_back(call);
    return call.result;
}

std::vector<std::string> CallLog::texts() const {
    std::vector<std::string> out;
    out.reserve(calls_.size());
    for (const Call& c : calls_) out.push_back(c.text());
    return out;
}

std::vector<std::string> CallLog::textsOf(const std::string& function) const {
    std::vector<std::string> out;
    for (const Call& c : calls_) {
        if (c.function == function) out.push_back(c.text());
    }
    return out;
}

std::int64_t RecordingMotionLibrary::dispatch(MotionOp op, std::span<const std::int64_t> args) {
    return log_.record(functionName(libraryPrefix(kind()), opInfo(op).name),
                       {args.begin(), args.end()});
}

std::uint32_t RecordingBackplane::GetSlotAddr(std::uint8_t slot) {
    return static_cast<std::uint32_t>(log_.record("GetSlotAddr", {slot}));
}

std::uint32_t RecordingBackplane::IoReadByte(std::uint32_t address) {
    return static_cast<std::uint32_t>(log_.record("IoReadByte", {address}));
}

}  // namespace velmira
