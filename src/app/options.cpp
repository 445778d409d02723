#include "app/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/card_files.h"
#include "platform/host_file.h"
#include "platform/option_parser.h"
#include "platform/printable.h"
#include "settings/settings_file.h"
#include "sim/sim_rack.h"

namespace velmira {
namespace {

// The options with a value, and where each goes. A path or a name is never
// empty and never a word that looks like an option; a free value is checked
// later, if at all.
struct ValueOption {
    const char* name;
    std::string Options::*member;
    OptionValue value;
};

constexpr ValueOption kValueOptions[] = {
    {"--rack", &Options::rack, OptionValue::Free},
    {"--rack-file", &Options::rackFile, OptionValue::Path},
    {"--card", &Options::card, OptionValue::Path},
    {"--lorvex-lib", &Options::lorvexLib, OptionValue::Path},
    {"--quenby-lib", &Options::quenbyLib, OptionValue::Path},
    {"--backplane-lib", &Options::backplaneLib, OptionValue::Path},
    {"--trace", &Options::trace, OptionValue::Path},
    {"--backups", &Options::backups, OptionValue::Free},
    // An empty name would leave Qt to choose, which is not what was asked.
    {"--platform", &Options::platform, OptionValue::Name},
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

// Where a path finally leads: the folder that holds it (by its identity, as
// links and spellings differ) and its name there, with the file's own
// identity when it exists.
struct Place {
    bool folderFound = false;
    dev_t folderDevice = 0;
    ino_t folderInode = 0;
    std::string name;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;

    bool sameFile(const Place& o) const {
        if (exists && o.exists) return device == o.device && inode == o.inode;
        return inFolderOf(o) && name == o.name;
    }
    bool inFolderOf(const Place& o) const {
        return folderFound && o.folderFound && folderDevice == o.folderDevice &&
               folderInode == o.folderInode;
    }
};

Place placeOf(std::string path) {
    // A link's target may not exist yet; it is where a write would land.
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0) break;
        target.resize(static_cast<std::size_t>(n));
        const std::size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target
                                                              : path.substr(0, slash + 1) + target;
    }
    Place p;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    p.name = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        p.folderFound = true;
        p.folderDevice = st.st_dev;
        p.folderInode = st.st_ino;
    }
    if (::stat(path.c_str(), &st) == 0) {
        p.exists = true;
        p.device = st.st_dev;
        p.inode = st.st_ino;
    }
    return p;
}

// A save's backups and temporary files are named after the file they keep.
bool keptBeside(const std::string& name, const std::string& file) {
    if (name.size() <= file.size() + 1 || name.compare(0, file.size() + 1, file + ".") != 0) {
        return false;
    }
    return name.ends_with(".bak") || name.find(".tmp-") != std::string::npos;
}

// The trace appends to its file from the start: a file the program reads
// would be spoilt, and the configuration file would be loaded into a module.
std::string checkTrace(const Options& o) {
    const std::string card =
        o.card.empty() ? QFile::encodeName(CardFiles::defaultRoot()).toStdString() : o.card;
    const std::optional<QString> config =
        CardFiles(QFile::decodeName(card.c_str())).hostPath(kConfigFile);
    const Place trace = placeOf(o.trace);
    const auto refuse = [&](const std::string& what) {
        return "--trace: " + quotedForMessage(o.trace) + " is " + what +
               "; the trace needs a file of its own";
    };
    if (config) {
        const Place file = placeOf(QFile::encodeName(*config).toStdString());
        if (trace.sameFile(file)) return refuse("the configuration file");
        if (trace.inFolderOf(file) && keptBeside(trace.name, file.name)) {
            return refuse("a backup or temporary file of the configuration file");
        }
        // A hard link elsewhere to one of them.
        const QDir folder = QFileInfo(*config).absoluteDir();
        const QStringList entries =
            trace.exists ? folder.entryList(QDir::Files | QDir::Hidden | QDir::System)
                         : QStringList();
        for (const QString& entry : entries) {
            const std::string path = QFile::encodeName(folder.filePath(entry)).toStdString();
            if (keptBeside(QFile::encodeName(entry).toStdString(), file.name) &&
                trace.sameFile(placeOf(path))) {
                return refuse("a backup or temporary file of the configuration file");
            }
        }
    }
    const std::pair<const char*, const std::string*> read[] = {
        {"the rack file", &o.rackFile},
        {"the library of --lorvex-lib", &o.lorvexLib},
        {"the library of --quenby-lib", &o.quenbyLib},
        {"the library of --backplane-lib", &o.backplaneLib},
    };
    for (const auto& [what, path] : read) {
        if (!path->empty() && trace.sameFile(placeOf(*path))) return refuse(what);
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
    if (!o.card.empty()) {
        if (std::string error = checkCard(o.card); !error.empty()) return error;
    }
    if (!o.trace.empty()) return checkTrace(o);
    return {};
}

}  // namespace

