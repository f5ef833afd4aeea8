// Ice-jam stability: the thickness of a jam of floating ice in static-ice models, marched
// downstream node by node, and the water-surface slopes it shares with the water-quality step.
//
// The jam stability equation balances, per unit length of a jam of thickness t (m) on a
// channel of width W (m), the internal strength of the ice against the forces that push it
// downstream:
//
//     (k a / 2) d(t^2)/dx + mu a t^2 / ((1 - pj) W) + c t / W = (rho_i g S t + tau_i) / 2,
//
// with a = (1 - s)(1 - pj) rho_i g / 2, k the passive pressure coefficient, mu the ice-to-ice
// friction, c the cohesion (Pa), S the water-surface slope and tau_i = rho g Sf Rb / (e + 1) the
// shear of the flow on the jam's underside (Pa), where Rb is the bed's hydraulic radius, Sf the
// friction slope and e = (nb / ni)^1.5 the ratio of the bed and ice shares of the flow
// resistance. Taken over the distance L between two nodes, with every term but the first at the
// mean thickness (tu + td) / 2 and the node values averaged, it is a quadratic in the
// downstream thickness td. Where the jam no longer changes along the river (td = tu) it reduces
// to the equilibrium jam:
//
//     mu (1 - s) rho_i g t^2 / W + 2 c t / W = rho_i g S t + tau_i.
#include "engine/JamStability.h"

#include <algorithm>
#include <cmath>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/Junctions.h"

