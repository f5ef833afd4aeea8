// The generated channel of the hydrodynamic benchmarks: a chain of nodes in uniform flow at a
// base discharge with a flood hydrograph at its upstream end and a rating at its outlet.
#pragma once

#include <cmath>

#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "tests/engine/ModelBuilder.h"

namespace benchchannel {

constexpr double kWidth = 30, kN = 0.035, kSlope = 0.0004, kBase = 50, kPeak = 250;

// A channel of `count` nodes dx apart in uniform flow at the base discharge: kind 0 rectangles
// in the rectangular formulation, kind 1 and 2 trapezoidal surveyed sections (bottom 30 m, sides
// 2:1, 6 m deep) of 100 levels in the natural formulation and its conservation form, kind 3
// rectangles in the natural formulation.
inline void BuildBenchChannel(int count, int kind, double dx = 100)
{
    const bool surveyed = kind == 1 || kind == 2;
    testmodel::BuildChain(count, dx, [&](NodeRecord& node, int i) {
        node.RectWidth = kWidth;
        node.ManningN = kN;
        node.Invert = kSlope * (count - 1 - i) * dx;
        if (surveyed) {
            const double z = node.Invert;
            testmodel::SetSection(node, {{0, z + 6}, {12, z}, {42, z}, {54, z + 6}}, kN, 100);
        }
    });
    // Base-flow depth from Manning in the section the nodes carry.
    auto area = [&](NodeRecord& n, double y) { return testmodel::AreaAtStage(n, n.Invert + y); };
    NodeRecord& probe = g_NodeBlock[0];
    double lo = 0.01, hi = 6;
    for (int it = 0; it < 100; ++it) {
        const double y = 0.5 * (lo + hi);
        const double a = area(probe, y);
        const double p = surveyed ? kWidth + 2 * y * std::sqrt(5.0) : kWidth + 2 * y;
        const double q = a * std::pow(a / p, 2.0 / 3.0) * std::sqrt(kSlope) / kN;
        (q < kBase ? lo : hi) = y;
    }
    const double yn = 0.5 * (lo + hi);
    for (NodeRecord& n : g_NodeBlock) {
        n.HydroUnknowns[0] = area(n, yn);
        n.HydroUnknowns[1] = kBase;
    }
    testmodel::BoundaryInput inflow;
    inflow.DischargeCode = 1;
    inflow.Times = {0, 3600, 8 * 3600, 16 * 3600, 1e9};
    inflow.Discharges = {kBase, kBase, kPeak, kBase, kBase};
    inflow.Stages.assign(inflow.Times.size(), 0.0);
    testmodel::BoundaryInput outlet;
    outlet.StageCode = outlet.DischargeCode = 2;
    for (int k = 0; k <= 50; ++k) {
        outlet.Times.push_back(k);
        outlet.Discharges.push_back(10.0 * k + 1.0);
        // Stage of the outlet by Manning for a wide channel: a rating that is only plausible,
        // the benchmark does not check it.
        outlet.Stages.push_back(g_NodeBlock.back().Invert +
                                std::pow((10.0 * k + 1.0) * kN / (kWidth * std::sqrt(kSlope)), 0.6));
    }
    testmodel::SetBoundaries({{0, -1, inflow}, {count - 1, 1, outlet}});
    g_ModelControl.MaxDeltaT = 300;
    g_ModelControl.Formulation = kind == 3 ? 1 : kind;
    testmodel::StartRun();
}

}  // namespace benchchannel
