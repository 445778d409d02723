#pragma once

#include <string>
#include <string_view>

#include "state/app_state.h"

namespace velmira {

// Where a screen made a block of calls, for the comment a copy of the block
// starts with: "Basic Operation, Lorvex in Slot:1, Axis_Y". The module is named
// as the slot table names it; the axis only when one axis, not the whole
// module, is selected and the screen works on the tree's axis at all.
inline std::string selectionNote(std::string_view screen, const AppState& s, bool withAxis = true) {
    std::string note(screen);
    const bool slotKnown = s.currentCard >= kFirstSlot && s.currentCard <= kLastSlot;
    const SlotEntry* entry = slotKnown ? &s.slotTable.entries[s.currentCard] : nullptr;
    const std::string module =
        entry && *entry->moduleLabel ? std::string(entry->moduleLabel) : s.selectedModuleLabel;
    if (!module.empty()) note += ", " + module;
    const int axis = s.currentAxisIndex;
    if (withAxis && entry && axis >= 0 && axis < axisCount(s.currentKind) &&
        *entry->axisLabels[static_cast<std::size_t>(axis)]) {
        note += ", ";
        note += entry->axisLabels[static_cast<std::size_t>(axis)];
    }
    return note;
}

}  // namespace velmira
