#pragma once

#include <cstdint>

namespace velmira {

// The motion parameters and mode choices of one card and axis index, kept for
// the whole run so that a screen shows the last values used for an axis when
// it opens again. Never saved. The Basic Operation and Advanced Features
// screens use disjoint fields of the same block.
struct AxisRunParams {
    // Basic Operation.
    std::int32_t tCurve = 0;
    std::int32_t sCurve = 0;
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
    std::int32_t modePointToPoint = 0;
    std::int32_t modeContinuous = 0;
    std::int32_t modeManualPulsar = 0;
    std::int32_t modeHome = 0;
    std::int32_t symmetric = 0;
    std::int32_t asymmetric = 0;

    // Advanced Features.
    std::int32_t advLinear2D = 0;
    std::int32_t advLinear3D = 0;
    std::int32_t advCircular = 0;
    std::int32_t advConst = 0;
    std::int32_t advTCurve = 0;
    std::int32_t advSCurve = 0;
    std::int32_t advAxis1Index = 0;
    std::int32_t advAxis2Index = 0;
    std::int32_t advAxis3Index = 0;
    std::int32_t advCW = 0;
    std::int32_t advCCW = 0;
    std::int32_t advSym = 0;
    std::int32_t advAsym = 0;
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
