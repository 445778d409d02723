#include "advanced/interpolation_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "support/call_log.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;
using enum PathMode;
using enum Profile;
using enum Symmetry;

class Interpolation : public ::testing::Test {
  protected:
    // Axis1 X, Axis2 Y (and Z third), card 3. Every value differs, so that one
    // passed for another shows.
    static InterpolationRequest request(std::optional<PathMode> mode,
                                        std::optional<Profile> profile,
                                        std::optional<Symmetry> symmetry,
                                        std::optional<ArcDirection> direction = ArcDirection::CW) {
        // VSV, VV, VA, VD, VK, VL, VAO, FP1, FP2, FP3, CP1, CP2
        const PathValues v{501, 2002, 1003, 504, 505, 306, 27, 10008, 5009, 2010, 311, 12};
        return {3, 1, 2, 4, mode, profile, symmetry, direction, true, v};
    }

    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
};

// Each row is its call. The group is VECTOR_SPEED's mode and its settings.
TEST_F(Interpolation, ModeProfileAndSymmetryChooseTheGroupAndTheMove) {
    struct Case {
        std::optional<PathMode> mode;
        std::optional<Profile> profile;
        std::optional<Symmetry> symmetry;
        const char* group;  // "mode: settings", or nothing: no VECTOR_SPEED
        const char* move;   // nothing: no move
        std::optional<ArcDirection> direction = ArcDirection::CW;
    };
    const char* line2 = "LINE_2D(3,10008,5009)";
    const char* line3 = "LINE_3D(3,10008,5009,2010)";
    const Case cases[] = {
        {Linear2D, Constant, Asymmetric, "0:", line2},
        {Linear2D, TCurve, Symmetric, "1: VSV VA", line2},
        {Linear2D, TCurve, Asymmetric, "3: VSV VA VD VAO", line2},
        {Linear2D, SCurve, Symmetric, "2: VSV VK VAO", line2},
        {Linear2D, SCurve, Asymmetric, "4: VSV VK VL VAO", line2},
        {Linear3D, Constant, std::nullopt, "7: VSV", line3},
        {Linear3D, TCurve, Symmetric, "8: VSV VA VAO", line3},
        {Linear3D, TCurve, Asymmetric, "10: VSV VA VD VAO", line3},
        {Linear3D, SCurve, Symmetric, "9: VSV VK VAO", line3},
        {Linear3D, SCurve, Asymmetric, "11: VSV VK VL VAO", line3},
        // The symmetry, not the profile, chooses between an arc and a full circle.
        {Circular, Constant, Symmetric, "5: VSV VA VAO", "ARC_CW(3,311,12,10008,5009)"},
        {Circular, std::nullopt, Asymmetric, "6: VSV VA VD VAO", "CIRCLE_CW(3,311,12)"},
        {Circular, SCurve, Symmetric, "5: VSV VA VAO", "ARC_CCW(3,311,12,10008,5009)",
         ArcDirection::CCW},
        {Circular, TCurve, Asymmetric, "6: VSV VA VD VAO", "CIRCLE_CCW(3,311,12)",
         ArcDirection::CCW},
        // A group left unchosen: no group, but the line; no direction: no arc.
        {Linear2D, TCurve, std::nullopt, "", line2},
        {Linear3D, std::nullopt, Symmetric, "", line3},
        {Circular, TCurve, Symmetric, "5: VSV VA VAO", "", std::nullopt},
        {Circular, TCurve, std::nullopt, "", ""},
        {std::nullopt, TCurve, Symmetric, "", ""},
    };
    const std::map<std::string, std::string> value{{"VSV", "501"}, {"VA", "1003"}, {"VD", "504"},
                                                   {"VK", "505"},  {"VL", "306"},  {"VAO", "27"}};
    for (const Case& c : cases) {
        log.clear();
        const InterpolationRequest r = request(c.mode, c.profile, c.symmetry, c.direction);
        const InterpolationRun run = RunInterpolation(lorvex, r);
        Texts calls{"SET_VV(3,2002)"};
        if (c.mode) {
            calls.push_back(c.mode == Linear3D ? "AXIS_ASSIGN(3,1,2,4)" : "AXIS_ASSIGN(3,1,2,0)");
        }
        std::istringstream group(c.group);
        if (std::string mode; group >> mode) {
            calls.push_back("VECTOR_SPEED(3," + mode.substr(0, mode.size() - 1) + ")");
            for (std::string name; group >> name;) {
                calls.push_back("SET_" + name + "(3," + value.at(name) + ")");
            }
        }
        if (*c.move) calls.push_back(c.move);
        for (std::string& call : calls) call = "lorvexMF_" + call;
        EXPECT_EQ(log.texts(), calls) << calls.back();
        EXPECT_EQ(run.rows, calls);

        // The fields read for the run are those whose values it passes.
        std::vector<std::int64_t> used, passed;
        for (auto field : pathValuesUsed(r)) used.push_back(r.values.*field);
        for (const Call& call : log.calls()) {
            if (call.function.ends_with("AXIS_ASSIGN") || call.function.ends_with("VECTOR_SPEED")) {
                continue;
            }
            passed.insert(passed.end(), call.args.begin() + 1, call.args.end());
        }
        std::ranges::sort(used);
        std::ranges::sort(passed);
        EXPECT_EQ(used, passed) << calls.back();
    }
}

