// The editable grid: rows and columns of cells, the first of which may be fixed (headings that
// do not scroll), per-row heights and per-column widths (0 hides one), a focus cell, a set of
// selected cells, owner notifications and a virtual mode in which the owner supplies the cells.
//
// Owners place a custom control of window class "MFCGridCtrl" on a dialog template and bind a
// member grid to it (DDX_Control), then fill it: RemoveAll, the four counts, ApplyItem per cell,
// and set the plain settings below directly. Rows and columns count from 0, fixed ones
// included; operations with a cell outside the grid return FALSE, null, -1 or "" and change
// nothing. Notifications go to the grid's owner, else its parent, as WM_NOTIFY with the grid's
// control id; the owner's reply is returned to the caller.
//
// Sizes. Row tops and column lefts come from running sums (GridAxis), so positions, the cell at
// a point and scrolling to any row cost logarithmic time in the row count.
#pragma once

#include "controls/CellRange.h"
#include "controls/GridAxis.h"
#include "controls/GridCell.h"
#include "controls/GridDropTarget.h"
#include "controls/GridItem.h"
#include "controls/GridPrintLayout.h"
#include "controls/InPlaceEdit.h"
#include "controls/SelectedCellMap.h"
#include "controls/TitleTip.h"

#include "platform/OleData.h"
#include "platform/Window.h"

#include <memory>
#include <string>
#include <vector>

class CImageList;

// The window class of grids on dialog templates.
constexpr const char* GridWindowClass = "MFCGridCtrl";

// GridLines values.
constexpr int GridLinesNone = 0;
constexpr int GridLinesHorizontal = 1;
constexpr int GridLinesVertical = 2;
constexpr int GridLinesBoth = 3;

// AutoSizeScope bits.
constexpr UINT AutoSizeFixedRows = 1;
constexpr UINT AutoSizeOtherRows = 2;

// MouseMode values (there is no 5).
constexpr int MouseModeIdle = 0;
constexpr int MouseModeSelectAll = 1;
constexpr int MouseModeSelectColumns = 2;
constexpr int MouseModeSelectRows = 3;
constexpr int MouseModeSelectCells = 4;
constexpr int MouseModeOverRowDivider = 6;
constexpr int MouseModeSizingRow = 7;
constexpr int MouseModeOverColumnDivider = 8;
constexpr int MouseModeSizingColumn = 9;
constexpr int MouseModeEditPending = 10;
constexpr int MouseModeDragPending = 11;
constexpr int MouseModeDragging = 12;

// ScrollBarsShown bits.
constexpr int ShownHorizontal = 1;
constexpr int ShownVertical = 2;

