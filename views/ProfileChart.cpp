// The profile view's chart: the reset of the settings after an open, the five layouts and
// their subsets, and the axis ranges.
#include "views/ProfileView.h"

#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "engine/WaterQualityFile.h"
#include "platform/Application.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using VQXDisplayLib::VQXBridgingEvent;
using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;

namespace {

// The chart's control id.
constexpr int ProfileChartId = 1001;

// File types of the model state.
constexpr int DynamicIceFile = 2;
constexpr int ThermalIceFile = 3;

// The top variable a reset chooses, by file type, and with a water-quality file.
constexpr const char* OpenWaterTopVariable = "Discharge";
constexpr const char* DynamicIceTopVariable = "Ice Velocity";
constexpr const char* ThermalIceTopVariable = "Water Temperature";
constexpr const char* NutrientTopVariable = "DO";
constexpr const char* MetalTopVariable = "Cdw";

// Plot variables of the elevation chart's automatic range.
constexpr int BedElevationVariable = 0;
constexpr int WaterSurfaceVariable = 1;

// The subtitle's title is cut to this many characters.
constexpr std::size_t MaxTitleLength = 74;

// Event lines join off the chart, at plus or minus this elevation.
constexpr double OffChart = 1e11;
// The automatic range starts from these extremes.
constexpr double RangeStart = 1e11;

// Ids the profile sets to the component's fixed values.
constexpr int CountsSetA = 3016;         // 1 with the counts
constexpr int CountsSetB = 3017;         // 1 with the counts
constexpr int AxisSelected = 3036;       // 0 after each ChartWorkingAxis
constexpr int AxisOptions = 3057;        // 0
constexpr int ChartOptions = 3269;       // 0
constexpr int NullValueA = 3656;         // NullValue
constexpr int NullValueB = 3268;         // NullValue
constexpr int AxisPlaneCounts = 3059;    // set with ChartAxisSubsets
constexpr int StackedAxes = 3046;        // 4 with two axes
constexpr int LayerBaseMode = 3130;      // 4 on an ice-layer axis
constexpr int LayerEdgeMode = 3011;      // 0 on an ice-layer axis
constexpr int LegendSwitch = 3082;       // 1 with subset labels
constexpr int LegendSpacing = 3042;      // 0.5 (a float) with subset labels
constexpr int AnnotationSwitch = 3290;   // 0 unless the top chart is alone
constexpr double NullValue = -99999.0;
constexpr float LegendSpacingValue = 0.5f;
constexpr int StackedAxesValue = 4;
constexpr int LayerBaseModeValue = 4;

// The looks every layout shares, in order: (id, value).
struct IntSetting
{
    int id;
    int value;
};
constexpr IntSetting StyleBeforeFonts[] = {
    {ChartDeskColour, int(RGB(220, 220, 220))},
    {ChartGridColour, int(RGB(190, 190, 190))},
    {2155, 1},
    {3215, 0},
    {2632, 0},
    {2574, 1},
    {2240, 0},
};
constexpr IntSetting StyleAfterFonts[] = {{2490, 1}, {3100, 0}, {3110, 1}, {3282, 3}, {2617, 3},
                                          {2621, 1}, {2620, 3}, {2922, 1}, {3242, 50}};
constexpr const char* ChartFont = "Arial";

// Colours of the subsets.
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Green = RGB(0, 255, 0);
constexpr COLORREF Orange = RGB(255, 165, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF AnchorIceColour = RGB(0, 200, 255);
constexpr COLORREF MovingSlushColour = RGB(140, 140, 140);
constexpr COLORREF StationarySlushColour = RGB(200, 200, 200);
constexpr COLORREF SolidIceColour = RGB(0, 255, 255);

// Which charts show: A the top chart alone, B the top over an elevation chart, C the top over
// a parameter chart, D an elevation chart alone, E a parameter chart alone.
enum class Layout { None, A, B, C, D, E };

// What a subset carries.
enum class Item { Top, Bottom, FillBase, Anchor, IceBottom, SlushBottom, SlushTop, IceTop, Bed, Water, Front, Bridging };

// The elevation chart's subsets, bottom layer first.
constexpr Item ElevationItems[] = {Item::FillBase, Item::Anchor, Item::IceBottom, Item::SlushBottom, Item::SlushTop,
                                   Item::IceTop,   Item::Bed,    Item::Water,     Item::Front,       Item::Bridging};

Layout ChooseLayout(const ProfileViewSettings& o)
{
    if (o.TopChart == 1 && o.BottomChart == 0) return Layout::A;
    if (o.TopChart == 1 && o.BottomChart == 1) return o.BottomKind == ElevationChart ? Layout::B : Layout::C;
    if (o.TopChart == 0 && o.BottomChart == 1) return o.BottomKind == ElevationChart ? Layout::D : Layout::E;
    return Layout::None;
}

std::vector<Item> LayoutItems(Layout layout)
{
    std::vector<Item> items;
    switch (layout) {
    case Layout::A: items = {Item::Top, Item::Front, Item::Bridging}; break;
    case Layout::B: items = {Item::Top}; [[fallthrough]];
    case Layout::D: items.insert(items.end(), std::begin(ElevationItems), std::end(ElevationItems)); break;
    case Layout::C: items = {Item::Top, Item::Bottom}; break;
    case Layout::E: items = {Item::Bottom}; break;
    case Layout::None: break;
    }
    return items;
}

const char* ItemLabel(Item item, Layout layout)
{
    switch (item) {
    case Item::Top: return layout == Layout::A ? "Parameter" : "";
    case Item::Anchor: return "Anchor Ice";
    case Item::SlushBottom: return "Moving Frazil Slush";
    case Item::SlushTop: return "Stationary Frazil Slush";
    case Item::IceTop: return "Solid Ice";
    case Item::Bed: return "Bed";
    case Item::Water: return "Water Surface";
    case Item::Front: return "Ice Front Location";
    case Item::Bridging: return "Bridging Location";
    default: return "";
    }
}

COLORREF ItemColour(Item item, Layout layout, const ProfileViewSettings& o)
{
    const auto ice = [&](COLORREF colour) { return o.ShowIce ? colour : Black; };
    switch (item) {
    case Item::Top:
    case Item::Bottom: return Red;
    case Item::FillBase:
    case Item::IceBottom: return ice(White);
    case Item::Anchor: return ice(AnchorIceColour);
    case Item::SlushBottom: return ice(MovingSlushColour);
    case Item::SlushTop: return ice(StationarySlushColour);
    case Item::IceTop: return ice(SolidIceColour);
    case Item::Bed: return Black;
    case Item::Water: return o.ShowIce || o.ShowWaterSurface ? Blue : Black;
    case Item::Front:
    case Item::Bridging: {
        const COLORREF colour = item == Item::Front ? Green : Orange;
        return layout == Layout::A || (o.ShowIce && o.ShowEventLines) ? colour : Black;
    }
    }
    return Black;
}

int ItemLineType(Item item, Layout layout, const ProfileViewSettings& o)
{
    switch (item) {
    case Item::FillBase:
    case Item::Anchor:
    case Item::IceBottom:
    case Item::SlushBottom:
    case Item::SlushTop:
    case Item::IceTop: return ChartLineThin;
    case Item::Front:
    case Item::Bridging: return layout == Layout::A || o.ShowEventLines ? ChartLineDashed : ChartLineMedium;
    default: return ChartLineMedium;
    }
}

// The legend's subsets, numbered as in layout B; layout D, without B's first subset, counts
// one lower.
std::vector<int> Legend(Layout layout, const ProfileViewSettings& o, int fileType)
{
    if (!o.ShowLegend) return {ChartLegendNone};
    if (layout == Layout::A) return o.ShowEventLines ? std::vector<int>{1, 2} : std::vector<int>{ChartLegendNone};
    if (layout != Layout::B && layout != Layout::D) return {ChartLegendNone};
    std::vector<int> legend;
    if (!o.ShowIce) {
        if (layout == Layout::B || o.ShowWaterSurface) legend = {7, 8};
        else return {ChartLegendNone};
    } else if (fileType < ThermalIceFile) {
        legend = {6, 7, 8};
    } else if (o.ShowEventLines) {
        legend = {2, 4, 5, 6, 7, 8, 9, 10};
    } else {
        legend = {2, 4, 5, 6, 7, 8};
    }
    if (layout == Layout::D) {
        for (int& subset : legend) --subset;
    }
    return legend;
}

// One entry of an event subset: its x on the ice-front and on the bridging subset, and y.
struct EventEntry
{
    double Front;
    double Bridging;
    double Y;
};

// Two entries per bridging event, from one side of the chart to the other: the events
// alternate in direction by their place in the list, so consecutive events join off the
// chart and only the vertical lines are seen. Copies of the last entry make up n entries;
// without events there are none.
std::vector<EventEntry> EventEntries(VQXDisplayModel& model, std::size_t n)
{
    std::vector<EventEntry> entries;
    int position = 0;
    for (VQXBridgingEvent* e = model.FirstEvent(); e; e = model.NextEvent(), ++position) {
        const double first = position % 2 == 0 ? OffChart : -OffChart;
        entries.push_back({e->FrontLocation, e->BridgingLocation, first});
        entries.push_back({e->FrontLocation, e->BridgingLocation, -first});
    }
    if (!entries.empty()) {
        while (entries.size() < n) entries.push_back(entries.back());
    }
    return entries;
}

// The nodes of a reach in the display model's order.
std::vector<const VQXDisplayNode*> ReachNodes(VQXDisplayModel& model, int reach)
{
    std::vector<const VQXDisplayNode*> nodes;
    for (const VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        if (node->Reach == reach) nodes.push_back(node);
    }
    return nodes;
}

std::string PlotLabel(int variable, int units)
{
    char label[80] = {};
    VQXDisplayNode::FormatPlotVariableLabel(variable, label, units);
    return label;
}

void SetDouble(ChartHandle chart, int id, double value)
{
    ChartSetArray(chart, id, &value, 0);
}

void SetInts(ChartHandle chart, int id, const std::vector<int>& values)
{
    ChartSetArray(chart, id, values.data(), int(values.size()));
}

void SetManualY(ChartHandle chart, double minimum, double maximum)
{
    ChartSetInt(chart, ChartYScale, ChartScaleManual);
    SetDouble(chart, ChartYMinimum, minimum);
    SetDouble(chart, ChartYMaximum, maximum);
}

void SelectAxis(ChartHandle chart, int axis)
{
    ChartSetInt(chart, ChartWorkingAxis, axis);
    ChartSetInt(chart, AxisSelected, 0);
}

void SetNullValues(ChartHandle chart)
{
    SetDouble(chart, NullValueA, NullValue);
    SetDouble(chart, NullValueB, NullValue);
}

}  // namespace

void CProfileView::ApplyChartStyle()
{
    for (const IntSetting& s : StyleBeforeFonts) ChartSetInt(Chart, s.id, s.value);
    ChartSetText(Chart, 2105, "");
    ChartSetText(Chart, ChartTitleFont, ChartFont);
    ChartSetInt(Chart, 2450, 1);
    ChartSetText(Chart, 2110, "");
    ChartSetText(Chart, ChartLabelFont, ChartFont);
    for (const IntSetting& s : StyleAfterFonts) ChartSetInt(Chart, s.id, s.value);
    if (Options.TopChart == 1 && Options.BottomChart == 0) {
        ChartSetInt(Chart, ChartShowAnnotations, 1);
    } else {
        ChartSetInt(Chart, ChartShowAnnotations, 0);
        ChartSetInt(Chart, AnnotationSwitch, 0);
    }
}

void CProfileView::ComputeReachRange(int variable)
{
    const CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) return;
    ComputeRange(ReachNodes(*doc->DisplayModel, Options.ReachNumber), variable, doc->DisplayModel->UseFluxDischarge);
}

