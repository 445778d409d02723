#include "app/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "platform/host_file.h"
#include "platform/printable.h"
#include "sim/sim_rack.h"

namespace velmira {
namespace {

struct ValueOption {
    const char* name;
    std::string Options::*member;
    bool path;  // a file or folder: never empty, never a word that looks like an option
};

constexpr ValueOption kValueOptions[] = {
    {"--rack", &Options::rack, false},
    {"--rack-file", &Options::rackFile, true},
    {"--card", &Options::card, true},
    {"--lorvex-lib", &Options::lorvexLib, true},
    {"--quenby-lib", &Options::quenbyLib, true},
    {"--backplane-lib", &Options::backplaneLib, true},
    {"--trace", &Options::trace, true},
    {"--backups", &Options::backups, false},
};

constexpr const char* kQuitWhenShown = "--quit-when-shown";

constexpr int kMostBackups = 99;

// The card folder must be there, and be one the program may enter and write,
// or the first save would fail long after the mistake.
std::string checkCard(const std::string& card) {
    struct stat st {};
    if (::stat(card.c_str(), &st) != 0) {
        return "--card: " + quotedForMessage(card) + ": " + fileErrorText(errno);
    }
    if (!S_ISDIR(st.st_mode)) return "--card: " + quotedForMessage(card) + " is not a folder";
    if (::access(card.c_str(), R_OK | W_OK | X_OK) != 0) {
        return "--card: " + quotedForMessage(card) + ": " + fileErrorText(errno);
    }
    return {};
}

std::string checkValues(Options& o) {
    if (const auto parsed = parseSlotList(o.rack); !parsed.ids) {
        return "--rack: " + parsed.error;
    }
    if (!o.rackFile.empty()) {
        const RackFileResult read = readRackFile(o.rackFile);
        if (!read.ok) return "--rack-file: " + read.error;
        o.rackDescription = read.rack;
    }
    const std::string& b = o.backups;
    const bool digits =
        !b.empty() && b.size() <= 2 && b.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(b) > kMostBackups) {
        return "--backups: " + quotedForMessage(b) + " is not a number from 0 to " +
               std::to_string(kMostBackups);
    }
    o.backupCount = std::stoi(b);
    if (!o.card.empty()) return checkCard(o.card);
    return {};
}

}  // namespace

OptionsResult parseOptions(const std::vector<std::string>& args) {
    OptionsResult r;
    r.options.rack = kDefaultRack;
    r.options.backups = std::to_string(kDefaultBackups);
    std::set<std::string> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            r.options.help = true;
            continue;
        }
        if (arg == "--version") {
            r.options.version = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (name == kQuitWhenShown) {
            if (eq != std::string::npos) {
                r.error = name + " takes no value (see --help)";
                return r;
            }
            if (!given.insert(name).second) {
                r.error = name + " is given twice (see --help)";
                return r;
            }
            r.options.quitWhenShown = true;
            continue;
        }
        const ValueOption* option = nullptr;
        for (const ValueOption& o : kValueOptions) {
            if (name == o.name) option = &o;
        }
        if (!option) {
            r.error = "unknown option " + quotedForMessage(arg) + " (see --help)";
            return r;
        }
        // A second value would silently win over the first, which nobody checked.
        if (!given.insert(name).second) {
            r.error = name + " is given twice (see --help)";
            return r;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
            // "--trace --help" means a forgotten value, not a file named --help.
            if (option->path && value.rfind("--", 0) == 0) {
                r.error = name + " needs a value; " + quotedForMessage(value) +
                          " is an option (write " + name + "=" + printable(value) +
                          " for a file of that name)";
                return r;
            }
        } else {
            r.error = name + " needs a value (see --help)";
            return r;
        }
        // Only the rack may be empty: the empty rack.
        if (option->path && value.empty()) {
            r.error = name + ": the path is empty";
            return r;
        }
        r.options.*option->member = value;
    }
    if (!r.options.help && !r.options.version) r.error = checkValues(r.options);
    return r;
}

std::string helpText(const std::string& defaultCard) {
    return std::string(
               "Usage: velmira [options]\n"
               "Set-up and test tool for Lorvex and Quenby motion modules.\n\n"
               "  --rack SLOTS          modules in the simulated rack, slot=module separated\n"
               "                        by commas; a module is Lorvex, LorvexF, Quenby or an\n"
               "                        ID byte 0..255; \"\" is an empty rack\n"
               "                        (default: \"") +
           kDefaultRack +
           "\")\n"
           "  --rack-file FILE      the machine behind the simulated modules: limit\n"
           "                        switches, home sensors, drive states (TOML, see\n"
           "                        docs/rack-file.md; default: built-in machine)\n"
           "  --card DIR            existing host folder that stands for the controller's\n"
           "                        \\CompactFlash card; the configuration file is\n"
           "                        DIR/Pelmoran/Orvo/lorvex_Config.ini\n"
           "                        (default: " +
           defaultCard +
           ",\n"
           "                        created with Pelmoran in it)\n"
           "  --lorvex-lib PATH     shared library exporting the lorvexMF_ functions; it\n"
           "                        replaces the simulated four-axis modules\n"
           "                        (default: simulated)\n"
           "  --quenby-lib PATH     shared library exporting the quenbyMF_ functions; it\n"
           "                        replaces the simulated two-axis modules\n"
           "                        (default: simulated)\n"
           "  --backplane-lib PATH  shared library exporting GetSlotAddr and IoReadByte;\n"
           "                        it replaces the simulated slots (default: simulated)\n"
           "  --trace FILE          append one line per library call to FILE: the\n"
           "                        microseconds since start, the call, its result\n"
           "                        (default: no trace)\n"
           "  --backups N           keep the N newest earlier configuration files beside\n"
           "                        it as lorvex_Config.ini.YYYYMMDD-HHMMSS.bak, 0 to\n"
           "                        keep none (default: 5)\n"
           "  --quit-when-shown     show the main menu and end with status 0 once it is\n"
           "                        painted, to measure start-up (default: keep running)\n"
           "  --version             show the version and exit\n"
           "  -h, --help            show this help and exit\n"
           "\n"
           "Each option may be given once. A path that starts with -- is written\n"
           "--option=--path.\n";
}

}  // namespace velmira
