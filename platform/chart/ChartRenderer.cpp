#include "ChartRenderer.h"

#include "ChartClip.h"
#include "ChartLineReduction.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

namespace {

// Text sizes in pixels.
constexpr int SubtitlePixels = 15;
constexpr int AxisTitlePixels = 13;
constexpr int NumberPixels = 12;
constexpr int LegendPixels = 12;
constexpr int AnnotationPixels = 10;

// Distances in pixels.
constexpr double Pad = 8.0;          // from the window's edge and between blocks
constexpr double TickLength = 4.0;   // tick marks outside the frame
constexpr double TickGap = 3.0;      // between a tick mark and its number
constexpr double MinXTickSpacing = 80.0;
constexpr double YTickSpacingLines = 2.0;  // y ticks at least this many number heights apart
constexpr double LegendSample = 26.0;      // width of a legend entry's sample
constexpr double LegendSampleGap = 5.0;
constexpr double LegendEntryGap = 18.0;
constexpr double MarkerDiameter = 7.0;
constexpr double ThinLineWidth = 1.0;
constexpr double AnnotationLift = 4.0;     // text bottom above the annotated point
constexpr int MaxTicks = 200;

const QColor TextColour(0, 0, 0);
const QColor FrameColour(0, 0, 0);
const QColor SampleOutline(90, 90, 90);

QFont MakeFont(const QString& family, int pixels, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The box of one line of text (ascent to descent, advance wide) placed by the alignment
// against the point: left, centre or right of x; top, middle or bottom at y.
QRectF AlignedBox(const QFontMetricsF& m, QPointF at, Qt::Alignment align, const QString& text)
{
    const double width = m.horizontalAdvance(text);
    double x = at.x();
    if (align & Qt::AlignHCenter) x -= width / 2.0;
    else if (align & Qt::AlignRight) x -= width;
    double baseline = at.y() + m.ascent();
    if (align & Qt::AlignVCenter)
        baseline = at.y() + (m.ascent() - m.descent()) / 2.0;
    else if (align & Qt::AlignBottom)
        baseline = at.y() - m.descent();
    return {x, baseline - m.ascent(), width, m.ascent() + m.descent()};
}

// The texts of one painting. A text is drawn only where its box, on the device, overlaps no
// text drawn before it, so the texts drawn first (the axis numbers) win over those drawn after
// them, and no text is ever drawn over another.
class TextPlacer
{
public:
    explicit TextPlacer(std::vector<QRectF>* record) : Record(record) {}

    // Whether the box (in the painter's present coordinates) is free of the texts placed.
    bool Free(const QPainter& g, const QRectF& box) const
    {
        const QRectF device = g.worldTransform().mapRect(box);
        return std::none_of(Placed.begin(), Placed.end(), [&](const QRectF& r) { return r.intersects(device); });
    }

    // Draws one line of text with its box placed as AlignedBox places it, when the box is free;
    // returns whether it was drawn. Much cheaper than QPainter's rectangle form, which lays the
    // text out anew every time.
    bool Draw(QPainter& g, const QFontMetricsF& m, QPointF at, Qt::Alignment align, const QString& text)
    {
        if (text.isEmpty()) return false;
        const QRectF box = AlignedBox(m, at, align, text);
        if (!Free(g, box)) return false;
        Placed.push_back(g.worldTransform().mapRect(box));
        if (Record) Record->push_back(Placed.back());
        g.drawText(QPointF(box.left(), box.top() + m.ascent()), text);
        return true;
    }

private:
    std::vector<QRectF> Placed;
    std::vector<QRectF>* Record;
};

double Step(const std::vector<double>& ticks) { return ticks.size() >= 2 ? ticks[1] - ticks[0] : 1.0; }

// Everything the painting needs besides the scene.
struct Frame {
    QFont Subtitle, AxisTitle, Number, Legend, Annotation;
    double SubtitleTop = 0.0, SubtitleHeight = 0.0;
    std::vector<QRectF> Plots;
    std::vector<std::vector<double>> YTicks;  // per pane
    std::vector<double> XTicks;
    double YTitleLeft = 0.0;
    double PaneGap = 0.0;          // between two panes
    std::vector<QString> YTitles;  // per pane: its y title as it fits the pane's height
    double XNumbersTop = 0.0, XTitleTop = 0.0;
    struct LegendRow {
        std::vector<int> Entries;
        double Width = 0.0;
    };
    std::vector<LegendRow> LegendRows;
    double LegendTop = 0.0, LegendRowHeight = 0.0;
};

bool HasSubtitle(const ChartScene& scene)
{
    return !scene.SubtitleLeft.isEmpty() || !scene.SubtitleCentre.isEmpty() || !scene.SubtitleRight.isEmpty();
}

double LegendEntryWidth(const QFontMetricsF& m, const QString& label)
{
    return LegendSample + LegendSampleGap + m.horizontalAdvance(label);
}

// Legend entries in rows no wider than `limit`, each row filled before the next begins (an
// entry wider than the limit gets a row of its own).
std::vector<Frame::LegendRow> FillLegendRows(const std::vector<double>& widths, double limit)
{
    std::vector<Frame::LegendRow> rows;
    for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
        if (rows.empty() || (!rows.back().Entries.empty() && rows.back().Width + LegendEntryGap + widths[i] > limit))
            rows.emplace_back();
        Frame::LegendRow& r = rows.back();
        r.Width += (r.Entries.empty() ? 0.0 : LegendEntryGap) + widths[i];
        r.Entries.push_back(i);
    }
    return rows;
}

// The legend in as few rows as fit the width, balanced: the narrowest limit that still needs
// no more rows (so eight entries that need two rows go four and four, not seven and one).
std::vector<Frame::LegendRow> ArrangeLegend(const ChartScene& scene, const QFontMetricsF& m, double width)
{
    std::vector<double> widths;
    for (const ChartLegendEntry& e : scene.Legend) widths.push_back(LegendEntryWidth(m, e.Label));
    std::vector<Frame::LegendRow> rows = FillLegendRows(widths, width);
    if (rows.size() < 2) return rows;
    double lo = 0.0, hi = width;
    for (int i = 0; i < 30 && hi - lo > 0.5; ++i) {
        const double mid = (lo + hi) / 2.0;
        (FillLegendRows(widths, mid).size() <= rows.size() ? hi : lo) = mid;
    }
    return FillLegendRows(widths, hi);
}

double WidestText(const QFontMetricsF& m, const std::vector<double>& ticks)
{
    double w = 0.0;
    for (const double t : ticks) w = std::max(w, m.horizontalAdvance(ChartTickText(t, Step(ticks))));
    return w;
}

// Pixel coordinates stay finite for any finite data value (clipping needs finite ends): one
// that would overflow is held at FarOff on its side. Only values near the largest double
// reach it, so the bend this gives a line does not matter.
constexpr double FarOff = 1e300;

double MapX(const ChartScene& s, const QRectF& r, double x)
{
    return std::clamp(r.left() + (x - s.X.Min) / (s.X.Max - s.X.Min) * r.width(), -FarOff, FarOff);
}

double MapY(const ChartRange& y, const QRectF& r, double v)
{
    return std::clamp(r.bottom() - (v - y.Min) / (y.Max - y.Min) * r.height(), -FarOff, FarOff);
}

// The layout at a size, with or without the subtitle.
Frame ComputeFrameWith(const ChartScene& scene, QSize size, bool withSubtitle)
{
    Frame f;
    f.Subtitle = MakeFont(scene.TitleFont, SubtitlePixels, true);
    f.AxisTitle = MakeFont(scene.LabelFont, AxisTitlePixels);
    f.Number = MakeFont(scene.LabelFont, NumberPixels);
    f.Legend = MakeFont(scene.LabelFont, LegendPixels);
    f.Annotation = MakeFont(scene.LabelFont, AnnotationPixels);
    const QFontMetricsF subtitleM(f.Subtitle), titleM(f.AxisTitle), numberM(f.Number), legendM(f.Legend);
    const double w = size.width();
    const double h = size.height();

    // Top: the subtitle, then half a number's height for the topmost y number.
    double top = Pad;
    f.SubtitleTop = top;
    if (withSubtitle && HasSubtitle(scene)) {
        f.SubtitleHeight = subtitleM.height();
        top += f.SubtitleHeight + Pad;
    }
    top += numberM.height() / 2.0;

    // Bottom, upward: legend, x title, x numbers, tick marks.
    f.LegendRows = ArrangeLegend(scene, legendM, w - 2.0 * Pad);
    f.LegendRowHeight = std::max(legendM.height(), MarkerDiameter) + 4.0;
    double bottom = h - Pad;
    if (!f.LegendRows.empty()) {
        bottom -= double(f.LegendRows.size()) * f.LegendRowHeight;
        f.LegendTop = bottom;
        bottom -= Pad / 2.0;
    }
    if (!scene.XLabel.isEmpty()) {
        bottom -= titleM.height();
        f.XTitleTop = bottom;
        bottom -= Pad / 2.0;
    }
    bottom -= numberM.height();
    f.XNumbersTop = bottom;
    bottom -= TickGap + TickLength;

    // Panes share the height; between two panes room for the numbers at their facing edges.
    const int panes = static_cast<int>(scene.Panes.size());
    const double gap = numberM.height() + 2.0 * TickLength;
    f.PaneGap = gap;
    const double paneHeight = std::max(0.0, (bottom - top - gap * (panes - 1)) / std::max(panes, 1));
    std::vector<double> paneTop(panes);
    double yNumbersWidth = 0.0;
    bool anyYTitle = false;
    for (int p = 0; p < panes; ++p) {
        paneTop[p] = std::round(top + p * (paneHeight + gap));
        f.YTicks.push_back(ChartTicks(scene.Panes[p].Y, paneHeight, YTickSpacingLines * numberM.height()));
        yNumbersWidth = std::max(yNumbersWidth, WidestText(numberM, f.YTicks.back()));
        anyYTitle = anyYTitle || !scene.Panes[p].YLabel.isEmpty();
    }

    // Left: y title (turned upright), y numbers, tick marks.
    f.YTitleLeft = Pad;
    double left = Pad + (anyYTitle ? titleM.height() + Pad : 0.0) + yNumbersWidth + TickGap + TickLength;
    left = std::round(left);
    // Right: room for half the last x number when it sits at the right edge.
    double right = w - Pad;
    f.XTicks = ChartTicks(scene.X, right - left, MinXTickSpacing);
    if (!f.XTicks.empty()) {
        const double last = f.XTicks.back();
        const double half = numberM.horizontalAdvance(ChartTickText(last, Step(f.XTicks))) / 2.0;
        const double tickPx = MapX(scene, QRectF(left, 0, right - left, 1), last);
        right -= std::max(0.0, half - (right - tickPx));
        f.XTicks = ChartTicks(scene.X, right - left, MinXTickSpacing);
    }
    right = std::round(right);
    for (int p = 0; p < panes; ++p)
        f.Plots.emplace_back(left, paneTop[p], std::max(0.0, right - left), std::max(0.0, std::round(paneHeight)));
    return f;
}

// The length a pane's y title may take, centred on the pane: its height and most of the gaps
// on either side, so that the titles of two panes stay a pixel or more apart.
double YTitleRoom(const Frame& f, int p)
{
    return f.Plots[p].height() + f.PaneGap - 2.0;
}

// Whether every pane's y title fits its room whole.
bool YTitlesFit(const ChartScene& scene, const Frame& f)
{
    const QFontMetricsF m(f.AxisTitle);
    for (size_t p = 0; p < scene.Panes.size(); ++p)
        if (m.horizontalAdvance(scene.Panes[p].YLabel) > YTitleRoom(f, static_cast<int>(p))) return false;
    return true;
}

// A text cut to `room` pixels with an ellipsis; empty when not even one of its characters
// fits before the ellipsis.
QString FitText(const QFontMetricsF& m, const QString& text, double room)
{
    if (m.horizontalAdvance(text) <= room) return text;
    const QString cut = m.elidedText(text, Qt::ElideRight, std::max(0.0, room));
    return cut.size() < 2 ? QString() : cut;
}

// The layout at a size. The subtitle gives its height to the panes when a y title would not
// fit beside its pane with it; a y title still too long is cut to its room.
Frame ComputeFrame(const ChartScene& scene, QSize size)
{
    Frame f = ComputeFrameWith(scene, size, true);
    if (HasSubtitle(scene) && !YTitlesFit(scene, f)) f = ComputeFrameWith(scene, size, false);
    const QFontMetricsF m(f.AxisTitle);
    for (size_t p = 0; p < scene.Panes.size(); ++p)
        f.YTitles.push_back(FitText(m, scene.Panes[p].YLabel, YTitleRoom(f, static_cast<int>(p))));
    return f;
}

// The subtitle's three parts: the left and right ones at the edges, the centre one centred,
// or moved between the other two, and cut to the room between them.
void DrawSubtitle(QPainter& g, const ChartScene& scene, const Frame& f, double width, TextPlacer& texts)
{
    if (f.SubtitleHeight <= 0.0) return;
    g.setFont(f.Subtitle);
    g.setPen(TextColour);
    const QFontMetricsF m(f.Subtitle);
    const double gap = m.averageCharWidth();
    double from = Pad, to = width - Pad;
    if (texts.Draw(g, m, {Pad, f.SubtitleTop}, Qt::AlignLeft | Qt::AlignTop, scene.SubtitleLeft))
        from += m.horizontalAdvance(scene.SubtitleLeft) + gap;
    if (texts.Draw(g, m, {width - Pad, f.SubtitleTop}, Qt::AlignRight | Qt::AlignTop, scene.SubtitleRight))
        to -= m.horizontalAdvance(scene.SubtitleRight) + gap;
    const QString centre = FitText(m, scene.SubtitleCentre, to - from);
    const double half = m.horizontalAdvance(centre) / 2.0;
    const double x = std::clamp(width / 2.0, from + half, std::max(from + half, to - half));
    texts.Draw(g, m, {x, f.SubtitleTop}, Qt::AlignHCenter | Qt::AlignTop, centre);
}

// The pen of a data line or legend sample.
QPen DataPen(QRgb colour, const ChartPen& pen)
{
    QPen p{QColor(colour)};
    p.setWidthF(pen.Width);
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::RoundJoin);
    if (pen.Dashed) p.setDashPattern({4.0, 2.0});
    return p;
}

