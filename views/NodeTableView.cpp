#include "views/NodeTableView.h"

#include "views/NodeTableColumns.h"
#include "views/SetNodeTableValuesDlg.h"

#include "app/MessageText.h"
#include "app/RunDialog.h"
#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/TextFormat.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "platform/DeviceContext.h"
#include "platform/Printing.h"
#include "platform/Resources.h"
#include "resources/NodeTableDialogs.h"

#include <QWidget>

#include <algorithm>
#include <charconv>
#include <new>
#include <utility>

using VQXDisplayLib::VQXDisplayNode;

namespace {

constexpr COLORREF CellBackColour = RGB(255, 255, 224);
constexpr COLORREF ReadOnlyTextColour = RGB(133, 133, 133);
constexpr COLORREF PendingTextColour = RGB(255, 0, 0);
constexpr COLORREF CleanTextColour = RGB(0, 0, 0);
constexpr UINT CellFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

constexpr const char* SelectCellsText = "Please select a cell or range of cells.";

// Why the engine refused a node that Accept Changes wrote, by write-back result; %d is the
// node's number.
struct WriteFailureMessage {
    int result;
    const char* text;
};
constexpr WriteFailureMessage WriteFailureMessages[] = {
    {ModelStateNotInEngine, "Node %d is not in the model; its edits were not accepted."},
    {ModelStateOverCapacity, "Node %d would exceed a capacity of the model; its edits were not accepted."},
    {ModelStateInvalidSection, "The cross section of node %d fails its checks; its edits were not accepted."},
    {ModelStateNoMemory, "Out of memory while node %d was written; its edits were not accepted."},
};
constexpr const char* OtherWriteFailureText =
    "Node %d could not be written to the model (error %d); its edits were not accepted.";

void ShowWriteFailure(int result, int number)
{
    for (const WriteFailureMessage& m : WriteFailureMessages) {
        if (m.result == result) {
            AfxMessageBox(FormatText(m.text, number), MB_ICONSTOP);
            return;
        }
    }
    AfxMessageBox(FormatText(OtherWriteFailureText, number, result), MB_ICONSTOP);
}

// A value as text that reads back as the same double (shortest round trip, C locale).
std::string ExactText(double value)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// A size change of the view, for the child procedure.
struct SizeChange {
    CNodeTableView* view;
    int dx;
    int dy;
};

}  // namespace

const CRuntimeClass CNodeTableView::Runtime{"CNodeTableView", &CFormView::Runtime,
                                            &CreateRuntimeObject<CNodeTableView>};

CNodeTableView::CNodeTableView() : CFormView(IDD_NODE_TABLE_VIEW)
{
    RegisterNodeTableDialogs();
    MapNotify(GridNotifyBeginEdit, IDC_NODE_TABLE_GRID, &CNodeTableView::OnGridBeginEdit);
    MapNotify(GridNotifyEndEdit, IDC_NODE_TABLE_GRID, &CNodeTableView::OnGridEndEdit);
    MapCommand(ID_TABLE_ACCEPT_CHANGES, &CNodeTableView::AcceptChanges);
    MapCommand(ID_TABLE_REJECT_CHANGES, &CNodeTableView::RejectChanges);
    MapCommand(ID_TABLE_AUTO_SIZE, &CNodeTableView::OnAutoSize);
    MapCommand(ID_TABLE_EXPAND_TO_FIT, &CNodeTableView::OnExpandToFit);
    MapCommand(ID_EDIT_COPY, &CNodeTableView::OnEditCopy);
    MapCommand(ID_EDIT_CUT, &CNodeTableView::OnEditCut);
    MapCommand(ID_EDIT_PASTE, &CNodeTableView::OnEditPaste);
    MapCommand(ID_TABLE_SET_VALUES, &CNodeTableView::OnSetValues);
    MapCommand(ID_TABLE_SHOW_OUTPUT_NODES, &CNodeTableView::OnShowOutputNodesOnly);
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint);
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview);
    MapUpdate(ID_FILE_PRINT, &CNodeTableView::OnUpdateModelLoaded);
    MapUpdate(ID_FILE_PRINT_PREVIEW, &CNodeTableView::OnUpdateModelLoaded);
    MapUpdate(ID_TABLE_ACCEPT_CHANGES, &CNodeTableView::OnUpdateAcceptChanges);
    MapUpdate(ID_TABLE_REJECT_CHANGES, &CNodeTableView::OnUpdateAcceptChanges);
    MapUpdate(ID_TABLE_AUTO_SIZE, &CNodeTableView::OnUpdateModelLoaded);
    MapUpdate(ID_TABLE_EXPAND_TO_FIT, &CNodeTableView::OnUpdateModelLoaded);
    MapUpdate(ID_EDIT_COPY, &CNodeTableView::OnUpdateEditCopy);
    MapUpdate(ID_EDIT_CUT, &CNodeTableView::OnUpdateEditCutPaste);
    MapUpdate(ID_EDIT_PASTE, &CNodeTableView::OnUpdateEditCutPaste);
    MapUpdate(ID_TABLE_SET_VALUES, &CNodeTableView::OnUpdateSetValues);
    MapUpdate(ID_TABLE_SHOW_OUTPUT_NODES, &CNodeTableView::OnUpdateShowOutputNodesOnly);
}

