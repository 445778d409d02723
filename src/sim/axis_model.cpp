#include "sim/axis_model.h"

#include <algorithm>
#include <cmath>

namespace velmira {
namespace {

std::int32_t wrap32(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

// Whether c lies past `from` and no further than `to` in the direction of travel.
bool within(double from, double to, double c) {
    return to > from ? (c > from && c <= to) : (c < from && c >= to);
}

}  // namespace

AxisModel::AxisModel(const AxisMachine& machine)
    : machine_(machine), commanded_(machine.start), machinePos_(machine.start) {
    // The counters start at 0 wherever the machine stands.
    logicOffset_ = -static_cast<std::int64_t>(machine.start);
    encoderOffset_ = -encoderCounts();
}

RampParams AxisModel::moveParams() const {
    const SimAxisSettings& s = settings_;
    RampParams p;
    const bool sCurve = s.speedMode == 1 || s.speedMode == 3;
    p.curve = sCurve ? Curve::SCurve : Curve::Trapezoid;
    p.driveSpeed = s.maxSpeed > 0 ? std::min(s.driveSpeed, s.maxSpeed) : s.driveSpeed;
    p.startSpeed = s.startSpeed;
    p.accel = s.accel;
    p.decel = s.speedMode == 2 ? s.decel : s.accel;
    p.jerk = s.jerk;
    p.decelJerk = s.speedMode == 3 && s.hasDecelJerk ? s.decelJerk : s.jerk;
    p.offsetPulses = s.offsetPulses;
    return p;
}

// --- inputs -----------------------------------------------------------------

bool AxisModel::rawActive(AxisInput input, double pos) const {
    switch (input) {
        case AxisInput::Driving:
            return activity_ != Activity::Idle &&
                   (activity_ != Activity::Pulser || machine_.pulserRate != 0);
        case AxisInput::LimitPlus:
            return pos >= machine_.limitPlus;
        case AxisInput::LimitMinus:
            return pos <= machine_.limitMinus;
        case AxisInput::Emergency:
            return machine_.emergencyStop;
        case AxisInput::Alarm:
            return machine_.alarm;
        case AxisInput::Home:
            return machine_.home.contains(pos);
        case AxisInput::NearHome:
            return machine_.nearHome.contains(pos);
        case AxisInput::Index:
            return machine_.indexSpacing > 0 &&
                   floorMod(std::llround(pos) - machine_.indexPhase, machine_.indexSpacing) == 0;
        case AxisInput::Ready:
            return machine_.ready && settings_.servoOn;
    }
    return false;
}

// An input reads inverted when the module's configured logic does not match
// how the machine is wired.
bool AxisModel::inverted(AxisInput input) const {
    bool high = false;
    switch (input) {
        case AxisInput::LimitPlus:
            high = settings_.limitPlusHigh;
            break;
        case AxisInput::LimitMinus:
            high = settings_.limitMinusHigh;
            break;
        case AxisInput::Home:
            high = settings_.homeHigh;
            break;
        case AxisInput::NearHome:
            high = settings_.nearHomeHigh;
            break;
        case AxisInput::Index:
            high = settings_.indexHigh;
            break;
        case AxisInput::Alarm:
            high = settings_.alarmHigh;
            break;
        case AxisInput::Ready:
            high = settings_.inPositionHigh;
            break;
        case AxisInput::Driving:
        case AxisInput::Emergency:
            return false;
    }
    return high != machine_.activeHigh;
}

bool AxisModel::reads(AxisInput input, double pos) const {
    return rawActive(input, pos) != inverted(input);
}

std::int32_t AxisModel::input(int number) const {
    if (number < 0 || number > static_cast<int>(AxisInput::Ready)) return 0;
    return reads(static_cast<AxisInput>(number), machinePos_) ? 1 : 0;
}

// --- positions --------------------------------------------------------------

std::int64_t AxisModel::encoderCounts() const {
    const int shift = std::min<int>(settings_.encoderDivision, 2);
    return floorDiv(std::llround(machinePos_), std::int64_t{1} << shift);
}

std::int32_t AxisModel::logicPosition() const {
    return wrap32(std::llround(commanded_) + logicOffset_);
}

std::int32_t AxisModel::encoderPosition() const {
    return wrap32(encoderCounts() + encoderOffset_);
}

void AxisModel::setLogicPosition(std::int32_t value) {
    logicOffset_ = value - std::llround(commanded_);
}

void AxisModel::setEncoderPosition(std::int32_t value) {
    encoderOffset_ = value - encoderCounts();
}

std::int32_t AxisModel::currentSpeed() const {
    double v = 0;
    switch (activity_) {
        case Activity::Move:
        case Activity::Home:
            v = ramp_.speed();
            break;
        case Activity::Pulser:
        case Activity::Path:
            v = pathSpeed_;
            break;
        case Activity::Idle:
            break;
    }
    return wrap32(std::llround(v));
}

double AxisModel::softLimitSource(double commanded) const {
    if (settings_.softLimitOnEncoder) return static_cast<double>(encoderCounts() + encoderOffset_);
    return static_cast<double>(std::llround(commanded) + logicOffset_);
}

std::uint32_t AxisModel::errorCode() const {
    std::uint32_t code = stopCauses_;
    if (settings_.softLimitsOn) {
        const double source = softLimitSource(commanded_);
        if (source >= settings_.softLimitPlus) code |= axis_error::kSoftLimitPlus;
        if (source <= settings_.softLimitMinus) code |= axis_error::kSoftLimitMinus;
    }
    return code;
}

// --- protection -------------------------------------------------------------

bool AxisModel::mayMove(int direction) {
    if (reads(AxisInput::Emergency, machinePos_)) {
        stopCauses_ |= axis_error::kEmergency;
        return false;
    }
    if (settings_.alarmEnabled && reads(AxisInput::Alarm, machinePos_)) {
        stopCauses_ |= axis_error::kAlarm;
        return false;
    }
    if (direction > 0 && reads(AxisInput::LimitPlus, machinePos_)) {
        stopCauses_ |= axis_error::kLimitPlus;
        return false;
    }
    if (direction < 0 && reads(AxisInput::LimitMinus, machinePos_)) {
        stopCauses_ |= axis_error::kLimitMinus;
        return false;
    }
    if (settings_.softLimitsOn) {
        const double source = softLimitSource(commanded_);
        if (direction > 0 && source >= settings_.softLimitPlus) return false;
        if (direction < 0 && source <= settings_.softLimitMinus) return false;
    }
    return true;
}

bool AxisModel::protectionStops() {
    std::uint16_t cause = 0;
    if (reads(AxisInput::Emergency, machinePos_)) cause = axis_error::kEmergency;
    if (settings_.alarmEnabled && reads(AxisInput::Alarm, machinePos_)) cause = axis_error::kAlarm;
    if (cause == 0) return false;
    stopCauses_ |= cause;
    halt(RunEnd::Stopped);
    return true;
}

std::optional<double> AxisModel::softBarrier(int direction) const {
    if (!settings_.softLimitsOn) return std::nullopt;
    const double limit = direction > 0 ? settings_.softLimitPlus : settings_.softLimitMinus;
    if (!settings_.softLimitOnEncoder) return limit - static_cast<double>(logicOffset_);
    const int shift = std::min<int>(settings_.encoderDivision, 2);
    const double machineAt = (limit - static_cast<double>(encoderOffset_)) * (1 << shift);
    return commanded_ + (machineAt - machinePos_);
}

// The first place between `from` and `to` (commanded positions, `from` being
// where the axis stands) where the motion has to react.
std::optional<AxisModel::Barrier> AxisModel::firstBarrier(double from, double to) const {
    if (to == from) return std::nullopt;
    const int dir = to > from ? 1 : -1;
    const auto toCommanded = [&](double machineAt) { return from + (machineAt - machinePos_); };
    std::optional<Barrier> best;
    const auto consider = [&](double at, Barrier::Kind kind, std::uint16_t cause) {
        if (!within(from, to, at)) return;
        if (!best || (at - best->at) * dir < 0) best = Barrier{at, kind, cause};
    };

    const AxisInput limit = dir > 0 ? AxisInput::LimitPlus : AxisInput::LimitMinus;
    if (!inverted(limit)) {
        consider(toCommanded(dir > 0 ? machine_.limitPlus : machine_.limitMinus),
                 Barrier::Kind::Limit, dir > 0 ? axis_error::kLimitPlus : axis_error::kLimitMinus);
    }
    if (const auto soft = softBarrier(dir)) consider(*soft, Barrier::Kind::SoftLimit, 0);

    if (!triggered_ && trigger_.kind == Trigger::Kind::IndexPulse && machine_.indexSpacing > 0) {
        const std::int64_t m = std::llround(machinePos_);
        const std::int64_t s = machine_.indexSpacing;
        const std::int64_t phaseAt = floorMod(m - machine_.indexPhase, s);
        const std::int64_t next = dir > 0 ? m + (s - phaseAt) : m - (phaseAt == 0 ? s : phaseAt);
        consider(toCommanded(static_cast<double>(next)), Barrier::Kind::Edge, 0);
    } else if (!triggered_ && (trigger_.kind == Trigger::Kind::BecomesActive ||
                               trigger_.kind == Trigger::Kind::BecomesInactive)) {
        const SignalZone& zone =
            trigger_.input == AxisInput::NearHome ? machine_.nearHome : machine_.home;
        const double entering = dir > 0 ? zone.from : zone.to;
        const double leaving = dir > 0 ? zone.to : zone.from;
        const bool wantActive = trigger_.kind == Trigger::Kind::BecomesActive;
        const double edge = wantActive != inverted(trigger_.input) ? entering : leaving;
        consider(toCommanded(edge), Barrier::Kind::Edge, 0);
    }
    return best;
}

// --- motion -----------------------------------------------------------------

void AxisModel::moveBy(double delta) {
    commanded_ += delta;
    machinePos_ = std::clamp(machinePos_ + delta, machine_.limitMinus - kOvertravel,
                             machine_.limitPlus + kOvertravel);
}

void AxisModel::startMove(int direction, std::optional<double> distance) {
    stopCauses_ = 0;
    pendingTarget_.reset();
    pendingContinuous_ = false;
    if (!mayMove(direction)) return;
    direction_ = direction;
    origin_ = commanded_;
    trigger_ = {};
    triggered_ = false;
    endingAtLimit_ = false;
    stopRequested_ = false;
    activity_ = Activity::Move;
    runEnd_ = RunEnd::Running;
    ramp_.start(moveParams(), distance);
}

void AxisModel::fixedMove(std::int32_t distance) {
    if (activity_ == Activity::Idle) {
        if (distance != 0)
            startMove(distance > 0 ? 1 : -1, std::abs(static_cast<double>(distance)));
        return;
    }
    if (activity_ != Activity::Move) return;
    // On the fly: the move now ends `distance` from where it began.
    const double target = origin_ + distance;
    const double remaining = (target - commanded_) * direction_;
    pendingContinuous_ = false;
    if (remaining > 0 && !ramp_.stopping() && ramp_.canStopWithin(remaining)) {
        pendingTarget_.reset();
        ramp_.setGoal(ramp_.travelled() + remaining);
    } else {
        // Past it, or too close to stop in time: come to rest, then go back.
        pendingTarget_ = target;
        ramp_.stop();
    }
}

void AxisModel::continueMove(std::int32_t value) {
    const int direction = value < 0 ? -1 : 1;
    if (activity_ == Activity::Idle) {
        startMove(direction, std::nullopt);
        return;
    }
    if (activity_ != Activity::Move) return;
    if (direction == direction_ && !ramp_.stopping()) {
        pendingTarget_.reset();
        ramp_.setGoal(std::nullopt);
        return;
    }
    pendingTarget_.reset();
    pendingContinuous_ = true;
    pendingDirection_ = direction;
    ramp_.stop();
}

void AxisModel::pulserMode(std::int32_t value) {
    if (activity_ != Activity::Idle && activity_ != Activity::Pulser) return;
    stopCauses_ = 0;
    pulserDirection_ = value < 0 ? -1 : 1;
    activity_ = Activity::Pulser;
}

void AxisModel::endPulserMode() {
    if (activity_ == Activity::Pulser) {
        activity_ = Activity::Idle;
        pathSpeed_ = 0;
    }
}

void AxisModel::stopSlowly() {
    switch (activity_) {
        case Activity::Move:
        case Activity::Home:
            pendingTarget_.reset();
            pendingContinuous_ = false;
            stopRequested_ = true;
            ramp_.stop();
            break;
        case Activity::Pulser:
            endPulserMode();
            break;
        case Activity::Path:
        case Activity::Idle:
            break;
    }
}

void AxisModel::servoOn() {
    settings_.servoOn = true;
}

void AxisModel::servoOff() {
    settings_.servoOn = false;
    if (activity_ != Activity::Idle) halt(RunEnd::Stopped);
}

void AxisModel::speedSettingsChanged() {
    if (activity_ == Activity::Move) ramp_.setParams(moveParams());
}

bool AxisModel::startRun(const Run& run, Activity owner) {
    pendingTarget_.reset();
    pendingContinuous_ = false;
    if (!mayMove(run.direction)) {
        runEnd_ = RunEnd::Refused;
        return false;
    }
    direction_ = run.direction;
    origin_ = commanded_;
    trigger_ = run.trigger;
    triggered_ = false;
    endingAtLimit_ = false;
    stopRequested_ = false;
    activity_ = owner;
    runEnd_ = RunEnd::Running;
    ramp_.start(run.params, run.distance);
    return true;
}

bool AxisModel::claimForPath() {
    if (activity_ != Activity::Idle) return false;
    stopCauses_ = 0;
    if (reads(AxisInput::Emergency, machinePos_) ||
        (settings_.alarmEnabled && reads(AxisInput::Alarm, machinePos_))) {
        protectionStops();
        return false;
    }
    activity_ = Activity::Path;
    trigger_ = {};
    pathSpeed_ = 0;
    return true;
}

void AxisModel::release(Activity owner) {
    if (activity_ != owner) return;
    ramp_.halt();
    if (activity_ == Activity::Path) moveBy(std::round(commanded_) - commanded_);
    activity_ = Activity::Idle;
    pathSpeed_ = 0;
}

void AxisModel::halt(RunEnd end) {
    ramp_.halt();
    pendingTarget_.reset();
    pendingContinuous_ = false;
    moveBy(std::round(commanded_) - commanded_);
    pathSpeed_ = 0;
    runEnd_ = end;
    activity_ = Activity::Idle;
}

void AxisModel::endRun(RunEnd end) {
    runEnd_ = end;
    pathSpeed_ = 0;
    // A home search keeps the axis between its runs.
    if (activity_ == Activity::Move) activity_ = Activity::Idle;
}

void AxisModel::finishRun() {
    // The drive outputs whole pulses: a move comes to rest on one.
    moveBy(std::round(commanded_) - commanded_);
    if (activity_ == Activity::Move && pendingContinuous_) {
        startMove(pendingDirection_, std::nullopt);
        return;
    }
    if (activity_ == Activity::Move && pendingTarget_) {
        const double d = *pendingTarget_ - commanded_;
        if (std::abs(d) >= 0.5) {
            startMove(d > 0 ? 1 : -1, std::abs(d));
            return;
        }
    }
    pendingTarget_.reset();
    endRun(triggered_       ? RunEnd::Triggered
           : endingAtLimit_ ? RunEnd::Limit
           : stopRequested_ ? RunEnd::Stopped
                            : RunEnd::Finished);
}

bool AxisModel::follow(double commanded, double dt) {
    if (protectionStops()) return false;
    const double delta = commanded - commanded_;
    if (delta == 0) {
        pathSpeed_ = 0;
        return true;
    }
    if (const auto barrier = firstBarrier(commanded_, commanded)) {
        moveBy(barrier->at - commanded_);
        stopCauses_ |= barrier->cause;
        pathSpeed_ = 0;
        return false;
    }
    moveBy(delta);
    pathSpeed_ = std::abs(delta) / dt;
    return true;
}

void AxisModel::tick(double dt) {
    if (activity_ == Activity::Idle || activity_ == Activity::Path) return;
    if (protectionStops()) return;

    if (activity_ == Activity::Pulser) {
        const double delta = static_cast<double>(machine_.pulserRate) * pulserDirection_ * dt;
        pathSpeed_ = 0;
        if (delta == 0 || !mayMove(delta > 0 ? 1 : -1)) return;
        if (const auto barrier = firstBarrier(commanded_, commanded_ + delta)) {
            moveBy(barrier->at - commanded_);
            stopCauses_ |= barrier->cause;
            return;
        }
        moveBy(delta);
        pathSpeed_ = std::abs(delta) / dt;
        return;
    }

    if (runEnd_ != RunEnd::Running) return;
    if (!ramp_.running()) {
        finishRun();
        return;
    }
    const double to = commanded_ + direction_ * ramp_.step(dt);
    while (const auto barrier = firstBarrier(commanded_, to)) {
        if (barrier->kind == Barrier::Kind::Edge) {
            // The module latches where the edge came and brakes beyond it.
            latched_ = barrier->at;
            triggered_ = true;
            ramp_.stop();
            moveBy(barrier->at - commanded_);
            continue;
        }
        stopCauses_ |= barrier->cause;
        if (barrier->kind == Barrier::Kind::Limit && settings_.decelerateAtLimit) {
            endingAtLimit_ = true;
            ramp_.stop();
            break;
        }
        moveBy(barrier->at - commanded_);
        ramp_.halt();
        pendingTarget_.reset();
        pendingContinuous_ = false;
        endRun(RunEnd::Limit);
        return;
    }
    moveBy(to - commanded_);
    if (!ramp_.running()) finishRun();
}

}  // namespace velmira
