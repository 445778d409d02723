#pragma once

#include "hw/motion_library.h"
#include "hw/slot_table.h"

namespace velmira {

// Stops every axis of every registered module, in slot order, as the screens'
// STOP does: STOP_SLOWLY of all its axes, then CLEAR_STOP. For the end of the
// program, which cannot know which axes move.
void stopRegisteredModules(const SlotTable& table, const Hardware& hw);

}  // namespace velmira
