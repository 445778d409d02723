#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "basic/motion_target.h"
#include "hw/motion_library.h"
#include "hw/motion_modes.h"

namespace velmira {

// The two-axis module's jog and homing always set this maximum speed.
inline constexpr std::int32_t kQuenbyMaxSpeed = 2000000;

// The parameter fields as read at the press.
struct JogValues {
    std::int32_t sv = 0, v = 0, a = 0, d = 0, k = 0, l = 0, p = 0, ao = 0;
};

struct JogRequest {
    MotionTarget target;
    DrivingMode drivingMode = DrivingMode::PointToPoint;
    Profile profile = Profile::TCurve;  // a constant speed sets no profile
    Symmetry symmetry = Symmetry::Symmetric;
    bool forward = true;
    JogValues values;
};

// The values a jog passes to the library; a field holding none of them never
// stops a press. None for kind none, which has no library.
std::vector<std::int32_t JogValues::*> jogValuesUsed(const JogRequest& request);

// Issues the jog on the target's library and returns the command texts of its
// block's rows 1, 2, ... (row 0, the block's first, has none).
std::vector<std::string> RunJogSequence(MotionLibrary& lib, const JogRequest& request,
                                        const SettingsImage& settings);

// The on-the-fly changes: a new speed, acceleration or distance for the move
// under way. The distance is passed as entered, without the jog's direction.
enum class OnTheFly { Speed, Acceleration, Distance };
void changeOnTheFly(MotionLibrary* lib, const MotionTarget& target, OnTheFly what,
                    std::int32_t value);

void switchServo(MotionLibrary* lib, const MotionTarget& target, bool on);

// A slow, decelerating stop, then the card's stop state cleared.
void stopSlowly(MotionLibrary* lib, const MotionTarget& target);

}  // namespace velmira
