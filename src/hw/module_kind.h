#pragma once

#include <cstdint>
#include <string_view>

namespace velmira {

enum class ModuleKind : std::uint8_t { None = 0, Lorvex = 1, Quenby = 2 };

// Function-name prefix of a kind's motion library; empty for none.
constexpr std::string_view libraryPrefix(ModuleKind kind) {
    switch (kind) {
        case ModuleKind::Lorvex:
            return "lorvexMF_";
        case ModuleKind::Quenby:
            return "quenbyMF_";
        case ModuleKind::None:
            break;
    }
    return {};
}

constexpr int axisCount(ModuleKind kind) {
    return kind == ModuleKind::Lorvex ? 4 : kind == ModuleKind::Quenby ? 2 : 0;
}

constexpr std::uint16_t allAxesMask(ModuleKind kind) {
    return kind == ModuleKind::Lorvex ? 15 : kind == ModuleKind::Quenby ? 3 : 0;
}

// Module ID bytes read from a slot.
inline constexpr std::uint8_t kIdLorvex = 69;
inline constexpr std::uint8_t kIdLorvexF = 83;
inline constexpr std::uint8_t kIdQuenby = 82;

constexpr ModuleKind kindForId(std::uint8_t id) {
    return id == kIdLorvex || id == kIdLorvexF ? ModuleKind::Lorvex
           : id == kIdQuenby                   ? ModuleKind::Quenby
                                               : ModuleKind::None;
}

}  // namespace velmira
