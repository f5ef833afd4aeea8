// Finite-element framework: profile storage, forward-difference element Jacobians, assembly,
// the profile LU solve and the Newton update shared by the four equation systems.
#include "engine/FiniteElements.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/Junctions.h"
#include "engine/Prefetch.h"
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

// True when the residual of the item sets the item's rows to 0 before it adds to them, on every
// path an assembled item takes (the hydrodynamic element and boundary residuals, the dynamic-ice
// and water-quality residuals): the framework need not. A junction branch's residual leaves a
// branch of fewer than two nodes as it found it, so the framework clears for it.
bool ResidualClearsItsRows(const AssemblyItem& item, int system)
{
    if (system == HydrodynamicSystem) return item.Kind != JunctionBranchItem;
    return system == DynamicIceSystem || system == WaterQualitySystem;
}

// The residual of an item at the nodes' present state, into ElementVector.
void EvaluateItem(const AssemblyItem& item, int system)
{
    if (g_ResidualOverride) {
        ClearElementVector();
        g_ResidualOverride(item.Element, system);
        return;
    }
    if (!ResidualClearsItsRows(item, system)) ClearElementVector();
    if (item.Kind == BoundaryItem) {
        auto* b = static_cast<BoundaryElementRecord*>(item.Element);
        switch (system) {
        case HydrodynamicSystem: ComputeHydroBoundaryResidual(b); break;
        case DynamicIceSystem: DynamicIceBoundaryResidual(b); break;
        case ThermalIceSystem: ComputeThermalBoundaryResidual(b); break;
        default: ComputeWQBoundaryResidual(b); break;
        }
        return;
    }
    auto* e = static_cast<ElementRecord*>(item.Element);
    if (item.Kind == JunctionBranchItem) {
        ComputeJunctionBranchResidual(e, item.Junction);
        return;
    }
    switch (system) {
    case HydrodynamicSystem: ComputeHydroElementResidual(e); break;
    case DynamicIceSystem: DynamicIceElementResidual(e); break;
    case ThermalIceSystem: ComputeThermalElementResidual(e); break;
    default: ComputeWQElementResidual(e); break;
    }
}

// ---------------------------------------------------------------------------------------
// Node updates of the systems
// ---------------------------------------------------------------------------------------
// The system's node update: what its residuals read of a node, from the node's unknowns.
void RefreshNodeState(NodeRecord* node, int system)
{
    switch (system) {
    case HydrodynamicSystem: UpdateNodeHydraulics(node); break;
    case DynamicIceSystem: UpdateNodeIceState(node); break;
    case ThermalIceSystem: UpdateNodeThermalState(node); break;
    default: ComputeWQKinetics(node); break;
    }
}

// A copy of what a system's node update writes into a node: each update names its fields.
struct NodeStateCopy {
    NodeHydraulicsCopy Hydraulics;
    NodeIceCopy Ice;
    NodeThermalCopy Thermal;
    NodeWQCopy WaterQuality;
};
NodeStateCopy g_SavedNode;

void SaveNodeState(const NodeRecord* node, int system, NodeStateCopy* copy)
{
    if (system == HydrodynamicSystem)
        SaveNodeHydraulics(node, &copy->Hydraulics);
    else if (system == DynamicIceSystem)
        SaveNodeIceState(node, &copy->Ice);
    else if (system == ThermalIceSystem)
        SaveNodeThermalState(node, &copy->Thermal);
    else
        SaveNodeWQState(node, &copy->WaterQuality);
}

void RestoreNodeState(NodeRecord* node, int system, const NodeStateCopy* copy)
{
    if (system == HydrodynamicSystem)
        RestoreNodeHydraulics(node, &copy->Hydraulics);
    else if (system == DynamicIceSystem)
        RestoreNodeIceState(node, &copy->Ice);
    else if (system == ThermalIceSystem)
        RestoreNodeThermalState(node, &copy->Thermal);
    else
        RestoreNodeWQState(node, &copy->WaterQuality);
}

// What a residual leaves on an interior element besides ElementVector.
constexpr int ElementStateSize = 4;

void SaveElementState(const AssemblyItem& item, double* state)
{
    if (item.Kind == BoundaryItem) return;
    const auto* e = static_cast<const ElementRecord*>(item.Element);
    state[0] = e->EndFluxes[0];
    state[1] = e->EndFluxes[1];
    state[2] = e->ReferenceLevel;
    state[3] = e->PreviousReferenceLevel;
}

void RestoreElementState(const AssemblyItem& item, const double* state)
{
    if (item.Kind == BoundaryItem) return;
    auto* e = static_cast<ElementRecord*>(item.Element);
    e->EndFluxes[0] = state[0];
    e->EndFluxes[1] = state[1];
    e->ReferenceLevel = state[2];
    e->PreviousReferenceLevel = state[3];
}

