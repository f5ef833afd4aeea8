// Heat and mass budgets and Stefan growth of thermal-ice runs of vasquil-batch, on a still
// rectangular channel freezing over in constant cold air.
//
//   thermal_budget model VARIANT FORMULATION ENDS OUT
//       writes the channel as a model file: VARIANT "open" (open water at 0 degC under air at
//       -20 degC) or "snow" (a 0.2 m cover under 5 cm of snow over water at -0.01 degC, air at
//       -10 degC); FORMULATION the hydrodynamic formulation (0, 1 or 2); ENDS "closed" (no
//       flow at either end) or "held" (the level held at the downstream end)
//   thermal_budget check MODEL DB END HEAT MASS STEFAN
//       MODEL the model run, DB its database written after every accepted step, END its saved
//       final state; prints "RESULT heat H mass M stefan S": the heat imbalance H relative to
//       the heat lost to the air, the mass imbalance M relative to the mass of the ice formed,
//       and the largest relative difference S of the solid-ice thickness from Stefan's law at
//       10, 20 and 30 days. Fails when one of them exceeds its bound HEAT, MASS or STEFAN
//       ("report" puts no bound on it).
//
// The references are independent of the engine's kernels: the heat lost to the air is
// recomputed at every step from the water temperature, ice concentration and ice thickness the
// database holds, with the surface heat-flux laws of open water and of a cover under snow, and
// time-weighted as the thermal system weighs its two time levels; Stefan's law is integrated by
// Runge-Kutta.
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "CheckTool.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

