#include "sim/speed_ramp.h"

#include <algorithm>
#include <cmath>

namespace velmira {
namespace {

// Speed still gained while an acceleration a is brought to 0 at jerk j, in
// steps of dt: what the discrete ramp below really does.
double rampDownGain(double a, double j, double dt) {
    if (a <= 0) return 0;
    const double n = std::floor(a / (j * dt));
    return dt * (n * a - j * dt * n * (n + 1) / 2);
}

}  // namespace

void SpeedRamp::start(const RampParams& params, std::optional<double> goal) {
    p_ = params;
    goal_ = goal;
    s_ = 0;
    a_ = 0;
    braking_ = false;
    stopping_ = false;
    running_ = !goal || *goal > 0;
    v_ = running_ ? floorSpeed() : 0;
}

void SpeedRamp::setParams(const RampParams& params) {
    p_ = params;
    braking_ = false;
}

void SpeedRamp::setGoal(std::optional<double> goal) {
    goal_ = goal;
    braking_ = false;
}

void SpeedRamp::stop() {
    if (running_) stopping_ = true;
}

void SpeedRamp::halt() {
    running_ = false;
    stopping_ = false;
    v_ = 0;
    a_ = 0;
}

double SpeedRamp::topSpeed() const {
    return std::max(1.0, p_.driveSpeed);
}

double SpeedRamp::floorSpeed() const {
    return std::clamp(p_.startSpeed, 1.0, topSpeed());
}

bool SpeedRamp::rampsDown() const {
    switch (p_.curve) {
        case Curve::Constant:
            return false;
        case Curve::Trapezoid:
            return p_.decel > 0;
        case Curve::SCurve:
            return p_.decelJerk > 0;
    }
    return false;
}

double SpeedRamp::brakingDistance() const {
    if (!rampsDown()) return 0;
    const double floor = floorSpeed();
    switch (p_.curve) {
        case Curve::Constant:
            return 0;
        case Curve::Trapezoid:
            return std::max(0.0, (v_ * v_ - floor * floor) / (2 * p_.decel));
        case Curve::SCurve: {
            const double j = std::max(p_.jerk, 1.0);
            const double jd = std::max(p_.decelJerk, 1.0);
            double v = v_;
            double dist = 0;
            // Without an accelerating jerk the acceleration ends at once.
            if (a_ > 0 && p_.jerk > 0) {
                // First the acceleration has to come down to zero, at the
                // jerk of the acceleration phase.
                const double t = a_ / j;
                dist += v * t + a_ * t * t / 2 - j * t * t * t / 6;
                v += a_ * a_ / (2 * j);
            }
            if (v > floor) dist += (v + floor) * std::sqrt((v - floor) / jd);
            // The jerk-limited descent is stepped; leave room so that the
            // ramp reaches start speed before the goal, never after it.
            return dist * 1.01 + 2;
        }
    }
    return 0;
}

bool SpeedRamp::canStopWithin(double distance) const {
    return brakingDistance() <= distance;
}

void SpeedRamp::trackTrapezoid(double target, double dt) {
    a_ = 0;
    if (v_ < target) {
        v_ = std::min(target, v_ + std::max(p_.accel, 0.0) * dt);
    } else if (v_ > target) {
        v_ = p_.decel > 0 ? std::max(target, v_ - p_.decel * dt) : target;
    }
}

// Each step picks the acceleration change (up, hold, down by the jerk) that
// goes fastest without overshooting the target speed once the acceleration
// is brought back to zero. A jerk of 0 or less has no ramp: K holds the speed
// (and ends an acceleration at once), L drops it to the target at once.
void SpeedRamp::trackSCurve(double target, double dt) {
    const double j = std::max(p_.jerk, 1.0);
    const double jd = std::max(p_.decelJerk, 1.0);
    if (p_.jerk <= 0 && a_ > 0) a_ = 0;
    if (v_ < target) {
        if (p_.jerk <= 0) {
            a_ = 0;
            return;
        }
        const double options[] = {a_ + j * dt, a_, a_ - j * dt};
        double chosen = options[2];
        for (const double a : options) {
            if (v_ + a * dt + rampDownGain(a, j, dt) <= target) {
                chosen = a;
                break;
            }
        }
        a_ = chosen;
        v_ += a_ * dt;
        if (v_ >= target || target - v_ < j * dt * dt) {
            v_ = target;
            a_ = 0;
        }
    } else if (v_ > target) {
        if (p_.decelJerk <= 0) {
            v_ = target;
            a_ = 0;
            return;
        }
        // A remaining acceleration still ends at the acceleration's jerk.
        const double down = a_ > 0 ? j : jd;
        const double options[] = {a_ - down * dt, a_, a_ + jd * dt};
        double chosen = options[2];
        for (const double a : options) {
            if (v_ + a * dt - rampDownGain(-a, jd, dt) >= target) {
                chosen = a;
                break;
            }
        }
        a_ = chosen;
        v_ += a_ * dt;
        if (v_ <= target || v_ - target < jd * dt * dt) {
            v_ = target;
            a_ = 0;
        }
    } else {
        a_ = 0;
    }
}

double SpeedRamp::step(double dt) {
    if (!running_) return 0;
    double target = topSpeed();
    if (stopping_) {
        target = floorSpeed();
    } else if (goal_) {
        // Without a braking ramp only the offset pulses brake: the move runs
        // at speed to its end.
        const double offset = std::max(p_.offsetPulses, 0.0);
        if (!braking_ && p_.curve != Curve::Constant && (rampsDown() || offset > 0) &&
            *goal_ - s_ <= brakingDistance() + offset + v_ * dt) {
            braking_ = true;
        }
        if (braking_) target = floorSpeed();
    }

    switch (p_.curve) {
        case Curve::Constant:
            if (stopping_) {
                halt();
                return 0;
            }
            v_ = target;
            a_ = 0;
            break;
        case Curve::Trapezoid:
            trackTrapezoid(target, dt);
            break;
        case Curve::SCurve:
            trackSCurve(target, dt);
            break;
    }
    v_ = std::clamp(v_, floorSpeed(), topSpeed());

    double ds = v_ * dt;
    if (goal_ && ds >= *goal_ - s_) {
        ds = std::max(0.0, *goal_ - s_);
        s_ += ds;
        halt();
        return ds;
    }
    s_ += ds;
    if (stopping_ && v_ <= floorSpeed()) halt();
    return ds;
}

}  // namespace velmira
