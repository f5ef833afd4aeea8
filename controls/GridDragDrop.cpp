// Dragging the grid's selected cells out as text, and text dropped on a cell.
#include "controls/GridCtrl.h"

#include "platform/DeviceContext.h"
#include "platform/ImageList.h"

#include <QImage>

void CGridCtrl::BeginDrag()
{
    if (!DragAndDrop) return;
    const auto source = CopySelection();
    if (!source) return;
    const CCellID topLeft = GetSelectedRange().TopLeft();
    SendNotify(topLeft.row, topLeft.col, GridNotifyBeginDrag);
    MouseMode = MouseModeDragging;
    leftButtonDown_ = FALSE;
    const auto life = LifeToken();
    const DROPEFFECT effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE, this);
    if (life.expired()) return;
    if (effect & DROPEFFECT_MOVE) ClearSelectedCells();
}

DROPEFFECT CGridCtrl::DragEnter(COleDataObject* data, DWORD keyState, CPoint point)
{
    if (!DragAndDrop || !data || !data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    dropCell_ = CellFromPoint(point, FALSE);
    if (!IsValid(dropCell_) || !Editable || (CellState(dropCell_.row, dropCell_.col) & CellStateReadOnly))
        return DROPEFFECT_NONE;
    SetCellState(dropCell_.row, dropCell_.col, CellState(dropCell_.row, dropCell_.col) | CellStateDropHighlighted);
    RedrawCell(dropCell_.row, dropCell_.col);
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DROPEFFECT CGridCtrl::DragOver(COleDataObject* data, DWORD keyState, CPoint point)
{
    if (!DragAndDrop || !Editable || !data || !data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    const CCellID cell = CellFromPoint(point, FALSE);
    if (!IsValid(cell)) {
        DragLeave();
        dropCell_ = CCellID();
        return DROPEFFECT_NONE;
    }
    if (CellState(cell.row, cell.col) & CellStateReadOnly) return DROPEFFECT_NONE;
    if (cell != dropCell_) {
        if (IsValid(dropCell_)) {
            SetCellState(dropCell_.row, dropCell_.col,
                         CellState(dropCell_.row, dropCell_.col) & ~CellStateDropHighlighted);
            RedrawCell(dropCell_.row, dropCell_.col);
        }
        dropCell_ = cell;
        SetCellState(cell.row, cell.col, CellState(cell.row, cell.col) | CellStateDropHighlighted);
        RedrawCell(cell.row, cell.col);
    }
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CGridCtrl::DragLeave()
{
    if (!IsValid(dropCell_)) return;
    SetCellState(dropCell_.row, dropCell_.col, CellState(dropCell_.row, dropCell_.col) & ~CellStateDropHighlighted);
    RedrawCell(dropCell_.row, dropCell_.col);
}

BOOL CGridCtrl::Drop(COleDataObject* data, DROPEFFECT, CPoint)
{
    MouseMode = MouseModeIdle;
    if (!DragAndDrop || !Editable) return FALSE;
    if (!IsValid(dropCell_) || (CellState(dropCell_.row, dropCell_.col) & CellStateReadOnly)) return FALSE;
    DragLeave();
    return PasteText(dropCell_.row, dropCell_.col, data, FALSE);
}

std::unique_ptr<CImageList> CGridCtrl::MakeDragImage(CPoint* size)
{
    CRect rect;
    if (!GetCellRect(focusCell_.row, focusCell_.col, &rect)) return nullptr;
    const int width = rect.Width() + 1;
    const int height = rect.Height() + 1;
    if (size) *size = CPoint(width, height);
    auto list = std::make_unique<CImageList>();
    if (!list->Create(width, height, ILC_MASK, 1, 1)) return nullptr;
    // What the cell leaves unpainted takes the mask colour, so it shows through.
    const COLORREF mask = defaultCell_.GetBackColor();
    QImage picture(width, height, QImage::Format_RGB32);
    picture.setDotsPerMeterX(DragImageDotsPerMeter);
    picture.setDotsPerMeterY(DragImageDotsPerMeter);
    picture.fill(QColor(GetRValue(mask), GetGValue(mask), GetBValue(mask)));
    {
        CDC dc(&picture);
        if (CGridCellBase* cell = CellAt(focusCell_.row, focusCell_.col))
            cell->Draw(&dc, focusCell_.row, focusCell_.col, CRect(0, 0, width - 1, height - 1), FALSE);
    }
    if (list->Add(picture, mask) < 0) return nullptr;
    return list;
}