namespace {

// Share of the internal friction and cohesion that acts across a junction side branch.
constexpr double JunctionStrengthShare = 0.75;

// Fall from `upper` to `lower` stage over the distance (m); 0 over no distance.
double Slope(double upperStage, double lowerStage, double distance)
{
    return distance > 0 ? (upperStage - lowerStage) / distance : 0.0;
}

// The node's property table, or null for a rectangular node.
const CrossSectionTable* PropertyTable(const NodeRecord* node)
{
    const CrossSectionTable* t = node->CrossSection;
    if (node->SectionCode == 0 || !t || t->LevelCount <= 0) return nullptr;
    if (t->Properties.size() < static_cast<size_t>(SectionPropertyColumnCount) * t->LevelCount) return nullptr;
    return t;
}

// Rb / (e + 1) of a node (m): the bed hydraulic radius scaled to the ice's part of the shear,
// with nb the bed's Manning n at the flow area with the solid anchor ice, ni the ice's.
double IceShearRadius(const NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    double nb = node->ManningN;
    if (const CrossSectionTable* t = PropertyTable(node)) {
        const double area = (1.0 - mc.AnchorIcePorosity) * node->AnchorIceArea + node->FlowArea;
        nb = InterpolateTable(t->Column(TotalArea), t->Column(ChannelN), area, node->SectionCode);
    }
    const double ni = node->IceManningN;
    const double e = ni > 0.0 ? std::pow(ni / nb, -1.5) : std::pow(ni / nb, -0.25);
    return node->BedHydraulicRadius / (e + 1.0);
}

void SetJamThickness(NodeRecord* node, double t)
{
    node->SolidEquivalentThickness = t;
    node->IceThickness = t;
    node->EffectiveIceThickness = t;
}

// One step of the march from u to d over `length` (m), with the channel widths wu and wd (m)
// and `strength` the share of internal friction and cohesion that acts.
double MarchJam(NodeRecord* u, NodeRecord* d, double length, double wu, double wd, double strength)
{
    const ModelControl& mc = g_ModelControl;
    const double g = mc.Gravity;
    const double s = mc.IceSpecificGravity;
    const double pj = mc.JamPorosity;
    const double k = mc.PassivePressureCoefficient;
    const double rhoi = mc.IceDensity;

    d->IceConcentration = 1.0;
    const double a = 0.5 * (1.0 - s) * (1.0 - pj) * rhoi * g;
    const double w = k * (wu + wd) / 2.0;
    // What changes t^2 along the river: the flow's shear on the jam (`shear`, m), the weight on
    // the sloping surface less cohesion per metre of thickness (`slope`, -), and the ice's
    // internal friction over the step (`friction`, -, never positive).
    const double shear = (IceShearRadius(d) + IceShearRadius(u)) / 2.0 * mc.WaterDensity * g *
                         ((u->ChannelFrictionSlope + d->ChannelFrictionSlope) / 2.0) / (2.0 * k * a);
    const double slope = (u->SurfaceSlope + d->SurfaceSlope) / 2.0 * g * rhoi / (2.0 * k * a) -
                         strength * mc.IceCohesion / (w * a);
    const double friction = -length * strength * mc.IceFriction / (2.0 * (1.0 - pj) * w);
    const double tu = u->SolidEquivalentThickness;
    const double e = (1.0 + friction) * tu + length * slope;
    const double dq = 1.0 - friction;

    // td is the larger root of dq td^2 - b td - c = 0; the form without cancellation.
    const double b = e - dq * tu;
    const double c = 2.0 * length * shear + e * tu;
    const double root = std::sqrt(b * b + 4.0 * dq * c);
    const double td = b >= 0.0 ? (b + root) / (2.0 * dq) : 2.0 * c / (root - b);
    if (!std::isfinite(td)) return d->SolidEquivalentThickness;
    SetJamThickness(d, std::max(0.0, td));
    return d->SolidEquivalentThickness;
}

bool Jammed(const NodeRecord* node)
{
    return node && node->JamFlag == 1;
}

double LengthOf(const ElementRecord* element)
{
    return element ? element->Length : 0.0;
}

// The erosion limit of a jammed node: the thickness at which the flow under the jam reaches
// ErosionVelocity (none when that is 0 or less); a thicker jam is cut to it and the node's
// hydraulics follow.
void LimitToErosion(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    if (!(mc.ErosionVelocity > 0.0)) return;
    const double area = std::fabs(node->Discharge) / mc.ErosionVelocity;
    double level;
    if (const CrossSectionTable* t = PropertyTable(node))
        level = InterpolateTable(t->Column(TotalArea), t->Column(StageLevel), area, node->SectionCode);
    else
        level = area / node->RectWidth + node->Invert;
    const double limit = std::max(0.0, (node->Stage - std::max(node->Invert, level)) / mc.IceSpecificGravity);
    if (node->EffectiveIceThickness > limit) {
        SetJamThickness(node, limit);
        UpdateNodeHydraulics(node);
    }
}

// Marches the jam down the chain from `first`, into every jammed node; with `oneReach` only
// while both nodes of a pair belong to `reach`.
void MarchReach(NodeRecord* first, bool oneReach, int reach)
{
    for (NodeRecord* u = first; u && u->Next; u = u->Next) {
        NodeRecord* d = u->Next;
        if (oneReach && (u->Reach != reach || d->Reach != reach)) break;
        if (Jammed(d)) JamStabilityThickness(u, d, 0.0);
    }
}

}  // namespace

double JamStabilityThickness(NodeRecord* u, NodeRecord* d, double length)
{
    const double l = length > 0.0 ? length : std::fabs(u->Chainage - d->Chainage);
    return MarchJam(u, d, l, u->AnchorWidth, d->AnchorWidth, 1.0);
}

double JamStabilityThicknessAtJunction(NodeRecord* u, NodeRecord* d, double length)
{
    return MarchJam(u, d, std::fabs(length), JunctionWorkAnchorWidth(u), JunctionWorkAnchorWidth(d),
                    JunctionStrengthShare);
}

