// Units, clamps, boundary layouts and the state the reader derives while it reads.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"

using namespace modelfiles_test;

namespace {

void SetCount(std::string& header, const std::string& key, int value)
{
    const size_t at = header.find(key);
    ASSERT_NE(at, std::string::npos) << key;
    const size_t end = header.find('\n', at);
    header.replace(at, end - at, key + std::to_string(value));
}

struct Counts {
    int nodes = 2, elements = 1, boundaries = 1, junctions = 0, zones = 0, events = 0;
};

// The header of a fixture with new counts, followed by the given sections.
std::string ModelWithBody(const char* fixture, Counts c, const std::string& body)
{
    const std::string text = Fixture(fixture);
    std::string header = text.substr(0, text.find("\n \tNode Information"));
    SetCount(header, " Number of Nodes = ", c.nodes);
    SetCount(header, " Number of Elements = ", c.elements);
    SetCount(header, " Number of  Boundary Elements = ", c.boundaries);
    SetCount(header, " Number of Junctions = ", c.junctions);
    if (header.find(" Number of Atmospheric Zones = ") != std::string::npos) {
        SetCount(header, " Number of Atmospheric Zones = ", c.zones);
        SetCount(header, " Number of User Defined Bridging Events = ", c.events);
    }
    return header + "\n \tNode Information \n\n" + body;
}

std::string Replaced(std::string text, const std::string& find, const std::string& by)
{
    const size_t at = text.find(find);
    EXPECT_NE(at, std::string::npos) << find;
    if (at != std::string::npos) text.replace(at, find.size(), by);
    return text;
}

// Reads the header and the node rows of a model, and nothing else: the node state as the
// reader derives it, before the model is initialised.
void ReadNodesOnly(const std::string& text, int nodes)
{
    std::vector<int> codes;
    {
        QuietStdout quiet;
        FILE* f = StreamOver(text);
        codes.push_back(ReadModelHeader(f));
        for (int i = 0; i < nodes && codes.back() == 0; ++i) codes.push_back(ReadNodeRow(f, i));
        std::fclose(f);
    }
    ASSERT_EQ(codes.size(), static_cast<size_t>(nodes) + 1);
    for (size_t k = 0; k < codes.size(); ++k) ASSERT_EQ(codes[k], 0) << (k == 0 ? "header" : "node row ") << k;
}

const double Foot = 0.3048;
const double Mile = 5280 * 0.3048;
const double Cfs = 0.3048 * 0.3048 * 0.3048;

TEST_F(ModelFileTest, ImperialValuesBecomeMetres)
{
    EXPECT_DOUBLE_EQ(Mile, 1609.344);
    EXPECT_DOUBLE_EQ(Cfs, 0.028316846592);
    const std::string ice = "\t1\t0.5\t0.001\t1\t0.4\t2\t1\t3\t0\t0\t0\t0.02\t0\t1\t20\t1.5\t0.2\t0.08\t18 \n";
    const std::string text = ModelWithBody("ft3-imperial.vqx", {2, 1, 1, 0, 1, 1},
                                           "\t1\t5\t0\t1\t1\t2\t1\t10\t0.03\t20\t0\t14\t1" + ice +
                                               "\t2\t4\t0\t1\t1001\t2002\t2\t9\t0.03\t20\t1\t13\t2" + ice +
                                               "\t1\t1\t2\t0\t0\t0\t0\t0 \n"
                                               "\t1\t1\t-1\t0\t1\t1 \n\t1\t2\t3\t4\t0.5\t0.625\t7\t8 \n \n"
                                               "\t1\t2 \n\t1\t-5\t10 \n\t2\t-6\t20 \n"
                                               "\t1\t1.5\t0\t1.25 \n");
    // The node rows as read (initialising the model recomputes the ice velocity of a thermal run).
    ReadNodesOnly(text, 2);
    const ModelControl& mc = g_ModelControl;
    EXPECT_EQ(mc.UnitSystem, 0);
    EXPECT_EQ(mc.LengthFactor, Foot);
    EXPECT_EQ(mc.DistanceFactor, 5280);

    const NodeRecord* a = &g_NodeBlock[0];
    const NodeRecord* b = &g_NodeBlock[1];
    EXPECT_DOUBLE_EQ(a->Chainage, 1609.344);
    EXPECT_DOUBLE_EQ(b->Chainage, 2 * 1609.344);
    EXPECT_DOUBLE_EQ(a->Discharge, 0.028316846592);
    EXPECT_DOUBLE_EQ(b->Discharge, 2 * 0.028316846592);
    EXPECT_DOUBLE_EQ(b->Easting, 1001 * Foot);
    EXPECT_DOUBLE_EQ(b->Northing, 2002 * Foot);
    EXPECT_DOUBLE_EQ(a->Invert, 10 * Foot);
    EXPECT_DOUBLE_EQ(a->RectWidth, 20 * Foot);
    EXPECT_DOUBLE_EQ(a->Stage, 14 * Foot);
    EXPECT_EQ(a->RiverStation, 5);
    EXPECT_DOUBLE_EQ(a->IceVelocity, Foot);
    EXPECT_EQ(a->WaterTemp, 0.5);
    EXPECT_EQ(a->FrazilConcentration, 0.001);
    EXPECT_DOUBLE_EQ(a->AnchorIceArea, Foot * Foot);
    EXPECT_DOUBLE_EQ(a->SlushArea, 2 * Foot * Foot);
    EXPECT_DOUBLE_EQ(a->UnderSlushArea, Foot * Foot);
    EXPECT_DOUBLE_EQ(a->SolidIceArea, 3 * Foot * Foot);
    EXPECT_EQ(a->Hwa, 20);
    EXPECT_EQ(a->Hia, 18);
    EXPECT_EQ(a->FroudeMax, 0.08);

    ASSERT_EQ(ReadTextQuietly(text), 0);

    const BoundaryHydrograph* h = g_BoundaryElementBlock[0].Hydrograph;
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(h->RowCount, 1);
    EXPECT_EQ(h->Columns[0][0], 3600);
    EXPECT_DOUBLE_EQ(h->Columns[2][0], 2 * Cfs);
    EXPECT_DOUBLE_EQ(h->Columns[3][0], 3 * Foot);
    EXPECT_EQ(h->Columns[4][0], 4);
    EXPECT_EQ(h->Columns[5][0], 0.5);
    EXPECT_EQ(h->Columns[6][0], 0.625);
    EXPECT_DOUBLE_EQ(h->Columns[7][0], 7 * Foot);
    EXPECT_DOUBLE_EQ(h->Columns[8][0], 8 * Foot);
    EXPECT_EQ(h->Columns[1][0], 0);

    ASSERT_NE(g_AtmosphericZones, nullptr);
    EXPECT_EQ(g_AtmosphericZones->Time[1], 7200);
    EXPECT_EQ(g_AtmosphericZones->AirTemperature[1], -6);
    EXPECT_EQ(g_AtmosphericZones->SolarRadiation[1], 20);
    EXPECT_EQ(g_AtmosphericZones->Next, nullptr);

    const BridgingEventRecord* e = g_BridgingEvents;
    ASSERT_NE(e, nullptr);
    EXPECT_DOUBLE_EQ(e->BridgingLocation, 1.5 * Mile);
    EXPECT_DOUBLE_EQ(e->FrontLocation, 1.25 * Mile);
    EXPECT_EQ(e->BridgingTime, 0);
    EXPECT_NEAR(e->FrontStation, 4.75, 1e-12);
    EXPECT_EQ(e->Next, nullptr);
}

// Boundary series by stage and discharge codes: which rows are read into which columns, and
// the plausibility notes.
TEST_F(ModelFileTest, BoundaryCodesDecideTheSeriesLayout)
{
    const std::string body =
        "\t1\t1\t0\t1\t0\t0\t0\t100\t0.03\t20\t0\t102\t10 \n"
        "\t2\t0\t0\t1\t100\t0\t0.1\t99.9\t0.03\t20\t0\t101.9\t10 \n"
        "\t1\t1\t2\t0\t0\t0\t0\t0 \n"
        "\t1\t1\t-1\t0\t1\t2 \n\t0\t10 \n\t1\t20 \n \n"
        "\t2\t1\t-1\t0\t99\t1 \n\t2\t5 \n \n"
        "\t3\t2\t1\t1\t0\t1 \n\t3\t101.5 \n \n"
        "\t4\t2\t1\t1\t1\t1 \n\t4\t30\t102 \n \n"
        "\t5\t2\t1\t2\t0\t1 \n\t100.5\t40 \n \n"
        "\t6\t2\t1\t0\t2\t1 \n\t100.6\t41 \n \n"
        "\t7\t2\t1\t1\t2\t1 \n\t100.7\t42 \n \n"
        "\t8\t1\t-1\t2\t1\t1 \n\t100.8\t43 \n \n"
        "\t9\t2\t1\t0\t3\t7 \n \n"
        "\t10\t2\t1\t1\t3\t5 \n \n"
        "\t11\t2\t1\t3\t0\t5 \n \n"
        "\t12\t2\t1\t0\t0 \n"
        "\t13\t1\t-1\t-1\t0 \n"
        "\t14\t1\t-1\t1\t0\t1 \n\t5\t102.5 \n \n"
        "\t15\t2\t1\t0\t1\t1 \n\t6\t11 \n \n";
    const std::string text = ModelWithBody("ft0-metric.vqx", {2, 1, 15}, body);
    testing::internal::CaptureStdout();
    ASSERT_EQ(ReadText(text), 0);
    std::string output = testing::internal::GetCapturedStdout();
    const std::string lastLine = " Got the ice jam stability equation calculation table\n";
    output = output.substr(0, output.find(lastLine) + lastLine.size());   // then the model is initialised
    const std::string one = "\tMemory allocated for boundary hydrograph at node 1\n";
    const std::string two = "\tMemory allocated for boundary hydrograph at node 2\n";
    const std::string expected =
        " Got the nodes\n Got the elements\n" + one + one + "\nLateral inflow hydrograph\n" + two + two +
        "\nMultiple downstream boundary conditions! Are you sure?\n" + two + two + two + one +
        "\nSingle valued rating curve at upstream boundary! Are you sure?\n" + two +
        "\nDynamic looped rating curve at downstream boundary! Are you sure?\n"
        "\nDynamic looped rating curve - no data needed - all bdy. parameters calculated\n" +
        two + two + one + "\nStage hydrograph at upstream boundary! Are you sure?\n" + two +
        "\nDischarge hydrograph at downstream boundary! Are you sure?\n"
        " Got the boundary conditions\n Got the junctions\n Got the atmospheric zones\n Got the bridging reaches\n"
        " Got the ice jam stability equation calculation table\n";
    EXPECT_EQ(output, expected);

    // Expected rows by element: {rows, time, stage, discharge}; -1 rows for no series at all.
    struct Row {
        int rows;
        double time, stage, discharge;
    };
    const Row expectedRows[15] = {
        {2, 3600, 0, 20}, {1, 7200, 0, 5}, {1, 10800, 101.5, 0}, {1, 14400, 102, 30}, {1, 0, 100.5, 40},
        {1, 0, 100.6, 41}, {1, 0, 100.7, 42}, {1, 0, 100.8, 43}, {0, 0, 0, 0}, {0, 0, 0, 0},
        {0, 0, 0, 0}, {-1, 0, 0, 0}, {-1, 0, 0, 0}, {1, 18000, 102.5, 0}, {1, 21600, 0, 11},
    };
    int k = 0;
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next, ++k) {
        ASSERT_LT(k, 15);
        const Row& r = expectedRows[k];
        EXPECT_EQ(b->Number, k + 1);
        EXPECT_EQ(b->GeometryCode, 1);
        EXPECT_EQ(b->NodeCount, 1);
        EXPECT_EQ(b->WQHydrograph, nullptr);
        if (r.rows < 0) {
            EXPECT_EQ(b->Hydrograph, nullptr) << "element " << k + 1;
            continue;
        }
        ASSERT_NE(b->Hydrograph, nullptr) << "element " << k + 1;
        const BoundaryHydrograph& h = *b->Hydrograph;
        EXPECT_EQ(h.Cursor, 1);
        EXPECT_EQ(h.Node, b->Node());
        ASSERT_EQ(h.RowCount, r.rows) << "element " << k + 1;
        if (r.rows == 0) continue;
        const int last = r.rows - 1;
        EXPECT_EQ(h.Columns[0][last], r.time) << "element " << k + 1;
        EXPECT_EQ(h.Columns[1][last], r.stage) << "element " << k + 1;
        EXPECT_EQ(h.Columns[2][last], r.discharge) << "element " << k + 1;
        for (int c = 3; c < BoundaryHydrographColumns; ++c) EXPECT_EQ(h.Columns[c][last], 0);
    }
    EXPECT_EQ(k, 15);
    // The node's boundary element is the last one read at it.
    EXPECT_EQ(g_NodeIndex[0]->BoundaryElement, &g_BoundaryElementBlock[13]);
    EXPECT_EQ(g_NodeIndex[1]->BoundaryElement, &g_BoundaryElementBlock[14]);
}

