#include "tool/config_tool.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/folder_lock.h"
#include "platform/host_file.h"
#include "platform/option_parser.h"
#include "platform/printable.h"
#include "platform/version.h"
#include "settings/backup_policy.h"
#include "settings/settings_backups.h"
#include "settings/settings_file.h"
#include "settings/settings_words.h"
#include "tool/config_reading.h"
#include "tool/config_report.h"

namespace velmira {
namespace {

constexpr char kProgram[] = "velmira-config";
constexpr char kConfigName[] = "lorvex_Config.ini";
constexpr int kMostBackups = 99;
constexpr std::chrono::seconds kToolLockWait{10};

std::string local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A path as the output shows it: escaped, never cut.
std::string shown(const QString& path) {
    return escapedForMessage(local(path));
}

struct Context;
using Run = int (*)(Context&);

struct Verb {
    const char* name;
    const char* synopsis;
    const char* summary;
    std::vector<const char*> positionals;
    std::vector<const char*> flags;   // options without a value
    std::vector<const char*> valued;  // options with one
    const char* help;
    Run run;
};

struct Context {
    const Verb& verb;
    QTextStream& out;
    QTextStream& err;
    std::vector<QString> args;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;

    bool flag(const char* name) const { return flags.count(name) != 0; }
    const std::string* value(const char* name) const {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : &it->second;
    }
    void put(const std::string& line) { out << QString::fromStdString(line) << '\n'; }
    // The one message of an error; the exit status that goes with it.
    int fail(const std::string& message) {
        err << kProgram << ' ' << verb.name << ": " << QString::fromStdString(message) << '\n';
        return kToolError;
    }
    int failFile(const QString& path, const std::string& why) {
        return fail(quotedForMessage(local(path)) + ": " + why);
    }
};

std::optional<std::int64_t> wholeNumber(const std::string& text, std::int64_t low,
                                        std::int64_t high) {
    std::int64_t v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end || v < low || v > high) return {};
    return v;
}

std::optional<ConfigRead> readOrFail(Context& c, const QString& path, const char* hint = "") {
    Result<ConfigRead> file = readConfigFile(path);
    if (!file.ok()) {
        c.failFile(path, file.error() + hint);
        return std::nullopt;
    }
    return std::move(*file);
}

int backupsToKeep(const Context& c) {
    const std::string* given = c.value("--backups");
    return given ? static_cast<int>(*wholeNumber(*given, 0, kMostBackups)) : kDefaultBackups;
}

// The file a path names, its links followed as the program's saves follow
// them, so that a link is never replaced by a file.
std::optional<QString> followed(Context& c, const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink()) return path;
    const QString target = info.canonicalFilePath();
    if (target.isEmpty()) {
        struct stat st {};
        const bool loop = ::stat(local(path).c_str(), &st) != 0 && errno == ELOOP;
        c.failFile(path, loop ? fileErrorText(ELOOP) : "a link to a file that is not there");
        return std::nullopt;
    }
    return target;
}

bool lexists(const QString& path) {
    struct stat st {};
    return ::lstat(local(path).c_str(), &st) == 0;
}

// Held by a write from before it reads the file until after it replaced it,
// so that two tools or a tool and the program never undo each other's change.
std::optional<FolderLock> lockFolderOf(Context& c, const QString& path, const QString& target) {
    FolderLock lock(target, FolderLock::Mode::Exclusive, kToolLockWait);
    if (lock.busy()) {
        c.failFile(path, kLockedText);
        return std::nullopt;
    }
    return lock;
}

// The exit status once the file has changed: never that of nothing done, even
// when the report of it cannot be written.
int changedStatus(Context& c) {
    c.out.flush();
    if (c.out.status() == QTextStream::Ok) return kToolOk;
    c.err << kProgram << ' ' << c.verb.name
          << ": the file was changed, but the output saying how could not be written\n";
    return kToolChangedUnreported;
}

// --no-backup, or how many backups --backups keeps.
std::optional<BackupMode> backupModeOf(Context& c, BackupMode usual) {
    if (!c.flag("--no-backup")) return usual;
    if (c.value("--backups")) {
        c.fail("--no-backup and --backups exclude each other");
        return std::nullopt;
    }
    return BackupMode::None;
}

