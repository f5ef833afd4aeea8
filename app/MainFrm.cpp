#include "app/MainFrm.h"

#include "app/RunSteadyDlg.h"
#include "app/RunTransWQDlg.h"
#include "app/VasquilApp.h"
#include "app/VasquilDoc.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "platform/DocView.h"
#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

constexpr const char* CloseQuestion = "Are you sure you want to close Vasquil?";
constexpr const char* DropDuringRunText = "A run is in progress. Stop it before opening another model.";

// The other toolbars: window and resource id, and title.
struct ToolBarRow
{
    CToolBar CMainFrame::*bar;
    UINT id;
    const char* title;
};
constexpr ToolBarRow OtherToolBars[] = {
    {&CMainFrame::ZoomToolBar, IDR_ZOOM_TOOLBAR, "Zoom"},
    {&CMainFrame::TableToolBar, IDR_TABLE_TOOLBAR, "Table"},
    {&CMainFrame::EditBCToolBar, IDR_EDITBC_TOOLBAR, "Edit BC"},
};

constexpr UINT Indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

// The views whose activity the rules look at, by class name (app/ includes no views).
constexpr const char* PlanView = "CPlanView";
constexpr const char* NodeTableView = "CNodeTableView";
constexpr const char* CrossSectionView = "CXSectionView";

bool AnyRunning(const CMainFrame::DocumentState& s)
{
    return s.steady.running || s.transient.running || s.waterQuality.running;
}

// The document's Idle rule: both run dialogs exist (so a model is loaded) and none runs.
bool Idle(const CMainFrame::DocumentState& s)
{
    return s.modelLoaded && s.steady.exists && s.transient.exists && !AnyRunning(s);
}

}  // namespace

const CRuntimeClass CMainFrame::Runtime{"CMainFrame", &CFrameWnd::Runtime, &CreateRuntimeObject<CMainFrame>};

CMainFrame::CMainFrame()
{
    MapCommand(ID_VIEW_CUSTOMIZE, &CMainFrame::OnViewCustomize);
    // A popup's entry asks its first item: the zoom popup is Scale To Fit's, the column
    // width popup Auto Size's; the same rule greys the entry or the command.
    MapUpdate(ID_ZOOM_SCALE_TO_FIT, &CMainFrame::OnUpdateScaleToFit);
    MapUpdate(ID_TABLE_AUTO_SIZE, &CMainFrame::OnUpdateAutoSize);
    MapUpdate(ID_SIMULATION_STEADY, &CMainFrame::OnUpdateSimulationSteady);
    MapUpdate(ID_SIMULATION_TRANSIENT, &CMainFrame::OnUpdateSimulationTransient);
    MapUpdate(ID_EDIT_BOUNDARY_CONDITIONS, &CMainFrame::OnUpdateEditBoundaryConditions);
    MapUpdate(ID_EDIT_WQ_BOUNDARY_CONDITIONS, &CMainFrame::OnUpdateEditBoundaryConditions);
    MapUpdate(ID_EDIT_ATMOSPHERIC_ZONE, &CMainFrame::OnUpdateEditAtmosphericZone);
}

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    // The menu bar is the frame's own, made from its menu; every bar docks on any side.
    CWinApp* app = AfxGetApp();
    const bool hiColour = !app || !app->IsKindOf(&CVasquilApp::Runtime) || static_cast<CVasquilApp*>(app)->HiColorIcons;
    if (!StandardToolBar.Create(this, AFX_IDW_TOOLBAR) || !StandardToolBar.LoadToolBar(hiColour ? IDR_MAINFRAME_256 : IDR_MAINFRAME))
        return -1;
    for (const ToolBarRow& row : OtherToolBars) {
        if (!(this->*row.bar).Create(this, row.id) || !(this->*row.bar).LoadToolBar(row.id)) return -1;
    }
    StandardToolBar.SetWindowText(LoadString(IDS_TOOLBAR_STANDARD));
    for (const ToolBarRow& row : OtherToolBars) (this->*row.bar).SetWindowText(row.title);

    if (!StatusBar.Create(this, AFX_IDW_STATUS_BAR) || !StatusBar.SetIndicators(Indicators, int(std::size(Indicators))))
        return -1;

    EnablePaneMenu(TRUE, ID_VIEW_CUSTOMIZE, LoadString(IDS_TOOLBAR_CUSTOMIZE), ID_VIEW_TOOLBAR);
    return 0;
}