namespace {

const char* const Program = "thermal_budget";

int Fail(const char* what)
{
    std::fprintf(stderr, "%s: %s\n", Program, what);
    return 1;
}

// ---------------------------------------------------------------------------------------
// The channel
// ---------------------------------------------------------------------------------------
constexpr int ChannelNodes = 11;
constexpr double NodeSpacing = 100;       // m
constexpr double ChannelWidth = 20;       // m
constexpr double ChannelDepth = 3;        // m
constexpr double ChannelInvert = 100;     // m
constexpr double SeriesEndHours = 10000;  // beyond any run of the tests

struct Variant {
    const char* Name;
    double AirTemperature;   // degC
    double WaterTemperature; // degC
    double Concentration;    // ice concentration at the start
    double IceThickness;     // m, solid ice at the start
    double SnowThickness;    // m
};
const Variant Variants[] = {
    {"open", -20, 0, 0, 0, 0},
    {"snow", -10, -0.01, 1, 0.2, 0.05},
};

// The channel has no anchor ice: its area goes with the wetted perimeter, which the thickening
// cover shortens, and so changes without heat.
int WriteChannel(const char* variantName, int formulation, const char* ends, const char* out)
{
    const Variant* v = nullptr;
    for (const Variant& candidate : Variants)
        if (std::strcmp(candidate.Name, variantName) == 0) v = &candidate;
    const bool closed = std::strcmp(ends, "closed") == 0;
    if (!v || formulation < 0 || formulation > 2 || (!closed && std::strcmp(ends, "held") != 0))
        return Fail("model: the variant is open or snow, the formulation 0, 1 or 2, the ends closed or held");
    std::FILE* f = std::fopen(out, "wb");
    if (!f) return Fail("model: cannot write the model file");
    const double level = ChannelInvert + ChannelDepth;
    std::fprintf(f,
                 " File Type = 3\n Delta t (s) = 600\n Max Delta t (s) = 1800\n Model Time (s) = 0\n"
                 " Simulation Start DateTime (YYYY MM DD HH MM SS) = 2023 01 01 00 00 00\n\n"
                 " Number of Nodes = %d\n Number of Elements = %d\n Number of  Boundary Elements = 2\n"
                 " Number of Junctions = 0\n System of units = 1\n\n"
                 " Hydrodynamics Upwinding Coefficient = 0.25\n Hydrodynamics Upwinding Updating = 0\n"
                 " Hydrodynamics Theta = 0.6\n Hydrodynamics Tolerance = 1e-05\n Hydrodynamics Formulation = %d\n"
                 " Hydrodynamics Alpha = 0.5\n\n Hydrodynamics Flow Resistance Model = 0\n"
                 " Specific Gravity of Ice = 0.917\n Number of Atmospheric Zones = 1\n"
                 " Number of User Defined Bridging Events = 0\n Minimum Water Depth = 0.05\n"
                 " Frazil Seeding Concentration = 1e-05\n Typical Frazil Particle Thickness (m) = 0.0003\n"
                 " Typical Frazil Particle Radius (m) = 0.001\n Nusselt for Typical Frazil Particle = 4\n"
                 " Coefficient of Turbulent Heat Exchange alphaWI = 1187\n"
                 " Coefficient of Turbulent Heat Exchange alphaIW = 1187\n Rate of Frazil Rise (m/s) = 0.0001\n"
                 " Rate of Surface Ice Reentrainment (one/s) = 1e-05\n"
                 " Surface Ice Reentrainment Velocity Threshold (m/s) = 1\n Frazil Slush Porosity = 0.4\n"
                 " New Pan Thickness (m) = 0.3\n Solid Ice Initial Thickness (m) = 0.001\n"
                 " Undercover Transport Frazil particle shape factor = 1\n"
                 " Undercover Transport Average Diameter of Frazil Granules in coverload = 0.01\n"
                 " Undercover Transport Critical Flow Strength = 0.041\n Anchor Ice Porosity = 0.4\n"
                 " Frazil Accretion Rate (m/s) = 0.0001\n Fraction of Bed Width Covered by Anchor Ice = 0\n"
                 " Bed Material Average Diameter (m) = 0.05\n Density of Bed Material (kg/cu m) = 2650\n"
                 " Border Ice Equation Coefficient a = 14.1\n Border Ice Equation Coefficient b = 1.08\n"
                 " Border Ice Equation Coefficient c = -0.93\n Border Ice Equation Coefficient e = 0\n"
                 " Maximum Fraction of Channel Covered by Border Ice = 0.7\n"
                 " Maximum Velocity for Border Ice Growth (m/s) = 1.2\n Velocity Mode for Border Ice Growth = 0\n"
                 " Minimum Surface Ice Concentration = 0.01\n Maximum Surface Ice Concentration = 1\n"
                 " Maximum Froude number for Juxtaposition = 0.06\n"
                 " Maximum Number of Iterations in Narrow/Equilibrium Jam Solution = 25\n"
                 " Porosity Between Ice Floes at Ice Front = 0.4\n Ice To Ice Friction Coefficient = 1.28\n"
                 " Ice Cohesion (Pa) = 0\n Water Albedo = 0.15\n Ice Cover Albedo = 0.5\n"
                 " Snow Thickness (m) = %g\n Thermal Conductivity of Water (W/m/C) = 0.56594\n"
                 " Thermal Conductivity of Ice (W/m/C) = 2.24\n Thermal Conductivity of Snow (W/m/C) = 0.3\n"
                 " Minimum Water Temperature (degC) = -0.05\n Thermal Ice Upwinding Coefficient = 0.25\n"
                 " Thermal Ice Updwinding Updating = 0\n Thermal Ice Theta = 0.5\n Thermal Ice Tolerance = 1e-05\n\n",
                 ChannelNodes, ChannelNodes - 1, formulation, v->SnowThickness);
    std::fprintf(f, " \tNode Information \n\n \tNode #\tx (km)\tinvert (m)\tWSE (m)\tthermal state\n\n");
    for (int i = 0; i < ChannelNodes; ++i) {
        // Number, river station, section code, reach, easting, northing, chainage (km), invert,
        // Manning n, width, hydro code, stage, discharge; ice velocity, water temperature,
        // frazil, anchor ice, concentration, slush, under-cover slush, solid ice, border widths
        // and area, ice roughness and its mode, zone, Hwa, Jwa, Kwa, largest Froude number, Hia.
        std::fprintf(f, "\t%d\t%g\t0\t1\t%g\t0\t%g\t%g\t0.03\t%g\t0\t%g\t0", i + 1, (ChannelNodes - 1 - i) * 0.1,
                     i * NodeSpacing, i * NodeSpacing / 1000, ChannelInvert, ChannelWidth, level);
        std::fprintf(f, "\t0\t%g\t0\t0\t%g\t0\t0\t%.17g\t0\t0\t0\t0.02\t0\t1\t20\t0\t0\t0.09\t20 \n",
                     v->WaterTemperature, v->Concentration, v->IceThickness * v->Concentration * ChannelWidth);
    }
    std::fprintf(f, "\n \tElement Information \n\n");
    for (int i = 1; i < ChannelNodes; ++i) std::fprintf(f, "\t%d\t%d\t%d\t0\t0\t0\t0\t0 \n", i, i, i + 1);
    // Upstream no inflow; downstream no outflow, or the level held. Inflow rows: time (h),
    // discharge and the six ice columns.
    std::fprintf(f, "\n \tBoundary Element Information \n\n");
    std::fprintf(f, "\t1\t1\t-1\t0\t1\t2 \n\t0\t0\t0\t0\t0\t0\t0\t0 \n\t%g\t0\t0\t0\t0\t0\t0\t0 \n \n", SeriesEndHours);
    if (closed)
        std::fprintf(f, "\t2\t%d\t1\t0\t1\t2 \n\t0\t0\t0\t0\t0\t0\t0\t0 \n\t%g\t0\t0\t0\t0\t0\t0\t0 \n \n",
                     ChannelNodes, SeriesEndHours);
    else
        std::fprintf(f, "\t2\t%d\t1\t1\t0\t2 \n\t0\t%g \n\t%g\t%g \n \n", ChannelNodes, level, SeriesEndHours, level);
    std::fprintf(f, "\n \tAtmospheric Zone \n\n\t1\t2 \n\t0\t%g\t0 \n\t%g\t%g\t0 \n \n", v->AirTemperature,
                 SeriesEndHours, v->AirTemperature);
    std::fprintf(f, "\n \tBridging Events \n\n");
    if (std::fclose(f) != 0) return Fail("model: cannot write the model file");
    std::printf("RESULT model %s %d %s\n", v->Name, formulation, ends);
    return 0;
}

// ---------------------------------------------------------------------------------------
// The budgets
// ---------------------------------------------------------------------------------------
// What the database holds of a node at one output time.
struct Row {
    double Discharge, FluxDischarge, FlowArea, Stage, WaterTemp, Energy, Concentration;
    double SlushArea, SolidIceArea, IceThickness, IceVelocity;
};

// Rows by time, each with its nodes by number.
using Rows = std::map<double, std::map<int, Row>>;

bool ReadRows(const char* path, Rows& rows)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT time_s, node_id, Qw_cms, Qf_cms, Aw_sqm, H_m, Tw_C, eWI_Jpkg, Ci, Afs_sqm, Asi_sqm, "
                      "tsi_m, UIce_mps FROM time_series";
    bool ok = sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(st) == SQLITE_ROW) {
        double v[11];
        for (int k = 0; k < 11; ++k) v[k] = sqlite3_column_double(st, k + 2);
        rows[sqlite3_column_double(st, 0)][sqlite3_column_int(st, 1)] =
            Row{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]};
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return ok && !rows.empty();
}

