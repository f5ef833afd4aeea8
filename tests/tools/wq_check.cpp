// Checks on the water-quality files of vasquil-batch for its command-line tests.
//
//   wq_check values MODEL WQFILE   reads the model and the water-quality file; prints
//                                  "RESULT type T nodes N min v1 .. v6 max v1 .. v6", the
//                                  smallest and largest of each of the six node values ("%.9g")
//   wq_check lowest MODEL WQFILE K prints "RESULT node N of M", the place (1 = first) in the
//                                  chain of the node with the smallest value K (0-5), of M nodes
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "CheckTool.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQualityFile.h"

int main(int argc, char** argv)
{
    const bool values = argc == 4 && std::strcmp(argv[1], "values") == 0;
    const bool lowest = argc == 5 && std::strcmp(argv[1], "lowest") == 0;
    if (!values && !lowest) {
        std::fprintf(stderr, "usage: wq_check values MODEL WQFILE | wq_check lowest MODEL WQFILE K\n");
        return 2;
    }
    if (ReadModel("wq_check", argv[2]) != 0)
        return 1;
    if (LoadWQFile(argv[3]) != 0) {
        std::fprintf(stderr, "wq_check: cannot read the water-quality file %s: %s\n", argv[3], WQReaderRefusal());
        return 1;
    }
    const ModelControl& mc = g_ModelControl;
    if (lowest) {
        const int k = std::atoi(argv[4]);
        int place = 0, at = 0;
        double smallest = std::numeric_limits<double>::infinity();
        for (const NodeRecord* n = g_Nodes; n && k >= 0 && k < 6; n = n->Next) {
            const double* v = mc.WQFileType == 0 ? n->WQValues : n->MetalValues;
            ++place;
            if (v[k] < smallest) {
                smallest = v[k];
                at = place;
            }
        }
        std::printf("RESULT node %d of %d\n", at, mc.NodeCount);
        ReleaseModel();
        return 0;
    }
    double low[6], high[6];
    std::fill(low, low + 6, std::numeric_limits<double>::infinity());
    std::fill(high, high + 6, -std::numeric_limits<double>::infinity());
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        const double* v = mc.WQFileType == 0 ? n->WQValues : n->MetalValues;
        for (int k = 0; k < 6; ++k) {
            low[k] = std::min(low[k], v[k]);
            high[k] = std::max(high[k], v[k]);
        }
    }
    std::printf("RESULT type %d nodes %d min", mc.WQFileType, mc.NodeCount);
    for (double v : low) std::printf(" %.9g", v);
    std::printf(" max");
    for (double v : high) std::printf(" %.9g", v);
    std::printf("\n");
    ReleaseModel();
    return 0;
}
