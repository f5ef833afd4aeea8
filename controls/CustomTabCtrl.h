// The tab control of a tabbed view host: the layer's tab control whose left clicks can be
// handed to another window first.
#pragma once

#include "platform/TabControl.h"

namespace CustomTabLib {

class CCustomTabCtrl : public CMFCTabCtrl
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // With a target, a left-button press on the control is sent at once to the target as
    // WM_LBUTTONDOWN with the same flags and the point in the control's client coordinates,
    // and the control does nothing more; without one, the control selects the tab.
    void OnLButtonDown(UINT nFlags, CPoint point) override;

    // Null, or the window that decides about the control's clicks (the hosting view).
    CWnd* ClickTarget = nullptr;
};

}  // namespace CustomTabLib
