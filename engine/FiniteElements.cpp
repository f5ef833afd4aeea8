// Finite-element framework: profile storage, forward-difference element Jacobians, assembly,
// the profile LU solve and the Newton update shared by the four equation systems.
#include "engine/FiniteElements.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/Junctions.h"
#include "engine/ThermalIce.h"
#include "engine/WaterQuality.h"

namespace {

void (*g_ResidualOverride)(FiniteElementBase*, int) = nullptr;

// Forward-difference perturbation of an unknown: hydrodynamic unknowns are areas and
// discharges of order 1 to 1000, the others concentrations and thicknesses.
double PerturbationOf(int system)
{
    return system == HydrodynamicSystem ? 1e-5 : 1e-8;
}

double* UnknownsOf(NodeRecord* node, int system)
{
    switch (system) {
    case HydrodynamicSystem: return node->HydroUnknowns;
    case DynamicIceSystem: return node->IceUnknowns;
    case ThermalIceSystem: return node->ThermalUnknowns;
    default: return node->WQUnknowns;
    }
}

int UnknownCapacityOf(int system)
{
    switch (system) {
    case HydrodynamicSystem: return 2;
    case DynamicIceSystem: return 2;
    default: return 6;
    }
}

// Unknowns per node of a system, never more than the node record holds.
int UnknownsPerNodeOf(int system)
{
    return std::clamp(g_EquationSystems[system].UnknownsPerNode, 0, UnknownCapacityOf(system));
}

// Node count of an element code (0 for a code without shape functions).
int CodeNodeCount(int code)
{
    return code == 1 ? 1 : (code == 111 ? 2 : 0);
}

// Nodes an element brings into the assembly: those of its interpolation code, when all of
// them are present; 0 otherwise (the element adds nothing).
int AssembledNodeCount(const FiniteElementBase* element)
{
    const int n = std::min(CodeNodeCount(element->InterpolationCode), element->NodeCount);
    if (n < 1) return 0;
    for (int a = 0; a < n; ++a) {
        const NodeRecord* node = element->Nodes[a];
        if (!node || node->Index < 0 || node->Index >= g_ModelControl.NodeCount) return 0;
    }
    return n;
}

void ClearElementVector()
{
    std::fill(g_ModelControl.ElementVector.begin(), g_ModelControl.ElementVector.end(), 0.0);
}

void EvaluateElementResidual(ElementRecord* element, int system)
{
    ClearElementVector();
    if (g_ResidualOverride) {
        g_ResidualOverride(element, system);
        return;
    }
    switch (system) {
    case HydrodynamicSystem: ComputeHydroElementResidual(element); break;
    case DynamicIceSystem: DynamicIceElementResidual(element); break;
    case ThermalIceSystem: ComputeThermalElementResidual(element); break;
    default: ComputeWQElementResidual(element); break;
    }
}

void EvaluateBoundaryResidual(BoundaryElementRecord* element, int system)
{
    ClearElementVector();
    if (g_ResidualOverride) {
        g_ResidualOverride(element, system);
        return;
    }
    switch (system) {
    case HydrodynamicSystem: ComputeHydroBoundaryResidual(element); break;
    case DynamicIceSystem: DynamicIceBoundaryResidual(element); break;
    case ThermalIceSystem: ComputeThermalBoundaryResidual(element); break;
    default: ComputeWQBoundaryResidual(element); break;
    }
}

void EvaluateJunctionResidual(ElementRecord* element, JunctionRecord* junction, int system)
{
    ClearElementVector();
    if (g_ResidualOverride) {
        g_ResidualOverride(element, system);
        return;
    }
    ComputeJunctionBranchResidual(element, junction);
}

void UpdateNodeState(NodeRecord* node, int system)
{
    switch (system) {
    case HydrodynamicSystem: UpdateNodeHydraulics(node); break;
    case DynamicIceSystem: UpdateNodeIceState(node); break;
    case ThermalIceSystem: UpdateNodeThermalState(node); break;
    default: ComputeWQKinetics(node); break;
    }
}

// How a forward-difference Jacobian brings the element back to its unperturbed state.
enum class Restore {
    Reevaluate,   // evaluate the residual once more at the restored unknowns
    NodeUpdate,   // the system's node update after each node's unknowns (boundary elements)
    Snapshot,     // copy back each node's record, and the element's, as they were at x
};

// Forward-difference Jacobian of whatever residual `evaluate` computes for the element:
// ElementMatrix = -dR/dx (row stride MaxElementDof), ElementVector = R at the current state.
// Each perturbed unknown is put back to its exact former value.
template <typename Element, typename Evaluate>
void DifferenceElement(Element* element, int system, int unknownsSystem, Restore restore, Evaluate evaluate)
{
    ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);
    const int nodes = AssembledNodeCount(element);
    const int dof = nodes * upn;
    const int stride = mc.MaxElementDof;
    if (dof <= 0 || dof > stride) return;
    const double h = PerturbationOf(unknownsSystem);

