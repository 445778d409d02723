#pragma once

#include <cstdint>
#include <vector>

#include "hw/motion_library.h"

namespace velmira {

// The axes a screen has set moving during one visit, so that leaving the
// screen stops those still under way, as its own STOP button would.
class StartedMotions {
  public:
    // `unseen`: the axes may move with no speed to show for it yet (the
    // manual pulser waits for its wheel), so leaving always stops them.
    void add(MotionLibrary* lib, std::uint8_t card, std::uint16_t mask, bool unseen = false);

    // STOP_SLOWLY and CLEAR_STOP for each one whose axes report a speed, read
    // axis by axis, or that may move unseen; then forgets them all.
    void stopThoseMoving();

    bool empty() const { return started_.empty(); }

  private:
    struct Started {
        MotionLibrary* lib;
        std::uint8_t card;
        std::uint16_t mask;
        bool unseen;
    };
    std::vector<Started> started_;
};

}  // namespace velmira
