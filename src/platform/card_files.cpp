#include "platform/card_files.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

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

// Whether a path lies inside the folder, judged by the real folders: the
// deepest existing folder of the path, with its own links resolved.
bool inside(const QString& path, const QString& root) {
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    if (realRoot.isEmpty()) return false;
    QString folder = QFileInfo(path).absolutePath();
    QString rest = QFileInfo(path).fileName();
    while (!QFileInfo(folder).exists()) {
        rest = QFileInfo(folder).fileName() + u'/' + rest;
        folder = QFileInfo(folder).absolutePath();
    }
    const QString real = QDir::cleanPath(QFileInfo(folder).canonicalFilePath() + u'/' + rest);
    return real.startsWith(realRoot + u'/');
}

}  // namespace

std::optional<QString> CardFiles::followLinks(const QString& hostPath) const {
    QString path = hostPath;
    for (int depth = 0; depth < 40; ++depth) {
        if (!inside(path, root_)) return std::nullopt;
        const QFileInfo info(path);
        if (!info.isSymLink()) return path;
        path = info.symLinkTarget();
    }
    return std::nullopt;
}

QString CardFiles::defaultRoot() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/velmira/CompactFlash");
}

QString CardFiles::prepare(const QString& root) {
    if (!QDir().mkpath(root + QStringLiteral("/Pelmoran"))) {
        return QStringLiteral("cannot create the card folder %1")
            .arg(root + QStringLiteral("/Pelmoran"));
    }
    return {};
}

}  // namespace velmira
