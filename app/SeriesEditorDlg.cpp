#include "app/SeriesEditorDlg.h"

#include "app/MessageText.h"
#include "engine/EngineData.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "platform/OleData.h"
#include "resources/ResourceIds.h"
#include "resources/SeriesEditorDialogs.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <new>

using VQXDisplayLib::VQXTimeSeries;
using VQXDisplayLib::VQXTimeSeriesEntry;

namespace {

// The editors' light yellow behind ordinary cells, and the text colours of edited cells
// (until Apply) and of applied ones.
constexpr COLORREF CellBackground = RGB(255, 255, 224);
constexpr COLORREF EditedText = RGB(255, 0, 0);
constexpr COLORREF AppliedText = RGB(0, 0, 0);

// The end-edit replies: keep the rewritten cell, or restore its old text.
constexpr LRESULT KeepEdit = 0;
constexpr LRESULT RefuseEdit = -1;

constexpr int FirstEntryRow = 1;
constexpr int FirstValueColumn = 1;
constexpr int SecondValueColumn = 2;
constexpr int SmallestEntryCount = 2;

constexpr const char* EntryCountText = "Number of entries must be between 2 and 100000.";
constexpr const char* PasteTooLongText = "The pasted text holds %d rows; a series holds at most 100000 entries.";
constexpr const char* NoMemoryText = "There is not enough memory for the series' grid.";

// The leading number of text (digits, one point, a minus sign in front): false when there is
// none or it lies beyond a double.
bool ReadLeadingValue(const std::string& text, double& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) return false;
    if (error != std::errc() || end == first) {
        value = 0.0;
        return true;
    }
    return std::isfinite(value);
}

// The text of value in format (one double).
std::string Formatted(const char* format, double value)
{
    char text[64];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, format, value);
#pragma GCC diagnostic pop
    return text;
}

}  // namespace

const CRuntimeClass CSeriesEditorDlg::Runtime{"CSeriesEditorDlg", &CDialog::Runtime, nullptr};

CSeriesEditorDlg::CSeriesEditorDlg(UINT templateId, int titleId, int gridId, int groupId, CWnd* parent)
    : CDialog(templateId, parent), TitleId(titleId), GridId(gridId), GroupId(groupId)
{
    RegisterSeriesEditorDialogs();
    MapCommand(IDC_SERIES_APPLY, &CSeriesEditorDlg::OnApply);
    MapCommand(IDC_SERIES_UPDATE_ENTRIES, &CSeriesEditorDlg::OnUpdateEntryCount);
    MapNotify(GridNotifyEndEdit, UINT(gridId), &CSeriesEditorDlg::OnGridEndEdit);
    MapCommand(ID_EDIT_COPY, &CSeriesEditorDlg::OnEditCopy);
    MapCommand(ID_EDIT_CUT, &CSeriesEditorDlg::OnEditCut);
    MapCommand(ID_EDIT_PASTE, &CSeriesEditorDlg::OnEditPaste);
    MapUpdate(ID_EDIT_COPY, &CSeriesEditorDlg::OnUpdateEditCopy);
    MapUpdate(ID_EDIT_CUT, &CSeriesEditorDlg::OnUpdateEditCopy);
    MapUpdate(ID_EDIT_PASTE, &CSeriesEditorDlg::OnUpdateEditPaste);
    Grid.MakeRoom = [this](int lines, int lastRow) { return MakeRoomForPaste(lines, lastRow); };
}

void CSeriesEditorDlg::OnEditCopy()
{
    Grid.OnEditCopy();
}

void CSeriesEditorDlg::OnEditCut()
{
    Grid.OnEditCut();
}

void CSeriesEditorDlg::OnEditPaste()
{
    Grid.OnEditPaste();
}

void CSeriesEditorDlg::OnUpdateEditCopy(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(Grid.AnyCellSelected());
}

void CSeriesEditorDlg::OnUpdateEditPaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(ClipboardHasText());
}

