#include "sim/sim_module.h"

namespace velmira {

SimModule::SimModule(ModuleKind kind, const SlotMachine& machine)
    : kind_(kind),
      axisCount_(axisCount(kind)),
      axes_{AxisModel(machine.axes[0]), AxisModel(machine.axes[1]), AxisModel(machine.axes[2]),
            AxisModel(machine.axes[3])} {
    for (AxisModel& a : axes_) a.settings().hasDecelJerk = kind == ModuleKind::Lorvex;
}

template <class F>
void SimModule::forEach(std::uint16_t mask, F&& f) {
    for (int i = 0; i < axisCount_; ++i) {
        if (mask & (1u << i)) f(i, axes_[i]);
    }
}

// Reads of several axes answer for the lowest one.
const AxisModel* SimModule::lowest(std::uint16_t mask) const {
    for (int i = 0; i < axisCount_; ++i) {
        if (mask & (1u << i)) return &axes_[i];
    }
    return nullptr;
}

bool SimModule::homing(std::uint16_t mask) const {
    for (int i = 0; i < axisCount_; ++i) {
        if ((mask & (1u << i)) && searches_[i] && !searches_[i]->done()) return true;
    }
    return false;
}

bool SimModule::active() const {
    if (interpolator_.running()) return true;
    for (const AxisModel& a : axes_) {
        if (a.activity() != AxisModel::Activity::Idle) return true;
    }
    // A search whose axis rests has still to learn why.
    return homing(0xF);
}

void SimModule::tick(double dt) {
    interpolator_.tick(dt);
    for (int i = 0; i < axisCount_; ++i) {
        axes_[i].tick(dt);
        if (searches_[i]) searches_[i]->update();
    }
}

// A search or path whose axis was taken ends now, not at the next tick: with
// nothing else moving there would be none, and a late end would cut short
// whatever the axis does by then.
void SimModule::settle() {
    interpolator_.settle();
    for (auto& search : searches_) {
        if (search) search->update();
    }
}

void SimModule::startHoming(std::uint16_t mask, const HomePlan& plan) {
    forEach(mask, [&](int i, AxisModel& a) {
        if (a.activity() != AxisModel::Activity::Idle) return;
        searches_[i].reset();
        searches_[i].emplace(a, plan);
    });
}

// Settings that every axis of the mask takes.
std::int64_t SimModule::setting(MotionOp op, std::uint16_t mask, std::int64_t value) {
    const auto v = static_cast<std::int32_t>(value);
    forEach(mask, [&](int, AxisModel& a) {
        SimAxisSettings& s = a.settings();
        switch (op) {
            case MotionOp::SET_V:
                s.driveSpeed = v;
                break;
            case MotionOp::SET_A:
                s.accel = v;
                break;
            case MotionOp::SET_D:
                s.decel = v;
                break;
            case MotionOp::SET_K:
                s.jerk = v;
                break;
            case MotionOp::SET_L:
                s.decelJerk = v;
                break;
            case MotionOp::SET_SV:
                s.startSpeed = v;
                break;
            case MotionOp::SET_MAX_V:
                s.maxSpeed = v;
                break;
            case MotionOp::SET_AO:
                s.offsetPulses = static_cast<std::int16_t>(v);
                break;
            case MotionOp::NORMAL_SPEED:
                if (v >= 0 && v <= 3) s.speedMode = static_cast<std::uint8_t>(v);
                break;
            default:
                return;
        }
        a.speedSettingsChanged();
    });
    return 0;
}

std::int64_t SimModule::call(MotionOp op, std::span<const std::int64_t> args) {
    const auto mask = args.size() > 1 ? static_cast<std::uint16_t>(args[1]) : std::uint16_t{0};
    const auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : 0; };
    const auto i32 = [&](std::size_t i) { return static_cast<std::int32_t>(arg(i)); };
    const auto each = [&](auto&& f) { forEach(mask, [&](int, AxisModel& a) { f(a); }); };

