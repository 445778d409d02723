// Any command line: the arguments are the input split at NUL bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "app/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return -1;
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back() += static_cast<char>(data[i]);
        }
    }
    const velmira::Result<velmira::Options> r = velmira::parseOptions(args);
    // One message on one line, never longer than what it may quote.
    if (r.error().find('\n') != std::string::npos || r.error().size() > 2000) __builtin_trap();
    return 0;
}
