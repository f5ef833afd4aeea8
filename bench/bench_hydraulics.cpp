// Cost of the node hydraulics refresh (run for every node at every residual evaluation) and of
// building a cross-section property table.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelSetup.h"

namespace {

// A natural-looking compound section of `points` points: floodplains, banks and a rounded
// channel with some deterministic roughness of the surveyed ground.
void FillNaturalSection(CrossSectionTable& t, int points, int seed)
{
    t.Points.resize(points);
    t.PointCount = points;
    const double width = 200.0;
    const int leftBank = points / 4;
    const int rightBank = 3 * points / 4;
    for (int i = 0; i < points; ++i) {
        const double x = width * i / (points - 1);
        double z;
        if (i < leftBank) z = 6.0 - 2.0 * i / leftBank;
        else if (i > rightBank) z = 4.0 + 2.0 * (i - rightBank) / (points - 1 - rightBank);
        else {
            const double u = static_cast<double>(i - leftBank) / (rightBank - leftBank);
            z = 4.0 - 4.0 * std::sin(3.141592653589793 * u);
        }
        z += 0.05 * std::sin(0.7 * i + seed);
        t.Points[i] = {x, 100.0 + z};
    }
    t.Points[0].Elevation = t.Points[points - 1].Elevation = 110.0;
    t.LeftBankStation = t.Points[leftBank].Station;
    t.RightBankStation = t.Points[rightBank].Station;
    t.RoughnessRowCount = 2;
    t.RoughnessRows[0][0] = 90; t.RoughnessRows[1][0] = 0.03; t.RoughnessRows[2][0] = 0.06; t.RoughnessRows[3][0] = 0.05;
    t.RoughnessRows[0][1] = 103; t.RoughnessRows[1][1] = 0.028; t.RoughnessRows[2][1] = 0.05; t.RoughnessRows[3][1] = 0.045;
    t.SinuosityRowCount = 2;
    t.SinuosityRows[0][0] = 90; t.SinuosityRows[1][0] = 1.15;
    t.SinuosityRows[0][1] = 104; t.SinuosityRows[1][1] = 1.0;
}

struct Model {
    std::vector<NodeRecord> Nodes;
    std::vector<CrossSectionTable> Tables;
    std::vector<double> Areas;   // gross areas to visit, from in-bank to well over the banks
};

Model MakeModel(int count, int code)
{
    SetModelDefaults();
    Model m;
    m.Nodes.resize(count);
    m.Tables.resize(count);
    for (int k = 0; k < count; ++k) {
        CrossSectionTable& t = m.Tables[k];
        FillNaturalSection(t, 100, k);
        BuildCrossSectionTable(&t, code);
        NodeRecord& n = m.Nodes[k];
        SetNodeDefaults(&n);
        n.SectionCode = code;
        n.CrossSection = &t;
        n.Invert = t.LowestElevation;
        n.MinFlowArea = ComputeMinimumFlowArea(&n);
        n.Chainage = 100.0 * k;
        n.Next = k + 1 < count ? &m.Nodes[k + 1] : nullptr;
    }
    for (int i = 0; i < 64; ++i) {
        const double stage = 101.0 + 8.0 * i / 63;
        m.Areas.push_back(InterpolateTable(m.Tables[0].Column(StageLevel), m.Tables[0].Column(TotalArea), stage, code));
    }
    return m;
}

void BM_UpdateNodeHydraulicsSection(benchmark::State& state)
{
    const int code = static_cast<int>(state.range(0));
    Model m = MakeModel(static_cast<int>(state.range(1)), code);
    size_t k = 0, a = 0;
    for (auto _ : state) {
        NodeRecord& n = m.Nodes[k];
        n.HydroUnknowns[0] = m.Areas[a];
        n.HydroUnknowns[1] = 150.0;
        benchmark::DoNotOptimize(UpdateNodeHydraulics(&n));
        if (++k == m.Nodes.size()) k = 0;
        if (++a == m.Areas.size()) a = 0;
    }
    benchmark::DoNotOptimize(m.Nodes[0].Conveyance);
    state.SetItemsProcessed(state.iterations());
}
// Arguments: section code (level count, negative for a compound channel) and node count; one
// node stays in cache, a thousand 300-level tables (50 MB) do not.
BENCHMARK(BM_UpdateNodeHydraulicsSection)->Args({-300, 1})->Args({-300, 1000})->Args({300, 1000})->Args({-50, 1000});

void BM_UpdateNodeHydraulicsRectangle(benchmark::State& state)
{
    SetModelDefaults();
    std::vector<NodeRecord> nodes(1000);
    for (NodeRecord& n : nodes) {
        SetNodeDefaults(&n);
        n.RectWidth = 40;
        n.Invert = 100;
    }
    size_t k = 0;
    double area = 40;
    for (auto _ : state) {
        NodeRecord& n = nodes[k];
        n.HydroUnknowns[0] = area;
        n.HydroUnknowns[1] = 60.0;
        benchmark::DoNotOptimize(UpdateNodeHydraulics(&n));
        if (++k == nodes.size()) k = 0;
        area = area > 400 ? 40 : area + 3.7;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UpdateNodeHydraulicsRectangle);

void BM_BuildCrossSectionTable(benchmark::State& state)
{
    SetModelDefaults();
    const int points = static_cast<int>(state.range(0));
    const int levels = static_cast<int>(state.range(1));
    CrossSectionTable t;
    FillNaturalSection(t, points, 3);
    for (auto _ : state) {
        BuildCrossSectionTable(&t, -levels);
        benchmark::DoNotOptimize(t.Properties.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildCrossSectionTable)->Args({100, 300})->Args({100, 50})->Args({1000, 300})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
