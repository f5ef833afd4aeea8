// The grid's text exchange with the clipboard: copying the selection, pasting text into a
// block of cells through the owner's checks, and the Edit commands.
#include "controls/GridCtrl.h"

#include <string_view>

namespace {

constexpr char FieldSeparator = '\t';
constexpr const char* RowSeparator = "\r\n";
// Pasted fields end at either; so a comma never gets into a cell by paste.
constexpr const char* PasteSeparators = "\t,";
constexpr const char* PasteWhiteSpace = " \t\r\n\v\f";

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(PasteWhiteSpace);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(PasteWhiteSpace);
    return text.substr(first, last - first + 1);
}

}  // namespace

std::unique_ptr<COleDataSource> CGridCtrl::CopySelection()
{
    const CellRange range = GetSelectedRange();
    if (!range.IsValid()) return nullptr;
    if (VirtualMode) SendCacheHint(range);
    std::string text;
    bool firstRow = true;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        if (RowHeight(row) == 0) continue;
        if (!firstRow) text += RowSeparator;
        firstRow = false;
        bool firstField = true;
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            if (ColumnWidth(col) == 0) continue;
            if (!firstField) text += FieldSeparator;
            firstField = false;
            if (IsCellSelected(row, col)) {
                if (const CGridCellBase* cell = CellAt(row, col)) text += cell->GetText();
            }
        }
    }
    if (VirtualMode) SendCacheHint(CellRange());
    auto source = std::make_unique<COleDataSource>();
    source->CacheText(std::move(text));
    return source;
}

BOOL CGridCtrl::PasteText(int row, int col, COleDataObject* data, BOOL selectPasted)
{
    if (!IsValid(row, col) || !Editable || (CellState(row, col) & CellStateReadOnly)) return FALSE;
    if (!data || !data->IsDataAvailable(CF_TEXT)) return FALSE;
    std::string buffer;
    if (!data->GetText(&buffer)) return FALSE;
    std::string_view text(buffer);
    text = text.substr(0, text.find('\0'));

    int maxRow = -1;
    int maxCol = -1;
    int lineNumber = 0;
    std::string line;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        const bool broken = end != std::string_view::npos;
        // The line without its CR; one that a break ends keeps a CR's worth of "rest", so that
        // its trailing separator (or the empty line itself) clears a cell as in CR LF text.
        line.assign(text.substr(start, broken ? end - start : std::string_view::npos));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (broken) line.push_back('\r');

        int r = row + lineNumber;
        while (r < rowCount_ && RowHeight(r) == 0) {
            ++lineNumber;
            ++r;
        }
        int field = 0;
        for (std::size_t pos = 0; pos < line.size();) {
            const std::size_t separator = line.find_first_of(PasteSeparators, pos);
            const std::string_view value = std::string_view(line).substr(
                pos, separator == std::string::npos ? std::string::npos : separator - pos);
            pos = separator == std::string::npos ? line.size() : separator + 1;
            int c = col + field;
            while (c < colCount_ && ColumnWidth(c) == 0) {
                ++field;
                ++c;
            }
            if (r < rowCount_ && c < colCount_) {
                SetCellTextChecked(r, c, std::string(Trim(value)));
                SetCellState(r, c, CellState(r, c) & ~CellStateSelected);
                maxRow = std::max(maxRow, r);
                maxCol = std::max(maxCol, c);
            }
            ++field;
        }
        ++lineNumber;
        if (!broken) break;
        start = end + 1;
    }
    if (selectPasted) {
        SetSelectedRange(row, col, maxRow, maxCol, TRUE, TRUE);
    } else {
        ClearSelection();
        RedrawAll();
    }
    return TRUE;
}

void CGridCtrl::OnEditCopy()
{
    if (const auto source = CopySelection()) source->SetClipboard();
}

void CGridCtrl::OnEditCut()
{
    if (!Editable) return;
    if (const auto source = CopySelection()) source->SetClipboard();
    ClearSelectedCells();
}

void CGridCtrl::OnEditPaste()
{
    if (!Editable) return;
    const CellRange selected = GetSelectedRange();
    CCellID target = selected.IsValid()    ? selected.TopLeft()
                     : IsValid(focusCell_) ? focusCell_
                                           : TopLeftScrollableCell();
    if (!IsValid(target)) return;
    if (const CGridCellBase* cell = CellAt(target.row, target.col); cell && cell->IsEditing()) {
        if (CWnd* editor = cell->GetEditWnd(); editor && editor->IsKindOf(&CEdit::Runtime)) {
            editor->SendMessage(WM_PASTE);
            return;
        }
    }
    COleDataObject clipboard;
    clipboard.AttachClipboard();
    PasteText(target.row, target.col, &clipboard, TRUE);
}

void CGridCtrl::OnUpdateEditCopy(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(AnyCellSelected());
}

void CGridCtrl::OnUpdateEditCut(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(Editable && AnyCellSelected());
}

void CGridCtrl::OnUpdateEditPaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsValid(focusCell_) && Editable &&
                   !(CellState(focusCell_.row, focusCell_.col) & CellStateReadOnly) && ClipboardHasText());
}

void CGridCtrl::OnUpdateEditSelectAll(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SelectionEnabled);
}
