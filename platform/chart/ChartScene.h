// The immutable picture of a chart in data coordinates, resolved from its property store.
//
// Resolution decides everything that does not depend on the window's size: which subsets are
// drawn and how (line, filled layer or markers), on which pane, with which colour and pen;
// the axis ranges; legend, subtitle and annotations. The renderer (ChartRenderer.h) lays the
// scene out at a size and draws it.
#pragma once

#include "ChartProperties.h"

#include <QPointF>
#include <QRgb>
#include <QString>
#include <vector>

// min < max, both finite.
struct ChartRange {
    double Min = 0.0;
    double Max = 1.0;
};

enum class ChartLayerKind {
    Line,     // a polyline through the points
    Band,     // the area between Base and Points, filled
    Markers,  // a marker at each point
};

struct ChartPen {
    double Width = 1.0;  // pixels
    bool Dashed = false;
};

struct ChartLayer {
    int Subset = 0;
    ChartLayerKind Kind = ChartLayerKind::Line;
    QRgb Colour = 0;
    ChartPen Pen;
    // The subset's finite points in point order: cells never set and non-finite values are
    // left out, so a line joins the neighbours of a missing point. For a band, the upper edge.
    std::vector<QPointF> Points;
    // Band only: the lower edge in point order, the edge of the band below or, for the lowest
    // band of a pane, the pane's minimum across the band's x extent.
    std::vector<QPointF> Base;
};

// One y axis with its own plot area; panes are stacked top to bottom in axis order and share
// the x range.
struct ChartPane {
    QString YLabel;
    ChartRange Y;
    std::vector<ChartLayer> Layers;  // in drawing order: bands, then lines, then markers
};

struct ChartLegendEntry {
    int Subset = 0;
    QString Label;
    ChartLayerKind Kind = ChartLayerKind::Line;
    QRgb Colour = 0;
    ChartPen Pen;
};

struct ChartAnnotation {
    QPointF At;  // data coordinates of the first pane
    QString Text;
};

struct ChartScene {
    QRgb DeskColour = 0;   // around the plot areas
    QRgb GraphColour = 0;  // inside the plot areas
    QRgb GridColour = 0;
    QString TitleFont;
    QString LabelFont;
    // The subtitle "left|centre|right", split at its first two bars, trailing blanks removed.
    QString SubtitleLeft, SubtitleCentre, SubtitleRight;
    QString XLabel;
    ChartRange X;
    std::vector<ChartPane> Panes;  // at least one
    std::vector<ChartLegendEntry> Legend;
    std::vector<ChartAnnotation> Annotations;
};

// The scene a store describes. Never fails: a subset without a colour is not drawn, an empty
// or inverted range is widened (min = max gets 10% of |min| on each side, or 1 at 0; min > max
// is swapped), a manual range with a non-finite limit falls back to the data, and an
// automatic range is the data's extent (y padded by 5% of its span; [0, 1] without data).
ChartScene ResolveChartScene(const ChartPropertyStore& store);
