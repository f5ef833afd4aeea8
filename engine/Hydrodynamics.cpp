// Hydrodynamic equations: continuity and momentum for gross area and discharge, solved by a
// Petrov-Galerkin method with upwinding by the sign matrix of the flow Jacobian and theta
// time weighting. Three forms: rectangular conservation form, natural channel form, and
// natural channel conservation form with first moments of area.
#include "engine/Hydrodynamics.h"

#include <algorithm>
#include <cmath>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Junctions.h"
#include "engine/TimeStepping.h"
#include "engine/SeriesLookup.h"

namespace {

constexpr int Upn = 2;   // gross area, discharge

// What a point of a kept natural element takes of the nodes' areas alone: the flow and gross
// areas (m2), the flow area's slope (m), the stage (m) and its slope, the momentum coefficient
// and its slope (1/m), the sinuosity ratio and the wave celerity c (m/s); and the storage term
// and pressure of each of its two rows. The differencing keeps them at the current state: a
// perturbation of one node's discharge alone leaves each of them as it was.
struct NaturalAreaSide {
    double A, Ag, dAdx, H, dHdx, beta, dBeta, sigma, c;
    double Storage[2], Pressure[2];
};
// How a kernel treats those values: takes them (ComputeArea), takes and keeps them (KeepArea),
// or recalls the kept ones (TakeArea).
enum NaturalAreaUse { ComputeArea, KeepArea, TakeArea };

// The values of an element's points kept at the current state. The differencing evaluates an
// element at its perturbed discharges soon after its current state, so a few places, each
// marked with the element it holds, are enough; an element whose place another took since is
// evaluated in full.
struct NaturalAreaPlace {
    const ElementRecord* Element = nullptr;
    NaturalAreaSide Points[MaxHydroTermPoints];
};
constexpr int NaturalAreaPlaces = 8;
NaturalAreaPlace g_NaturalAreaPlaces[NaturalAreaPlaces];

NaturalAreaPlace& NaturalAreaPlaceOf(const ElementRecord* element)
{
    return g_NaturalAreaPlaces[static_cast<unsigned>(element->Number) % NaturalAreaPlaces];
}

double Sign(double x)
{
    return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0);
}

// Sign matrix of the flow Jacobian [[0, 1], [c^2 - V^2, 2V]] for its eigenvalues V + c and
// V - c. The textbook entries S11 = (1/|V+c| - 1/|V-c|)(c^2 - V^2)/(2c) and
// S22 = (|V+c| - |V-c|)/(2c) cancel badly at small V and S11 divides 0 by 0 at critical flow;
// here S22 = sgn(V) min(|V|/c, 1), S11 = s1 s2 S22, which are the same values without
// cancellation. sgn(0) is 0, so critical flow takes the mean of the one-sided limits, and a
// state without celerity (dry) has no upwinding.
UpwindMatrix SignMatrix(double v, double c)
{
    UpwindMatrix s;
    if (!(c > 0.0) || !std::isfinite(c) || !std::isfinite(v)) return s;
    const double twoC = 2.0 * c;
    if (std::fabs(v) < c) {
        // Subcritical, s1 = 1 and s2 = -1 (v + c and v - c keep their signs when rounded): the
        // values below without the sign products, which change no bit of them.
        s.S22 = v != 0.0 ? v / c : 0.0;
        s.S11 = -s.S22;
        s.S12 = 2.0 / twoC;
        s.S21 = 2.0 * ((c - v) * (c + v)) / twoC;
        return s;
    }
    const double s1 = Sign(v + c);
    const double s2 = Sign(v - c);
    s.S22 = Sign(v) * std::min(std::fabs(v) / c, 1.0);
    s.S11 = s1 * s2 * s.S22;
    s.S12 = (s1 - s2) / twoC;
    s.S21 = (s1 - s2) * ((c - v) * (c + v)) / twoC;
    return s;
}

// The current-level (S) and previous-level (Sp) matrices the kernels use, by UpwindingUpdating,
// from the current state and the sign matrix of the previous level.
void SelectUpwinding(double v, double c, const UpwindMatrix& previous, UpwindMatrix* s, UpwindMatrix* sp)
{
    const int mode = g_EquationSystems[HydrodynamicSystem].UpwindingUpdating;
    switch (mode) {
    case 0:
        *s = SignMatrix(v, c);
        *sp = previous;
        break;
    case 1:
        *sp = previous;
        *s = *sp;
        break;
    case 2:
        *s = SignMatrix(v, c);
        *sp = *s;
        break;
    default:
        *s = UpwindMatrix{};
        *sp = UpwindMatrix{};
        break;
    }
}

// The same from the previous level's velocity and celerity.
void SelectUpwinding(double v, double c, double vp, double cp, UpwindMatrix* s, UpwindMatrix* sp)
{
    const int mode = g_EquationSystems[HydrodynamicSystem].UpwindingUpdating;
    SelectUpwinding(v, c, mode == 0 || mode == 1 ? SignMatrix(vp, cp) : UpwindMatrix{}, s, sp);
}

void KeepPreviousSign(const UpwindMatrix& m, HydroPointTerms* t)
{
    t->Sp11 = m.S11;
    t->Sp12 = m.S12;
    t->Sp21 = m.S21;
    t->Sp22 = m.S22;
}

UpwindMatrix PreviousSign(const HydroPointTerms& t)
{
    UpwindMatrix m;
    m.S11 = t.Sp11;
    m.S12 = t.Sp12;
    m.S21 = t.Sp21;
    m.S22 = t.Sp22;
    return m;
}

bool HasSection(const NodeRecord* node)
{
    return node->CrossSection && std::abs(node->SectionCode) >= 2 && node->CrossSection->LevelCount >= 2;
}

// First moment of the area below a level about that level.
double AreaMomentAt(const NodeRecord* node, double level)
{
    if (HasSection(node)) {
        return SectionValueAtStage(node, AreaMoment, level);
    }
    const double depth = std::max(0.0, level - node->Invert);
    return depth * depth * node->RectWidth * 0.5;
}

// The part of the rectangular kernel's friction coefficient that does not depend on the
// velocity: R f^2 (m), R the hydraulic radius and f the Chezy coefficient over sqrt(g); Positive
// is false when f is not positive (no friction).
struct FrictionScale {
    double Scale;
    bool Positive;
};
FrictionScale RectFrictionScale(double area, double width, double n, double ni, double iceConcentration,
                                double iceThickness)
{
    const double h = width != 0.0 ? area / width : 0.0;
    double radius;
    double mix = 1.0;
    if (iceConcentration * iceThickness > 0.0 && std::fabs(ni) > 0.0) {
        radius = area / (iceConcentration * width + 2.0 * h + width);
        mix = RoughnessMixFactor(n, ni, iceConcentration * width / (2.0 * h + width));
    } else {
        radius = area / (2.0 * h + width);
    }
    const double f = ComputeChezyFactor(radius, n, mix);
    return FrictionScale{radius * f * f, f > 0.0};
}

// Friction coefficient F of the rectangular kernel (F Q is g A Sf), from the interpolated
// state of one time level.
double RectFrictionCoefficient(double area, double velocity, double width, double n, double ni,
                               double iceConcentration, double iceThickness)
{
    const FrictionScale f = RectFrictionScale(area, width, n, ni, iceConcentration, iceThickness);
    return f.Positive ? std::fabs(velocity) / f.Scale : 0.0;
}


// Node hydraulics for a residual evaluation: while the framework differences the residuals it
// keeps every node's hydraulics current itself; any other caller gets them refreshed here.
void RefreshNode(NodeRecord* node)
{
    if (g_ModelControl.Differencing == NotDifferencing) UpdateNodeHydraulics(node);
}

// Nodes of an element by its interpolation code (asked with a point outside the element).
int ElementNodeCount(const FiniteElementBase* element, ShapeFunctionValues* scratch)
{
    const double outside[4] = {100.0, 0.0, 0.0, 1.0};
    return std::min(EvaluateShapeFunctions(element->InterpolationCode, outside, scratch), element->NodeCount);
}

// What the kernels read of the shape functions at a point: their values and x-derivatives, and
// the map derivative dx/dxi (m). From a rule point's record, or from an element's kept terms.
struct PointShape {
    const double* N;
    const double* dNdx;
    double J;
};

PointShape ShapeOf(const GaussPointRecord* gp)
{
    return PointShape{gp->Interpolation.N, gp->dNdx, gp->Determinant};
}

// The interpolation of a point of an element of exactly N nodes: PointInterpolation's sums, term
// by term in the same order, over a count the compiler knows.
template <int N>
struct FixedPointInterpolation {
    PointShape shape;
    NodeRecord* const* nodes;

    template <typename F>
    double Value(F field) const
    {
        double s = 0.0;
        for (int k = 0; k < N; ++k) s += shape.N[k] * field(nodes[k]);
        return s;
    }
    double Value(double NodeRecord::*m) const
    {
        double s = 0.0;
        for (int k = 0; k < N; ++k) s += shape.N[k] * (nodes[k]->*m);
        return s;
    }
    double Slope(double NodeRecord::*m) const
    {
        double s = 0.0;
        for (int k = 0; k < N; ++k) s += shape.dNdx[k] * (nodes[k]->*m);
        return s;
    }
};

