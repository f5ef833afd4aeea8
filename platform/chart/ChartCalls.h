// The chart calls: a chart is a child window described by numbered properties and data cells
// (ChartProperties.h); its owner sets them, then asks for a rebuild.
//
// A build is: the counts, the points, the other properties, ChartReinitialize (resolves the
// properties into the picture), ChartResetImage (draws it), then an update of the window.
// Properties keep their values from one build to the next until set again; setting the subset
// or point count clears every point cell.
//
// Every call but ChartCreate returns 1 when it was carried out and 0, changing nothing, for a
// handle that is not a live chart, an id or value the call cannot take, or a capacity that
// would be exceeded. User-interface thread only.
#pragma once

#include "ChartScene.h"

#include "platform/WinTypes.h"

#include <QImage>
#include <QRect>
#include <memory>

class QWidget;
class CWnd;
class ChartWindow;

// The chart handle is its window (a QWidget), so window calls apply to it directly.
using ChartHandle = ChartWindow*;

inline constexpr int ChartObjectGraph = 304;              // the one object type
inline constexpr unsigned ChartStyleVisible = WS_VISIBLE;  // shown at once

// A chart window of the given object type over the rectangle (pixels, in the parent's client
// coordinates), a child of parent with the control id; shown when style has ChartStyleVisible.
// Returns null for another object type. With a null parent the chart is a top-level window
// (tests).
ChartHandle ChartCreate(int objectType, unsigned style, const QRect& rect, QWidget* parent, int controlId);
// The same as a child of a platform window (rect in its client pixels; WS_VISIBLE shows it).
// The chart is then one of parent's windows: CWnd::FromWidget(handle) is its window object,
// which the owner moves on every resize (MoveWindow), invalidates after ChartResetImage and
// finds as GetDlgItem(controlId). Returns null for another object type or a parent without
// a window.
ChartHandle ChartCreate(int objectType, unsigned style, const CRect& rect, CWnd* parent, int controlId);

// Destroys the chart window; the handle is dead afterwards. A chart also dies with its parent.
int ChartDestroy(ChartHandle chart);

int ChartSetInt(ChartHandle chart, int property, int value);
// The text is copied (Windows-1252, zero-terminated; null is the empty text).
int ChartSetText(ChartHandle chart, int property, const char* text);
// count 0: data points to one double (one float for ChartLegendSpacing) that becomes the value;
// count > 0: data points to count ints that become the whole array.
int ChartSetArray(ChartHandle chart, int property, const void* data, int count);
// One cell: value points to a zero-terminated text, an int, a double or a float, as the
// property's row in the table says (ChartProperties.cpp). Refused for ids the table does not
// know, whose kind of value the call cannot tell.
int ChartSetCell(ChartHandle chart, int property, int index, const void* value);
// One point's x (ChartXData) or y (ChartYData); value points to a double.
int ChartSetPointCell(ChartHandle chart, int property, int subset, int point, const void* value);
// Cells start .. start + count - 1 from count ints; the last argument is unused.
int ChartSetCellRange(ChartHandle chart, int property, int start, int count, const void* values, int reserved);
// Resolves the properties into the picture the next ChartResetImage draws.
int ChartReinitialize(ChartHandle chart);
// Draws the picture into the window's image; the window shows it at its next paint.
int ChartResetImage(ChartHandle chart, int reserved1, int reserved2);

// Test hooks: the scene of the last ChartReinitialize (null before it or for a dead handle),
// and the image the window shows (null image for a dead handle or an empty window).
std::shared_ptr<const ChartScene> ChartSceneOf(ChartHandle chart);
QImage ChartImageOf(ChartHandle chart);
