// Thermal-ice models for the tests, built on the chains of ModelBuilder.h: the switches of a
// File Type 3 run, one atmospheric zone of constant weather, water temperatures and frazil
// as energies, inflow series with their thermal columns, the lumped length of every node, and
// an independent enthalpy of water.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/EngineData.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ModelBuilder.h"

namespace testmodel {

// Enthalpy of water (J/kg) as a function of its temperature (degC), and the energy of a mixture
// of water and frazil at concentration cf (the latent heat of the frazil taken out).
inline double WaterEnthalpy(double t)
{
    return (0.076 * t * t - 3.31 * t + 4217.6) * t;
}
inline double MixtureEnergy(double t, double cf)
{
    const ModelControl& mc = g_ModelControl;
    return WaterEnthalpy(t) * (1 - cf) - mc.IceSpecificGravity * cf * mc.LatentHeat;
}

// Switches the built model to thermal ice: File Type 3 with the thermal system on, and one zone of
// constant air temperature and solar radiation for every node.
inline void MakeThermal(double airTemperature, double solarRadiation = 0.0)
{
    ModelControl& mc = g_ModelControl;
    mc.FileType = 3;
    mc.ThermalIceOn = 1;
    mc.ThermalMode = 1;
    mc.IceDensity = mc.IceSpecificGravity * mc.WaterDensity;
    g_AtmosphericZoneBlock.assign(1, AtmosphericZoneRecord{});
    AtmosphericZoneRecord& zone = g_AtmosphericZoneBlock[0];
    zone.Number = 1;
    zone.RowCount = 2;
    zone.Time = {0.0, 1e10};
    zone.AirTemperature = {airTemperature, airTemperature};
    zone.SolarRadiation = {solarRadiation, solarRadiation};
    g_AtmosphericZones = &zone;
    mc.AtmosphericZoneCount = 1;
    for (NodeRecord& n : g_NodeBlock) {
        n.ZoneNumber = 1;
        n.Zone = &zone;
    }
}

// Still water in the chain: no inflow at its first node, the level held at its last.
inline void HoldStill(double level)
{
    const int last = static_cast<int>(g_NodeBlock.size()) - 1;
    SetBoundaries({{0, -1, Constant(0, 1, 0, 0.0)}, {last, 1, Constant(1, 0, level, 0.0)}});
}

// The water of a node at temperature t with frazil concentration cf (both levels).
inline void SetWater(NodeRecord& n, double t, double cf = 0.0)
{
    n.ThermalUnknowns[0] = n.PreviousThermalUnknowns[0] = MixtureEnergy(t, cf);
    n.ThermalUnknowns[1] = n.PreviousThermalUnknowns[1] = cf;
    n.WaterTemp = n.PreviousWaterTemp = t;
    n.FrazilConcentration = cf;
}

// Sets thermal series columns of a boundary element: water temperature, frazil, ice velocity,
// ice concentration, slush and solid-ice thicknesses, constant in time.
struct InflowIce {
    double Temperature = 0, Frazil = 0, IceVelocity = 0, Concentration = 0, Slush = 0, Solid = 0;
};
inline void SetInflowIce(BoundaryElementRecord& b, const InflowIce& in)
{
    BoundaryHydrograph* h = b.Hydrograph;
    const size_t rows = static_cast<size_t>(h->RowCount);
    h->Columns[3].assign(rows, in.IceVelocity);
    h->Columns[4].assign(rows, in.Temperature);
    h->Columns[5].assign(rows, in.Frazil);
    h->Columns[6].assign(rows, in.Concentration);
    h->Columns[7].assign(rows, in.Slush);
    h->Columns[8].assign(rows, in.Solid);
}

// Heat a node loses to the air per unit time at one time level (W per m of river): open water
// where the surface is open, conduction up through the cover where it is covered. At the current
// level open water counts only while the surface was open at the previous one (a surface closed
// at the step start loses nothing through gaps that open within the step).
inline double SurfaceHeatLoss(const NodeRecord& n, bool previous)
{
    const double c = previous ? n.PreviousIceConcentration : n.IceConcentration;
    const double width = previous ? n.PreviousIceCoveredWidth : n.IceCoveredWidth;
    const double qn = previous ? n.PreviousNetHeatFlux : n.NetHeatFlux;
    const double qc = previous ? n.PreviousCoverHeatFlux : n.CoverHeatFlux;
    const bool open = previous || n.PreviousIceConcentration < 1;
    return width * ((open ? (1 - c) * qn : 0.0) + std::min(c, 1.0) * qc);
}

// Ice at a node as solid ice (m2 of the section): the ice of the surface slush, the slush under
// the cover and the anchor ice, the solid and the border ice; suspended frazil is part of the
// water's energy.
inline double IceArea(const NodeRecord& n, bool previous)
{
    const ModelControl& mc = g_ModelControl;
    const double slush = previous ? n.PreviousSlushArea + n.PreviousUnderSlushArea : n.SlushArea + n.UnderSlushArea;
    const double solid = previous ? n.PreviousSolidIceArea : n.SolidIceArea;
    const double anchor = previous ? n.PreviousAnchorIceArea : n.AnchorIceArea;
    return slush * (1 - mc.FrazilSlushPorosity) + solid + n.BorderIceArea + (1 - mc.AnchorIcePorosity) * anchor;
}

// Length of river each node stands for: half of every element it belongs to (a junction branch
// by its own length).
inline std::vector<double> LumpedLengths()
{
    std::vector<double> lengths(g_NodeBlock.size(), 0.0);
    for (const ElementRecord* e = g_Elements; e; e = e->Next) {
        const double length =
            e->Length > 0 ? e->Length : std::fabs(e->Nodes[1]->Chainage - e->Nodes[0]->Chainage);
        lengths[e->Nodes[0]->Index] += length / 2;
        lengths[e->Nodes[1]->Index] += length / 2;
    }
    return lengths;
}

// Classical fourth-order Runge-Kutta for dy/dt = f(y) over `duration` in `steps` steps.
template <typename State, typename Rate>
State IntegrateRK4(State y, const Rate& f, double duration, int steps)
{
    const double h = duration / steps;
    for (int i = 0; i < steps; ++i) {
        const State k1 = f(y);
        const State k2 = f(y + 0.5 * h * k1);
        const State k3 = f(y + 0.5 * h * k2);
        const State k4 = f(y + h * k3);
        y = y + (h / 6) * (k1 + 2.0 * k2 + 2.0 * k3 + k4);
    }
    return y;
}

}  // namespace testmodel
