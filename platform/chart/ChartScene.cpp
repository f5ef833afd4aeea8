#include "ChartScene.h"

#include "ChartText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr QRgb DefaultDeskColour = 0xFFFFFFFF;
constexpr QRgb DefaultGraphColour = 0xFFFFFFFF;
constexpr QRgb DefaultGridColour = 0xFFC0C0C0;
constexpr const char* DefaultFont = "Arial";
constexpr double ThinLineWidth = 1.0;    // px
constexpr double MediumLineWidth = 2.0;  // px
constexpr double AutomaticYPadding = 0.05;  // fraction of the data span on each side
constexpr double FlatRangeWidening = 0.1;   // fraction of |value| on each side of a flat range

// A COLORREF (0x00BBGGRR) as an opaque Qt colour; a cell never set gives none.
std::optional<QRgb> ColourOf(double cell)
{
    if (!std::isfinite(cell)) return std::nullopt;
    const long long c = static_cast<long long>(cell) & 0xFFFFFF;
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

QRgb ColourProperty(const ChartPropertyStore& store, int id, QRgb fallback)
{
    return ColourOf(store.NumberCell(id, 0)).value_or(fallback);
}

// A code cell as an int; cells never set give the fallback.
int CodeOf(double cell, int fallback) { return std::isfinite(cell) ? static_cast<int>(cell) : fallback; }

ChartPen PenOf(int lineType)
{
    switch (lineType) {
    case ChartLineMedium:
        return {MediumLineWidth, false};
    case ChartLineDashed:
        return {MediumLineWidth, true};
    default:
        return {ThinLineWidth, false};
    }
}

QString FontProperty(const ChartPropertyStore& store, int id)
{
    const std::string_view family = store.Text(id);
    return ChartTextFromWindows1252(family.empty() ? std::string_view(DefaultFont) : family);
}

// Extent of finite values; empty when there are none.
struct Extent {
    double Min = std::numeric_limits<double>::infinity();
    double Max = -std::numeric_limits<double>::infinity();
    void Add(double v)
    {
        Min = std::min(Min, v);
        Max = std::max(Max, v);
    }
    bool Empty() const { return Min > Max; }
};

// A drawable range from two limits: inverted limits are swapped and equal ones widened.
ChartRange Widened(double lo, double hi)
{
    if (lo > hi) std::swap(lo, hi);
    if (lo == hi) {
        const double d = lo == 0.0 ? 1.0 : std::fabs(lo) * FlatRangeWidening;
        lo -= d;
        hi += d;
    }
    if (!(lo < hi) || !std::isfinite(lo) || !std::isfinite(hi)) return {-1.0, 1.0};
    return {lo, hi};
}

ChartRange AutomaticRange(const Extent& e, double padding)
{
    if (e.Empty()) return {0.0, 1.0};
    const double pad = (e.Max - e.Min) * padding;
    return Widened(e.Min - pad, e.Max + pad);
}

ChartRange ResolveRange(int scaleMode, double lo, double hi, const Extent& data, double padding)
{
    if (scaleMode == ChartScaleManual && std::isfinite(lo) && std::isfinite(hi)) return Widened(lo, hi);
    return AutomaticRange(data, padding);
}

// The axis of each subset: consecutive subsets per the axis-subset counts, the remainder on
// the last axis; one axis holding everything when no count is set.
std::vector<int> AxisOfSubsets(const ChartPropertyStore& store, int subsets, int& axes)
{
    std::vector<int> axisOf(subsets, 0);
    const std::vector<double>& counts = store.Numbers(ChartAxisSubsets);
    axes = std::clamp(static_cast<int>(counts.size()), 1, ChartAxisCount);
    int s = 0;
    for (int a = 0; a < axes && s < subsets; ++a) {
        const double c = counts.empty() ? subsets : counts[a];
        int n = std::isfinite(c) && c > 0.0 ? static_cast<int>(std::min<double>(c, subsets)) : 0;
        if (a == axes - 1) n = subsets - s;
        for (int k = 0; k < n && s < subsets; ++k) axisOf[s++] = a;
    }
    return axisOf;
}

std::vector<QPointF> FinitePoints(const ChartPropertyStore& store, int subset)
{
    std::vector<QPointF> pts;
    pts.reserve(store.PointCount());
    for (int p = 0; p < store.PointCount(); ++p) {
        const double x = store.PointX(subset, p);
        const double y = store.PointY(subset, p);
        if (std::isfinite(x) && std::isfinite(y)) pts.emplace_back(x, y);
    }
    return pts;
}

// The subtitle's three parts: text before the first bar, between the first two, after them.
void SplitSubtitle(const QString& text, ChartScene& scene)
{
    const qsizetype first = text.indexOf(u'|');
    if (first < 0) {
        scene.SubtitleCentre = text.trimmed();
        return;
    }
    const qsizetype second = text.indexOf(u'|', first + 1);
    scene.SubtitleLeft = text.left(first).trimmed();
    if (second < 0) {
        scene.SubtitleCentre = text.mid(first + 1).trimmed();
        return;
    }
    scene.SubtitleCentre = text.mid(first + 1, second - first - 1).trimmed();
    scene.SubtitleRight = text.mid(second + 1).trimmed();
}

void AddLegend(const ChartPropertyStore& store, const std::vector<std::optional<ChartLayer>>& layers,
               ChartScene& scene)
{
    for (const double cell : store.Numbers(ChartLegendSubsets)) {
        if (!std::isfinite(cell) || cell < 0.0 || cell >= static_cast<double>(layers.size())) continue;
        const int s = static_cast<int>(cell);
        if (!layers[s]) continue;  // not drawn, so nothing to explain
        const ChartLayer& l = *layers[s];
        scene.Legend.push_back(
            {s, ChartTextFromWindows1252(store.TextCell(ChartSubsetLabels, s)), l.Kind, l.Colour, l.Pen});
    }
}

void AddAnnotations(const ChartPropertyStore& store, ChartScene& scene)
{
    if (store.Number(ChartShowAnnotations, 0, 1.0) == 0.0) return;
    const std::size_t n = std::min(store.Numbers(ChartAnnotationX).size(), store.Numbers(ChartAnnotationY).size());
    for (std::size_t i = 0; i < n; ++i) {
        const double x = store.NumberCell(ChartAnnotationX, static_cast<int>(i));
        const double y = store.NumberCell(ChartAnnotationY, static_cast<int>(i));
        const QString text = ChartTextFromWindows1252(store.TextCell(ChartAnnotationText, static_cast<int>(i)));
        if (std::isfinite(x) && std::isfinite(y) && !text.isEmpty()) scene.Annotations.push_back({{x, y}, text});
    }
}

}  // namespace

