#include "hw/call_text.h"

namespace velmira {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// A note is one comment line whatever it holds: line breaks become blanks, and
// nothing in it can end the comment early or open another one.
std::string commentLine(std::string_view note) {
    std::string line = "/* ";
    char previous = 0;
    for (char c : note) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        if ((c == '/' && previous == '*') || (c == '*' && previous == '/')) line += ' ';
        line += c;
        previous = c;
    }
    line += " */\n";
    return line;
}

}  // namespace

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

std::string callsAsCode(std::span<const EchoedBlock> blocks) {
    std::string code;
    for (const EchoedBlock& block : blocks) {
        bool opened = false;
        for (const std::string& call : block.calls) {
            const std::string_view statement = trimmed(call);
            if (statement.empty()) continue;
            if (!opened && !trimmed(block.note).empty()) code += commentLine(trimmed(block.note));
            opened = true;
            code += statement;
            if (statement.back() != ';') code += ';';
            code += '\n';
        }
    }
    return code;
}

}  // namespace velmira