    double* work = mc.ElementJacobianWork.data();
    double* base = mc.ElementResidualBase.data();
    std::fill(mc.ElementJacobianWork.begin(), mc.ElementJacobianWork.end(), 0.0);
    std::fill(mc.ElementResidualBase.begin(), mc.ElementResidualBase.end(), 0.0);

    evaluate();
    std::copy_n(mc.ElementVector.data(), dof, base);
    Element elementAtBase;
    if (restore == Restore::Snapshot) elementAtBase = *element;

    const int perNode = std::min(upn, UnknownCapacityOf(unknownsSystem));
    for (int a = 0; a < nodes; ++a) {
        NodeRecord* node = element->Nodes[a];
        NodeRecord nodeAtBase;
        if (restore == Restore::Snapshot) nodeAtBase = *node;
        double* x = UnknownsOf(node, unknownsSystem);
        for (int j = 0; j < perNode; ++j) {
            const double saved = x[j];
            x[j] = saved + h;
            evaluate();
            const int column = a * upn + j;
            const double* r = mc.ElementVector.data();
            for (int row = 0; row < dof; ++row) work[row * stride + column] = (r[row] - base[row]) / -h;
            x[j] = saved;
        }
        if (restore == Restore::NodeUpdate) UpdateNodeState(node, system);
        if (restore == Restore::Snapshot) *node = nodeAtBase;
    }
    if (restore == Restore::Reevaluate) evaluate();
    if (restore == Restore::Snapshot) *element = elementAtBase;

    std::copy(mc.ElementJacobianWork.begin(), mc.ElementJacobianWork.end(), mc.ElementMatrix.begin());
    std::fill(mc.ElementVector.begin(), mc.ElementVector.end(), 0.0);
    std::copy_n(base, dof, mc.ElementVector.data());
}

// Sizes a work array without allocating when it already has the size, and zeroes it.
void SizeAndZero(std::vector<double>& v, size_t size)
{
    if (v.size() != size) {
        v.assign(size, 0.0);
    } else {
        std::fill(v.begin(), v.end(), 0.0);
    }
}

double Dot(const double* a, const double* b, int count)
{
    double sum = 0.0;
    for (int t = 0; t < count; ++t) sum += a[t] * b[t];
    return sum;
}

}  // namespace

void SetElementResidualOverride(void (*residual)(FiniteElementBase* element, int system))
{
    g_ResidualOverride = residual;
}

int GetQuadratureRule(int code, double points[][4])
{
    if (code == 1) {
        points[0][0] = points[0][1] = points[0][2] = 0.0;
        points[0][3] = 1.0;
        return 1;
    }
    if (code == 111) {
        const double g = 0.577350269189626;
        points[0][0] = -g;
        points[1][0] = g;
        for (int p = 0; p < 2; ++p) {
            points[p][1] = points[p][2] = 0.0;
            points[p][3] = 1.0;
        }
        return 2;
    }
    return 0;
}

int EvaluateShapeFunctions(int code, const double point[4], ShapeFunctionValues* out)
{
    const int count = CodeNodeCount(code);
    out->NodeCount = count;
    if (count == 0) return 0;
    const double xi = point[0];
    if (xi < -1.0 || xi > 1.0 || std::isnan(xi)) return count;
    const bool derivatives = !(point[3] < 0.0);
    if (code == 1) {
        out->N[0] = 1.0;
        if (derivatives) out->dNdXi[0] = out->d2NdXi2[0] = 0.0;
    } else {
        out->N[0] = (1.0 - xi) * 0.5;
        out->N[1] = (1.0 + xi) * 0.5;
        if (derivatives) {
            out->dNdXi[0] = -0.5;
            out->dNdXi[1] = 0.5;
            out->d2NdXi2[0] = out->d2NdXi2[1] = 0.0;
        }
    }
    return 0;
}

