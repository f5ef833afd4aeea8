// The cross-section chart: the window class, the paint and the chart built from the editor's
// grids and the node on every paint.
#include "views/CrossSectionChart.h"

#include "views/ChartSupport.h"

#include "controls/GridCtrl.h"
#include "datalib/DisplayNode.h"
#include "datalib/ModelState.h"
#include "datalib/TextFormat.h"
#include "engine/EngineData.h"
#include "platform/DeviceContext.h"
#include "platform/WindowClass.h"

#include <algorithm>
#include <string>
#include <vector>

using VQXDisplayLib::VQXDisplayNode;
using VQXGeometryDataLib::VQXCrossSection;

namespace {

// The points grid's columns and the bank grid's row and columns.
constexpr int StationColumn = 1;
constexpr int ElevationColumn = 2;
constexpr int BankRow = 1;
constexpr int LeftBankColumn = 0;
constexpr int RightBankColumn = 1;

// The station range starts from these extremes and is padded by this fraction of its span.
constexpr double RangeStart = 1e11;
constexpr double StationPad = 0.05;

// Axis titles are cut to this many characters.
constexpr std::size_t MaxAxisTitleLength = 79;

// The working axis and its plotting: lines and markers as each subset's plot type says.
constexpr ChartIntSetting AxisSettings[] = {
    {ChartWorkingAxis, 0},        {ChartYAxisStyle, 0},         {ChartAxisPlotting, ChartPlotLines},
    {ChartAxisPlottingOption, 3}, {ChartAxisPlottingDetail, 2},
};

constexpr const char* SubsetLabels[] = {"Bed", "Water Surface Elevation", "Bank Station", "Border Ice"};

// Legends, colours and codes: thermal-ice models show border ice and its edges; the others
// colour only the bed, the water surface and the bank stations, so subsets 3 and 4 are not drawn.
constexpr int ThermalLegend[] = {XSectionBed, XSectionWaterSurface, XSectionBankStations, XSectionBorderIce};
constexpr int PlainLegend[] = {XSectionBed, XSectionWaterSurface, XSectionBankStations};
constexpr int SubsetColours[] = {int(ChartBlack), int(ChartBlue), int(ChartRed), int(ChartGreen), int(ChartGreen)};
constexpr int SubsetLineTypes[] = {ChartLineThin, ChartLineThin, ChartLineThin, ChartLineThin, ChartLineThin};
constexpr int SubsetPlotTypes[] = {ChartPlotLine, ChartPlotLine, ChartPlotMarkers, ChartPlotMarkers, ChartPlotMarkers};
constexpr int PlainSubsets = 3;
constexpr int ThermalSubsets = XSectionSubsetCount;

constexpr int LegendStyle = 1;

// The number a cell holds, read locale-free as its leading number (0 for none).
double CellNumber(const CGridCtrl& grid, int row, int col)
{
    return VQXTextFormat::ParseLeadingDouble(grid.CellText(row, col));
}

// What the node gives the chart: its stage and border-ice edges, and its section's bank
// stations and bank-point elevations. A node without a section draws neither water nor ice;
// a section without either bank point draws no water line.
struct NodeLevels {
    bool Ice = false;
    bool Water = false;
    double H = 0.0;                          // stage
    double L = 0.0, R = 0.0;                 // border-ice edge stations
    double LeftBank = 0.0, RightBank = 0.0;  // section bank stations
    double LB = 0.0, RB = 0.0;               // bank-point elevations
};

NodeLevels LevelsOf(const VQXDisplayNode* node)
{
    NodeLevels levels;
    if (!node || !node->CrossSection) return levels;
    const VQXCrossSection& section = *node->CrossSection;
    levels.Ice = true;
    levels.H = node->Stage;
    levels.L = node->LeftBorderEdge;
    levels.R = node->RightBorderEdge;
    levels.LeftBank = section.LeftBankStation;
    levels.RightBank = section.RightBankStation;
    const auto* left = section.LeftBankPointRef();
    const auto* right = section.RightBankPointRef();
    if (left && right) {
        levels.Water = true;
        levels.LB = left->Elevation;
        levels.RB = right->Elevation;
    }
    return levels;
}

}  // namespace

const CRuntimeClass CCrossSectionChart::Runtime{"CCrossSectionChart", &CWnd::Runtime,
                                                &CreateRuntimeObject<CCrossSectionChart>};

CCrossSectionChart::CCrossSectionChart() = default;

CCrossSectionChart::~CCrossSectionChart() = default;

BOOL CCrossSectionChart::RegisterWindowClass()
{
    if (GetClassInfo(CrossSectionChartWindowClass)) return TRUE;
    WNDCLASS wndClass;
    wndClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wndClass.lpszClassName = CrossSectionChartWindowClass;
    return RegisterClass(&wndClass);
}

void CCrossSectionChart::DiscardChart()
{
    DestroyChart(ChartWindow);
}

void CCrossSectionChart::PreSubclassWindow() {}

void CCrossSectionChart::OnPaint()
{
    CPaintDC dc(this);
    if (DrawFlag) {
        DrawChart();
        return;
    }
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(client, ChartWhite);
}

