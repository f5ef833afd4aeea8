// Reading and writing a generated model of 1,000 and 10,000 nodes with 100-point compound
// sections: the time per node should not grow with the model.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

namespace {

using benchsupport::PerNode;
using benchsupport::Silence;

// A metric open-water reach: nodes 10 m apart, each with a compound section of `points` points
// (section code -100), one element between neighbours, inflow upstream and a rating downstream.
std::string GenerateModel(int nodes, int points)
{
    std::string t;
    char line[256];
    t += " File Type = 0\n Delta t (s) = 60\n Max Delta t (s) = 600\n Model Time (s) = 0\n"
         " Simulation Start DateTime (YYYY MM DD HH MM SS) = 2024 01 01 00 00 00\n\n";
    std::snprintf(line, sizeof line,
                  " Number of Nodes = %d\n Number of Elements = %d\n Number of  Boundary Elements = 2\n"
                  " Number of Junctions = 0\n System of units = 1\n\n",
                  nodes, nodes - 1);
    t += line;
    t += " Hydrodynamics Upwinding Coefficient = 0.25\n Hydrodynamics Upwinding Updating = 0\n"
         " Hydrodynamics Theta = 0.6\n Hydrodynamics Tolerance = 1e-05\n Hydrodynamics Formulation = 1\n"
         " Hydrodynamics Alpha = 0.5\n\n Water Temperature (deg C) = 8\n\n \tNode Information \n\n";
    const int left = points / 4, right = 3 * points / 4;
    for (int i = 0; i < nodes; ++i) {
        const double bed = 100 - 0.0005 * 10 * i;
        std::snprintf(line, sizeof line, "\t%d\t%.3f\t-100\t1\t%.4f\t%.4f\t%.5f\t%.4f\t0\t60\t1\t%.4f\t150 \n", i + 1,
                      0.01 * (nodes - i), 500000 + 10.0 * i, 6000000 + 3 * std::sin(0.01 * i), 0.01 * i, bed, bed + 2.5);
        t += line;
        std::snprintf(line, sizeof line, "\t%d\t%.2f\t%.2f \n", points, 200.0 * left / (points - 1),
                      200.0 * right / (points - 1));
        t += line;
        for (int k = 0; k < points; ++k) {
            const double x = 200.0 * k / (points - 1);
            double z;
            if (k < left) z = 6.0 - 2.0 * k / left;
            else if (k > right) z = 4.0 + 2.0 * (k - right) / (points - 1 - right);
            else z = 4.0 - 4.0 * std::sin(3.141592653589793 * (k - left) / (right - left));
            if (k == 0 || k == points - 1) z = 10;
            std::snprintf(line, sizeof line, "\t%.2f\t%.3f", x, bed + z + 0.02 * std::sin(0.7 * k + i));
            t += line;
            if ((k + 1) % 6 == 0) t += " \n";
        }
        std::snprintf(line, sizeof line, " \n\t2\t%.3f\t0.032\t0.06\t0.05\t%.3f\t0.03\t0.05\t0.045 \n\t1\t%.3f\t1.05 \n\n \n",
                      bed - 1, bed + 4, bed - 1);
        t += line;
    }
    t += "\n \tElement Information \n\n";
    for (int e = 1; e < nodes; ++e) {
        std::snprintf(line, sizeof line, "\t%d\t%d\t%d\t0\t0\t0\t0\t0 \n", e, e, e + 1);
        t += line;
    }
    std::snprintf(line, sizeof line,
                  "\n \tBoundary Element Information \n\n\t1\t1\t-1\t0\t1\t3 \n\t0\t150 \n\t12\t400 \n\t48\t150 \n \n"
                  "\t2\t%d\t1\t2\t0\t3 \n\t%.3f\t0 \n\t%.3f\t150 \n\t%.3f\t900 \n \n",
                  nodes, 100 - 0.05 * nodes, 102.5 - 0.05 * nodes, 106 - 0.05 * nodes);
    t += line;
    return t;
}



void ReadModel(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    std::string text = GenerateModel(nodes, 100);
    {
        Silence quiet;
        for (auto _ : state) {
            FILE* f = fmemopen(text.data(), text.size(), "r");
            if (ReadModelFile(f) != 0) state.SkipWithError("the model was refused");
        }
        ReleaseModel();
    }
    PerNode(state, nodes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void WriteModel(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    std::string text = GenerateModel(nodes, 100);
    {
        Silence quiet;
        if (ReadModelFile(fmemopen(text.data(), text.size(), "r")) != 0) state.SkipWithError("the model was refused");
        for (auto _ : state) {
            FILE* f = std::fopen("/dev/null", "w");
            if (WriteModelFile(f) != 0) state.SkipWithError("the model was not written");
        }
        ReleaseModel();
    }
    PerNode(state, nodes);
}

BENCHMARK(ReadModel)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteModel)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
