#include "basic/jog_sequence.h"

#include <gtest/gtest.h>

#include "hw/call_log.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;

class Jog : public ::testing::Test {
  protected:
    // The defaults a first visit of an axis shows.
    static JogRequest request(ModuleKind kind, int card, std::uint32_t mask, int index) {
        JogRequest r;
        r.target = {kind, static_cast<std::uint8_t>(card), mask, index};
        r.values = {20000, 20000, 100000, 500, 500, 300, 10000, 9};
        return r;
    }
    Texts run(const JogRequest& r) {
        MotionLibrary* lib = r.target.kind == ModuleKind::Lorvex   ? &lorvex
                             : r.target.kind == ModuleKind::Quenby ? &quenby
                                                                   : nullptr;
        return RunJogSequence(lib, r, settings);
    }

    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    RecordingMotionLibrary quenby{ModuleKind::Quenby, log};
    SettingsImage settings;
};

TEST_F(Jog, BackwardOnAFourAxisYGivesTheWorkedBlockCallForCall) {
    settings.record(1, 1).maxV.first = 1500000;
    JogRequest r = request(ModuleKind::Lorvex, 1, 2, 1);
    r.forward = false;
    EXPECT_EQ(run(r), (Texts{"lorvexMF_SET_V(1,2,20000)", "lorvexMF_SET_AO(1,2,9)",
                             "lorvexMF_SET_SV(1,2,20000)", "lorvexMF_NORMAL_SPEED(1,2,0)",
                             "lorvexMF_SET_A(1,2,100000)", "lorvexMF_FIXED_MOVE(1,2,-10000)"}));
    EXPECT_EQ(log.texts(), (Texts{"lorvexMF_SET_MAX_V(1,2,1500000)", "lorvexMF_SET_V(1,2,20000)",
                                  "lorvexMF_SET_AO(1,2,9)", "lorvexMF_SET_SV(1,2,20000)",
                                  "lorvexMF_NORMAL_SPEED(1,2,0)", "lorvexMF_SET_A(1,2,100000)",
                                  "lorvexMF_FIXED_MOVE(1,2,-10000)"}));
}

TEST_F(Jog, EveryProfileOfTheFourAxisModuleSendsItsCallsAndRows) {
    struct Case {
        int acc, sym;
        Texts profile;
    };
    const Case cases[] = {
        {0, 0, {"lorvexMF_NORMAL_SPEED(3,8,0)", "lorvexMF_SET_A(3,8,100000)"}},
        {0,
         1,
         {"lorvexMF_NORMAL_SPEED(3,8,2)", "lorvexMF_SET_A(3,8,100000)", "lorvexMF_SET_D(3,8,500)"}},
        {1, 0, {"lorvexMF_NORMAL_SPEED(3,8,1)", "lorvexMF_SET_K(3,8,500)"}},
        {1,
         1,
         {"lorvexMF_NORMAL_SPEED(3,8,3)", "lorvexMF_SET_K(3,8,500)", "lorvexMF_SET_L(3,8,300)"}},
        // A profile the screen never produces: no profile step, the move is row 4.
        {2, 0, {}},
    };
    for (const Case& c : cases) {
        log.clear();
        JogRequest r = request(ModuleKind::Lorvex, 3, 8, 3);
        r.accMode = c.acc;
        r.symMode = c.sym;
        Texts expected{"lorvexMF_SET_V(3,8,20000)", "lorvexMF_SET_AO(3,8,9)",
                       "lorvexMF_SET_SV(3,8,20000)"};
        expected.insert(expected.end(), c.profile.begin(), c.profile.end());
        expected.push_back("lorvexMF_FIXED_MOVE(3,8,10000)");
        EXPECT_EQ(run(r), expected) << c.acc << "," << c.sym;
        expected.insert(expected.begin(), "lorvexMF_SET_MAX_V(3,8,2000000)");
        EXPECT_EQ(log.texts(), expected);
    }
}

TEST_F(Jog, BackwardNegatesTheDistanceInEveryDrivingMode) {
    const std::pair<int, const char*> modes[] = {
        {kPointToPoint, "lorvexMF_FIXED_MOVE(1,1,-750)"},
        {kContinuousOutput, "lorvexMF_CONTINUE_MOVE(1,1,-750)"},
        {kManualPulsar, "lorvexMF_EXD_MP(1,1,-750)"}};
    for (const auto& [mode, move] : modes) {
        log.clear();
        JogRequest r = request(ModuleKind::Lorvex, 1, 1, 0);
        r.drivingMode = mode;
        r.values.p = 750;
        r.forward = false;
        EXPECT_EQ(run(r).back(), move);
        EXPECT_EQ(log.texts().back(), move);
        r.forward = true;
        EXPECT_EQ(run(r).back().find("-750"), std::string::npos) << "forward keeps the sign";
    }
    // The one distance whose negation has no 32-bit value goes as far as it can.
    JogRequest r = request(ModuleKind::Lorvex, 1, 1, 0);
    r.values.p = INT32_MIN;
    r.forward = false;
    EXPECT_EQ(run(r).back(), "lorvexMF_FIXED_MOVE(1,1,2147483647)");
}

