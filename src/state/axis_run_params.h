#pragma once

#include <cstdint>

#include "hw/motion_modes.h"

namespace velmira {

// The motion parameters and mode choices of one card and axis index, kept for
// the whole run so that a screen shows the last values used for an axis when
// it opens again. Never saved. The Basic Operation and Advanced Features
// screens use disjoint fields of the same block.
struct AxisRunParams {
    // Basic Operation.
    // One value for each radio group.
    DrivingMode drivingMode = DrivingMode::PointToPoint;
    Profile profile = Profile::TCurve;
    Symmetry symmetry = Symmetry::Symmetric;
    std::int32_t startVelocity = 0;  // SV, PPS
    std::int32_t driveVelocity = 0;  // V, PPS
    std::int32_t acceleration = 0;   // A, PPS/Sec
    std::int32_t deceleration = 0;   // D, PPS/Sec
    std::int32_t jerk = 0;           // K, PPS/Sec^2
    std::int32_t decelRate = 0;      // L, PPS/Sec^2
    std::int32_t outputPulse = 0;    // P, pulses
    std::int32_t offsetPulse = 0;    // AO, pulses
    std::int32_t homeModeIndex = 0;
    std::int32_t homeSpeed = 0;  // HV, PPS

    // Advanced Features.
    PathMode advMode = PathMode::Linear2D;
    Profile advProfile = Profile::Constant;  // Circular checks T-curve and leaves this be
    ArcDirection advDirection = ArcDirection::CW;
    Symmetry advSymmetry = Symmetry::Symmetric;
    std::int32_t advAxis1Index = 0;
    std::int32_t advAxis2Index = 0;
    std::int32_t advAxis3Index = 0;
    std::int32_t advVSV = 0;
    std::int32_t advVV = 0;
    std::int32_t advVA = 0;
    std::int32_t advVD = 0;
    std::int32_t advVK = 0;
    std::int32_t advVL = 0;
    std::int32_t advVAO = 0;
    std::int32_t advFP1 = 0;
    std::int32_t advFP2 = 0;
    std::int32_t advFP3 = 0;
    std::int32_t advCP1 = 0;
    std::int32_t advCP2 = 0;

    // The Basic Operation values count as never used while all eight motion
    // values are 0 (the home speed and mode do not count).
    bool basicUnused() const {
        return startVelocity == 0 && driveVelocity == 0 && acceleration == 0 && deceleration == 0 &&
               jerk == 0 && decelRate == 0 && outputPulse == 0 && offsetPulse == 0;
    }

    friend bool operator==(const AxisRunParams&, const AxisRunParams&) = default;
};

}  // namespace velmira
