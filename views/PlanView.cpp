// The plan view's object: its options after a reset, the world window and its fitting, the
// zoom and edit modes, the mouse and the keys, and the commands.
#include "views/PlanView.h"

#include "views/CustomMemDC.h"
#include "views/PlanViewOptionsDlg.h"

#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "platform/Frame.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using VQXDisplayLib::VQXAtmosphericZone;
using VQXDisplayLib::VQXDisplayBoundaryElement;
using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;
using VQXGeometryDataLib::VQXNode;

namespace {

constexpr const char* AllReaches = "All Reaches";
// The window of a view without a model, on both axes.
constexpr double EmptyWindowMin = 1000.0;
constexpr double EmptyWindowMax = 3000.0;
// Fitting to the model widens its box by this fraction of its extent on every side, and
// gives each axis at least the smallest fitted extent (world units) about its centre.
constexpr double FitMargin = 0.05;
constexpr double SmallestFittedExtent = 100.0;
// Zooming in stops at this extent (world units across), zooming out at the largest one:
// beyond them the sizes derived from the window no longer fit the drawing's integers.
constexpr double SmallestExtent = 0.01;
constexpr double LargestExtent = 1e15;
// Logical points are kept this close to the origin (twips), well inside an int.
constexpr double LogicalLimit = 1e9;
// An arrow key shifts the window by this fraction of its extent.
constexpr double ArrowShift = 1.0 / 2.0 - 1.0 / 2.1;
// The status bar's message pane.
constexpr int MessagePane = 0;

}  // namespace

const CRuntimeClass CPlanView::Runtime{"CPlanView", &CView::Runtime, &CreateRuntimeObject<CPlanView>};

CPlanView::CPlanView()
{
    Cursor = PreviousCursor = LoadStandardCursor(IDC_ARROW);
    Editors.Inflow = [this](VQXDisplayBoundaryElement& element) {
        if (CVasquilDoc* doc = GetDocument()) OpenInflowSeriesEditor(*doc, element);
    };
    Editors.Outflow = [this](VQXDisplayBoundaryElement& element) {
        if (CVasquilDoc* doc = GetDocument()) OpenOutflowSeriesEditor(*doc, element);
    };
    Editors.Zone = [this](VQXAtmosphericZone& zone) {
        if (CVasquilDoc* doc = GetDocument()) OpenZoneSeriesEditor(*doc, zone);
    };
    Editors.WQInflow = [this](VQXDisplayBoundaryElement& element) {
        if (CVasquilDoc* doc = GetDocument()) OpenWQInflowSeriesEditor(*doc, element);
    };
    MapCommand(ID_PLAN_VIEW_OPTIONS, &CPlanView::OnPlanViewOptions);
    MapCommand(ID_ZOOM_SCALE_TO_FIT, &CPlanView::OnScaleToFit);
    MapCommand(ID_ZOOM_RECTANGLE, &CPlanView::OnZoomRectangle);
    MapCommand(ID_ZOOM_POINT, &CPlanView::OnZoomPoint);
    MapCommand(ID_ZOOM_OUT, &CPlanView::OnZoomOut);
    MapCommand(ID_EDIT_BOUNDARY_CONDITIONS, &CPlanView::OnEditBoundaryConditions);
    MapCommand(ID_EDIT_ATMOSPHERIC_ZONE, &CPlanView::OnEditAtmosphericZone);
    MapCommand(ID_EDIT_WQ_BOUNDARY_CONDITIONS, &CPlanView::OnEditWQBoundaryConditions);
    for (UINT id : {ID_PLAN_VIEW_OPTIONS, ID_ZOOM_RECTANGLE, ID_ZOOM_POINT, ID_ZOOM_OUT})
        MapUpdate(id, &CPlanView::OnUpdateModelLoaded);
}

CPlanView::~CPlanView() = default;

CVasquilDoc* CPlanView::GetDocument() const
{
    return m_pDocument && m_pDocument->IsKindOf(&CVasquilDoc::Runtime) ? static_cast<CVasquilDoc*>(m_pDocument)
                                                                       : nullptr;
}

