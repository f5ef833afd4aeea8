// Builds small engine models directly in the engine data for the tests: a chain of nodes,
// two-node elements between neighbours, boundary elements with their series, and the
// stepping loops the run workers use.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/Junctions.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"

namespace testmodel {

struct BoundaryInput {
    int StageCode = 0;
    int DischargeCode = 0;
    // Series rows: time (s), stage (m), discharge (m3/s).
    std::vector<double> Times, Stages, Discharges;
};

inline BoundaryHydrograph* MakeHydrograph(const BoundaryInput& input)
{
    if (input.Times.empty()) return nullptr;
    auto* h = new BoundaryHydrograph;
    h->RowCount = static_cast<int>(input.Times.size());
    for (auto& c : h->Columns) c.assign(input.Times.size(), 0.0);
    h->Columns[0] = input.Times;
    if (!input.Stages.empty()) h->Columns[1] = input.Stages;
    if (!input.Discharges.empty()) h->Columns[2] = input.Discharges;
    return h;
}

// A constant series over a long time.
inline BoundaryInput Constant(int stageCode, int dischargeCode, double stage, double discharge)
{
    BoundaryInput b;
    b.StageCode = stageCode;
    b.DischargeCode = dischargeCode;
    b.Times = {0.0, 1e9};
    b.Stages = {stage, stage};
    b.Discharges = {discharge, discharge};
    return b;
}

// Releases whatever model is loaded and builds a chain of `count` nodes at spacing dx,
// elements between neighbours, and no boundary elements yet. `setup` fills each node.
inline void BuildChain(int count, double dx, const std::function<void(NodeRecord&, int)>& setup)
{
    ReleaseModel();
    SetModelDefaults();
    ModelControl& mc = g_ModelControl;
    mc.StepStartTime = 0.0;
    g_NodeBlock.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        NodeRecord& n = g_NodeBlock[i];
        SetNodeDefaults(&n);
        n.Number = i + 1;
        n.Chainage = i * dx;
        n.RiverStation = n.Chainage;
        n.RectWidth = 1.0;
        n.Next = i + 1 < count ? &g_NodeBlock[i + 1] : nullptr;
        n.Previous = i > 0 ? &g_NodeBlock[i - 1] : nullptr;
        if (setup) setup(n, i);
    }
    g_ElementBlock.resize(static_cast<size_t>(std::max(count - 1, 0)));
    for (int e = 0; e + 1 < count; ++e) {
        ElementRecord& el = g_ElementBlock[e];
        el.Number = e + 1;
        el.NodeCount = 2;
        el.Nodes[0] = &g_NodeBlock[e];
        el.Nodes[1] = &g_NodeBlock[e + 1];
        el.Next = e + 2 < count ? &g_ElementBlock[e + 1] : nullptr;
    }
    g_Nodes = count > 0 ? &g_NodeBlock[0] : nullptr;
    g_Elements = count > 1 ? &g_ElementBlock[0] : nullptr;
    mc.NodeCount = mc.NodeBlockCount = count;
    mc.ElementCount = mc.ElementBlockCount = std::max(count - 1, 0);
    mc.BoundaryElementCount = mc.BoundaryElementBlockCount = 0;
    RebuildNodeIndex();
}

// Releases whatever model is loaded and builds a network: `count` nodes in chain order, and
// elements between the given pairs of node indices (first node, second node). No boundary
// elements or junctions yet. `setup` fills each node (chainage, plan position, unknowns...).
inline void BuildNetwork(int count, const std::vector<std::array<int, 2>>& elements,
                         const std::function<void(NodeRecord&, int)>& setup)
{
    BuildChain(count, 1.0, setup);
    const int elementCount = static_cast<int>(elements.size());
    g_ElementBlock.assign(elements.size(), ElementRecord{});
    for (int e = 0; e < elementCount; ++e) {
        ElementRecord& el = g_ElementBlock[e];
        el.Number = e + 1;
        el.NodeCount = 2;
        el.Nodes[0] = &g_NodeBlock[elements[e][0]];
        el.Nodes[1] = &g_NodeBlock[elements[e][1]];
        el.Next = e + 1 < elementCount ? &g_ElementBlock[e + 1] : nullptr;
    }
    g_Elements = elementCount > 0 ? &g_ElementBlock[0] : nullptr;
    g_ModelControl.ElementCount = g_ModelControl.ElementBlockCount = elementCount;
}

// A junction as a junction row gives it: type, node indices A, B, C, D, element indices AB,
// AC, AD and branch lengths (AB, AC, AD; 0 or less: the plan distance between the nodes).
struct JunctionAt {
    int Type;
    int A, B, C, D;
    int AB, AC, AD;
    std::array<double, 3> Lengths = {0.0, 0.0, 0.0};
};

