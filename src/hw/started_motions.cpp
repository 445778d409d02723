#include "hw/started_motions.h"

namespace velmira {
namespace {

bool anyAxisMoving(MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
    for (std::uint16_t bit = 1; bit <= 8; bit <<= 1) {
        if ((mask & bit) && lib.GET_CV(card, bit) != 0) return true;
    }
    return false;
}

}  // namespace

void StartedMotions::add(MotionLibrary* lib, std::uint8_t card, std::uint16_t mask, bool unseen) {
    if (!lib || mask == 0) return;
    for (Started& s : started_) {
        if (s.lib == lib && s.card == card && s.mask == mask) {
            s.unseen = s.unseen || unseen;
            return;
        }
    }
    started_.push_back({lib, card, mask, unseen});
}

void StartedMotions::stopThoseMoving() {
    for (const Started& s : started_) {
        if (s.unseen || anyAxisMoving(*s.lib, s.card, s.mask)) {
            s.lib->STOP_SLOWLY(s.card, s.mask);
            s.lib->CLEAR_STOP(s.card);
        }
    }
    started_.clear();
}

}  // namespace velmira
