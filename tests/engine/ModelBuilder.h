// Builds small engine models directly in the engine data for the tests: a chain of nodes,
// two-node elements between neighbours, boundary elements with their series, and the
// stepping loops the run workers use.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
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

// One transient step as the stepping does it (without output schedules): 1 accepted,
// 0 rejected, other values errors.
inline int Step()
{
    ModelControl& mc = g_ModelControl;
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime = mc.StepStartTime + mc.DeltaT;
    const int r = SolveHydrodynamicsStep();
    if (r == 1) mc.DeltaT = std::min(mc.DeltaT * 1.5, mc.MaxDeltaT);
    if (mc.DeltaT > mc.MaxDeltaT) mc.DeltaT = mc.MaxDeltaT;
    return r;
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