CNodeTableView::~CNodeTableView() = default;

CVasquilDoc* CNodeTableView::GetDocument() const
{
    return m_pDocument && m_pDocument->IsKindOf(&CVasquilDoc::Runtime) ? static_cast<CVasquilDoc*>(m_pDocument)
                                                                       : nullptr;
}

void CNodeTableView::DoDataExchange(CDataExchange* pDX)
{
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NODE_TABLE_GRID, Grid);
}

void CNodeTableView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    CRect client;
    GetClientRect(&client);
    LastWidth = client.Width();
    LastHeight = client.Height();
    BuildGrid();
}

bool CNodeTableView::RowsCurrent() const
{
    const CVasquilDoc* doc = GetDocument();
    return doc && doc->DisplayModel && doc->State && !doc->NodeTableRebuild && !RowNodes.empty() &&
           Grid.GetSafeHwnd() && Grid.RowCount() == int(RowNodes.size()) && Grid.ColumnCount() == int(ColumnIds.size());
}

std::string CNodeTableView::NodeText(int row, int col) const
{
    const VQXDisplayNode* node = RowNodes[std::size_t(row)];
    const int id = ColumnIds[std::size_t(col)];
    return NodeTableColumns::CellText(node ? node->GetColumnValue(id) : 0.0, VQXDisplayNode::ColumnDecimals(id));
}

void CNodeTableView::WriteCell(int row, int col, const std::string& text, bool pending)
{
    CGridCellBase* cell = Grid.CellAt(row, col);
    if (!cell) return;
    cell->SetText(text.c_str());
    cell->SetTextColor(pending ? PendingTextColour : CleanTextColour);
    const UINT state = Grid.CellState(row, col);
    Grid.SetCellState(row, col, pending ? state | CellStateModified : state & ~CellStateModified);
}

