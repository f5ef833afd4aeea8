#include "views/XSectionView.h"

#include "views/XSectionGrids.h"
#include "views/XSectionTables.h"

#include "app/VasquilDoc.h"
#include "datalib/CrossSection.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/TextFormat.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "platform/OleData.h"
#include "resources/XSectionViewTemplate.h"

#include <algorithm>
#include <array>

using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;
using VQXGeometryDataLib::VQXCrossSection;

namespace {

// The chart draws once the view has set this.
constexpr int ChartDrawFlag = 10;

// The count lists: "Number of Entries = %d" from the first to the last count.
struct CountList {
    int First;
    int Last;
};
constexpr CountList PointCounts{1, VQXGeometryDataLib::SectionMaxPoints};
constexpr CountList RoughnessCounts{1, VQXGeometryDataLib::SectionMaxRoughnessRows};
constexpr CountList SinuosityCounts{1, VQXGeometryDataLib::SectionMaxSinuosityRows};
constexpr CountList LevelCounts{VQXGeometryDataLib::SectionMinLevels, VQXGeometryDataLib::SectionMaxLevels};

// Where the template's controls end on the right and at the bottom, in dialog units.
constexpr int TemplateControlsRight = 824;
constexpr int TemplateControlsBottom = 469;

// The children that follow the view's size.
constexpr int LaidOutControls[] = {IDC_XSECTION_POINTS,     IDC_XSECTION_POINTS_GROUP,     IDC_XSECTION_CHART,
                                   IDC_XSECTION_PROPERTIES, IDC_XSECTION_PROPERTIES_GROUP, IDC_XSECTION_APPLY,
                                   IDC_XSECTION_LEVEL_COUNT};

constexpr const char* NodeChangeText = "WARNING: All Changes to %s will be lost. Do you want to proceed to %s?";
// MB_ICONHAND of the window system.
constexpr UINT IconHand = MB_ICONSTOP;

// Characters that reach the grids and combo boxes: digits, '.', '-', carriage return, backspace.
constexpr WPARAM CarriageReturn = 13;
constexpr WPARAM Backspace = 8;
bool PassesFilter(WPARAM c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == CarriageReturn || c == Backspace;
}

void FillCountCombo(CComboBox& combo, const CountList& list)
{
    combo.ResetContent();
    for (int n = list.First; n <= list.Last; ++n) {
        std::string text = "Number of Entries = ";
        VQXTextFormat::AppendInt(text, n);
        combo.AddString(text);
    }
}

std::string Caption(const VQXDisplayNode& node, int metric)
{
    std::array<char, VQXTextFormat::LabelBufferSize> buffer{};
    node.FormatCaption(buffer, metric);
    return buffer.data();
}

std::string ReplaceTwo(std::string text, const std::string& first, const std::string& second)
{
    for (const std::string* value : {&first, &second}) {
        const std::size_t at = text.find("%s");
        if (at != std::string::npos) text.replace(at, 2, *value);
    }
    return text;
}

}  // namespace

const CRuntimeClass CXSectionView::Runtime{"CXSectionView", &CFormView::Runtime, &CreateRuntimeObject<CXSectionView>};

