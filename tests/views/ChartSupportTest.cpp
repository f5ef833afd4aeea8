// The chart views' shared looks, checked against the call sequences that the chart component's
// tests replay (written out call by call there): a style table must leave a chart with the
// values its chart's sequence sets.
#include "views/ChartSupport.h"

#include "platform/chart/ChartWindow.h"
#include "tests/platform/chart/ChartReplay.h"

#include <gtest/gtest.h>

#include <QRect>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace {

// Ids the component takes, the range every property id lies in.
constexpr int FirstId = 2000;
constexpr int LastId = 3999;
// The texts of the fonts block.
constexpr int TextIds[] = {ChartMainTitle, ChartTitleFont, ChartPlainSubtitle, ChartLabelFont};

// A top-level chart (no parent, not shown), destroyed at the end of scope.
struct Chart {
    ChartHandle Handle = ChartCreate(ChartObjectGraph, 0, QRect(0, 0, 400, 300), nullptr, ViewChartId);
    ~Chart() { ChartDestroy(Handle); }
    const ChartPropertyStore& Store() const { return ChartWindow::FromHandle(Handle)->Properties(); }
};

double NumberOf(const Chart& c, int id)
{
    return c.Store().Number(id, 0, std::nan(""));
}

// Every number a style sets is the one the replayed sequence sets, and the sequence sets no
// other number but those in `others` (its data, axes and subsets).
void ExpectStyleOfSequence(const ChartStyle& style, const std::function<void(ChartHandle)>& replay,
                           std::initializer_list<int> others)
{
    Chart styled, replayed;
    ApplyChartStyle(styled.Handle, style);
    replay(replayed.Handle);
    for (int id = FirstId; id <= LastId; ++id) {
        const double mine = NumberOf(styled, id);
        const double theirs = NumberOf(replayed, id);
        const bool other = std::find(others.begin(), others.end(), id) != others.end();
        if (!std::isnan(mine) || (!other && !std::isnan(theirs))) {
            EXPECT_EQ(mine, theirs) << "property " << id;
        }
    }
    for (const int id : TextIds) EXPECT_EQ(styled.Store().Text(id), replayed.Store().Text(id)) << "text " << id;
}

TEST(ChartSupport, EachChartsStyleTableSetsWhatItsCallSequenceSets)
{
    {
        SCOPED_TRACE("profile");
        // The replayed profile style ends with the annotation switches, which the view sets
        // by its layout.
        ExpectStyleOfSequence(ProfileChartStyle, [](ChartHandle c) { chart_replay::ApplyProfileStyle(c, false); },
                              {ChartShowAnnotations, ChartShowAnnotationText});
    }
    {
        SCOPED_TRACE("hydrograph");
        chart_replay::Hydrograph h;
        h.Time = {0.0, 1.0};
        h.Value = {5.0, 6.0};
        ExpectStyleOfSequence(HydrographChartStyle, [&](ChartHandle c) { chart_replay::BuildHydrograph(c, h); },
                              {ChartSubsetCount,  ChartPointCount,    ChartPointsHaveX,   ChartPointsHaveY,
                               ChartWorkingAxis,  ChartYAxisStyle,    ChartYScale,        ChartYMinimum,
                               ChartYMaximum,     ChartXScale,        ChartXMinimum,      ChartXMaximum,
                               ChartYAxisOnRight, ChartNullDataGaps,  ChartAxisPlotting,  ChartNullXValue,
                               ChartNullYValue,   ChartLegendSubsets, ChartSubsetColours, ChartSubsetLineTypes});
    }
    {
        SCOPED_TRACE("cross section");
        chart_replay::CrossSection x;
        x.Rows = {{"0", "10"}, {"5", "2"}, {"10", "10"}};
        x.LeftBank = "0";
        x.RightBank = "10";
        ExpectStyleOfSequence(CrossSectionChartStyle, [&](ChartHandle c) { chart_replay::BuildCrossSection(c, x); },
                              {ChartSubsetCount, ChartPointCount, ChartPointsHaveX, ChartPointsHaveY, ChartXScale,
                               ChartXMinimum, ChartXMaximum, ChartWorkingAxis, ChartYAxisStyle, ChartAxisPlotting,
                               ChartAxisPlottingOption, ChartAxisPlottingDetail, ChartLegendSubsets, ChartLegendStyle,
                               ChartSubsetColours, ChartSubsetLineTypes, ChartSubsetPlotTypes});
    }
}

}  // namespace