// PointInterpolation's sums, term by term in the same order, from a point's shape functions.
struct ShapeInterpolation {
    PointShape shape;
    NodeRecord* const* nodes;
    int count;

    template <typename F>
    double Value(F field) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += shape.N[k] * field(nodes[k]);
        return s;
    }
    template <typename F>
    double Slope(F field) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += shape.dNdx[k] * field(nodes[k]);
        return s;
    }
    double Value(double NodeRecord::*m) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += shape.N[k] * (nodes[k]->*m);
        return s;
    }
    double Slope(double NodeRecord::*m) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += shape.dNdx[k] * (nodes[k]->*m);
        return s;
    }
};

// The natural kernels' rows of a two-node element at one point, with the storage terms and
// pressures of the nodes' areas alone taken, taken and kept, or recalled (NaturalAreaUse).
template <int AreaUse>
void AddKeptNaturalRows(const PointShape& shape, ElementRecord* element, const NaturalPoint& p,
                        NaturalKernelForm form, const NaturalPressureMoments* moments,
                        const NaturalLevelProducts& level, const NaturalPreviousMomentum& momentum,
                        NaturalAreaSide* area);

// The natural kernels' rows of the element's first n nodes at one point (AddNaturalPointTerms),
// with the products of the previous level's values the rows form, given or formed on the spot.
void AddNaturalRows(const PointShape& shape, ElementRecord* element, int n, const NaturalPoint& p,
                    NaturalKernelForm form, const NaturalPressureMoments* moments);
void AddNaturalRowsWith(const PointShape& shape, ElementRecord* element, int n, const NaturalPoint& p,
                        NaturalKernelForm form, const NaturalPressureMoments* moments,
                        const NaturalLevelProducts& level, const NaturalPreviousMomentum& momentum);

// The momentum residual X of the natural kernels at one level (m3/s2 per m): convection,
// pressure, the slope of the momentum coefficient, friction and ice drag.
double NaturalMomentumResidual(double beta, double V, double Q, double A, double dAdx, double dQdx, double dHdx,
                               double dBeta, double Ff, double Fb, double Ti)
{
    const double g = g_ModelControl.Gravity;
    const double rho = g_ModelControl.WaterDensity;
    return -beta * V * V * dAdx + 2.0 * beta * V * dQdx + g * A * dHdx + V * Q * dBeta + Ff * Q + Fb * Q + Ti / rho;
}

// The previous level's residual Xp of the point from its values.
void SetPreviousMomentumResidual(double dBeta, NaturalPoint* p)
{
    p->Xp = NaturalMomentumResidual(p->beta, p->Vp, p->Qp, p->Ap, p->dApdx, p->dQpdx, p->dHpdx, dBeta, p->Ffp, p->Fbp,
                                    p->Tip);
}

// The products of the point's previous-level values that the rows form (see
// NaturalLevelProducts), with its previous sign matrix Sp.
NaturalLevelProducts LevelProductsOf(const NaturalPoint& p)
{
    const ModelControl& mc = g_ModelControl;
    const double s = mc.IceSpecificGravity;
    const double por = mc.AnchorIcePorosity;
    const double T0 = (1.0 - g_EquationSystems[HydrodynamicSystem].Theta) * mc.DeltaT;
    const UpwindMatrix& Sp = p.Sp;
    NaturalLevelProducts l;
    l.IceStorage = s * (p.Fo - p.Fs);
    l.AnchorStorage = (1.0 - por) * (p.No - p.Ns);
    l.ContinuityUpwind = Sp.S11 * p.Agp + Sp.S12 * p.Qp;
    l.MomentumUpwind = Sp.S21 * p.Agp + Sp.S22 * p.Qp;
    l.ContinuityIce = Sp.S11 * p.Fo;
    l.ContinuityAnchor = Sp.S11 * p.No;
    l.MomentumIce = Sp.S21 * p.Fo;
    l.MomentumAnchor = Sp.S21 * p.No;
    l.T0Qp = T0 * p.Qp;
    l.T0Sp11dQp = T0 * Sp.S11 * p.dQpdx;
    l.T0Sp21dQp = T0 * Sp.S21 * p.dQpdx;
    l.T0Sp12 = T0 * Sp.S12;
    l.T0Sp22 = T0 * Sp.S22;
    l.T0HpAp = T0 * p.Hp * p.Ap;
    l.T0HpdAp = T0 * p.Hp * p.dApdx;
    l.T0FodHp = T0 * p.Fo * p.dHpdx;
    l.T0NodHp = T0 * p.No * p.dHpdx;
    l.T0FfpQp = T0 * p.Ffp * p.Qp;
    l.T0FbpQp = T0 * p.Fbp * p.Qp;
    l.T0Tip = T0 * p.Tip;
    return l;
}

// The products the rows form of the point's previous-level residual Xp (set), for its momentum
// coefficient and the slope dBeta of it.
NaturalPreviousMomentum PreviousMomentumOf(const NaturalPoint& p, double dBeta, const NaturalLevelProducts& level)
{
    const double T0 = (1.0 - g_EquationSystems[HydrodynamicSystem].Theta) * g_ModelControl.DeltaT;
    NaturalPreviousMomentum m;
    m.Kept = 1;
    m.Beta = p.beta;
    m.dBeta = dBeta;
    m.Xp = p.Xp;
    m.T0Sp12Xp = level.T0Sp12 * p.Xp;
    m.T0Sp22Xp = level.T0Sp22 * p.Xp;
    m.T0BetaQpVp = T0 * p.beta * p.Qp * p.Vp;
    return m;
}

// True when two values have the same bits (a memo of values taken from them holds).
bool SameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Areas, discharge, their slopes and the velocity of the current level at the point.
template <typename Point, typename At>
void InterpolateCurrentFlow(const At& at, Point* p)
{
    p->A = at.Value(&NodeRecord::FlowArea);
    p->Ag = at.Value(&NodeRecord::GrossArea);
    p->Q = at.Value(&NodeRecord::Discharge);
    p->dAdx = at.Slope(&NodeRecord::FlowArea);
    p->dQdx = at.Slope(&NodeRecord::Discharge);
    p->V = p->A > 0.0 ? p->Q / p->A : 0.0;
}

// The same of the previous level.
template <typename Point>
void InterpolatePreviousFlow(const PointInterpolation& at, Point* p)
{
    p->Ap = at.Value(&NodeRecord::PreviousFlowArea);
    p->Agp = at.Value(&NodeRecord::PreviousGrossArea);
    p->Qp = at.Value(&NodeRecord::PreviousDischarge);
    p->dApdx = at.Slope(&NodeRecord::PreviousFlowArea);
    p->dQpdx = at.Slope(&NodeRecord::PreviousDischarge);
    p->Vp = p->Ap > 0.0 ? p->Qp / p->Ap : 0.0;
}

// Passes the previous level's flow state (Ap to Vp) from one point structure to another.
template <typename To, typename From>
void CopyPreviousFlow(const From& from, To* to)
{
    to->Ap = from.Ap;
    to->Agp = from.Agp;
    to->Qp = from.Qp;
    to->dApdx = from.dApdx;
    to->dQpdx = from.dQpdx;
    to->Vp = from.Vp;
}


// The previous level's values of the natural kernels at a point.
void InterpolateNaturalPrevious(const PointInterpolation& at, HydroPointTerms* t)
{
    const double g = g_ModelControl.Gravity;
    NaturalPointTerms& natural = t->Natural;
    InterpolatePreviousFlow(at, t);
    natural.Hp = at.Value(&NodeRecord::PreviousStage);
    natural.dHpdx = at.Slope(&NodeRecord::PreviousStage);
    const double Dp = at.Value(&NodeRecord::PreviousGrossHydraulicDepth);
    const double cp = std::sqrt(std::fabs(g * Dp));
    KeepPreviousSign(SignMatrix(t->Vp, cp), t);
    natural.Ffp = at.Value(&NodeRecord::PreviousFrictionTerm);
    t->Fbp = at.Value(&NodeRecord::PreviousBedFriction);
    t->Tip = at.Value(&NodeRecord::PreviousIceDrag);
    natural.Fs = at.Value(&NodeRecord::PreviousFloatingIceArea);
    natural.Fo = at.Value(ContinuityOlderFloatingIceArea);
    natural.Ns = at.Value(&NodeRecord::PreviousAnchorIceArea);
    natural.No = at.Value(ContinuityOlderAnchorIceArea);
}

