// The drop target of a grid, registered on the grid's first WM_SIZE: the drags over the grid's
// window go to the grid's DragEnter, DragOver, DragLeave and Drop.
#pragma once

#include "platform/OleData.h"

class CGridCtrl;

class CGridDropTarget : public COleDropTarget
{
public:
    // Registers the grid's window; FALSE when it has none or is registered already.
    BOOL Register(CGridCtrl* grid);
    void Revoke();
    BOOL IsRegistered() const { return registered_; }

    DROPEFFECT OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point) override;
    void OnDragLeave(CWnd* window) override;
    BOOL OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT effect, CPoint point) override;
    // Copy with Ctrl, else move; the grid scrolls by itself.
    DROPEFFECT OnDragScroll(CWnd* window, DWORD keyState, CPoint point) override;

private:
    bool ForGrid(const CWnd* window) const;

    CGridCtrl* grid_ = nullptr;
    BOOL registered_ = FALSE;
};
