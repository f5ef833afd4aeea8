#include "views/ChartSupport.h"

#include "datalib/DisplayNode.h"
#include "datalib/ModelState.h"
#include "datalib/TimeSeries.h"
#include "platform/Window.h"
#include "platform/chart/ChartWindow.h"

namespace {

// The looks every chart starts with: its desk and grid colours, an image without shadows, fonts
// of a fixed size.
constexpr ChartIntSetting CommonLooks[] = {
    {ChartDeskColour, int(RGB(220, 220, 220))},
    {ChartGridColour, int(RGB(190, 190, 190))},
    {ChartPrepareImages, 1},
    {ChartCacheImage, 0},
    {ChartDataShadows, 0},
    {ChartFixedFonts, 1},
};
constexpr ChartIntSetting ViewStyleBeforeFonts[] = {{ChartAllowPopupMenu, 0}};
constexpr ChartIntSetting ProfileStyleAfterFonts[] = {
    {ChartLabelBold, 1},    {ChartGridLineControl, 0}, {ChartGridInFront, 1},
    {ChartAllowZooming, 3}, {ChartViewingStyle, 3},    {ChartBorderStyle, 1},
    {ChartQuickStyle, 3},   {ChartFocalRectangle, 1},  {ChartFontScale, 50},
};
// The hydrograph has its grid behind the data and turns off the interactive features one by one.
constexpr ChartIntSetting HydrographStyleAfterFonts[] = {
    {ChartLabelBold, 1},
    {ChartGridLineControl, 0},
    {ChartGridInFront, 0},
    {ChartAllowZooming, 3},
    {ChartViewingStyle, 3},
    {ChartBorderStyle, 1},
    {ChartQuickStyle, 3},
    {ChartFocalRectangle, 1},
    {ChartAllowExport, 0},
    {ChartAllowMaximize, 0},
    {ChartAllowDataHotSpots, 0},
    {ChartAllowCustomize, 0},
    {ChartAllowGraphHotSpots, 0},
    {ChartAllowTableHotSpots, 0},
    {ChartAllowScrolling, 0},
    {ChartAllowSubsetHotSpots, 0},
    {ChartAllowAnnotationHotSpots, 0},
    {ChartAllowPointHotSpots, 0},
    {ChartFontScale, 50},
    {ChartShowAnnotations, 1},
};
// The cross-section chart repeats some settings, and has a viewing style of its own.
constexpr ChartIntSetting CrossSectionStyleBeforeFonts[] = {{ChartPrepareImages, 1}, {ChartAllowPopupMenu, 0}};
constexpr ChartIntSetting CrossSectionStyleAfterFonts[] = {
    {ChartLabelBold, 1},   {ChartDataShadows, 0},    {ChartPrepareImages, 1}, {ChartGridLineControl, 0},
    {ChartGridInFront, 1}, {ChartAllowZooming, 3},   {ChartViewingStyle, 0},  {ChartBorderStyle, 1},
    {ChartQuickStyle, 3},  {ChartFocalRectangle, 1},
};

constexpr const char* ChartFont = "Arial";
constexpr int Bold = 1;

// Datalib labels fit this buffer.
constexpr std::size_t LabelBufferSize = 80;

}  // namespace

const ChartStyle ProfileChartStyle{ViewStyleBeforeFonts, ProfileStyleAfterFonts};
const ChartStyle HydrographChartStyle{ViewStyleBeforeFonts, HydrographStyleAfterFonts};
const ChartStyle CrossSectionChartStyle{CrossSectionStyleBeforeFonts, CrossSectionStyleAfterFonts};

bool CreateChartIfNone(ChartHandle& chart, CWnd& owner, int controlId)
{
    if (chart) return true;
    CRect client;
    owner.GetClientRect(&client);
    chart = ChartCreate(ChartObjectGraph, ChartStyleVisible, client, &owner, controlId);
    return chart != nullptr;
}

void FitChartToClient(ChartHandle chart, CWnd& owner)
{
    if (!chart) return;
    CRect client;
    owner.GetClientRect(&client);
    if (CWnd* window = ChartWindowObject(chart)) window->MoveWindow(0, 0, client.Width(), client.Height(), FALSE);
}

void DestroyChart(ChartHandle& chart)
{
    if (chart) ChartDestroy(chart);
    chart = nullptr;
}

CWnd* ChartWindowObject(ChartHandle chart)
{
    return chart ? CWnd::FromWidget(chart) : nullptr;
}

void ShowChart(ChartHandle chart)
{
    ChartReinitialize(chart);
    ChartResetImage(chart, 0, 0);
    if (CWnd* window = ChartWindowObject(chart)) window->InvalidateRect(nullptr, FALSE);
}

