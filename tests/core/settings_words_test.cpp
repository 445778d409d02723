#include "settings/settings_words.h"

#include <gtest/gtest.h>

namespace velmira {
namespace {

using Reasons = std::vector<std::string>;

SettingEntry entry(std::uint8_t enabled, std::int32_t first, std::int32_t second = 0,
                   std::int32_t third = 0) {
    return {enabled, {}, first, second, third};
}

enum : int {
    kPulse,
    kMaxV,
    kHardLimit,
    kStop,
    kNear,
    kHome,
    kEncoder,
    kServo,
    kAlarm,
    kInPos,
    kFilter,
    kVring,
    kAvtri
};

TEST(SettingsWords, NamesRoundTripAndUnknownNamesAreNone) {
    for (int i = 0; i < 13; ++i) EXPECT_EQ(entryIndex(kEntryNames[static_cast<std::size_t>(i)]), i);
    EXPECT_EQ(entryIndex("MaxV"), std::nullopt) << "names are matched exactly";
    EXPECT_EQ(entryIndex(""), std::nullopt);
    EXPECT_STREQ(axisName(3), "Axis_U");
}

// The list items themselves are checked against the screen's lists in the tool's tests.
TEST(SettingsWords, ValuesNoItemStandsForAreNumbers) {
    EXPECT_EQ(entryWords(kHardLimit, entry(1, 1, 0)), "LIMIT+/- (Logic) High, second Low");
    EXPECT_EQ(entryWords(kFilter, entry(1, 0x10021, 0)),
              "Input Signal Filter: EMG, LMT, ORG, SD + bits 32; Input Signal Delay Time: "
              "0.2 u (time unit)")
        << "a load passes the low 16 bits only";
    EXPECT_EQ(entryWords(kPulse, entry(1, 9)), "Output Pulse Mode : (no item 9)");
    EXPECT_EQ(entryWords(kStop, entry(1, -1)), "LIMITSTOP_MODE (no item -1)");
}

// A flag of 0 is not "the first item": the setting is not made, or its box is off.
TEST(SettingsWords, TheFlagIsPartOfTheMeaning) {
    EXPECT_EQ(entryWords(kPulse, entry(0, 0)), "Output Pulse Mode : CW (not set)");
    EXPECT_EQ(entryWords(kServo, entry(1, 0)), "Enable Servo ON checked");
    EXPECT_EQ(entryWords(kServo, entry(0, 0)), "Enable Servo ON unchecked");
    EXPECT_EQ(entryWords(kAvtri, entry(2, 0)), "Enable AVTRI checked") << "any non-zero flag";
    EXPECT_EQ(entryWords(kMaxV, entry(1, 2000000)), "Enable MaxV checked, MaxV 2000000 Pulse");
    EXPECT_EQ(entryWords(kMaxV, entry(1, 0)),
              "Enable MaxV checked, MaxV 0 Pulse (the screen shows 2000000)");
    EXPECT_EQ(entryWords(kVring, entry(0, 0)),
              "Enable VRING unchecked, VRING 0 Pulse (the screen shows 10000)");
    EXPECT_EQ(entryWords(kVring, entry(1, INT32_MIN)),
              "Enable VRING checked, VRING -2147483648 Pulse")
        << "what a load sends";
}

TEST(SettingsWords, RangesAreTheScreensFields) {
    const auto ok = [](int e, const SettingEntry& s) { return unproducibleReasons(e, s).empty(); };
    EXPECT_TRUE(ok(kMaxV, entry(1, 8000)));
    EXPECT_TRUE(ok(kMaxV, entry(1, 4000000)));
    EXPECT_TRUE(ok(kMaxV, entry(1, 0))) << "the box checked, SET never pressed";
    EXPECT_EQ(unproducibleReasons(kMaxV, entry(1, 7999)),
              Reasons{"first value 7999 is outside 8000 to 4000000"});
    EXPECT_FALSE(ok(kMaxV, entry(1, 4000001)));
    EXPECT_TRUE(ok(kVring, entry(1, INT32_MAX)));
    EXPECT_FALSE(ok(kVring, entry(1, -1))) << "the field takes no negative value";
    EXPECT_TRUE(ok(kPulse, entry(1, 5)));
    EXPECT_FALSE(ok(kPulse, entry(1, 6)));
    EXPECT_FALSE(ok(kPulse, entry(1, 256))) << "loads as CW, but no list item stored it";
    EXPECT_TRUE(ok(kFilter, entry(1, 31, 7)));
    EXPECT_FALSE(ok(kFilter, entry(1, 32, 0)));
    EXPECT_FALSE(ok(kFilter, entry(1, 1, 8)));
    EXPECT_TRUE(ok(kEncoder, entry(1, 3, 1)));
    EXPECT_FALSE(ok(kEncoder, entry(1, 4, 0)));
    EXPECT_TRUE(ok(kAlarm, entry(0, 1))) << "logic chosen, then the box unchecked";
    EXPECT_EQ(storedRange(kServo, 1), std::nullopt);
    EXPECT_EQ(storedRange(kMaxV, 3), std::nullopt);
}

TEST(SettingsWords, WhatNoHandlerStoresIsNamed) {
    EXPECT_EQ(unproducibleReasons(kServo, entry(1, 7)),
              Reasons{"first value 7 is never stored by the screen"});
    EXPECT_EQ(unproducibleReasons(kPulse, entry(1, 0, 0, 4)),
              Reasons{"third value 4 is never stored by the screen"});
    EXPECT_EQ(unproducibleReasons(kHardLimit, entry(1, 1, 0)),
              Reasons{"first and second differ; the screen stores one index in both"});
    EXPECT_EQ(unproducibleReasons(kHome, entry(0, 1)),
              Reasons{"values without the entry enabled; the screen sets both together"});
    EXPECT_TRUE(unproducibleReasons(kHome, entry(0, 0)).empty()) << "a fresh entry";
    SettingEntry odd = entry(2, 0);
    odd.padding = {0, 0, 1};
    EXPECT_EQ(unproducibleReasons(kAvtri, odd),
              (Reasons{"enabled is 2, not 0 or 1", "the padding bytes are not zero"}));
}

TEST(SettingsWords, ARecordIsEmptyOnlyWhenEveryByteIsZero) {
    AxisSettings r;
    EXPECT_TRUE(isEmptyRecord(r));
    r.avtri.padding[2] = 1;
    EXPECT_FALSE(isEmptyRecord(r));
    r.avtri.padding[2] = 0;
    r.filter.third = -1;
    EXPECT_FALSE(isEmptyRecord(r));
}

}  // namespace
}  // namespace velmira