// What the budgets need of the model: its constants, the weather, and every node's place,
// width and heat-exchange coefficients.
struct NodeData {
    int Number;
    double Length;   // of river the node stands for, m
    double Invert, Width, Hwa, Jwa, Kwa, Hia;
};
struct Setting {
    double rho, rhoi, L, s, n, p, ki, ks, hs, waterAlbedo, iceAlbedo, minDepth;
    double thermalTheta, hydroTheta;
    std::vector<double> zoneTime, zoneAir, zoneSolar;   // s, degC, W/m2
    std::vector<NodeData> nodes;
    int downstream = -1;   // number of the node whose level is held, -1 for a closed channel
};

Setting ReadSetting()
{
    const ModelControl& mc = g_ModelControl;
    Setting s{mc.WaterDensity, mc.IceDensity, mc.LatentHeat, mc.IceSpecificGravity, mc.FrazilSlushPorosity,
              mc.AnchorIcePorosity, mc.IceConductivity, mc.SnowConductivity, mc.SnowThickness, mc.WaterAlbedo,
              mc.IceAlbedo, mc.MinWaterDepth, g_EquationSystems[ThermalIceSystem].Theta,
              g_EquationSystems[HydrodynamicSystem].Theta, {}, {}, {}, {}};
    if (const AtmosphericZoneRecord* z = g_AtmosphericZones) {
        s.zoneTime.assign(z->Time.begin(), z->Time.begin() + z->RowCount);
        s.zoneAir.assign(z->AirTemperature.begin(), z->AirTemperature.begin() + z->RowCount);
        s.zoneSolar.assign(z->SolarRadiation.begin(), z->SolarRadiation.begin() + z->RowCount);
    }
    std::map<const NodeRecord*, double> lengths;
    for (const ElementRecord* e = g_Elements; e; e = e->Next) {
        const double half = std::fabs(e->Nodes[1]->Chainage - e->Nodes[0]->Chainage) / 2;
        lengths[e->Nodes[0]] += half;
        lengths[e->Nodes[1]] += half;
    }
    for (const NodeRecord* n = g_Nodes; n; n = n->Next)
        s.nodes.push_back({n->Number, lengths[n], n->Invert, n->RectWidth, n->Hwa, n->Jwa, n->Kwa, n->Hia});
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next)
        if (b->StageCode == 1 && b->Node()) s.downstream = b->Node()->Number;
    return s;
}

