// The reduction of a long polyline to what its pixel columns show.
//
// A line of 100,000 points across a plot a thousand pixels wide puts some hundred points into
// each pixel column; stroking them all costs a hundred times what the picture needs. Within a
// column the whole line lights the rows from its lowest to its highest point there, and it
// enters and leaves the column through its first and last point; those four points, in point
// order, light the same rows. The segments from one column to the next are the line's own.
#pragma once

#include <QPointF>
#include <span>
#include <vector>

// Fills reduced (cleared first) with the points of line (pixel coordinates) that each run of
// consecutive points in one pixel column (the same floor of x) keeps: its first point, its
// lowest and highest point (by y) and its last point, in point order, each point once. So a
// run gives one to four points, and the reduced line has at most four points per run. Points
// must be finite.
void ReduceToPixelColumns(std::span<const QPointF> line, std::vector<QPointF>& reduced);