void CCrossSectionChart::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    FitChartToClient(ChartWindow, *this);
}

void CCrossSectionChart::OnDestroy()
{
    CWnd::OnDestroy();
    // The chart window goes with this window, as its child.
    ChartWindow = nullptr;
}

// The chart of the grids as they are: the bed through every row with both texts, the bank
// points at the rows whose station is a bank cell's number, the water line between the banks
// (or to the ends of the section where the water stands above a bank), and for thermal-ice
// models the border ice under water between each bank and its edge, with the two edges.
void CCrossSectionChart::DrawChart()
{
    if (!PointsGrid || !BankGrid) return;
    const int fileType = State ? State->FileType : FileTypeOpenWater;
    // Two colour cells of a thermal build would stay in a later one and draw the border ice.
    if (ChartWindow && builtFileType_ != fileType) DiscardChart();
    if (!CreateChartIfNone(ChartWindow, *this, CrossSectionChartId)) return;
    builtFileType_ = fileType;

    ApplyChartStyle(ChartWindow, CrossSectionChartStyle);

    const CGridCtrl& points = *PointsGrid;
    const int rows = points.RowCount();
    const int lastRow = rows - 1;
    const auto complete = [&](int r) {
        return !points.CellText(r, StationColumn).empty() && !points.CellText(r, ElevationColumn).empty();
    };
    int n = 0;
    for (int r = 1; r < rows; ++r) {
        if (complete(r)) ++n;
    }
    SetChartCounts(ChartWindow, XSectionSubsetCount, n);

    const double leftBank = CellNumber(*BankGrid, BankRow, LeftBankColumn);
    const double rightBank = CellNumber(*BankGrid, BankRow, RightBankColumn);
    const NodeLevels node = LevelsOf(Node);
    for (int r = 1, d = 0; r < rows; ++r) {
        if (!complete(r)) continue;
        const double s = CellNumber(points, r, StationColumn);
        const double e = CellNumber(points, r, ElevationColumn);
        const double x = s + XSectionPointOffset;
        const double y = e + XSectionPointOffset;
        SetChartPoint(ChartWindow, XSectionBed, d, x, y);
        if (s == leftBank) SetChartPoint(ChartWindow, XSectionBankStations, 0, x, y);
        if (s == rightBank) SetChartPoint(ChartWindow, XSectionBankStations, 1, x, y);
        if (node.Water) {
            const double h = node.H;
            if ((r == 1 && h > node.LB) || (s == leftBank && node.LB > h) || (r == lastRow && h > node.RB) ||
                (s == rightBank && node.RB > h))
                SetChartPoint(ChartWindow, XSectionWaterSurface, d, x, h);
        }
        if (node.Ice) {
            const double h = node.H;
            const bool leftIce = x > node.LeftBank && x < node.L;
            const bool rightIce = x > node.R && x < node.RightBank;
            if (h > y && (leftIce || rightIce)) SetChartPoint(ChartWindow, XSectionBorderIce, d, x, h);
            if (r == 1) SetChartPoint(ChartWindow, XSectionBorderEdges, 0, node.L, h);
            if (r == lastRow) SetChartPoint(ChartWindow, XSectionBorderEdges, 1, node.R, h);
        }
        ++d;
    }

    ChartSetText(ChartWindow, ChartXAxisLabel, points.CellText(0, StationColumn).substr(0, MaxAxisTitleLength).c_str());
    ChartSetText(ChartWindow, ChartYAxisLabel,
                 points.CellText(0, ElevationColumn).substr(0, MaxAxisTitleLength).c_str());

    // Every data row counts here, an empty station as 0.
    double minimum = RangeStart;
    double maximum = -RangeStart;
    for (int r = 1; r < rows; ++r) {
        const double s = CellNumber(points, r, StationColumn);
        minimum = std::min(minimum, s);
        maximum = std::max(maximum, s);
    }
    if (rows < 2) minimum = maximum = 0.0;
    const double pad = (maximum - minimum) * StationPad;
    SetManualXRange(ChartWindow, minimum - pad, maximum + pad);

    for (const ChartIntSetting& s : AxisSettings) ChartSetInt(ChartWindow, s.Id, s.Value);
    SetSubsetLabels(ChartWindow, SubsetLabels);
    const bool thermal = fileType == FileTypeThermalIce;
    SetChartInts(ChartWindow, ChartLegendSubsets,
                 thermal ? std::span<const int>(ThermalLegend) : std::span<const int>(PlainLegend));
    ChartSetInt(ChartWindow, ChartLegendStyle, LegendStyle);
    const int coloured = thermal ? ThermalSubsets : PlainSubsets;
    ChartSetCellRange(ChartWindow, ChartSubsetColours, 0, coloured, SubsetColours, 0);
    SetChartInts(ChartWindow, ChartSubsetLineTypes, std::span<const int>(SubsetLineTypes, std::size_t(coloured)));
    SetChartInts(ChartWindow, ChartSubsetPlotTypes, std::span<const int>(SubsetPlotTypes, std::size_t(coloured)));
    ShowChart(ChartWindow);
}