BOOL CSeriesEditorDlg::MakeRoomForPaste(int lines, int lastRow)
{
    if (lastRow > MaxSeriesEntries) {
        AfxMessageBox(FormatText(PasteTooLongText, lines));
        return FALSE;
    }
    if (lastRow < Grid.RowCount()) return TRUE;
    return SetEntryCount(lastRow);
}

void CSeriesEditorDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, GridId, Grid);
    DDX_Text(pDX, IDC_SERIES_ENTRIES, Entries);
}

BOOL CSeriesEditorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (CWnd* title = GetDlgItem(TitleId)) title->SetWindowText(Title);
    if (Widened()) Widen();
    if (!FillGrid()) {
        OutOfMemory();
        return TRUE;
    }
    EnableApply(FALSE);
    return TRUE;
}

void CSeriesEditorDlg::Widen()
{
    CRect window;
    GetWindowRect(&window);
    CRect client;
    GetClientRect(&client);
    const int w = window.Width();
    SetWindowPos(nullptr, 0, 0, 3 * w, client.Height(), SWP_NOMOVE | SWP_NOZORDER);
    // Children in the dialog's client coordinates.
    const auto placement = [this](CWnd* child) {
        CRect rect;
        child->GetWindowRect(&rect);
        CPoint topLeft(rect.left, rect.top);
        ScreenToClient(&topLeft);
        return CRect(topLeft.x, topLeft.y, topLeft.x + rect.Width(), topLeft.y + rect.Height());
    };
    for (int id : {IDCANCEL, IDC_SERIES_APPLY}) {
        if (CWnd* button = GetDlgItem(id)) {
            const CRect at = placement(button);
            button->MoveWindow(at.left + w, at.top, at.Width(), at.Height());
        }
    }
    for (int id : {GridId, GroupId}) {
        if (CWnd* wide = GetDlgItem(id)) {
            const CRect at = placement(wide);
            wide->MoveWindow(at.left, at.top, at.Width() + 2 * w, at.Height());
        }
    }
}

void CSeriesEditorDlg::EnableApply(BOOL enable)
{
    if (CWnd* apply = GetDlgItem(IDC_SERIES_APPLY)) apply->EnableWindow(enable);
}

BOOL CSeriesEditorDlg::FillGrid()
{
    UpdateData(TRUE);
    ColumnTable = ValueColumns();
    Columns = int(ColumnTable.size()) + 1;
    Rows = Entries + 1;
    Grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(CellBackground);
    Grid.RemoveAll();
    Grid.VirtualMode = FALSE;
    Grid.Editable = TRUE;
    Grid.DragAndDrop = DragAndDropOn() ? TRUE : FALSE;
    Grid.ColumnResize = FALSE;
    try {
        if (!Grid.SetNumRows(Rows) || !Grid.SetNumColumns(Columns) || !Grid.SetNumFixedRows(FixedRows) ||
            !Grid.SetNumFixedColumns(FixedColumns)) {
            Grid.RemoveAll();
            return FALSE;
        }
        Filled = Series;
        GridItem item;
        item.mask = ItemMaskText | ItemMaskFormat | ItemMaskData;
        item.format = DT_CENTER;
        for (int col = 0; col < Columns; ++col) {
            item.row = 0;
            item.column = col;
            item.text = col == 0 ? "" : ColumnTable[std::size_t(col - 1)].heading;
            Grid.ApplyItem(&item);
        }
        char number[16];
        for (int row = FirstEntryRow; row < Rows; ++row) {
            item.row = row;
            item.column = 0;
            std::snprintf(number, sizeof number, "%d", row);
            item.text = number;
            item.data = 0;
            Grid.ApplyItem(&item);
            const std::size_t entry = std::size_t(row - 1);
            for (int col = FirstValueColumn; col < Columns; ++col) {
                const SeriesColumn& column = ColumnTable[std::size_t(col - 1)];
                item.column = col;
                if (entry < Filled.size() && column.field) {
                    item.text = Formatted(column.format, *column.field(Filled[entry]));
                    item.data = row;  // the entry, counted from 1, the cell shows
                } else {
                    item.text.clear();
                    item.data = 0;
                }
                Grid.ApplyItem(&item);
            }
        }
    } catch (const std::bad_alloc&) {
        Grid.RemoveAll();
        return FALSE;
    }
    // Unmarked cells are the ones the user has not changed.
    Grid.MarkModified(FALSE, -1, -1);
    Grid.RowHeaderClickSelects = TRUE;
    Grid.ColumnHeaderClickSelects = TRUE;
    SizeColumns();
    return TRUE;
}