ChartScene ResolveChartScene(const ChartPropertyStore& store)
{
    ChartScene scene;
    scene.DeskColour = ColourProperty(store, ChartDeskColour, DefaultDeskColour);
    scene.GraphColour = DefaultGraphColour;
    scene.GridColour = ColourProperty(store, ChartGridColour, DefaultGridColour);
    scene.TitleFont = FontProperty(store, ChartTitleFont);
    scene.LabelFont = FontProperty(store, ChartLabelFont);
    SplitSubtitle(ChartTextFromWindows1252(store.TextCell(ChartSubtitle, 0)), scene);
    scene.XLabel = ChartTextFromWindows1252(store.Text(ChartXAxisLabel));

    const int subsets = store.SubsetCount();
    int axes = 1;
    const std::vector<int> axisOf = AxisOfSubsets(store, subsets, axes);

    // Each subset's layer, or none when it has no colour.
    std::vector<std::optional<ChartLayer>> layers(subsets);
    for (int s = 0; s < subsets; ++s) {
        const std::optional<QRgb> colour = ColourOf(store.NumberCell(ChartSubsetColours, s));
        if (!colour) continue;
        const int lineType = CodeOf(store.NumberCell(ChartSubsetLineTypes, s), ChartLineThin);
        const int plotType = CodeOf(store.NumberCell(ChartSubsetPlotTypes, s), ChartPlotLine);
        const bool layered = store.Number(ChartAxisPlotting, axisOf[s], ChartPlotLines) == ChartPlotLayers;
        ChartLayer l;
        l.Subset = s;
        l.Colour = *colour;
        l.Pen = PenOf(lineType);
        if (plotType == ChartPlotMarkers)
            l.Kind = ChartLayerKind::Markers;
        else if (layered && lineType == ChartLineThin)
            l.Kind = ChartLayerKind::Band;
        l.Points = FinitePoints(store, s);
        layers[s] = std::move(l);
    }

    Extent xData;
    for (const auto& l : layers)
        if (l)
            for (const QPointF& p : l->Points) xData.Add(p.x());
    scene.X = ResolveRange(CodeOf(store.NumberCell(ChartXScale, 0), ChartScaleAutomatic),
                           store.NumberCell(ChartXMinimum, 0), store.NumberCell(ChartXMaximum, 0), xData, 0.0);

    for (int a = 0; a < axes; ++a) {
        ChartPane pane;
        pane.YLabel = ChartTextFromWindows1252(store.Text(ChartYAxisLabel, a));
        Extent yData;
        for (int s = 0; s < subsets; ++s)
            if (layers[s] && axisOf[s] == a)
                for (const QPointF& p : layers[s]->Points) yData.Add(p.y());
        pane.Y = ResolveRange(CodeOf(store.NumberCell(ChartYScale, 0, a), ChartScaleAutomatic),
                              store.NumberCell(ChartYMinimum, 0, a), store.NumberCell(ChartYMaximum, 0, a), yData,
                              AutomaticYPadding);
        // Bands first, each filled up from the band before it; then lines; then markers.
        const std::vector<QPointF>* below = nullptr;
        for (const ChartLayerKind kind : {ChartLayerKind::Band, ChartLayerKind::Line, ChartLayerKind::Markers}) {
            for (int s = 0; s < subsets; ++s) {
                if (!layers[s] || axisOf[s] != a || layers[s]->Kind != kind) continue;
                ChartLayer l = *layers[s];
                if (kind == ChartLayerKind::Band) {
                    if (below)
                        l.Base = *below;
                    else if (!l.Points.empty())
                        l.Base = {{l.Points.front().x(), pane.Y.Min}, {l.Points.back().x(), pane.Y.Min}};
                }
                pane.Layers.push_back(std::move(l));
                if (kind == ChartLayerKind::Band) below = &layers[s]->Points;
            }
        }
        scene.Panes.push_back(std::move(pane));
    }

    AddLegend(store, layers, scene);
    AddAnnotations(store, scene);
    return scene;
}
