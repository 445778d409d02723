#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/hardware_setup.h"
#include "app/motion_app.h"
#include "app/options.h"
#include "app/program_screens.h"
#include "app/stop_on_signal.h"
#include "platform/panel.h"
#include "platform/platform_plugins.h"
#include "platform/qt_message_boxes.h"
#include "platform/unix_signals.h"
#include "platform/version.h"
#include "settings/settings_file.h"

using namespace velmira;

namespace {

// Lives for the whole run, like the controller's state block.
AppState appState;

int refuse(const std::string& message) {
    std::fprintf(stderr, "velmira: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit is a full card: writes fail and say so, rather than
    // the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Options and libraries are checked before any window exists, so a mistake
    // costs nothing.
    const Result<Options> parsed = parseOptions({argv + 1, argv + argc});
    const std::string defaultCard = CardFiles::defaultRoot().toStdString();
    if (!parsed.ok()) return refuse(parsed.error());
    if (parsed->help || parsed->version) {
        const std::string text =
            parsed->help ? helpText(defaultCard) : std::string("velmira ") + kVersion + "\n";
        if (const Result<> written = writeToStandardOutput(text); !written.ok()) {
            return refuse(written.error());
        }
        return 0;
    }
    const Options& options = *parsed;
    // --platform wins over QT_QPA_PLATFORM, so only the one Qt will take is checked.
    const std::string platformFromEnvironment =
        qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
    if (!options.platform.empty()) {
        if (const std::string problem = platformPluginProblem(options.platform); !problem.empty()) {
            return refuse("--platform: " + problem);
        }
    } else if (!platformFromEnvironment.empty()) {
        if (const std::string problem = platformPluginProblem(platformFromEnvironment);
            !problem.empty()) {
            return refuse("QT_QPA_PLATFORM: " + problem);
        }
    }
    if (const std::string problem =
            genericPluginProblem(qEnvironmentVariable("QT_QPA_GENERIC_PLUGINS").toStdString());
        !problem.empty()) {
        return refuse("QT_QPA_GENERIC_PLUGINS: " + problem);
    }
    Result<std::unique_ptr<HardwareSetup>> hardware = HardwareSetup::create(options);
    if (!hardware.ok()) return refuse(hardware.error());
    const HardwareSetup& setup = **hardware;

    QString card = QString::fromStdString(options.card);
    if (card.isEmpty()) {
        card = QString::fromStdString(defaultCard);
        if (const Result<> prepared = CardFiles::prepare(card); !prepared.ok()) {
            return refuse(prepared.error());
        }
    }

    removeSaveLeftovers(CardFiles(card));

    // Qt reads no option of ours, only the platform; its -platform wins over
    // QT_QPA_PLATFORM. Qt keeps the arguments for the whole run.
    std::string platformFlag = "-platform";
    std::string platform = options.platform;
    std::vector<char*> qtArgs{argv[0]};
    if (!platform.empty()) {
        qtArgs.push_back(platformFlag.data());
        qtArgs.push_back(platform.data());
    }
    qtArgs.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArgs.size()) - 1;
    // A platform that cannot reach its display or device ends as a refusal,
    // not as Qt's abort.
    auto start =
        std::make_unique<PlatformStart>(platform.empty() ? platformFromEnvironment : platform);
    QApplication app(qtArgc, qtArgs.data());
    start.reset();
    QApplication::setApplicationName(QStringLiteral("Velmira"));
    // A framebuffer that is not there leaves the platform without a screen,
    // and Qt would end the process at the first window.
    if (!QGuiApplication::primaryScreen()) {
        return refuse("the platform \"" + QGuiApplication::platformName().toStdString() +
                      "\" found no screen to draw on");
    }
    if (options.panel) setPanelMode(true);

    QTimer traceFlush;
    if (CallTrace* trace = setup.trace()) {
        QObject::connect(&traceFlush, &QTimer::timeout, [trace] { trace->flushIfDue(); });
        traceFlush.start(CallTrace::kFlushPeriod / 2);
    }

    QtMessageBoxes boxes;
    AppContext ctx{appState, setup.hardware(), boxes, CardFiles(card)};
    ctx.backups = options.backupCount;
    ProgramScreens screens(ctx);
    CMotionApp motionApp(ctx, screens);
    motionApp.setQuitWhenShown(options.quitWhenShown);
    // Ending the program must not leave a module's pulse output running.
    StopOnSignal stopOnSignal(appState.slotTable, ctx.hw, setup.trace(), &UnixSignals::endBySignal);
    UnixSignals unixSignals({SIGTERM, SIGINT, SIGHUP},
                            [&stopOnSignal](int signo) { stopOnSignal.onSignal(signo); });
    if (!unixSignals.error().empty()) {
        std::fprintf(stderr, "velmira: %s; a signal ends the program without stopping the axes\n",
                     unixSignals.error().c_str());
    }
    const int status = motionApp.initInstance();
    stopOnSignal.finish(unixSignals.disarm());
    // A trace that lost lines is a run whose record is incomplete.
    if (CallTrace* trace = setup.trace()) {
        trace->flush();
        if (!trace->complete()) return 1;
    }
    return status;
}
