#pragma once

#include <string>
#include <vector>

namespace velmira {

struct Options {
    std::string rack;
    std::string card;  // empty: the per-user default
    // Libraries that replace the simulated one for their role; empty: simulated.
    std::string lorvexLib;
    std::string quenbyLib;
    std::string backplaneLib;
    std::string trace;  // empty: no call trace
    bool help = false;
};

struct OptionsResult {
    Options options;
    std::string error;  // one clear message; empty when the options are good
};

// Parses the arguments after the program name. Accepts "--name value" and
// "--name=value".
OptionsResult parseOptions(const std::vector<std::string>& args);

std::string helpText(const std::string& defaultCard);

}  // namespace velmira
