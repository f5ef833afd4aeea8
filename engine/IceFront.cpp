// Ice front, border ice and bridging events.
//
// Border ice grows out from both banks of every node with a cross section: floes join the
// border where the water at its edge is slow (dynamic extension), and its width grows by the
// heat the open water loses (thermal growth) and by static freezing in cold air. Its thickness
// follows the heat conducted up through it.
//
// A bridging event closes the river at its bridging location at its bridging time; the cover's
// front then moves upstream as the arriving surface ice packs against it (juxtaposition, or the
// thickening of an equilibrium jam in faster water), stalls where the flow is too fast, and moves
// back downstream where the ice melts out.
#include "engine/IceFront.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ThermalIce.h"

namespace {

// Relative velocity at a border's edge (edge ice velocity over MaxBorderIceVelocity) at or
// below which arriving floes join the border, and at or above which the border cannot grow by
// the heat the water loses.
constexpr double BorderExtensionLimit = 0.167;
constexpr double BorderGrowthLimit = 1.0;
// Smallest surface ice concentration counted by thermal border growth in velocity mode 1.
constexpr double MinimumBorderConcentration = 0.1;
// Dynamic extension advances an edge by this fraction of the width of its section segment.
constexpr double ExtensionStepFraction = 0.01;
// Extension steps per section point at most (a segment is crossed in 1 / ExtensionStepFraction).
constexpr int ExtensionStepsPerPoint = 100;
// A bridging event acts for this long after its bridging time (s; 243.33 days).
constexpr double BridgingActivePeriod = 21024000.0;
// Surface ice thinner than this (m, solid equivalent) has melted out.
constexpr double MeltedIceThickness = 0.001;
// A jam iteration has converged when its increments (m2) are this small.
constexpr double JamIncrementTolerance = 0.001;

// Extension step of a border's edge: a fraction of the width of the section segment that holds
// the edge station, or `fallback` when no segment holds it.
double ExtensionStepAt(const NodeRecord* node, int side, double fallback)
{
    const CrossSectionTable* t = node->CrossSection;
    if (!t) return fallback;
    const double station = node->BorderEdgeStations[side - 1];
    const int np = std::min(t->PointCount, static_cast<int>(t->Points.size()));
    for (int i = 0; i + 1 < np; ++i)
        if (station >= t->Points[i].Station && station <= t->Points[i + 1].Station)
            return ExtensionStepFraction * (t->Points[i + 1].Station - t->Points[i].Station);
    return fallback;
}

// Floes join a border while the water at its edge is slow. Each step advances the edge and
// locates it again; the extension ends when the step can no longer move the edge forward (a
// vertical segment, or the velocity ratio as the fallback step under reverse flow), and after a
// bounded number of steps. `ratio` is the ice velocity over the water velocity.
void ExtendBorder(NodeRecord* node, int side, double ratio, double* h)
{
    const ModelControl& mc = g_ModelControl;
    double& width = side == 1 ? node->BorderWidthLeft : node->BorderWidthRight;
    const CrossSectionTable* t = node->CrossSection;
    const int limit = ExtensionStepsPerPoint * ((t ? t->PointCount : 0) + 1);
    double step = ExtensionStepAt(node, side, ratio);
    for (int k = 0; k < limit; ++k) {
        if (!(*h <= BorderExtensionLimit && node->IceVelocity > 0.0 && node->WaterTemp < 0.0 &&
              node->AirTemperature < 0.0 &&
              node->TopWidth * mc.MaxBorderIceFraction > node->BorderWidthLeft + node->BorderWidthRight))
            break;
        if (!(step > 0.0) || !std::isfinite(step)) break;
        width += step;
        const double u = LocateBorderIceEdge(node, width, side);
        step = ExtensionStepAt(node, side, ratio);
        *h = u * ratio / mc.MaxBorderIceVelocity;
    }
}

// Froude number of the flow at a node, infinite when the node has no depth.
double FroudeAt(const NodeRecord* node)
{
    const double wave = g_ModelControl.Gravity * node->GrossHydraulicDepth;
    if (!(node->FlowArea > 0.0) || !(wave > 0.0)) return std::numeric_limits<double>::infinity();
    return node->FluxDischarge / node->FlowArea / std::sqrt(wave);
}

// Porosity of the ice accumulating at a front from the node's layers: the slush pores carried
// into the floe pores, and the pores between the floes.
double AccumulationPorosity(const NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    const double slush = node->UnderSlushThickness + node->SlushThickness;
    const double total = node->IceThickness + slush;
    if (!(total > 0.0)) return mc.IceFrontFloePorosity;
    return slush * mc.FrazilSlushPorosity / total * (1.0 - mc.IceFrontFloePorosity) + mc.IceFrontFloePorosity;
}

bool MeltedOut(const NodeRecord* node)
{
    const double n = g_ModelControl.FrazilSlushPorosity;
    return (1.0 - n) * node->SlushThickness + node->IceThickness < MeltedIceThickness &&
           node->WaterTemp > WarmWaterTemperature;
}

// The two jams solved at a front.
enum class Jam { Narrow, Equilibrium };

// Force balance of an equilibrium jam of thickness t at the node, at its present hydraulics:
// quadratic t^2 + linear t - constant = 0 (cohesion and internal friction against the shear of
// the flow on the cover and the cover's own weight component).
struct JamBalance {
    double quadratic, linear, constant;
};
JamBalance EquilibriumBalance(const NodeRecord* node, double k0)
{
    const ModelControl& mc = g_ModelControl;
    const double g = mc.Gravity, s = mc.IceSpecificGravity, rho = mc.WaterDensity;
    const double q = node->Discharge, a = node->FlowArea;
    const double nc = node->CompositeN, radius = node->HydraulicRadius, ni = node->IceManningN;
    const double load = q * q * nc * nc * node->IceCoveredWidth / (a * a);
    return {mc.IceFriction * s * (1.0 - s) * (1.0 - k0),
            2.0 * mc.IceCohesion / (rho * g) - s * load / std::pow(radius, 4.0 / 3.0),
            load * std::pow(ni / nc, 1.5) / std::pow(radius, 1.0 / 3.0)};
}

// Residuals of a jam at `node` with the downstream node `next` fixed: the energy equation
// between the two nodes, and the jam's force balance.
void JamResiduals(const NodeRecord* node, const NodeRecord* next, double length, double k0, Jam jam, double r[2])
{
    const ModelControl& mc = g_ModelControl;
    const double g = mc.Gravity, s = mc.IceSpecificGravity;
    const double q = node->Discharge, a = node->FlowArea;
    const double qm = next->Discharge, am = next->FlowArea;
    r[0] = q * q / (2.0 * g * a * a) + node->Stage - next->Stage - qm * qm / (2.0 * g * am * am) -
           (std::fabs(node->FrictionSlope) + std::fabs(next->FrictionSlope)) * length * 0.5;
    const double t = node->SolidEquivalentThickness;
    if (jam == Jam::Narrow) {
        r[1] = q * q - (1.0 - s) * 2.0 * g * a * a * (1.0 - k0) * t;
        return;
    }
    const JamBalance b = EquilibriumBalance(node, k0);
    r[1] = b.linear * t + b.quadratic * t * t - b.constant;
}

// Sets the jam's two unknowns at the node (gross area, solid-ice area), refreshes it and
// evaluates the residuals.
void EvaluateJam(NodeRecord* node, const NodeRecord* next, double length, double k0, Jam jam, const double x[2],
                 double r[2])
{
    node->HydroUnknowns[0] = x[0];
    node->ThermalUnknowns[5] = x[1];
    UpdateNodeThermalState(node);
    UpdateNodeHydraulics(node);
    JamResiduals(node, next, length, k0, jam, r);
}

// Newton iterations of one jam from (gross area, solid-ice area) = start, with a Jacobian by
// forward differences. The jam's solid-equivalent thickness when the increments became small,
// else 0 (no convergence, a singular Jacobian, or an unknown that turned negative).
double IterateJam(NodeRecord* node, const NodeRecord* next, double length, double k0, Jam jam, double grossArea,
                  double solidArea)
{
    const int limit = g_ModelControl.MaxJamIterations;
    const double root = std::sqrt(std::numeric_limits<double>::epsilon());
    double x[2] = {grossArea, solidArea};
    for (int it = 0; it < limit; ++it) {
        double r[2], m[2][2];
        EvaluateJam(node, next, length, k0, jam, x, r);
        for (int j = 0; j < 2; ++j) {
            // A step of sqrt(eps) relative to the unknown (at least sqrt(eps) absolute) keeps the
            // difference clear of rounding on large areas.
            double xp[2] = {x[0], x[1]};
            const double h = root * std::max(1.0, std::fabs(x[j]));
            xp[j] += h;
            double rp[2];
            EvaluateJam(node, next, length, k0, jam, xp, rp);
            m[0][j] = (rp[0] - r[0]) / -h;
            m[1][j] = (rp[1] - r[1]) / -h;
        }
        // m = -dR/dx: the increment d solves m d = R (Cramer's rule).
        const double det = m[0][0] * m[1][1] - m[0][1] * m[1][0];
        if (det == 0.0 || !std::isfinite(det)) return 0.0;
        const double d0 = (r[0] * m[1][1] - m[0][1] * r[1]) / det;
        const double d1 = (m[0][0] * r[1] - m[1][0] * r[0]) / det;
        if (!std::isfinite(d0) || !std::isfinite(d1)) return 0.0;
        x[0] += d0;
        x[1] += d1;
        if (x[0] < 0.0 || x[1] < 0.0) return 0.0;
        if (std::sqrt(d0 * d0 + d1 * d1) <= JamIncrementTolerance) {
            double r2[2];
            EvaluateJam(node, next, length, k0, jam, x, r2);
            return std::max(0.0, node->SolidEquivalentThickness);
        }
    }
    return 0.0;
}

}  // namespace

