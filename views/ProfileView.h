// The profile view, the first tab of the main view: the longitudinal profile of one reach as
// one chart over the view's client area, with the node station along x. The top chart shows
// one plot variable; the bottom chart a second one or the elevations of bed, water surface,
// ice layers and the event lines of the bridging events.
//
// The view caches nothing: every paint with a model rebuilds the whole chart from the display
// model, so the profile follows a run step by step.
#pragma once

#include "views/ProfileViewSettings.h"

#include "platform/DocView.h"
#include "platform/chart/ChartCalls.h"

#include <vector>

class CCmdUI;
class CVasquilDoc;
namespace VQXDisplayLib {
class VQXDisplayNode;
}

class CProfileView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // No chart yet; the default settings.
    CProfileView();
    ~CProfileView() override;

    // The view's document when it is the program's, else null.
    CVasquilDoc* GetDocument() const;

    // The default settings: reach 0 without a name, a top chart of variable 0 over an
    // elevation chart of bed and water surface, every axis automatic, the legend on.
    void ResetOptions();
    // Sets AutoMin and AutoMax to the extremes of a plot variable over the nodes of the shown
    // reach, widened by a tenth of (min - 1) below and of (max + 1) above, so a constant value
    // still gets a range. Non-finite values are left out; without a value the extremes are
    // 1e11 and -1e11.
    void ComputeReachRange(int variable);
    // The chart's looks: desk and graph colours, fonts, grid, and whether the legend and
    // annotations of a lone top chart show.
    void ApplyChartStyle();
    // Makes the chart (over the client area) when there is none, applies the document's reset
    // flag (and clears it), then fills the chart with the layout the settings choose and has
    // it drawn. With neither chart chosen the chart is drawn without data.
    // Needs a loaded model.
    void BuildChart();

    // Display > Profile View Options: the options dialog on a copy of the settings; OK takes
    // them back and drops the chart, so that the next paint makes a new one. Either way the
    // view repaints.
    void OnProfileViewOptions();
    // Enabled while a model is loaded.
    void OnUpdateProfileViewOptions(CCmdUI* pCmdUI);

    // Builds the chart; without a model it fills the drawing rectangle with the view's ground
    // colour.
    void OnDraw(CDC* pDC) override;
    // Twips, y upward; records the drawing rectangle (the client area) in logical units.
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

    double AutoMin = 0.0;
    double AutoMax = 0.0;
    ProfileViewSettings Options;
    ChartHandle Chart = nullptr;

protected:
    // No erasing while a model is loaded: the chart covers the view.
    BOOL OnEraseBkgnd(CDC* pDC) override;
    // The chart follows the client area.
    void OnSize(UINT nType, int cx, int cy) override;
    // The chart goes with the view.
    void OnDestroy() override;

private:
    struct LayoutData;

    // The reset after an open or a change of file type: the default settings for the model's
    // first reach, its file type and its water-quality data.
    void ApplyReset(CVasquilDoc& doc);
    // ComputeReachRange over the given nodes.
    void ComputeRange(const std::vector<const VQXDisplayLib::VQXDisplayNode*>& nodes, int variable, int useFlux);

    // The axes, labels and annotations of each layout, set after the points: A the top chart
    // alone, B the top over an elevation chart, C the top over a parameter chart, D an
    // elevation chart alone, E a parameter chart alone.
    void BuildLayoutA(const LayoutData& d);
    void BuildLayoutB(const LayoutData& d);
    void BuildLayoutC(const LayoutData& d);
    void BuildLayoutD(const LayoutData& d);
    void BuildLayoutE(const LayoutData& d);
    // The style, the one axis and the x axis of the top (A) or bottom (E) parameter chart alone.
    void SetLoneParameterChart(const LayoutData& d, bool top);
    // The style and both axes of B and C: the top variable over the elevations (B) or over the
    // bottom variable (C), the first subset on the top axis and the others below.
    void SetTopOverBottomAxes(const LayoutData& d);
    // The working axis's label and y range of the top or bottom variable: the chart's fixed
    // limits, or the variable's automatic range.
    void SetParameterLabel(const LayoutData& d, bool top);
    void SetParameterRange(const LayoutData& d, bool top);
    // The elevation axis's y range: the fixed bottom limits, or from the bed's automatic
    // minimum to the water surface's automatic maximum.
    void SetElevationRange(const LayoutData& d);
    // The top or bottom chart's station range when fixed; nothing (an automatic range) otherwise.
    void SetStationRange(bool top);
    // The elevation axis's plotting: filled ice layers when the ice shows, else lines.
    void SetIceLayerPlotting();
    // Each subset's legend label, with the legend's row style and spacing.
    void SetLegendLabels(const LayoutData& d);

    CRect drawRect_;  // logical units
};
