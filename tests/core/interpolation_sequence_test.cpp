#include "advanced/interpolation_sequence.h"

#include <gtest/gtest.h>

#include "hw/call_log.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;

class Interpolation : public ::testing::Test {
  protected:
    // The defaults of a fresh block, Axis1 X and Axis2 Y (and Z third), card 3.
    static InterpolationRequest request(PathMode mode, VectorProfile profile, Symmetry symmetry,
                                        ArcDirection direction = ArcDirection::CW) {
        InterpolationRequest r;
        r.card = 3;
        r.axis1 = 1;
        r.axis2 = 2;
        r.axis3 = 4;
        r.mode = mode;
        r.profile = profile;
        r.symmetry = symmetry;
        r.direction = direction;
        r.values = {500, 2000, 1000, 500, 500, 300, 20, 10000, 5000, 2000, 300, 0};
        return r;
    }

    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
};

TEST_F(Interpolation, BackwardLinear2DGivesTheWorkedBlockCallForCall) {
    InterpolationRequest r = request(PathMode::Linear2D, VectorProfile::TCurve, Symmetry::Sym);
    r.forward = false;
    const InterpolationRun run = RunInterpolation(lorvex, r);
    const Texts rows{"lorvexMF_SET_VV(3,2000)",    "lorvexMF_AXIS_ASSIGN(3,1,2,0)",
                     "lorvexMF_VECTOR_SPEED(3,1)", "lorvexMF_SET_VSV(3,500)",
                     "lorvexMF_SET_VA(3,1000)",    "lorvexMF_LINE_2D(3,-10000,-5000)"};
    EXPECT_FALSE(run.refused);
    EXPECT_EQ(run.rows, rows);
    EXPECT_EQ(log.texts(), rows);
}

// Every row of the profile-group table: the mode number, the calls in order
// (the group's calls all before its rows, which the returned rows and the call
// log both show in this order), and where the move row falls.
TEST_F(Interpolation, EveryProfileGroupSendsItsModeAndSettings) {
    struct Case {
        PathMode mode;
        VectorProfile profile;
        Symmetry symmetry;
        Texts group;
        const char* move;
    };
    const char* line2 = "lorvexMF_LINE_2D(3,10000,5000)";
    const char* line3 = "lorvexMF_LINE_3D(3,10000,5000,2000)";
    const Case cases[] = {
        {PathMode::Linear2D,
         VectorProfile::Const,
         Symmetry::Asym,
         {"lorvexMF_VECTOR_SPEED(3,0)"},
         line2},
        {PathMode::Linear2D,
         VectorProfile::TCurve,
         Symmetry::Sym,
         {"lorvexMF_VECTOR_SPEED(3,1)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VA(3,1000)"},
         line2},
        {PathMode::Linear2D,
         VectorProfile::TCurve,
         Symmetry::Asym,
         {"lorvexMF_VECTOR_SPEED(3,3)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VA(3,1000)",
          "lorvexMF_SET_VD(3,500)", "lorvexMF_SET_VAO(3,20)"},
         line2},
        {PathMode::Linear2D,
         VectorProfile::SCurve,
         Symmetry::Sym,
         {"lorvexMF_VECTOR_SPEED(3,2)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VK(3,500)",
          "lorvexMF_SET_VAO(3,20)"},
         line2},
        {PathMode::Linear2D,
         VectorProfile::SCurve,
         Symmetry::Asym,
         {"lorvexMF_VECTOR_SPEED(3,4)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VK(3,500)",
          "lorvexMF_SET_VL(3,300)", "lorvexMF_SET_VAO(3,20)"},
         line2},
        {PathMode::Linear3D,
         VectorProfile::Const,
         Symmetry::None,
         {"lorvexMF_VECTOR_SPEED(3,7)", "lorvexMF_SET_VSV(3,500)"},
         line3},
        {PathMode::Linear3D,
         VectorProfile::TCurve,
         Symmetry::Sym,
         {"lorvexMF_VECTOR_SPEED(3,8)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VA(3,1000)",
          "lorvexMF_SET_VAO(3,20)"},
         line3},
        {PathMode::Linear3D,
         VectorProfile::TCurve,
         Symmetry::Asym,
         {"lorvexMF_VECTOR_SPEED(3,10)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VA(3,1000)",
          "lorvexMF_SET_VD(3,500)", "lorvexMF_SET_VAO(3,20)"},
         line3},
        {PathMode::Linear3D,
         VectorProfile::SCurve,
         Symmetry::Sym,
         {"lorvexMF_VECTOR_SPEED(3,9)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VK(3,500)",
          "lorvexMF_SET_VAO(3,20)"},
         line3},
        {PathMode::Linear3D,
         VectorProfile::SCurve,
         Symmetry::Asym,
         {"lorvexMF_VECTOR_SPEED(3,11)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VK(3,500)",
          "lorvexMF_SET_VL(3,300)", "lorvexMF_SET_VAO(3,20)"},
         line3},
        {PathMode::Circular,
         VectorProfile::Const,
         Symmetry::Sym,  // the profile is not consulted
         {"lorvexMF_VECTOR_SPEED(3,5)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VA(3,1000)",
          "lorvexMF_SET_VAO(3,20)"},
         "lorvexMF_ARC_CW(3,300,0,10000,5000)"},
        {PathMode::Circular,
         VectorProfile::None,
         Symmetry::Asym,
         {"lorvexMF_VECTOR_SPEED(3,6)", "lorvexMF_SET_VSV(3,500)", "lorvexMF_SET_VA(3,1000)",
          "lorvexMF_SET_VD(3,500)", "lorvexMF_SET_VAO(3,20)"},
         "lorvexMF_CIRCLE_CW(3,300,0)"},
        // No symmetry or no profile in a linear mode: an empty group, the line at row 3.
        {PathMode::Linear2D, VectorProfile::TCurve, Symmetry::None, {}, line2},
        {PathMode::Linear3D, VectorProfile::None, Symmetry::Sym, {}, line3},
    };
    for (const Case& c : cases) {
        log.clear();
        const InterpolationRun run =
            RunInterpolation(lorvex, request(c.mode, c.profile, c.symmetry));
        Texts expected{"lorvexMF_SET_VV(3,2000)", c.mode == PathMode::Linear3D
                                                      ? "lorvexMF_AXIS_ASSIGN(3,1,2,4)"
                                                      : "lorvexMF_AXIS_ASSIGN(3,1,2,0)"};
        expected.insert(expected.end(), c.group.begin(), c.group.end());
        expected.push_back(c.move);
        EXPECT_EQ(run.rows, expected) << c.move << " with " << c.group.size() << " group calls";
        EXPECT_EQ(log.texts(), expected);
    }
}

