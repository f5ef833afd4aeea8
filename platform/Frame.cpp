#include "platform/Frame.h"

#include "platform/Application.h"
#include "platform/DocTemplate.h"
#include "platform/DocView.h"
#include "platform/Menu.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "platform/UiThread.h"
#include "platform/WindowWidget.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QDropEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace {

// Settings of the main frame's layout.
constexpr const char* LayoutGroup = "Workspace/MainFrame";
constexpr const char* GeometryKey = "Geometry";
constexpr const char* StateKey = "State";
constexpr int LayoutVersion = 1;
constexpr QSize DefaultFrameSize(1024, 720);
// The colour of a toolbar image that shows the button face, as in toolbar bitmaps.
constexpr QRgb ButtonFaceColour = 0xFFC0C0C0;
// Before a modified document's title in the caption, as desktop programs mark unsaved work.
constexpr const char* ModifiedMark = "*";
// Object name of a status-bar pane label, by its index.
constexpr const char* PanePrefix = "pane";

// The command's string split into its status-bar prompt and its tooltip.
std::pair<QString, QString> PromptAndTip(UINT id)
{
    const std::string text = LoadString(id);
    const std::size_t split = text.find('\n');
    if (split == std::string::npos) return {Cp1252ToQString(text), QString()};
    return {Cp1252ToQString(text.substr(0, split)), Cp1252ToQString(text.substr(split + 1))};
}

void SendCommand(CWnd* target, UINT id, int code)
{
    if (target && id != 0) target->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), 0);
}

std::vector<std::filesystem::path> DroppedFiles(const QMimeData* data)
{
    std::vector<std::filesystem::path> files;
    if (!data) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
    }
    return files;
}

// The views in a window's tree, parents before children.
void CollectViews(QWidget* widget, std::vector<CView*>* views)
{
    if (CWnd* wnd = CWnd::FromWidget(widget); wnd && wnd->IsKindOf(&CView::Runtime))
        views->push_back(static_cast<CView*>(wnd));
    for (QObject* child : widget->children()) {
        if (child->isWidgetType()) CollectViews(static_cast<QWidget*>(child), views);
    }
}

// The action of a command in a menu and the menus below it; null without one.
QAction* FindMenuCommand(QMenu* menu, UINT id)
{
    for (QAction* action : menu->actions()) {
        if (QMenu* popup = action->menu()) {
            if (QAction* found = FindMenuCommand(popup, id)) return found;
        } else if (!action->isSeparator() && action->data().toUInt() == id) {
            return action;
        }
    }
    return nullptr;
}

// A toolbar's title as a menu shows it ('&' is no mnemonic there).
std::string MenuTextOfTitle(const std::string& title)
{
    std::string text;
    for (char c : title) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

QLabel* Pane(const CWnd* bar, int index)
{
    QWidget* widget = bar->GetWidget();
    return widget ? widget->findChild<QLabel*>(QString::fromLatin1(PanePrefix) + QString::number(index)) : nullptr;
}

}  // namespace

const CRuntimeClass CToolBar::Runtime{"CToolBar", &CWnd::Runtime, nullptr};
const CRuntimeClass CStatusBar::Runtime{"CStatusBar", &CWnd::Runtime, nullptr};
const CRuntimeClass CFrameWnd::Runtime{"CFrameWnd", &CWnd::Runtime, &CreateRuntimeObject<CFrameWnd>};

