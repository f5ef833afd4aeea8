// Junctions of branched river networks.
#include "engine/Junctions.h"

#include <algorithm>
#include <cmath>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"

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

// ---------------------------------------------------------------------------------------
// Flow directions and branch residuals
// ---------------------------------------------------------------------------------------

namespace {

constexpr int Upn = 2;   // gross area, discharge

// Slots of NodeRecord::JunctionWork: the node values a side-branch kernel reads; at the junction
// node, the branch's part of them (see BranchPart).
enum JunctionWorkSlot {
    WorkGrossArea = 0,
    WorkPreviousGrossArea,
    WorkFloatingIceArea,        // step-start floating ice area
    WorkOlderFloatingIceArea,
    WorkFlowArea,
    WorkPreviousFlowArea,
    WorkDischarge,
    WorkPreviousDischarge,
    WorkRectWidth,
    WorkTopWidth,
    WorkAnchorWidth,
    WorkPerimeter,              // rectangular wetted perimeter of the flow area
    WorkPreviousPerimeter,
    WorkIceDrag,
    WorkPreviousIceDrag,
    WorkBedFriction,
    WorkPreviousBedFriction,
    WorkFrictionTerm,
    WorkPreviousFrictionTerm,
    WorkStage,
    WorkPreviousStage,
    WorkKappa,                  // the branch cosine
};
static_assert(WorkKappa + 1 == JunctionWorkSlots, "junction work slots");

// New flow sign of a branch node from its flux discharge: a zero (or undefined) flux keeps
// the stored sign.
int NextFlowSign(int stored, double q)
{
    if (q > 0.0) return 1;
    if (q < 0.0) return -1;
    return stored < 0 ? -1 : 1;
}

// Discharge (m3/s) below which branch flows count as none: their signs and ratios are then
// rounding noise, which would flip a branch's direction or swing the share between 0 and 1
// from step to step.
constexpr double NoFlowDischarge = 1e-3;

// -1 when two flux discharges point opposite ways, else +1. A flux below NoFlowDischarge on
// either side (no flow, or rounding noise in still water) keeps the branch as it is.
double RelativeSign(double qa, double qx)
{
    if (!(std::fabs(qa) >= NoFlowDischarge) || !(std::fabs(qx) >= NoFlowDischarge)) return 1.0;
    return (qa < 0.0) != (qx < 0.0) ? -1.0 : 1.0;
}

// Share of branch AB in the side-branch flow from the branch discharges, going smoothly to
// equal shares as both side branches come to rest.
double SideShareAB(const JunctionRecord* j)
{
    const double ab = std::fabs(j->BranchDischargeAB);
    const double ac = std::fabs(j->BranchDischargeAC);
    const double sum = ab + ac + 2.0 * NoFlowDischarge;
    if (!std::isfinite(sum)) return 0.5;
    return (ab + NoFlowDischarge) / sum;
}

// The largest drop of the water level in a turn into a side branch, as a fraction of the
// junction node's depth: a larger one is no gradual loss but a control the branch equations
// do not represent.
constexpr double MaxTurnDropFraction = 0.5;

// What a branch element sees of one of its nodes, at the current and the previous level. A
// branch sees its far node as it is. At the junction node a side branch sees its own part of
// the node:
// - its share e of the side-branch discharge;
// - its own cross-section at the node's depth: areas, widths and ice scale by f, the far
//   node's flow area at the junction node's depth over the junction node's flow area;
// - the turn: turning off the through line, the flow loses (1 - kappa) of its momentum flux
//   Q V (kappa the branch cosine), a head of (1 - kappa) V|V| / g with V the part's velocity
//   out of the node; the part's water level lies that much below the node's (above it for
//   flow into the node). Taken at the node rather than spread along the element, the loss
//   leaves the element a reach like any other, whose linear water surface it can follow;
// - the friction of that part: the far node's conveyance carried over to the part's area
//   and depth, as a factor on the junction node's friction coefficients.
struct BranchPart {
    double Discharge = 1.0;
    double Width = 1.0, WidthPrevious = 1.0;
    double FlowArea = 0.0, FlowAreaPrevious = 0.0;   // m2
    double Drop = 0.0, DropPrevious = 0.0;           // m
    double Friction = 1.0, FrictionPrevious = 1.0;
};

BranchPart WholeNode(const NodeRecord* node)
{
    BranchPart part;
    part.FlowArea = node->FlowArea;
    part.FlowAreaPrevious = node->PreviousFlowArea;
    return part;
}

// One level of a node as JunctionPartAtLevel reads it: flow area (m2), depth (m), top width
// (m), wetted perimeter (m), conveyance (m3/s) and discharge (m3/s).
struct NodeLevel {
    double A, h, W, P, K, Q;
};

NodeLevel CurrentLevel(const NodeRecord* n)
{
    return {n->FlowArea, n->Stage - n->Invert, n->TopWidth, n->WettedPerimeter, n->Conveyance, n->Discharge};
}

NodeLevel PreviousLevel(const NodeRecord* n)
{
    return {n->PreviousFlowArea,         n->PreviousStage - n->Invert, n->PreviousTopWidth,
            n->PreviousWettedPerimeter, n->PreviousConveyance,       n->PreviousDischarge};
}

// A side branch's part of the junction node a at one level, from a's and the branch's far
// node x's values at that level: the discharge share e, the branch cosine kappa, `outward`
// (+1 when the element's direction points from the junction node to the branch, -1
// otherwise) and n, x's composite roughness. Sets f, the part's flow area, its drop (m) and
// its friction factor.
void JunctionPartAtLevel(const NodeLevel& a, const NodeLevel& x, double e, double kappa, double outward, double n,
                         double* f, double* area, double* drop, double* friction)
{
    // The branch's section at the node's depth, from its own at its depth and top width.
    const double own = x.A + x.W * (a.h - x.h);
    *f = a.A > 0.0 && own > 0.0 ? own / a.A : e;
    const double v = own > 0.0 ? outward * e * a.Q / own : 0.0;
    const double limit = MaxTurnDropFraction * std::max(0.0, a.h);
    const double d = std::clamp((1.0 - kappa) * v * std::fabs(v) / g_ModelControl.Gravity, -limit, limit);
    *drop = d;
    const double part = std::max(0.0, own - x.W * d);
    *area = part;
    // Conveyance K = A k(R) under the far node's law, k(R) carried from its radius to the
    // part's; the part's perimeter follows its depth as walls would. The friction
    // coefficient |Q| A g / K^2 of the part is then e (Ap / A) (K / Kp)^2 times the node's.
    const double perimeter = x.P + 2.0 * (a.h - d - x.h);
    const double k = x.A > 0.0 && x.P > 0.0 ? ConveyanceLaw(1.0, x.A / x.P, n) : 0.0;
    const double kPart = part > 0.0 && perimeter > 0.0 ? ConveyanceLaw(1.0, part / perimeter, n) : 0.0;
    const double conveyance = k > 0.0 ? x.K * part / x.A * kPart / k : 0.0;
    if (a.A > 0.0 && a.K > 0.0 && conveyance > 0.0) {
        const double r = a.K / conveyance;
        *friction = e * part / a.A * r * r;
    } else {
        *friction = part > 0.0 ? e * a.A / part : e;
    }
}

BranchPart JunctionNodePart(const NodeRecord* a, const NodeRecord* x, double e, double kappa, double outward)
{
    BranchPart part;
    part.Discharge = e;
    const double n = x->CompositeN;
    JunctionPartAtLevel(CurrentLevel(a), CurrentLevel(x), e, kappa, outward, n, &part.Width, &part.FlowArea,
                        &part.Drop, &part.Friction);
    JunctionPartAtLevel(PreviousLevel(a), PreviousLevel(x), e, kappa, outward, n, &part.WidthPrevious,
                        &part.FlowAreaPrevious, &part.DropPrevious, &part.FrictionPrevious);
    return part;
}

void FillJunctionWork(NodeRecord* node, const BranchPart& part, double kappa)
{
    double* w = node->JunctionWork;
    const double b = node->RectWidth;
    const double f = part.Width, fp = part.WidthPrevious, e = part.Discharge;
    w[WorkGrossArea] = f * node->GrossArea;
    w[WorkPreviousGrossArea] = fp * node->PreviousGrossArea;
    // The step-start floating ice plays the current level in the natural kernels, the older
    // one the previous level.
    w[WorkFloatingIceArea] = f * node->PreviousFloatingIceArea;
    w[WorkOlderFloatingIceArea] = fp * ContinuityOlderFloatingIceArea(node);
    w[WorkFlowArea] = part.FlowArea;
    w[WorkPreviousFlowArea] = part.FlowAreaPrevious;
    w[WorkDischarge] = e * node->Discharge;
    w[WorkPreviousDischarge] = e * node->PreviousDischarge;
    w[WorkRectWidth] = f * b;
    w[WorkTopWidth] = f * node->TopWidth;
    w[WorkAnchorWidth] = f * node->AnchorWidth;
    w[WorkPerimeter] = b != 0.0 ? part.FlowArea * 2.0 / (f * b) + f * b : 0.0;
    w[WorkPreviousPerimeter] = b != 0.0 ? part.FlowAreaPrevious * 2.0 / (fp * b) + fp * b : 0.0;
    w[WorkIceDrag] = f * node->IceDrag;
    w[WorkPreviousIceDrag] = fp * node->PreviousIceDrag;
    w[WorkBedFriction] = part.Friction * node->BedFriction;
    w[WorkPreviousBedFriction] = part.FrictionPrevious * node->PreviousBedFriction;
    w[WorkFrictionTerm] = part.Friction * node->FrictionTerm;
    w[WorkPreviousFrictionTerm] = part.FrictionPrevious * node->PreviousFrictionTerm;
    w[WorkStage] = node->Stage - part.Drop;
    w[WorkPreviousStage] = node->PreviousStage - part.DropPrevious;
    w[WorkKappa] = kappa;
}

// Values and x-derivatives at an integration point, of node fields and of work copies.
struct At : PointInterpolation {
    double Work(int slot) const
    {
        return Value([slot](const NodeRecord* n) { return n->JunctionWork[slot]; });
    }
    double WorkSlope(int slot) const
    {
        return Slope([slot](const NodeRecord* n) { return n->JunctionWork[slot]; });
    }
};

// Friction coefficient F of a rectangular side branch (F Q is g A Sf) from the branch copies
// of one time level: area, wetted perimeter and width, with the nodes' roughness and ice.
double JunctionFrictionCoefficient(double area, double perimeter, double width, double velocity, double n,
                                   double ni, double iceConcentration, double iceThickness)
{
    double radius = 0.0;
    double mix = 1.0;
    if (iceConcentration * iceThickness > 0.0 && std::fabs(ni) > 0.0) {
        const double wetted = perimeter + width;
        radius = wetted != 0.0 ? area / wetted : 0.0;
        mix = RoughnessMixFactor(n, ni, perimeter != 0.0 ? width / perimeter : 0.0);
    } else {
        radius = perimeter != 0.0 ? area / perimeter : 0.0;
    }
    const double f = ComputeChezyFactor(radius, n, mix);
    return f > 0.0 && radius != 0.0 ? std::fabs(velocity) / (radius * f * f) : 0.0;
}

bool NaturalFormulation()
{
    const int f = g_ModelControl.Formulation;
    return f == 1 || f == 2;
}

// Node A as a branch element sees it: flow areas (m2) and discharges (m3/s) of both levels,
// width (m) and stages (m) of both levels. The through branch sees the node's own values, a
// side branch its part of them.
struct JunctionNodeView {
    double A, Ap, Q, Qp, B, H, Hp;
};

JunctionNodeView OwnView(const NodeRecord* a)
{
    return {a->FlowArea, a->PreviousFlowArea, a->Discharge, a->PreviousDischarge, a->RectWidth, a->Stage,
            a->PreviousStage};
}

JunctionNodeView WorkView(const NodeRecord* a)
{
    const double* w = a->JunctionWork;
    return {w[WorkFlowArea],  w[WorkPreviousFlowArea], w[WorkDischarge],    w[WorkPreviousDischarge],
            w[WorkRectWidth], w[WorkStage],            w[WorkPreviousStage]};
}

// Momentum flux through node A as a branch sees it, at both levels time-weighted: what the
// branch's flux terms integrated by parts leave at A. The natural-section form serves both
// natural formulations (their junction kernels are the natural-channel ones); the
// rectangular one, with the node's depth, only the rectangular formulation.
double NodeMomentumFlux(const NodeRecord* a, const JunctionNodeView& v, double T1, double T0)
{
    const double g = g_ModelControl.Gravity;
    const double convective = v.A > 0.0 ? v.Q * v.Q / v.A : 0.0;
    const double convectivep = v.Ap > 0.0 ? v.Qp * v.Qp / v.Ap : 0.0;
    if (NaturalFormulation()) {
        const double beta = a->MomentumCoefficient;
        return T1 * (g * v.A * v.H + beta * convective) + T0 * (g * v.Ap * v.Hp + beta * convectivep);
    }
    const double h = v.B != 0.0 ? v.A / v.B : 0.0;
    const double hp = v.B != 0.0 ? v.Ap / v.B : 0.0;
    return T1 * (0.5 * g * h * v.A + convective) + T0 * (0.5 * g * hp * v.Ap + convectivep);
}

// The conservation formulation's elements leave the pressure force g I(H) at a node where
// the natural-channel kernels of a junction branch leave g H A. At the branch's far node the
// difference is handed over so that the branch meets its reach with the reach's own force.
double FarNodePressureCorrection(const NodeRecord* x, double T1, double T0)
{
    const double g = g_ModelControl.Gravity;
    return g * (T1 * (ComputeAreaMomentBelow(x, x->Stage) - x->Stage * x->FlowArea) +
                T0 * (ComputeAreaMomentBelow(x, x->PreviousStage) - x->PreviousStage * x->PreviousFlowArea));
}

}  // namespace

