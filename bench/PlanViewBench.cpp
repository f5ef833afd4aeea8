// The plan view's refresh on the road of a run: one whole paint of the view at 1280 x 800
// pixels per step, of a meandering river of 10,000 nodes coloured by its water surface, with
// elements, flow arrows, nodes, legend and scale bar; the same with a label at every node, and
// over an 8,000 x 8,000 map image. And a step of a transient run of the New command's channel
// of 10,000 nodes with its refresh and the plan's paint, with the paint's share of the whole.
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "bench/ChannelBenchSupport.h"
#include "bench/GuiBenchSupport.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/TimeStepping.h"
#include "platform/UiThread.h"
#include "views/PlanView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QWidget>
#include <QWindow>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using benchsupport::PerNode;
using benchsupport::Silence;
using VQXDisplayLib::VQXDisplayInteriorElement;
using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;

constexpr int ViewWidth = 1280;
constexpr int ViewHeight = 800;
constexpr int MeanderNodes = 10000;
constexpr int MapPixels = 8000;
constexpr const char* BenchName = "plan";

// A river of nodes 5 m apart that meanders east across 40 km, its surface falling 20 m, with
// junction-free elements between neighbours.
std::unique_ptr<VQXDisplayModel> Meander(int nodes)
{
    auto model = std::make_unique<VQXDisplayModel>();
    std::vector<VQXDisplayNode*> made;
    for (int i = 0; i < nodes; ++i) {
        auto* node = new VQXDisplayNode();
        node->Number = i + 1;
        const double along = 40000.0 * i / (nodes - 1);
        node->Easting = 500000.0 + along;
        node->Northing = 6000000.0 + 3000.0 * std::sin(along / 2500.0);
        node->Stage = 120.0 - 20.0 * along / 40000.0;
        node->FluxDischarge = 50.0;
        made.push_back(model->AppendNode(node));
    }
    for (int i = 1; i < nodes; ++i)
        model->AppendInteriorElement(new VQXDisplayInteriorElement(i, made[i - 1], made[i]));
    model->CollectReachNumbers();
    return model;
}

// A document and a plan view of it in a window of its own.
struct PlanOnModel {
    PlanOnModel()
    {
        host.Create(nullptr, "plan", WS_VISIBLE, CRect(0, 0, ViewWidth, ViewHeight), nullptr, 0);
        view = new CPlanView;  // deletes itself with its window
        view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, ViewWidth, ViewHeight), &host, 1);
        document.AddView(view);
        // Paints reach a window once the window system shows it.
        QElapsedTimer waited;
        waited.start();
        const QWindow* window = host.GetWidget()->windowHandle();
        while ((!window || !window->isExposed()) && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ~PlanOnModel()
    {
        host.DestroyWindow();
        document.DisplayModel.reset();
    }
    // The reset after an open, then the benchmark's options.
    void Show(bool labels)
    {
        document.PlanViewReset = 1;
        Paint();
        PlanViewSettings& o = view->Options;
        o.ShowParameter = 1;
        o.PlotVariable = VQXDisplayLib::PlotWaterSurfaceElevation;
        o.ShowNodes = o.ShowFlowArrows = o.ShowScaleBar = 1;
        o.ShowNodeNumbers = labels ? 1 : 0;
        Paint();
    }
    void Paint()
    {
        view->Invalidate(FALSE);
        view->UpdateWindow();
    }

    CVasquilDoc document;
    CWnd host;
    CPlanView* view = nullptr;
};

void Redraw(benchmark::State& state, bool labels)
{
    PlanOnModel plan;
    plan.document.DisplayModel = Meander(MeanderNodes);
    plan.Show(labels);
    if (plan.document.PlanViewReset != 0) {
        state.SkipWithError("the plan was not painted");
        return;
    }
    for (auto _ : state) plan.Paint();
    PerNode(state, MeanderNodes);
}

void RedrawColouredPlan(benchmark::State& state)
{
    Redraw(state, false);
}
void RedrawColouredPlanWithNodeNumbers(benchmark::State& state)
{
    Redraw(state, true);
}

// The map image: the river's box on 8,000 x 8,000 pixels of 5 m.
void RedrawColouredPlanOverMap(benchmark::State& state)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vasquil-plan-bench-" + std::to_string(::getpid()) + ".png");
    {
        QImage map(MapPixels, MapPixels, QImage::Format_RGB32);
        for (int y = 0; y < MapPixels; ++y) {
            auto* line = reinterpret_cast<QRgb*>(map.scanLine(y));
            for (int x = 0; x < MapPixels; ++x) line[x] = qRgb(200 + (x / 64) % 40, 210 + (y / 64) % 30, 180);
        }
        QImageWriter writer(QString::fromStdString(path.string()));
        writer.setCompression(1);
        if (!writer.write(map)) {
            state.SkipWithError("the map could not be written");
            return;
        }
    }
    PlanOnModel plan;
    plan.document.DisplayModel = Meander(MeanderNodes);
    const bool loaded = SUCCEEDED(plan.document.MapImage.Load(path));
    std::filesystem::remove(path);
    if (!loaded) {
        state.SkipWithError("the map did not load");
        return;
    }
    plan.document.WorldFile = {5.0, 0.0, 0.0, -5.0, 499000.0, 6016000.0};
    plan.document.MapImageLoaded = 1;
    plan.document.PlanViewFitImage = 1;
    plan.Show(false);
    if (!plan.view->Options.ShowMapImage) {
        state.SkipWithError("the map is not shown");
        return;
    }
    for (auto _ : state) plan.Paint();
    PerNode(state, MeanderNodes);
}

// One accepted step of a transient run and the refresh that follows it: the display nodes'
// refresh and the plan's paint; the counter "paint_share" is the paint's part of the whole.
void StepAndPaint(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    PlanOnModel plan;
    {
        Silence quiet;
        if (!plan.document.OnOpenDocument(benchsupport::ChannelFile(BenchName, nodes))) {
            state.SkipWithError("the channel did not open");
            return;
        }
    }
    plan.Show(false);
    ModelControl& mc = g_ModelControl;
    mc.FinalTime = 1e12;
    mc.SeriesInterval = mc.SnapshotInterval = mc.IceFrontInterval = mc.StateFileInterval = mc.DatabaseInterval = 0;
    QElapsedTimer clock;
    double stepping = 0, painting = 0;
    Silence quiet;
    for (auto _ : state) {
        clock.start();
        const double before = mc.ModelTime;
        while (!(mc.ModelTime > before)) {
            if (TransientStep() != 0) {
                state.SkipWithError("the run cannot progress");
                return;
            }
        }
        plan.document.State->RefreshNodeResults();
        stepping += double(clock.nsecsElapsed());
        clock.start();
        plan.Paint();
        painting += double(clock.nsecsElapsed());
    }
    state.counters["paint_share"] = painting / (stepping + painting);
    PerNode(state, nodes);
}

BENCHMARK(RedrawColouredPlan)->Unit(benchmark::kMillisecond);
BENCHMARK(RedrawColouredPlanWithNodeNumbers)->Unit(benchmark::kMillisecond);
BENCHMARK(RedrawColouredPlanOverMap)->Unit(benchmark::kMillisecond);
BENCHMARK(StepAndPaint)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv, [] { benchsupport::RemoveChannelFiles(BenchName, {10000}); });
}
