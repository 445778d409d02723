#include "platform/platform_plugins.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QStringList>

#include "platform/printable.h"

namespace velmira {
namespace {

// The names the installed platform plugins answer to, read from their
// metadata without loading them; in Qt's search order of folders.
QStringList installedPlatforms() {
    QStringList folders;
    const QString own = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!own.isEmpty()) folders << own;
    for (const QString& path : QCoreApplication::libraryPaths()) {
        folders << path + QStringLiteral("/platforms");
    }
    QStringList names;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files)) {
            if (!QLibrary::isLibrary(file)) continue;
            const QJsonObject meta = QPluginLoader(dir.filePath(file)).metaData();
            for (const QJsonValue key : meta.value(QStringLiteral("MetaData"))
                                            .toObject()
                                            .value(QStringLiteral("Keys"))
                                            .toArray()) {
                const QString name = key.toString().toLower();
                if (!name.isEmpty() && !names.contains(name)) names << name;
            }
        }
    }
    names.sort();
    return names;
}

}  // namespace

std::string platformPluginProblem(const std::string& platform) {
    const QStringList installed = installedPlatforms();
    if (installed.isEmpty()) return {};
    for (const QString& choice :
         QString::fromStdString(platform).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = choice.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
        if (installed.contains(name)) return {};
    }
    return "no Qt platform plugin " + quotedForMessage(platform) +
           " is installed (installed: " + installed.join(QStringLiteral(", ")).toStdString() + ")";
}

}  // namespace velmira
