// The settings dialogs and the editors of many items on the New command's channel of 10,000
// nodes: Manning's n opened (its grid filled and fitted), an Apply of one changed row (one
// property table rebuilt), an Apply of a whole column of changed cells (as a paste of a column
// gives them), and Global Settings opened (its layout by file type). Runs on Qt's offscreen
// platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <filesystem>
#include <functional>
#include <string>

#include "app/EditManningsDlg.h"
#include "app/GlobalSettingsDlg.h"
#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "bench/ChannelBenchSupport.h"
#include "bench/GuiBenchSupport.h"
#include "datalib/ModelState.h"
#include "platform/Application.h"
#include "platform/TestHooks.h"
#include "platform/UiThread.h"

namespace {

using benchsupport::Silence;

constexpr const char* BenchName = "settings";
constexpr int Nodes = 10000;

// The document with the channel open, made once.
CVasquilDoc& Document()
{
    static CVasquilDoc* doc = [] {
        auto* d = new CVasquilDoc();
        Silence quiet;
        d->OnOpenDocument(benchsupport::ChannelFile(BenchName, Nodes));
        return d;
    }();
    return *doc;
}

void OpenManningsN(benchmark::State& state)
{
    CVasquilDoc& doc = Document();
    for (auto _ : state) {
        CEditManningsDlg dialog(doc.DisplayModel.get(), doc.State.get());
        benchsupport::RunModal(dialog, [](CDialog&) {});
    }
}

void ApplyOneRow(benchmark::State& state)
{
    CVasquilDoc& doc = Document();
    CEditManningsDlg dialog(doc.DisplayModel.get(), doc.State.get());
    benchsupport::RunModal(dialog, [&](CDialog&) {
        int i = 0;
        for (auto _ : state) {
            dialog.Grid.SetCellTextChecked(Nodes / 2, 2, (i++ % 2) ? "0.026" : "0.025");
            dialog.OnApply();
        }
    });
}

void ApplyColumn(benchmark::State& state)
{
    CVasquilDoc& doc = Document();
    CEditManningsDlg dialog(doc.DisplayModel.get(), doc.State.get());
    benchsupport::RunModal(dialog, [&](CDialog&) {
        int i = 0;
        for (auto _ : state) {
            state.PauseTiming();
            const char* text = (i++ % 2) ? "0.026" : "0.025";
            for (int row = 1; row <= Nodes; ++row) dialog.Grid.SetCellTextChecked(row, 2, text);
            state.ResumeTiming();
            dialog.OnApply();
        }
    });
}

void OpenGlobalSettings(benchmark::State& state)
{
    CVasquilDoc& doc = Document();
    for (auto _ : state) {
        CGlobalSettingsDlg dialog;
        doc.State->PullGlobalSettings();
        dialog.TakeSettings(*doc.State);
        benchsupport::RunModal(dialog, [](CDialog&) {});
    }
}

BENCHMARK(OpenManningsN)->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyOneRow)->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenGlobalSettings)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv, [] { benchsupport::RemoveChannelFiles(BenchName, {Nodes}); });
}