TEST_F(Jog, OffsetPulseReachesTheLibraryAsSixteenBitsButShowsAsRead) {
    JogRequest r = request(ModuleKind::Lorvex, 1, 1, 0);
    r.values.ao = 70000;
    EXPECT_EQ(run(r)[1], "lorvexMF_SET_AO(1,1,70000)");
    EXPECT_EQ(log.textsOf("lorvexMF_SET_AO"), Texts{"lorvexMF_SET_AO(1,1,4464)"});
}

TEST_F(Jog, TheTwoAxisModuleHasAFixedMaximumSpeedAndNoDecelRate) {
    settings.record(5, 0).maxV.first = 777;  // not the two-axis module's concern
    JogRequest r = request(ModuleKind::Quenby, 5, 1, 0);
    r.accMode = 1;
    r.symMode = 1;
    r.drivingMode = kContinuousOutput;
    const Texts rows = run(r);
    EXPECT_EQ(rows, (Texts{"quenbyMF_SET_V(5,1,20000)", "quenbyMF_SET_AO(5,1,9)",
                           "quenbyMF_SET_SV(5,1,20000)", "quenbyMF_NORMAL_SPEED(5,1,3)",
                           "quenbyMF_SET_K(5,1,500)", "quenbyMF_CONTINUE_MOVE(5,1,10000)"}));
    EXPECT_EQ(rows.size(), 6u) << "the move is row 6";
    EXPECT_EQ(log.texts().front(), "quenbyMF_SET_MAX_V(5,1,2000000)");
    EXPECT_TRUE(log.textsOf("quenbyMF_SET_L").empty());
}

TEST_F(Jog, HomeModeSetsTheProfileButMakesNoMove) {
    JogRequest r = request(ModuleKind::Lorvex, 1, 4, 2);
    r.drivingMode = kHomeMode;
    EXPECT_EQ(run(r).size(), 5u);
    r.symMode = 1;
    EXPECT_EQ(run(r).size(), 6u);
    for (const Call& c : log.calls()) {
        EXPECT_EQ(c.function.find("MOVE"), std::string::npos) << c.text();
        EXPECT_NE(c.function, "lorvexMF_EXD_MP");
    }
}

TEST_F(Jog, AWholeModuleMovesEveryAxisWithItsXAxisMaximumSpeed) {
    settings.record(1, 0).maxV.first = 1200000;  // the module's settings land in its X record
    settings.record(2, 0).maxV.first = 999;      // the next slot's X axis: number 4 x 1 + 4
    const Texts rows = run(request(ModuleKind::Lorvex, 1, 15, 4));
    EXPECT_EQ(log.texts().front(), "lorvexMF_SET_MAX_V(1,15,1200000)");
    for (const std::string& row : rows) EXPECT_NE(row.find("(1,15,"), std::string::npos) << row;
}

TEST_F(Jog, AMaximumSpeedNeverConfiguredIsTheDefaultNotZero) {
    run(request(ModuleKind::Lorvex, 3, 8, 3));
    EXPECT_EQ(log.texts().front(), "lorvexMF_SET_MAX_V(3,8,2000000)");
}

TEST_F(Jog, NoModuleNoCalls) {
    EXPECT_TRUE(run(request(ModuleKind::None, 1, 1, 0)).empty());
    changeOnTheFly(nullptr, {}, OnTheFly::Speed, 5);
    switchServo(nullptr, {}, true);
    stopSlowly(nullptr, {});
    EXPECT_TRUE(log.calls().empty());
}

TEST_F(Jog, OnTheFlyServoAndStopMakeTheirCalls) {
    const MotionTarget y{ModuleKind::Quenby, 5, 2, 1};
    changeOnTheFly(&quenby, y, OnTheFly::Speed, 30000);
    changeOnTheFly(&quenby, y, OnTheFly::Acceleration, 2000);
    changeOnTheFly(&quenby, y, OnTheFly::Distance, -400);
    switchServo(&quenby, y, true);
    switchServo(&quenby, y, false);
    stopSlowly(&quenby, y);
    EXPECT_EQ(log.texts(), (Texts{"quenbyMF_SET_V(5,2,30000)", "quenbyMF_SET_A(5,2,2000)",
                                  "quenbyMF_FIXED_MOVE(5,2,-400)", "quenbyMF_SERVO_ON(5,2)",
                                  "quenbyMF_SERVO_OFF(5,2)", "quenbyMF_STOP_SLOWLY(5,2)",
                                  "quenbyMF_CLEAR_STOP(5)"}));
}

}  // namespace
}  // namespace velmira
