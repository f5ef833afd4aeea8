// The family of series editors: one time series in a grid, one entry a row from row 1 (the
// row-number column first), with the same Apply / Close protocol and entry-count command.
//
// The caller sets Title, Series, Entries (the series' size), Units and ColumnSet (and, for an
// outflow, the bounds), runs DoModal and, on IDOK, takes Series back. An accepted cell edit is
// rewritten in its column's format and turns red; Apply checks the grid (enough entries, no
// blank in the first two value columns, the first column in order) and rebuilds Series from
// it, the cells black again; Close ends with IDOK once Apply was pressed, whether it passed or
// not, else with IDCANCEL. A cell the user has not changed since it was filled gives back the
// exact value it was filled from, so applying an untouched grid changes no value.
#pragma once

#include "app/SeriesGridCtrl.h"
#include "datalib/TimeSeries.h"
#include "platform/Dialog.h"

#include <span>
#include <string>
#include <vector>

// One value column: its heading (Windows-1252; empty for a column without values), the field
// of an entry it shows (null: none) and the format it is filled in.
struct SeriesColumn {
    const char* heading = "";
    double* (*field)(VQXDisplayLib::VQXTimeSeriesEntry& entry) = nullptr;
    const char* format = "%.3f";
};

// The messages of Apply's checks, in the order they are made. A null order message skips the
// order check; it looks at the first value column, strictly increasing unless equalPasses.
struct SeriesChecks {
    const char* tooFew;
    const char* blank;
    const char* order;
    bool equalPasses = false;
};

class CSeriesEditorDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // The framework's initialisation (Entries into its edit), the title, the widening when the
    // dialog asks for it, the grid filled, Apply disabled. A fill that runs out of memory says
    // so and ends the dialog with IDCANCEL.
    BOOL OnInitDialog() override;
    // Binds the grid; Entries with its edit as an integer.
    void DoDataExchange(CDataExchange* pDX) override;
    // Fills the grid from Series: headings, row numbers, values in their columns' formats, every
    // cell centred. FALSE, with the grid emptied, when memory runs out.
    BOOL FillGrid();
    // Apply: sets Applied, then checks the grid and rebuilds Series from it; a failed check
    // says why and changes neither grid nor Series.
    void OnApply();
    // "Update # of Entries": 2 to MaxSeriesEntries rows of entries (new rows numbered and
    // empty, rows beyond dropped), Apply enabled; any other count says so and changes nothing.
    void OnUpdateEntryCount();
    // Close and Escape: IDOK once Apply was pressed (after the data exchange, which may keep
    // the dialog open), else IDCANCEL.
    void OnCancel() override;
    // The grid's end of an edit: *result 0 keeps the cell (rewritten in its column's format, in
    // red, Apply enabled), -1 restores the old text (a character outside the dialog's set, or
    // a value too large to be a number).
    void OnGridEndEdit(NMHDR* header, LRESULT* result);

    // The operation that the entry-count command and Apply use to read a count and a value.
    // The leading digits of text (after blanks and a sign) as a count, saturating at the
    // largest int (a negative sign gives a negative count); 0 without digits.
    static int ReadCount(const std::string& text);

    std::string Title;
    CSeriesGridCtrl Grid;
    int FixedRows = 1;
    int FixedColumns = 1;
    int Columns = 0;  // with the row-number column
    int Rows = 0;     // Entries + 1
    int Entries = 0;
    VQXDisplayLib::VQXTimeSeries Series;
    double LowerBound = 0.0;  // the clamp of the second value column (column 2)
    double UpperBound = 1e9;
    BOOL Applied = FALSE;
    int Units = 1;  // 1 metric, anything else imperial
    int ColumnSet = 0;

protected:
    CSeriesEditorDlg(UINT templateId, int titleId, int gridId, int groupId, CWnd* parent);

    // The value columns, in order (column 1 on), for ColumnSet and Units.
    virtual std::vector<SeriesColumn> ValueColumns() const = 0;
    // The characters an edited text may hold.
    virtual const char* AllowedCharacters() const { return "-0123456789."; }
    // The value a typed value of (row, col) becomes, and the format it is shown in. Default
    // (the inflow and water-quality editors): the first time 0, column 2 held to the bounds,
    // times "%.2f" and every other value "%.4f".
    virtual const char* FilterValue(int row, int col, double& value) const;
    virtual SeriesChecks Checks() const = 0;
    // Whether the grid and the group box widen for many columns.
    virtual bool Widened() const { return false; }
    // Whether entries start as AppendWeatherEntry leaves them (else as AppendFlowEntry does).
    virtual bool WeatherSeries() const { return false; }
    // Drag and drop between cells.
    virtual bool DragAndDropOn() const { return true; }
    // The first time (row 1, column 1) always becomes 0.
    static const char* TimeValue(int row, double& value);
    double Clamped(double value) const;

    int TitleId;
    int GridId;
    int GroupId;

private:
    void Widen();
    void EnableApply(BOOL enable);
    // Fits the columns and rows to their texts, sorts header clicks by number and stretches the
    // columns to the grid's width.
    void SizeColumns();
    // Reads cell (row, col) for the rebuild: the exact value it was filled from when unchanged.
    double CellValue(int row, int col, const SeriesColumn& column) const;
    // The entry count of the command and of a paste that needs more rows: FALSE after a lack of
    // memory (reported, the dialog ended).
    BOOL SetEntryCount(int count);
    // A paste of lines reaching lastRow: refused (said so) beyond MaxSeriesEntries entries,
    // else the grid grown to hold it.
    BOOL MakeRoomForPaste(int lines, int lastRow);
    // Copy, Cut and Paste go to the grid; Copy and Cut while cells are selected, Paste while
    // the clipboard holds text.
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    // Reports a lack of memory and ends the dialog with IDCANCEL.
    void OutOfMemory();

    // The series the unchanged cells were filled from (the one given, then each applied one).
    VQXDisplayLib::VQXTimeSeries Filled;
    std::vector<SeriesColumn> ColumnTable;
};
