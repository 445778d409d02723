#pragma once

#include <array>
#include <cstdint>

#include "hw/module_kind.h"

namespace velmira {

inline constexpr int kFirstSlot = 1;
inline constexpr int kLastSlot = 7;

struct SlotEntry {
    std::uint32_t address = 0;
    std::uint8_t id = 0;
    ModuleKind kind = ModuleKind::None;  // set only by a successful registration
    const char* moduleLabel = "";
    std::array<const char*, 4> axisLabels{"", "", "", ""};
};

// Indexed by slot number 1..7; entry 0 is never filled.
struct SlotTable {
    std::array<SlotEntry, kLastSlot + 1> entries{};
    std::uint32_t moduleCount = 0;  // modules found by any probe of this run
    std::uint8_t slotCursor = 0;
};

}  // namespace velmira
