#include "advanced/profile_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmira {
namespace {

constexpr double kTurn = 2 * std::numbers::pi;

// Sweeps the angle as the module does: clockwise with the first axis to the
// right and the second up.
std::vector<PlanePoint> arcPoints(PlanePoint start, bool clockwise, double c1, double c2, double f1,
                                  double f2) {
    const double cx = start.x + c1, cy = start.y + c2;
    const double ex = start.x + f1, ey = start.y + f2;
    const double r0 = std::hypot(c1, c2);
    if (r0 == 0) return {};
    const double r1 = std::hypot(ex - cx, ey - cy);
    const double theta0 = std::atan2(start.y - cy, start.x - cx);
    const double thetaEnd = std::atan2(ey - cy, ex - cx);
    double sweep = std::fmod(clockwise ? theta0 - thetaEnd : thetaEnd - theta0, kTurn);
    if (sweep <= 1e-12) sweep += kTurn;
    if (clockwise) sweep = -sweep;
    const int steps = std::max(8, static_cast<int>(std::abs(sweep) / kTurn * 360));
    std::vector<PlanePoint> points;
    points.reserve(static_cast<std::size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double f = static_cast<double>(i) / steps;
        const double theta = theta0 + sweep * f;
        const double r = r0 + (r1 - r0) * f;
        points.push_back({cx + r * std::cos(theta), cy + r * std::sin(theta)});
    }
    points.back() = {ex, ey};
    return points;
}

}  // namespace

std::vector<PlanePoint> plannedPath(const InterpolationRequest& r, PlanePoint start) {
    if (dispositionClashes(r.axis1, r.axis2, r.axis3)) return {};
    const PathValues v = valuesPassed(r);
    if (!r.mode) return {};
    switch (*r.mode) {
        case PathMode::Linear2D:
        case PathMode::Linear3D:
            return {start, {start.x + v.fp1, start.y + v.fp2}};
        case PathMode::Circular:
            if (!r.direction || !r.symmetry) return {};
            if (*r.symmetry == Symmetry::Symmetric) {
                return arcPoints(start, r.direction == ArcDirection::CW, v.cp1, v.cp2, v.fp1,
                                 v.fp2);
            }
            return arcPoints(start, r.direction == ArcDirection::CW, v.cp1, v.cp2, 0, 0);
    }
    return {};
}

void ProfileModel::startRun(std::vector<PlanePoint> plan, PlanePoint start) {
    plan_ = std::move(plan);
    trace_ = {start};
    // A window open beside the screen shows each new run whole.
    fit();
}

void ProfileModel::addPosition(PlanePoint p) {
    if (!trace_.empty() && trace_.back() == p) return;
    if (trace_.size() >= kMaxTrace) {
        // Every other point goes: the shape stays, the memory stays bounded.
        std::vector<PlanePoint> thinned;
        thinned.reserve(kMaxTrace / 2 + 1);
        for (std::size_t i = 0; i < trace_.size(); i += 2) thinned.push_back(trace_[i]);
        trace_ = std::move(thinned);
    }
    trace_.push_back(p);
}

void ProfileModel::follow(const TraceKey& key) {
    if (key == key_) return;
    key_ = key;
    restart();
}

void ProfileModel::restart() {
    plan_.clear();
    trace_.clear();
}

void ProfileModel::fit() {
    std::vector<PlanePoint> all = plan_;
    all.insert(all.end(), trace_.begin(), trace_.end());
    if (all.empty()) {
        view_ = {};
        return;
    }
    const auto [minX, maxX] = std::minmax_element(
        all.begin(), all.end(), [](const PlanePoint& a, const PlanePoint& b) { return a.x < b.x; });
    const auto [minY, maxY] = std::minmax_element(
        all.begin(), all.end(), [](const PlanePoint& a, const PlanePoint& b) { return a.y < b.y; });
    view_.cx = (minX->x + maxX->x) / 2;
    view_.cy = (minY->y + maxY->y) / 2;
    // A tenth more on every side; a path along one axis still gets some height.
    const double w = (maxX->x - minX->x) / 2, h = (maxY->y - minY->y) / 2;
    const double least = std::max({w, h, 50.0}) / 10;
    view_.halfWidth = std::max(w, least) * 1.1;
    view_.halfHeight = std::max(h, least) * 1.1;
}

// From a few pulses to far beyond any 32-bit position.
constexpr double kLeastHalf = 2;
constexpr double kMostHalf = 1e11;

void ProfileModel::zoomIn() {
    if (std::min(view_.halfWidth, view_.halfHeight) / 2 < kLeastHalf) return;
    view_.halfWidth /= 2;
    view_.halfHeight /= 2;
}

void ProfileModel::zoomOut() {
    if (std::max(view_.halfWidth, view_.halfHeight) * 2 > kMostHalf) return;
    view_.halfWidth *= 2;
    view_.halfHeight *= 2;
}

}  // namespace velmira
