// The drop target of a grid, registered on the grid's first WM_SIZE; dragging text into a
// grid comes with the grid's drag and drop, and until then registering leaves it unregistered.
#pragma once

#include "platform/WinTypes.h"

class CGridCtrl;

class CGridDropTarget
{
public:
    // Registers the grid's window as a drop target; FALSE (nothing registered) for now.
    BOOL Register(CGridCtrl* grid);
    void Revoke();
    BOOL IsRegistered() const { return registered_; }

private:
    CGridCtrl* grid_ = nullptr;
    BOOL registered_ = FALSE;
};
