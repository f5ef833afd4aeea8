#include "controls/GridDropTarget.h"

BOOL CGridDropTarget::Register(CGridCtrl*)
{
    return FALSE;
}

void CGridDropTarget::Revoke()
{
    registered_ = FALSE;
    grid_ = nullptr;
}