// Linear interpolation in a series (the last value beyond its end, the first before its start).
double At(const std::vector<double>& times, const std::vector<double>& values, double t)
{
    if (times.empty()) return 0;
    if (t <= times.front()) return values.front();
    for (size_t k = 1; k < times.size(); ++k)
        if (t <= times[k])
            return values[k - 1] + (values[k] - values[k - 1]) * (t - times[k - 1]) / (times[k] - times[k - 1]);
    return values.back();
}

// Heat conducted up through a cover of solid ice `thickness` under the snow (W/m2), and the
// net heat lost by open water (W/m2).
double CoverFlux(const Setting& s, const NodeData& n, double air, double solar, double thickness)
{
    const double absorbed = (1 - s.iceAlbedo) * solar;
    if (!(n.Hia > 0)) return -absorbed;
    const double surface = -air * n.Hia - absorbed;
    return surface / n.Hia / (thickness / s.ki + 1 / n.Hia + s.hs / s.ks);
}
double OpenWaterFlux(const Setting& s, const NodeData& n, double air, double solar, double water)
{
    return n.Hwa * (water - air) - (air >= 0 ? n.Jwa * air : 0) + n.Kwa - (1 - s.waterAlbedo) * solar;
}

// Heat lost to the air by a node per unit time (W): open water where the surface is open, the
// cover's conduction where it is covered. Open water counts only when the surface was open at
// the time level before (`openBefore`): a cover closed at one level loses no heat through gaps
// opening within the step.
double HeatLoss(const Setting& s, const NodeData& n, const Row& r, double time, bool openBefore)
{
    const double air = At(s.zoneTime, s.zoneAir, time), solar = At(s.zoneTime, s.zoneSolar, time);
    const double c = std::min(1.0, std::max(0.0, r.Concentration));
    const double open = openBefore ? (1 - c) * OpenWaterFlux(s, n, air, solar, r.WaterTemp) : 0.0;
    return n.Width * (open + c * CoverFlux(s, n, air, solar, r.IceThickness));
}

