// Helpers of the application tests: the program's settings cleared, menus and toolbars read
// as the user sees them.
#pragma once

#include "platform/Frame.h"
#include "platform/Menu.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QToolBar>

#include <string>

namespace app_test {

// The settings the program keeps (recent files, window and toolbar layout), emptied.
inline void ClearProgramSettings()
{
    QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Vasquil")).clear();
}

// The menu bar's popup whose title is text ("&File", ...); null without one.
inline QMenu* MenuBarPopup(const CFrameWnd& frame, const char* text)
{
    for (QAction* entry : frame.GetMenu()->GetQMenu()->actions()) {
        if (entry->menu() && entry->text() == QString::fromUtf8(text)) return entry->menu();
    }
    return nullptr;
}

// The entry of menu with this text (a popup's entry or an item); null without one.
inline QAction* EntryByText(QMenu* menu, const char* text)
{
    for (QAction* entry : menu->actions()) {
        if (entry->text() == QString::fromUtf8(text)) return entry;
    }
    return nullptr;
}

// The command item id in menu or below it; null without one.
inline QAction* MenuItem(QMenu* menu, UINT id)
{
    for (QAction* entry : menu->actions()) {
        if (QMenu* popup = entry->menu()) {
            if (QAction* found = MenuItem(popup, id)) return found;
        } else if (!entry->isSeparator() && entry->data().toUInt() == id) {
            return entry;
        }
    }
    return nullptr;
}

// Runs the update handlers of menu as its opening does.
inline void OpenMenu(QMenu* menu)
{
    emit menu->aboutToShow();
}

inline QToolBar* BarOf(const CToolBar& bar)
{
    return qobject_cast<QToolBar*>(bar.GetWidget());
}

// The toolbar button of command id; null without one.
inline QAction* Button(const CToolBar& bar, UINT id)
{
    for (QAction* action : BarOf(bar)->actions()) {
        if (!action->isSeparator() && action->data().toUInt() == id) return action;
    }
    return nullptr;
}

}  // namespace app_test
