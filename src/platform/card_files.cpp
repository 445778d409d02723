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
