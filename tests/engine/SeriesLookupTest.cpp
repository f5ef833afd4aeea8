// Lookups in the model's series: values past the end of a series, the run's record of the
// series that went past their end (once each, in order), and the names the warnings give them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/SeriesLookup.h"

namespace {

// A boundary node with an element of the given codes and a series of three rows, hourly.
struct BoundaryNode {
    NodeRecord Node;
    BoundaryElementRecord Element;
    BoundaryHydrograph Series;

    BoundaryNode(int number, int stageCode, int dischargeCode)
    {
        SetNodeDefaults(&Node);
        Node.Number = number;
        Node.BoundaryElement = &Element;
        Element.Node() = &Node;
        Element.StageCode = stageCode;
        Element.DischargeCode = dischargeCode;
        Element.Hydrograph = &Series;
        Series.Node = &Node;
        Series.RowCount = 3;
        for (auto& column : Series.Columns) column.assign(3, 0.0);
        Series.Columns[0] = {0.0, 3600.0, 7200.0};
        Series.Columns[2] = {10.0, 20.0, 40.0};
    }
    ~BoundaryNode() { Element.Hydrograph = nullptr; }
    double DischargeAt(double seconds)
    {
        return SeriesValueAt(NameHydrograph(&Series), Series.Columns[0].data(), Series.Columns[2].data(), seconds,
                             Series.RowCount);
    }
};

class SeriesLookup : public testing::Test
{
protected:
    void SetUp() override { ResetExtrapolatedSeries(); }
    void TearDown() override { ResetExtrapolatedSeries(); }
};

TEST_F(SeriesLookup, PastTheEndTheLastValueIsHeldAndTheSeriesNotedOnceInOrder)
{
    BoundaryNode inflow(1, 0, 1);
    BoundaryNode lateral(5, 0, 99);
    struct Case {
        double seconds;
        double value;
        std::size_t noted;  // series in the record after the lookup
    } cases[] = {
        {-10, 10, 0}, {0, 10, 0}, {1800, 15, 0}, {3600, 20, 0}, {7200, 40, 0},  // at the last key: its own value
        {7200.5, 40, 1}, {1e9, 40, 1}, {7300, 40, 1},
    };
    testing::internal::CaptureStdout();
    for (const Case& c : cases) {
        EXPECT_EQ(inflow.DischargeAt(c.seconds), c.value) << c.seconds;
        EXPECT_EQ(ExtrapolatedSeriesOfRun().size(), c.noted) << c.seconds;
    }
    // Another series joins the record after the first; looking up the first again changes nothing.
    EXPECT_EQ(lateral.DischargeAt(9000), 40);
    EXPECT_EQ(inflow.DischargeAt(9000), 40);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the engine prints nothing itself";

    const std::vector<ExtrapolatedSeries>& record = ExtrapolatedSeriesOfRun();
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(record[0].Series, (SeriesName{DischargeHydrographSeries, 1}));
    EXPECT_EQ(record[0].LastKey, 7200);
    EXPECT_EQ(record[1].Series, (SeriesName{LateralInflowSeries, 5}));

    // A new run starts with an empty record, and notes the series again.
    ResetExtrapolatedSeries();
    EXPECT_TRUE(ExtrapolatedSeriesOfRun().empty());
    inflow.DischargeAt(8000);
    EXPECT_EQ(ExtrapolatedSeriesOfRun().size(), 1u);
}

TEST_F(SeriesLookup, TheWarningNamesTheNodeAndWhatItsSeriesGives)
{
    struct Case {
        int stageCode, dischargeCode;
        int kind;
        const char* name;
    } cases[] = {
        {1, 0, StageHydrographSeries, "the stage hydrograph of node 7"},
        {0, 1, DischargeHydrographSeries, "the discharge hydrograph of node 7"},
        {1, 1, StageDischargeSeries, "the stage and discharge hydrograph of node 7"},
        {0, 99, LateralInflowSeries, "the lateral inflow hydrograph of node 7"},
        {0, 3, BoundarySeries, "the boundary series of node 7"},
    };
    for (const Case& c : cases) {
        BoundaryNode b(7, c.stageCode, c.dischargeCode);
        EXPECT_EQ(NameHydrograph(&b.Series), (SeriesName{c.kind, 7})) << c.name;
        EXPECT_EQ(DescribeSeries(NameHydrograph(&b.Series)), c.name);
    }
    // A series its node's element does not hold is named by its node alone.
    BoundaryNode b(3, 0, 1);
    BoundaryHydrograph other;
    other.Node = &b.Node;
    EXPECT_EQ(NameHydrograph(&other), (SeriesName{BoundarySeries, 3}));

    EXPECT_EQ(ExtrapolationWarning({{DischargeHydrographSeries, 1}, 48 * 3600.0}),
              "Array extrapolation has been requested! The run went past the end of the discharge hydrograph of node 1 "
              "(48 hrs); its last values are held.");
    EXPECT_EQ(ExtrapolationWarning({NameRatingCurve(&b.Element), 1414.6}),
              "Array extrapolation has been requested! The run went past the end of the rating curve of node 3 (its "
              "highest discharge); its last stage is held.");
    AtmosphericZoneRecord zone;
    zone.Number = 2;
    EXPECT_EQ(DescribeExtrapolation({NameZoneSeries(&zone), 1.5 * 3600}),
              "The run went past the end of the air temperature and solar radiation of atmospheric zone 2 (1.5 hrs); "
              "their last values are held.");
    WQBoundaryHydrograph quality;
    quality.Node = &b.Node;
    EXPECT_EQ(DescribeSeries(NameWaterQualitySeries(&quality)), "the water-quality series of node 3");
}

}  // namespace