// Says which backup a write kept, or why it kept none, and which it removed.
void reportBackup(Context& c, const QString& backup, const std::vector<QString>& pruned,
                  bool existed, int keep, BackupMode mode, const std::string& skipped) {
    if (!skipped.empty()) {
        c.put(backupSkippedText(skipped));
    } else if (!backup.isEmpty()) {
        c.put("The previous file is kept as " + shown(backup) + ".");
    } else if (!existed) {
        c.put("There was no file to keep a backup of.");
    } else {
        c.put(mode == BackupMode::None ? "No backup kept (--no-backup)."
                                       : "No backup kept (--backups 0).");
    }
    if (const std::string text = prunedText(pruned, keep); !text.empty()) c.put(text);
}

std::vector<std::string> differenceLines(Context& c, const QString& pathA, const ConfigRead& a,
                                         const QString& pathB, const ConfigRead& b, bool& failed) {
    failed = false;
    std::vector<std::string> lines;
    if (a.size != b.size) {
        lines.push_back("size: " + std::to_string(a.size) + " bytes -> " + std::to_string(b.size) +
                        " bytes");
    }
    for (const EntryChange& change : changes(a.image, b.image)) lines.push_back(changeLine(change));
    if (a.size == b.size && a.size > static_cast<std::int64_t>(SettingsImage::kBytes)) {
        const Result<bool> same = compareTails(pathA, pathB);
        if (!same.ok()) {
            failed = true;
            c.fail(same.error());
            return {};
        }
        if (!*same) lines.push_back("the bytes after the image differ");
    }
    return lines;
}

// ---- the verbs

int runDump(Context& c) {
    const std::optional<ConfigRead> file = readOrFail(c, c.args[0]);
    if (!file) return kToolError;
    const bool all = c.flag("--all");
    if (c.flag("--json")) {
        c.out << QJsonDocument(dumpJson(c.args[0], *file, all)).toJson(QJsonDocument::Indented);
    } else {
        c.out << QString::fromStdString(
            dumpText(QString::fromStdString(shown(c.args[0])), *file, all));
    }
    return kToolOk;
}

int runDiff(Context& c) {
    const std::optional<ConfigRead> a = readOrFail(c, c.args[0]);
    if (!a) return kToolError;
    const std::optional<ConfigRead> b = readOrFail(c, c.args[1]);
    if (!b) return kToolError;
    bool failed = false;
    const std::vector<std::string> lines = differenceLines(c, c.args[0], *a, c.args[1], *b, failed);
    if (failed) return kToolError;
    const std::string names = shown(c.args[0]) + " and " + shown(c.args[1]);
    if (lines.empty()) {
        c.put(names + " hold the same settings.");
        return kToolOk;
    }
    for (const std::string& line : lines) c.put(line);
    c.put(std::to_string(lines.size()) + (lines.size() == 1 ? " difference" : " differences") +
          " between " + names + ".");
    return kToolFound;
}

std::optional<int> axisIndexOf(const std::string& text) {
    std::string letter = text;
    if (letter.size() == 6 && letter.compare(0, 5, "Axis_") == 0) letter = letter.substr(5);
    static constexpr char kLetters[] = "XYZU";
    for (int i = 0; i < 4; ++i) {
        if (letter.size() == 1 && (letter[0] == kLetters[i] || letter[0] == kLetters[i] + 32)) {
            return i;
        }
    }
    return std::nullopt;
}

bool sameEntry(const SettingEntry& a, const SettingEntry& b) {
    return a.enabled == b.enabled && a.padding == b.padding && a.first == b.first &&
           a.second == b.second && a.third == b.third;
}

