#pragma once

#include <cstdint>
#include <optional>

#include "sim/rack_description.h"
#include "sim/speed_ramp.h"

namespace velmira {

// Inputs by the number GET_DI reads them with.
enum class AxisInput : int {
    Driving = 0,
    LimitPlus = 1,
    LimitMinus = 2,
    Emergency = 3,
    Alarm = 4,
    Home = 5,
    NearHome = 6,
    Index = 7,
    Ready = 8,
};

// Bits of GET_ERROR_CODE. The two soft-limit bits show where the axis stands;
// the others say why the last motion stopped and stay until CLEAR_STOP or
// the next motion.
namespace axis_error {
inline constexpr std::uint16_t kSoftLimitPlus = 1u << 0;
inline constexpr std::uint16_t kSoftLimitMinus = 1u << 1;
inline constexpr std::uint16_t kLimitPlus = 1u << 2;
inline constexpr std::uint16_t kLimitMinus = 1u << 3;
inline constexpr std::uint16_t kAlarm = 1u << 4;
inline constexpr std::uint16_t kEmergency = 1u << 5;
inline constexpr std::uint16_t kHomeFailed = 1u << 6;
inline constexpr std::uint16_t kStopCauses = 0x7Cu;
}  // namespace axis_error

// What the library calls have set on one axis, as the module powers up.
struct SimAxisSettings {
    std::int32_t startSpeed = 1000;
    std::int32_t driveSpeed = 10000;
    std::int32_t accel = 100000;
    std::int32_t decel = 100000;
    std::int32_t jerk = 1000000;
    std::int32_t decelJerk = 1000000;
    std::int32_t maxSpeed = 2000000;
    std::int32_t homeSpeed = 5000;
    std::int16_t offsetPulses = 0;
    std::uint8_t speedMode = 0;  // 0 T sym, 1 S sym, 2 T asym, 3 S asym
    bool hasDecelJerk = true;    // the two-axis module has no L: its S-curve is symmetric
    bool decelerateAtLimit = false;
    // Configured logic of the inputs: true for "High".
    bool limitPlusHigh = false;
    bool limitMinusHigh = false;
    bool homeHigh = false;
    bool nearHomeHigh = false;
    bool indexHigh = false;
    bool alarmEnabled = false;
    bool alarmHigh = false;
    bool inPositionEnabled = false;
    bool inPositionHigh = false;
    bool softLimitsOn = false;
    bool softLimitOnEncoder = false;
    std::int32_t softLimitPlus = 0;
    std::int32_t softLimitMinus = 0;
    std::uint8_t encoderMode = 0;
    std::uint8_t encoderDivision = 0;  // 0 1/1, 1 1/2, 2 1/4
    bool servoOn = false;
};

// One axis: the pulse output with its speed ramp, the machine it drives (limit
// switches, cams, sensors, end stops) and the inputs that machine wires back.
// Positions are kept in pulses: `commanded` counts the pulses output,
// `machine` is where the mechanics stand (they stall at the end stops).
class AxisModel {
  public:
    enum class Activity { Idle, Move, Pulser, Home, Path };
    enum class RunEnd { Running, Finished, Triggered, Limit, Refused, Stopped };

    // A signal edge a run watches for (home search).
    struct Trigger {
        enum class Kind { None, BecomesActive, BecomesInactive, IndexPulse } kind = Kind::None;
        AxisInput input = AxisInput::Home;
    };
    struct Run {
        int direction = 1;
        RampParams params;
        std::optional<double> distance;
        Trigger trigger;
    };

    // Beyond its limit switches the machine runs into its end stops.
    static constexpr double kOvertravel = 2000;

    explicit AxisModel(const AxisMachine& machine = {});

    SimAxisSettings& settings() { return settings_; }
    const SimAxisSettings& settings() const { return settings_; }
    const AxisMachine& machine() const { return machine_; }

    // Motion commands of the library.
    void fixedMove(std::int32_t distance);
    void continueMove(std::int32_t direction);
    void pulserMode(std::int32_t direction);
    void endPulserMode();
    void stopSlowly();
    void servoOn();
    void servoOff();
    void speedSettingsChanged();
    void clearStopCauses() { stopCauses_ = 0; }
    void setLogicPosition(std::int32_t value);
    void setEncoderPosition(std::int32_t value);

    // For the home search and the interpolator, which own the axis while
    // they run it. startRun is refused (false) when the axis may not move
    // that way; the cause then shows in the error code.
    bool startRun(const Run& run, Activity owner);
    RunEnd runEnd() const { return runEnd_; }
    double latchedPosition() const { return latched_; }
    bool claimForPath();
    // Path steps: move straight to `commanded` within dt; false when a limit,
    // an alarm or the emergency stop ends the path there.
    bool follow(double commanded, double dt);
    // Ends the run of `owner`; an axis that something else has taken since
    // is left alone.
    void release(Activity owner);
    void failHome() { stopCauses_ |= axis_error::kHomeFailed; }

    void tick(double dt);

    // What the library reads back.
    Activity activity() const { return activity_; }
    std::int32_t logicPosition() const;
    std::int32_t encoderPosition() const;
    std::int32_t currentSpeed() const;
    std::int32_t input(int number) const;
    std::uint32_t errorCode() const;

    double commandedPosition() const { return commanded_; }
    RampParams moveParams() const;

  private:
    struct Barrier {
        double at;  // commanded position
        enum class Kind { Limit, SoftLimit, Edge } kind;
        std::uint16_t cause;
    };

    bool mayMove(int direction);
    bool rawActive(AxisInput input, double machinePos) const;
    bool inverted(AxisInput input) const;
    bool reads(AxisInput input, double machinePos) const;
    std::optional<Barrier> firstBarrier(double from, double to) const;
    std::int64_t encoderCounts() const;
    double softLimitSource(double commanded) const;
    std::optional<double> softBarrier(int direction) const;
    bool protectionStops();
    void moveBy(double delta);
    void endRun(RunEnd end);
    void finishRun();
    void halt(RunEnd end);
    void startMove(int direction, std::optional<double> distance);

    AxisMachine machine_;
    SimAxisSettings settings_;
    Activity activity_ = Activity::Idle;
    SpeedRamp ramp_;
    int direction_ = 1;
    double origin_ = 0;  // commanded position where the current move began
    Trigger trigger_;
    RunEnd runEnd_ = RunEnd::Finished;
    bool endingAtLimit_ = false;
    bool triggered_ = false;
    bool stopRequested_ = false;
    double latched_ = 0;
    // A move that waits for the axis to come to rest first (a reversal).
    std::optional<double> pendingTarget_;
    bool pendingContinuous_ = false;
    int pendingDirection_ = 1;
    int pulserDirection_ = 1;
    double pathSpeed_ = 0;
    double commanded_ = 0;
    double machinePos_ = 0;
    std::int64_t logicOffset_ = 0;
    std::int64_t encoderOffset_ = 0;
    std::uint16_t stopCauses_ = 0;
};

}  // namespace velmira