// The point's values of the previous level from the level's terms: those of the resistance
// model not in use are 0.
void SetPreviousNaturalValues(const HydroPointTerms& previous, NaturalPoint* p)
{
    CopyPreviousFlow(previous, p);
    p->Hp = previous.Natural.Hp;
    p->dHpdx = previous.Natural.dHpdx;
    if (g_ModelControl.ResistanceModel == 1) {
        p->Fbp = previous.Fbp;
        p->Tip = previous.Tip;
        p->Ffp = 0.0;
    } else {
        p->Ffp = previous.Natural.Ffp;
        p->Fbp = p->Tip = 0.0;
    }
    p->Fs = previous.Natural.Fs;
    p->Fo = previous.Natural.Fo;
    p->Ns = previous.Natural.Ns;
    p->No = previous.Natural.No;
}

// The point's values from the current state and the previous level's terms, with the slope
// dBeta of the momentum coefficient (1/m); all but the previous level's residual Xp. Those of
// the nodes' areas alone are taken (ComputeArea), taken and kept in `area` (KeepArea), or
// recalled from it (TakeArea).
template <int AreaUse, typename At>
NaturalPoint EvaluateNaturalPointWith(const At& at, const HydroPointTerms& previous, double* dBeta,
                                      NaturalAreaSide* area)
{
    const ModelControl& mc = g_ModelControl;
    const double g = mc.Gravity;
    // Every member but Xp is written below; the friction terms of the resistance model not in
    // use are set to 0 there, so the record is not cleared first.
    NaturalPoint p;
    double c;
    if constexpr (AreaUse == TakeArea) {
        p.A = area->A;
        p.Ag = area->Ag;
        p.Q = at.Value(&NodeRecord::Discharge);
        p.dAdx = area->dAdx;
        p.dQdx = at.Slope(&NodeRecord::Discharge);
        p.V = p.A > 0.0 ? p.Q / p.A : 0.0;
        SetPreviousNaturalValues(previous, &p);
        p.H = area->H;
        p.dHdx = area->dHdx;
        p.beta = area->beta;
        *dBeta = area->dBeta;
        p.sigma = area->sigma;
        c = area->c;
    } else {
        InterpolateCurrentFlow(at, &p);
        SetPreviousNaturalValues(previous, &p);
        p.H = at.Value(&NodeRecord::Stage);
        p.dHdx = at.Slope(&NodeRecord::Stage);
        p.beta = at.Value(&NodeRecord::MomentumCoefficient);
        *dBeta = at.Slope(&NodeRecord::MomentumCoefficient);
        p.sigma = at.Value(&NodeRecord::SinuosityRatio);
        const double D = at.Value(&NodeRecord::GrossHydraulicDepth);
        c = std::sqrt(std::fabs(g * D));
        if constexpr (AreaUse == KeepArea) {
            area->A = p.A;
            area->Ag = p.Ag;
            area->dAdx = p.dAdx;
            area->H = p.H;
            area->dHdx = p.dHdx;
            area->beta = p.beta;
            area->dBeta = *dBeta;
            area->sigma = p.sigma;
            area->c = c;
        }
    }

    if (mc.ResistanceModel == 1) {
        p.Fb = at.Value(&NodeRecord::BedFriction);
        p.Ti = at.Value(&NodeRecord::IceDrag);
        p.Ff = 0.0;
    } else {
        p.Ff = at.Value(&NodeRecord::FrictionTerm);
        p.Fb = p.Ti = 0.0;
    }

    p.X = NaturalMomentumResidual(p.beta, p.V, p.Q, p.A, p.dAdx, p.dQdx, p.dHdx, *dBeta, p.Ff, p.Fb, p.Ti);
    SelectUpwinding(p.V, c, PreviousSign(previous), &p.S, &p.Sp);
    return p;
}

template <typename At>
NaturalPoint EvaluateNaturalPoint(const At& at, const HydroPointTerms& previous, double* dBeta)
{
    return EvaluateNaturalPointWith<ComputeArea>(at, previous, dBeta, nullptr);
}

// The natural kernels; the conservation form differs only in the pressure terms.
// First moments of each element node's area below its stage, its previous stage and the
// element's two reference levels. They depend on the element and its nodes only, so one
// residual evaluation looks them up once for all its integration points.
struct ElementAreaMoments {
    double AtStage[MaxElementNodes];
    double AtPreviousStage[MaxElementNodes];
    double AtReference[MaxElementNodes];
    double AtPreviousReference[MaxElementNodes];
};

// The moments of the element's nodes; those of the previous level from the element's kept
// terms when given.
void ComputeElementAreaMoments(const ElementRecord* element, int n, ElementAreaMoments* m,
                               const HydroElementTerms* kept)
{
    for (int k = 0; k < n; ++k) {
        const NodeRecord* node = element->Nodes[k];
        m->AtStage[k] = AreaMomentAt(node, node->Stage);
        m->AtPreviousStage[k] = kept ? kept->MomentAtPreviousStage[k] : AreaMomentAt(node, node->PreviousStage);
        m->AtReference[k] = AreaMomentAt(node, element->ReferenceLevel);
        m->AtPreviousReference[k] =
            kept ? kept->MomentAtPreviousReference[k] : AreaMomentAt(node, element->PreviousReferenceLevel);
    }
}

// The sums of the conservation form's pressure at a point of the element's first n nodes, from
// the nodes' area moments (their own when not given).
NaturalPressureMoments PressureMomentsOf(const PointShape& shape, const ElementRecord* element, int n,
                                         const ElementAreaMoments* moments)
{
    ElementAreaMoments ownMoments;
    if (!moments) {
        ComputeElementAreaMoments(element, n, &ownMoments, nullptr);
        moments = &ownMoments;
    }
    NaturalPressureMoments sums{};
    for (int k = 0; k < n; ++k) {
        sums.AtStage += shape.N[k] * moments->AtStage[k];
        sums.AtPreviousStage += shape.N[k] * moments->AtPreviousStage[k];
        sums.SlopeAtReference += shape.dNdx[k] * moments->AtReference[k];
        sums.SlopeAtPreviousReference += shape.dNdx[k] * moments->AtPreviousReference[k];
    }
    return sums;
}

// The rows of the natural kernels at a point of the element's first n nodes from the point's
// values and the products of its previous level's: the pressure integrals of the conservation
// form from the nodes' area moments (their own when not given).
void AddNaturalPointRows(const PointShape& shape, ElementRecord* element, int n, bool conservation,
                         const ElementAreaMoments* moments, const NaturalPoint& p, const NaturalLevelProducts& level,
                         const NaturalPreviousMomentum& momentum)
{
    if (!conservation) {
        AddNaturalRowsWith(shape, element, n, p, NaturalReachForm, nullptr, level, momentum);
        return;
    }
    const NaturalPressureMoments sums = PressureMomentsOf(shape, element, n, moments);
    AddNaturalRowsWith(shape, element, n, p, NaturalConservationForm, &sums, level, momentum);
}

// AddNaturalPointRows for a two-node element that keeps its terms, its areas' values used as
// AreaUse says: recalled, they include the pressure, and the area moments are not read.
template <int AreaUse>
void AddKeptNaturalPointRows(const PointShape& shape, ElementRecord* element, bool conservation,
                             const ElementAreaMoments* moments, const NaturalPoint& p,
                             const NaturalLevelProducts& level, const NaturalPreviousMomentum& momentum,
                             NaturalAreaSide* area)
{
    if (!conservation) {
        AddKeptNaturalRows<AreaUse>(shape, element, p, NaturalReachForm, nullptr, level, momentum, area);
    } else if constexpr (AreaUse == TakeArea) {
        AddKeptNaturalRows<AreaUse>(shape, element, p, NaturalConservationForm, nullptr, level, momentum, area);
    } else {
        const NaturalPressureMoments sums = PressureMomentsOf(shape, element, 2, moments);
        AddKeptNaturalRows<AreaUse>(shape, element, p, NaturalConservationForm, &sums, level, momentum, area);
    }
}

// The natural kernels at a point, with the previous level's terms there when the element keeps
// them.
void AddNaturalTerms(const GaussPointRecord* gp, ElementRecord* element, bool conservation,
                     const ElementAreaMoments* moments, const HydroPointTerms* previous)
{
    const int n = std::min(gp->Interpolation.NodeCount, element->NodeCount);
    const PointInterpolation at{gp, element->Nodes, n};
    HydroPointTerms own;
    if (!previous) {
        InterpolateNaturalPrevious(at, &own);
        previous = &own;
    }
    // The elements of the models have two nodes: their sums are unrolled.
    const PointShape shape = ShapeOf(gp);
    double dBeta;
    NaturalPoint p = n == 2 ? EvaluateNaturalPoint(FixedPointInterpolation<2>{shape, element->Nodes}, *previous, &dBeta)
                            : EvaluateNaturalPoint(at, *previous, &dBeta);
    SetPreviousMomentumResidual(dBeta, &p);
    const NaturalLevelProducts level = LevelProductsOf(p);
    AddNaturalPointRows(shape, element, n, conservation, moments, p, level, PreviousMomentumOf(p, dBeta, level));
}

// True when the products of the previous level's values a point keeps are those its rows
// would form: while the previous level's sign matrix is the one kept (UpwindingUpdating 0 and 1).
bool KeepsLevelProducts()
{
    const int mode = g_EquationSystems[HydrodynamicSystem].UpwindingUpdating;
    return mode == 0 || mode == 1;
}

