#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "hw/slot_table.h"

namespace velmira {

// A signal zone on the machine: the switch or sensor is actuated while the
// axis stands between `from` and `to` (machine pulses, from <= to).
struct SignalZone {
    std::int32_t from = 0;
    std::int32_t to = 0;
    bool contains(double position) const { return position >= from && position <= to; }
    bool operator==(const SignalZone&) const = default;
};

// The machine behind one axis, in the pulses of its motor. Position 0 is where
// the axis stands when the program starts unless `start` says otherwise.
struct AxisMachine {
    std::int32_t start = 0;
    // The limit switches are actuated from these positions outwards.
    std::int32_t limitMinus = -100000;
    std::int32_t limitPlus = 100000;
    SignalZone nearHome{-70000, -58000};  // slow-down (SD) cam
    SignalZone home{-62000, -60000};      // home (ORG) sensor
    // The encoder's index (Z) pulse: at every position p with
    // p - indexPhase a multiple of indexSpacing (0 spacing: no index pulse).
    std::int32_t indexSpacing = 4000;
    std::int32_t indexPhase = 1000;
    // Wiring of the limit, home, near-home and index inputs: true when an
    // actuated sensor drives its input high. The module's power-up logic is
    // "Low", so the default rack reads right without any configuration.
    bool activeHigh = false;
    bool emergencyStop = false;  // EMG pressed
    bool alarm = false;          // the drive reports an alarm
    bool ready = true;           // the drive is ready (RDY/INP)
    // Pulses per second the manual pulser turns while the axis is in pulser
    // mode; negative turns backwards. 0: nobody turns it.
    std::int32_t pulserRate = 0;
    bool operator==(const AxisMachine&) const = default;
};

struct SlotMachine {
    bool registrationFails = false;
    std::array<AxisMachine, 4> axes{};  // X, Y, Z, U
};

// Everything about the simulated rack that the slot list does not say.
struct RackDescription {
    std::array<SlotMachine, kLastSlot + 1> bySlot{};  // index = slot number; 0 unused
};

struct RackFileResult {
    bool ok = false;
    RackDescription rack;
    std::string error;  // "LINE:COLUMN: what is wrong" or a file error; set when !ok
};

// Reads the text of a rack file (TOML). Every key is checked: unknown keys,
// wrong types, values out of range and inconsistent zones are refused with
// the line and column where they stand.
RackFileResult parseRackFile(std::string_view text);

// Reads and parses the file at `path`; errors name the file.
RackFileResult readRackFile(const std::string& path);

}  // namespace velmira
