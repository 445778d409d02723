// Any bytes as the configuration file: loaded and applied to a module of each
// kind, then shown on the Configuration screen for a module and an axis.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdint>
#include <cstdlib>

#include "config/configuration_dlg.h"
#include "hw/discovery.h"
#include "settings/settings_file.h"
#include "support/call_log.h"

using namespace velmira;

namespace {

class Quiet final : public MessageBoxes {
  public:
    BoxAnswer show(const BoxRequest&) override { return BoxAnswer::Ok; }
};

struct World {
    World() {
        QDir().mkpath(card.path() + "/Pelmoran/Orvo");
        log.setResponder("GetSlotAddr", [](const Call& c) { return 0x10 * c.args[0]; });
        log.setResponder("IoReadByte", [](const Call& c) {
            return c.args[0] == 0x30 ? 69 : c.args[0] == 0x50 ? 82 : 0xFF;
        });
        log.setResult("lorvexMF_REGISTRATION", 1);
        log.setResult("quenbyMF_REGISTRATION", 1);
        screen.initDialog();
        tree = screen.controlAs<QTreeWidget>(1001);
    }
    QString file() const { return card.path() + "/Pelmoran/Orvo/lorvex_Config.ini"; }

    QTemporaryDir card;
    AppState state;
    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    RecordingMotionLibrary quenby{ModuleKind::Quenby, log};
    RecordingBackplane backplane{log};
    Quiet boxes;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
    CConfigurationDlg screen{ctx, CarriedValues{}};
    QTreeWidget* tree = nullptr;
};

World* world = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    world = new World;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 20000) return -1;
    QFile f(world->file());
    if (!f.open(QIODevice::WriteOnly)) std::abort();
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    f.close();
    World& w = *world;
    for (const auto& [card, kind] : {std::pair{std::uint8_t{3}, ModuleKind::Lorvex},
                                     std::pair{std::uint8_t{5}, ModuleKind::Quenby}}) {
        (void)loadAndApplySettings(w.state.settings, card, kind, w.ctx.hw, w.ctx.card);
    }
    // The screen shows what was loaded: each module, then one of its axes.
    for (int i = 0; i < w.tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* module = w.tree->topLevelItem(i);
        w.tree->setCurrentItem(module);
        if (module->childCount() > 0) {
            w.tree->setCurrentItem(module->child(static_cast<int>(size % module->childCount())));
        }
    }
    w.log.clear();
    return 0;
}
