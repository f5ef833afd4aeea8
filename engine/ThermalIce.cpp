// Thermal ice processes (equation system 2).
//
// Six unknowns per node, in this order: the energy e of the water-ice mixture (J/kg), the
// suspended frazil concentration Cf (volume fraction), the area of slush carried under the
// cover Aus (m2), the surface ice concentration C (fraction of the ice-covered width), the
// surface slush area As (m2) and the solid surface ice area Ai (m2). A step solves the energy
// alone while all water is at 1 degC or warmer without ice, energy and frazil while some water is
// colder, and all six once ice exists anywhere.
//
// The element kernel integrates with the nodal two-point rule, so each node's storage and
// exchange terms are lumped at the node and the transport fluxes telescope from element to
// element: the sum over the nodes of length x storage changes only by what the boundaries let in
// and out and by the exchanges with the air, the bed and the ice.
//
// Symbols below: s = IceSpecificGravity, L = LatentHeat (J/kg), rho = WaterDensity and
// rhoi = IceDensity (kg/m3), n = FrazilSlushPorosity, p = AnchorIcePorosity, T1 = Theta DeltaT and
// T0 = (1 - Theta) DeltaT of the thermal system (s); a trailing p marks a previous-level value.
#include "engine/ThermalIce.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <new>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/IceFront.h"
#include "engine/Prefetch.h"
#include "engine/TimeStepping.h"
#include "engine/SeriesLookup.h"

namespace {

// Rows of the thermal unknowns at a node, in their order.
enum ThermalRow { EnergyRow = 0, FrazilRow, UnderSlushRow, ConcentrationRow, SlushRow, SolidIceRow };
constexpr int ThermalUnknownCapacity = 6;
// Unknowns per node: energy alone, energy and frazil, or all six.
constexpr int EnergyOnly = 1, EnergyAndFrazil = 2, AllThermalUnknowns = 6;

// A quantity above this counts as present when a step chooses its unknowns.
constexpr double PresenceThreshold = 1e-10;
// Water colder than this (degC) may form frazil: its step solves the frazil row as well.
constexpr double FrazilTemperatureLimit = 1.0;
// Smallest under-cover transport velocity of a node congested with slush (m/s).
constexpr double CongestedSlushVelocity = 0.01;
// A congested node frees itself once its open area exceeds this multiple of the slush pores.
constexpr double CongestionReleaseFactor = 1.1;
// Bed-load transport of cover-load granules: phi = 5.487 (theta - theta_c)^1.5.
constexpr double CoverLoadCoefficient = 5.487;
constexpr double CoverLoadExponent = 1.5;
// Water-to-ice heat transfer qt = |V|^0.8 / D^0.2 x alpha x T (W/m2).
constexpr double HeatTransferVelocityExponent = 0.8;
constexpr double HeatTransferDepthExponent = 0.2;
// Air temperature (degC) and solar radiation of a node without an atmospheric zone.
constexpr double NoZoneAirTemperature = 100.0;

// Enthalpy of water h(T) = (0.076 T^2 - 3.31 T + 4217.6) T (J/kg) and its derivative.
constexpr double EnthalpyCubic = 0.076, EnthalpySquare = -3.31, EnthalpyLinear = 4217.6;
double Enthalpy(double t) { return ((EnthalpyCubic * t + EnthalpySquare) * t + EnthalpyLinear) * t; }
double EnthalpySlope(double t) { return (3.0 * EnthalpyCubic * t + 2.0 * EnthalpySquare) * t + EnthalpyLinear; }
// Enthalpy (J/kg) of water at 1e-3 degC: below it in size the cubic is nearly linear, its linear
// root h / 4217.6 off the true root by less than 1e-6 of the root.
constexpr double NearlyLinearEnthalpy = EnthalpyLinear * 1e-3;

double Sign(double x) { return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0); }

// Ice or water at StillVelocity or slower stands still: it is carried nowhere and gives the
// upwinding no direction (which would otherwise move the share of each node in its elements'
// heat loss from step to step).
bool IsStill(double velocity) { return !(std::fabs(velocity) > StillVelocity); }
// Direction of transport at a velocity: +1, -1, or 0 when still.
double Direction(double velocity) { return IsStill(velocity) ? 0.0 : Sign(velocity); }

// Value of one column of a boundary series at ModelTime, 0 when the series cannot give it.
double SeriesAt(const BoundaryHydrograph* h, int column)
{
    if (!h || h->RowCount <= 0 || column < 0 || column >= BoundaryHydrographColumns) return 0.0;
    const size_t rows = static_cast<size_t>(h->RowCount);
    if (h->Columns[0].size() < rows || h->Columns[column].size() < rows) return 0.0;
    return SeriesValueAt(NameHydrograph(h), h->Columns[0].data(), h->Columns[column].data(), g_ModelControl.ModelTime,
                         h->RowCount);
}

// Time weights of the thermal system: T1 (current level) and T0 (previous level), s.
struct TimeWeights {
    double T1, T0;
};
TimeWeights ThermalTimeWeights()
{
    const EquationSystem& es = g_EquationSystems[ThermalIceSystem];
    const double dt = g_ModelControl.DeltaT;
    return {es.Theta * dt, (1.0 - es.Theta) * dt};
}

int ThermalUnknownsPerNode()
{
    return std::clamp(g_EquationSystems[ThermalIceSystem].UnknownsPerNode, 0, ThermalUnknownCapacity);
}

// Thermal state of a node for a residual evaluation: while the framework differences the
// residuals it keeps every node's state current itself; any other caller gets it refreshed here.
void RefreshThermalNode(NodeRecord* node)
{
    if (g_ModelControl.Differencing == NotDifferencing) UpdateNodeThermalState(node);
}

// Unknowns per node for this step: all six when ice exists at a node (frazil in supercooled
// water, anchor, surface or border ice) or enters with a boundary series; energy and frazil when
// some water is colder than the frazil limit; else the energy alone.
int ChooseUnknownsPerNode()
{
    bool ice = false, cold = false;
    for (const NodeRecord* n : g_NodeIndex) {
        if (!n) continue;
        if ((n->WaterTemp < 0.0 && n->FrazilConcentration > PresenceThreshold) ||
            n->AnchorIceThickness > PresenceThreshold || n->IceConcentration > PresenceThreshold ||
            n->BorderIceThickness > PresenceThreshold)
            ice = true;
        if (n->WaterTemp < FrazilTemperatureLimit) cold = true;
    }
    // Only inflow series carry ice (a rating curve's rows have no times to look up).
    for (const BoundaryElementRecord* b = g_BoundaryElements; b && !ice; b = b->Next) {
        if (b->DischargeCode != 1 && b->DischargeCode != 99) continue;
        const BoundaryHydrograph* h = b->Hydrograph;
        if ((SeriesAt(h, 7) + SeriesAt(h, 8)) * SeriesAt(h, 6) > PresenceThreshold) ice = true;
    }
    if (ice) return AllThermalUnknowns;
    return cold ? EnergyAndFrazil : EnergyOnly;
}

// ---------------------------------------------------------------------------------------
// Element kernel
// ---------------------------------------------------------------------------------------
// Heat and frazil of a lateral inflow at one of the element's nodes.
struct LateralInflow {
    double Energy = 0.0;    // ein, J/kg
    double Frazil = 0.0;    // Cfin
};

