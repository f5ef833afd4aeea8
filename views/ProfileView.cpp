#include "views/ProfileView.h"

#include "views/ChartSupport.h"
#include "views/ProfileViewOptionsDlg.h"

#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "platform/DeviceContext.h"
#include "resources/ResourceIds.h"

using VQXDisplayLib::VQXDisplayNode;

namespace {

constexpr COLORREF GroundColour = RGB(240, 240, 240);

// The name of a plot variable; empty for -1 (and any index without a name).
std::string VariableName(int variable)
{
    const char* name = VQXDisplayNode::PlotVariableName(variable);
    return name ? name : "";
}

}  // namespace

const CRuntimeClass CProfileView::Runtime{"CProfileView", &CView::Runtime, &CreateRuntimeObject<CProfileView>};

CProfileView::CProfileView()
{
    ResetOptions();
    MapCommand(ID_PROFILE_VIEW_OPTIONS, &CProfileView::OnProfileViewOptions);
    MapUpdate(ID_PROFILE_VIEW_OPTIONS, &CProfileView::OnUpdateProfileViewOptions);
}

CProfileView::~CProfileView()
{
    DestroyChart(Chart);
}

CVasquilDoc* CProfileView::GetDocument() const
{
    return m_pDocument && m_pDocument->IsKindOf(&CVasquilDoc::Runtime) ? static_cast<CVasquilDoc*>(m_pDocument) : nullptr;
}

void CProfileView::ResetOptions()
{
    Options = ProfileViewSettings{};
}

void CProfileView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    CView::OnPrepareDC(pDC, pInfo);
    pDC->SetMapMode(MM_TWIPS);
    GetClientRect(&drawRect_);
    pDC->DPtoLP(&drawRect_);
}

void CProfileView::OnDraw(CDC* pDC)
{
    const CVasquilDoc* doc = GetDocument();
    if (doc && doc->DisplayModel) BuildChart();
    else pDC->FillSolidRect(drawRect_, GroundColour);
}

BOOL CProfileView::OnEraseBkgnd(CDC* pDC)
{
    const CVasquilDoc* doc = GetDocument();
    if (doc && doc->DisplayModel) return FALSE;
    return CView::OnEraseBkgnd(pDC);
}

void CProfileView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    FitChartToClient(Chart, *this);
}

void CProfileView::OnDestroy()
{
    CView::OnDestroy();
    DestroyChart(Chart);
}

void CProfileView::OnProfileViewOptions()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel || !doc->State) return;
    CProfileViewOptionsDlg dialog;
    dialog.Settings = Options;
    dialog.TopVariableName = VariableName(Options.TopVariable);
    dialog.BottomVariableName = VariableName(Options.BottomVariable);
    dialog.ReachNumbers = doc->DisplayModel->ReachNumbers;
    dialog.ReachNames = doc->ReachNames;
    dialog.Variables = doc->ProfileVariables;
    dialog.EventsExist = doc->DisplayModel->EventList.Count > 0 ? 1 : 0;
    dialog.IceFile = doc->State->FileType > FileTypeOpenWater ? 1 : 0;
    if (dialog.DoModal() == IDOK) {
        Options = dialog.Settings;
        Options.TopVariable = VQXDisplayNode::FindPlotVariable(dialog.TopVariableName.c_str());
        Options.BottomVariable = VQXDisplayNode::FindPlotVariable(dialog.BottomVariableName.c_str());
        DestroyChart(Chart);
    }
    Invalidate(TRUE);
}

void CProfileView::OnUpdateProfileViewOptions(CCmdUI* pCmdUI)
{
    const CVasquilDoc* doc = GetDocument();
    pCmdUI->Enable(doc && doc->DisplayModel ? TRUE : FALSE);
}
