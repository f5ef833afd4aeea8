// The call sequences of the three charts that use the component (the profile view in its five
// layouts, the hydrograph view and the cross-section chart), replayed on data a test makes.
// The views will make these calls themselves; here they pin down what the component must
// accept and draw.
#pragma once

#include "ChartCalls.h"

#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace chart_replay {

// COLORREF of r, g, b.
constexpr int Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

inline void SetDouble(ChartHandle c, int id, double v) { ChartSetArray(c, id, &v, 0); }
inline void SetFloat(ChartHandle c, int id, float v) { ChartSetArray(c, id, &v, 0); }
inline void SetInts(ChartHandle c, int id, std::initializer_list<int> v)
{
    ChartSetArray(c, id, std::data(v), static_cast<int>(v.size()));
}
inline void SetInts(ChartHandle c, int id, const std::vector<int>& v)
{
    ChartSetArray(c, id, v.data(), static_cast<int>(v.size()));
}
inline void SetTextCell(ChartHandle c, int id, int index, const std::string& text)
{
    ChartSetCell(c, id, index, text.c_str());
}
inline void SetIntCell(ChartHandle c, int id, int index, int v) { ChartSetCell(c, id, index, &v); }
inline void SetPoint(ChartHandle c, int subset, int point, double x, double y)
{
    ChartSetPointCell(c, ChartXData, subset, point, &x);
    ChartSetPointCell(c, ChartYData, subset, point, &y);
}
inline void SetManualY(ChartHandle c, double lo, double hi)
{
    ChartSetInt(c, ChartYScale, 3);
    SetDouble(c, ChartYMinimum, lo);
    SetDouble(c, ChartYMaximum, hi);
}

struct Range {
    double Min = 0.0, Max = 0.0;
};

// ---- Profile view -----------------------------------------------------------------------

struct ProfileNode {
    int Number = 0;
    double Station = 0.0, Invert = 0.0, Stage = 0.0;
    double Anchor = 0.0, IceBottom = 0.0, SlushBottom = 0.0, SlushTop = 0.0, IceTop = 0.0;
    double Top = 0.0, Bottom = 0.0;  // values of the top and bottom plot variables
};

struct ProfileEvent {
    int Number = 0;
    double Front = 0.0, Bridging = 0.0;
};

enum class Layout { A, B, C, D, E };

struct ProfileOptions {
    Layout Kind = Layout::B;
    int FileType = 3;
    bool ShowIce = true, ShowWaterSurface = true, ShowEventLines = false, ShowLegend = true;
    std::optional<Range> TopX, TopY, BottomX, BottomY;  // fixed limits; none = automatic
    std::string Subtitle = "|Reach 1|";
    std::string TopLabel = "Discharge (m\xB3/s)", BottomLabel = "Velocity (m/s)";
};

// The automatic range of the profile: the extremes widened by a tenth of (min - 1) and (max + 1).
inline Range ReachRange(double lo, double hi) { return {lo - std::fabs((lo - 1) * 0.1), hi + std::fabs((hi + 1) * 0.1)}; }

enum class Item { Top, Bottom, FillBase, Anchor, IceBottom, SlushBottom, SlushTop, IceTop, Bed, Water, Front, Bridging };

inline std::vector<Item> ProfileItems(Layout l)
{
    const std::vector<Item> elevation = {Item::FillBase, Item::Anchor,   Item::IceBottom, Item::SlushBottom, Item::SlushTop,
                                         Item::IceTop,   Item::Bed,      Item::Water,     Item::Front,       Item::Bridging};
    switch (l) {
    case Layout::A:
        return {Item::Top, Item::Front, Item::Bridging};
    case Layout::B: {
        std::vector<Item> v = {Item::Top};
        v.insert(v.end(), elevation.begin(), elevation.end());
        return v;
    }
    case Layout::C:
        return {Item::Top, Item::Bottom};
    case Layout::D:
        return elevation;
    case Layout::E:
        return {Item::Bottom};
    }
    return {};
}

