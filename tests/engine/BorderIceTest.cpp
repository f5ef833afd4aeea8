// Border ice: static growth of the widths in cold air, the cap on the covered fraction, the
// nodes where no border ice grows, the thickness against Stefan's law, and the dynamic extension
// that must end whatever the section's geometry and the flow direction.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "engine/EngineData.h"
#include "engine/IceFront.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ModelFixtures.h"
#include "tests/engine/ThermalModel.h"

namespace {

class BorderIce : public testmodel::FreshModelTest<> {
protected:
    // Three nodes of still water 2 m deep in air at `air` degC: a trapezoid (bottom 20 m, banks
    // 2:1, 4 m high) or a rectangle 28 m wide. The middle node is the one tested.
    static NodeRecord& StillRiver(bool section, double air)
    {
        testmodel::BuildChain(3, 200, [&](NodeRecord& n, int) {
            n.RectWidth = 28;
            n.ManningN = 0.03;
            if (section) testmodel::SetSection(n, {{0, 4}, {8, 0}, {28, 0}, {36, 4}}, 0.03, 60);
            n.HydroUnknowns[0] = testmodel::AreaAtStage(n, 2.0);
        });
        testmodel::HoldStill(2.0);
        testmodel::MakeThermal(air);
        for (NodeRecord& n : g_NodeBlock) testmodel::SetWater(n, 0.0);
        g_ModelControl.DeltaT = 3600;
        EXPECT_EQ(testmodel::StartRun(), 0);
        ApplyAtmosphericForcing();
        return g_NodeBlock[1];
    }

    // One step of border ice at the node: the previous level is the last step's.
    static void Grow(NodeRecord& n, int steps)
    {
        for (int k = 0; k < steps; ++k) {
            ShiftTimeLevel();
            GrowBorderIce(&n);
        }
    }
};

TEST_F(BorderIce, StaticGrowthIsLinearInTimeUpToTheLargestFraction)
{
    // In still water only static freezing widens the borders: Hwa E (0 - Ta) dt / (rhoi L) on
    // each bank per step, until they cover MaxBorderIceFraction of the width.
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        const double air = -15;
        NodeRecord& n = StillRiver(true, air);
        ModelControl& mc = g_ModelControl;
        mc.BorderIceVelocityMode = mode;
        mc.BorderIceCoefE = 40;
        const double perStep = n.Hwa * mc.BorderIceCoefE * -air * mc.DeltaT / (mc.IceDensity * mc.LatentHeat);
        const double width = n.TopWidth;
        int done = 0;
        for (int steps : {1, 10, 50}) {
            Grow(n, steps - done);
            done = steps;
            EXPECT_NEAR(n.BorderWidthLeft, steps * perStep, 1e-9 * steps);
            EXPECT_NEAR(n.BorderWidthRight, steps * perStep, 1e-9 * steps);
            EXPECT_NEAR(n.BorderFraction, 2 * steps * perStep / width, 1e-9);
        }
        ASSERT_LT(2 * 50 * perStep, mc.MaxBorderIceFraction * width);
        Grow(n, 400);
        EXPECT_NEAR(n.BorderFraction, mc.MaxBorderIceFraction, 1e-12);
        EXPECT_NEAR(n.BorderWidthLeft + n.BorderWidthRight, mc.MaxBorderIceFraction * width, 1e-9);
        EXPECT_NEAR(n.BorderIceArea, n.BorderIceThickness * 0.5 * (n.BorderWidthLeft + n.BorderWidthRight), 1e-12);
    }
}

// The covered fraction that a read, an edit and a step of border ice all set: the borders over
// the width, narrowed in proportion to the largest fraction; a width of 0 keeps the fraction.
TEST_F(BorderIce, FractionIsHeldToTheLargestByNarrowingBothBorders)
{
    g_ModelControl.MaxBorderIceFraction = 0.7;
    struct Case {
        double left, right, width, before;
        double fraction, leftAfter, rightAfter;
    } cases[] = {
        {1, 2, 10, 0, 0.3, 1, 2},
        {6, 2, 10, 0, 0.7, 5.25, 1.75},
        {3, 3, 0, 0.25, 0.25, 3, 3},
        {3, 3, 0, 0.9, 0.7, 3 * 0.7 / 0.9, 3 * 0.7 / 0.9},
    };
    for (const Case& c : cases) {
        NodeRecord n;
        SetNodeDefaults(&n);
        n.BorderWidthLeft = c.left;
        n.BorderWidthRight = c.right;
        n.BorderFraction = c.before;
        SetBorderIceFraction(&n, c.width);
        EXPECT_DOUBLE_EQ(n.BorderFraction, c.fraction);
        EXPECT_DOUBLE_EQ(n.BorderWidthLeft, c.leftAfter);
        EXPECT_DOUBLE_EQ(n.BorderWidthRight, c.rightAfter);
    }
}

