// The cross-section editor's chart control: one node's section as the editor's points and bank
// grids hold it (so it shows edits not yet applied), with the node's water surface between the
// banks and, for thermal-ice models, its border ice and the border-ice edges.
//
// The control is a custom control of window class "MFCXSectionChartCtrl" on the editor's
// template; the chart itself is a child window of it, made on the first paint. The owner sets
// the four references and discards the chart (DiscardChart) whenever points, banks or node
// change, so that the next paint builds a fresh chart with no data of an earlier drawing.
// User-interface thread only.
#pragma once

#include "platform/Window.h"
#include "platform/chart/ChartCalls.h"

class CGridCtrl;
class ModelState;

namespace VQXDisplayLib {
class VQXDisplayNode;
}

// The window class of the control on the editor's template.
inline constexpr const char* CrossSectionChartWindowClass = "MFCXSectionChartCtrl";

// The chart's subsets.
enum CrossSectionChartSubset {
    XSectionBed = 0,
    XSectionWaterSurface = 1,
    XSectionBankStations = 2,
    XSectionBorderIce = 3,
    XSectionBorderEdges = 4,
    XSectionSubsetCount = 5
};

// Every point's x and y are shifted by this much from the station and elevation.
inline constexpr double XSectionPointOffset = 0.00001;

class CCrossSectionChart : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // The chart draws only once the owner has set DrawFlag.
    CCrossSectionChart();
    // The chart window goes with the control's window, as its child.
    ~CCrossSectionChart() override;

    // Registers "MFCXSectionChartCtrl" unless a class of that name exists already (before a
    // template that holds the control is built). TRUE when the class exists afterwards.
    static BOOL RegisterWindowClass();

    // Destroys the chart window, when there is one: the next paint builds a new chart.
    void DiscardChart();
    // The build of every paint: the chart from the grids and the node, as described in the
    // source. Makes the chart window first when there is none (or when the model's file type
    // differs from the one it was built for); without one nothing is drawn.
    void DrawChart();

    // The chart component's handle; null when there is none.
    ChartHandle ChartWindow = nullptr;
    // The editor's points grid (row r: column 1 station, column 2 elevation; row 0 headers) and
    // bank grid (row 1: column 0 left bank station, column 1 right bank station).
    CGridCtrl* PointsGrid = nullptr;
    CGridCtrl* BankGrid = nullptr;
    // The node whose stage, border-ice edges and section banks are drawn; none for only the bed.
    VQXDisplayLib::VQXDisplayNode* Node = nullptr;
    // The source of the model's file type.
    ModelState* State = nullptr;
    // Drawing is on while non-zero.
    int DrawFlag = 0;

    void OnPaint() override;
    void OnSize(UINT nType, int cx, int cy) override;
    void PreSubclassWindow() override;
    void OnDestroy() override;

private:
    // The file type the present chart window was built for (-1 before the first build).
    int builtFileType_ = -1;
};