void GrowBorderIce(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    if (!NodeHasCrossSection(node)) {
        node->BorderIceActive = 0;
        node->BorderWidthLeft = node->BorderWidthRight = 0.0;
        node->BorderIceThickness = node->BorderIceArea = 0.0;
        return;
    }
    node->BorderIceActive = 1;
    const int mode = mc.BorderIceVelocityMode;
    double f = std::min(1.0, node->ThermalUnknowns[3]);
    if (f < MinimumBorderConcentration) f = mode != 0 ? MinimumBorderConcentration : 0.0;

    // Ice velocity at the edges relative to the largest at which borders grow.
    double hL, hR;
    if (mode != 0) {
        hL = hR = node->IceVelocity / mc.MaxBorderIceVelocity;
    } else {
        const double uL = LocateBorderIceEdge(node, node->BorderWidthLeft, 1);
        const double uR = LocateBorderIceEdge(node, node->BorderWidthRight, 2);
        // In still water nothing moves at the edges.
        const double ratio = node->Velocity != 0.0 ? node->IceVelocity / node->Velocity : 0.0;
        hL = uL * ratio / mc.MaxBorderIceVelocity;
        hR = uR * ratio / mc.MaxBorderIceVelocity;
        if (hL <= BorderExtensionLimit) ExtendBorder(node, 1, ratio, &hL);
        if (hR <= BorderExtensionLimit) ExtendBorder(node, 2, ratio, &hR);
    }

    // Thermal growth in freezing air.
    const double ta = node->AirTemperature;
    const double dt = mc.DeltaT;
    const double freezing = mc.IceDensity * mc.LatentHeat;
    if (ta <= 0.0 && mc.MaxBorderIceFraction > node->BorderFraction && !node->Bridged && node->BorderIceActive == 1) {
        const double q = node->NetHeatFlux;
        const auto dynamic = [&](double h) {
            if (!(q > 0.0) || !(h > BorderExtensionLimit && h < BorderGrowthLimit)) return 0.0;
            return std::pow(f, mc.BorderIceCoefB) * mc.BorderIceCoefA * std::pow(h, mc.BorderIceCoefC) * q / freezing *
                   dt;
        };
        const double stat = node->Hwa * mc.BorderIceCoefE * (0.0 - ta) / freezing * dt;
        node->BorderWidthLeft = std::max(0.0, node->BorderWidthLeft + stat + dynamic(hL));
        node->BorderWidthRight = std::max(0.0, node->BorderWidthRight + stat + dynamic(hR));
    }

    // Thickness from the heat conducted up through the border ice, less the heat of warm water.
    const double before = node->PreviousBorderIceThickness;
    const double qc = ComputeCoverHeatFlux(ta, node->SolarRadiation, before, node->Hia);
    const double qw = node->WaterTemp > 0.0 ? node->WaterIceHeatFlux : 0.0;
    double thickness = before + (qc - qw) / freezing * dt;
    if (!(thickness > 0.0) || !(node->BorderWidthLeft + node->BorderWidthRight > 0.0)) {
        thickness = 0.0;
        node->BorderWidthLeft = node->BorderWidthRight = 0.0;
    }
    node->BorderIceThickness = thickness;

    SetBorderIceFraction(node, std::max(node->TopWidth, node->IceLevelWidth));
    node->BorderIceArea = std::max(0.0, thickness * 0.5 * (node->BorderWidthLeft + node->BorderWidthRight));
}

