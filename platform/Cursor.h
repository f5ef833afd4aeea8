// Mouse cursors: the program's cursor resources (pictures with a hot spot), the standard
// arrow, and what a window shows while the pointer is over it.
//
// As in the window system, a custom-drawn window under the pointer is sent WM_SETCURSOR before
// each mouse move and button press (while no window holds the capture); its handler, or the
// default processing (which asks the parent first and then shows the arrow), calls SetCursor.
#pragma once

#include "platform/WinTypes.h"

class CWnd;
class QCursor;
class QPoint;

struct CursorHandleTag;
using HCURSOR = const CursorHandleTag*;

// Standard cursors of LoadStandardCursor.
constexpr UINT IDC_ARROW = 32512;
constexpr UINT IDC_SIZEWE = 32644;  // a double arrow left and right
constexpr UINT IDC_SIZENS = 32645;  // a double arrow up and down

// The cursor of the cursor resource id (platform/Resources.h), made once and kept for the
// program's life; null when no such resource is registered or its picture does not decode.
// Needs the Qt application.
HCURSOR LoadCursor(UINT resourceId);
// A standard cursor (IDC_ARROW, IDC_SIZEWE, IDC_SIZENS); null for any other id.
HCURSOR LoadStandardCursor(UINT standardId);
// Shows cursor while the pointer is over the window it applies to: the window whose
// WM_SETCURSOR is being handled, else the window holding the capture, else the custom-drawn
// window the pointer last moved over. Null shows no cursor there. Returns the cursor shown
// before (null at first).
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// The pointer's place on the screen when the last mouse message came (0, 0 before any).
BOOL GetCursorPos(CPoint* point);

// Called by the layer's windows (not for the program's own use).
namespace cursor_detail {
// A mouse event reached window at a place on the screen.
void NotePointer(CWnd* window, const QPoint& screen);
// The Qt cursor of a handle; the blank cursor for null.
QCursor Shape(HCURSOR cursor);
}  // namespace cursor_detail