inline const char* ItemLabel(Item i, Layout l)
{
    switch (i) {
    case Item::Top: return l == Layout::A ? "Parameter" : "";
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

inline void ApplyProfileStyle(ChartHandle c, bool topOnly)
{
    ChartSetInt(c, ChartDeskColour, Rgb(220, 220, 220));
    ChartSetInt(c, ChartGridColour, Rgb(190, 190, 190));
    ChartSetInt(c, ChartPrepareImages, 1);
    ChartSetInt(c, ChartCacheImage, 0);
    ChartSetInt(c, ChartDataShadows, 0);
    ChartSetInt(c, ChartFixedFonts, 1);
    ChartSetInt(c, ChartAllowPopupMenu, 0);
    ChartSetText(c, ChartMainTitle, "");
    ChartSetText(c, ChartTitleFont, "Arial");
    ChartSetInt(c, ChartTitleBold, 1);
    ChartSetText(c, ChartPlainSubtitle, "");
    ChartSetText(c, ChartLabelFont, "Arial");
    for (const auto& [id, v] : {std::pair{ChartLabelBold, 1}, {ChartGridLineControl, 0}, {ChartGridInFront, 1}, {ChartAllowZooming, 3}, {ChartViewingStyle, 3}, {ChartBorderStyle, 1}, {ChartQuickStyle, 3},
                                {ChartFocalRectangle, 1}, {ChartFontScale, 50}})
        ChartSetInt(c, id, v);
    if (topOnly) {
        ChartSetInt(c, ChartShowAnnotations, 1);
    } else {
        ChartSetInt(c, ChartShowAnnotations, 0);
        ChartSetInt(c, ChartShowAnnotationText, 0);
    }
}

inline void BuildProfile(ChartHandle c, const std::vector<ProfileNode>& nodes, const std::vector<ProfileEvent>& events,
                         const ProfileOptions& o)
{
    const int n = static_cast<int>(nodes.size());
    // Event entries: two per event, joined off the chart at +-1e11.
    struct Entry {
        double Front, Bridging, Y;
    };
    std::vector<Entry> entries;
    if (o.ShowEventLines) {
        for (const ProfileEvent& e : events) {
            const double first = e.Number % 2 == 0 ? -1e11 : 1e11;
            entries.push_back({e.Front, e.Bridging, first});
            entries.push_back({e.Front, e.Bridging, -first});
        }
        if (entries.empty()) entries.push_back({nodes.empty() ? 0.0 : nodes[0].Station, 0.0, -1e11});
        while (static_cast<int>(entries.size()) < n) entries.push_back(entries.back());
    }
    ChartSetCell(c, ChartSubtitle, 0, o.Subtitle.c_str());

    const std::vector<Item> items = ProfileItems(o.Kind);
    ChartSetInt(c, ChartSubsetCount, static_cast<int>(items.size()));
    ChartSetInt(c, ChartPointCount, n);
    ChartSetInt(c, ChartPointsHaveX, 1);
    ChartSetInt(c, ChartPointsHaveY, 1);
    for (int s = 0; s < static_cast<int>(items.size()); ++s) {
        for (int k = 0; k < n; ++k) {
            const ProfileNode& d = nodes[k];
            const auto ice = [&](double v) { return o.ShowIce ? v : d.Invert; };
            double x = d.Station, y = d.Invert;
            switch (items[s]) {
            case Item::Top: y = d.Top; break;
            case Item::Bottom: y = d.Bottom; break;
            case Item::FillBase: case Item::Bed: y = d.Invert; break;
            case Item::Anchor: y = ice(d.Anchor); break;
            case Item::IceBottom: y = ice(d.IceBottom); break;
            case Item::SlushBottom: y = ice(d.SlushBottom); break;
            case Item::SlushTop: y = ice(d.SlushTop); break;
            case Item::IceTop: y = ice(d.IceTop); break;
            case Item::Water: y = o.ShowWaterSurface ? d.Stage : d.Invert; break;
            case Item::Front: case Item::Bridging:
                if (o.ShowEventLines) {
                    x = items[s] == Item::Front ? entries[k].Front : entries[k].Bridging;
                    y = entries[k].Y;
                }
                break;
            }
            SetPoint(c, s, k, x, y);
        }
    }

    double bedMin = 1e11, bedMax = -1e11, wsMin = 1e11, wsMax = -1e11, topMin = 1e11, topMax = -1e11, botMin = 1e11,
           botMax = -1e11;
    for (const ProfileNode& d : nodes) {
        bedMin = std::min(bedMin, d.Invert);
        bedMax = std::max(bedMax, d.Invert);
        wsMin = std::min(wsMin, d.Stage);
        wsMax = std::max(wsMax, d.Stage);
        topMin = std::min(topMin, d.Top);
        topMax = std::max(topMax, d.Top);
        botMin = std::min(botMin, d.Bottom);
        botMax = std::max(botMax, d.Bottom);
    }
    const auto topY = [&] {
        const Range r = o.TopY ? *o.TopY : ReachRange(topMin, topMax);
        SetManualY(c, r.Min, r.Max);
    };
    const auto bottomY = [&] {
        const Range r = o.BottomY ? *o.BottomY : ReachRange(botMin, botMax);
        SetManualY(c, r.Min, r.Max);
    };
    const auto elevationY = [&] {
        if (o.BottomY) return SetManualY(c, o.BottomY->Min, o.BottomY->Max);
        SetManualY(c, ReachRange(bedMin, bedMax).Min, ReachRange(wsMin, wsMax).Max);
    };
    const auto fixedX = [&](const std::optional<Range>& r) {
        if (!r) return;
        ChartSetInt(c, ChartXScale, 3);
        SetDouble(c, ChartXMinimum, r->Min);
        SetDouble(c, ChartXMaximum, r->Max);
    };
    const auto nullValues = [&] {
        SetDouble(c, ChartNullXValue, -99999.0);
        SetDouble(c, ChartNullYValue, -99999.0);
    };
    const auto iceMode = [&] {
        ChartSetInt(c, ChartAxisPlotting, o.ShowIce ? 3 : 0);
        if (o.ShowIce) {
            ChartSetInt(c, ChartAxisPlottingOption, 4);
            ChartSetInt(c, ChartAxisPlottingDetail, 0);
        }
    };
    const char* xLabel = "Distance (km)";
    const char* elevationLabel = o.ShowWaterSurface || o.ShowIce ? "Elevation (m)" : "Bed Elevation (m)";
    const auto labels = [&] {
        for (int s = 0; s < static_cast<int>(items.size()); ++s) SetTextCell(c, ChartSubsetLabels, s, ItemLabel(items[s], o.Kind));
    };

    // Colours, codes and legend.
    const int red = Rgb(255, 0, 0), green = Rgb(0, 255, 0), orange = Rgb(255, 165, 0), black = 0, white = Rgb(255, 255, 255);
    std::vector<int> colours, codes, legend;
    for (const Item i : items) {
        int colour = black, code = 9;
        switch (i) {
        case Item::Top: case Item::Bottom: colour = red; break;
        case Item::FillBase: case Item::IceBottom: colour = o.ShowIce ? white : black; code = 0; break;
        case Item::Anchor: colour = o.ShowIce ? Rgb(0, 200, 255) : black; code = 0; break;
        case Item::SlushBottom: colour = o.ShowIce ? Rgb(140, 140, 140) : black; code = 0; break;
        case Item::SlushTop: colour = o.ShowIce ? Rgb(200, 200, 200) : black; code = 0; break;
        case Item::IceTop: colour = o.ShowIce ? Rgb(0, 255, 255) : black; code = 0; break;
        case Item::Bed: break;
        case Item::Water: colour = o.ShowIce || o.ShowWaterSurface ? Rgb(0, 0, 255) : black; break;
        case Item::Front: case Item::Bridging:
            if (o.Kind == Layout::A) {
                colour = i == Item::Front ? green : orange;
                code = 5;
            } else {
                colour = o.ShowIce && o.ShowEventLines ? (i == Item::Front ? green : orange) : black;
                code = o.ShowEventLines ? 5 : 9;
            }
            break;
        }
        colours.push_back(colour);
        codes.push_back(code);
    }
    if (!o.ShowLegend) {
        legend = {-1};
    } else if (o.Kind == Layout::A) {
        legend = o.ShowEventLines ? std::vector<int>{1, 2} : std::vector<int>{-1};
    } else if (o.Kind == Layout::B || o.Kind == Layout::D) {
        // Numbered as in B; D, which lacks B's first subset, counts one lower.
        if (!o.ShowIce) {
            if (o.Kind == Layout::B || o.ShowWaterSurface) legend = {7, 8};
        } else if (o.FileType <= 2) {
            legend = {6, 7, 8};
        } else if (o.ShowEventLines) {
            legend = {2, 4, 5, 6, 7, 8, 9, 10};
        } else {
            legend = {2, 4, 5, 6, 7, 8};
        }
        if (o.Kind == Layout::D)
            for (int& s : legend) s -= 1;
        if (legend.empty()) legend = {-1};
    } else {
        legend = {-1};
    }
    const auto finish = [&] {
        SetInts(c, ChartLegendSubsets, legend);
        SetInts(c, ChartSubsetColours, colours);
        SetInts(c, ChartSubsetLineTypes, codes);
    };

    switch (o.Kind) {
    case Layout::A:
    case Layout::E: {
        const bool a = o.Kind == Layout::A;
        ApplyProfileStyle(c, a);
        ChartSetInt(c, ChartWorkingAxis, 0);
        ChartSetInt(c, ChartYAxisStyle, 0);
        ChartSetText(c, ChartYAxisLabel, a ? o.TopLabel.c_str() : o.BottomLabel.c_str());
        a ? topY() : bottomY();
        fixedX(a ? o.TopX : o.BottomX);
        ChartSetInt(c, ChartYAxisOnRight, 0);
        ChartSetInt(c, ChartNullDataGaps, 0);
        ChartSetInt(c, ChartAxisPlotting, 0);
        nullValues();
        ChartSetText(c, ChartXAxisLabel, xLabel);
        if (a) {
            labels();
            ChartSetInt(c, ChartLegendStyle, 1);
            SetFloat(c, ChartLegendSpacing, 0.5f);
            for (int k = 0; k < n; ++k) {
                ChartSetCell(c, ChartAnnotationX, k, &nodes[k].Station);
                ChartSetCell(c, ChartAnnotationY, k, &nodes[k].Top);
                SetTextCell(c, ChartAnnotationText, k, std::to_string(nodes[k].Number));
            }
        }
        finish();
        break;
    }
    case Layout::B:
    case Layout::C: {
        const bool b = o.Kind == Layout::B;
        SetIntCell(c, ChartAxisSubsets, 0, 2);
        SetIntCell(c, ChartAxisSubsets, 1, 2);
        SetIntCell(c, ChartAxisOverlaySubsets, 0, 2);
        ApplyProfileStyle(c, false);
        ChartSetText(c, ChartXAxisLabel, xLabel);
        ChartSetInt(c, ChartWorkingAxis, 0);
        ChartSetInt(c, ChartYAxisStyle, 0);
        ChartSetText(c, ChartYAxisLabel, o.TopLabel.c_str());
        ChartSetInt(c, ChartAxisPlotting, 0);
        topY();
        fixedX(o.TopX);
        ChartSetInt(c, ChartYAxisOnRight, 0);
        nullValues();
        ChartSetInt(c, ChartWorkingAxis, 1);
        ChartSetInt(c, ChartYAxisStyle, 0);
        ChartSetText(c, ChartYAxisLabel, b ? elevationLabel : o.BottomLabel.c_str());
        if (b) {
            iceMode();
            elevationY();
        } else {
            ChartSetInt(c, ChartAxisPlotting, 0);
            bottomY();
        }
        fixedX(o.BottomX);
        ChartSetInt(c, ChartYAxisOnRight, 0);
        nullValues();
        SetInts(c, ChartAxisSubsets, {1, b ? 10 : 1});
        SetInts(c, ChartAxisOverlaySubsets, {1, b ? 10 : 1});
        ChartSetInt(c, ChartMultiAxisStyle, 4);
        if (b) {
            labels();
            ChartSetInt(c, ChartLegendStyle, 1);
            SetFloat(c, ChartLegendSpacing, 0.5f);
        }
        finish();
        break;
    }
    case Layout::D:
        ApplyProfileStyle(c, false);
        ChartSetText(c, ChartXAxisLabel, xLabel);
        ChartSetText(c, ChartYAxisLabel, elevationLabel);
        ChartSetInt(c, ChartWorkingAxis, 0);
        ChartSetInt(c, ChartYAxisStyle, 0);
        iceMode();
        elevationY();
        fixedX(o.BottomX);
        nullValues();
        labels();
        ChartSetInt(c, ChartLegendStyle, 1);
        SetFloat(c, ChartLegendSpacing, 0.5f);
        finish();
        break;
    }
    ChartReinitialize(c);
    ChartResetImage(c, 0, 0);
}

// A reach of n nodes over 0 .. length km: the bed falls by 5 m, the water stands 6 m above it
// under an ice cover, with every ice layer a metre or more thick so that each band is seen.
inline std::vector<ProfileNode> SampleReach(int n, double length = 10.0)
{
    std::vector<ProfileNode> nodes;
    for (int k = 0; k < n; ++k) {
        const double f = n > 1 ? double(k) / (n - 1) : 0.0;
        ProfileNode d;
        d.Number = k + 1;
        d.Station = f * length;
        d.Invert = 100.0 - 5.0 * f + 0.6 * std::sin(7.0 * f);
        d.Stage = d.Invert + 6.0 - 0.5 * f;
        d.Anchor = d.Invert + 1.0;
        d.IceBottom = d.Stage - 3.0;
        d.SlushBottom = d.Stage - 2.0;
        d.SlushTop = d.Stage - 1.0;
        d.IceTop = d.Stage + 0.5;
        d.Top = 120.0 + 30.0 * f;
        d.Bottom = 0.8 + 0.4 * f;
        nodes.push_back(d);
    }
    return nodes;
}

// ---- Hydrograph view --------------------------------------------------------------------

struct Hydrograph {
    std::vector<double> Time, Value;
    std::optional<Range> X, Y;  // fixed limits
    double FinalTime = 24.0;
    double CurrentValue = 0.0;  // the node's value now, the maximum of an empty history
    std::string Location = "Node 3";
    std::string Label = "Discharge (m\xB3/s)";
};

inline void BuildHydrograph(ChartHandle c, const Hydrograph& h)
{
    const int n = static_cast<int>(h.Time.size());
    const std::string subtitle = "|" + h.Location + "|";
    ChartSetCell(c, ChartSubtitle, 0, subtitle.c_str());
    ChartSetInt(c, ChartSubsetCount, 1);
    ChartSetInt(c, ChartPointCount, n);
    ChartSetInt(c, ChartPointsHaveX, 1);
    ChartSetInt(c, ChartPointsHaveY, 1);
    for (int i = 0; i < n; ++i) SetPoint(c, 0, i, h.Time[i], h.Value[i]);
    ChartSetInt(c, ChartDeskColour, Rgb(220, 220, 220));
    ChartSetInt(c, ChartGridColour, Rgb(190, 190, 190));
    for (const auto& [id, v] : {std::pair{ChartPrepareImages, 1}, {ChartCacheImage, 0}, {ChartDataShadows, 0}, {ChartFixedFonts, 1}, {ChartAllowPopupMenu, 0}}) ChartSetInt(c, id, v);
    ChartSetText(c, ChartMainTitle, "");
    ChartSetText(c, ChartTitleFont, "Arial");
    ChartSetInt(c, ChartTitleBold, 1);
    ChartSetText(c, ChartPlainSubtitle, "");
    ChartSetText(c, ChartLabelFont, "Arial");
    for (const auto& [id, v] : {std::pair{ChartLabelBold, 1}, {ChartGridLineControl, 0}, {ChartGridInFront, 0}, {ChartAllowZooming, 3}, {ChartViewingStyle, 3}, {ChartBorderStyle, 1}, {ChartQuickStyle, 3},
                                {ChartFocalRectangle, 1}, {ChartAllowExport, 0}, {ChartAllowMaximize, 0}, {ChartAllowDataHotSpots, 0}, {ChartAllowCustomize, 0}, {ChartAllowGraphHotSpots, 0}, {ChartAllowTableHotSpots, 0},
                                {ChartAllowScrolling, 0}, {ChartAllowSubsetHotSpots, 0}, {ChartAllowAnnotationHotSpots, 0}, {ChartAllowPointHotSpots, 0}, {ChartFontScale, 50}, {ChartShowAnnotations, 1}})
        ChartSetInt(c, id, v);
    ChartSetInt(c, ChartWorkingAxis, 0);
    ChartSetInt(c, ChartYAxisStyle, 0);
    ChartSetText(c, ChartYAxisLabel, h.Label.c_str());
    ChartSetInt(c, ChartYScale, 0);
    ChartSetInt(c, ChartXScale, 0);
    Range y;
    if (h.Y) {
        y = *h.Y;
    } else if (n == 0) {
        y = {0.0, h.CurrentValue};
    } else {
        double lo = 1e11, hi = -1e11;
        for (const double v : h.Value) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        y = {lo * 0.9, hi * 1.1};
    }
    SetManualY(c, y.Min, y.Max);
    const Range x = h.X ? *h.X : Range{-0.001, h.FinalTime};
    ChartSetInt(c, ChartXScale, 3);
    SetDouble(c, ChartXMinimum, x.Min);
    SetDouble(c, ChartXMaximum, x.Max);
    ChartSetInt(c, ChartYAxisOnRight, 0);
    ChartSetInt(c, ChartNullDataGaps, 0);
    ChartSetInt(c, ChartAxisPlotting, 0);
    SetDouble(c, ChartNullXValue, -99999.0);
    SetDouble(c, ChartNullYValue, -99999.0);
    ChartSetText(c, ChartXAxisLabel, "Time (hours)");
    SetInts(c, ChartLegendSubsets, {-1});
    SetInts(c, ChartSubsetColours, {Rgb(255, 0, 0)});
    SetInts(c, ChartSubsetLineTypes, {9});
    ChartReinitialize(c);
    ChartResetImage(c, 0, 0);
}

// ---- Cross-section chart ----------------------------------------------------------------

struct CrossSection {
    // Rows of the points grid as texts (an empty text is a blank cell).
    std::vector<std::pair<std::string, std::string>> Rows;
    std::string LeftBank, RightBank;  // bank grid texts
    bool HasNode = true;
    double Stage = 0.0, LeftBankElevation = 0.0, RightBankElevation = 0.0;
    double LeftBankStation = 0.0, RightBankStation = 0.0;  // of the node's section
    double LeftEdge = 0.0, RightEdge = 0.0;                 // border-ice edges
    int FileType = 3;
};

inline void BuildCrossSection(ChartHandle c, const CrossSection& x)
{
    for (const auto& [id, v] : {std::pair{ChartDeskColour, Rgb(220, 220, 220)}, {ChartGridColour, Rgb(190, 190, 190)}, {ChartPrepareImages, 1}, {ChartCacheImage, 0},
                                {ChartDataShadows, 0}, {ChartFixedFonts, 1}, {ChartPrepareImages, 1}, {ChartAllowPopupMenu, 0}})
        ChartSetInt(c, id, v);
    ChartSetText(c, ChartMainTitle, "");
    ChartSetText(c, ChartTitleFont, "Arial");
    ChartSetInt(c, ChartTitleBold, 1);
    ChartSetText(c, ChartPlainSubtitle, "");
    ChartSetText(c, ChartLabelFont, "Arial");
    for (const auto& [id, v] : {std::pair{ChartLabelBold, 1}, {ChartDataShadows, 0}, {ChartPrepareImages, 1}, {ChartGridLineControl, 0}, {ChartGridInFront, 1}, {ChartAllowZooming, 3}, {ChartViewingStyle, 0},
                                {ChartBorderStyle, 1}, {ChartQuickStyle, 3}, {ChartFocalRectangle, 1}})
        ChartSetInt(c, id, v);

    std::vector<int> rows;  // rows with both texts
    for (int r = 0; r < static_cast<int>(x.Rows.size()); ++r)
        if (!x.Rows[r].first.empty() && !x.Rows[r].second.empty()) rows.push_back(r);
    ChartSetInt(c, ChartSubsetCount, 5);
    ChartSetInt(c, ChartPointCount, static_cast<int>(rows.size()));
    ChartSetInt(c, ChartPointsHaveX, 1);
    ChartSetInt(c, ChartPointsHaveY, 1);
    const double left = std::atof(x.LeftBank.c_str()), right = std::atof(x.RightBank.c_str());
    const int lastRow = static_cast<int>(x.Rows.size()) - 1;
    for (int d = 0; d < static_cast<int>(rows.size()); ++d) {
        const int r = rows[d];
        const double s = std::atof(x.Rows[r].first.c_str()), e = std::atof(x.Rows[r].second.c_str());
        const double px = s + 0.00001, py = e + 0.00001;
        SetPoint(c, 0, d, px, py);
        if (s == left) SetPoint(c, 2, 0, px, py);
        if (s == right) SetPoint(c, 2, 1, px, py);
        if (!x.HasNode) continue;
        const double h = x.Stage;
        if ((r == 0 && h > x.LeftBankElevation) || (s == left && x.LeftBankElevation > h) ||
            (r == lastRow && h > x.RightBankElevation) || (s == right && x.RightBankElevation > h))
            SetPoint(c, 1, d, px, h);
        if (h > py && ((px > x.LeftBankStation && px < x.LeftEdge) || (px > x.RightEdge && px < x.RightBankStation)))
            SetPoint(c, 3, d, px, h);
        if (r == 0) SetPoint(c, 4, 0, x.LeftEdge, h);
        if (r == lastRow) SetPoint(c, 4, 1, x.RightEdge, h);
    }
    ChartSetText(c, ChartXAxisLabel, "Station (m)");
    ChartSetText(c, ChartYAxisLabel, "Elevation (m)");
    double lo = 1e11, hi = -1e11;
    for (const auto& row : x.Rows) {
        const double s = std::atof(row.first.c_str());
        lo = std::min(lo, s);
        hi = std::max(hi, s);
    }
    const double pad = (hi - lo) * 0.05;
    ChartSetInt(c, ChartXScale, 3);
    SetDouble(c, ChartXMinimum, lo - pad);
    SetDouble(c, ChartXMaximum, hi + pad);
    for (const auto& [id, v] : {std::pair{ChartWorkingAxis, 0}, {ChartYAxisStyle, 0}, {ChartAxisPlotting, 0}, {ChartAxisPlottingOption, 3}, {ChartAxisPlottingDetail, 2}}) ChartSetInt(c, id, v);
    const char* labels[] = {"Bed", "Water Surface Elevation", "Bank Station", "Border Ice"};
    for (int s = 0; s < 4; ++s) ChartSetCell(c, ChartSubsetLabels, s, labels[s]);
    const bool thermal = x.FileType == 3;
    SetInts(c, ChartLegendSubsets, thermal ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{0, 1, 2});
    ChartSetInt(c, ChartLegendStyle, 1);
    const int colours[] = {0, Rgb(0, 0, 255), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 255, 0)};
    ChartSetCellRange(c, ChartSubsetColours, 0, thermal ? 5 : 3, colours, 0);
    SetInts(c, ChartSubsetLineTypes, thermal ? std::vector<int>{0, 0, 0, 0, 0} : std::vector<int>{0, 0, 0});
    SetInts(c, ChartSubsetPlotTypes, thermal ? std::vector<int>{3, 3, 5, 5, 5} : std::vector<int>{3, 3, 5});
    ChartReinitialize(c);
    ChartResetImage(c, 0, 0);
}

}  // namespace chart_replay
