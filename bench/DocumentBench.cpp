// Opening a model in the document: the reader's time alone, and the whole open (the reader,
// then the display model, the model state, the results writer and the lists). The document's
// own share is the difference; it stays below the reader's and grows linearly with the nodes.
// The model is the New command's trapezoidal channel of 1,000 and 10,000 nodes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "bench/ChannelBenchSupport.h"
#include "engine/ModelFiles.h"

namespace {

using benchsupport::PerNode;
using benchsupport::Silence;

// The channel files' part of their names.
constexpr const char* BenchName = "document";

void ReadModel(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    const std::filesystem::path path = benchsupport::ChannelFile(BenchName, nodes);
    Silence quiet;
    for (auto _ : state) {
        if (LoadModelFile(path) != 0) state.SkipWithError("the model was refused");
    }
    PerNode(state, nodes);
}

void OpenDocument(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    const std::filesystem::path path = benchsupport::ChannelFile(BenchName, nodes);
    CVasquilDoc doc;
    Silence quiet;
    for (auto _ : state) {
        if (!doc.OnOpenDocument(path)) state.SkipWithError("the model was refused");
    }
    PerNode(state, nodes);
}

BENCHMARK(ReadModel)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenDocument)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    benchsupport::RemoveChannelFiles(BenchName, {1000, 10000});
    return 0;
}
