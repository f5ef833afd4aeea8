#include "controls/GridDropTarget.h"

#include "controls/GridCtrl.h"

BOOL CGridDropTarget::Register(CGridCtrl* grid)
{
    // Registering makes windows: a size message that arrives meanwhile does not register again.
    static bool inside = false;
    if (inside || !grid || !grid->GetSafeHwnd() || registered_) return FALSE;
    inside = true;
    const BOOL done = COleDropTarget::Register(grid);
    if (done) {
        grid_ = grid;
        registered_ = TRUE;
    }
    inside = false;
    return done;
}

void CGridDropTarget::Revoke()
{
    registered_ = FALSE;
    grid_ = nullptr;
    COleDropTarget::Revoke();
}

bool CGridDropTarget::ForGrid(const CWnd* window) const
{
    return grid_ && window == grid_;
}

DROPEFFECT CGridDropTarget::OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point)
{
    return ForGrid(window) ? grid_->DragEnter(data, keyState, point) : DROPEFFECT_NONE;
}

DROPEFFECT CGridDropTarget::OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point)
{
    return ForGrid(window) ? grid_->DragOver(data, keyState, point) : DROPEFFECT_NONE;
}

void CGridDropTarget::OnDragLeave(CWnd* window)
{
    if (ForGrid(window)) grid_->DragLeave();
}

BOOL CGridDropTarget::OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT effect, CPoint point)
{
    return ForGrid(window) ? grid_->Drop(data, effect, point) : FALSE;
}

DROPEFFECT CGridDropTarget::OnDragScroll(CWnd* window, DWORD keyState, CPoint)
{
    if (!ForGrid(window)) return DROPEFFECT_NONE;
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}