// ---------------------------------------------------------------------------------------
// Forward differences, node by node
// ---------------------------------------------------------------------------------------
// The places of an element's matrix entries and rows in system k's profile and right-hand
// side (see EquationSystem::ItemProfileSlots): entry (row, column), for the unknowns I of the row
// and J of the column, goes to the upper profile where J >= I and, for an unsymmetric matrix, to
// the lower where J <= I; the entries beyond the element's own rows and columns get -1 and row 0.
void ScatterSlotsOf(const FiniteElementBase* element, int system, int* slots, int* rows)
{
    const EquationSystem& es = g_EquationSystems[system];
    const ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);
    const int stride = mc.MaxElementDof;
    const int nodes = AssembledNodeCount(element);
    const int* diag = es.DiagonalIndex.data();
    std::fill_n(slots, 2 * stride * stride, -1);
    std::fill_n(rows, stride, 0);
    for (int a = 0; a < nodes; ++a) {
        for (int ja = 0; ja < upn; ++ja) {
            const int row = a * upn + ja;
            const int I = element->Nodes[a]->Index * upn + ja;
            for (int b = 0; b < nodes; ++b) {
                for (int jb = 0; jb < upn; ++jb) {
                    const int column = b * upn + jb;
                    const int J = element->Nodes[b]->Index * upn + jb;
                    int* slot = slots + 2 * (row * stride + column);
                    if (J >= I) slot[0] = diag[J] - (J - I);
                    if (mc.UnsymmetricMatrix && J <= I) slot[1] = diag[I] - (I - J);
                }
            }
            rows[row] = I;
        }
    }
}

// Place of unknown u's diagonal in a chain's profile (IsChainProfile).
int ChainDiagonal(int u)
{
    return u == 0 ? 0 : 7 * (u / 2) + (u % 2 == 0 ? -2 : 2);
}

// The first node of an item of a chain's structure when its nodes are p and p + 1 in this order
// (its places then lie at fixed distances from p's); -1 otherwise.
int ChainNodeOf(const AssemblyItem& item)
{
    if (item.NodeCount != 2) return -1;
    const int p = item.Element->Nodes[0]->Index;
    return item.Element->Nodes[1]->Index == p + 1 ? p : -1;
}

// A value into a place of the profile: added to it, or written over it where the place was not
// cleared and this is its first value. Written as 0 + value, the place gets the bits of a
// cleared place that the value is added to.
inline void Put(double& place, double value, bool first)
{
    place = first ? 0.0 + value : place + value;
}

// AddItemToProfile for an item of a chain's structure: the places ScatterSlotsOf would keep,
// found from the nodes. Entry (row, column) of unknowns I and J goes to the upper profile where
// J >= I and, for an unsymmetric matrix, to the lower where J <= I; each place of an item takes
// one entry, so the profile gets the same sums as through kept places. `first` (ChainInOrder,
// item p of the chain's elements in order): the item is the first to write the places and rows
// of node p + 1 and those coupling p and p + 1, and of node p too when p is 0.
void AddChainItem(EquationSystem& es, const AssemblyItem& item, int p, int dof, size_t stride,
                  const double* matrix, const double* vector, bool first)
{
    double* upper = es.UpperProfile.data();
    double* lower = es.LowerProfile.data();
    const bool unsymmetric = g_ModelControl.UnsymmetricMatrix != 0;
    if (p >= 0 && dof == 4) {
        // Nodes p and p + 1: unknowns a0 b0 a1 b1 = 2p .. 2p + 3. From b0's diagonal B = 7p + 2
        // the upper profile holds (a0,b0) at B - 1, (b0,b0) at B, then columns a1 and b1
        // (a0,a1) (b0,a1) (a1,a1) (a0,b1) (b0,b1) (a1,b1) (b1,b1); the lower profile holds the
        // mirrored entries at the same places, a0's diagonal is at B - 4 (0 for node 0).
        const double* m = matrix;
        const size_t s = stride;
        const int B = 7 * p + 2;
        const int d0 = p == 0 ? 0 : B - 4;
        const bool firstOfP = first && p == 0;
        Put(upper[d0], m[0], firstOfP);
        Put(upper[B - 1], m[1], firstOfP);
        Put(upper[B], m[s + 1], firstOfP);
        Put(upper[B + 1], m[2], first);
        Put(upper[B + 2], m[s + 2], first);
        Put(upper[B + 3], m[2 * s + 2], first);
        Put(upper[B + 4], m[3], first);
        Put(upper[B + 5], m[s + 3], first);
        Put(upper[B + 6], m[2 * s + 3], first);
        Put(upper[B + 7], m[3 * s + 3], first);
        if (unsymmetric) {
            Put(lower[d0], m[0], firstOfP);
            Put(lower[B - 1], m[s], firstOfP);
            Put(lower[B], m[s + 1], firstOfP);
            Put(lower[B + 1], m[2 * s], first);
            Put(lower[B + 2], m[2 * s + 1], first);
            Put(lower[B + 3], m[2 * s + 2], first);
            Put(lower[B + 4], m[3 * s], first);
            Put(lower[B + 5], m[3 * s + 1], first);
            Put(lower[B + 6], m[3 * s + 2], first);
            Put(lower[B + 7], m[3 * s + 3], first);
        }
        double* rhs = es.Rhs.data() + 2 * p;
        Put(rhs[0], vector[0], firstOfP);
        Put(rhs[1], vector[1], firstOfP);
        Put(rhs[2], vector[2], first);
        Put(rhs[3], vector[3], first);
        return;
    }
    int unknown[4];
    const int rows = std::min(dof, 4);
    for (int row = 0; row < rows; ++row) unknown[row] = item.Element->Nodes[row / 2]->Index * 2 + row % 2;
    for (int row = 0; row < rows; ++row) {
        const int I = unknown[row];
        for (int column = 0; column < rows; ++column) {
            const int J = unknown[column];
            const double value = matrix[static_cast<size_t>(row) * stride + column];
            if (J >= I) upper[ChainDiagonal(J) - (J - I)] += value;
            if (unsymmetric && J <= I) lower[ChainDiagonal(I) - (I - J)] += value;
        }
        es.Rhs[I] += vector[row];
    }
}

