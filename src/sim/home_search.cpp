#include "sim/home_search.h"

#include <algorithm>
#include <cmath>

namespace velmira {

namespace {
constexpr int kNearHome = 0, kHome = 1, kIndex = 2, kOffset = 3;
}

HomeSearch::HomeSearch(AxisModel& axis, const HomePlan& plan) : axis_(axis), plan_(plan) {
    const AxisMachine& m = axis.machine();
    // A search that finds nothing within a few lengths of the machine (inputs
    // read inverted, the axis stalled at an end stop) gives up.
    searchLimit_ =
        3.0 * ((static_cast<double>(m.limitPlus) - m.limitMinus) + 2 * AxisModel::kOvertravel);
    axis_.clearStopCauses();
    for (const std::uint16_t code : plan_.codes) {
        if (code > 2) {
            phase_ = Phase::Seek;
            fail();
            return;
        }
    }
    phase_ = Phase::Seek;
    nextStep();
}

double HomeSearch::stepSpeed() const {
    return step_ == kNearHome || step_ == kOffset ? plan_.driveSpeed : plan_.homeSpeed;
}

AxisInput HomeSearch::stepInput() const {
    return step_ == kNearHome ? AxisInput::NearHome
           : step_ == kHome   ? AxisInput::Home
                              : AxisInput::Index;
}

void HomeSearch::run(int direction, double speed, std::optional<double> distance,
                     AxisModel::Trigger trigger, Phase phase) {
    RampParams p = axis_.moveParams();
    p.curve = Curve::Trapezoid;
    p.driveSpeed =
        axis_.settings().maxSpeed > 0 ? std::min<double>(speed, axis_.settings().maxSpeed) : speed;
    p.decel = p.accel;
    p.offsetPulses = 0;
    AxisModel::Run r;
    r.direction = direction;
    r.params = p;
    r.distance = distance;
    r.trigger = trigger;
    phase_ = phase;
    if (!axis_.startRun(r, AxisModel::Activity::Home)) fail();
}

void HomeSearch::nextStep() {
    do {
        ++step_;
    } while (step_ <= kOffset && plan_.codes[step_] == 0);
    if (step_ > kOffset) {
        phase_ = Phase::Done;
        axis_.release(AxisModel::Activity::Home);
        return;
    }
    beginStep();
}

void HomeSearch::beginStep() {
    turned_ = false;
    if (step_ == kOffset) {
        if (plan_.offset == 0) {
            nextStep();
            return;
        }
        run(direction(), stepSpeed(), std::abs(plan_.offset), {}, Phase::Offset);
        return;
    }
    if (step_ != kIndex && axis_.input(static_cast<int>(stepInput())) == 1) {
        leave();
    } else {
        seek();
    }
}

void HomeSearch::seek() {
    using Kind = AxisModel::Trigger::Kind;
    if (step_ == kIndex) {
        run(direction(), stepSpeed(), plan_.indexWindow.value_or(searchLimit_),
            {Kind::IndexPulse, AxisInput::Index}, Phase::Seek);
    } else {
        run(direction(), stepSpeed(), searchLimit_, {Kind::BecomesActive, stepInput()},
            Phase::Seek);
    }
}

// Backwards until the signal has been passed: it is then ahead again.
void HomeSearch::leave() {
    run(-direction(), stepSpeed(), searchLimit_,
        {AxisModel::Trigger::Kind::BecomesInactive, stepInput()}, Phase::Leave);
}

void HomeSearch::fail() {
    axis_.failHome();
    axis_.release(AxisModel::Activity::Home);
    phase_ = Phase::Done;
}

void HomeSearch::update() {
    if (phase_ == Phase::Done) return;
    if (axis_.activity() != AxisModel::Activity::Home) {
        // Servo off, emergency stop or alarm took the axis.
        fail();
        return;
    }
    const AxisModel::RunEnd end = axis_.runEnd();
    if (end == AxisModel::RunEnd::Running) return;
    if (end == AxisModel::RunEnd::Stopped || end == AxisModel::RunEnd::Refused) {
        fail();
        return;
    }
    switch (phase_) {
        case Phase::Leave:
            if (end == AxisModel::RunEnd::Triggered) {
                seek();
            } else {
                fail();
            }
            break;
        case Phase::Seek:
            if (end == AxisModel::RunEnd::Triggered) {
                const double back = axis_.latchedPosition() - axis_.commandedPosition();
                if (std::abs(back) < 0.5) {
                    nextStep();
                } else {
                    run(back > 0 ? 1 : -1, plan_.homeSpeed, std::abs(back), {}, Phase::Return);
                }
            } else if (end == AxisModel::RunEnd::Limit && step_ != kIndex && !turned_) {
                turned_ = true;
                axis_.clearStopCauses();
                leave();
            } else {
                fail();
            }
            break;
        case Phase::Return:
        case Phase::Offset:
            if (end == AxisModel::RunEnd::Finished) {
                nextStep();
            } else {
                fail();
            }
            break;
        case Phase::Done:
            break;
    }
}

}  // namespace velmira