double ComputeMapDerivative(const FiniteElementBase* element, double branchLength,
                            const ShapeFunctionValues* geometry)
{
    if (branchLength > 0.0) return geometry->NodeCount >= 2 ? branchLength * geometry->dNdXi[1] : 0.0;
    double j = 0.0;
    const int n = std::min(geometry->NodeCount, element->NodeCount);
    for (int i = 0; i < n; ++i) {
        if (element->Nodes[i]) j += geometry->dNdXi[i] * element->Nodes[i]->Chainage;
    }
    return j;
}

void EvaluateGaussPoint(const FiniteElementBase* element, double branchLength, const double point[4],
                        GaussPointRecord* record)
{
    EvaluateShapeFunctions(element->InterpolationCode, point, &record->Interpolation);
    EvaluateShapeFunctions(element->GeometryCode, point, &record->Geometry);
    record->Xi = point[0];
    record->Weight = point[3];
    const double j = ComputeMapDerivative(element, branchLength, &record->Geometry);
    record->Determinant = j;
    const int n = record->Interpolation.NodeCount;
    for (int i = 0; i < n; ++i) {
        record->dNdx[i] = j != 0.0 ? record->Interpolation.dNdXi[i] / j : 0.0;
        record->d2Ndx2[i] = j != 0.0 ? record->Interpolation.d2NdXi2[i] / (j * j) : 0.0;
    }
}

double* BuildProfileStructure(int system)
{
    EquationSystem& es = g_EquationSystems[system];
    const ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);
    const int nodeCount = std::max(mc.NodeCount, 0);
    try {
        es.UnknownCount = nodeCount * upn;
        es.DiagonalIndex.assign(static_cast<size_t>(es.UnknownCount), 0);
        // Lowest node coupled to each node, as an index distance b (0 when none is lower).
        std::vector<int> reach(static_cast<size_t>(nodeCount), 0);
        for (const ElementRecord* e = g_Elements; e; e = e->Next) {
            const int n = std::min(e->NodeCount, MaxElementNodes);
            for (int a = 0; a < n; ++a) {
                const NodeRecord* na = e->Nodes[a];
                if (!na || na->Index < 0 || na->Index >= nodeCount) continue;
                for (int b = 0; b < n; ++b) {
                    const NodeRecord* nb = e->Nodes[b];
                    if (!nb || nb->Index < 0 || nb->Index >= nodeCount) continue;
                    reach[na->Index] = std::max(reach[na->Index], na->Index - nb->Index);
                }
            }
        }
        int position = -1;
        for (int i = 0; i < nodeCount; ++i) {
            for (int k = 0; k < upn; ++k) {
                const int height = upn * reach[i] + k + 1;
                position = (i == 0 && k == 0) ? 0 : position + height;
                es.DiagonalIndex[i * upn + k] = position;
            }
        }
        es.ProfileLength = es.UnknownCount > 0 ? position + 1 : 0;
        es.UpperProfile.assign(static_cast<size_t>(es.ProfileLength), 0.0);
    } catch (const std::bad_alloc&) {
        es.UpperProfile = {};
        es.DiagonalIndex = {};
        es.ProfileLength = 0;
        es.UnknownCount = 0;
        return nullptr;
    }
    return es.UpperProfile.data();
}

void AddElementToProfile(const FiniteElementBase* element, int system)
{
    EquationSystem& es = g_EquationSystems[system];
    const ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);
    const int nodes = AssembledNodeCount(element);
    if (nodes < 1) return;
    const int stride = mc.MaxElementDof;
    const int* diag = es.DiagonalIndex.data();
    double* upper = es.UpperProfile.data();
    double* lower = es.LowerProfile.data();
    for (int a = 0; a < nodes; ++a) {
        for (int ja = 0; ja < upn; ++ja) {
            const int row = a * upn + ja;
            const int I = element->Nodes[a]->Index * upn + ja;
            for (int b = 0; b < nodes; ++b) {
                for (int jb = 0; jb < upn; ++jb) {
                    const int column = b * upn + jb;
                    const int J = element->Nodes[b]->Index * upn + jb;
                    const double value = mc.ElementMatrix[row * stride + column];
                    if (J >= I) upper[diag[J] - (J - I)] += value;
                    if (mc.UnsymmetricMatrix && J <= I) lower[diag[I] - (I - J)] += value;
                }
            }
            es.Rhs[I] += mc.ElementVector[row];
        }
    }
}

