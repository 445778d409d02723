#include <gtest/gtest.h>

#include <cmath>

#include "sim/axis_model.h"
#include "sim_bench.h"

namespace velmira {
namespace {

constexpr int kCard = SimBench::kLorvexCard;
constexpr int kX = 1;

struct Profile {
    int mode;  // NORMAL_SPEED
    std::int32_t sv, v, a, d, k, l;
    std::int16_t ao = 0;
};

void apply(MotionLibrary& lib, int card, int mask, const Profile& p) {
    lib.SET_SV(card, mask, p.sv);
    lib.SET_V(card, mask, p.v);
    lib.NORMAL_SPEED(card, mask, p.mode);
    lib.SET_A(card, mask, p.a);
    lib.SET_D(card, mask, p.d);
    lib.SET_K(card, mask, p.k);
    if (lib.kind() == ModuleKind::Lorvex) lib.SET_L(card, mask, p.l);
    lib.SET_AO(card, mask, p.ao);
}

// Speed changes per second between samples that are both under way (start
// and stop step between rest and start speed).
std::vector<double> accelerations(const std::vector<SimBench::Sample>& s) {
    std::vector<double> out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1].cv > 0 && s[i].cv > 0) {
            out.push_back((s[i].cv - s[i - 1].cv) / ((s[i].ms - s[i - 1].ms) / 1000.0));
        }
    }
    return out;
}

TEST(SimMotion, FixedMovesEndExactlyOnTargetInEverySpeedMode) {
    const Profile profiles[] = {
        {0, 1000, 40000, 200000, 0, 0, 0, 0},      {1, 500, 30000, 0, 0, 4000000, 0, 0},
        {2, 2000, 50000, 300000, 90000, 0, 0, 37}, {3, 100, 25000, 0, 0, 5000000, 1500000, 9},
        {0, 20000, 20000, 100000, 0, 0, 0, 9},  // the screen's defaults: constant speed
        {2, 1000, 50000, 300000, 0, 0, 0, 40},  // no braking ramp, only AO at SV
    };
    const std::int32_t distances[] = {10000, -10000, 7, -1, 93457, 350};
    for (const Profile& p : profiles) {
        for (const std::int32_t distance : distances) {
            SimBench bench;
            apply(bench.lorvex, kCard, kX, p);
            bench.lorvex.SET_LP(kCard, kX, 1000);
            bench.lorvex.FIXED_MOVE(kCard, kX, distance);
            const auto samples = bench.record(bench.lorvex, kCard, kX);
            const auto& end = samples.back();
            EXPECT_EQ(end.lp, 1000 + distance) << "mode " << p.mode << ", P " << distance;
            EXPECT_EQ(end.ep, distance) << "the encoder follows the motor";
            EXPECT_EQ(end.cv, 0);
            EXPECT_LE(peakSpeed(samples), p.v);
        }
    }
}

TEST(SimMotion, SpeedStaysWithinDriveAndMaximumSpeed) {
    SimBench bench;
    auto& lib = bench.lorvex;
    apply(lib, kCard, kX, {0, 1000, 80000, 400000, 0, 0, 0});
    lib.FIXED_MOVE(kCard, kX, 200000);
    EXPECT_EQ(peakSpeed(bench.record(lib, kCard, kX)), 80000) << "a long move reaches V";

    lib.SET_MAX_V(kCard, kX, 30000);
    lib.FIXED_MOVE(kCard, kX, -200000);
    EXPECT_EQ(peakSpeed(bench.record(lib, kCard, kX)), 30000) << "the maximum speed caps V";
}

TEST(SimMotion, TCurveKeepsWithinAccelerationAndDeceleration) {
    SimBench bench;
    auto& lib = bench.lorvex;
    // 1 ms samples of whole pulses/s: allow for the rounding of two readings.
    constexpr double kReadSlack = 2000;
    apply(lib, kCard, kX, {0, 500, 50000, 250000, 0, 0, 0});
    lib.FIXED_MOVE(kCard, kX, 30000);
    auto acc = accelerations(bench.record(lib, kCard, kX));
    ASSERT_FALSE(acc.empty());
    EXPECT_LE(*std::max_element(acc.begin(), acc.end()), 250000 + kReadSlack);
    EXPECT_GE(*std::min_element(acc.begin(), acc.end()), -250000 - kReadSlack);
    EXPECT_GT(*std::max_element(acc.begin(), acc.end()), 240000) << "it does accelerate at A";

    apply(lib, kCard, kX, {2, 500, 50000, 250000, 60000, 0, 0});
    lib.FIXED_MOVE(kCard, kX, -60000);
    acc = accelerations(bench.record(lib, kCard, kX));
    EXPECT_LE(*std::max_element(acc.begin(), acc.end()), 250000 + kReadSlack);
    EXPECT_GE(*std::min_element(acc.begin(), acc.end()), -60000 - kReadSlack) << "D brakes";
    EXPECT_LT(*std::min_element(acc.begin(), acc.end()), -55000);
}