BOOL CMainFrame::CanCloseFrame()
{
    if (!CFrameWnd::CanCloseFrame()) return FALSE;
    if (AfxMessageBox(CloseQuestion, MB_YESNO | MB_ICONSTOP) != IDYES) return FALSE;
    if (auto* document = dynamic_cast<CVasquilDoc*>(GetActiveDocument())) document->StopRuns();
    return TRUE;
}

void CMainFrame::OnDropFiles(const std::vector<std::filesystem::path>& files)
{
    if (const auto* document = dynamic_cast<const CVasquilDoc*>(GetActiveDocument()); document && document->IsRunning()) {
        AfxMessageBox(DropDuringRunText);
        return;
    }
    CFrameWnd::OnDropFiles(files);
}

void CMainFrame::OnViewCustomize()
{
    ShowToolbarCustomizeDialog();
}

CMainFrame::DocumentState CMainFrame::GetDocumentState() const
{
    DocumentState state;
    const auto* document = dynamic_cast<const CVasquilDoc*>(GetActiveDocument());
    if (!document) return state;
    state.modelLoaded = document->DisplayModel != nullptr;
    if (document->State) state.fileType = document->State->FileType;
    const auto dialogState = [](const CRunDialog* dialog) {
        RunDialogState s;
        s.exists = dialog != nullptr;
        s.shown = dialog && dialog->Shown;
        s.running = dialog && dialog->Running;
        return s;
    };
    state.steady = dialogState(document->SteadyDialog);
    state.waterQuality = dialogState(document->WaterQualityDialog);
    state.transient = dialogState(document->TransientDialog);
    return state;
}

bool CMainFrame::ActiveViewIs(const char* className) const
{
    const CView* view = GetActiveView();
    const CRuntimeClass* cls = CRuntimeClass::FromName(className);
    return view && cls && view->IsKindOf(cls);
}

void CMainFrame::OnUpdateScaleToFit(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetDocumentState().modelLoaded && ActiveViewIs(PlanView));
}

void CMainFrame::OnUpdateAutoSize(CCmdUI* pCmdUI)
{
    // While the node table is active its own handler answers before this one.
    pCmdUI->Enable(GetDocumentState().modelLoaded && ActiveViewIs(NodeTableView));
}

void CMainFrame::OnUpdateSimulationSteady(CCmdUI* pCmdUI)
{
    const DocumentState s = GetDocumentState();
    pCmdUI->Enable(s.modelLoaded && !ActiveViewIs(NodeTableView) && !ActiveViewIs(CrossSectionView) &&
                   s.transient.exists && !s.transient.shown && !s.waterQuality.shown);
}

void CMainFrame::OnUpdateSimulationTransient(CCmdUI* pCmdUI)
{
    const DocumentState s = GetDocumentState();
    pCmdUI->Enable(s.modelLoaded && !ActiveViewIs(NodeTableView) && !ActiveViewIs(CrossSectionView) &&
                   s.steady.exists && !s.steady.shown && !s.waterQuality.shown);
}

void CMainFrame::OnUpdateEditBoundaryConditions(CCmdUI* pCmdUI)
{
    const DocumentState s = GetDocumentState();
    pCmdUI->Enable(s.modelLoaded && ActiveViewIs(PlanView) && Idle(s));
}

void CMainFrame::OnUpdateEditAtmosphericZone(CCmdUI* pCmdUI)
{
    const DocumentState s = GetDocumentState();
    pCmdUI->Enable(s.modelLoaded && ActiveViewIs(PlanView) && Idle(s) && s.fileType == FileTypeThermalIce);
}