// The same at a point of a two-node element that keeps its terms, from the shape functions,
// their x-derivatives and the map derivative kept with them, and the products of the previous
// level's values kept there. The previous level's momentum residual is kept from the current
// state's evaluation and taken again only when the momentum coefficient or its slope differ.
// Everything it calls is compiled into it, so that the point's values pass from the
// evaluation to the rows in registers rather than through the point's record. The values of
// the nodes' areas alone are used as AreaUse says, through `area`.
template <int AreaUse>
void AddKeptNaturalTerms(HydroPointTerms& kept, ElementRecord* element, bool conservation,
                         const ElementAreaMoments* moments, NaturalAreaSide* area)
{
    const PointShape shape{kept.N, kept.dNdx, kept.J};
    double dBeta;
    NaturalPoint p =
        EvaluateNaturalPointWith<AreaUse>(FixedPointInterpolation<2>{shape, element->Nodes}, kept, &dBeta, area);
    if (!KeepsLevelProducts()) {
        SetPreviousMomentumResidual(dBeta, &p);
        const NaturalLevelProducts level = LevelProductsOf(p);
        AddKeptNaturalPointRows<AreaUse>(shape, element, conservation, moments, p, level,
                                         PreviousMomentumOf(p, dBeta, level), area);
        return;
    }
    const NaturalLevelProducts& level = kept.Natural.Level;
    NaturalPreviousMomentum& memo = kept.Natural.Momentum;
    if (memo.Kept && SameBits(memo.Beta, p.beta) && SameBits(memo.dBeta, dBeta)) {
        p.Xp = memo.Xp;
        AddKeptNaturalPointRows<AreaUse>(shape, element, conservation, moments, p, level, memo, area);
        return;
    }
    SetPreviousMomentumResidual(dBeta, &p);
    const NaturalPreviousMomentum momentum = PreviousMomentumOf(p, dBeta, level);
    if (g_ModelControl.Differencing == AtCurrentState) memo = momentum;
    AddKeptNaturalPointRows<AreaUse>(shape, element, conservation, moments, p, level, momentum, area);
}

// AddKeptNaturalTerms at the element's first `points` points, their areas' values in `place`
// (not read under ComputeArea).
template <int AreaUse>
[[gnu::flatten]] void AddKeptNaturalElement(HydroElementTerms& kept, int points, ElementRecord* element,
                                            bool conservation, const ElementAreaMoments* moments,
                                            NaturalAreaPlace* place)
{
    for (int p = 0; p < points; ++p)
        AddKeptNaturalTerms<AreaUse>(kept.Points[p], element, conservation, moments,
                                     AreaUse == ComputeArea ? nullptr : &place->Points[p]);
}

// The hydrograph value of a column at the model time.
double HydrographAt(const BoundaryHydrograph* h, int column)
{
    return SeriesValueAt(NameHydrograph(h), h->Columns[0].data(), h->Columns[column].data(), g_ModelControl.ModelTime,
                         h->RowCount);
}

// Boundary cases shared by the three boundary kernels. u, up: momentum flux coefficients;
// GA, GpAp: pressure coefficient times area at each level; gpPerArea: the previous-level
// pressure coefficient without its area factor.
void AddBoundaryCases(BoundaryElementRecord* b, double u, double up, double GA, double GpAp, double gpPerArea,
                      bool clampArea)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    NodeRecord* node = b->Node();
    const double pos = b->Position;
    const double Q = node->Discharge;
    const double Qp = node->PreviousDischarge;
    const double dt = mc.DeltaT;
    const double T1 = es.Theta * dt;
    const double T0 = (1.0 - es.Theta) * dt;
    double* r = g_ModelControl.ElementVector.data();
    const BoundaryHydrograph* h = b->Hydrograph;
    const bool series = h && h->RowCount > 0 && h->Columns[0].size() >= static_cast<size_t>(h->RowCount) &&
                        h->Columns[1].size() >= static_cast<size_t>(h->RowCount) &&
                        h->Columns[2].size() >= static_cast<size_t>(h->RowCount);

    auto stageCase = [&](double stage) {
        double a = ComputeFlowAreaFromStage(node, stage);
        if (clampArea) a = std::max(0.0, a);
        r[0] -= pos * (T1 * Q + T0 * Qp);
        r[1] -= pos * (dt * gpPerArea * a + T1 * u * Q + T0 * up * Qp);
    };

    const int sc = b->StageCode;
    const int dc = b->DischargeCode;
    if (sc == 0 && dc == 0) {
        r[0] -= pos * (T1 * Q + T0 * Qp);
        r[1] -= pos * (T1 * (GA + u * Q) + T0 * (GpAp + up * Qp));
    } else if (!series) {
        // A boundary kind without its series has nothing to apply.
    } else if (dc == 1) {
        const double qb = HydrographAt(h, 2);
        r[0] -= pos * dt * qb;
        r[1] -= pos * (dt * up * qb + T1 * GA + T0 * GpAp);
    } else if (dc == 99) {
        r[0] -= pos * dt * HydrographAt(h, 2);
    } else if (sc == 1 && dc == 0) {
        stageCase(HydrographAt(h, 1));
    } else if (sc == 2 || dc == 2) {
        // Every code pair that stores a rating curve (stage 2 or discharge 2) applies it.
        stageCase(SeriesValueAt(NameRatingCurve(b), h->Columns[2].data(), h->Columns[1].data(), Q, h->RowCount));
    }
}

// Momentum flux coefficients beta V of a natural-channel boundary node at both levels.
void NaturalMomentumFluxCoefficients(const NodeRecord* node, double* u, double* up)
{
    const double A = node->FlowArea;
    const double Ap = node->PreviousFlowArea;
    const double V = A > 0.0 ? node->Discharge / A : 0.0;
    const double Vp = Ap > 0.0 ? node->PreviousDischarge / Ap : 0.0;
    *u = node->MomentumCoefficient * V;
    *up = node->PreviousMomentumCoefficient * Vp;
}

// Bed slope and roughness of the element's nodes at the point, with their ice fields of the
// previous level.
template <typename Point>
void InterpolateRectPreviousFields(const PointInterpolation& at, Point* p)
{
    const double fa = g_ModelControl.AnchorIceBedFraction;
    p->dzdx = at.Slope(&NodeRecord::Invert);
    p->nb = at.Value(&NodeRecord::ManningN);
    p->Ccp = at.Value(&NodeRecord::PreviousIceConcentration);
    p->tp = at.Value(&NodeRecord::PreviousEffectiveIceThickness);
    p->dIcep = at.Slope(
        [](const NodeRecord* k) { return k->PreviousEffectiveIceThickness * k->PreviousIceConcentration; });
    p->dAnchorp = fa * at.Slope(&NodeRecord::PreviousAnchorIceThickness);
}

// Ice fields of the element's nodes at the point, current level.
template <typename At>
void InterpolateRectCurrentFields(const At& at, RectPointValues* p)
{
    const double fa = g_ModelControl.AnchorIceBedFraction;
    p->ni = at.Value(&NodeRecord::IceManningN);
    p->Cc = at.Value(&NodeRecord::IceConcentration);
    p->t = at.Value(&NodeRecord::EffectiveIceThickness);
    p->dIce = at.Slope([](const NodeRecord* k) { return k->EffectiveIceThickness * k->IceConcentration; });
    p->dAnchor = fa * at.Slope(&NodeRecord::AnchorIceThickness);
}

// Bed slope, roughness and ice fields of the element's nodes at the point.
void InterpolateRectFields(const GaussPointRecord* gp, const ElementRecord* element, RectPointValues* p)
{
    const int n = std::min(gp->Interpolation.NodeCount, element->NodeCount);
    const PointInterpolation at{gp, element->Nodes, n};
    InterpolateRectPreviousFields(at, p);
    InterpolateRectCurrentFields(at, p);
}

// The width (m), its slope and its slope over the width (1/m), and the previous level's flow
// state of the rectangular kernel at a point: depth from the node depths, flow area = width x
// depth, gross area, discharge, their slopes and the velocity.
struct RectPreviousFlow {
    double B, dB, widthSlope, hp, Ap, dApdx, Agp, Qp, dQpdx, Vp;
};

// The rectangular kernel's flow state at a point comes from the views of the element's n
// nodes, view(k) giving node k's: the depth is interpolated from the node depths and the flow
// area is width x depth, so that the pressure terms of level water balance exactly where width
// and depth both vary along the element. The previous level's, with the width:
template <typename View>
RectPreviousFlow RectPreviousFlowState(const GaussPointRecord* gp, int n, View view)
{
    double B = 0.0, dB = 0.0, hp = 0.0, dhp = 0.0, Agp = 0.0, Qp = 0.0, dQp = 0.0;
    for (int k = 0; k < n; ++k) {
        const RectNodeView v = view(k);
        const double N = gp->Interpolation.N[k];
        const double dN = gp->dNdx[k];
        const double depthp = v.B != 0.0 ? v.Ap / v.B : 0.0;
        B += N * v.B;
        dB += dN * v.B;
        hp += N * depthp;
        dhp += dN * depthp;
        Agp += N * v.Agp;
        Qp += N * v.Qp;
        dQp += dN * v.Qp;
    }
    RectPreviousFlow f;
    f.B = B;
    f.dB = dB;
    f.widthSlope = B != 0.0 ? dB / B : 0.0;
    f.hp = hp;
    f.Ap = B * hp;
    f.dApdx = hp * dB + B * dhp;
    f.Agp = Agp;
    f.Qp = Qp;
    f.dQpdx = dQp;
    f.Vp = f.Ap > 0.0 ? Qp / f.Ap : 0.0;
    return f;
}