void CSeriesEditorDlg::SizeColumns()
{
    // Each column and row as large as its cells, header clicks sorting by number, and the
    // client width shared out so that the columns fill the grid.
    Grid.FitAllToText();
    Grid.CompareFunc = &CGridCtrl::CompareCellNumbers;
    Grid.StretchColumnsToWidth();
}

void CSeriesEditorDlg::OutOfMemory()
{
    AfxMessageBox(NoMemoryText);
    // What was applied before stays the dialog's result; the part-filled grid is never applied.
    EndDialog(Applied ? IDOK : IDCANCEL);
}

const char* CSeriesEditorDlg::TimeValue(int row, double& value)
{
    if (row == FirstEntryRow) value = 0.0;
    return "%.2f";
}

const char* CSeriesEditorDlg::FilterValue(int row, int col, double& value) const
{
    if (col == FirstValueColumn) return TimeValue(row, value);
    if (col == SecondValueColumn) value = Clamped(value);
    return "%.4f";
}

double CSeriesEditorDlg::Clamped(double value) const
{
    return std::min(UpperBound, std::max(LowerBound, value));
}

void CSeriesEditorDlg::OnGridEndEdit(NMHDR* header, LRESULT* result)
{
    const auto* notify = reinterpret_cast<const GridNotify*>(header);
    const int row = notify->row;
    const int col = notify->column;
    *result = KeepEdit;
    if (row < FirstEntryRow || col < FirstValueColumn) return;
    const std::string text = Grid.CellText(row, col);
    if (text.find_first_not_of(AllowedCharacters()) != std::string::npos) {
        *result = RefuseEdit;
        return;
    }
    double value = 0.0;
    if (!ReadLeadingValue(text, value)) {
        *result = RefuseEdit;
        return;
    }
    const char* format = FilterValue(row, col, value);
    Grid.SetCellText(row, col, Formatted(format, value));
    if (!Grid.VirtualMode) Grid.SetCellTextColor(row, col, EditedText);
    EnableApply(TRUE);
}

double CSeriesEditorDlg::CellValue(int row, int col, const SeriesColumn& column) const
{
    if (const CGridCellBase* cell = Grid.CellAt(row, col)) {
        const LPARAM entry = cell->GetData();
        if (!cell->IsModified() && entry > 0 && std::size_t(entry) <= Filled.size()) {
            VQXTimeSeriesEntry exact = Filled[std::size_t(entry - 1)];
            return *column.field(exact);
        }
    }
    double value = 0.0;
    return ReadLeadingValue(Grid.CellText(row, col), value) ? value : 0.0;
}