void CPlanView::ResetOptions()
{
    const PlanViewSettings kept = Options;
    Options = PlanViewSettings{};
    Options.ReachName = AllReaches;
    Options.PlotVariable = VQXDisplayLib::PlotBedElevation;
    Options.ShowElements = 1;
    Options.ShowBoundaryElements = 1;
    Options.ShowLegend = 1;
    Options.ShowNodeStationing = kept.ShowNodeStationing;
    Options.ShowReachNumbers = kept.ShowReachNumbers;
    Options.ShowMapImage = kept.ShowMapImage;
    ParameterMin = ParameterMax = 0.0;
    if (CVasquilDoc* doc = GetDocument()) {
        MapBitmap.Destroy();
        MapWidth = MapHeight = 0;
        if (doc->MapImageLoaded && !doc->MapImage.IsNull()) {
            MapBitmap = doc->MapImage;
            MapWidth = MapBitmap.GetWidth();
            MapHeight = MapBitmap.GetHeight();
            // World file order: x pixel size A, y skew D, x skew B, y pixel size E, easting C,
            // northing F; the skews are not drawn.
            const double a = doc->WorldFile[0];
            const double e = doc->WorldFile[3];
            const double c = doc->WorldFile[4];
            const double f = doc->WorldFile[5];
            ImageUpperLeft.Easting = c;
            ImageUpperLeft.Northing = f;
            ImageLowerRight.Easting = c + MapWidth * a;
            ImageLowerRight.Northing = f + MapHeight * e;
            if (doc->PlanViewFitImage) {
                Options.ShowMapImage = 1;
                doc->PlanViewFitImage = 0;
            }
        } else {
            Options.ShowMapImage = 0;
        }
    }
    FitWindowToModel();
}

void CPlanView::KeepExtent(double& low, double& high, double extent)
{
    if (high - low >= extent) return;
    const double centre = (low + high) / 2.0;
    low = centre - extent / 2.0;
    high = centre + extent / 2.0;
}

void CPlanView::FitWindowToModel()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) {
        XMin = YMin = EmptyWindowMin;
        XMax = YMax = EmptyWindowMax;
        return;
    }
    const VQXGeometryDataLib::VQXBounds box = doc->DisplayModel->ComputeBounds(FitMargin);
    XMin = box.MinX;
    XMax = box.MaxX;
    YMin = box.MinY;
    YMax = box.MaxY;
    KeepExtent(XMin, XMax, SmallestFittedExtent);
    KeepExtent(YMin, YMax, SmallestFittedExtent);
}

bool CPlanView::FitWindowToArea(int width, int height, int left, int right, int top, int bottom)
{
    const double usableWidth = std::abs(double(width)) - left - right;
    const double usableHeight = std::abs(double(height)) - top - bottom;
    if (!(usableWidth > 0.0) || !(usableHeight > 0.0)) return false;
    const double m = (XMax - XMin) / usableWidth;
    const double r = (YMax - YMin) / usableHeight;
    if (!(std::max(m, r) > 0.0) || !std::isfinite(m) || !std::isfinite(r)) return false;
    if (m > r) {
        Scale = m;
        const double grow = (m * usableHeight - (YMax - YMin)) / 2.0;
        YMin -= grow;
        YMax += grow;
    } else {
        Scale = r;
        const double grow = (r * usableWidth - (XMax - XMin)) / 2.0;
        XMin -= grow;
        XMax += grow;
    }
    OriginX = XMin - left * Scale;
    OriginY = YMax + top * Scale;
    return true;
}

CPoint CPlanView::WorldToLogical(double x, double y) const
{
    const double lx = std::clamp((x - OriginX) / Scale + 0.5, -LogicalLimit, LogicalLimit);
    const double ly = std::clamp((y - OriginY) / Scale + 0.5, -LogicalLimit, LogicalLimit);
    return CPoint(int(lx), int(ly));
}

CPoint CPlanView::WorldToLogical(const VQXNode& node) const
{
    return WorldToLogical(node.Easting, node.Northing);
}

void CPlanView::LogicalToWorld(CPoint logical, double* x, double* y) const
{
    *x = logical.x * Scale + OriginX;
    *y = logical.y * Scale + OriginY;
}

bool CPlanView::IsInWindow(double x, double y) const
{
    return XMin < x && x < XMax && YMin < y && y < YMax;
}

bool CPlanView::IsInWindow(const VQXNode& node) const
{
    return IsInWindow(node.Easting, node.Northing);
}

bool CPlanView::InReach(const VQXNode& node) const
{
    return Options.ReachNumber == 0 || node.Reach == Options.ReachNumber;
}

void CPlanView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    CView::OnPrepareDC(pDC, pInfo);
    pDC->SetMapMode(MM_TWIPS);
    GetClientRect(&DrawRect);
    pDC->DPtoLP(&DrawRect);
    DrawMargin = 180;
}

void CPlanView::OnDraw(CDC* pDC)
{
    CVasquilDoc* doc = GetDocument();
    if (doc) doc->ShowRunDialogs(SW_SHOW);
    if (doc && doc->RunActive) {
        CustomMemDC memory(pDC);
        DrawPlan(memory);
    } else {
        DrawPlan(pDC);
    }
    // The paint covered the band of a drag under way: it is drawn again, so that the next
    // move erases it.
    if (BandDC) DrawBand(*pDC);
}

BOOL CPlanView::OnEraseBkgnd(CDC* pDC)
{
    const CVasquilDoc* doc = GetDocument();
    if (doc && doc->DisplayModel) return FALSE;
    return CView::OnEraseBkgnd(pDC);
}

