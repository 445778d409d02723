#include "settings/settings_words.h"

#include <gtest/gtest.h>

namespace velmira {
namespace {

using Reasons = std::vector<std::string>;

SettingEntry entry(std::uint8_t enabled, std::int32_t first, std::int32_t second = 0,
                   std::int32_t third = 0) {
    return {enabled, {}, first, second, third};
}

// The entries in file order.
constexpr int kPulse = 0, kMaxV = 1, kHardLimit = 2, kStop = 3, kHome = 5, kEncoder = 6, kServo = 7,
              kAlarm = 8, kInPos = 9, kFilter = 10, kVring = 11, kAvtri = 12;

TEST(SettingsWords, NamesRoundTripAndUnknownNamesAreNone) {
    for (int i = 0; i < 13; ++i) EXPECT_EQ(entryIndex(kEntryNames[static_cast<std::size_t>(i)]), i);
    EXPECT_EQ(entryIndex("MaxV"), std::nullopt) << "names are matched exactly";
}

// The list items are the screen's own; a value no item stands for is a number.
// A flag of 0 is not "the first item": the setting is not made, or its box is off.
TEST(SettingsWords, WordsSayWhatTheScreenWouldShow) {
    const std::tuple<int, SettingEntry, const char*> cases[] = {
        {kHardLimit, entry(1, 1, 0), "LIMIT+/- (Logic) High, second Low"},
        // A load passes the low 16 bits only.
        {kFilter, entry(1, 0x10021, 0),
         "Input Signal Filter: EMG, LMT, ORG, SD + bits 32; Input Signal Delay Time: 0.2 u (time "
         "unit)"},
        {kPulse, entry(1, 9), "Output Pulse Mode : (no item 9)"},
        {kStop, entry(1, -1), "LIMITSTOP_MODE (no item -1)"},
        {kPulse, entry(0, 0), "Output Pulse Mode : CW (not set)"},
        {kServo, entry(1, 0), "Enable Servo ON checked"},
        {kServo, entry(0, 0), "Enable Servo ON unchecked"},
        {kAvtri, entry(2, 0), "Enable AVTRI checked"},  // any non-zero flag
        {kMaxV, entry(1, 2000000), "Enable MaxV checked, MaxV 2000000 Pulse"},
        {kMaxV, entry(1, 0), "Enable MaxV checked, MaxV 0 Pulse (the screen shows 2000000)"},
        {kVring, entry(0, 0), "Enable VRING unchecked, VRING 0 Pulse (the screen shows 10000)"},
        {kVring, entry(1, INT32_MIN), "Enable VRING checked, VRING -2147483648 Pulse"},
    };
    for (const auto& [e, value, words] : cases) EXPECT_EQ(entryWords(e, value), words);
}

// What the fields take and the lists hold; 0 is always a fresh value.
TEST(SettingsWords, RangesAreTheScreensFieldsAndLists) {
    const std::tuple<int, std::int32_t, std::int32_t, bool> cases[] = {
        {kMaxV, 8000, 0, true},     {kMaxV, 4000000, 0, true},    {kMaxV, 0, 0, true},
        {kMaxV, 4000001, 0, false}, {kVring, INT32_MAX, 0, true}, {kVring, -1, 0, false},
        {kPulse, 5, 0, true},       {kPulse, 6, 0, false},        {kFilter, 31, 7, true},
        {kFilter, 32, 0, false},    {kFilter, 1, 8, false},       {kEncoder, 3, 1, true},
        {kEncoder, 4, 0, false},    {kEncoder, 0, 2, false},      {kStop, 2, 0, false},
        {kAlarm, 2, 0, false},      {kInPos, 2, 0, false},        {kHome, 1, 0, true}};
    for (const auto& [e, first, second, producible] : cases) {
        EXPECT_EQ(unproducibleReasons(e, entry(1, first, second)).empty(), producible)
            << e << ": " << first << ", " << second;
    }
    EXPECT_TRUE(unproducibleReasons(kAlarm, entry(0, 1)).empty()) << "logic, then unchecked";
    EXPECT_EQ(unproducibleReasons(kMaxV, entry(1, 7999)),
              Reasons{"first value 7999 is outside 8000 to 4000000"});
    EXPECT_EQ(storedRange(kServo, 1), std::nullopt);
    EXPECT_EQ(storedRange(kMaxV, 3), std::nullopt);
}

TEST(SettingsWords, WhatNoHandlerStoresIsNamedAndEmptyIsEveryByteZero) {
    SettingEntry odd = entry(2, 0);
    odd.padding = {0, 0, 1};
    const std::tuple<int, SettingEntry, Reasons> cases[] = {
        {kServo, entry(1, 7), {"first value 7 is never stored by the screen"}},
        {kPulse, entry(1, 0, 0, 4), {"third value 4 is never stored by the screen"}},
        {kHardLimit,
         entry(1, 1, 0),
         {"first and second differ; the screen stores one index in both"}},
        {kHome, entry(0, 1), {"values without the entry enabled; the screen sets both together"}},
        {kHome, entry(0, 0), {}},  // a fresh entry
        {kAvtri, odd, {"enabled is 2, not 0 or 1", "the padding bytes are not zero"}},
    };
    for (const auto& [e, value, reasons] : cases) EXPECT_EQ(unproducibleReasons(e, value), reasons);

    // A record is empty only when every byte is zero.
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
