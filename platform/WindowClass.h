// Window classes by name: what a dialog template's custom control names (ControlKind::Custom)
// must have been registered first, as the window system requires. The layer keeps only the
// name and the class styles; every registered class is a custom-drawn window.
#pragma once

#include "platform/WinTypes.h"

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_SAVEBITS = 0x0800;

struct WNDCLASS
{
    UINT style = 0;
    const char* lpszClassName = nullptr;
};

// Registers the class under its name (user-interface thread). FALSE for a missing name or a
// name registered already.
BOOL RegisterClass(const WNDCLASS* wndClass);
// TRUE when a class of that name is registered; its record goes to wndClass when given.
BOOL GetClassInfo(const char* className, WNDCLASS* wndClass = nullptr);
