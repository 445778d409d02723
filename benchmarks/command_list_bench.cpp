// How long one echoed block costs as the command list grows: a day of jogging
// leaves a hundred thousand rows, and a block must cost the same then.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "ui/command_list.h"

namespace {

const std::vector<std::string> kBlock = {
    "lorvexMF_SET_MAX_V(1,2,2000000)", "lorvexMF_SET_V(1,2,20000)",    "lorvexMF_SET_AO(1,2,0)",
    "lorvexMF_SET_SV(1,2,100)",        "lorvexMF_NORMAL_SPEED(1,2,0)", "lorvexMF_SET_A(1,2,100000)",
    "lorvexMF_FIXED_MOVE(1,2,-5000)"};

// An interpolation's block: nine rows, the first without a call.
const std::vector<std::string> kPathBlock = {
    "lorvexMF_AXIS_ASSIGN(1,1,1,2)",  "lorvexMF_AXIS_ASSIGN(1,2,2,1)",
    "lorvexMF_CONST_VECTOR_SPEED(1)", "lorvexMF_SET_VSV(1,100)",
    "lorvexMF_SET_VV(1,20000)",       "lorvexMF_SET_FP(1,1,10000)",
    "lorvexMF_SET_FP(1,2,5000)",      "lorvexMF_LINE_2D(1)"};

void fill(velmira::CommandListModel& rows, int count) {
    while (rows.rowCount() < count) rows.writeBlock(kBlock);
}

// The model alone.
void BM_WriteBlockModel(benchmark::State& state) {
    velmira::CommandListModel rows({"NO", "Command"});
    fill(rows, static_cast<int>(state.range(0)));
    for (auto _ : state) rows.writeBlock(kBlock);
    state.counters["rows_at_end"] = rows.rowCount();
}
BENCHMARK(BM_WriteBlockModel)->Arg(10)->Arg(100000)->Iterations(2000);

// The list as a screen shows it: the view attached and repainted after each
// block; range(1) picks the jog block (0) or the interpolation's (1).
void BM_WriteBlockShownList(benchmark::State& state) {
    velmira::CommandList list(QStringLiteral("NO"), QStringLiteral("Command"), 1, 6);
    list.resize(300, 280);
    list.show();
    fill(list.rows(), static_cast<int>(state.range(0)));
    QApplication::processEvents();
    const auto& block = state.range(1) ? kPathBlock : kBlock;
    for (auto _ : state) {
        list.rows().writeBlock(block);
        QApplication::processEvents();
    }
    state.SetLabel(state.range(1) ? "interpolation block" : "jog block");
}
BENCHMARK(BM_WriteBlockShownList)
    ->ArgsProduct({{0, 10000, 100000}, {0, 1}})
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// Copying as the user does at the end of such a day: the block under the
// pointer at the bottom of the list, and every block.
void BM_CopyBlockAtTheBottom(benchmark::State& state) {
    velmira::CommandListModel rows({"NO", "Command"});
    fill(rows, static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(rows.blockCode(rows.rowCount() - 1));
}
BENCHMARK(BM_CopyBlockAtTheBottom)->Arg(10)->Arg(100000);

void BM_CopyAll(benchmark::State& state) {
    velmira::CommandListModel rows({"NO", "Command"});
    fill(rows, static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(rows.allCode());
}
BENCHMARK(BM_CopyAll)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
