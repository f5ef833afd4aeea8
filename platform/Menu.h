// Menus from menu templates: the frame's menu bar and popup menus. Before a menu shows, the
// update handlers of its items run; a popup entry stands for its first item's command.
#pragma once

#include "platform/CmdTarget.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

class QMenu;
class CWnd;

// GetMenuItemID of a popup entry.
constexpr UINT MenuPopupId = 0xFFFFFFFF;

class CMenu
{
public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Builds the menu of a menu template: one entry per popup of the menu bar. FALSE when the
    // template is not registered or a menu exists already.
    BOOL LoadMenu(UINT resourceId);
    BOOL DestroyMenu();

    int GetMenuItemCount() const;
    // The command of the entry at position: 0 for a separator, MenuPopupId for a popup,
    // MenuPopupId also for a position outside the menu.
    UINT GetMenuItemID(int position) const;
    // The popup at position, null for any other entry.
    CMenu* GetSubMenu(int position) const;

    // Shows this popup at a screen point once the update handlers of its items ran through
    // owner. With TPM_RETURNCMD returns the chosen command (0 for none); otherwise sends it
    // to owner as WM_COMMAND and returns TRUE when one was chosen. A popup-menu chooser,
    // when installed, chooses instead of the user.
    UINT TrackPopupMenu(UINT flags, int x, int y, CWnd* owner);

    // Runs the update handlers of this menu's items through target and applies them: an
    // item whose command no target handles is greyed; a popup entry takes its state from the
    // update handler of its first item, and is left as it is without one.
    void UpdateItems(CCmdTarget* target);
    // Where UpdateItems routes when the menu is about to show (the frame of a menu bar).
    void SetUpdateTarget(CCmdTarget* target);

    // The Qt menu: the popup itself, or for a loaded menu a menu whose entries are the popups.
    QMenu* GetQMenu() const { return menu_; }

private:
    CMenu(QMenu* menu, CMenu* root);
    void Build(const struct MenuItemTemplate& item, QMenu* into);
    CMenu* WrapperOf(QMenu* menu) const;

    QMenu* menu_ = nullptr;
    std::unique_ptr<QMenu> owned_;
    CMenu* root_ = this;
    CCmdTarget* updateTarget_ = nullptr;
    std::vector<std::unique_ptr<CMenu>> subMenus_;  // wrappers of every popup below the root
};
