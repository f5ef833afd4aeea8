// Assembled matrices and right-hand sides against element-by-element forward differences taken
// here, one element at a time with every residual refreshing its own nodes: the assembly's
// node-by-node differencing must give the same numbers, bit for bit, and leave the nodes and
// elements at the current state. The hydrodynamics on reaches, compound sections, junctions and
// static ice; the dynamic and thermal ice systems on models of theirs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/Junctions.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "ModelBuilder.h"
#include "ModelFixtures.h"
#include "ModelFilesTestSupport.h"

namespace {

double* UnknownsOf(NodeRecord* node, int system)
{
    switch (system) {
    case HydrodynamicSystem: return node->HydroUnknowns;
    case DynamicIceSystem: return node->IceUnknowns;
    default: return node->ThermalUnknowns;
    }
}

// One element's residual as the equations give it (outside any assembly, so it refreshes its
// nodes itself).
struct Element {
    FiniteElementBase* Base;
    JunctionRecord* Junction;   // junction branches of the hydrodynamics
    bool Boundary;

    void Evaluate(int system) const
    {
        std::fill(g_ModelControl.ElementVector.begin(), g_ModelControl.ElementVector.end(), 0.0);
        auto* element = static_cast<ElementRecord*>(Base);
        auto* boundary = static_cast<BoundaryElementRecord*>(Base);
        switch (system) {
        case HydrodynamicSystem:
            if (Boundary)
                ComputeHydroBoundaryResidual(boundary);
            else if (Junction)
                ComputeJunctionBranchResidual(element, Junction);
            else
                ComputeHydroElementResidual(element);
            break;
        case DynamicIceSystem:
            if (Boundary)
                DynamicIceBoundaryResidual(boundary);
            else
                DynamicIceElementResidual(element);
            break;
        default:
            if (Boundary)
                ComputeThermalBoundaryResidual(boundary);
            else
                ComputeThermalElementResidual(element);
            break;
        }
    }
};

// The elements in the order an assembly adds them; the hydrodynamics add junction branches
// through their junctions.
std::vector<Element> AssemblyOrder(int system)
{
    std::vector<Element> list;
    for (ElementRecord* e = g_Elements; e; e = e->Next)
        if (e->JunctionBranch == 0) list.push_back({e, nullptr, false});
    for (JunctionRecord* j = g_Junctions; j; j = j->Next) {
        ElementRecord* branches[3] = {j->ElementAC, j->ElementAB, j->ElementAD};
        for (int b = 0; b < 3; ++b)
            if (branches[b] && branches[b]->JunctionBranch == b + 1)
                list.push_back({branches[b], system == HydrodynamicSystem ? j : nullptr, false});
    }
    for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) list.push_back({b, nullptr, true});
    return list;
}

struct Reference {
    std::vector<std::vector<double>> Matrix;   // -dR/dx, dense
    std::vector<double> Rhs;
    std::vector<std::array<double, 2>> EndFluxes;   // of every interior element at the current state
};

// -dR/dx of system k by forward differences (1e-5 for the hydrodynamics, 1e-8 for the others),
// element by element, summed in assembly order.
Reference ElementByElement(int system)
{
    const int upn = g_EquationSystems[system].UnknownsPerNode;
    const double h = system == HydrodynamicSystem ? 1e-5 : 1e-8;
    const int n = upn * g_ModelControl.NodeCount;
    Reference ref;
    ref.Matrix.assign(n, std::vector<double>(n, 0.0));
    ref.Rhs.assign(n, 0.0);
    for (const Element& e : AssemblyOrder(system)) {
        const int nodes = e.Boundary ? 1 : 2;
        const int dof = upn * nodes;
        e.Evaluate(system);
        const std::vector<double> base(g_ModelControl.ElementVector.begin(),
                                       g_ModelControl.ElementVector.begin() + dof);
        std::vector<double> columns(dof * dof);
        for (int a = 0; a < nodes; ++a)
            for (int j = 0; j < upn; ++j) {
                double& x = UnknownsOf(e.Base->Nodes[a], system)[j];
                const double saved = x;
                x = saved + h;
                e.Evaluate(system);
                for (int r = 0; r < dof; ++r)
                    columns[r * dof + a * upn + j] = (g_ModelControl.ElementVector[r] - base[r]) / -h;
                x = saved;
            }
        e.Evaluate(system);   // back at the current state
        for (int r = 0; r < dof; ++r) {
            const int I = upn * e.Base->Nodes[r / upn]->Index + r % upn;
            ref.Rhs[I] += base[r];
            for (int c = 0; c < dof; ++c)
                ref.Matrix[I][upn * e.Base->Nodes[c / upn]->Index + c % upn] += columns[r * dof + c];
        }
    }
    for (ElementRecord* e = g_Elements; e; e = e->Next) ref.EndFluxes.push_back({e->EndFluxes[0], e->EndFluxes[1]});
    return ref;
}