void CNodeTableView::BuildGrid()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->NodeTableRebuild || !Grid.GetSafeHwnd()) return;
    // A hidden view has no size of its own yet (an open before the frame is laid out): the
    // columns would be shared out over a few pixels. The first paint builds.
    if (!IsWindowVisible()) return;
    doc->NodeTableRebuild = 0;
    CRect window;
    GetWindowRect(&window);
    Grid.MoveWindow(0, 0, window.Width(), window.Height());
    if (!doc->DisplayModel || !doc->State) {
        RowNodes.clear();
        ColumnIds.clear();
        return;
    }
    VQXDisplayLib::VQXDisplayModel& model = *doc->DisplayModel;
    ModelState& state = *doc->State;
    // The cells go, and with them every edit that waited.
    doc->NodeTableEdited = 0;

    ColumnIds = NodeTableColumns::ColumnIds(state.FileType, doc->WaterQualityLoaded == 1, state.WQType);
    RowNodes.clear();
    RowNodes.push_back(model.FirstNode());  // the title row's entry
    for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        if (model.ShowAllNodes == 1 || node->HydroCode == 0) RowNodes.push_back(node);
    }

    Grid.DragAndDrop = FALSE;
    Grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(CellBackColour);
    Grid.RemoveAll();
    Grid.VirtualMode = FALSE;
    Grid.Editable = TRUE;
    Grid.ColumnResize = TRUE;
    if (!Grid.SetNumRows(int(RowNodes.size())) || !Grid.SetNumColumns(int(ColumnIds.size())) ||
        !Grid.SetNumFixedRows(1) || !Grid.SetNumFixedColumns(0)) {
        Grid.RemoveAll();
        RowNodes.clear();
        ColumnIds.clear();
        AfxMessageBox(LoadString(AFX_IDS_MEMORY_EXCEPTION), MB_ICONSTOP);
        return;
    }

    GridItem item;
    item.mask = ItemMaskText | ItemMaskFormat | ItemMaskState | ItemMaskTextColor;
    item.format = CellFormat;
    char title[VQXTextFormat::LabelBufferSize];
    for (std::size_t j = 0; j < ColumnIds.size(); ++j) {
        title[0] = '\0';
        VQXDisplayNode::FormatColumnTitle(ColumnIds[j], title, state.UnitSystem);
        item.row = 0;
        item.column = int(j);
        item.text = title;
        item.state = Grid.CellState(0, int(j)) & ~CellStateModified;
        item.textColor = CleanTextColour;
        Grid.ApplyItem(&item);
    }
    for (std::size_t i = 1; i < RowNodes.size(); ++i) {
        const VQXDisplayNode& node = *RowNodes[i];
        for (std::size_t j = 0; j < ColumnIds.size(); ++j) {
            const int id = ColumnIds[j];
            // The node number names the row: it is no value the table writes.
            const bool readOnly = j == 0 || node.IsColumnReadOnly(id, state.FileType);
            item.row = int(i);
            item.column = int(j);
            item.text = NodeTableColumns::CellText(node.GetColumnValue(id), VQXDisplayNode::ColumnDecimals(id));
            item.state = readOnly ? CellStateReadOnly : 0;
            item.textColor = readOnly ? ReadOnlyTextColour : CleanTextColour;
            Grid.ApplyItem(&item);
        }
    }
    Grid.ColumnHeaderClickSelects = TRUE;
    Grid.RowHeaderClickSelects = TRUE;
    Grid.HideColumnsByResize = TRUE;
    Grid.CompareFunc = &CGridCtrl::CompareCellNumbers;
    Grid.Modified = FALSE;
    // Each column first as wide as its title and values, then the columns share the width
    // left over. They give up none: a stretch narrower than the texts would take the same
    // pixels from every column and cut the short numbers ("121....") with no bar to scroll to
    // them; the horizontal bar shows instead (Expand To Fit still shares the width out).
    Grid.FitAllToText();
    CRect client;
    Grid.GetClientRect(&client);
    if (Grid.TotalWidth() < client.Width()) Grid.StretchColumnsToWidth();
    state.RefreshFlag = 0;
    Grid.ShowWindow(SW_SHOW);
}

void CNodeTableView::OnAutoSize()
{
    if (!RowsCurrent()) return;
    Grid.FitAllToText();
    Grid.Invalidate();
}

void CNodeTableView::OnExpandToFit()
{
    if (!RowsCurrent()) return;
    Grid.StretchColumnsToWidth();
    Grid.Invalidate();
}

BOOL CNodeTableView::OnPreparePrinting(CPrintInfo* pInfo)
{
    return DoPreparePrinting(pInfo);
}

void CNodeTableView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    BuildGrid();
    const CVasquilDoc* doc = GetDocument();
    if (doc && doc->DisplayModel && doc->State && doc->State->RefreshFlag) RefreshValues();
    Grid.BeginPrint(pDC, pInfo);
}

void CNodeTableView::OnPrint(CDC* pDC, CPrintInfo* pInfo)
{
    Grid.PrintPage(pDC, pInfo);
}

void CNodeTableView::OnEndPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    Grid.EndPrint(pDC, pInfo);
}

bool CNodeTableView::TakesEdits() const
{
    const CVasquilDoc* doc = GetDocument();
    return RowsCurrent() && !doc->IsRunning();
}

void CNodeTableView::OnEditCopy()
{
    if (RowsCurrent()) Grid.OnEditCopy();
}

void CNodeTableView::OnEditCut()
{
    if (TakesEdits()) Grid.OnEditCut();
}

void CNodeTableView::OnEditPaste()
{
    if (TakesEdits()) Grid.OnEditPaste();
}

void CNodeTableView::OnUpdateEditCopy(CCmdUI* pCmdUI)
{
    if (RowsCurrent()) Grid.OnUpdateEditCopy(pCmdUI);
    else pCmdUI->Enable(FALSE);
}

void CNodeTableView::OnUpdateEditCutPaste(CCmdUI* pCmdUI)
{
    if (!TakesEdits()) pCmdUI->Enable(FALSE);
    else if (pCmdUI->m_nID == ID_EDIT_CUT) Grid.OnUpdateEditCut(pCmdUI);
    else Grid.OnUpdateEditPaste(pCmdUI);
}

