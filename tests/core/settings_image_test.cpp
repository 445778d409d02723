#include "settings/settings_image.h"

#include <gtest/gtest.h>

namespace velmira {
namespace {

TEST(SettingsImage, FieldsLandAtTheirFileOffsetsLittleEndian) {
    SettingsImage image;
    AxisSettings& r = image.record(1, 2);  // record 6
    r.encoder.enabled = 1;
    r.encoder.first = 0x01020304;
    r.encoder.second = -2;
    r.avtri.third = 0x7F000001;
    const auto bytes = image.toBytes();

    const std::size_t encoder = 208 * 6 + 96;
    EXPECT_EQ(bytes[encoder], 1);
    EXPECT_EQ(bytes[encoder + 4], 0x04);
    EXPECT_EQ(bytes[encoder + 7], 0x01);
    EXPECT_EQ(bytes[encoder + 8], 0xFE);
    for (int i = 9; i < 12; ++i) EXPECT_EQ(bytes[encoder + i], 0xFF);
    const std::size_t avtriThird = 208 * 6 + 192 + 12;
    EXPECT_EQ(bytes[avtriThird], 0x01);
    EXPECT_EQ(bytes[avtriThird + 3], 0x7F);
}

TEST(SettingsImage, KeepsEveryByteIncludingPaddingThroughALoad) {
    SettingsImage::Bytes pattern{};
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<std::uint8_t>(i * 7 + 3);
    SettingsImage image;
    image.assignPrefix(pattern);
    EXPECT_EQ(image.toBytes(), pattern);
    EXPECT_EQ(image.record(0, 0).pulseMode.padding[0], pattern[1]);
}

TEST(SettingsImage, ShortInputReplacesOnlyThePrefix) {
    SettingsImage image;
    image.record(8, 3).vring.first = 123456;
    image.record(0, 0).maxV.first = 99;
    const std::uint8_t head[20] = {1, 0, 0, 0, 5};
    image.assignPrefix(head);
    EXPECT_EQ(image.record(0, 0).pulseMode.enabled, 1);
    EXPECT_EQ(image.record(0, 0).pulseMode.first, 5);
    EXPECT_EQ(image.record(0, 0).maxV.enabled, 0) << "bytes 16..19 were in the input";
    EXPECT_EQ(image.record(0, 0).maxV.first, 99) << "bytes 20.. were not";
    EXPECT_EQ(image.record(8, 3).vring.first, 123456);
}

}  // namespace
}  // namespace velmira