int runSet(Context& c) {
    const bool force = c.flag("--force");
    const std::string* cardText = c.value("--card");
    const std::string* axisText = c.value("--axis");
    const std::string* entryText = c.value("--entry");
    if (!cardText || !axisText || !entryText) {
        return c.fail("--card, --axis and --entry are all needed (see velmira-config set --help)");
    }
    const auto card = wholeNumber(*cardText, 0, kCardRows - 1);
    if (!card) {
        return c.fail("--card: " + quotedForMessage(*cardText) + " is not a card row from 0 to " +
                      std::to_string(kCardRows - 1));
    }
    const auto axis = axisIndexOf(*axisText);
    if (!axis) return c.fail("--axis: " + quotedForMessage(*axisText) + " is not X, Y, Z or U");
    const auto entry = entryIndex(*entryText);
    if (!entry) {
        std::string names;
        for (const char* n : kEntryNames) names += (names.empty() ? "" : ", ") + std::string(n);
        return c.fail("--entry: " + quotedForMessage(*entryText) + " is none of " + names);
    }
    struct ValueOption {
        const char* name;
        std::int64_t low, high;
    };
    constexpr std::int64_t kLow = INT32_MIN, kHigh = INT32_MAX;
    const ValueOption options[] = {{"--enabled", 0, 255},
                                   {"--first", kLow, kHigh},
                                   {"--second", kLow, kHigh},
                                   {"--third", kLow, kHigh}};
    std::array<std::optional<std::int64_t>, 4> given{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string* text = c.value(options[i].name);
        if (!text) continue;
        given[i] = wholeNumber(*text, options[i].low, options[i].high);
        if (!given[i]) {
            return c.fail(std::string(options[i].name) + ": " + quotedForMessage(*text) +
                          " is not a whole number from " + std::to_string(options[i].low) + " to " +
                          std::to_string(options[i].high));
        }
    }
    if (std::none_of(given.begin(), given.end(), [](const auto& v) { return v.has_value(); })) {
        return c.fail("nothing to set: give --enabled, --first, --second or --third");
    }

    const QString& path = c.args[0];
    const std::optional<QString> destination = followed(c, path);
    if (!destination) return kToolError;
    const std::optional<FolderLock> lock = lockFolderOf(c, path, *destination);
    if (!lock) return kToolError;
    std::optional<ConfigRead> file =
        readOrFail(c, path, lexists(path) ? "" : " (velmira-config new makes a file)");
    if (!file) return kToolError;
    const auto image = static_cast<std::int64_t>(SettingsImage::kBytes);
    if (file->size < image && !force) {
        return c.failFile(path, std::to_string(file->size) + " bytes, shorter than the " +
                                    std::to_string(image) +
                                    " of an image: a set writes a whole image, zero where the "
                                    "program would keep its own values (--force writes it)");
    }
    const int cardRow = static_cast<int>(*card);
    const std::string where =
        recordTitle(cardRow, *axis) + " " + kEntryNames[static_cast<std::size_t>(*entry)];
    if (!isSlotCard(cardRow) && !force) {
        return c.fail(where + ": card " + std::to_string(cardRow) +
                      " is no slot (the slots are 1 to 7): the program never stores or applies "
                      "its settings (--force writes it)");
    }
    SettingEntry& target = entryOf(file->image.record(cardRow, *axis), *entry);
    const SettingEntry before = target;
    if (given[0]) target.enabled = static_cast<std::uint8_t>(*given[0]);
    if (given[1]) target.first = static_cast<std::int32_t>(*given[1]);
    if (given[2]) target.second = static_cast<std::int32_t>(*given[2]);
    if (given[3]) target.third = static_cast<std::int32_t>(*given[3]);

    // Only what this change brings counts; what the file already held is said.
    const std::vector<std::string> old = unproducibleReasons(*entry, before);
    std::vector<std::string> added;
    for (const std::string& why : unproducibleReasons(*entry, target)) {
        if (std::find(old.begin(), old.end(), why) == old.end()) added.push_back(why);
    }
    if (!added.empty() && !force) {
        std::string reasons;
        for (const std::string& why : added) reasons += (reasons.empty() ? "" : "; ") + why;
        return c.fail(where + ": " + reasons +
                      ": the Configuration screen could not store that (--force writes it)");
    }
    if (sameEntry(before, target) && file->size >= image) {
        c.put(where + " already holds " + rawEntry(target) + ": nothing written.");
        return kToolOk;
    }

    const int keep = backupsToKeep(c);
    const BackupMode mode = BackupMode::SkipWhenImpossible;
    const Result<ImageWritten> written =
        writeImageFile(file->image, *destination, *lock, {keep, mode});
    if (!written.ok()) return c.failFile(path, written.error());
    c.put(changeLine({cardRow, *axis, *entry, before, target}));
    if (!added.empty()) c.put("Written with --force although " + added.front() + ".");
    if (file->size > image) {
        c.put("The " + std::to_string(file->size - image) + " bytes after the image are kept.");
    }
    reportBackup(c, written->backup, written->pruned, true, keep, mode, written->backupSkipped);
    return changedStatus(c);
}

