// A dialog that hosts a grid as the series editors do: a custom control of class "MFCGridCtrl"
// on its template, bound by DDX_Control, filled with a series of entries (one fixed row of
// headings, one fixed column of entry numbers, eight value columns, every cell centred) on the
// editors' light yellow. Shared by the grid's tests, its screen tour and its benchmarks.
#pragma once

#include "controls/GridCtrl.h"

#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/Resources.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace gridhost {

constexpr UINT HostDialogId = 9461;
constexpr int GridId = 1044;
constexpr int HostColumns = 9;
constexpr int SeriesEntries = 100000;  // the largest series: 100,001 rows with the headings
constexpr COLORREF EditorYellow = RGB(255, 255, 224);

// The template: the inflow editor widened for thermal-ice columns, the grid below its options.
inline const DialogTemplate HostTemplates[] = {
    {.id = HostDialogId,
     .caption = "Edit Inflow Boundary Condition",
     .size = {0, 0, 723, 315},
     .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
     .controls = {
         {.id = 1027, .kind = ControlKind::Static, .text = "Upper Boundary Inflow", .rect = {7, 16, 220, 8}},
         {.id = GridId, .kind = ControlKind::Custom, .rect = {22, 99, 677, 180}, .style = WS_VISIBLE | WS_TABSTOP,
          .className = GridWindowClass},
         {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Close", .rect = {605, 293, 50, 14},
          .style = WS_VISIBLE | WS_TABSTOP},
     }},
};

inline void RegisterHost()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    RegisterResources({.dialogs = HostTemplates});
}

inline const char* const Headings[HostColumns] = {
    "",
    "Time (hours)",
    "Discharge (cms)",
    "Water Temperature (\xB0" "C)",
    "Frazil Concentration (%)",
    "Ice Velocity (m/s)",
    "Ice Concentration (%)",
    "Frazil Slush Thickness (m)",
    "Solid Ice Thickness (m)",
};

// The text of a cell of the series: entry numbers, times every quarter hour, values that change
// from row to row.
inline std::string SeriesText(int row, int col)
{
    char text[32];
    if (row == 0) return Headings[col];
    if (col == 0) std::snprintf(text, sizeof text, "%d", row);
    else if (col == 1) std::snprintf(text, sizeof text, "%.2f", (row - 1) * 0.25);
    else if (col == 2) std::snprintf(text, sizeof text, "%.4f", 100.0 + (row % 97) * 1.5);
    else std::snprintf(text, sizeof text, "%.3f", (row % 13) * 0.01 * col);
    return text;
}

// Fills grid as the series editors do: light yellow cells, counts, one centred item per cell.
// Returns FALSE when the grid ran out of memory (the grid keeps what it holds).
inline BOOL FillSeries(CGridCtrl& grid, int entries)
{
    grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(EditorYellow);
    grid.RemoveAll();
    grid.VirtualMode = FALSE;
    grid.Editable = TRUE;
    grid.DragAndDrop = TRUE;
    grid.ColumnResize = FALSE;
    if (!grid.SetNumRows(entries + 1) || !grid.SetNumColumns(HostColumns) || !grid.SetNumFixedRows(1) ||
        !grid.SetNumFixedColumns(1))
        return FALSE;
    GridItem item;
    item.mask = ItemMaskText | ItemMaskFormat;
    item.format = DT_CENTER;
    for (int row = 0; row < grid.RowCount(); ++row) {
        for (int col = 0; col < grid.ColumnCount(); ++col) {
            item.row = row;
            item.column = col;
            item.text = SeriesText(row, col);
            grid.ApplyItem(&item);
        }
    }
    grid.RowHeaderClickSelects = TRUE;
    grid.ColumnHeaderClickSelects = TRUE;
    return TRUE;
}