void SolveJunctionJam(JunctionRecord* j)
{
    NodeRecord* a = j->NodeA;
    NodeRecord* b = j->NodeB;
    NodeRecord* c = j->NodeC;
    NodeRecord* d = j->NodeD;
    if (!a || !b || !c || !d) return;
    const double ab = std::fabs(j->BranchDischargeAB);
    const double ac = std::fabs(j->BranchDischargeAC);
    const double share = ab + ac > 0.0 ? ab / (ab + ac) : 0.5;
    const double lab = LengthOf(j->ElementAB);
    const double lac = LengthOf(j->ElementAC);
    const double lad = LengthOf(j->ElementAD);
    const bool sides = Jammed(a) && Jammed(b) && Jammed(c);

    if (j->Type == 1) {
        // Both side branches flow into A, which flows on to D.
        const double sc = Slope(c->Stage, d->Stage, std::fabs(lac) + std::fabs(lad));
        const double sb = Slope(b->Stage, d->Stage, std::fabs(lab) + std::fabs(lad));
        if (sides) {
            a->SurfaceSlope = sc;
            const double fromC = JamStabilityThicknessAtJunction(c, a, lac);
            a->SurfaceSlope = sb;
            const double fromB = JamStabilityThicknessAtJunction(b, a, lab);
            SetJamThickness(a, (1.0 - share) * fromC + share * fromB);
        } else if (Jammed(a) && Jammed(b)) {
            JamStabilityThickness(b, a, lab);
        } else if (Jammed(a) && Jammed(c)) {
            JamStabilityThickness(c, a, lac);
        }
        if (Jammed(d) && Jammed(a)) {
            a->SurfaceSlope = (1.0 - share) * sc + share * sb;
            JamStabilityThickness(a, d, lad);
        }
        return;
    }

    // D flows into A, which divides into the side branches.
    const double sc = Slope(d->Stage, c->Stage, std::fabs(lac) + std::fabs(lad));
    const double sb = Slope(d->Stage, b->Stage, std::fabs(lab) + std::fabs(lad));
    if (Jammed(d) && Jammed(a)) {
        a->SurfaceSlope = (1.0 - share) * sc + share * sb;
        JamStabilityThickness(d, a, lad);
    }
    if (sides) {
        a->SurfaceSlope = sc;
        JamStabilityThicknessAtJunction(a, c, lac);
        a->SurfaceSlope = sb;
        JamStabilityThicknessAtJunction(a, b, lab);
    } else if (Jammed(a) && Jammed(b)) {
        JamStabilityThickness(a, b, lab);
    } else if (Jammed(a) && Jammed(c)) {
        JamStabilityThickness(a, c, lac);
    }
}

int SolveIceJamStability(double* largestChange)
{
    const ModelControl& mc = g_ModelControl;
    if (largestChange) *largestChange = 0.0;
    const NodeRecord* settled = FindLargestHydroIncrementNode();
    if (!settled || mc.SteadyIteration <= 0 ||
        !(std::fabs(settled->Discharge - settled->PreviousDischarge) < mc.MaxDischargeChangeJSE))
        return 0;

    if (const JamStabilityTable* table = g_JamTable) {
        const int rows = std::min({table->RowCount, static_cast<int>(table->RowType.size()),
                                   static_cast<int>(table->Id.size()), static_cast<int>(table->NodeIndex.size()),
                                   static_cast<int>(table->JunctionIndex.size())});
        for (int r = 0; r < rows; ++r) {
            if (table->RowType[r] == 0) {
                const int at = table->NodeIndex[r];
                if (at >= 0 && at < static_cast<int>(g_NodeIndex.size()))
                    MarchReach(g_NodeIndex[at], true, table->Id[r]);
            } else {
                const int at = table->JunctionIndex[r];
                if (at >= 0 && at < static_cast<int>(g_JunctionBlock.size())) SolveJunctionJam(&g_JunctionBlock[at]);
            }
        }
    } else {
        MarchReach(g_Nodes, false, 0);
    }

    // Each node's erosion limit and damping concern that node alone: one walk does both.
    double largest = 0.0;
    for (NodeRecord* n : g_NodeIndex) {
        if (!Jammed(n)) continue;
        LimitToErosion(n);
        const double previous = n->PreviousSolidEquivalentThickness;
        const double t = previous - (previous - n->SolidEquivalentThickness) * mc.IceThicknessDamping;
        SetJamThickness(n, t);
        largest = std::max(largest, std::fabs(t - previous));
    }
    if (largestChange) *largestChange = largest;
    return 1;
}

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