void CNodeTableView::RefreshValues()
{
    if (!RowsCurrent()) return;
    for (int row = 1; row < Grid.RowCount(); ++row) {
        for (int col = 1; col < Grid.ColumnCount(); ++col) {
            // A waiting edit stays: Accept Changes still has it to write.
            if (Grid.CellState(row, col) & CellStateModified) continue;
            if (CGridCellBase* cell = Grid.CellAt(row, col)) cell->SetText(NodeText(row, col).c_str());
        }
    }
    GetDocument()->State->RefreshFlag = 0;
    Grid.Invalidate();
}

int CNodeTableView::ValidateEditedCell(int row, int col)
{
    if (!RowsCurrent() || row < 1 || col < 1 || row >= Grid.RowCount() || col >= Grid.ColumnCount()) return -1;
    const std::optional<double> value = NodeTableColumns::EditedCellValue(Grid.CellText(row, col));
    if (!value) return -1;
    WriteCell(row, col, NodeTableColumns::CellText(*value, VQXDisplayNode::ColumnDecimals(ColumnIds[std::size_t(col)])),
              true);
    GetDocument()->NodeTableEdited = 1;
    return 0;
}

void CNodeTableView::OnGridBeginEdit(NMHDR*, LRESULT* result)
{
    // Values follow every step of a run: an edit would race the run's writes.
    const CVasquilDoc* doc = GetDocument();
    *result = !RowsCurrent() || (doc && doc->IsRunning()) ? -1 : 0;
}

void CNodeTableView::OnGridEndEdit(NMHDR* header, LRESULT* result)
{
    const auto* notify = reinterpret_cast<const GridNotify*>(header);
    *result = ValidateEditedCell(notify->row, notify->column);
}

void CNodeTableView::AcceptChanges()
{
    CVasquilDoc* doc = GetDocument();
    if (!RowsCurrent() || doc->IsRunning()) return;
    ModelState& state = *doc->State;
    for (int row = 1; row < Grid.RowCount(); ++row) {
        VQXDisplayNode* node = RowNodes[std::size_t(row)];
        // The node's values before the row's edits, column id and exact text, for a refusal.
        std::vector<std::pair<int, std::string>> previous;
        for (int col = 1; col < Grid.ColumnCount(); ++col) {
            if (!(Grid.CellState(row, col) & CellStateModified)) continue;
            const int id = ColumnIds[std::size_t(col)];
            const std::string text = Grid.CellText(row, col);
            if (node) {
                previous.emplace_back(id, ExactText(node->GetColumnValue(id)));
                node->SetColumnValue(id, text);
            }
            WriteCell(row, col, text, false);
        }
        if (previous.empty() || !node) continue;
        const int result = state.WriteNodeToEngine(node);
        if (result != ModelStateOk) {
            // The engine kept its values: the node gets its own back, the latest edit first.
            for (auto it = previous.rbegin(); it != previous.rend(); ++it) node->SetColumnValue(it->first, it->second);
            ShowWriteFailure(result, node->Number);
        }
    }
    VQXDisplayLib::VQXDisplayModel& model = *doc->DisplayModel;
    model.CollectReachNumbers();
    model.AttachNodeZones();
    doc->BuildOutputNodeList();
    doc->BuildReachNames();
    doc->CrossSectionViewReset = 1;
    doc->ProfileViewReset = 1;
    doc->NodeTableRebuild = 1;
    doc->NodeTableEdited = 0;
    doc->SetModifiedFlag();
    BuildGrid();
    Grid.Invalidate();
}

void CNodeTableView::RejectChanges()
{
    CVasquilDoc* doc = GetDocument();
    if (!RowsCurrent() || doc->IsRunning()) return;
    for (int row = 1; row < Grid.RowCount(); ++row) {
        for (int col = 1; col < Grid.ColumnCount(); ++col) {
            if (Grid.CellState(row, col) & CellStateModified) WriteCell(row, col, NodeText(row, col), false);
        }
    }
    doc->NodeTableEdited = 0;
    Grid.Invalidate();
}

