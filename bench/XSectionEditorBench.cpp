// The cross-section editor's two costs after an edit: the chart rebuilt from a points grid of
// 1,000 entries (every property, the scene and its picture at the editor's chart size of about
// 1290 x 440 pixels), and Apply Changes at 1,000 points and 300 levels (the checks, the section
// built from the grids with its property table, and its write into the engine). The model is
// the New command's trapezoidal channel; its first node with a section takes the edits. And the
// editor's repaint of one run step (the view and its chart at the stage the step left).
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "bench/ChannelBenchSupport.h"
#include "bench/GuiBenchSupport.h"
#include "controls/GridCtrl.h"
#include "datalib/CrossSection.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "platform/UiThread.h"
#include "views/CrossSectionChart.h"
#include "views/XSectionGrids.h"
#include "views/XSectionTables.h"
#include "views/XSectionView.h"

#include <QCoreApplication>

#include <algorithm>
#include <clocale>
#include <cmath>

namespace {

using benchsupport::Silence;
using VQXDisplayLib::VQXDisplayNode;

constexpr int ChartWidth = 1290;
constexpr int ChartHeight = 440;
constexpr int ChannelNodes = 10;
constexpr int Points = 1000;
constexpr int Levels = 300;
constexpr const char* BenchName = "xsection";

// The channel open, its first sectioned node's grids holding a section of 1,000 points (a
// wide valley with a ripple), and the chart over a window of its own.
struct EditorOnChannel {
    EditorOnChannel()
    {
        Silence quiet;
        opened = document.OnOpenDocument(benchsupport::ChannelFile(BenchName, ChannelNodes));
        if (!opened) return;
        for (VQXDisplayNode* n = document.DisplayModel->FirstNode(); n; n = document.DisplayModel->NextNode()) {
            if (n->CrossSection && !node) node = n;
        }
        if (!node) return;
        const XSectionUnits units = XSectionUnitsFor(1);
        FillPointsGrid(points, node->CrossSection.get(), units);
        FillRoughnessGrid(roughness, node->CrossSection.get(), units);
        FillSinuosityGrid(sinuosity, node->CrossSection.get(), units);
        FillBankGrid(banks, node->CrossSection.get(), units);
        SetEntryRows(points, Points);
        for (int r = 1; r <= Points; ++r) {
            const double x = r - 1.0;
            points.SetCellText(r, 1, FormatXSectionNumber(x));
            points.SetCellText(r, 2, FormatXSectionNumber(100.0 + std::fabs(x - 500.0) / 50.0 + 0.1 * std::sin(x)));
        }
        banks.SetCellText(1, 0, FormatXSectionNumber(100.0));
        banks.SetCellText(1, 1, FormatXSectionNumber(900.0));

        CCrossSectionChart::RegisterWindowClass();
        host.Create(nullptr, "cross section", WS_VISIBLE, CRect(0, 0, ChartWidth, ChartHeight), nullptr, 0);
        chart.Create(CrossSectionChartWindowClass, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, ChartWidth, ChartHeight),
                     &host, 1006);
        chart.PointsGrid = &points;
        chart.BankGrid = &banks;
        chart.Node = node;
        chart.State = document.State.get();
        chart.DrawFlag = 10;
    }
    ~EditorOnChannel() { host.DestroyWindow(); }

    CVasquilDoc document;
    BOOL opened = FALSE;
    VQXDisplayNode* node = nullptr;
    CGridCtrl points, roughness, sinuosity, banks;
    CWnd host;
    CCrossSectionChart chart;
};

// An edited point, then the chart discarded and built again, as the end of an edit has it.
void ChartAfterEdit(benchmark::State& state)
{
    EditorOnChannel editor;
    if (!editor.node) {
        state.SkipWithError("the channel did not open with a sectioned node");
        return;
    }
    int row = 1;
    for (auto _ : state) {
        editor.points.SetCellText(row, 2, FormatXSectionNumber(99.0 + row % 7));
        RewriteEditedCell(editor.points, row, 2);
        editor.chart.DiscardChart();
        editor.chart.DrawChart();
        row = row % Points + 1;
    }
    state.counters["points"] = Points;
}

void ApplyChanges(benchmark::State& state)
{
    EditorOnChannel editor;
    if (!editor.node) {
        state.SkipWithError("the channel did not open with a sectioned node");
        return;
    }
    const XSectionTables tables{editor.points, editor.roughness, editor.sinuosity, editor.banks};
    for (auto _ : state) {
        if (!ValidateTables(tables).empty() ||
            !ApplyTables(tables, Levels, *editor.node, *editor.document.State).empty()) {
            state.SkipWithError("the section was refused");
            return;
        }
    }
    state.counters["points"] = double(editor.node->CrossSection->Points.size());
    state.counters["levels"] = double(editor.node->CrossSection->PropertyRows.size());
}

// The editor's repaint inside a run's step: the node's stage changes, the view paints and its
// chart is drawn again, at the editor's size on the channel's first node.
void RepaintPerStep(benchmark::State& state)
{
    CVasquilDoc document;
    {
        Silence quiet;
        if (!document.OnOpenDocument(benchsupport::ChannelFile(BenchName, ChannelNodes))) {
            state.SkipWithError("the channel did not open");
            return;
        }
    }
    CWnd host;
    host.Create(nullptr, "cross-section editor", WS_VISIBLE, CRect(0, 0, 1280, 800), nullptr, 0);
    auto* view = new CXSectionView;  // deletes itself with its window
    view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1280, 800), &host, 1);
    document.AddView(view);
    document.CrossSectionViewReset = 1;
    view->OnInitialUpdate();
    view->UpdateWindow();
    if (!view->Node) {
        state.SkipWithError("the editor shows no node");
        host.DestroyWindow();
        return;
    }
    int step = 0, drawn = 0;
    for (auto _ : state) {
        const auto before = ChartSceneOf(view->Chart.ChartWindow);
        view->Node->Stage += (++step % 2 ? 0.01 : -0.01);
        document.UpdateAllViews(nullptr);
        QCoreApplication::processEvents();
        drawn += ChartSceneOf(view->Chart.ChartWindow) != before ? 1 : 0;
    }
    // Every step must have drawn the chart again, or the figure measures nothing.
    state.counters["drawn_share"] = double(drawn) / std::max(step, 1);
    state.counters["points"] = double(view->Node->CrossSection->Points.size());
    host.DestroyWindow();
}

BENCHMARK(ChartAfterEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyChanges)->Unit(benchmark::kMillisecond);
BENCHMARK(RepaintPerStep)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv,
                                             [] { benchsupport::RemoveChannelFiles(BenchName, {ChannelNodes}); });
}