class CGridCtrl : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // The counts are ignored: every count starts at 0. Registers the window classes of grids
    // and title tips, takes the system colours and gives the four default cells their colours.
    CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    ~CGridCtrl() override;

    // Registers "MFCGridCtrl" unless a class of that name exists; TRUE when it exists after.
    BOOL RegisterWindowClass();

    // ----- Settings: owners read and write them directly.
    int GridLines = GridLinesBoth;
    BOOL Editable = TRUE;
    BOOL DragAndDrop = FALSE;
    BOOL FullRowSelection = FALSE;
    BOOL SingleRowSelection = FALSE;
    BOOL SingleColSelection = FALSE;
    BOOL AllowDraw = TRUE;  // painting, invalidation and scroll-bar updates happen
    BOOL SelectionEnabled = TRUE;
    BOOL RowHeaderClickSelects = TRUE;
    BOOL ColumnHeaderClickSelects = TRUE;
    BOOL HeaderClickSorts = FALSE;
    BOOL HandleTabKey = TRUE;
    BOOL DoubleBuffer = TRUE;
    BOOL TitleTips = TRUE;
    BOOL PrintAtScreenScale = FALSE;
    BOOL ResizeHiddenColumns = TRUE;
    BOOL ResizeHiddenRows = TRUE;
    BOOL HideColumnsByResize = TRUE;
    BOOL HideRowsByResize = TRUE;
    BOOL TrackFocusCell = TRUE;  // the fixed cells of the focus cell's row and column are sunken
    BOOL FrameFocusCell = TRUE;
    UINT AutoSizeScope = AutoSizeFixedRows | AutoSizeOtherRows;
    COLORREF BackgroundColor;  // the client area outside the cells: COLOR_BTNSHADOW
    COLORREF GridLineColor = RGB(192, 192, 192);
    COLORREF TipBackColor = ColorDefault;
    COLORREF TipTextColor = ColorDefault;
    BOOL VirtualMode = FALSE;
    CellDataCallback DataCallback = nullptr;
    LPARAM DataCallbackParam = 0;
    const CRuntimeClass* CellClass = &CGridCell::Runtime;
    CImageList* ImageList = nullptr;
    int AutoScrollPeriod = 25;  // milliseconds
    int ResizeMargin = 3;       // pixels
    BOOL RowResize = TRUE;
    BOOL ColumnResize = TRUE;
    int WheelScrollLines;  // the system's, 3 when it cannot be had; -1 pages
    BOOL PrintColors = TRUE;
    BOOL SortAscending = TRUE;
    int SortColumn = -1;
    CellCompareFunc CompareFunc = nullptr;

    // ----- State that owners and the grid's input handling read.
    BOOL Modified = FALSE;  // set by every text change through the grid, cleared by the owner
    int MouseMode = MouseModeIdle;
    int ScrollBarsShown = 0;  // the bars the grid showed: ShownHorizontal, ShownVertical

    // ----- Counts and sizes.
    int RowCount() const { return rowCount_; }
    int ColumnCount() const { return colCount_; }
    int FixedRowCount() const { return fixedRows_; }
    int FixedColumnCount() const { return fixedCols_; }
    // A fixed count above the count grows the grid first. Rows added take the ordinary default
    // cell's height, columns the fixed-column default cell's width; cells turning fixed or
    // ordinary take ColorDefault colours. FALSE (with the counts matching the cells that exist)
    // when memory runs out or for a negative count; the grid counts as modified and repaints.
    BOOL SetNumRows(int rows);
    BOOL SetNumColumns(int cols);
    BOOL SetNumFixedRows(int fixedRows);
    BOOL SetNumFixedColumns(int fixedCols);
    // Empties the grid: no cells, counts 0, nothing selected, no focus; the grid counts as
    // modified. TRUE.
    BOOL RemoveAll();
    // -1 for an index outside.
    int RowHeight(int row) const { return rowHeights_.Size(row); }
    int ColumnWidth(int col) const { return colWidths_.Size(col); }
    // FALSE for an index outside; sizes below 0 count as 0 (hidden).
    BOOL SetRowHeight(int row, int height);
    BOOL SetColumnWidth(int col, int width);
    int TotalHeight() const { return int(rowHeights_.Total()); }
    int TotalWidth() const { return int(colWidths_.Total()); }
    int FixedRowsHeight() const { return int(rowHeights_.Prefix(fixedRows_)); }
    int FixedColumnsWidth() const { return int(colWidths_.Prefix(fixedCols_)); }

    // ----- Cells.
    BOOL IsValid(int row, int col) const { return row >= 0 && row < rowCount_ && col >= 0 && col < colCount_; }
    BOOL IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }
    // The stored cell; in virtual mode one cell filled by the owner, valid until the next call.
    CGridCellBase* CellAt(int row, int col) const;
    // Corner when both, fixed row, fixed column, else ordinary.
    CGridDefaultCell* GetDefaultCell(BOOL fixedRow, BOOL fixedCol) const;
    // A new cell of CellClass at (row, col) with its fixed bits and its default cell's format;
    // null when the class is no cell class. Throws std::bad_alloc when memory runs out.
    virtual CGridCellBase* NewCell(int row, int col);
    // Unselects the cell, then deletes it.
    virtual void DeleteCell(int row, int col);
    // Marks the cell modified, then applies the item's fields of its mask in this order: text,
    // data, image, state (SetCellState), format, back colour, text colour, font, margin. FALSE
    // for null, in virtual mode or without a cell.
    BOOL ApplyItem(const GridItem* item);
    std::string CellText(int row, int col) const;
    // Stores the text and marks the cell modified; FALSE in virtual mode or without a cell.
    BOOL SetCellText(int row, int col, const std::string& text);
    BOOL FormatCellText(int row, int col, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 4, 5)))