// Moves the unknowns as an iterate of a step would.
void MoveUnknowns(double phase)
{
    for (NodeRecord* node : g_NodeIndex) {
        node->HydroUnknowns[0] *= 1.0 + 0.02 * std::sin(0.7 * node->Index + phase);
        node->HydroUnknowns[1] += 0.03 * node->HydroUnknowns[1] * std::cos(1.3 * node->Index + phase) + 0.2;
    }
}

// A state in the middle of a step: the time level shifted, the unknowns moved away from it.
void MoveToMidStep()
{
    ModelControl& mc = g_ModelControl;
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;
    MoveUnknowns(0.0);
    if (mc.JunctionCount > 0) UpdateJunctionFlowDirections();
}

// Rectangular reach of varying width with a lateral inflow, or the same reach with compound
// surveyed sections.
void BuildReach(bool surveyed)
{
    const int count = 12;
    testmodel::BuildChain(count, 150, [&](NodeRecord& node, int i) {
        node.RectWidth = 25 + 6 * std::sin(0.9 * i);
        node.ManningN = 0.032;
        node.Invert = 0.0005 * 150 * (count - 1 - i) + 0.08 * std::cos(1.7 * i);
        if (surveyed) {
            const double z = node.Invert;
            testmodel::SetSection(node,
                                  {{-60, z + 5}, {-40, z + 2.5}, {0, z + 2.4}, {10, z}, {35.0 + i, z},
                                   {45.0 + i, z + 2.6}, {80, z + 2.8}, {110, z + 6}},
                                  0.032, 80);
            CrossSectionTable* t = node.CrossSection;
            t->LeftBankStation = 0;
            t->RightBankStation = 45 + i;
            t->RoughnessRowCount = 2;
            t->RoughnessRows[0][1] = z + 1.5;
            t->RoughnessRows[1][1] = 0.028;
            t->RoughnessRows[2][1] = 0.06;
            t->RoughnessRows[3][1] = 0.05;
            t->SinuosityRowCount = 2;
            t->SinuosityRows[0][1] = z + 1;
            t->SinuosityRows[1][1] = 1.15;
            BuildCrossSectionTable(t, -80);
            node.SectionCode = -80;
            node.Invert = t->LowestElevation;
            node.MinFlowArea = ComputeMinimumFlowArea(&node);
        }
        // Water up to 2.8 m: over the banks of the surveyed sections.
        node.HydroUnknowns[0] = testmodel::AreaAtStage(node, node.Invert + 2.8);
        node.HydroUnknowns[1] = 40;
    });
    testmodel::BoundaryInput inflow = testmodel::Constant(0, 1, 0, 40);
    testmodel::BoundaryInput lateral = testmodel::Constant(0, 99, 0, 6);
    testmodel::BoundaryInput outlet;
    outlet.StageCode = outlet.DischargeCode = 2;
    for (int k = 0; k <= 10; ++k) {
        outlet.Times.push_back(k);
        outlet.Discharges.push_back(10.0 * k);
        outlet.Stages.push_back(g_NodeBlock.back().Invert + 0.3 * k);
    }
    testmodel::SetBoundaries({{0, -1, inflow}, {count / 2, -1, lateral}, {count - 1, 1, outlet}});
    testmodel::StartRun();
}

// The node update of system k on a copy of a node.
void RefreshCopy(NodeRecord* node, int system)
{
    switch (system) {
    case HydrodynamicSystem: UpdateNodeHydraulics(node); break;
    case DynamicIceSystem: UpdateNodeIceState(node); break;
    default: UpdateNodeThermalState(node); break;
    }
}

// What the hydrodynamic differencing leaves as it was, from `from` into a refreshed copy: the area
// between the borders and the free area, and under a resistance model other than 1 the bed
// friction and ice drag.
void KeepFieldsTheDifferencingLeaves(const NodeRecord& from, NodeRecord* to)
{
    to->BorderGapArea = from.BorderGapArea;
    to->FreeArea = from.FreeArea;
    if (g_ModelControl.ResistanceModel != 1) {
        to->BedFriction = from.BedFriction;
        to->IceDrag = from.IceDrag;
    }
}