void AddRectJunctionTerms(const GaussPointRecord* gp, ElementRecord* element)
{
    const int n = std::min({gp->Interpolation.NodeCount, element->NodeCount, MaxElementNodes});
    const At at{{gp, element->Nodes, n}};
    RectPointValues p{};
    InterpolateRectPointFields(gp, element, &p);
    RectNodeView views[MaxElementNodes];
    for (int k = 0; k < n; ++k) {
        const double* w = element->Nodes[k]->JunctionWork;
        views[k] = {w[WorkFlowArea], w[WorkPreviousFlowArea], w[WorkGrossArea],         w[WorkPreviousGrossArea],
                    w[WorkRectWidth], w[WorkDischarge],      w[WorkPreviousDischarge]};
    }
    InterpolateRectFlowState(gp, views, n, &p);
    const double Bs = at.Work(WorkRectWidth);
    const double Ps = at.Work(WorkPerimeter);
    const double Pps = at.Work(WorkPreviousPerimeter);

    if (g_ModelControl.ResistanceModel == 1) {
        p.Fb = at.Work(WorkBedFriction);
        p.Fbp = at.Work(WorkPreviousBedFriction);
        p.Ti = at.Work(WorkIceDrag);
        p.Tip = at.Work(WorkPreviousIceDrag);
    } else {
        p.F = JunctionFrictionCoefficient(p.A, Ps, Bs, p.V, p.nb, p.ni, p.Cc, p.t);
        p.Fp = JunctionFrictionCoefficient(p.Ap, Pps, Bs, p.Vp, p.nb, p.ni, p.Ccp, p.tp);
    }
    AddRectPointTerms(gp, element, p);
}