LateralInflow LateralInflowOf(const ElementRecord* element, int nodes)
{
    LateralInflow in;
    if (g_ModelControl.ThermalMode != 1) return in;
    for (int k = 0; k < nodes; ++k) {
        const BoundaryElementRecord* b = element->Nodes[k]->BoundaryElement;
        if (!b || b->DischargeCode != 99) continue;
        in.Frazil = SeriesAt(b->Hydrograph, 5);
        in.Energy = ComputeMixtureEnergy(SeriesAt(b->Hydrograph, 4), in.Frazil);
        break;
    }
    return in;
}

// Switches of the exchanges at a point: mostly from the previous level, a few from the present
// state, each 1 or 0 (a and aK are factors, aL and cq shares between 0 and 1).
struct ExchangeSwitches {
    double ks, km, ca, cd, a, aL, aK, ci, cj, ck, cl, co, cp, cq, cr, cs, ct;
};

// The state of one time level at a point, and its heat and ice exchanges per unit length.
struct LevelState {
    double e, Cf, Aus, C, As, Ai;   // the unknowns
    double A, Qf, Vt, Vi, Bi, Wb, Pw;
    double qt, qc, qn, qs, qf, D, tss, ti, tus;
    double Ra;   // frazil rising to the surface or accreting on the bed, m2/s
    double Rs;   // surface ice re-entrained into suspension, m2/s
    double Ru;   // under-cover slush re-entrained, m2/s
    double Hq;   // heat lost by the water, W/m
    double qnOpen;   // heat lost by the open water to the air, W/m2 (qn where it counts, else 0)
    double open;     // open share of the ice-covered width, 1 - C but never below 0
};

// The node fields of a time level read at a point: field of LevelState, node member (the
// previous level reads the member's Previous twin). The border widths add up to Wb.
#define VASQUIL_THERMAL_LEVEL_FIELDS(X)                                                    \
    X(e, ThermalEnergy)                                                                   \
    X(Cf, FrazilConcentration)                                                            \
    X(Aus, UnderSlushArea)                                                                \
    X(C, IceConcentration)                                                                \
    X(As, SlushArea)                                                                      \
    X(Ai, SolidIceArea)                                                                   \
    X(A, FlowArea)                                                                        \
    X(Qf, FluxDischarge)                                                                  \
    X(Vt, ThermalVelocity)                                                                \
    X(Vi, IceVelocity)                                                                    \
    X(Bi, IceCoveredWidth)                                                                \
    X(Wb, BorderWidthLeft)                                                                \
    X(Wb, BorderWidthRight)                                                               \
    X(Pw, WettedPerimeter)                                                                \
    X(qt, WaterIceHeatFlux)                                                               \
    X(qc, CoverHeatFlux)                                                                  \
    X(qn, NetHeatFlux)                                                                    \
    X(qs, CoverSurfaceBalance)                                                            \
    X(qf, FrazilHeatExchange)                                                             \
    X(D, DepositionRate)                                                                  \
    X(tss, SlushThickness)                                                                \
    X(ti, IceThickness)                                                                   \
    X(tus, UnderSlushThickness)

// One time level at a point: each field interpolated with the shape values (a node whose shape
// value is 0 adds nothing). The exchanges (Ra to qnOpen) are left to AddExchanges, which writes
// them before anything reads them.
template <bool Previous>
LevelState EvaluateLevel(const PointInterpolation& at)
{
    LevelState s;
#define VASQUIL_CLEAR(field, member) s.field = 0.0;
    VASQUIL_THERMAL_LEVEL_FIELDS(VASQUIL_CLEAR)
#undef VASQUIL_CLEAR
    for (int k = 0; k < at.count; ++k) {
        const double w = at.gp->Interpolation.N[k];
        if (w == 0.0) continue;
        const NodeRecord* n = at.nodes[k];
        if constexpr (Previous) {
#define VASQUIL_ADD_BEFORE(field, member) s.field += w * n->Previous##member;
            VASQUIL_THERMAL_LEVEL_FIELDS(VASQUIL_ADD_BEFORE)
#undef VASQUIL_ADD_BEFORE
        } else {
#define VASQUIL_ADD_NOW(field, member) s.field += w * n->member;
            VASQUIL_THERMAL_LEVEL_FIELDS(VASQUIL_ADD_NOW)
#undef VASQUIL_ADD_NOW
        }
    }
    // The cover conducts through the ice-covered width once: a concentration above 1 divides
    // its flux, and leaves no open water.
    if (s.C > 1.0) s.qc /= s.C;
    s.open = std::max(0.0, 1.0 - s.C);
    return s;
}
#undef VASQUIL_THERMAL_LEVEL_FIELDS

// The state of the previous level at a point that the kernel reads: the level, the water
// temperature tp (degC) and anchor-ice thickness (m) interpolated, and the slopes of the
// transported fluxes (those of the ice rows 0 unless `all` six unknowns are solved).
struct PreviousPoint {
    LevelState Level;   // without its exchanges
    double tp, anchorp;
    double dQe, dQc, dAusVt, dBCV, dAsV, dAiV;
};

PreviousPoint EvaluatePrevious(const PointInterpolation& at, bool all)
{
    PreviousPoint q;
    q.Level = EvaluateLevel<true>(at);
    q.tp = at.Value(&NodeRecord::PreviousWaterTemp);
    q.anchorp = at.Value(&NodeRecord::PreviousAnchorIceThickness);
    const auto slope = [&](auto f) { return at.Slope(f); };
    const auto iceSlope = [&](auto f) { return all ? at.Slope(f) : 0.0; };
    q.dQe = slope([](const NodeRecord* k) { return k->PreviousFluxDischarge * k->PreviousThermalEnergy; });
    q.dQc = slope([](const NodeRecord* k) { return k->PreviousFluxDischarge * k->PreviousFrazilConcentration; });
    q.dAusVt = iceSlope([](const NodeRecord* k) { return k->PreviousUnderSlushArea * k->PreviousThermalVelocity; });
    q.dBCV = iceSlope([](const NodeRecord* k) {
        return k->PreviousIceCoveredWidth * k->PreviousIceConcentration * k->PreviousIceVelocity;
    });
    q.dAsV = iceSlope([](const NodeRecord* k) { return k->PreviousSlushArea * k->PreviousIceVelocity; });
    q.dAiV = iceSlope([](const NodeRecord* k) { return k->PreviousSolidIceArea * k->PreviousIceVelocity; });
    return q;
}

// The previous level at the points of every element, kept while a ThermalPreviousLevelHold
// lives (see ThermalIce.h). Places by element in g_ElementBlock; an element outside it is
// interpolated at every evaluation.
struct PreviousLevelStore {
    std::vector<PreviousPoint> Points;   // element place x NodalRulePoints + point
    std::vector<unsigned char> Ready;    // 1 once the point is kept
    bool Active = false;
};
PreviousLevelStore s_Previous;

