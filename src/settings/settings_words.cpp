#include "settings/settings_words.h"

#include <algorithm>
#include <cstdio>

namespace velmira {
namespace {

using Items = std::vector<const char*>;

const Items kPulseModes{" CW",
                        " CCW",
                        " PULSE (Rising Edge) / Dir +",
                        " PULSE (Falling Edge) / Dir +",
                        " PULSE (Rising Edge) / Dir -",
                        " PULSE (Falling Edge) / Dir -"};
const Items kEncoderModes{"1/1 AB Phase", "1/2 AB Phase", "1/4 AB Phase", "CW/CCW"};
const Items kLowHigh{"Low", "High"};
const Items kAlarmLogic{" Low", " High"};
const Items kStopModes{"stop suddenly", "stop after decelerate"};
const Items kDelays{"0.2 u (time unit)", "256*10E-7",   "512*10E-7",   "1.024*10E-3",
                    "2.048*10E-3",       "4.096*10E-3", "8.192*10E-3", "16.384*10E-3"};
const Items kFilterBoxes{"EMG, LMT, ORG, SD", "INDEX", "INP, ALM", "EXP+/-", "IN3"};

// The screen's VRING field takes up to the largest value the module's signed
// 32-bit argument can hold, and its MaxV field 8000 to 4000000.
constexpr std::int64_t kVringHigh = 2147483647;
constexpr std::int64_t kMaxVLow = 8000;
constexpr std::int64_t kMaxVHigh = 4000000;
// What the VRING and MaxV fields show for a stored 0.
constexpr std::int32_t kShownVring = 10000;

// "label item": the item as the list shows it, glued to its label the way the
// screen places them. Items that begin with a blank bring their own.
std::string labelled(const std::string& label, const Items& items, std::int32_t index) {
    std::string text = label;
    if (index >= 0 && static_cast<std::size_t>(index) < items.size()) {
        const char* item = items[static_cast<std::size_t>(index)];
        if (item[0] != ' ' && !text.empty()) text += ' ';
        return text + item;
    }
    if (!text.empty()) text += ' ';
    return text + "(no item " + std::to_string(index) + ")";
}

std::string checkBox(const char* caption, std::uint8_t enabled) {
    return std::string(caption) + (enabled ? " checked" : " unchecked");
}

// A value field that shows `shown` in place of a stored 0.
std::string pulses(const char* label, std::int32_t value, std::int32_t shown) {
    std::string text = std::string(label) + " " + std::to_string(value) + " Pulse";
    if (value == 0) text += " (the screen shows " + std::to_string(shown) + ")";
    return text;
}

std::string filterWords(const SettingEntry& e) {
    std::string boxes;
    // A load passes the low 16 bits.
    const auto mask = static_cast<std::uint16_t>(e.first);
    for (std::size_t bit = 0; bit < kFilterBoxes.size(); ++bit) {
        if (!(mask & (1u << bit))) continue;
        if (!boxes.empty()) boxes += " + ";
        boxes += kFilterBoxes[bit];
    }
    if (boxes.empty()) boxes = "no input";
    const unsigned rest = mask & ~((1u << kFilterBoxes.size()) - 1);
    if (rest) boxes += " + bits " + std::to_string(rest);
    return "Input Signal Filter: " + boxes + "; " +
           labelled("Input Signal Delay Time:", kDelays, e.second);
}

// The entries whose flag the screen always sets together with their values:
// a flag of 0 means the setting was never made, and a load sends nothing.
bool setWithItsValues(int entry) {
    switch (entry) {
        case 0:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 10:
            return true;
        default:
            return false;
    }
}

std::string valueWords(int entry, const SettingEntry& e) {
    switch (entry) {
        case 0:
            return labelled("Output Pulse Mode :", kPulseModes, e.first);
        case 2: {
            std::string text = labelled("LIMIT+/- (Logic)", kLowHigh, e.first);
            if (e.second != e.first) text += ", second " + labelled("", kLowHigh, e.second);
            return text;
        }
        case 3:
            return labelled("LIMITSTOP_MODE", kStopModes, e.first);
        case 4:
            return labelled("NEAR HOME", kLowHigh, e.first);
        case 5:
            return labelled("HOME (Logic)", kLowHigh, e.first);
        case 6:
            return labelled("Encoder Mode :", kEncoderModes, e.first) + ", " +
                   labelled("Z-Phase (Logic)", kLowHigh, e.second);
        case 10:
            return filterWords(e);
        default:
            return {};
    }
}

}  // namespace

std::optional<int> entryIndex(std::string_view name) {
    for (std::size_t i = 0; i < kEntryNames.size(); ++i) {
        if (name == kEntryNames[i]) return static_cast<int>(i);
    }
    return std::nullopt;
}

const char* axisName(int axisIndex) {
    static constexpr std::array<const char*, 4> names{"Axis_X", "Axis_Y", "Axis_Z", "Axis_U"};
    return names.at(static_cast<std::size_t>(axisIndex));
}

std::string entryWords(int entry, const SettingEntry& e) {
    if (setWithItsValues(entry)) {
        std::string text = valueWords(entry, e);
        return e.enabled ? text : text + " (not set)";
    }
    switch (entry) {
        case 1:
            return checkBox("Enable MaxV", e.enabled) + ", " +
                   pulses("MaxV", e.first, kDefaultMaxSpeed);
        case 7:
            return checkBox("Enable Servo ON", e.enabled);
        case 8:
            return checkBox("Enable Servo Alarm", e.enabled) + ", " +
                   labelled("Logic", kAlarmLogic, e.first);
        case 9:
            return checkBox("Enable INP/RDY", e.enabled) + ", " +
                   labelled("Logic", kLowHigh, e.first);
        case 11:
            // The value a load sends: a signed 32-bit argument.
            return checkBox("Enable VRING", e.enabled) + ", " +
                   pulses("VRING", e.first, kShownVring);
        case 12:
            return checkBox("Enable AVTRI", e.enabled);
        default:
            return {};
    }
}

std::optional<ValueRange> storedRange(int entry, int value) {
    if (value == 3) return std::nullopt;  // no screen stores a third value
    const bool first = value == 1;
    switch (entry) {
        case 0:
            return first ? std::optional<ValueRange>({0, 5}) : std::nullopt;
        case 1:
            return first ? std::optional<ValueRange>({kMaxVLow, kMaxVHigh}) : std::nullopt;
        case 2:
            return ValueRange{0, 1};
        case 3:
        case 4:
        case 5:
        case 8:
        case 9:
            return first ? std::optional<ValueRange>({0, 1}) : std::nullopt;
        case 6:
            return first ? ValueRange{0, 3} : ValueRange{0, 1};
        case 10:
            return first ? ValueRange{0, 31} : ValueRange{0, 7};
        case 11:
            return first ? std::optional<ValueRange>({0, kVringHigh}) : std::nullopt;
        default:
            return std::nullopt;  // servoOn, avtri: the box alone
    }
}

std::vector<std::string> unproducibleReasons(int entry, const SettingEntry& e) {
    std::vector<std::string> reasons;
    if (e.enabled > 1)
        reasons.push_back("enabled is " + std::to_string(e.enabled) + ", not 0 or 1");
    if (std::any_of(e.padding.begin(), e.padding.end(), [](std::uint8_t b) { return b != 0; })) {
        reasons.push_back("the padding bytes are not zero");
    }
    const std::array<std::int64_t, 3> values{e.first, e.second, e.third};
    static constexpr std::array<const char*, 3> names{"first", "second", "third"};
    for (int v = 0; v < 3; ++v) {
        const std::int64_t value = values[static_cast<std::size_t>(v)];
        const std::optional<ValueRange> range = storedRange(entry, v + 1);
        // Zero is what a fresh image holds and what stays where the screen stores nothing.
        const bool ok = value == 0 || (range && value >= range->low && value <= range->high);
        if (ok) continue;
        std::string reason =
            std::string(names[static_cast<std::size_t>(v)]) + " value " + std::to_string(value);
        reason += range ? " is outside " + std::to_string(range->low) + " to " +
                              std::to_string(range->high)
                        : " is never stored by the screen";
        reasons.push_back(reason);
    }
    if (entry == 2 && e.first != e.second) {
        reasons.push_back("first and second differ; the screen stores one index in both");
    }
    if (setWithItsValues(entry) && !e.enabled && (e.first || e.second)) {
        reasons.push_back("values without the entry enabled; the screen sets both together");
    }
    return reasons;
}

bool isEmptyRecord(const AxisSettings& r) {
    for (auto member : kSettingEntries) {
        const SettingEntry& e = r.*member;
        if (e.enabled || e.first || e.second || e.third ||
            std::any_of(e.padding.begin(), e.padding.end(), [](std::uint8_t b) { return b; })) {
            return false;
        }
    }
    return true;
}

}  // namespace velmira