BOOL CToolBar::Create(CFrameWnd* frame, UINT id)
{
    AssertUiThread();
    QMainWindow* window = frame ? frame->GetMainWindow() : nullptr;
    if (!window || GetSafeHwnd()) return FALSE;
    auto* bar = new QToolBar(window);
    bar->setObjectName(QStringLiteral("ToolBar-%1").arg(id));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    window->addToolBar(Qt::TopToolBarArea, bar);
    AttachWidget(bar, id, WS_CHILD | WS_VISIBLE);
    frame->AddToolBar(this);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT resourceId)
{
    AssertUiThread();
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    const ToolbarTemplate* tmpl = FindToolbarTemplate(resourceId);
    if (!bar || !tmpl) return FALSE;
    bar->clear();
    QImage strip;
    if (const ImageResource* image = FindImageResource(tmpl->image))
        strip.loadFromData(QByteArrayView(image->data, qsizetype(image->size)));
    const QSize size(tmpl->buttonSize.cx, tmpl->buttonSize.cy);
    bar->setIconSize(size);
    int imageIndex = 0;
    for (UINT id : tmpl->buttons) {
        if (id == ID_SEPARATOR) {
            bar->addSeparator();
            continue;
        }
        const auto [prompt, tip] = PromptAndTip(id);
        QAction* action = bar->addAction(tip.isEmpty() ? prompt : tip);
        action->setData(id);
        action->setToolTip(tip);
        action->setStatusTip(prompt);
        const QRect cell(imageIndex * size.width(), 0, size.width(), size.height());
        ++imageIndex;
        if (!strip.isNull() && strip.rect().contains(cell)) {
            QPixmap icon = QPixmap::fromImage(strip.copy(cell));
            // The face's pixels are the mask's set bits, white in its colour table: a bitmap's
            // white is transparent.
            icon.setMask(QBitmap::fromImage(strip.copy(cell).createMaskFromColor(ButtonFaceColour, Qt::MaskInColor)));
            action->setIcon(icon);
        }
        const HWND handle = GetSafeHwnd();
        QObject::connect(action, &QAction::triggered, bar, [handle, id] {
            CWnd* self = FromHandle(handle);
            SendCommand(self ? self->GetParentFrame() : nullptr, id, 0);
        });
    }
    return TRUE;
}

int CToolBar::GetCount() const
{
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    return bar ? int(bar->actions().size()) : 0;
}

UINT CToolBar::GetItemID(int index) const
{
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar || index < 0 || index >= bar->actions().size()) return ID_SEPARATOR;
    const QAction* action = bar->actions()[index];
    return action->isSeparator() ? ID_SEPARATOR : action->data().toUInt();
}

void CToolBar::UpdateButtons(CCmdTarget* target)
{
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar || !target) return;
    for (QAction* action : bar->actions()) {
        if (action->isSeparator()) continue;
        CCmdUI state;
        state.m_nID = action->data().toUInt();
        state.DoUpdate(target, TRUE);
        if (state.m_enabled) action->setEnabled(*state.m_enabled);
        if (state.m_check) {
            action->setCheckable(true);
            action->setChecked(*state.m_check != 0);
        }
    }
}

BOOL CStatusBar::Create(CFrameWnd* frame, UINT id)
{
    AssertUiThread();
    QMainWindow* window = frame ? frame->GetMainWindow() : nullptr;
    if (!window || GetSafeHwnd()) return FALSE;
    auto* bar = new QStatusBar(window);
    window->setStatusBar(bar);
    AttachWidget(bar, id, WS_CHILD | WS_VISIBLE);
    frame->SetStatusBarObject(this);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    AssertUiThread();
    auto* bar = qobject_cast<QStatusBar*>(GetWidget());
    if (!bar || (!ids && count > 0)) return FALSE;
    for (int i = 0; QLabel* old = Pane(this, i); ++i) delete old;
    for (int i = 0; i < count; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString::fromLatin1(PanePrefix) + QString::number(i));
        if (ids[i] == ID_SEPARATOR) {
            label->setText(Cp1252ToQString(LoadString(AFX_IDS_IDLEMESSAGE)));
            bar->addWidget(label, 1);
        } else {
            // An indicator pane is as wide as its text ("CAP", "NUM", ...) would be.
            const QString sample = Cp1252ToQString(LoadString(ids[i]));
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sample.isEmpty() ? QStringLiteral("SCRL") : sample) + 8);
            bar->addPermanentWidget(label);
        }
    }
    return TRUE;
}

BOOL CStatusBar::SetPaneText(int index, const std::string& text)
{
    AssertUiThread();
    QLabel* pane = Pane(this, index);
    if (!pane) return FALSE;
    pane->setText(Cp1252ToQString(text));
    return TRUE;
}