// The previous level at point p of the element: the kept one while the store is active, else
// interpolated into `local`.
const PreviousPoint& PreviousAt(const PointInterpolation& at, const ElementRecord* element, int p, bool all,
                                PreviousPoint& local)
{
    if (s_Previous.Active && !g_ElementBlock.empty()) {
        const ElementRecord* first = g_ElementBlock.data();
        const ElementRecord* end = first + g_ElementBlock.size();
        if (!std::less<const ElementRecord*>()(element, first) && std::less<const ElementRecord*>()(element, end)) {
            const size_t k = static_cast<size_t>(element - first) * NodalRulePoints + static_cast<size_t>(p);
            if (k < s_Previous.Ready.size()) {
                if (!s_Previous.Ready[k]) {
                    s_Previous.Points[k] = EvaluatePrevious(at, all);
                    s_Previous.Ready[k] = 1;
                }
                return s_Previous.Points[k];
            }
        }
    }
    local = EvaluatePrevious(at, all);
    return local;
}

ExchangeSwitches EvaluateSwitches(const PointInterpolation& at, const LevelState& now, const LevelState& before,
                                  double tp, double anchorp)
{
    const ModelControl& mc = g_ModelControl;
    const double t = at.Value(&NodeRecord::WaterTemp);
    const double ta = at.Value(&NodeRecord::AirTemperature);
    const double n = mc.FrazilSlushPorosity;
    const bool supercooledFrazil = before.Cf > 0.0 && tp < 0.0;
    ExchangeSwitches w{};
    const bool iceStill = IsStill(now.Vi);
    w.ks = supercooledFrazil && iceStill;
    w.km = supercooledFrazil && !iceStill && now.Vi > 0.0;
    w.ca = supercooledFrazil;
    w.cd = before.As > 0.0 && tp > WarmWaterTemperature;
    if (before.As > 0.0)
        w.a = 0.0;
    else if ((tp >= WarmWaterTemperature && before.Ai > 1.0) || tp < 0.0)
        w.a = 1.0;
    else if (tp < WarmWaterTemperature)
        w.a = 0.0;
    else
        w.a = std::max(0.0, before.Ai);
    // The heat conducted up through the cover freezes water unless the water is warm (then the
    // water gives it, cj): first the pore water of the surface slush, as far as the slush there
    // is can take the step's heat (the share aL), then water at the bottom of the cover. Frozen
    // slush turns into solid ice with its ice skeleton, hence aK above 1.
    if (before.qc > 0.0 && tp <= WarmWaterTemperature) {
        const auto [T1, T0] = ThermalTimeWeights();
        const double rho = mc.WaterDensity, L = mc.LatentHeat;
        const double conducted = T0 * before.Bi * before.C * before.qc + T1 * now.Bi * now.C * now.qc;   // J/m
        const double poreHeat = before.As * rho * n * L;   // J/m to freeze the slush's pore water
        if (before.As > 0.0) w.aL = conducted > poreHeat ? poreHeat / conducted : 1.0;
        w.aK = 1.0 + w.aL * (1.0 - n) * mc.IceDensity / (rho * n);
    }
    w.ci = before.qs < 0.0 && tp >= 0.0;
    w.cj = tp > WarmWaterTemperature && ta <= 0.0;
    w.ck = w.cd != 0.0 || w.a == 1.0;
    w.cl = (tp >= WarmWaterTemperature && anchorp > 0.0) || tp < 0.0;
    w.co = now.Vi > mc.ReentrainmentVelocity && now.Vi > 0.0;
    w.cp = now.Vt > mc.ReentrainmentVelocity && iceStill;
    // Skim ice forms on still open water under freezing air once the water has no heat above the
    // freezing point left to give: cq is the share of the open water's loss over the step that
    // the water's heat above freezing (rho A e, J/m) cannot supply, so water cooling through the
    // freezing point within a step stops at it and the rest of the loss forms the ice. Only a
    // step that solves the ice rows can form it; until then the loss cools the water.
    if (ThermalUnknownsPerNode() >= AllThermalUnknowns && iceStill && before.qc > 0.0 && ta < 0.0) {
        const auto [T1, T0] = ThermalTimeWeights();
        const double open = T0 * before.open * before.Bi * before.qn +
                            (before.C < 1.0 ? T1 * now.open * now.Bi * now.qn : 0.0);   // J/m
        const double stored = std::max(at.Value(&NodeRecord::MinFlowArea), before.A);
        const double warm = mc.WaterDensity * stored * std::max(0.0, before.e);                 // J/m
        if (!(warm > 0.0))
            w.cq = 1.0;
        else if (open > warm)
            w.cq = 1.0 - warm / open;
    }
    w.cr = t > WarmWaterTemperature;
    w.cs = now.D > 0.0;
    w.ct = before.Aus > 0.0 && tp > WarmWaterTemperature;
    return w;
}

// Frazil rise and accretion, re-entrainment and the heat lost by the water at one level; qn
// counts only when `openWater` (the current level of a node fully covered at the previous level
// loses no heat to the air through the cover's gaps). The share of the open water's loss that
// forms skim ice (cq) comes from that ice, not from the water below.
void AddExchanges(LevelState& s, const ExchangeSwitches& w, bool openWater)
{
    const ModelControl& mc = g_ModelControl;
    const double n = mc.FrazilSlushPorosity;
    s.Ra = (mc.AnchorIceBedFraction * w.ca * s.Pw * mc.FrazilAccretionRate + (w.ks + w.km) * s.Bi * mc.FrazilRiseRate) *
           s.Cf;
    s.Rs = ((1.0 - n) * s.tss + s.ti) * s.Bi * w.co * mc.ReentrainmentRate * s.C;
    s.Ru = mc.ReentrainmentRate * w.cp * s.Bi * s.C * s.tus;
    s.qnOpen = openWater ? s.qn : 0.0;
    const double qn = (1.0 - w.cq) * s.qnOpen;
    s.Hq = (mc.AnchorIceBedFraction * s.Pw * w.cl + s.Bi * s.C * w.ck + s.Wb * w.cr) * s.qt +
           (s.Bi * s.C + s.Wb) * w.cj * s.qc + s.open * s.Bi * qn;
}

// Upwinding directions of the two levels from their transport velocities, by the thermal
// system's UpwindingUpdating: 0 each level its own, 1 both the previous level's, any other value
// none.
void SelectSigns(double now, double before, double* s, double* sp)
{
    switch (g_EquationSystems[ThermalIceSystem].UpwindingUpdating) {
    case 0:
        *s = Direction(now);
        *sp = Direction(before);
        break;
    case 1:
        *s = *sp = Direction(before);
        break;
    default:
        *s = *sp = 0.0;
        break;
    }
}

// Bookkeeping of the floating ice a thermal step carries along the river: while it is set, the
// kernels add to every node the part of its ice rows (solid-equivalent: slush by its ice, solid
// ice whole) that is neither the node's own store nor ice formed, melted or exchanged with the
// water column where it lies (transport, upwinding, and what the boundaries let in and out), and
// the length of river the node stands for.
struct CarriedIceTally {
    std::vector<double> Volume;   // m3 of ice carried to the node, by node index
    std::vector<double> Length;   // m
};
CarriedIceTally* s_Tally = nullptr;

