#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/interim_screen.h"
#include "app/motion_app.h"
#include "app/options.h"
#include "platform/qt_message_boxes.h"
#include "sim/sim_rack.h"

using namespace velmira;

namespace {

// Lives for the whole run, like the controller's state block.
AppState appState;

}  // namespace

int main(int argc, char** argv) {
    // Options are checked before any window exists, so a mistake costs nothing.
    const OptionsResult parsed = parseOptions({argv + 1, argv + argc});
    const std::string defaultCard = CardFiles::defaultRoot().toStdString();
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "velmira: %s\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(helpText(defaultCard).c_str(), stdout);
        return 0;
    }
    const Options& options = parsed.options;

    QString card = QString::fromStdString(options.card);
    if (card.isEmpty()) {
        card = QString::fromStdString(defaultCard);
        if (const QString error = CardFiles::prepare(card); !error.isEmpty()) {
            std::fprintf(stderr, "velmira: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmira"));

    SimRack rack = *SimRack::parse(options.rack).rack;
    SimBackplane backplane(rack);
    SimMotionLibrary lorvex(ModuleKind::Lorvex, rack);
    SimMotionLibrary quenby(ModuleKind::Quenby, rack);
    QtMessageBoxes boxes;
    AppContext ctx{appState, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card)};
    InterimScreenFactory screens(boxes);
    return CMotionApp(ctx, screens).initInstance();
}
