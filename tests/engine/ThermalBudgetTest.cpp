// Budgets of the thermal system: the heat stored along the river changes only by what the
// boundaries let in and out and by the heat lost to the air, and the ice entering with an inflow
// either stays in the river or leaves it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ChannelReferences.h"
#include "tests/engine/ModelFixtures.h"
#include "tests/engine/ThermalModel.h"

namespace {

class ThermalBudget : public testmodel::FreshModelTest<> {};

// Heat stored in the river, J/kg x m3 (the lumped sum of flow area x energy).
double StoredHeat(const std::vector<double>& lengths, bool previous)
{
    const double amin = 0;
    double sum = 0;
    for (const NodeRecord& n : g_NodeBlock) {
        const double a = std::max(amin, previous ? n.PreviousFlowArea : n.FlowArea);
        sum += lengths[n.Index] * a * (previous ? n.PreviousThermalEnergy : n.ThermalEnergy);
    }
    return sum;
}

// Heat lost to the air by open water over a step (J/kg x m3): the surface heat flux over the
// width, at the time weights of the thermal system.
double HeatLostToAir(const std::vector<double>& lengths, double step)
{
    const double theta = g_EquationSystems[ThermalIceSystem].Theta;
    double sum = 0;
    for (const NodeRecord& n : g_NodeBlock) {
        const double now = n.IceCoveredWidth * n.NetHeatFlux;
        const double before = n.PreviousIceCoveredWidth * n.PreviousNetHeatFlux;
        sum += lengths[n.Index] * (theta * now + (1 - theta) * before) * step;
    }
    return sum / g_ModelControl.WaterDensity;
}

// Accepted steps until `endTime`; `onStep` sees each accepted step's length.
bool StepWithLengths(double endTime, const std::function<void(double)>& onStep)
{
    ModelControl& mc = g_ModelControl;
    int rejections = 0;
    while (mc.ModelTime < endTime) {
        const double before = mc.ModelTime;
        if (TransientStep() != 0) return false;
        if (mc.ModelTime > before) {
            rejections = 0;
            onStep(mc.ModelTime - before);
        } else if (++rejections > 40) {
            return false;
        }
    }
    return true;
}

// A still lake of uneven temperatures, as a chain or as a network whose junction branches carry
// lengths of their own; the heat lost to the air is all that changes its heat.
TEST_F(ThermalBudget, StillWaterLosesExactlyTheHeatItGivesTheAir)
{
    for (const bool network : {false, true}) {
        SCOPED_TRACE(network ? "network with a junction" : "chain");
        const double depth = 2, width = 15;
        const auto fill = [&](NodeRecord& n, int i) {
            n.RectWidth = width + (i % 3);
            n.ManningN = 0.03;
            n.HydroUnknowns[0] = n.RectWidth * depth;
            n.Easting = 100.0 * i;
            n.Northing = i == 6 ? 80.0 : 0.0;
            n.Chainage = 100.0 * i;
        };
        if (network) {
            // Nodes 0-4 a main reach, node 5 beyond the junction at 4, node 6 a side arm joining at 4.
            testmodel::BuildNetwork(7, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {4, 6}}, fill);
            testmodel::SetJunctions({{1, 4, 3, 6, 5, 3, 5, 4, {0, 140, 0}}});
        } else {
            testmodel::BuildChain(7, 100, fill);
        }
        // Closed at the upstream ends, the level held at the downstream end.
        const testmodel::BoundaryInput closed = testmodel::Constant(0, 1, 0, 0.0);
        const testmodel::BoundaryInput level = testmodel::Constant(1, 0, depth, 0.0);
        if (network)
            testmodel::SetBoundaries({{0, -1, closed}, {5, 1, level}, {6, 1, closed}});
        else
            testmodel::SetBoundaries({{0, -1, closed}, {6, 1, level}});
        testmodel::MakeThermal(-4.0, 150.0);
        for (NodeRecord& n : g_NodeBlock) {
            testmodel::SetWater(n, 3.0 + 0.7 * n.Index);
            n.Jwa = 2;
            n.Kwa = 10;
        }
        ModelControl& mc = g_ModelControl;
        mc.DeltaT = mc.MaxDeltaT = 900;
        g_EquationSystems[ThermalIceSystem].Tolerance = 1e-12;
        ASSERT_EQ(testmodel::StartRun(), 0);
        const std::vector<double> lengths = testmodel::LumpedLengths();

        double lost = 0, worst = 0;
        ASSERT_TRUE(StepWithLengths(12 * 3600, [&](double step) {
            const double change = StoredHeat(lengths, false) - StoredHeat(lengths, true);
            const double loss = HeatLostToAir(lengths, step);
            lost += loss;
            worst = std::max(worst, std::fabs(change + loss) / std::fabs(loss));
        }));
        EXPECT_LT(worst, 1e-9);
        EXPECT_GT(lost, 0);
        std::printf("still water (%s): largest step imbalance %.2e of the heat lost\n", network ? "network" : "chain",
                    worst);
    }
}

