// Hydrodynamic equations (equation system 0).
#pragma once

#include "engine/EngineData.h"

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;
struct GaussPointRecord;
struct FiniteElementBase;
struct ShapeFunctionValues;

// Newton iterations of one step: 1 converged (node hydraulics, flux discharges and peaks of the
// new state), 0 not converged, any other value an assembly error. A step that is not made is
// left as the failed attempt left it: the stepping (AdvanceTimeStep) takes it back.
int SolveHydrodynamicsStep();
void ComputeNodeFluxDischarge();
NodeRecord* FindLargestHydroIncrementNode();
void ComputeHydroElementResidual(ElementRecord* element);
void ComputeHydroBoundaryResidual(BoundaryElementRecord* element);
// Node hydraulics for a residual evaluation, skipped while the framework differences the
// residuals (it keeps the nodes' hydraulics current itself).
void RefreshNodeForResidual(NodeRecord* node);

// Sign matrix of the flow Jacobian at velocity v and celerity c, row-major (S11, S12, S21, S22);
// zero without celerity.
void ComputeHydroUpwindingMatrix(double v, double c, double s[4]);

// The sign matrix as the element kernels use it.
struct UpwindMatrix {
    double S11 = 0.0, S12 = 0.0, S21 = 0.0, S22 = 0.0;
};
// The current-level (s) and previous-level (sp) matrices of a kernel, by the hydrodynamic
// system's UpwindingUpdating.
void SelectHydroUpwinding(double v, double c, double vp, double cp, UpwindMatrix* s, UpwindMatrix* sp);
// Nodes of an element by its interpolation code; scratch receives the shape functions.
int CountElementNodes(const FiniteElementBase* element, ShapeFunctionValues* scratch);
// First moment about a level of the node's area below it.
double ComputeAreaMomentBelow(const NodeRecord* node, double level);

// Interpolation of node values at an integration point, shared by the reach and junction kernels.
struct PointInterpolation {
    const GaussPointRecord* gp;
    NodeRecord* const* nodes;
    int count;

    template <typename F>
    double Value(F field) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += gp->Interpolation.N[k] * field(nodes[k]);
        return s;
    }
    template <typename F>
    double Slope(F field) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += gp->dNdx[k] * field(nodes[k]);
        return s;
    }
    double Value(double NodeRecord::*m) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += gp->Interpolation.N[k] * (nodes[k]->*m);
        return s;
    }
    double Slope(double NodeRecord::*m) const
    {
        double s = 0.0;
        for (int k = 0; k < count; ++k) s += gp->dNdx[k] * (nodes[k]->*m);
        return s;
    }
};

// Values of the rectangular kernel at an integration point: the flow state of both levels,
// bed, ice and friction terms.
struct RectPointValues {
    // The previous level's sign matrix, when the caller has it (HasPreviousSign 1).
    UpwindMatrix PreviousSign;
    int HasPreviousSign;
    double A, Ap, Ag, Agp, Q, Qp;
    double dAdx, dApdx, dQdx, dQpdx;
    double V, Vp, h, hp, widthSlope;
    double dzdx, nb, ni, Cc, Ccp, t, tp;
    double dIce, dIcep, dAnchor, dAnchorp;
    double F, Fp, Fb, Fbp, Ti, Tip;
};
// Bed slope, roughness and ice fields of the element's nodes at the point (dzdx to dAnchorp).
void InterpolateRectPointFields(const GaussPointRecord* point, const ElementRecord* element, RectPointValues* p);
// A node of a rectangular element as the element sees it: flow area (m2) and gross area (m2)
// of both levels, width (m) and discharge (m3/s) of both levels. A reach element sees its nodes'
// own values; a junction side branch sees its part of the junction node.
struct RectNodeView {
    double A, Ap, Ag, Agp, B, Q, Qp;
};
// Flow state of the rectangular kernel at the point (A to Vp, h, hp and widthSlope) from the
// views of the element's `count` nodes. The depth is interpolated from the node depths and the
// flow area is width x depth, so that the pressure terms of level water balance exactly where
// width and depth both vary along the element.
void InterpolateRectFlowState(const GaussPointRecord* point, const RectNodeView* nodes, int count, RectPointValues* p);
// The rectangular kernel's residuals at one point, added to the element vector and end fluxes.
void AddRectPointTerms(const GaussPointRecord* point, ElementRecord* element, const RectPointValues& p);

// Values of the natural-channel kernels at an integration point, both levels (previous: p):
// flow and gross areas (m2), discharges (m3/s), velocities (m/s) and their x-derivatives, stages
// H (m) and their slopes, the momentum coefficient beta and sinuosity ratio sigma, the friction
// terms (Ff, Fb: 1/s, Ti: N/m of ice drag), the floating (Fs, Fo) and anchor ice (Ns, No) areas of
// the step start and the level before it (m2), the momentum residuals X and Xp (m3/s2) and the
// upwinding matrices of both levels. A reach element and a junction branch fill it from their
// own nodes and parts.
struct NaturalPoint {
    double A, Ap, Ag, Agp, Q, Qp, V, Vp;
    double dAdx, dApdx, dQdx, dQpdx;
    double H, Hp, dHdx, dHpdx;
    double beta, sigma;
    double Ff, Ffp, Fb, Fbp, Ti, Tip;
    double Fs, Fo, Ns, No;
    double X, Xp;
    UpwindMatrix S, Sp;
};
// X and Xp of the point from its other values; dBeta is the x-derivative of beta (1/m).
void ComputeNaturalMomentumResiduals(double dBeta, NaturalPoint* p);
// Which pressure the natural kernels take: g H A of the natural form (a reach element, or a
// junction branch, whose terms are summed in the order its results were made with), or the
// area moments of the conservation form.
enum NaturalKernelForm { NaturalReachForm, NaturalConservationForm, NaturalJunctionForm };
// The point's sums of the conservation form: the first moments of the nodes' areas below their
// stages at both levels (m3) and their x-derivatives below the element's reference levels (m2).
struct NaturalPressureMoments {
    double AtStage, AtPreviousStage, SlopeAtReference, SlopeAtPreviousReference;
};
// The natural kernels' continuity and momentum residuals of the element's first n nodes at one
// point, added to the element vector and end fluxes; moments for the conservation form only.
void AddNaturalPointTerms(const GaussPointRecord* point, ElementRecord* element, int n, const NaturalPoint& p,
                          NaturalKernelForm form, const NaturalPressureMoments* moments);

void AddRectConservationTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalChannelTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalConservationTerms(const GaussPointRecord* point, ElementRecord* element);
void AddRectBoundaryTerms(BoundaryElementRecord* element);
void AddNaturalBoundaryTerms(BoundaryElementRecord* element);
void AddNaturalConservationBoundaryTerms(BoundaryElementRecord* element);