#endif
        ;
    // No repaint.
    BOOL SetCellTextColor(int row, int col, COLORREF colour);
    // Sets the state bits; the selected cells follow CellStateSelected.
    BOOL SetCellState(int row, int col, UINT state);
    UINT CellState(int row, int col) const;
    // A text from cut, clear, paste or drop: only for an editable grid and a cell that is not
    // read-only and whose owner does not refuse GridNotifyBeginEdit. The owner sees the new
    // text through GridNotifyEndEdit as it sees a typed one; a text the cell or the owner
    // refuses leaves the cell as it was (text and modified marks).
    void SetCellTextChecked(int row, int col, const std::string& text);
    // (-1 row or column: the grid's flag.) Marking the sort column, or the whole grid, forgets
    // the sort. Returns the cell's new mark, or for an unmarked cell the grid's flag; when the
    // result is FALSE no cell stays marked.
    BOOL MarkModified(BOOL modified, int row, int col);
    // Whether the cell accepts text; TRUE without a cell.
    virtual BOOL ValidateCellText(int row, int col, const std::string& text);

    // ----- Editing.
    // Opens the in-place editor on the cell (the title tip hidden first), unless the cell is
    // outside, the grid not Editable, the cell read-only, still not visible after scrolling it
    // into view, or the owner refuses GridNotifyBeginEdit. firstKey is a typed character, the
    // key that ended the previous edit, or FirstKeyMouse (mouse or F2); point is handed to the
    // cell, (-1, -1) when there is none. A refused start shows nothing and drops the key.
    virtual void BeginCellEdit(int row, int col, CPoint point, UINT firstKey);
    // Takes the text an editor reported: nothing when it equals the cell's text; else the text
    // is stored (not in virtual mode) and the owner hears GridNotifyEndEdit. Accepted by the
    // cell and the owner (reply 0 or more), the cell is marked modified and redrawn, keeping
    // what the owner's handler left in it; refused, the old text and marks come back. Either
    // way the cell's edit ends (OnEndEdit).
    virtual void CommitCellEdit(int row, int col, const std::string& text);
    // Ends the in-place edit of the focus cell, if any, reporting its text as it stands.
    virtual void FinishEditing();
    // Whether the edit being begun follows the end of the previous one by Tab or a navigation
    // key (whose codes then mean the key, not a typed character).
    BOOL IsFollowOnEdit() const
    {
        return followOnEdit_;
    }
    // Gives every selected cell the text "" through SetCellTextChecked; nothing unless Editable.
    virtual void ClearSelectedCells();
    // Command ID_EDIT_SELECT_ALL: selects every non-fixed cell (when SelectionEnabled) between
    // GridNotifySelChanging and GridNotifySelChanged.
    virtual void OnEditSelectAll();

    // ----- Clipboard.
    // The selected range as text: a field per cell (the text of a selected cell, "" for one not
    // selected), "\t" between fields, "\r\n" between rows, none after the last; hidden rows
    // and columns left out. Null when nothing is selected.
    virtual std::unique_ptr<COleDataSource> CopySelection();
    // Pastes the data's text from (row, col): lines at "\n" (a CR before it dropped; a line
    // that ends in a line break pastes as if it ended in "\r", so a trailing separator or an
    // empty line clears a cell), fields at tabs and commas, trimmed of white space, each
    // through SetCellTextChecked (read-only and refused cells keep their text). A hidden row
    // shifts this and the later lines down; hidden columns are passed over; fields beyond the
    // grid and an empty last line paste nothing. Then the pasted block is selected
    // (selectPasted) or the selection cleared. FALSE, changing nothing, when the start cell is
    // outside or read-only, the grid not Editable, or the data offers no text. The series
    // editors override it.
    virtual BOOL PasteText(int row, int col, COleDataObject* data, BOOL selectPasted);
    // Commands ID_EDIT_COPY, ID_EDIT_CUT (Editable only: copies, then clears the selected
    // cells) and ID_EDIT_PASTE (Editable only: into the open in-place editor, else PasteText at
    // the selection's top left, the focus cell or the top left scrollable cell).
    virtual void OnEditCopy();
    virtual void OnEditCut();
    virtual void OnEditPaste();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnUpdateEditCut(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateEditSelectAll(CCmdUI* pCmdUI);

    // ----- Focus, selection and notification.
    // Returns the previous focus cell. Rows and columns in the fixed part become the first
    // non-fixed ones; the cells concerned (and, with TrackFocusCell, their headings) are
    // redrawn.
    CCellID SetFocusCell(int row, int col);
    CCellID SetFocusCellId(const CCellID& cell) { return SetFocusCell(cell.row, cell.col); }
    CCellID GetFocusCell() const { return focusCell_; }
    // With select, the block becomes the selection (the saved selection added back); without,
    // the block is unselected. Bounds in the fixed part become the first non-fixed ones; an
    // invalid block selects nothing. Visible cells are redrawn, at once with repaintNow.
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, BOOL repaintNow = FALSE, BOOL select = TRUE);
    void SetSelectedRange(const CellRange& range, BOOL repaintNow = FALSE, BOOL select = TRUE)
    {
        SetSelectedRange(range.minRow, range.minCol, range.maxRow, range.maxCol, repaintNow, select);
    }
    void SelectAll();
    // From the selection anchor to the cell: whole rows, or the block of cells.
    void SelectRowsTo(BOOL repaintNow, BOOL select, int row, int col);
    void SelectCellsTo(BOOL repaintNow, BOOL select, int row, int col);
    // Extends the selection to the cell as MouseMode says (all, columns, rows or cells).
    void ExtendSelection(const CCellID& cell);
    // The block round every selected cell; (rows, columns, -1, -1), not valid, when none is.
    CellRange GetSelectedRange() const;
    BOOL AnyCellSelected() const { return selected_.Empty() ? FALSE : TRUE; }
    void ClearSelection();
    BOOL IsCellSelected(int row, int col) const;
    // The anchor from which Shift-extended selections start.
    CCellID GetSelectionAnchor() const { return selectionAnchor_; }
    void SetSelectionAnchor(const CCellID& cell) { selectionAnchor_ = cell; }
    // 0 without a window or an owner window.
    LRESULT SendNotify(int row, int col, int code);
    LRESULT SendCacheHint(const CellRange& range);

    // ----- Geometry at the current scroll position (client pixels).
    // The first scrollable row and column shown.
    CCellID TopLeftScrollableCell() const;
    // The scrollable rows and columns shown (max below min when there are none); rect gets
    // (0, 0) to the right and bottom of what they cover, cut at the client area.
    CellRange VisibleScrollableRange(CRect* rect = nullptr) const;
    // FALSE outside the grid and for scrollable cells scrolled out above or left.
    BOOL GetCellOrigin(int row, int col, CPoint* origin) const;
    // The inclusive rectangle: right = left + width - 1, bottom = top + height - 1.
    BOOL GetCellRect(int row, int col, CRect* rect) const;
    CPoint PointInCell(int row, int col, CPoint point) const;
    // The cell under a client point: a pixel at a column's left edge belongs to it, the
    // pixel at x + w to the next one; fixed cells only when allowFixed. (-1, -1) parts outside.
    CCellID CellFromPoint(CPoint point, BOOL allowFixed = TRUE) const;
    // Whether at least the cell's top left pixel shows.
    BOOL IsCellVisible(int row, int col) const;
    BOOL InvalidateCell(int row, int col);
    // Draws the cell now (with its grid lines) into pDC, or the window's context.
    BOOL RedrawCell(int row, int col, CDC* pDC = nullptr);
    void RedrawAll();
    virtual void DrawGrid(CDC* pDC);

    // ----- Printing (a print job calls BeginPrint once, PrintPage for each page, EndPrint).
    // Lays the grid out in pages for the printer's context and sets the job's page count;
    // nothing without a context, print information or a screen to measure against.
    virtual void BeginPrint(CDC* pDC, CPrintInfo* pInfo);
    // Prints the job's current page (nothing before BeginPrint or for a page past the last).
    virtual void PrintPage(CDC* pDC, CPrintInfo* pInfo);
    // Deletes the printer font; the layout is forgotten.
    virtual void EndPrint(CDC* pDC, CPrintInfo* pInfo);
    // The layout of the job in progress (for a caller that checks it).
    const GridPrintLayout& PrintLayout() const { return print_; }

    // ----- Scrolling.
    // Shows the bars the cells need and sets their ranges and pages.
    void UpdateScrollBars();
    void SetScrollPosition(int bar, int position);
    // Scrolls until the cell shows, as line steps would, in one move.
    void ScrollCellIntoView(int row, int col);
    int LargestScrollPosition(int bar) const { return bar == SB_HORZ ? hScrollMax_ : vScrollMax_; }

    // Handlers.
    void PreSubclassWindow() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnSysColorChange() override;
    LRESULT OnSetFont(WPARAM hFont, LPARAM lParam);
    LRESULT OnGetFont(WPARAM, LPARAM);
    // Keys move the focus cell (skipping hidden rows and columns) and, without Shift, select
    // it; with Shift the selection reaches from the anchor. Delete clears the selected cells,
    // F2 edits the focus cell.
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    // A typed character edits the focus cell with it (not with Ctrl, Esc, during a mouse
    // action, nor Tab while HandleTabKey).
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    LRESULT OnImeChar(WPARAM nChar, LPARAM);
    // The arrows and characters, and Tab while HandleTabKey without Ctrl.
    UINT OnGetDlgCode() override;
    // The editor's report: the text is committed; after Tab or a navigation key the focus moves
    // as that key moves it and the new focus cell is edited (the same cell at an edge).
    void OnInPlaceEditEnd(NMHDR* header, LRESULT* result);

