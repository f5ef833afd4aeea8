#include "app/EditGridDlg.h"

#include "platform/DataExchange.h"
#include "resources/EditGridDialogs.h"
#include "resources/ResourceIds.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The characters a number typed into the grids may have: no sign, no exponent.
constexpr const char* NumberCharacters = "0123456789.";
constexpr COLORREF PlainColour = RGB(0, 0, 0);
// The reply of the end-edit handler that refuses a text.
constexpr LRESULT RefuseEdit = -1;
// The first column of values and the last.
constexpr int FirstValueColumn = 1;
constexpr int LastValueColumn = 3;

}  // namespace

const CRuntimeClass CEditGridDlg::Runtime{"CEditGridDlg", &CDialog::Runtime, nullptr};

CEditGridDlg::CEditGridDlg(UINT templateId, int gridId, VQXDisplayLib::VQXDisplayModel* displayModel, ModelState* state,
                           CWnd* parent)
    : CDialog(templateId, parent), DisplayModel(displayModel), State(state), gridId_(gridId)
{
    RegisterEditGridDialogs();
    Grid.RegisterWindowClass();
    MapCommand(IDC_EDIT_APPLY, &CEditGridDlg::OnApply);
    MapNotify(GridNotifyEndEdit, UINT(gridId), &CEditGridDlg::OnGridEndEdit);
    MapCommand(ID_EDIT_COPY, &CEditGridDlg::OnEditCopy);
    MapCommand(ID_EDIT_CUT, &CEditGridDlg::OnEditCut);
    MapCommand(ID_EDIT_PASTE, &CEditGridDlg::OnEditPaste);
    MapUpdate(ID_EDIT_COPY, &CEditGridDlg::OnUpdateEditCopy);
    MapUpdate(ID_EDIT_CUT, &CEditGridDlg::OnUpdateEditCut);
    MapUpdate(ID_EDIT_PASTE, &CEditGridDlg::OnUpdateEditPaste);
}

void CEditGridDlg::OnEditCopy()
{
    Grid.OnEditCopy();
}

void CEditGridDlg::OnEditCut()
{
    Grid.OnEditCut();
}

void CEditGridDlg::OnEditPaste()
{
    Grid.OnEditPaste();
}

void CEditGridDlg::OnUpdateEditCopy(CCmdUI* pCmdUI)
{
    Grid.OnUpdateEditCopy(pCmdUI);
}

void CEditGridDlg::OnUpdateEditCut(CCmdUI* pCmdUI)
{
    Grid.OnUpdateEditCut(pCmdUI);
}

void CEditGridDlg::OnUpdateEditPaste(CCmdUI* pCmdUI)
{
    Grid.OnUpdateEditPaste(pCmdUI);
}

void CEditGridDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, gridId_, Grid);
}

BOOL CEditGridDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    FillGrid();
    if (CWnd* apply = GetDlgItem(IDC_EDIT_APPLY)) apply->EnableWindow(FALSE);
    return TRUE;
}

void CEditGridDlg::OnCancel()
{
    if (Applied) CDialog::OnOK();
    else CDialog::OnCancel();
}

bool CEditGridDlg::PrepareGrid()
{
    UpdateData(TRUE);
    Grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(CellColour);
    Grid.RemoveAll();
    Grid.VirtualMode = FALSE;
    Grid.Editable = TRUE;
    Grid.DragAndDrop = FALSE;
    Grid.ColumnResize = FALSE;
    if (!Grid.SetNumRows(Rows) || !Grid.SetNumColumns(Columns) || !Grid.SetNumFixedRows(FixedRows) ||
        !Grid.SetNumFixedColumns(FixedColumns)) {
        Grid.RemoveAll();
        return false;
    }
    return true;
}

void CEditGridDlg::PutCell(int row, int col, const std::string& text, bool readOnly)
{
    GridItem item;
    item.row = row;
    item.column = col;
    item.mask = ItemMaskText | ItemMaskFormat;
    item.format = DT_CENTER;
    item.text = text;
    if (readOnly) {
        item.mask |= ItemMaskState | ItemMaskTextColor;
        item.state = Grid.CellState(row, col) | CellStateReadOnly;
        item.textColor = ReadOnlyColour;
    }
    Grid.ApplyItem(&item);
    Grid.MarkModified(FALSE, row, col);
}

void CEditGridDlg::FinishGrid()
{
    Grid.RowHeaderClickSelects = TRUE;
    Grid.ColumnHeaderClickSelects = TRUE;
    // Every row as high and every column as wide as its texts, header clicks sorting by the
    // numbers, then the spare width shared out.
    Grid.FitAllToText();
    Grid.CompareFunc = &CGridCtrl::CompareCellNumbers;
    Grid.StretchColumnsToWidth();
}

double CEditGridDlg::CellValue(int row, int col) const
{
    const std::string text = Grid.CellText(row, col);
    return std::strtod(text.c_str(), nullptr);
}

void CEditGridDlg::OnGridEndEdit(NMHDR* header, LRESULT* result)
{
    const auto* notify = reinterpret_cast<const GridNotify*>(header);
    const int row = notify->row;
    const int col = notify->column;
    const std::string text = Grid.CellText(row, col);
    const double value = std::strtod(text.c_str(), nullptr);
    if (text.find_first_not_of(NumberCharacters) != std::string::npos || !std::isfinite(value)) {
        *result = RefuseEdit;
        return;
    }
    char shown[512];
    std::snprintf(shown, sizeof shown, "%.3f", value);
    Grid.SetCellText(row, col, shown);
    Grid.SetCellState(row, col, Grid.CellState(row, col) | CellStateModified);
    if (!Grid.VirtualMode) Grid.SetCellTextColor(row, col, ChangedColour);
    if (CWnd* apply = GetDlgItem(IDC_EDIT_APPLY)) apply->EnableWindow(TRUE);
    *result = 0;
}

void CEditGridDlg::OnApply()
{
    Applied = true;
    UpdateData(TRUE);
    if (DisplayModel != nullptr) {
        for (int row = FixedRows; row < Grid.RowCount(); ++row) {
            unsigned changed = 0;
            for (int col = FirstValueColumn; col <= LastValueColumn && col < Grid.ColumnCount(); ++col)
                if (Grid.CellState(row, col) & CellStateModified) changed |= 1u << col;
            if (changed == 0) continue;
            WriteBack(row, changed);
            for (int col = FirstValueColumn; col <= LastValueColumn; ++col) {
                if (!(changed & (1u << col))) continue;
                Grid.SetCellTextColor(row, col, PlainColour);
                Grid.MarkModified(FALSE, row, col);
            }
        }
    }
    if (CWnd* apply = GetDlgItem(IDC_EDIT_APPLY)) apply->EnableWindow(FALSE);
    UpdateData(FALSE);
    Grid.Invalidate();
}
