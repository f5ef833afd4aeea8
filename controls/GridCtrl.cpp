// The grid's object model: construction and its window, counts and sizes, the cells and the
// items that fill them, and the modified marks.
#include "controls/GridCtrl.h"

#include "platform/SystemInfo.h"
#include "platform/WindowClass.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <vector>

const CRuntimeClass CGridCtrl::Runtime{"CGridCtrl", &CWnd::Runtime, &CreateRuntimeObject<CGridCtrl>};

namespace {

// The lines a notch of the wheel scrolls when the system cannot say.
constexpr int DefaultWheelScrollLines = 3;

// Registers a window class unless one of the name exists; TRUE when it exists after.
BOOL EnsureWindowClass(const char* name, UINT style)
{
    if (GetClassInfo(name)) return TRUE;
    WNDCLASS wc;
    wc.style = style;
    wc.lpszClassName = name;
    return RegisterClass(&wc);
}

// Unsets bits and sets others of a cell's state directly (no selection involved).
void ChangeState(CGridCellBase* cell, UINT remove, UINT add)
{
    if (cell) cell->SetState((cell->GetState() & ~remove) | add);
}

}  // namespace

CGridCtrl::CGridCtrl(int, int, int, int)
{
    for (CGridDefaultCell* cell : {&defaultCell_, &defaultFixedCol_, &defaultFixedRow_, &defaultCorner_})
        cell->SetGrid(this);
    EnsureWindowClass(TitleTipWindowClass, CS_SAVEBITS);
    RegisterWindowClass();

    RememberSystemColours();
    UINT lines = 0;
    WheelScrollLines = SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) ? int(lines) : DefaultWheelScrollLines;
    defaultCell_.SetTextColor(windowText_);
    defaultCell_.SetBackColor(window_);
    for (CGridDefaultCell* cell : {&defaultFixedCol_, &defaultFixedRow_, &defaultCorner_}) {
        cell->SetTextColor(windowText_);
        cell->SetBackColor(buttonFace_);
    }
    BackgroundColor = buttonShadow_;
    virtualCell_.SetGrid(this);

    SetNumRows(0);
    SetNumColumns(0);
    SetNumFixedRows(0);
    SetNumFixedColumns(0);

    MapMessage(WM_SETFONT, &CGridCtrl::OnSetFont);
    MapMessage(WM_GETFONT, &CGridCtrl::OnGetFont);
    MapMessage(WM_IME_CHAR, &CGridCtrl::OnImeChar);
    MapNotify(GridNotifyEndEdit, InPlaceEditId, &CGridCtrl::OnInPlaceEditEnd);
    MapCommand(ID_EDIT_SELECT_ALL, &CGridCtrl::OnEditSelectAll);
    MapCommand(ID_EDIT_COPY, &CGridCtrl::OnEditCopy);
    MapCommand(ID_EDIT_CUT, &CGridCtrl::OnEditCut);
    MapCommand(ID_EDIT_PASTE, &CGridCtrl::OnEditPaste);
    MapUpdate(ID_EDIT_COPY, &CGridCtrl::OnUpdateEditCopy);
    MapUpdate(ID_EDIT_CUT, &CGridCtrl::OnUpdateEditCut);
    MapUpdate(ID_EDIT_PASTE, &CGridCtrl::OnUpdateEditPaste);
    MapUpdate(ID_EDIT_SELECT_ALL, &CGridCtrl::OnUpdateEditSelectAll);
}

CGridCtrl::~CGridCtrl()
{
    RemoveAll();
    if (TitleTips && titleTip_.GetSafeHwnd()) titleTip_.DestroyWindow();
    DestroyWindow();
}

void CGridCtrl::RememberSystemColours()
{
    windowText_ = GetSysColor(COLOR_WINDOWTEXT);
    window_ = GetSysColor(COLOR_WINDOW);
    buttonFace_ = GetSysColor(COLOR_BTNFACE);
    buttonShadow_ = GetSysColor(COLOR_BTNSHADOW);
}

