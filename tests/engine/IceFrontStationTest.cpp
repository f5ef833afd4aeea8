// River station of an ice front, interpolated along the node chain.
#include <gtest/gtest.h>

#include <vector>

#include "engine/EngineData.h"
#include "engine/IceFront.h"
#include "engine/ModelSetup.h"

namespace {

class IceFrontStation : public ::testing::Test {
protected:
    // Chainages 0, 100, 100, 300 m; river stations 9, 8, 7.5, 6.
    void SetUp() override
    {
        nodes_.resize(4);
        const double chainage[4] = {0, 100, 100, 300};
        const double station[4] = {9, 8, 7.5, 6};
        for (int i = 0; i < 4; ++i) {
            SetNodeDefaults(&nodes_[i]);
            nodes_[i].Chainage = chainage[i];
            nodes_[i].RiverStation = station[i];
            nodes_[i].Next = i < 3 ? &nodes_[i + 1] : nullptr;
        }
        saved_ = g_Nodes;
        g_Nodes = &nodes_[0];
    }
    void TearDown() override { g_Nodes = saved_; }
    double StationOf(double front, NodeRecord* node = nullptr)
    {
        BridgingEventRecord event;
        event.FrontLocation = front;
        LocateIceFrontStation(node, &event);
        return event.FrontStation;
    }
    std::vector<NodeRecord> nodes_;
    NodeRecord* saved_ = nullptr;
};

TEST_F(IceFrontStation, InterpolatesWithinTheReachThatHoldsTheFront)
{
    EXPECT_DOUBLE_EQ(StationOf(50), 8.5);
    EXPECT_DOUBLE_EQ(StationOf(100), 8);     // the reach (0, 100] holds its downstream end
    EXPECT_DOUBLE_EQ(StationOf(200), 6.75);  // (100, 300] of the third node
    EXPECT_DOUBLE_EQ(StationOf(300), 6);
}

TEST_F(IceFrontStation, OutsideEveryReachTheFirstNodeIsUsed)
{
    EXPECT_DOUBLE_EQ(StationOf(0), 9);
    EXPECT_DOUBLE_EQ(StationOf(-50), 9 + 0.5);   // extrapolated from the first reach
    EXPECT_DOUBLE_EQ(StationOf(400), 9 - 4);
}

TEST_F(IceFrontStation, AGivenNodeIsUsedAsItIs)
{
    EXPECT_DOUBLE_EQ(StationOf(200, &nodes_[2]), 6.75);
    EXPECT_DOUBLE_EQ(StationOf(200, &nodes_[1]), 8);   // equal chainages: the node's own station
    EXPECT_DOUBLE_EQ(StationOf(200, &nodes_[3]), 6);   // the last node has no reach
}

}  // namespace
