#include "views/HydrographView.h"

#include "views/ChartSupport.h"
#include "views/HydrographViewOptionsDlg.h"

#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/TimeSeries.h"
#include "platform/DeviceContext.h"
#include "resources/ResourceIds.h"

using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;

namespace {

constexpr COLORREF GroundColour = RGB(240, 240, 240);

// Output nodes carry this hydro code.
constexpr int OutputNodeCode = 0;
// Captions fit this buffer.
constexpr std::size_t CaptionBufferSize = 80;

// Whether the document has a model with output nodes to show.
bool HasOutputNodes(const CVasquilDoc* doc)
{
    return doc && doc->DisplayModel && doc->State && !doc->OutputNodeLabels.empty();
}

}  // namespace

VQXDisplayNode* CHydrographView::FirstOutputNode(VQXDisplayModel& model)
{
    for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        if (node->HydroCode == OutputNodeCode) return node;
    }
    return nullptr;
}

VQXDisplayNode* CHydrographView::LastOutputNodeCalled(VQXDisplayModel& model, const std::string& location)
{
    VQXDisplayNode* found = nullptr;
    char caption[CaptionBufferSize];
    for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        if (node->HydroCode != OutputNodeCode) continue;
        node->FormatCaption(caption, model.UnitSystem);
        if (location == caption) found = node;
    }
    return found;
}

const CRuntimeClass CHydrographView::Runtime{"CHydrographView", &CView::Runtime, &CreateRuntimeObject<CHydrographView>};

CHydrographView::CHydrographView()
{
    ResetOptions();
    MapCommand(ID_HYDROGRAPH_VIEW_OPTIONS, &CHydrographView::OnHydrographViewOptions);
    MapUpdate(ID_HYDROGRAPH_VIEW_OPTIONS, &CHydrographView::OnUpdateHydrographViewOptions);
}

CHydrographView::~CHydrographView()
{
    DestroyChart(Chart);
}

CVasquilDoc* CHydrographView::GetDocument() const
{
    return m_pDocument && m_pDocument->IsKindOf(&CVasquilDoc::Runtime) ? static_cast<CVasquilDoc*>(m_pDocument)
                                                                       : nullptr;
}

void CHydrographView::ResetOptions()
{
    Options = HydrographViewSettings{};
    Node = nullptr;
}

void CHydrographView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    CView::OnPrepareDC(pDC, pInfo);
    pDC->SetMapMode(MM_TWIPS);
    GetClientRect(&drawRect_);
    pDC->DPtoLP(&drawRect_);
}

void CHydrographView::OnDraw(CDC* pDC)
{
    CVasquilDoc* doc = GetDocument();
    if (doc) doc->ShowRunDialogs(SW_SHOW);
    if (HasOutputNodes(doc)) {
        BuildChart();
        return;
    }
    // A chart of an earlier model would cover the ground.
    if (CWnd* chart = ChartWindowObject(Chart)) chart->ShowWindow(SW_HIDE);
    pDC->FillSolidRect(drawRect_, GroundColour);
}

BOOL CHydrographView::OnEraseBkgnd(CDC*)
{
    return FALSE;
}

void CHydrographView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    FitChartToClient(Chart, *this);
}

void CHydrographView::OnDestroy()
{
    CView::OnDestroy();
    DestroyChart(Chart);
}

void CHydrographView::OnHydrographViewOptions()
{
    CVasquilDoc* doc = GetDocument();
    if (!HasOutputNodes(doc)) return;
    // Settings of a model no longer open must not reach the dialog, nor its node be kept.
    if (doc->HydrographViewReset) {
        ApplyReset(*doc);
        doc->HydrographViewReset = 0;
    }
    CHydrographViewOptionsDlg dialog;
    dialog.Settings = Options;
    const char* name = VQXDisplayLib::SeriesVariableName(Options.SeriesVariable);
    dialog.VariableName = name ? name : "";
    dialog.Locations = doc->OutputNodeLabels;
    dialog.Variables = doc->HydrographVariables;
    if (dialog.DoModal() == IDOK) {
        Options = dialog.Settings;
        Options.SeriesVariable = VQXDisplayLib::FindSeriesVariable(dialog.VariableName.c_str());
        if (VQXDisplayNode* node = LastOutputNodeCalled(*doc->DisplayModel, Options.LocationName)) Node = node;
    }
    Invalidate(TRUE);
}

void CHydrographView::OnUpdateHydrographViewOptions(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasOutputNodes(GetDocument()) ? TRUE : FALSE);
}
