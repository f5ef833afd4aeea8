// Chart rebuild cost at 1280 x 800: the profile's ice-layer layout (11 subsets: bands and lines
// on two stacked panes) by points per subset, and the hydrograph's one line by points, its
// build in parts (the points set, the scene resolved, the picture drawn) and its picture drawn
// through every point.
#include "ChartRenderer.h"
#include "ChartReplay.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <clocale>
#include <cmath>

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

// A history of n entries over 24 h: a flood wave, smooth as a run's results are, or with a
// ripple from one entry to the next, so that every pixel column of a long line spans a range
// of values (the reduction's dearest case: four points in every column).
chart_replay::Hydrograph SampleHistory(int n, bool ripple)
{
    chart_replay::Hydrograph h;
    h.Time.reserve(std::size_t(n));
    h.Value.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const double t = 24.0 * i / n;
        h.Time.push_back(t);
        h.Value.push_back(40.0 + 120.0 * std::exp(-std::pow((t - 10.0) / 4.0, 2)) +
                          (ripple ? 0.8 * std::sin(i * 0.7) : 0.0));
    }
    return h;
}

chart_replay::Hydrograph SampleHistory(const benchmark::State& state)
{
    return SampleHistory(static_cast<int>(state.range(0)), state.range(1) != 0);
}

ChartHandle ScreenChart()
{
    return ChartCreate(ChartObjectGraph, 0, QRect(0, 0, 1280, 800), nullptr, 1001);
}

// The whole build the hydrograph view makes on every paint: every property and point set
// again, then ChartReinitialize and ChartResetImage.
void HydrographFullBuild(benchmark::State& state)
{
    ChartHandle chart = ScreenChart();
    const chart_replay::Hydrograph h = SampleHistory(state);
    for (auto _ : state) BuildHydrograph(chart, h);
    ChartDestroy(chart);
}

// The parts of a build: setting the counts and points; ChartReinitialize; ChartResetImage.
void HydrographSetPoints(benchmark::State& state)
{
    ChartHandle chart = ScreenChart();
    const chart_replay::Hydrograph h = SampleHistory(state);
    BuildHydrograph(chart, h);
    const int n = static_cast<int>(h.Time.size());
    for (auto _ : state) {
        ChartSetInt(chart, ChartSubsetCount, 1);
        ChartSetInt(chart, ChartPointCount, n);
        for (int i = 0; i < n; ++i)
            chart_replay::SetPoint(chart, 0, i, h.Time[std::size_t(i)], h.Value[std::size_t(i)]);
    }
    ChartDestroy(chart);
}

void HydrographResolve(benchmark::State& state)
{
    ChartHandle chart = ScreenChart();
    BuildHydrograph(chart, SampleHistory(state));
    for (auto _ : state) ChartReinitialize(chart);
    ChartDestroy(chart);
}

void HydrographRender(benchmark::State& state)
{
    ChartHandle chart = ScreenChart();
    BuildHydrograph(chart, SampleHistory(state));
    for (auto _ : state) ChartResetImage(chart, 0, 0);
    ChartDestroy(chart);
}

// The same picture drawn through every point of the line, as without the per-pixel-column
// reduction.
void HydrographRenderEveryPoint(benchmark::State& state)
{
    ChartHandle chart = ScreenChart();
    BuildHydrograph(chart, SampleHistory(state));
    const std::shared_ptr<const ChartScene> scene = ChartSceneOf(chart);
    QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter g(&image);
        PaintChart(g, *scene, image.size(), ChartLineDetail::Full);
    }
    ChartDestroy(chart);
}

// Points of the line (the history's capacity last), and whether the values ripple.
void HydrographSizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"points", "ripple"})->ArgsProduct({{1000, 10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);
}
BENCHMARK(HydrographFullBuild)->Apply(HydrographSizes);
BENCHMARK(HydrographSetPoints)->Apply(HydrographSizes);
BENCHMARK(HydrographResolve)->Apply(HydrographSizes);
BENCHMARK(HydrographRender)->Apply(HydrographSizes);
BENCHMARK(HydrographRenderEveryPoint)->Apply(HydrographSizes);

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
