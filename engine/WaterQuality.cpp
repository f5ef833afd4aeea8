// Water-quality step and daylight, and the transport of the water-quality values (equation
// system 3): per unit length of river, for each value C with kinetic rate r (/s),
//   d(A C)/dt + d(Q C)/dx - d/dx(A E dC/dx) = A r + q_lat C_lat,
// A the flow area (m2), Q the discharge (m3/s), E the dispersion (m2/s), discretised by
// Petrov-Galerkin elements with the nodal rule and theta time weighting.
#include "engine/Units.h"
#include "engine/WaterQuality.h"

#include <algorithm>
#include <cmath>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/JamStability.h"
#include "engine/Junctions.h"
#include "engine/TimeStepping.h"
#include "engine/WaterQualityFile.h"
#include "engine/SeriesLookup.h"

namespace {

// Unknowns per node of equation system 3 in a water-quality run.
constexpr int WQUnknownsPerNode = 6;
// Largest solar declination (degrees) and the day-of-year offset of its annual sine.
constexpr double MaxDeclinationDegrees = 23.45;
constexpr double DeclinationDayOffset = 284;
constexpr double DaysPerYear = 365;

void RefreshAfterSolve()
{
    ComputeSurfaceSlopes();
    for (NodeRecord* n : g_NodeIndex) ComputeWQKinetics(n);
}

// Equation system 3 over the step whose clock the stepping has advanced: 1 converged, 0 not
// converged, another value an assembly failure; the stepping takes back a step not made (see
// AdvanceTimeStep).
int SolveWaterQualityStep()
{
    ModelControl& mc = g_ModelControl;
    if (!mc.WaterQualityOn) return NewtonConverged;
    UpdateDaylight();

    EquationSystem& es = g_EquationSystems[WaterQualitySystem];
    if (es.UnknownsPerNode != WQUnknownsPerNode) {
        es.UnknownsPerNode = WQUnknownsPerNode;
        es.StructureBuilt = 0;
    }
    const int solved = RunNewtonIterations(WaterQualitySystem, nullptr);
    if (solved == NewtonConverged) RefreshAfterSolve();
    return solved;
}

}  // namespace

int RunWaterQualityStep()
{
    return AdvanceTimeStep(SolveWaterQualityStep);
}

void InitialiseWaterQuality()
{
    RefreshAfterSolve();
}

double ComputeDayLengthFraction(int year, int month, int day)
{
    const ModelControl& mc = g_ModelControl;
    const int n = ComputeDayOfYear(year, month, day);
    const double declination =
        MaxDeclinationDegrees * mc.Pi / 180 * std::sin(2 * mc.Pi * (DeclinationDayOffset + n) / DaysPerYear);
    // Cosine of the hour angle of sunset.
    const double g = -std::tan(declination) * std::tan(mc.PhiLatitude * mc.Pi / 180);
    if (g <= -1) return 1;
    if (g >= 1) return 0;
    return std::acos(g) / mc.Pi;
}

void UpdateDaylight()
{
    ModelControl& mc = g_ModelControl;
    const int* date = mc.CurrentDate;
    const double hours = date[3] + date[4] / 60.0 + date[5] / SecondsPerHour;
    const double fraction = ComputeDayLengthFraction(date[0], date[1], date[2]);
    // Sunrise, hours after midnight: the day is centred on 12 + Ftd.
    const double sunrise = 12 + mc.Ftd - 12 * fraction;
    mc.DaylightFlag = hours > sunrise && hours < sunrise + 24 * fraction ? 1.0 : 0.0;
    mc.DayLengthFraction = fraction;
    mc.HoursFromNoon = date[3] - (12 + mc.Ftd);
}

void StoreWQUnknowns(NodeRecord* node)
{
    double* values = g_ModelControl.WQFileType == WQNutrients ? node->WQValues : node->MetalValues;
    std::copy(node->WQUnknowns, node->WQUnknowns + WQUnknownsPerNode, values);
}

