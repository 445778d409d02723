#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_image.h"
#include "tool/config_reading.h"

namespace velmira {

inline constexpr char kJsonSchema[] = "velmira-config/1";

// "card 3 Axis_X"
std::string recordTitle(int card, int axisIndex);

// An entry's stored bytes: "[1; 2 0 0]", the flag, then the three values, and
// the padding bytes in hexadecimal when they are not zero.
std::string rawEntry(const SettingEntry& e);

// The entry at `entry` (0..12) of a record.
const SettingEntry& entryOf(const AxisSettings& r, int entry);
SettingEntry& entryOf(AxisSettings& r, int entry);

// What the program does with a file of this size, one line each; the first
// line begins with the size.
std::vector<std::string> sizeWords(std::int64_t size);

// The dump of a file: its records in the screen's words, those that hold
// nothing left out unless `all`.
std::string dumpText(const QString& shownPath, const ConfigRead& file, bool all);
QJsonObject dumpJson(const QString& shownPath, const ConfigRead& file, bool all);

struct EntryChange {
    int card = 0;
    int axis = 0;
    int entry = 0;
    SettingEntry before;
    SettingEntry after;
};

// The entries that differ between two images, in file order.
std::vector<EntryChange> changes(const SettingsImage& before, const SettingsImage& after);

// "card 3 Axis_X pulseMode: Output Pulse Mode : CW -> Output Pulse Mode : CCW",
// the stored bytes in place of the words where the words are the same.
std::string changeLine(const EntryChange& c);

// What the Configuration screen could not have written: records of cards the
// program never uses, and entries it could not have stored. One line each.
std::vector<std::string> imageProblems(const SettingsImage& image);

// Cards the program stores settings for: the controller's slots.
bool isSlotCard(int card);

}  // namespace velmira
