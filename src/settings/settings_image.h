#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velmira {

// One setting of one axis as it is stored in the configuration file.
struct SettingEntry {
    std::uint8_t enabled = 0;
    std::array<std::uint8_t, 3> padding{};  // kept as loaded, never interpreted
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::int32_t third = 0;
};

// The thirteen settings of one axis, in file order.
struct AxisSettings {
    SettingEntry pulseMode;
    SettingEntry maxV;
    SettingEntry hardLimit;
    SettingEntry limitStopMode;
    SettingEntry nearHome;
    SettingEntry homeEdge;
    SettingEntry encoder;
    SettingEntry servoOn;
    SettingEntry alarm;
    SettingEntry inPos;
    SettingEntry filter;
    SettingEntry vring;
    SettingEntry avtri;
};

// The entries in file order.
inline constexpr std::array<SettingEntry AxisSettings::*, 13> kSettingEntries{
    &AxisSettings::pulseMode,     &AxisSettings::maxV,     &AxisSettings::hardLimit,
    &AxisSettings::limitStopMode, &AxisSettings::nearHome, &AxisSettings::homeEdge,
    &AxisSettings::encoder,       &AxisSettings::servoOn,  &AxisSettings::alarm,
    &AxisSettings::inPos,         &AxisSettings::filter,   &AxisSettings::vring,
    &AxisSettings::avtri};

// The maximum speed of an axis whose MaxV was never set: what the
// Configuration screen shows for it and what a module starts with.
inline constexpr std::int32_t kDefaultMaxSpeed = 2000000;

inline constexpr int kCardRows = 9;
inline constexpr int kAxisColumns = 4;
inline constexpr int kRecordCount = kCardRows * kAxisColumns;

constexpr int recordNumber(int card, int axisIndex) {
    return kAxisColumns * card + axisIndex;
}

// The settings of every card and axis index: the configuration file's content.
struct SettingsImage {
    std::array<AxisSettings, kRecordCount> records{};

    static constexpr std::size_t kEntryBytes = 16;
    static constexpr std::size_t kRecordBytes = 13 * kEntryBytes;
    static constexpr std::size_t kBytes = kRecordCount * kRecordBytes;
    using Bytes = std::array<std::uint8_t, kBytes>;

    AxisSettings& record(int card, int axisIndex) {
        return records.at(recordNumber(card, axisIndex));
    }
    const AxisSettings& record(int card, int axisIndex) const {
        return records.at(recordNumber(card, axisIndex));
    }

    // The file image, little-endian whatever the host.
    Bytes toBytes() const;
    // Replaces the first bytes.size() bytes of the image (at most kBytes); the
    // rest keeps its values, as when a short file is loaded.
    void assignPrefix(std::span<const std::uint8_t> bytes);
};

// The in-memory layout matches the file on the little-endian hosts we build for;
// the serialisation does not rely on it, but the sizes are part of the format.
static_assert(sizeof(SettingEntry) == 16);
static_assert(sizeof(AxisSettings) == 208);
static_assert(sizeof(SettingsImage) == 7488);
static_assert(SettingsImage::kRecordBytes == 208 && SettingsImage::kBytes == 7488);

}  // namespace velmira
