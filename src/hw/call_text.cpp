#include "hw/call_text.h"

namespace velmira {

std::string callText(std::string_view function, std::span<const std::int64_t> args) {
    std::string s(function);
    s += '(';
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i) s += ',';
        s += std::to_string(args[i]);
    }
    s += ')';
    return s;
}

std::string functionName(std::string_view prefix, std::string_view op) {
    std::string s(prefix);
    s += op;
    return s;
}

}  // namespace velmira
