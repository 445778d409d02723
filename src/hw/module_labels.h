#pragma once

#include <array>

#include "hw/slot_table.h"

namespace velmira {

// The module labels of every slot, in the order two-axis, four-axis, four-axis F.
// The screens read the kind from the first six characters and the slot from the
// last one, so every label keeps that shape. Row 0 is never used.
inline constexpr std::array<std::array<const char*, 3>, kLastSlot + 1> kModuleLabels{{
    {"", "", ""},
    {"Quenby in Slot:1", "Lorvex in Slot:1", "LorvexF in Slot:1"},
    {"Quenby in Slot:2", "Lorvex in Slot:2", "LorvexF in Slot:2"},
    {"Quenby in Slot:3", "Lorvex in Slot:3", "LorvexF in Slot:3"},
    {"Quenby in Slot:4", "Lorvex in Slot:4", "LorvexF in Slot:4"},
    {"Quenby in Slot:5", "Lorvex in Slot:5", "LorvexF in Slot:5"},
    {"Quenby in Slot:6", "Lorvex in Slot:6", "LorvexF in Slot:6"},
    {"Quenby in Slot:7", "Lorvex in Slot:7", "LorvexF in Slot:7"},
}};

inline constexpr std::array<const char*, 4> kAxisLabels{"Axis_X", "Axis_Y", "Axis_Z", "Axis_U"};

}  // namespace velmira
