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

// What a value may be. A path or a name is never empty and never a word that
// looks like an option; a free value is checked later, if at all.
enum class Value { Free, Path, Name };

struct ValueOption {
    const char* name;
    std::string Options::*member;
    Value value;
};

constexpr ValueOption kValueOptions[] = {
    {"--rack", &Options::rack, Value::Free},
    {"--rack-file", &Options::rackFile, Value::Path},
    {"--card", &Options::card, Value::Path},
    {"--lorvex-lib", &Options::lorvexLib, Value::Path},
    {"--quenby-lib", &Options::quenbyLib, Value::Path},
    {"--backplane-lib", &Options::backplaneLib, Value::Path},
    {"--trace", &Options::trace, Value::Path},
    {"--backups", &Options::backups, Value::Free},
    // An empty name would leave Qt to choose, which is not what was asked.
    {"--platform", &Options::platform, Value::Name},
};

struct FlagOption {
    const char* name;
    bool Options::*member;
};

constexpr FlagOption kFlagOptions[] = {
    {"--quit-when-shown", &Options::quitWhenShown},
    {"--panel", &Options::panel},
};

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
        const FlagOption* flag = nullptr;
        for (const FlagOption& f : kFlagOptions) {
            if (name == f.name) flag = &f;
        }
        if (flag) {
            if (eq != std::string::npos) {
                r.error = name + " takes no value (see --help)";
                return r;
            }
            if (!given.insert(name).second) {
                r.error = name + " is given twice (see --help)";
                return r;
            }
            r.options.*flag->member = true;
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
            if (option->value != Value::Free && value.rfind("--", 0) == 0) {
                r.error = name + " needs a value; " + quotedForMessage(value) + " is an option";
                r.error +=
                    option->value == Value::Path
                        ? " (write " + name + "=" + printable(value) + " for a file of that name)"
                        : " (see --help)";
                return r;
            }
        } else {
            r.error = name + " needs a value (see --help)";
            return r;
        }
        // Only the rack may be empty: the empty rack.
        if (option->value != Value::Free && value.empty()) {
            r.error = name + (option->value == Value::Path ? ": the path is empty"
                                                           : ": the name is empty");
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
           "  --platform NAME       the Qt platform plugin that draws the windows, as\n"
           "                        QT_QPA_PLATFORM, which it overrides: xcb, linuxfb,\n"
           "                        eglfs, vnc, offscreen...; NAME:key=value hands the\n"
           "                        plugin its options, as in linuxfb:fb=/dev/fb1\n"
           "                        (default: QT_QPA_PLATFORM, else Qt's choice)\n"
           "  --panel               lay the windows out for a touch panel without a window\n"
           "                        manager: each fills the screen, message boxes stand\n"
           "                        in its middle, the main menu has an Exit button\n"
           "                        (default: on with linuxfb, eglfs, minimalegl,\n"
           "                        vkkhrdisplay and vnc, off with the others)\n"
           "  --quit-when-shown     show the main menu and end with status 0 once it is\n"
           "                        painted, to measure start-up (default: keep running)\n"
           "  --version             show the version and exit\n"
           "  -h, --help            show this help and exit\n"
           "\n"
           "Each option may be given once. A path that starts with -- is written\n"
           "--option=--path.\n";
}

}  // namespace velmira
