#pragma once

#include "state/app_state.h"
#include "hw/motion_library.h"
#include "platform/card_files.h"
#include "platform/message_boxes.h"

namespace velmira {

// What every screen works with; the application owns all of it.
struct AppContext {
    AppState& state;
    Hardware hw;
    MessageBoxes& boxes;
    CardFiles card;
};

}  // namespace velmira