// Point p of the nodal rule (the point of element node p): the element residual of every
// active row of both nodes. `fluxBlocked`: the element's first node holds a bridged cover's
// downstream end, so no surface ice crosses the element.
void AddThermalIceTerms(const GaussPointRecord* gp, ElementRecord* element, int p, int nodes, const LateralInflow& in,
                        bool fluxBlocked)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[ThermalIceSystem];
    const int upn = ThermalUnknownsPerNode();
    const PointInterpolation at{gp, element->Nodes, nodes};
    const auto [T1, T0] = ThermalTimeWeights();
    const double dt = mc.DeltaT;
    const double J = gp->Determinant;
    const double n = mc.FrazilSlushPorosity;
    const double rho = mc.WaterDensity, rhoi = mc.IceDensity, L = mc.LatentHeat;
    const double h0 = mc.NewPanThickness;
    double* r = g_ModelControl.ElementVector.data();

    const bool all = upn >= AllThermalUnknowns;
    LevelState now = EvaluateLevel<false>(at);
    PreviousPoint local;
    const PreviousPoint& previous = PreviousAt(at, element, p, all, local);
    LevelState before = previous.Level;
    const ExchangeSwitches w = EvaluateSwitches(at, now, before, previous.tp, previous.anchorp);
    AddExchanges(now, w, before.C < 1.0);
    AddExchanges(before, w, true);

    const double amin = at.Value(&NodeRecord::MinFlowArea);
    const double storedA = std::max(amin, now.A), storedAp = std::max(amin, before.A);
    double sQ, sQp, sT, sTp, sI, sIp;
    const auto velocity = [](double q, double area) { return area > 0.0 ? q / area : q; };
    SelectSigns(velocity(now.Qf, storedA), velocity(before.Qf, storedAp), &sQ, &sQp);
    SelectSigns(now.Vt, before.Vt, &sT, &sTp);
    SelectSigns(now.Vi, before.Vi, &sI, &sIp);

    // Slopes of the transported quantities; those of the ice rows only when the step solves them.
    const double dQf = at.Slope(&NodeRecord::FluxDischarge);
    const auto slope = [&](auto f) { return at.Slope(f); };
    const auto iceSlope = [&](auto f) { return all ? at.Slope(f) : 0.0; };
    const double dQe = slope([](const NodeRecord* k) { return k->FluxDischarge * k->ThermalEnergy; });
    const double dQep = previous.dQe;
    const double dQc = slope([](const NodeRecord* k) { return k->FluxDischarge * k->FrazilConcentration; });
    const double dQcp = previous.dQc;
    const double dAusVt = iceSlope([](const NodeRecord* k) { return k->UnderSlushArea * k->ThermalVelocity; });
    const double dAusVtp = previous.dAusVt;
    const double dBCV =
        iceSlope([](const NodeRecord* k) { return k->IceCoveredWidth * k->IceConcentration * k->IceVelocity; });
    const double dBCVp = previous.dBCV;
    const double dAsV = iceSlope([](const NodeRecord* k) { return k->SlushArea * k->IceVelocity; });
    const double dAsVp = previous.dAsV;
    const double dAiV = iceSlope([](const NodeRecord* k) { return k->SolidIceArea * k->IceVelocity; });
    const double dAiVp = previous.dAiV;

    // Sources of each row per level (positive: the row's quantity grows).
    const auto energySource = [&](const LevelState& s) {
        return -(s.Hq - L * rhoi * (s.Ra - s.Rs - s.Ru * (1.0 - n))) / rho;
    };
    const auto frazilSource = [&](const LevelState& s) {
        return -(s.qf / (rhoi * L) + s.Ra - s.Rs - s.Ru * (1.0 - n));
    };
    const auto underSlushSource = [&](const LevelState& s) {
        return s.Bi * w.ks * mc.FrazilRiseRate * s.Cf / (1.0 - n) - s.Ru -
               s.Bi * w.ct * s.C * s.qt / (rhoi * (1.0 - n) * L) - s.D / (1.0 - n);
    };
    const auto concentrationSource = [&](const LevelState& s) {
        const double dc = std::max(mc.CoverloadGranuleDiameter, s.tus);
        return s.Bi * w.km * (1.0 - s.C) * mc.FrazilRiseRate * s.Cf / (h0 * (1.0 - n)) -
               mc.ReentrainmentRate * w.co * s.Bi * s.C +
               s.Bi * w.cq * s.open * s.qnOpen / (rhoi * L) / mc.SolidIceInitialThickness +
               (1.0 - s.C) * w.cs * s.D / (dc * (1.0 - n));
    };
    const auto slushSource = [&](const LevelState& s) {
        return s.Bi * w.km * mc.FrazilRiseRate * s.Cf / (1.0 - n) - s.Bi * w.aL * s.C * s.qc / (rho * n * L) -
               s.Bi * w.cd * s.C * s.qt / (rhoi * (1.0 - n) * L) - mc.ReentrainmentRate * w.co * s.Bi * s.C * s.tss +
               s.D / (1.0 - n);
    };
    const auto solidSource = [&](const LevelState& s) {
        return (s.qc * w.aK - s.qt * w.a + s.qs * w.ci) * s.Bi * s.C / (rhoi * L) -
               mc.ReentrainmentRate * w.co * s.Bi * s.C * s.ti + s.Bi * w.cq * s.open * s.qnOpen / (rhoi * L);
    };

    const double energy[2] = {energySource(now), energySource(before)};
    const double frazil[2] = {frazilSource(now), frazilSource(before)};
    const double underSlush[2] = {all ? underSlushSource(now) : 0.0, all ? underSlushSource(before) : 0.0};
    const double concentration[2] = {all ? concentrationSource(now) : 0.0, all ? concentrationSource(before) : 0.0};
    const double slushGrowth[2] = {all ? slushSource(now) : 0.0, all ? slushSource(before) : 0.0};
    const double solid[2] = {all ? solidSource(now) : 0.0, all ? solidSource(before) : 0.0};

    for (int i = 0; i < nodes; ++i) {
        const double N = gp->Interpolation.N[i];
        const double dN = gp->dNdx[i];
        const double P = es.Upwinding * J * dN;
        double* row = r + i * upn;

        // Storage and transport of a quantity q carried by the discharge (energy, frazil). The
        // storage is upwinded in the one direction of the present level: with a direction per
        // level, a change of direction would turn the time difference into a sum and move part
        // of the node's content to its neighbour.
        const auto carried = [&](double q, double qp, double dFlux, double dFluxp, double inflow, double source,
                                 double sourcep) {
            return (N + P * sQ) * (qp * storedAp - q * storedA) +
                   dN * (T1 * now.Qf * q + T0 * before.Qf * qp) - P * (T1 * sQ * dFlux + T0 * sQp * dFluxp) +
                   inflow * dt * dQf * (N + P * sQ) + (N + P * sQp) * T0 * sourcep + (N + P * sQ) * T1 * source;
        };
        row[EnergyRow] += J * carried(now.e, before.e, dQe, dQep, in.Energy, energy[0], energy[1]);
        if (upn < EnergyAndFrazil) continue;
        row[FrazilRow] += J * carried(now.Cf, before.Cf, dQc, dQcp, in.Frazil, frazil[0], frazil[1]);
        if (upn < AllThermalUnknowns) continue;

        // Storage and transport of an area q (or width-weighted concentration) moving at the
        // velocity of its carrier: the slush under the cover with Vt, the surface ice with Vi.
        const auto moved = [&](double q, double qp, double s, double sp, double flux, double fluxp, double dFlux,
                               double dFluxp, double source, double sourcep, bool blocked) {
            double term = (N + P * s) * (qp - q) - P * (T1 * s * dFlux + T0 * sp * dFluxp) +
                          (N + P * sp) * T0 * sourcep + (N + P * s) * T1 * source;
            if (!blocked) term += dN * (T1 * flux + T0 * fluxp);
            return term;
        };
        const double underSlushTerm = moved(now.Aus, before.Aus, sT, sTp, now.Vt * now.Aus, before.Vt * before.Aus,
                                            dAusVt, dAusVtp, underSlush[0], underSlush[1], false);
        row[UnderSlushRow] += J * underSlushTerm;
        row[ConcentrationRow] += J * moved(now.Bi * now.C, before.Bi * before.C, sI, sIp, now.Vi * now.Bi * now.C,
                                           before.Vi * before.Bi * before.C, dBCV, dBCVp, concentration[0],
                                           concentration[1], fluxBlocked);
        const double slushTerm = moved(now.As, before.As, sI, sIp, now.Vi * now.As, before.Vi * before.As, dAsV,
                                       dAsVp, slushGrowth[0], slushGrowth[1], fluxBlocked);
        row[SlushRow] += J * slushTerm;
        const double solidTerm = moved(now.Ai, before.Ai, sI, sIp, now.Vi * now.Ai, before.Vi * before.Ai, dAiV,
                                       dAiVp, solid[0], solid[1], fluxBlocked);
        row[SolidIceRow] += J * solidTerm;

        // What of the node's solid-equivalent ice is neither its own store nor formed, melted or
        // exchanged where it lies is carried along the river.
        if (s_Tally) {
            const auto inPlace = [&](double q, double qp, double source, double sourcep) {
                return N * ((qp - q) + T0 * sourcep + T1 * source);
            };
            const double carriedIce =
                (1.0 - n) * (underSlushTerm - inPlace(now.Aus, before.Aus, underSlush[0], underSlush[1])) +
                (1.0 - n) * (slushTerm - inPlace(now.As, before.As, slushGrowth[0], slushGrowth[1])) +
                (solidTerm - inPlace(now.Ai, before.Ai, solid[0], solid[1]));
            const int index = element->Nodes[i]->Index;
            s_Tally->Volume[index] += J * carriedIce;
            s_Tally->Length[index] += J * N;
        }
    }
}