// The heat budget of one accepted step (J): the heat lost to the air, the change of the water's
// heat and the latent heat of the ice formed; lost = latent - change in a closed lake.
struct StepBudget {
    double Lost, Water, Ice;
    double Imbalance() const { return std::fabs(Lost + Water - Ice) / std::fabs(Lost); }
};
StepBudget BudgetOfStep(const std::vector<double>& lengths, double step)
{
    const ModelControl& mc = g_ModelControl;
    const double theta = g_EquationSystems[ThermalIceSystem].Theta;
    StepBudget b{0, 0, 0};
    for (const NodeRecord& n : g_NodeBlock) {
        const double length = lengths[n.Index];
        b.Lost += length * step *
                  (theta * testmodel::SurfaceHeatLoss(n, false) + (1 - theta) * testmodel::SurfaceHeatLoss(n, true));
        b.Ice += length * mc.IceDensity * mc.LatentHeat *
                 (testmodel::IceArea(n, false) - testmodel::IceArea(n, true));
    }
    b.Water = mc.WaterDensity * (StoredHeat(lengths, false) - StoredHeat(lengths, true));
    return b;
}

// One step of a still lake under a partial cover, from states at the edges of the
// temperature bands the exchanges switch at (freezing, between freezing and warm, the warm
// limit, warm), with no surface slush, a trace of it, or plenty, and with the ice standing
// (skim ice forms on the open water at the freezing point) or drifting (the open water cools):
// whatever the exchanges do, the heat the surface loses comes from the water or from ice
// forming.
TEST_F(ThermalBudget, EveryExchangeCaseTakesTheHeatLostFromTheWaterOrTheIce)
{
    struct Slush {
        const char* name;
        double area;   // m2
    };
    // A trace freezes in a fraction of the step; plenty takes the whole step's heat.
    const Slush slushes[] = {{"no slush", 0}, {"a trace of slush", 1e-4}, {"plenty of slush", 0.5}};
    const double temperatures[] = {0, 0.005, WarmWaterTemperature, 0.02};
    const double width = 20, depth = 2, cover = 0.6, thickness = 0.15, step = 1800;
    double worst = 0;
    for (const double water : temperatures) {
        for (const Slush& slush : slushes) {
            for (const double drift : {0.0, 0.001}) {
                SCOPED_TRACE(testing::Message() << "water " << water << " degC, " << slush.name << ", ice velocity "
                                                << drift << " m/s");
                testmodel::BuildChain(4, 100, [&](NodeRecord& n, int) {
                    n.RectWidth = width;
                    n.ManningN = 0.03;
                    n.HydroUnknowns[0] = width * depth;
                });
                testmodel::HoldStill(depth);
                testmodel::MakeThermal(-15.0);
                // Drifting ice of the lake's own state enters at the upstream end and leaves at
                // the downstream end.
                const double slushThickness = slush.area / (cover * width);
                testmodel::SetInflowIce(g_BoundaryElementBlock[0], {water, 0, 0, cover, slushThickness, thickness});
                for (NodeRecord& n : g_NodeBlock) {
                    testmodel::SetWater(n, water);
                    n.ThermalUnknowns[3] = cover;
                    n.ThermalUnknowns[4] = slush.area;
                    n.ThermalUnknowns[5] = thickness * cover * width;
                }
                ModelControl& mc = g_ModelControl;
                mc.DeltaT = mc.MaxDeltaT = step;
                EquationSystem& thermal = g_EquationSystems[ThermalIceSystem];
                thermal.Tolerance = 1e-13;
                thermal.MaxIterations = 30;
                // The drift only switches skim ice off. Upwinding would hand part of every node's
                // sinks to its downstream neighbour and overdraw a trace of slush there.
                if (drift > 0) thermal.Upwinding = 0;
                ASSERT_EQ(testmodel::StartRun(), 0);
                mc.HydrodynamicsOn = 0;
                for (NodeRecord& n : g_NodeBlock) n.IceVelocity = n.PreviousIceVelocity = drift;
                const std::vector<double> lengths = testmodel::LumpedLengths();
                StepBudget b{0, 0, 0};
                const double n = mc.FrazilSlushPorosity, theta = thermal.Theta;
                const NodeRecord& out = g_NodeBlock.back();
                ASSERT_TRUE(StepWithLengths(step, [&](double length) {
                    const StepBudget part = BudgetOfStep(lengths, length);
                    const double entered = length * cover * width * drift * ((1 - n) * slushThickness + thickness);
                    const double left =
                        length * drift *
                        (theta * ((1 - n) * out.SlushArea + out.SolidIceArea) +
                         (1 - theta) * ((1 - n) * out.PreviousSlushArea + out.PreviousSolidIceArea));
                    b = {b.Lost + part.Lost, b.Water + part.Water,
                         b.Ice + part.Ice + mc.IceDensity * mc.LatentHeat * (left - entered)};
                }));
                EXPECT_LT(b.Imbalance(), 1e-9) << "lost " << b.Lost << " J, water " << b.Water << " J, ice " << b.Ice
                                               << " J";
                EXPECT_GT(b.Lost, 0);
                worst = std::max(worst, b.Imbalance());
                // Under standing ice, water no warmer than the warm limit gives the cover's heat to
                // ice growth and cools no further than the freezing point; the cover freezes a
                // trace of slush whole, plenty only in part.
                if (drift == 0 && water <= WarmWaterTemperature) {
                    for (const NodeRecord& node : g_NodeBlock) {
                        EXPECT_NEAR(node.WaterTemp, 0.0, 1e-12);
                        if (slush.area > 0 && slush.area < 0.01) {
                            EXPECT_NEAR(node.SlushArea, 0.0, 1e-15);
                        }
                        if (slush.area > 0.01) {
                            EXPECT_GT(node.SlushArea, 0.5 * slush.area);
                        }
                    }
                    EXPECT_GT(b.Ice, 0.5 * b.Lost);
                }
            }
        }
    }
    std::printf("exchange cases: largest step imbalance %.2e of the heat lost\n", worst);
}

