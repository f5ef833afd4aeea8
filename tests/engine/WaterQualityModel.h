// What the water-quality tests share: switching the kinetic processes off, constant
// concentration series at boundaries, a rectangular channel in steady uniform flow set up
// directly in the engine data, the start of a water-quality run, and the mass of a value held by
// the nodes.
#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "ModelBuilder.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

namespace wqtest {

constexpr double Day = 86400.0;

// Every nutrient process off (nutrients loaded); a test switches on what it looks at.
inline void NutrientProcessesOff()
{
    ModelControl& mc = g_ModelControl;
    mc.WQFileType = WQNutrients;
    for (double* k : {&mc.Rresp, &mc.Pmax, &mc.KBOD, &mc.AOne, &mc.KSOD, &mc.Ksus, &mc.Ksed, &mc.YBOD, &mc.Un, &mc.Ub,
                      &mc.Knit, &mc.Kden, &mc.Yp, &mc.Up, &mc.KPres, &mc.KPdep, &mc.Krel, &mc.Kads})
        *k = 0;
}

// Heavy metals or xenobiotics (`type`) with every decay process off: biodegradation,
// photolysis, volatilisation and hydrolysis.
inline void DecayOff(int type)
{
    ModelControl& mc = g_ModelControl;
    mc.WQFileType = type;
    for (double* k : {&mc.Kbw, &mc.Kbs, &mc.Kpho, &mc.KH, &mc.Khac, &mc.Khne, &mc.Khal}) *k = 0;
}

// Heavy metals or xenobiotics with every process off: the dissolved value is a tracer.
inline void MetalProcessesOff(int type)
{
    DecayOff(type);
    ModelControl& mc = g_ModelControl;
    for (double* k : {&mc.Koc, &mc.Kw, &mc.KsSediment, &mc.Fbiot, &mc.Ws, &mc.Rs, &mc.Rp}) *k = 0;
}

// A water-quality series of constant concentrations (columns 1-9 of the series) for a boundary
// element, replacing the one it has.
inline void SetConstantSeries(BoundaryElementRecord& b, const std::array<double, 9>& c)
{
    delete b.WQHydrograph;
    auto* h = new WQBoundaryHydrograph;
    h->RowCount = 2;
    h->Node = b.Node();
    for (auto& column : h->Columns) column.assign(2, 0.0);
    h->Columns[0] = {0.0, 1e12};
    for (int k = 0; k < 9; ++k) h->Columns[k + 1] = {c[k], c[k]};
    b.WQHydrograph = h;
}

// Equation system 3 set up for a run of the loaded type at a fixed time step (s): theta 0.5,
// a tight tolerance, the rates of the start state.
inline void StartWaterQuality(double step, double tolerance = 1e-11)
{
    ModelControl& mc = g_ModelControl;
    mc.WaterQualityOn = 1;
    mc.DeltaT = mc.MaxDeltaT = step;
    mc.ModelTime = mc.StepStartTime = 0;
    mc.FinalTime = 1e12;
    const int date[6] = {2024, 6, 1, 0, 0, 0};
    std::copy(date, date + 6, mc.StartDate);
    std::copy(date, date + 6, mc.CurrentDate);
    EquationSystem& es = g_EquationSystems[WaterQualitySystem];
    es.UnknownsPerNode = 6;
    es.StructureBuilt = 0;
    es.Theta = 0.5;
    es.Tolerance = tolerance;
    es.MaxIterations = 20;
    for (NodeRecord* n = g_Nodes; n; n = n->Next)
        std::copy(n->WQUnknowns, n->WQUnknowns + 6, n->PreviousWQUnknowns);
    InitialiseWaterQuality();
}

// Mass of value k held by the nodes at the current level: each node's flow area (not below its
// smallest) times the value, over half of each element beside it (g for a concentration in g/m3).
inline double NodalMass(int k)
{
    double mass = 0;
    for (const ElementRecord* e = g_Elements; e; e = e->Next) {
        const double length = e->Length > 0 ? e->Length : std::fabs(e->Nodes[1]->Chainage - e->Nodes[0]->Chainage);
        for (int a = 0; a < 2; ++a) {
            const NodeRecord* n = e->Nodes[a];
            mass += 0.5 * length * std::max(n->MinFlowArea, n->FlowArea) * n->WQUnknowns[k];
        }
    }
    return mass;
}

// A straight rectangular channel of `nodes` nodes `dx` apart in steady uniform flow at the
// given depth and velocity (the bed falls at the Manning slope of that flow; still water for
// velocity 0, on a level bed), with a discharge inflow upstream and a stage hydrograph
// downstream. The hydraulics of every node are set from that state and held: the hydrodynamics
// are switched off.
struct UniformChannel {
    int nodes = 201;
    double dx = 50;
    double width = 20;
    double depth = 2;
    double velocity = 0.5;
    double manningN = 0.03;

    double Area() const { return width * depth; }
    double Discharge() const { return Area() * velocity; }
    double Slope() const
    {
        const double r = Area() / (width + 2 * depth);
        const double s = manningN * velocity / std::pow(r, 2.0 / 3.0);
        return s * s;
    }

    void Build() const
    {
        const double slope = Slope();
        const double length = (nodes - 1) * dx;
        testmodel::BuildChain(nodes, dx, [&](NodeRecord& n, int i) {
            n.RectWidth = width;
            n.ManningN = manningN;
            n.Invert = 100 + slope * (length - i * dx);
            n.HydroUnknowns[0] = n.PreviousHydroUnknowns[0] = Area();
            n.HydroUnknowns[1] = n.PreviousHydroUnknowns[1] = Discharge();
        });
        const double q = Discharge();
        testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, q)},
                                  {nodes - 1, 1, testmodel::Constant(1, 0, 100 + depth, q)}});
        ModelControl& mc = g_ModelControl;
        mc.HydrodynamicsOn = 0;
        for (NodeRecord& n : g_NodeBlock) {
            UpdateNodeHydraulics(&n);
            n.FluxDischarge = n.PreviousFluxDischarge = q;
        }
        ShiftTimeLevel();
    }
};

}  // namespace wqtest