void DrawMarker(QPainter& g, QRgb colour, QPointF at)
{
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(colour));
    g.drawEllipse(at, MarkerDiameter / 2.0, MarkerDiameter / 2.0);
}

// Buffers reused across the layers of one painting.
struct Scratch {
    std::vector<QPointF> Pixels, Reduced, Clipped;
    std::vector<int> Runs;
    std::vector<QLineF> Segments;
};

void DrawLayer(QPainter& g, const ChartScene& scene, const ChartPane& pane, const QRectF& plot, const ChartLayer& l,
               ChartLineDetail detail, Scratch& s)
{
    const auto toPixel = [&](const QPointF& p) { return QPointF(MapX(scene, plot, p.x()), MapY(pane.Y, plot, p.y())); };
    s.Pixels.resize(l.Points.size());
    std::transform(l.Points.begin(), l.Points.end(), s.Pixels.begin(), toPixel);
    switch (l.Kind) {
    case ChartLayerKind::Band: {
        for (auto it = l.Base.rbegin(); it != l.Base.rend(); ++it) s.Pixels.push_back(toPixel(*it));
        const ChartClipRect r{plot.left(), plot.top(), plot.right(), plot.bottom()};
        const std::vector<QPointF> poly = ClipPolygon(s.Pixels, r);
        if (poly.size() < 3) return;
        g.setRenderHint(QPainter::Antialiasing, false);
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(l.Colour));
        g.drawPolygon(poly.data(), static_cast<int>(poly.size()), Qt::WindingFill);
        return;
    }
    case ChartLayerKind::Line: {
        // More points than pixel columns: each column's first, lowest, highest and last.
        std::span<const QPointF> line = s.Pixels;
        if (detail == ChartLineDetail::Reduced && static_cast<double>(s.Pixels.size()) > plot.width()) {
            ReduceToPixelColumns(s.Pixels, s.Reduced);
            line = s.Reduced;
        }
        const double m = l.Pen.Width;  // keep the ends of a line's width at the frame
        ClipPolyline(line, {plot.left() - m, plot.top() - m, plot.right() + m, plot.bottom() + m}, s.Clipped, s.Runs);
        // Thin lines stay crisp, one pixel of their full colour; wider ones are smoothed.
        g.setRenderHint(QPainter::Antialiasing, l.Pen.Width > ThinLineWidth);
        QPen pen = DataPen(l.Colour, l.Pen);
        g.setBrush(Qt::NoBrush);
        const QPointF* p = s.Clipped.data();
        if (l.Pen.Dashed || l.Pen.Width <= ThinLineWidth) {
            // Whole pieces, so that dashes run on across the points.
            g.setPen(pen);
            for (const int n : s.Runs) {
                g.drawPolyline(p, n);
                p += n;
            }
            return;
        }
        // A smoothed wide polyline is stroked as one outline with its joins, ten times slower
        // than its segments one by one; square caps close the joins between segments.
        s.Segments.clear();
        for (const int n : s.Runs) {
            for (int i = 1; i < n; ++i) s.Segments.emplace_back(p[i - 1], p[i]);
            p += n;
        }
        pen.setCapStyle(Qt::SquareCap);
        g.setPen(pen);
        g.drawLines(s.Segments.data(), static_cast<int>(s.Segments.size()));
        return;
    }
    case ChartLayerKind::Markers: {
        g.setRenderHint(QPainter::Antialiasing, true);
        const QRectF reach = plot.adjusted(-MarkerDiameter, -MarkerDiameter, MarkerDiameter, MarkerDiameter);
        for (const QPointF& p : s.Pixels)
            if (reach.contains(p)) DrawMarker(g, l.Colour, p);
        return;
    }
    }
}