CXSectionView::CXSectionView() : CFormView(IDD_XSECTION_VIEW)
{
    CCrossSectionChart::RegisterWindowClass();
    RegisterXSectionViewTemplate();
    Chart.ChartWindow = nullptr;
    Chart.PointsGrid = Chart.BankGrid = nullptr;
    Chart.State = nullptr;
    Chart.DrawFlag = ChartDrawFlag;

    MapControl(CBN_SELCHANGE, IDC_XSECTION_NODE, &CXSectionView::OnSelChangeNode);
    MapControl(CBN_SELCHANGE, IDC_XSECTION_LEVEL_COUNT, &CXSectionView::OnSelChangeLevelCount);
    MapControl(CBN_SELCHANGE, IDC_XSECTION_ROUGHNESS_COUNT, &CXSectionView::OnSelChangeRoughnessCount);
    MapControl(CBN_SELCHANGE, IDC_XSECTION_SINUOSITY_COUNT, &CXSectionView::OnSelChangeSinuosityCount);
    MapControl(CBN_SELCHANGE, IDC_XSECTION_POINT_COUNT, &CXSectionView::OnSelChangePointCount);
    for (UINT id : {IDC_XSECTION_POINTS, IDC_XSECTION_BANKS, IDC_XSECTION_ROUGHNESS, IDC_XSECTION_SINUOSITY}) {
        MapNotify(GridNotifyBeginEdit, id, &CXSectionView::OnGridBeginEdit);
        MapNotify(GridNotifyEndEdit, id, &CXSectionView::OnGridEndEdit);
    }
    MapCommand(ID_EDIT_COPY, &CXSectionView::OnEditCopy);
    MapCommand(ID_EDIT_CUT, &CXSectionView::OnEditCut);
    MapCommand(ID_EDIT_PASTE, &CXSectionView::OnEditPaste);
    MapUpdate(ID_EDIT_COPY, &CXSectionView::OnUpdateEditCopyCut);
    MapUpdate(ID_EDIT_CUT, &CXSectionView::OnUpdateEditCopyCut);
    MapUpdate(ID_EDIT_PASTE, &CXSectionView::OnUpdateEditPaste);
    MapCommand(IDC_XSECTION_APPLY, &CXSectionView::OnApplyChanges);
    MapUpdate(IDC_XSECTION_APPLY, &CXSectionView::OnUpdateApplyChanges);
}

CXSectionView::~CXSectionView() = default;

CVasquilDoc* CXSectionView::GetDocument() const
{
    return m_pDocument && m_pDocument->IsKindOf(&CVasquilDoc::Runtime) ? static_cast<CVasquilDoc*>(m_pDocument)
                                                                       : nullptr;
}

void CXSectionView::DoDataExchange(CDataExchange* pDX)
{
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_XSECTION_POINTS, PointsGrid);
    DDX_Control(pDX, IDC_XSECTION_ROUGHNESS, RoughnessGrid);
    DDX_Control(pDX, IDC_XSECTION_SINUOSITY, SinuosityGrid);
    DDX_Control(pDX, IDC_XSECTION_PROPERTIES, PropertiesGrid);
    DDX_Control(pDX, IDC_XSECTION_BANKS, BankGrid);
    DDX_Control(pDX, IDC_XSECTION_CHART, Chart);
    DDX_Control(pDX, IDC_XSECTION_NODE, NodeCombo);
    DDX_Control(pDX, IDC_XSECTION_POINT_COUNT, PointCountCombo);
    DDX_Control(pDX, IDC_XSECTION_ROUGHNESS_COUNT, RoughnessCountCombo);
    DDX_Control(pDX, IDC_XSECTION_SINUOSITY_COUNT, SinuosityCountCombo);
    DDX_Control(pDX, IDC_XSECTION_LEVEL_COUNT, LevelCountCombo);
}

void CXSectionView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    LoadFromDocument();
}

bool CXSectionView::RunGoing() const
{
    const CVasquilDoc* doc = GetDocument();
    return doc && doc->IsRunning();
}

void CXSectionView::OnPaint()
{
    CVasquilDoc* doc = GetDocument();
    if (doc && !doc->IsRunning()) doc->ShowRunDialogs(SW_HIDE);
    LoadFromDocument();
    ShowControls(NodeCount != 0);
    CFormView::OnPaint();
    // The chart is a child window and is not repainted with the view: each paint (a step of a
    // run among them) draws it again with the node's present stage.
    if (NodeCount != 0) Chart.Invalidate(FALSE);
}

