// Property ids of the chart component, what each id and value means, and the store that the
// chart calls write into.
//
// A chart is described by numbered properties and data cells; ChartReinitialize resolves the
// store into a scene (ChartScene.h). Ids that no row of the table below names are stored as
// given and have no effect on the picture.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Property ids the drawing reads.
inline constexpr int ChartSubsetCount = 2115;      // number of subsets (lines, layers, marker sets)
inline constexpr int ChartPointCount = 2120;       // points per subset
inline constexpr int ChartXData = 3013;            // point cell: x (double)
inline constexpr int ChartYData = 3014;            // point cell: y (double)
inline constexpr int ChartSubsetLabels = 2125;     // text cell per subset: legend label
inline constexpr int ChartSubtitle = 2630;         // text cell 0: "left|centre|right" line above the graph
inline constexpr int ChartXAxisLabel = 3000;       // text: x-axis title
inline constexpr int ChartWorkingAxis = 3006;      // int: the y axis that per-axis properties address
inline constexpr int ChartYAxisLabel = 3005;       // per axis, text: y-axis title
inline constexpr int ChartYScale = 3050;           // per axis, int: ChartScaleAutomatic or ChartScaleManual
inline constexpr int ChartYMinimum = 3055;         // per axis, double: manual minimum
inline constexpr int ChartYMaximum = 3060;         // per axis, double: manual maximum
inline constexpr int ChartAxisPlotting = 3090;     // per axis, int: ChartPlotLines or ChartPlotLayers
inline constexpr int ChartXScale = 3615;           // int: ChartScaleAutomatic or ChartScaleManual
inline constexpr int ChartXMinimum = 3620;         // double: manual minimum
inline constexpr int ChartXMaximum = 3625;         // double: manual maximum
inline constexpr int ChartLegendSubsets = 2624;    // int array: subsets shown in the legend; {-1} none
inline constexpr int ChartSubsetColours = 2190;    // int cell per subset: COLORREF 0x00BBGGRR
inline constexpr int ChartSubsetLineTypes = 3271;  // int cell per subset: ChartLine... codes
inline constexpr int ChartSubsetPlotTypes = 3270;  // int cell per subset: ChartPlotLine or ChartPlotMarkers
inline constexpr int ChartAxisSubsets = 3001;      // int cell per axis: consecutive subsets on that axis
inline constexpr int ChartDeskColour = 2320;       // int: COLORREF around the graph
inline constexpr int ChartGridColour = 2330;       // int: COLORREF of grid lines
inline constexpr int ChartTitleFont = 2445;        // text: font family of the subtitle
inline constexpr int ChartLabelFont = 2485;        // text: font family of axis titles, numbers, legend
inline constexpr int ChartShowAnnotations = 2623;  // int: 0 hides the annotations, else shown
inline constexpr int ChartAnnotationX = 3291;      // double cell per annotation
inline constexpr int ChartAnnotationY = 3292;      // double cell per annotation (on the first axis)
inline constexpr int ChartAnnotationText = 3293;   // text cell per annotation