// Adds item i's matrix (row stride MaxElementDof) and vector of `dof` rows into system k's
// profile and right-hand side, through the places its layout keeps.
void AddItemToProfile(int system, int i, int dof, const double* matrix, const double* vector)
{
    EquationSystem& es = g_EquationSystems[system];
    const size_t stride = static_cast<size_t>(g_ModelControl.MaxElementDof);
    if (es.ChainProfile) {
        AddChainItem(es, es.Items[i], es.ItemChainNodes[i], dof, stride, matrix, vector,
                     es.ChainInOrder && g_ModelControl.UnsymmetricMatrix && i < g_ModelControl.NodeCount - 1);
        return;
    }
    const int* slots = es.ItemProfileSlots.data() + 2 * i * stride * stride;
    const int* rows = es.ItemRhsRows.data() + i * stride;
    double* upper = es.UpperProfile.data();
    double* lower = es.LowerProfile.data();
    for (int row = 0; row < dof; ++row) {
        for (int column = 0; column < dof; ++column) {
            const double value = matrix[row * stride + column];
            const int* slot = slots + 2 * (row * stride + column);
            if (slot[0] >= 0) upper[slot[0]] += value;
            if (slot[1] >= 0) lower[slot[1]] += value;
        }
        es.Rhs[rows[row]] += vector[row];
    }
}

// Items to difference and the nodes they hold: entries Entries[NodeStart[k] ..
// NodeStart[k + 1]) of Nodes[k] are item x MaxElementNodes + the node's place in the item.
// Every item gets its -dR/dx (row stride MaxElementDof) in Matrices and its R in Residuals,
// and keeps its element state in ElementStates (ElementStateSize values) meanwhile.
// NodesByIndex: Nodes[k] is the node of index k. ItemReady (one per item) is 0 until the item
// is evaluated at the current state, then 1 + the number of its node entries not differenced
// yet; NodeReady (one per node) marks the nodes refreshed at the current state. AddsToProfile:
// each item goes into the system's profile, in item order, as soon as it is complete, through
// the places its layout keeps.
struct DifferencingPlan {
    const AssemblyItem* Items;
    int ItemCount;
    NodeRecord* const* Nodes;
    int NodeCount;
    bool NodesByIndex;
    const int* NodeStart;
    const int* Entries;
    double* Matrices;
    double* Residuals;
    double* ElementStates;
    unsigned char* ItemReady;
    unsigned char* NodeReady;
    bool AddsToProfile;
};

// Place of an item's node in the plan's nodes.
int PlanSlot(const DifferencingPlan& plan, const NodeRecord* node)
{
    if (plan.NodesByIndex) return node->Index;
    int k = 0;
    while (k < plan.NodeCount && plan.Nodes[k] != node) ++k;
    return k;
}

// The residual of item i at the current state, its matrix zeroed and its element state kept,
// after a refresh of each of its nodes not refreshed yet.
void EvaluateAtCurrentState(int system, const DifferencingPlan& plan, int i)
{
    ModelControl& mc = g_ModelControl;
    const AssemblyItem& item = plan.Items[i];
    const int stride = mc.MaxElementDof;
    for (int a = 0; a < item.NodeCount; ++a) {
        const int k = PlanSlot(plan, item.Element->Nodes[a]);
        if (plan.NodeReady[k]) continue;
        RefreshNodeState(plan.Nodes[k], system);
        plan.NodeReady[k] = 1;
    }
    EvaluateItem(item, system);
    std::copy_n(mc.ElementVector.data(), item.NodeCount * UnknownsPerNodeOf(system),
                plan.Residuals + static_cast<size_t>(i) * stride);
    std::fill_n(plan.Matrices + static_cast<size_t>(i) * stride * stride, static_cast<size_t>(stride) * stride, 0.0);
    SaveElementState(item, plan.ElementStates + static_cast<size_t>(i) * ElementStateSize);
    plan.ItemReady[i] = static_cast<unsigned char>(1 + item.NodeCount);
}

// An item whose every node is differenced: its element state back to the current state's, and
// its matrix and vector into the profile when the plan adds them.
void Complete(int system, const DifferencingPlan& plan, int i)
{
    const size_t stride = static_cast<size_t>(g_ModelControl.MaxElementDof);
    const AssemblyItem& item = plan.Items[i];
    RestoreElementState(item, plan.ElementStates + static_cast<size_t>(i) * ElementStateSize);
    if (!plan.AddsToProfile) return;
    AddItemToProfile(system, i, item.NodeCount * UnknownsPerNodeOf(system), plan.Matrices + i * stride * stride,
                     plan.Residuals + i * stride);
}

// Column of -dR/dx (row stride `stride`) from the residual r at a state perturbed by h and the
// residual base at the current state, for the dof rows of an item. The three arrays do not
// overlap: the loop needs no test of that at every call.
void DifferenceColumn(const double* __restrict r, const double* __restrict base, double h, int dof, int stride,
                      double* __restrict column)
{
    for (int row = 0; row < dof; ++row) column[row * stride] = (r[row] - base[row]) / -h;
}

// How many nodes ahead of the differencing the hydrodynamic walk asks for what a node's
// refresh and its items will read: the lines of each node's table about its last lookup and of
// its elements, whose addresses the hardware cannot foresee. A node's table header is asked
// for twice as far ahead, since the rows' addresses are read from it.
constexpr int PrefetchNodesAhead = 3;