TEST_F(ModelFileTest, DynamicIceInflowFillsItsColumns)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft2-metric.vqx")), 0);
    const BoundaryHydrograph* h = g_BoundaryElementBlock[0].Hydrograph;
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(h->RowCount, 4);
    const double expected[BoundaryHydrographColumns] = {6 * 3600, 0, 120, 0.4, 0, 0, 0.3, 0, 0.2};
    for (int c = 0; c < BoundaryHydrographColumns; ++c) EXPECT_EQ(h->Columns[c][1], expected[c]) << c;
}

TEST_F(ModelFileTest, ThetasAndSurfaceIceConcentrationsAreClamped)
{
    const auto thetaOf = [&](const char* fixture, const std::string& key, const std::string& value, int system) {
        std::string text = Fixture(fixture);
        const size_t at = text.find(key);
        text.replace(at, text.find('\n', at) - at, key + value);
        EXPECT_EQ(ReadTextQuietly(text), 0);
        return g_EquationSystems[system].Theta;
    };
    EXPECT_EQ(thetaOf("ft0-metric.vqx", " Hydrodynamics Theta = ", "1.5", 0), 1);
    EXPECT_EQ(thetaOf("ft0-metric.vqx", " Hydrodynamics Theta = ", "-0.2", 0), 0);
    EXPECT_EQ(thetaOf("ft0-metric.vqx", " Hydrodynamics Theta = ", "0.75", 0), 0.75);
    EXPECT_EQ(thetaOf("ft2-metric.vqx", " Ice Dynamics Theta = ", "1.5", 1), 1);
    EXPECT_EQ(thetaOf("ft2-metric.vqx", " Ice Dynamics Theta = ", "-0.2", 1), 0);
    EXPECT_EQ(thetaOf("ft3-metric.vqx", " Thermal Ice Theta = ", "1.5", 2), 1);
    EXPECT_EQ(thetaOf("ft3-metric.vqx", " Thermal Ice Theta = ", "-0.2", 2), 0);
    EXPECT_EQ(g_EquationSystems[2].Tolerance, 2e-5);

    struct Case {
        const char* fixture;
        const char* min;
        const char* max;
        double expectedMin, expectedMax;
    };
    const Case cases[] = {
        {"ft3-metric.vqx", "0.8", "0.5", 0.01, 1},  {"ft3-metric.vqx", "-0.1", "0.5", 0, 0.5},
        {"ft3-metric.vqx", "0.3", "1.3", 0.3, 1},   {"ft3-metric.vqx", "0.2", "0.7", 0.2, 0.7},
        {"ft2-metric.vqx", "0.8", "0.5", 0.8, 0.5},  // dynamic ice keeps what it reads
    };
    for (const Case& c : cases) {
        std::string text = Fixture(c.fixture);
        for (const auto& [key, value] : {std::pair<std::string, const char*>{" Minimum Surface Ice Concentration = ", c.min},
                                         {" Maximum Surface Ice Concentration = ", c.max}}) {
            const size_t at = text.find(key);
            text.replace(at, text.find('\n', at) - at, key + value);
        }
        ASSERT_EQ(ReadTextQuietly(text), 0);
        EXPECT_EQ(g_ModelControl.MinSurfaceIceConcentration, c.expectedMin) << c.fixture << ' ' << c.min << ' ' << c.max;
        EXPECT_EQ(g_ModelControl.MaxSurfaceIceConcentration, c.expectedMax) << c.fixture << ' ' << c.min << ' ' << c.max;
    }
}

