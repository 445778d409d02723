#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmira {

// A library call as the command lists and the trace show it:
// "lorvexMF_SET_V(1,2,20000)".
std::string callText(std::string_view function, std::span<const std::int64_t> args);

// The C name of an operation for a kind: prefix and operation name.
std::string functionName(std::string_view prefix, std::string_view op);

// A block of echoed calls on its way into a user's program: where the calls
// were made ("Basic Operation, Lorvex in Slot:1, Axis_Y", or nothing) and the
// calls in the order they were made, empty rows included.
struct EchoedBlock {
    std::string note;
    std::vector<std::string> calls;
};

// The blocks as C, in the order given, ready to paste into a function of a
// program that includes velmira/motion_abi.h: each block's note as a comment
// line, then one statement per call, one a line. Empty calls are left out, and
// so is a block with no call at all, note and all.
std::string callsAsCode(std::span<const EchoedBlock> blocks);

}  // namespace velmira
