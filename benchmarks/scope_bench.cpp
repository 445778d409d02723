// What the axis scope costs while a move runs: one status read recorded, and
// the same with the plot repainted, after 10 s and after 10 min of recording
// (the most the scope keeps); and the memory of a full recording.
#include <benchmark/benchmark.h>
#include <malloc.h>  // mallinfo2: the heap in use

#include <QApplication>
#include <cmath>
#include <memory>

#include "basic/scope_recording.h"
#include "basic/scope_window.h"

namespace {

using namespace velmira;

constexpr double kPeriod = ScopeWindow::kPeriodMs / 1000.0;
constexpr std::size_t kCapacity = ScopeWindow::kKeptSeconds * 1000 / ScopeWindow::kPeriodMs;

// A sample of an axis that moves back and forth, so every trace changes.
ScopeSample sampleAt(std::size_t i) {
    const double t = static_cast<double>(i) * kPeriod;
    const auto logic = static_cast<std::int32_t>(100000 * std::sin(t / 3));
    const auto error = static_cast<std::int32_t>(20 * std::sin(t * 7));
    const auto speed = static_cast<std::int32_t>(100000.0 / 3 * std::cos(t / 3));
    return {t, logic, logic - error, error, speed};
}

// A recording of the size the scope keeps, holding `seconds` of samples.
std::unique_ptr<ScopeRecording> recorded(std::int64_t seconds, std::size_t& next) {
    auto r = std::make_unique<ScopeRecording>(kCapacity);
    for (next = 0; next < static_cast<std::size_t>(seconds / kPeriod); ++next) {
        r->append(sampleAt(next));
    }
    return r;
}

void BM_ScopeAppend(benchmark::State& s) {
    std::size_t next = 0;
    const auto r = recorded(s.range(0), next);
    for (auto _ : s) r->append(sampleAt(next++));
    s.SetLabel(std::to_string(s.range(0)) + " s recorded");
}
BENCHMARK(BM_ScopeAppend)->Arg(10)->Arg(600);

// The plot as the window shows it, following the newest samples (10 s in
// view), or zoomed out to the whole recording.
void BM_ScopeAppendAndRepaint(benchmark::State& s) {
    std::size_t next = 0;
    const auto r = recorded(s.range(0), next);
    ScopeView view(*r);
    view.resize(640, 360);
    view.show();
    QApplication::processEvents();
    const bool whole = s.range(1) != 0;
    if (whole) view.zoom(view.span() / static_cast<double>(s.range(0)), view.plotArea().right());
    for (auto _ : s) {
        r->append(sampleAt(next++));
        view.repaint();
    }
    s.SetLabel(std::to_string(s.range(0)) + " s recorded, " +
               (whole ? "all in view" : "the last 10 s in view"));
}
BENCHMARK(BM_ScopeAppendAndRepaint)
    ->Args({10, 0})
    ->Args({600, 0})
    ->Args({600, 1})
    ->Unit(benchmark::kMicrosecond);

// The heap a full recording holds, whatever number of samples went through it.
void BM_ScopeFullRingMemory(benchmark::State& s) {
    double bytes = 0;
    for (auto _ : s) {
        const double before = static_cast<double>(mallinfo2().uordblks);
        std::size_t next = 0;
        const auto r = recorded(2 * ScopeWindow::kKeptSeconds, next);
        r->mark({r->at(0).seconds, 1, "Forward"});
        bytes = static_cast<double>(mallinfo2().uordblks) - before;
        benchmark::DoNotOptimize(r->size());
    }
    s.counters["bytes"] = bytes;
    s.counters["samples"] = static_cast<double>(kCapacity);
}
BENCHMARK(BM_ScopeFullRingMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
