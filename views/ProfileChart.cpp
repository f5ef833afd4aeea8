// The profile view's chart: the reset of the settings after an open, the five layouts and
// their subsets, and the axis ranges.
#include "views/ProfileView.h"

#include "views/ChartSupport.h"

#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
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

// Event lines join off the chart, at plus or minus this elevation.
constexpr double OffChart = 1e11;
// The automatic range starts from these extremes.
constexpr double RangeStart = 1e11;

// The axis plotting of the ice layers: filled layers, refined as below.
constexpr int IceLayerPlottingOption = 4;
constexpr int IceLayerPlottingDetail = 0;

// Colours of the subsets.
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
    const auto ice = [&](COLORREF colour) { return o.ShowIce ? colour : ChartBlack; };
    switch (item) {
    case Item::Top:
    case Item::Bottom: return ChartRed;
    case Item::FillBase:
    case Item::IceBottom: return ice(ChartWhite);
    case Item::Anchor: return ice(AnchorIceColour);
    case Item::SlushBottom: return ice(MovingSlushColour);
    case Item::SlushTop: return ice(StationarySlushColour);
    case Item::IceTop: return ice(SolidIceColour);
    case Item::Bed: return ChartBlack;
    case Item::Water: return o.ShowIce || o.ShowWaterSurface ? ChartBlue : ChartBlack;
    case Item::Front:
    case Item::Bridging: {
        const COLORREF colour = item == Item::Front ? ChartGreen : ChartOrange;
        return layout == Layout::A || (o.ShowIce && o.ShowEventLines) ? colour : ChartBlack;
    }
    }
    return ChartBlack;
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
    } else if (fileType < FileTypeThermalIce) {
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

}  // namespace

// What one build works on: the shown reach's nodes, the items of the layout's subsets, and the
// model's settings that the axes need.
struct CProfileView::LayoutData
{
    Layout Kind;
    std::vector<const VQXDisplayNode*> Nodes;
    std::vector<Item> Items;
    int UseFlux;
    int Units;
    const char* XLabel;
    const char* ElevationLabel;

    // The y value of an item at a node.
    double Value(const ProfileViewSettings& o, Item item, const VQXDisplayNode& d) const
    {
        const auto ice = [&](double v) { return o.ShowIce ? v : d.Invert; };
        switch (item) {
        case Item::Top: return d.GetPlotValue(o.TopVariable, UseFlux);
        case Item::Bottom: return d.GetPlotValue(o.BottomVariable, UseFlux);
        case Item::Anchor: return ice(d.AnchorBedElevation);
        case Item::IceBottom: return ice(d.IceBottomElevation);
        case Item::SlushBottom: return ice(d.SlushBottomElevation);
        case Item::SlushTop: return ice(d.SlushTopElevation);
        case Item::IceTop: return ice(d.IceTopElevation);
        case Item::Water: return o.ShowWaterSurface ? d.Stage : d.Invert;
        default: return d.Invert;
        }
    }
};

