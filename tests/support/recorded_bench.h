#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <array>
#include <string>

#include "hw/discovery.h"
#include "state/app_context.h"
#include "support/call_log.h"
#include "support/scripted_boxes.h"

namespace velmira::test {

// A controller for screen tests: recording libraries, slots answering the ID bytes in
// `ids` (slot n at 0x10 * n), a card folder with Pelmoran, boxes answered by the test.
struct RecordedBench {
    RecordedBench() {
        QDir(card.path()).mkdir("Pelmoran");
        log.setResponder("GetSlotAddr", [](const Call& c) { return 0x10 * c.args[0]; });
        log.setResponder("IoReadByte", [this](const Call& c) {
            return ids[static_cast<std::size_t>(c.args[0] / 0x10) % ids.size()];
        });
    }

    // Registers the modules answering in `ids`, every registration succeeding.
    void registerModules() {
        log.setResult("lorvexMF_REGISTRATION", 1);
        log.setResult("quenbyMF_REGISTRATION", 1);
        std::uint8_t number = 0;
        probeAndRegister(state.slotTable, ctx.hw, number);
    }
    // A module, or one of its axes, as chosen on an earlier screen.
    void remember(const std::string& module, const std::string& axis = {}) {
        state.selectedModuleLabel = module;
        state.selectedAxisLabel = axis;
        state.moduleNodeSelected = axis.empty() ? 1 : 0;
    }

    std::array<std::int64_t, 8> ids{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    QTemporaryDir card;
    AppState state;
    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    RecordingMotionLibrary quenby{ModuleKind::Quenby, log};
    RecordingBackplane backplane{log};
    ScriptedBoxes boxes;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
};

}  // namespace velmira::test
