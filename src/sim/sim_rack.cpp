#include "sim/sim_rack.h"

#include <charconv>

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

SimRack::ParseResult SimRack::parse(std::string_view spec) {
    SimRack rack;
    std::string_view rest = spec;
    while (!trim(rest).empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = trim(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const std::string quoted = "\"" + std::string(item) + "\"";
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            return {std::nullopt, quoted + " is not slot=module"};
        }
        const auto slot = parseNumber(trim(item.substr(0, eq)));
        if (!slot || !validSlot(*slot)) {
            return {std::nullopt, quoted + ": the slot must be a number from 1 to 7"};
        }
        if (rack.ids_[*slot]) {
            return {std::nullopt, quoted + ": slot " + std::to_string(*slot) + " is given twice"};
        }
        const auto id = idForName(trim(item.substr(eq + 1)));
        if (!id) {
            return {std::nullopt,
                    quoted + ": the module must be Lorvex, LorvexF, Quenby or an ID byte 0 to 255"};
        }
        rack.ids_[*slot] = *id;
    }
    return {rack, {}};
}

std::uint8_t SimRack::idAt(int slot) const {
    // An empty slot reads as an open bus.
    return validSlot(slot) && ids_[slot] ? *ids_[slot] : 0xFF;
}

bool SimRack::registerModule(int slot, ModuleKind kind) {
    if (!validSlot(slot) || kind == ModuleKind::None || kindForId(idAt(slot)) != kind) {
        return false;
    }
    registered_[slot] = true;
    return true;
}

SimRack::Axis* SimRack::axis(int slot, int axisIndex) {
    if (!validSlot(slot) || axisIndex < 0 || axisIndex > 3) return nullptr;
    return &axes_[slot][axisIndex];
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
    const int card = static_cast<int>(args[0]);
    if (op == MotionOp::REGISTRATION) {
        return rack_.registerModule(static_cast<int>(args[1]), kind()) ? 1 : 0;
    }
    if (!rack_.isRegistered(card) || kindForId(rack_.idAt(card)) != kind()) return 0;

    const auto mask = args.size() > 1 ? static_cast<std::uint16_t>(args[1]) : 0;
    const int axes = axisCount(kind());
    auto forEachAxis = [&](auto&& f) {
        for (int i = 0; i < axes; ++i) {
            if (mask & (1u << i)) f(*rack_.axis(card, i));
        }
    };
    // Reads of several axes answer for the lowest one.
    auto lowestAxis = [&]() -> SimRack::Axis* {
        for (int i = 0; i < axes; ++i) {
            if (mask & (1u << i)) return rack_.axis(card, i);
        }
        return nullptr;
    };

    switch (op) {
        case MotionOp::SET_LP:
            forEachAxis([&](SimRack::Axis& a) { a.logicPosition = static_cast<std::int32_t>(args[2]); });
            return 0;
        case MotionOp::SET_EP:
            forEachAxis([&](SimRack::Axis& a) { a.encoderPosition = static_cast<std::int32_t>(args[2]); });
            return 0;
        case MotionOp::GET_LP:
            return lowestAxis() ? lowestAxis()->logicPosition : 0;
        case MotionOp::GET_EP:
            return lowestAxis() ? lowestAxis()->encoderPosition : 0;
        case MotionOp::HOME_WAIT:
            return 1;  // nothing moves on this rack, so a search ends at once
        default:
            return 0;
    }
}

}  // namespace velmira