// ---------------------------------------------------------------------------------------
// Transport
// ---------------------------------------------------------------------------------------
namespace {

// Values of metals and xenobiotics that move with the water (dissolved, adsorbed, suspended
// solids), one per series column; the three bed values only store and react.
constexpr int MetalWaterColumnValues = WQMetalSeriesValues;

double SignOf(double x)
{
    return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0);
}

// Values of the loaded type that move with the water, of the system's `upn` unknowns.
int MovingValues(int upn)
{
    return g_ModelControl.WQFileType == WQNutrients ? upn : std::min(upn, MetalWaterColumnValues);
}

// Series column of moving value k.
int SeriesColumn(int k)
{
    return k + (g_ModelControl.WQFileType == WQNutrients ? WQNutrientSeriesColumn : WQMetalSeriesColumn);
}

bool HasRows(const WQBoundaryHydrograph* h)
{
    if (!h || h->RowCount <= 0) return false;
    for (const auto& column : h->Columns)
        if (column.size() < static_cast<size_t>(h->RowCount)) return false;
    return true;
}

// The concentrations of a series at ModelTime, for the first `count` moving values.
void SeriesConcentrations(const WQBoundaryHydrograph* h, int count, double* out)
{
    const double* times = h->Columns[0].data();
    const SeriesName series = NameWaterQualitySeries(h);
    for (int k = 0; k < count; ++k)
        out[k] = SeriesValueAt(series, times, h->Columns[SeriesColumn(k)].data(), g_ModelControl.ModelTime, h->RowCount);
}

// The series of a lateral inflow at one of the element's nodes (the first node's when both
// have one), or null.
const WQBoundaryHydrograph* LateralSeries(const ElementRecord* element, int n)
{
    for (int k = 0; k < n; ++k) {
        const BoundaryElementRecord* b = element->Nodes[k]->BoundaryElement;
        if (b && b->DischargeCode == 99 && HasRows(b->WQHydrograph)) return b->WQHydrograph;
    }
    return nullptr;
}

// Discharge (m3/s) that a discharge-hydrograph boundary lets in at ModelTime: its series'
// discharge, or the node's discharge when the element has no series.
double InflowDischarge(const BoundaryElementRecord* element)
{
    const BoundaryHydrograph* h = element->Hydrograph;
    if (!h || h->RowCount <= 0 || h->Columns[0].size() < static_cast<size_t>(h->RowCount) ||
        h->Columns[2].size() < static_cast<size_t>(h->RowCount))
        return element->Node()->Discharge;
    return SeriesValueAt(NameHydrograph(h), h->Columns[0].data(), h->Columns[2].data(), g_ModelControl.ModelTime,
                         h->RowCount);
}

// The junction of which the element is a current branch, or null.
const JunctionRecord* BranchJunction(const ElementRecord* element)
{
    if (element->JunctionBranch == 0) return nullptr;
    for (const JunctionRecord* j = g_Junctions; j; j = j->Next)
        if (j->ElementAB == element || j->ElementAC == element || j->ElementAD == element) return j;
    return nullptr;
}

// Gathers what the kernel reads of the element's nodes; at a junction, node A as the branch
// sees it: its share of A's flow, in the branch's direction, through its part of A's section.
void GatherElementNodes(const ElementRecord* element, int n, WQElementNodes* s)
{
    const bool nutrients = g_ModelControl.WQFileType == WQNutrients;
    s->Count = n;
    for (int k = 0; k < n; ++k) {
        const NodeRecord* node = element->Nodes[k];
        s->Area[k] = node->FlowArea;
        s->PreviousArea[k] = node->PreviousFlowArea;
        s->MinArea[k] = node->MinFlowArea;
        s->Discharge[k] = node->FluxDischarge;
        s->PreviousDischarge[k] = node->PreviousFluxDischarge;
        s->Depth[k] = node->HydraulicDepth;
        s->FrictionSlope[k] = node->FrictionSlope;
        s->Radius[k] = node->HydraulicRadius;
        s->Values[k] = node->WQUnknowns;
        s->PreviousValues[k] = node->PreviousWQUnknowns;
        s->Rates[k] = nutrients ? node->WQRates : node->MetalRates;
        s->PreviousRates[k] = nutrients ? node->PreviousWQRates : node->PreviousMetalRates;
    }
    const JunctionBranchView branch = ViewJunctionNodeFromBranch(BranchJunction(element), element);
    if (branch.NodeA >= 0 && branch.NodeA < n) {
        const int a = branch.NodeA;
        s->Area[a] = branch.FlowArea;
        s->PreviousArea[a] = branch.PreviousFlowArea;
        s->MinArea[a] *= branch.AreaShare;
        s->Discharge[a] *= branch.Sign * branch.DischargeShare;
        s->PreviousDischarge[a] *= branch.Sign * branch.DischargeShare;
    }
}

}  // namespace