// Point transfers between the two nodes of an element (six unknowns): ice arriving at a stalled
// front goes under the cover; slush carried under the cover stops at a congested node; slush
// emerging from under a bridged cover forms new pans downstream of it.
void AddThermalTransfers(ElementRecord* element)
{
    const ModelControl& mc = g_ModelControl;
    const int upn = ThermalUnknownsPerNode();
    const auto [T1, T0] = ThermalTimeWeights();
    const double n = mc.FrazilSlushPorosity;
    const NodeRecord* first = element->Nodes[0];
    const NodeRecord* second = element->Nodes[1];
    double* r1 = g_ModelControl.ElementVector.data();
    double* r2 = r1 + upn;

    if (first->IceFrontStalled) {
        const double vi = first->IceVelocity;
        r1[UnderSlushRow] += T1 * vi * (first->SolidIceArea / (1.0 - n) + first->SlushArea) +
                             T0 * vi * (first->PreviousSolidIceArea / (1.0 - n) + first->PreviousSlushArea);
        r1[SlushRow] -= T1 * vi * first->SlushArea + T0 * vi * first->PreviousSlushArea;
        r1[SolidIceRow] -= T1 * vi * first->SolidIceArea + T0 * vi * first->PreviousSolidIceArea;
    }
    if (!first->SlushCongested && second->SlushCongested) {
        const double vt = first->ThermalVelocity;
        const double stopped = T1 * vt * first->UnderSlushArea + T0 * vt * first->PreviousUnderSlushArea;
        r1[UnderSlushRow] -= stopped;
        r1[SlushRow] += stopped;
    }
    if (first->IceFrontAtNode && IsStill(first->IceVelocity) && !IsStill(second->IceVelocity) &&
        second->UnderSlushArea > 0.0) {
        const double vt = second->ThermalVelocity;
        const double emerging = T1 * vt * second->UnderSlushArea + T0 * vt * second->PreviousUnderSlushArea;
        r2[UnderSlushRow] -= emerging;
        r2[ConcentrationRow] += emerging / mc.NewPanThickness;
        r2[SlushRow] += emerging;
    }
}

// The boundary kernel: heat and ice entering with an inflow series, or leaving (or entering) at
// the node's own state wherever water crosses the boundary at it.
void AddThermalBoundaryTerms(BoundaryElementRecord* b)
{
    const ModelControl& mc = g_ModelControl;
    const int upn = ThermalUnknownsPerNode();
    const auto [T1, T0] = ThermalTimeWeights();
    const double dt = mc.DeltaT;
    const double pos = b->Position;
    const NodeRecord* node = b->Node();
    double* r = g_ModelControl.ElementVector.data();

    if (b->DischargeCode == 1 || b->DischargeCode == 99) {
        const BoundaryHydrograph* h = b->Hydrograph;
        if (!h || h->RowCount <= 0) return;
        // A lateral inflow's heat and frazil enter through the element kernel.
        const bool carried = b->DischargeCode == 1 || mc.ThermalMode != 1;
        const double cf = carried ? SeriesAt(h, 5) : 0.0;
        const double ein = carried ? ComputeMixtureEnergy(SeriesAt(h, 4), cf) : 0.0;
        const double seriesVelocity = SeriesAt(h, 3);
        const double vin = seriesVelocity != 0.0 ? seriesVelocity : node->IceVelocity;
        const double qin = b->DischargeCode == 1 ? node->FluxDischarge : SeriesAt(h, 2);
        r[EnergyRow] -= pos * dt * ein * qin;
        if (upn >= EnergyAndFrazil) r[FrazilRow] -= pos * dt * cf * qin;
        if (upn >= AllThermalUnknowns) {
            const double c6 = SeriesAt(h, 6), c7 = SeriesAt(h, 7), c8 = SeriesAt(h, 8);
            const double bi = node->IceCoveredWidth;
            r[ConcentrationRow] -= pos * dt * bi * c6 * vin;
            r[SlushRow] -= pos * dt * c7 * c6 * bi * vin;
            r[SolidIceRow] -= pos * dt * c8 * c6 * bi * vin;
        }
        return;
    }
    const bool open = b->StageCode == 1 || b->StageCode == 2 || b->DischargeCode == 2 ||
                      (b->StageCode == 0 && b->DischargeCode == 0);
    if (!open) return;
    r[EnergyRow] -= pos * (T1 * node->ThermalEnergy * node->FluxDischarge +
                           T0 * node->PreviousThermalEnergy * node->PreviousFluxDischarge);
    if (upn >= EnergyAndFrazil)
        r[FrazilRow] -= pos * (T1 * node->FrazilConcentration * node->FluxDischarge +
                               T0 * node->PreviousFrazilConcentration * node->PreviousFluxDischarge);
    if (upn < AllThermalUnknowns) return;
    r[UnderSlushRow] -= pos * (T1 * node->UnderSlushArea * node->ThermalVelocity +
                               T0 * node->PreviousUnderSlushArea * node->PreviousThermalVelocity);
    r[ConcentrationRow] -= pos * (T1 * node->IceVelocity * node->IceCoveredWidth * node->IceConcentration +
                                  T0 * node->PreviousIceVelocity * node->PreviousIceCoveredWidth *
                                      node->PreviousIceConcentration);
    r[SlushRow] -= pos * (T1 * node->IceVelocity * node->SlushArea +
                          T0 * node->PreviousIceVelocity * node->PreviousSlushArea);
    r[SolidIceRow] -= pos * (T1 * node->IceVelocity * node->SolidIceArea +
                             T0 * node->PreviousIceVelocity * node->PreviousSolidIceArea);
}

}  // namespace