void CXSectionView::ShowControls(bool show)
{
    if (controlsShown_ == show) return;
    controlsShown_ = show;
    struct Shown {
        CWnd* View;
        int Command;
    } shown{this, show ? SW_SHOW : SW_HIDE};
    // The view's own children only; the chart's window goes with its control.
    EnumChildWindows(
        this,
        [](HWND handle, LPARAM param) {
            const auto* s = reinterpret_cast<const Shown*>(param);
            CWnd* child = CWnd::FromHandle(handle);
            if (child && child->GetParent() == s->View) child->ShowWindow(s->Command);
            return TRUE;
        },
        LPARAM(&shown));
}

void CXSectionView::LoadFromDocument()
{
    CRect client;
    GetClientRect(&client);
    LastWidth = client.Width();
    LastHeight = client.Height();
    Chart.PointsGrid = &PointsGrid;
    Chart.BankGrid = &BankGrid;
    Chart.Node = Node;

    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->CrossSectionViewReset) return;
    doc->CrossSectionViewReset = 0;
    // The display model the last reset pointed into may be gone.
    Node = nullptr;
    Chart.Node = nullptr;
    Chart.DiscardChart();
    if (!doc->DisplayModel) {
        NodeCount = 0;
        NodeCombo.ResetContent();
        return;
    }
    VQXDisplayModel& model = *doc->DisplayModel;
    Chart.State = doc->State.get();
    const int metric = model.UnitSystem == 1 ? 1 : 0;
    const XSectionUnits units = XSectionUnitsFor(metric);
    LengthUnit = units.Length;
    AreaUnit = units.Area;

    NodeCombo.ResetContent();
    NodeCount = 0;
    for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        if (!node->CrossSection) continue;
        NodeCombo.AddString(Caption(*node, metric));
        ++NodeCount;
    }
    if (NodeCount > 0) {
        NodeIndex = 0;
        NodeCombo.SetCurSel(0);
        NodeCombo.GetLBText(0, NodeLabel);
        FillCountCombo(PointCountCombo, PointCounts);
        FillCountCombo(RoughnessCountCombo, RoughnessCounts);
        FillCountCombo(SinuosityCountCombo, SinuosityCounts);
        FillCountCombo(LevelCountCombo, LevelCounts);
        FindSelectedNode();
        Chart.Node = Node;
        ShowNodeSection();
    }
    Modified = 0;
}

void CXSectionView::FindSelectedNode()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) return;
    VQXDisplayModel& model = *doc->DisplayModel;
    const int metric = model.UnitSystem == 1 ? 1 : 0;
    for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        if (node->CrossSection && Caption(*node, metric) == NodeLabel) Node = node;
    }
}

void CXSectionView::ShowNodeSection()
{
    if (Node && Node->CrossSection) {
        const VQXCrossSection& s = *Node->CrossSection;
        PointCountSel = int(s.Points.size()) - 1;
        RoughnessCountSel = int(s.RoughnessRows.size()) - 1;
        SinuosityCountSel = int(s.SinuosityRows.size()) - 1;
        LevelCountSel = int(s.PropertyRows.size()) - 2;
    }
    PointCountCombo.SetCurSel(PointCountSel);
    RoughnessCountCombo.SetCurSel(RoughnessCountSel);
    SinuosityCountCombo.SetCurSel(SinuosityCountSel);
    LevelCountCombo.SetCurSel(LevelCountSel);
    FillGrids();
}

void CXSectionView::FillGrids()
{
    const VQXCrossSection* section = Node ? Node->CrossSection.get() : nullptr;
    const XSectionUnits units{LengthUnit, AreaUnit};
    FillPointsGrid(PointsGrid, section, units);
    FillRoughnessGrid(RoughnessGrid, section, units);
    FillSinuosityGrid(SinuosityGrid, section, units);
    FillPropertiesGrid(PropertiesGrid, section, units);
    FillBankGrid(BankGrid, section, units);
}

