#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "advanced/interpolation_sequence.h"

namespace velmira {

// A point on the plane of the first (x) and second (y) interpolation axis, in pulses.
struct PlanePoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const PlanePoint&, const PlanePoint&) = default;
};

// The path a run asks for, from where the axes stood: a line to the finish,
// an arc around the centre to the finish (its radius eased from the start's
// to the finish's, a finish on the start a full turn), or a full circle.
// Empty when the run starts no move on the plane.
std::vector<PlanePoint> plannedPath(const InterpolationRequest& request, PlanePoint start);

// The part of the plane a view shows: its centre and half extents, in pulses.
struct ViewBox {
    double cx = 0, cy = 0;
    double halfWidth = 1000, halfHeight = 1000;
};

// What the profile window shows: the planned path of the last run, the path
// its positions traced as they were polled, and the view onto both.
class ProfileModel {
  public:
    // A new run: its plan, and a trace that begins where the axes stood; the
    // view fits the plan.
    void startRun(std::vector<PlanePoint> plan, PlanePoint start);
    // A polled position; a position repeated while the axes stand adds nothing.
    void addPosition(PlanePoint p);

    // What the paths are drawn on: a card and the two axes of its plane.
    struct TraceKey {
        std::uint8_t card = 0;
        std::uint16_t axis1 = 0, axis2 = 0;
        friend bool operator==(const TraceKey&, const TraceKey&) = default;
    };
    // Positions from now on are of these axes: on other axes than before, the
    // paths start anew rather than join points of two planes.
    void follow(const TraceKey& key);
    // The positions were set anew (cleared counters): no path of before holds.
    void restart();

    const std::vector<PlanePoint>& plan() const { return plan_; }
    const std::vector<PlanePoint>& trace() const { return trace_; }
    std::optional<PlanePoint> current() const {
        return trace_.empty() ? std::nullopt : std::optional(trace_.back());
    }

    const ViewBox& view() const { return view_; }
    // Shows both paths whole, with a margin.
    void fit();
    // Scales the view by two about its centre.
    void zoomIn();
    void zoomOut();

    // At most this many traced points are kept; older ones are thinned out.
    static constexpr std::size_t kMaxTrace = 20000;

  private:
    std::vector<PlanePoint> plan_;
    std::vector<PlanePoint> trace_;
    TraceKey key_;
    ViewBox view_;
};

}  // namespace velmira