TEST_F(Interpolation, BackwardNegatesFinishAndCentrePointsOnlyInEveryMode) {
    const std::pair<InterpolationRequest, const char*> cases[] = {
        {request(Linear2D, Constant, Symmetric), "lorvexMF_LINE_2D(3,-10008,-5009)"},
        {request(Linear3D, Constant, Symmetric), "lorvexMF_LINE_3D(3,-10008,-5009,-2010)"},
        {request(Circular, TCurve, Symmetric, ArcDirection::CCW),
         "lorvexMF_ARC_CCW(3,-311,-12,-10008,-5009)"},
        {request(Circular, TCurve, Asymmetric), "lorvexMF_CIRCLE_CW(3,-311,-12)"},
    };
    for (auto [r, move] : cases) {
        log.clear();
        r.forward = false;
        EXPECT_EQ(RunInterpolation(lorvex, r).rows.back(), move);
        for (const Call& c : log.calls()) {
            if (c.function.find("SET_V") != std::string::npos) {
                EXPECT_GT(c.args.back(), 0) << c.text() << ": speeds keep their sign";
            }
        }
    }
}

TEST_F(Interpolation, OffsetPulsesReachTheModuleAsSixteenBitsButShowAsRead) {
    InterpolationRequest r = request(Linear2D, SCurve, Symmetric);
    r.values.vao = 70000;
    EXPECT_EQ(RunInterpolation(lorvex, r).rows[5], "lorvexMF_SET_VAO(3,70000)");
    EXPECT_EQ(log.textsOf("lorvexMF_SET_VAO"), Texts{"lorvexMF_SET_VAO(3,4464)"});
}

TEST_F(Interpolation, ClashingAxesRefuseEveryModeWithoutACall) {
    for (PathMode mode : {Linear2D, Linear3D, Circular}) {
        InterpolationRequest r = request(mode, TCurve, Symmetric);
        r.axis3 = 1;  // the third list on X, as the first: Linear 2D is refused too
        const InterpolationRun run = RunInterpolation(lorvex, r);
        EXPECT_TRUE(run.refused);
        EXPECT_TRUE(run.rows.empty());
        EXPECT_TRUE(pathValuesUsed(r).empty());
    }
    EXPECT_TRUE(log.calls().empty());
    EXPECT_TRUE(dispositionClashes(0, 0, 4)) << "two lists without a selection";
    EXPECT_FALSE(dispositionClashes(1, 2, 0));
    EXPECT_EQ(dispositionMask(1, 2, 8), 11);
    EXPECT_EQ(dispositionMask(1, 1, 4), 5) << "X, X and Z are X and Z, not the sum 6 (Y and Z)";
}

}  // namespace
}  // namespace velmira
