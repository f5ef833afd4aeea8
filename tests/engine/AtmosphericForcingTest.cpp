// Air temperature and solar radiation of the nodes from their atmospheric zones.
#include <gtest/gtest.h>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"

namespace {

TEST(AtmosphericForcing, ZonesAreInterpolatedAtTheModelTimeAndNodesWithoutOneSeeTheDefaults)
{
    SetModelDefaults();
    AtmosphericZoneRecord zone;
    zone.Number = 1;
    zone.RowCount = 3;
    zone.Time = {0, 3600, 7200};
    zone.AirTemperature = {-2, -8, -4};
    zone.SolarRadiation = {0, 100, 300};
    AtmosphericZoneRecord empty;   // a zone without rows forces nothing
    empty.Number = 2;
    NodeRecord nodes[3];
    for (NodeRecord& n : nodes) SetNodeDefaults(&n);
    nodes[0].Next = &nodes[1];
    nodes[1].Next = &nodes[2];
    nodes[0].Zone = &zone;
    nodes[2].Zone = &empty;
    NodeRecord* saved = g_Nodes;
    g_Nodes = &nodes[0];
    g_ModelControl.ModelTime = 5400;
    ApplyAtmosphericForcing();
    g_Nodes = saved;

    EXPECT_EQ(nodes[1].AirTemperature, 100);
    EXPECT_EQ(nodes[1].SolarRadiation, 0);
    EXPECT_EQ(nodes[2].AirTemperature, 100);
    EXPECT_EQ(nodes[2].SolarRadiation, 0);
    const double xs[2] = {0, 1}, ys[2] = {0, 2};
    ASSERT_DOUBLE_EQ(InterpolateTable(xs, ys, 0.5, 2), 1.0) << "table interpolation";
    EXPECT_DOUBLE_EQ(nodes[0].AirTemperature, -6);
    EXPECT_DOUBLE_EQ(nodes[0].SolarRadiation, 200);
}

}  // namespace