// Every node as a refresh of its unknowns leaves it, bit for bit.
void ExpectNodesRefreshed()
{
    for (const NodeRecord* node : g_NodeIndex) {
        NodeRecord fresh = *node;
        UpdateNodeHydraulics(&fresh);
        EXPECT_EQ(std::memcmp(&fresh, node, sizeof fresh), 0) << "node " << node->Index;
    }
}

// Assembles system k and compares it with the element-by-element reference.
void ExpectAssemblyLikeElementByElement(int system)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[system];
    ASSERT_EQ(AssembleProfileMatrix(system), 0);
    const std::vector<double> upper = es.UpperProfile, lower = es.LowerProfile, rhs = es.Rhs;
    std::vector<NodeRecord> nodes;
    for (const NodeRecord* node : g_NodeIndex) nodes.push_back(*node);
    std::vector<std::array<double, 2>> endFluxes;
    for (ElementRecord* e = g_Elements; e; e = e->Next) endFluxes.push_back({e->EndFluxes[0], e->EndFluxes[1]});

    // The nodes are left with the state of their unknowns; the hydrodynamics leave what no
    // residual reads as the last refresh outside the differencing took it.
    for (size_t k = 0; k < nodes.size(); ++k) {
        NodeRecord fresh = nodes[k];
        RefreshCopy(&fresh, system);
        if (system == HydrodynamicSystem) KeepFieldsTheDifferencingLeaves(nodes[k], &fresh);
        EXPECT_EQ(std::memcmp(&fresh, &nodes[k], sizeof fresh), 0) << "node " << k;
    }

    const Reference ref = ElementByElement(system);
    EXPECT_EQ(endFluxes, ref.EndFluxes);
    const int n = es.UnknownCount;
    ASSERT_EQ(n, es.UnknownsPerNode * mc.NodeCount);
    int differing = 0;
    for (int col = 0; col < n; ++col) {
        const int top = col == 0 ? 0 : col - (es.DiagonalIndex[col] - es.DiagonalIndex[col - 1]) + 1;
        for (int row = 0; row < n; ++row) {
            double assembled = 0.0;
            if (row >= top && row <= col) assembled = upper[es.DiagonalIndex[col] - (col - row)];
            const int topOfRow = row == 0 ? 0 : row - (es.DiagonalIndex[row] - es.DiagonalIndex[row - 1]) + 1;
            if (col < row && col >= topOfRow) assembled = lower[es.DiagonalIndex[row] - (row - col)];
            if (assembled != ref.Matrix[row][col]) ++differing;
        }
        EXPECT_EQ(rhs[col], ref.Rhs[col]) << "row " << col;
    }
    EXPECT_EQ(differing, 0);
}

struct Case {
    const char* name;
    std::function<void()> build;
    int formulation;
    int resistance;
    int upwindingUpdating = 0;   // the sign matrices: 1 the previous level's, 2 the current state's
    bool stepChangedInLevel = false;   // the time step halved between the two assemblies
};

class AssembledJacobian : public testmodel::ModelTest<> {};

}  // namespace

