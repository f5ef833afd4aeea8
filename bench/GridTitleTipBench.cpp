// The time from a mouse move onto a grid cell whose text does not fit to its title tip shown and
// painted, on the largest series an editor shows (100,001 rows by 9 columns, the headings in
// columns too narrow for them). Each move starts from a cell whose text fits, where the tip is
// hidden. Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include "GridHostDialog.h"

#include "controls/TitleTip.h"

#include "bench/GuiBenchSupport.h"
#include "platform/UiThread.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <cstdio>

using namespace gridhost;

namespace {

// Qt's offscreen platform notes that it cannot raise the tip on every show: that says nothing
// about the figures.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

constexpr int NarrowColumn = 60;  // pixels: "Frazil Slush Thickness (m)" does not fit
constexpr int TipColumn = 7;

struct HostedGrid
{
    HostedGrid()
    {
        dialog.Create(HostDialogId);
        for (int col = 1; col < HostColumns; ++col) dialog.Grid.SetColumnWidth(col, NarrowColumn);
        dialog.Grid.UpdateScrollBars();
        dialog.GetWidget()->activateWindow();
        QCoreApplication::processEvents();
        dialog.Grid.SetFocus();
        QCoreApplication::processEvents();
    }
    CGridHostDlg dialog;
};

// The centre of a cell in the grid's client coordinates.
QPoint Centre(CGridCtrl& grid, int row, int col)
{
    CRect rect;
    grid.GetCellRect(row, col, &rect);
    return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void MoveTo(CGridCtrl& grid, QPoint at)
{
    QWidget* client = grid.GetClientWidget();
    QMouseEvent move(QEvent::MouseMove, at, client->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(client, &move);
}

CTitleTip* FindTip()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* tip = dynamic_cast<CTitleTip*>(CWnd::FromWidget(w))) return tip;
    }
    return nullptr;
}

void BM_TitleTipShowsAfterAMove(benchmark::State& state)
{
    HostedGrid host;
    CGridCtrl& grid = host.dialog.Grid;
    if (CWnd::GetFocus() != &grid) {
        state.SkipWithError("the grid has no keyboard focus");
        return;
    }
    const QPoint fits = Centre(grid, 5, 0);
    const QPoint wide = Centre(grid, 0, TipColumn);
    int shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MoveTo(grid, fits);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        MoveTo(grid, wide);
        QCoreApplication::processEvents();  // the tip's paint
        const CTitleTip* tip = FindTip();
        shown += tip && tip->IsWindowVisible() ? 1 : 0;
    }
    if (shown != int(state.iterations())) state.SkipWithError("the tip did not show after every move");
    state.counters["rows"] = grid.RowCount();
}

}  // namespace

BENCHMARK(BM_TitleTipShowsAfterAMove)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(500);

int main(int argc, char** argv)
{
    qInstallMessageHandler(QuietOffscreenNotes);
    return benchsupport::RunWindowBenchmarks(argc, argv);
}