TEST_F(Interpolation, BackwardNegatesFinishAndCentrePointsOnlyInEveryMode) {
    const std::pair<InterpolationRequest, const char*> cases[] = {
        {request(PathMode::Linear2D, VectorProfile::Const, Symmetry::Sym),
         "lorvexMF_LINE_2D(3,-10000,-5000)"},
        {request(PathMode::Linear3D, VectorProfile::Const, Symmetry::Sym),
         "lorvexMF_LINE_3D(3,-10000,-5000,-2000)"},
        {request(PathMode::Circular, VectorProfile::TCurve, Symmetry::Sym, ArcDirection::CCW),
         "lorvexMF_ARC_CCW(3,-300,0,-10000,-5000)"},
        {request(PathMode::Circular, VectorProfile::TCurve, Symmetry::Asym, ArcDirection::CW),
         "lorvexMF_CIRCLE_CW(3,-300,0)"},
    };
    for (auto [r, move] : cases) {
        log.clear();
        r.forward = false;
        r.values.cp2 = 0;
        const InterpolationRun run = RunInterpolation(lorvex, r);
        EXPECT_EQ(run.rows.back(), move);
        EXPECT_EQ(log.texts().back(), move) << "the direction button still chooses the function";
        for (const std::string& row : run.rows) {
            if (row.find("SET_V") != std::string::npos) {
                EXPECT_EQ(row.find('-'), std::string::npos) << row << ": speeds keep their sign";
            }
        }
    }
}

TEST_F(Interpolation, OffsetPulsesReachTheModuleAsSixteenBitsButShowAsRead) {
    InterpolationRequest r = request(PathMode::Linear2D, VectorProfile::SCurve, Symmetry::Sym);
    r.values.vao = 70000;
    const InterpolationRun run = RunInterpolation(lorvex, r);
    EXPECT_EQ(run.rows[5], "lorvexMF_SET_VAO(3,70000)");
    EXPECT_EQ(log.textsOf("lorvexMF_SET_VAO"), Texts{"lorvexMF_SET_VAO(3,4464)"});
}

TEST_F(Interpolation, CircularWithoutADirectionOrSymmetryStartsNoMove) {
    InterpolationRun run = RunInterpolation(
        lorvex,
        request(PathMode::Circular, VectorProfile::TCurve, Symmetry::Sym, ArcDirection::None));
    EXPECT_EQ(run.rows.size(), 6u) << "rows 0 to 6";
    EXPECT_EQ(run.rows.back(), "lorvexMF_SET_VAO(3,20)");
    run = RunInterpolation(lorvex,
                           request(PathMode::Circular, VectorProfile::TCurve, Symmetry::None));
    EXPECT_EQ(run.rows.size(), 2u) << "rows 0 to 2";
    run = RunInterpolation(lorvex, request(PathMode::None, VectorProfile::TCurve, Symmetry::Sym));
    EXPECT_EQ(run.rows, Texts{"lorvexMF_SET_VV(3,2000)"});
    for (const Call& c : log.calls()) {
        EXPECT_EQ(c.function.find("ARC"), std::string::npos);
        EXPECT_EQ(c.function.find("CIRCLE"), std::string::npos);
        EXPECT_EQ(c.function.find("LINE"), std::string::npos);
    }
}

TEST_F(Interpolation, ClashingAxesRefuseEveryModeWithoutACall) {
    for (PathMode mode : {PathMode::Linear2D, PathMode::Linear3D, PathMode::Circular}) {
        InterpolationRequest r = request(mode, VectorProfile::TCurve, Symmetry::Sym);
        r.axis3 = 1;  // the third list on X, as the first: Linear 2D is refused too
        const InterpolationRun run = RunInterpolation(lorvex, r);
        EXPECT_TRUE(run.refused);
        EXPECT_TRUE(run.rows.empty());
    }
    EXPECT_TRUE(log.calls().empty());
    EXPECT_TRUE(dispositionClashes(0, 0, 4)) << "two lists without a selection";
    EXPECT_FALSE(dispositionClashes(1, 2, 0));
}

TEST_F(Interpolation, TheDispositionMaskIsTheUnionOfItsAxes) {
    EXPECT_EQ(dispositionMask(1, 2, 8), 11);
    EXPECT_EQ(dispositionMask(1, 1, 4), 5) << "X, X and Z are X and Z, not the sum 6 (Y and Z)";
}

}  // namespace
}  // namespace velmira