// The floating and grounded ice of the model now in the engine, solid-equivalent area by node
// number (m2), and the stage.
struct IceState {
    double Ice, Stage;
};
std::map<int, IceState> ReadIce()
{
    const ModelControl& mc = g_ModelControl;
    std::map<int, IceState> ice;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next)
        ice[n->Number] = {(n->SlushArea + n->UnderSlushArea) * (1 - mc.FrazilSlushPorosity) + n->SolidIceArea +
                              n->BorderIceArea + (1 - mc.AnchorIcePorosity) * n->AnchorIceArea,
                          n->Stage};
    return ice;
}

// Thickness of solid ice by Stefan's law at time t (s) from `start` (m): the heat conducted up
// through ice, snow and the air film freezes water at the bottom of the cover.
double StefanThickness(const Setting& s, const NodeData& n, double start, double t)
{
    const int steps = 20000;
    const double h = t / steps;
    const auto rate = [&](double thickness, double time) {
        return CoverFlux(s, n, At(s.zoneTime, s.zoneAir, time), At(s.zoneTime, s.zoneSolar, time), thickness) /
               (s.rhoi * s.L);
    };
    double y = start;
    for (int k = 0; k < steps; ++k) {
        const double time = k * h;
        const double k1 = rate(y, time), k2 = rate(y + h / 2 * k1, time + h / 2);
        const double k3 = rate(y + h / 2 * k2, time + h / 2), k4 = rate(y + h * k3, time + h);
        y += h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
    }
    return y;
}

// The solid-ice thickness of a node at time t, interpolated between the rows around it.
double ThicknessAt(const Rows& rows, int node, double t)
{
    auto after = rows.lower_bound(t);
    if (after == rows.end()) return rows.rbegin()->second.at(node).IceThickness;
    if (after == rows.begin() || after->first == t) return after->second.at(node).IceThickness;
    auto before = std::prev(after);
    const double a = before->second.at(node).IceThickness, b = after->second.at(node).IceThickness;
    return a + (b - a) * (t - before->first) / (after->first - before->first);
}

bool WithinBound(const char* bound, double value)
{
    return std::strcmp(bound, "report") == 0 || (std::isfinite(value) && value <= std::strtod(bound, nullptr));
}