// The labels of the first pane's points; a label that would cover one drawn before it is
// left out.
void DrawAnnotations(QPainter& g, const ChartScene& scene, const Frame& f, TextPlacer& texts)
{
    if (scene.Annotations.empty() || f.Plots.empty()) return;
    const QRectF& plot = f.Plots[0];
    if (plot.width() < 1.0 || plot.height() < 1.0) return;
    g.setFont(f.Annotation);
    g.setPen(TextColour);
    const QFontMetricsF m(f.Annotation);
    for (const ChartAnnotation& a : scene.Annotations) {
        const QPointF p(MapX(scene, plot, a.At.x()), MapY(scene.Panes[0].Y, plot, a.At.y()));
        if (!plot.contains(p)) continue;
        texts.Draw(g, m, {p.x(), p.y() - AnnotationLift}, Qt::AlignHCenter | Qt::AlignBottom, a.Text);
    }
}

// Grid lines, frames and tick marks are one pixel wide and on whole pixels: drawn as filled
// rectangles, several times faster than lines.
void Rule(QPainter& g, double x, double y, double w, double h, const QColor& c) { g.fillRect(QRectF(x, y, w, h), c); }

// The pixel row of a y value and the pixel column of an x value, kept inside the plot.
double Row(const ChartRange& y, const QRectF& plot, double v)
{
    return std::clamp(std::floor(MapY(y, plot, v)), plot.top(), plot.bottom() - 1.0);
}
double Column(const ChartScene& s, const QRectF& plot, double v)
{
    return std::clamp(std::floor(MapX(s, plot, v)), plot.left(), plot.right() - 1.0);
}

