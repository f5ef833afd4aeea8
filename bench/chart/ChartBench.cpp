// Chart rebuild cost: the profile's ice-layer layout (11 subsets: bands and lines on two
// stacked panes) at 1280 x 800, by points per subset.
#include "ChartReplay.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <clocale>

namespace {

using namespace chart_replay;

ProfileOptions IceLayers()
{
    ProfileOptions o;
    o.ShowEventLines = true;
    return o;
}

const std::vector<ProfileEvent> Events = {{0, 3.0, 4.0}, {1, 7.5, 8.0}};

// ChartReinitialize and ChartResetImage over properties already set.
void ReinitializeAndRender(benchmark::State& state)
{
    ChartHandle chart = ChartCreate(ChartObjectGraph, 0, QRect(0, 0, 1280, 800), nullptr, 1001);
    BuildProfile(chart, SampleReach(static_cast<int>(state.range(0))), Events, IceLayers());
    for (auto _ : state) {
        ChartReinitialize(chart);
        ChartResetImage(chart, 0, 0);
    }
    state.SetComplexityN(state.range(0));
    ChartDestroy(chart);
}
BENCHMARK(ReinitializeAndRender)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

// The whole build a view makes on every paint: every property and point set again, then
// ChartReinitialize and ChartResetImage.
void FullBuild(benchmark::State& state)
{
    ChartHandle chart = ChartCreate(ChartObjectGraph, 0, QRect(0, 0, 1280, 800), nullptr, 1001);
    const std::vector<ProfileNode> reach = SampleReach(static_cast<int>(state.range(0)));
    for (auto _ : state) BuildProfile(chart, reach, Events, IceLayers());
    state.SetComplexityN(state.range(0));
    ChartDestroy(chart);
}
BENCHMARK(FullBuild)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
