// What Basic Operation costs on a touch panel: a status tick every 50 ms (three
// reads, the Error, eight inputs and an error code compared with the lamps,
// the four fields), and a jog block into a list that only grows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>

#include "basic/basic_operation_dlg.h"
#include "bench_rig.h"
#include "ui/command_list.h"

namespace {

using namespace velmira;

// The default rack on a clock the benchmark moves, the screen open on Axis_X
// of the four-axis module in slot 1, as a user leaves it after a first jog.
struct Bench {
    Bench() {
        rig.selected("Lorvex in Slot:1", "Axis_X");
        screen.initDialog();
        screen.show();
        QApplication::processEvents();
        rig.lorvex.SERVO_ON(1, 1);
    }
    void press(int id) { screen.controlAs<QPushButton>(id)->click(); }

    ManualSimClock clock;
    bench::Rig rig{clock};
    SimMotionLibrary& lorvex = rig.lorvex;
    CBasicOperationDlg screen{rig.ctx, CarriedValues{}};
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
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
