// Ice-jam stability: the water-surface slopes at nodes and junction branches.
#include "engine/JamStability.h"

#include <cmath>

#include "engine/EngineData.h"

namespace {

// Fall from `upper` to `lower` stage over the distance (m); 0 over no distance.
double Slope(double upperStage, double lowerStage, double distance)
{
    return distance > 0 ? (upperStage - lowerStage) / distance : 0.0;
}

}  // namespace

void ComputeSurfaceSlopes()
{
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        n->SurfaceSlope = 0;
        const NodeRecord* p = n->Previous;
        const NodeRecord* q = n->Next;
        if (p && q) n->SurfaceSlope = Slope(p->Stage, q->Stage, std::fabs(q->Chainage - p->Chainage));

        const BoundaryElementRecord* b = n->BoundaryElement;
        if (!b) continue;
        if (b->Position < 0 && b->DischargeCode == 1 && q)
            n->SurfaceSlope = Slope(n->Stage, q->Stage, std::fabs(n->Chainage - q->Chainage));
        else if (b->Position > 0 && b->StageCode == 1 && p)
            n->SurfaceSlope = Slope(p->Stage, n->Stage, std::fabs(p->Chainage - n->Chainage));
    }

    for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
        const NodeRecord* a = j->NodeA;
        if (!a) continue;
        struct Branch {
            NodeRecord* node;
            const ElementRecord* element;
        } branches[2] = {{j->NodeC, j->ElementAC}, {j->NodeB, j->ElementAB}};
        for (const Branch& branch : branches) {
            NodeRecord* n = branch.node;
            if (!n) continue;
            const double length = branch.element ? std::fabs(branch.element->Length) : 0.0;
            if (j->Type == 1 && n->Previous) {
                const NodeRecord* p = n->Previous;
                n->SurfaceSlope = Slope(p->Stage, a->Stage, std::fabs(p->Chainage - n->Chainage) + length);
            } else if (j->Type == 2 && n->Next) {
                const NodeRecord* q = n->Next;
                n->SurfaceSlope = Slope(a->Stage, q->Stage, std::fabs(q->Chainage - n->Chainage) + length);
            }
        }
    }
}
