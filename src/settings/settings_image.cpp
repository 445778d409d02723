#include "settings/settings_image.h"

#include <algorithm>

namespace velmira {
namespace {

void putLe32(std::uint8_t* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t getLe32(const std::uint8_t* p) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

}  // namespace

SettingsImage::Bytes SettingsImage::toBytes() const {
    Bytes out{};
    std::uint8_t* p = out.data();
    for (const AxisSettings& r : records) {
        for (auto member : kSettingEntries) {
            const SettingEntry& e = r.*member;
            p[0] = e.enabled;
            std::copy(e.padding.begin(), e.padding.end(), p + 1);
            putLe32(p + 4, e.first);
            putLe32(p + 8, e.second);
            putLe32(p + 12, e.third);
            p += kEntryBytes;
        }
    }
    return out;
}

void SettingsImage::assignPrefix(std::span<const std::uint8_t> bytes) {
    Bytes all = toBytes();
    std::copy_n(bytes.begin(), std::min(bytes.size(), kBytes), all.begin());
    const std::uint8_t* p = all.data();
    for (AxisSettings& r : records) {
        for (auto member : kSettingEntries) {
            SettingEntry& e = r.*member;
            e.enabled = p[0];
            std::copy(p + 1, p + 4, e.padding.begin());
            e.first = getLe32(p + 4);
            e.second = getLe32(p + 8);
            e.third = getLe32(p + 12);
            p += kEntryBytes;
        }
    }
}

}  // namespace velmira