void PrefetchAhead(const DifferencingPlan& plan, int k)
{
    const int far = k + 2 * PrefetchNodesAhead, near = k + PrefetchNodesAhead;
    if (far < plan.NodeCount && plan.Nodes[far]) PrefetchNodeHydraulics(plan.Nodes[far], false);
    if (near >= plan.NodeCount || !plan.Nodes[near]) return;
    PrefetchNodeHydraulics(plan.Nodes[near], true);
    for (int entry = plan.NodeStart[near]; entry < plan.NodeStart[near + 1]; ++entry) {
        // An element is asked for at its first node.
        if (plan.Entries[entry] % MaxElementNodes != 0) continue;
        const AssemblyItem& item = plan.Items[plan.Entries[entry] / MaxElementNodes];
        if (item.Kind != InteriorItem) continue;
        PrefetchBytes(static_cast<const ElementRecord*>(item.Element), sizeof(ElementRecord));
    }
}

// Forward-difference Jacobians of every item of the plan. Each node's unknowns are perturbed
// one at a time; the node is refreshed once at each perturbed state and every item holding it
// is evaluated there, so a column costs one node update and one residual per item. An item is
// evaluated at the current state (its nodes refreshed there) just before its first node is
// perturbed, so each item's work stays together. Afterwards every unknown holds its exact
// former value, and the nodes' states (but for what a node update leaves as it was while it
// differences) and the elements' end values are those of the current state.
void DifferencePlan(int system, const DifferencingPlan& plan)
{
    ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);
    const int stride = mc.MaxElementDof;
    const double h = PerturbationOf(system);
    const int wasDifferencing = mc.Differencing;
    std::fill_n(plan.ItemReady, plan.ItemCount, 0);
    std::fill_n(plan.NodeReady, plan.NodeCount, 0);
    int completed = 0;   // items before it have left the differencing

    for (int k = 0; k < plan.NodeCount; ++k) {
        const int first = plan.NodeStart[k], last = plan.NodeStart[k + 1];
        if (system == HydrodynamicSystem) PrefetchAhead(plan, k);
        if (first == last) continue;
        mc.Differencing = AtCurrentState;
        for (int entry = first; entry < last; ++entry) {
            const int i = plan.Entries[entry] / MaxElementNodes;
            if (!plan.ItemReady[i]) EvaluateAtCurrentState(system, plan, i);
        }
        mc.Differencing = AtPerturbedState;
        NodeRecord* node = plan.Nodes[k];
        SaveNodeState(node, system, &g_SavedNode);
        double* x = UnknownsOf(node, system);
        for (int j = 0; j < upn; ++j) {
            const double saved = x[j];
            x[j] = saved + h;
            if (system == HydrodynamicSystem && j == 1) {
                // The discharge alone: the current state's area, table lookups and conveyance
                // hold, only what the discharge enters is taken again; the residuals may
                // recall what they took of the areas at the current state.
                RestoreNodeState(node, system, &g_SavedNode);
                UpdateNodeDischarge(node);
                mc.Differencing = AtPerturbedDischarge;
            } else {
                mc.Differencing = AtPerturbedState;
                RefreshNodeState(node, system);
            }
            for (int entry = first; entry < last; ++entry) {
                const int i = plan.Entries[entry] / MaxElementNodes;
                const int a = plan.Entries[entry] % MaxElementNodes;
                const AssemblyItem& item = plan.Items[i];
                const int dof = item.NodeCount * upn;
                EvaluateItem(item, system);
                const double* r = mc.ElementVector.data();
                const double* base = plan.Residuals + static_cast<size_t>(i) * stride;
                double* column = plan.Matrices + static_cast<size_t>(i) * stride * stride + a * upn + j;
                DifferenceColumn(r, base, h, dof, stride, column);
            }
            x[j] = saved;
        }
        RestoreNodeState(node, system, &g_SavedNode);
        for (int entry = first; entry < last; ++entry) plan.ItemReady[plan.Entries[entry] / MaxElementNodes] -= 1;
        // Items complete in their order leave the differencing while their values are at hand.
        while (completed < plan.ItemCount && plan.ItemReady[completed] == 1) Complete(system, plan, completed++);
    }
    while (completed < plan.ItemCount) Complete(system, plan, completed++);
    mc.Differencing = wasDifferencing;
}

// The Jacobian of one item alone, left in ElementMatrix and its residual in ElementVector.
void DifferenceItem(const AssemblyItem& item, int system)
{
    ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);
    const int dof = item.NodeCount * upn;
    if (dof <= 0 || dof > mc.MaxElementDof) return;
    NodeRecord* nodes[MaxElementNodes];
    int start[MaxElementNodes + 1];
    int entries[MaxElementNodes];
    int count = 0, used = 0;
    start[0] = 0;
    for (int a = 0; a < item.NodeCount; ++a) {
        NodeRecord* node = item.Element->Nodes[a];
        if (std::find(nodes, nodes + count, node) != nodes + count) continue;
        for (int b = a; b < item.NodeCount; ++b)
            if (item.Element->Nodes[b] == node) entries[used++] = b;
        nodes[count++] = node;
        start[count] = used;
    }
    double state[ElementStateSize] = {};
    unsigned char itemReady[1];
    unsigned char nodeReady[MaxElementNodes];
    const DifferencingPlan plan{&item,
                                1,
                                nodes,
                                count,
                                false,
                                start,
                                entries,
                                mc.ElementJacobianWork.data(),
                                mc.ElementResidualBase.data(),
                                state,
                                itemReady,
                                nodeReady,
                                false};
    DifferencePlan(system, plan);
    std::copy(mc.ElementJacobianWork.begin(), mc.ElementJacobianWork.end(), mc.ElementMatrix.begin());
    std::fill(mc.ElementVector.begin(), mc.ElementVector.end(), 0.0);
    std::copy_n(mc.ElementResidualBase.data(), dof, mc.ElementVector.data());
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

