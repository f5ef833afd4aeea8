// Runs a fixed number of hydrodynamic Newton iterations (assembly, profile solve and update) on
// the generated channel of the hydrodynamic benchmarks, so that an instruction counter or a
// cache simulator (valgrind's callgrind or cachegrind) gives the same count at every run:
//
//   newton_iterations NODES KIND ITERATIONS
//
// KIND as in bench_hydro (0 rectangles, 1 and 2 surveyed trapezoids in the natural formulation
// and its conservation form, 3 rectangles in the natural formulation). Prints the iterations
// and the wall time per node and iteration.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/HydroBenchChannel.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydrodynamics.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s NODES KIND ITERATIONS\n", argv[0]);
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const int kind = std::atoi(argv[2]);
    const int iterations = std::atoi(argv[3]);
    if (count < 2 || kind < 0 || kind > 3 || iterations < 1) {
        std::fprintf(stderr, "%s: NODES of 2 or more, KIND 0 to 3, ITERATIONS of 1 or more\n", argv[0]);
        return 2;
    }
    benchchannel::BuildBenchChannel(count, kind);
    ShiftTimeLevel();
    g_ModelControl.StepStartTime = g_ModelControl.ModelTime;
    g_ModelControl.ModelTime += g_ModelControl.DeltaT;
    g_EquationSystems[HydrodynamicSystem].StructureBuilt = 1;
    // One iteration first, so that what the first assembly lays out is not counted.
    AssembleProfileMatrix(HydrodynamicSystem);
    SolveAndUpdate(HydrodynamicSystem);
    const auto start = std::chrono::steady_clock::now();
    int failed = 0;
    for (int k = 0; k < iterations; ++k) {
        failed |= AssembleProfileMatrix(HydrodynamicSystem) != Assembled;
        failed |= SolveAndUpdate(HydrodynamicSystem);
        ComputeNodeFluxDischarge();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d iterations on %d nodes (kind %d): %.3f us per node and iteration%s\n", iterations, count, kind,
                1e6 * seconds / (static_cast<double>(iterations) * count), failed ? " (an iteration failed)" : "");
    ReleaseModel();
    return 0;
}