TEST_F(ModelFileTest, HeaderSetsTheClockSwitchesAndDensities)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft3-metric.vqx")), 0);
    const ModelControl& mc = g_ModelControl;
    EXPECT_EQ(mc.FileType, 3);
    EXPECT_EQ(mc.ModelTime, 36000);
    EXPECT_EQ(mc.FinalTime, 36000 + 2592000);
    const int now[6] = {2021, 3, 14, 16, 30, 0};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(mc.CurrentDate[k], now[k]) << k;
    EXPECT_EQ(mc.Dimension, 1);
    EXPECT_EQ(mc.ElementCodeCount, 5);
    EXPECT_EQ(mc.BoundaryCodeCount, 7);
    EXPECT_EQ(mc.IceFrontStarted, 0);
    EXPECT_EQ(mc.HydrodynamicsOn, 1);
    EXPECT_EQ(mc.DynamicIceOn, 0);
    EXPECT_EQ(mc.ThermalIceOn, 1);
    EXPECT_EQ(mc.ThermalMode, 1);
    EXPECT_DOUBLE_EQ(mc.IceDensity, 916);
    EXPECT_EQ(mc.AtmosphericZoneCount, 2);
    EXPECT_EQ(mc.BridgingEventCount, 3);
    EXPECT_EQ(g_AtmosphericZoneBlock.size(), static_cast<size_t>(MaxAtmosphericZones));
    EXPECT_EQ(g_BridgingEventBlock.size(), static_cast<size_t>(MaxBridgingEvents));
    EXPECT_EQ(g_BridgingEventBlock[3].BridgingTime, 1e101);   // unread slots keep their initial values
    EXPECT_EQ(mc.AnchorIceBedFraction, 0.3);
    EXPECT_EQ(mc.BedMaterialDensity, 2650);
    EXPECT_EQ(mc.WaterConductivity, 0.566);
    EXPECT_EQ(mc.MaxJamIterations, 30);
    EXPECT_EQ(g_EquationSystems[2].UpwindingUpdating, 1);

    ASSERT_EQ(ReadTextQuietly(Fixture("ft2-imperial.vqx")), 0);
    EXPECT_EQ(mc.DynamicIceOn, 1);
    EXPECT_EQ(mc.ThermalIceOn, 0);
    EXPECT_EQ(mc.Formulation, 2);
    EXPECT_EQ(g_EquationSystems[1].Upwinding, 0.3);
    EXPECT_EQ(g_EquationSystems[1].Theta, 0.6);
    EXPECT_EQ(mc.CriticalStrainRate, 2e-8);
    EXPECT_EQ(mc.AtmosphericZoneCount, 0);
    EXPECT_TRUE(g_AtmosphericZoneBlock.empty());

    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-metric.vqx")), 0);
    EXPECT_EQ(mc.IceDensity, 917);   // open water keeps the default density
    EXPECT_EQ(mc.WaterTemperature, 4);
    ASSERT_NE(g_Nodes, nullptr);
    EXPECT_EQ(g_Nodes->WaterTemp, 4);
}