std::string CStatusBar::GetPaneText(int index) const
{
    QLabel* pane = Pane(this, index);
    return pane ? QStringToCp1252(pane->text()) : std::string();
}

CFrameWnd::CFrameWnd()
{
    MapCommand(ID_VIEW_STATUS_BAR, &CFrameWnd::OnViewStatusBar);
    MapUpdate(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateViewStatusBar);
}

CFrameWnd::~CFrameWnd() = default;

QMainWindow* CFrameWnd::GetMainWindow() const
{
    return qobject_cast<QMainWindow*>(GetWidget());
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    AssertUiThread();
    if (GetSafeHwnd()) return FALSE;
    const std::string title = LoadString(resourceId);
    m_strTitle = title.substr(0, title.find('\n'));
    auto* window = new WindowWidget<QMainWindow>(this, parent ? parent->GetWidget() : nullptr);
    window->resize(DefaultFrameSize);
    window->setWindowTitle(Cp1252ToQString(m_strTitle));
    if (const ImageResource* image = FindImageResource(resourceId)) {
        QImage icon;
        icon.loadFromData(QByteArrayView(image->data, qsizetype(image->size)));
        window->setWindowIcon(QPixmap::fromImage(icon));
        // The program's other windows (dialogs, message boxes) show it too.
        if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(window->windowIcon());
    }
    AttachWidget(window, 0, style);

    if (FindMenuTemplate(resourceId)) {
        menu_ = std::make_unique<CMenu>();
        menu_->LoadMenu(resourceId);
        menu_->SetUpdateTarget(this);
        QMenuBar* bar = window->menuBar();
        for (QAction* popup : menu_->GetQMenu()->actions()) bar->addAction(popup);
        const HWND handle = GetSafeHwnd();
        QObject::connect(bar, &QMenuBar::triggered, bar, [handle](QAction* action) {
            if (!action->menu()) SendCommand(FromHandle(handle), action->data().toUInt(), 0);
        });
    }
    if (const AcceleratorTable* table = FindAcceleratorTable(resourceId)) {
        const HWND handle = GetSafeHwnd();
        for (const AcceleratorEntry& entry : table->entries) {
            auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(entry.keys), QKeySequence::PortableText), window);
            const UINT id = entry.command;
            // Accelerators carry notification code 1, as the window system sends them.
            QObject::connect(shortcut, &QShortcut::activated, window, [handle, id] { SendCommand(FromHandle(handle), id, 1); });
        }
    }

    {
        // Alt+F4 closes the frame where no window manager takes the key first.
        auto* close = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), window);
        const HWND handle = GetSafeHwnd();
        QObject::connect(close, &QShortcut::activated, window, [handle] {
            if (CWnd* self = FromHandle(handle)) self->SendMessage(WM_CLOSE);
        });
    }

    CREATESTRUCT cs;
    cs.lpCreateParams = context;
    cs.hwndParent = parent;
    cs.cx = DefaultFrameSize.width();
    cs.cy = DefaultFrameSize.height();
    cs.style = style;
    cs.lpszName = m_strTitle;
    const auto life = LifeToken();
    const LRESULT created = SendMessage(WM_CREATE, 0, LPARAM(&cs));
    if (life.expired()) return FALSE;
    if (created == -1) {
        DestroyWindow();  // the frame deletes itself
        return FALSE;
    }
    createdLayout_ = window->saveState(LayoutVersion).toStdString();
    RestoreLayout();
    return TRUE;
}

int CFrameWnd::OnCreate(CREATESTRUCT* cs)
{
    if (CWnd::OnCreate(cs) == -1) return -1;
    return OnCreateClient(cs, cs ? cs->lpCreateParams : nullptr) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(CREATESTRUCT*, CCreateContext* context)
{
    if (!context || !context->m_pNewViewClass) return TRUE;
    return CreateView(context) ? TRUE : FALSE;
}

CView* CFrameWnd::CreateView(CCreateContext* context, UINT id)
{
    if (!context || !context->m_pNewViewClass || !context->m_pNewViewClass->IsDerivedFrom(&CView::Runtime)) return nullptr;
    auto* view = static_cast<CView*>(context->m_pNewViewClass->CreateObject());
    if (!view) return nullptr;
    const auto life = view->LifeToken();
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), this, id, context)) {
        if (!life.expired()) delete view;
        return nullptr;
    }
    GetMainWindow()->setCentralWidget(view->GetWidget());
    return view;
}