BOOL CPlanView::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    CPoint pointer;
    CRect window;
    GetCursorPos(&pointer);
    GetWindowRect(&window);
    if (window.PtInRect(pointer)) {
        ::SetCursor(Cursor);
        return TRUE;
    }
    return CView::OnSetCursor(pWnd, nHitTest, message);
}

CPoint CPlanView::ClientToLogical(CPoint point)
{
    // A context without a device maps as a paint's does (the same resolution and origins).
    CDC dc(static_cast<QPaintDevice*>(nullptr));
    OnPrepareDC(&dc);
    dc.DPtoLP(&point);
    return point;
}

void CPlanView::DrawBand(CDC& dc)
{
    const int saved = dc.SaveDC();
    dc.SetMapMode(MM_TWIPS);
    dc.SetROP2(R2_XORPEN);
    dc.SelectObject(&bandPen_);
    dc.SelectStockObject(BLACK_BRUSH);  // XOR with black leaves the inside as it is
    dc.Rectangle(BandRect);
    dc.RestoreDC(saved);
}

void CPlanView::DropBand()
{
    if (!BandDC) return;
    DrawBand(*BandDC);
    BandDC.reset();
}

void CPlanView::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (Mode != PlanModeZoomRectangle) {
        CView::OnLButtonDown(nFlags, point);
        return;
    }
    DropBand();
    SetCapture();
    BandDC = std::make_unique<CClientDC>(this);
    OnPrepareDC(BandDC.get());
    BandDC->SetROP2(R2_XORPEN);
    BandDC->SelectObject(&bandPen_);
    BandDC->SelectStockObject(BLACK_BRUSH);
    BandDC->DPtoLP(&point);
    BandRect = CRect(point.x, point.y, point.x, point.y);
}

void CPlanView::OnMouseMove(UINT nFlags, CPoint point)
{
    const CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) {
        CView::OnMouseMove(nFlags, point);
        return;
    }
    const CPoint logical = ClientToLogical(point);
    if (BandDC) {
        DrawBand(*BandDC);
        BandRect.right = logical.x;
        BandRect.bottom = logical.y;
        DrawBand(*BandDC);
    }
    double x = 0.0, y = 0.0;
    LogicalToWorld(logical, &x, &y);
    char text[96];
    std::snprintf(text, sizeof text, "x = %f, y = %f", x, y);
    if (CFrameWnd* frame = GetParentFrame()) {
        if (CStatusBar* status = frame->GetStatusBar()) status->SetPaneText(MessagePane, text);
    }
}

void CPlanView::LeaveZoomMode(int mode)
{
    if (PreviousMode == mode) {
        Mode = PlanModeNone;
        Cursor = LoadStandardCursor(IDC_ARROW);
    } else {
        Mode = PreviousMode;
        Cursor = PreviousCursor;
    }
}

void CPlanView::OnLButtonUp(UINT nFlags, CPoint point)
{
    const CPoint logical = ClientToLogical(point);
    double x = 0.0, y = 0.0;
    LogicalToWorld(logical, &x, &y);
    switch (Mode) {
    case PlanModeZoomPoint: {
        const double halfWidth = std::max((XMax - XMin) / 4.0, SmallestExtent / 2.0);
        const double halfHeight = std::max((YMax - YMin) / 4.0, SmallestExtent / 2.0);
        XMin = x - halfWidth;
        XMax = x + halfWidth;
        YMin = y - halfHeight;
        YMax = y + halfHeight;
        LeaveZoomMode(PlanModeZoomPoint);
        Invalidate();
        return;
    }
    case PlanModeZoomRectangle: {
        if (!BandDC) return;  // no band was pressed (or it was dropped): nothing to zoom to
        // The band's context goes before the capture, whose loss would otherwise drop it.
        BandDC.reset();
        ReleaseCapture();
        BandRect.right = logical.x;
        BandRect.bottom = logical.y;
        if (BandRect.Width() != 0 && BandRect.Height() != 0) {
            CRect band = BandRect;
            band.NormalizeRect();
            LogicalToWorld(CPoint(band.left, band.top), &XMin, &YMin);
            LogicalToWorld(CPoint(band.right, band.bottom), &XMax, &YMax);
            KeepExtent(XMin, XMax, SmallestExtent);
            KeepExtent(YMin, YMax, SmallestExtent);
        }
        LeaveZoomMode(PlanModeZoomRectangle);
        Invalidate();
        return;
    }
    case PlanModeEditBoundary:
    case PlanModeEditZone:
    case PlanModeEditWQBoundary: {
        const CVasquilDoc* doc = GetDocument();
        if (!doc || !doc->DisplayModel || doc->IsRunning()) return;
        int found = 0;
        if (Mode == PlanModeEditBoundary) found = EditBoundaryConditionAt(x, y);
        else if (Mode == PlanModeEditZone) found = EditAtmosphericZoneAt(x, y);
        else found = EditWQBoundaryConditionAt(x, y);
        if (found) {
            Mode = PreviousMode;
            Cursor = PreviousCursor;
            Invalidate();
        }
        return;
    }
    default: CView::OnLButtonUp(nFlags, point); return;
    }
}