// A rectangular channel in uniform flow at discharge q: inflow at the upstream end, the normal
// stage held at the downstream end.
void BuildChannel(int nodes, double dx, double width, double q, double n, double slope)
{
    const double yn = testmodel::NormalDepth(q, width, 0, n, slope);
    testmodel::BuildChain(nodes, dx, [&](NodeRecord& node, int i) {
        node.RectWidth = width;
        node.ManningN = n;
        node.Invert = slope * (nodes - 1 - i) * dx;
        node.HydroUnknowns[0] = width * yn;
        node.HydroUnknowns[1] = q;
    });
    testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, q)},
                              {nodes - 1, 1, testmodel::Constant(1, 0, g_NodeBlock.back().Invert + yn, 0)}});
}

TEST_F(ThermalBudget, FlowingWaterBalancesInflowOutflowAndTheAir)
{
    const int nodes = 25;
    BuildChannel(nodes, 200, 20, 12, 0.03, 0.0005);
    testmodel::MakeThermal(-8.0, 60.0);
    testmodel::SetInflowIce(g_BoundaryElementBlock[0], {6.5, 0, 0, 0, 0, 0});
    for (NodeRecord& n : g_NodeBlock) testmodel::SetWater(n, 3.0 + 0.1 * n.Index);
    ModelControl& mc = g_ModelControl;
    mc.DeltaT = mc.MaxDeltaT = 300;
    ASSERT_EQ(testmodel::StartRun(), 0);
    const std::vector<double> lengths = testmodel::LumpedLengths();
    const double theta = g_EquationSystems[ThermalIceSystem].Theta;
    const NodeRecord& in = g_NodeBlock.front();
    const NodeRecord& out = g_NodeBlock.back();
    const double ein = testmodel::MixtureEnergy(6.5, 0);

    const double start = StoredHeat(lengths, false);
    double entered = 0, left = 0, lost = 0;
    ASSERT_TRUE(StepWithLengths(8 * 3600, [&](double step) {
        entered += step * ein * in.FluxDischarge;
        left += step * (theta * out.ThermalEnergy * out.FluxDischarge +
                        (1 - theta) * out.PreviousThermalEnergy * out.PreviousFluxDischarge);
        lost += HeatLostToAir(lengths, step);
    }));
    const double change = StoredHeat(lengths, false) - start;
    EXPECT_NEAR(change, entered - left - lost, 1e-3 * (entered + left + std::fabs(lost)));
    std::printf("flowing water: heat imbalance %.2e of the heat exchanged\n",
                std::fabs(change - (entered - left - lost)) / (entered + left + std::fabs(lost)));
    // Warm water came in and the air cooled the river: both ends of the budget are at work.
    EXPECT_GT(lost, 0.05 * entered);
    EXPECT_GT(out.WaterTemp, 3.0);
}

