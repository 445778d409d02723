#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "basic/motion_target.h"
#include "hw/motion_library.h"

namespace velmira {

// The four step codes of a home search, in the order the library takes them.
struct HomeStepCodes {
    std::uint16_t nearHome = 2, home = 2, index = 2, offset = 2;
    friend bool operator==(const HomeStepCodes&, const HomeStepCodes&) = default;
};

// The codes of an item of the home "Mode" list; no item (-1) searches every step
// towards minus.
HomeStepCodes homeStepCodes(int modeIndex);

struct HomingRequest {
    MotionTarget target;
    std::int32_t homeSpeed = 0;  // HV
    int modeIndex = -1;
};

// What a home search needs from its surroundings.
class HomingHost {
  public:
    virtual ~HomingHost() = default;
    // A row of the block as it is written: position 0 first, with no call.
    virtual void writeRow(int position, const std::string& command) = 0;
    virtual void sleepMs(int ms) = 0;
    // Lets pending messages run while the four-axis module searches.
    virtual void doEvents() = 0;
    // Asked between polls: true stops the search and ends the wait (STOP, or
    // the screen being left).
    virtual bool abandon() = 0;
    // Makes the two-axis search's call, which returns only when the search has
    // ended: the screen stays alive meanwhile and makes no other library call.
    virtual void callAside(const std::function<void()>& call) = 0;
};

struct HomingOutcome {
    std::vector<std::string> rows;  // rows 1, 2, ... of the block
    bool abandoned = false;         // stopped before its end; positions not reset
};

// Programs and starts the home search, waits for its end where the module
// offers a wait, then sets logic and encoder position to 0. Abandoning the
// wait stops the search slowly on the axes it was started on and clears the
// stop instead.
HomingOutcome RunHomingSequence(MotionLibrary& lib, const HomingRequest& request,
                                const SettingsImage& settings, HomingHost& host);

}  // namespace velmira