TEST_F(ModelFileTest, BridgingFrontsStartWithinTheirBridgingLocation)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft3-metric.vqx")), 0);
    // Nodes every 200 m, river stations from 10 down by 0.2.
    struct Expected {
        double location, time, front, station;
    };
    const Expected expected[3] = {
        {900, 7200, 700, 9.3},      // as read
        {500, 360000, 500, 9.5},    // bridges after the model time: front at the bridging location
        {300, 0, 300, 9.7},         // front beyond its bridging location: moved back to it
    };
    int k = 0;
    for (const BridgingEventRecord* e = g_BridgingEvents; e; e = e->Next, ++k) {
        ASSERT_LT(k, 3);
        EXPECT_EQ(e->Number, k + 1);
        EXPECT_NEAR(e->BridgingLocation, expected[k].location, 1e-9);
        EXPECT_NEAR(e->BridgingTime, expected[k].time, 1e-9);
        EXPECT_NEAR(e->FrontLocation, expected[k].front, 1e-9);
        EXPECT_EQ(e->StepStartFront, e->FrontLocation);
        EXPECT_NEAR(e->FrontStation, expected[k].station, 1e-9);
    }
    EXPECT_EQ(k, 3);
}

TEST_F(ModelFileTest, JunctionsResolveTheirBranches)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-metric.vqx")), 0);
    const auto node = [](int number) {
        for (NodeRecord* n = g_Nodes; n; n = n->Next)
            if (n->Number == number) return n;
        return static_cast<NodeRecord*>(nullptr);
    };
    const auto element = [](int number) { return &g_ElementBlock[number - 1]; };
    const auto distance = [](const NodeRecord* a, const NodeRecord* b) {
        return std::hypot(a->Easting - b->Easting, a->Northing - b->Northing);
    };

    const JunctionRecord* j1 = g_Junctions;
    ASSERT_NE(j1, nullptr);
    const JunctionRecord* j2 = j1->Next;
    ASSERT_NE(j2, nullptr);
    EXPECT_EQ(j2->Next, nullptr);

    // Junction 1, type 1: A 3, B 10, C 2, D 4; elements AB 9, AC 2, AD 3; AB length given.
    EXPECT_EQ(j1->Type, 1);
    EXPECT_EQ(j1->ReadType, 1);
    EXPECT_EQ(j1->NodeA, node(3));
    EXPECT_EQ(j1->NodeB, node(10));
    EXPECT_EQ(j1->NodeC, node(2));
    EXPECT_EQ(j1->NodeD, node(4));
    EXPECT_EQ(j1->ElementAB, element(9));
    EXPECT_EQ(j1->ElementAC, element(2));
    EXPECT_EQ(j1->ElementAD, element(3));
    const NodeRecord* read[4] = {node(3), node(10), node(2), node(4)};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(j1->ReadNodes[k], read[k]);
    EXPECT_EQ(element(9)->Length, 0.25);
    EXPECT_EQ(element(9)->GivenLength, 0.25);
    EXPECT_DOUBLE_EQ(element(2)->Length, distance(node(3), node(2)));
    EXPECT_EQ(element(2)->GivenLength, 0);
    EXPECT_DOUBLE_EQ(element(3)->Length, distance(node(3), node(4)));
    EXPECT_EQ(element(2)->JunctionBranch, 1);
    EXPECT_EQ(element(9)->JunctionBranch, 2);
    EXPECT_EQ(element(3)->JunctionBranch, 3);
    EXPECT_EQ(element(1)->JunctionBranch, 0);
    EXPECT_EQ(element(1)->Length, 0);
    EXPECT_EQ(j1->BranchCosines[0], 1.0);
    EXPECT_EQ(j1->BranchCosines[1], 1.0);
    for (int number : {3, 10, 2, 4}) EXPECT_EQ(node(number)->Junction, j1) << number;

    // Junction 2, type 2: A 6, B 12, C 5, D 7; AD length given, the others from the plan.
    EXPECT_EQ(j2->Type, 2);
    EXPECT_DOUBLE_EQ(element(11)->Length, distance(node(6), node(12)));
    EXPECT_DOUBLE_EQ(element(5)->Length, distance(node(6), node(5)));
    EXPECT_EQ(element(6)->Length, 0.2);
    EXPECT_EQ(element(6)->GivenLength, 0.2);
    // cos(pi - angle XAD) = -(AX . AD) / (|AX| |AD|)
    const auto cosine = [&](const NodeRecord* a, const NodeRecord* x, const NodeRecord* d) {
        const double ux = x->Easting - a->Easting, uy = x->Northing - a->Northing;
        const double vx = d->Easting - a->Easting, vy = d->Northing - a->Northing;
        return -(ux * vx + uy * vy) / (std::hypot(ux, uy) * std::hypot(vx, vy));
    };
    EXPECT_NEAR(j2->BranchCosines[1], cosine(node(6), node(12), node(7)), 1e-12);
    EXPECT_NEAR(j2->BranchCosines[0], cosine(node(6), node(5), node(7)), 1e-12);
    EXPECT_NEAR(j2->BranchCosines[0], 1.0, 1e-12);   // C, A and D lie on a straight line
    EXPECT_LT(j2->BranchCosines[1], 0.9);
}

