// The plan view, the second tab of the main view: a map of the model in its own easting and
// northing (nodes, elements, boundary elements, junctions), optionally over a georeferenced
// map image, with a plot variable shown as coloured elements, flow arrows, labels, a legend
// and a scale bar.
//
// The view draws in twips with y upward. Its world window (the visible rectangle of world
// coordinates) changes only by fitting, the zoom commands, the rubber band and the arrow keys;
// every paint refits it to the drawing area with equal scales on both axes, so a window that
// was widened keeps its centre. Nothing is cached: every paint draws the whole picture from the
// display model, so a run animates it step by step.
//
// Modes: 0 rests; 1 zooms on the point clicked and 2 on a rectangle dragged (each ends after
// one click); 3, 4 and 5 open the boundary-condition, atmospheric-zone and water-quality
// boundary editors on the object nearest to a click, and end after a click that finds one.
#pragma once

#include "views/PlanSeriesEditors.h"
#include "views/PlanViewSettings.h"

#include "datalib/DisplayNode.h"
#include "platform/Cursor.h"
#include "platform/DeviceContext.h"
#include "platform/DocView.h"
#include "platform/Image.h"

#include <memory>

class CCmdUI;
class CVasquilDoc;
namespace VQXGeometryDataLib {
class VQXNode;
}

// Modes of the plan view.
enum PlanMode {
    PlanModeNone = 0,
    PlanModeZoomPoint = 1,
    PlanModeZoomRectangle = 2,
    PlanModeEditBoundary = 3,
    PlanModeEditZone = 4,
    PlanModeEditWQBoundary = 5,
};

class CPlanView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Mode 0 with the arrow cursor, no band, every option 0, no map image; the window runs
    // from 1000 to 3000 on both axes.
    CPlanView();
    ~CPlanView() override;

    // The view's document when it is the program's, else null.
    CVasquilDoc* GetDocument() const;

    // The default options: every reach, plot variable 0, elements, boundary elements and the
    // legend on, the rest off but for node stationing, reach numbers and the map image, which
    // keep their choice. With a document, the view takes its own copy of the document's map
    // image and places its corners by the world file; the image shows when the document asks
    // for it (and that request is cleared), and never without an image. Ends by fitting the
    // window to the model.
    void ResetOptions();
    // The window becomes the model's box widened by 5 % of its extent on every side, and at
    // least 100 world units wide and high about its centre (a model at one point gets a
    // window); without a model it runs from 1000 to 3000 on both axes.
    void FitWindowToModel();
    // Fits the window into a drawing area of width x height logical units (absolute values)
    // inside the four margins: the scale becomes the larger of the two axes' world units per
    // logical unit, the other axis's range grows about its centre to match, and the origin puts
    // XMin at the left margin and YMax at the top one. False, with nothing changed, when the
    // margins leave no room or the window has no extent.
    bool FitWindowToArea(int width, int height, int left, int right, int top, int bottom);
    // The logical point of a world point, rounded as (value + 0.5) truncated toward zero and
    // kept within a billion twips of the origin.
    CPoint WorldToLogical(double x, double y) const;
    CPoint WorldToLogical(const VQXGeometryDataLib::VQXNode& node) const;
    // The world point of a logical point.
    void LogicalToWorld(CPoint logical, double* x, double* y) const;
    // Strictly inside the window.
    bool IsInWindow(const VQXGeometryDataLib::VQXNode& node) const;
    bool IsInWindow(double x, double y) const;
    // ParameterMin and ParameterMax: the extremes of a plot variable over every display node
    // (1e11 and -1e11 when no node has a finite value; non-finite values are left out).
    void ComputeParameterRange(int variable);

    // The whole picture, in the order that decides what covers what: ground, map image,
    // coloured elements, titles, elements, flow arrows, nodes, boundary elements, junctions,
    // labels, legend and scale bar. Without a model only the light grey ground; with a
    // drawing area that leaves no room, only the white ground.
    void DrawPlan(CDC* pDC);

    // Mode 3, 4 and 5 at the world point (x, y): the boundary element nearest to it (of any
    // kind, 0 to 3), the atmospheric zone of the nearest node, or the nearest boundary element
    // of kind 0 or 1, opened in its editor. 1 when one was found and its editor has ended (with
    // OK or Cancel); 0, opening nothing, when none was.
    int EditBoundaryConditionAt(double x, double y);
    int EditAtmosphericZoneAt(double x, double y);
    int EditWQBoundaryConditionAt(double x, double y);

    // Display > Plan View Options: the options dialog on a copy of the options; OK takes them
    // back. Either way the view repaints.
    void OnPlanViewOptions();
    // Scale To Fit: the window fitted to the model.
    void OnScaleToFit();
    // Zoom In On Rectangle and Zoom In On Point: the mode and the zoom cursor (the mode and
    // cursor before are kept to return to).
    void OnZoomRectangle();
    void OnZoomPoint();
    // Zoom Out: each range doubles about its centre (up to a largest extent).
    void OnZoomOut();
    // The edit modes with the edit cursor; nothing when the mode is on already.
    void OnEditBoundaryConditions();
    void OnEditAtmosphericZone();
    void OnEditWQBoundaryConditions();
    // Plan View Options and the three zoom commands: enabled while a model is loaded.
    void OnUpdateModelLoaded(CCmdUI* pCmdUI);

    // Shows the shown run dialogs again; then draws the plan (through a CustomMemDC while a
    // run is active) and the rubber band of a drag under way over the fresh picture.
    void OnDraw(CDC* pDC) override;
    // Twips, y upward; DrawRect is the client area in logical units, DrawMargin 180.
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

    int DrawMargin = 180;
    CRect DrawRect;  // logical units
    // The world window: the world point of logical (0, 0), world units per logical unit, and
    // the visible rectangle.
    double OriginX = 0.0;
    double OriginY = 0.0;
    double Scale = 1.0;
    double XMin = 1000.0;
    double YMin = 1000.0;
    double XMax = 3000.0;
    double YMax = 3000.0;
    int Mode = PlanModeNone;
    int PreviousMode = PlanModeNone;
    HCURSOR Cursor = nullptr;
    HCURSOR PreviousCursor = nullptr;
    // While a rubber band is dragged (mode 2): the context it is drawn with and its corners.
    std::unique_ptr<CClientDC> BandDC;
    CRect BandRect;  // logical units; left, top at the press
    PlanViewSettings Options;
    double ParameterMin = 0.0;
    double ParameterMax = 0.0;
    // The view's copy of the document's map image and where its corners lie.
    CImage MapBitmap;
    int MapWidth = 0;
    int MapHeight = 0;
    VQXDisplayLib::VQXDisplayNode ImageUpperLeft;
    VQXDisplayLib::VQXDisplayNode ImageLowerRight;
    // What a hit of an edit mode opens.
    PlanSeriesEditors Editors;

