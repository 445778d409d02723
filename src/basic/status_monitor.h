#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "basic/motion_target.h"
#include "hw/motion_library.h"
#include "state/app_state.h"

namespace velmira {

struct AxisStatus {
    std::int32_t logicPosition = 0;
    std::int32_t encoderPosition = 0;
    // Logic minus encoder position, exact even where it leaves 32 bits.
    std::int64_t error = 0;
    std::int32_t currentSpeed = 0;
};

// Reads logic position, encoder position and current speed; no library leaves
// the status as it was.
void readAxisStatus(MotionLibrary* lib, const MotionTarget& target, AxisStatus& status);

// Where each lamp's value comes from, in reading order.
struct LampSource {
    bool errorBit;  // a bit of the error code, or else an input of GET_DI
    int number;
};
inline constexpr std::array<LampSource, kLampCount> kLampSources{{
    {false, 0},  // DRV
    {false, 1},  // LMT+
    {false, 2},  // LMT-
    {false, 3},  // EMG
    {false, 4},  // ALM
    {false, 5},  // ORG
    {false, 6},  // SD
    {false, 8},  // RDY (input 7, the index pulse, has no lamp)
    {true, 0},   // SLMT+
    {true, 1},   // SLMT-
}};

// A lamp shows "active" for a value of exactly 1.
constexpr bool lampActive(std::uint8_t value) {
    return value == 1;
}

using LampFlags = std::array<bool, kLampCount>;

// Reads every lamp's source into `read` (eight inputs and one error code) and
// returns the lamps whose value differs from what they show; those take the new
// value in `shown` and must be redrawn. The error code read goes to
// `errorCode` when given. No library reads nothing and changes nothing.
LampFlags updateSignalLamps(MotionLibrary* lib, const MotionTarget& target,
                            std::array<std::uint8_t, kLampCount>& read,
                            std::array<std::uint8_t, kLampCount>& shown,
                            std::uint32_t* errorCode = nullptr);

// Why the axis's last motion stopped or was refused, from the error code's
// stop bits ("stopped by LMT+", "servo alarm", ...); empty when none is set.
std::string stopCauseText(std::uint32_t errorCode);

}  // namespace velmira