namespace {

// The map derivative and the x-derivatives of a record whose shape functions are filled.
void CompleteGaussPoint(const FiniteElementBase* element, double branchLength, const double point[4],
                        GaussPointRecord* record)
{
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

// Codes with shape functions, and a slot for every other code.
constexpr int ElementCodes[] = {1, 111};
constexpr int CodeSlotCount = 3;
constexpr int MaxRulePoints = 2;
int CodeSlot(int code)
{
    return code == ElementCodes[1] ? 1 : (code == ElementCodes[0] ? 0 : 2);
}

// For every pair of codes (geometry, interpolation): the rule of the geometry code and the
// records of its points with the shape functions of both codes.
struct RuleRecords {
    int PointCount;
    int NodeCount;
    double Points[MaxRulePoints][4];
    GaussPointRecord Records[MaxRulePoints];
    // True when the interpolation's d2N/dxi2 is 0 at every point (so is d2N/dx2 on any element).
    bool Linear;
};
// Points of the nodal rule: the element's two ends, weight 1 each.
constexpr double NodalRule[NodalRulePoints][4] = {{-1.0, 0.0, 0.0, 1.0}, {1.0, 0.0, 0.0, 1.0}};
static_assert(NodalRulePoints <= MaxRulePoints, "nodal rule points");

struct RuleTable {
    RuleRecords Pairs[CodeSlotCount][CodeSlotCount];
    RuleRecords NodalPairs[CodeSlotCount][CodeSlotCount];

    RuleTable()
    {
        const int codes[CodeSlotCount] = {ElementCodes[0], ElementCodes[1], 0};
        for (int g = 0; g < CodeSlotCount; ++g)
            for (int i = 0; i < CodeSlotCount; ++i) {
                RuleRecords& rule = Pairs[g][i];
                rule.PointCount = GetQuadratureRule(codes[g], rule.Points);
                Fill(codes[g], codes[i], rule);
                RuleRecords& nodal = NodalPairs[g][i];
                nodal.PointCount = NodalRulePoints;
                for (int p = 0; p < NodalRulePoints; ++p)
                    std::copy(std::begin(NodalRule[p]), std::end(NodalRule[p]), nodal.Points[p]);
                Fill(codes[g], codes[i], nodal);
            }
    }
    // The node count and the shape functions of both codes at every point of the rule.
    static void Fill(int geometry, int interpolation, RuleRecords& rule)
    {
        const double outside[4] = {100.0, 0.0, 0.0, 1.0};
        ShapeFunctionValues count;
        rule.NodeCount = EvaluateShapeFunctions(interpolation, outside, &count);
        rule.Linear = true;
        for (int p = 0; p < rule.PointCount; ++p) {
            EvaluateShapeFunctions(interpolation, rule.Points[p], &rule.Records[p].Interpolation);
            EvaluateShapeFunctions(geometry, rule.Points[p], &rule.Records[p].Geometry);
            const ShapeFunctionValues& f = rule.Records[p].Interpolation;
            for (int i = 0; i < f.NodeCount; ++i)
                if (f.d2NdXi2[i] != 0.0) rule.Linear = false;
        }
    }
};
// Built when the program starts: the rules and shape functions are plain functions of the codes.
RuleTable g_Rules;

RuleRecords& RuleOf(const FiniteElementBase* element)
{
    return g_Rules.Pairs[CodeSlot(element->GeometryCode)][CodeSlot(element->InterpolationCode)];
}

}  // namespace

void EvaluateGaussPoint(const FiniteElementBase* element, double branchLength, const double point[4],
                        GaussPointRecord* record)
{
    EvaluateShapeFunctions(element->InterpolationCode, point, &record->Interpolation);
    EvaluateShapeFunctions(element->GeometryCode, point, &record->Geometry);
    CompleteGaussPoint(element, branchLength, point, record);
}

ElementRule GetElementRule(const FiniteElementBase* element)
{
    const RuleRecords& rule = RuleOf(element);
    return ElementRule{rule.PointCount, rule.NodeCount};
}

const GaussPointRecord* EvaluateRulePoint(const FiniteElementBase* element, double branchLength, int p)
{
    RuleRecords& rule = RuleOf(element);
    CompleteGaussPoint(element, branchLength, rule.Points[p], &rule.Records[p]);
    return &rule.Records[p];
}

const GaussPointRecord* EvaluateNodalRulePoint(const FiniteElementBase* element, double branchLength, int p)
{
    RuleRecords& rule = g_Rules.NodalPairs[CodeSlot(element->GeometryCode)][CodeSlot(element->InterpolationCode)];
    CompleteGaussPoint(element, branchLength, rule.Points[p], &rule.Records[p]);
    return &rule.Records[p];
}

const GaussPointRecord* RecallRulePoint(const FiniteElementBase* element, int p, double determinant,
                                        const double* dNdx)
{
    RuleRecords& rule = RuleOf(element);
    GaussPointRecord& record = rule.Records[p];
    record.Xi = rule.Points[p][0];
    record.Weight = rule.Points[p][3];
    record.Determinant = determinant;
    const double j = determinant;
    const int n = record.Interpolation.NodeCount;
    for (int i = 0; i < n; ++i) {
        record.dNdx[i] = dNdx[i];
        // Shape functions without curvature have d2N/dx2 0 on every element: no division.
        record.d2Ndx2[i] = rule.Linear ? 0.0 : (j != 0.0 ? record.Interpolation.d2NdXi2[i] / (j * j) : 0.0);
    }
    return &record;
}

double* BuildProfileStructure(int system)
{
    EquationSystem& es = g_EquationSystems[system];
    const ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);
    const int nodeCount = std::max(mc.NodeCount, 0);
    // The items' places in the profile are those of the structure they were laid out in.
    es.ItemsLaidOut = 0;
    es.ChainProfile = 0;
    es.ChainInOrder = 0;
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
        es.ChainProfile = upn == 2 && !g_Junctions && IsChainProfile(es.DiagonalIndex.data(), es.UnknownCount);
    } catch (const std::bad_alloc&) {
        es.UpperProfile = {};
        es.DiagonalIndex = {};
        es.ProfileLength = 0;
        es.UnknownCount = 0;
        return nullptr;
    }
    return es.UpperProfile.data();
}

