#include "platform/Menu.h"

#include "platform/Resources.h"
#include "platform/TestHooks.h"
#include "platform/Text.h"
#include "platform/UiThread.h"
#include "platform/Window.h"

#include <QMenu>

namespace {

UINT CommandOf(const QAction* action)
{
    if (action->isSeparator()) return 0;
    if (action->menu()) return MenuPopupId;
    return action->data().toUInt();
}

// The status-bar prompt of a command: its string up to "\n".
QString PromptOf(UINT id)
{
    const std::string text = LoadString(id);
    return Cp1252ToQString(text.substr(0, text.find('\n')));
}

void Apply(const CCmdUI& state, QAction* action)
{
    if (state.m_enabled) action->setEnabled(*state.m_enabled);
    if (state.m_check) {
        action->setCheckable(true);
        action->setChecked(*state.m_check != 0);
    }
    if (state.m_text) action->setText(Cp1252ToQString(*state.m_text));
}

}  // namespace

CMenu::CMenu() = default;

CMenu::CMenu(QMenu* menu, CMenu* root) : menu_(menu), root_(root) {}

CMenu::~CMenu() = default;

BOOL CMenu::LoadMenu(UINT resourceId)
{
    AssertUiThread();
    if (menu_) return FALSE;
    const MenuTemplate* tmpl = FindMenuTemplate(resourceId);
    if (!tmpl) return FALSE;
    owned_ = std::make_unique<QMenu>();
    menu_ = owned_.get();
    for (const MenuItemTemplate& popup : tmpl->popups) Build(popup, menu_);
    return TRUE;
}

void CMenu::Build(const MenuItemTemplate& item, QMenu* into)
{
    if (!item.items.empty()) {
        QMenu* popup = into->addMenu(QString::fromUtf8(item.text ? item.text : ""));
        root_->subMenus_.push_back(std::unique_ptr<CMenu>(new CMenu(popup, root_)));
        CMenu* wrapper = root_->subMenus_.back().get();
        CMenu* root = root_;
        QObject::connect(popup, &QMenu::aboutToShow, popup, [wrapper, root] {
            if (root->updateTarget_) wrapper->UpdateItems(root->updateTarget_);
        });
        for (const MenuItemTemplate& child : item.items) Build(child, popup);
    } else if (!item.text) {
        into->addSeparator();
    } else {
        QAction* action = into->addAction(QString::fromUtf8(item.text));
        action->setData(item.id);
        action->setStatusTip(PromptOf(item.id));
    }
}

BOOL CMenu::DestroyMenu()
{
    if (!menu_ || root_ != this) return FALSE;
    subMenus_.clear();
    owned_.reset();
    menu_ = nullptr;
    return TRUE;
}

int CMenu::GetMenuItemCount() const
{
    return menu_ ? int(menu_->actions().size()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const
{
    if (!menu_ || position < 0 || position >= menu_->actions().size()) return MenuPopupId;
    return CommandOf(menu_->actions()[position]);
}

CMenu* CMenu::GetSubMenu(int position) const
{
    if (!menu_ || position < 0 || position >= menu_->actions().size()) return nullptr;
    QMenu* popup = menu_->actions()[position]->menu();
    return popup ? WrapperOf(popup) : nullptr;
}

CMenu* CMenu::WrapperOf(QMenu* menu) const
{
    for (const auto& wrapper : root_->subMenus_) {
        if (wrapper->menu_ == menu) return wrapper.get();
    }
    return nullptr;
}

void CMenu::SetUpdateTarget(CCmdTarget* target)
{
    root_->updateTarget_ = target;
}

void CMenu::UpdateItems(CCmdTarget* target)
{
    if (!menu_ || !target) return;
    // Handlers may insert items (the recent-file list): the list is read afresh each time.
    for (int i = 0; i < menu_->actions().size(); ++i) {
        QAction* action = menu_->actions()[i];
        if (action->isSeparator()) continue;
        CCmdUI state;
        state.m_nIndex = UINT(i);
        state.m_pMenu = this;
        if (QMenu* popup = action->menu()) {
            // A popup entry answers for its first item's command, and is left as it is
            // without an update handler.
            const UINT first = popup->actions().isEmpty() ? 0 : CommandOf(popup->actions().first());
            if (first == 0 || first == MenuPopupId) continue;
            state.m_nID = first;
            state.m_pSubMenu = WrapperOf(popup);
            state.DoUpdate(target, FALSE);
            if (state.m_enabled) action->setEnabled(*state.m_enabled);
            continue;
        }
        state.m_nID = CommandOf(action);
        state.DoUpdate(target, TRUE);
        // The handler may have replaced the item; the state goes to what stands at its place.
        if (state.m_nIndex == UINT(i) && i < menu_->actions().size() && menu_->actions()[i] == action) Apply(state, action);
        i = int(state.m_nIndex);
    }
}

UINT CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner)
{
    AssertUiThread();
    if (!menu_) return 0;
    CCmdTarget* const previousTarget = root_->updateTarget_;
    root_->updateTarget_ = owner;
    UpdateItems(owner);
    UINT chosen = 0;
    if (PopupMenuChooser* chooser = ActivePopupMenuChooser()) {
        PopupMenuRequest request;
        request.point = CPoint(x, y);
        for (QAction* action : menu_->actions()) {
            request.items.push_back({CommandOf(action), QStringToCp1252(action->text()), action->isEnabled(),
                                     action->isChecked()});
        }
        chosen = chooser->Answer(request);
    } else if (QAction* action = menu_->exec(QPoint(x, y))) {
        chosen = CommandOf(action);
        if (chosen == MenuPopupId) chosen = 0;
    }
    root_->updateTarget_ = previousTarget;
    if (flags & TPM_RETURNCMD) return chosen;
    if (chosen && owner) owner->SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return chosen ? TRUE : FALSE;
}