void CProfileView::ComputeRange(const std::vector<const VQXDisplayNode*>& nodes, int variable, int useFlux)
{
    double minimum = RangeStart;
    double maximum = -RangeStart;
    for (const VQXDisplayNode* node : nodes) {
        const double v = node->GetPlotValue(variable, useFlux);
        if (!std::isfinite(v)) continue;
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
    AutoMin = minimum - std::fabs((minimum - 1.0) * 0.1);
    AutoMax = maximum + std::fabs((maximum + 1.0) * 0.1);
}

void CProfileView::ApplyReset(CVasquilDoc& doc)
{
    ResetOptions();
    const VQXDisplayModel& model = *doc.DisplayModel;
    const ModelState& state = *doc.State;
    if (!model.ReachNumbers.empty()) Options.ReachNumber = model.ReachNumbers.front();
    if (!doc.ReachNames.empty()) Options.ReachName = doc.ReachNames.front();
    Options.ShowIce = state.FileType > 0 ? 1 : 0;
    Options.ShowEventLines = state.FileType >= ThermalIceFile && state.EventCount > 0 ? 1 : 0;
    const char* top = nullptr;
    if (state.FileType < DynamicIceFile) top = OpenWaterTopVariable;
    else if (state.FileType == DynamicIceFile) top = DynamicIceTopVariable;
    else if (state.FileType == ThermalIceFile) top = ThermalIceTopVariable;
    if (doc.WaterQualityLoaded) top = state.WQType == WQNutrients ? NutrientTopVariable : MetalTopVariable;
    if (top) Options.TopVariable = VQXDisplayNode::FindPlotVariable(top);
}

void CProfileView::BuildChart()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel || !doc->State) return;
    VQXDisplayModel& model = *doc->DisplayModel;
    ModelState& state = *doc->State;
    if (!Chart) {
        CRect client;
        GetClientRect(&client);
        Chart = ChartCreate(ChartObjectGraph, ChartStyleVisible, client, this, ProfileChartId);
        if (!Chart) return;
    }
    if (doc->ProfileViewReset) {
        ApplyReset(*doc);
        doc->ProfileViewReset = 0;
    }

    const std::vector<const VQXDisplayNode*> nodes = ReachNodes(model, Options.ReachNumber);
    const int n = int(nodes.size());
    const std::vector<EventEntry> events = Options.ShowEventLines ? EventEntries(model, nodes.size()) : std::vector<EventEntry>{};

    const std::string title = Options.TitleReachName ? Options.ReachName.substr(0, MaxTitleLength) : std::string();
    state.FormatChartSubtitle(title.c_str(), Options.TitleModelTime, Options.TitleCalendar);
    ChartSetCell(Chart, ChartSubtitle, 0, state.Subtitle);

    const Layout layout = ChooseLayout(Options);
    if (layout == Layout::None) {
        // Settings without a chart (the options dialog refuses them): the chart shows no data.
        // A paint asks nothing of the user; it may be a run's step, with the worker waiting.
        ChartSetInt(Chart, ChartSubsetCount, 0);
        ChartSetInt(Chart, ChartPointCount, 0);
        ShowChart();
        return;
    }
    const std::vector<Item> items = LayoutItems(layout);
    const int useFlux = model.UseFluxDischarge;
    const auto value = [&](Item item, const VQXDisplayNode& d) {
        const auto ice = [&](double v) { return Options.ShowIce ? v : d.Invert; };
        switch (item) {
        case Item::Top: return d.GetPlotValue(Options.TopVariable, useFlux);
        case Item::Bottom: return d.GetPlotValue(Options.BottomVariable, useFlux);
        case Item::Anchor: return ice(d.AnchorBedElevation);
        case Item::IceBottom: return ice(d.IceBottomElevation);
        case Item::SlushBottom: return ice(d.SlushBottomElevation);
        case Item::SlushTop: return ice(d.SlushTopElevation);
        case Item::IceTop: return ice(d.IceTopElevation);
        case Item::Water: return Options.ShowWaterSurface ? d.Stage : d.Invert;
        default: return d.Invert;
        }
    };

    ChartSetInt(Chart, ChartSubsetCount, int(items.size()));
    ChartSetInt(Chart, ChartPointCount, n);
    ChartSetInt(Chart, CountsSetA, 1);
    ChartSetInt(Chart, CountsSetB, 1);
    for (int s = 0; s < int(items.size()); ++s) {
        const Item item = items[s];
        const bool event = item == Item::Front || item == Item::Bridging;
        if (event && layout == Layout::A && !Options.ShowEventLines) continue;
        for (int k = 0; k < n; ++k) {
            double x = nodes[k]->Station;
            double y = value(item, *nodes[k]);
            if (event && Options.ShowEventLines) {
                if (events.empty()) break;
                x = item == Item::Front ? events[k].Front : events[k].Bridging;
                y = events[k].Y;
            }
            ChartSetPointCell(Chart, ChartXData, s, k, &x);
            ChartSetPointCell(Chart, ChartYData, s, k, &y);
        }
    }

    const int units = state.UnitSystem;
    const bool metric = units == 1;
    const char* xLabel = metric ? "Distance (km)" : "Distance (mile)";
    const bool elevations = Options.ShowWaterSurface || Options.ShowIce;
    const char* elevationLabel = elevations ? (metric ? "Elevation (m)" : "Elevation (ft)")
                                            : (metric ? "Bed Elevation (m)" : "Bed Elevation (ft)");
    const auto variableY = [&](int variable, int fixed, double minimum, double maximum) {
        if (fixed) {
            SetManualY(Chart, minimum, maximum);
        } else {
            ComputeRange(nodes, variable, useFlux);
            SetManualY(Chart, AutoMin, AutoMax);
        }
    };
    const auto topY = [&] { variableY(Options.TopVariable, Options.TopYFixed, Options.TopYMin, Options.TopYMax); };
    const auto bottomY = [&] {
        variableY(Options.BottomVariable, Options.BottomYFixed, Options.BottomYMin, Options.BottomYMax);
    };
    const auto elevationY = [&] {
        if (Options.BottomYFixed) return SetManualY(Chart, Options.BottomYMin, Options.BottomYMax);
        ComputeRange(nodes, BedElevationVariable, useFlux);
        const double minimum = AutoMin;
        ComputeRange(nodes, WaterSurfaceVariable, useFlux);
        SetManualY(Chart, minimum, AutoMax);
    };
    const auto fixedX = [&](int fixed, double minimum, double maximum) {
        if (!fixed) return;
        ChartSetInt(Chart, ChartXScale, ChartScaleManual);
        SetDouble(Chart, ChartXMinimum, minimum);
        SetDouble(Chart, ChartXMaximum, maximum);
    };
    const auto topX = [&] { fixedX(Options.TopXFixed, Options.TopXMin, Options.TopXMax); };
    const auto bottomX = [&] { fixedX(Options.BottomXFixed, Options.BottomXMin, Options.BottomXMax); };
    const auto iceMode = [&] {
        ChartSetInt(Chart, ChartAxisPlotting, Options.ShowIce ? ChartPlotLayers : ChartPlotLines);
        if (!Options.ShowIce) return;
        ChartSetInt(Chart, LayerBaseMode, LayerBaseModeValue);
        ChartSetInt(Chart, LayerEdgeMode, 0);
    };
    const auto labels = [&] {
        for (int s = 0; s < int(items.size()); ++s) ChartSetCell(Chart, ChartSubsetLabels, s, ItemLabel(items[s], layout));
        ChartSetInt(Chart, LegendSwitch, 1);
        ChartSetArray(Chart, LegendSpacing, &LegendSpacingValue, 0);
    };
    const auto twoAxes = [&](int bottomSubsets) {
        const int two = 2;
        ChartSetCell(Chart, ChartAxisSubsets, 0, &two);
        ChartSetCell(Chart, ChartAxisSubsets, 1, &two);
        ChartSetCell(Chart, AxisPlaneCounts, 0, &two);
        ApplyChartStyle();
        ChartSetText(Chart, ChartXAxisLabel, xLabel);
        SelectAxis(Chart, 0);
        ChartSetText(Chart, ChartYAxisLabel, PlotLabel(Options.TopVariable, units).c_str());
        ChartSetInt(Chart, ChartAxisPlotting, ChartPlotLines);
        topY();
        topX();
        ChartSetInt(Chart, AxisOptions, 0);
        SetNullValues(Chart);
        SelectAxis(Chart, 1);
        if (layout == Layout::B) {
            ChartSetText(Chart, ChartYAxisLabel, elevationLabel);
            iceMode();
            elevationY();
        } else {
            ChartSetText(Chart, ChartYAxisLabel, PlotLabel(Options.BottomVariable, units).c_str());
            ChartSetInt(Chart, ChartAxisPlotting, ChartPlotLines);
            bottomY();
        }
        bottomX();
        ChartSetInt(Chart, AxisOptions, 0);
        SetNullValues(Chart);
        SetInts(Chart, ChartAxisSubsets, {1, bottomSubsets});
        SetInts(Chart, AxisPlaneCounts, {1, bottomSubsets});
        ChartSetInt(Chart, StackedAxes, StackedAxesValue);
    };
    const auto oneParameter = [&](int variable, auto&& y, auto&& x) {
        ApplyChartStyle();
        SelectAxis(Chart, 0);
        ChartSetText(Chart, ChartYAxisLabel, PlotLabel(variable, units).c_str());
        y();
        x();
        ChartSetInt(Chart, AxisOptions, 0);
        ChartSetInt(Chart, ChartOptions, 0);
        ChartSetInt(Chart, ChartAxisPlotting, ChartPlotLines);
        SetNullValues(Chart);
        ChartSetText(Chart, ChartXAxisLabel, xLabel);
    };

    switch (layout) {
    case Layout::A:
        oneParameter(Options.TopVariable, topY, topX);
        labels();
        for (int k = 0; k < n; ++k) {
            const double y = value(Item::Top, *nodes[k]);
            const std::string number = std::to_string(nodes[k]->Number);
            ChartSetCell(Chart, ChartAnnotationX, k, &nodes[k]->Station);
            ChartSetCell(Chart, ChartAnnotationY, k, &y);
            ChartSetCell(Chart, ChartAnnotationText, k, number.c_str());
        }
        break;
    case Layout::B:
        twoAxes(int(std::size(ElevationItems)));
        labels();
        break;
    case Layout::C: twoAxes(1); break;
    case Layout::D:
        ApplyChartStyle();
        ChartSetText(Chart, ChartXAxisLabel, xLabel);
        SelectAxis(Chart, 0);
        ChartSetText(Chart, ChartYAxisLabel, elevationLabel);
        iceMode();
        elevationY();
        bottomX();
        SetNullValues(Chart);
        labels();
        break;
    case Layout::E: oneParameter(Options.BottomVariable, bottomY, bottomX); break;
    case Layout::None: break;
    }

    std::vector<int> colours, lineTypes;
    for (const Item item : items) {
        colours.push_back(int(ItemColour(item, layout, Options)));
        lineTypes.push_back(ItemLineType(item, layout, Options));
    }
    SetInts(Chart, ChartLegendSubsets, Legend(layout, Options, state.FileType));
    SetInts(Chart, ChartSubsetColours, colours);
    SetInts(Chart, ChartSubsetLineTypes, lineTypes);

    ShowChart();
}

void CProfileView::ShowChart()
{
    ChartReinitialize(Chart);
    ChartResetImage(Chart, 0, 0);
    if (CWnd* window = ChartWindowObject()) window->InvalidateRect(nullptr, FALSE);
}