void AddNaturalJunctionTerms(const GaussPointRecord* gp, ElementRecord* element)
{
    const ModelControl& mc = g_ModelControl;
    const int n = std::min(gp->Interpolation.NodeCount, element->NodeCount);
    const At at{{gp, element->Nodes, n}};
    const double g = mc.Gravity;

    // The branch's parts of its nodes (node A's share of the junction node) and the nodes' own
    // momentum coefficients, sinuosities and anchor ice.
    NaturalPoint p{};
    p.A = at.Work(WorkFlowArea);
    p.Ap = at.Work(WorkPreviousFlowArea);
    p.Ag = at.Work(WorkGrossArea);
    p.Agp = at.Work(WorkPreviousGrossArea);
    p.Q = at.Work(WorkDischarge);
    p.Qp = at.Work(WorkPreviousDischarge);
    p.dAdx = at.WorkSlope(WorkFlowArea);
    p.dApdx = at.WorkSlope(WorkPreviousFlowArea);
    p.dQdx = at.WorkSlope(WorkDischarge);
    p.dQpdx = at.WorkSlope(WorkPreviousDischarge);
    p.Fs = at.Work(WorkFloatingIceArea);
    p.Fo = at.Work(WorkOlderFloatingIceArea);
    p.V = p.A > 0.0 ? p.Q / p.A : 0.0;
    p.Vp = p.Ap > 0.0 ? p.Qp / p.Ap : 0.0;
    p.H = at.Work(WorkStage);
    p.Hp = at.Work(WorkPreviousStage);
    p.dHdx = at.WorkSlope(WorkStage);
    p.dHpdx = at.WorkSlope(WorkPreviousStage);
    p.beta = at.Value(&NodeRecord::MomentumCoefficient);
    const double dBeta = at.Slope(&NodeRecord::MomentumCoefficient);
    p.sigma = at.Value(&NodeRecord::SinuosityRatio);
    p.Ns = at.Value(&NodeRecord::PreviousAnchorIceArea);
    p.No = at.Value(ContinuityOlderAnchorIceArea);
    const double D = at.Value(&NodeRecord::HydraulicDepth);
    const double Dp = at.Value(&NodeRecord::PreviousHydraulicDepth);
    const double c = std::sqrt(std::fabs(g * D));
    const double cp = std::sqrt(std::fabs(g * Dp));

    if (mc.ResistanceModel == 1) {
        p.Fb = at.Work(WorkBedFriction);
        p.Fbp = at.Work(WorkPreviousBedFriction);
        p.Ti = at.Work(WorkIceDrag);
        p.Tip = at.Work(WorkPreviousIceDrag);
    } else {
        p.Ff = at.Work(WorkFrictionTerm);
        p.Ffp = at.Work(WorkPreviousFrictionTerm);
    }
    ComputeNaturalMomentumResiduals(dBeta, &p);
    SelectHydroUpwinding(p.V, c, p.Vp, cp, &p.S, &p.Sp);
    AddNaturalPointTerms(gp, element, n, p, NaturalJunctionForm, nullptr);
}

