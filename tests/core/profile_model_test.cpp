#include "advanced/profile_model.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmira {
namespace {

InterpolationRequest run(PathMode mode, Symmetry symmetry, std::optional<ArcDirection> direction,
                         PathValues values) {
    return {0, 1, 2, 4, mode, Profile::TCurve, symmetry, direction, true, values};
}

double distance(PlanePoint a, PlanePoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

TEST(ProfileModel, PlansLinesArcsAndCirclesFromWhereTheAxesStand) {
    PathValues v;
    v.fp1 = 4000;
    v.fp2 = -3000;
    const PlanePoint start{100, 200};
    EXPECT_EQ(plannedPath(run(PathMode::Linear2D, Symmetry::Symmetric, std::nullopt, v), start),
              (std::vector<PlanePoint>{{100, 200}, {4100, -2800}}));
    InterpolationRequest back = run(PathMode::Linear3D, Symmetry::Symmetric, std::nullopt, v);
    back.forward = false;
    EXPECT_EQ(plannedPath(back, start).back(), (PlanePoint{-3900, 3200}));

    // A circle around a centre 1000 to the right: a full clockwise turn,
    // through the point opposite the start, back to the start.
    v = {};
    v.cp1 = 1000;
    const auto circle =
        plannedPath(run(PathMode::Circular, Symmetry::Asymmetric, ArcDirection::CW, v), {});
    ASSERT_GT(circle.size(), 100u);
    EXPECT_LT(distance(circle.back(), {0, 0}), 1e-6);
    for (const PlanePoint& p : circle) EXPECT_NEAR(distance(p, {1000, 0}), 1000, 1e-6);
    const PlanePoint quarter = circle[circle.size() / 4];
    EXPECT_GT(quarter.y, 900) << "clockwise from the left of the centre goes up first";

    // A half arc counter-clockwise ends on the finish, opposite the start.
    v.fp1 = 2000;
    const auto arc =
        plannedPath(run(PathMode::Circular, Symmetry::Symmetric, ArcDirection::CCW, v), {});
    EXPECT_EQ(arc.back(), (PlanePoint{2000, 0}));
    EXPECT_LT(arc[arc.size() / 2].y, -900) << "counter-clockwise goes down first";

    EXPECT_TRUE(
        plannedPath(run(PathMode::Circular, Symmetry::Symmetric, std::nullopt, v), {}).empty());
    InterpolationRequest clash = run(PathMode::Linear2D, Symmetry::Symmetric, std::nullopt, v);
    clash.axis2 = 1;
    EXPECT_TRUE(plannedPath(clash, {}).empty()) << "a refused run plans nothing";
}

TEST(ProfileModel, TraceKeepsMovesOnlyAndStaysBounded) {
    ProfileModel m;
    m.startRun({{0, 0}, {10, 0}}, {0, 0});
    m.addPosition({0, 0});
    m.addPosition({5, 0});
    m.addPosition({5, 0});
    EXPECT_EQ(m.trace(), (std::vector<PlanePoint>{{0, 0}, {5, 0}}));
    EXPECT_EQ(m.current(), (PlanePoint{5, 0}));
    for (int i = 0; i < 50000; ++i) m.addPosition({static_cast<double>(i), 1});
    EXPECT_LE(m.trace().size(), ProfileModel::kMaxTrace);
    EXPECT_EQ(m.current(), (PlanePoint{49999, 1})) << "the newest point is never dropped";
    m.startRun({}, {7, 7});
    EXPECT_EQ(m.trace(), (std::vector<PlanePoint>{{7, 7}}));
}

TEST(ProfileModel, FitShowsBothPathsAndZoomScalesAboutTheCentre) {
    ProfileModel m;
    m.startRun({{0, 0}, {10000, 5000}}, {0, 0});
    m.addPosition({-2000, 1000});
    m.fit();
    const ViewBox v = m.view();
    EXPECT_DOUBLE_EQ(v.cx, 4000);
    EXPECT_DOUBLE_EQ(v.cy, 2500);
    for (const PlanePoint p :
         {PlanePoint{0, 0}, PlanePoint{10000, 5000}, PlanePoint{-2000, 1000}}) {
        EXPECT_LT(std::abs(p.x - v.cx), v.halfWidth);
        EXPECT_LT(std::abs(p.y - v.cy), v.halfHeight);
    }
    EXPECT_GT(v.halfWidth, 6000) << "a margin around the paths";

    m.zoomIn();
    EXPECT_DOUBLE_EQ(m.view().halfWidth, v.halfWidth / 2);
    EXPECT_DOUBLE_EQ(m.view().cx, v.cx);
    m.zoomOut();
    m.zoomOut();
    EXPECT_DOUBLE_EQ(m.view().halfHeight, v.halfHeight * 2);
    EXPECT_DOUBLE_EQ(m.view().cy, v.cy);
    for (int i = 0; i < 200; ++i) m.zoomIn();
    EXPECT_GE(m.view().halfWidth, 1) << "zoom stops before the view collapses";

    // A path along one axis still gets a view of some height.
    ProfileModel flat;
    flat.startRun({{0, 0}, {8000, 0}}, {0, 0});
    flat.fit();
    EXPECT_GT(flat.view().halfHeight, 0);
}

}  // namespace
}  // namespace velmira