void SetBorderIceFraction(NodeRecord* node, double width)
{
    const ModelControl& mc = g_ModelControl;
    if (width > 0.0) node->BorderFraction = (node->BorderWidthLeft + node->BorderWidthRight) / width;
    if (node->BorderFraction > mc.MaxBorderIceFraction) {
        const double scale = mc.MaxBorderIceFraction / node->BorderFraction;
        node->BorderFraction = mc.MaxBorderIceFraction;
        node->BorderWidthLeft *= scale;
        node->BorderWidthRight *= scale;
    }
}

void AdvanceIceFront(BridgingEventRecord* event)
{
    ModelControl& mc = g_ModelControl;
    event->StepStartFront = event->FrontLocation;
    const bool active =
        event->BridgingTime <= mc.ModelTime && mc.ModelTime <= event->BridgingTime + BridgingActivePeriod;
    if (!active || g_NodeIndex.empty()) {
        LocateIceFrontStation(nullptr, event);
        return;
    }
    mc.IceFrontStarted = 1;
    const double x = event->StepStartFront;
    NodeRecord* first = g_NodeIndex.front();
    NodeRecord* last = g_NodeIndex.back();

    // The reach (node, next node] that holds the front, searched from the downstream end.
    NodeRecord* holder = nullptr;
    for (auto it = g_NodeIndex.rbegin(); it != g_NodeIndex.rend(); ++it) {
        NodeRecord* n = *it;
        const double next = n->Next ? n->Next->Chainage : 0.0;
        if (x > n->Chainage && x <= next) {
            holder = n;
            break;
        }
    }

    double front = x;
    if (holder) {
        const double fr = FroudeAt(holder);
        const double vi = holder->IceVelocity;
        const double slush = holder->UnderSlushThickness + holder->SlushThickness;
        const double solid = (1.0 - mc.FrazilSlushPorosity) * slush + holder->IceThickness;
        const double packing = 1.0 - AccumulationPorosity(holder);
        // Ice volume carried to the front per unit ice velocity, m2.
        const double qi = holder->IceConcentration * solid * holder->IceCoveredWidth;
        const bool juxtaposition = fr <= mc.MaxJuxtapositionFroude && vi > 0.0;
        const bool jam = !juxtaposition && fr > mc.MaxJuxtapositionFroude && fr < holder->FroudeMax && vi > 0.0;
        if (juxtaposition || jam) {
            if (qi > 0.0) {
                // Volume of new cover per unit length of river, m2.
                const double thickness = juxtaposition ? holder->IceThickness + slush : SolveIceFrontJam(holder, x);
                const double cover = thickness * holder->IceCoveredWidth * packing - qi;
                front = cover > 0.0 ? x - qi * vi / cover * mc.DeltaT : holder->Chainage;
            }
        } else {
            holder->IceFrontStalled = 1;
        }
        front = std::max(front, holder->Chainage);
    } else if (x <= first->Chainage) {
        front = first->Chainage;
    } else {
        // A front downstream of the river's last node enters the river there.
        front = last->Chainage;
    }

    // Melt-out: the front retreats one node downstream where the ice at the front has melted,
    // never past the bridging location.
    const auto retreat = [&](NodeRecord* at, NodeRecord* to) {
        if (to->Chainage > event->BridgingLocation) {
            front = event->BridgingLocation;
            at->IceFrontAtNode = 0;
        } else {
            front = to->Chainage;
        }
    };
    if (front == first->Chainage && MeltedOut(first) && first->Next) {
        retreat(first, first->Next);
    } else {
        for (NodeRecord* n = first; n && n->Next; n = n->Next) {
            NodeRecord* m = n->Next;
            if (front > n->Chainage && front <= m->Chainage && MeltedOut(m) && m->Next) {
                retreat(m, m->Next);
                break;
            }
        }
    }
    event->FrontLocation = front;
    LocateIceFrontStation(nullptr, event);
}

