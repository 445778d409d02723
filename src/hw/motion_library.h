#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <tuple>

#include "hw/module_kind.h"
#include "hw/motion_ops.h"

namespace velmira {

// One motion library: the operations of one module kind. Callers use the typed
// operations (lib.SET_V(card, axis, v)); each converts its arguments to the C
// widths first, exactly as a call through the C interface would, and hands them
// to dispatch(), the single point every implementation overrides.
class MotionLibrary {
  public:
    explicit MotionLibrary(ModuleKind kind) : kind_(kind) {}
    virtual ~MotionLibrary() = default;
    MotionLibrary(const MotionLibrary&) = delete;
    MotionLibrary& operator=(const MotionLibrary&) = delete;

    ModuleKind kind() const { return kind_; }

    // Whether a typed call of any library is under way, on any thread. The
    // libraries take calls from one thread at a time: while a call blocks on
    // another thread (a two-axis home search), nothing else may be called.
    static bool callInFlight() { return inFlight_.load() != 0; }

    // Arguments arrive already narrowed to their C types, widened to 64 bits.
    virtual std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) = 0;

#define VELMIRA_TYPED_OP(name, scope, ret, ...)                           \
    template <class... A>                                                 \
    ret name(A... a) {                                                    \
        return static_cast<ret>(call<__VA_ARGS__>(MotionOp::name, a...)); \
    }
    VELMIRA_MOTION_OPS(VELMIRA_TYPED_OP)
#undef VELMIRA_TYPED_OP

  private:
    template <class... Params, class... A>
    std::int64_t call(MotionOp op, A... a) {
        static_assert(sizeof...(Params) == sizeof...(A), "wrong number of arguments");
        const std::array<std::int64_t, sizeof...(A)> args{
            static_cast<std::int64_t>(static_cast<Params>(a))...};
        struct InFlight {
            InFlight() { ++inFlight_; }
            ~InFlight() { --inFlight_; }
        } inFlight;
        return dispatch(op, args);
    }

    static inline std::atomic<int> inFlight_{0};
    ModuleKind kind_;
};

// The controller's backplane: slot addresses and the bytes behind them.
class Backplane {
  public:
    virtual ~Backplane() = default;
    virtual std::uint32_t GetSlotAddr(std::uint8_t slot) = 0;
    virtual std::uint32_t IoReadByte(std::uint32_t address) = 0;
};

// The libraries behind the screens; owned by the application.
struct Hardware {
    MotionLibrary* lorvex = nullptr;
    MotionLibrary* quenby = nullptr;
    Backplane* backplane = nullptr;

    // No library for kind none: callers make no call then.
    MotionLibrary* library(ModuleKind kind) const {
        return kind == ModuleKind::Lorvex ? lorvex : kind == ModuleKind::Quenby ? quenby : nullptr;
    }
};

}  // namespace velmira
