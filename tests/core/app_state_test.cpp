#include "state/app_state.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "hw/discovery.h"
#include "support/call_log.h"

namespace velmira {
namespace {

TEST(AppState, StartsWithNothingSelectedAndEverythingZero) {
    const auto s = std::make_unique<AppState>();
    EXPECT_EQ(
        std::tuple(s->currentCard, s->currentKind, s->settingsSaved, s->slotTable.moduleCount),
        std::tuple(0, ModuleKind::None, 0, 0u));
    for (const SlotEntry& e : s->slotTable.entries) EXPECT_EQ(e.kind, ModuleKind::None);
    EXPECT_EQ(s->settings.toBytes(), SettingsImage::Bytes{});
    for (const AxisRunParams& block : s->axisRunParams) ASSERT_EQ(block, AxisRunParams{});
    for (const AxisRunParams& block : s->moduleRunParams) ASSERT_EQ(block, AxisRunParams{});
    for (std::uint8_t card = 0; card < kCardRows; ++card) EXPECT_TRUE(s->servoOff(card, 1));
}

// 4 x card + 4 is the next slot's X axis: a whole module must not share it,
// nor, in slot 7, run past either array.
TEST(AppState, AWholeFourAxisModuleHasABlockOfItsOwn) {
    const auto s = std::make_unique<AppState>();
    s->currentCard = 7;
    s->currentKind = ModuleKind::Lorvex;
    s->currentAxisMask = 15;
    s->currentAxisIndex = 4;
    EXPECT_EQ(s->currentRecordNumber(), 32);
    EXPECT_NO_THROW(s->settings.record(7, 4));
    EXPECT_EQ(&s->currentRunParams(), &s->moduleRunParams[7]);
    s->runParams(3, 4).driveVelocity = 7777;
    EXPECT_EQ(s->runParams(4, 0).driveVelocity, 0);
    EXPECT_EQ(s->runParams(3, 3).driveVelocity, 0);
    EXPECT_EQ(s->runParams(3, 4).driveVelocity, 7777);
    s->runParams(4, 0).driveVelocity = 1;
    EXPECT_EQ(s->runParams(3, 4).driveVelocity, 7777);
}

TEST(Probe, ReadsEverySlotAndCountsOnlyMotionModulesByTheirLowByte) {
    CallLog log;
    RecordingBackplane backplane(log);
    log.setResponder("GetSlotAddr", [](const Call& c) { return 0x100 * c.args[0]; });
    // Slot 2 answers with junk above the ID byte; slot 4 holds some other module.
    const std::map<std::int64_t, std::int64_t> ids{{0x200, 0xAB00 | 83}, {0x400, 12}, {0x600, 82}};
    log.setResponder("IoReadByte", [&](const Call& c) -> std::int64_t {
        return ids.contains(c.args[0]) ? ids.at(c.args[0]) : 0xFF;
    });
    SlotTable table;
    probeSlots(table, backplane);

    ASSERT_EQ(log.calls().size(), 14u);
    EXPECT_EQ(log.calls()[0].text(), "GetSlotAddr(1)");
    EXPECT_EQ(log.calls()[1].text(), "IoReadByte(256)");
    EXPECT_EQ(log.calls()[13].text(), "IoReadByte(1792)");
    EXPECT_EQ(table.entries[2].id, 83);
    EXPECT_EQ(table.entries[2].address, 0x200u);
    EXPECT_EQ(table.entries[4].id, 12);
    EXPECT_EQ(table.moduleCount, 2u);
    // The probe finds modules; only registration gives a slot its kind.
    EXPECT_EQ(table.entries[2].kind, ModuleKind::None);

    probeSlots(table, backplane);
    EXPECT_EQ(table.moduleCount, 4u) << "the count tells whether any probe found a module";
}

}  // namespace
}  // namespace velmira