TEST_F(AssembledJacobian, NodeByNodeDifferencesEqualElementByElementOnes)
{
    const std::string network = std::string(VASQUIL_SOURCE_DIR) + "/examples/sample-network.vqx";
    const std::string staticIce = std::string(VASQUIL_TEST_DATA) + "/ft1-metric.vqx";
    auto load = [](const std::string& path) {
        return [path] { ASSERT_EQ(modelfiles_test::LoadModelFileQuietly(path), 0); };
    };
    const Case cases[] = {
        {"rectangular reach", [] { BuildReach(false); }, 0, 0},
        {"rectangular reach, separate stresses", [] { BuildReach(false); }, 0, 1},
        {"compound sections", [] { BuildReach(true); }, 1, 0},
        {"compound sections, conservation form", [] { BuildReach(true); }, 2, 0},
        {"compound sections, previous sign matrix throughout", [] { BuildReach(true); }, 1, 0, 1},
        {"compound sections, current sign matrix throughout", [] { BuildReach(true); }, 1, 0, 2},
        {"rectangles, natural form, current sign matrix throughout", [] { BuildReach(false); }, 1, 1, 2},
        {"compound sections, time step changed within the level", [] { BuildReach(true); }, 1, 0, 0, true},
        {"rectangular reach, time step changed within the level", [] { BuildReach(false); }, 0, 0, 0, true},
        {"junctions, rectangular form", load(network), 0, 0},
        {"junctions, natural form", load(network), 1, 0},
        {"junctions, conservation form", load(network), 2, 0},
        {"static ice", load(staticIce), 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.build();
        ModelControl& mc = g_ModelControl;
        mc.Formulation = c.formulation;
        mc.ResistanceModel = c.resistance;
        g_EquationSystems[HydrodynamicSystem].UpwindingUpdating = c.upwindingUpdating;
        ASSERT_EQ(InitialiseModel(), 0);
        // Two steps, then an iterate of a third: what an assembly keeps from one evaluation to
        // the next must follow the time levels and the iterates.
        for (int step = 0; step < 2; ++step) {
            int result = 0;
            for (int attempt = 0; attempt < 10 && result == 0; ++attempt) result = testmodel::Step();
            ASSERT_EQ(result, 1) << "step " << step;
            // A step made leaves every node refreshed, the fields the differencing leaves too.
            ExpectNodesRefreshed();
        }
        MoveToMidStep();
        ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
        MoveUnknowns(1.0);
        if (c.stepChangedInLevel) mc.DeltaT *= 0.5;
        ExpectAssemblyLikeElementByElement(HydrodynamicSystem);
        ReleaseModel();
    }
}

TEST_F(AssembledJacobian, IceSystemsDifferencedNodeByNodeEqualElementByElement)
{
    // A dynamic-ice model and a thermal-ice model after a few steps, their unknowns moved as
    // an iterate would move them.
    struct IceCase {
        const char* file;
        int system;
    };
    const IceCase cases[] = {{"ft2-metric.vqx", DynamicIceSystem}, {"ft3-metric.vqx", ThermalIceSystem}};
    for (const IceCase& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_EQ(modelfiles_test::LoadModelFileQuietly(std::string(VASQUIL_TEST_DATA) + "/" + c.file), 0);
        ModelControl& mc = g_ModelControl;
        ASSERT_EQ(InitialiseModel(), 0);
        for (int step = 0; step < 3; ++step) ASSERT_NE(TransientStep(), 2) << "step " << step;
        ShiftTimeLevel();
        const int upn = g_EquationSystems[c.system].UnknownsPerNode;
        for (double phase : {0.0, 1.0}) {
            for (NodeRecord* node : g_NodeIndex)
                for (int j = 0; j < upn; ++j)
                    UnknownsOf(node, c.system)[j] *= 1.0 + 0.01 * std::sin(0.7 * node->Index + j + phase);
            if (phase == 0.0) {
                ASSERT_EQ(AssembleProfileMatrix(c.system), 0);
            }
        }
        ExpectAssemblyLikeElementByElement(c.system);
        EXPECT_GT(mc.NodeCount, 2);
        ReleaseModel();
    }
}

// The places of the items in the profile follow the matrix kind: assembled as a symmetric
// matrix after an unsymmetric assembly, the lower profile is left empty and the upper profile
// and right-hand side are what they were; back to unsymmetric, the lower profile comes back.
TEST_F(AssembledJacobian, ItemPlacesFollowAChangeOfTheMatrixKind)
{
    BuildReach(true);
    ModelControl& mc = g_ModelControl;
    mc.Formulation = 1;
    ASSERT_EQ(InitialiseModel(), 0);
    MoveToMidStep();
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    mc.UnsymmetricMatrix = 1;
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    const std::vector<double> upper = es.UpperProfile, lower = es.LowerProfile, rhs = es.Rhs;
    ASSERT_TRUE(std::any_of(lower.begin(), lower.end(), [](double v) { return v != 0.0; }));

    mc.UnsymmetricMatrix = 0;
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    EXPECT_EQ(es.UpperProfile, upper);
    EXPECT_EQ(es.Rhs, rhs);
    EXPECT_TRUE(std::all_of(es.LowerProfile.begin(), es.LowerProfile.end(), [](double v) { return v == 0.0; }));

    mc.UnsymmetricMatrix = 1;
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    EXPECT_EQ(es.UpperProfile, upper);
    EXPECT_EQ(es.LowerProfile, lower);
    EXPECT_EQ(es.Rhs, rhs);
    ReleaseModel();
}