void BuildElementJacobian(ElementRecord* element, int system)
{
    // The hydrodynamic element residual changes nothing but its element's record and the
    // hydraulics of its nodes, all functions of the nodes' unknowns: copying back what they
    // held at the unperturbed state is the same as evaluating there once more, at a fraction
    // of the cost. The other systems (and a test residual) are evaluated again.
    const Restore restore =
        system == HydrodynamicSystem && !g_ResidualOverride ? Restore::Snapshot : Restore::Reevaluate;
    DifferenceElement(element, system, system, restore, [&] { EvaluateElementResidual(element, system); });
}

void BuildJunctionElementJacobian(ElementRecord* element, JunctionRecord* junction, int system)
{
    // The junction-branch residual works on the hydrodynamic unknowns.
    DifferenceElement(element, system, HydrodynamicSystem, Restore::Reevaluate,
                      [&] { EvaluateJunctionResidual(element, junction, system); });
}

void BuildBoundaryElementJacobian(BoundaryElementRecord* element, int system)
{
    DifferenceElement(element, system, system, Restore::NodeUpdate,
                      [&] { EvaluateBoundaryResidual(element, system); });
}

int AssembleProfileMatrix(int system)
{
    EquationSystem& es = g_EquationSystems[system];
    ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);

    try {
        if (es.StructureBuilt && es.UpperProfile.size() == static_cast<size_t>(es.ProfileLength) &&
            es.LowerProfile.size() == static_cast<size_t>(es.ProfileLength) &&
            es.Rhs.size() == static_cast<size_t>(es.UnknownCount)) {
            std::fill(es.UpperProfile.begin(), es.UpperProfile.end(), 0.0);
            std::fill(es.LowerProfile.begin(), es.LowerProfile.end(), 0.0);
        } else {
            es.StructureBuilt = 0;
            es.UpperProfile = {};
            if (!BuildProfileStructure(system)) return -1;
            es.LowerProfile.assign(static_cast<size_t>(es.ProfileLength), 0.0);
            es.Rhs.assign(static_cast<size_t>(es.UnknownCount), 0.0);
        }

        int largest = 0;
        for (const ElementRecord* e = g_Elements; e; e = e->Next)
            largest = std::max(largest, CodeNodeCount(e->InterpolationCode));
        mc.MaxElementDof = largest * upn;
        if (mc.MaxElementDof <= 0) {
            mc.MaxElementDof = 0;
            return -1;
        }
        const size_t dof = static_cast<size_t>(mc.MaxElementDof);
        SizeAndZero(mc.ElementVector, dof + 1);
        SizeAndZero(mc.ElementResidualBase, dof + 1);
        SizeAndZero(mc.ElementMatrix, dof * dof + 1);
        SizeAndZero(mc.ElementJacobianWork, dof * dof + 1);
    } catch (const std::bad_alloc&) {
        mc.MaxElementDof = 0;
        return -1;
    }

    std::fill(es.Rhs.begin(), es.Rhs.end(), 0.0);
    // Node refreshes may be shared only within this pass: nothing but the unknowns changes
    // until it ends.
    static int passes = 0;
    passes = passes == std::numeric_limits<int>::max() ? 1 : passes + 1;
    mc.AssemblyPass = passes;

    for (ElementRecord* e = g_Elements; e; e = e->Next) {
        if (e->JunctionBranch != 0 || AssembledNodeCount(e) < 1) continue;
        BuildElementJacobian(e, system);
        AddElementToProfile(e, system);
    }
    for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
        ElementRecord* branches[3] = {j->ElementAC, j->ElementAB, j->ElementAD};
        for (int b = 0; b < 3; ++b) {
            ElementRecord* e = branches[b];
            if (!e || e->JunctionBranch != b + 1 || AssembledNodeCount(e) < 1) continue;
            // Only the hydrodynamic junction residual exists; the other systems treat a
            // branch like any interior element of theirs.
            if (system == HydrodynamicSystem)
                BuildJunctionElementJacobian(e, j, system);
            else
                BuildElementJacobian(e, system);
            AddElementToProfile(e, system);
        }
    }
    for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
        if (AssembledNodeCount(b) < 1) continue;
        BuildBoundaryElementJacobian(b, system);
        AddElementToProfile(b, system);
    }
    mc.AssemblyPass = 0;
    return 0;
}

