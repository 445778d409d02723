#include "tool/config_report.h"

#include <QJsonArray>
#include <cstdio>

#include "hw/slot_table.h"
#include "settings/settings_file.h"
#include "settings/settings_words.h"

namespace velmira {
namespace {

constexpr auto kImageBytes = static_cast<std::int64_t>(SettingsImage::kBytes);
constexpr auto kRecordBytes = static_cast<std::int64_t>(SettingsImage::kRecordBytes);
constexpr auto kEntryBytes = static_cast<std::int64_t>(SettingsImage::kEntryBytes);

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text + ' ';
}

std::string recordAt(std::int64_t record) {
    const int r = static_cast<int>(record);
    return "record " + std::to_string(r) + " (" + recordTitle(r / kAxisColumns, r % kAxisColumns) +
           ")";
}

// Which records a short file replaces and which keep what the program holds.
std::string shortLoadWords(std::int64_t size) {
    const std::int64_t whole = size / kRecordBytes;
    const std::int64_t rest = size % kRecordBytes;
    const std::int64_t entries = rest / kEntryBytes;
    const std::int64_t bytes = rest % kEntryBytes;
    std::vector<std::string> parts;
    if (whole == 1) parts.push_back(recordAt(0) + " whole");
    if (whole > 1)
        parts.push_back("records 0 to " + std::to_string(whole - 1) + " (" + recordTitle(0, 0) +
                        " to " +
                        recordTitle(static_cast<int>((whole - 1) / kAxisColumns),
                                    static_cast<int>((whole - 1) % kAxisColumns)) +
                        ") whole");
    if (rest) {
        std::string part = "of " + recordAt(whole) + " ";
        if (entries) {
            part += entries == 1 ? kEntryNames[0]
                                 : std::string(kEntryNames[0]) + " to " +
                                       kEntryNames[static_cast<std::size_t>(entries - 1)];
            part += " whole";
            if (bytes) part += " and ";
        }
        if (bytes) {
            part += std::to_string(bytes) + " of the 16 bytes of " +
                    kEntryNames[static_cast<std::size_t>(entries)];
        }
        parts.push_back(part);
    }
    std::string text = "A load replaces only what the file holds: ";
    for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? ", and " : "") + parts[i];
    return text + ".";
}

QJsonArray paddingJson(const SettingEntry& e) {
    QJsonArray a;
    for (std::uint8_t b : e.padding) a.append(static_cast<int>(b));
    return a;
}

}  // namespace

std::string recordTitle(int card, int axisIndex) {
    return "card " + std::to_string(card) + " " + axisName(axisIndex);
}

std::string rawEntry(const SettingEntry& e) {
    std::string text = "[" + std::to_string(e.enabled) + "; " + std::to_string(e.first) + " " +
                       std::to_string(e.second) + " " + std::to_string(e.third);
    if (e.padding != std::array<std::uint8_t, 3>{}) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%02x %02x %02x", e.padding[0], e.padding[1], e.padding[2]);
        text += std::string("; padding ") + hex;
    }
    return text + "]";
}

const SettingEntry& entryOf(const AxisSettings& r, int entry) {
    return r.*kSettingEntries.at(static_cast<std::size_t>(entry));
}

SettingEntry& entryOf(AxisSettings& r, int entry) {
    return r.*kSettingEntries.at(static_cast<std::size_t>(entry));
}

bool isSlotCard(int card) {
    return card >= kFirstSlot && card <= kLastSlot;
}

std::vector<std::string> sizeWords(std::int64_t size) {
    const std::string image = std::to_string(kImageBytes);
    const std::string bytes = std::to_string(size) + (size == 1 ? " byte" : " bytes");
    if (size == kImageBytes) return {bytes + ", the size of an image: a load reads it whole."};
    if (size > kImageBytes) {
        const std::string extra = std::to_string(size - kImageBytes);
        const std::string load =
            "A load reads the first " + image + " bytes and ignores the " + extra + " after them; ";
        return {bytes + ", " + extra + " more than the " + image + " of an image.",
                tooLongToSave(size)
                    ? load + "a save refuses the file: it keeps at most 1 MiB after the image."
                    : load + "a save replaces the first " + image + " and keeps the " + extra +
                          " after them."};
    }
    std::vector<std::string> lines{bytes + ", " + std::to_string(kImageBytes - size) +
                                   " short of the " + image + " of an image."};
    if (size == 0) {
        lines.push_back("A load replaces nothing.");
    } else {
        lines.push_back(shortLoadWords(size));
    }
    lines.push_back(std::string(size == 0 ? "Every record" : "Everything after that") +
                    " keeps the values the program already holds (zero when nothing was loaded "
                    "or set since it started; this tool shows zero there).");
    lines.push_back("A save writes the whole image over the file.");
    return lines;
}

