// Interpolation on the simulated rack: the runs the Advanced Features screen
// sends (RunInterpolation), and what the axes then do.
#include <gtest/gtest.h>

#include <cmath>

#include "advanced/interpolation_sequence.h"
#include "sim_bench.h"

namespace velmira {
namespace {

constexpr int kCard = SimBench::kLorvexCard;
using enum PathMode;
using enum Profile;
using enum Symmetry;

struct Point {
    double x, y, z;
    Point operator-(const Point& o) const { return {x - o.x, y - o.y, z - o.z}; }
    double dot(const Point& o) const { return x * o.x + y * o.y + z * o.z; }
};

// Axis1 X, Axis2 Y, Axis3 Z.
InterpolationRequest run(PathMode mode, Profile profile, Symmetry symmetry,
                         ArcDirection direction = ArcDirection::CW) {
    const PathValues v{
        .vsv = 500, .vv = 20000, .va = 80000, .vd = 30000, .vk = 1000000, .vl = 400000, .vao = 20};
    return {kCard, 1, 2, 4, mode, profile, symmetry, direction, true, v};
}

// Logic positions of X, Y and Z every 5 ms until X and Y have stopped.
std::vector<Point> track(SimBench& bench, int first = 1, int second = 2) {
    auto& lib = bench.lorvex;
    std::vector<Point> path;
    for (int i = 0; i < 200000; ++i) {
        path.push_back({static_cast<double>(lib.GET_LP(kCard, first)),
                        static_cast<double>(lib.GET_LP(kCard, second)),
                        static_cast<double>(lib.GET_LP(kCard, 4))});
        if (i > 0 && lib.GET_DI(kCard, first, 0) == 0 && lib.GET_DI(kCard, second, 0) == 0) break;
        bench.clock.advanceMs(5);
    }
    return path;
}

TEST(SimInterpolation, LinesEndOnTheirFinishAndStayOnTheLineInEveryProfile) {
    for (const PathMode mode : {Linear2D, Linear3D}) {
        for (const Profile profile : {Constant, TCurve, SCurve}) {
            for (const Symmetry symmetry : {Symmetric, Asymmetric}) {
                SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(mode)
                                                  << ", profile " << static_cast<int>(profile)
                                                  << ", symmetry " << static_cast<int>(symmetry));
                const bool threeD = mode == Linear3D;
                SimBench bench;
                bench.lorvex.SET_LP(kCard, 4, 100);
                InterpolationRequest r = run(mode, profile, symmetry);
                r.values.fp1 = 10000;
                r.values.fp2 = threeD ? -12345 : 5000;
                r.values.fp3 = 7000;
                r.forward = threeD;  // the 2D lines run backward, to -10000, -5000
                RunInterpolation(bench.lorvex, r);
                const Point finish =
                    threeD ? Point{10000, -12345, 7100} : Point{-10000, -5000, 100};
                const auto path = track(bench);
                ASSERT_GT(path.size(), 10u);
                EXPECT_EQ(path.back().x, finish.x);
                EXPECT_EQ(path.back().y, finish.y);
                EXPECT_EQ(path.back().z, finish.z);

                const Point d = finish - path.front();
                double worst = 0, fastest = 0;
                for (std::size_t i = 1; i < path.size(); ++i) {
                    const Point p = path[i] - path.front();
                    const double along = p.dot(d) / std::sqrt(d.dot(d));
                    worst = std::max(worst, std::sqrt(std::max(0.0, p.dot(p) - along * along)));
                    const Point step = path[i] - path[i - 1];
                    fastest = std::max(fastest, std::sqrt(step.dot(step)) / 0.005);
                }
                EXPECT_LE(worst, 1.0) << "off the line";
                EXPECT_LE(fastest, 20000 * 1.01 + 400) << "above VV";
                EXPECT_GT(fastest, 19000) << "VV reached";
            }
        }
    }
}

TEST(SimInterpolation, ArcsKeepTheirRadiusAndEndOnTheFinish) {
    // Centre 3000 along X; the finish is the point a quarter turn away.
    for (const ArcDirection direction : {ArcDirection::CW, ArcDirection::CCW}) {
        const bool cw = direction == ArcDirection::CW;
        SimBench bench;
        bench.lorvex.SET_LP(kCard, 1, 500);
        bench.lorvex.SET_LP(kCard, 2, -200);
        InterpolationRequest r = run(Circular, TCurve, Symmetric, direction);
        const int fy = cw ? 3000 : -3000;
        r.values.cp1 = r.values.fp1 = 3000;
        r.values.fp2 = fy;
        RunInterpolation(bench.lorvex, r);
        const auto path = track(bench);
        const double cx = 3500, cy = -200;
        for (const Point& p : path) {
            EXPECT_NEAR(std::hypot(p.x - cx, p.y - cy), 3000, 1.0) << (cw ? "CW" : "CCW");
        }
        EXPECT_EQ(path.back().x, 3500);
        EXPECT_EQ(path.back().y, -200 + fy);
        // Clockwise from the left of the centre goes up first.
        const Point early = path[path.size() / 8];
        EXPECT_EQ(early.y > -200, cw);
        EXPECT_GT(early.x, 500);
    }
}

TEST(SimInterpolation, StopsAndRefusals) {
    SimBench bench;
    auto& lib = bench.lorvex;
    lib.AXIS_ASSIGN(kCard, 1, 1, 0);
    lib.LINE_2D(kCard, 1000, 1000);
    bench.clock.advanceMs(200);
    EXPECT_EQ(lib.GET_LP(kCard, 1), 0) << "the same axis twice moves nothing";

    InterpolationRequest r = run(Linear2D, TCurve, Symmetric);
    r.values.fp1 = 200000;  // X runs into LMT+ at 100000
    RunInterpolation(lib, r);
    const auto path = track(bench);
    EXPECT_EQ(path.back().x, 100000);
    EXPECT_EQ(lib.GET_DI(kCard, 1, 1), 1);

    lib.LINE_2D(kCard, -50000, -50000);
    bench.clock.advanceMs(1000);
    lib.LINE_2D(kCard, 1, 1);  // ignored while the line runs
    lib.STOP_SLOWLY(kCard, 2);
    lib.CLEAR_STOP(kCard);
    const Point rest = track(bench).back();
    EXPECT_LT(rest.x, 100000);
    EXPECT_GT(rest.x, 50000) << "stopped part way";
    EXPECT_EQ(100000 - rest.x, -rest.y) << "on the line";

    // VD or VL of 0: no braking ramp, the path stops within a tick.
    for (const Profile profile : {TCurve, SCurve}) {
        r = run(Linear2D, profile, Asymmetric);
        r.values.vd = r.values.vl = 0;
        r.values.fp1 = -40000;
        r.values.fp2 = 40000;
        RunInterpolation(lib, r);
        bench.clock.advanceMs(1000);
        lib.STOP_SLOWLY(kCard, 1);
        bench.clock.advanceMs(2);
        EXPECT_EQ(lib.GET_DI(kCard, 1, 0), 0) << static_cast<int>(profile);
        EXPECT_EQ(lib.GET_DI(kCard, 2, 0), 0) << static_cast<int>(profile);
    }
}

TEST(SimInterpolation, AssigningAxesMidPathMovesOnlyTheAxesTheNextPathUses) {
    SimBench bench;
    auto& lib = bench.lorvex;
    InterpolationRequest r = run(Linear2D, TCurve, Symmetric);
    r.values.fp1 = 30000;
    r.values.fp2 = -20000;
    RunInterpolation(lib, r);
    bench.clock.advanceMs(100);
    lib.AXIS_ASSIGN(kCard, 0, 0, 0);  // no axes at all while X and Y run
    bench.clock.advanceMs(100);
    lib.AXIS_ASSIGN(kCard, 4, 8, 0);
    const auto path = track(bench);
    EXPECT_EQ(path.back().x, 30000);
    EXPECT_EQ(path.back().y, -20000);
    EXPECT_EQ(lib.GET_LP(kCard, 4), 0);
    EXPECT_EQ(lib.GET_LP(kCard, 8), 0);

    lib.LINE_2D(kCard, 500, 700);  // the next path takes Z and U
    bench.clock.advanceMs(2000);
    EXPECT_EQ(lib.GET_LP(kCard, 4), 500);
    EXPECT_EQ(lib.GET_LP(kCard, 8), 700);
    EXPECT_EQ(lib.GET_LP(kCard, 1), 30000);
}

}  // namespace
}  // namespace velmira
