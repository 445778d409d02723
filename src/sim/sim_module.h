#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "hw/module_kind.h"
#include "hw/motion_ops.h"
#include "sim/axis_model.h"
#include "sim/home_search.h"
#include "sim/interpolator.h"
#include "sim/rack_description.h"

namespace velmira {

// One simulated motion module: its axes, their home searches and, on the
// four-axis module, the interpolator. Time moves only through tick().
class SimModule {
  public:
    SimModule(ModuleKind kind, const SlotMachine& machine);
    SimModule(const SimModule&) = delete;
    SimModule& operator=(const SimModule&) = delete;

    ModuleKind kind() const { return kind_; }

    // One library operation (after registration); args as the C call got them.
    std::int64_t call(MotionOp op, std::span<const std::int64_t> args);

    // Whether any axis of the mask is still in a home search.
    bool homing(std::uint16_t mask) const;
    // Whether anything moves, so that time has to be stepped.
    bool active() const;
    void tick(double dt);

  private:
    template <class F>
    void forEach(std::uint16_t mask, F&& f);
    const AxisModel* lowest(std::uint16_t mask) const;
    void startHoming(std::uint16_t mask, const HomePlan& plan);
    void settle();
    std::int64_t setting(MotionOp op, std::uint16_t mask, std::int64_t value);

    ModuleKind kind_;
    int axisCount_;
    std::array<AxisModel, 4> axes_;
    std::array<std::optional<HomeSearch>, 4> searches_;
    Interpolator interpolator_{axes_};
    // SET_HOME_MODE's codes and value, per axis, for HOME_START.
    std::array<std::array<std::uint16_t, 4>, 4> homeCodes_{};
    std::array<std::int32_t, 4> homeValue_{};
};

}  // namespace velmira
