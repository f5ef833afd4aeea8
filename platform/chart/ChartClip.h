// Clipping of segments, polylines and polygons to a rectangle in double precision.
//
// QPainter's raster engine converts coordinates to fixed point, so a segment reaching
// millions of pixels beyond the image (an event line drawn from -1e11 to +1e11) overflows it
// and is drawn as a wrong diagonal or not at all. Everything the chart draws passes through
// here first and reaches QPainter only as its visible part.
#pragma once

#include <QPointF>
#include <span>
#include <vector>

// Left < Right and Top < Bottom, in pixels (y downward).
struct ChartClipRect {
    double Left, Top, Right, Bottom;
};

// Clips the segment a-b (Liang-Barsky). Returns false when no part of it lies inside the
// rectangle or an end is not finite; otherwise a and b are the ends of the inside part, in the
// segment's direction (an end that was inside is returned unchanged).
bool ClipSegment(const ChartClipRect& r, QPointF& a, QPointF& b);

// The visible pieces of a polyline. Clears points and runs, then fills points with the pieces
// one after another and runs with the number of points of each piece (at least 2 each).
void ClipPolyline(std::span<const QPointF> line, const ChartClipRect& r, std::vector<QPointF>& points,
                  std::vector<int>& runs);

// The part of a polygon inside the rectangle (Sutherland-Hodgman); fewer than 3 points when
// nothing of it is inside. Non-finite vertices give an empty result.
std::vector<QPointF> ClipPolygon(std::span<const QPointF> polygon, const ChartClipRect& r);