void ApplyChartStyle(ChartHandle chart, const ChartStyle& style)
{
    for (const ChartIntSetting& s : CommonLooks) ChartSetInt(chart, s.Id, s.Value);
    for (const ChartIntSetting& s : style.BeforeFonts) ChartSetInt(chart, s.Id, s.Value);
    ChartSetText(chart, ChartMainTitle, "");
    ChartSetText(chart, ChartTitleFont, ChartFont);
    ChartSetInt(chart, ChartTitleBold, Bold);
    ChartSetText(chart, ChartPlainSubtitle, "");
    ChartSetText(chart, ChartLabelFont, ChartFont);
    for (const ChartIntSetting& s : style.AfterFonts) ChartSetInt(chart, s.Id, s.Value);
}

void SetChartDouble(ChartHandle chart, int id, double value)
{
    ChartSetArray(chart, id, &value, 0);
}

void SetChartFloat(ChartHandle chart, int id, float value)
{
    ChartSetArray(chart, id, &value, 0);
}

void SetChartInts(ChartHandle chart, int id, std::span<const int> values)
{
    ChartSetArray(chart, id, values.data(), int(values.size()));
}

void SetChartIntCell(ChartHandle chart, int id, int index, int value)
{
    ChartSetCell(chart, id, index, &value);
}

void SetChartCounts(ChartHandle chart, int subsets, int points)
{
    ChartSetInt(chart, ChartSubsetCount, subsets);
    ChartSetInt(chart, ChartPointCount, points);
    ChartSetInt(chart, ChartPointsHaveX, 1);
    ChartSetInt(chart, ChartPointsHaveY, 1);
}

void SetChartPoint(ChartHandle chart, int subset, int point, double x, double y)
{
    ChartSetPointCell(chart, ChartXData, subset, point, &x);
    ChartSetPointCell(chart, ChartYData, subset, point, &y);
}

void SetSubsetLabels(ChartHandle chart, std::span<const char* const> labels)
{
    for (std::size_t s = 0; s < labels.size(); ++s) ChartSetCell(chart, ChartSubsetLabels, int(s), labels[s]);
}

void SetSubsetLooks(ChartHandle chart, std::span<const int> legend, std::span<const int> colours,
                    std::span<const int> lineTypes)
{
    SetChartInts(chart, ChartLegendSubsets, legend);
    SetChartInts(chart, ChartSubsetColours, colours);
    SetChartInts(chart, ChartSubsetLineTypes, lineTypes);
}

void SetChartSubtitle(ChartHandle chart, ModelState& state, const std::string& title, int modelTime, int calendar)
{
    const std::string cut = title.substr(0, MaxChartTitleLength);
    state.FormatChartSubtitle(cut.c_str(), modelTime, calendar);
    ChartSetCell(chart, ChartSubtitle, 0, state.Subtitle);
}

void SelectChartAxis(ChartHandle chart, int axis)
{
    ChartSetInt(chart, ChartWorkingAxis, axis);
    ChartSetInt(chart, ChartYAxisStyle, 0);
}

void SetManualYRange(ChartHandle chart, double minimum, double maximum)
{
    ChartSetInt(chart, ChartYScale, ChartScaleManual);
    SetChartDouble(chart, ChartYMinimum, minimum);
    SetChartDouble(chart, ChartYMaximum, maximum);
}

void SetManualXRange(ChartHandle chart, double minimum, double maximum)
{
    ChartSetInt(chart, ChartXScale, ChartScaleManual);
    SetChartDouble(chart, ChartXMinimum, minimum);
    SetChartDouble(chart, ChartXMaximum, maximum);
}

void SetNullValues(ChartHandle chart)
{
    SetChartDouble(chart, ChartNullXValue, ChartNullValue);
    SetChartDouble(chart, ChartNullYValue, ChartNullValue);
}

void FinishLineAxis(ChartHandle chart)
{
    ChartSetInt(chart, ChartYAxisOnRight, 0);
    ChartSetInt(chart, ChartNullDataGaps, 0);
    ChartSetInt(chart, ChartAxisPlotting, ChartPlotLines);
    SetNullValues(chart);
}

std::string PlotVariableLabel(int variable, int units)
{
    char label[LabelBufferSize] = {};
    VQXDisplayLib::VQXDisplayNode::FormatPlotVariableLabel(variable, label, units);
    return label;
}

std::string SeriesVariableLabel(int variable, int units)
{
    char label[LabelBufferSize] = {};
    VQXDisplayLib::FormatSeriesVariableLabel(variable, label, units);
    return label;
}