int runNew(Context& c) {
    const QString& path = c.args[0];
    const bool existed = lexists(path);
    if (existed && !c.flag("--force")) {
        return c.failFile(path, "is already there (--force replaces it, keeping a backup)");
    }
    // What --force replaces must be kept, unless the user says otherwise.
    const std::optional<BackupMode> mode = backupModeOf(c, BackupMode::Required);
    if (!mode) return kToolError;
    const std::optional<QString> destination = existed ? followed(c, path) : path;
    if (!destination) return kToolError;
    const std::optional<FolderLock> lock = lockFolderOf(c, path, *destination);
    if (!lock) return kToolError;
    const int keep = backupsToKeep(c);
    const Result<ImageWritten> written =
        writeImageFile(SettingsImage{}, *destination, *lock, {keep, *mode});
    if (!written.ok()) {
        const bool noBackup = written.error().starts_with(kBackupNotMadeText);
        return c.failFile(
            path, written.error() + (noBackup ? " (--no-backup replaces it without one)" : ""));
    }
    c.put("Wrote an all-zero image of " + std::to_string(SettingsImage::kBytes) + " bytes to " +
          shown(path) + ".");
    reportBackup(c, written->backup, written->pruned, existed, keep, *mode, written->backupSkipped);
    return changedStatus(c);
}

int runCheck(Context& c) {
    const QString& path = c.args[0];
    const std::optional<ConfigRead> file = readOrFail(c, path);
    if (!file) return kToolError;
    const std::vector<std::string> size = sizeWords(file->size);
    c.put(shown(path) + ": " + size.front());
    for (std::size_t i = 1; i < size.size(); ++i) c.put("  " + size[i]);
    if (QFileInfo(path).fileName() != QLatin1String(kConfigName)) {
        c.put(std::string("  The program loads only a file named ") + kConfigName +
              " (in Pelmoran/Orvo on its card).");
    }
    const std::vector<std::string> problems = imageProblems(file->image);
    for (const std::string& p : problems) c.put(p);
    const std::size_t count =
        problems.size() + (file->size != static_cast<std::int64_t>(SettingsImage::kBytes));
    if (count == 0) {
        c.put("No problems found: the Configuration screen could have written every entry.");
        return kToolOk;
    }
    c.put(std::to_string(count) + (count == 1 ? " problem" : " problems") + " found.");
    return kToolFound;
}

// The configuration files a folder holds backups of, or the file itself.
std::vector<QString> ownersIn(const QString& folderOrFile, bool isFolder) {
    if (!isFolder) return {folderOrFile};
    std::set<QString> owners;
    const QDir dir(folderOrFile);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = dir.filePath(name);
        if (const std::optional<QString> owner = backupOwner(path)) owners.insert(*owner);
    }
    const QString config = dir.filePath(QLatin1String(kConfigName));
    if (QFileInfo(config).isFile()) owners.insert(config);
    return {owners.begin(), owners.end()};
}

int runBackups(Context& c) {
    const QString& where = c.args[0];
    struct stat st {};
    if (::stat(local(where).c_str(), &st) != 0) return c.failFile(where, fileErrorText(errno));
    const bool isFolder = S_ISDIR(st.st_mode);
    if (!isFolder && !S_ISREG(st.st_mode)) {
        return c.failFile(where, fileErrorText(kNotRegularFile, local(where)));
    }
    if (isFolder && ::access(local(where).c_str(), R_OK | X_OK) != 0) {
        return c.failFile(where, fileErrorText(errno));
    }
    const std::vector<QString> owners = ownersIn(where, isFolder);
    if (owners.empty()) {
        c.put("No configuration file and no backup of one in " + shown(where) + ".");
        return kToolOk;
    }
    for (const QString& owner : owners) {
        std::vector<QString> backups = listBackups(owner);
        std::reverse(backups.begin(), backups.end());
        const std::size_t n = backups.size();
        c.put(shown(owner) + ": " + (n == 0 ? "no backups" : std::to_string(n) + " backup") +
              (n > 1 ? "s" : "") + (n ? ", newest first" : "") + ".");
        Result<ConfigRead> newer = readConfigFile(owner);
        QString newerPath = owner;
        bool current = true;
        for (const QString& backup : backups) {
            const Result<ConfigRead> older = readConfigFile(backup);
            const std::string name = shown(QFileInfo(backup).fileName());
            if (!older.ok()) {
                c.put("  " + name + ": cannot be read: " + older.error());
                continue;
            }
            c.put("  " + name + ", " + std::to_string(older->size) + " bytes; " +
                  (current ? "then the current file" : "then the next newer backup") + ":");
            if (!newer.ok()) {
                c.put("    " + std::string(current ? "the current file" : "that backup") +
                      " cannot be read: " + newer.error());
            } else {
                bool failed = false;
                const std::vector<std::string> lines =
                    differenceLines(c, backup, *older, newerPath, *newer, failed);
                if (failed) return kToolError;
                if (lines.empty()) c.put("    no change");
                for (const std::string& line : lines) c.put("    " + line);
            }
            newer = older;
            newerPath = backup;
            current = false;
        }
    }
    return kToolOk;
}

