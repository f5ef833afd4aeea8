// The grid's edit cycle: beginning an edit in the in-place editor, committing the text it
// reports with the owner's right to refuse it, and editing on after Tab or a navigation key.
#include "controls/GridCtrl.h"

namespace {

// Keys that end an edit and start the next one on the cell they move to.
bool MovesToNextEdit(UINT key)
{
    return key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN);
}

}  // namespace

void CGridCtrl::BeginCellEdit(int row, int col, CPoint point, UINT firstKey)
{
    if (titleTip_.GetSafeHwnd()) {
        if (GetCapture() == &titleTip_) ReleaseCapture();
        titleTip_.Hide();
    }
    if (!IsValid(row, col) || !Editable) return;
    if (CellState(row, col) & CellStateReadOnly) return;
    ScrollCellIntoView(row, col);
    if (!IsCellVisible(row, col)) return;
    CRect rect;
    if (!GetCellRect(row, col, &rect)) return;
    if (SendNotify(row, col, GridNotifyBeginEdit) < 0) return;
    if (CGridCellBase* cell = CellAt(row, col)) cell->Edit(row, col, rect, point, InPlaceEditId, firstKey);
}

void CGridCtrl::CommitCellEdit(int row, int col, const std::string& text)
{
    StoreCheckedText(row, col, text);
    if (CGridCellBase* cell = CellAt(row, col)) cell->OnEndEdit();
}

void CGridCtrl::FinishEditing()
{
    if (!IsValid(focusCell_)) return;
    if (CGridCellBase* cell = CellAt(focusCell_.row, focusCell_.col)) {
        if (cell->IsEditing()) cell->EndEdit();
    }
}

void CGridCtrl::OnInPlaceEditEnd(NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (!GetSafeHwnd() || !header) return;
    const auto* info = reinterpret_cast<const GridDisplayInfo*>(header);
    const GridItem item = info->item;
    CommitCellEdit(item.row, item.column, item.text);
    const auto key = UINT(item.data);
    if (!MovesToNextEdit(key) || !GetSafeHwnd()) return;
    OnKeyDown(key, 0, 0);
    followOnEdit_ = TRUE;
    BeginCellEdit(focusCell_.row, focusCell_.col, CPoint(-1, -1), key);
    followOnEdit_ = FALSE;
}

void CGridCtrl::ClearSelectedCells()
{
    if (!Editable) return;
    std::vector<CCellID> cells;
    cells.reserve(selected_.Size());
    selected_.ForEach([&](int row, int col) { cells.emplace_back(row, col); });
    for (const CCellID& cell : cells) SetCellTextChecked(cell.row, cell.col, "");
}

void CGridCtrl::OnEditSelectAll()
{
    SendNotify(pressCell_.row, pressCell_.col, GridNotifySelChanging);
    if (SelectionEnabled) SelectAll();
    SendNotify(focusCell_.row, focusCell_.col, GridNotifySelChanged);
}
