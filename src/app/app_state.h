#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/settings_image.h"
#include "hw/module_kind.h"
#include "hw/slot_table.h"

namespace velmira {

inline constexpr int kRunParamWords = 525;
using AxisRunParams = std::array<std::int32_t, kRunParamWords>;

// Everything that outlives a screen. The application owns exactly one for the
// whole run; screens get it by reference. Written only on the GUI thread.
struct AppState {
    AppState() = default;
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // Current selection, written together by a tree-selection handler.
    std::uint8_t currentCard = 0;
    ModuleKind currentKind = ModuleKind::None;
    std::uint32_t currentAxisMask = 1;
    std::int32_t currentAxisIndex = 0;

    // Remembered tree selection.
    std::string selectedModuleLabel;
    std::string selectedAxisLabel;
    std::uint8_t moduleNodeSelected = 1;

    SlotTable slotTable;

    std::uint8_t settingsSaved = 0;  // only ever goes from 0 to 1

    SettingsImage settings;
    std::array<AxisRunParams, kRecordCount> axisRunParams{};

    // Record and block number of the current selection.
    int currentRecordNumber() const { return recordNumber(currentCard, currentAxisIndex); }
};

}  // namespace velmira