CView* CFrameWnd::GetActiveView() const
{
    CWnd* wnd = FromHandle(activeView_);
    return wnd && wnd->IsKindOf(&CView::Runtime) ? static_cast<CView*>(wnd) : nullptr;
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify)
{
    CView* old = GetActiveView();
    if (view == old) return;
    activeView_ = view ? view->GetSafeHwnd() : nullptr;
    if (!notify) return;
    if (old) old->OnActivateView(FALSE, view, old);
    if (view) view->OnActivateView(TRUE, view, old);
}

CDocument* CFrameWnd::GetActiveDocument() const
{
    CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

CStatusBar* CFrameWnd::GetStatusBar() const
{
    CWnd* wnd = FromHandle(statusBar_);
    return wnd && wnd->IsKindOf(&CStatusBar::Runtime) ? static_cast<CStatusBar*>(wnd) : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL makeVisible)
{
    CView* view = GetActiveView();
    if (!view) {
        CWnd* pane = GetDlgItem(int(AFX_IDW_PANE_FIRST));
        if (pane && pane->IsKindOf(&CView::Runtime)) {
            view = static_cast<CView*>(pane);
            SetActiveView(view, FALSE);
        }
    }
    if (makeVisible && GetWidget()) {
        std::vector<CView*> views;
        CollectViews(GetWidget(), &views);
        std::vector<HWND> handles;
        for (CView* v : views) handles.push_back(v->GetSafeHwnd());
        for (HWND h : handles) {
            if (CWnd* wnd = FromHandle(h)) static_cast<CView*>(wnd)->OnInitialUpdate();
        }
        CWinApp* app = AfxGetApp();
        int show = -1;
        if (app && app->m_pMainWnd == this) show = std::exchange(app->m_nCmdShow, -1);
        ActivateFrame(show);
        view = GetActiveView();
        if (view) view->OnActivateView(TRUE, view, view);
    }
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (!GetWidget()) return;
    ShowWindow(nCmdShow == -1 ? SW_SHOW : nCmdShow);
    if (nCmdShow != SW_HIDE) {
        GetWidget()->raise();
        GetWidget()->activateWindow();
    }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!GetWidget()) return;
    CDocument* document = GetActiveDocument();
    const std::string caption = document && addToTitle
                                    ? std::string(document->IsModified() ? ModifiedMark : "") + document->GetTitle() + " - " + m_strTitle
                                    : m_strTitle;
    GetWidget()->setWindowTitle(Cp1252ToQString(caption));
}

void CFrameWnd::SetMessageText(const std::string& text)
{
    if (CStatusBar* bar = GetStatusBar()) bar->SetPaneText(0, text);
}

void CFrameWnd::DragAcceptFiles(BOOL accept)
{
    if (GetWidget()) GetWidget()->setAcceptDrops(accept != FALSE);
}

void CFrameWnd::OnDropFiles(const std::vector<std::filesystem::path>& files)
{
    ActivateFrame();
    CWinApp* app = AfxGetApp();
    for (const std::filesystem::path& file : files) {
        if (app) app->OpenDocumentFile(file);
    }
}

BOOL CFrameWnd::CanCloseFrame()
{
    CWinApp* app = AfxGetApp();
    if (!app || app->m_pMainWnd != this) return TRUE;
    CDocument* document = app->GetDocTemplate() ? app->GetDocTemplate()->GetDocument() : nullptr;
    return document ? document->SaveModified() : TRUE;
}

