#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "sim/axis_model.h"
#include "sim/speed_ramp.h"

namespace velmira {

// The vector-speed settings of a four-axis module, as it powers up.
struct VectorSettings {
    std::int32_t startSpeed = 500;
    std::int32_t driveSpeed = 2000;
    std::int32_t accel = 1000;
    std::int32_t decel = 1000;
    std::int32_t jerk = 1000000;
    std::int32_t decelJerk = 1000000;
    std::int16_t offsetPulses = 0;
    std::uint8_t mode = 0;
};

// Moves two or three axes of one module along a line or an arc, with the
// vector speed (along the path) following one speed ramp. Mode numbers:
// 0 constant (2D), 1 T-curve, 2 S-curve, 3 asymmetric T-curve, 4 asymmetric
// S-curve, 5 T-curve for arcs, 6 asymmetric T-curve for circles, 7..11 the
// same as 0..4 for 3D lines.
class Interpolator {
  public:
    explicit Interpolator(std::array<AxisModel, 4>& axes) : axes_(axes) {}

    void assign(std::uint16_t first, std::uint16_t second, std::uint16_t third);
    VectorSettings& settings() { return settings_; }
    bool setMode(std::uint8_t mode);

    // Relative to where the axes stand. False when nothing was started: the
    // axes are not assigned, already moving or may not move.
    bool line(std::span<const std::int32_t> finish);
    bool arc(bool clockwise, std::int32_t c1, std::int32_t c2, std::int32_t f1, std::int32_t f2);
    bool circle(bool clockwise, std::int32_t c1, std::int32_t c2);

    void stop() { ramp_.stop(); }
    // Ends the path when one of its axes has been taken from it.
    void settle();
    bool running() const { return running_; }
    bool uses(int axisIndex) const;

    void tick(double dt);

  private:
    enum class Shape { Line, Arc };
    RampParams params() const;
    bool begin(int count, double length);
    std::array<double, 3> pointAt(double s) const;
    void finish();

    std::array<AxisModel, 4>& axes_;
    VectorSettings settings_;
    std::array<int, 3> assigned_{-1, -1, -1};
    // The axes of the path under way: a new assignment while it runs is for
    // the next path and must not change which axes this one moves.
    std::array<int, 3> moving_{-1, -1, -1};

    bool running_ = false;
    SpeedRamp ramp_;
    Shape shape_ = Shape::Line;
    int count_ = 0;
    std::array<double, 3> start_{};
    std::array<double, 3> end_{};
    double length_ = 0;
    // Arcs: centre, radius at start and finish, start angle and signed sweep.
    double cx_ = 0, cy_ = 0, r0_ = 0, r1_ = 0, theta0_ = 0, sweep_ = 0;
};

}  // namespace velmira