protected:
    // One axis of the grid: 0 the columns (horizontal), 1 the rows (vertical).
    struct Axis
    {
        const GridAxis& sizes;
        int fixed;          // fixed rows or columns
        int count;          // all rows or columns
        int largest;        // the largest scroll position the grid stores
        int last;           // the largest position the bar takes (nothing past its last page)
        std::int64_t base;  // the fixed part's extent
    };
    Axis AxisOf(int bar) const;
    // The first scrollable index shown at scroll position position.
    int TopLeftIndex(const Axis& axis, int position) const;
    int LastBarPosition(int bar) const;
    // Where one line step forward or back from position goes (position when it does not move).
    int LineForward(const Axis& axis, int position) const;
    int LineBack(const Axis& axis, int position) const;
    // Where steps line steps one way take position, each from where the last one left it.
    int LineSteps(const Axis& axis, int position, int steps, bool forward) const;
    // A scroll message's work for one bar.
    void Scroll(int bar, UINT code);
    // The common start and end of a scroll message.
    void BeginScroll();
    void ScrolledBy(int bar, BOOL whole);

    void ForgetTopLeft() { topLeft_ = CCellID(); }
    CCellID selectionAnchor_;
    CCellID pressCell_;  // the cell under the last left button press
    CCellID dropCell_;   // the cell under a drag-and-drop highlight
    CTitleTip titleTip_;
    CGridDropTarget dropTarget_;

    // The parts of a printed page, called by PrintPage with the printer font selected and the
    // page's mapping set: the bold header band (m_rectDraw), the footer band, the fixed rows
    // across the page's columns, the fixed columns down the page's rows, and one fixed row's
    // cells from firstCol to lastCol (inclusive) starting at left (moved past them).
    virtual void PrintHeader(CDC* pDC, CPrintInfo* pInfo);
    virtual void PrintFooter(CDC* pDC, CPrintInfo* pInfo);
    virtual void PrintColumnHeadings(CDC* pDC, CPrintInfo* pInfo);
    virtual void PrintRowHeadings(CDC* pDC, CPrintInfo* pInfo);
    virtual void PrintFixedRowCells(int row, int firstCol, int lastCol, int top, int& left, CDC* pDC, CPrintInfo* pInfo);
    // Prints one cell of the page at rect (inclusive) with its grid lines.
    void PrintGridCell(CDC* pDC, int row, int col, const CRect& rect);
    GridPrintLayout print_;

