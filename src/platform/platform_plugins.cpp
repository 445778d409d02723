#include "platform/platform_plugins.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

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

// Qt matches plugin keys whatever their case.
QStringList pluginNames(const std::string& list, QChar separator) {
    QStringList names;
    for (const QString& choice :
         QString::fromStdString(list).split(separator, Qt::SkipEmptyParts)) {
        names << choice.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    }
    return names;
}

struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

// A message handler is a plain function, so what it needs lives here; never
// freed, as another thread's message may still be on its way in.
struct StartState {
    std::mutex lock;
    bool active = false;
    QtMessageHandler previous = nullptr;
    std::string platform;
    std::vector<HeldMessage> held;
};
StartState& starting() {
    static StartState state;
    return state;
}

// Qt's message pattern tells a missing category from an empty one.
const char* orNull(const QByteArray& text) {
    return text.isNull() ? nullptr : text.constData();
}

std::string firstLine(const QString& text) {
    return text.section(QLatin1Char('\n'), 0, 0).trimmed().toStdString();
}

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    StartState& state = starting();
    std::unique_lock guard(state.lock);
    if (!state.active) {
        const QtMessageHandler previous = state.previous;
        guard.unlock();
        previous(type, context, text);
        return;
    }
    if (type != QtFatalMsg) {
        state.held.push_back(
            {type, context.file, context.function, context.category, context.line, text});
        return;
    }
    // When no plugin could start, Qt's last word only says so; the plugin's
    // own warning before it says why.
    std::string cause = firstLine(text);
    for (const HeldMessage& message : state.held) {
        if (message.type != QtDebugMsg && message.type != QtInfoMsg &&
            message.category.startsWith("qt.qpa")) {
            cause = firstLine(message.text);
            break;
        }
    }
    const std::string who = state.platform.empty()
                                ? std::string("Qt's default platform")
                                : "the platform " + quotedForMessage(state.platform);
    std::fprintf(stderr, "velmira: %s could not start: %s\n", who.c_str(),
                 printable(cause).c_str());
    // Qt is halfway through building its platform: nothing may run after this.
    std::_Exit(2);
}

}  // namespace

std::string platformPluginProblem(const std::string& platform) {
    const QStringList names = pluginNames(platform, QLatin1Char(';'));
    if (names.contains(QStringLiteral("vnc"))) {
        return quotedForMessage(platform) +
               " is refused: Qt's vnc platform lets anyone who reaches this machine watch and "
               "work the program, with no password; scripts/run (scripts/headless) gives a "
               "private display, watched through VNC on loopback with a password";
    }
    const QStringList installed = installedPlatforms();
    if (installed.isEmpty()) return {};
    for (const QString& name : names) {
        if (installed.contains(name)) return {};
    }
    return "no Qt platform plugin " + quotedForMessage(platform) +
           " is installed (installed: " + installed.join(QStringLiteral(", ")).toStdString() + ")";
}

std::string genericPluginProblem(const std::string& plugins) {
    if (pluginNames(plugins, QLatin1Char(',')).contains(QStringLiteral("tuiotouch"))) {
        return quotedForMessage(plugins) +
               " is refused: the tuiotouch plugin takes touches from anyone on the network, "
               "who could then move the axes";
    }
    return {};
}

PlatformStart::PlatformStart(const std::string& platform) {
    StartState& state = starting();
    const std::lock_guard guard(state.lock);
    state.platform = platform;
    state.held.clear();
    state.active = true;
    state.previous = qInstallMessageHandler(holdOrEnd);
}

PlatformStart::~PlatformStart() {
    StartState& state = starting();
    std::vector<HeldMessage> held;
    QtMessageHandler previous = nullptr;
    {
        const std::lock_guard guard(state.lock);
        state.active = false;
        previous = state.previous;
        qInstallMessageHandler(previous);
        held.swap(state.held);
    }
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(orNull(message.file), message.line,
                                         orNull(message.function), orNull(message.category));
        previous(message.type, context, message.text);
    }
}

}  // namespace velmira
