#include "sim/interpolator.h"

#include <cmath>
#include <numbers>

namespace velmira {
namespace {

int axisOfBit(std::uint16_t bit) {
    switch (bit) {
        case 1:
            return 0;
        case 2:
            return 1;
        case 4:
            return 2;
        case 8:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

void Interpolator::assign(std::uint16_t first, std::uint16_t second, std::uint16_t third) {
    assigned_ = {axisOfBit(first), axisOfBit(second), axisOfBit(third)};
}

bool Interpolator::setMode(std::uint8_t mode) {
    if (mode > 11) return false;
    settings_.mode = mode;
    return true;
}

bool Interpolator::uses(int axisIndex) const {
    if (!running_) return false;
    for (int i = 0; i < count_; ++i) {
        if (moving_[i] == axisIndex) return true;
    }
    return false;
}

RampParams Interpolator::params() const {
    const VectorSettings& s = settings_;
    RampParams p;
    p.startSpeed = s.startSpeed;
    p.driveSpeed = s.driveSpeed;
    p.accel = s.accel;
    p.decel = s.accel;
    p.jerk = s.jerk;
    p.decelJerk = s.jerk;
    p.offsetPulses = s.offsetPulses;
    switch (s.mode) {
        case 0:
        case 7:
            p.curve = Curve::Constant;
            break;
        case 1:
        case 5:
        case 8:
            p.curve = Curve::Trapezoid;
            break;
        case 3:
        case 6:
        case 10:
            p.curve = Curve::Trapezoid;
            p.decel = s.decel;
            break;
        case 2:
        case 9:
            p.curve = Curve::SCurve;
            break;
        case 4:
        case 11:
            p.curve = Curve::SCurve;
            p.decelJerk = s.decelJerk;
            break;
        default:
            break;
    }
    return p;
}

bool Interpolator::begin(int count, double length) {
    if (running_) return false;
    for (int i = 0; i < count; ++i) {
        if (assigned_[i] < 0) return false;
        for (int j = 0; j < i; ++j) {
            if (assigned_[j] == assigned_[i]) return false;
        }
        if (axes_[assigned_[i]].activity() != AxisModel::Activity::Idle) return false;
    }
    if (length <= 0) return false;
    int claimed = 0;
    for (; claimed < count; ++claimed) {
        if (!axes_[assigned_[claimed]].claimForPath()) break;
    }
    if (claimed < count) {
        for (int i = 0; i < claimed; ++i) axes_[assigned_[i]].release(AxisModel::Activity::Path);
        return false;
    }
    count_ = count;
    moving_ = assigned_;
    length_ = length;
    running_ = true;
    ramp_.start(params(), length);
    return true;
}

bool Interpolator::line(std::span<const std::int32_t> finish) {
    if (running_) return false;
    const int count = static_cast<int>(finish.size());
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        if (assigned_[i] < 0) return false;
        start_[i] = axes_[assigned_[i]].commandedPosition();
        end_[i] = start_[i] + finish[i];
        sum += static_cast<double>(finish[i]) * finish[i];
    }
    shape_ = Shape::Line;
    return begin(count, std::sqrt(sum));
}

bool Interpolator::arc(bool clockwise, std::int32_t c1, std::int32_t c2, std::int32_t f1,
                       std::int32_t f2) {
    if (running_ || assigned_[0] < 0 || assigned_[1] < 0) return false;
    for (int i = 0; i < 2; ++i) start_[i] = axes_[assigned_[i]].commandedPosition();
    cx_ = start_[0] + c1;
    cy_ = start_[1] + c2;
    end_[0] = start_[0] + f1;
    end_[1] = start_[1] + f2;
    r0_ = std::hypot(static_cast<double>(c1), static_cast<double>(c2));
    r1_ = std::hypot(end_[0] - cx_, end_[1] - cy_);
    if (r0_ == 0) return false;
    theta0_ = std::atan2(start_[1] - cy_, start_[0] - cx_);
    const double thetaEnd = std::atan2(end_[1] - cy_, end_[0] - cx_);
    constexpr double kTurn = 2 * std::numbers::pi;
    // Counter-clockwise sweeps grow the angle; a finish on the start is a full turn.
    double sweep = clockwise ? theta0_ - thetaEnd : thetaEnd - theta0_;
    sweep = std::fmod(sweep, kTurn);
    if (sweep <= 1e-12) sweep += kTurn;
    sweep_ = clockwise ? -sweep : sweep;
    shape_ = Shape::Arc;
    return begin(2, sweep * (r0_ + r1_) / 2);
}

bool Interpolator::circle(bool clockwise, std::int32_t c1, std::int32_t c2) {
    return arc(clockwise, c1, c2, 0, 0);
}

std::array<double, 3> Interpolator::pointAt(double s) const {
    const double f = length_ > 0 ? s / length_ : 1;
    std::array<double, 3> p{};
    if (shape_ == Shape::Line) {
        for (int i = 0; i < count_; ++i) p[i] = start_[i] + (end_[i] - start_[i]) * f;
        return p;
    }
    // A finish a little off the circle is reached by easing the radius.
    const double theta = theta0_ + sweep_ * f;
    const double r = r0_ + (r1_ - r0_) * f;
    p[0] = cx_ + r * std::cos(theta);
    p[1] = cy_ + r * std::sin(theta);
    return p;
}

void Interpolator::finish() {
    for (int i = 0; i < count_; ++i) axes_[moving_[i]].release(AxisModel::Activity::Path);
    running_ = false;
}

void Interpolator::settle() {
    if (!running_) return;
    for (int i = 0; i < count_; ++i) {
        if (axes_[moving_[i]].activity() != AxisModel::Activity::Path) {
            finish();  // servo off or a protection stop took one axis
            return;
        }
    }
}

void Interpolator::tick(double dt) {
    settle();
    if (!running_) return;
    ramp_.step(dt);
    const bool arrived = !ramp_.running() && ramp_.travelled() >= length_;
    const std::array<double, 3> p = arrived ? end_ : pointAt(ramp_.travelled());
    for (int i = 0; i < count_; ++i) {
        if (!axes_[moving_[i]].follow(p[i], dt)) {
            finish();
            return;
        }
    }
    if (!ramp_.running()) finish();
}

}  // namespace velmira