std::string dumpText(const QString& shownPath, const ConfigRead& file, bool all) {
    int shown = 0;
    std::string body;
    for (int card = 0; card < kCardRows; ++card) {
        for (int axis = 0; axis < kAxisColumns; ++axis) {
            const AxisSettings& r = file.image.record(card, axis);
            if (!all && isEmptyRecord(r)) continue;
            ++shown;
            body += recordTitle(card, axis) + " (record " +
                    std::to_string(recordNumber(card, axis)) + ")\n";
            for (int entry = 0; entry < 13; ++entry) {
                const SettingEntry& e = entryOf(r, entry);
                body += "  " + padded(kEntryNames[static_cast<std::size_t>(entry)], 13) +
                        padded(rawEntry(e), 19) + entryWords(entry, e) + "\n";
            }
        }
    }
    const std::vector<std::string> size = sizeWords(file.size);
    std::string text = shownPath.toStdString() + ": " + size.front() + "\n";
    for (std::size_t i = 1; i < size.size(); ++i) text += "  " + size[i] + "\n";
    text += std::to_string(shown) + " of " + std::to_string(kRecordCount) + " records" +
            (all ? " shown" : " hold settings") + "; each entry [enabled; first second third].\n";
    return text + body;
}

QJsonObject dumpJson(const QString& shownPath, const ConfigRead& file, bool all) {
    QJsonArray records;
    for (int card = 0; card < kCardRows; ++card) {
        for (int axis = 0; axis < kAxisColumns; ++axis) {
            const AxisSettings& r = file.image.record(card, axis);
            if (!all && isEmptyRecord(r)) continue;
            QJsonArray entries;
            for (int entry = 0; entry < 13; ++entry) {
                const SettingEntry& e = entryOf(r, entry);
                QJsonArray reasons;
                for (const std::string& why : unproducibleReasons(entry, e)) {
                    reasons.append(QString::fromStdString(why));
                }
                entries.append(QJsonObject{
                    {"name", kEntryNames[static_cast<std::size_t>(entry)]},
                    {"enabled", e.enabled},
                    {"first", e.first},
                    {"second", e.second},
                    {"third", e.third},
                    {"padding", paddingJson(e)},
                    {"text", QString::fromStdString(entryWords(entry, e))},
                    {"unproducible", reasons},
                });
            }
            records.append(QJsonObject{
                {"card", card},
                {"axis", QString(QChar(u"XYZU"[axis]))},
                {"record", recordNumber(card, axis)},
                {"slot", isSlotCard(card)},
                {"entries", entries},
            });
        }
    }
    return QJsonObject{
        {"schema", kJsonSchema},
        {"file", shownPath},
        {"bytes", static_cast<qint64>(file.size)},
        {"imageBytes", static_cast<qint64>(kImageBytes)},
        {"all", all},
        {"records", records},
    };
}

std::vector<EntryChange> changes(const SettingsImage& before, const SettingsImage& after) {
    std::vector<EntryChange> out;
    const SettingsImage::Bytes a = before.toBytes();
    const SettingsImage::Bytes b = after.toBytes();
    for (int card = 0; card < kCardRows; ++card) {
        for (int axis = 0; axis < kAxisColumns; ++axis) {
            for (int entry = 0; entry < 13; ++entry) {
                const std::size_t at = static_cast<std::size_t>(recordNumber(card, axis)) *
                                           SettingsImage::kRecordBytes +
                                       static_cast<std::size_t>(entry) * SettingsImage::kEntryBytes;
                if (std::equal(a.begin() + at, a.begin() + at + SettingsImage::kEntryBytes,
                               b.begin() + at)) {
                    continue;
                }
                out.push_back({card, axis, entry, entryOf(before.record(card, axis), entry),
                               entryOf(after.record(card, axis), entry)});
            }
        }
    }
    return out;
}

std::string changeLine(const EntryChange& c) {
    std::string before = entryWords(c.entry, c.before);
    std::string after = entryWords(c.entry, c.after);
    if (before == after) {
        before = rawEntry(c.before);
        after = rawEntry(c.after);
    }
    return recordTitle(c.card, c.axis) + " " + kEntryNames[static_cast<std::size_t>(c.entry)] +
           ": " + before + " -> " + after;
}

std::vector<std::string> imageProblems(const SettingsImage& image) {
    std::vector<std::string> out;
    for (int card = 0; card < kCardRows; ++card) {
        for (int axis = 0; axis < kAxisColumns; ++axis) {
            const AxisSettings& r = image.record(card, axis);
            if (!isSlotCard(card)) {
                if (!isEmptyRecord(r)) {
                    out.push_back(recordTitle(card, axis) + ": card " + std::to_string(card) +
                                  " is no slot (the slots are " + std::to_string(kFirstSlot) +
                                  " to " + std::to_string(kLastSlot) +
                                  "): the program never stores or applies its settings");
                }
                continue;
            }
            for (int entry = 0; entry < 13; ++entry) {
                for (const std::string& why : unproducibleReasons(entry, entryOf(r, entry))) {
                    out.push_back(recordTitle(card, axis) + " " +
                                  kEntryNames[static_cast<std::size_t>(entry)] + ": " + why);
                }
            }
        }
    }
    return out;
}

}  // namespace velmira
