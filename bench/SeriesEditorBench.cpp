// The inflow editor on the largest thermal inflow (100,000 entries, nine columns): the dialog
// opened (its grid filled, fitted and stretched), an Apply of the whole grid, the entry count
// updated from 2 to 100,000, a paste of 100,000 lines, and a scrolled screen repainted. Runs
// on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <functional>
#include <string>

#include "app/EditInflowBCDlg.h"
#include "bench/GuiBenchSupport.h"
#include "datalib/TimeSeries.h"
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/OleData.h"
#include "platform/TestHooks.h"
#include "platform/UiThread.h"
#include "resources/ResourceIds.h"

namespace {

using VQXDisplayLib::VQXTimeSeries;
using VQXDisplayLib::VQXTimeSeriesEntry;

constexpr int Entries = 100000;
constexpr int ThermalColumnSet = 3;

// n entries one hour apart, every field varying from row to row.
VQXTimeSeries Ramp(int n)
{
    VQXTimeSeries series;
    for (int i = 0; i < n; ++i) {
        VQXTimeSeriesEntry e;
        e.Time = i;
        e.Discharge = 10.0 + i;
        e.WaterTemperature = 0.1 * (i % 100);
        e.FrazilConcentration = 0.2 * (i % 100);
        e.IceVelocity = 0.3 * (i % 100);
        e.IceConcentration = 0.4 * (i % 100);
        e.SlushThickness = 0.01 * (i % 100);
        e.SolidIceThickness = 0.02 * (i % 100);
        series.push_back(e);
    }
    return series;
}

const VQXTimeSeries& Largest()
{
    static const VQXTimeSeries series = Ramp(Entries);
    return series;
}

void Prepare(CEditInflowBCDlg& dialog, const VQXTimeSeries& series)
{
    dialog.ColumnSet = ThermalColumnSet;
    dialog.Title = "BC # 1    ( Type = Inflow Hydrograph )";
    dialog.Entries = int(series.size());
    dialog.Series = series;
}

void Press(CDialog& d, int id)
{
    static_cast<CButton*>(d.GetDlgItem(id))->Click();
}

void OpenLargestThermalInflow(benchmark::State& state)
{
    for (auto _ : state) {
        CEditInflowBCDlg dialog;
        Prepare(dialog, Largest());
        benchsupport::RunModal(dialog, [](CDialog&) {});
    }
}

void ApplyLargestThermalInflow(benchmark::State& state)
{
    CEditInflowBCDlg dialog;
    Prepare(dialog, Largest());
    MessageBoxSink boxes;
    benchsupport::RunModal(dialog, [&](CDialog&) {
        int i = 0;
        for (auto _ : state) {
            state.PauseTiming();
            dialog.Grid.SetCellTextChecked(Entries / 2, 2, (i++ % 2) ? "7" : "8");
            state.ResumeTiming();
            dialog.OnApply();
        }
        state.counters["boxes"] = double(boxes.shown.size());
    });
}

void UpdateEntriesTo100000(benchmark::State& state)
{
    CEditInflowBCDlg dialog;
    Prepare(dialog, Ramp(2));
    MessageBoxSink boxes;
    benchsupport::RunModal(dialog, [&](CDialog& d) {
        for (auto _ : state) {
            state.PauseTiming();
            d.GetDlgItem(IDC_SERIES_ENTRIES)->SetWindowText("2");
            Press(d, IDC_SERIES_UPDATE_ENTRIES);
            d.GetDlgItem(IDC_SERIES_ENTRIES)->SetWindowText("100000");
            state.ResumeTiming();
            Press(d, IDC_SERIES_UPDATE_ENTRIES);
        }
        state.counters["rows"] = dialog.Grid.RowCount();
        state.counters["boxes"] = double(boxes.shown.size());
    });
}

void Paste100000Lines(benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < Entries; ++i) {
        text += std::to_string(i);
        for (int k = 0; k < 7; ++k) text += "\t" + std::to_string(i % 100) + ".5";
        text += "\n";
    }
    MessageBoxSink boxes;
    for (auto _ : state) {
        state.PauseTiming();
        CEditInflowBCDlg dialog;
        Prepare(dialog, Ramp(2));
        state.ResumeTiming();
        benchsupport::RunModal(dialog, [&](CDialog&) {
            COleDataObject block;
            block.AttachText(text);
            benchmark::DoNotOptimize(dialog.Grid.PasteText(1, 1, &block, TRUE));
            state.counters["rows"] = dialog.Grid.RowCount();
        });
    }
    state.counters["boxes"] = double(boxes.shown.size());
}

void RepaintScrolledScreen(benchmark::State& state)
{
    CEditInflowBCDlg dialog;
    Prepare(dialog, Largest());
    benchsupport::RunModal(dialog, [&](CDialog&) {
        dialog.Grid.ScrollCellIntoView(Entries / 2, 8);
        for (auto _ : state) {
            dialog.Grid.Invalidate();
            dialog.Grid.SendMessage(WM_PAINT);
        }
    });
}

BENCHMARK(OpenLargestThermalInflow)->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyLargestThermalInflow)->Unit(benchmark::kMillisecond);
BENCHMARK(UpdateEntriesTo100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Paste100000Lines)->Unit(benchmark::kMillisecond);
BENCHMARK(RepaintScrolledScreen)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv);
}
