// Checks on the ice of models written by vasquil-batch, for its command-line tests.
//
//   ice_check jam ORIGINAL SAVED     compares the jam thickness (tIce) of every node; prints
//                                    "RESULT jammed J thicker P unjammed U kept K": J jammed nodes,
//                                    P of them with a jam above 0; U other nodes, K of them with
//                                    their thickness as in the original
//   ice_check cover SAVED C TOL      prints "RESULT nodes N within W": W nodes whose ice
//                                    concentration lies within TOL of C
//   ice_check reverse IN OUT         writes IN with its chainage running the other way
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CheckTool.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

namespace {

struct NodeIce {
    int number;
    int jammed;
    double thickness;
};

std::vector<NodeIce> IceOfNodes()
{
    std::vector<NodeIce> ice;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) ice.push_back({n->Number, n->JamFlag, n->IceThickness});
    return ice;
}

}  // namespace

int Check(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "jam") == 0) {
        if (ReadModel("ice_check", argv[2]) != 0) return 1;
        const std::vector<NodeIce> original = IceOfNodes();
        if (ReadModel("ice_check", argv[3]) != 0) return 1;
        const std::vector<NodeIce> saved = IceOfNodes();
        if (saved.size() != original.size()) {
            std::fprintf(stderr, "ice_check: %zu nodes saved of %zu\n", saved.size(), original.size());
            return 1;
        }
        int jammed = 0, thicker = 0, unjammed = 0, kept = 0;
        for (size_t i = 0; i < saved.size(); ++i) {
            if (original[i].jammed == 1) {
                ++jammed;
                if (saved[i].thickness > 0) ++thicker;
            } else {
                ++unjammed;
                // Twelve significant digits in the file.
                if (std::fabs(saved[i].thickness - original[i].thickness) <= 1e-11 * std::fabs(original[i].thickness))
                    ++kept;
                else
                    std::fprintf(stderr, "ice_check: node %d: %.12g m, was %.12g m\n", saved[i].number,
                                 saved[i].thickness, original[i].thickness);
            }
        }
        std::printf("RESULT jammed %d thicker %d unjammed %d kept %d\n", jammed, thicker, unjammed, kept);
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "cover") == 0) {
        if (ReadModel("ice_check", argv[2]) != 0) return 1;
        const double concentration = std::atof(argv[3]), tolerance = std::atof(argv[4]);
        int within = 0;
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
            if (std::fabs(n->IceConcentration - concentration) <= tolerance) ++within;
            else std::fprintf(stderr, "ice_check: node %d: concentration %.6g\n", n->Number, n->IceConcentration);
        }
        std::printf("RESULT nodes %d within %d\n", g_ModelControl.NodeCount, within);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "reverse") == 0) {
        if (ReadModel("ice_check", argv[2]) != 0) return 1;
        double last = 0;
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) last = std::fmax(last, n->Chainage);
        for (NodeRecord* n = g_Nodes; n; n = n->Next) n->Chainage = last - n->Chainage;
        std::FILE* out = std::fopen(argv[3], "wb");
        if (!out || WriteModelFile(out) != 0) {
            std::fprintf(stderr, "ice_check: cannot write %s\n", argv[3]);
            return 1;
        }
        std::printf("RESULT reversed\n");
        return 0;
    }
    std::fprintf(stderr, "usage: ice_check jam ORIGINAL SAVED | cover SAVED C TOL | reverse IN OUT\n");
    return 2;
}

int main(int argc, char** argv)
{
    const int result = Check(argc, argv);
    ReleaseModel();
    return result;
}