namespace {

AssemblyItem ItemOf(FiniteElementBase* element, JunctionRecord* junction, int kind)
{
    return AssemblyItem{element, junction, kind, AssembledNodeCount(element)};
}

// Visits the items of system k's assembly in its order: interior elements that are no
// junction branch, in chain order; then every junction's current AC, AB and AD branches;
// then the boundary elements. Elements that bring no nodes are left out.
template <typename Visit>
void ForEachAssemblyItem(int system, Visit visit)
{
    for (ElementRecord* e = g_Elements; e; e = e->Next) {
        if (e->JunctionBranch != 0 || AssembledNodeCount(e) < 1) continue;
        visit(ItemOf(e, nullptr, InteriorItem));
    }
    for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
        ElementRecord* branches[3] = {j->ElementAC, j->ElementAB, j->ElementAD};
        for (int b = 0; b < 3; ++b) {
            ElementRecord* e = branches[b];
            if (!e || e->JunctionBranch != b + 1 || AssembledNodeCount(e) < 1) continue;
            // Only the hydrodynamic junction residual exists; the other systems treat a
            // branch like any interior element of theirs.
            visit(system == HydrodynamicSystem ? ItemOf(e, j, JunctionBranchItem) : ItemOf(e, nullptr, InteriorItem));
        }
    }
    for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
        if (AssembledNodeCount(b) < 1) continue;
        visit(ItemOf(b, nullptr, BoundaryItem));
    }
}

// Sizes an array without allocating when it already has the size (its values are kept).
template <typename T>
void Size(std::vector<T>& v, size_t size)
{
    if (v.size() != size) v.assign(size, T{});
}

// The places of every item of system k's layout in the profile, which the structure and the
// matrix kind fix. Throws std::bad_alloc on exhaustion.
void LayOutProfilePlaces(int system)
{
    EquationSystem& es = g_EquationSystems[system];
    const size_t stride = static_cast<size_t>(g_ModelControl.MaxElementDof);
    const size_t itemCount = es.Items.size();
    es.ScatterUnsymmetric = g_ModelControl.UnsymmetricMatrix;
    if (es.ChainProfile) {
        es.ItemProfileSlots = {};
        es.ItemRhsRows = {};
        Size(es.ItemChainNodes, itemCount);
        for (size_t item = 0; item < itemCount; ++item) es.ItemChainNodes[item] = ChainNodeOf(es.Items[item]);
        const int elements = g_ModelControl.NodeCount - 1;
        es.ChainInOrder = elements >= 1 && itemCount >= static_cast<size_t>(elements);
        for (int item = 0; es.ChainInOrder && item < elements; ++item)
            if (es.ItemChainNodes[item] != item) es.ChainInOrder = 0;
        return;
    }
    es.ItemChainNodes = {};
    es.ChainInOrder = 0;
    Size(es.ItemProfileSlots, 2 * itemCount * stride * stride);
    Size(es.ItemRhsRows, itemCount * stride);
    for (size_t item = 0; item < itemCount; ++item)
        ScatterSlotsOf(es.Items[item].Element, system, es.ItemProfileSlots.data() + 2 * item * stride * stride,
                       es.ItemRhsRows.data() + item * stride);
}

// Lays out system k's items and, for every node, the items holding it. Allocates only when
// the counts changed since the last assembly; throws std::bad_alloc on exhaustion.
void LayOutItems(int system)
{
    EquationSystem& es = g_EquationSystems[system];
    const size_t stride = static_cast<size_t>(g_ModelControl.MaxElementDof);
    const int nodeCount = std::max(g_ModelControl.NodeCount, 0);
    int itemCount = 0;
    ForEachAssemblyItem(system, [&](const AssemblyItem&) { ++itemCount; });
    Size(es.Items, static_cast<size_t>(itemCount));
    Size(es.ItemMatrices, itemCount * stride * stride);
    Size(es.ItemResiduals, itemCount * stride);
    Size(es.ItemElementStates, static_cast<size_t>(itemCount) * ElementStateSize);
    Size(es.NodeItemStart, static_cast<size_t>(nodeCount) + 1);
    Size(es.ItemNodes, static_cast<size_t>(nodeCount));
    Size(es.ItemReady, static_cast<size_t>(itemCount));
    Size(es.NodeReady, static_cast<size_t>(nodeCount));

    int entryCount = 0;
    int i = 0;
    std::fill(es.NodeItemStart.begin(), es.NodeItemStart.end(), 0);
    std::fill(es.ItemNodes.begin(), es.ItemNodes.end(), nullptr);
    ForEachAssemblyItem(system, [&](const AssemblyItem& item) {
        es.Items[i++] = item;
        for (int a = 0; a < item.NodeCount; ++a) {
            NodeRecord* node = item.Element->Nodes[a];
            es.ItemNodes[node->Index] = node;
            es.NodeItemStart[node->Index + 1] += 1;
        }
        entryCount += item.NodeCount;
    });
    for (int k = 0; k < nodeCount; ++k) es.NodeItemStart[k + 1] += es.NodeItemStart[k];
    Size(es.NodeItems, static_cast<size_t>(entryCount));
    // Entries of each node in item order: fill from the node's start, counting up.
    std::vector<int>& next = es.NodeItemStart;
    for (int item = 0; item < itemCount; ++item) {
        const AssemblyItem& it = es.Items[item];
        for (int a = 0; a < it.NodeCount; ++a)
            es.NodeItems[next[it.Element->Nodes[a]->Index]++] = item * MaxElementNodes + a;
    }
    // Each start now stands at the next node's start: shift them back.
    for (int k = nodeCount; k > 0; --k) next[k] = next[k - 1];
    next[0] = 0;
    LayOutProfilePlaces(system);
}

}  // namespace