int runRestore(Context& c) {
    const QString& backup = c.args[0];
    const std::optional<QString> owner = backupOwner(backup);
    if (!owner) {
        return c.failFile(backup,
                          "is no backup's name (FILE.NNNNNN-YYYYMMDD-HHMMSS.bak, or from before "
                          "the numbers FILE.YYYYMMDD-HHMMSS.bak or FILE.YYYYMMDD-HHMMSS-N.bak)");
    }
    // What the restore replaces must be kept, unless the user says otherwise.
    const std::optional<BackupMode> mode = backupModeOf(c, BackupMode::Required);
    if (!mode) return kToolError;
    const std::optional<FolderLock> lock = lockFolderOf(c, backup, *owner);
    if (!lock) return kToolError;
    struct stat st {};
    // The backups are regular files beside their file; a link is none of them.
    if (::lstat(local(backup).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return c.failFile(backup, "is a link, not a backup");
    }
    const std::optional<ConfigRead> restored = readOrFail(c, backup);
    if (!restored) return kToolError;
    if (const auto tooLong = tooLongToSave(restored->size)) return c.failFile(backup, *tooLong);
    const int keep = backupsToKeep(c);
    const bool existed = ::lstat(local(*owner).c_str(), &st) == 0;
    Result<ConfigRead> current = ConfigRead{};
    if (existed) {
        if (S_ISLNK(st.st_mode)) {
            return c.failFile(*owner, "is a link; a backup is put back beside the file it names");
        }
        if (!S_ISREG(st.st_mode)) {
            return c.failFile(*owner, fileErrorText(kNotRegularFile, local(*owner)));
        }
        if (::access(local(*owner).c_str(), W_OK) != 0) {
            return c.failFile(*owner, fileErrorText(errno));
        }
        // Its backup would be as long.
        const auto tooLong = tooLongToSave(st.st_size);
        if (tooLong && keep > 0 && *mode != BackupMode::None) return c.failFile(*owner, *tooLong);
        current = readConfigFile(*owner);
    }
    if (lock->held()) {
        AtomicFile::removeLeftovers(*owner);
        removeBackupLeftovers(*owner);
    }
    const Replaced replaced = replaceKeepingBackup(
        *owner, keep, [&](AtomicFile& out) { return copyInto(backup, out); },
        QDateTime::currentDateTime(), *mode);
    if (replaced.backupFailed) {
        return c.failFile(*owner, "its backup could not be made (" +
                                      fileErrorText(replaced.backupError) +
                                      "), so it was left as it was (--no-backup restores "
                                      "without one)");
    }
    if (replaced.error) return c.failFile(*owner, fileErrorText(replaced.error, local(*owner)));
    c.put("Restored " + shown(*owner) + " from " + shown(backup) + " (" +
          std::to_string(restored->size) + " bytes).");
    if (existed && current.ok()) {
        for (const EntryChange& change : changes(current->image, restored->image)) {
            c.put("  " + changeLine(change));
        }
    }
    reportBackup(c, replaced.backup, replaced.pruned, existed, keep, *mode, replaced.backupSkipped);
    if (!lexists(backup)) {
        c.put(shown(QFileInfo(backup).fileName()) + " was the oldest of " + std::to_string(keep) +
              " backups and has gone; what it held is the file now.");
    }
    return changedStatus(c);
}

// ---- the table of verbs and the help

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> table{
        {"dump",
         "FILE [--all] [--json]",
         "every card and axis record, in the Configuration screen's words",
         {"FILE"},
         {"--all", "--json"},
         {},
         "Prints each card and axis record of FILE that holds settings: every entry\n"
         "with its stored values [enabled; first second third] and what they mean in\n"
         "the Configuration screen's words. A file shorter than an image shows zero\n"
         "past its end.\n\n"
         "  --all    every record, also those that hold nothing\n"
         "  --json   the same as JSON, schema \"velmira-config/1\" (docs/velmira-config.md)\n",
         runDump},
        {"diff",
         "A B",
         "what differs between two files, per card, axis and entry",
         {"A", "B"},
         {},
         {},
         "Prints each entry that differs, as \"card C Axis_N entry: in A -> in B\" in the\n"
         "screen's words (the stored values where the words are the same), and a\n"
         "difference of size or of the bytes after the image.\n"
         "Exit status 1 when the files differ, 0 when they hold the same.\n",
         runDiff},
        {"set",
         "FILE --card N --axis X|Y|Z|U --entry NAME [--enabled 0|1] [--first V]\n"
         "                [--second V] [--third V] [--force] [--backups N]",
         "changes one entry in place, as the program saves",
         {"FILE"},
         {"--force"},
         {"--card", "--axis", "--entry", "--enabled", "--first", "--second", "--third",
          "--backups"},
         "Changes one entry of an existing file. The file is replaced in one step, as\n"
         "the program saves it, and the previous file is kept as a backup beside it;\n"
         "bytes after the image in a longer file are kept.\n\n"
         "  --card N      card row 0 to 8; the slots, which the program uses, are 1 to 7\n"
         "  --axis A      X, Y, Z or U\n"
         "  --entry NAME  pulseMode, maxV, hardLimit, limitStopMode, nearHome, homeEdge,\n"
         "                encoder, servoOn, alarm, inPos, filter, vring or avtri\n"
         "  --enabled F   the entry's flag; --first, --second, --third its values\n"
         "                (whole numbers of 32 bits); what is not given stays\n"
         "  --force       also write what the Configuration screen could not have\n"
         "                stored: a value out of its range, a card that is no slot, a\n"
         "                file shorter than an image\n"
         "  --backups N   keep the N newest backups, 0 to 99 (default 5)\n",
         runSet},
        {"new",
         "FILE [--force] [--backups N | --no-backup]",
         "writes an all-zero image",
         {"FILE"},
         {"--force", "--no-backup"},
         {"--backups"},
         "Writes an image in which nothing is set. An existing file is refused unless\n"
         "--force is given; it is then replaced as the program saves, kept as a backup\n"
         "(refused when none can be made), and bytes after the image in a longer file\n"
         "are kept.\n\n"
         "  --backups N   keep the N newest backups, 0 to 99 (default 5)\n"
         "  --no-backup   replace the file without keeping a backup of it\n",
         runNew},
        {"check",
         "FILE",
         "whether the program would load the file, and what it would do",
         {"FILE"},
         {},
         {},
         "Says what the program would do with FILE: read it whole, replace only what\n"
         "a short file holds (and which records keep their values), or ignore the bytes\n"
         "after the image of a long one (a save keeps them). Then lists every entry the\n"
         "Configuration screen could not have stored and every record of a card that\n"
         "is no slot.\n"
         "Exit status 1 when it finds a problem (a wrong size counts), 0 when none.\n",
         runCheck},
        {"backups",
         "FOLDER",
         "lists the backups kept beside configuration files",
         {"FOLDER"},
         {},
         {},
         "Lists the backups (FILE.N-YYYYMMDD-HHMMSS.bak) of each configuration file\n"
         "in FOLDER, newest first, each with what changed from it to the next newer\n"
         "backup or to the current file. FOLDER may also be the file itself.\n",
         runBackups},
        {"restore",
         "BACKUP [--backups N | --no-backup]",
         "puts a backup back, keeping a backup of the file",
         {"BACKUP"},
         {"--no-backup"},
         {"--backups"},
         "Puts BACKUP back in place of the file it belongs to, in one step, as the\n"
         "program saves; the file it replaces is itself kept as a backup, and a\n"
         "restore that cannot keep one is refused.\n\n"
         "  --backups N   keep the N newest backups, 0 to 99 (default 5)\n"
         "  --no-backup   replace the file without keeping a backup of it\n",
         runRestore},
    };
    return table;
}

