// Branch angles of a junction from the plan positions of its nodes.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/EngineData.h"
#include "engine/Junctions.h"
#include "engine/ModelSetup.h"

namespace {

struct Plan {
    NodeRecord a, b, c, d;
    JunctionRecord junction;
    Plan(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy, int type)
    {
        SetModelDefaults();
        for (NodeRecord* n : {&a, &b, &c, &d}) SetNodeDefaults(n);
        a.Easting = ax, a.Northing = ay;
        b.Easting = bx, b.Northing = by;
        c.Easting = cx, c.Northing = cy;
        d.Easting = dx, d.Northing = dy;
        junction.Type = type;
        junction.NodeA = &a;
        junction.NodeB = &b;
        junction.NodeC = &c;
        junction.NodeD = &d;
        junction.BranchCosines[0] = junction.BranchCosines[1] = 0.25;
    }
};

TEST(JunctionBranchAngles, TypeOneJunctionsAreStraight)
{
    Plan p(0, 0, 0, 10, -10, 3, 10, 0, 1);
    ComputeJunctionBranchAngles(&p.junction);
    EXPECT_EQ(p.junction.BranchCosines[0], 1.0);
    EXPECT_EQ(p.junction.BranchCosines[1], 1.0);
}

TEST(JunctionBranchAngles, TypeTwoFollowsTheAngleToTheThroughBranch)
{
    // B at right angles to AD: cos(pi - 90 deg) = 0; C 60 degrees off AD: cos(120 deg) = -0.5.
    Plan p(0, 0, 0, 10, 5, 5 * std::sqrt(3.0), 10, 0, 2);
    ComputeJunctionBranchAngles(&p.junction);
    EXPECT_NEAR(p.junction.BranchCosines[1], 0.0, 1e-12);
    EXPECT_NEAR(p.junction.BranchCosines[0], -0.5, 1e-12);
}

TEST(JunctionBranchAngles, CollinearBranchesStayFiniteFarFromTheOrigin)
{
    // Far from the origin the cosine law rounds just past +-1; the clamp keeps acos defined.
    const double x0 = 512345.678901, y0 = 6123456.789012;
    for (double k : {0.1, 1.0, 3.7, 1000.0}) {
        Plan p(x0, y0, x0 - 3 * k, y0 - 4 * k, x0 + 6 * k, y0 + 8 * k, x0 + 3 * k, y0 + 4 * k, 2);
        ComputeJunctionBranchAngles(&p.junction);
        // B straight upstream of A: cos(pi - pi) = 1; C beyond D on the same line: cos(pi - 0) = -1.
        EXPECT_TRUE(std::isfinite(p.junction.BranchCosines[0])) << k;
        EXPECT_TRUE(std::isfinite(p.junction.BranchCosines[1])) << k;
        EXPECT_NEAR(p.junction.BranchCosines[1], 1.0, 1e-9) << k;
        EXPECT_NEAR(p.junction.BranchCosines[0], -1.0, 1e-9) << k;
    }
}

TEST(JunctionBranchAngles, ABranchWithoutLengthKeepsTheStraightValue)
{
    Plan p(5, 5, 5, 5, 0, 5, 10, 5, 2);   // B on top of A
    ComputeJunctionBranchAngles(&p.junction);
    EXPECT_EQ(p.junction.BranchCosines[1], 1.0);
    EXPECT_NEAR(p.junction.BranchCosines[0], 1.0, 1e-12);
    Plan q(5, 5, 5, 9, 0, 5, 5, 5, 2);   // D on top of A: no through direction
    ComputeJunctionBranchAngles(&q.junction);
    EXPECT_EQ(q.junction.BranchCosines[0], 1.0);
    EXPECT_EQ(q.junction.BranchCosines[1], 1.0);
}

}  // namespace