void CSeriesEditorDlg::OnApply()
{
    Applied = TRUE;
    UpdateData(TRUE);
    const SeriesChecks checks = Checks();
    const int rows = Grid.RowCount();
    if (rows <= FirstEntryRow + 1) {
        AfxMessageBox(checks.tooFew);
        return;
    }
    for (int row = FirstEntryRow; row < rows; ++row) {
        if (Grid.CellText(row, FirstValueColumn).empty() || Grid.CellText(row, SecondValueColumn).empty()) {
            AfxMessageBox(checks.blank);
            return;
        }
    }
    VQXTimeSeries rebuilt;
    try {
        rebuilt.reserve(std::size_t(rows - 1));
        for (int row = FirstEntryRow; row < rows; ++row) {
            if (WeatherSeries()) VQXDisplayLib::AppendWeatherEntry(rebuilt, 0.0, 0.0, 0.0);
            else VQXDisplayLib::AppendFlowEntry(rebuilt, 0.0, 0.0, 0.0);
            VQXTimeSeriesEntry& entry = rebuilt.back();
            for (int col = FirstValueColumn; col < Grid.ColumnCount() && col <= int(ColumnTable.size()); ++col) {
                const SeriesColumn& column = ColumnTable[std::size_t(col - 1)];
                if (column.field) *column.field(entry) = CellValue(row, col, column);
            }
        }
    } catch (const std::bad_alloc&) {
        AfxMessageBox(NoMemoryText);
        return;
    }
    if (checks.order) {
        const SeriesColumn& first = ColumnTable.front();
        for (std::size_t i = 1; i < rebuilt.size(); ++i) {
            const double before = *first.field(rebuilt[i - 1]);
            const double now = *first.field(rebuilt[i]);
            if (checks.equalPasses ? now < before : !(before < now)) {
                AfxMessageBox(checks.order);
                return;
            }
        }
    }
    Series = std::move(rebuilt);
    Filled = Series;
    for (int row = FirstEntryRow; row < rows; ++row) {
        for (int col = FirstValueColumn; col < Grid.ColumnCount() && col <= int(ColumnTable.size()); ++col) {
            if (!ColumnTable[std::size_t(col - 1)].field) continue;
            if (CGridCellBase* cell = Grid.CellAt(row, col)) cell->SetData(row);
            if (!Grid.VirtualMode) Grid.SetCellTextColor(row, col, AppliedText);
        }
    }
    Grid.MarkModified(FALSE, -1, -1);
    EnableApply(FALSE);
    UpdateData(FALSE);
    Grid.Invalidate();
}

int CSeriesEditorDlg::ReadCount(const std::string& text)
{
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
    long long count = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        count = count * 10 + (text[i] - '0');
        if (count > INT_MAX) {
            count = INT_MAX;
            break;
        }
    }
    return negative ? -int(count) : int(count);
}

void CSeriesEditorDlg::OnUpdateEntryCount()
{
    const CWnd* edit = GetDlgItem(IDC_SERIES_ENTRIES);
    const int count = edit ? ReadCount(edit->GetWindowText()) : 0;
    if (count < SmallestEntryCount || count > MaxSeriesEntries) {
        AfxMessageBox(EntryCountText);
        return;
    }
    SetEntryCount(count);
}

BOOL CSeriesEditorDlg::SetEntryCount(int count)
{
    const int before = Grid.RowCount();
    Entries = count;
    Rows = count + 1;
    try {
        if (!Grid.SetNumRows(Rows)) {
            OutOfMemory();
            return FALSE;
        }
        Rows = Grid.RowCount();
        UpdateData(FALSE);
        GridItem item;
        item.mask = ItemMaskFormat;
        item.format = DT_CENTER;
        char number[16];
        for (int row = before; row < Rows; ++row) {
            std::snprintf(number, sizeof number, "%d", row);
            Grid.SetCellText(row, 0, number);
            item.row = row;
            for (int col = 0; col < Grid.ColumnCount(); ++col) {
                item.column = col;
                Grid.ApplyItem(&item);
            }
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory();
        return FALSE;
    }
    // New rows are empty: the fitted widths stand, the columns are only spread out again.
    Grid.StretchColumnsToWidth();
    EnableApply(TRUE);
    return TRUE;
}

void CSeriesEditorDlg::OnCancel()
{
    if (!Applied) {
        EndDialog(IDCANCEL);
        return;
    }
    if (UpdateData(TRUE)) EndDialog(IDOK);
}