void UpdateJunctionFlowDirections()
{
    for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
        for (int k = 0; k < 3; ++k) {
            const NodeRecord* node = j->ReadNodes[k + 1];
            if (node) j->FlowSign[k] = NextFlowSign(j->FlowSign[k], node->FluxDischarge);
        }
        const bool sB = j->FlowSign[0] > 0, sC = j->FlowSign[1] > 0, sD = j->FlowSign[2] > 0;
        enum { AsRead, SwapCD, SwapBD, Unchanged } arrangement = Unchanged;
        bool readTypeArrangement = true;   // type as read (true) or the other one
        if (sB == sC && sC == sD) {
            arrangement = AsRead;
            readTypeArrangement = sB;
        } else if (sC == sD) {
            arrangement = SwapCD;
            readTypeArrangement = sB;
        } else if (sB == sD) {
            arrangement = SwapBD;
            readTypeArrangement = !sB;
        }
        // (sB, sC, sD) = (+, +, -) or (-, -, +): every branch flows in or every one out, which
        // no arrangement describes; the last one stays.
        if (arrangement != Unchanged) {
            const ElementRecord* const before[3] = {j->ElementAB, j->ElementAC, j->ElementAD};
            NodeRecord* const* n = j->ReadNodes;
            ElementRecord* const* e = j->ReadElements;   // AB, AC, AD
            j->NodeB = n[1];
            j->NodeC = n[2];
            j->NodeD = n[3];
            j->ElementAB = e[0];
            j->ElementAC = e[1];
            j->ElementAD = e[2];
            if (arrangement == SwapCD) {
                j->NodeC = n[3];
                j->NodeD = n[2];
                j->ElementAC = e[2];
                j->ElementAD = e[1];
            } else if (arrangement == SwapBD) {
                j->NodeB = n[3];
                j->NodeD = n[1];
                j->ElementAB = e[2];
                j->ElementAD = e[0];
            }
            const int other = j->ReadType == 2 ? 1 : 2;
            const int read = j->ReadType == 2 ? 2 : 1;
            j->Type = readTypeArrangement ? read : other;
            if (j->ElementAC) j->ElementAC->JunctionBranch = 1;
            if (j->ElementAB) j->ElementAB->JunctionBranch = 2;
            if (j->ElementAD) j->ElementAD->JunctionBranch = 3;
            // Branches that changed their parts are assembled in another order.
            if (before[0] != j->ElementAB || before[1] != j->ElementAC || before[2] != j->ElementAD)
                for (EquationSystem& es : g_EquationSystems) es.ItemsLaidOut = 0;
        }
        ComputeJunctionBranchAngles(j);
        // The share follows the branch discharges from step to step, not from iteration to
        // iteration: within a step the residuals then depend on the unknowns alone, and the
        // Newton iterations converge as they do without junctions.
        j->StepShareAB = SideShareAB(j);
    }
}