void CXSectionView::RedrawChart()
{
    Chart.DiscardChart();
    Chart.Invalidate(FALSE);
}

void CXSectionView::OnSelChangeNode()
{
    const int selection = NodeCombo.GetCurSel();
    if (selection == NodeIndex || selection < 0) return;
    std::string selected;
    NodeCombo.GetLBText(selection, selected);
    if (Modified) {
        if (AfxMessageBox(ReplaceTwo(NodeChangeText, NodeLabel, selected), MB_YESNO | IconHand) != IDYES) {
            NodeCombo.SetCurSel(NodeIndex);
            NodeCombo.GetLBText(NodeIndex, NodeLabel);
            return;
        }
        Modified = 0;
    }
    NodeIndex = selection;
    NodeLabel = selected;
    FindSelectedNode();
    Chart.Node = Node;
    ShowNodeSection();
    RedrawChart();
}

void CXSectionView::ChangeEntryCount(CComboBox& combo, int& stored, CGridCtrl& grid, bool table)
{
    const int selection = combo.GetCurSel();
    if (selection == stored || selection < 0) return;
    if (RunGoing()) {
        combo.SetCurSel(stored);
        return;
    }
    if (!SetEntryRows(grid, selection + 1)) return;
    if (table) SizeTableGrid(grid);
    stored = selection;
    Modified = 1;
}

void CXSectionView::OnSelChangePointCount()
{
    ChangeEntryCount(PointCountCombo, PointCountSel, PointsGrid, false);
    RedrawChart();
}

void CXSectionView::OnSelChangeRoughnessCount()
{
    ChangeEntryCount(RoughnessCountCombo, RoughnessCountSel, RoughnessGrid, true);
}

void CXSectionView::OnSelChangeSinuosityCount()
{
    ChangeEntryCount(SinuosityCountCombo, SinuosityCountSel, SinuosityGrid, true);
}

void CXSectionView::OnSelChangeLevelCount()
{
    const int selection = LevelCountCombo.GetCurSel();
    if (selection == LevelCountSel || selection < 0) return;
    if (RunGoing()) {
        LevelCountCombo.SetCurSel(LevelCountSel);
        return;
    }
    LevelCountSel = selection;
    Modified = 1;
}

CGridCtrl* CXSectionView::EditableGrid(UINT id)
{
    switch (id) {
    case IDC_XSECTION_POINTS: return &PointsGrid;
    case IDC_XSECTION_ROUGHNESS: return &RoughnessGrid;
    case IDC_XSECTION_SINUOSITY: return &SinuosityGrid;
    case IDC_XSECTION_BANKS: return &BankGrid;
    default: return nullptr;
    }
}

CGridCtrl* CXSectionView::FocusGrid()
{
    CWnd* focus = CWnd::GetFocus();
    for (CGridCtrl* grid : {&PointsGrid, &RoughnessGrid, &SinuosityGrid, &PropertiesGrid, &BankGrid}) {
        if (focus == grid) return grid;
    }
    return nullptr;
}

void CXSectionView::OnGridBeginEdit(NMHDR*, LRESULT* result)
{
    *result = RunGoing() ? -1 : 0;
}

// The grid that sent the notification is the one treated: an edit ended by a click into
// another grid or on Apply Changes ends in its own grid.
void CXSectionView::OnGridEndEdit(NMHDR* header, LRESULT* result)
{
    const auto* notify = reinterpret_cast<const GridNotify*>(header);
    CGridCtrl* grid = EditableGrid(UINT(header->idFrom));
    if (!grid || RunGoing() || !RewriteEditedCell(*grid, notify->row, notify->column)) {
        *result = -1;
        return;
    }
    Modified = 1;
    *result = 0;
    if (grid == &PointsGrid || grid == &BankGrid) RedrawChart();
}

void CXSectionView::OnEditCopy()
{
    if (CGridCtrl* grid = FocusGrid()) grid->OnEditCopy();
}

