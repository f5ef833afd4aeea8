// Thermal ice processes: the water temperature of a mixture, heat exchange with the air in
// still water against ODE integrations, ice growth under a cover against Stefan's law, frazil
// growth in supercooled water, and the unknowns a step solves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "engine/WaterQuality.h"
#include "tests/engine/ChannelReferences.h"
#include "tests/engine/ModelFixtures.h"
#include "tests/engine/StepRetry.h"
#include "tests/engine/ThermalModel.h"
#include "tests/engine/WaterQualityModel.h"

namespace {

using testmodel::MixtureEnergy;
using testmodel::WaterEnthalpy;

class ThermalIce : public testmodel::FreshModelTest<> {};

TEST_F(ThermalIce, WaterTemperatureIsTheRootOfTheMixtureEnergy)
{
    const double temperatures[] = {-0.05, -0.01, -1e-6, 1e-6, 0.004, 0.5, 1, 3.98, 10, 22.5, 30};
    const double frazil[] = {0, 1e-7, 1e-4, 0.003, 0.01};
    for (double cf : frazil) {
        for (double t : temperatures) {
            const double e = MixtureEnergy(t, cf);
            const double root = testmodel::Bisect([&](double x) { return MixtureEnergy(x, cf) - e; }, -5, 60);
            EXPECT_NEAR(ComputeWaterTemperature(e, cf), root, 1e-10) << "T " << t << " Cf " << cf;
        }
        // The freezing point of the mixture is exactly 0, however much frazil it carries.
        const ModelControl& mc = g_ModelControl;
        EXPECT_EQ(ComputeWaterTemperature(-mc.IceSpecificGravity * cf * mc.LatentHeat, cf), 0.0) << cf;
        EXPECT_NEAR(ComputeMixtureEnergy(2.5, cf), MixtureEnergy(2.5, cf), 1e-9);
    }
    // Near the freezing point a temperature comes back from its energy to its last digits, not
    // only to within some 1e-31 degC.
    for (double t : {1e-9, -1e-12, 1e-20, 2.5e-25, -1e-30, 1e-100, -3e-300})
        EXPECT_NEAR(ComputeWaterTemperature(ComputeMixtureEnergy(t, 0), 0), t, 1e-14 * std::fabs(t)) << t;
}

// The energy a node is read or edited with is the mixture energy of the independent reference,
// and the water temperature is its root.
TEST_F(ThermalIce, NodeThermalEnergyIsTheMixtureEnergy)
{
    for (double cf : {0.0, 1e-5, 0.002, 0.01})
        for (double t : {-0.02, 0.0, 0.3, 2.0, 12.5, 28.0}) {
            const double e = ComputeNodeThermalEnergy(t, cf);
            EXPECT_NEAR(e, MixtureEnergy(t, cf), 1e-9 * std::fabs(MixtureEnergy(t, cf)) + 1e-9) << t << " " << cf;
            EXPECT_NEAR(ComputeWaterTemperature(e, cf), t, 1e-12) << t << " " << cf;
        }
}

TEST_F(ThermalIce, NodeWaterTemperatureNeverFallsBelowTheMinimum)
{
    NodeRecord n;
    SetNodeDefaults(&n);
    n.RectWidth = 10;
    for (double e : {-5000.0, -1e6, MixtureEnergy(-0.049, 0)}) {
        n.ThermalUnknowns[0] = e;
        UpdateNodeThermalState(&n);
        EXPECT_GE(n.WaterTemp, g_ModelControl.MinWaterTemperature) << e;
    }
    EXPECT_NEAR(n.WaterTemp, -0.049, 1e-12);
    n.ThermalUnknowns[0] = -1e6;
    UpdateNodeThermalState(&n);
    EXPECT_EQ(n.WaterTemp, g_ModelControl.MinWaterTemperature);
}

// A node refresh writes no field its copy does not name, and copying the named fields out and
// back undoes a refresh at other unknowns, byte for byte: the differencing of the thermal system
// puts its nodes back that way. States of open, supercooled and ice-covered water, with and
// without slush congestion (whose hysteresis and slowed slush a refresh keeps).
TEST_F(ThermalIce, ACopyOfTheRefreshedFieldsUndoesARefresh)
{
    struct Field {
        size_t Offset, Size;
    };
    std::vector<Field> fields;
#define VASQUIL_THERMAL_FIELD(type, name) fields.push_back({offsetof(NodeRecord, name), sizeof(type)});
    VASQUIL_NODE_THERMAL_OUTPUTS(VASQUIL_THERMAL_FIELD)
#undef VASQUIL_THERMAL_FIELD
    fields.push_back({offsetof(NodeRecord, SlushElevations), sizeof(double[2])});
    auto declared = [&](size_t byte) {
        for (const Field& f : fields)
            if (byte >= f.Offset && byte < f.Offset + f.Size) return true;
        return false;
    };
    testmodel::MakeThermal(-10.0, 50.0);
    NodeRecord before, after;
    SetNodeDefaults(&before);
    SetNodeDefaults(&after);
    before.Chainage = 0;
    after.Chainage = 400;
    // Unknowns: energy, frazil, slush under the cover, concentration, surface slush, solid ice.
    const double open[6] = {MixtureEnergy(3.0, 0), 0, 0, 0, 0, 0};
    const double supercooled[6] = {MixtureEnergy(-0.02, 0.001), 0.001, 0.5, 0.3, 0.8, 1.5};
    const double covered[6] = {MixtureEnergy(0, 0.002), 0.002, 30, 1.0, 20, 6};
    const double* states[][2] = {{open, supercooled}, {supercooled, open}, {open, covered},
                                 {covered, open}, {supercooled, covered}, {covered, supercooled}};
    for (const auto& pair : states) {
        NodeRecord node, start, atA;
        SetNodeDefaults(&node);
        node.RectWidth = 20;
        node.Invert = 100;
        node.Stage = 102;
        node.GrossArea = node.FlowArea = 40;
        node.HydraulicDepth = 2;
        node.Velocity = node.ThermalVelocity = 0.6;
        node.Discharge = 24;
        node.AnchorIceArea = 0.4;
        node.BorderIceArea = 1.0;
        node.BorderFraction = 0.2;
        node.IceDrag = 3;
        node.SinuosityRatio = 1;
        node.PreviousSlushArea = node.PreviousUnderSlushArea = 5;
        node.Hwa = 20;
        node.Jwa = 1;
        node.Kwa = 30;
        node.Hia = 15;
        node.AirTemperature = -10;
        node.SolarRadiation = 50;
        node.Chainage = 200;
        node.Previous = &before;
        node.Next = &after;
        std::copy(pair[0], pair[0] + 6, node.ThermalUnknowns);
        std::memcpy(static_cast<void*>(&start), &node, sizeof node);
        UpdateNodeThermalState(&node);
        const auto* b0 = reinterpret_cast<const unsigned char*>(&start);
        const auto* b1 = reinterpret_cast<const unsigned char*>(&node);
        for (size_t k = 0; k < sizeof node; ++k) {
            if (b0[k] != b1[k]) {
                ASSERT_TRUE(declared(k)) << "undeclared byte " << k;
            }
        }

        std::memcpy(static_cast<void*>(&atA), &node, sizeof node);
        NodeThermalCopy copy;
        SaveNodeThermalState(&node, &copy);
        std::copy(pair[1], pair[1] + 6, node.ThermalUnknowns);
        UpdateNodeThermalState(&node);
        EXPECT_NE(std::memcmp(&node, &atA, sizeof node), 0);
        std::copy(pair[0], pair[0] + 6, node.ThermalUnknowns);
        RestoreNodeThermalState(&node, &copy);
        EXPECT_EQ(std::memcmp(&node, &atA, sizeof node), 0);
    }
}

// The assembly of a step of six unknowns is the same bit for bit whether the kernel keeps the
// previous level at its points or interpolates it at every evaluation, at the first iteration
// and at a later one; and a hold made after the previous level changed keeps the new one.
TEST_F(ThermalIce, KeepingThePreviousLevelLeavesTheAssemblyAsItWas)
{
    constexpr int kNodes = 6;
    constexpr double kDischarge = 20, kSlope = 0.0004, kN = 0.03;
    testmodel::BuildChain(kNodes, 200, [&](NodeRecord& node, int i) {
        const double z = kSlope * (kNodes - 1 - i) * 200;
        testmodel::SetSection(node, {{0, z + 4}, {8, z}, {28, z}, {36, z + 4}}, kN, 40);
    });
    const double yn = testmodel::NormalDepth(kDischarge, 20, 2, kN, kSlope);
    for (NodeRecord& n : g_NodeBlock) {
        n.HydroUnknowns[0] = testmodel::AreaAtStage(n, n.Invert + yn);
        n.HydroUnknowns[1] = kDischarge;
    }
    testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, kDischarge)},
                              {kNodes - 1, 1, testmodel::Constant(1, 0, g_NodeBlock.back().Invert + yn, 0)}});
    testmodel::MakeThermal(-12.0, 0.0);
    testmodel::SetInflowIce(g_BoundaryElementBlock[0], {0, 0, 0, 0.2, 0.1, 0.05});
    for (int i = 0; i < kNodes; ++i) {
        NodeRecord& n = g_NodeBlock[i];
        testmodel::SetWater(n, -0.01 * i, 1e-4 * i);
        n.ThermalUnknowns[3] = n.PreviousThermalUnknowns[3] = 0.1 + 0.05 * i;
        n.ThermalUnknowns[4] = n.PreviousThermalUnknowns[4] = 0.3 * i;
        n.ThermalUnknowns[5] = n.PreviousThermalUnknowns[5] = 0.2 + 0.1 * i;
    }
    ModelControl& mc = g_ModelControl;
    mc.DeltaT = mc.MaxDeltaT = 300;
    ASSERT_EQ(testmodel::StartRun(), 0);
    mc.HydrodynamicsOn = 0;
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;
    ASSERT_EQ(SolveThermalIceStep(), 1);
    ASSERT_EQ(g_EquationSystems[ThermalIceSystem].UnknownsPerNode, 6);
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;

    const EquationSystem& es = g_EquationSystems[ThermalIceSystem];
    const auto assemble = [&](bool keep) {
        std::vector<double> all;
        const ThermalPreviousLevelHold hold(keep);
        for (int iteration = 0; iteration < 2; ++iteration) {
            EXPECT_EQ(AssembleProfileMatrix(ThermalIceSystem), Assembled);
            all.insert(all.end(), es.Rhs.begin(), es.Rhs.end());
            all.insert(all.end(), es.UpperProfile.begin(), es.UpperProfile.end());
            all.insert(all.end(), es.LowerProfile.begin(), es.LowerProfile.end());
            EXPECT_EQ(SolveAndUpdate(ThermalIceSystem), 0);
        }
        return all;
    };
    // Each pass starts from the same unknowns.
    std::vector<double> start;
    for (const NodeRecord& n : g_NodeBlock) start.insert(start.end(), n.ThermalUnknowns, n.ThermalUnknowns + 6);
    const auto restart = [&] {
        for (int i = 0; i < kNodes; ++i) std::copy_n(start.data() + 6 * i, 6, g_NodeBlock[i].ThermalUnknowns);
    };
    const std::vector<double> interpolated = assemble(false);
    restart();
    const std::vector<double> kept = assemble(true);
    ASSERT_EQ(kept.size(), interpolated.size());
    EXPECT_EQ(std::memcmp(kept.data(), interpolated.data(), kept.size() * sizeof(double)), 0);

    for (NodeRecord& n : g_NodeBlock) n.PreviousThermalEnergy += 50.0;
    restart();
    const std::vector<double> changed = assemble(true);
    restart();
    const std::vector<double> changedInterpolated = assemble(false);
    EXPECT_NE(changed, kept);
    EXPECT_EQ(std::memcmp(changed.data(), changedInterpolated.data(), changed.size() * sizeof(double)), 0);
}

