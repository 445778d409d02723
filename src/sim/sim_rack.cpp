#include "sim/sim_rack.h"

#include <charconv>

#include "platform/printable.h"

namespace velmira {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<int> parseNumber(std::string_view s) {
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<std::uint8_t> idForName(std::string_view name) {
    if (name == "Lorvex") return kIdLorvex;
    if (name == "LorvexF") return kIdLorvexF;
    if (name == "Quenby") return kIdQuenby;
    const auto n = parseNumber(name);
    if (n && *n >= 0 && *n <= 255) return static_cast<std::uint8_t>(*n);
    return std::nullopt;
}

}  // namespace

SlotListResult parseSlotList(std::string_view slotList) {
    SlotIds ids{};
    // Blank is the empty rack; otherwise every item counts, so that
    // "1=Lorvex,,3=Quenby" is no silent slip.
    if (trim(slotList).empty()) return {ids, {}};
    std::string_view rest = slotList;
    for (bool more = true; more;) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = trim(rest.substr(0, comma));
        more = comma != std::string_view::npos;
        rest = more ? rest.substr(comma + 1) : std::string_view();
        if (item.empty()) {
            return {std::nullopt,
                    quotedForMessage(slotList) + ": an empty item, from a comma too many"};
        }
        const std::string quoted = quotedForMessage(item);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            return {std::nullopt, quoted + " is not slot=module"};
        }
        const auto slot = parseNumber(trim(item.substr(0, eq)));
        if (!slot || *slot < kFirstSlot || *slot > kLastSlot) {
            return {std::nullopt, quoted + ": the slot must be a number from 1 to 7"};
        }
        if (ids[*slot]) {
            return {std::nullopt, quoted + ": slot " + std::to_string(*slot) + " is given twice"};
        }
        const auto id = idForName(trim(item.substr(eq + 1)));
        if (!id) {
            return {std::nullopt,
                    quoted + ": the module must be Lorvex, LorvexF, Quenby or an ID byte 0 to 255"};
        }
        ids[*slot] = *id;
    }
    return {ids, {}};
}

SimRack::SimRack(const SlotIds& slots, const RackDescription& machine, SimClock& clock)
    : ids_(slots), machine_(machine), clock_(clock), steppedTo_(clock.nowMicros()) {
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const ModuleKind kind = kindForId(idAt(slot));
        if (kind != ModuleKind::None) {
            modules_[slot] = std::make_unique<SimModule>(kind, machine_.bySlot[slot]);
        }
    }
}

std::uint8_t SimRack::idAt(int slot) const {
    // An empty slot reads as an open bus.
    return validSlot(slot) && ids_[slot] ? *ids_[slot] : 0xFF;
}

bool SimRack::registerModule(int slot, ModuleKind kind) {
    if (!validSlot(slot) || !modules_[slot] || modules_[slot]->kind() != kind ||
        machine_.bySlot[slot].registrationFails) {
        return false;
    }
    registered_[slot] = true;
    return true;
}

SimModule* SimRack::module(int slot, ModuleKind kind) {
    if (!isRegistered(slot) || modules_[slot]->kind() != kind) return nullptr;
    return modules_[slot].get();
}

bool SimRack::anyActive() const {
    for (const auto& m : modules_) {
        if (m && m->active()) return true;
    }
    return false;
}

void SimRack::advance() {
    const std::int64_t now = clock_.nowMicros();
    constexpr double kTick = kTickMicros / 1e6;
    while (now - steppedTo_ >= kTickMicros) {
        if (!anyActive()) {
            steppedTo_ = now;  // nothing moves: no need to step the idle time
            return;
        }
        for (const auto& m : modules_) {
            if (m) m->tick(kTick);
        }
        steppedTo_ += kTickMicros;
    }
}

std::uint32_t SimBackplane::GetSlotAddr(std::uint8_t slot) {
    return slot >= kFirstSlot && slot <= kLastSlot ? SimRack::addressOf(slot) : 0;
}

std::uint32_t SimBackplane::IoReadByte(std::uint32_t address) {
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        if (SimRack::addressOf(slot) == address) return rack_.idAt(slot);
    }
    return 0xFF;
}

std::int64_t SimMotionLibrary::dispatch(MotionOp op, std::span<const std::int64_t> args) {
    rack_.advance();
    if (op == MotionOp::REGISTRATION) {
        return rack_.registerModule(static_cast<int>(args[1]), kind()) ? 1 : 0;
    }
    SimModule* module = rack_.module(static_cast<int>(args[0]), kind());
    if (!module) return 0;  // nothing answers before registration
    const std::int64_t result = module->call(op, args);
    if (op == MotionOp::AUTO_HOME) {
        const auto mask = static_cast<std::uint16_t>(args[1]);
        for (std::int64_t waited = 0; module->homing(mask) && waited < kAutoHomeLimitMicros;
             waited += SimRack::kTickMicros) {
            rack_.clock().wait(SimRack::kTickMicros);
            rack_.advance();
        }
    }
    return result;
}

}  // namespace velmira