void DrawGrid(QPainter& g, const ChartScene& scene, const ChartPane& pane, const QRectF& plot,
              const std::vector<double>& yTicks, const std::vector<double>& xTicks)
{
    const QColor grid(scene.GridColour);
    for (const double t : yTicks) Rule(g, plot.left(), Row(pane.Y, plot, t), plot.width(), 1.0, grid);
    for (const double t : xTicks) Rule(g, Column(scene, plot, t), plot.top(), 1.0, plot.height(), grid);
}

// Frame just outside the plot and the tick marks of one pane.
void DrawFrame(QPainter& g, const ChartScene& scene, const Frame& f, int p)
{
    const ChartPane& pane = scene.Panes[p];
    const QRectF& plot = f.Plots[p];
    Rule(g, plot.left() - 1.0, plot.top() - 1.0, plot.width() + 2.0, 1.0, FrameColour);
    Rule(g, plot.left() - 1.0, plot.bottom(), plot.width() + 2.0, 1.0, FrameColour);
    Rule(g, plot.left() - 1.0, plot.top(), 1.0, plot.height(), FrameColour);
    Rule(g, plot.right(), plot.top(), 1.0, plot.height(), FrameColour);
    for (const double t : f.YTicks[p])
        Rule(g, plot.left() - 1.0 - TickLength, Row(pane.Y, plot, t), TickLength, 1.0, FrameColour);
    for (const double t : f.XTicks) Rule(g, Column(scene, plot, t), plot.bottom() + 1.0, 1.0, TickLength, FrameColour);
}

