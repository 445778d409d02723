#pragma once

#include <cstdint>

#include "hw/module_kind.h"
#include "settings/settings_image.h"
#include "state/app_state.h"

namespace velmira {

// The module and axes a press acts on, taken from the selection at the press.
struct MotionTarget {
    ModuleKind kind = ModuleKind::None;
    std::uint8_t card = 0;
    std::uint32_t mask = 0;
    std::int32_t axisIndex = 0;
};

inline MotionTarget currentTarget(const AppState& s) {
    return {s.currentKind, s.currentCard, s.currentAxisMask, s.currentAxisIndex};
}

// The maximum speed a jog or a homing of the four-axis module sets: the
// Configuration screen's MaxV of the axis. A whole module takes its X axis's
// value, which the Configuration screen's whole-module settings write (index
// 4 would be the next slot's X axis). A MaxV never set (0) is the default the
// Configuration screen shows for it, not a maximum speed of 0.
inline std::int32_t configuredMaxSpeed(const SettingsImage& settings, const MotionTarget& t) {
    const int axis = t.axisIndex >= kAxisColumns ? 0 : t.axisIndex;
    const std::int32_t stored = settings.record(t.card, axis).maxV.first;
    return stored != 0 ? stored : kDefaultMaxSpeed;
}

}  // namespace velmira
