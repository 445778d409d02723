#pragma once

#include <cstdint>
#include <string>

#include "hw/module_kind.h"

namespace velmira {

// What a tree selection stands for: one axis of a module, or the whole module.
struct ModuleSelection {
    ModuleKind kind = ModuleKind::None;
    std::uint8_t card = 0;
    std::uint32_t mask = 0;
    // X 0 .. U 3; a module node holds the module's axis count (2 or 4).
    std::int32_t axisIndex = 0;
    bool moduleNode = true;
    std::string moduleLabel;
    std::string axisLabel;  // empty for a module node
};

// The selection of axis `axis` (0..3) of a module, or of the module itself
// when `axis` is negative.
inline ModuleSelection selectionOf(ModuleKind kind, std::uint8_t card, int axis,
                                   std::string moduleLabel, std::string axisLabel = {}) {
    ModuleSelection s;
    s.kind = kind;
    s.card = card;
    s.moduleNode = axis < 0;
    s.mask = s.moduleNode ? allAxesMask(kind) : 1u << axis;
    s.axisIndex = s.moduleNode ? axisCount(kind) : axis;
    s.moduleLabel = std::move(moduleLabel);
    s.axisLabel = std::move(axisLabel);
    return s;
}

}  // namespace velmira
