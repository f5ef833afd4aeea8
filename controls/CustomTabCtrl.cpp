#include "controls/CustomTabCtrl.h"

namespace CustomTabLib {

const CRuntimeClass CCustomTabCtrl::Runtime{"CCustomTabCtrl", &CMFCTabCtrl::Runtime,
                                            &CreateRuntimeObject<CCustomTabCtrl>};

void CCustomTabCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (ClickTarget) {
        ClickTarget->SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(point.x, point.y));
        return;
    }
    CMFCTabCtrl::OnLButtonDown(nFlags, point);
}

}  // namespace CustomTabLib