bool CFrameWnd::HandleKindEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!GetWidget()->acceptDrops() || DroppedFiles(drag->mimeData()).empty()) return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        std::vector<std::filesystem::path> files = DroppedFiles(drop->mimeData());
        if (!GetWidget()->acceptDrops() || files.empty()) return false;
        drop->acceptProposedAction();
        SendMessage(WM_DROPFILES, WPARAM(&files), 0);
        return true;
    }
    default: return false;
    }
}

BOOL CFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DROPFILES) {
        OnDropFiles(*reinterpret_cast<const std::vector<std::filesystem::path>*>(wParam));
        *pResult = 0;
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

void CFrameWnd::AddToolBar(CToolBar* bar)
{
    toolbars_.push_back(bar->GetSafeHwnd());
}

void CFrameWnd::SetStatusBarObject(CStatusBar* bar)
{
    statusBar_ = bar->GetSafeHwnd();
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    // The buttons of a form view follow their update handlers as the toolbars do.
    if (CView* view = GetActiveView(); view && view->IsKindOf(&CFormView::Runtime))
        static_cast<CFormView*>(view)->UpdateDialogControls(view, FALSE);
    for (HWND handle : toolbars_) {
        CWnd* wnd = FromHandle(handle);
        if (wnd && wnd->IsKindOf(&CToolBar::Runtime)) static_cast<CToolBar*>(wnd)->UpdateButtons(this);
    }
}

CToolBar* CFrameWnd::ToolBarOfCommand(UINT id) const
{
    for (HWND handle : toolbars_) {
        CWnd* wnd = FromHandle(handle);
        if (wnd && wnd->IsKindOf(&CToolBar::Runtime) && UINT(wnd->GetDlgCtrlID()) == id) return static_cast<CToolBar*>(wnd);
    }
    return nullptr;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI, bool probeOnly)
{
    if (CView* view = GetActiveView(); view && view->OnCmdMsg(nID, nCode, pCmdUI, probeOnly)) return TRUE;
    if (CToolBar* bar = ToolBarOfCommand(nID); bar && (nCode == CN_COMMAND || nCode == CN_UPDATE_COMMAND_UI)) {
        if (probeOnly) return TRUE;
        const bool shown = !bar->GetWidget()->isHidden();
        if (nCode == CN_COMMAND) {
            bar->ShowWindow(shown ? SW_HIDE : SW_SHOW);
        } else if (pCmdUI) {
            pCmdUI->Enable(TRUE);
            pCmdUI->SetCheck(shown ? 1 : 0);
        }
        return TRUE;
    }
    if (CWnd::OnCmdMsg(nID, nCode, pCmdUI, probeOnly)) return TRUE;
    if (CWinApp* app = AfxGetApp(); app && app->OnCmdMsg(nID, nCode, pCmdUI, probeOnly)) return TRUE;
    return FALSE;
}

void CFrameWnd::EnablePaneMenu(BOOL enable, UINT customizeCommand, const std::string& customizeText, UINT toolbarsMenuId)
{
    QMainWindow* window = GetMainWindow();
    if (!window) return;
    paneMenu_ = enable != FALSE;
    customizeCommand_ = customizeCommand;
    customizeText_ = customizeText;
    const HWND handle = GetSafeHwnd();
    std::vector<QWidget*> bars{window->menuBar()};
    for (HWND bar : toolbars_) {
        if (CWnd* wnd = FromHandle(bar)) bars.push_back(wnd->GetWidget());
    }
    for (QWidget* bar : bars) {
        bar->setContextMenuPolicy(paneMenu_ ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
        QObject::disconnect(bar, &QWidget::customContextMenuRequested, nullptr, nullptr);
        if (!paneMenu_) continue;
        QObject::connect(bar, &QWidget::customContextMenuRequested, bar, [handle, bar](const QPoint& at) {
            auto* self = static_cast<CFrameWnd*>(FromHandle(handle));
            const QPoint screen = bar->mapToGlobal(at);
            if (self) self->ShowPaneMenu(CPoint(screen.x(), screen.y()));
        });
    }
    if (paneMenu_ && menu_) {
        // The placeholder gives its place to the list.
        if (QAction* placeholder = FindMenuCommand(menu_->GetQMenu(), toolbarsMenuId)) {
            QMenu* into = qobject_cast<QMenu*>(placeholder->parent());
            if (!into) into = menu_->GetQMenu();
            for (HWND bar : toolbars_) {
                CWnd* wnd = FromHandle(bar);
                if (!wnd) continue;
                auto* action = new QAction(Cp1252ToQString(MenuTextOfTitle(wnd->GetWindowText())), into);
                action->setData(wnd->GetDlgCtrlID());
                into->insertAction(placeholder, action);
            }
            into->insertSeparator(placeholder);
            auto* customize = new QAction(Cp1252ToQString(customizeText_), into);
            customize->setData(customizeCommand_);
            into->insertAction(placeholder, customize);
            into->removeAction(placeholder);
            placeholder->deleteLater();
        }
    }
}

void CFrameWnd::ShowPaneMenu(CPoint screenPoint)
{
    if (!paneMenu_) return;
    CMenu menu;
    menu.CreatePopupMenu();
    for (HWND bar : toolbars_) {
        if (CWnd* wnd = FromHandle(bar)) menu.AppendMenu(MF_STRING, UINT(wnd->GetDlgCtrlID()), MenuTextOfTitle(wnd->GetWindowText()));
    }
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, customizeCommand_, customizeText_);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, this);
}

