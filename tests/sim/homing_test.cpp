#include <gtest/gtest.h>

#include "basic/homing_sequence.h"
#include "basic/jog_sequence.h"
#include "sim/axis_model.h"
#include "sim_bench.h"

namespace velmira {
namespace {

struct HomeCase {
    int item;          // of the home Mode list; -1 none
    const char* what;  // the steps it searches
    std::int32_t end;  // on the default machine, from 0
    bool fails = false;
};

// The default machine: SD cam -70000..-58000, home sensor -62000..-60000,
// index pulses at ...-63000, -59000, -55000..., limits at +-100000.
const HomeCase kHomeList[] = {
    {0, "NearHome, Lmt-", -58000},
    {1, "Home, Lmt-", -60000},
    {2, "NearHome, Home, Lmt-", -60000},
    {3, "Home, Index, Lmt-", -63000},
    {4, "NearHome, Index, Lmt-", -59000},
    {5, "NearHome, Home, Index, Lmt-", -63000},
    {6, "NearHome,Home,Lmt-,Index,Offset,Lmt+", -59000 + 120000},
    {-1, "no item: the offset runs into LMT-", -100000, true},
    {7, "past the list: as no item", -100000, true},
};

// The four-axis module searches while the program polls; the two-axis one
// returns from AUTO_HOME when both axes are home.
TEST(SimHoming, SearchesEndWhereTheMachinePutsThemOnBothKinds) {
    for (const HomeCase& c : kHomeList) {
        SCOPED_TRACE(c.what);
        RackDescription machine;
        machine.bySlot[5].axes[1].start = 30000;  // Y has further to go
        SimBench bench(machine);
        auto& lib = bench.lorvex;
        constexpr int card = SimBench::kLorvexCard;
        // What the program sends for the HOME button.
        lib.NORMAL_SPEED(card, 4, 0);
        lib.SET_V(card, 4, 50000);
        lib.SET_A(card, 4, 100000);
        lib.SET_HV(card, 4, 5000);
        const HomeStepCodes h = homeStepCodes(c.item);
        lib.SET_HOME_MODE(card, 4, h.nearHome, h.home, h.index, h.offset, 120000);
        lib.HOME_START(card, 4);
        bench.clock.advanceMs(100);
        EXPECT_EQ(lib.HOME_WAIT(card, 4), 0) << "still searching";
        ASSERT_TRUE(bench.runUntil([&] { return lib.HOME_WAIT(card, 4) != 0; }));
        EXPECT_EQ(lib.GET_LP(card, 4), c.end);
        EXPECT_EQ(lib.GET_EP(card, 4), c.end);
        EXPECT_EQ(lib.GET_CV(card, 4), 0);
        EXPECT_EQ((lib.GET_ERROR_CODE(card, 4) & axis_error::kHomeFailed) != 0, c.fails);
        EXPECT_EQ(lib.GET_LP(card, 1), 0) << "the other axes stay";

        auto& two = bench.quenby;
        constexpr int card2 = SimBench::kQuenbyCard;
        two.SET_MAX_V(card2, 3, 2000000);
        two.SET_A(card2, 3, 100000);
        two.SET_SV(card2, 3, 1000);
        const std::int64_t before = bench.clock.nowMicros();
        two.AUTO_HOME(card2, 3, h.nearHome, h.home, h.index, h.offset, 120000, 50000, 5000, 6000);
        EXPECT_GT(bench.clock.nowMicros() - before, 1000000) << "the call took the search's time";
        EXPECT_EQ(two.GET_LP(card2, 1), c.end);
        EXPECT_EQ(two.GET_LP(card2, 2), c.end - 30000) << "counted from where Y started";
        EXPECT_EQ(two.GET_DI(card2, 3, 0), 0) << "nothing drives any more";
    }
}

TEST(SimHoming, InterruptedOrImpossibleSearchesStillEnd) {
    RackDescription machine;
    machine.bySlot[1].axes[0].alarm = true;
    machine.bySlot[1].axes[2].indexSpacing = 0;  // Z has no index pulse
    SimBench bench(machine);
    auto& lib = bench.lorvex;
    lib.SET_HOME_MODE(1, 15, 2, 2, 2, 0, 0);
    lib.HOME_START(1, 15);
    bench.clock.advanceMs(300);
    lib.SET_ALARM(1, 1, 1, 0);   // X's drive alarm now counts
    lib.STOP_SLOWLY(1, 2);       // Y is stopped
    lib.SET_HOME_EDGE(1, 8, 1);  // U's home logic is wrong: the search
    lib.SET_NHOME(1, 8, 1);      // leaves cam and sensor the wrong way
    ASSERT_TRUE(bench.runUntil([&] { return lib.HOME_WAIT(1, 15) != 0; }));
    for (const int mask : {1, 2, 4}) {
        EXPECT_TRUE(lib.GET_ERROR_CODE(1, mask) & axis_error::kHomeFailed) << mask;
        EXPECT_EQ(lib.GET_DI(1, mask, 0), 0) << mask;
    }
    lib.SET_HOME_MODE(1, 1, 3, 0, 0, 0, 0);
    lib.HOME_START(1, 1);
    EXPECT_NE(lib.HOME_WAIT(1, 1), 0) << "an unknown step code ends at once";
}

// Servo off with no other axis moving leaves the rack idle: the search must
// end all the same, and must not cut short the axis's next move or path.
TEST(SimHoming, ServoOffEndsTheSearchAndFreesTheAxis) {
    SimBench bench;
    auto& lib = bench.lorvex;
    lib.AXIS_ASSIGN(1, 1, 2, 0);
    lib.SET_VV(1, 20000);
    for (const bool path : {false, true}) {
        lib.SET_HOME_MODE(1, 1, 2, 2, 0, 0, 0);
        lib.HOME_START(1, 1);
        bench.clock.advanceMs(300);
        lib.SERVO_OFF(1, 1);
        if (!path) bench.clock.advanceMs(50);  // the path comes in the same instant
        EXPECT_NE(lib.HOME_WAIT(1, 1), 0) << path;
        EXPECT_TRUE(lib.GET_ERROR_CODE(1, 1) & axis_error::kHomeFailed) << path;
        lib.SERVO_ON(1, 1);
        const std::int32_t x = lib.GET_LP(1, 1), y = lib.GET_LP(1, 2);
        if (path) {
            lib.LINE_2D(1, 10000, 5000);
        } else {
            lib.FIXED_MOVE(1, 1, 10000);
        }
        bench.record(lib, 1, 1, 10);
        EXPECT_EQ(lib.GET_LP(1, 1), x + 10000) << path;
        EXPECT_EQ(lib.GET_LP(1, 2), path ? y + 5000 : y);
        EXPECT_EQ(lib.GET_ERROR_CODE(1, 1), 0u) << path;
    }
}

// Time passes while the homing sequence sleeps and while messages would run.
class ClockHost final : public HomingHost {
  public:
    explicit ClockHost(ManualSimClock& clock) : clock_(clock) {}
    void writeRow(int, const std::string&) override {}
    void sleepMs(int ms) override { clock_.advanceMs(ms); }
    void doEvents() override { clock_.advanceMs(10); }
    bool abandon() override { return false; }
    void callAside(const std::function<void()>& call) override { call(); }

