// What the grid's tests share: a small dialog that owns a grid and records the grid's
// notifications (with replies the test chooses), a grid whose protected state a test may set,
// and reading the grid's painted pixels.
#pragma once

#include "GuiTestSupport.h"

#include "controls/GridCtrl.h"

#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "platform/WindowSurface.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace gridtest {

constexpr UINT OwnerDialogId = 9471;
constexpr int GridId = 1201;

inline const DialogTemplate OwnerTemplates[] = {
    {.id = OwnerDialogId,
     .caption = "Grid owner",
     .size = {0, 0, 400, 300},
     .controls = {{.id = GridId, .kind = ControlKind::Custom, .rect = {10, 10, 300, 200},
                   .style = WS_VISIBLE | WS_TABSTOP, .className = GridWindowClass}}},
};

// A grid whose tracked cells the tests set as the mouse handling would.
class TestGrid : public CGridCtrl
{
public:
    using CGridCtrl::pressCell_;
};

// One notification the owner received.
struct Heard
{
    int code;
    int row;
    int col;
    std::string text;  // the cell's text when it arrived
};

class OwnerDlg : public CDialog
{
public:
    OwnerDlg() : CDialog(OwnerDialogId)
    {
        static bool registered = false;
        if (!registered) {
            registered = true;
            RegisterResources({.dialogs = OwnerTemplates});
        }
        for (int code : {GridNotifySelChanging, GridNotifySelChanged, GridNotifyBeginEdit, GridNotifyEndEdit,
                         GridNotifyCacheHint, GridNotifyGetDispInfo, NM_CLICK, NM_DBLCLK, GridNotifyBeginDrag})
            MapNotify(code, UINT(GridId), &OwnerDlg::OnGridNotify);
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, GridId, grid); }
    void OnGridNotify(NMHDR* header, LRESULT* result)
    {
        if (header->code == GridNotifyCacheHint) {
            const auto* hint = reinterpret_cast<GridCacheHint*>(header);
            hints.push_back(hint->range);
        } else if (header->code == GridNotifyGetDispInfo) {
            auto* info = reinterpret_cast<GridDisplayInfo*>(header);
            info->item.text = "v" + std::to_string(info->item.row) + "," + std::to_string(info->item.column);
            ++dispInfos;
        } else {
            const auto* notify = reinterpret_cast<GridNotify*>(header);
            heard.push_back({header->code, notify->row, notify->column, grid.CellText(notify->row, notify->column)});
            if (header->code == GridNotifyEndEdit && onEndEdit) {
                *result = onEndEdit(notify->row, notify->column);
                return;
            }
        }
        const auto reply = replies.find(header->code);
        *result = reply == replies.end() ? 0 : reply->second;
    }
    bool Heard(int code) const
    {
        for (const auto& h : heard) {
            if (h.code == code) return true;
        }
        return false;
    }

    TestGrid grid;
    std::vector<gridtest::Heard> heard;
    std::vector<CellRange> hints;
    int dispInfos = 0;
    std::map<int, LRESULT> replies;  // by notification code; 0 when not given
    // When set, answers GridNotifyEndEdit (and may rewrite the cell) in place of replies.
    std::function<LRESULT(int row, int col)> onEndEdit;
};

// A grid in its owner dialog, its window a known size (the client 4 pixels smaller each way
// for the sunken edge), painted and settled.
class GridFixture : public ::testing::Test
{
protected:
    static constexpr int WindowWidth = 304;
    static constexpr int WindowHeight = 204;

    void SetUp() override
    {
        ASSERT_TRUE(owner.Create(OwnerDialogId));
        grid.MoveWindow(5, 5, WindowWidth, WindowHeight, TRUE);
        ProcessEvents();
    }
    // Paints what is invalid now.
    void Paint()
    {
        grid.UpdateWindow();
        ProcessEvents();
    }
    // The grid's picture as its paints left it.
    COLORREF Pixel(int x, int y) const
    {
        const QRgb c = grid.Surface()->image.pixel(x, y);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    }
    bool NothingToPaint() const { return grid.Surface()->invalid.isEmpty(); }
    // Sets every row to height and every column to width.
    void Sizes(int height, int width)
    {
        for (int r = 0; r < grid.RowCount(); ++r) grid.SetRowHeight(r, height);
        for (int c = 0; c < grid.ColumnCount(); ++c) grid.SetColumnWidth(c, width);
        grid.UpdateScrollBars();
    }

    OwnerDlg owner;
    TestGrid& grid = owner.grid;
};

}  // namespace gridtest