// A still rectangular lake of uniform depth whose water exchanges heat with constant air: no
// inflow at its upstream end, its level held at the downstream end.
struct Lake {
    double depth, width, airTemperature, water;
};

void BuildLake(const Lake& lake, int nodes = 5)
{
    testmodel::BuildChain(nodes, 100, [&](NodeRecord& n, int) {
        n.RectWidth = lake.width;
        n.ManningN = 0.03;
        n.HydroUnknowns[0] = lake.width * lake.depth;
    });
    testmodel::HoldStill(lake.depth);
    testmodel::MakeThermal(lake.airTemperature);
    for (NodeRecord& n : g_NodeBlock) {
        testmodel::SetWater(n, lake.water);
        n.Jwa = n.Kwa = 0;
    }
    ModelControl& mc = g_ModelControl;
    mc.DeltaT = mc.MaxDeltaT = 600;
    ASSERT_EQ(testmodel::StartRun(), 0);
}

TEST_F(ThermalIce, StillWaterRelaxesTowardsTheAirAsItsHeatBalance)
{
    // rho d dh(T)/dt = -Hwa (T - Ta), integrated by Runge-Kutta; the crossings of 1 degC switch
    // the step between one and two unknowns per node.
    struct Case {
        const char* name;
        Lake lake;
        double hours;
        int unknownsAtEnd;
    };
    const Case cases[] = {
        {"shallow, cooling through 1 degC", {1.0, 20, 0.3, 6.0}, 150, 2},
        {"deep, cooling", {4.0, 30, 2.0, 12.0}, 96, 1},
        {"shallow, warming through 1 degC", {1.0, 20, 9.0, 0.4}, 48, 1},
        {"deep, warming", {4.0, 30, 15.0, 2.0}, 96, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildLake(c.lake);
        const double hwa = g_NodeBlock[0].Hwa;
        const double rho = g_ModelControl.WaterDensity;
        const auto dTdt = [&](double t) {
            const double slope = 0.228 * t * t - 6.62 * t + 4217.6;   // dh/dT
            return -hwa * (t - c.lake.airTemperature) / (rho * c.lake.depth * slope);
        };
        ASSERT_TRUE(testmodel::AdvanceTo(TransientStep, c.hours * 3600));
        const double expected = testmodel::IntegrateRK4(c.lake.water, dTdt, c.hours * 3600, 20000);
        const double scale = std::fabs(c.lake.water - c.lake.airTemperature);
        double worst = 0;
        for (const NodeRecord& n : g_NodeBlock) {
            EXPECT_NEAR(n.WaterTemp, expected, 0.005 * scale);
            worst = std::max(worst, std::fabs(n.WaterTemp - expected) / scale);
        }
        std::printf("relaxation (%s): error %.2e of T0 - Ta\n", c.name, worst);
        EXPECT_EQ(g_EquationSystems[ThermalIceSystem].UnknownsPerNode, c.unknownsAtEnd);
        // The crossing happened: the end lies on the other side of 1 degC where the case says so.
        if (c.unknownsAtEnd == 2) {
            EXPECT_LT(expected, 1.0);
        }
    }
}

TEST_F(ThermalIce, UnknownsFollowTheColdestWaterAndTheIce)
{
    struct Case {
        const char* name;
        double water, frazil, concentration, anchor;
        int unknowns;
    };
    const Case cases[] = {
        {"all water at 1 degC or warmer", 1.0, 0, 0, 0, 1},
        {"water below 1 degC", 0.6, 0, 0, 0, 2},
        {"supercooled water without frazil", -0.01, 0, 0, 0, 2},
        {"supercooled water with frazil", -0.01, 1e-6, 0, 0, 6},
        {"surface ice", 2.0, 0, 0.2, 0, 6},
        {"anchor ice", 2.0, 0, 0, 0.01, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildLake({2.0, 20, 5.0, 5.0}, 4);
        NodeRecord& n = g_NodeBlock[2];
        testmodel::SetWater(n, c.water, c.frazil);
        n.ThermalUnknowns[3] = c.concentration;
        n.AnchorIceThickness = c.anchor;
        UpdateNodeThermalState(&n);
        n.AnchorIceThickness = c.anchor;
        g_ModelControl.HydrodynamicsOn = 0;
        ShiftTimeLevel();
        g_ModelControl.ModelTime += g_ModelControl.DeltaT;
        ASSERT_EQ(SolveThermalIceStep(), 1);
        EXPECT_EQ(g_EquationSystems[ThermalIceSystem].UnknownsPerNode, c.unknowns);
    }
}

TEST_F(ThermalIce, IceUnderAFullCoverGrowsByStefansLaw)
{
    // Water at 0 degC under a closed cover in air at Ta: the heat conducted through the ice and the
    // air film freezes water at its bottom, t^2 / (2 ki) + t / Hia = -Ta time / (rhoi L) + const.
    const double air = -12, t0 = 0.02, width = 30;
    BuildLake({5.0, width, air, 0.0}, 4);
    for (NodeRecord& n : g_NodeBlock) {
        n.ThermalUnknowns[3] = n.PreviousThermalUnknowns[3] = 1.0;
        n.ThermalUnknowns[5] = n.PreviousThermalUnknowns[5] = t0 * width;
    }
    ASSERT_EQ(testmodel::StartRun(), 0);
    // The water stays still under the cover: only the thermal system is solved.
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 0;
    mc.DeltaT = mc.MaxDeltaT = 3600;
    const double days = 30, time = days * 86400;
    ASSERT_TRUE(testmodel::AdvanceTo(TransientStep, time));

    const double ki = mc.IceConductivity, hia = g_NodeBlock[0].Hia;
    const double rhs = -air * time / (mc.IceDensity * mc.LatentHeat) + t0 * t0 / (2 * ki) + t0 / hia;
    const double expected = (-1 / hia + std::sqrt(1 / (hia * hia) + 2 * rhs / ki)) * ki;
    std::printf("Stefan growth under a cover: %.4f m after %g days, error %.2e\n", g_NodeBlock[1].IceThickness, days,
                std::fabs(g_NodeBlock[1].IceThickness - expected) / expected);
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(n.IceThickness, expected, 0.01 * expected);
        EXPECT_EQ(n.WaterTemp, 0.0);
        EXPECT_EQ(n.IceConcentration, 1.0);
    }
}

TEST_F(ThermalIce, StillWaterFreezesOverByStefansLawWithTheHeatItLoses)
{
    // Still water freezing over from open water at the freezing point, or under a cover with
    // snow over supercooled water: the ice thickens as the heat conducted up through the ice, the
    // snow and the air film freezes water at its bottom, dti/dt = (0 - Ta) / (ti / ki + hs / ks +
    // 1 / Hia) / (rhoi L), and the heat lost to the air is the latent heat of the ice formed and
    // the heat the water gave.
    struct Case {
        const char* name;
        double air, water, cover, thickness, snow;
    };
    const Case cases[] = {
        {"open water at the freezing point", -20, 0.0, 0, 0, 0},
        {"a cover with snow over supercooled water", -10, -0.01, 1, 0.2, 0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double width = 20, depth = 3;
        BuildLake({depth, width, c.air, c.water}, 5);
        ModelControl& mc = g_ModelControl;
        mc.SnowThickness = c.snow;
        for (NodeRecord& n : g_NodeBlock) {
            n.ThermalUnknowns[3] = n.PreviousThermalUnknowns[3] = c.cover;
            n.ThermalUnknowns[5] = n.PreviousThermalUnknowns[5] = c.thickness * c.cover * width;
        }
        ASSERT_EQ(testmodel::StartRun(), 0);
        mc.HydrodynamicsOn = 0;
        mc.DeltaT = 600;
        mc.MaxDeltaT = 1800;
        const std::vector<double> lengths = testmodel::LumpedLengths();
        const double theta = g_EquationSystems[ThermalIceSystem].Theta;
        const auto stored = [&](bool previous) {
            double sum = 0;
            for (const NodeRecord& n : g_NodeBlock) {
                // The water's heat less the latent heat of the ice, J.
                const double area = std::max(n.MinFlowArea, previous ? n.PreviousFlowArea : n.FlowArea);
                const double energy = previous ? n.PreviousThermalEnergy : n.ThermalEnergy;
                sum += lengths[n.Index] * (mc.WaterDensity * area * energy -
                                           mc.IceDensity * mc.LatentHeat * testmodel::IceArea(n, previous));
            }
            return sum;
        };
        double lost = 0;
        const double start = stored(false);
        double time = 0;
        const auto rate = [&](double t) {
            const double resistance = t / mc.IceConductivity + c.snow / mc.SnowConductivity + 1 / g_NodeBlock[0].Hia;
            return -c.air / resistance / (mc.IceDensity * mc.LatentHeat);
        };
        double expected = c.thickness;
        for (double days : {10, 20, 30}) {
            ASSERT_TRUE(testmodel::AdvanceTo(TransientStep, days * 86400, [&] {
                double step = 0;
                for (const NodeRecord& n : g_NodeBlock)
                    step += lengths[n.Index] * (theta * testmodel::SurfaceHeatLoss(n, false) +
                                                (1 - theta) * testmodel::SurfaceHeatLoss(n, true));
                lost += step * (mc.ModelTime - mc.StepStartTime);
            }));
            expected = testmodel::IntegrateRK4(expected, rate, days * 86400 - time, 20000);
            time = days * 86400;
            for (const NodeRecord& n : g_NodeBlock) EXPECT_NEAR(n.IceThickness, expected, 1e-3 * expected) << days;
            std::printf("%s: %.4f m after %g days, error %.2e\n", c.name, g_NodeBlock[2].IceThickness, days,
                        std::fabs(g_NodeBlock[2].IceThickness - expected) / expected);
        }
        const double imbalance = std::fabs(start - stored(false) - lost) / lost;
        std::printf("%s: heat imbalance %.2e of the heat lost\n", c.name, imbalance);
        EXPECT_LT(imbalance, 1e-9);
    }
}

// The two-variable state of the frazil reference.
struct Mixture {
    double e, cf;
};
Mixture operator+(Mixture a, Mixture b) { return {a.e + b.e, a.cf + b.cf}; }
Mixture operator*(double k, Mixture a) { return {k * a.e, k * a.cf}; }

TEST_F(ThermalIce, FrazilGrowsInSupercooledWaterAsItsHeatBalance)
{
    // Open still water losing heat to cold air: the water supercools, frazil nucleates on the
    // seed crystals and grows by the heat its crystals shed, d(A Cf)/dt = -qf / (rhoi L), while
    // rho A de/dt = -B Hwa (T - Ta) with T the mixture's temperature (floored at the minimum).
    // No ice rises or forms on the surface here (no rise velocity, no air film over ice).
    const double depth = 1.5, width = 20, air = -15;
    BuildLake({depth, width, air, 0.02}, 4);
    ModelControl& mc = g_ModelControl;
    mc.FrazilRiseRate = 0;
    mc.AnchorIceBedFraction = 0;
    for (NodeRecord& n : g_NodeBlock) n.Hia = 0;
    mc.DeltaT = mc.MaxDeltaT = 20;

    const double hwa = g_NodeBlock[0].Hwa, rho = mc.WaterDensity, rhoi = mc.IceDensity, L = mc.LatentHeat;
    const double exchange = mc.FrazilNusselt * 2 * mc.WaterConductivity / mc.FrazilParticleThickness /
                            mc.FrazilParticleRadius;   // W/m3/degC per unit concentration
    const auto temperature = [&](const Mixture& m) {
        const double t = testmodel::Bisect([&](double x) { return MixtureEnergy(x, m.cf) - m.e; }, -5, 5);
        return std::max(t, mc.MinWaterTemperature);
    };
    const auto rate = [&](const Mixture& m) {
        const double t = temperature(m);
        const double seeded = t > 0 ? m.cf : std::fabs(m.cf) + mc.FrazilSeedingConcentration;
        return Mixture{-hwa * (t - air) / (rho * depth), -t * exchange * seeded / (rhoi * L)};
    };
    Mixture reference{MixtureEnergy(0.02, 0), 0};
    double time = 0;
    for (double hours : {0.25, 0.5, 1.0, 2.0}) {
        SCOPED_TRACE(hours);
        ASSERT_TRUE(testmodel::AdvanceTo(TransientStep, hours * 3600));
        reference = testmodel::IntegrateRK4(reference, rate, hours * 3600 - time, 4000);
        time = hours * 3600;
        const NodeRecord& n = g_NodeBlock[1];
        EXPECT_NEAR(n.FrazilConcentration, reference.cf, 0.01 * reference.cf + 1e-9);
        EXPECT_NEAR(n.WaterTemp, temperature(reference), 2e-4);
        std::printf("frazil at %g h: Cf %.3e, error %.2e; T %.5f degC, error %.1e degC\n", hours, n.FrazilConcentration,
                    std::fabs(n.FrazilConcentration - reference.cf) / reference.cf, n.WaterTemp,
                    std::fabs(n.WaterTemp - temperature(reference)));
    }
    EXPECT_GT(g_NodeBlock[1].FrazilConcentration, 1e-5);
}

}  // namespace

namespace {

TEST_F(ThermalIce, FinishingKeepsTheConcentrationAFractionWhateverTheDepth)
{
    // Ice that draws more than the water's depth closes the width in proportion; a node with no
    // depth (or anchor ice above its water) is closed by any ice, and nothing becomes NaN.
    struct Case {
        const char* name;
        double depth;          // water above the anchor ice, m
        double draftOverDepth; // floating draft of the surface ice over the depth (0: none)
        double concentration, expected;
    };
    const Case cases[] = {
        {"ice within the depth", 1.0, 0.5, 0.3, 0.3},
        {"ice drawing twice the depth", 1.0, 2.0, 0.3, 0.6},
        {"ice drawing ten times the depth", 1.0, 10.0, 0.3, 1.0},
        {"no depth", 0.0, 0.0, 0.3, 1.0},
        {"anchor ice above the water", -0.3, 0.0, 0.3, 1.0},
        {"no depth and no ice", 0.0, 0.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildLake({2.0, 20, -5.0, 0.0}, 3);
        const ModelControl& mc = g_ModelControl;
        NodeRecord& n = g_NodeBlock[1];
        const double anchor = 0.4;
        n.PreviousAnchorIceThickness = anchor;
        n.Stage = n.Invert + anchor + c.depth;
        const double draft = c.draftOverDepth * std::max(c.depth, 1.0);
        n.ThermalUnknowns[3] = c.concentration;
        n.ThermalUnknowns[5] = draft / mc.IceSpecificGravity * c.concentration * n.RectWidth;
        FinishThermalStep();
        EXPECT_NEAR(n.IceConcentration, c.expected, 1e-12);
        EXPECT_NEAR(n.ThermalUnknowns[3], c.expected, 1e-12);
    }
}

TEST_F(ThermalIce, AnchorIceReleasedInWarmWaterKeepsItsMass)
{
    // Anchor ice (porosity p, water in its pores) lifts off the bed as soon as the water is
    // above 0 degC and becomes surface slush (porosity n) of the same mass; new pans cover the
    // width by the ice's thickness over the pan thickness.
    BuildLake({2.0, 20, -5.0, 0.0}, 3);
    const ModelControl& mc = g_ModelControl;
    NodeRecord& n = g_NodeBlock[1];
    const double thickness = 0.05;
    n.PreviousAnchorIceThickness = thickness;
    n.PreviousWaterTemp = 0.3;
    n.WaterTemp = 0.3;
    n.WaterIceHeatFlux = n.PreviousWaterIceHeatFlux = 0;
    const double slush = n.ThermalUnknowns[4], concentration = n.ThermalUnknowns[3];
    UpdateAnchorIce(&n);
    const double p = mc.AnchorIcePorosity, porosity = mc.FrazilSlushPorosity;
    const double anchorArea = n.WettedPerimeter * thickness * mc.AnchorIceBedFraction;
    const double anchorMass = anchorArea * ((1 - p) * mc.IceDensity + p * mc.WaterDensity);
    const double slushDensity = (1 - porosity) * mc.IceDensity + porosity * mc.WaterDensity;
    const double slushMass = (n.ThermalUnknowns[4] - slush) * slushDensity;
    EXPECT_NEAR(slushMass, anchorMass, 1e-9 * anchorMass);
    EXPECT_NEAR(n.ThermalUnknowns[3] - concentration, thickness * mc.AnchorIceBedFraction / mc.NewPanThickness, 1e-12);
    EXPECT_EQ(n.AnchorIceThickness, 0.0);
    EXPECT_EQ(n.AnchorIceArea, 0.0);

    // In supercooled water it stays on the bed and grows by the frazil it catches.
    n.ThermalUnknowns[4] = slush;
    n.PreviousWaterTemp = n.WaterTemp = -0.02;
    n.PreviousFrazilConcentration = n.FrazilConcentration = 1e-4;
    UpdateAnchorIce(&n);
    const double dt = mc.DeltaT;
    EXPECT_NEAR(n.AnchorIceThickness, thickness + dt * 1e-4 * mc.FrazilAccretionRate / (1 - p), 1e-12);
    EXPECT_EQ(n.ThermalUnknowns[4], slush);
}

// A river freezing up: surveyed sections, an inflow carrying frazil and drifting ice, cold air,
// border ice, anchor ice and a bridging event near the outlet.
void BuildFreezingRiver()
{
    const int nodes = 12;
    const double q = 25, slope = 0.0004, n = 0.03;
    testmodel::BuildChain(nodes, 250, [&](NodeRecord& node, int i) {
        const double z = slope * (nodes - 1 - i) * 250;
        testmodel::SetSection(node, {{0, z + 5}, {10, z}, {40, z}, {50, z + 5}}, n, 80);
        node.HydroUnknowns[0] = testmodel::AreaAtStage(node, z + 1.6);
        node.HydroUnknowns[1] = q;
    });
    testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, q)},
                              {nodes - 1, 1, testmodel::Constant(1, 0, 1.6, 0)}});
    testmodel::MakeThermal(-18.0, 20.0);
    testmodel::SetInflowIce(g_BoundaryElementBlock[0], {-0.01, 2e-5, 0, 0.3, 0.1, 0.05});
    for (NodeRecord& node : g_NodeBlock) testmodel::SetWater(node, 0.05);
    g_BridgingEventBlock.assign(1, BridgingEventRecord{});
    BridgingEventRecord& e = g_BridgingEventBlock[0];
    e.Number = 1;
    e.BridgingLocation = 2300;
    e.BridgingTime = 1800;
    e.FrontLocation = e.StepStartFront = 2300;
    g_BridgingEvents = &e;
    ModelControl& mc = g_ModelControl;
    mc.BridgingEventCount = 1;
    mc.BorderIceCoefE = 20;
    mc.DeltaT = mc.MaxDeltaT = 120;
    ASSERT_EQ(testmodel::StartRun(), 0);
}

