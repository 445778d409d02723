#pragma once

// The simulated rack the screen benchmarks run on: the default rack on a clock
// the benchmark moves (or on the real clock), registered as the Configuration
// screen leaves it, with nobody answering message boxes.
#include <QTemporaryDir>
#include <memory>

#include "hw/discovery.h"
#include "platform/message_boxes.h"
#include "sim/sim_rack.h"
#include "state/app_context.h"

namespace velmira::bench {

class NoBoxes final : public MessageBoxes {
  public:
    BoxAnswer show(const BoxRequest&) override { return BoxAnswer::Ok; }
};

// A machine whose limit switches a continuous move never reaches, however
// long the benchmark runs.
inline RackDescription endless() {
    RackDescription machine;
    for (SlotMachine& slot : machine.bySlot) {
        for (AxisMachine& axis : slot.axes) {
            axis.limitMinus = -2000000000;
            axis.limitPlus = 2000000000;
        }
    }
    return machine;
}

struct Rig {
    explicit Rig(SimClock& clock) : rack(*parseSlotList(kDefaultRack).ids, endless(), clock) {
        std::uint8_t card = 0;
        probeAndRegister(state.slotTable, ctx.hw, card);
    }
    // The module (and axis) a screen opens on.
    void selected(const char* module, const char* axis) {
        state.selectedModuleLabel = module;
        state.selectedAxisLabel = axis ? axis : "";
        state.moduleNodeSelected = axis ? 0 : 1;
        state.currentKind = ModuleKind::Lorvex;
        state.currentCard = 1;
    }

    SimRack rack;
    SimMotionLibrary lorvex{ModuleKind::Lorvex, rack};
    SimMotionLibrary quenby{ModuleKind::Quenby, rack};
    SimBackplane backplane{rack};
    NoBoxes boxes;
    QTemporaryDir card;
    AppState state;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
};

}  // namespace velmira::bench
