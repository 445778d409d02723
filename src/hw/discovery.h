#pragma once

#include "hw/motion_library.h"
#include "hw/slot_table.h"

namespace velmira {

// Reads every slot's address and ID byte into the table and counts the motion
// modules found. The count is never reset: it tells whether any probe of this
// run found a module.
void probeSlots(SlotTable& table, Backplane& backplane);

}  // namespace velmira
