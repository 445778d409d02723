#pragma once

namespace velmira {

// Gives the memory freed since the last call back to the system. A screen's
// command list can hold a million rows; when the screen closes its heap is
// free but stays in the process unless it is handed back.
void releaseFreedMemory();

}  // namespace velmira