void InitialiseJunctionShares()
{
    for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
        if (!j->NodeB || !j->NodeC) continue;
        j->BranchDischargeAB = j->NodeB->Discharge;
        j->BranchDischargeAC = j->NodeC->Discharge;
        j->StepShareAB = SideShareAB(j);
    }
}

void ComputeJunctionBranchResidual(ElementRecord* element, JunctionRecord* junction)
{
    ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    GaussPointRecord gp;
    const int n = CountElementNodes(element, &gp.Interpolation);
    if (n < 2 || mc.ElementVector.size() < static_cast<size_t>(n * Upn)) return;
    for (int k = 0; k < n; ++k)
        if (!element->Nodes[k]) return;

    // Node A's place in the element and the branch the element plays; an element that does
    // not reach node A, or is no branch of this junction, is an ordinary element.
    NodeRecord* a = junction ? junction->NodeA : nullptr;
    int at = -1;
    for (int k = 0; k < 2; ++k)
        if (a && element->Nodes[k] == a) at = k;
    const bool through = junction && element == junction->ElementAD;
    const bool sideAB = junction && !through && element == junction->ElementAB;
    const bool sideAC = junction && !through && !sideAB && element == junction->ElementAC;
    if (at < 0 || !(through || sideAB || sideAC)) {
        ComputeHydroElementResidual(element);
        return;
    }
    NodeRecord* x = element->Nodes[1 - at];

    std::fill(mc.ElementVector.begin(), mc.ElementVector.begin() + n * Upn, 0.0);
    double points[4][4];
    const int count = GetQuadratureRule(element->GeometryCode, points);
    for (int k = 0; k < n; ++k) RefreshNodeForResidual(element->Nodes[k]);
    element->EndFluxes[0] = element->EndFluxes[1] = 0.0;

    // Node A's discharge points the branch's way: its sign follows the flow at the branch's
    // other end.
    const double sign = RelativeSign(a->FluxDischarge, x->FluxDischarge);
    const double savedQ = a->Discharge, savedQp = a->PreviousDischarge;
    a->Discharge = sign * savedQ;
    a->PreviousDischarge = sign * savedQp;

    const double E = std::clamp(junction->StepShareAB, 0.0, 1.0);
    if (through) {
        for (int p = 0; p < count; ++p) {
            EvaluateGaussPoint(element, element->Length, points[p], &gp);
            if (NaturalFormulation())
                AddNaturalChannelTerms(&gp, element);
            else
                AddRectConservationTerms(&gp, element);
        }
    } else {
        const double kappa = sideAB ? junction->BranchCosines[1] : junction->BranchCosines[0];
        FillJunctionWork(a, JunctionNodePart(a, x, sideAB ? E : 1.0 - E, kappa, at == 0 ? 1.0 : -1.0), kappa);
        FillJunctionWork(x, WholeNode(x), kappa);
        for (int p = 0; p < count; ++p) {
            EvaluateGaussPoint(element, element->Length, points[p], &gp);
            if (NaturalFormulation())
                AddNaturalJunctionTerms(&gp, element);
            else
                AddRectJunctionTerms(&gp, element);
        }
    }
    a->Discharge = savedQ;
    a->PreviousDischarge = savedQp;

    // The flux terms integrated by parts leave the branch's momentum flux at A; closing it
    // here makes each branch act on A through its own gradient only.
    const double T1 = es.Theta * mc.DeltaT;
    const double T0 = (1.0 - es.Theta) * mc.DeltaT;
    const double M = NodeMomentumFlux(a, through ? OwnView(a) : WorkView(a), T1, T0);
    double* r = mc.ElementVector.data();
    if (at == 0)
        r[1] += M;
    else
        r[Upn + 1] -= M;

    // The far node joins an element of the conservation formulation, unless it is itself
    // the junction node of a junction, where every element is a natural-channel one.
    if (mc.Formulation == 2 && !(x->Junction && x->Junction->NodeA == x)) {
        const double correction =
            FarNodePressureCorrection(x, es.Theta * mc.DeltaT, (1.0 - es.Theta) * mc.DeltaT);
        if (at == 0)
            r[Upn + 1] += correction;   // far node second: its boundary force enters with +
        else
            r[1] -= correction;
    }
}

