#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/result.h"

namespace velmira {

// How an option takes its value: "--name value" or "--name=value".
enum class OptionValue {
    None,  // a flag: given or not, never with a value
    Free,  // any word, even one that starts with "--" (checked later, if at all)
    Path,  // never empty; "--trace --help" is a forgotten value, not a file named --help
    Name,  // never empty; a following "--word" is refused as for a path
    Word,  // the next word when it does not start with "--"; "=" for any other
};

struct OptionRule {
    std::string name;
    OptionValue value = OptionValue::None;
};

// The rules both programs apply to their arguments. Every option may be given
// once; every message ends with `seeHelp` where it points to the help.
struct OptionRules {
    std::vector<OptionRule> options;
    // Words that may stand anywhere, any number of times ("--help", "-h").
    std::vector<std::string> standalone;
    std::string seeHelp = " (see --help)";
    // Whether words that are no option ("-" too) are arguments; then "--"
    // ends the options. Without, such a word is an unknown option.
    bool arguments = false;
};

struct ParsedOptions {
    std::map<std::string, std::string> values;
    std::set<std::string> given;  // the flags and the standalone words given
    std::vector<std::string> arguments;

    bool has(const std::string& name) const { return given.count(name) != 0; }
    const std::string* value(const std::string& name) const {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : &it->second;
    }
};

// Parses the words after the program name (and verb); a failure is the one
// message for the user.
Result<ParsedOptions> parseOptionWords(const std::vector<std::string>& words,
                                       const OptionRules& rules);

}  // namespace velmira