void CFrameWnd::ResetToolbarLayout()
{
    QMainWindow* window = GetMainWindow();
    if (!window || createdLayout_.empty()) return;
    window->restoreState(QByteArray::fromStdString(createdLayout_), LayoutVersion);
}

void CFrameWnd::OnViewStatusBar()
{
    if (CStatusBar* bar = GetStatusBar()) bar->ShowWindow(bar->IsWindowVisible() ? SW_HIDE : SW_SHOW);
}

void CFrameWnd::OnUpdateViewStatusBar(CCmdUI* pCmdUI)
{
    CStatusBar* bar = GetStatusBar();
    pCmdUI->Enable(bar != nullptr);
    pCmdUI->SetCheck(bar && bar->IsWindowVisible() ? 1 : 0);
}

void CFrameWnd::OnClose()
{
    if (!CanCloseFrame()) return;
    CWinApp* app = AfxGetApp();
    const HWND handle = GetSafeHwnd();
    if (app && app->m_pMainWnd == this) app->CloseAllDocuments(FALSE);
    // Closing the documents destroyed their frames; a frame without one goes here.
    if (CWnd* still = FromHandle(handle)) still->DestroyWindow();
}

void CFrameWnd::OnDestroy()
{
    SaveLayout();
    CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        app->EndEventLoop();
    }
    delete this;
}

void CFrameWnd::SaveLayout()
{
    CWinApp* app = AfxGetApp();
    QMainWindow* window = GetMainWindow();
    if (!app || !window || app->m_pMainWnd != this) return;
    const std::unique_ptr<QSettings> settings = app->OpenSettings();
    if (!settings) return;
    settings->beginGroup(QString::fromLatin1(LayoutGroup));
    settings->setValue(QString::fromLatin1(GeometryKey), window->saveGeometry());
    settings->setValue(QString::fromLatin1(StateKey), window->saveState(LayoutVersion));
    settings->endGroup();
}

void CFrameWnd::RestoreLayout()
{
    CWinApp* app = AfxGetApp();
    QMainWindow* window = GetMainWindow();
    if (!app || !window || (app->m_pMainWnd && app->m_pMainWnd != this)) return;
    const std::unique_ptr<QSettings> settings = app->OpenSettings();
    if (!settings) return;
    settings->beginGroup(QString::fromLatin1(LayoutGroup));
    const QByteArray geometry = settings->value(QString::fromLatin1(GeometryKey)).toByteArray();
    const QByteArray state = settings->value(QString::fromLatin1(StateKey)).toByteArray();
    settings->endGroup();
    if (!geometry.isEmpty()) window->restoreGeometry(geometry);
    if (!state.isEmpty()) window->restoreState(state, LayoutVersion);
}
