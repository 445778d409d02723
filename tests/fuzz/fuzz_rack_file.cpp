// Any text as a rack file.
#include <cstdint>
#include <string_view>

#include "sim/rack_description.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const velmira::RackFileResult r =
        velmira::parseRackFile({reinterpret_cast<const char*>(data), size});
    // A refusal is one line; a machine read is whole.
    if (!r.ok && r.error.find('\n') != std::string::npos) __builtin_trap();
    return 0;
}