// The branch discharges as a junction row sets them (initialising the model later replaces them
// with the element end fluxes).
TEST_F(ModelFileTest, JunctionRowsTakeTheDischargesOfTheirBranchNodes)
{
    const std::string text = Fixture("ft0-metric.vqx");
    std::vector<int> codes;
    {
        QuietStdout quiet;
        FILE* f = StreamOver(text);
        codes.push_back(ReadModelHeader(f));
        for (int i = 0; i < 12; ++i) codes.push_back(ReadNodeRow(f, i));
        for (int i = 0; i < 11; ++i) codes.push_back(ReadElementRow(f, i));
        for (int i = 0; i < 4; ++i) codes.push_back(ReadBoundaryElementRow(f, i));
        for (int i = 0; i < 2; ++i) codes.push_back(ReadJunctionRow(f, i));
        std::fclose(f);
    }
    for (size_t k = 0; k < codes.size(); ++k) ASSERT_EQ(codes[k], 0) << k;
    const JunctionRecord& j1 = g_JunctionBlock[0];
    EXPECT_EQ(j1.BranchDischargeAC, 60);   // node 2
    EXPECT_EQ(j1.BranchDischargeAB, 20);   // node 10
    const JunctionRecord& j2 = g_JunctionBlock[1];
    EXPECT_EQ(j2.BranchDischargeAC, 60);   // node 5
    EXPECT_EQ(j2.BranchDischargeAB, 10);   // node 12
    EXPECT_EQ(j1.Next, &j2);
}