TEST(SimMotion, SCurveKeepsJerkWithinKAndL) {
    for (const bool asym : {false, true}) {
        SimBench bench;
        auto& lib = bench.lorvex;
        const std::int32_t k = 4000000, l = asym ? 1000000 : k;
        apply(lib, kCard, kX, {asym ? 3 : 1, 1000, 60000, 0, 0, k, l});
        lib.FIXED_MOVE(kCard, kX, 80000);
        // 10 ms samples: the jerk of whole-pulse readings is then within 2e4.
        const auto samples = bench.record(lib, kCard, kX, 10);
        const auto acc = accelerations(samples);
        double rising = 0, falling = 0;
        for (std::size_t i = 1; i < acc.size(); ++i) {
            const double jerk = (acc[i] - acc[i - 1]) / 0.010;
            const bool braking = acc[i] < 0 || acc[i - 1] < 0;
            (braking ? falling : rising) = std::max(braking ? falling : rising, std::abs(jerk));
        }
        EXPECT_LE(rising, k * 1.01 + 20000) << (asym ? "asym" : "sym");
        EXPECT_LE(falling, std::max(k, l) * 1.01 + 20000);
        EXPECT_GT(rising, k * 0.5) << "the S-curve uses its jerk";
        EXPECT_EQ(samples.back().lp, 80000);
    }
}

TEST(SimMotion, ContinuousMoveStopsAtLimitPlusInBothStopModes) {
    const AxisMachine machine;
    for (const bool decelerate : {false, true}) {
        SimBench bench;
        auto& lib = bench.lorvex;
        apply(lib, kCard, kX, {0, 1000, 40000, 100000, 0, 0, 0});
        lib.LIMITSTOP_MODE(kCard, kX, decelerate ? 1 : 0);
        lib.CONTINUE_MOVE(kCard, kX, 1);
        const auto samples = bench.record(lib, kCard, kX);
        const std::int32_t end = samples.back().lp;
        if (decelerate) {
            const double braking = 40000.0 * 40000.0 / (2 * 100000);
            EXPECT_GT(end, machine.limitPlus);
            EXPECT_LE(end, machine.limitPlus + braking + 40);
            const auto acc = accelerations(samples);
            EXPECT_GE(*std::min_element(acc.begin(), acc.end()), -102000);
        } else {
            EXPECT_EQ(end, machine.limitPlus) << "a sudden stop on the switch";
        }
        EXPECT_EQ(lib.GET_DI(kCard, kX, 1), 1) << "LMT+ lamp";
        EXPECT_EQ(lib.GET_DI(kCard, kX, 2), 0);
        EXPECT_TRUE(lib.GET_ERROR_CODE(kCard, kX) & axis_error::kLimitPlus);

        lib.FIXED_MOVE(kCard, kX, 500);
        bench.wait(100, lib, kCard);
        EXPECT_EQ(lib.GET_LP(kCard, kX), end) << "no further into the switch";
        lib.FIXED_MOVE(kCard, kX, -50000);
        bench.record(lib, kCard, kX);
        EXPECT_EQ(lib.GET_LP(kCard, kX), end - 50000) << "away from it is free";
        EXPECT_EQ(lib.GET_DI(kCard, kX, 1), 0);
    }
}

