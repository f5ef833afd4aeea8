// The frame's toolbar customising dialog: a list of the toolbars to tick or untick, and a
// button that puts the bars back as the frame made them.
#include "platform/Frame.h"

#include "platform/Text.h"
#include "platform/UiThread.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Object name of the dialog, by which the frame finds one that is open.
constexpr const char* DialogName = "ToolbarCustomizeDialog";
constexpr const char* DialogTitle = "Customize";
constexpr const char* ListTitle = "Toolbars:";
constexpr const char* ResetText = "&Reset All";
constexpr const char* CloseText = "Close";

}  // namespace

void CFrameWnd::ShowToolbarCustomizeDialog()
{
    AssertUiThread();
    QMainWindow* window = GetMainWindow();
    if (!window) return;
    if (auto* open = window->findChild<QDialog*>(QString::fromLatin1(DialogName))) {
        open->raise();
        open->activateWindow();
        return;
    }

    auto* dialog = new QDialog(window);
    dialog->setObjectName(QString::fromLatin1(DialogName));
    dialog->setWindowTitle(QString::fromLatin1(DialogTitle));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(QString::fromLatin1(ListTitle), dialog));
    auto* list = new QListWidget(dialog);
    layout->addWidget(list);

    // One row per toolbar, ticked while the bar shows; the bar and its row follow each other.
    const HWND handle = GetSafeHwnd();
    for (HWND barHandle : toolbars_) {
        CWnd* wnd = FromHandle(barHandle);
        auto* bar = wnd ? qobject_cast<QToolBar*>(wnd->GetWidget()) : nullptr;
        if (!bar) continue;
        auto* row = new QListWidgetItem(Cp1252ToQString(wnd->GetWindowText()), list);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        row->setCheckState(bar->isHidden() ? Qt::Unchecked : Qt::Checked);
        row->setData(Qt::UserRole, wnd->GetDlgCtrlID());
        // Shown or hidden by itself, not by the frame's minimising.
        QObject::connect(bar, &QToolBar::visibilityChanged, list, [list, row, bar] {
            const QSignalBlocker quiet(list);
            row->setCheckState(bar->isHidden() ? Qt::Unchecked : Qt::Checked);
        });
    }
    QObject::connect(list, &QListWidget::itemChanged, list, [handle](QListWidgetItem* row) {
        auto* self = static_cast<CFrameWnd*>(FromHandle(handle));
        CToolBar* bar = self ? self->ToolBarOfCommand(row->data(Qt::UserRole).toUInt()) : nullptr;
        if (bar) bar->ShowWindow(row->checkState() == Qt::Checked ? SW_SHOW : SW_HIDE);
    });

    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* reset = buttons->addButton(QString::fromLatin1(ResetText), QDialogButtonBox::ResetRole);
    QPushButton* close = buttons->addButton(QString::fromLatin1(CloseText), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(reset, &QPushButton::clicked, dialog, [handle] {
        if (CWnd* self = FromHandle(handle)) static_cast<CFrameWnd*>(self)->ResetToolbarLayout();
    });
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    dialog->show();
}
