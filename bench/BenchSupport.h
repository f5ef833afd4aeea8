// What the engine benchmarks share: silencing the engine's progress lines and a per-node rate.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace benchsupport {

// Standard output goes to /dev/null while the engine reports its progress.
struct Silence {
    int saved;
    Silence()
    {
        std::fflush(stdout);
        saved = dup(1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~Silence()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    Silence(const Silence&) = delete;
    Silence& operator=(const Silence&) = delete;
};

// Reports the time of one iteration per node as the counter "per_node".
inline void PerNode(benchmark::State& state, int nodes)
{
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(nodes),
                                                    benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace benchsupport