TEST(SimMotion, SoftLimitsStopTheAxisAndRaiseTheirBits) {
    SimBench bench;
    auto& lib = bench.lorvex;
    apply(lib, kCard, kX, {0, 1000, 20000, 100000, 0, 0, 0});
    lib.SET_SLMT(kCard, kX, 5000, -3000, 0);
    lib.FIXED_MOVE(kCard, kX, 10000);
    bench.record(lib, kCard, kX);
    EXPECT_EQ(lib.GET_LP(kCard, kX), 5000);
    EXPECT_EQ(lib.GET_ERROR_CODE(kCard, kX) & 3u, axis_error::kSoftLimitPlus);

    lib.CONTINUE_MOVE(kCard, kX, -1);
    bench.record(lib, kCard, kX);
    EXPECT_EQ(lib.GET_LP(kCard, kX), -3000);
    EXPECT_EQ(lib.GET_ERROR_CODE(kCard, kX) & 3u, axis_error::kSoftLimitMinus);

    lib.CLEAR_SLMT(kCard, kX);
    EXPECT_EQ(lib.GET_ERROR_CODE(kCard, kX) & 3u, 0u);

    // On the encoder, counted at 1/2: the axis stops when the encoder reaches 4000.
    lib.SET_ENCODER(kCard, kX, 0, 1, 0);
    lib.SET_EP(kCard, kX, 0);
    lib.SET_SLMT(kCard, kX, 4000, -100000, 1);
    lib.FIXED_MOVE(kCard, kX, 20000);
    bench.record(lib, kCard, kX);
    EXPECT_EQ(lib.GET_EP(kCard, kX), 4000);
    EXPECT_EQ(lib.GET_LP(kCard, kX), -3000 + 8000);
    EXPECT_TRUE(lib.GET_ERROR_CODE(kCard, kX) & axis_error::kSoftLimitPlus);
}

// A stop brakes along D (T-curve) or L (S-curve); of 0 or less there is no ramp:
// a stop drops to SV and ends within a tick, and a fixed move runs at V to its end.
TEST(SimMotion, StopSlowlyBrakesToRestUnlessThereIsNoRamp) {
    const Profile profiles[] = {
        {0, 1000, 50000, 200000, 0, 0, 0},
        {2, 1000, 50000, 300000, 0, 0, 0},
        {2, 1000, 50000, 300000, -500, 0, 0},
        {3, 1000, 50000, 0, 0, 5000000, 0},
    };
    for (const Profile& p : profiles) {
        SCOPED_TRACE(::testing::Message() << "mode " << p.mode << ", D " << p.d);
        const bool ramp = p.mode == 0;
        SimBench bench;
        auto& lib = bench.lorvex;
        apply(lib, kCard, kX, p);
        lib.FIXED_MOVE(kCard, kX, 60000);
        auto samples = bench.record(lib, kCard, kX);
        EXPECT_EQ(samples.back().lp, 60000);
        if (!ramp) EXPECT_EQ(samples[samples.size() - 2].cv, 50000) << "at V up to the end";

        lib.CONTINUE_MOVE(kCard, kX, -5);
        bench.wait(500, lib, kCard);
        ASSERT_EQ(lib.GET_CV(kCard, kX), 50000);
        lib.STOP_SLOWLY(kCard, kX);
        lib.CLEAR_STOP(kCard);
        samples = bench.record(lib, kCard, kX);
        if (ramp) {
            for (std::size_t i = 1; i < samples.size(); ++i) {
                EXPECT_LE(samples[i].cv, samples[i - 1].cv) << "only slower";
            }
            const auto acc = accelerations(samples);
            EXPECT_GE(*std::min_element(acc.begin(), acc.end()), -202000);
            EXPECT_GT(samples.size(), 200u) << "a quarter second of braking, not a sudden stop";
        } else {
            EXPECT_LE(samples.size(), 3u) << "stopped within a tick";
        }
        const std::int32_t rest = samples.back().lp;
        bench.wait(1000, lib, kCard);
        EXPECT_EQ(lib.GET_LP(kCard, kX), rest);
        EXPECT_EQ(lib.GET_CV(kCard, kX), 0);
        EXPECT_EQ(lib.GET_ERROR_CODE(kCard, kX), 0u);
    }
}

