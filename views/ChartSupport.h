// What the chart views share (the profile view, the hydrograph view and the cross-section
// chart): the chart window's life in its owner, the looks of each chart, and the calls that set
// values, counts and points, axis ranges, null values, subset labels and the subtitle.
//
// Every function takes the chart handle and sets properties of the chart component
// (platform/chart/ChartProperties.h) in the order it documents; none reads the chart back.
// User-interface thread only.
#pragma once

#include "platform/chart/ChartCalls.h"
#include "platform/chart/ChartProperties.h"

#include <cstddef>
#include <span>
#include <string>

class CWnd;
class ModelState;

// Control ids of the chart windows: a view's chart, and the chart of the cross-section editor.
inline constexpr int ViewChartId = 1001;
inline constexpr int CrossSectionChartId = 1000;

// The value the null-value properties of every axis get.
inline constexpr double ChartNullValue = -99999.0;
// The space between legend entries that goes with subset labels.
inline constexpr float ChartLegendSpacingValue = 0.5f;
// ChartLegendStyle with subset labels.
inline constexpr int ChartLegendOneRow = 1;
// The subtitle's title is cut to this many characters.
inline constexpr std::size_t MaxChartTitleLength = 74;

// Colours of the subsets.
inline constexpr COLORREF ChartBlack = RGB(0, 0, 0);
inline constexpr COLORREF ChartWhite = RGB(255, 255, 255);
inline constexpr COLORREF ChartRed = RGB(255, 0, 0);
inline constexpr COLORREF ChartGreen = RGB(0, 255, 0);
inline constexpr COLORREF ChartBlue = RGB(0, 0, 255);
inline constexpr COLORREF ChartOrange = RGB(255, 165, 0);

// ---- The chart window ------------------------------------------------------------------------

// Makes chart a visible chart over owner's client area with the control id, unless it is one
// already. Returns whether there is a chart; chart stays null when it cannot be made.
bool CreateChartIfNone(ChartHandle& chart, CWnd& owner, int controlId);
// Moves the chart, when there is one, over owner's whole client area without repainting.
void FitChartToClient(ChartHandle chart, CWnd& owner);
// Destroys the chart, if any; chart is null afterwards.
void DestroyChart(ChartHandle& chart);
// The chart's window object; null without a chart.
CWnd* ChartWindowObject(ChartHandle chart);
// The end of every build: resolves the properties into the picture, draws it and has the
// chart window repaint without erasing.
void ShowChart(ChartHandle chart);

// ---- Looks ----------------------------------------------------------------------------------

// One int property and its value: a row of a style table.
struct ChartIntSetting {
    int Id;
    int Value;
};

// A chart's looks: after the looks every chart starts with (desk and grid colours, the image,
// fixed fonts), the settings before the fonts, the fonts (the same for every chart), and the
// settings after them, each table in its order.
struct ChartStyle {
    std::span<const ChartIntSetting> BeforeFonts;
    std::span<const ChartIntSetting> AfterFonts;
};

// The looks of the three charts. The profile's leaves out the annotation switches, which
// follow its layout; the hydrograph's ends with the annotations shown.
extern const ChartStyle ProfileChartStyle;
extern const ChartStyle HydrographChartStyle;
extern const ChartStyle CrossSectionChartStyle;

// Sets the common looks and the settings before the fonts, the empty main title and plain
// subtitle with the title and label fonts ("Arial", bold), then the settings after the fonts.
void ApplyChartStyle(ChartHandle chart, const ChartStyle& style);

// ---- Values, counts and points ----------------------------------------------------------------

// One double (ChartSetArray with count 0), one float (only ChartLegendSpacing takes one), a
// whole int array, one int cell.
void SetChartDouble(ChartHandle chart, int id, double value);
void SetChartFloat(ChartHandle chart, int id, float value);
void SetChartInts(ChartHandle chart, int id, std::span<const int> values);
void SetChartIntCell(ChartHandle chart, int id, int index, int value);

// The subset and point counts, each point with an x and a y of its own. Clears every point.
void SetChartCounts(ChartHandle chart, int subsets, int points);
// Point `point` of subset `subset`: its x, then its y.
void SetChartPoint(ChartHandle chart, int subset, int point, double x, double y);
// Subset s gets labels[s] as its legend label.
void SetSubsetLabels(ChartHandle chart, std::span<const char* const> labels);
// The legend's subsets, then the subset colours (COLORREF) and line types, one per subset.
void SetSubsetLooks(ChartHandle chart, std::span<const int> legend, std::span<const int> colours,
                    std::span<const int> lineTypes);

// The subtitle: ModelState::FormatChartSubtitle of the title (cut to MaxChartTitleLength) with
// the model time or the calendar date when asked, into the chart's subtitle cell.
void SetChartSubtitle(ChartHandle chart, ModelState& state, const std::string& title, int modelTime, int calendar);

// ---- Axes -----------------------------------------------------------------------------------

// Makes axis (0 top, 1 bottom) the one that per-axis properties address, with its usual style.
void SelectChartAxis(ChartHandle chart, int axis);
// A manual range of the working y axis.
void SetManualYRange(ChartHandle chart, double minimum, double maximum);
// A manual range of the x axis.
void SetManualXRange(ChartHandle chart, double minimum, double maximum);
// Both null values of the working axis to ChartNullValue.
void SetNullValues(ChartHandle chart);
// The end of the working axis of a chart with one y axis of lines: on the left, no gaps at
// missing points, plotted as lines, the null values.
void FinishLineAxis(ChartHandle chart);

// Axis titles of a plot variable and of a series variable: the datalib label in the units
// (1 metric, 0 imperial); empty for a negative variable.
std::string PlotVariableLabel(int variable, int units);
std::string SeriesVariableLabel(int variable, int units);