TEST_F(ThermalBudget, IceEnteringTheRiverStaysOrLeaves)
{
    // Water at the freezing point, no heat exchange with air or ice: surface ice only drifts.
    const int nodes = 21;
    BuildChannel(nodes, 200, 20, 15, 0.03, 0.0004);
    testmodel::MakeThermal(0.0);
    const testmodel::InflowIce ice{0, 0, 0, 0.5, 0.12, 0.06};
    testmodel::SetInflowIce(g_BoundaryElementBlock[0], ice);
    for (NodeRecord& n : g_NodeBlock) {
        testmodel::SetWater(n, 0.0);
        n.Hwa = n.Hia = n.Jwa = n.Kwa = 0;
    }
    ModelControl& mc = g_ModelControl;
    mc.DeltaT = mc.MaxDeltaT = 120;
    ASSERT_EQ(testmodel::StartRun(), 0);
    const std::vector<double> lengths = testmodel::LumpedLengths();
    const double theta = g_EquationSystems[ThermalIceSystem].Theta;
    const NodeRecord& in = g_NodeBlock.front();
    const NodeRecord& out = g_NodeBlock.back();
    const auto stored = [&](double NodeRecord::*area) {
        double sum = 0;
        for (const NodeRecord& n : g_NodeBlock) sum += lengths[n.Index] * (n.*area);
        return sum;
    };

    double solidIn = 0, solidOut = 0, slushIn = 0, slushOut = 0;
    ASSERT_TRUE(StepWithLengths(4 * 3600, [&](double step) {
        const double carried = step * ice.Concentration * in.IceCoveredWidth * in.IceVelocity;
        solidIn += carried * ice.Solid;
        slushIn += carried * ice.Slush;
        const auto outflow = [&](double NodeRecord::*now, double NodeRecord::*before) {
            return step *
                   (theta * out.IceVelocity * (out.*now) + (1 - theta) * out.PreviousIceVelocity * (out.*before));
        };
        solidOut += outflow(&NodeRecord::SolidIceArea, &NodeRecord::PreviousSolidIceArea);
        slushOut += outflow(&NodeRecord::SlushArea, &NodeRecord::PreviousSlushArea);
    }));
    EXPECT_NEAR(stored(&NodeRecord::SolidIceArea), solidIn - solidOut, 1e-3 * solidIn);
    EXPECT_NEAR(stored(&NodeRecord::SlushArea), slushIn - slushOut, 1e-3 * slushIn);
    std::printf("drifting ice: solid-ice imbalance %.2e, slush imbalance %.2e of the inflow\n",
                std::fabs(stored(&NodeRecord::SolidIceArea) - (solidIn - solidOut)) / solidIn,
                std::fabs(stored(&NodeRecord::SlushArea) - (slushIn - slushOut)) / slushIn);
    // The ice crossed the whole river.
    EXPECT_GT(solidOut, 0.3 * solidIn);
    EXPECT_EQ(out.WaterTemp, 0.0);
}

}  // namespace

