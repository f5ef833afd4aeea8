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

// The timer that scrolls while a selection is dragged out of the window.
constexpr UINT_PTR AutoScrollTimerId = 513;

// The resolution of drag pictures: the screen's 96 dots per inch.
constexpr int DragImageDotsPerMeter = 3780;

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

    // ----- Sorting and sizing to content.
    // Sorts the non-fixed rows by the column's cells with CompareFunc (CompareCellText when
    // null): the headings of the old and new sort column are invalidated, the selection and
    // focus cleared. Rows whose keys compare equal are never exchanged; the sort is not stable.
    void SortByColumn(int col, BOOL ascending);
    BOOL SortWithCompare(CellCompareFunc compare, int col, BOOL ascending);
    // Sorts rows low to high (-1: the last row) by the column, whole rows with their heights.
    // FALSE for a column outside or fewer than two rows.
    BOOL QuickSortRows(CellCompareFunc compare, int col, BOOL ascending, LPARAM param, int low, int high = -1);
    // Byte-wise comparison of the texts; 0 when either cell is null.
    static int CompareCellText(const CGridCellBase* first, const CGridCellBase* second, LPARAM param);
    // The texts read as base-10 integers as strtol reads them (12.7 equals 12, no digits is 0):
    // -1, 0 or 1; 0 when either cell is null.
    static int CompareCellNumbers(const CGridCellBase* first, const CGridCellBase* second, LPARAM param);
    // The column as wide as its widest cell over the rows of scope (0: AutoSizeScope), 0 when
    // no row is measured; FALSE (nothing changes) for a column outside or hidden.
    BOOL FitColumnToText(int col, UINT scope = 0);
    // The row as high as its highest cell; FALSE for a row outside or hidden.
    BOOL FitRowToText(int row);
    // Every visible column and every visible row of AutoSizeScope fitted to the cells of those
    // rows (the rows first set to height 1); hidden rows and columns stay hidden.
    void FitAllToText();
    // The visible columns share the client width out: each changes by d / n, the first d mod n
    // visible ones by a pixel more; none gets narrower than 1. The horizontal bar goes.
    void StretchColumnsToWidth();
    // The last visible column (not column 0) takes the client width the columns leave; it never
    // narrows. The horizontal bar goes.
    void StretchLastColumn();
    // StretchColumnsToWidth for the rows and the client height.
    void StretchRowsToHeight();

    // ----- Drag and drop.
    // With DragAndDrop: drags the selection's text (GridNotifyBeginDrag first, MouseMode
    // dragging); a drop that moved it clears the selected cells.
    virtual void BeginDrag();
    // Over a cell that is not fixed nor read-only of an Editable grid with DragAndDrop, for
    // text: the cell is highlighted and the drop would copy (Ctrl held) or move. Else none.
    virtual DROPEFFECT DragEnter(COleDataObject* data, DWORD keyState, CPoint point);
    virtual DROPEFFECT DragOver(COleDataObject* data, DWORD keyState, CPoint point);
    // Takes the drop highlight away.
    virtual void DragLeave();
    // Pastes the text at the highlighted cell (PasteText, the pasted cells not selected).
    virtual BOOL Drop(COleDataObject* data, DROPEFFECT effect, CPoint point);
    // A picture of the focus cell for a drag: an image list of one masked image of the cell's
    // size (returned in size), the cell drawn on the ordinary default cell's back colour, which
    // is the mask (what the cell leaves unpainted shows through). Null when there is no focus
    // cell shown or no image list. The grid's own drags show none; a caller gives it to
    // COleDataSource::SetDragImage.
    virtual std::unique_ptr<CImageList> MakeDragImage(CPoint* size);

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
    // While a print job runs (BeginPrint to EndPrint): the width of single-line text in font
    // (null: the printer font) as the screen measures it, in pixels, which is what columns
    // are fitted to. 0 outside a job.
    int ScreenTextWidth(const CFont* font, const std::string& text);

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
    // The mouse: presses select cells, rows or columns (from the anchor with Shift, adding to
    // the selection with Ctrl), a press on the focus cell's text edits it on release, presses
    // on dividers in the fixed rows and columns size the column or row, a moved press on a
    // selected cell drags it.
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnLButtonDblClk(UINT nFlags, CPoint point) override;
    void OnRButtonDown(UINT nFlags, CPoint point) override;
    // The selection follows the mouse held beyond the window (AutoScrollTimerId).
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnCaptureChanged(CWnd* pWnd) override;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
    // Lines (WheelScrollLines a notch, pages for -1); what does not make a whole line is kept
    // for the next turn.
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
    // Whether the point lies on a divider between columns in the fixed rows (between rows in
    // the fixed columns), within ResizeMargin.
    BOOL IsOverColumnDivider(CPoint point) const;
    BOOL IsOverRowDivider(CPoint point) const;
    // A press on a fixed cell: a heading selects its column (row), the corner all.
    virtual void ClickInFixedRow(const CCellID& cell);
    virtual void ClickInFixedColumn(const CCellID& cell);
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
    CPoint pressPoint_;
    CPoint lastMouse_;
    BOOL leftButtonDown_ = FALSE;
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
    // Whether a client point lies on the text of the cell.
    bool PointInCellText(int row, int col, CPoint point) const;
    // The 2-pixel inverted line of a divider being dragged, at x (columns) or y (rows).
    void InvertSizingLine(int at);
    // Ends a divider's drag: the line goes; at a point that moved, the column or row takes it.
    void EndSizing(CPoint point);
    void ReleaseOwnCapture();

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
    // The divider being dragged: the column (row) sized and its left (top) edge.
    int sizedIndex_ = -1;
    int sizedEdge_ = 0;
    bool releasingCapture_ = false;  // the grid gives the capture up itself
    bool quietPress_ = false;        // the press unselected a cell with Ctrl
    int wheelRemainder_ = 0;         // of delta x lines, less than a line (120)
    // The virtual mode's record and cell, filled by every CellAt.
    mutable GridDisplayInfo virtualInfo_;
    mutable CGridCell virtualCell_;
    // The system colours the default cells took (so a change keeps the owner's colours).
    COLORREF windowText_ = 0;
    COLORREF window_ = 0;
    COLORREF buttonFace_ = 0;
    COLORREF buttonShadow_ = 0;
};
