#include "hw/discovery.h"

#include "hw/module_labels.h"

namespace velmira {

namespace {

void probeSlot(SlotTable& table, Backplane& backplane, int slot) {
    SlotEntry& entry = table.entries[slot];
    entry.address = backplane.GetSlotAddr(static_cast<std::uint8_t>(slot));
    // Only the low byte is the ID, whatever else the bus returns.
    entry.id = static_cast<std::uint8_t>(backplane.IoReadByte(entry.address) & 0xFF);
    if (kindForId(entry.id) != ModuleKind::None) ++table.moduleCount;
}

}  // namespace

void probeSlots(SlotTable& table, Backplane& backplane) {
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) probeSlot(table, backplane, slot);
}

std::vector<int> probeAndRegister(SlotTable& table, const Hardware& hw, std::uint8_t& currentCard) {
    std::vector<int> registered;
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        table.slotCursor = static_cast<std::uint8_t>(slot);
        currentCard = static_cast<std::uint8_t>(slot);
        probeSlot(table, *hw.backplane, slot);
        SlotEntry& entry = table.entries[slot];
        const ModuleKind kind = kindForId(entry.id);
        MotionLibrary* lib = hw.library(kind);
        if (!lib || lib->REGISTRATION(currentCard, currentCard) != 1) continue;
        const int column = entry.id == kIdQuenby ? 0 : entry.id == kIdLorvex ? 1 : 2;
        entry.moduleLabel = kModuleLabels[slot][column];
        entry.axisLabels = {"", "", "", ""};
        for (int a = 0; a < axisCount(kind); ++a) entry.axisLabels[a] = kAxisLabels[a];
        entry.kind = kind;
        registered.push_back(slot);
    }
    return registered;
}

}  // namespace velmira