int CheckBudgets(const char* model, const char* database, const char* end, const char* heatBound,
                 const char* massBound, const char* stefanBound)
{
    if (ReadModel(Program, model) != 0) return 1;
    const Setting s = ReadSetting();
    const std::map<int, IceState> ice0 = ReadIce();
    ReleaseModel();
    Rows rows;
    if (!ReadRows(database, rows)) return Fail("cannot read the rows of the database");
    if (ReadModel(Program, end) != 0) return 1;
    const std::map<int, IceState> ice1 = ReadIce();
    for (const Rows::value_type& r : rows)
        if (r.second.size() != s.nodes.size()) return Fail("an output time without a row for every node");

    // Heat lost to the air over every step, and what left through the held end: water with its
    // heat, and drifting surface ice (the database holds no slush under the cover, which moves
    // with the water and is left out).
    double lost = 0, heatOut = 0, waterOut = 0, iceOut = 0;
    for (auto it = std::next(rows.begin()); it != rows.end(); ++it) {
        const auto& [t0, before] = *std::prev(it);
        const auto& [t1, now] = *it;
        const double dt = t1 - t0;
        for (const NodeData& n : s.nodes) {
            const Row& a = before.at(n.Number);
            const Row& b = now.at(n.Number);
            lost += n.Length * dt *
                    ((1 - s.thermalTheta) * HeatLoss(s, n, a, t0, true) +
                     s.thermalTheta * HeatLoss(s, n, b, t1, a.Concentration < 1));
            if (n.Number == s.downstream) {
                heatOut += s.rho * dt *
                           ((1 - s.thermalTheta) * a.Energy * a.FluxDischarge +
                            s.thermalTheta * b.Energy * b.FluxDischarge);
                waterOut += s.rho * dt * ((1 - s.hydroTheta) * a.Discharge + s.hydroTheta * b.Discharge);
                const auto drifting = [&](const Row& r) {
                    return r.IceVelocity * ((1 - s.n) * r.SlushArea + r.SolidIceArea);
                };
                iceOut += dt * ((1 - s.thermalTheta) * drifting(a) + s.thermalTheta * drifting(b));
            }
        }
    }

    // Heat stored in the water (its energy over the flow area), latent heat of the ice, and the
    // mass of water and ice, at the start and at the end.
    const auto water = [&](const std::map<int, Row>& r) {
        double sum = 0;
        for (const NodeData& n : s.nodes) {
            const Row& x = r.at(n.Number);
            sum += n.Length * s.rho * std::max(n.Width * s.minDepth, x.FlowArea) * x.Energy;
        }
        return sum;
    };
    const auto latent = [&](const std::map<int, IceState>& ice) {
        double sum = 0;
        for (const NodeData& n : s.nodes) sum += n.Length * s.rhoi * s.L * ice.at(n.Number).Ice;
        return sum;
    };
    // Water below the stage not displaced by the floating ice (the grounded ice fills its own
    // volume), and the ice.
    const auto mass = [&](const std::map<int, IceState>& ice) {
        double sum = 0;
        for (const NodeData& n : s.nodes) {
            const IceState& x = ice.at(n.Number);
            const double gross = (x.Stage - n.Invert) * n.Width;
            sum += n.Length * (s.rho * (gross - s.s * x.Ice) + s.rhoi * x.Ice);
        }
        return sum;
    };
    const double waterHeat = water(rows.rbegin()->second) - water(rows.begin()->second);
    const double iceHeat = latent(ice1) - latent(ice0) + s.rhoi * s.L * iceOut;
    const double heat = std::fabs(lost + waterHeat + heatOut - iceHeat) / std::fabs(lost);
    const double iceMass = iceHeat / s.L;
    const double massChange = mass(ice1) - mass(ice0) + waterOut + s.rhoi * iceOut;
    const double massImbalance = std::fabs(massChange) / std::fabs(iceMass);
    std::printf("heat lost to the air %.9e J, ice formed %.9e J, water heat change %.9e J, out %.9e J\n", lost,
                iceHeat, waterHeat, heatOut);
    std::printf("ice formed %.9e kg, water and ice mass change %.9e kg (water out %.9e kg, ice out %.9e kg)\n",
                iceMass, massChange, waterOut, s.rhoi * iceOut);

    double stefan = 0;
    for (double days : {10.0, 20.0, 30.0}) {
        const double t = days * 86400;
        for (const NodeData& n : s.nodes) {
            const double expected = StefanThickness(s, n, rows.begin()->second.at(n.Number).IceThickness, t);
            const double got = ThicknessAt(rows, n.Number, t);
            const double error = std::fabs(got - expected) / expected;
            if (n.Number == (ChannelNodes + 1) / 2)
                std::printf("day %g: ice %.4f m, Stefan %.4f m (error %.2e)\n", days, got, expected, error);
            stefan = std::max(stefan, error);
        }
    }
    std::printf("RESULT heat %.3e mass %.3e stefan %.3e\n", heat, massImbalance, stefan);
    const bool ok = WithinBound(heatBound, heat) && WithinBound(massBound, massImbalance) &&
                    WithinBound(stefanBound, stefan);
    return ok ? 0 : Fail("a budget or the growth is beyond its bound");
}

}  // namespace

int main(int argc, char** argv)
{
    int result = 2;
    if (argc == 6 && std::strcmp(argv[1], "model") == 0)
        result = WriteChannel(argv[2], std::atoi(argv[3]), argv[4], argv[5]);
    else if (argc == 8 && std::strcmp(argv[1], "check") == 0)
        result = CheckBudgets(argv[2], argv[3], argv[4], argv[5], argv[6], argv[7]);
    else
        std::fprintf(stderr, "usage: %s model VARIANT FORMULATION ENDS OUT | check MODEL DB END HEAT MASS STEFAN\n",
                     Program);
    ReleaseModel();
    return result;
}
