#pragma once

#include <vector>

#include "hw/motion_library.h"
#include "hw/slot_table.h"

namespace velmira {

// Reads every slot's address and ID byte into the table and counts the motion
// modules found. The count is never reset: it tells whether any probe of this
// run found a module.
void probeSlots(SlotTable& table, Backplane& backplane);

// Probes every slot and registers each motion module with its library, in slot
// order. A registered slot gets its kind and labels; a slot whose registration
// fails keeps what it had and is not listed. currentCard follows the slot being
// probed, as the libraries expect, and is 7 afterwards. Returns the registered
// slots in order.
std::vector<int> probeAndRegister(SlotTable& table, const Hardware& hw, std::uint8_t& currentCard);

}  // namespace velmira
