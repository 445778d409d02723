#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hw/module_kind.h"
#include "hw/slot_table.h"
#include "settings/settings_image.h"
#include "state/axis_run_params.h"
#include "state/module_selection.h"

namespace velmira {

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
};

// The Basic Operation screen's signal lamps, in reading order.
inline constexpr int kLampCount = 10;

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

    // Basic Operation: the lamps' last read and shown values.
    std::array<std::uint8_t, kLampCount> signalState{};
    std::array<std::uint8_t, kLampCount> shownSignalState{};

    // Advanced Features: the module axes of the disposition lists (X 1 .. U 8,
    // 0 for none), whether the servos are off.
    std::uint16_t advAxis1Mask = 0;
    std::uint16_t advAxis2Mask = 0;
    std::uint16_t advAxis3Mask = 0;
    std::uint8_t advServoIsOff = 1;

    // Whether each axis's servo is off, by card and axis bit; every screen
    // and the main menu record what they switch. Off at start.
    std::array<std::uint8_t, kCardRows> servoOnAxes{};

    // Off when any axis of the mask is off: the next press switches all on.
    bool servoOff(std::uint8_t card, std::uint32_t mask) const {
        const std::uint32_t on = card < servoOnAxes.size() ? servoOnAxes[card] : 0;
        return (on & mask & 0xFu) != (mask & 0xFu);
    }
    void recordServo(std::uint8_t card, std::uint32_t mask, bool off) {
        if (card >= servoOnAxes.size()) return;
        const auto bits = static_cast<std::uint8_t>(mask & 0xFu);
        servoOnAxes[card] = off ? static_cast<std::uint8_t>(servoOnAxes[card] & ~bits)
                                : static_cast<std::uint8_t>(servoOnAxes[card] | bits);
    }

    SettingsImage settings;
    // By number 4 x card + axis index.
    std::array<AxisRunParams, kRecordCount> axisRunParams{};
    // A whole four-axis module's own block, by card: its index 4 would make
    // 4 x card + 4 the next slot's X axis.
    std::array<AxisRunParams, kCardRows> moduleRunParams{};

    // Record and block number of the current selection.
    int currentRecordNumber() const { return recordNumber(currentCard, currentAxisIndex); }

    AxisRunParams& runParams(int card, int axisIndex) {
        return axisIndex >= kAxisColumns ? moduleRunParams.at(static_cast<std::size_t>(card))
                                         : axisRunParams.at(recordNumber(card, axisIndex));
    }
    AxisRunParams& currentRunParams() { return runParams(currentCard, currentAxisIndex); }

    // Makes a tree selection current and remembers it for the next tree.
    void select(const ModuleSelection& s) {
        currentCard = s.card;
        currentKind = s.kind;
        currentAxisMask = s.mask;
        currentAxisIndex = s.axisIndex;
        selectedModuleLabel = s.moduleLabel;
        if (!s.moduleNode) selectedAxisLabel = s.axisLabel;
        moduleNodeSelected = s.moduleNode ? 1 : 0;
    }
};

}  // namespace velmira
