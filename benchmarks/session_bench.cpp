// What a long session costs: the memory a stored row takes, a screen visit of
// a million rows given back when the screen closes, and what an idle screen
// with its status timer running costs while nobody touches it.
#include <benchmark/benchmark.h>
#include <malloc.h>  // mallinfo2: the heap in use
#include <time.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "app/program_screens.h"
#include "basic/basic_operation_dlg.h"
#include "bench_rig.h"
#include "platform/memory.h"
#include "ui/command_list.h"

namespace {

using namespace velmira;

constexpr int kForward = 1090;

const std::vector<std::string> kJogBlock = {
    "lorvexMF_SET_V(1,2,20000)",    "lorvexMF_SET_AO(1,2,0)",     "lorvexMF_SET_SV(1,2,100)",
    "lorvexMF_NORMAL_SPEED(1,2,0)", "lorvexMF_SET_A(1,2,100000)", "lorvexMF_FIXED_MOVE(1,2,-5000)"};

// Bytes the heap hands out now.
double heapInUse() {
    return static_cast<double>(mallinfo2().uordblks);
}

// The resident set, in bytes.
double residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(getpagesize()) : 0;
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The heap a stored row costs, in the model alone and in a shown list.
void BM_MemoryPerRow(benchmark::State& s) {
    const bool shown = s.range(0) != 0;
    constexpr int kRows = 210000;
    double perRow = 0;
    for (auto _ : s) {
        CommandList list(QStringLiteral("NO"), QStringLiteral("Command"), 1, 6);
        if (shown) {
            list.resize(300, 280);
            list.show();
            QApplication::processEvents();
        }
        const double before = heapInUse();
        while (list.rows().rowCount() < kRows) list.rows().writeBlock(kJogBlock);
        if (shown) QApplication::processEvents();
        perRow = (heapInUse() - before) / list.rows().rowCount();
    }
    s.SetLabel(shown ? "shown list" : "model alone");
    s.counters["bytes_per_row"] = perRow;
}
BENCHMARK(BM_MemoryPerRow)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// A million rows in one visit of Basic Operation, then the screen closed and
// opened again: the heap comes back and a jog costs what it cost at first.
void BM_LongSession(benchmark::State& s) {
    ManualSimClock clock;
    bench::Rig rig{clock};
    rig.selected("Lorvex in Slot:1", "Axis_X");
    ProgramScreens screens(rig.ctx);
    auto pressCost = [&](WorkingScreen& screen) {
        auto* forward = screen.controlAs<QPushButton>(kForward);
        const double start = cpuSeconds();
        constexpr int kPresses = 2000;
        for (int n = 0; n < kPresses; ++n) {
            forward->click();
            clock.advance(1000000);
        }
        return (cpuSeconds() - start) * 1e6 / kPresses;
    };
    auto open = [&] {
        auto screen = screens.basicOperation(nullptr, CarriedValues{});
        screen->initDialog();
        screen->show();
        QApplication::processEvents();
        return screen;
    };
    for (auto _ : s) {
        // A visit without rows first: what any visit leaves (pictures drawn,
        // fonts cached) is not what the rows cost.
        open().reset();
        releaseFreedMemory();
        const double heapBefore = heapInUse();
        const double residentBefore = residentBytes();
        auto screen = open();
        const double firstPress = pressCost(*screen);
        auto& rows = static_cast<CBasicOperationDlg&>(*screen).commandList().rows();
        while (rows.rowCount() < 1000000) rows.writeBlock(kJogBlock);
        QApplication::processEvents();
        const double heapFull = heapInUse();
        const double residentFull = residentBytes();
        screen.reset();  // and what the main menu does after every visit:
        releaseFreedMemory();
        QApplication::processEvents();
        const double heapClosed = heapInUse();
        const double residentClosed = residentBytes();
        screen = open();
        const double againPress = pressCost(*screen);
        screen.reset();
        s.counters["heap_open_MB"] = (heapFull - heapBefore) / 1e6;
        s.counters["heap_left_after_close_kB"] = (heapClosed - heapBefore) / 1e3;
        s.counters["resident_before_MB"] = residentBefore / 1e6;
        s.counters["resident_full_MB"] = residentFull / 1e6;
        s.counters["resident_after_close_MB"] = residentClosed / 1e6;
        s.counters["press_first_us"] = firstPress;
        s.counters["press_after_reopen_us"] = againPress;
    }
}
BENCHMARK(BM_LongSession)->Iterations(1)->Unit(benchmark::kMillisecond);

// Ten seconds of Basic Operation on the real clock with its status timer
// running on an axis that stands: the share of one core it takes.
void BM_IdleBasicOperation(benchmark::State& s) {
    SteadySimClock clock;
    bench::Rig rig{clock};
    rig.selected("Lorvex in Slot:1", "Axis_X");
    CBasicOperationDlg screen{rig.ctx, CarriedValues{}};
    screen.initDialog();
    screen.show();
    screen.controlAs<QPushButton>(kForward)->click();  // servo off: the timer runs, the axis stands
    runEventLoopFor(500);
    const int seconds = static_cast<int>(s.range(0));
    double share = 0;
    for (auto _ : s) {
        const double cpu = cpuSeconds();
        runEventLoopFor(seconds * 1000);
        share = (cpuSeconds() - cpu) / seconds;
    }
    s.counters["core_percent"] = share * 100;
}
BENCHMARK(BM_IdleBasicOperation)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