private:
    // The stored cell, null outside, without one and in virtual mode (for the grid's own use:
    // unlike CellAt it hands no cell out to a caller).
    CGridCellBase* StoredCell(int row, int col) const;
    // The cells of the grid that carry CellStateModified may all be clear: set after a full
    // clear, reset whenever a mark may have been set, so that clearing one cell of a clear grid
    // does not walk every cell again.
    void MarksMayBeSet() const { marksClear_ = false; }
    void ClearAllMarks();
    // The state bits of a cell with the selected bit set or cleared, through SetCellState.
    void SelectCell(int row, int col, bool select);
    // The background of DrawGrid: corner, fixed columns, fixed rows, cells, right and below.
    void DrawBackground(CDC* pDC, const CRect& clip, const CRect& visible, int fixedHeight, int fixedWidth);
    void DrawCells(CDC* pDC, const CRect& clip, int firstRow, int lastRow, int top, int firstCol, int lastCol, int left);
    void RememberSystemColours();
    // Stores a text the grid was given for a cell and asks the cell and the owner
    // (GridNotifyEndEdit); refused, the cell's text and marks, the grid's flag and sort come back.
    void StoreCheckedText(int row, int col, const std::string& text);
    // The nearest row (column) of nonzero size from index stepping by step (+1 or -1) while
    // within first..last; -1 when there is none.
    int VisibleRowFrom(int index, int step, int first, int last) const;
    int VisibleColumnFrom(int index, int step, int first, int last) const;

    int rowCount_ = 0;
    int colCount_ = 0;
    int fixedRows_ = 0;
    int fixedCols_ = 0;
    GridAxis rowHeights_;
    GridAxis colWidths_;
    std::vector<std::vector<std::unique_ptr<CGridCellBase>>> rows_;  // empty in virtual mode
    CGridDefaultCell defaultCell_;        // ordinary cells
    CGridDefaultCell defaultFixedCol_;    // fixed columns
    CGridDefaultCell defaultFixedRow_;    // fixed rows
    CGridDefaultCell defaultCorner_;      // fixed row and column
    SelectedCellMap selected_;
    SelectedCellMap savedSelection_;
    CCellID focusCell_;
    mutable CCellID topLeft_;  // (-1, -1) when forgotten
    int vScrollMax_ = 0;
    int hScrollMax_ = 0;
    mutable bool marksClear_ = false;
    BOOL followOnEdit_ = FALSE;
    // The virtual mode's record and cell, filled by every CellAt.
    mutable GridDisplayInfo virtualInfo_;
    mutable CGridCell virtualCell_;
    // The system colours the default cells took (so a change keeps the owner's colours).
    COLORREF windowText_ = 0;
    COLORREF window_ = 0;
    COLORREF buttonFace_ = 0;
    COLORREF buttonShadow_ = 0;
};