Result<Options> parseOptions(const std::vector<std::string>& args) {
    OptionRules rules;
    rules.standalone = {"--help", "-h", "--version"};
    for (const FlagOption& f : kFlagOptions) rules.options.push_back({f.name, OptionValue::None});
    for (const ValueOption& o : kValueOptions) rules.options.push_back({o.name, o.value});
    const Result<ParsedOptions> parsed = parseOptionWords(args, rules);
    if (!parsed.ok()) return Failure{parsed.error()};
    Options o;
    o.rack = kDefaultRack;
    o.backups = std::to_string(kDefaultBackups);
    o.help = parsed->has("--help") || parsed->has("-h");
    o.version = parsed->has("--version");
    for (const FlagOption& f : kFlagOptions) o.*f.member = parsed->has(f.name);
    for (const ValueOption& v : kValueOptions) {
        if (const std::string* value = parsed->value(v.name)) o.*v.member = *value;
    }
    if (o.help || o.version) return o;
    if (std::string error = checkValues(o); !error.empty()) return Failure{error};
    return o;
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
           "                        microseconds since start, the call, its result; a\n"
           "                        run of the same call with the same result is one\n"
           "                        line ending \"xCOUNT over SPAN us\" (SPAN: from its\n"
           "                        first call to its last). FILE is a regular file or a\n"
           "                        terminal; one not there yet is created in its folder,\n"
           "                        which must exist. Refused: a link to a missing file,\n"
           "                        and the configuration file, its backups, the rack\n"
           "                        file or a library (default: no trace)\n"
           "  --backups N           keep the N newest earlier configuration files beside\n"
           "                        it as lorvex_Config.ini.NNNNNN-YYYYMMDD-HHMMSS.bak\n"
           "                        (NNNNNN: one above the newest), 0 to keep none\n"
           "                        (default: 5)\n"
           "  --platform NAME       the Qt platform plugin that draws the windows, as\n"
           "                        QT_QPA_PLATFORM, which it overrides: xcb, linuxfb,\n"
           "                        eglfs, offscreen...; NAME:key=value hands the\n"
           "                        plugin its options, as in linuxfb:fb=/dev/fb1; vnc\n"
           "                        is refused (a server for anyone on the network)\n"
           "                        (default: QT_QPA_PLATFORM, else Qt's choice)\n"
           "  --panel               lay the windows out for a touch panel without a window\n"
           "                        manager: each fills the screen, message boxes stand\n"
           "                        in its middle, the main menu has an Exit button\n"
           "                        (default: on with linuxfb, eglfs, minimalegl and\n"
           "                        vkkhrdisplay, off with the others)\n"
           "  --quit-when-shown     show the main menu and end with status 0 once it is\n"
           "                        painted, to measure start-up (default: keep running)\n"
           "  --version             show the version and exit\n"
           "  -h, --help            show this help and exit\n"
           "\n"
           "Each option may be given once. A path that starts with -- is written\n"
           "--option=--path.\n";
}

Result<> writeToStandardOutput(const std::string& text) {
    const bool written = std::fputs(text.c_str(), stdout) >= 0;
    if (std::fflush(stdout) == 0 && written && !std::ferror(stdout)) return {};
    return Failure{std::string("the output could not be written: ") + std::strerror(errno)};
}

}  // namespace velmira
