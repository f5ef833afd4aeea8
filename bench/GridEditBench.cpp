// The grid's editing costs with the largest series an editor shows (100,001 rows by 9
// columns): fitting every column and row to its texts, Select All with Copy to the clipboard,
// a paste of 100,000 lines and Delete of a 100,001 x 3 block (each cell through an owner that
// answers as the series editors do), and a sort of the rows by a column of numbers. Runs on
// Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include "GridHostDialog.h"

#include "platform/OleData.h"
#include "bench/GuiBenchSupport.h"
#include "platform/UiThread.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace gridhost;

namespace {

// The host dialog with its filled grid and the editors' end-edit answer, created once for all
// the benchmarks and kept to the end of the process (it must not outlive the application
// object in a destructor).
CEditorHostDlg& Host()
{
    static CEditorHostDlg* dialog = [] {
        auto* d = new CEditorHostDlg;
        d->Record = false;
        d->Create(HostDialogId);
        QCoreApplication::processEvents();
        return d;
    }();
    return *dialog;
}

// Every entry's row as a spreadsheet gives it: eight fields of the series' values written
// with as few digits as they need (so none is the text the editors show), tabs between, LF
// line ends.
std::string SpreadsheetText(int lines)
{
    std::string text;
    char field[32];
    for (int row = 1; row <= lines; ++row) {
        for (int col = 1; col < HostColumns; ++col) {
            if (col > 1) text += '\t';
            std::snprintf(field, sizeof field, "%g", std::strtod(SeriesText(row, col).c_str(), nullptr) + 0.5);
            text += field;
        }
        text += '\n';
    }
    return text;
}

void BM_FitAllToText(benchmark::State& state)
{
    CGridCtrl& grid = Host().Grid;
    for (auto _ : state) grid.FitAllToText();
    state.counters["cells"] = double(grid.RowCount()) * grid.ColumnCount();
}

void BM_SelectAllAndCopy(benchmark::State& state)
{
    CGridCtrl& grid = Host().Grid;
    for (auto _ : state) {
        grid.OnEditSelectAll();
        grid.OnEditCopy();
    }
    COleDataObject data;
    data.AttachClipboard();
    std::string text;
    data.GetText(&text);
    state.counters["clipboard_MB"] = double(text.size()) / (1024.0 * 1024.0);
    grid.SetSelectedRange(-1, -1, -1, -1);
}

void BM_Paste100000Lines(benchmark::State& state)
{
    CGridCtrl& grid = Host().Grid;
    const std::string text = SpreadsheetText(SeriesEntries);
    Host().Forget();
    for (auto _ : state) {
        COleDataObject data;
        data.AttachText(text);
        grid.PasteText(1, 1, &data, FALSE);
    }
    state.counters["text_MB"] = double(text.size()) / (1024.0 * 1024.0);
    state.counters["owner_answers"] = double(Host().EndEdits) / double(state.iterations());
}

void BM_DeleteBlockOfThreeColumns(benchmark::State& state)
{
    CGridCtrl& grid = Host().Grid;
    Host().Forget();
    for (auto _ : state) {
        state.PauseTiming();
        FillSeries(grid, SeriesEntries);
        grid.SetSelectedRange(1, 1, grid.RowCount() - 1, 3);
        state.ResumeTiming();
        grid.ClearSelectedCells();
    }
    state.counters["cells"] = double(grid.RowCount() - 1) * 3;
    state.counters["owner_answers"] = double(Host().EndEdits) / double(state.iterations());
}

// Each pass sorts the rows of the pass before the other way round.
void BM_SortRowsByNumber(benchmark::State& state)
{
    CGridCtrl& grid = Host().Grid;
    FillSeries(grid, SeriesEntries);
    grid.CompareFunc = &CGridCtrl::CompareCellNumbers;
    BOOL ascending = FALSE;
    for (auto _ : state) {
        grid.SortByColumn(0, ascending);
        ascending = !ascending;
    }
    state.counters["rows"] = grid.RowCount() - 1;
}

}  // namespace

BENCHMARK(BM_FitAllToText)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SelectAllAndCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Paste100000Lines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DeleteBlockOfThreeColumns)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SortRowsByNumber)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv);
}