// The numbers of one pane's y axis, and with `last` the x numbers under it.
void DrawAxisNumbers(QPainter& g, const ChartScene& scene, const Frame& f, int p, bool last, TextPlacer& texts)
{
    const ChartPane& pane = scene.Panes[p];
    const QRectF& plot = f.Plots[p];
    const QFontMetricsF numberM(f.Number);
    g.setFont(f.Number);
    g.setPen(TextColour);
    const std::vector<double>& yTicks = f.YTicks[p];
    for (const double t : yTicks)
        texts.Draw(g, numberM, {plot.left() - 1.0 - TickLength - TickGap, Row(pane.Y, plot, t) + 0.5},
                   Qt::AlignRight | Qt::AlignVCenter, ChartTickText(t, Step(yTicks)));
    if (!last) return;
    for (const double t : f.XTicks)
        texts.Draw(g, numberM, {Column(scene, plot, t) + 0.5, f.XNumbersTop}, Qt::AlignHCenter | Qt::AlignTop,
                   ChartTickText(t, Step(f.XTicks)));
}

// One pane's y title, turned a quarter to the left and centred on the pane.
void DrawYTitle(QPainter& g, const Frame& f, int p, TextPlacer& texts)
{
    const QString& title = f.YTitles[p];
    if (title.isEmpty()) return;
    g.save();
    g.setFont(f.AxisTitle);
    g.setPen(TextColour);
    g.translate(f.YTitleLeft, f.Plots[p].center().y());
    g.rotate(-90.0);
    texts.Draw(g, QFontMetricsF(f.AxisTitle), {0.0, 0.0}, Qt::AlignHCenter | Qt::AlignTop, title);
    g.restore();
}