double JunctionWorkAnchorWidth(const NodeRecord* node)
{
    return node->JunctionWork[WorkAnchorWidth];
}

JunctionBranchView ViewJunctionNodeFromBranch(const JunctionRecord* junction, const ElementRecord* element)
{
    JunctionBranchView view;
    if (!junction || !element || !junction->NodeA) return view;
    const bool through = element == junction->ElementAD;
    const bool sideAB = !through && element == junction->ElementAB;
    const bool sideAC = !through && !sideAB && element == junction->ElementAC;
    if (!(through || sideAB || sideAC) || element->NodeCount < 2) return view;
    int at = -1;
    for (int k = 0; k < 2; ++k)
        if (element->Nodes[k] == junction->NodeA) at = k;
    if (at < 0 || !element->Nodes[1 - at]) return view;
    const NodeRecord* a = junction->NodeA;
    const NodeRecord* x = element->Nodes[1 - at];
    view.NodeA = at;
    view.Sign = RelativeSign(a->FluxDischarge, x->FluxDischarge);
    view.FlowArea = a->FlowArea;
    view.PreviousFlowArea = a->PreviousFlowArea;
    if (!through) {
        const double E = std::clamp(junction->StepShareAB, 0.0, 1.0);
        const double kappa = sideAB ? junction->BranchCosines[1] : junction->BranchCosines[0];
        const BranchPart part = JunctionNodePart(a, x, sideAB ? E : 1.0 - E, kappa, at == 0 ? 1.0 : -1.0);
        view.DischargeShare = part.Discharge;
        view.AreaShare = part.Width;
        view.FlowArea = part.FlowArea;
        view.PreviousFlowArea = part.FlowAreaPrevious;
    }
    return view;
}
