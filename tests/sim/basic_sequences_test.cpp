// The Basic Operation sequences on the simulated rack: what the screen sends
// is what the machine then does.
#include <gtest/gtest.h>

#include "basic/homing_sequence.h"
#include "basic/jog_sequence.h"
#include "basic/status_monitor.h"
#include "sim/sim_bench.h"

namespace velmira {
namespace {

// Time passes while the sequence sleeps and while messages would run.
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

JogRequest jog(ModuleKind kind, int card, int axis, std::int32_t p) {
    JogRequest r;
    r.target = {kind, static_cast<std::uint8_t>(card), 1u << axis, axis};
    r.values = {20000, 20000, 100000, 500, 500, 300, p, 9};
    return r;
}

// A jog there and back, then a home search, on both kinds of module.
TEST(BasicOnSim, JogsEndOnTheirDistanceAndAHomeSearchZeroesBothPositions) {
    SimBench bench;
    SettingsImage settings;
    settings.record(SimBench::kLorvexCard, 0).maxV.first = 2000000;
    ClockHost host(bench.clock);
    for (auto [lib, card] : {std::pair<MotionLibrary*, int>{&bench.lorvex, SimBench::kLorvexCard},
                             {&bench.quenby, SimBench::kQuenbyCard}}) {
        SCOPED_TRACE(card);
        lib->SERVO_ON(card, 1);
        JogRequest r = jog(lib->kind(), card, 0, 12345);
        r.profile = Profile::SCurve;
        RunJogSequence(*lib, r, settings);
        EXPECT_GT(peakSpeed(bench.record(*lib, card, 1, 5)), 10000);
        AxisStatus s;
        readAxisStatus(lib, r.target, s);
        EXPECT_EQ(s.logicPosition, 12345);
        EXPECT_EQ(s.encoderPosition, 12345);
        r.forward = false;
        r.values.p = 345;
        RunJogSequence(*lib, r, settings);
        bench.record(*lib, card, 1, 5);
        readAxisStatus(lib, r.target, s);
        EXPECT_EQ(s.logicPosition, 12000);

        const HomingOutcome out = RunHomingSequence(*lib, {r.target, 5000, 6}, settings, host);
        EXPECT_FALSE(out.abandoned);
        readAxisStatus(lib, r.target, s);
        EXPECT_EQ(s.logicPosition, 0);
        EXPECT_EQ(s.encoderPosition, 0);
        EXPECT_EQ(s.currentSpeed, 0);
        EXPECT_EQ(lib->GET_ERROR_CODE(card, 1) & 0x40, 0u) << "the search did not fail";
    }
}

}  // namespace
}  // namespace velmira