std::string verbUsage(const Verb& v) {
    return std::string("Usage: ") + kProgram + " " + v.name + " " + v.synopsis + "\n";
}

std::string toolHelp() {
    std::string text = std::string("Usage: ") + kProgram +
                       " VERB ARGUMENTS...\n"
                       "Reads and changes the Velmira configuration file (lorvex_Config.ini),\n"
                       "the image of every card's and axis's settings that the Configuration\n"
                       "screen saves.\n\nVerbs:\n";
    for (const Verb& v : verbs()) {
        std::string name = std::string("  ") + v.name;
        name.resize(12, ' ');
        text += name + v.summary + "\n";
    }
    text += std::string(
        "\nExit status: 0 done; 1 diff found differences or check found problems;\n"
        "2 an error (bad arguments, a file that cannot be used), said in one line;\n"
        "3 set, new or restore changed the file but could not write their output.\n\n"
        "  velmira-config VERB --help   the arguments of one verb\n"
        "  velmira-config --version     the version\n");
    return text;
}

int parseAndRun(const Verb& verb, const QStringList& args, QTextStream& out, QTextStream& err) {
    Context c{verb, out, err, {}, {}, {}};
    const std::string seeHelp = std::string(" (see ") + kProgram + " " + verb.name + " --help)";
    OptionRules rules;
    rules.standalone = {"--help", "-h"};
    rules.seeHelp = seeHelp;
    rules.arguments = true;
    for (const char* name : verb.flags) rules.options.push_back({name, OptionValue::None});
    for (const char* name : verb.valued) rules.options.push_back({name, OptionValue::Word});
    std::vector<std::string> words;
    for (qsizetype i = 1; i < args.size(); ++i) words.push_back(local(args[i]));
    Result<ParsedOptions> parsed = parseOptionWords(words, rules);
    if (!parsed.ok()) return c.fail(parsed.error());
    for (const std::string& arg : parsed->arguments) {
        if (arg.empty()) return c.fail("an empty path" + seeHelp);
        c.args.push_back(QFile::decodeName(QByteArray::fromStdString(arg)));
    }
    const bool help = parsed->has("--help") || parsed->has("-h");
    c.flags = std::move(parsed->given);
    c.values = std::move(parsed->values);
    const std::size_t wanted = verb.positionals.size();
    if (c.args.size() > wanted) {
        return c.fail("one argument too many: " + quotedForMessage(local(c.args[wanted])) +
                      seeHelp);
    }
    if (help) {
        out << QString::fromStdString(verbUsage(verb) + "\n" + verb.help);
        return kToolOk;
    }
    if (c.args.size() < wanted) {
        return c.fail(std::string("needs ") + verb.positionals[c.args.size()] + seeHelp);
    }
    if (const std::string* b = c.value("--backups"); b && !wholeNumber(*b, 0, kMostBackups)) {
        return c.fail("--backups: " + quotedForMessage(*b) + " is not a number from 0 to " +
                      std::to_string(kMostBackups));
    }
    return verb.run(c);
}

}  // namespace

int runConfigTool(const QStringList& args, QTextStream& out, QTextStream& err) {
    const int status = [&] {
        if (args.isEmpty()) {
            err << kProgram << ": no verb given (see " << kProgram << " --help)\n";
            return kToolError;
        }
        const std::string first = local(args[0]);
        const bool help = first == "--help" || first == "-h" || first == "help";
        if ((help || first == "--version") && args.size() > 1) {
            err << kProgram << ": one argument too many: "
                << QString::fromStdString(quotedForMessage(local(args[1]))) << " (see " << kProgram
                << " --help)\n";
            return kToolError;
        }
        if (help) {
            out << QString::fromStdString(toolHelp());
            return kToolOk;
        }
        if (first == "--version") {
            out << kProgram << ' ' << kVersion << '\n';
            return kToolOk;
        }
        for (const Verb& v : verbs()) {
            if (first == v.name) return parseAndRun(v, args, out, err);
        }
        err << kProgram << ": unknown verb " << QString::fromStdString(quotedForMessage(first))
            << " (see " << kProgram << " --help)\n";
        return kToolError;
    }();
    out.flush();
    err.flush();
    return status;
}

}  // namespace velmira
