#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "sim_bench.h"

namespace velmira {
namespace {

constexpr int kCard = SimBench::kLorvexCard;

struct Point {
    double x, y, z;
};

// Logic positions of X, Y and Z every 5 ms until X and Y have stopped.
std::vector<Point> track(SimBench& bench) {
    auto& lib = bench.lorvex;
    std::vector<Point> path;
    for (int i = 0; i < 200000; ++i) {
        path.push_back({static_cast<double>(lib.GET_LP(kCard, 1)),
                        static_cast<double>(lib.GET_LP(kCard, 2)),
                        static_cast<double>(lib.GET_LP(kCard, 4))});
        if (lib.GET_DI(kCard, 1, 0) == 0 && lib.GET_DI(kCard, 2, 0) == 0 && i > 0) break;
        bench.clock.advanceMs(5);
    }
    return path;
}

void vectorProfile(MotionLibrary& lib, int mode) {
    lib.VECTOR_SPEED(kCard, mode);
    lib.SET_VSV(kCard, 500);
    lib.SET_VV(kCard, 20000);
    lib.SET_VA(kCard, 80000);
    lib.SET_VD(kCard, 30000);
    lib.SET_VK(kCard, 1000000);
    lib.SET_VL(kCard, 400000);
    lib.SET_VAO(kCard, 20);
}

TEST(SimInterpolation, LinesEndOnTheirFinishAndStayOnTheLine) {
    for (const int mode : {0, 1, 2, 3, 4, 7, 8, 9, 10, 11}) {
        const bool threeD = mode >= 7;
        SimBench bench;
        auto& lib = bench.lorvex;
        lib.SET_LP(kCard, 4, 100);
        lib.AXIS_ASSIGN(kCard, 1, 2, threeD ? 4 : 0);
        vectorProfile(lib, mode);
        if (threeD) {
            lib.LINE_3D(kCard, 30000, -12345, 7000);
        } else {
            lib.LINE_2D(kCard, -10000, -5000);
        }
        const Point finish = threeD ? Point{30000, -12345, 7100} : Point{-10000, -5000, 100};
        const auto path = track(bench);
        ASSERT_GT(path.size(), 10u) << "mode " << mode;
        const Point& end = path.back();
        EXPECT_EQ(end.x, finish.x) << "mode " << mode;
        EXPECT_EQ(end.y, finish.y) << "mode " << mode;
        EXPECT_EQ(end.z, finish.z) << "mode " << mode;

        const Point start = path.front();
        const Point d{finish.x - start.x, finish.y - start.y, finish.z - start.z};
        const double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        double worst = 0, fastest = 0;
        for (std::size_t i = 0; i < path.size(); ++i) {
            const Point r{path[i].x - start.x, path[i].y - start.y, path[i].z - start.z};
            const double along = (r.x * d.x + r.y * d.y + r.z * d.z) / length;
            const double off2 = r.x * r.x + r.y * r.y + r.z * r.z - along * along;
            worst = std::max(worst, std::sqrt(std::max(0.0, off2)));
            if (i > 0) {
                const Point s{path[i].x - path[i - 1].x, path[i].y - path[i - 1].y,
                              path[i].z - path[i - 1].z};
                fastest = std::max(fastest, std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z) / 0.005);
            }
        }
        EXPECT_LE(worst, 1.0) << "mode " << mode << ": off the line";
        EXPECT_LE(fastest, 20000 * 1.01 + 400) << "mode " << mode << ": above VV";
        EXPECT_GT(fastest, 19000) << "mode " << mode << ": VV reached";
    }
}

TEST(SimInterpolation, ArcsKeepTheirRadiusAndEndOnTheFinish) {
    // Centre 3000 along X; the finish is the point a quarter turn away.
    for (const bool cw : {true, false}) {
        SimBench bench;
        auto& lib = bench.lorvex;
        lib.SET_LP(kCard, 1, 500);
        lib.SET_LP(kCard, 2, -200);
        lib.AXIS_ASSIGN(kCard, 1, 2, 0);
        vectorProfile(lib, 5);
        const int fy = cw ? 3000 : -3000;
        if (cw) {
            lib.ARC_CW(kCard, 3000, 0, 3000, fy);
        } else {
            lib.ARC_CCW(kCard, 3000, 0, 3000, fy);
        }
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

TEST(SimInterpolation, CirclesComeBackToTheirStart) {
    SimBench bench;
    auto& lib = bench.lorvex;
    lib.AXIS_ASSIGN(kCard, 2, 8, 0);  // Y and U
    vectorProfile(lib, 6);
    lib.CIRCLE_CCW(kCard, 0, -2000);
    std::vector<Point> path;
    for (int i = 0; i < 100000; ++i) {
        path.push_back({static_cast<double>(lib.GET_LP(kCard, 2)),
                        static_cast<double>(lib.GET_LP(kCard, 8)), 0});
        if (i > 0 && lib.GET_DI(kCard, 2, 0) == 0) break;
        bench.clock.advanceMs(5);
    }
    double farthest = 0;
    for (const Point& p : path) {
        EXPECT_NEAR(std::hypot(p.x, p.y + 2000), 2000, 1.0);
        farthest = std::max(farthest, std::hypot(p.x, p.y));
    }
    EXPECT_NEAR(farthest, 4000, 2) << "a whole turn passes the opposite point";
    EXPECT_EQ(path.back().x, 0);
    EXPECT_EQ(path.back().y, 0);
    EXPECT_EQ(lib.GET_LP(kCard, 1), 0);
}

TEST(SimInterpolation, StopsAndRefusals) {
    SimBench bench;
    auto& lib = bench.lorvex;
    lib.AXIS_ASSIGN(kCard, 1, 1, 0);
    lib.LINE_2D(kCard, 1000, 1000);
    bench.clock.advanceMs(200);
    EXPECT_EQ(lib.GET_LP(kCard, 1), 0) << "the same axis twice moves nothing";

    lib.AXIS_ASSIGN(kCard, 1, 2, 0);
    vectorProfile(lib, 1);
    lib.LINE_2D(kCard, 200000, 0);  // X runs into LMT+ at 100000
    const auto path = track(bench);
    EXPECT_EQ(path.back().x, 100000);
    EXPECT_EQ(lib.GET_DI(kCard, 1, 1), 1);

    lib.LINE_2D(kCard, -50000, -50000);
    bench.clock.advanceMs(1000);
    lib.LINE_2D(kCard, 1, 1);  // ignored while the line runs
    lib.STOP_SLOWLY(kCard, 2);
    lib.CLEAR_STOP(kCard);
    const auto braking = track(bench);
    const Point rest = braking.back();
    EXPECT_LT(rest.x, 100000);
    EXPECT_GT(rest.x, 50000) << "stopped part way";
    EXPECT_EQ(100000 - rest.x, -rest.y) << "on the line";

    // VD or VL of 0: no braking ramp, the path stops within a tick.
    for (const int mode : {3, 4}) {
        vectorProfile(lib, mode);
        lib.SET_VD(kCard, 0);
        lib.SET_VL(kCard, 0);
        lib.LINE_2D(kCard, -40000, 40000);
        bench.clock.advanceMs(1000);
        lib.STOP_SLOWLY(kCard, 1);
        bench.clock.advanceMs(2);
        EXPECT_EQ(lib.GET_DI(kCard, 1, 0), 0) << "mode " << mode;
        EXPECT_EQ(lib.GET_DI(kCard, 2, 0), 0) << "mode " << mode;
    }
}

TEST(SimInterpolation, AssigningAxesMidPathMovesOnlyTheAxesTheNextPathUses) {
    SimBench bench;
    auto& lib = bench.lorvex;
    lib.AXIS_ASSIGN(kCard, 1, 2, 0);
    vectorProfile(lib, 1);
    lib.LINE_2D(kCard, 30000, -20000);
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