BOOL CGridCtrl::RegisterWindowClass()
{
    return EnsureWindowClass(GridWindowClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
}

void CGridCtrl::PreSubclassWindow()
{
    static bool inside = false;
    if (inside) return;
    inside = true;
    CWnd::PreSubclassWindow();
    titleTip_.SetParentWnd(this);
    ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    // Moved out and back so that the new frame is drawn.
    CRect rect;
    GetWindowRect(&rect);
    if (CWnd* parent = GetParent()) {
        CPoint topLeft = rect.TopLeft();
        CPoint bottomRight = rect.BottomRight();
        parent->ScreenToClient(&topLeft);
        parent->ScreenToClient(&bottomRight);
        rect = CRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }
    rect.InflateRect(1, 1);
    MoveWindow(rect, TRUE);
    rect.DeflateRect(1, 1);
    MoveWindow(rect, TRUE);
    inside = false;
}

LRESULT CGridCtrl::OnSetFont(WPARAM hFont, LPARAM)
{
    const LRESULT result = Default();
    if (CFont* font = CFont::FromHandle(reinterpret_cast<HFONT>(hFont))) {
        LOGFONT lf;
        font->GetLogFont(&lf);
        for (CGridDefaultCell* cell : {&defaultCell_, &defaultFixedCol_, &defaultFixedRow_, &defaultCorner_})
            cell->SetFont(&lf);
    }
    if (AllowDraw) Invalidate();
    return result;
}

LRESULT CGridCtrl::OnGetFont(WPARAM, LPARAM)
{
    CFont* font = defaultCell_.GetFontObject();
    return font ? LRESULT(font->GetSafeHandle()) : 0;
}

// ----- Counts and sizes.

BOOL CGridCtrl::SetNumRows(int rows)
{
    if (rows < 0) return FALSE;
    if (rows == rowCount_) return TRUE;
    ForgetTopLeft();
    fixedRows_ = std::min(fixedRows_, rows);
    if (focusCell_.row >= rows) SetFocusCell(-1, -1);
    BOOL result = TRUE;
    if (rows < rowCount_) {
        if (!VirtualMode) {
            for (int r = rows; r < rowCount_; ++r) {
                for (int c = 0; c < colCount_; ++c) DeleteCell(r, c);
            }
            rows_.resize(std::size_t(rows));
        }
        rowCount_ = rows;
    } else if (VirtualMode) {
        rowCount_ = rows;
    } else {
        // Row by row: memory that runs out keeps the rows made so far, each whole.
        try {
            rows_.reserve(std::size_t(rows));
            while (rowCount_ < rows) {
                auto row = std::vector<std::unique_ptr<CGridCellBase>>(std::size_t(colCount_));
                for (int c = 0; c < colCount_; ++c) row[std::size_t(c)].reset(NewCell(rowCount_, c));
                rows_.push_back(std::move(row));
                ++rowCount_;
            }
        } catch (const std::bad_alloc&) {
            result = FALSE;
        }
    }
    try {
        rowHeights_.Resize(rowCount_, defaultCell_.GetHeight());
    } catch (const std::bad_alloc&) {
        // No heights for the new rows: they go again.
        if (!VirtualMode) rows_.resize(std::size_t(rowHeights_.Count()));
        rowCount_ = rowHeights_.Count();
        result = FALSE;
    }
    MarkModified(TRUE, -1, -1);
    UpdateScrollBars();
    if (AllowDraw) Invalidate();
    return result;
}

BOOL CGridCtrl::SetNumColumns(int cols)
{
    if (cols < 0) return FALSE;
    if (cols == colCount_) return TRUE;
    ForgetTopLeft();
    fixedCols_ = std::min(fixedCols_, cols);
    if (focusCell_.col >= cols) SetFocusCell(-1, -1);
    BOOL result = TRUE;
    const int old = colCount_;
    try {
        if (!VirtualMode) {
            if (cols < old) {
                for (int r = 0; r < rowCount_; ++r) {
                    for (int c = cols; c < old; ++c) DeleteCell(r, c);
                    rows_[std::size_t(r)].resize(std::size_t(cols));
                }
            } else {
                for (int r = 0; r < rowCount_; ++r) {
                    auto& row = rows_[std::size_t(r)];
                    row.reserve(std::size_t(cols));
                    for (int c = old; c < cols; ++c) row.emplace_back(NewCell(r, c));
                }
            }
        }
        colWidths_.Resize(cols, defaultFixedCol_.GetWidth());
        colCount_ = cols;
    } catch (const std::bad_alloc&) {
        // Memory ran out while adding: the grid keeps the columns it had.
        for (auto& row : rows_) {
            if (int(row.size()) > old) row.resize(std::size_t(old));
        }
        result = FALSE;
    }
    MarkModified(TRUE, -1, -1);
    UpdateScrollBars();
    if (AllowDraw) Invalidate();
    return result;
}

BOOL CGridCtrl::SetNumFixedRows(int fixedRows)
{
    if (fixedRows < 0) return FALSE;
    if (fixedRows == fixedRows_) return TRUE;
    savedSelection_.Clear();
    SetSelectedRange(-1, -1, -1, -1, FALSE, TRUE);
    SetFocusCell(-1, -1);
    ForgetTopLeft();
    if (rowCount_ < fixedRows && !SetNumRows(fixedRows)) return FALSE;
    if (!VirtualMode) {
        if (fixedRows > fixedRows_) {
            for (int r = fixedRows_; r < fixedRows; ++r) {
                for (int c = 0; c < colCount_; ++c) {
                    CGridCellBase* cell = StoredCell(r, c);
                    ChangeState(cell, 0, CellStateFixed | CellStateFixedRow);
                    if (cell) {
                        cell->SetTextColor(ColorDefault);
                        cell->SetBackColor(ColorDefault);
                    }
                }
            }
        } else {
            for (int r = fixedRows; r < fixedRows_; ++r) {
                for (int c = 0; c < colCount_; ++c) {
                    CGridCellBase* cell = StoredCell(r, c);
                    if (c < fixedCols_) {
                        ChangeState(cell, CellStateFixedRow, 0);
                    } else if (cell) {
                        ChangeState(cell, CellStateFixed | CellStateFixedRow, 0);
                        cell->SetTextColor(ColorDefault);
                        cell->SetBackColor(ColorDefault);
                    }
                }
            }
        }
    }
    fixedRows_ = fixedRows;
    UpdateScrollBars();
    if (AllowDraw) Invalidate();
    return TRUE;
}

BOOL CGridCtrl::SetNumFixedColumns(int fixedCols)
{
    if (fixedCols < 0) return FALSE;
    if (fixedCols == fixedCols_) return TRUE;
    if (colCount_ < fixedCols && !SetNumColumns(fixedCols)) return FALSE;
    if (focusCell_.col >= 0 && focusCell_.col < fixedCols) SetFocusCell(-1, -1);
    savedSelection_.Clear();
    SetSelectedRange(-1, -1, -1, -1, FALSE, TRUE);
    SetFocusCell(-1, -1);
    ForgetTopLeft();
    if (!VirtualMode) {
        if (fixedCols > fixedCols_) {
            for (int r = 0; r < rowCount_; ++r) {
                for (int c = fixedCols_; c < fixedCols; ++c) {
                    CGridCellBase* cell = StoredCell(r, c);
                    ChangeState(cell, 0, CellStateFixed | CellStateFixedCol);
                    if (cell) {
                        cell->SetTextColor(ColorDefault);
                        cell->SetBackColor(ColorDefault);
                    }
                }
            }
        } else {
            for (int r = 0; r < rowCount_; ++r) {
                for (int c = fixedCols; c < fixedCols_; ++c) {
                    CGridCellBase* cell = StoredCell(r, c);
                    if (r < fixedRows_) {
                        ChangeState(cell, CellStateFixedCol, 0);
                    } else if (cell) {
                        ChangeState(cell, CellStateFixed | CellStateFixedCol, 0);
                        cell->SetTextColor(ColorDefault);
                        cell->SetBackColor(ColorDefault);
                    }
                }
            }
        }
    }
    fixedCols_ = fixedCols;
    UpdateScrollBars();
    if (AllowDraw) Invalidate();
    return TRUE;
}

BOOL CGridCtrl::RemoveAll()
{
    savedSelection_.Clear();
    SetSelectedRange(-1, -1, -1, -1, FALSE, TRUE);
    SetFocusCell(-1, -1);
    colWidths_.Clear();
    rowHeights_.Clear();
    if (!VirtualMode) {
        for (int r = 0; r < rowCount_; ++r) {
            for (int c = 0; c < colCount_; ++c) DeleteCell(r, c);
        }
        rows_.clear();
    }
    selected_.Clear();
    focusCell_ = CCellID();
    rowCount_ = colCount_ = fixedRows_ = fixedCols_ = 0;
    ForgetTopLeft();
    UpdateScrollBars();
    MarkModified(TRUE, -1, -1);
    return TRUE;
}

BOOL CGridCtrl::SetRowHeight(int row, int height)
{
    if (row < 0 || row >= rowCount_) return FALSE;
    rowHeights_.SetSize(row, height);
    ForgetTopLeft();
    return TRUE;
}

BOOL CGridCtrl::SetColumnWidth(int col, int width)
{
    if (col < 0 || col >= colCount_) return FALSE;
    colWidths_.SetSize(col, width);
    ForgetTopLeft();
    return TRUE;
}

// ----- Cells.

CGridCellBase* CGridCtrl::StoredCell(int row, int col) const
{
    if (!IsValid(row, col) || VirtualMode) return nullptr;
    return rows_[std::size_t(row)][std::size_t(col)].get();
}

CGridCellBase* CGridCtrl::CellAt(int row, int col) const
{
    if (!IsValid(row, col)) return nullptr;
    if (!VirtualMode) {
        MarksMayBeSet();  // the caller may change the cell's state
        return rows_[std::size_t(row)][std::size_t(col)].get();
    }
    const bool fixedRow = row < fixedRows_;
    const bool fixedCol = col < fixedCols_;
    const CGridDefaultCell* defaults = GetDefaultCell(fixedRow, fixedCol);
    GridItem& item = virtualInfo_.item;
    item = GridItem();
    item.row = row;
    item.column = col;
    item.mask = 0xFFFFFFFF;
    item.state = 0;
    if (IsCellSelected(row, col)) item.state |= CellStateSelected;
    if (fixedRow) item.state |= CellStateFixed | CellStateFixedRow;
    if (fixedCol) item.state |= CellStateFixed | CellStateFixedCol;
    if (CCellID(row, col) == focusCell_) item.state |= CellStateFocused;
    item.format = defaults->GetFormat();
    item.image = defaults->GetImage();
    item.backColor = defaults->GetBackColor();
    item.textColor = defaults->GetTextColor();
    item.data = defaults->GetData();
    if (const LOGFONT* font = defaults->GetFont()) item.font = *font;
    item.margin = defaults->GetMargin();
    if (DataCallback) {
        DataCallback(&virtualInfo_, DataCallbackParam);
    } else if (GetSafeHwnd()) {
        virtualInfo_.hdr.hwndFrom = GetSafeHwnd();
        virtualInfo_.hdr.idFrom = UINT_PTR(GetDlgCtrlID());
        virtualInfo_.hdr.code = GridNotifyGetDispInfo;
        if (CWnd* owner = GetOwner()) owner->SendMessage(WM_NOTIFY, WPARAM(GetDlgCtrlID()), LPARAM(&virtualInfo_));
    }
    virtualCell_.SetState(item.state);
    virtualCell_.SetFormat(item.format);
    virtualCell_.SetImage(item.image);
    virtualCell_.SetBackColor(item.backColor);
    virtualCell_.SetTextColor(item.textColor);
    virtualCell_.SetData(item.data);
    virtualCell_.SetFont(&item.font);
    virtualCell_.SetMargin(item.margin);
    virtualCell_.SetText(item.text.c_str());
    virtualCell_.SetGrid(const_cast<CGridCtrl*>(this));
    return &virtualCell_;
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(BOOL fixedRow, BOOL fixedCol) const
{
    const CGridDefaultCell* cell = &defaultCell_;
    if (fixedRow && fixedCol) cell = &defaultCorner_;
    else if (fixedRow) cell = &defaultFixedRow_;
    else if (fixedCol) cell = &defaultFixedCol_;
    return const_cast<CGridDefaultCell*>(cell);
}

CGridCellBase* CGridCtrl::NewCell(int row, int col)
{
    if (!CellClass || !CellClass->IsDerivedFrom(&CGridCellBase::Runtime)) return nullptr;
    CObject* object = CellClass->CreateObject();
    auto* cell = dynamic_cast<CGridCellBase*>(object);
    if (!cell) {
        delete object;
        return nullptr;
    }
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    UINT state = cell->GetState();
    if (col < fixedCols_) state |= CellStateFixed | CellStateFixedCol;
    if (row < fixedRows_) state |= CellStateFixed | CellStateFixedRow;
    cell->SetState(state);
    if (state & CellStateModified) MarksMayBeSet();
    if (const CGridDefaultCell* defaults = cell->GetDefaultCell()) cell->SetFormat(defaults->GetFormat());
    return cell;
}

void CGridCtrl::DeleteCell(int row, int col)
{
    if (!IsValid(row, col) || VirtualMode) return;
    SetCellState(row, col, 0);
    rows_[std::size_t(row)][std::size_t(col)].reset();
}

BOOL CGridCtrl::ApplyItem(const GridItem* item)
{
    if (!item || VirtualMode) return FALSE;
    CGridCellBase* cell = StoredCell(item->row, item->column);
    if (!cell) return FALSE;
    MarkModified(TRUE, item->row, item->column);
    const UINT mask = item->mask;
    if (mask & ItemMaskText) cell->SetText(item->text.c_str());
    if (mask & ItemMaskData) cell->SetData(item->data);
    if (mask & ItemMaskImage) cell->SetImage(item->image);
    if (mask & ItemMaskState) SetCellState(item->row, item->column, item->state);
    if (mask & ItemMaskFormat) cell->SetFormat(item->format);
    if (mask & ItemMaskBackColor) cell->SetBackColor(item->backColor);
    if (mask & ItemMaskTextColor) cell->SetTextColor(item->textColor);
    if (mask & ItemMaskFont) cell->SetFont(&item->font);
    if (mask & ItemMaskMargin) cell->SetMargin(item->margin);
    return TRUE;
}

std::string CGridCtrl::CellText(int row, int col) const
{
    const CGridCellBase* cell = CellAt(row, col);
    return cell ? std::string(cell->GetText()) : std::string();
}

BOOL CGridCtrl::SetCellText(int row, int col, const std::string& text)
{
    CGridCellBase* cell = StoredCell(row, col);
    if (!cell) return FALSE;
    cell->SetText(text.c_str());
    MarkModified(TRUE, row, col);
    return TRUE;
}

BOOL CGridCtrl::FormatCellText(int row, int col, const char* format, ...)
{
    if (!format) return FALSE;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(std::size_t(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(std::size_t(length));
    }
    va_end(args);
    if (length < 0) return FALSE;
    return SetCellText(row, col, text);
}

BOOL CGridCtrl::SetCellTextColor(int row, int col, COLORREF colour)
{
    CGridCellBase* cell = StoredCell(row, col);
    if (!cell) return FALSE;
    cell->SetTextColor(colour);
    return TRUE;
}

BOOL CGridCtrl::SetCellState(int row, int col, UINT state)
{
    if (!IsValid(row, col)) return FALSE;
    // The selected cells are exactly those with the bit: the set follows the new state.
    const bool selectedNow = selected_.Contains(row, col);
    if (selectedNow && !(state & CellStateSelected)) selected_.Erase(row, col);
    else if (!selectedNow && (state & CellStateSelected)) selected_.Insert(row, col);
    if (VirtualMode) return FALSE;
    CGridCellBase* cell = rows_[std::size_t(row)][std::size_t(col)].get();
    if (!cell) return FALSE;
    if (state & CellStateModified) MarksMayBeSet();
    cell->SetState(state);
    return TRUE;
}

UINT CGridCtrl::CellState(int row, int col) const
{
    if (!IsValid(row, col)) return 0;
    if (VirtualMode) return CellAt(row, col)->GetState();
    const CGridCellBase* cell = rows_[std::size_t(row)][std::size_t(col)].get();
    return cell ? cell->GetState() : 0;
}

void CGridCtrl::SetCellTextChecked(int row, int col, const std::string& text)
{
    if (!Editable) return;
    if (!IsValid(row, col) || (CellState(row, col) & CellStateReadOnly)) return;
    if (SendNotify(row, col, GridNotifyBeginEdit) < 0) return;
    StoreCheckedText(row, col, text);
}

void CGridCtrl::StoreCheckedText(int row, int col, const std::string& text)
{
    const std::string old = CellText(row, col);
    if (text == old) return;
    // What the text changes besides the text itself, for a refusal to put back.
    const UINT oldMark = CellState(row, col) & CellStateModified;
    const BOOL oldModified = Modified;
    const int oldSortColumn = SortColumn;
    SetCellText(row, col, text);
    if (ValidateCellText(row, col, text) && SendNotify(row, col, GridNotifyEndEdit) >= 0) {
        MarkModified(TRUE, row, col);
        RedrawCell(row, col);
        return;
    }
    if (CGridCellBase* cell = StoredCell(row, col)) {
        cell->SetText(old.c_str());
        cell->SetState((cell->GetState() & ~CellStateModified) | oldMark);
    }
    Modified = oldModified;
    SortColumn = oldSortColumn;
}

BOOL CGridCtrl::MarkModified(BOOL modified, int row, int col)
{
    if (col < 0 || col == SortColumn) {
        InvalidateCell(0, SortColumn);
        SortColumn = -1;
    }
    BOOL result = FALSE;
    if (row < 0 || col < 0) {
        Modified = modified;
        result = modified;
    } else if (CGridCellBase* cell = StoredCell(row, col)) {
        if (modified) {
            MarksMayBeSet();
            cell->SetState(cell->GetState() | CellStateModified);
            Modified = TRUE;
            result = TRUE;
        } else {
            cell->SetState(cell->GetState() & ~CellStateModified);
            result = Modified;
        }
    } else {
        result = Modified;
    }
    if (!result) ClearAllMarks();
    return result;
}

void CGridCtrl::ClearAllMarks()
{
    if (marksClear_ || VirtualMode) return;
    for (auto& row : rows_) {
        for (auto& cell : row) {
            if (cell) cell->SetState(cell->GetState() & ~CellStateModified);
        }
    }
    marksClear_ = true;
}

BOOL CGridCtrl::ValidateCellText(int row, int col, const std::string& text)
{
    CGridCellBase* cell = CellAt(row, col);
    return cell ? cell->ValidateEdit(text.c_str()) : TRUE;
}
