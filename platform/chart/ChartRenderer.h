// Layout and drawing of a chart scene with QPainter.
//
// The subtitle runs along the top; below it the panes are stacked, each a framed plot area
// with its y-axis title and numbers on the left; the x numbers and title sit under the lowest
// pane and the legend under them. Texts never overlap: one that would cover another is cut or
// left out (see PaintChart). Everything inside a plot area is clipped to it in double
// precision (ChartClip.h) before it reaches QPainter. A line with more points than its plot
// is wide in pixels is drawn through what its pixel columns show (ChartLineReduction.h).
#pragma once

#include "ChartScene.h"

#include <QRectF>
#include <QSize>
#include <QString>
#include <vector>

class QPainter;

// Where the parts of a scene go at one size, in pixels.
struct ChartLayout {
    QSize Size;
    std::vector<QRectF> Plots;  // plot area of each pane, edges on pixel boundaries
};

// Tick values of a range: the multiples of one step (1, 2 or 5 times a power of ten) inside
// it, at least minSpacing pixels apart when the range spans `pixels`. At most 200 ticks; none
// when the range or the pixel length is not positive.
std::vector<double> ChartTicks(const ChartRange& range, double pixels, double minSpacing);

// A tick value as text in the C locale: fixed with the decimals the step needs, or in
// exponent form for magnitudes of 1e9 and above. A value within 1e-9 steps of zero is zero
// (never "-0").
QString ChartTickText(double value, double step);

// The layout of a scene at a size; plot areas may be empty when the size is too small.
ChartLayout LayoutChart(const ChartScene& scene, QSize size);

// The pixel position of a data point of a pane, in double precision.
QPointF ChartToPixel(const ChartScene& scene, const ChartLayout& layout, int pane, QPointF data);

// How the lines of a scene are drawn: a line with more points than its plot is wide in
// pixels through its per-pixel-column reduction, or every line through all its points (to
// compare the two).
enum class ChartLineDetail { Reduced, Full };

// Draws the scene over the rectangle (0, 0, size) of the painter's device (the chart
// window's image, or a printer page). No text is drawn over another: the axis numbers come
// first, then the y titles (cut to their panes' heights and the gaps between them), the x title, the legend, the
// subtitle and the labels of points, each left out where it would cover one drawn before it;
// the subtitle is left out when the panes need its height for their titles, and a pane without
// room is not drawn. `textBoxes`, when given, receives the box of every text drawn, in device
// pixels.
void PaintChart(QPainter& painter, const ChartScene& scene, QSize size,
                ChartLineDetail detail = ChartLineDetail::Reduced, std::vector<QRectF>* textBoxes = nullptr);
