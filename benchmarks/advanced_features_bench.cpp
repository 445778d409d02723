// What Advanced Features costs on a touch panel: the 50 ms position tick
// while a line runs (six reads, the six fields, the traced path), with and
// without the profile window drawing it, and a run's block of calls into a
// list that only grows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "advanced/advanced_features_dlg.h"
#include "advanced/advanced_features_ids.h"
#include "advanced/profile_dlg.h"
#include "bench_rig.h"
#include "ui/command_list.h"

namespace {

using namespace velmira;
namespace a = advanced_ids;

// The screen open on the four-axis module in slot 1, servos on, Linear 2D
// chosen.
struct Bench {
    Bench() {
        rig.selected("Lorvex in Slot:1", nullptr);
        screen.initDialog();
        screen.show();
        QApplication::processEvents();
        press(a::kServo);
    }
    void press(int id) { screen.controlAs<QAbstractButton>(id)->click(); }
    void type(int id, const char* text) { screen.controlAs<QLineEdit>(id)->setText(text); }
    // A line far longer than any benchmark runs.
    void startLongLine() {
        type(a::kFp1, "1000000000");
        type(a::kFp2, "500000000");
        press(a::kForward);
    }
    void tick() {
        clock.advance(50000);
        screen.deliverTimer(CAdvancedFeaturesDlg::kPositionTimer);
    }

    ManualSimClock clock;
    bench::Rig rig{clock};
    CAdvancedFeaturesDlg screen{rig.ctx};
};

// Runs `body` while the profile window is open beside the screen, as a user
// has it after pressing Enter; the window is closed afterwards.
void withProfileWindow(Bench& b, const std::function<void()>& body) {
    b.press(a::kProfile);
    QApplication::processEvents();
    body();
    if (QWidget* window = b.screen.profileWindow()) window->close();
}

void BM_AdvancedFeaturesTick(benchmark::State& s) {
    Bench b;
    b.startLongLine();
    const int mode = static_cast<int>(s.range(0));  // 0 no window, 1 window, 2 window painted
    auto loop = [&] {
        for (auto _ : s) {
            b.tick();
            if (mode == 2) QApplication::processEvents();
        }
    };
    if (mode == 0) {
        loop();
    } else {
        withProfileWindow(b, loop);
    }
    static const char* const kLabels[] = {"no profile window", "profile window open",
                                          "profile window open, painted"};
    s.SetLabel(kLabels[mode]);
    s.counters["traced_points"] = static_cast<double>(b.screen.profile().trace().size());
}
BENCHMARK(BM_AdvancedFeaturesTick)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// One Forward press: the fields read, the interpolation's calls, its block of
// rows into the shown list (model and view updated; the paint comes after).
void BM_AdvancedFeaturesRunBlock(benchmark::State& s) {
    Bench b;
    CommandListModel& rows = b.screen.commandList().rows();
    const std::vector<std::string> block(8, "lorvexMF_SET_V(1,1,20000)");
    while (rows.rowCount() < s.range(0)) rows.writeBlock(block);
    QApplication::processEvents();
    // The fullest block a line gives: an S-curve, asymmetric.
    b.press(a::kSCurve);
    b.press(a::kAsym);
    b.type(a::kFp1, "10");
    b.type(a::kFp2, "5");
    int before = rows.rowCount();
    for (auto _ : s) {
        b.press(a::kForward);
        s.PauseTiming();
        b.clock.advance(1000000);
        QApplication::processEvents();
        s.ResumeTiming();
    }
    s.counters["rows_per_block"] =
        static_cast<double>(rows.rowCount() - before) / static_cast<double>(s.iterations());
}
BENCHMARK(BM_AdvancedFeaturesRunBlock)
    ->Arg(0)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
