// The title tip a grid lays over a cell whose text does not fit. The grid owns one and hides it
// before it scrolls or edits; showing it comes with the grid's mouse handling.
#pragma once

#include "platform/Window.h"

// The window class of title tips.
constexpr const char* TitleTipWindowClass = "ZTitleTip";

class CTitleTip : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // The grid whose cells the tip shows.
    void SetParentWnd(CWnd* parent) { parent_ = parent; }
    CWnd* GetParentWnd() const { return parent_; }
    // Hides the tip (a tip is never shown yet, so there is nothing to hide).
    void Hide() {}

private:
    CWnd* parent_ = nullptr;
};