void CNodeTableView::OnSetValues()
{
    CVasquilDoc* doc = GetDocument();
    if (doc && doc->IsRunning()) return;
    const CellRange range = Grid.GetSafeHwnd() ? Grid.GetSelectedRange() : CellRange();
    if (!range.IsValid() || range.maxRow >= Grid.RowCount() || range.maxCol >= Grid.ColumnCount() || !RowsCurrent()) {
        AfxMessageBox(SelectCellsText, MB_OK);
        return;
    }
    CSetNodeTableValuesDlg dialog(this);
    if (dialog.DoModal() == IDOK && RowsCurrent()) {
        int written = 0;
        for (int row = std::max(range.minRow, 1); row <= range.maxRow; ++row) {
            for (int col = range.minCol; col <= range.maxCol; ++col) {
                if (Grid.CellState(row, col) & CellStateReadOnly) continue;
                const int decimals = VQXDisplayNode::ColumnDecimals(ColumnIds[std::size_t(col)]);
                WriteCell(row, col, NodeTableColumns::CellText(dialog.Value, decimals), true);
                ++written;
            }
        }
        if (written > 0) doc->NodeTableEdited = 1;
    }
    Grid.Invalidate();
}

void CNodeTableView::OnShowOutputNodesOnly()
{
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel || doc->NodeTableEdited) return;
    int& showAll = doc->DisplayModel->ShowAllNodes;
    showAll = showAll == 0 ? 1 : 0;
    doc->NodeTableRebuild = 1;
    BuildGrid();
    Grid.Invalidate();
}

void CNodeTableView::OnUpdateAcceptChanges(CCmdUI* pCmdUI)
{
    const CVasquilDoc* doc = GetDocument();
    pCmdUI->Enable(doc && doc->NodeTableEdited && !doc->IsRunning() ? TRUE : FALSE);
}

void CNodeTableView::OnUpdateSetValues(CCmdUI* pCmdUI)
{
    const CVasquilDoc* doc = GetDocument();
    pCmdUI->Enable(doc && doc->IsRunning() ? FALSE : TRUE);
}

void CNodeTableView::OnUpdateModelLoaded(CCmdUI* pCmdUI)
{
    const CVasquilDoc* doc = GetDocument();
    pCmdUI->Enable(doc && doc->DisplayModel ? TRUE : FALSE);
}

void CNodeTableView::OnUpdateShowOutputNodesOnly(CCmdUI* pCmdUI)
{
    const CVasquilDoc* doc = GetDocument();
    pCmdUI->Enable(doc && doc->DisplayModel && !doc->NodeTableEdited ? TRUE : FALSE);
    pCmdUI->SetCheck(doc && doc->DisplayModel && doc->DisplayModel->ShowAllNodes == 0 ? 1 : 0);
}

void CNodeTableView::OnPaint()
{
    CVasquilDoc* doc = GetDocument();
    // The table covers what the run dialogs show; a run going keeps its dialog in sight.
    if (doc && !doc->IsRunning()) doc->ShowRunDialogs(SW_HIDE);
    BuildGrid();
    const bool model = doc && doc->DisplayModel && doc->State;
    if (Grid.GetSafeHwnd()) {
        const bool shown = Grid.IsWindowVisible() != FALSE;
        if (model != shown) Grid.ShowWindow(model ? SW_SHOW : SW_HIDE);
    }
    if (model && doc->State->RefreshFlag) RefreshValues();
    CFormView::OnPaint();
}

void CNodeTableView::OnSize(UINT nType, int cx, int cy)
{
    CFormView::OnSize(nType, cx, cy);
    if (cx < 2 || cy < 2 || LastWidth < 0 || LastHeight < 0) return;
    SizeChange change{this, cx - LastWidth, cy - LastHeight};
    EnumChildWindows(this, &CNodeTableView::ResizeChildProc, LPARAM(&change));
    LastWidth = cx;
    LastHeight = cy;
}

BOOL CNodeTableView::ResizeChildProc(HWND child, LPARAM lParam)
{
    const auto* change = reinterpret_cast<const SizeChange*>(lParam);
    CWnd* wnd = CWnd::FromHandle(child);
    CWnd* parent = wnd ? wnd->GetParent() : nullptr;
    if (!parent) return FALSE;
    if (wnd == &change->view->Grid && wnd->GetWidget()) {
        // The grid's place in the view's client area.
        const QRect place = wnd->GetWidget()->geometry();
        // The grid lies over the whole view from its origin: it grows and shrinks with the
        // view and never moves. (Moving a grid that was still small when it was built, as a
        // small control near an edge would move, left the table in the view's corner.)
        const int w = std::max(place.width() + change->dx, 0);
        const int h = std::max(place.height() + change->dy, 0);
        wnd->MoveWindow(place.left(), place.top(), w, h, FALSE);
    }
    parent->Invalidate();
    return TRUE;
}
