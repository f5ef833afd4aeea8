// Writes the 48-hour flood of the hydrodynamic benchmark as a model file, so that the whole
// process of a run can be timed: 1,001 rectangular nodes 50 m apart in the natural formulation
// (or the kind given), steps of 60 s at most.
//
//   flood_model MODEL.vqx [KIND]
#include <cstdio>
#include <cstdlib>

#include "bench/HydroBenchChannel.h"
#include "engine/ModelFiles.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s MODEL.vqx [KIND]\n", argv[0]);
        return 2;
    }
    const int kind = argc == 3 ? std::atoi(argv[2]) : 3;
    benchchannel::BuildBenchChannel(1001, kind, 50);
    g_ModelControl.MaxDeltaT = g_ModelControl.DeltaT = 60;
    g_ModelControl.FinalTime = 48 * 3600.0;
    g_ModelControl.UnitSystem = 1;
    const int start[6] = {2024, 1, 1, 0, 0, 0};
    for (int k = 0; k < 6; ++k) g_ModelControl.StartDate[k] = start[k];
    const int failed = SaveModelFile(argv[1]);
    ReleaseModel();
    if (failed != 0) std::fprintf(stderr, "%s: could not write %s\n", argv[0], argv[1]);
    return failed != 0 ? 1 : 0;
}
