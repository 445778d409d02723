#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hw/motion_library.h"
#include "hw/motion_modes.h"

namespace velmira {

// The working values as read at the press, in pulses and pulses per second.
struct PathValues {
    std::int32_t vsv = 0, vv = 0, va = 0, vd = 0, vk = 0, vl = 0, vao = 0;
    std::int32_t fp1 = 0, fp2 = 0, fp3 = 0, cp1 = 0, cp2 = 0;
};

struct InterpolationRequest {
    std::uint8_t card = 0;
    // The module axes taken as the first, second and third interpolation axis:
    // X 1, Y 2, Z 4, U 8, 0 for none.
    std::uint16_t axis1 = 0, axis2 = 0, axis3 = 0;
    // The checked buttons; none where a group has none checked.
    std::optional<PathMode> mode;
    std::optional<Profile> profile;
    std::optional<Symmetry> symmetry;
    std::optional<ArcDirection> direction;
    bool forward = true;
    PathValues values;
};

// All three disposition axes must differ, whatever the mode.
constexpr bool dispositionClashes(std::uint16_t a1, std::uint16_t a2, std::uint16_t a3) {
    return a1 == a2 || a1 == a3 || a2 == a3;
}

// The axes of the disposition as one mask: their union, so that two lists on
// the same axis name that axis once rather than adding up to another one.
constexpr std::uint16_t dispositionMask(std::uint16_t a1, std::uint16_t a2, std::uint16_t a3) {
    return static_cast<std::uint16_t>(a1 | a2 | a3);
}

// The values a run passes: Backward runs the finish and centre points (and
// nothing else) the other way.
PathValues valuesPassed(const InterpolationRequest& request);

// The values a run passes to the library; a field holding none of them never
// stops a press. None for clashing axes, which make no call.
std::vector<std::int32_t PathValues::*> pathValuesUsed(const InterpolationRequest& request);

struct InterpolationRun {
    bool refused = false;           // clashing axes: no call, no row
    std::vector<std::string> rows;  // rows 1, 2, ... of the block (row 0 has no call)
};

// Assigns the axes, sets the vector speed profile and starts the line, arc or
// circle on the four-axis module; Backward runs the finish and centre points
// the other way.
InterpolationRun RunInterpolation(MotionLibrary& lib, const InterpolationRequest& request);

}  // namespace velmira
