#pragma once

#include <string>
#include <vector>

#include "platform/result.h"
#include "settings/backup_policy.h"
#include "sim/rack_description.h"

namespace velmira {

struct Options {
    std::string rack;
    std::string card;  // empty: the per-user default
    // Libraries that replace the simulated one for their role; empty: simulated.
    std::string lorvexLib;
    std::string quenbyLib;
    std::string backplaneLib;
    std::string trace;     // empty: no call trace
    std::string rackFile;  // empty: the built-in machine
    std::string backups;   // as given; backupCount holds its value
    // The Qt platform plugin, with its options; empty: QT_QPA_PLATFORM, or
    // Qt's own choice.
    std::string platform;
    int backupCount = kDefaultBackups;
    // Filled from rackFile by parseOptions: the machine that was checked is the
    // one that runs, even when the file changes later or is a pipe.
    RackDescription rackDescription;
    bool help = false;
    bool version = false;
    // Ends the run once the main menu has been painted, with status 0.
    bool quitWhenShown = false;
    // Lays the windows out for a touch panel whatever the platform.
    bool panel = false;
};

// Parses the arguments after the program name. Accepts "--name value" and
// "--name=value"; a failure is one clear message.
Result<Options> parseOptions(const std::vector<std::string>& args);

std::string helpText(const std::string& defaultCard);

// Writes the help or the version to standard output; fails when it did not
// all arrive (a full disk, a closed pipe).
Result<> writeToStandardOutput(const std::string& text);

}  // namespace velmira