// The current level's, from the width B and its slope dB there.
template <typename View>
void RectCurrentFlowState(const PointShape& shape, int n, View view, double B, double dB, RectPointValues* p)
{
    double h = 0.0, dh = 0.0, Ag = 0.0, Q = 0.0, dQ = 0.0;
    for (int k = 0; k < n; ++k) {
        const RectNodeView v = view(k);
        const double N = shape.N[k];
        const double dN = shape.dNdx[k];
        const double depth = v.B != 0.0 ? v.A / v.B : 0.0;
        h += N * depth;
        dh += dN * depth;
        Ag += N * v.Ag;
        Q += N * v.Q;
        dQ += dN * v.Q;
    }
    p->h = h;
    p->A = B * h;
    p->dAdx = h * dB + B * dh;
    p->Ag = Ag;
    p->Q = Q;
    p->dQdx = dQ;
    p->V = p->A > 0.0 ? Q / p->A : 0.0;
}

// Both levels.
template <typename View>
void RectFlowState(const GaussPointRecord* gp, int n, View view, RectPointValues* p)
{
    const RectPreviousFlow f = RectPreviousFlowState(gp, n, view);
    p->hp = f.hp;
    p->widthSlope = f.widthSlope;
    CopyPreviousFlow(f, p);
    RectCurrentFlowState(ShapeOf(gp), n, view, f.B, f.dB, p);
}

// How an element of a reach sees its nodes: their own values.
auto OwnRectViews(const ElementRecord* element)
{
    return [element](int k) {
        const NodeRecord* node = element->Nodes[k];
        return RectNodeView{node->FlowArea,  node->PreviousFlowArea, node->GrossArea,        node->PreviousGrossArea,
                            node->RectWidth, node->Discharge,        node->PreviousDischarge};
    };
}

// The rectangular kernel's momentum residual Xp of the previous level at a point, from its values.
double RectPreviousMomentumResidual(const RectPointValues& p)
{
    const ModelControl& mc = g_ModelControl;
    const double g = mc.Gravity;
    const double rho = mc.WaterDensity;
    const double s = mc.IceSpecificGravity;
    const double Ap = p.Ap, Qp = p.Qp, dApdx = p.dApdx, dQpdx = p.dQpdx, Vp = p.Vp, hp = p.hp;
    const double widthSlope = p.widthSlope, dzdx = p.dzdx, dIcep = p.dIcep, dAnchorp = p.dAnchorp;
    const double Fp = p.Fp, Fbp = p.Fbp, Tip = p.Tip;
    return (g * hp - Vp * Vp) * dApdx + 2.0 * Vp * dQpdx - g * Ap * hp * widthSlope + g * Ap * dzdx + Fp * Qp +
           s * g * Ap * dIcep + g * Ap * dAnchorp + Fbp * Qp + Tip / rho;
}

// The point's previous-level residual Xp and the products the rows form of it (see
// RectLevelProducts), with its previous sign matrix Sp.
RectLevelProducts RectLevelProductsOf(const UpwindMatrix& Sp, double Xp)
{
    const double T0 = (1.0 - g_EquationSystems[HydrodynamicSystem].Theta) * g_ModelControl.DeltaT;
    RectLevelProducts l;
    l.Xp = Xp;
    l.T0Sp12Xp = T0 * Sp.S12 * Xp;
    l.T0Sp22Xp = T0 * Sp.S22 * Xp;
    return l;
}

// The previous level's values of the rectangular kernel at a point, with the element's bed,
// width and roughness there.
void InterpolateRectPrevious(const GaussPointRecord* gp, const ElementRecord* element, HydroPointTerms* t)
{
    const int n = std::min(gp->Interpolation.NodeCount, element->NodeCount);
    const PointInterpolation at{gp, element->Nodes, n};
    RectPointTerms& rect = t->Rect;
    const RectPreviousFlow f = RectPreviousFlowState(gp, n, OwnRectViews(element));
    CopyPreviousFlow(f, t);
    InterpolateRectPreviousFields(at, &rect);
    rect.B = f.B;
    rect.dB = f.dB;
    rect.hp = f.hp;
    rect.widthSlope = f.widthSlope;
    t->Fbp = at.Value(&NodeRecord::PreviousBedFriction);
    t->Tip = at.Value(&NodeRecord::PreviousIceDrag);
    const double cp = std::sqrt(std::fabs(g_ModelControl.Gravity * rect.hp));
    KeepPreviousSign(SignMatrix(t->Vp, cp), t);
    // Without ice at the previous level the friction coefficient does not read the ice
    // roughness, a value of the current state.
    rect.HasFp = !(rect.Ccp * rect.tp > 0.0);
    rect.Fp = rect.HasFp ? RectFrictionCoefficient(t->Ap, t->Vp, rect.B, rect.nb, 0.0, rect.Ccp, rect.tp) : 0.0;
    rect.Friction.Kept = 0;
    rect.LevelModel = 0;
}

// Forms the products of the previous level's values that the rows of a point of the rectangular
// kernel form, as the kernel takes them under the resistance model in use: kept unless the
// previous friction coefficient reads the ice roughness of the current state.
void KeepRectLevelProducts(HydroPointTerms* t)
{
    RectPointTerms& rect = t->Rect;
    const int model = g_ModelControl.ResistanceModel;
    if (model != 1 && !rect.HasFp) return;
    RectPointValues p{};
    CopyPreviousFlow(*t, &p);
    p.hp = rect.hp;
    p.widthSlope = rect.widthSlope;
    p.dzdx = rect.dzdx;
    p.dIcep = rect.dIcep;
    p.dAnchorp = rect.dAnchorp;
    if (model == 1) {
        p.Fbp = t->Fbp;
        p.Tip = t->Tip;
    } else
        p.Fp = rect.Fp;
    rect.Level = RectLevelProductsOf(PreviousSign(*t), RectPreviousMomentumResidual(p));
    rect.LevelModel = model + 1;
}

// The rectangular kernel at one point of the element's first n nodes, from its values and the
// products of its previous level's the rows form, given (kept, formed with the same previous
// sign matrix) or formed on the spot.
void AddRectTerms(const PointShape& shape, int n, ElementRecord* element, const RectPointValues& p,
                  const RectLevelProducts* kept = nullptr)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    const double g = mc.Gravity;
    const double rho = mc.WaterDensity;
    const double s = mc.IceSpecificGravity;
    const double J = shape.J;
    const double T1 = es.Theta * mc.DeltaT;
    const double T0 = (1.0 - es.Theta) * mc.DeltaT;

    const double A = p.A, Ap = p.Ap, Ag = p.Ag, Agp = p.Agp, Q = p.Q, Qp = p.Qp;
    const double dAdx = p.dAdx, dQdx = p.dQdx, dQpdx = p.dQpdx;
    const double V = p.V, Vp = p.Vp, h = p.h, hp = p.hp, widthSlope = p.widthSlope, dzdx = p.dzdx;
    const double dIce = p.dIce, dIcep = p.dIcep, dAnchor = p.dAnchor, dAnchorp = p.dAnchorp;
    const double F = p.F, Fp = p.Fp, Fb = p.Fb, Fbp = p.Fbp, Ti = p.Ti, Tip = p.Tip;
    const double c = std::sqrt(std::fabs(g * h));

    const double X = (g * h - V * V) * dAdx + 2.0 * V * dQdx - g * A * h * widthSlope + g * A * dzdx + F * Q +
                     s * g * A * dIce + g * A * dAnchor + Fb * Q + Ti / rho;

    UpwindMatrix S, Sp;
    SelectUpwinding(V, c, p.HasPreviousSign ? p.PreviousSign : SignMatrix(Vp, std::sqrt(std::fabs(g * hp))), &S,
                    &Sp);
    RectLevelProducts own;
    if (!kept) own = RectLevelProductsOf(Sp, RectPreviousMomentumResidual(p));
    const RectLevelProducts& L = kept ? *kept : own;

    double* r = g_ModelControl.ElementVector.data();
    for (int i = 0; i < n; ++i) {
        const double Ni = shape.N[i];
        const double dNi = shape.dNdx[i];
        const double P = es.Upwinding * J * dNi;
        const double continuity = Ni * (Agp - Ag) + P * ((Sp.S11 * Agp + Sp.S12 * Qp) - (S.S11 * Ag + S.S12 * Q)) +
                                  dNi * (T1 * Q + T0 * Qp) - P * (T0 * Sp.S11 * dQpdx + T1 * S.S11 * dQdx) -
                                  P * (L.T0Sp12Xp + T1 * S.S12 * X);
        const double pressure = T1 * h * A + T0 * hp * Ap;
        const double momentum =
            Ni * (Qp - Q) + P * ((Sp.S21 * Agp + Sp.S22 * Qp) - (S.S21 * Ag + S.S22 * Q)) +
            dNi * (T1 * Q * V + T0 * Qp * Vp) + 0.5 * g * dNi * pressure +
            0.5 * g * Ni * widthSlope * pressure - g * Ni * dzdx * (T1 * A + T0 * Ap) -
            s * g * Ni * (T1 * A * dIce + T0 * Ap * dIcep) - g * Ni * (T1 * A * dAnchor + T0 * Ap * dAnchorp) -
            Ni * (T0 * Fp * Qp + T1 * F * Q) - Ni * (T0 * Fbp * Qp + T1 * Fb * Q) - Ni * (T0 * Tip + T1 * Ti) / rho -
            P * (T0 * Sp.S21 * dQpdx + T1 * S.S21 * dQdx) - P * (L.T0Sp22Xp + T1 * S.S22 * X);
        r[i * Upn] += J * continuity;
        r[i * Upn + 1] += J * momentum;
        if (i < 2) element->EndFluxes[i] += J * (dNi * Q - P * S.S11 * dQdx - P * S.S12 * X);
    }
}

