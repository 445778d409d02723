#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmira {

// A library call as the command lists and the trace show it:
// "lorvexMF_SET_V(1,2,20000)".
std::string callText(std::string_view function, std::span<const std::int64_t> args);

// The C name of an operation for a kind: prefix and operation name.
std::string functionName(std::string_view prefix, std::string_view op);

}  // namespace velmira