void AddWaterQualityTerms(const GaussPointRecord* gp, const WQElementNodes& s)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[WaterQualitySystem];
    const int upn = std::clamp(es.UnknownsPerNode, 0, 6);
    const int moving = MovingValues(upn);
    const int n = std::min(gp->Interpolation.NodeCount, s.Count);
    const double* N = gp->Interpolation.N;
    const double* dN = gp->dNdx;
    const double w = gp->Determinant;
    const double a = es.Theta * mc.DeltaT;
    const double b = (1.0 - es.Theta) * mc.DeltaT;

    auto value = [&](const double* field) {
        double v = 0.0;
        for (int j = 0; j < n; ++j) v += N[j] * field[j];
        return v;
    };
    auto slope = [&](const double* field) {
        double v = 0.0;
        for (int j = 0; j < n; ++j) v += dN[j] * field[j];
        return v;
    };
    const double minArea = value(s.MinArea);
    const double A = std::max(minArea, value(s.Area));
    const double Ap = std::max(minArea, value(s.PreviousArea));
    const double Q = value(s.Discharge);
    const double Qp = value(s.PreviousDischarge);
    const double dQ = slope(s.Discharge);

    // Flow directions that weight the upwinding of each level.
    double sNew = SignOf(Q), sOld = SignOf(Qp);
    switch (es.UpwindingUpdating) {
    case 0: break;
    case 1: sNew = sOld; break;
    default: sNew = sOld = 0.0; break;
    }

    // Dispersion E = k h sqrt(g |Sf R|) (m2/s).
    double E = 0.0;
    const double shear = std::fabs(value(s.FrictionSlope) * value(s.Radius)) * mc.Gravity;
    if (mc.DispersionCoefficient != 0.0 && shear > 0.0) E = mc.DispersionCoefficient * value(s.Depth) * std::sqrt(shear);

    double* rows = g_ModelControl.ElementVector.data();
    for (int k = 0; k < upn; ++k) {
        double C = 0.0, Cp = 0.0, r = 0.0, rp = 0.0;
        double dQC = 0.0, dQCp = 0.0, dC = 0.0, dCp = 0.0;
        for (int j = 0; j < n; ++j) {
            C += N[j] * s.Values[j][k];
            Cp += N[j] * s.PreviousValues[j][k];
            r += N[j] * s.Rates[j][k];
            rp += N[j] * s.PreviousRates[j][k];
            dQC += dN[j] * s.Discharge[j] * s.Values[j][k];
            dQCp += dN[j] * s.PreviousDischarge[j] * s.PreviousValues[j][k];
            dC += dN[j] * s.Values[j][k];
            dCp += dN[j] * s.PreviousValues[j][k];
        }
        const bool moves = k < moving;
        for (int i = 0; i < n; ++i) {
            const double B = es.Upwinding * w * dN[i];   // upwinding weight of node i
            const double Wn = N[i] + sNew * B;
            const double Wo = N[i] + sOld * B;
            double term = (Ap * Cp - A * C) * N[i] + (sOld * Ap * Cp - sNew * A * C) * B +
                          b * rp * Ap * Wo + a * r * A * Wn;
            if (moves) {
                term += (a * Q * C + b * Qp * Cp) * dN[i] - (a * sNew * dQC + b * sOld * dQCp) * B -
                        E * dN[i] * (a * A * dC + b * Ap * dCp);
                if (s.Lateral) term += mc.DeltaT * s.Lateral[k] * dQ * Wn;
            }
            rows[i * upn + k] += term * w;
        }
    }
}