ThermalPreviousLevelHold::ThermalPreviousLevelHold(bool keep)
{
    if (!keep) return;
    const size_t points = g_ElementBlock.size() * NodalRulePoints;
    try {
        if (s_Previous.Points.size() < points) s_Previous.Points.resize(points);
        s_Previous.Ready.assign(points, 0);
    } catch (const std::bad_alloc&) {
        return;   // every point interpolated as without the hold
    }
    s_Previous.Active = true;
    active_ = true;
}

ThermalPreviousLevelHold::~ThermalPreviousLevelHold()
{
    if (active_) s_Previous.Active = false;
}

double ComputeCoverHeatFlux(double airTemperature, double solarRadiation, double thickness, double hia)
{
    const ModelControl& mc = g_ModelControl;
    const double absorbed = (1.0 - mc.IceAlbedo) * solarRadiation;
    if (!(hia > 0.0)) return -absorbed;
    const double balance = (0.0 - airTemperature) * hia - absorbed;
    const double snow = mc.SnowThickness > 0.0 ? mc.SnowThickness / mc.SnowConductivity : 0.0;
    return balance / hia / (thickness / mc.IceConductivity + 1.0 / hia + snow);
}

double ComputeMixtureEnergy(double temperature, double frazil)
{
    const ModelControl& mc = g_ModelControl;
    return Enthalpy(temperature) * (1.0 - frazil) - mc.IceSpecificGravity * frazil * mc.LatentHeat;
}

double ComputeNodeThermalEnergy(double temperature, double frazil)
{
    const ModelControl& mc = g_ModelControl;
    const double tw = temperature;
    return (EnthalpyCubic * tw * tw + EnthalpySquare * tw + EnthalpyLinear) * (1 - frazil) * tw -
           (mc.IceDensity / mc.WaterDensity) * frazil * mc.LatentHeat;
}

double ComputeWaterTemperature(double energy, double frazil)
{
    const ModelControl& mc = g_ModelControl;
    // h(T) = (e + s Cf L) / (1 - Cf): at the freezing point exactly 0.
    const double numerator = energy + mc.IceSpecificGravity * frazil * mc.LatentHeat;
    if (numerator == 0.0) return 0.0;
    const double h = numerator / (1.0 - frazil);
    // The one real root of a T^3 + b T^2 + c T - h (the cubic is increasing), polished by one
    // Newton step. Near 0 degC it starts from the linear root: Cardano's root is off by some
    // 1e-15 degC whatever its size, which one Newton step only brings down to some 1e-31 degC, so
    // a temperature of 1e-25 degC (read from a model file) would not come back from its energy.
    double t = h / EnthalpyLinear;
    if (!(std::fabs(h) < NearlyLinearEnthalpy)) {
        // With T = t - b/(3a) the cubic is t^3 + P t + Q = 0, P > 0, solved by Cardano without
        // cancellation.
        const double b = EnthalpySquare / EnthalpyCubic, c = EnthalpyLinear / EnthalpyCubic;
        const double P = c - b * b / 3.0;
        const double Q = 2.0 * b * b * b / 27.0 - b * c / 3.0 - h / EnthalpyCubic;
        const double third = P / 3.0;
        const double u = std::cbrt(std::fabs(Q) * 0.5 + std::sqrt(Q * Q * 0.25 + third * third * third));
        t = -Sign(Q) * (u - third / u) - b / 3.0;
    }
    t -= (Enthalpy(t) - h) / EnthalpySlope(t);
    return t;
}

void ApplyAtmosphericForcing()
{
    const double t = g_ModelControl.ModelTime;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        const AtmosphericZoneRecord* z = n->Zone;
        // A zone without rows forces nothing: the node sees the no-zone values.
        if (z && z->RowCount > 0 && static_cast<int>(z->Time.size()) >= z->RowCount &&
            static_cast<int>(z->AirTemperature.size()) >= z->RowCount &&
            static_cast<int>(z->SolarRadiation.size()) >= z->RowCount) {
            const SeriesName series = NameZoneSeries(z);
            n->AirTemperature = SeriesValueAt(series, z->Time.data(), z->AirTemperature.data(), t, z->RowCount);
            n->SolarRadiation = SeriesValueAt(series, z->Time.data(), z->SolarRadiation.data(), t, z->RowCount);
        } else {
            n->AirTemperature = NoZoneAirTemperature;
            n->SolarRadiation = 0;
        }
    }
}

namespace {

// The framework differences the thermal residuals node by node in index order, and a node's
// refresh at the current state is where that walk first reads it: from there the refresh asks
// for the record three nodes ahead (its first 25 lines hold all that a thermal refresh and
// kernel read, the thermal unknowns last) and the section table of the next node.
constexpr std::size_t ThermalRecordLead = 3, ThermalTableLead = 1;
constexpr int ThermalRecordLines = 25;
static_assert(offsetof(NodeRecord, ThermalUnknowns) + sizeof NodeRecord::ThermalUnknowns <= 64 * ThermalRecordLines);
// The same walk first reads an element at its evaluation at the current state, which asks for
// the element three ahead.
constexpr std::size_t ThermalElementLead = 3;

}  // namespace

