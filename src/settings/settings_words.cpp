#include "settings/settings_words.h"

#include <algorithm>
#include <cstdio>

namespace velmira {
namespace {

using namespace screen_words;

// "label item": the item as the list shows it, glued to its label the way the
// screen places them. Items that begin with a blank bring their own.
template <std::size_t N>
std::string labelled(const std::string& label, const std::array<const char*, N>& items,
                     std::int32_t index) {
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
    return std::string(kFilterGroup) + ": " + boxes + "; " +
           labelled(kDelayLabel, kDelays, e.second);
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
            return labelled(kPulseModeLabel, kPulseModes, e.first);
        case 2: {
            std::string text = labelled(kHardLimitLabel, kLowHigh, e.first);
            if (e.second != e.first) text += ", second " + labelled("", kLowHigh, e.second);
            return text;
        }
        case 3:
            return labelled(kStopModeLabel, kStopModes, e.first);
        case 4:
            return labelled(kNearHomeLabel, kLowHigh, e.first);
        case 5:
            return labelled(kHomeEdgeLabel, kLowHigh, e.first);
        case 6:
            return labelled(kEncoderModeLabel, kEncoderModes, e.first) + ", " +
                   labelled(kZPhaseLabel, kLowHigh, e.second);
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
            return checkBox(kMaxVBox, e.enabled) + ", " + pulses("MaxV", e.first, kShownMaxV);
        case 7:
            return checkBox(kServoOnBox, e.enabled);
        case 8:
            return checkBox(kAlarmBox, e.enabled) + ", " +
                   labelled(kLogicLabel, kAlarmLogic, e.first);
        case 9:
            return checkBox(kInPosBox, e.enabled) + ", " + labelled(kLogicLabel, kLowHigh, e.first);
        case 11:
            // The value a load sends: a signed 32-bit argument.
            return checkBox(kVringBox, e.enabled) + ", " + pulses("VRING", e.first, kShownVring);
        case 12:
            return checkBox(kAvtriBox, e.enabled);
        default:
            return {};
    }
}

std::optional<ValueRange> storedRange(int entry, int value) {
    if (value == 3) return std::nullopt;  // no screen stores a third value
    const bool first = value == 1;
    // A list stores the index of one of its items.
    const auto list = [](const auto& items) {
        return ValueRange{0, static_cast<std::int64_t>(items.size()) - 1};
    };
    const auto firstOnly = [first](ValueRange r) {
        return first ? std::optional<ValueRange>(r) : std::nullopt;
    };
    switch (entry) {
        case 0:
            return firstOnly(list(kPulseModes));
        case 1:
            return firstOnly({kMaxVLow, kMaxVHigh});
        case 2:
            return list(kLowHigh);
        case 3:
            return firstOnly(list(kStopModes));
        case 4:
        case 5:
        case 9:
            return firstOnly(list(kLowHigh));
        case 8:
            return firstOnly(list(kAlarmLogic));
        case 6:
            return first ? list(kEncoderModes) : list(kLowHigh);
        case 10:
            // The filter's boxes are one bit each.
            return first ? ValueRange{0, (1 << kFilterBoxes.size()) - 1} : list(kDelays);
        case 11:
            return firstOnly({0, kVringHigh});
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
