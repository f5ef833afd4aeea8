#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"

TEST(ModelDefaults, EquationSystemsAndClock)
{
    SetModelDefaults();
    const double tolerance[] = {1e-5, 0.001, 1e-5, 1e-5};
    const int unknowns[] = {2, 2, 6, 6};
    for (int k = 0; k < EquationSystemCount; ++k) {
        const EquationSystem& es = g_EquationSystems[k];
        EXPECT_DOUBLE_EQ(es.Tolerance, tolerance[k]);
        EXPECT_EQ(es.UnknownsPerNode, unknowns[k]);
        EXPECT_EQ(es.MaxIterations, 9);
        EXPECT_DOUBLE_EQ(es.Upwinding, 0.25);
        EXPECT_DOUBLE_EQ(es.Theta, 0.5);
        EXPECT_DOUBLE_EQ(es.Alpha, 0.5);
        EXPECT_DOUBLE_EQ(es.SteadyTolerance, 0.01);
        EXPECT_DOUBLE_EQ(es.LastNorm, 1);
    }
    const ModelControl& mc = g_ModelControl;
    EXPECT_DOUBLE_EQ(mc.DeltaT, 36);
    EXPECT_DOUBLE_EQ(mc.MaxDeltaT, 36);
    EXPECT_EQ(mc.HydrodynamicsOn + mc.DynamicIceOn + mc.ThermalIceOn + mc.WaterQualityOn, 0);
    EXPECT_EQ(mc.UnsymmetricMatrix, 1);
    EXPECT_EQ(mc.ThermalMode, 1);
}

TEST(ModelDefaults, IcePressureConstantFromItsClosedForm)
{
    SetModelDefaults();
    // tan^2(45 + 23 deg) x (1 - 0.917) x 917 x 9.81 x 0.5
    const double t = std::tan(68.0 * 3.141592653589793 / 180.0);
    EXPECT_NEAR(g_ModelControl.IcePressureConstant, t * t * 0.083 * 917 * 9.81 * 0.5, 1e-9);
}

TEST(NodeDefaults, NonZeroDefaults)
{
    NodeRecord node;
    node.Stage = 12.5;
    SetNodeDefaults(&node);
    EXPECT_EQ(node.Stage, 0.0);
    EXPECT_EQ(node.ManningN, 0.025);
    EXPECT_EQ(node.IceRoughness, 0.02);
    EXPECT_EQ(node.HydroCode, 1);
    EXPECT_EQ(node.ZoneNumber, 1);
    EXPECT_EQ(node.Hwa, 20);
    EXPECT_EQ(node.Jwa, 0);
    EXPECT_EQ(node.Hia, 20);
    EXPECT_EQ(node.FroudeMax, 0.09);
    EXPECT_EQ(node.ElementCountAtNode, 2);
    EXPECT_EQ(node.JunctionWork[JunctionWorkSlots - 1], 1);
    EXPECT_EQ(node.JunctionWork[0], 0);
    EXPECT_EQ(node.CrossSection, nullptr);
}

// Blocks large enough for large pages start on a page boundary and the others on their records'
// alignment; growing a block across the threshold and shrinking it back keeps every record, and
// each block is released the way it was allocated (the sanitizer build checks the pairing).
TEST(RecordBlocks, LargeBlocksStartOnALargePageAndKeepTheirRecordsWhenTheyMove)
{
    const auto address = [](const void* p) { return reinterpret_cast<std::uintptr_t>(p); };
    const size_t large = LargePageBytes / sizeof(NodeRecord) + 1;
    NodeBlock nodes(3);
    EXPECT_EQ(address(nodes.data()) % alignof(NodeRecord), 0u);
    for (size_t i = 0; i < nodes.size(); ++i) nodes[i].Number = static_cast<int>(i) + 7;
    nodes.resize(large);
    EXPECT_EQ(address(nodes.data()) % LargePageBytes, 0u);
    nodes[large - 1].Number = 99;
    nodes.resize(2);
    nodes.shrink_to_fit();
    EXPECT_EQ(address(nodes.data()) % alignof(NodeRecord), 0u);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].Number, 7);
    EXPECT_EQ(nodes[1].Number, 8);

    ElementBlock elements(LargePageBytes / sizeof(ElementRecord) * 2);
    EXPECT_EQ(address(elements.data()) % LargePageBytes, 0u);
}

TEST(TimeLevels, ShiftCopiesEveryTwinAndRestoreOnlyUnknowns)
{
    std::vector<NodeRecord> nodes(2);
    for (NodeRecord& n : nodes) SetNodeDefaults(&n);
    nodes[0].Next = &nodes[1];
    NodeRecord* saved = g_Nodes;
    g_Nodes = &nodes[0];
    nodes[1].Stage = 3;
    nodes[1].Bridged = 1;
    nodes[1].HydroUnknowns[1] = 7;
    nodes[1].WQValues[5] = 2;
    nodes[1].FloatingIceArea = 4;
    nodes[1].PreviousFloatingIceArea = 5;
    ShiftTimeLevel();
    EXPECT_EQ(nodes[1].PreviousStage, 3);
    EXPECT_EQ(nodes[1].PreviousBridged, 1);
    EXPECT_EQ(nodes[1].PreviousHydroUnknowns[1], 7);
    EXPECT_EQ(nodes[1].PreviousWQValues[5], 2);
    EXPECT_EQ(nodes[1].PreviousFloatingIceArea, 4);
    EXPECT_EQ(nodes[1].OlderFloatingIceArea, 5);

    nodes[1].HydroUnknowns[1] = 9;
    nodes[1].Stage = 8;
    RestorePreviousLevel();
    EXPECT_EQ(nodes[1].HydroUnknowns[1], 7);
    EXPECT_EQ(nodes[1].Stage, 8);
    g_Nodes = saved;
}

TEST(Calendar, MonthEndsAndLeapYears)
{
    struct Case {
        int start[6];
        double seconds;
        int expected[6];
    };
    const Case cases[] = {
        {{2024, 2, 28, 23, 0, 0}, 7200, {2024, 2, 29, 1, 0, 0}},
        {{2100, 2, 28, 23, 0, 0}, 7200, {2100, 3, 1, 1, 0, 0}},
        {{2000, 2, 28, 23, 0, 0}, 7200, {2000, 2, 29, 1, 0, 0}},
        {{2023, 12, 31, 23, 59, 59}, 1.9, {2024, 1, 1, 0, 0, 0}},
        {{2023, 1, 1, 0, 0, 0}, 0.999, {2023, 1, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SetModelDefaults();
        std::copy(std::begin(c.start), std::end(c.start), g_ModelControl.StartDate);
        g_ModelControl.ModelTime = c.seconds;
        int date[6];
        ComputeCalendarDate(date);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(date[i], c.expected[i]) << "field " << i;
    }
}