    switch (op) {
        // Signal and protection settings.
        case MotionOp::LIMITSTOP_MODE:
            each([&](AxisModel& a) { a.settings().decelerateAtLimit = arg(2) == 1; });
            return 0;
        case MotionOp::SET_NHOME:
            each([&](AxisModel& a) { a.settings().nearHomeHigh = arg(2) != 0; });
            return 0;
        case MotionOp::SET_HOME_EDGE:
            each([&](AxisModel& a) { a.settings().homeHigh = arg(2) != 0; });
            return 0;
        case MotionOp::SET_HLMT:
            each([&](AxisModel& a) {
                a.settings().limitPlusHigh = arg(2) != 0;
                a.settings().limitMinusHigh = arg(3) != 0;
            });
            return 0;
        case MotionOp::SET_ALARM:
            each([&](AxisModel& a) {
                a.settings().alarmEnabled = arg(2) != 0;
                a.settings().alarmHigh = arg(3) != 0;
            });
            return 0;
        case MotionOp::SET_INPOS:
            each([&](AxisModel& a) {
                a.settings().inPositionEnabled = arg(2) != 0;
                a.settings().inPositionHigh = arg(3) != 0;
            });
            return 0;
        case MotionOp::SET_ENCODER:
            each([&](AxisModel& a) {
                a.settings().encoderMode = static_cast<std::uint8_t>(arg(2));
                a.settings().encoderDivision = static_cast<std::uint8_t>(arg(3));
                a.settings().indexHigh = arg(4) != 0;
            });
            return 0;
        case MotionOp::SET_SLMT:
            each([&](AxisModel& a) {
                SimAxisSettings& s = a.settings();
                s.softLimitsOn = true;
                s.softLimitPlus = i32(2);
                s.softLimitMinus = i32(3);
                s.softLimitOnEncoder = arg(4) == 1;
            });
            return 0;
        case MotionOp::CLEAR_SLMT:
            each([&](AxisModel& a) { a.settings().softLimitsOn = false; });
            return 0;
        case MotionOp::SERVO_ON:
            each([&](AxisModel& a) { a.servoOn(); });
            return 0;
        case MotionOp::SERVO_OFF:
            each([&](AxisModel& a) { a.servoOff(); });
            settle();
            return 0;

        // Speeds.
        case MotionOp::SET_V:
        case MotionOp::SET_A:
        case MotionOp::SET_D:
        case MotionOp::SET_K:
        case MotionOp::SET_L:
        case MotionOp::SET_SV:
        case MotionOp::SET_MAX_V:
        case MotionOp::SET_AO:
        case MotionOp::NORMAL_SPEED:
            return setting(op, mask, arg(2));
        case MotionOp::SET_HV:
            each([&](AxisModel& a) { a.settings().homeSpeed = i32(2); });
            return 0;

        // Single-axis motion.
        case MotionOp::SET_LP:
            each([&](AxisModel& a) { a.setLogicPosition(i32(2)); });
            return 0;
        case MotionOp::SET_EP:
            each([&](AxisModel& a) { a.setEncoderPosition(i32(2)); });
            return 0;
        case MotionOp::FIXED_MOVE:
            each([&](AxisModel& a) { a.fixedMove(i32(2)); });
            return 0;
        case MotionOp::CONTINUE_MOVE:
            each([&](AxisModel& a) { a.continueMove(i32(2)); });
            return 0;
        case MotionOp::EXD_MP:
            each([&](AxisModel& a) { a.pulserMode(i32(2)); });
            return 0;
        case MotionOp::EXD_DISABLE:
            each([&](AxisModel& a) { a.endPulserMode(); });
            return 0;
        case MotionOp::STOP_SLOWLY:
            forEach(mask, [&](int i, AxisModel& a) {
                if (interpolator_.uses(i)) {
                    interpolator_.stop();
                } else {
                    a.stopSlowly();
                }
            });
            return 0;
        case MotionOp::CLEAR_STOP:
            for (AxisModel& a : axes_) a.clearStopCauses();
            return 0;

        // Homing.
        case MotionOp::SET_HOME_MODE:
            forEach(mask, [&](int i, AxisModel&) {
                for (int k = 0; k < 4; ++k)
                    homeCodes_[i][k] = static_cast<std::uint16_t>(arg(2 + k));
                homeValue_[i] = i32(6);
            });
            return 0;
        case MotionOp::HOME_START:
            forEach(mask, [&](int i, AxisModel& a) {
                HomePlan plan;
                plan.codes = homeCodes_[i];
                plan.driveSpeed = a.settings().driveSpeed;
                plan.homeSpeed = a.settings().homeSpeed;
                plan.offset = homeValue_[i];
                startHoming(static_cast<std::uint16_t>(1u << i), plan);
            });
            return 0;
        case MotionOp::HOME_WAIT:
            return homing(mask) ? 0 : 1;
        case MotionOp::AUTO_HOME: {
            HomePlan plan;
            for (int k = 0; k < 4; ++k) plan.codes[k] = static_cast<std::uint16_t>(arg(2 + k));
            plan.offset = i32(6);
            plan.driveSpeed = i32(7);
            plan.homeSpeed = i32(8);
            plan.indexWindow = i32(9);
            startHoming(mask, plan);
            return 0;
        }

        // Interpolation; the first argument after the card is no axis mask here.
        case MotionOp::AXIS_ASSIGN:
            interpolator_.assign(static_cast<std::uint16_t>(arg(1)),
                                 static_cast<std::uint16_t>(arg(2)),
                                 static_cast<std::uint16_t>(arg(3)));
            return 0;
        case MotionOp::VECTOR_SPEED:
            interpolator_.setMode(static_cast<std::uint8_t>(arg(1)));
            return 0;
        case MotionOp::SET_VSV:
            interpolator_.settings().startSpeed = i32(1);
            return 0;
        case MotionOp::SET_VV:
            interpolator_.settings().driveSpeed = i32(1);
            return 0;
        case MotionOp::SET_VA:
            interpolator_.settings().accel = i32(1);
            return 0;
        case MotionOp::SET_VD:
            interpolator_.settings().decel = i32(1);
            return 0;
        case MotionOp::SET_VK:
            interpolator_.settings().jerk = i32(1);
            return 0;
        case MotionOp::SET_VL:
            interpolator_.settings().decelJerk = i32(1);
            return 0;
        case MotionOp::SET_VAO:
            interpolator_.settings().offsetPulses = static_cast<std::int16_t>(arg(1));
            return 0;
        case MotionOp::LINE_2D: {
            const std::int32_t f[] = {i32(1), i32(2)};
            interpolator_.line(f);
            return 0;
        }
        case MotionOp::LINE_3D: {
            const std::int32_t f[] = {i32(1), i32(2), i32(3)};
            interpolator_.line(f);
            return 0;
        }
        case MotionOp::ARC_CW:
        case MotionOp::ARC_CCW:
            interpolator_.arc(op == MotionOp::ARC_CW, i32(1), i32(2), i32(3), i32(4));
            return 0;
        case MotionOp::CIRCLE_CW:
        case MotionOp::CIRCLE_CCW:
            interpolator_.circle(op == MotionOp::CIRCLE_CW, i32(1), i32(2));
            return 0;

        // Status.
        case MotionOp::GET_LP:
            return lowest(mask) ? lowest(mask)->logicPosition() : 0;
        case MotionOp::GET_EP:
            return lowest(mask) ? lowest(mask)->encoderPosition() : 0;
        case MotionOp::GET_CV:
            return lowest(mask) ? lowest(mask)->currentSpeed() : 0;
        case MotionOp::GET_ERROR_CODE:
            return lowest(mask) ? lowest(mask)->errorCode() : 0;
        case MotionOp::GET_DI:
            return lowest(mask) ? lowest(mask)->input(static_cast<int>(arg(2))) : 0;

        // Kept by the module but without effect on the simulated machine.
        case MotionOp::SET_PULSE_MODE:
        case MotionOp::SET_FILTER:
        case MotionOp::VRING_ENABLE:
        case MotionOp::VRING_DISABLE:
        case MotionOp::AVTRI_ENABLE:
        case MotionOp::AVTRI_DISABLE:
        case MotionOp::REGISTRATION:
            return 0;
    }
    return 0;
}

}  // namespace velmira
