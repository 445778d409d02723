#include "settings/settings_backups.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>

#include "platform/host_file.h"
#include "platform/printable.h"

namespace velmira {
namespace {

constexpr char kStampFormat[] = "yyyyMMdd-HHmmss";
constexpr long long kMostNumber = 999999999;  // nine digits, as the names are matched

// Captures the number of a numbered backup, or the stamp and sequence of one
// named after its time alone.
constexpr char kSuffix[] = "\\.(?:(\\d{6,9})-\\d{8}-\\d{6}|(\\d{8}-\\d{6})(?:-(\\d{1,6}))?)\\.bak";

QRegularExpression backupPattern(const QString& base, const QString& tail = {}) {
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(base) +
                              QLatin1String(kSuffix) + tail + QStringLiteral("$"));
}

struct Found {
    QString path;
    long long number = 0;  // 0 for the stamped names of before
    QString stamp;
    int sequence = 1;
};

bool older(const Found& a, const Found& b) {
    if (a.number != b.number) return a.number < b.number;
    if (a.stamp != b.stamp) return a.stamp < b.stamp;
    if (a.sequence != b.sequence) return a.sequence < b.sequence;
    return a.path < b.path;
}

std::vector<Found> findBackups(const QString& file) {
    const QFileInfo info(file);
    const QRegularExpression pattern = backupPattern(info.fileName());
    std::vector<Found> found;
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (!m.hasMatch()) continue;
        const QString path = folder.filePath(name);
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
            continue;  // a link or a folder of that name is not ours
        }
        Found f;
        f.path = path;
        if (m.capturedLength(1) > 0) {
            f.number = m.captured(1).toLongLong();
        } else {
            f.stamp = m.captured(2);
            f.sequence = m.capturedLength(3) > 0 ? m.captured(3).toInt() : 1;
        }
        found.push_back(f);
    }
    std::sort(found.begin(), found.end(), older);
    return found;
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// A whole copy of `file` under a new backup name; the backup's path, or errno.
std::pair<QString, int> makeBackup(const QString& file, const QDateTime& now) {
    long long number = 1;
    for (const Found& f : findBackups(file)) number = std::max(number, f.number + 1);
    QString path;
    for (;; ++number) {
        if (number > kMostNumber) return {{}, EEXIST};
        path = backupName(file, number, now);
        if (!exists(path)) break;
    }
    AtomicFile backup(path, file);
    int error = backup.open();
    if (!error) error = copyInto(file, backup);
    if (!error) error = backup.commit();
    return {error ? QString() : path, error};
}

}  // namespace

QString backupName(const QString& file, long long number, const QDateTime& when) {
    return file + QLatin1Char('.') + QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0')) +
           QLatin1Char('-') + when.toString(QLatin1String(kStampFormat)) + QStringLiteral(".bak");
}

std::vector<QString> listBackups(const QString& file) {
    std::vector<QString> paths;
    for (const Found& f : findBackups(file)) paths.push_back(f.path);
    return paths;
}

std::optional<QString> backupOwner(const QString& backup) {
    static const QRegularExpression suffix(QLatin1String(kSuffix) + QStringLiteral("$"));
    const QRegularExpressionMatch m = suffix.match(backup);
    if (!m.hasMatch() || m.capturedStart() == 0) return std::nullopt;
    const QString owner = backup.left(m.capturedStart());
    if (owner.endsWith(QLatin1Char('/'))) return std::nullopt;
    return owner;
}

std::vector<QString> pruneBackups(const QString& file, int keep, const QString& spare) {
    const std::vector<Found> found = findBackups(file);
    std::vector<QString> removed;
    auto left = static_cast<std::ptrdiff_t>(found.size());
    for (const Found& f : found) {
        if (left <= std::max(keep, 0)) break;
        if (f.path == spare) continue;
        if (::unlink(QFile::encodeName(f.path).constData()) != 0) continue;
        removed.push_back(f.path);
        --left;
    }
    return removed;
}

void removeBackupLeftovers(const QString& file) {
    const QFileInfo info(file);
    const QRegularExpression pattern =
        backupPattern(info.fileName(), QStringLiteral("\\.tmp-[A-Za-z0-9]{6}"));
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!pattern.match(name).hasMatch()) continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.constData());
    }
}

int copyInto(const QString& source, AtomicFile& out) {
    OpenedFile in = openForReading(QFile::encodeName(source).toStdString());
    return in.fd.valid() ? out.writeRestOf(in.fd.get()) : in.error;
}

Replaced replaceKeepingBackup(const QString& target, int keep,
                              const std::function<int(AtomicFile&)>& write, const QDateTime& now,
                              BackupMode mode) {
    Replaced result;
    AtomicFile file(target);
    if (const int error = file.open()) {
        result.error = error;
        result.openFailed = true;
        return result;
    }
    if (const int error = write(file)) {
        result.error = error;
        return result;
    }
    if (mode != BackupMode::None && keep > 0 && exists(target)) {
        const auto [path, error] = makeBackup(target, now);
        if (error && mode == BackupMode::Required) {
            result.error = result.backupError = error;
            result.backupFailed = true;
            return result;
        }
        if (error) result.backupSkipped = fileErrorText(error);
        result.backupError = error;
        result.backup = path;
    }
    if (const int error = file.commit()) {
        // The old file stays, so the copy just taken of it is not wanted.
        if (!result.backup.isEmpty()) ::unlink(QFile::encodeName(result.backup).constData());
        result = Replaced{};
        result.error = error;
        return result;
    }
    // Nothing is removed for a backup that was due but could not be made.
    if (mode != BackupMode::None && (!result.backup.isEmpty() || keep <= 0)) {
        result.pruned = pruneBackups(target, keep, result.backup);
    }
    return result;
}

std::string prunedText(const std::vector<QString>& pruned, int keep) {
    if (pruned.empty()) return {};
    std::string names;
    for (const QString& path : pruned) {
        names += (names.empty() ? "" : ", ") +
                 escapedForMessage(QFile::encodeName(QFileInfo(path).fileName()).toStdString());
    }
    const std::string kept = keep <= 0   ? "none are kept"
                             : keep == 1 ? "1 is kept"
                                         : std::to_string(keep) + " are kept";
    const std::string what =
        pruned.size() == 1
            ? (keep <= 0 ? "the backup " : "the oldest backup, ")
            : std::to_string(pruned.size()) + (keep <= 0 ? " backups: " : " oldest backups: ");
    return "Removed " + what + names + " (" + kept + ").";
}

}  // namespace velmira