// Properties kept as set: the component stores them (a caller may read them back) and the
// drawing does not read them. The callers set them to fix looks and behaviours that this
// component has in one form only.
// With the counts.
inline constexpr int ChartPointsHaveX = 3016;       // int 1: each point has an x of its own (ChartXData)
inline constexpr int ChartPointsHaveY = 3017;       // int 1: each point has a y of its own (ChartYData)
// Titles and fonts: ChartSubtitle is the one title line drawn, always bold.
inline constexpr int ChartMainTitle = 2105;         // text: a title above the subtitle; left empty
inline constexpr int ChartPlainSubtitle = 2110;     // text: a subtitle in one part; left empty
inline constexpr int ChartTitleBold = 2450;         // int 1: the title font is bold
inline constexpr int ChartLabelBold = 2490;         // int 1: the label font is bold
// Looks and interaction: the component draws one look, into an image of the window's size,
// and the picture answers no mouse or keyboard (no menus, zooming, export or hot spots).
inline constexpr int ChartPrepareImages = 2155;     // int 1: draw into an image that each paint copies
inline constexpr int ChartCacheImage = 3215;        // int 0: no further image cache
inline constexpr int ChartDataShadows = 2632;       // int 0: no shadows under the data
inline constexpr int ChartFixedFonts = 2574;        // int 1: fonts keep their size on a resize
inline constexpr int ChartFontScale = 3242;         // int: the font size, in percent of the standard size
inline constexpr int ChartAllowPopupMenu = 2240;    // int 0: no context menu
inline constexpr int ChartAllowExport = 2165;       // int 0: no export command
inline constexpr int ChartAllowMaximize = 2170;     // int 0: no maximised view of the chart
inline constexpr int ChartAllowCustomize = 3022;    // int 0: no customisation dialog
inline constexpr int ChartAllowZooming = 3282;      // int: which axes zoom with the mouse
inline constexpr int ChartAllowScrolling = 3281;    // int 0: no scrolling
inline constexpr int ChartAllowDataHotSpots = 3642;      // int 0: points answer no clicks
inline constexpr int ChartAllowSubsetHotSpots = 3272;    // int 0: subset labels answer no clicks
inline constexpr int ChartAllowPointHotSpots = 3274;     // int 0: point labels answer no clicks
inline constexpr int ChartAllowGraphHotSpots = 3254;     // int 0: the graph answers no clicks
inline constexpr int ChartAllowAnnotationHotSpots = 3288;  // int 0: annotations answer no clicks
inline constexpr int ChartAllowTableHotSpots = 3648;     // int 0: tables answer no clicks
inline constexpr int ChartGridLineControl = 3100;   // int 0: grid lines on both axes
inline constexpr int ChartGridInFront = 3110;       // int: 1 the grid over the data, 0 behind it
inline constexpr int ChartViewingStyle = 2617;      // int: the colour scheme
inline constexpr int ChartBorderStyle = 2621;       // int: the border around the chart
inline constexpr int ChartQuickStyle = 2620;        // int: the style of the backgrounds
inline constexpr int ChartFocalRectangle = 2922;    // int 1: a focus rectangle when the chart has the focus
// Annotations.
inline constexpr int ChartShowAnnotationText = 3290;  // int 0, set with ChartShowAnnotations 0
// Axes: every y axis is drawn left of its own pane, the panes stacked; no point is missing.
inline constexpr int ChartAxisOverlaySubsets = 3059;  // int cell per axis: set alike with ChartAxisSubsets
inline constexpr int ChartMultiAxisStyle = 3046;      // int: ChartAxesStacked with two axes
inline constexpr int ChartYAxisStyle = 3036;          // per axis, int 0: line, numbers and title
inline constexpr int ChartYAxisOnRight = 3057;        // per axis, int 0: on the left
inline constexpr int ChartAxisPlottingOption = 3130;  // per axis, int: refines ChartAxisPlotting
inline constexpr int ChartAxisPlottingDetail = 3011;  // per axis, int: refines ChartAxisPlotting
inline constexpr int ChartNullXValue = 3656;          // per axis, double: the x of a missing point
inline constexpr int ChartNullYValue = 3268;          // per axis, double: the y of a missing point
inline constexpr int ChartNullDataGaps = 3269;        // int 0: lines pass over missing points
// Legend.
inline constexpr int ChartLegendStyle = 3082;       // int 1 with subset labels: one row of entries
inline constexpr int ChartLegendSpacing = 3042;     // float: space between legend entries, in lines

// Values.
inline constexpr int ChartScaleAutomatic = 0;  // range from the data
inline constexpr int ChartScaleManual = 3;     // range from the minimum and maximum properties
inline constexpr int ChartPlotLines = 0;       // every subset of the axis is a line or marker set
inline constexpr int ChartPlotLayers = 3;      // line type ChartLineThin fills from the layer below
inline constexpr int ChartLineThin = 0;        // 1 px solid; a filled layer on a layered axis
inline constexpr int ChartLineDashed = 5;      // 2 px dashed
inline constexpr int ChartLineMedium = 9;      // 2 px solid
inline constexpr int ChartPlotLine = 3;        // plot type: line through the points
inline constexpr int ChartPlotMarkers = 5;     // plot type: a marker at each point, no line
inline constexpr int ChartLegendNone = -1;     // legend list entry that shows nothing
inline constexpr int ChartAxesStacked = 4;     // ChartMultiAxisStyle: each axis in a pane of its own

