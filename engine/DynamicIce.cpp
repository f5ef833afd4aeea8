// Dynamic ice (equation system 1): the surface ice area and the ice velocity along the river,
// solved after each converged hydrodynamic step. The ice velocity is tied to the water velocity
// by a penalty, so the system carries the ice area with the flow: advection by the ice
// velocity, a fixed diffusion, and Petrov-Galerkin upwinding. Upwinding weights are not signed
// by the velocity, so the scheme upwinds correctly only where chainage increases downstream.
#include "engine/DynamicIce.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/SeriesLookup.h"

namespace {

constexpr int Upn = 2;                    // ice area, ice velocity
constexpr double IceDiffusion = 300.0;    // m2/s, diffusion of the surface ice area
// Weight of the tie between ice velocity and water velocity in a velocity row: it outweighs
// every other term of the row, so the solved ice velocity is the water's.
constexpr double VelocityTie = 1e124;
constexpr double StoppedIceVelocity = 1e-7;   // m/s, below which the ice counts as stopped

// Width (m) the ice covers: the top width of a section, the width of a rectangle.
double IceWidthOf(const NodeRecord* node)
{
    return node->SectionCode != 0 && node->CrossSection ? node->TopWidth : node->RectWidth;
}

// Ice area (m2) that a single layer at the smallest concentration covers at the node: above
// it, a node has ice to give to the nodes whose ice went negative.
double SingleLayerArea(const NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    return std::max(0.0, node->IceCoveredWidth * mc.MinSurfaceIceConcentration * mc.SingleLayerIceThickness);
}

// Ice area (m2) entering at an upstream boundary at ModelTime: the series' solid-ice thickness
// times its ice concentration over the ice width. Only an inflow series carries ice.
double EnteringIceArea(const BoundaryElementRecord* b, double width)
{
    const BoundaryHydrograph* h = b->Hydrograph;
    const bool inflow = b->StageCode == 0 && (b->DischargeCode == 1 || b->DischargeCode == 99);
    if (!h || !inflow || h->RowCount < 1) return 0.0;
    for (int column : {0, 6, 8})
        if (static_cast<int>(h->Columns[column].size()) < h->RowCount) return 0.0;
    const double t = g_ModelControl.ModelTime;
    const SeriesName series = NameHydrograph(h);
    const double thickness = SeriesValueAt(series, h->Columns[0].data(), h->Columns[8].data(), t, h->RowCount);
    const double concentration = SeriesValueAt(series, h->Columns[0].data(), h->Columns[6].data(), t, h->RowCount);
    return thickness * concentration * width;
}

}  // namespace

int UpdateNodeIceState(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    const double area = node->IceUnknowns[0];
    node->DynamicIceArea = area;
    node->IceVelocity = node->IceUnknowns[1];
    node->SolidIceArea = area;
    node->FloatingIceArea = area;
    const double width = IceWidthOf(node);
    node->IceCoveredWidth = width;

    const double single = mc.SingleLayerIceThickness;
    const double cap = mc.MaxSurfaceIceConcentration;
    double concentration = width > 0.0 && single > 0.0 ? area / single / width : 0.0;
    double thickness = single;
    if (concentration > cap) {
        // Packed to the largest concentration, the cover thickens instead of spreading.
        concentration = cap;
        thickness = cap > 0.0 ? area / cap / width : single;
    }
    node->IceConcentration = concentration;
    node->SolidEquivalentThickness = thickness;
    ComputeSeparateBedIceShear(node, 0);
    node->IceThickness = thickness;
    if (node->IceVelocity < StoppedIceVelocity) node->NoIceFlag = 1;
    return 1;
}

void SaveNodeIceState(const NodeRecord* node, NodeIceCopy* copy)
{
    VASQUIL_NODE_ICE_OUTPUTS(VASQUIL_NODE_COPY_OUT)
}

void RestoreNodeIceState(NodeRecord* node, const NodeIceCopy* copy)
{
    VASQUIL_NODE_ICE_OUTPUTS(VASQUIL_NODE_COPY_IN)
}

namespace {

// Ice state of a node for a residual evaluation: while the framework differences the residuals
// it keeps every node's state current itself; any other caller gets it refreshed here.
void RefreshIceNode(NodeRecord* node)
{
    if (g_ModelControl.Differencing == NotDifferencing) UpdateNodeIceState(node);
}

}  // namespace