namespace {

class ThermalMass : public testmodel::FreshModelTest<> {};

// Water and ice below the stage by mass (kg): the water under the floating ice and beside the
// anchor ice, the floating ice (slush by its ice) and the anchor ice; suspended frazil is
// counted with the water.
double WaterAndIceMass(const std::vector<double>& lengths)
{
    const ModelControl& mc = g_ModelControl;
    const double n = mc.FrazilSlushPorosity, p = mc.AnchorIcePorosity;
    double sum = 0;
    for (const NodeRecord& node : g_NodeBlock) {
        const double floating = (node.SlushArea + node.UnderSlushArea) * (1 - n) + node.SolidIceArea;
        const double grounded = (1 - p) * node.AnchorIceArea;
        const double water = node.GrossArea - mc.IceSpecificGravity * floating - grounded;
        sum += lengths[node.Index] * (mc.WaterDensity * water + mc.IceDensity * (floating + grounded));
    }
    return sum;
}

// A basin closed at both ends freezing over, from open water at the freezing point or under a
// cover with snow over supercooled water (frazil forms and rises under the cover): the water that
// freezes stays in the basin as ice, whichever form the hydrodynamic equations take.
TEST_F(ThermalMass, AClosedBasinFreezingOverKeepsItsWaterAndIceMass)
{
    struct Variant {
        const char* name;
        double air, water, cover, thickness, snow;
    };
    const Variant variants[] = {
        {"open water", -20, 0.0, 0, 0, 0},
        {"a cover with snow", -10, -0.01, 1, 0.2, 0.05},
    };
    const double width = 20, depth = 3;
    for (const int formulation : {0, 1, 2}) {
        for (const Variant& v : variants) {
            SCOPED_TRACE(testing::Message() << v.name << ", formulation " << formulation);
            testmodel::BuildChain(6, 100, [&](NodeRecord& n, int) {
                n.RectWidth = width;
                n.ManningN = 0.03;
                n.HydroUnknowns[0] = width * depth;
            });
            const testmodel::BoundaryInput closed = testmodel::Constant(0, 1, 0, 0.0);
            testmodel::SetBoundaries({{0, -1, closed}, {5, 1, closed}});
            testmodel::MakeThermal(v.air);
            ModelControl& mc = g_ModelControl;
            mc.Formulation = formulation;
            mc.SnowThickness = v.snow;
            for (NodeRecord& n : g_NodeBlock) {
                testmodel::SetWater(n, v.water);
                n.ThermalUnknowns[3] = v.cover;
                n.ThermalUnknowns[5] = v.thickness * v.cover * width;
            }
            mc.DeltaT = 600;
            mc.MaxDeltaT = 1800;
            ASSERT_EQ(testmodel::StartRun(), 0);
            const std::vector<double> lengths = testmodel::LumpedLengths();
            const double start = WaterAndIceMass(lengths);
            double ice0 = 0, ice1 = 0;
            for (const NodeRecord& n : g_NodeBlock) ice0 += lengths[n.Index] * testmodel::IceArea(n, false);
            ASSERT_TRUE(testmodel::AdvanceTo(TransientStep, 2 * 86400));
            for (const NodeRecord& n : g_NodeBlock) ice1 += lengths[n.Index] * testmodel::IceArea(n, false);
            const double formed = mc.IceDensity * (ice1 - ice0);
            const double change = WaterAndIceMass(lengths) - start;
            EXPECT_GT(formed, 0);
            EXPECT_LT(std::fabs(change), 1e-9 * formed) << "mass change " << change << " kg, ice formed " << formed
                                                       << " kg";
            std::printf("closed basin, %s, formulation %d: mass change %.2e of the ice formed\n", v.name,
                        formulation, std::fabs(change) / formed);
        }
    }
}

// Drifting ice entering a river at its upstream end and leaving at its downstream end brings
// and takes its mass: the water and ice mass of the reach changes by the water and the ice that
// crossed its ends (the continuity takes up the ice one step after the thermal step carried it).
TEST_F(ThermalMass, DriftingIceBringsItsMassIntoTheRiver)
{
    for (const int formulation : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "formulation " << formulation);
        const int nodes = 21;
        const double q = 15;
        BuildChannel(nodes, 200, 20, q, 0.03, 0.0004);
        testmodel::MakeThermal(0.0);
        const testmodel::InflowIce ice{0, 0, 0, 0.5, 0.12, 0.06};
        testmodel::SetInflowIce(g_BoundaryElementBlock[0], ice);
        for (NodeRecord& n : g_NodeBlock) {
            testmodel::SetWater(n, 0.0);
            n.Hwa = n.Hia = n.Jwa = n.Kwa = 0;
        }
        ModelControl& mc = g_ModelControl;
        mc.Formulation = formulation;
        mc.DeltaT = mc.MaxDeltaT = 120;
        ASSERT_EQ(testmodel::StartRun(), 0);
        const std::vector<double> lengths = testmodel::LumpedLengths();
        const double thermal = g_EquationSystems[ThermalIceSystem].Theta;
        const double hydro = g_EquationSystems[HydrodynamicSystem].Theta;
        const double n = mc.FrazilSlushPorosity;
        const NodeRecord& in = g_NodeBlock.front();
        const NodeRecord& out = g_NodeBlock.back();
        const double start = WaterAndIceMass(lengths);
        double flows = 0, iceIn = 0;
        ASSERT_TRUE(StepWithLengths(4 * 3600, [&](double step) {
            const double entering = step * ice.Concentration * in.IceCoveredWidth * in.IceVelocity *
                                    ((1 - n) * ice.Slush + ice.Solid);
            const double leaving =
                step * (thermal * out.IceVelocity * ((1 - n) * out.SlushArea + out.SolidIceArea) +
                        (1 - thermal) * out.PreviousIceVelocity *
                            ((1 - n) * out.PreviousSlushArea + out.PreviousSolidIceArea));
            const double water = step * (q - (hydro * out.Discharge + (1 - hydro) * out.PreviousDischarge));
            flows += mc.WaterDensity * water + mc.IceDensity * (entering - leaving);
            iceIn += mc.IceDensity * entering;
        }));
        // The ice the last thermal step carried, which the continuity takes up in the next step.
        double pending = 0;
        for (const NodeRecord& node : g_NodeBlock)
            pending += lengths[node.Index] * mc.IceDensity * node.CarriedIceArea;
        const double change = WaterAndIceMass(lengths) - start;
        EXPECT_NEAR(change + pending, flows, 1e-9 * iceIn);
        std::printf("drifting ice, formulation %d: mass imbalance %.2e of the ice that entered\n", formulation,
                    std::fabs(change + pending - flows) / iceIn);
    }
}

}  // namespace