// Junctions as the model reader sets them up: current arrangement as read, branch lengths,
// branch numbers of the elements, branch discharges from the nodes' discharges, angles.
inline void SetJunctions(const std::vector<JunctionAt>& list)
{
    g_JunctionBlock.assign(list.size(), JunctionRecord{});
    const int count = static_cast<int>(list.size());
    for (int i = 0; i < count; ++i) {
        const JunctionAt& in = list[i];
        JunctionRecord& j = g_JunctionBlock[i];
        j.Number = i + 1;
        j.Type = j.ReadType = in.Type;
        const int nodes[4] = {in.A, in.B, in.C, in.D};
        for (int k = 0; k < 4; ++k) j.ReadNodes[k] = &g_NodeBlock[nodes[k]];
        const int elements[3] = {in.AB, in.AC, in.AD};
        for (int k = 0; k < 3; ++k) j.ReadElements[k] = &g_ElementBlock[elements[k]];
        j.NodeA = j.ReadNodes[0];
        j.NodeB = j.ReadNodes[1];
        j.NodeC = j.ReadNodes[2];
        j.NodeD = j.ReadNodes[3];
        j.ElementAB = j.ReadElements[0];
        j.ElementAC = j.ReadElements[1];
        j.ElementAD = j.ReadElements[2];
        NodeRecord* ends[3] = {j.NodeB, j.NodeC, j.NodeD};
        for (int k = 0; k < 3; ++k) {
            ElementRecord* e = j.ReadElements[k];
            if (in.Lengths[k] > 0) {
                e->Length = e->GivenLength = in.Lengths[k];
            } else {
                e->Length = std::hypot(ends[k]->Easting - j.NodeA->Easting, ends[k]->Northing - j.NodeA->Northing);
                e->GivenLength = 0;
            }
        }
        j.ElementAC->JunctionBranch = 1;
        j.ElementAB->JunctionBranch = 2;
        j.ElementAD->JunctionBranch = 3;
        j.BranchDischargeAC = j.NodeC->HydroUnknowns[1];
        j.BranchDischargeAB = j.NodeB->HydroUnknowns[1];
        ComputeJunctionBranchAngles(&j);
        for (NodeRecord* n : j.ReadNodes) n->Junction = &j;
        j.Next = i + 1 < count ? &g_JunctionBlock[i + 1] : nullptr;
    }
    g_Junctions = count > 0 ? &g_JunctionBlock[0] : nullptr;
    g_ModelControl.JunctionCount = g_ModelControl.JunctionBlockCount = count;
}

// Boundary elements, in the order given: node index, position (-1 upstream, +1 downstream,
// -1 for a lateral inflow) and kind.
struct BoundaryAt {
    int Node;
    double Position;
    BoundaryInput Input;
};

inline void SetBoundaries(const std::vector<BoundaryAt>& list)
{
    g_BoundaryElementBlock.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        BoundaryElementRecord& b = g_BoundaryElementBlock[i];
        b.Number = static_cast<int>(i) + 1;
        b.Node() = &g_NodeBlock[list[i].Node];
        b.Position = list[i].Position;
        b.StageCode = list[i].Input.StageCode;
        b.DischargeCode = list[i].Input.DischargeCode;
        b.Hydrograph = MakeHydrograph(list[i].Input);
        if (b.Hydrograph) b.Hydrograph->Node = b.Node();
        b.Next = i + 1 < list.size() ? &g_BoundaryElementBlock[i + 1] : nullptr;
        b.Node()->BoundaryElement = &b;
    }
    g_BoundaryElements = list.empty() ? nullptr : &g_BoundaryElementBlock[0];
    g_ModelControl.BoundaryElementCount = g_ModelControl.BoundaryElementBlockCount = static_cast<int>(list.size());
}

// A surveyed section from station/elevation points with its banks at the first and last
// point, one roughness and one sinuosity row; the node's invert and minimum area follow it.
inline void SetSection(NodeRecord& n, const std::vector<SectionPoint>& points, double manningN, int levels)
{
    auto* t = new CrossSectionTable;
    t->Points = points;
    t->PointCount = static_cast<int>(points.size());
    t->LeftBankStation = points.front().Station;
    t->RightBankStation = points.back().Station;
    t->RoughnessRowCount = 1;
    t->RoughnessRows[0][0] = -1e6;
    t->RoughnessRows[1][0] = t->RoughnessRows[2][0] = t->RoughnessRows[3][0] = manningN;
    t->SinuosityRowCount = 1;
    t->SinuosityRows[0][0] = -1e6;
    t->SinuosityRows[1][0] = 1.0;
    t->LevelCount = levels;
    t->Properties.assign(static_cast<size_t>(SectionPropertyColumnCount) * levels, 0.0);
    n.SectionCode = levels;
    n.CrossSection = t;
    BuildCrossSectionTable(t, levels);
    n.Invert = t->LowestElevation;
    n.MinFlowArea = ComputeMinimumFlowArea(&n);
    n.ManningN = manningN;
}

// Water area below a stage at a node, as the hydraulics see it.
inline double AreaAtStage(NodeRecord& n, double stage)
{
    return ComputeFlowAreaFromStage(&n, stage);
}