TEST_F(BorderIce, NoneOnRectanglesInWarmAirOrOnBridgedNodes)
{
    struct Case {
        const char* name;
        bool section;
        double air;
        bool bridged;
    };
    const Case cases[] = {
        {"rectangular channel", false, -15, false},
        {"air above freezing", true, 2, false},
        {"bridged node", true, -15, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NodeRecord& n = StillRiver(c.section, c.air);
        g_ModelControl.BorderIceCoefE = 40;
        for (int k = 0; k < 20; ++k) {
            ShiftTimeLevel();
            n.Bridged = c.bridged;
            GrowBorderIce(&n);
        }
        EXPECT_EQ(n.BorderWidthLeft, 0.0);
        EXPECT_EQ(n.BorderWidthRight, 0.0);
        EXPECT_EQ(n.BorderIceArea, 0.0);
        EXPECT_EQ(n.BorderIceActive, c.section ? 1 : 0);
    }
}

TEST_F(BorderIce, ThicknessFollowsStefansLaw)
{
    // dt/dtime = -Ta / (rhoi L (t / ki + 1 / Hia)), from no ice: t^2 / (2 ki) + t / Hia = -Ta time / (rhoi L).
    const double air = -20;
    NodeRecord& n = StillRiver(true, air);
    ModelControl& mc = g_ModelControl;
    mc.BorderIceCoefE = 40;
    mc.DeltaT = 600;
    const double days = 10;
    Grow(n, static_cast<int>(days * 86400 / mc.DeltaT));
    const double ki = mc.IceConductivity, hia = n.Hia;
    const double rhs = -air * days * 86400 / (mc.IceDensity * mc.LatentHeat);
    const double expected = (-1 / hia + std::sqrt(1 / (hia * hia) + 2 * rhs / ki)) * ki;
    EXPECT_NEAR(n.BorderIceThickness, expected, 0.01 * expected);
    std::printf("border ice thickness after %g days: %.4f m, error %.2e\n", days, n.BorderIceThickness,
                std::fabs(n.BorderIceThickness - expected) / expected);
}

TEST_F(BorderIce, ExtensionEndsWhenItsStepCannotAdvanceTheEdge)
{
    // A section whose left bank is a vertical wall. The edges of borders wider than the water
    // cannot be placed: the stored stations stay, and the extension's step is taken there.
    struct Case {
        const char* name;
        double storedStation;   // where the left edge was last placed
        double velocity;        // water velocity (negative: flowing back)
    };
    const Case cases[] = {
        {"edge on the vertical wall: a step of zero width", 0.0, 1.0},
        {"edge outside the section under reverse flow: a negative step", -5.0, -1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NodeRecord& n = StillRiver(true, -10);
        auto* t = n.CrossSection;
        t->Points = {{0, 6}, {0, 0}, {20, 0}, {30, 6}};
        t->PointCount = 4;
        t->LeftBankStation = 0;
        t->RightBankStation = 30;
        BuildCrossSectionTable(t, n.SectionCode);
        g_ModelControl.BorderIceVelocityMode = 0;
        n.Stage = 1.0;
        n.TopWidth = 100;   // wider than the water: the extension's own limit does not stop it
        n.BorderWidthLeft = 30;
        n.BorderWidthRight = 0;
        n.BorderEdgeStations[0] = c.storedStation;
        n.Velocity = c.velocity;
        n.IceVelocity = 0.1;
        n.HydraulicDepth = 1.0;
        n.WaterTemp = -0.01;
        n.ThermalUnknowns[3] = 0.5;
        ShiftTimeLevel();
        GrowBorderIce(&n);
        // The left border was not extended (at most scaled back with the right one to the cap).
        EXPECT_LE(n.BorderWidthLeft, 30.0);
        EXPECT_GT(n.BorderWidthLeft, 29.0);
        EXPECT_TRUE(std::isfinite(n.BorderWidthRight));
        EXPECT_LE(n.BorderFraction, g_ModelControl.MaxBorderIceFraction + 1e-12);
    }
}

TEST_F(BorderIce, StillWaterGivesNoEdgeVelocity)
{
    // Velocity-mode 0 in still water: the ratio of ice to water velocity is taken as 0, not
    // 0 / 0, so the dynamic growth stays off and nothing becomes NaN.
    NodeRecord& n = StillRiver(true, -10);
    ModelControl& mc = g_ModelControl;
    mc.BorderIceVelocityMode = 0;
    mc.BorderIceCoefE = 40;
    n.Velocity = 0;
    n.IceVelocity = 0;
    n.ThermalUnknowns[3] = 0.8;
    n.NetHeatFlux = 500;
    Grow(n, 3);
    const double perStep = n.Hwa * mc.BorderIceCoefE * 10 * mc.DeltaT / (mc.IceDensity * mc.LatentHeat);
    EXPECT_NEAR(n.BorderWidthLeft, 3 * perStep, 1e-12);
    EXPECT_TRUE(std::isfinite(n.BorderIceArea));
}

}  // namespace