TEST(SimMotion, ChangesOnTheFly) {
    SimBench bench;
    auto& lib = bench.lorvex;
    apply(lib, kCard, kX, {0, 1000, 20000, 100000, 0, 0, 0});
    lib.FIXED_MOVE(kCard, kX, 40000);
    bench.wait(400, lib, kCard);
    lib.SET_V(kCard, kX, 35000);
    bench.wait(300, lib, kCard);
    EXPECT_EQ(lib.GET_CV(kCard, kX), 35000) << "a new V is reached under way";
    lib.FIXED_MOVE(kCard, kX, 60000);
    EXPECT_EQ(bench.record(lib, kCard, kX).back().lp, 60000)
        << "the move now ends 60000 from its start";

    lib.CONTINUE_MOVE(kCard, kX, 1);
    bench.wait(200, lib, kCard);
    lib.SERVO_OFF(kCard, kX);
    EXPECT_EQ(lib.GET_CV(kCard, kX), 0) << "servo off stops the axis at once";
    EXPECT_EQ(lib.GET_DI(kCard, kX, 0), 0);
    const std::int32_t stopped = lib.GET_LP(kCard, kX);
    bench.wait(500, lib, kCard);
    EXPECT_EQ(lib.GET_LP(kCard, kX), stopped);
}

TEST(SimMotion, ManualPulserMovesOnlyByPulserPulses) {
    RackDescription machine;
    machine.bySlot[1].axes[1].pulserRate = 2000;
    SimBench bench(machine);
    auto& lib = bench.lorvex;
    lib.EXD_MP(kCard, 1, 10000);
    lib.EXD_MP(kCard, 2, -10000);
    bench.wait(1500, lib, kCard);
    EXPECT_EQ(lib.GET_LP(kCard, 1), 0) << "nobody turns X's pulser";
    EXPECT_EQ(lib.GET_LP(kCard, 2), -3000) << "Y follows its pulser, backwards";
    EXPECT_EQ(lib.GET_CV(kCard, 2), 2000);
    lib.EXD_DISABLE(kCard, 2);
    bench.wait(500, lib, kCard);
    EXPECT_EQ(lib.GET_LP(kCard, 2), -3000);
}

TEST(SimSignals, InputsReadWithTheConfiguredLogic) {
    RackDescription machine;
    machine.bySlot[1].axes[0].start = 1000;  // on an index pulse
    machine.bySlot[1].axes[1].emergencyStop = true;
    machine.bySlot[1].axes[2].alarm = true;
    SimBench bench(machine);
    auto& lib = bench.lorvex;
    const auto inputs = [&](int mask) {
        std::string s;
        for (int n = 0; n <= 8; ++n) s += static_cast<char>('0' + lib.GET_DI(kCard, mask, n));
        return s;
    };
    EXPECT_EQ(inputs(1), "000000010") << "X on its index pulse";
    lib.SERVO_ON(kCard, 1);
    EXPECT_EQ(inputs(1), "000000011") << "servo on: the drive is ready";
    lib.SET_ENCODER(kCard, 1, 0, 0, 1);
    lib.SET_HOME_EDGE(kCard, 1, 1);
    lib.SET_HLMT(kCard, 1, 1, 1);
    EXPECT_EQ(inputs(1), "011001001") << "High logic on a rack wired Low inverts";
    lib.CONTINUE_MOVE(kCard, 1, 1);
    lib.CONTINUE_MOVE(kCard, 1, -1);
    bench.wait(100, lib, kCard);
    EXPECT_EQ(lib.GET_LP(kCard, 1), 0) << "both limits seem hit: no move";

    EXPECT_EQ(inputs(2), "000100000") << "EMG pressed";
    lib.FIXED_MOVE(kCard, 2, 100);
    bench.wait(100, lib, kCard);
    EXPECT_EQ(lib.GET_LP(kCard, 2), 0);
    EXPECT_TRUE(lib.GET_ERROR_CODE(kCard, 2) & axis_error::kEmergency);

    EXPECT_EQ(inputs(4), "000010000") << "the drive alarm shows";
    lib.FIXED_MOVE(kCard, 4, 100);
    bench.record(lib, kCard, 4);
    EXPECT_EQ(lib.GET_LP(kCard, 4), 100) << "an alarm stops nothing until it is enabled";
    lib.SET_ALARM(kCard, 4, 1, 0);
    lib.FIXED_MOVE(kCard, 4, 100);
    bench.wait(100, lib, kCard);
    EXPECT_EQ(lib.GET_LP(kCard, 4), 100);
    EXPECT_TRUE(lib.GET_ERROR_CODE(kCard, 4) & axis_error::kAlarm);
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

}  // namespace
}  // namespace velmira