// Capacities, checked by the calls that would exceed them (the call then fails and changes nothing).
inline constexpr int ChartAxisCount = 2;                  // y axes, stacked as panes
inline constexpr int ChartMaxSubsets = 256;
inline constexpr int ChartMaxPoints = 4'000'000;          // points per subset
inline constexpr long long ChartMaxPointCells = 4'000'000;  // subsets x points holding data
inline constexpr int ChartMaxCells = 1'000'000;           // cells of one array property

// How a property's cell is read from the pointer that ChartSetCell receives.
enum class ChartValueKind { Int, Double, Float, Text };

// Whether a property belongs to the chart or to the working y axis (ChartWorkingAxis).
enum class ChartScope { Chart, Axis };

struct ChartPropertyInfo {
    int Id;
    ChartValueKind Kind;
    ChartScope Scope;
};

// The row of the table for an id, or null for an id the component does not know.
const ChartPropertyInfo* FindChartProperty(int id);

// Numbered properties and point data of one chart, as the calls set them. Numbers are kept as
// doubles (every int the callers pass is exact in a double); a cell never set reads as NaN, a
// text never set as empty. Every setter returns false, and changes nothing, when an argument
// is outside the capacities or the property cannot take it.
class ChartPropertyStore {
public:
    // The value becomes the one number v (ChartSetInt; ChartSetArray with count 0). Setting the
    // subset or point count clears every point cell; setting the working axis outside
    // 0 .. ChartAxisCount - 1 fails.
    bool SetNumber(int id, double v);
    // The value becomes the one text (ChartSetText).
    bool SetText(int id, std::string_view text);
    // The value becomes exactly these numbers (ChartSetArray with a count).
    bool SetNumbers(int id, std::span<const int> values);
    // Cells start .. start + size - 1 take these numbers; other cells keep theirs.
    bool SetNumberCells(int id, int start, std::span<const int> values);
    bool SetNumberCell(int id, int index, double v);
    bool SetTextCell(int id, int index, std::string_view text);
    // One x or y value of a point (ChartXData, ChartYData); fails for other ids, a subset or
    // point outside the counts, or counts whose product exceeds ChartMaxPointCells.
    bool SetPointCell(int id, int subset, int point, double v);

    // Readers for the scene. Axis-scoped ids read the given axis, chart-scoped ones ignore it.
    // Number is cell 0, or the fallback when that was never set.
    double Number(int id, int axis = 0, double fallback = 0.0) const;
    double NumberCell(int id, int index, int axis = 0) const;  // NaN when never set
    const std::vector<double>& Numbers(int id, int axis = 0) const;
    std::string_view Text(int id, int axis = 0) const;
    std::string_view TextCell(int id, int index, int axis = 0) const;
    int WorkingAxis() const { return WorkingAxisValue; }
    int SubsetCount() const { return Subsets; }
    int PointCount() const { return Points; }
    // x or y of a point; NaN when never set.
    double PointX(int subset, int point) const;
    double PointY(int subset, int point) const;

private:
    struct Cells {
        std::vector<double> Numbers;
        std::vector<std::string> Texts;
    };
    Cells* Slot(int id);
    const Cells* Find(int id, int axis) const;
    bool ApplyCount(int id, double v);

    // (id, axis): chart-scoped properties under axis 0, axis-scoped ones under their axis.
    std::map<std::pair<int, int>, Cells> Entries;
    int WorkingAxisValue = 0;
    int Subsets = 0;
    int Points = 0;
    std::vector<double> X, Y;  // subset-major; empty until the first point cell
};
