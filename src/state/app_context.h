#pragma once

#include "hw/motion_library.h"
#include "platform/card_files.h"
#include "platform/message_boxes.h"
#include "state/app_state.h"

namespace velmira {

// What every screen works with; the application owns all of it.
struct AppContext {
    AppState& state;
    Hardware hw;
    MessageBoxes& boxes;
    CardFiles card;
};

}  // namespace velmira
