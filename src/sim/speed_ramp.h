#pragma once

#include <optional>

namespace velmira {

enum class Curve { Constant, Trapezoid, SCurve };

// One speed profile, in pulses, pulses/s, pulses/s² (A, D) and pulses/s³
// (K, L). The same ramp drives a single axis and an interpolated path.
struct RampParams {
    Curve curve = Curve::Trapezoid;
    double startSpeed = 1000;  // the speed the drive starts and stops at
    double driveSpeed = 10000;
    double accel = 100000;
    double decel = 100000;
    double jerk = 1000000;
    double decelJerk = 1000000;
    double offsetPulses = 0;  // the last pulses of a move run at start speed
};

// Travel along one direction: `travelled()` grows from 0 towards the goal
// distance (or without end). The speed never exceeds the drive speed, changes
// by at most A (D) per second on a T-curve and its acceleration by at most
// K (L) per second on an S-curve; only the start and the end step between
// standstill and the start speed, as a pulse drive does. A, D, K or L of 0 or
// less is no ramp: no rise (A, K), or a drop to the target at once (D, L).
class SpeedRamp {
  public:
    void start(const RampParams& params, std::optional<double> goal);
    void setParams(const RampParams& params);
    // A new goal distance, counted from where the ramp started.
    void setGoal(std::optional<double> goal);
    void stop();  // decelerate to start speed, then end
    void halt();  // end at once

    // Whether the ramp can come to rest within `distance` from here.
    bool canStopWithin(double distance) const;

    // Advances by dt seconds; returns the distance covered.
    double step(double dt);

    bool running() const { return running_; }
    bool stopping() const { return stopping_; }
    double speed() const { return v_; }
    double travelled() const { return s_; }

  private:
    double topSpeed() const;
    double floorSpeed() const;
    bool rampsDown() const;
    double brakingDistance() const;
    void trackTrapezoid(double target, double dt);
    void trackSCurve(double target, double dt);

    RampParams p_;
    std::optional<double> goal_;
    double s_ = 0;
    double v_ = 0;
    double a_ = 0;
    bool running_ = false;
    bool braking_ = false;
    bool stopping_ = false;
};

}  // namespace velmira