  private:
    ManualSimClock& clock_;
};

// What Basic Operation sends is what the machine does: a jog there and back, then the
// sequence's home search, on both kinds of module.
TEST(SimHoming, JogsEndOnTheirDistanceAndTheSequencesSearchZeroesBothPositions) {
    SimBench bench;
    SettingsImage settings;
    settings.record(SimBench::kLorvexCard, 0).maxV.first = 2000000;
    ClockHost host(bench.clock);
    for (auto [lib, card] : {std::pair<MotionLibrary*, int>{&bench.lorvex, SimBench::kLorvexCard},
                             {&bench.quenby, SimBench::kQuenbyCard}}) {
        SCOPED_TRACE(card);
        lib->SERVO_ON(card, 1);
        JogRequest r;
        r.target = {lib->kind(), static_cast<std::uint8_t>(card), 1, 0};
        r.values = {20000, 20000, 100000, 500, 500, 300, 12345, 9};
        r.profile = Profile::SCurve;
        RunJogSequence(*lib, r, settings);
        EXPECT_GT(peakSpeed(bench.record(*lib, card, 1, 5)), 10000);
        EXPECT_EQ(lib->GET_EP(card, 1), 12345);
        r.forward = false;
        r.values.p = 345;
        RunJogSequence(*lib, r, settings);
        EXPECT_EQ(bench.record(*lib, card, 1, 5).back().lp, 12000);

        EXPECT_FALSE(RunHomingSequence(*lib, {r.target, 5000, 6}, settings, host).abandoned);
        EXPECT_EQ(bench.read(*lib, card, 1).lp, 0);
        EXPECT_EQ(bench.read(*lib, card, 1).ep, 0);
        EXPECT_EQ(lib->GET_ERROR_CODE(card, 1) & axis_error::kHomeFailed, 0u);
    }
}

}  // namespace
}  // namespace velmira