// The rectangular kernel at a point of the element's first n nodes, from the current state and
// the previous level's terms.
void AddRectTermsWith(const PointShape& shape, int n, ElementRecord* element, HydroPointTerms& previous,
                      bool keptLevel = false)
{
    const ShapeInterpolation at{shape, element->Nodes, n};
    RectPointTerms& rect = previous.Rect;
    RectPointValues p;
    p.F = p.Fp = p.Fb = p.Fbp = p.Ti = p.Tip = 0.0;
    RectCurrentFlowState(shape, n, OwnRectViews(element), rect.B, rect.dB, &p);
    InterpolateRectCurrentFields(at, &p);
    CopyPreviousFlow(previous, &p);
    p.dzdx = rect.dzdx;
    p.nb = rect.nb;
    p.Ccp = rect.Ccp;
    p.tp = rect.tp;
    p.dIcep = rect.dIcep;
    p.dAnchorp = rect.dAnchorp;
    const double B = rect.B;
    p.hp = rect.hp;
    p.widthSlope = rect.widthSlope;

    if (g_ModelControl.ResistanceModel == 1) {
        p.Fb = at.Value(&NodeRecord::BedFriction);
        p.Fbp = previous.Fbp;
        p.Ti = at.Value(&NodeRecord::IceDrag);
        p.Tip = previous.Tip;
    } else {
        // A perturbed discharge leaves the point's area as it was at the current state: the
        // velocity-free part of the friction is kept from the evaluation there and taken again
        // only when its inputs differ.
        FrictionMemo& memo = rect.Friction;
        FrictionScale f{memo.Scale, memo.Positive != 0};
        if (!(memo.Kept && memo.Area == p.A && memo.ni == p.ni && memo.Cc == p.Cc && memo.t == p.t)) {
            f = RectFrictionScale(p.A, B, p.nb, p.ni, p.Cc, p.t);
            if (g_ModelControl.Differencing == AtCurrentState)
                memo = FrictionMemo{1, f.Positive ? 1 : 0, p.A, p.ni, p.Cc, p.t, f.Scale};
        }
        p.F = f.Positive ? std::fabs(p.V) / f.Scale : 0.0;
        p.Fp = rect.HasFp ? rect.Fp : RectFrictionCoefficient(p.Ap, p.Vp, B, p.nb, p.ni, p.Ccp, p.tp);
    }
    p.PreviousSign = PreviousSign(previous);
    p.HasPreviousSign = 1;
    const bool level =
        keptLevel && rect.LevelModel == g_ModelControl.ResistanceModel + 1 && KeepsLevelProducts();
    AddRectTerms(shape, n, element, p, level ? &rect.Level : nullptr);
}

// The same at the first `points` points of a two-node element that keeps its terms, from the
// shape functions, their x-derivatives and the map derivative kept with them. Everything it
// calls is compiled into it, so that the point's values pass to the rows in registers rather
// than through the point's record.
[[gnu::flatten]] void AddKeptRectElement(HydroElementTerms& kept, int points, ElementRecord* element)
{
    for (int p = 0; p < points; ++p)
        AddRectTermsWith(PointShape{kept.Points[p].N, kept.Points[p].dNdx, kept.Points[p].J}, 2, element,
                         kept.Points[p], true);
}

// The same from a rule point's record.
void AddRectTermsWith(const GaussPointRecord* gp, ElementRecord* element, HydroPointTerms& previous)
{
    AddRectTermsWith(ShapeOf(gp), std::min(gp->Interpolation.NodeCount, element->NodeCount), element, previous);
}

// True when an element's kept terms are those of the time level in progress, its formulation,
// time step and time weight.
bool HoldsForLevel(const HydroElementTerms& kept)
{
    const ModelControl& mc = g_ModelControl;
    return kept.TimeLevel == mc.TimeLevel && kept.Formulation == mc.Formulation && kept.DeltaT == mc.DeltaT &&
           kept.Theta == g_EquationSystems[HydrodynamicSystem].Theta;
}

// The element's terms that stay fixed through the time level in progress, taken at its first
// residual evaluation in the level. Only while the framework differences the residuals, when
// nothing but the unknowns changes from one evaluation to the next; a residual evaluated on its
// own (by a test, or on a junction branch with its own views of the nodes) takes every term
// afresh. Null then, and for elements of more than two nodes or points.
HydroElementTerms* KeptTermsOf(ElementRecord* element, int n, const ElementRule& rule)
{
    const ModelControl& mc = g_ModelControl;
    const int points = rule.PointCount;
    if (mc.Differencing == NotDifferencing || mc.TimeLevel == 0 || rule.NodeCount > 2 ||
        points > MaxHydroTermPoints)
        return nullptr;
    HydroElementTerms& kept = element->HydroTerms;
    if (HoldsForLevel(kept)) return &kept;
    const double theta = g_EquationSystems[HydrodynamicSystem].Theta;
    const bool natural = mc.Formulation == 1 || mc.Formulation == 2;
    for (int p = 0; p < points; ++p) {
        const GaussPointRecord* gp = EvaluateRulePoint(element, element->Length, p);
        HydroPointTerms& terms = kept.Points[p];
        terms.J = gp->Determinant;
        for (int i = 0; i < std::min(gp->Interpolation.NodeCount, 2); ++i) {
            terms.N[i] = gp->Interpolation.N[i];
            terms.dNdx[i] = gp->dNdx[i];
        }
        const PointInterpolation at{gp, element->Nodes, n};
        if (natural) {
            InterpolateNaturalPrevious(at, &terms);
            NaturalPoint previous;
            SetPreviousNaturalValues(terms, &previous);
            previous.Sp = PreviousSign(terms);
            terms.Natural.Level = LevelProductsOf(previous);
            terms.Natural.Momentum.Kept = 0;
        } else {
            InterpolateRectPrevious(gp, element, &terms);
            KeepRectLevelProducts(&terms);
        }
    }
    if (mc.Formulation == 2) {
        for (int k = 0; k < n; ++k) {
            const NodeRecord* node = element->Nodes[k];
            kept.MomentAtPreviousStage[k] = AreaMomentAt(node, node->PreviousStage);
            kept.MomentAtPreviousReference[k] = AreaMomentAt(node, element->PreviousReferenceLevel);
        }
    }
    kept.TimeLevel = mc.TimeLevel;
    kept.Formulation = mc.Formulation;
    kept.NodeCount = n;
    kept.PointCount = points;
    kept.DeltaT = mc.DeltaT;
    kept.Theta = theta;
    return &kept;
}

// The terms a two-node element keeps for the time level in progress while the framework
// differences the residuals; null when it has none. They stand for the element's rule and its
// nodes, which were present when they were taken.
HydroElementTerms* HeldTermsOf(ElementRecord* element)
{
    const ModelControl& mc = g_ModelControl;
    HydroElementTerms& kept = element->HydroTerms;
    if (mc.Differencing == NotDifferencing || mc.TimeLevel == 0 || kept.NodeCount != 2 || !HoldsForLevel(kept) ||
        mc.ElementVector.size() < static_cast<size_t>(2 * Upn))
        return nullptr;
    return &kept;
}

}  // namespace

void RefreshNodeForResidual(NodeRecord* node)
{
    RefreshNode(node);
}

void ComputeHydroUpwindingMatrix(double v, double c, double s[4])
{
    const UpwindMatrix m = SignMatrix(v, c);
    s[0] = m.S11;
    s[1] = m.S12;
    s[2] = m.S21;
    s[3] = m.S22;
}