int UpdateNodeThermalState(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    if (mc.Differencing == AtCurrentState)
        PrefetchNodeWalk(node, ThermalRecordLead, ThermalRecordLines, ThermalTableLead);
    const double n = mc.FrazilSlushPorosity, p = mc.AnchorIcePorosity, s = mc.IceSpecificGravity;
    const double* u = node->ThermalUnknowns;
    node->ThermalEnergy = u[EnergyRow];
    node->FrazilConcentration = u[FrazilRow];
    node->UnderSlushArea = u[UnderSlushRow];
    node->IceConcentration = u[ConcentrationRow];
    node->SlushArea = u[SlushRow];
    node->SolidIceArea = u[SolidIceRow];
    const double aus = node->UnderSlushArea, as = node->SlushArea, ai = node->SolidIceArea;
    const double c = node->IceConcentration, cf = node->FrazilConcentration;

    // A temperature that is not a number stays one, so the solve rejects the step.
    const double raw = ComputeWaterTemperature(node->ThermalEnergy, cf);
    const double t = std::isnan(raw) ? raw : std::max(raw, mc.MinWaterTemperature);
    node->WaterTemp = t;
    const double ta = node->AirTemperature, solar = node->SolarRadiation;
    node->NetHeatFlux = node->Hwa * (t - ta) - (ta >= 0.0 ? node->Jwa * ta : 0.0) + node->Kwa -
                        (1.0 - mc.WaterAlbedo) * solar;

    node->SolidIceEquivalentArea = (as + aus) * (1.0 - n) + ai;
    node->FloatingIceArea = std::max(0.0, node->BorderIceArea + node->SolidIceEquivalentArea);
    node->BorderGapArea = std::max(0.0, node->BorderGapArea);

    const bool section = NodeHasCrossSection(node);
    const double bi = section ? (1.0 - node->BorderFraction) * std::max(node->TopWidth, node->IceLevelWidth)
                              : node->RectWidth;
    node->IceCoveredWidth = bi;
    if (bi > 0.0 && c > 0.0) {
        const double ce = std::max(mc.MinSurfaceIceConcentration, std::min(mc.MaxSurfaceIceConcentration, c)) * bi;
        node->SlushThickness = std::max(0.0, as / ce);
        node->IceThickness = std::max(0.0, ai / ce);
        node->UnderSlushThickness = std::max(0.0, aus / ce);
    } else {
        node->SlushThickness = node->IceThickness = node->UnderSlushThickness = 0.0;
    }
    UpdateNodeIceElevations(node);

    // Slush congestion, with hysteresis. The area open to slush is the area between the border
    // ice edges; a rectangular channel has no borders, so its whole gross area is open.
    const double open = 1.0 - node->BorderFraction;
    const double pores = (aus + as) * n + p * node->AnchorIceArea * open;
    const double gap = section ? node->BorderGapArea : std::max(0.0, node->GrossArea);
    const double free = gap - (node->SolidIceEquivalentArea * s - (1.0 - p) * node->AnchorIceArea * open);
    if (!node->SlushCongested && pores > free)
        node->SlushCongested = 1;
    else if (node->SlushCongested && free > CongestionReleaseFactor * pores)
        node->SlushCongested = 0;

    const double slush = node->UnderSlushThickness + node->SlushThickness;
    node->SolidEquivalentThickness = slush * (1.0 - n) + node->IceThickness;
    node->EffectiveIceThickness =
        (mc.WaterDensity * n / mc.IceDensity + (1.0 - n)) * slush + node->IceThickness;

    node->CoverSurfaceBalance = (0.0 - ta) * node->Hia - (1.0 - mc.IceAlbedo) * solar;
    node->CoverHeatFlux = ComputeCoverHeatFlux(ta, solar, node->IceThickness, node->Hia);

    if (node->SlushCongested && node->ThermalVelocity < CongestedSlushVelocity)
        node->ThermalVelocity = CongestedSlushVelocity;
    node->DepositionRate = ComputeUnderCoverDeposition(node);

    const double seeded = t > 0.0 ? cf : std::fabs(cf) + mc.FrazilSeedingConcentration;
    node->FrazilHeatExchange = t * mc.FrazilNusselt * 2.0 * mc.WaterConductivity / mc.FrazilParticleThickness /
                               mc.FrazilParticleRadius * node->FlowArea * seeded;

    const double depth = node->HydraulicDepth;
    if (depth > 0.0) {
        const double alpha = t <= 0.0 ? mc.AlphaWI : mc.AlphaIW;
        node->WaterIceHeatFlux = std::pow(std::fabs(node->Velocity), HeatTransferVelocityExponent) /
                                 std::pow(depth, HeatTransferDepthExponent) * alpha * t;
    } else {
        node->WaterIceHeatFlux = 0.0;
    }
    return 1;
}

void SaveNodeThermalState(const NodeRecord* node, NodeThermalCopy* copy)
{
    VASQUIL_NODE_THERMAL_OUTPUTS(VASQUIL_NODE_COPY_OUT)
    copy->SlushElevations[0] = node->SlushElevations[0];
    copy->SlushElevations[1] = node->SlushElevations[1];
}

void RestoreNodeThermalState(NodeRecord* node, const NodeThermalCopy* copy)
{
    VASQUIL_NODE_THERMAL_OUTPUTS(VASQUIL_NODE_COPY_IN)
    node->SlushElevations[0] = copy->SlushElevations[0];
    node->SlushElevations[1] = copy->SlushElevations[1];
}

double ComputeUnderCoverDeposition(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    const double n = mc.FrazilSlushPorosity;
    const double rho = mc.WaterDensity, rhoi = mc.IceDensity, g = mc.Gravity;

    // Frazil supplied under a still cover, m3/s.
    double supply = 0.0;
    if (IsStill(node->IceVelocity))
        supply = node->ThermalVelocity * node->UnderSlushArea * (1.0 - n) +
                 node->FrazilConcentration * node->Discharge;
    if (node->IceFrontStalled || mc.MinWaterDepth > node->IceBottomElevation - node->Invert) supply = 0.0;
    supply = std::max(0.0, supply);

    // Erosion of the accumulation by the shear on the cover: cover-load transport, m3/s.
    const double c = node->IceConcentration, bi = node->IceCoveredWidth, sr = node->SinuosityRatio;
    const double tau = c > 0.0 && bi > 0.0 && sr > 0.0 ? node->IceDrag / c / bi / sr : 0.0;
    const double lam = mc.FrazilShapeFactor, d = mc.CoverloadGranuleDiameter, buoyancy = rho - rhoi;
    const bool granular = lam != 0.0 && d != 0.0 && g != 0.0 && buoyancy > 0.0;
    const double strength = granular ? tau / lam / lam / g / d / buoyancy : 0.0;
    const double phi = strength >= mc.CriticalFlowStrength
                           ? CoverLoadCoefficient * std::pow(strength - mc.CriticalFlowStrength, CoverLoadExponent)
                           : 0.0;
    const double erosion = phi > 0.0 ? std::sqrt(buoyancy * g * d / rho) * lam * phi * d * bi : 0.0;

    // Per unit length of river: half the distance between the neighbours, or the distance to the
    // only one.
    const NodeRecord* before = node->Previous;
    const NodeRecord* after = node->Next;
    double length = 0.0;
    if (before && after)
        length = (after->Chainage - before->Chainage) / 2.0;
    else if (after)
        length = std::fabs(after->Chainage - node->Chainage);
    else if (before)
        length = std::fabs(node->Chainage - before->Chainage);
    if (!(length > 0.0)) return 0.0;
    double rate = (supply - erosion) / length;

    // No more eroded than the slush there is, no more deposited than arrives under the cover.
    const double dt = mc.DeltaT;
    if (dt > 0.0) {
        rate = std::max(rate, -node->PreviousSlushArea / dt);
        rate = std::min(node->PreviousUnderSlushArea / dt, rate);
    }
    if (rate > 0.0 && node->SlushCongested) rate = 0.0;
    if (node->BoundaryElement && node->BoundaryElement->StageCode == 1) rate = 0.0;
    return rate;
}

void ComputeThermalElementResidual(ElementRecord* element)
{
    // Work record of the node count, reused from call to call: every evaluation fills what it
    // reads, and clearing it each time would cost more than the kernel's arithmetic.
    static ShapeFunctionValues scratch;
    if (g_ModelControl.Differencing == AtCurrentState)
        PrefetchElementWalk(element, ThermalElementLead);
    const int nodes = CountElementNodes(element, &scratch);
    if (nodes < 2) return;
    for (int k = 0; k < nodes; ++k)
        if (!element->Nodes[k]) return;
    for (int k = 0; k < nodes; ++k) RefreshThermalNode(element->Nodes[k]);

    const LateralInflow in = LateralInflowOf(element, nodes);
    const bool blocked = element->Nodes[0]->IceFrontAtNode != 0;
    // The nodal rule: one point at each node, weight 1. A junction branch has its own length.
    for (int p = 0; p < NodalRulePoints; ++p)
        AddThermalIceTerms(EvaluateNodalRulePoint(element, element->Length, p), element, p, nodes, in, blocked);
    if (ThermalUnknownsPerNode() >= AllThermalUnknowns) AddThermalTransfers(element);
}