TEST_F(ModelFileTest, JamTableKeepsIndices)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-metric.vqx")), 0);
    const JamStabilityTable* jam = g_JamTable;
    ASSERT_NE(jam, nullptr);
    ASSERT_EQ(jam->RowCount, 5);
    const int type[5] = {0, 1, 1, 0, 0};
    const int id[5] = {1, 1, 2, 3, 9};
    const int junction[5] = {-1, 0, 1, -1, -1};
    const int node[5] = {0, -1, -1, 10, -1};   // first node of reach 1, of reach 3; reach 9 has none
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(jam->RowType[r], type[r]) << r;
        EXPECT_EQ(jam->Id[r], id[r]) << r;
        EXPECT_EQ(jam->JunctionIndex[r], junction[r]) << r;
        EXPECT_EQ(jam->NodeIndex[r], node[r]) << r;
    }
    EXPECT_EQ(g_NodeIndex[10]->Reach, 3);
}

TEST_F(ModelFileTest, ProgressLines)
{
    testing::internal::CaptureStdout();
    ASSERT_EQ(ReadText(Fixture("ft0-metric.vqx")), 0);
    const std::string memory = "\tMemory allocated for boundary hydrograph at node ";
    std::string output = testing::internal::GetCapturedStdout();
    const std::string lastLine = " Got the ice jam stability equation calculation table\n";
    output = output.substr(0, output.find(lastLine) + lastLine.size());   // then the model is initialised
    EXPECT_EQ(output,
              " Got the nodes\n Got the elements\n" + memory + "1\n" + memory + "9\n" + memory +
                  "11\n\nLateral inflow hydrograph\n" + memory +
                  "8\n Got the boundary conditions\n Got the junctions\n Got the atmospheric zones\n"
                  " Got the bridging reaches\n\tMemory allocated for jam stability equation table\n"
                  " Got the ice jam stability equation calculation table\n");
    testing::internal::CaptureStdout();
    WriteText();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " Done the nodes\n Done the elements\n Done the boundary conditions\n");
}

TEST_F(ModelFileTest, NodesLinkToTheirZones)
{
    std::string text = Fixture("ft3-metric.vqx");
    ASSERT_EQ(ReadTextQuietly(text), 0);
    int k = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next, ++k) {
        EXPECT_EQ(n->ZoneNumber, 1 + k % 2);
        ASSERT_NE(n->Zone, nullptr);
        EXPECT_EQ(n->Zone->Number, n->ZoneNumber);
    }
    const double xs[2] = {0, 1}, ys[2] = {0, 2};
    ASSERT_DOUBLE_EQ(InterpolateTable(xs, ys, 0.5, 2), 1.0) << "table interpolation";
    // Forcing at the model time, ten hours: zone 1 between its 6 h and 12 h rows, zone 2 between 0 h and 48 h.
    const NodeRecord* first = g_Nodes;
    EXPECT_NEAR(first->AirTemperature, -12.5 + 4.5 * 4 / 6, 1e-9);
    EXPECT_NEAR(first->SolarRadiation, 40 + 140.0 * 4 / 6, 1e-9);
    EXPECT_NEAR(first->Next->AirTemperature, -2 - 13.0 * 10 / 48, 1e-9);
    EXPECT_NEAR(first->Next->SolarRadiation, 10 + 80.0 * 10 / 48, 1e-9);
}

