#pragma once

#include <cstdio>
#include <string>

#include "hw/module_kind.h"

namespace velmira {

// The one place call echoes are rendered. Formats are written in their
// four-axis form ("lorvexMF_SET_V(%u,%i,%i)"); for a two-axis module the prefix
// becomes "quenbyMF_". Arguments are ints, as the printf formats expect.
template <class... Args>
std::string echoText(ModuleKind kind, const char* lorvexFormat, Args... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, lorvexFormat, args...);
    std::string text(buffer);
    constexpr std::string_view four = "lorvexMF_";
    if (kind == ModuleKind::Quenby && text.rfind(four, 0) == 0) {
        text.replace(0, four.size(), libraryPrefix(ModuleKind::Quenby));
    }
    return text;
}

}  // namespace velmira
