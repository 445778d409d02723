#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hw/motion_library.h"
#include "hw/slot_table.h"

namespace velmira {

inline constexpr char kDefaultRack[] = "1=Lorvex,3=LorvexF,5=Quenby";

// The simulated controller: which ID byte each slot answers with, and the
// state the modules keep per axis. Motion comes with the full simulator; this
// rack registers the kinds fitted and reads back the positions that were set.
class SimRack {
public:
    struct Axis {
        std::int32_t logicPosition = 0;
        std::int32_t encoderPosition = 0;
    };

    // "1=Lorvex,3=LorvexF,5=Quenby": slot=kind, where a kind is Lorvex (ID 69),
    // LorvexF (83), Quenby (82) or an ID byte 0..255. An empty text is an empty rack.
    struct ParseResult;
    static ParseResult parse(std::string_view spec);

    std::uint8_t idAt(int slot) const;
    static std::uint32_t addressOf(int slot) { return 0x10000u * static_cast<std::uint32_t>(slot); }

    bool isRegistered(int slot) const { return validSlot(slot) && registered_[slot]; }
    // Registration succeeds for the library of the kind fitted in the slot.
    bool registerModule(int slot, ModuleKind kind);

    Axis* axis(int slot, int axisIndex);

private:
    static bool validSlot(int slot) { return slot >= kFirstSlot && slot <= kLastSlot; }

    std::array<std::optional<std::uint8_t>, kLastSlot + 1> ids_{};
    std::array<bool, kLastSlot + 1> registered_{};
    std::array<std::array<Axis, 4>, kLastSlot + 1> axes_{};
};

struct SimRack::ParseResult {
    std::optional<SimRack> rack;
    std::string error;  // set when rack is empty
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
    SimMotionLibrary(ModuleKind kind, SimRack& rack) : MotionLibrary(kind), rack_(rack) {}
    std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) override;

private:
    SimRack& rack_;
};

}  // namespace velmira
