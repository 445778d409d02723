#include "basic/jog_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "support/call_log.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;
using enum DrivingMode;
using enum Profile;
using enum Symmetry;

class Jog : public ::testing::Test {
  protected:
    // Every value differs, so that one passed for another shows.
    static JogRequest request(ModuleKind kind, int card, std::uint32_t mask, int index) {
        const JogValues v{
            .sv = 201, .v = 20002, .a = 100003, .d = 504, .k = 505, .l = 306, .p = 10007, .ao = 9};
        return {.target = {kind, static_cast<std::uint8_t>(card), mask, index}, .values = v};
    }
    Texts run(const JogRequest& r) {
        return RunJogSequence(r.target.kind == ModuleKind::Lorvex ? lorvex : quenby, r, settings);
    }

    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    RecordingMotionLibrary quenby{ModuleKind::Quenby, log};
    SettingsImage settings;
};

// The calls after the maximum speed, which has no row; each of them is a row.
TEST_F(Jog, ProfileSymmetryAndDrivingModeChooseTheCalls) {
    struct Case {
        ModuleKind kind;
        Profile profile;
        Symmetry symmetry;
        DrivingMode mode;
        bool forward;
        const char* tail;  // after SET_V, SET_AO and SET_SV
    };
    const ModuleKind four = ModuleKind::Lorvex, two = ModuleKind::Quenby;
    const Case cases[] = {
        {four, TCurve, Symmetric, PointToPoint, true,
         "NORMAL_SPEED(3,8,0) SET_A(3,8,100003) FIXED_MOVE(3,8,10007)"},
        {four, TCurve, Asymmetric, Continuous, false,
         "NORMAL_SPEED(3,8,2) SET_A(3,8,100003) SET_D(3,8,504) CONTINUE_MOVE(3,8,-10007)"},
        {four, SCurve, Symmetric, ManualPulser, false,
         "NORMAL_SPEED(3,8,1) SET_K(3,8,505) EXD_MP(3,8,-10007)"},
        {four, SCurve, Asymmetric, Home, true, "NORMAL_SPEED(3,8,3) SET_K(3,8,505) SET_L(3,8,306)"},
        {two, SCurve, Asymmetric, Continuous, true,  // the two-axis module has no L
         "NORMAL_SPEED(3,8,3) SET_K(3,8,505) CONTINUE_MOVE(3,8,10007)"},
        {two, TCurve, Asymmetric, Home, true,
         "NORMAL_SPEED(3,8,2) SET_A(3,8,100003) SET_D(3,8,504)"},
        {four, Constant, Asymmetric, PointToPoint, false, "FIXED_MOVE(3,8,-10007)"},
    };
    for (const Case& c : cases) {
        log.clear();
        JogRequest r = request(c.kind, 3, 8, 3);
        r.profile = c.profile;
        r.symmetry = c.symmetry;
        r.drivingMode = c.mode;
        r.forward = c.forward;
        const std::string prefix(libraryPrefix(c.kind));
        Texts calls{prefix + "SET_MAX_V(3,8,2000000)", prefix + "SET_V(3,8,20002)",
                    prefix + "SET_AO(3,8,9)", prefix + "SET_SV(3,8,201)"};
        std::istringstream tail(c.tail);
        for (std::string call; tail >> call;) calls.push_back(prefix + call);
        const Texts rows = run(r);
        EXPECT_EQ(log.texts(), calls) << calls.back();
        EXPECT_EQ(rows, Texts(calls.begin() + 1, calls.end()));

        // The fields read for the jog are those whose values it passes.
        std::vector<std::int64_t> used, passed;
        for (auto field : jogValuesUsed(r)) used.push_back(r.values.*field);
        for (const Call& call : log.calls()) {
            if (call.function.ends_with("MAX_V") || call.function.ends_with("NORMAL_SPEED"))
                continue;
            passed.push_back(std::abs(call.args.back()));
        }
        std::ranges::sort(used);
        std::ranges::sort(passed);
        EXPECT_EQ(used, passed) << calls.back();
    }
}

TEST_F(Jog, MaximumSpeedIsTheAxisConfigurationOnTheFourAxisModuleOnly) {
    settings.record(1, 1).maxV.first = 1500000;
    settings.record(1, 0).maxV.first = 1200000;  // a whole module's settings land in its X record
    settings.record(2, 0).maxV.first = 999;      // the next slot's X axis: number 4 x 1 + 4
    settings.record(5, 0).maxV.first = 777;      // not the two-axis module's concern
    const std::pair<JogRequest, const char*> cases[] = {
        {request(ModuleKind::Lorvex, 1, 2, 1), "lorvexMF_SET_MAX_V(1,2,1500000)"},
        {request(ModuleKind::Lorvex, 1, 15, 4), "lorvexMF_SET_MAX_V(1,15,1200000)"},
        {request(ModuleKind::Lorvex, 3, 8, 3), "lorvexMF_SET_MAX_V(3,8,2000000)"},  // never set
        {request(ModuleKind::Quenby, 5, 1, 0), "quenbyMF_SET_MAX_V(5,1,2000000)"},
    };
    for (const auto& [r, maxSpeed] : cases) {
        log.clear();
        run(r);
        EXPECT_EQ(log.texts().front(), maxSpeed);
    }
}

// Backward goes as far as it can for the one distance without a negation; the
// offset pulse reaches the library as sixteen bits but shows as read.
TEST_F(Jog, ValuesBeyondTheirRange) {
    JogRequest r = request(ModuleKind::Lorvex, 1, 1, 0);
    r.values.p = INT32_MIN;
    r.values.ao = 70000;
    r.forward = false;
    const Texts rows = run(r);
    EXPECT_EQ(rows.back(), "lorvexMF_FIXED_MOVE(1,1,2147483647)");
    EXPECT_EQ(rows[1], "lorvexMF_SET_AO(1,1,70000)");
    EXPECT_EQ(log.textsOf("lorvexMF_SET_AO"), Texts{"lorvexMF_SET_AO(1,1,4464)"});
}

TEST_F(Jog, OnTheFlyServoAndStopMakeTheirCallsAndNoneWithoutAModule) {
    changeOnTheFly(nullptr, {}, OnTheFly::Speed, 5);
    switchServo(nullptr, {}, true);
    stopSlowly(nullptr, {});
    EXPECT_TRUE(log.calls().empty());
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
