#include "views/RunDialogWindows.h"

#include "app/VasquilDoc.h"
#include "platform/Window.h"

#include <QApplication>
#include <QWidget>

void ShowRunDialogsAgain(const CVasquilDoc& doc)
{
    // The views know the run dialogs only as the document's pointers, not as classes: a
    // dialog is found as the window object at the same address.
    ShowWindowOfObject(doc.TransientDialog);
    ShowWindowOfObject(doc.SteadyDialog);
}

void ShowWindowOfObject(const void* object)
{
    if (!object) return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        CWnd* window = CWnd::FromWidget(widget);
        if (window && dynamic_cast<const void*>(window) == object) {
            window->ShowWindow(SW_SHOW);
            return;
        }
    }
}