void ComputeThermalBoundaryResidual(BoundaryElementRecord* element)
{
    NodeRecord* node = element->Node();
    if (!node) return;
    RefreshThermalNode(node);
    AddThermalBoundaryTerms(element);
    // The boundary's rows (the vector holds them alone) are ice that enters or leaves.
    if (s_Tally && ThermalUnknownsPerNode() >= AllThermalUnknowns) {
        const double* r = g_ModelControl.ElementVector.data();
        s_Tally->Volume[node->Index] +=
            (1.0 - g_ModelControl.FrazilSlushPorosity) * (r[UnderSlushRow] + r[SlushRow]) + r[SolidIceRow];
    }
}

void UpdateAnchorIce(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    const double fa = mc.AnchorIceBedFraction;
    if (!(fa > 0.0)) return;
    const double p = mc.AnchorIcePorosity, n = mc.FrazilSlushPorosity;
    const double rho = mc.WaterDensity, rhoi = mc.IceDensity, L = mc.LatentHeat;
    const auto [T1, T0] = ThermalTimeWeights();
    const double tp = node->PreviousWaterTemp, cfp = node->PreviousFrazilConcentration;
    const double before = node->PreviousAnchorIceThickness;
    const double kd = tp < 0.0 && cfp > 0.0 ? 1.0 : 0.0;
    const double kr = (tp >= WarmWaterTemperature && before > 0.0) || tp < 0.0 ? 1.0 : 0.0;
    const auto growth = [&](double cf, double qt) {
        return cf * mc.FrazilAccretionRate * kd / (1.0 - p) - qt * kr / rhoi / L / (1.0 - p);
    };
    double thickness = before + T0 * growth(cfp, node->PreviousWaterIceHeatFlux) +
                       T1 * growth(node->FrazilConcentration, node->WaterIceHeatFlux);
    thickness = std::max(0.0, thickness);
    const double pw = node->WettedPerimeter;
    double area = std::max(0.0, pw * thickness * fa);

    // Anchor ice lets go of the bed in warm water, or once its buoyancy lifts the bed material.
    const double lift = mc.Pi / 3.0 / std::sqrt(3.0) * mc.BedMaterialDiameter * (mc.BedMaterialDensity - rho) /
                        (1.0 - p) / (rho - rhoi);
    if (thickness > 0.0 && (node->WaterTemp > 0.0 || thickness >= lift)) {
        double* u = node->ThermalUnknowns;
        u[SlushRow] += ((1.0 - p) * rhoi + p * rho) / ((1.0 - n) * rhoi + n * rho) * area;
        if (thickness >= mc.NewPanThickness)
            u[ConcentrationRow] += fa;
        else if (pw > 0.0)
            u[ConcentrationRow] += area / pw / mc.NewPanThickness;
        thickness = 0.0;
        area = 0.0;
    }
    node->AnchorIceThickness = thickness;
    node->AnchorIceArea = area;
}

void FinishThermalStep()
{
    const ModelControl& mc = g_ModelControl;
    const double s = mc.IceSpecificGravity;
    for (NodeRecord* node : g_NodeIndex) {
        if (!node) continue;
        double* u = node->ThermalUnknowns;
        // The node's quantities of its converged unknowns.
        UpdateNodeThermalState(node);
        u[UnderSlushRow] = std::max(0.0, u[UnderSlushRow]);
        u[SlushRow] = std::max(0.0, u[SlushRow]);
        u[SolidIceRow] = std::max(0.0, u[SolidIceRow]);
        UpdateAnchorIce(node);
        UpdateNodeIceElevations(node);

        // Ice grounded over more than the depth closes the width; the concentration stays a
        // fraction, and a node without depth is closed by any ice.
        double c = std::max(0.0, u[ConcentrationRow]);
        const double depth = node->Stage - node->AnchorBedElevation;
        const double draft = s * node->EffectiveIceThickness;
        if (c > 0.0) {
            if (!(depth > 0.0))
                c = 1.0;
            else if (draft > depth)
                c *= draft / depth;
        }
        c = std::min(c, 1.0);
        u[ConcentrationRow] = c;
        if (u[SlushRow] <= 0.0 && u[SolidIceRow] <= 0.0 && node->WaterTemp > 0.0) {
            u[UnderSlushRow] = u[ConcentrationRow] = u[SlushRow] = u[SolidIceRow] = 0.0;
        } else if (c == 0.0) {
            u[UnderSlushRow] = u[SlushRow] = u[SolidIceRow] = 0.0;
        }
        UpdateNodeThermalState(node);
    }
}

namespace {

// Sets every node's CarriedIceArea (m2): the floating ice the converged step carried to the node
// along the river, net of what it carried away, per metre of river. False when memory runs out.
bool TallyCarriedIce()
{
    static CarriedIceTally tally;
    const bool ice = ThermalUnknownsPerNode() >= AllThermalUnknowns;
    if (ice) {
        try {
            tally.Volume.assign(g_NodeIndex.size(), 0.0);
            tally.Length.assign(g_NodeIndex.size(), 0.0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        s_Tally = &tally;
        EvaluateSystemResiduals(ThermalIceSystem);
        s_Tally = nullptr;
    }
    for (NodeRecord* n : g_NodeIndex) {
        if (!n) continue;
        const size_t k = static_cast<size_t>(n->Index);
        n->CarriedIceArea = ice && tally.Length[k] > 0.0 ? tally.Volume[k] / tally.Length[k] : 0.0;
    }
    return true;
}

}  // namespace

int SolveThermalIceStep()
{
    ModelControl& mc = g_ModelControl;
    EquationSystem& es = g_EquationSystems[ThermalIceSystem];
    ApplyAtmosphericForcing();

    const int upn = ChooseUnknownsPerNode();
    if (upn != es.UnknownsPerNode) {
        es.UnknownsPerNode = upn;
        es.StructureBuilt = 0;
    }

    // Border ice and the ice fronts move once per step, before the iterations.
    for (NodeRecord* n : g_NodeIndex)
        if (n) n->IceFrontStalled = 0;
    if (upn == AllThermalUnknowns)
        for (NodeRecord* n : g_NodeIndex)
            if (n) GrowBorderIce(n);
    int k = 0;
    for (BridgingEventRecord* e = g_BridgingEvents; e && k < mc.BridgingEventCount; e = e->Next, ++k)
        AdvanceIceFront(e);

    const ThermalPreviousLevelHold kept(upn == AllThermalUnknowns);
    const int solved = RunNewtonIterations(ThermalIceSystem, nullptr);
    if (solved == NewtonConverged) {
        if (!TallyCarriedIce()) return NewtonNotAssembled;  // out of memory, as an assembly
        FinishThermalStep();
    }
    return solved;
}
