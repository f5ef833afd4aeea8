// The records a grid exchanges with its owner: the item by which owners fill cells (and by
// which the virtual mode and the in-place editor report one), the notifications with their
// codes, and the owner's callbacks.
#pragma once

#include "controls/CellRange.h"

#include "platform/DeviceContext.h"
#include "platform/Window.h"

#include <string>

class CGridCellBase;

// Which fields of a GridItem apply.
constexpr UINT ItemMaskText = 0x001;
constexpr UINT ItemMaskImage = 0x002;
constexpr UINT ItemMaskData = 0x004;
constexpr UINT ItemMaskState = 0x008;  // through SetCellState, so the selection follows
constexpr UINT ItemMaskBackColor = 0x010;
constexpr UINT ItemMaskTextColor = 0x020;
constexpr UINT ItemMaskFormat = 0x040;
constexpr UINT ItemMaskFont = 0x080;
constexpr UINT ItemMaskMargin = 0x100;

struct GridItem
{
    int row = 0;
    int column = 0;
    UINT mask = 0;
    UINT state = 0;
    UINT format = 0;  // DrawText flags
    int image = -1;
    COLORREF backColor = 0;
    COLORREF textColor = 0;
    LPARAM data = 0;
    LOGFONT font;
    int margin = 0;
    std::string text;  // Windows-1252
};

// Notification codes of WM_NOTIFY from a grid (and NM_CLICK, NM_DBLCLK, NM_RCLICK).
constexpr int GridNotifySelChanging = -100;  // the selection is about to change
constexpr int GridNotifySelChanged = -101;   // it changed (the focus cell's row and column)
constexpr int GridNotifyBeginEdit = -105;    // a cell's text is about to change: a negative reply refuses
constexpr int GridNotifyEndEdit = -106;      // the new text is in the cell: a negative reply restores the old
constexpr int GridNotifyBeginDrag = -109;
constexpr int GridNotifyCacheHint = -113;    // virtual mode: the block about to be read, or none when done
constexpr int GridNotifyGetDispInfo = -150;  // virtual mode: the owner fills the item of one cell

struct GridNotify
{
    NMHDR hdr;
    int row = -1;
    int column = -1;
};

struct GridDisplayInfo
{
    NMHDR hdr;
    GridItem item;
};

struct GridCacheHint
{
    NMHDR hdr;
    CellRange range;
};

// The virtual mode's supplier of cell items, used instead of GridNotifyGetDispInfo: fills
// info->item; the result is not used.
using CellDataCallback = BOOL (*)(GridDisplayInfo* info, LPARAM param);
// Orders two cells for sorting (negative, 0, positive); either may be null.
using CellCompareFunc = int (*)(const CGridCellBase* first, const CGridCellBase* second, LPARAM param);
