// The hydrograph view, the third tab of the main view: the result history of one output node
// as a line over model time, for one series variable, in one chart over the view's client
// area.
//
// The view caches nothing: every paint with a model and output nodes rebuilds the whole chart
// from the node's history, read in place, so the line grows with a run step by step.
#pragma once

#include "views/HydrographViewSettings.h"

#include "platform/DocView.h"
#include "platform/chart/ChartCalls.h"

#include <string>

class CCmdUI;
class CVasquilDoc;
namespace VQXDisplayLib {
class VQXDisplayModel;
class VQXDisplayNode;
}  // namespace VQXDisplayLib

class CHydrographView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // No chart yet; the default settings.
    CHydrographView();
    ~CHydrographView() override;

    // The view's document when it is the program's, else null.
    CVasquilDoc* GetDocument() const;

    // The default settings: limits 0, no location, discharge, both axes automatic, no node.
    void ResetOptions();
    // The chart's looks: desk and grid colours, fonts, the grid behind the line, no
    // interaction.
    void ApplyChartStyle();
    // Makes the chart (over the client area) when there is none, applies the document's reset
    // flag (and clears it), then fills the chart with the node's history and has it drawn:
    // the line of the series variable over time, the axis titles, the location as subtitle,
    // and the axis ranges (fixed, or from the values). Without a node the chart has no points.
    // Needs a loaded model.
    void BuildChart();

    // Display > Hydrograph View Options: the options dialog on a copy of the settings; OK takes
    // them back with the variable by its name and the node by the location's caption (the last
    // output node with that caption; the node stays when none has it). Either way the view
    // repaints.
    void OnHydrographViewOptions();
    // Enabled while a model with output nodes is loaded.
    void OnUpdateHydrographViewOptions(CCmdUI* pCmdUI);

    // Shows the shown run dialogs again, then builds the chart; without a model or without
    // output nodes it hides the chart and fills the drawing rectangle with the view's ground
    // colour.
    void OnDraw(CDC* pDC) override;
    // Twips, y upward; records the drawing rectangle (the client area) in logical units.
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

    HydrographViewSettings Options;
    // The output node whose history is shown; null when there is none. It belongs to the
    // document's display model and is chosen again whenever that is replaced (the reset).
    VQXDisplayLib::VQXDisplayNode* Node = nullptr;
    ChartHandle Chart = nullptr;

protected:
    // Never erases: the chart or the ground colour covers the view.
    BOOL OnEraseBkgnd(CDC* pDC) override;
    // The chart follows the client area.
    void OnSize(UINT nType, int cx, int cy) override;
    // The chart goes with the view.
    void OnDestroy() override;

private:
    // The first output node (hydro code 0) in the model's node order; null without one.
    static VQXDisplayLib::VQXDisplayNode* FirstOutputNode(VQXDisplayLib::VQXDisplayModel& model);
    // The last output node whose caption in the model's units is the location; null when none is.
    static VQXDisplayLib::VQXDisplayNode* LastOutputNodeCalled(VQXDisplayLib::VQXDisplayModel& model,
                                                               const std::string& location);
    // The reset after an open or a change of the water-quality data: the default settings,
    // the water-quality file's first value, the first output node and its caption.
    void ApplyReset(CVasquilDoc& doc);
    // The y range of the line: the fixed limits; without a finite value in the history, 0 to
    // the node's present value of the variable; else the values' extremes widened by a tenth
    // of their magnitudes.
    void SetValueRange(int useFlux);
    // The time range: the fixed limits, or from just before 0 to the run's final time (h).
    void SetTimeRange(double finalTime);

    CRect drawRect_;  // logical units
};
