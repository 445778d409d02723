// Any text as the --rack slot list.
#include <cstdint>
#include <string_view>

#include "sim/sim_rack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const velmira::SlotListResult r =
        velmira::parseSlotList({reinterpret_cast<const char*>(data), size});
    if (!r.ids && (r.error.empty() || r.error.find('\n') != std::string::npos)) __builtin_trap();
    return 0;
}
