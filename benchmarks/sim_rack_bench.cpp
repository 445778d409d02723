// What the simulated rack costs the program: the status monitor polls every
// 50 ms, and each poll first steps every module through the 50 ticks since
// the last one. A full rack with every axis moving is the worst case.
#include <benchmark/benchmark.h>

#include "bench_rig.h"
#include "sim/sim_rack.h"

namespace {

using namespace velmira;

void BM_PollFullRackEveryAxisMoving(benchmark::State& state) {
    const RackDescription machine = bench::endless();
    ManualSimClock clock;
    SimRack rack(
        *parseSlotList("1=Lorvex,2=Lorvex,3=Lorvex,4=Lorvex,5=Lorvex,6=Lorvex,7=Lorvex").ids,
        machine, clock);
    SimMotionLibrary lib(ModuleKind::Lorvex, rack);
    for (int card = 1; card <= 7; ++card) {
        lib.REGISTRATION(card, card);
        lib.NORMAL_SPEED(card, 15, 1);  // S-curves: the most work per tick
        lib.SET_V(card, 15, 30000);
        lib.CONTINUE_MOVE(card, 15, 1);
    }
    for (auto _ : state) {
        clock.advance(50000);
        benchmark::DoNotOptimize(lib.GET_LP(1, 1));
    }
    state.counters["axes"] = 28;
}
BENCHMARK(BM_PollFullRackEveryAxisMoving)->Unit(benchmark::kMicrosecond);

void BM_PollIdleRack(benchmark::State& state) {
    ManualSimClock clock;
    SimRack rack(*parseSlotList(kDefaultRack).ids, {}, clock);
    SimMotionLibrary lib(ModuleKind::Lorvex, rack);
    lib.REGISTRATION(1, 1);
    for (auto _ : state) {
        clock.advance(50000);
        benchmark::DoNotOptimize(lib.GET_LP(1, 1));
    }
}
BENCHMARK(BM_PollIdleRack)->Unit(benchmark::kMicrosecond);

}  // namespace
