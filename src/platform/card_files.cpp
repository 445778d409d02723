#include "platform/card_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <climits>

#include "platform/atomic_file.h"
#include "platform/host_file.h"

namespace velmira {

std::optional<QString> CardFiles::hostPath(std::string_view controllerPath) const {
    const QStringList parts =
        QString::fromUtf8(controllerPath.data(), static_cast<qsizetype>(controllerPath.size()))
            .split(u'\\', Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.front().compare(u"CompactFlash", Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    QString path = root_;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == u"." || part == u".." || part.contains(u'/')) return std::nullopt;
        path += u'/' + part;
    }
    return path;
}

namespace {

// The folder part and the last name of a path, split by hand: QFileInfo
// cleans "..", which would climb before the links on the way are resolved.
std::pair<QString, QString> split(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) return {QStringLiteral("."), path};
    return {slash == 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

// Whether a path lies inside the folder, judged by the real folders: the
// deepest existing folder of the path, with its own links resolved.
bool inside(const QString& path, const QString& root) {
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    if (realRoot.isEmpty()) return false;
    auto [folder, rest] = split(path);
    if (rest == u"." || rest == u"..") {
        folder = path;
        rest.clear();
    }
    while (!QFileInfo::exists(folder)) {
        const auto [up, name] = split(folder);
        if (name.isEmpty() || name == u"." || name == u"..") return false;
        rest = rest.isEmpty() ? name : name + u'/' + rest;
        folder = up;
    }
    QString real = QFileInfo(folder).canonicalFilePath();
    if (!rest.isEmpty()) real = QDir::cleanPath(real + u'/' + rest);
    return real == realRoot || real.startsWith(realRoot + u'/');
}

QString linkText(const QString& link) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
    return n > 0 && static_cast<std::size_t>(n) < sizeof buffer
               ? QFile::decodeName(QByteArray(buffer, static_cast<qsizetype>(n)))
               : QString();
}

}  // namespace

CardFiles::LinkEnd CardFiles::followLinks(const QString& hostPath) const {
    QString path = hostPath;
    for (int depth = 0; depth < 40; ++depth) {
        // No card at all is a card not inserted, not a path that leaves it.
        if (!inside(path, root_)) return {{}, QFileInfo::exists(root_) ? kOffTheCard : ENOENT};
        const QFileInfo info(path);
        if (!info.isSymLink()) return {path, 0};
        // Read as written: QFileInfo resolves a relative target against the
        // wrong folder when the card's own path is relative.
        const QString target = linkText(path);
        if (target.isEmpty()) return {{}, ENOENT};
        path = QDir::isAbsolutePath(target) ? target : split(path).first + u'/' + target;
    }
    return {{}, ELOOP};
}

QString CardFiles::defaultRoot() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/velmira/CompactFlash");
}

Result<> CardFiles::prepare(const QString& root) {
    const QString folder = root + QStringLiteral("/Pelmoran");
    if (QDir().mkpath(folder)) return {};
    return Failure{"cannot create the card folder " + folder.toStdString()};
}

Result<QString> CardFiles::writeNewFile(const QString& name, const QByteArray& bytes) const {
    const auto why = [](int error) { return Failure{fileErrorText(error, {}, FileOn::Card)}; };
    if (name.isEmpty() || name.contains(u'/') || name.startsWith(u'.')) return why(EINVAL);
    if (!QFileInfo(root_).isDir()) return why(ENOENT);
    const QString folder = root_ + QStringLiteral("/Pelmoran");
    const LinkEnd end = followLinks(folder);
    if (end.error) return why(end.error);
    if (!QFileInfo(end.path).isDir() &&
        ::mkdir(QFile::encodeName(end.path).constData(), 0777) != 0) {
        return why(errno == EEXIST ? ENOTDIR : errno);  // a file stands there
    }
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    // A name taken (even while this file is written) is never replaced: the
    // next number is tried.
    for (int n = 1; n < 1000; ++n) {
        const QString path =
            end.path + u'/' + (n == 1 ? name : stem + u'-' + QString::number(n) + extension);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) continue;
        AtomicFile file(path);
        int error = file.open();
        if (!error) error = file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (!error) error = file.commit(false);
        if (error == EEXIST) continue;
        if (error) return why(error);
        return path;
    }
    return why(EEXIST);
}

}  // namespace velmira