void CPlanView::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const double dx = ArrowShift * (XMax - XMin);
    const double dy = ArrowShift * (YMax - YMin);
    switch (nChar) {
    case VK_LEFT:
        XMin -= dx;
        XMax -= dx;
        break;
    case VK_RIGHT:
        XMin += dx;
        XMax += dx;
        break;
    case VK_DOWN:
        YMin -= dy;
        YMax -= dy;
        break;
    case VK_UP:
        YMin += dy;
        YMax += dy;
        break;
    default: CView::OnKeyUp(nChar, nRepCnt, nFlags); return;
    }
    Invalidate();
}

void CPlanView::OnCaptureChanged(CWnd* pWnd)
{
    if (pWnd != this) DropBand();
    CView::OnCaptureChanged(pWnd);
}

void CPlanView::OnDestroy()
{
    BandDC.reset();
    CView::OnDestroy();
}

void CPlanView::EnterMode(int mode, UINT cursorId, bool again)
{
    if (!again && Mode == mode) return;
    PreviousMode = Mode;
    PreviousCursor = Cursor;
    Mode = mode;
    Cursor = LoadCursor(cursorId);
}

void CPlanView::OnZoomRectangle()
{
    EnterMode(PlanModeZoomRectangle, IDC_ZOOM_CURSOR, true);
}

void CPlanView::OnZoomPoint()
{
    EnterMode(PlanModeZoomPoint, IDC_ZOOM_CURSOR, true);
}

void CPlanView::OnEditBoundaryConditions()
{
    EnterMode(PlanModeEditBoundary, IDC_EDIT_CURSOR, false);
}

void CPlanView::OnEditAtmosphericZone()
{
    EnterMode(PlanModeEditZone, IDC_EDIT_CURSOR, false);
}

void CPlanView::OnEditWQBoundaryConditions()
{
    EnterMode(PlanModeEditWQBoundary, IDC_EDIT_CURSOR, false);
}

void CPlanView::OnZoomOut()
{
    const double width = XMax - XMin;
    const double height = YMax - YMin;
    if (2.0 * std::max(width, height) <= LargestExtent) {
        XMin -= width / 2.0;
        XMax += width / 2.0;
        YMin -= height / 2.0;
        YMax += height / 2.0;
    }
    Invalidate();
}

void CPlanView::OnScaleToFit()
{
    FitWindowToModel();
    Invalidate();
}

void CPlanView::OnUpdateModelLoaded(CCmdUI* pCmdUI)
{
    const CVasquilDoc* doc = GetDocument();
    pCmdUI->Enable(doc && doc->DisplayModel ? TRUE : FALSE);
}

int CPlanView::EditBoundaryConditionAt(double x, double y)
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) return 0;
    VQXDisplayBoundaryElement* element = doc->DisplayModel->NearestBoundaryElement(x, y);
    if (!element) return 0;
    switch (element->Kind) {
    case 0:
    case 1: Editors.Inflow(*element); return 1;
    case 2:
    case 3: Editors.Outflow(*element); return 1;
    default: return 0;
    }
}

int CPlanView::EditAtmosphericZoneAt(double x, double y)
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) return 0;
    VQXAtmosphericZone* zone = doc->DisplayModel->NearestNodeZone(x, y);
    if (!zone) return 0;
    Editors.Zone(*zone);
    return 1;
}

int CPlanView::EditWQBoundaryConditionAt(double x, double y)
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) return 0;
    VQXDisplayBoundaryElement* element = doc->DisplayModel->NearestBoundaryElement(x, y);
    if (!element || (element->Kind != 0 && element->Kind != 1)) return 0;
    Editors.WQInflow(*element);
    return 1;
}

void CPlanView::OnPlanViewOptions()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) return;
    CPlanViewOptionsDlg dialog;
    dialog.Settings = Options;
    const char* name = VQXDisplayNode::PlotVariableName(Options.PlotVariable);
    dialog.VariableName = name ? name : "";
    dialog.ReachNumbers = doc->DisplayModel->ReachNumbers;
    dialog.ReachNames = doc->ReachNames;
    dialog.Variables = doc->ProfileVariables;
    dialog.MapImageLoaded = doc->MapImageLoaded;
    if (dialog.DoModal() == IDOK) {
        Options = dialog.Settings;
        Options.PlotVariable = VQXDisplayNode::FindPlotVariable(dialog.VariableName.c_str());
    }
    Invalidate(TRUE);
}
