#pragma once

#include <cstdint>

namespace velmira {

// The choices a jog, a home search or an interpolation run is made with, one
// value per radio group of the screens. Where a group may have nothing
// checked, a request holds a std::optional of its value.

// How a jog moves: a distance, until stopped, by the manual pulser, or not at
// all (HOME: the settings only; the HOME button searches).
enum class DrivingMode : std::uint8_t { PointToPoint, Continuous, ManualPulser, Home };

// The speed profile. A jog has a T- or an S-curve; only an interpolation's
// vector speed may also be constant.
enum class Profile : std::uint8_t { Constant, TCurve, SCurve };

enum class Symmetry : std::uint8_t { Symmetric, Asymmetric };

// An interpolation's path, and the way an arc or circle turns.
enum class PathMode : std::uint8_t { Linear2D, Linear3D, Circular };
enum class ArcDirection : std::uint8_t { CW, CCW };

}  // namespace velmira