// The legend; an entry whose label would cover another text is left out with its sample.
void DrawLegend(QPainter& g, const ChartScene& scene, const Frame& f, double width, TextPlacer& texts)
{
    g.setFont(f.Legend);
    const QFontMetricsF legendM(f.Legend);
    double y = f.LegendTop;
    for (const Frame::LegendRow& row : f.LegendRows) {
        double x = std::round((width - row.Width) / 2.0);
        const double mid = std::floor(y + f.LegendRowHeight / 2.0) + 0.5;
        for (const int i : row.Entries) {
            const ChartLegendEntry& e = scene.Legend[i];
            const QPointF labelAt(x + LegendSample + LegendSampleGap, y + f.LegendRowHeight / 2.0);
            const double entryWidth = LegendEntryWidth(legendM, e.Label) + LegendEntryGap;
            if (!texts.Free(g, AlignedBox(legendM, labelAt, Qt::AlignLeft | Qt::AlignVCenter, e.Label))) {
                x += entryWidth;
                continue;
            }
            switch (e.Kind) {
            case ChartLayerKind::Line:
                g.setRenderHint(QPainter::Antialiasing, false);
                g.setPen(DataPen(e.Colour, e.Pen));
                g.drawLine(QPointF(x, mid), QPointF(x + LegendSample, mid));
                break;
            case ChartLayerKind::Band:
                g.setRenderHint(QPainter::Antialiasing, false);
                g.setPen(QPen(SampleOutline, 1.0));
                g.setBrush(QColor(e.Colour));
                g.drawRect(QRectF(x + 0.5, mid - 5.0, LegendSample - 1.0, 10.0));
                break;
            case ChartLayerKind::Markers:
                g.setRenderHint(QPainter::Antialiasing, true);
                DrawMarker(g, e.Colour, QPointF(x + LegendSample / 2.0, mid));
                break;
            }
            g.setPen(TextColour);
            texts.Draw(g, legendM, labelAt, Qt::AlignLeft | Qt::AlignVCenter, e.Label);
            x += entryWidth;
        }
        y += f.LegendRowHeight;
    }
}

}  // namespace

