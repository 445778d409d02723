#include "app/options.h"

#include <QFileInfo>

#include "sim/sim_rack.h"

namespace velmira {
namespace {

struct ValueOption {
    const char* name;
    std::string Options::*member;
};

constexpr ValueOption kValueOptions[] = {
    {"--rack", &Options::rack},
    {"--rack-file", &Options::rackFile},
    {"--card", &Options::card},
    {"--lorvex-lib", &Options::lorvexLib},
    {"--quenby-lib", &Options::quenbyLib},
    {"--backplane-lib", &Options::backplaneLib},
    {"--trace", &Options::trace},
};

std::string checkValues(Options& o) {
    if (const auto parsed = parseSlotList(o.rack); !parsed.ids) {
        return "--rack: " + parsed.error;
    }
    if (!o.rackFile.empty()) {
        const RackFileResult read = readRackFile(o.rackFile);
        if (!read.ok) return "--rack-file: " + read.error;
        o.rackDescription = read.rack;
    }
    if (!o.card.empty() && !QFileInfo(QString::fromStdString(o.card)).isDir()) {
        return "--card: \"" + o.card + "\" is not a folder";
    }
    return {};
}

}  // namespace

OptionsResult parseOptions(const std::vector<std::string>& args) {
    OptionsResult r;
    r.options.rack = kDefaultRack;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            r.options.help = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const ValueOption* option = nullptr;
        for (const ValueOption& o : kValueOptions) {
            if (name == o.name) option = &o;
        }
        if (!option) {
            r.error = "unknown option \"" + arg + "\" (see --help)";
            return r;
        }
        if (eq != std::string::npos) {
            r.options.*option->member = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            r.options.*option->member = args[++i];
        } else {
            r.error = name + " needs a value (see --help)";
            return r;
        }
    }
    if (!r.options.help) r.error = checkValues(r.options);
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
           "  --help                show this help and exit\n";
}

}  // namespace velmira