void CXSectionView::OnEditCut()
{
    if (CGridCtrl* grid = FocusGrid()) grid->OnEditCut();
}

void CXSectionView::OnEditPaste()
{
    if (CGridCtrl* grid = FocusGrid()) grid->OnEditPaste();
}

void CXSectionView::OnUpdateEditCopyCut(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(PointsGrid.AnyCellSelected());
}

void CXSectionView::OnUpdateEditPaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(ClipboardHasText());
}

BOOL CXSectionView::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_CHAR && !PassesFilter(pMsg->wParam)) return TRUE;
    return CFormView::PreTranslateMessage(pMsg);
}

void CXSectionView::OnApplyChanges()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->State || !Node || !Modified || RunGoing()) return;
    // An edit still open ends first, in its own grid.
    for (CGridCtrl* grid : {&PointsGrid, &RoughnessGrid, &SinuosityGrid, &BankGrid}) grid->FinishEditing();
    const XSectionTables tables{PointsGrid, RoughnessGrid, SinuosityGrid, BankGrid};
    std::string refusal = ValidateTables(tables);
    if (refusal.empty()) refusal = ApplyTables(tables, LevelCountSel + 2, *Node, *doc->State);
    if (!refusal.empty()) {
        AfxMessageBox(refusal, MB_OK);
        return;
    }
    Modified = 0;
    FillPropertiesGrid(PropertiesGrid, Node->CrossSection.get(), XSectionUnits{LengthUnit, AreaUnit});
    doc->State->RefreshFlag = 1;
    doc->SetModifiedFlag(TRUE);
    doc->UpdateAllViews(nullptr, 0);
}

void CXSectionView::OnUpdateApplyChanges(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(Modified && !RunGoing() ? TRUE : FALSE);
}

void CXSectionView::OnSize(UINT nType, int cx, int cy)
{
    CFormView::OnSize(nType, cx, cy);
    if (cx < 2 || cy < 2) return;
    for (const int id : LaidOutControls) {
        if (CWnd* child = GetDlgItem(id)) ResizeChildProc(child);
    }
    LastWidth = cx;
    LastHeight = cy;
}

void CXSectionView::ResizeChildProc(CWnd* child)
{
    // The child's rectangle in the view's client coordinates.
    CRect rect;
    child->GetWindowRect(&rect);
    CPoint topLeft = rect.TopLeft(), bottomRight = rect.BottomRight();
    ScreenToClient(&topLeft);
    ScreenToClient(&bottomRight);
    rect = CRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    // The edges the children reach: the client's (the scroll bars stay clear), but never short
    // of where the template puts them, so that a view smaller than the form scrolls over
    // controls of their own size instead of squeezing the chart and the points to nothing.
    CRect view;
    GetClientRect(&view);
    CRect form(0, 0, TemplateControlsRight, TemplateControlsBottom);
    MapDialogRect(&form);
    form.OffsetRect(-GetScrollPosition().x, -GetScrollPosition().y);
    view.right = std::max(view.right, form.right);
    view.bottom = std::max(view.bottom, form.bottom);
    switch (child->GetDlgCtrlID()) {
    case IDC_XSECTION_POINTS:
    case IDC_XSECTION_POINTS_GROUP: rect.bottom = view.bottom; break;
    case IDC_XSECTION_CHART:
        rect.right = view.right;
        rect.bottom = view.bottom;
        break;
    case IDC_XSECTION_PROPERTIES:
    case IDC_XSECTION_PROPERTIES_GROUP: rect.right = view.right; break;
    case IDC_XSECTION_APPLY:
    case IDC_XSECTION_LEVEL_COUNT: rect.OffsetRect(view.right - rect.right, 0); break;
    default: return;
    }
    child->MoveWindow(rect, FALSE);
    if (child == &PropertiesGrid) SizePropertiesGrid(PropertiesGrid);
    Invalidate(FALSE);
}