std::vector<double> ChartTicks(const ChartRange& range, double pixels, double minSpacing)
{
    const double span = range.Max - range.Min;
    if (!(span > 0.0) || !std::isfinite(span) || !(pixels > 0.0)) return {};
    // The smallest round step whose ticks lie minSpacing pixels apart (at most MaxTicks).
    const double raw = span * std::max(minSpacing, 1.0) / pixels;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= raw * (1.0 - 1e-9)) break;
    }
    const double first = std::ceil(range.Min / step - 1e-9);
    if (!(step > 0.0) || !std::isfinite(first)) return {};  // a step lost below the doubles
    std::vector<double> ticks;
    for (int i = 0; i < MaxTicks; ++i) {
        const double t = (first + i) * step;
        if (t > range.Max + step * 1e-9) break;
        if (!ticks.empty() && t <= ticks.back()) break;  // steps lost in the values' precision
        ticks.push_back(t);
    }
    return ticks;
}

QString ChartTickText(double value, double step)
{
    if (std::fabs(value) < std::fabs(step) * 1e-9) value = 0.0;
    if (std::fabs(value) >= 1e9) return QString::number(value, 'g', 6);
    const int decimals = step > 0.0 ? std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 12) : 0;
    return QString::number(value, 'f', decimals);
}

ChartLayout LayoutChart(const ChartScene& scene, QSize size)
{
    return {size, ComputeFrame(scene, size).Plots};
}

QPointF ChartToPixel(const ChartScene& scene, const ChartLayout& layout, int pane, QPointF data)
{
    const QRectF& plot = layout.Plots.at(pane);
    return {MapX(scene, plot, data.x()), MapY(scene.Panes.at(pane).Y, plot, data.y())};
}

void PaintChart(QPainter& g, const ChartScene& scene, QSize size, ChartLineDetail detail,
                std::vector<QRectF>* textBoxes)
{
    g.save();
    g.fillRect(QRect(QPoint(0, 0), size), QColor(scene.DeskColour));
    const Frame f = ComputeFrame(scene, size);
    Scratch scratch;
    const int panes = static_cast<int>(scene.Panes.size());
    const auto roomy = [&](int p) { return f.Plots[p].width() >= 1.0 && f.Plots[p].height() >= 1.0; };
    for (int p = 0; p < panes; ++p) {
        if (!roomy(p)) continue;
        const QRectF& plot = f.Plots[p];
        g.fillRect(plot, QColor(scene.GraphColour));
        DrawGrid(g, scene, scene.Panes[p], plot, f.YTicks[p], f.XTicks);
        g.save();
        g.setClipRect(plot);
        for (const ChartLayer& l : scene.Panes[p].Layers) DrawLayer(g, scene, scene.Panes[p], plot, l, detail, scratch);
        g.restore();
        DrawFrame(g, scene, f, p);
    }

    // The texts, those that matter most first: a text never covers one drawn before it.
    TextPlacer texts(textBoxes);
    for (int p = 0; p < panes; ++p)
        if (roomy(p)) DrawAxisNumbers(g, scene, f, p, p == panes - 1, texts);
    for (int p = 0; p < panes; ++p)
        if (roomy(p)) DrawYTitle(g, f, p, texts);
    if (!scene.XLabel.isEmpty() && panes > 0 && roomy(panes - 1)) {
        const QRectF& plot = f.Plots.back();
        const QFontMetricsF m(f.AxisTitle);
        g.setFont(f.AxisTitle);
        g.setPen(TextColour);
        texts.Draw(g, m, {plot.center().x(), f.XTitleTop}, Qt::AlignHCenter | Qt::AlignTop,
                   FitText(m, scene.XLabel, size.width() - 2.0 * Pad));
    }
    DrawLegend(g, scene, f, size.width(), texts);
    DrawSubtitle(g, scene, f, size.width(), texts);
    DrawAnnotations(g, scene, f, texts);
    g.restore();
}
