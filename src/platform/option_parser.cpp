#include "platform/option_parser.h"

#include <algorithm>

#include "platform/printable.h"

namespace velmira {

Result<ParsedOptions> parseOptionWords(const std::vector<std::string>& words,
                                       const OptionRules& rules) {
    ParsedOptions parsed;
    const std::string& seeHelp = rules.seeHelp;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (rules.arguments && !optionsEnded && word == "--") {
            optionsEnded = true;
            continue;
        }
        const bool isOption =
            !optionsEnded && (!rules.arguments || (word.size() > 1 && word[0] == '-'));
        if (!isOption) {
            parsed.arguments.push_back(word);
            continue;
        }
        if (std::find(rules.standalone.begin(), rules.standalone.end(), word) !=
            rules.standalone.end()) {
            parsed.given.insert(word);
            continue;
        }
        const std::size_t eq = word.find('=');
        const std::string name = word.substr(0, eq);
        const auto rule = std::find_if(rules.options.begin(), rules.options.end(),
                                       [&](const OptionRule& r) { return r.name == name; });
        if (rule == rules.options.end()) {
            return Failure{"unknown option " + quotedForMessage(word) + seeHelp};
        }
        if (rule->value == OptionValue::None) {
            if (eq != std::string::npos) return Failure{name + " takes no value" + seeHelp};
            if (!parsed.given.insert(name).second) {
                return Failure{name + " is given twice" + seeHelp};
            }
            continue;
        }
        // A second value would silently win over the first, which nobody checked.
        if (parsed.values.count(name)) return Failure{name + " is given twice" + seeHelp};
        const bool next = i + 1 < words.size();
        const bool nextIsOption = next && words[i + 1].rfind("--", 0) == 0;
        std::string value;
        if (eq != std::string::npos) {
            value = word.substr(eq + 1);
        } else if (next && !(nextIsOption && rule->value == OptionValue::Word)) {
            value = words[++i];
            if (nextIsOption && rule->value != OptionValue::Free) {
                return Failure{
                    name + " needs a value; " + quotedForMessage(value) + " is an option" +
                    (rule->value == OptionValue::Path
                         ? " (write " + name + "=" + printable(value) + " for a file of that name)"
                         : seeHelp)};
            }
        } else {
            return Failure{name + " needs a value" + seeHelp};
        }
        // Qt's file names are UTF-16: other bytes would reach the system changed.
        if (!isUtf8(value)) {
            return Failure{name + ": " + quotedForMessage(value) +
                           " is not valid UTF-8, which every value must be"};
        }
        if (value.empty() && rule->value == OptionValue::Path) {
            return Failure{name + ": the path is empty"};
        }
        if (value.empty() && rule->value == OptionValue::Name) {
            return Failure{name + ": the name is empty"};
        }
        parsed.values[name] = value;
    }
    return parsed;
}

}  // namespace velmira