protected:
    // No erasing while a model is loaded: the plan covers the view.
    BOOL OnEraseBkgnd(CDC* pDC) override;
    // The mode's cursor while the pointer is inside the view.
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
    // Mode 2: the rubber band starts (the mouse captured).
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    // With a model: the band follows the pointer, and the pointer's world point shows in the
    // status bar.
    void OnMouseMove(UINT nFlags, CPoint point) override;
    // The click of the mode: zoom on the point, zoom on the band (a band of no width or height,
    // or none at all, changes nothing), or open an editor. During a run the edit modes open
    // nothing (a series written into the engine while the worker steps would corrupt the run).
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    // The arrow keys shift the window by (1/2 - 1/2.1) of its extent.
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    // The capture taken by another window drops the band.
    void OnCaptureChanged(CWnd* pWnd) override;
    // The band's context goes with the window.
    void OnDestroy() override;

private:
    // The logical point of a client point, mapped as a paint maps it.
    CPoint ClientToLogical(CPoint point);
    // Enters a zoom mode, or an edit mode unless it is on already.
    void EnterMode(int mode, UINT cursorId, bool again);
    // After the zoom of a click: mode 0 and the arrow when the mode before was the zoom mode
    // itself, else the mode and cursor before.
    void LeaveZoomMode(int mode);
    // The band drawn in XOR with its pen and brush; drawn twice it leaves nothing.
    void DrawBand(CDC& dc);
    // The band erased and its context gone.
    void DropBand();
    // Keeps a range at least extent wide about its centre.
    static void KeepExtent(double& low, double& high, double extent);
    // Whether a node is in the reach shown.
    bool InReach(const VQXGeometryDataLib::VQXNode& node) const;
    // The part of the map image inside the view, unless it is magnified more than the drawing
    // allows (placed in double precision, so that a deep zoom overflows nothing). True when
    // some of it was drawn.
    bool DrawMapImage(CDC* pDC);
    // The legend's frame, the colour scale of the plot variable and the objects' rows; returns
    // the offset (twips below the margin) under its last row.
    int DrawLegend(CDC* pDC, CFont& labelFont, CFont& legendFont);
    // The scale bar at offset below the margin.
    void DrawScaleBar(CDC* pDC, CFont& legendFont, int offset);

    CPen bandPen_{PS_SOLID, 1, RGB(127, 127, 127)};
};