TEST_F(ModelFileTest, ThermalNodeStateFromARectangularRow)
{
    // Rectangle 20 m wide, invert 10, stage 12, 30 m3/s; borders given but a rectangle has none.
    const std::string row = "\t1\t5\t0\t1\t0\t0\t0\t10\t0.03\t20\t0\t12\t30"
                            "\t0.3\t0.5\t0.001\t1.5\t0.4\t2\t1\t3\t4\t5\t0.6\t0.02\t2\t1\t20\t1.5\t0.2\t0.08\t18 \n";
    const std::string text = ModelWithBody("ft3-metric.vqx", {2, 1, 1}, row + Replaced(row, "\t1\t5\t0", "\t2\t4\t0"));
    ReadNodesOnly(text, 2);
    const ModelControl& mc = g_ModelControl;
    ASSERT_EQ(mc.FrazilSlushPorosity, 0.45);
    ASSERT_EQ(mc.AnchorIcePorosity, 0.42);
    ASSERT_EQ(mc.AnchorIceBedFraction, 0.3);
    ASSERT_EQ(mc.MinWaterDepth, 0.05);
    const NodeRecord& n = g_NodeBlock[0];

    const double tw = 0.5, cf = 0.001;
    EXPECT_DOUBLE_EQ(n.ThermalEnergy, (0.076 * tw * tw - 3.31 * tw + 4217.6) * (1 - cf) * tw - 0.916 * cf * 3.34e5);
    EXPECT_DOUBLE_EQ(n.DynamicIceArea, 0.55 * 2 + 3);
    EXPECT_DOUBLE_EQ(n.FloatingIceArea, 0.6 + 0.55 * 2 + 3);
    EXPECT_EQ(n.GrossArea, 40);
    EXPECT_DOUBLE_EQ(n.MinFlowArea, 20 * 0.05);
    EXPECT_EQ(n.TopWidth, 20);
    EXPECT_EQ(n.IceCoveredWidth, 20);
    EXPECT_EQ(n.PreviousIceCoveredWidth, 20);
    EXPECT_EQ(n.BorderWidthLeft, 0);
    EXPECT_EQ(n.BorderWidthRight, 0);
    EXPECT_EQ(n.BorderFraction, 0);
    EXPECT_EQ(n.BorderIceActive, 0);
    EXPECT_EQ(n.BorderIceThickness, 0);
    EXPECT_EQ(n.OverbankFlag, 0);
    EXPECT_EQ(n.CrossSection, nullptr);
    const double perimeter = 2 * (0.58 * 1.5 + n.FlowArea) / 20 + 20;
    EXPECT_DOUBLE_EQ(n.WettedPerimeter, perimeter);
    EXPECT_DOUBLE_EQ(n.AnchorIceThickness, 1.5 / perimeter / 0.3);
    // Concentration 0.4 lies inside [0.02, 0.98]: the ice spreads over 0.4 of the width.
    EXPECT_DOUBLE_EQ(n.IceThickness, 3 / 8.0);
    EXPECT_DOUBLE_EQ(n.SlushThickness, 2 / 8.0);
    EXPECT_DOUBLE_EQ(n.UnderSlushThickness, 1 / 8.0);
    const double slush = 3 / 8.0;
    const double effective = (0.45 * 1000 / 916 + 0.55) * slush + 3 / 8.0;
    EXPECT_DOUBLE_EQ(n.SolidEquivalentThickness, 0.55 * slush + 3 / 8.0);
    EXPECT_DOUBLE_EQ(n.EffectiveIceThickness, effective);
    EXPECT_DOUBLE_EQ(n.IceTopElevation, 12 + (1 - 0.916) * effective);
    EXPECT_DOUBLE_EQ(n.IceBottomElevation, 12 + (1 - 0.916) * effective - 6 / 8.0);
    EXPECT_DOUBLE_EQ(n.AnchorBedElevation, 10 + n.AnchorIceThickness);
    EXPECT_EQ(n.PreviousStage, 12);
    EXPECT_EQ(n.PeakStage, 12);
    EXPECT_EQ(n.FluxDischarge, 30);
    EXPECT_EQ(n.PeakFluxDischarge, 30);
    EXPECT_EQ(n.Zone, nullptr);
    const double hydro[2] = {40, 30};
    const double ice[2] = {0.55 * 2 + 3, 0.3};
    const double thermal[6] = {n.ThermalEnergy, 0.001, 1, 0.4, 2, 3};
    for (int k = 0; k < 2; ++k) {
        EXPECT_DOUBLE_EQ(n.HydroUnknowns[k], hydro[k]);
        EXPECT_DOUBLE_EQ(n.PreviousHydroUnknowns[k], hydro[k]);
        EXPECT_DOUBLE_EQ(n.IceUnknowns[k], ice[k]);
        EXPECT_DOUBLE_EQ(n.PreviousIceUnknowns[k], ice[k]);
    }
    for (int k = 0; k < 6; ++k) {
        EXPECT_DOUBLE_EQ(n.ThermalUnknowns[k], thermal[k]) << k;
        EXPECT_DOUBLE_EQ(n.PreviousThermalUnknowns[k], thermal[k]) << k;
    }
    EXPECT_EQ(n.Index, 0);
    EXPECT_EQ(n.Previous, nullptr);
    EXPECT_EQ(n.Next, &g_NodeBlock[1]);
    EXPECT_EQ(g_NodeBlock[1].Previous, &g_NodeBlock[0]);
    EXPECT_EQ(g_NodeBlock[1].Next, nullptr);
    EXPECT_EQ(g_NodeIndex[1], &g_NodeBlock[1]);

    // Water area: gross area less the floating ice and the solid part of the anchor ice.
    EXPECT_NEAR(n.FlowArea, 40 - 0.916 * (0.6 + 0.55 * 2 + 3) - 0.58 * 1.5, 1e-12);
}

