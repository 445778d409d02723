#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "hw/motion_library.h"
#include "hw/slot_table.h"
#include "sim/rack_description.h"
#include "sim/sim_clock.h"
#include "sim/sim_module.h"

namespace velmira {

inline constexpr char kDefaultRack[] = "1=Lorvex,3=LorvexF,5=Quenby";

// The ID byte each slot answers with; empty slots have none.
using SlotIds = std::array<std::optional<std::uint8_t>, kLastSlot + 1>;

struct SlotListResult {
    std::optional<SlotIds> ids;
    std::string error;  // set when ids is empty
};

// "1=Lorvex,3=LorvexF,5=Quenby": slot=kind, where a kind is Lorvex (ID 69),
// LorvexF (83), Quenby (82) or an ID byte 0..255. An empty text is an empty rack.
SlotListResult parseSlotList(std::string_view slotList);

// The simulated controller: the modules in their slots and the machine behind
// every axis, moved on by the clock whenever a library call comes in.
class SimRack {
  public:
    static constexpr std::int64_t kTickMicros = 1000;

    SimRack(const SlotIds& slots, const RackDescription& machine, SimClock& clock);
    SimRack(const SimRack&) = delete;
    SimRack& operator=(const SimRack&) = delete;

    std::uint8_t idAt(int slot) const;
    static std::uint32_t addressOf(int slot) { return 0x10000u * static_cast<std::uint32_t>(slot); }

    bool isRegistered(int slot) const { return validSlot(slot) && registered_[slot]; }
    // Registration succeeds for the library of the kind fitted in the slot,
    // unless the rack file says it fails.
    bool registerModule(int slot, ModuleKind kind);
    // The registered module of the kind in the slot, or none.
    SimModule* module(int slot, ModuleKind kind);

    // Steps every module up to the clock's time, in whole ticks.
    void advance();
    SimClock& clock() { return clock_; }

  private:
    static bool validSlot(int slot) { return slot >= kFirstSlot && slot <= kLastSlot; }
    bool anyActive() const;

    SlotIds ids_;
    RackDescription machine_;
    SimClock& clock_;
    std::array<bool, kLastSlot + 1> registered_{};
    std::array<std::unique_ptr<SimModule>, kLastSlot + 1> modules_{};
    std::int64_t steppedTo_ = 0;
};

class SimBackplane final : public Backplane {
  public:
    explicit SimBackplane(const SimRack& rack) : rack_(rack) {}
    std::uint32_t GetSlotAddr(std::uint8_t slot) override;
    std::uint32_t IoReadByte(std::uint32_t address) override;

  private:
    const SimRack& rack_;
};

class SimMotionLibrary final : public MotionLibrary {
  public:
    // The two-axis module's homing call returns when the search has ended,
    // or after this much time at the latest.
    static constexpr std::int64_t kAutoHomeLimitMicros = 600'000'000;

    SimMotionLibrary(ModuleKind kind, SimRack& rack) : MotionLibrary(kind), rack_(rack) {}
    std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) override;

  private:
    SimRack& rack_;
};

}  // namespace velmira
