#include "hw/stop_modules.h"

namespace velmira {

void stopRegisteredModules(const SlotTable& table, const Hardware& hw) {
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const ModuleKind kind = table.entries[slot].kind;
        MotionLibrary* lib = hw.library(kind);
        if (!lib) continue;
        // A module is registered with its slot as its card number.
        const auto card = static_cast<std::uint8_t>(slot);
        lib->STOP_SLOWLY(card, allAxesMask(kind));
        lib->CLEAR_STOP(card);
    }
}

}  // namespace velmira
