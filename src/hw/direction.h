#pragma once

#include <cstdint>
#include <limits>

namespace velmira {

// A distance run the other way. The one 32-bit number whose negation does not
// fit goes as far as the module can.
constexpr std::int32_t reversed(std::int32_t p) {
    return p == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max()
                                                         : -p;
}

}  // namespace velmira
