#include "sim/sim_rack.h"

#include <gtest/gtest.h>

#include "hw/discovery.h"

namespace velmira {
namespace {

TEST(SimRack, DefaultRackAnswersWithTheIdsOfItsModules) {
    ManualSimClock clock;
    SimRack rack(*parseSlotList(kDefaultRack).ids, {}, clock);
    SimBackplane backplane(rack);
    SlotTable table;
    probeSlots(table, backplane);
    EXPECT_EQ(table.entries[1].id, 69);
    EXPECT_EQ(table.entries[3].id, 83);
    EXPECT_EQ(table.entries[5].id, 82);
    EXPECT_EQ(table.entries[2].id, 0xFF);
    EXPECT_EQ(table.moduleCount, 3u);
}

TEST(SimRack, RegistersOnlyTheKindFittedInTheSlot) {
    ManualSimClock clock;
    SimRack rack(*parseSlotList("1=Lorvex, 3=LorvexF ,5=Quenby,6=7").ids, {}, clock);
    SimMotionLibrary lorvex(ModuleKind::Lorvex, rack);
    SimMotionLibrary quenby(ModuleKind::Quenby, rack);
    EXPECT_EQ(lorvex.REGISTRATION(1, 1), 1);
    EXPECT_EQ(lorvex.REGISTRATION(3, 3), 1);
    EXPECT_EQ(quenby.REGISTRATION(3, 3), 0);
    EXPECT_EQ(quenby.REGISTRATION(5, 5), 1);
    EXPECT_EQ(lorvex.REGISTRATION(5, 5), 0);
    EXPECT_EQ(lorvex.REGISTRATION(6, 6), 0) << "ID 7 is no motion module";
    EXPECT_EQ(lorvex.REGISTRATION(2, 2), 0);
    EXPECT_EQ(lorvex.REGISTRATION(9, 9), 0);
}

TEST(SimRack, PositionsReadBackWhatWasSetAndSeveralAxesAnswerForTheLowest) {
    ManualSimClock clock;
    SimRack rack(*parseSlotList("2=Lorvex").ids, {}, clock);
    SimMotionLibrary lorvex(ModuleKind::Lorvex, rack);
    EXPECT_EQ(lorvex.SET_LP(2, 1, 100), 0);
    EXPECT_EQ(lorvex.GET_LP(2, 1), 0) << "nothing answers before registration";
    ASSERT_EQ(lorvex.REGISTRATION(2, 2), 1);
    lorvex.SET_LP(2, 4, -250);
    lorvex.SET_EP(2, 12, 77);
    EXPECT_EQ(lorvex.GET_LP(2, 4), -250);
    EXPECT_EQ(lorvex.GET_LP(2, 12), -250) << "Z is the lowest of Z and U";
    EXPECT_EQ(lorvex.GET_EP(2, 8), 77);
    EXPECT_EQ(lorvex.GET_EP(2, 1), 0);
    lorvex.SET_LP(2, 15, 5);
    EXPECT_EQ(lorvex.GET_LP(2, 8), 5);
}

TEST(SimRack, OnTheSteadyClockAxesMoveInRealTime) {
    SteadySimClock clock;
    SimRack rack(*parseSlotList("2=Quenby").ids, {}, clock);
    SimMotionLibrary quenby(ModuleKind::Quenby, rack);
    ASSERT_EQ(quenby.REGISTRATION(2, 2), 1);
    quenby.SET_SV(2, 1, 20000);
    quenby.SET_V(2, 1, 20000);
    quenby.FIXED_MOVE(2, 1, 90000);
    clock.wait(200000);
    // At least 200 ms have passed at 20000 pulses/s; how much more is up to the machine.
    EXPECT_GE(quenby.GET_LP(2, 1), 3980);
    EXPECT_EQ(quenby.GET_DI(2, 1, 0), 1);
}

}  // namespace
}  // namespace velmira
