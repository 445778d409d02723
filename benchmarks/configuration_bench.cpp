// What one setting costs on the Configuration screen after a long session:
// the value stored, the call made, the echo written on top of the list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTreeWidget>

#include "bench_rig.h"
#include "config/configuration_dlg.h"
#include "ui/command_list.h"

namespace {

using namespace velmira;

constexpr int kTree = 1001;
constexpr int kPulseMode = 1002;

void choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void BM_ConfigurationSetting(benchmark::State& s) {
    ManualSimClock clock;
    bench::Rig rig{clock};
    CConfigurationDlg screen{rig.ctx, CarriedValues{}};
    screen.initDialog();
    screen.show();
    auto* tree = screen.controlAs<QTreeWidget>(kTree);
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));  // Lorvex in Slot:1, Axis_Y
    auto* pulseMode = screen.controlAs<QComboBox>(kPulseMode);
    CommandListModel& rows = screen.commandList().rows();
    for (int n = 0; rows.rowCount() < s.range(0); ++n) choose(pulseMode, n % 6);
    QApplication::processEvents();
    int n = 0;
    for (auto _ : s) {
        choose(pulseMode, ++n % 6);
        s.PauseTiming();
        QApplication::processEvents();
        s.ResumeTiming();
    }
    s.counters["rows_at_end"] = rows.rowCount();
}
BENCHMARK(BM_ConfigurationSetting)
    ->Arg(0)
    ->Arg(10000)
    ->Iterations(1000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