void SelectHydroUpwinding(double v, double c, double vp, double cp, UpwindMatrix* s, UpwindMatrix* sp)
{
    SelectUpwinding(v, c, vp, cp, s, sp);
}

int CountElementNodes(const FiniteElementBase* element, ShapeFunctionValues* scratch)
{
    return ElementNodeCount(element, scratch);
}

double ComputeAreaMomentBelow(const NodeRecord* node, double level)
{
    return AreaMomentAt(node, level);
}

void InterpolateRectPointFields(const GaussPointRecord* gp, const ElementRecord* element, RectPointValues* p)
{
    InterpolateRectFields(gp, element, p);
}

void InterpolateRectFlowState(const GaussPointRecord* gp, const RectNodeView* nodes, int count, RectPointValues* p)
{
    RectFlowState(gp, count, [nodes](int k) { return nodes[k]; }, p);
}

void AddRectPointTerms(const GaussPointRecord* gp, ElementRecord* element, const RectPointValues& p)
{
    AddRectTerms(ShapeOf(gp), std::min(gp->Interpolation.NodeCount, element->NodeCount), element, p);
}

void AddRectConservationTerms(const GaussPointRecord* gp, ElementRecord* element)
{
    HydroPointTerms previous;
    InterpolateRectPrevious(gp, element, &previous);
    AddRectTermsWith(gp, element, previous);
}

void AddNaturalChannelTerms(const GaussPointRecord* gp, ElementRecord* element)
{
    AddNaturalTerms(gp, element, false, nullptr, nullptr);
}

void AddNaturalConservationTerms(const GaussPointRecord* gp, ElementRecord* element)
{
    AddNaturalTerms(gp, element, true, nullptr, nullptr);
}

void AddRectBoundaryTerms(BoundaryElementRecord* b)
{
    const NodeRecord* node = b->Node();
    const double g = g_ModelControl.Gravity;
    const double A = node->FlowArea;
    const double Ap = node->PreviousFlowArea;
    const double B = node->RectWidth;
    const double V = A > 0.0 ? node->Discharge / A : 0.0;
    const double Vp = Ap > 0.0 ? node->PreviousDischarge / Ap : 0.0;
    const double G = B != 0.0 ? g * A / (2.0 * B) : 0.0;
    const double Gp = B != 0.0 ? g * Ap / (2.0 * B) : 0.0;
    AddBoundaryCases(b, V, Vp, G * A, Gp * Ap, Gp, false);
}

void AddNaturalBoundaryTerms(BoundaryElementRecord* b)
{
    const NodeRecord* node = b->Node();
    const double g = g_ModelControl.Gravity;
    const double A = node->FlowArea;
    const double Ap = node->PreviousFlowArea;
    double u, up;
    NaturalMomentumFluxCoefficients(node, &u, &up);
    AddBoundaryCases(b, u, up, g * node->Stage * A, g * node->PreviousStage * Ap, g * node->PreviousStage, true);
}

void AddNaturalConservationBoundaryTerms(BoundaryElementRecord* b)
{
    const NodeRecord* node = b->Node();
    const double g = g_ModelControl.Gravity;
    const double Ap = node->PreviousFlowArea;
    double u, up;
    NaturalMomentumFluxCoefficients(node, &u, &up);
    const double momentP = AreaMomentAt(node, node->PreviousStage);
    AddBoundaryCases(b, u, up, g * AreaMomentAt(node, node->Stage), g * momentP, Ap > 0.0 ? g * momentP / Ap : 0.0,
                     true);
}

void ComputeHydroElementResidual(ElementRecord* element)
{
    ModelControl& mc = g_ModelControl;
    // Terms kept for the time level stand for the rule and the nodes; the differencing keeps
    // the nodes current.
    HydroElementTerms* kept = HeldTermsOf(element);
    ElementRule rule{};
    int n = 2;
    if (kept) {
        rule = ElementRule{kept->PointCount, kept->NodeCount};
        double* r = mc.ElementVector.data();
        for (int k = 0; k < 2 * Upn; ++k) r[k] = 0.0;
    } else {
        rule = GetElementRule(element);
        n = std::min(rule.NodeCount, element->NodeCount);
        if (n < 1 || mc.ElementVector.size() < static_cast<size_t>(n * Upn)) return;
        for (int k = 0; k < n; ++k)
            if (!element->Nodes[k]) return;
        std::fill(mc.ElementVector.begin(), mc.ElementVector.begin() + n * Upn, 0.0);
        for (int k = 0; k < n; ++k) RefreshNode(element->Nodes[k]);
    }

    element->EndFluxes[0] = element->EndFluxes[1] = 0.0;
    if (mc.Formulation == 2 && n >= 2) {
        const double alpha = g_EquationSystems[HydrodynamicSystem].Alpha;
        element->ReferenceLevel = alpha * element->Nodes[0]->Stage + (1.0 - alpha) * element->Nodes[1]->Stage;
        element->PreviousReferenceLevel =
            alpha * element->Nodes[0]->PreviousStage + (1.0 - alpha) * element->Nodes[1]->PreviousStage;
    }
    if (!kept) kept = KeptTermsOf(element, n, rule);
    const bool natural = mc.Formulation == 1 || mc.Formulation == 2;
    // A kept natural element keeps its areas' values at the current state of the differencing
    // and recalls them where the perturbed discharge of a node is all that differs.
    NaturalAreaPlace* place = nullptr;
    int areaUse = ComputeArea;
    if (natural && kept && n == 2 && mc.Differencing >= AtCurrentState) {
        place = &NaturalAreaPlaceOf(element);
        if (mc.Differencing == AtCurrentState) {
            place->Element = element;
            areaUse = KeepArea;
        } else if (mc.Differencing == AtPerturbedDischarge && place->Element == element) {
            areaUse = TakeArea;
        }
    } else if (mc.Differencing == AtCurrentState && NaturalAreaPlaceOf(element).Element == element) {
        NaturalAreaPlaceOf(element).Element = nullptr;
    }
    ElementAreaMoments moments;
    if (mc.Formulation == 2 && areaUse != TakeArea)
        ComputeElementAreaMoments(element, std::min(n, MaxElementNodes), &moments, kept);
    if (kept && n == 2) {
        // The kept shape functions and map derivative: no rule point to recall.
        if (!natural) {
            AddKeptRectElement(*kept, rule.PointCount, element);
            return;
        }
        const bool conservation = mc.Formulation == 2;
        const ElementAreaMoments* m = conservation ? &moments : nullptr;
        if (areaUse == TakeArea)
            AddKeptNaturalElement<TakeArea>(*kept, rule.PointCount, element, conservation, nullptr, place);
        else if (areaUse == KeepArea)
            AddKeptNaturalElement<KeepArea>(*kept, rule.PointCount, element, conservation, m, place);
        else
            AddKeptNaturalElement<ComputeArea>(*kept, rule.PointCount, element, conservation, m, nullptr);
        return;
    }
    for (int p = 0; p < rule.PointCount; ++p) {
        HydroPointTerms* previous = kept ? &kept->Points[p] : nullptr;
        const GaussPointRecord* gp =
            previous ? RecallRulePoint(element, p, previous->J, previous->dNdx)
                     : EvaluateRulePoint(element, element->Length, p);
        switch (mc.Formulation) {
        case 1: AddNaturalTerms(gp, element, false, nullptr, previous); break;
        case 2: AddNaturalTerms(gp, element, true, &moments, previous); break;
        default:
            if (previous)
                AddRectTermsWith(gp, element, *previous);
            else
                AddRectConservationTerms(gp, element);
            break;
        }
    }
}

void ComputeHydroBoundaryResidual(BoundaryElementRecord* element)
{
    ModelControl& mc = g_ModelControl;
    NodeRecord* node = element->Node();
    if (!node || mc.ElementVector.size() < static_cast<size_t>(Upn)) return;
    std::fill(mc.ElementVector.begin(), mc.ElementVector.begin() + Upn, 0.0);
    double points[4][4];
    const int count = GetQuadratureRule(element->GeometryCode, points);
    RefreshNode(node);
    for (int p = 0; p < count; ++p) {
        switch (mc.Formulation) {
        case 1: AddNaturalBoundaryTerms(element); break;
        case 2: AddNaturalConservationBoundaryTerms(element); break;
        default: AddRectBoundaryTerms(element); break;
        }
    }
}

void ComputeNodeFluxDischarge()
{
    for (NodeRecord* n = g_Nodes; n; n = n->Next) n->FluxDischarge = 0.0;
    for (ElementRecord* e = g_Elements; e; e = e->Next) {
        if (e->Nodes[0]) e->Nodes[0]->FluxDischarge -= e->EndFluxes[0];
        if (e->Nodes[1]) e->Nodes[1]->FluxDischarge += e->EndFluxes[1];
    }
    for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
        if (b->DischargeCode != 99 && b->Node()) b->Node()->ElementCountAtNode = 1;
    }
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        if (n->ElementCountAtNode != 0) n->FluxDischarge /= n->ElementCountAtNode;
    }
    for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
        if (j->ElementAB) j->BranchDischargeAB = -j->ElementAB->EndFluxes[0];
        if (j->ElementAC) j->BranchDischargeAC = -j->ElementAC->EndFluxes[0];
    }
}