namespace {

// The negative-ice correction of the unknowns alone (see CorrectNegativeIce).
void CorrectIceUnknowns()
{
    double deficit = 0.0;   // m2, ice missing where the area went negative
    for (NodeRecord* n : g_NodeIndex) {
        double* x = n->IceUnknowns;
        if (x[0] < 0.0) {
            deficit -= x[0];
            x[0] = 0.0;
        }
        if (x[1] < StoppedIceVelocity) n->NoIceFlag = 1;
        if (x[1] > n->Velocity) x[1] = n->Velocity;
        if (x[1] < 0.0) x[1] = 0.0;
    }

    if (deficit > 0.0) {
        // Ice the nodes can give: what they hold above a single layer.
        double spare = 0.0;
        for (const NodeRecord* n : g_NodeIndex) spare += std::max(0.0, n->IceUnknowns[0] - SingleLayerArea(n));
        if (spare > 0.0) {
            const double taken = std::min(1.0, deficit / spare);
            for (NodeRecord* n : g_NodeIndex) {
                const double floor = SingleLayerArea(n);
                const double excess = n->IceUnknowns[0] - floor;
                if (excess > 0.0) n->IceUnknowns[0] = taken < 1.0 ? n->IceUnknowns[0] - taken * excess : floor;
            }
        }
    }
}

// The correction after a Newton update of the step. After the last update every node's ice state
// follows its corrected unknowns, and this correction also stands for the one that
// CorrectNegativeIce would make after the iterations: corrected unknowns need no second correction,
// and a node's refresh reads none of the fields it writes but its ice velocity and ice width, which
// it sets first from the unknowns and the flow, so a second one would write the same values again.
// Before another update, the next assembly refreshes every node of its items at the corrected
// unknowns before any residual reads the node (and a node's ice width, which the correction reads,
// does not depend on its unknowns), so only the nodes of no item are refreshed here. Should that
// assembly fail, the step is not made, and the stepping takes every refreshed field back to the
// step start.
void CorrectNegativeIceAfterUpdate()
{
    CorrectIceUnknowns();
    if (NewtonIterationsDone(DynamicIceSystem)) {
        for (NodeRecord* n : g_NodeIndex) UpdateNodeIceState(n);
        return;
    }
    const std::vector<NodeRecord*>& assembled = g_EquationSystems[DynamicIceSystem].ItemNodes;
    for (NodeRecord* n : g_NodeIndex) {
        const size_t k = static_cast<size_t>(n->Index);
        if (n->Index < 0 || k >= assembled.size() || assembled[k] != n) UpdateNodeIceState(n);
    }
}

}  // namespace

void CorrectNegativeIce()
{
    CorrectIceUnknowns();
    for (NodeRecord* n : g_NodeIndex) UpdateNodeIceState(n);
}

int SolveDynamicIceStep()
{
    const int solved = RunNewtonIterations(DynamicIceSystem, CorrectNegativeIceAfterUpdate);
    if (solved != NewtonConverged) return solved;
    // A converged step whose iterations ran has had its last correction already.
    if (g_EquationSystems[DynamicIceSystem].IterationCount == 0) CorrectNegativeIce();
    return NewtonConverged;
}

