// The grid's costs with the largest series an editor shows (100,001 rows by 9 columns): a paint
// of a 1280 x 800 client at the middle of the series, the thumb dragged to the end with the
// paint that follows, scrolling row 1 back into view from the end with its paint, and filling
// the grid (counts and one item per cell), with the memory the filled grid takes. Runs on Qt's
// offscreen platform unless QT_QPA_PLATFORM names another.
#include "GridHostDialog.h"

#include "bench/GuiBenchSupport.h"
#include "platform/UiThread.h"

#include <benchmark/benchmark.h>

#include "platform/Printing.h"

#include <QAbstractScrollArea>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QScrollBar>
#include <QWidget>

#include <malloc.h>

#include <memory>

using namespace gridhost;

namespace {

constexpr int ClientWidth = 1280;
constexpr int ClientHeight = 800;

// The heap memory in use, in bytes.
long long HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
}

// The host dialog with its filled grid, its client area 1280 x 800.
struct BigGrid
{
    BigGrid()
    {
        dialog.Create(HostDialogId);
        dialog.GetWidget()->setFixedSize(ClientWidth + 100, ClientHeight + 100);
        CGridCtrl& grid = dialog.Grid;
        grid.MoveWindow(0, 0, ClientWidth + 40, ClientHeight + 40, TRUE);
        CRect client;
        grid.GetClientRect(&client);
        grid.MoveWindow(0, 0, ClientWidth + 40 + (ClientWidth - client.Width()), ClientHeight + 40 + (ClientHeight - client.Height()), TRUE);
        // The columns share the width, so only the vertical bar shows.
        for (int col = 0; col < grid.ColumnCount(); ++col) grid.SetColumnWidth(col, ClientWidth / HostColumns);
        grid.UpdateScrollBars();
        QCoreApplication::processEvents();
    }
    CGridHostDlg dialog;
};

// Made at the first use and let go before the Qt application ends (its window needs it).
std::unique_ptr<BigGrid>& GridHolder()
{
    static std::unique_ptr<BigGrid> big;
    return big;
}

BigGrid& Grid()
{
    if (!GridHolder()) GridHolder() = std::make_unique<BigGrid>();
    return *GridHolder();
}

QScrollBar* VerticalBar(CGridCtrl& grid)
{
    return static_cast<QAbstractScrollArea*>(grid.GetWidget())->verticalScrollBar();
}

// The whole client area painted into the window's picture, as a paint does.
void PaintAll(CGridCtrl& grid)
{
    grid.Invalidate();
    grid.SendMessage(WM_PAINT);
}

void BM_PaintClientAtTheMiddle(benchmark::State& state)
{
    CGridCtrl& grid = Grid().dialog.Grid;
    grid.ScrollCellIntoView(50000, 1);
    CRect client;
    grid.GetClientRect(&client);
    const CellRange shown = grid.VisibleScrollableRange();
    for (auto _ : state) PaintAll(grid);
    state.counters["client_w"] = client.Width();
    state.counters["client_h"] = client.Height();
    state.counters["cells"] = double((shown.maxRow - shown.minRow + 2) * (shown.maxCol - shown.minCol + 2));
}

void BM_ThumbToTheEndAndPaint(benchmark::State& state)
{
    CGridCtrl& grid = Grid().dialog.Grid;
    QScrollBar* bar = VerticalBar(grid);
    for (auto _ : state) {
        state.PauseTiming();
        grid.ScrollCellIntoView(1, 1);
        PaintAll(grid);
        state.ResumeTiming();
        bar->setSliderDown(true);
        bar->setSliderPosition(bar->maximum());
        bar->setSliderDown(false);
        grid.SendMessage(WM_PAINT);
    }
    state.counters["last_row"] = grid.VisibleScrollableRange().maxRow;
}

void BM_ScrollRowOneIntoViewFromTheEndAndPaint(benchmark::State& state)
{
    CGridCtrl& grid = Grid().dialog.Grid;
    for (auto _ : state) {
        state.PauseTiming();
        grid.ScrollCellIntoView(100000, 1);
        PaintAll(grid);
        state.ResumeTiming();
        grid.ScrollCellIntoView(1, 1);
        grid.SendMessage(WM_PAINT);
    }
    state.counters["top_row"] = grid.TopLeftScrollableCell().row;
}

void BM_FillSeriesGrid(benchmark::State& state)
{
    long long memory = 0;
    for (auto _ : state) {
        auto grid = std::make_unique<CGridCtrl>();
        const long long before = HeapInUse();
        FillSeries(*grid, SeriesEntries);
        memory = HeapInUse() - before;
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["heap_MB"] = double(memory) / (1024.0 * 1024.0);
    state.counters["bytes_per_cell"] = double(memory) / (double(SeriesEntries + 1) * HostColumns);
    state.counters["cells"] = double(SeriesEntries + 1) * HostColumns;
}

// Laying the series grid out in printed pages (the page starts found in one walk).
void BM_BeginPrintSeriesGrid(benchmark::State& state)
{
    CGridCtrl& grid = Grid().dialog.Grid;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QTemporaryDir dir;
    printer.setOutputFileName(dir.filePath("layout.pdf"));
    CDC dc(&printer);
    CPrintInfo info;
    for (auto _ : state) {
        grid.BeginPrint(&dc, &info);
        benchmark::DoNotOptimize(info.GetMaxPage());
        grid.EndPrint(&dc, &info);
    }
    state.counters["pages"] = double(info.GetMaxPage());
}

// The whole series grid printed into a PDF file: its pages and size.
void BM_PrintSeriesGridToPdf(benchmark::State& state)
{
    CGridCtrl& grid = Grid().dialog.Grid;
    QTemporaryDir dir;
    const QString path = dir.filePath("series.pdf");
    UINT pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        CDC dc(&printer);
        CPrintInfo info;
        grid.BeginPrint(&dc, &info);
        pages = info.GetMaxPage();
        for (UINT page = 1; page <= pages; ++page) {
            if (page > 1) printer.newPage();
            info.m_nCurPage = page;
            grid.PrintPage(&dc, &info);
        }
        grid.EndPrint(&dc, &info);
    }
    state.counters["pages"] = double(pages);
    state.counters["pdf_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

}  // namespace

BENCHMARK(BM_BeginPrintSeriesGrid)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PrintSeriesGridToPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PaintClientAtTheMiddle)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThumbToTheEndAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrollRowOneIntoViewFromTheEndAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillSeriesGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv, [] { GridHolder().reset(); });
}