NodeRecord* FindLargestHydroIncrementNode()
{
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    const int upn = es.UnknownsPerNode;
    NodeRecord* largest = nullptr;
    double largestMagnitude = -1.0;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        const size_t at = static_cast<size_t>(n->Index) * static_cast<size_t>(upn);
        if (n->Index < 0 || upn < 2 || at + 1 >= es.Rhs.size()) continue;
        const double dA = es.Rhs[at];
        const double dQ = es.Rhs[at + 1];
        const double increment = std::fabs(dA) > std::fabs(dQ) ? dA : dQ;
        if (std::fabs(increment) >= largestMagnitude) {
            largestMagnitude = std::fabs(increment);
            largest = n;
        }
    }
    return largest;
}

int SolveHydrodynamicsStep()
{
    ModelControl& mc = g_ModelControl;
    if (mc.JunctionCount > 0) UpdateJunctionFlowDirections();

    const int solved = RunNewtonIterations(HydrodynamicSystem, ComputeNodeFluxDischarge);
    if (solved != NewtonConverged) return solved;

    for (NodeRecord* n : g_NodeIndex) UpdateNodeHydraulics(n);
    ComputeNodeFluxDischarge();
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        if (n->Stage > n->PeakStage) {
            n->PeakStage = n->Stage;
            n->PeakStageTime = mc.ModelTime;
        }
        if (n->FluxDischarge > n->PeakFluxDischarge) {
            n->PeakFluxDischarge = n->FluxDischarge;
            n->PeakFluxTime = mc.ModelTime;
        }
    }
    return NewtonConverged;
}

void ComputeNaturalMomentumResiduals(double dBeta, NaturalPoint* p)
{
    p->X = NaturalMomentumResidual(p->beta, p->V, p->Q, p->A, p->dAdx, p->dQdx, p->dHdx, dBeta, p->Ff, p->Fb, p->Ti);
    SetPreviousMomentumResidual(dBeta, p);
}

namespace {

// The terms of AddNaturalPointTerms for the element's first n nodes, N of them when N > 0 (a
// count the compiler knows, the same terms in the same order).
template <int N, int AreaUse = ComputeArea>
void AddNaturalPointTermsOf(const PointShape& shape, ElementRecord* element, int count, const NaturalPoint& p,
                            NaturalKernelForm form, const NaturalPressureMoments* moments,
                            const NaturalLevelProducts& L, const NaturalPreviousMomentum& M,
                            NaturalAreaSide* area = nullptr)
{
    const int n = N > 0 ? N : count;
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    const double g = mc.Gravity;
    const double rho = mc.WaterDensity;
    const double s = mc.IceSpecificGravity;
    const double por = mc.AnchorIcePorosity;
    const double J = shape.J;
    const double T1 = es.Theta * mc.DeltaT;
    const double T0 = (1.0 - es.Theta) * mc.DeltaT;
    const UpwindMatrix& S = p.S;

    // The rows are made first and added afterwards: a store into the element vector or the end
    // fluxes would otherwise make the compiler read every value of the point again for the next
    // row. Each row gets the same value added either way.
    double continuityRows[MaxElementNodes], momentumRows[MaxElementNodes], fluxes[2] = {0.0, 0.0};
    for (int i = 0; i < n; ++i) {
        const double Ni = shape.N[i];
        const double dNi = shape.dNdx[i];
        const double P = es.Upwinding * J * dNi;

        double storage;
        if constexpr (AreaUse == TakeArea) {
            storage = area->Storage[i];
        } else {
            storage = Ni * p.sigma * ((p.Agp - p.Ag) - L.IceStorage - L.AnchorStorage);
            if constexpr (AreaUse == KeepArea) area->Storage[i] = storage;
        }
        const double continuity = storage + P * p.sigma * (L.ContinuityUpwind - (S.S11 * p.Ag + S.S12 * p.Q)) -
                                  P * s * p.sigma * (L.ContinuityIce - S.S11 * p.Fs) -
                                  P * (1.0 - por) * p.sigma * (L.ContinuityAnchor - S.S11 * p.Ns) +
                                  dNi * (T1 * p.Q + L.T0Qp) - P * (L.T0Sp11dQp + T1 * S.S11 * p.dQdx) -
                                  P * (M.T0Sp12Xp + T1 * S.S12 * p.X);

        // Storage and upwinding, then the convective and pressure terms (the junction form adds
        // its own in its own order: the sums, term by term, are those its results were made
        // with), then friction, ice drag and the upwinded slopes.
        double momentum = Ni * p.sigma * (p.Qp - p.Q) +
                          P * p.sigma * (L.MomentumUpwind - (S.S21 * p.Ag + S.S22 * p.Q)) -
                          P * s * p.sigma * (L.MomentumIce - S.S21 * p.Fs) -
                          P * p.sigma * (L.MomentumAnchor - S.S21 * p.Ns);
        if (form == NaturalJunctionForm) {
            momentum = momentum + dNi * p.beta * (T1 * p.Q * p.V + T0 * p.Qp * p.Vp);
            momentum = momentum + g * dNi * (T1 * p.H * p.A + T0 * p.Hp * p.Ap);
            momentum = momentum + g * Ni * (T1 * p.H * p.dAdx + T0 * p.Hp * p.dApdx);
        } else {
            double pressure;
            if constexpr (AreaUse == TakeArea) {
                pressure = area->Pressure[i];
            } else if (form == NaturalConservationForm) {
                pressure = g * dNi * (T1 * moments->AtStage + T0 * moments->AtPreviousStage) +
                           g * Ni * (T1 * moments->SlopeAtReference + T0 * moments->SlopeAtPreviousReference) +
                           s * g * Ni * (T1 * p.Fs * p.dHdx + L.T0FodHp) +
                           (1.0 - por) * g * Ni * (T1 * p.Ns * p.dHdx + L.T0NodHp);
            } else {
                pressure = g * dNi * (T1 * p.H * p.A + L.T0HpAp) + g * Ni * (T1 * p.H * p.dAdx + L.T0HpdAp);
            }
            if constexpr (AreaUse == KeepArea) area->Pressure[i] = pressure;
            momentum = momentum + dNi * (T1 * p.beta * p.Q * p.V + M.T0BetaQpVp);
            momentum = momentum + pressure;
        }
        momentum = momentum - Ni * (L.T0FfpQp + T1 * p.Ff * p.Q) - Ni * (L.T0FbpQp + T1 * p.Fb * p.Q) -
                   Ni * (L.T0Tip + T1 * p.Ti) / rho - P * (L.T0Sp21dQp + T1 * S.S21 * p.dQdx) -
                   P * (M.T0Sp22Xp + T1 * S.S22 * p.X);

        continuityRows[i] = J * continuity;
        momentumRows[i] = J * momentum;
        if (i < 2) fluxes[i] = J * (dNi * p.Q - P * S.S11 * p.dQdx - P * S.S12 * p.X);
    }
    double* r = g_ModelControl.ElementVector.data();
    for (int i = 0; i < n; ++i) {
        r[i * Upn] += continuityRows[i];
        r[i * Upn + 1] += momentumRows[i];
        if (i < 2) element->EndFluxes[i] += fluxes[i];
    }
}

}  // namespace

namespace {

void AddNaturalRowsWith(const PointShape& shape, ElementRecord* element, int n, const NaturalPoint& p,
                        NaturalKernelForm form, const NaturalPressureMoments* moments,
                        const NaturalLevelProducts& level, const NaturalPreviousMomentum& momentum)
{
    if (n == 2)
        AddNaturalPointTermsOf<2>(shape, element, n, p, form, moments, level, momentum);
    else
        AddNaturalPointTermsOf<0>(shape, element, n, p, form, moments, level, momentum);
}

template <int AreaUse>
void AddKeptNaturalRows(const PointShape& shape, ElementRecord* element, const NaturalPoint& p,
                        NaturalKernelForm form, const NaturalPressureMoments* moments,
                        const NaturalLevelProducts& level, const NaturalPreviousMomentum& momentum,
                        NaturalAreaSide* area)
{
    AddNaturalPointTermsOf<2, AreaUse>(shape, element, 2, p, form, moments, level, momentum, area);
}

void AddNaturalRows(const PointShape& shape, ElementRecord* element, int n, const NaturalPoint& p,
                    NaturalKernelForm form, const NaturalPressureMoments* moments)
{
    const NaturalLevelProducts level = LevelProductsOf(p);
    NaturalPreviousMomentum momentum = PreviousMomentumOf(p, 0.0, level);
    AddNaturalRowsWith(shape, element, n, p, form, moments, level, momentum);
}

}  // namespace

void AddNaturalPointTerms(const GaussPointRecord* gp, ElementRecord* element, int n, const NaturalPoint& p,
                          NaturalKernelForm form, const NaturalPressureMoments* moments)
{
    AddNaturalRows(ShapeOf(gp), element, n, p, form, moments);
}
