#pragma once

#include "hw/motion_library.h"
#include "platform/card_files.h"
#include "platform/message_boxes.h"
#include "platform/pacing.h"
#include "settings/backup_policy.h"
#include "state/app_state.h"

namespace velmira {

// What every screen works with; the application owns all of it.
struct AppContext {
    AppState& state;
    Hardware hw;
    MessageBoxes& boxes;
    CardFiles card;
    // How sequences wait; null: the real sleep and message pump.
    Pacing* pacing = nullptr;
    // How many earlier configuration files a save keeps beside the file.
    int backups = kDefaultBackups;

    Pacing& waits() const { return pacing ? *pacing : Pacing::real(); }
};

}  // namespace velmira
