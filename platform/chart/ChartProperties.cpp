#include "ChartProperties.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using K = ChartValueKind;
constexpr ChartScope C = ChartScope::Chart;
constexpr ChartScope A = ChartScope::Axis;

// Every id the profile, hydrograph and cross-section charts set. The header says which ones the
// drawing reads; the others are accepted and kept with no effect on the picture.
constexpr ChartPropertyInfo PropertyTable[] = {
    // Data.
    {ChartSubsetCount, K::Int, C},
    {ChartPointCount, K::Int, C},
    {ChartPointsHaveX, K::Int, C},
    {ChartPointsHaveY, K::Int, C},
    {ChartXData, K::Double, C},
    {ChartYData, K::Double, C},
    {ChartSubsetLabels, K::Text, C},
    {ChartAnnotationX, K::Double, C},
    {ChartAnnotationY, K::Double, C},
    {ChartAnnotationText, K::Text, C},
    {ChartShowAnnotations, K::Int, C},
    {ChartShowAnnotationText, K::Int, C},
    // Titles and fonts.
    {ChartSubtitle, K::Text, C},
    {ChartMainTitle, K::Text, C},
    {ChartPlainSubtitle, K::Text, C},
    {ChartTitleFont, K::Text, C},
    {ChartLabelFont, K::Text, C},
    {ChartTitleBold, K::Int, C},
    {ChartLabelBold, K::Int, C},
    // Axes.
    {ChartXAxisLabel, K::Text, C},
    {ChartXScale, K::Int, C},
    {ChartXMinimum, K::Double, C},
    {ChartXMaximum, K::Double, C},
    {ChartWorkingAxis, K::Int, C},
    {ChartAxisSubsets, K::Int, C},
    {ChartAxisOverlaySubsets, K::Int, C},
    {ChartMultiAxisStyle, K::Int, C},
    {ChartYAxisLabel, K::Text, A},
    {ChartYScale, K::Int, A},
    {ChartYMinimum, K::Double, A},
    {ChartYMaximum, K::Double, A},
    {ChartAxisPlotting, K::Int, A},
    {ChartAxisPlottingOption, K::Int, A},
    {ChartAxisPlottingDetail, K::Int, A},
    {ChartYAxisStyle, K::Int, A},
    {ChartYAxisOnRight, K::Int, A},
    {ChartNullXValue, K::Double, A},
    {ChartNullYValue, K::Double, A},
    {ChartNullDataGaps, K::Int, C},
    // Subsets and legend.
    {ChartLegendSubsets, K::Int, C},
    {ChartSubsetColours, K::Int, C},
    {ChartSubsetLineTypes, K::Int, C},
    {ChartSubsetPlotTypes, K::Int, C},
    {ChartLegendStyle, K::Int, C},
    {ChartLegendSpacing, K::Float, C},  // ChartSetArray with count 0 passes a float here
    // Colours and style switches.
    {ChartDeskColour, K::Int, C},
    {ChartGridColour, K::Int, C},
    {ChartPrepareImages, K::Int, C},
    {ChartAllowExport, K::Int, C},
    {ChartAllowMaximize, K::Int, C},
    {ChartAllowPopupMenu, K::Int, C},
    {ChartFixedFonts, K::Int, C},
    {ChartViewingStyle, K::Int, C},
    {ChartQuickStyle, K::Int, C},
    {ChartBorderStyle, K::Int, C},
    {ChartDataShadows, K::Int, C},
    {ChartFocalRectangle, K::Int, C},
    {ChartAllowCustomize, K::Int, C},
    {ChartGridLineControl, K::Int, C},
    {ChartGridInFront, K::Int, C},
    {ChartCacheImage, K::Int, C},
    {ChartFontScale, K::Int, C},
    {ChartAllowGraphHotSpots, K::Int, C},
    {ChartAllowSubsetHotSpots, K::Int, C},
    {ChartAllowPointHotSpots, K::Int, C},
    {ChartAllowScrolling, K::Int, C},
    {ChartAllowZooming, K::Int, C},
    {ChartAllowAnnotationHotSpots, K::Int, C},
    {ChartAllowDataHotSpots, K::Int, C},
    {ChartAllowTableHotSpots, K::Int, C},
};

constexpr double Unset = std::numeric_limits<double>::quiet_NaN();

bool IsPointId(int id) { return id == ChartXData || id == ChartYData; }

// The counts and the working axis are single numbers with side effects: every setter routes
// them through SetNumber.
bool IsSingleNumber(int id) { return id == ChartSubsetCount || id == ChartPointCount || id == ChartWorkingAxis; }

}  // namespace

const ChartPropertyInfo* FindChartProperty(int id)
{
    for (const ChartPropertyInfo& p : PropertyTable)
        if (p.Id == id) return &p;
    return nullptr;
}

ChartPropertyStore::Cells* ChartPropertyStore::Slot(int id)
{
    const ChartPropertyInfo* info = FindChartProperty(id);
    const int axis = info && info->Scope == ChartScope::Axis ? WorkingAxisValue : 0;
    return &Entries[{id, axis}];
}

const ChartPropertyStore::Cells* ChartPropertyStore::Find(int id, int axis) const
{
    const ChartPropertyInfo* info = FindChartProperty(id);
    if (!info || info->Scope == ChartScope::Chart) axis = 0;
    const auto it = Entries.find({id, axis});
    return it == Entries.end() ? nullptr : &it->second;
}

