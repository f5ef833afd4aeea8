// The node table's costs: the values rewritten after a run's step at 1,000 nodes by 40 columns
// with the repaint that follows (a 1280 x 800 view), the table built at 10,000 nodes by 40
// columns, and a 1,000-node run's step with and without the table shown, whose difference is
// the table's share of the step handshake.
//
// The New command's channel stands for the model; for 40 columns its model state is taken as
// thermal ice with nutrients loaded (34 + 6 columns), which changes what the table lists and
// nothing it computes. The run uses the channel as it is (open water, 15 columns).
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include "app/RunTransDlg.h"
#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "bench/ChannelBenchSupport.h"
#include "bench/GuiBenchSupport.h"
#include "controls/GridCtrl.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/WaterQualityFile.h"
#include "platform/TestHooks.h"
#include "platform/UiThread.h"
#include "resources/ResourceIds.h"
#include "views/NodeTableView.h"

#include <QCoreApplication>

#include <clocale>
#include <memory>
#include <string>

namespace {

using benchsupport::Silence;
using VQXDisplayLib::VQXDisplayNode;

constexpr int ViewWidth = 1280;
constexpr int ViewHeight = 800;
constexpr int RefreshNodes = 1000;
constexpr int BuildNodes = 10000;
constexpr const char* BenchName = "node-table";

// The channel of `nodes` open in a document, and the node table over a window of its own,
// built. With wide, the table lists the 40 columns of thermal ice with nutrients.
struct TableOnChannel {
    TableOnChannel(int nodes, bool wide)
    {
        {
            Silence quiet;
            opened = document.OnOpenDocument(benchsupport::ChannelFile(BenchName, nodes));
        }
        if (!opened) return;
        if (wide) {
            document.State->FileType = FileTypeThermalIce;
            document.State->WQType = WQNutrients;
            document.WaterQualityLoaded = 1;
        }
        host.Create(nullptr, "node table", WS_VISIBLE, CRect(0, 0, ViewWidth, ViewHeight), nullptr, 0);
        view = new CNodeTableView;  // deletes itself with its window
        view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, ViewWidth, ViewHeight), &host, 1);
        document.AddView(view);
        document.NodeTableRebuild = 1;
        view->OnInitialUpdate();
        QCoreApplication::processEvents();
    }
    ~TableOnChannel()
    {
        if (host.GetSafeHwnd()) host.DestroyWindow();
    }
    int Columns() const { return view ? view->Grid.ColumnCount() : 0; }
    int Rows() const { return view ? view->Grid.RowCount() - 1 : 0; }

    CVasquilDoc document;
    BOOL opened = FALSE;
    CWnd host;
    CNodeTableView* view = nullptr;
};

// After a step: every node's values moved (so every text changes), the refresh flag set, the
// values rewritten and the grid painted as the invalidation has it.
void RefreshValuesAndRepaint(benchmark::State& state)
{
    TableOnChannel table(RefreshNodes, true);
    if (!table.opened || table.Rows() != RefreshNodes || table.Columns() != 40) {
        state.SkipWithError("the table did not list 1,000 nodes by 40 columns");
        return;
    }
    VQXDisplayLib::VQXDisplayModel& model = *table.document.DisplayModel;
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double shift = ++step % 2 ? 0.001 : -0.001;
        for (VQXDisplayNode* n = model.FirstNode(); n; n = model.NextNode()) {
            n->Stage += shift;
            n->Velocity += shift;
            n->FluxDischarge += shift;
            n->WQValues[0] += shift;
        }
        table.document.State->RefreshFlag = 1;
        state.ResumeTiming();
        table.view->RefreshValues();
        table.view->Grid.SendMessage(WM_PAINT);
    }
    state.counters["rows"] = table.Rows();
    state.counters["columns"] = table.Columns();
}

// The values rewritten alone, without the paint.
void RefreshValuesOnly(benchmark::State& state)
{
    TableOnChannel table(RefreshNodes, true);
    if (!table.opened || table.Rows() != RefreshNodes || table.Columns() != 40) {
        state.SkipWithError("the table did not list 1,000 nodes by 40 columns");
        return;
    }
    for (auto _ : state) {
        table.document.State->RefreshFlag = 1;
        table.view->RefreshValues();
    }
    state.counters["cells"] = double(table.Rows()) * table.Columns();
}