int g_RejectLastOnce = 0;
// A last equation system that converges except on the step it was told to reject.
int RejectLastOnce()
{
    if (!g_RejectLastOnce) return 1;
    g_RejectLastOnce = 0;
    return 0;
}
int StepRejectingLastOnce()
{
    return AdvanceTimeStep(RejectLastOnce);
}

// Switches nutrients with every process off on, for the water quality to run after the thermal
// step; the concentrations vary along the river.
void StartNutrients()
{
    ModelControl& mc = g_ModelControl;
    wqtest::NutrientProcessesOff();
    mc.WaterQualityOn = 1;
    EquationSystem& es = g_EquationSystems[WaterQualitySystem];
    es.UnknownsPerNode = 6;
    es.StructureBuilt = 0;
    es.Theta = 0.5;
    es.Tolerance = 1e-11;
    es.MaxIterations = 20;
    for (NodeRecord& n : g_NodeBlock)
        for (int k = 0; k < 6; ++k) n.WQUnknowns[k] = n.PreviousWQUnknowns[k] = 1 + 0.1 * n.Index + k;
    InitialiseWaterQuality();
}

// A step rejected by any system - the hydrodynamics, the thermal ice, or a system solved after
// them (water quality) - goes back to the exact step start of every system: the retried step
// ends where the step taken directly with half the length does.
TEST_F(ThermalIce, ARejectedStepRetriedEqualsTheHalvedStepFromItsStart)
{
    struct Case {
        const char* name;
        int system;   // whose tolerance of 0 rejects the first attempt; -1: the last system rejects
        bool waterQuality;
    } cases[] = {
        {"hydrodynamics", HydrodynamicSystem, false},
        {"thermal ice", ThermalIceSystem, false},
        {"a last system", -1, false},
        {"water quality", WaterQualitySystem, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseModel();
        SetModelDefaults();
        BuildFreezingRiver();
        if (c.waterQuality) StartNutrients();
        int (*step)() = c.waterQuality ? RunWaterQualityStep : StepRejectingLastOnce;
        ASSERT_TRUE(testmodel::AdvanceTo(step, 3 * 3600));
        ASSERT_EQ(g_EquationSystems[ThermalIceSystem].UnknownsPerNode, 6);
        double kept = 0;
        testmodel::ExpectRetryEqualsHalvedStep(
            [&] {
                if (c.system < 0) {
                    g_RejectLastOnce = 1;
                    return;
                }
                kept = g_EquationSystems[c.system].Tolerance;
                g_EquationSystems[c.system].Tolerance = 0;
            },
            [&] {
                if (c.system >= 0) g_EquationSystems[c.system].Tolerance = kept;
            },
            step);
    }
}

TEST_F(ThermalIce, AnAssemblyFailureIsReturnedWithoutARollBack)
{
    BuildLake({2.0, 20, 5.0, 5.0}, 4);
    for (ElementRecord& e : g_ElementBlock) e.InterpolationCode = 0;   // nothing can be assembled
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 0;
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;
    const double end = mc.ModelTime, step = mc.DeltaT;
    EXPECT_EQ(SolveThermalIceStep(), -1);
    EXPECT_EQ(mc.ModelTime, end);
    EXPECT_EQ(mc.DeltaT, step);
}

}  // namespace
