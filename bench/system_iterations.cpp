// Runs a fixed number of Newton iterations of the dynamic ice, of the thermal system or of the
// water quality on the generated channels of their benchmarks, so that an instruction counter or a cache simulator
// (valgrind's callgrind or cachegrind) gives the same count at every run:
//
//   system_iterations ice NODES ITERATIONS
//   system_iterations thermal UNKNOWNS NODES ITERATIONS
//   system_iterations wq TYPE NODES ITERATIONS
//   system_iterations icestep NODES STEPS
//
// An ice iteration is the assembly, the profile solve and update and the negative-ice
// correction (bench_ice's DynamicIceNewtonIteration); a thermal iteration the assembly and the
// profile solve and update, UNKNOWNS 1, 2 or 6 per node (bench_thermal's ThermalNewtonIteration);
// a water-quality iteration the assembly and the profile solve and update on bench_waterquality's
// reach after one step, TYPE 0 nutrients or 2 xenobiotics. `icestep` makes whole dynamic-ice steps
// instead (bench_ice's DynamicIceStep) and prints their Newton iterations: the first ten steps
// after the first take two iterations at 1,000 and at 10,000 nodes.
// One iteration runs before the counted ones, so that what the first assembly lays out is not
// counted. Prints the iterations and the wall time per node and iteration.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/IceBenchChannel.h"
#include "bench/ThermalBenchRiver.h"
#include "bench/WaterQualityBenchReach.h"
#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQuality.h"

namespace {

int Usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s ice NODES ITERATIONS | thermal UNKNOWNS NODES ITERATIONS | wq TYPE NODES ITERATIONS | "
                 "icestep NODES STEPS\n",
                 program);
    return 2;
}

// One Newton iteration of a system: the assembly, the profile solve and update. False when
// either failed.
bool NewtonIteration(int system)
{
    const bool assembled = AssembleProfileMatrix(system) == Assembled;
    return SolveAndUpdate(system) == 0 && assembled;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool ice = argc == 4 && std::strcmp(argv[1], "ice") == 0;
    const bool thermal = argc == 5 && std::strcmp(argv[1], "thermal") == 0;
    const bool wq = argc == 5 && std::strcmp(argv[1], "wq") == 0;
    const bool steps = argc == 4 && std::strcmp(argv[1], "icestep") == 0;
    if (!ice && !thermal && !wq && !steps) return Usage(argv[0]);
    const int kind = ice || steps ? 2 : std::atoi(argv[2]);
    const int count = std::atoi(argv[argc - 2]);
    const int iterations = std::atoi(argv[argc - 1]);
    const bool known = ice || steps || (thermal && (kind == 1 || kind == 2 || kind == 6)) ||
                       (wq && (kind == WQNutrients || kind == WQXenobiotics));
    if (count < 2 || iterations < 1 || !known) {
        std::fprintf(stderr, "%s: NODES of 2 or more, ITERATIONS of 1 or more, UNKNOWNS 1, 2 or 6, TYPE 0 or 2\n",
                     argv[0]);
        return 2;
    }
    bool failed = false;
    const int system = ice || steps ? DynamicIceSystem : thermal ? ThermalIceSystem : WaterQualitySystem;
    if (ice || steps) {
        failed = !benchice::PrepareIceIterations(count);
    } else if (thermal) {
        benchthermal::PrepareThermalIterations(count, kind);
    } else {
        failed = !benchwq::LoadReach(count, kind);
        benchsupport::Silence quiet;
        failed |= RunWaterQualityStep() != StepMade;   // builds the profile structure
    }
    // Thermal iterations keep the previous level as a step of theirs does.
    const ThermalPreviousLevelHold hold(thermal && benchthermal::StepKeepsPreviousLevel());
    long long newton = 0;
    const auto iterate = [&] {
        if (steps) {
            benchice::OpenIceStep();
            const bool solved = SolveDynamicIceStep() == NewtonConverged;
            newton += g_EquationSystems[DynamicIceSystem].IterationCount;
            return solved;
        }
        return ice ? benchice::IceNewtonIteration() : NewtonIteration(system);
    };
    failed |= !iterate();
    newton = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < iterations; ++k) failed |= !iterate();
    if (steps) std::printf("%d steps, %lld Newton iterations\n", iterations, newton);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d %s on %d nodes (%s, %d unknowns per node): %.3f us per node and %s%s\n",
                iterations, steps ? "steps" : "iterations", count, argv[1], g_EquationSystems[system].UnknownsPerNode,
                1e6 * seconds / (static_cast<double>(iterations) * count), steps ? "step" : "iteration", failed ? " (an iteration failed)" : "");
    ReleaseModel();
    return 0;
}
