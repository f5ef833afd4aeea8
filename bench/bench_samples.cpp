// Whole transient runs of the sample models as the headless runner makes them without outputs
// (no database, no result files: nothing cuts the steps): the thermal sample over 240 h, and
// the sample river with its nutrients over 24 h. Each run reads a copy of the model (and of the
// water-quality file) in a temporary folder; the reading is not timed. Reports per run the
// accepted and rejected steps, the Newton iterations of each system solved, the nodes, and the
// time per node and accepted step ("per_node_step").
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "bench/BenchSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"
#include "engine/Units.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

namespace {

namespace fs = std::filesystem;

// A sample run: the model and water-quality file (empty for none) of examples/, the hours run.
struct SampleRun {
    const char* Model;
    const char* WaterQuality;
    double FinalHours;
};
constexpr SampleRun Thermal{"sample-thermal.vqx", "", 240};
constexpr SampleRun RiverNutrients{"sample-river.vqx", "sample-river.nu", 24};

// A temporary folder holding copies of the sample's files, removed with it.
struct SampleCopy {
    fs::path Folder, Model, WaterQuality;
    explicit SampleCopy(const SampleRun& run)
    {
        const fs::path examples = fs::path(VASQUIL_SOURCE_DIR) / "examples";
        Folder = fs::temp_directory_path() / ("vasquil-bench-samples-" + std::to_string(::getpid()));
        fs::create_directories(Folder);
        Model = Folder / run.Model;
        fs::copy_file(examples / run.Model, Model, fs::copy_options::overwrite_existing);
        if (run.WaterQuality[0] != '\0') {
            WaterQuality = Folder / run.WaterQuality;
            fs::copy_file(examples / run.WaterQuality, WaterQuality, fs::copy_options::overwrite_existing);
        }
    }
    ~SampleCopy()
    {
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }
    SampleCopy(const SampleCopy&) = delete;
    SampleCopy& operator=(const SampleCopy&) = delete;
};

// Reads the copies and sets the run up as the runner does for a transient run without outputs.
// False when a file was refused.
bool LoadSample(const SampleCopy& copy, double finalHours)
{
    if (LoadModelFile(copy.Model) != ReadOk) return false;
    if (!copy.WaterQuality.empty() && LoadWQFile(copy.WaterQuality) != WQReadOk) return false;
    ModelControl& mc = g_ModelControl;
    if (mc.DeltaT > mc.MaxDeltaT) mc.DeltaT = mc.MaxDeltaT;
    mc.FinalTime = finalHours * SecondsPerHour;
    mc.SeriesInterval = mc.SnapshotInterval = mc.IceFrontInterval = mc.StateFileInterval = 0;
    mc.DatabaseInterval = 0;
    for (EquationSystem& es : g_EquationSystems) es.StructureBuilt = 0;
    return true;
}

// What one run did.
struct RunTally {
    long long Accepted = 0, Rejected = 0;
    long long Iterations[EquationSystemCount] = {};
};

// Steps the loaded model to its final time; false when a step could not be made.
bool RunToEnd(bool waterQuality, RunTally& tally)
{
    ModelControl& mc = g_ModelControl;
    int (*step)() = waterQuality ? RunWaterQualityStep : TransientStep;
    while (mc.ModelTime < mc.FinalTime) {
        const double before = mc.ModelTime;
        if (step() != StepMade) return false;
        if (!(mc.ModelTime > before)) {
            ++tally.Rejected;
            continue;
        }
        ++tally.Accepted;
        // The iterations of the accepted attempt (a rejected one's are not kept).
        for (int k = 0; k < EquationSystemCount; ++k) tally.Iterations[k] += g_EquationSystems[k].IterationCount;
    }
    return true;
}

void RunSample(benchmark::State& state, const SampleRun& run)
{
    const SampleCopy copy(run);
    const bool waterQuality = run.WaterQuality[0] != '\0';
    benchsupport::Silence quiet;
    RunTally tally;
    int nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const bool loaded = LoadSample(copy, run.FinalHours);
        nodes = g_ModelControl.NodeCount;
        state.ResumeTiming();
        if (!loaded) {
            state.SkipWithError("the sample was refused");
            break;
        }
        if (!RunToEnd(waterQuality, tally)) {
            state.SkipWithError("a step of the sample could not be made");
            break;
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["nodes"] = nodes;
    state.counters["steps"] = static_cast<double>(tally.Accepted) / runs;
    state.counters["rejected_steps"] = static_cast<double>(tally.Rejected) / runs;
    state.counters["hydro_iterations"] = static_cast<double>(tally.Iterations[HydrodynamicSystem]) / runs;
    if (g_ModelControl.DynamicIceOn)
        state.counters["ice_iterations"] = static_cast<double>(tally.Iterations[DynamicIceSystem]) / runs;
    if (g_ModelControl.ThermalIceOn)
        state.counters["thermal_iterations"] = static_cast<double>(tally.Iterations[ThermalIceSystem]) / runs;
    if (waterQuality)
        state.counters["wq_iterations"] = static_cast<double>(tally.Iterations[WaterQualitySystem]) / runs;
    // Time per node and accepted step.
    state.counters["per_node_step"] =
        benchmark::Counter(static_cast<double>(nodes) * static_cast<double>(tally.Accepted),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    ReleaseModel();
}

void ThermalSample240h(benchmark::State& state) { RunSample(state, Thermal); }
void RiverNutrients24h(benchmark::State& state) { RunSample(state, RiverNutrients); }

}  // namespace

BENCHMARK(ThermalSample240h)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RiverNutrients24h)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
