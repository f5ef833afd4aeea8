// The hydrograph view's chart: the reset of the settings after an open, the line of the
// node's history, and the axis ranges.
#include "views/HydrographView.h"

#include "views/ChartSupport.h"

#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/TimeSeries.h"
#include "engine/WaterQualityFile.h"

#include <algorithm>
#include <cmath>

using VQXDisplayLib::VQXDisplayNode;
using VQXDisplayLib::VQXNodeHistory;

namespace {

// The automatic time range starts just before 0, so that a point at 0 h is not on the frame.
constexpr double TimeRangeStart = -0.001;
// The automatic value range reaches this fraction of each extreme's magnitude beyond it.
constexpr double ValueMargin = 0.1;

constexpr const char* TimeLabel = "Time (hours)";

constexpr int Subsets = 1;
constexpr int Line = 0;
constexpr int NoLegend[] = {ChartLegendNone};
constexpr int LineColours[] = {int(ChartRed)};
constexpr int LineTypes[] = {ChartLineMedium};

// The extremes of the finite values of a variable in a history; empty without one.
struct ValueExtent {
    double Min = HUGE_VAL;
    double Max = -HUGE_VAL;
    bool Empty() const { return Min > Max; }
};

ValueExtent FiniteExtent(const VQXNodeHistory& history, int variable, int useFlux)
{
    ValueExtent e;
    for (int i = 0; i < history.Size(); ++i) {
        const double v = VQXDisplayLib::GetSeriesValue(history, i, variable, useFlux);
        if (!std::isfinite(v)) continue;
        e.Min = std::min(e.Min, v);
        e.Max = std::max(e.Max, v);
    }
    return e;
}

// The node's present value of the plot variable that bears the series variable's name; 0
// without a node or without such a variable.
double PresentValue(const VQXDisplayNode* node, int seriesVariable, int useFlux)
{
    const char* name = VQXDisplayLib::SeriesVariableName(seriesVariable);
    if (!node || !name) return 0.0;
    return node->GetPlotValue(VQXDisplayNode::FindPlotVariable(name), useFlux);
}

}  // namespace

void CHydrographView::ApplyChartStyle()
{
    ::ApplyChartStyle(Chart, HydrographChartStyle);
}

void CHydrographView::ApplyReset(CVasquilDoc& doc)
{
    ResetOptions();
    const int type = doc.State ? doc.State->WQType : -1;
    if (doc.WaterQualityLoaded) {
        if (type == WQNutrients) Options.SeriesVariable = VQXDisplayLib::SeriesDO;
        else if (type == WQHeavyMetals || type == WQXenobiotics) Options.SeriesVariable = VQXDisplayLib::SeriesCdw;
    }
    if (!doc.OutputNodeLabels.empty()) Options.LocationName = doc.OutputNodeLabels.front();
    Node = FirstOutputNode(*doc.DisplayModel);
}

void CHydrographView::BuildChart()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel || !doc->State) return;
    ModelState& state = *doc->State;
    if (!CreateChartIfNone(Chart, *this, ViewChartId)) return;
    if (CWnd* window = ChartWindowObject(Chart)) window->ShowWindow(SW_SHOW);  // hidden without output nodes
    if (doc->HydrographViewReset) {
        ApplyReset(*doc);
        doc->HydrographViewReset = 0;
    }
    const int useFlux = doc->DisplayModel->UseFluxDischarge;

    SetChartSubtitle(Chart, state, Options.LocationName, 0, 0);

    // The history read in place, oldest entry first; the component leaves out the points
    // whose value is no finite number.
    const int n = Node ? Node->History.Size() : 0;
    SetChartCounts(Chart, Subsets, n);
    for (int i = 0; i < n; ++i) {
        SetChartPoint(Chart, Line, i, Node->History[i].Time,
                      VQXDisplayLib::GetSeriesValue(Node->History, i, Options.SeriesVariable, useFlux));
    }

    ApplyChartStyle();
    SelectChartAxis(Chart, 0);
    ChartSetText(Chart, ChartYAxisLabel, SeriesVariableLabel(Options.SeriesVariable, state.UnitSystem).c_str());
    ChartSetInt(Chart, ChartYScale, ChartScaleAutomatic);
    ChartSetInt(Chart, ChartXScale, ChartScaleAutomatic);
    SetValueRange(useFlux);
    SetTimeRange(state.FinalTime);
    FinishLineAxis(Chart);
    ChartSetText(Chart, ChartXAxisLabel, TimeLabel);
    SetSubsetLooks(Chart, NoLegend, LineColours, LineTypes);
    ShowChart(Chart);
}

void CHydrographView::SetValueRange(int useFlux)
{
    if (Options.YFixed) return SetManualYRange(Chart, Options.YMin, Options.YMax);
    const ValueExtent e = Node ? FiniteExtent(Node->History, Options.SeriesVariable, useFlux) : ValueExtent{};
    if (e.Empty()) return SetManualYRange(Chart, 0.0, PresentValue(Node, Options.SeriesVariable, useFlux));
    // A tenth of each extreme's magnitude beyond it, so negative values keep their margin as
    // positive ones do; a range of no width is widened by the chart.
    SetManualYRange(Chart, e.Min - ValueMargin * std::fabs(e.Min), e.Max + ValueMargin * std::fabs(e.Max));
}

void CHydrographView::SetTimeRange(double finalTime)
{
    if (Options.XFixed) return SetManualXRange(Chart, Options.XMin, Options.XMax);
    SetManualXRange(Chart, TimeRangeStart, finalTime);
}
