#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hw/module_kind.h"
#include "hw/slot_table.h"
#include "settings/settings_image.h"

namespace velmira {

inline constexpr int kRunParamWords = 525;

// One software-limit slot of the Configuration screen; never saved.
struct SoftLimitSlot {
    std::int32_t limitPlus = 0;
    std::int32_t limitMinus = 0;
    std::uint8_t limitEnabled = 0;
    std::int32_t compareSource = 0;
};

// What the Configuration screen keeps from one opening to the next.
struct ConfigScreenState {
    // By card (0..7) and axis index (0..4, 4 being a whole four-axis module).
    std::array<std::array<SoftLimitSlot, 5>, 8> softLimits{};
    std::uint16_t filterMask = 0;
    std::uint8_t encoderMode = 0;
    std::uint8_t encoderDivision = 0;
    std::uint8_t zPhaseLogic = 0;
    std::uint8_t firstOpening = 1;
    std::int32_t funCounter = 0;
    std::string echoText;
};
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

    ConfigScreenState config;

    SettingsImage settings;
    std::array<AxisRunParams, kRecordCount> axisRunParams{};

    // Record and block number of the current selection.
    int currentRecordNumber() const { return recordNumber(currentCard, currentAxisIndex); }
};

}  // namespace velmira
