// What Basic Operation costs on a touch panel: a status tick every 50 ms (three
// reads, the Error, eight inputs and an error code compared with the lamps,
// the four fields), and a jog block into a list that only grows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include "basic/basic_operation_dlg.h"
#include "hw/discovery.h"
#include "platform/message_boxes.h"
#include "sim/sim_rack.h"
#include "ui/command_list.h"

namespace {

using namespace velmira;

class NoBoxes final : public MessageBoxes {
  public:
    BoxAnswer show(const BoxRequest&) override { return BoxAnswer::Ok; }
};

// A machine whose limit switches a continuous move never reaches, however
// long the benchmark runs.
RackDescription endless() {
    RackDescription machine;
    for (SlotMachine& slot : machine.bySlot) {
        for (AxisMachine& axis : slot.axes) {
            axis.limitMinus = -2000000000;
            axis.limitPlus = 2000000000;
        }
    }
    return machine;
}

// The default rack on a clock the benchmark moves, the screen open on Axis_X
// of the four-axis module in slot 1, as a user leaves it after a first jog.
struct Bench {
    Bench() {
        std::uint8_t card = 0;
        probeAndRegister(state.slotTable, ctx.hw, card);
        state.selectedModuleLabel = "Lorvex in Slot:1";
        state.selectedAxisLabel = "Axis_X";
        state.moduleNodeSelected = 0;
        screen.initDialog();
        screen.show();
        QApplication::processEvents();
        lorvex.SERVO_ON(1, 1);
    }
    void press(int id) { screen.controlAs<QPushButton>(id)->click(); }

    ManualSimClock clock;
    SimRack rack{*parseSlotList(kDefaultRack).ids, endless(), clock};
    SimMotionLibrary lorvex{ModuleKind::Lorvex, rack};
    SimMotionLibrary quenby{ModuleKind::Quenby, rack};
    SimBackplane backplane{rack};
    NoBoxes boxes;
    QTemporaryDir card;
    AppState state;
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path())};
    CBasicOperationDlg screen{ctx, CarriedValues{}};
};

constexpr int kForward = 1090;
constexpr int kContinuous = 1049;

void BM_BasicOperationStatusTick(benchmark::State& s) {
    Bench b;
    const bool moving = s.range(0) != 0;
    if (moving) {
        b.screen.controlAs<QAbstractButton>(kContinuous)->click();
    } else {
        b.lorvex.SERVO_OFF(1, 1);  // the jog starts the timer but the axis stays
    }
    b.press(kForward);
    for (auto _ : s) {
        b.clock.advance(50000);
        b.screen.deliverTimer(CBasicOperationDlg::kStatusTimer);
    }
    // A moving axis shows a new position at every tick.
    s.SetLabel(moving ? "axis moving" : "axis still");
    s.counters["speed"] = b.lorvex.GET_CV(1, 1);
}
BENCHMARK(BM_BasicOperationStatusTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One Forward press: the fields read, the seven calls, the block of seven rows
// into the shown list (model and view updated; the paint comes after).
void BM_BasicOperationJogBlock(benchmark::State& s) {
    Bench b;
    CommandListModel& rows = b.screen.commandList().rows();
    const std::vector<std::string> block(6, "lorvexMF_SET_V(1,1,20000)");
    while (rows.rowCount() < s.range(0)) rows.writeBlock(block);
    QApplication::processEvents();
    for (auto _ : s) {
        b.press(kForward);
        s.PauseTiming();
        QApplication::processEvents();
        s.ResumeTiming();
    }
    s.counters["rows_at_end"] = rows.rowCount();
}
BENCHMARK(BM_BasicOperationJogBlock)
    ->Arg(0)
    ->Arg(100000)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