void CProfileView::ApplyChartStyle()
{
    ::ApplyChartStyle(Chart, ProfileChartStyle);
    if (Options.TopChart == 1 && Options.BottomChart == 0) {
        ChartSetInt(Chart, ChartShowAnnotations, 1);
    } else {
        ChartSetInt(Chart, ChartShowAnnotations, 0);
        ChartSetInt(Chart, ChartShowAnnotationText, 0);
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
    Options.ShowIce = state.FileType > FileTypeOpenWater ? 1 : 0;
    Options.ShowEventLines = state.FileType >= FileTypeThermalIce && state.EventCount > 0 ? 1 : 0;
    // The top variable by file type, or the first value of a water-quality file.
    using namespace VQXDisplayLib;
    if (state.FileType < FileTypeDynamicIce) Options.TopVariable = PlotDischarge;
    else if (state.FileType == FileTypeDynamicIce) Options.TopVariable = PlotIceVelocity;
    else if (state.FileType == FileTypeThermalIce) Options.TopVariable = PlotWaterTemperature;
    if (doc.WaterQualityLoaded) Options.TopVariable = state.WQType == WQNutrients ? PlotDO : PlotCdw;
}

void CProfileView::BuildChart()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel || !doc->State) return;
    VQXDisplayModel& model = *doc->DisplayModel;
    ModelState& state = *doc->State;
    if (!CreateChartIfNone(Chart, *this, ViewChartId)) return;
    if (doc->ProfileViewReset) {
        ApplyReset(*doc);
        doc->ProfileViewReset = 0;
    }

    LayoutData d{ChooseLayout(Options), ReachNodes(model, Options.ReachNumber), {}, model.UseFluxDischarge,
                 state.UnitSystem, nullptr, nullptr};
    const int n = int(d.Nodes.size());
    const std::vector<EventEntry> events =
        Options.ShowEventLines ? EventEntries(model, d.Nodes.size()) : std::vector<EventEntry>{};

    SetChartSubtitle(Chart, state, Options.TitleReachName ? Options.ReachName : std::string(), Options.TitleModelTime,
                     Options.TitleCalendar);

    if (d.Kind == Layout::None) {
        // Settings without a chart (the options dialog refuses them): the chart shows no data.
        // A paint asks nothing of the user; it may be a run's step, with the worker waiting.
        ChartSetInt(Chart, ChartSubsetCount, 0);
        ChartSetInt(Chart, ChartPointCount, 0);
        ShowChart(Chart);
        return;
    }
    d.Items = LayoutItems(d.Kind);
    const bool metric = d.Units == 1;
    d.XLabel = metric ? "Distance (km)" : "Distance (mile)";
    const bool elevations = Options.ShowWaterSurface || Options.ShowIce;
    d.ElevationLabel = elevations ? (metric ? "Elevation (m)" : "Elevation (ft)")
                                  : (metric ? "Bed Elevation (m)" : "Bed Elevation (ft)");

    SetChartCounts(Chart, int(d.Items.size()), n);
    for (int s = 0; s < int(d.Items.size()); ++s) {
        const Item item = d.Items[s];
        const bool event = item == Item::Front || item == Item::Bridging;
        if (event && d.Kind == Layout::A && !Options.ShowEventLines) continue;
        for (int k = 0; k < n; ++k) {
            double x = d.Nodes[k]->Station;
            double y = d.Value(Options, item, *d.Nodes[k]);
            if (event && Options.ShowEventLines) {
                if (events.empty()) break;
                x = item == Item::Front ? events[k].Front : events[k].Bridging;
                y = events[k].Y;
            }
            SetChartPoint(Chart, s, k, x, y);
        }
    }

    switch (d.Kind) {
    case Layout::A: BuildLayoutA(d); break;
    case Layout::B: BuildLayoutB(d); break;
    case Layout::C: BuildLayoutC(d); break;
    case Layout::D: BuildLayoutD(d); break;
    case Layout::E: BuildLayoutE(d); break;
    case Layout::None: break;
    }

    std::vector<int> colours, lineTypes;
    for (const Item item : d.Items) {
        colours.push_back(int(ItemColour(item, d.Kind, Options)));
        lineTypes.push_back(ItemLineType(item, d.Kind, Options));
    }
    SetSubsetLooks(Chart, Legend(d.Kind, Options, state.FileType), colours, lineTypes);

    ShowChart(Chart);
}

void CProfileView::BuildLayoutA(const LayoutData& d)
{
    SetLoneParameterChart(d, true);
    SetLegendLabels(d);
    for (int k = 0; k < int(d.Nodes.size()); ++k) {
        const double y = d.Value(Options, Item::Top, *d.Nodes[k]);
        const std::string number = std::to_string(d.Nodes[k]->Number);
        ChartSetCell(Chart, ChartAnnotationX, k, &d.Nodes[k]->Station);
        ChartSetCell(Chart, ChartAnnotationY, k, &y);
        ChartSetCell(Chart, ChartAnnotationText, k, number.c_str());
    }
}

void CProfileView::BuildLayoutB(const LayoutData& d)
{
    SetTopOverBottomAxes(d);
    SetLegendLabels(d);
}

void CProfileView::BuildLayoutC(const LayoutData& d)
{
    SetTopOverBottomAxes(d);
}

void CProfileView::BuildLayoutD(const LayoutData& d)
{
    ApplyChartStyle();
    ChartSetText(Chart, ChartXAxisLabel, d.XLabel);
    SelectChartAxis(Chart, 0);
    ChartSetText(Chart, ChartYAxisLabel, d.ElevationLabel);
    SetIceLayerPlotting();
    SetElevationRange(d);
    SetStationRange(false);
    SetNullValues(Chart);
    SetLegendLabels(d);
}

void CProfileView::BuildLayoutE(const LayoutData& d)
{
    SetLoneParameterChart(d, false);
}

