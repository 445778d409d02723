#pragma once

#include <cmath>

namespace velmira {

// Tick spacing of 1, 2 or 5 times a power of ten, about `count` ticks over
// `span`: what the plots' scales are marked in.
inline double tickStep(double span, int count) {
    const double raw = span / count;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * magnitude >= raw) return m * magnitude;
    }
    return 10 * magnitude;
}

}  // namespace velmira