// Shares the client width out among the columns, the first a little narrower, none narrower
// than its heading, as the editors' sizing to the texts and stretch to the window do.
inline void SpreadColumns(CGridCtrl& grid)
{
    CRect client;
    grid.GetClientRect(&client);
    const int columns = grid.ColumnCount();
    if (columns == 0 || grid.RowCount() == 0) return;
    const int first = client.Width() / (2 * columns);
    const int rest = (client.Width() - first) / std::max(columns - 1, 1);
    CClientDC dc(&grid);
    for (int col = 0; col < columns; ++col) {
        const int heading = grid.CellAt(0, col)->GetCellExtent(&dc).cx;
        grid.SetColumnWidth(col, std::max(col == 0 ? first : rest, heading));
    }
    grid.UpdateScrollBars();
    grid.Invalidate();
}

class CGridHostDlg : public CDialog
{
public:
    explicit CGridHostDlg(int entries = SeriesEntries) : CDialog(HostDialogId), Entries(entries) { RegisterHost(); }
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, GridId, Grid);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        Filled = FillSeries(Grid, Entries);
        SpreadColumns(Grid);
        return TRUE;
    }

    CGridCtrl Grid;
    int Entries;
    BOOL Filled = FALSE;
};

// The series editors' answer to an edited cell: only the characters of EditorCharacters, the
// leading number read (an empty text reads 0), shown with "%.2f" in the time column and "%.4f"
// in the others, in red; a text with other characters or without a finite leading number is
// refused (-1).
constexpr const char* EditorCharacters = "-0123456789.";
constexpr COLORREF EditedRed = RGB(255, 0, 0);
constexpr LRESULT RefuseEdit = -1;
constexpr int TimeColumn = 1;

// The text the editors show for a cell of column col given text; false when they refuse it.
inline bool EditorsText(int col, const std::string& text, std::string* shown)
{
    if (text.find_first_not_of(EditorCharacters) != std::string::npos) return false;
    double value = 0.0;
    if (!text.empty()) {
        char* end = nullptr;
        value = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || !std::isfinite(value)) return false;
    }
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, col == TimeColumn ? "%.2f" : "%.4f", value);
    *shown = buffer;
    return true;
}

// The host as a series editor owns its grid: every edited value cell (typed, pasted, cleared
// or dropped) goes through EditorsText. With Record, each cell's text as the handler left it
// is kept (Passed), so that a test can tell that every changed cell went through it.
class CEditorHostDlg : public CGridHostDlg
{
public:
    explicit CEditorHostDlg(int entries = SeriesEntries) : CGridHostDlg(entries)
    {
        MapNotify(GridNotifyEndEdit, UINT(GridId), &CEditorHostDlg::OnGridEndEdit);
    }
    void OnGridEndEdit(NMHDR* header, LRESULT* result)
    {
        const auto* notify = reinterpret_cast<const GridNotify*>(header);
        const int row = notify->row;
        const int col = notify->column;
        ++EndEdits;
        *result = 0;
        if (row < Grid.FixedRowCount() || col < Grid.FixedColumnCount()) return;
        std::string shown;
        if (!EditorsText(col, Grid.CellText(row, col), &shown)) {
            ++Refused;
            *result = RefuseEdit;
            return;
        }
        Grid.SetCellText(row, col, shown);
        Grid.SetCellTextColor(row, col, EditedRed);
        if (Record) {
            const std::size_t cells = std::size_t(Grid.RowCount()) * std::size_t(Grid.ColumnCount());
            if (Passed.size() != cells) Passed.assign(cells, Unpassed);
            Passed[std::size_t(row) * std::size_t(Grid.ColumnCount()) + std::size_t(col)] = shown;
        }
    }
    // The text the handler last left in the cell; Unpassed when it never accepted one.
    const std::string& PassedText(int row, int col) const
    {
        const std::size_t index = std::size_t(row) * std::size_t(Grid.ColumnCount()) + std::size_t(col);
        return index < Passed.size() ? Passed[index] : Unpassed;
    }
    void Forget()
    {
        Passed.clear();
        EndEdits = 0;
        Refused = 0;
    }

    inline static const std::string Unpassed = "<never passed>";
    bool Record = true;
    std::vector<std::string> Passed;
    int EndEdits = 0;
    int Refused = 0;
};

}  // namespace gridhost