void DynamicIceKernel(const GaussPointRecord* gp, ElementRecord* element)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[DynamicIceSystem];
    const int n = std::min(gp->Interpolation.NodeCount, element->NodeCount);
    const PointInterpolation at{gp, element->Nodes, n};
    const double j = gp->Determinant;
    const double T1 = es.Theta * mc.DeltaT;
    const double T0 = (1.0 - es.Theta) * mc.DeltaT;
    const double g = mc.Gravity;
    const double s = mc.IceSpecificGravity;

    const double ad = at.Value(&NodeRecord::DynamicIceArea);
    const double adp = at.Value(&NodeRecord::PreviousDynamicIceArea);
    const double vi = at.Value(&NodeRecord::IceVelocity);
    const double vip = at.Value(&NodeRecord::PreviousIceVelocity);
    const double dAd = at.Slope(&NodeRecord::DynamicIceArea);
    const double dAdp = at.Slope(&NodeRecord::PreviousDynamicIceArea);
    const double dVi = at.Slope(&NodeRecord::IceVelocity);
    const double dVip = at.Slope(&NodeRecord::PreviousIceVelocity);
    const double dFlux = at.Slope([](const NodeRecord* k) { return k->IceVelocity * k->DynamicIceArea; });
    const double dFluxp =
        at.Slope([](const NodeRecord* k) { return k->PreviousIceVelocity * k->PreviousDynamicIceArea; });
    const double drag = at.Value(&NodeRecord::DynamicIceDrag);
    const double dragp = at.Value(&NodeRecord::PreviousDynamicIceDrag);
    const double dz = at.Slope(&NodeRecord::Invert);
    const double dThick = at.Slope(&NodeRecord::SolidEquivalentThickness);
    const double dThickp = at.Slope(&NodeRecord::PreviousSolidEquivalentThickness);
    const double dDepth = at.Slope(&NodeRecord::HydraulicDepth);
    const double dDepthp = at.Slope(&NodeRecord::PreviousHydraulicDepth);

    double* rows = g_ModelControl.ElementVector.data();
    for (int i = 0; i < n; ++i) {
        const double N = gp->Interpolation.N[i];
        const double dN = gp->dNdx[i];
        const double P = es.Upwinding * j * dN;
        const double W = N + P;
        const double area = W * (adp - ad) + dN * (T1 * vi * ad + T0 * vip * adp) -
                            IceDiffusion * dN * (T1 * dAd + T0 * dAdp) -
                            P * (T0 * (adp * dVip + vip * dAdp) + T1 * (ad * dVi + vi * dAd));
        const double velocity = W * (vip * adp - vi * ad) + dN * (T0 * vip * vip * adp + T1 * vi * vi * ad) +
                                W * (T0 * dragp + T1 * drag) / mc.IceDensity - W * g * dz * (T1 * ad + T0 * adp) -
                                W * s * g * (T1 * ad * dThick + T0 * adp * dThickp) -
                                W * g * (T1 * ad * dDepth + T0 * adp * dDepthp) -
                                P * (T1 * vi * ad * dVi + T0 * vip * adp * dVip) -
                                P * (T1 * vi * dFlux + T0 * vip * dFluxp);
        rows[i * Upn] += j * area;
        rows[i * Upn + 1] += j * velocity;
    }
}

void DynamicIceElementResidual(ElementRecord* element)
{
    ModelControl& mc = g_ModelControl;
    GaussPointRecord gp;
    const int n = CountElementNodes(element, &gp.Interpolation);
    if (n < 1 || mc.ElementVector.size() < static_cast<size_t>(n * Upn)) return;
    for (int k = 0; k < n; ++k)
        if (!element->Nodes[k]) return;
    std::fill(mc.ElementVector.begin(), mc.ElementVector.begin() + n * Upn, 0.0);
    double points[4][4];
    const int count = GetQuadratureRule(element->GeometryCode, points);
    for (int k = 0; k < n; ++k) RefreshIceNode(element->Nodes[k]);

    double* rows = mc.ElementVector.data();
    for (int k = 0; k < n; ++k) {
        const NodeRecord* node = element->Nodes[k];
        rows[k * Upn + 1] += VelocityTie * (node->Velocity - node->IceUnknowns[1]);
    }
    for (int p = 0; p < count; ++p) {
        EvaluateGaussPoint(element, element->Length, points[p], &gp);
        DynamicIceKernel(&gp, element);
    }
}

void DynamicIceBoundaryResidual(BoundaryElementRecord* element)
{
    ModelControl& mc = g_ModelControl;
    NodeRecord* node = element->Node();
    if (!node || mc.ElementVector.size() < static_cast<size_t>(Upn)) return;
    std::fill(mc.ElementVector.begin(), mc.ElementVector.begin() + Upn, 0.0);
    RefreshIceNode(node);
    const double pos = element->Position;
    const double vi = node->IceVelocity;
    const double carried = pos < 0.0 ? EnteringIceArea(element, node->IceCoveredWidth) : node->DynamicIceArea;
    double* rows = mc.ElementVector.data();
    rows[0] += -pos * mc.DeltaT * carried * vi;
    rows[1] += -pos * mc.DeltaT * vi * vi * carried;
}