int ComputeWQElementResidual(ElementRecord* element)
{
    ModelControl& mc = g_ModelControl;
    const int upn = std::clamp(g_EquationSystems[WaterQualitySystem].UnknownsPerNode, 0, 6);
    ShapeFunctionValues scratch;
    const int n = CountElementNodes(element, &scratch);
    if (n < 1 || upn < 1 || mc.ElementVector.size() < static_cast<size_t>(n * upn)) return 0;
    for (int k = 0; k < n; ++k)
        if (!element->Nodes[k]) return 0;
    std::fill(mc.ElementVector.begin(), mc.ElementVector.begin() + n * upn, 0.0);

    for (int k = 0; k < n; ++k) RefreshWQKinetics(element->Nodes[k]);
    WQElementNodes nodes;
    GatherElementNodes(element, n, &nodes);
    double lateral[6];
    if (const WQBoundaryHydrograph* h = LateralSeries(element, n)) {
        SeriesConcentrations(h, MovingValues(upn), lateral);
        nodes.Lateral = lateral;
    }
    for (int p = 0; p < NodalRulePoints; ++p)
        AddWaterQualityTerms(EvaluateNodalRulePoint(element, element->Length, p), nodes);
    return n;
}

void AddWQBoundaryTerms(BoundaryElementRecord* element)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[WaterQualitySystem];
    const NodeRecord* node = element->Node();
    const int upn = std::clamp(es.UnknownsPerNode, 0, 6);
    const int moving = MovingValues(upn);
    const double P = element->Position;
    const double Q = node->Discharge;
    const double Qp = node->PreviousDischarge;
    const int sc = element->StageCode;
    const int dc = element->DischargeCode;
    double* rows = g_ModelControl.ElementVector.data();

    // A lateral inflow enters through its elements.
    if (dc == 99) return;
    // A discharge hydrograph where the water enters brings the series' concentrations with the
    // water the hydrodynamics bring in: the hydrograph's discharge, not the node's discharge,
    // which the scheme lets differ from it.
    const double inflow = dc == 1 ? InflowDischarge(element) : 0.0;
    if (dc == 1 && P * inflow <= 0.0) {
        if (!HasRows(element->WQHydrograph)) return;
        double c[6];
        SeriesConcentrations(element->WQHydrograph, moving, c);
        for (int k = 0; k < moving; ++k) rows[k] -= c[k] * inflow * P * mc.DeltaT;
        return;
    }
    // Wherever else water crosses the boundary (stage hydrograph or rating curve, a free end,
    // a discharge hydrograph where the water leaves), it carries the node's own values.
    const bool open = dc == 1 || dc == 2 || sc == 1 || sc == 2 || (sc == 0 && dc == 0);
    if (!open) return;
    const double a = es.Theta * mc.DeltaT;
    const double b = (1.0 - es.Theta) * mc.DeltaT;
    for (int k = 0; k < moving; ++k)
        rows[k] -= P * (a * Q * node->WQUnknowns[k] + b * Qp * node->PreviousWQUnknowns[k]);
}

void ComputeWQBoundaryResidual(BoundaryElementRecord* element)
{
    ModelControl& mc = g_ModelControl;
    NodeRecord* node = element->Node();
    const int upn = std::clamp(g_EquationSystems[WaterQualitySystem].UnknownsPerNode, 0, 6);
    if (!node || upn < 1 || mc.ElementVector.size() < static_cast<size_t>(upn)) return;
    std::fill(mc.ElementVector.begin(), mc.ElementVector.begin() + upn, 0.0);
    RefreshWQKinetics(node);
    AddWQBoundaryTerms(element);
}