// Starts a run: hydrodynamics on, node hydraulics of the initial state, time levels.
inline int StartRun()
{
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 1;
    mc.ModelTime = 0.0;
    mc.StepStartTime = 0.0;
    return InitialiseModel();
}

// One transient step of the stepping (the output schedules off): 1 accepted, 0 rejected, other
// values errors.
inline int Step()
{
    const ModelControl& mc = g_ModelControl;
    const double before = mc.ModelTime;
    const int r = TransientStep();
    if (r == 2) return 2;
    if (r != 0) return -1;
    return mc.ModelTime > before ? 1 : 0;
}

// Steps until `endTime`, landing on it exactly; `afterStep` runs after every accepted step.
// False when the run cannot progress.
inline bool RunTo(double endTime, const std::function<void()>& afterStep = {})
{
    ModelControl& mc = g_ModelControl;
    int rejections = 0;
    while (mc.ModelTime < endTime) {
        const double saved = mc.DeltaT;
        bool shortened = false;
        if (mc.ModelTime + mc.DeltaT > endTime) {
            mc.DeltaT = endTime - mc.ModelTime;
            shortened = true;
        }
        const int r = Step();
        if (r == 1) {
            rejections = 0;
            if (shortened) mc.DeltaT = std::min(saved, mc.MaxDeltaT);
            if (afterStep) afterStep();
        } else if (r == 0) {
            if (++rejections > 40) return false;
        } else {
            return false;
        }
    }
    return true;
}

// The output flags the last transient step left: series, snapshot, ice front, state file,
// database.
inline std::vector<int> DueFlags()
{
    const ModelControl& mc = g_ModelControl;
    return {mc.SeriesDue, mc.SnapshotDue, mc.IceFrontDue, mc.StateFileDue, mc.DatabaseDue};
}

// Steps of a stepping routine that returns 0 for a step made, accepted or rejected
// (TransientStep, RunWaterQualityStep), until `endTime`, landing on it; `afterStep` runs after
// every accepted step. False when a step fails or the run stalls.
inline bool AdvanceTo(int (*step)(), double endTime, const std::function<void()>& afterStep = {})
{
    ModelControl& mc = g_ModelControl;
    int rejections = 0;
    while (mc.ModelTime < endTime) {
        const double before = mc.ModelTime;
        const double saved = mc.DeltaT;
        const bool shortened = mc.ModelTime + mc.DeltaT > endTime;
        if (shortened) mc.DeltaT = endTime - mc.ModelTime;
        if (step() != 0) return false;
        if (mc.ModelTime > before) {
            rejections = 0;
            if (shortened) mc.DeltaT = std::min(saved, mc.MaxDeltaT);
            if (afterStep) afterStep();
        } else if (++rejections > 40) {
            return false;
        }
    }
    return true;
}

// Runs until the stages and discharges stop changing (largest change over `window` seconds
// below 1e-9 m or m3/s) or `limit` seconds have passed; false when the run cannot progress.
inline bool RunToSteady(double window, double limit)
{
    std::vector<double> last(2 * g_NodeBlock.size(), std::numeric_limits<double>::infinity());
    while (g_ModelControl.ModelTime < limit) {
        if (!RunTo(g_ModelControl.ModelTime + window)) return false;
        double change = 0;
        for (size_t i = 0; i < g_NodeBlock.size(); ++i) {
            change = std::max(change, std::fabs(g_NodeBlock[i].Stage - last[2 * i]));
            change = std::max(change, std::fabs(g_NodeBlock[i].Discharge - last[2 * i + 1]));
            last[2 * i] = g_NodeBlock[i].Stage;
            last[2 * i + 1] = g_NodeBlock[i].Discharge;
        }
        if (change < 1e-9) return true;
    }
    return true;
}

// Steady pseudo-time passes as the steady worker makes them: theta 1, the steady tolerance,
// model time 0 during the pass. Returns the passes made until a pass converged in one
// iteration, or -1.
inline int RunSteadyPasses(int maxPasses)
{
    ModelControl& mc = g_ModelControl;
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    for (int pass = 1; pass <= maxPasses; ++pass) {
        const double theta = es.Theta;
        const double tolerance = es.Tolerance;
        const double time = mc.ModelTime;
        es.Tolerance = es.SteadyTolerance;
        mc.SteadyIteration += 1;
        es.Theta = 1.0;
        mc.ModelTime = 0.0;
        mc.StepStartTime = 0.0;
        ShiftTimeLevel();
        const int r = SolveHydrodynamicsStep();
        if (r == 1) mc.DeltaT = std::min(mc.DeltaT * 1.5, mc.MaxDeltaT);
        mc.ModelTime = time;
        es.Theta = theta;
        es.Tolerance = tolerance;
        if (r != 0 && r != 1) return -1;
        if (r == 1 && es.IterationCount <= 1) return pass;
    }
    return -1;
}

}  // namespace testmodel