// The table built again (a rebuild after Accept, an open or a change of units).
void BuildGrid10000(benchmark::State& state)
{
    TableOnChannel table(BuildNodes, true);
    if (!table.opened || table.Rows() != BuildNodes || table.Columns() != 40) {
        state.SkipWithError("the table did not list 10,000 nodes by 40 columns");
        return;
    }
    for (auto _ : state) {
        table.document.NodeTableRebuild = 1;
        table.view->BuildGrid();
    }
    state.counters["rows"] = table.Rows();
    state.counters["columns"] = table.Columns();
}

// One hour of the 1,000-node channel in steps of a minute from its transient dialog, the
// window under the table painted after every step (what the frame's paint does in the
// program); with range 1 the table is that window's view, with 0 the window is empty.
constexpr double RunHours = 1.0;
constexpr double StepSeconds = 60.0;

void Run1000Step(benchmark::State& state)
{
    const bool withTable = state.range(0) != 0;
    MessageBoxSink boxes;
    int handled = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<TableOnChannel>(RefreshNodes, false);
        if (!table->opened || (withTable && table->Rows() != RefreshNodes)) {
            state.SkipWithError("the channel did not open");
            return;
        }
        if (!withTable) table->view->DestroyWindow();
        CVasquilDoc& doc = table->document;
        doc.OnSimulationTransient();
        CRunTransDlg& dialog = *doc.TransientDialog;
        dialog.LoadFromModel();
        dialog.PresentTime = 0;
        dialog.FinalTime = RunHours;
        dialog.TimeStep = dialog.MaxTimeStep = StepSeconds / 3600;
        dialog.UpdateData(FALSE);
        handled = 0;
        dialog.StepHandledHook = [&](int) {
            table->host.UpdateWindow();
            ++handled;
        };
        state.ResumeTiming();
        {
            Silence quiet;
            static_cast<CButton*>(dialog.GetDlgItem(IDC_RUN_BUTTON))->Click();
            while (dialog.Running) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        state.PauseTiming();
        dialog.StepHandledHook = nullptr;
        table.reset();
        state.ResumeTiming();
    }
    state.counters["steps"] = handled;
    state.counters["per_step"] =
        benchmark::Counter(double(handled), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (!boxes.shown.empty()) state.SkipWithError(boxes.shown.front().text.c_str());
}

// The same with a different text in every value cell of the real-valued columns (each node's
// values moved apart), so that no cell's width is known from another's.
void BuildGrid10000Distinct(benchmark::State& state)
{
    TableOnChannel table(BuildNodes, true);
    if (!table.opened || table.Rows() != BuildNodes || table.Columns() != 40) {
        state.SkipWithError("the table did not list 10,000 nodes by 40 columns");
        return;
    }
    // Column ids of the real values a node holds for the table (no integer, no section code).
    const int realColumns[] = {1, 4, 5, 6, 7, 8, 9, 11, 32, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                               23, 24, 25, 27, 28, 29, 30, 36, 41, 42, 43, 44, 45, 46};
    int k = 0;
    VQXDisplayLib::VQXDisplayModel& model = *table.document.DisplayModel;
    for (VQXDisplayNode* n = model.FirstNode(); n; n = model.NextNode(), ++k) {
        for (const int id : realColumns) n->SetColumnValue(id, std::to_string(100.0 + id + k * 0.01357));
    }
    for (auto _ : state) {
        table.document.NodeTableRebuild = 1;
        table.view->BuildGrid();
    }
    state.counters["rows"] = table.Rows();
    state.counters["columns"] = table.Columns();
}

BENCHMARK(RefreshValuesAndRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(RefreshValuesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildGrid10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildGrid10000Distinct)->Unit(benchmark::kMillisecond);
BENCHMARK(Run1000Step)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv, [] {
        benchsupport::RemoveChannelFiles(BenchName, {RefreshNodes, BuildNodes});
    });
}