TEST_F(ModelFileTest, StaticIceNodeStateFromRectangularRows)
{
    // Concentration 0.5, and 0.005 below the smallest concentration 0.01 of the default.
    const std::string a = "\t1\t5\t0\t1\t0\t0\t0\t10\t0.03\t20\t0\t12\t30\t0.5\t0.4\t0.025\t1\t1 \n";
    const std::string b = "\t2\t4\t0\t1\t0\t0\t0\t10\t0.03\t20\t0\t12\t30\t0.005\t0.4\t0.025\t3\t0 \n";
    ReadNodesOnly(ModelWithBody("ft1-metric.vqx", {2, 1, 1}, a + b), 2);
    const NodeRecord& n = g_NodeBlock[0];
    EXPECT_EQ(n.IceRoughnessMode, 1);
    EXPECT_EQ(n.JamFlag, 1);
    EXPECT_EQ(n.IceRoughness, 0.025);
    EXPECT_DOUBLE_EQ(n.SolidIceArea, 0.4 * 0.5 * 20);
    EXPECT_DOUBLE_EQ(n.IceThickness, 0.4);
    EXPECT_DOUBLE_EQ(n.SolidEquivalentThickness, 0.4);
    EXPECT_DOUBLE_EQ(n.EffectiveIceThickness, 0.4);
    EXPECT_DOUBLE_EQ(n.IceTopElevation, 12 + (1 - 0.916) * 0.4);
    EXPECT_DOUBLE_EQ(n.IceBottomElevation, 12 + (1 - 0.916) * 0.4 - 0.4);
    EXPECT_EQ(n.GrossArea, 40);
    EXPECT_EQ(n.FloatingIceArea, std::max(0.0, n.FlowArea - n.GrossArea));
    EXPECT_EQ(n.WaterTemp, g_ModelControl.WaterTemperature);
    const NodeRecord& m = g_NodeBlock[1];
    EXPECT_DOUBLE_EQ(m.SolidIceArea, 0.4 * 0.005 * 20);
    // The thickness is the file's, not the solid area spread over the clamped concentration
    // (0.2 m, and half again at every open and save).
    EXPECT_DOUBLE_EQ(m.IceThickness, 0.4);
    EXPECT_EQ(m.IceRoughnessMode, 3);

    // Under a static cover the water area lies below the submerged part of the ice.
    EXPECT_NEAR(n.FlowArea, (12 - 10 - 0.916 * 0.4) * 20, 1e-12);
}

// The node hydraulics and property tables of sections with vertical walls, whose property
// tables are exact at every level, against their closed forms.
TEST_F(ModelFileTest, SectionNodeStateAgainstClosedForms)
{
    // Node 1: rectangle 10 m wide with 10 m walls. Nodes 2 and 3: a 10 m channel 3 m deep between
    // flat 20 m overbanks, walls to 10 m; node 2 compound (negative code), node 3 single.
    // Lowest 0 and highest 10 give levels every metre (22 levels), so every stage below is a level.
    const std::string rectangle = "\t4\t0\t10 \n\t0\t10\t0\t0\t10\t0\t10\t10 \n\t1\t0\t0.03\t0.03\t0.03 \n\t1\t0\t1 \n\n \n";
    const std::string stepped = "\t8\t0\t10 \n\t-20\t10\t-20\t3\t0\t3\t0\t0\t10\t0\t10\t3\t30\t3\t30\t10 \n"
                                "\t1\t0\t0.03\t0.05\t0.05 \n\t1\t0\t1 \n\n \n";
    const std::string body = "\t1\t5\t22\t1\t0\t0\t0\t99\t0\t0\t0\t5\t30 \n" + rectangle +
                             "\t2\t4\t-22\t1\t0\t100\t0.1\t99\t0\t0\t0\t5\t30 \n" + stepped +
                             "\t3\t3\t22\t1\t0\t200\t0.2\t99\t0\t0\t0\t2\t30 \n" + stepped;
    ReadNodesOnly(ModelWithBody("ft0-metric.vqx", {3, 2, 1}, body), 3);
    const NodeRecord& r = g_NodeBlock[0];
    const NodeRecord& compound = g_NodeBlock[1];
    const NodeRecord& single = g_NodeBlock[2];
    for (const NodeRecord* n : {&r, &compound, &single}) {
        ASSERT_NE(n->CrossSection, nullptr);
        EXPECT_EQ(n->Invert, 0) << "the lowest point replaces the invert read";
        EXPECT_EQ(n->MinFlowArea, 0);
    }
    EXPECT_DOUBLE_EQ(r.GrossArea, 50);
    EXPECT_DOUBLE_EQ(r.TopWidth, 10);
    EXPECT_DOUBLE_EQ(r.IceCoveredWidth, 10);
    EXPECT_DOUBLE_EQ(r.WettedPerimeter, 10 + 2 * 5);
    EXPECT_EQ(r.OverbankFlag, 0);
    EXPECT_EQ(r.BorderIceActive, 1);

    // Stage 5: channel 10 x 5, each overbank 20 x 2; the key area of a compound node holds all three.
    EXPECT_DOUBLE_EQ(compound.GrossArea, 50 + 2 * 40);
    EXPECT_DOUBLE_EQ(compound.TopWidth, 10);
    EXPECT_DOUBLE_EQ(compound.WettedPerimeter, 10 + 3 + 3);
    EXPECT_EQ(compound.OverbankFlag, 1);
    // Stage 2 stays in the channel.
    EXPECT_DOUBLE_EQ(single.GrossArea, 20);
    EXPECT_DOUBLE_EQ(single.TopWidth, 10);
    EXPECT_DOUBLE_EQ(single.WettedPerimeter, 10 + 2 * 2);
    EXPECT_EQ(single.OverbankFlag, 0);
}

}  // namespace