// Subset and point counts reshape the point data: every point cell becomes unset.
bool ChartPropertyStore::ApplyCount(int id, double v)
{
    const int limit = id == ChartSubsetCount ? ChartMaxSubsets : ChartMaxPoints;
    if (!(v >= 0.0 && v <= limit)) return false;
    int& count = id == ChartSubsetCount ? Subsets : Points;
    if (static_cast<int>(v) == count) {
        // The same shape again (a chart rebuilt for every step of a run): the cells are unset
        // where they are, and the storage stays for the points that follow.
        std::fill(X.begin(), X.end(), Unset);
        std::fill(Y.begin(), Y.end(), Unset);
        return true;
    }
    count = static_cast<int>(v);
    X.clear();
    Y.clear();
    X.shrink_to_fit();
    Y.shrink_to_fit();
    return true;
}

bool ChartPropertyStore::SetNumber(int id, double v)
{
    if (IsPointId(id)) return false;
    if (id == ChartSubsetCount || id == ChartPointCount) {
        if (!ApplyCount(id, v)) return false;
    } else if (id == ChartWorkingAxis) {
        if (!(v >= 0.0 && v < ChartAxisCount)) return false;
        WorkingAxisValue = static_cast<int>(v);
    }
    Cells* c = Slot(id);
    c->Numbers.assign(1, v);
    return true;
}

bool ChartPropertyStore::SetText(int id, std::string_view text)
{
    if (IsPointId(id)) return false;
    Cells* c = Slot(id);
    c->Texts.assign(1, std::string(text));
    return true;
}

bool ChartPropertyStore::SetNumbers(int id, std::span<const int> values)
{
    if (IsPointId(id) || values.size() > static_cast<std::size_t>(ChartMaxCells)) return false;
    if (IsSingleNumber(id)) return values.size() == 1 && SetNumber(id, values[0]);
    Cells* c = Slot(id);
    c->Numbers.assign(values.begin(), values.end());
    return true;
}

bool ChartPropertyStore::SetNumberCells(int id, int start, std::span<const int> values)
{
    if (IsPointId(id) || start < 0 || values.size() > static_cast<std::size_t>(ChartMaxCells - start)) return false;
    if (IsSingleNumber(id)) return start == 0 && values.size() == 1 && SetNumber(id, values[0]);
    if (values.empty()) return true;
    Cells* c = Slot(id);
    const std::size_t end = static_cast<std::size_t>(start) + values.size();
    if (c->Numbers.size() < end) c->Numbers.resize(end, Unset);
    std::copy(values.begin(), values.end(), c->Numbers.begin() + start);
    return true;
}

bool ChartPropertyStore::SetNumberCell(int id, int index, double v)
{
    if (IsPointId(id) || index < 0 || index >= ChartMaxCells) return false;
    if (IsSingleNumber(id)) return index == 0 && SetNumber(id, v);
    Cells* c = Slot(id);
    if (c->Numbers.size() <= static_cast<std::size_t>(index)) c->Numbers.resize(index + 1, Unset);
    c->Numbers[index] = v;
    return true;
}

bool ChartPropertyStore::SetTextCell(int id, int index, std::string_view text)
{
    if (IsPointId(id) || index < 0 || index >= ChartMaxCells) return false;
    Cells* c = Slot(id);
    if (c->Texts.size() <= static_cast<std::size_t>(index)) c->Texts.resize(index + 1);
    c->Texts[index] = std::string(text);
    return true;
}

bool ChartPropertyStore::SetPointCell(int id, int subset, int point, double v)
{
    if (!IsPointId(id) || subset < 0 || subset >= Subsets || point < 0 || point >= Points) return false;
    const long long cells = static_cast<long long>(Subsets) * Points;
    if (cells > ChartMaxPointCells) return false;
    if (X.empty()) {
        X.assign(cells, Unset);
        Y.assign(cells, Unset);
    }
    (id == ChartXData ? X : Y)[static_cast<std::size_t>(subset) * Points + point] = v;
    return true;
}

double ChartPropertyStore::Number(int id, int axis, double fallback) const
{
    const Cells* c = Find(id, axis);
    if (!c || c->Numbers.empty() || std::isnan(c->Numbers[0])) return fallback;
    return c->Numbers[0];
}

double ChartPropertyStore::NumberCell(int id, int index, int axis) const
{
    const Cells* c = Find(id, axis);
    if (!c || index < 0 || static_cast<std::size_t>(index) >= c->Numbers.size()) return Unset;
    return c->Numbers[index];
}

const std::vector<double>& ChartPropertyStore::Numbers(int id, int axis) const
{
    static const std::vector<double> none;
    const Cells* c = Find(id, axis);
    return c ? c->Numbers : none;
}

std::string_view ChartPropertyStore::Text(int id, int axis) const { return TextCell(id, 0, axis); }

std::string_view ChartPropertyStore::TextCell(int id, int index, int axis) const
{
    const Cells* c = Find(id, axis);
    if (!c || index < 0 || static_cast<std::size_t>(index) >= c->Texts.size()) return {};
    return c->Texts[index];
}

double ChartPropertyStore::PointX(int subset, int point) const
{
    if (X.empty() || subset < 0 || subset >= Subsets || point < 0 || point >= Points) return Unset;
    return X[static_cast<std::size_t>(subset) * Points + point];
}

double ChartPropertyStore::PointY(int subset, int point) const
{
    if (Y.empty() || subset < 0 || subset >= Subsets || point < 0 || point >= Points) return Unset;
    return Y[static_cast<std::size_t>(subset) * Points + point];
}
