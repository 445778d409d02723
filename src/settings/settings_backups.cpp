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

namespace velmira {
namespace {

constexpr char kStampFormat[] = "yyyyMMdd-HHmmss";
constexpr int kMostSequence = 999999;  // six digits, as the names are matched

QRegularExpression backupPattern(const QString& base, const QString& tail = {}) {
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(base) +
                              QStringLiteral("\\.(\\d{8}-\\d{6})(?:-(\\d{1,6}))?\\.bak") + tail +
                              QStringLiteral("$"));
}

struct Found {
    QString path;
    QString stamp;
    int sequence = 1;
};

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
        found.push_back({path, m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.sequence < b.sequence;
    });
    return found;
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// A whole copy of `file` under a new backup name; the backup's path, or errno.
std::pair<QString, int> makeBackup(const QString& file, const QDateTime& now) {
    // A new backup within the same second goes after every one of that second:
    // a number freed by pruning would sort it first, and the next pruning would
    // remove the newest backup.
    const QString stamp = now.toString(QLatin1String(kStampFormat));
    int sequence = 1;
    for (const Found& f : findBackups(file)) {
        if (f.stamp == stamp) sequence = std::max(sequence, f.sequence + 1);
    }
    QString path;
    for (;; ++sequence) {
        if (sequence > kMostSequence) return {{}, EEXIST};
        path = backupName(file, now, sequence);
        if (!exists(path)) break;
    }
    AtomicFile backup(path);
    int error = backup.open();
    if (!error) error = copyInto(file, backup);
    if (!error) error = backup.commit();
    return {error ? QString() : path, error};
}

}  // namespace

QString backupName(const QString& file, const QDateTime& when, int sequence) {
    QString name = file + QLatin1Char('.') + when.toString(QLatin1String(kStampFormat));
    if (sequence > 1) name += QLatin1Char('-') + QString::number(sequence);
    return name + QStringLiteral(".bak");
}

std::vector<QString> listBackups(const QString& file) {
    std::vector<QString> paths;
    for (const Found& f : findBackups(file)) paths.push_back(f.path);
    return paths;
}

std::optional<QString> backupOwner(const QString& backup) {
    static const QRegularExpression suffix(QStringLiteral("\\.\\d{8}-\\d{6}(?:-\\d{1,6})?\\.bak$"));
    const QRegularExpressionMatch m = suffix.match(backup);
    if (!m.hasMatch() || m.capturedStart() == 0) return std::nullopt;
    const QString owner = backup.left(m.capturedStart());
    if (owner.endsWith(QLatin1Char('/'))) return std::nullopt;
    return owner;
}

void pruneBackups(const QString& file, int keep) {
    const std::vector<Found> found = findBackups(file);
    const auto excess = static_cast<std::ptrdiff_t>(found.size()) - std::max(keep, 0);
    for (std::ptrdiff_t i = 0; i < excess; ++i) {
        ::unlink(QFile::encodeName(found[static_cast<std::size_t>(i)].path).constData());
    }
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
    if (!in.fd.valid()) return in.error;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in.fd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (const int error = out.write(chunk, static_cast<std::size_t>(n))) return error;
    }
}

Replaced replaceKeepingBackup(const QString& target, int keep,
                              const std::function<int(AtomicFile&)>& write, const QDateTime& now) {
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
    QString backup;
    if (keep > 0 && exists(target)) {
        removeBackupLeftovers(target);
        const auto [path, error] = makeBackup(target, now);
        if (error) result.backupSkipped = fileErrorText(error);
        backup = path;
    }
    if (const int error = file.commit()) {
        // The old file stays, so the copy just taken of it is not wanted.
        if (!backup.isEmpty()) ::unlink(QFile::encodeName(backup).constData());
        result.error = error;
        result.backupSkipped.clear();
        return result;
    }
    if (!backup.isEmpty()) pruneBackups(target, keep);
    return result;
}

}  // namespace velmira