void EvaluateSystemResiduals(int system)
{
    if (g_ModelControl.ElementVector.empty()) return;
    ForEachAssemblyItem(system, [&](const AssemblyItem& item) { EvaluateItem(item, system); });
}

void BuildElementJacobian(ElementRecord* element, int system)
{
    DifferenceItem(ItemOf(element, nullptr, InteriorItem), system);
}

void BuildJunctionElementJacobian(ElementRecord* element, JunctionRecord* junction, int system)
{
    // Only the hydrodynamic junction residual exists; the other systems treat a branch like
    // any interior element of theirs.
    if (system == HydrodynamicSystem)
        DifferenceItem(ItemOf(element, junction, JunctionBranchItem), system);
    else
        BuildElementJacobian(element, system);
}

void BuildBoundaryElementJacobian(BoundaryElementRecord* element, int system)
{
    DifferenceItem(ItemOf(element, nullptr, BoundaryItem), system);
}

int AssembleProfileMatrix(int system)
{
    EquationSystem& es = g_EquationSystems[system];
    ModelControl& mc = g_ModelControl;
    const int upn = UnknownsPerNodeOf(system);

    // A profile kept from the last assembly is cleared once its layout is known, unless the
    // chain's elements in order write every place first (ChainInOrder); a failed assembly
    // leaves it cleared.
    bool kept = false;
    auto clearKept = [&es, &kept] {
        if (!kept) return;
        std::fill(es.UpperProfile.begin(), es.UpperProfile.end(), 0.0);
        std::fill(es.LowerProfile.begin(), es.LowerProfile.end(), 0.0);
        kept = false;
    };
    try {
        if (es.StructureBuilt && es.UpperProfile.size() == static_cast<size_t>(es.ProfileLength) &&
            es.LowerProfile.size() == static_cast<size_t>(es.ProfileLength) &&
            es.Rhs.size() == static_cast<size_t>(es.UnknownCount)) {
            kept = true;
        } else {
            es.StructureBuilt = 0;
            es.ItemsLaidOut = 0;
            es.UpperProfile = {};
            if (!BuildProfileStructure(system)) return AssemblyFailed;
            es.LowerProfile.assign(static_cast<size_t>(es.ProfileLength), 0.0);
            es.Rhs.assign(static_cast<size_t>(es.UnknownCount), 0.0);
            es.LargestElementNodes = 0;
        }

        // The elements stand while their structure does: they are walked for their largest node
        // count only when it is built.
        if (es.LargestElementNodes <= 0) {
            int largest = 0;
            for (const ElementRecord* e = g_Elements; e; e = e->Next)
                largest = std::max(largest, CodeNodeCount(e->InterpolationCode));
            es.LargestElementNodes = largest;
        }
        mc.MaxElementDof = es.LargestElementNodes * upn;
        if (mc.MaxElementDof <= 0) {
            mc.MaxElementDof = 0;
            clearKept();
            return AssemblyFailed;
        }
        const size_t dof = static_cast<size_t>(mc.MaxElementDof);
        SizeAndZero(mc.ElementVector, dof + 1);
        SizeAndZero(mc.ElementResidualBase, dof + 1);
        SizeAndZero(mc.ElementMatrix, dof * dof + 1);
        SizeAndZero(mc.ElementJacobianWork, dof * dof + 1);
        // The layout stands while the items do (and with them the element size).
        if (!es.ItemsLaidOut || es.ItemMatrices.size() != es.Items.size() * dof * dof) {
            es.ItemsLaidOut = 0;
            LayOutItems(system);
            es.ItemsLaidOut = 1;
        } else if (es.ScatterUnsymmetric != mc.UnsymmetricMatrix) {
            LayOutProfilePlaces(system);
        }
    } catch (const std::bad_alloc&) {
        mc.MaxElementDof = 0;
        clearKept();
        return AssemblyFailed;
    }

    if (!(es.ChainProfile && es.ChainInOrder && mc.UnsymmetricMatrix)) {
        clearKept();
        std::fill(es.Rhs.begin(), es.Rhs.end(), 0.0);
    }
    const int itemCount = static_cast<int>(es.Items.size());
    const DifferencingPlan plan{es.Items.data(),
                                itemCount,
                                es.ItemNodes.data(),
                                static_cast<int>(es.ItemNodes.size()),
                                true,
                                es.NodeItemStart.data(),
                                es.NodeItems.data(),
                                es.ItemMatrices.data(),
                                es.ItemResiduals.data(),
                                es.ItemElementStates.data(),
                                es.ItemReady.data(),
                                es.NodeReady.data(),
                                true};
    DifferencePlan(system, plan);
    return Assembled;
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

bool IsChainProfile(const int* diagonal, int order)
{
    if (order < 2 || order % 2 != 0 || diagonal[0] != 0 || diagonal[1] != 2) return false;
    for (int n = 1; 2 * n < order; ++n)
        if (diagonal[2 * n] != 7 * n - 2 || diagonal[2 * n + 1] != 7 * n + 2) return false;
    return true;
}

// The chain profile node by node. Node n (from 1) has the unknowns a = 2n and b = 2n + 1, the
// node before it p = 2n - 2 and q = 2n - 1; its columns a and b of the upper profile hold
// U(p,a) U(q,a) U(a,a) U(p,b) U(q,b) U(a,b) U(b,b) from place 7n - 4 on, and its rows a and b of
// the lower profile L(a,p) L(a,q) - L(b,p) L(b,q) L(b,a) - at the same places (the lower profile
// keeps no diagonal). Node 0 holds U(0,0), U(0,1), U(1,1) and L(1,0) at places 0, 1, 2 and 1.
// Every sum below is SolveProfileLU's Dot over the same entries: it starts from 0 and adds the
// products in row order, and a sum of no products (0) is left out where subtracting it changes
// nothing.
int SolveChainProfileLU(double* upper, double* lower, double* rhs, int nodeCount)
{
    if (nodeCount < 1) return 0;
    double s = 0.0;
    lower[1] /= upper[0];
    s = 0.0;
    s += lower[1] * upper[1];
    upper[2] -= s;
    s = 0.0;
    s += lower[1] * rhs[0];
    rhs[1] -= s;
    for (int n = 1; n < nodeCount; ++n) {
        double* U = upper + (7 * n - 4);
        double* L = lower + (7 * n - 4);
        double* r = rhs + (2 * n - 2);   // r[0] p, r[1] q, r[2] a, r[3] b
        // The factors of the node before: U(p,p), U(p,q), U(q,q) and L(q,p).
        const double upp = upper[n == 1 ? 0 : 7 * n - 9];
        const double upq = upper[7 * n - 6];
        const double uqq = upper[7 * n - 5];
        const double lqp = lower[7 * n - 6];
        // Unknown a: its row of the lower factor, its column of the upper, its forward step.
        L[0] /= upp;
        s = 0.0;
        s += L[0] * upq;
        L[1] = (L[1] - s) / uqq;
        s = 0.0;
        s += lqp * U[0];
        U[1] -= s;
        s = 0.0;
        s += L[0] * U[0];
        s += L[1] * U[1];
        U[2] -= s;
        s = 0.0;
        s += L[0] * r[0];
        s += L[1] * r[1];
        r[2] -= s;
        // Unknown b likewise.
        L[3] /= upp;
        s = 0.0;
        s += L[3] * upq;
        L[4] = (L[4] - s) / uqq;
        s = 0.0;
        s += L[3] * U[0];
        s += L[4] * U[1];
        L[5] = (L[5] - s) / U[2];
        s = 0.0;
        s += lqp * U[3];
        U[4] -= s;
        s = 0.0;
        s += L[0] * U[3];
        s += L[1] * U[4];
        U[5] -= s;
        s = 0.0;
        s += L[3] * U[3];
        s += L[4] * U[4];
        s += L[5] * U[5];
        U[6] -= s;
        s = 0.0;
        s += L[3] * r[0];
        s += L[4] * r[1];
        s += L[5] * r[2];
        r[3] -= s;
    }
    // Back substitution, from the last unknown up, each column in row order.
    for (int n = nodeCount - 1; n >= 1; --n) {
        const double* U = upper + (7 * n - 4);
        double* r = rhs + (2 * n - 2);
        r[3] /= U[6];
        const double xb = r[3];
        r[0] -= U[3] * xb;
        r[1] -= U[4] * xb;
        r[2] -= U[5] * xb;
        r[2] /= U[2];
        const double xa = r[2];
        r[0] -= U[0] * xa;
        r[1] -= U[1] * xa;
    }
    rhs[1] /= upper[2];
    rhs[0] -= upper[1] * rhs[1];
    rhs[0] /= upper[0];
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
    // A chain's structure has 7 places a node from the second on (the profile length is that
    // of its last diagonal, 7 (nodes - 1) + 2, plus 1).
    const int chainNodes = es.UnknownCount / 2;
    if (es.ChainProfile && es.ProfileLength == 7 * chainNodes - 4 &&
        es.UpperProfile.size() >= static_cast<size_t>(es.ProfileLength) &&
        es.LowerProfile.size() >= static_cast<size_t>(es.ProfileLength))
        SolveChainProfileLU(es.UpperProfile.data(), es.LowerProfile.data(), es.Rhs.data(), chainNodes);
    else
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

bool NewtonIterationsDone(int system)
{
    const EquationSystem& es = g_EquationSystems[system];
    return !(es.IterationCount < es.MaxIterations) || es.Tolerance > es.LastNorm;
}

int RunNewtonIterations(int system, void (*afterIteration)())
{
    EquationSystem& es = g_EquationSystems[system];
    es.LastNorm = 1.0;
    es.IterationCount = 0;
    while (!NewtonIterationsDone(system)) {
        if (AssembleProfileMatrix(system) != Assembled) return NewtonNotAssembled;
        es.StructureBuilt = 1;
        if (SolveAndUpdate(system) != 0) {
            es.LastNorm = 10.0 * es.Tolerance;
            return NewtonNotConverged;
        }
        es.IterationCount += 1;
        if (afterIteration) afterIteration();
    }
    return es.LastNorm <= es.Tolerance ? NewtonConverged : NewtonNotConverged;
}
