// Junctions of branched river networks.
#include "engine/Junctions.h"

#include <algorithm>
#include <cmath>

#include "engine/EngineData.h"

namespace {

double PlanDistance(const NodeRecord* a, const NodeRecord* b)
{
    const double de = a->Easting - b->Easting;
    const double dn = a->Northing - b->Northing;
    return std::sqrt(de * de + dn * dn);
}

// cos(pi - angle between branch AX and the through branch AD), from the plan triangle A X D.
// The cosine law is clamped to [-1, 1] against rounding; a branch of zero plan length has no
// angle and keeps the straight value 1.
double BranchCosine(const NodeRecord* a, const NodeRecord* x, const NodeRecord* d)
{
    const double ax = PlanDistance(a, x);
    const double ad = PlanDistance(a, d);
    if (!(ax > 0) || !(ad > 0)) return 1.0;
    const double xd = PlanDistance(x, d);
    const double c = std::clamp((ax * ax + ad * ad - xd * xd) / (2 * ad * ax), -1.0, 1.0);
    const double angle = std::acos(c);
    return std::cos(g_ModelControl.Pi - angle);
}

}  // namespace

void ComputeJunctionBranchAngles(JunctionRecord* junction)
{
    junction->BranchCosines[0] = 1.0;
    junction->BranchCosines[1] = 1.0;
    if (junction->Type != 2) return;
    const NodeRecord* a = junction->NodeA;
    const NodeRecord* d = junction->NodeD;
    if (!a || !d) return;
    if (junction->NodeB) junction->BranchCosines[1] = BranchCosine(a, junction->NodeB, d);
    if (junction->NodeC) junction->BranchCosines[0] = BranchCosine(a, junction->NodeC, d);
}
