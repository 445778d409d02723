#include "hw/discovery.h"

namespace velmira {

void probeSlots(SlotTable& table, Backplane& backplane) {
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        SlotEntry& entry = table.entries[slot];
        entry.address = backplane.GetSlotAddr(static_cast<std::uint8_t>(slot));
        // Only the low byte is the ID, whatever else the bus returns.
        entry.id = static_cast<std::uint8_t>(backplane.IoReadByte(entry.address) & 0xFF);
        if (kindForId(entry.id) != ModuleKind::None) ++table.moduleCount;
    }
}

}  // namespace velmira