double SolveIceFrontJam(NodeRecord* node, double front)
{
    ModelControl& mc = g_ModelControl;
    const NodeRecord* next = node->Next;
    if (!next) return node->SolidEquivalentThickness;
    const double length = next->Chainage - node->Chainage;
    if (!(length > 0.0)) return node->SolidEquivalentThickness;
    const double k0 = AccumulationPorosity(node);

    // The iterations work on the node itself; it is put back whole afterwards.
    const NodeRecord saved = *node;
    const int thermalOn = mc.ThermalIceOn;
    mc.ThermalIceOn = 0;
    node->IceVelocity = 0.0;
    node->ThermalUnknowns[2] = 0.0;   // under-cover slush
    node->ThermalUnknowns[3] = 1.0;   // a closed cover
    node->ThermalUnknowns[4] = 0.0;   // surface slush
    const double narrow =
        IterateJam(node, next, length, k0, Jam::Narrow, saved.HydroUnknowns[0], saved.ThermalUnknowns[5]);
    // The equilibrium jam starts from the thickness its force balance gives at the node's present
    // hydraulics under the closed cover. (From no ice at all, a cover without cohesion has a
    // falling balance: the first Newton step would make the ice negative and the jam would never
    // form.)
    const double start[2] = {saved.HydroUnknowns[0], saved.ThermalUnknowns[5]};
    double r[2];
    EvaluateJam(node, next, length, k0, Jam::Equilibrium, start, r);
    const JamBalance b = EquilibriumBalance(node, k0);
    double thickness = 0.0;
    if (b.quadratic > 0.0)
        thickness = (-b.linear + std::sqrt(b.linear * b.linear + 4.0 * b.quadratic * b.constant)) / (2.0 * b.quadratic);
    else if (b.linear > 0.0)
        thickness = b.constant / b.linear;
    const double cover = std::max(mc.MinSurfaceIceConcentration, std::min(mc.MaxSurfaceIceConcentration, 1.0)) *
                         node->IceCoveredWidth;
    const double startArea = std::isfinite(thickness) && thickness > 0.0 ? thickness * cover : 0.0;
    const double equilibrium = IterateJam(node, next, length, k0, Jam::Equilibrium, saved.HydroUnknowns[0], startArea);
    *node = saved;
    mc.ThermalIceOn = thermalOn;

    const double w = (front - node->Chainage) / length;
    return w * next->SolidEquivalentThickness + (1.0 - w) * std::max(narrow, equilibrium);
}

void LocateIceFrontStation(NodeRecord* node, BridgingEventRecord* event)
{
    if (!event) return;
    if (!node) {
        // The reach (Chainage, next Chainage] that holds the front; the upstream-most wins.
        for (NodeRecord* n = g_Nodes; n && n->Next; n = n->Next)
            if (event->FrontLocation > n->Chainage && event->FrontLocation <= n->Next->Chainage) {
                node = n;
                break;
            }
        if (!node) node = g_Nodes;
        if (!node) return;
    }
    const NodeRecord* next = node->Next;
    if (!next || next->Chainage == node->Chainage) {
        event->FrontStation = node->RiverStation;
        return;
    }
    event->FrontStation = node->RiverStation + (next->RiverStation - node->RiverStation) *
                                                   (event->FrontLocation - node->Chainage) /
                                                   (next->Chainage - node->Chainage);
}