void CProfileView::SetLoneParameterChart(const LayoutData& d, bool top)
{
    ApplyChartStyle();
    SelectChartAxis(Chart, 0);
    SetParameterLabel(d, top);
    SetParameterRange(d, top);
    SetStationRange(top);
    FinishLineAxis(Chart);
    ChartSetText(Chart, ChartXAxisLabel, d.XLabel);
}

void CProfileView::SetTopOverBottomAxes(const LayoutData& d)
{
    // Two subsets on each axis until the counts below: the top axis then has the first subset
    // and the bottom one the rest.
    const int bottomSubsets = int(d.Items.size()) - 1;
    constexpr int Provisional = 2;
    SetChartIntCell(Chart, ChartAxisSubsets, 0, Provisional);
    SetChartIntCell(Chart, ChartAxisSubsets, 1, Provisional);
    SetChartIntCell(Chart, ChartAxisOverlaySubsets, 0, Provisional);
    ApplyChartStyle();
    ChartSetText(Chart, ChartXAxisLabel, d.XLabel);

    for (const bool top : {true, false}) {
        // The top axis and the bottom one of C carry a variable; the bottom one of B the elevations.
        SelectChartAxis(Chart, top ? 0 : 1);
        if (top || d.Kind == Layout::C) {
            SetParameterLabel(d, top);
            ChartSetInt(Chart, ChartAxisPlotting, ChartPlotLines);
            SetParameterRange(d, top);
        } else {
            ChartSetText(Chart, ChartYAxisLabel, d.ElevationLabel);
            SetIceLayerPlotting();
            SetElevationRange(d);
        }
        // The bottom chart's x range, set last, wins when both are fixed.
        SetStationRange(top);
        ChartSetInt(Chart, ChartYAxisOnRight, 0);
        SetNullValues(Chart);
    }

    const int perAxis[] = {1, bottomSubsets};
    SetChartInts(Chart, ChartAxisSubsets, perAxis);
    SetChartInts(Chart, ChartAxisOverlaySubsets, perAxis);
    ChartSetInt(Chart, ChartMultiAxisStyle, ChartAxesStacked);
}

void CProfileView::SetParameterLabel(const LayoutData& d, bool top)
{
    const int variable = top ? Options.TopVariable : Options.BottomVariable;
    ChartSetText(Chart, ChartYAxisLabel, PlotVariableLabel(variable, d.Units).c_str());
}

void CProfileView::SetParameterRange(const LayoutData& d, bool top)
{
    const ProfileViewSettings& o = Options;
    const int variable = top ? o.TopVariable : o.BottomVariable;
    const int fixed = top ? o.TopYFixed : o.BottomYFixed;
    if (fixed) {
        SetManualYRange(Chart, top ? o.TopYMin : o.BottomYMin, top ? o.TopYMax : o.BottomYMax);
        return;
    }
    ComputeRange(d.Nodes, variable, d.UseFlux);
    SetManualYRange(Chart, AutoMin, AutoMax);
}

void CProfileView::SetElevationRange(const LayoutData& d)
{
    if (Options.BottomYFixed) return SetManualYRange(Chart, Options.BottomYMin, Options.BottomYMax);
    ComputeRange(d.Nodes, VQXDisplayLib::PlotBedElevation, d.UseFlux);
    const double minimum = AutoMin;
    ComputeRange(d.Nodes, VQXDisplayLib::PlotWaterSurfaceElevation, d.UseFlux);
    SetManualYRange(Chart, minimum, AutoMax);
}

void CProfileView::SetStationRange(bool top)
{
    const ProfileViewSettings& o = Options;
    if (top && o.TopXFixed) SetManualXRange(Chart, o.TopXMin, o.TopXMax);
    if (!top && o.BottomXFixed) SetManualXRange(Chart, o.BottomXMin, o.BottomXMax);
}

void CProfileView::SetIceLayerPlotting()
{
    ChartSetInt(Chart, ChartAxisPlotting, Options.ShowIce ? ChartPlotLayers : ChartPlotLines);
    if (!Options.ShowIce) return;
    ChartSetInt(Chart, ChartAxisPlottingOption, IceLayerPlottingOption);
    ChartSetInt(Chart, ChartAxisPlottingDetail, IceLayerPlottingDetail);
}

void CProfileView::SetLegendLabels(const LayoutData& d)
{
    std::vector<const char*> labels;
    for (const Item item : d.Items) labels.push_back(ItemLabel(item, d.Kind));
    SetSubsetLabels(Chart, labels);
    ChartSetInt(Chart, ChartLegendStyle, ChartLegendOneRow);
    SetChartFloat(Chart, ChartLegendSpacing, ChartLegendSpacingValue);
}
