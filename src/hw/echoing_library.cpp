#include "hw/echoing_library.h"

#include "hw/call_text.h"

namespace velmira {

std::int64_t EchoingMotionLibrary::dispatch(MotionOp op, std::span<const std::int64_t> args) {
    const bool make = !std::exchange(rowOnly_, false);
    const auto typed = std::exchange(typed_, std::nullopt);
    const std::int64_t result = make ? inner_.dispatch(op, args) : 0;
    std::vector<std::int64_t> shown(args.begin(), args.end());
    if (typed && typed->first < shown.size()) shown[typed->first] = typed->second;
    rows_.push_back(callText(functionName(libraryPrefix(kind()), opInfo(op).name), shown));
    if (written_) written_(rows_.back());
    return result;
}

}  // namespace velmira