int SolveProfileLU(double* upper, double* lower, double* rhs, const int* diagonal, int order)
{
    auto firstRow = [diagonal](int c) { return c == 0 ? 0 : c - (diagonal[c] - diagonal[c - 1]) + 1; };
    // Entry (r, c), r <= c, of column c of the upper factor, or of row c of the lower one.
    auto at = [diagonal](int r, int c) { return diagonal[c] - (c - r); };

    for (int i = 1; i < order; ++i) {
        const int r0 = firstRow(i);
        // Row i of the lower factor.
        for (int m = r0; m < i; ++m) {
            const int t0 = std::max(r0, firstRow(m));
            const double sum = Dot(lower + at(t0, i), upper + at(t0, m), m - t0);
            lower[at(m, i)] = (lower[at(m, i)] - sum) / upper[diagonal[m]];
        }
        // Column i of the upper factor, diagonal included.
        for (int m = r0; m <= i; ++m) {
            const int t0 = std::max(r0, firstRow(m));
            const double sum = Dot(lower + at(t0, m), upper + at(t0, i), m - t0);
            upper[at(m, i)] -= sum;
        }
        rhs[i] -= Dot(lower + at(r0, i), rhs + r0, i - r0);
    }
    for (int i = order - 1; i >= 0; --i) {
        rhs[i] /= upper[diagonal[i]];
        const double bi = rhs[i];
        for (int m = firstRow(i); m < i; ++m) rhs[m] -= upper[at(m, i)] * bi;
    }
    return 0;
}

bool IsSoundTolerance(double tolerance)
{
    return tolerance >= MinimumTolerance && tolerance < 1;
}

int SolveAndUpdate(int system)
{
    EquationSystem& es = g_EquationSystems[system];
    const int upn = UnknownsPerNodeOf(system);
    int result = 0;
    if (es.UnknownCount <= 0 || es.Rhs.size() < static_cast<size_t>(es.UnknownCount)) {
        es.LastNorm = 0.0;
        return 0;
    }
    SolveProfileLU(es.UpperProfile.data(), es.LowerProfile.data(), es.Rhs.data(), es.DiagonalIndex.data(),
                   es.UnknownCount);

    double sumIncrement = 0.0;
    double sumValue = 0.0;
    for (NodeRecord* node : g_NodeIndex) {
        if (!node || node->Index < 0 || (node->Index + 1) * upn > es.UnknownCount) continue;
        double* x = UnknownsOf(node, system);
        for (int j = 0; j < upn; ++j) {
            const double d = es.Rhs[node->Index * upn + j];
            sumIncrement += d * d;
            x[j] += d;
            sumValue += x[j] * x[j];
            if (!std::isfinite(d) || !std::isfinite(x[j])) result = 1;
        }
        if (system == HydrodynamicSystem && upn > 0 && x[0] < 0.0) {
            node->NegativeAreaCount += 1;
            result = 1;
        }
    }
    // Relative size of the update; when every unknown is 0 the absolute size is used, so a
    // state of zeros that stays zero has norm 0.
    double norm = sumValue > 0.0 ? std::sqrt(sumIncrement / sumValue) : std::sqrt(sumIncrement);
    if (!std::isfinite(norm)) {
        result = 1;
    }
    es.LastNorm = norm;
    return result;
}

int RunNewtonIterations(int system, void (*afterIteration)())
{
    EquationSystem& es = g_EquationSystems[system];
    es.LastNorm = 1.0;
    es.IterationCount = 0;
    while (es.IterationCount < es.MaxIterations) {
        if (es.Tolerance > es.LastNorm) break;
        if (const int assembled = AssembleProfileMatrix(system); assembled != 0) return assembled;
        es.StructureBuilt = 1;
        if (SolveAndUpdate(system) != 0) {
            es.LastNorm = 10.0 * es.Tolerance;
            return 0;
        }
        es.IterationCount += 1;
        if (afterIteration) afterIteration();
    }
    return es.LastNorm <= es.Tolerance ? 1 : 0;
}
