#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_image.h"

namespace velmira {

// The names of the thirteen entries of an axis record, in file order, as the
// configuration-file tool and its JSON use them.
inline constexpr std::array<const char*, 13> kEntryNames{
    "pulseMode", "maxV",  "hardLimit", "limitStopMode", "nearHome", "homeEdge", "encoder",
    "servoOn",   "alarm", "inPos",     "filter",        "vring",    "avtri"};

// The entry index of a name, or nothing.
std::optional<int> entryIndex(std::string_view name);

// "Axis_X" .. "Axis_U" for axis indexes 0..3.
const char* axisName(int axisIndex);

// What one entry means, in the Configuration screen's own words:
// "Output Pulse Mode : CW", "LIMIT+/- (Logic) High", "Enable MaxV checked, MaxV
// 2000000 Pulse". A value no list item stands for is written as a number. An
// entry the screen always sets together with its values says "(not set)" when
// its flag is 0 (a load sends nothing for it); an entry behind a check box
// says whether the box is checked.
std::string entryWords(int entry, const SettingEntry& e);

// The range of values the Configuration screen can store in one value of an
// entry; nothing where the screen never stores that value.
struct ValueRange {
    std::int64_t low = 0;
    std::int64_t high = 0;
};
std::optional<ValueRange> storedRange(int entry, int value);  // value: 1 first, 2 second, 3 third

// Why an entry holds what the Configuration screen could not have stored, one
// reason each; empty for an entry the screen could have written.
std::vector<std::string> unproducibleReasons(int entry, const SettingEntry& e);

// True when every byte of the record is zero: an axis never configured.
bool isEmptyRecord(const AxisSettings& r);

}  // namespace velmira
