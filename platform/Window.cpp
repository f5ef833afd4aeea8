#include "platform/Window.h"

#include "platform/Cursor.h"
#include "platform/DeviceContext.h"
#include "platform/Frame.h"
#include "platform/NonClientArea.h"
#include "platform/Text.h"
#include "platform/UiThread.h"
#include "platform/WindowWidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace {

// Live windows by handle and by widget (user-interface thread only).
std::unordered_map<HWND, CWnd*> g_byHandle;
std::unordered_map<const QWidget*, CWnd*> g_byWidget;
std::atomic<std::uintptr_t> g_nextHandle{0x10000};
HWND g_capture = nullptr;
HWND g_lastFocusLost = nullptr;
// The modifiers and buttons of the input event translated last (GetKeyState).
Qt::KeyboardModifiers g_modifiers;
Qt::MouseButtons g_buttons;
// ClipCursor's rectangle (screen coordinates) while the capture lasts.
std::optional<CRect> g_clip;

// Window text of static controls keeps its '&' prefixes here; the label shows them stripped.
constexpr const char* RawTextProperty = "vasquil.rawText";

HWND NewHandle()
{
    return reinterpret_cast<HWND>(g_nextHandle.fetch_add(1));
}

// A static control shows "&&" as "&" and drops a single '&' (the prefix of a mnemonic).
QString StripPrefixes(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        else if (text[i] == u'&') continue;
        out.append(text[i]);
    }
    return out;
}

UINT KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

struct KeyName
{
    int qtKey;
    UINT virtualKey;
};

constexpr KeyName KeyTable[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},       {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, VK_SHIFT},   {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},       {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},   {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},      {Qt::Key_Left, VK_LEFT},     {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},    {Qt::Key_Down, VK_DOWN},     {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},  {Qt::Key_Backtab, VK_TAB},
};

// The key of WM_GETDLGCODE's question: the keys a dialog would take for itself.
bool IsDialogKey(UINT vk)
{
    return vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE || (vk >= VK_LEFT && vk <= VK_DOWN);
}

// Whether a control's WM_GETDLGCODE reply keeps the key from its dialog.
bool WantsDialogKey(UINT code, UINT vk)
{
    if (code & DLGC_WANTALLKEYS) return true;
    if (vk == VK_TAB) return (code & DLGC_WANTTAB) != 0;
    if (vk >= VK_LEFT && vk <= VK_DOWN) return (code & DLGC_WANTARROWS) != 0;
    return false;
}

// The control code of a character typed with Ctrl: Ctrl+A is 1, ..., Ctrl+Z 26.
constexpr int FirstControlLetter = 1;

// The Windows-1252 characters (WM_CHAR) that a key press types: Backspace, Tab, Enter and Esc
// as their control codes, Ctrl with a letter as 1 to 26, otherwise the printable characters of
// the key's text (Qt's own control characters of other keys dropped, Delete's 127 among them).
std::string KeyCharacters(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Backspace: return "\b";
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return "\t";
    case Qt::Key_Return:
    case Qt::Key_Enter: return "\r";
    case Qt::Key_Escape: return "\x1b";
    default: break;
    }
    const bool control = (key->modifiers() & Qt::ControlModifier) != 0;
    if (control) {
        if (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z)
            return std::string(1, char(FirstControlLetter + (key->key() - Qt::Key_A)));
        return std::string();
    }
    std::string typed;
    for (const char c : QStringToCp1252(key->text())) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) typed.push_back(c);
    }
    return typed;
}

// The virtual key of a Qt key; 0 for keys without one.
UINT VirtualKey(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return UINT(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + UINT(key - Qt::Key_F1);
    for (const KeyName& k : KeyTable) {
        if (k.qtKey == key) return k.virtualKey;
    }
    return 0;
}

// Deletes a widget whose objects are cut from it: at once, or after the event being
// delivered when the widget (or a child) may be the receiver.
void DisposeWidget(QWidget* widget)
{
    if (InsideEventDelivery()) {
        widget->hide();
        widget->deleteLater();
    } else {
        delete widget;
    }
}

// The system colours follow the application's palette: a change of it is WM_SYSCOLORCHANGE to
// every custom-drawn window (as a top-level window passes it on to its descendants).
class SysColourWatch : public QObject
{
public:
    static void Install()
    {
        static SysColourWatch* watch = nullptr;
        if (watch || !qApp) return;
        watch = new SysColourWatch;
        watch->setParent(qApp);
        qApp->installEventFilter(watch);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::ApplicationPaletteChange && object == qApp) {
            std::vector<HWND> handles;
            for (const auto& entry : g_byHandle) {
                if (entry.second->Surface()) handles.push_back(entry.first);
            }
            for (HWND handle : handles) {
                // Then every window is drawn again in the new colours, as the system does.
                if (CWnd* wnd = CWnd::FromHandle(handle)) wnd->SendMessage(WM_SYSCOLORCHANGE);
                if (CWnd* wnd = CWnd::FromHandle(handle)) wnd->Invalidate(TRUE);
            }
        }
        return false;
    }
};

// The keys of stock Qt controls reach the program's PreTranslateMessage before the control, as
// the window system's message loop gives every key message to the windows' translation first.
class StockKeyWatch : public QObject
{
public:
    static StockKeyWatch* Instance()
    {
        static StockKeyWatch* watch = nullptr;
        if (!watch && qApp) {
            watch = new StockKeyWatch;
            watch->setParent(qApp);
        }
        return watch;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !object->isWidgetType()) return false;
        CWnd* wnd = CWnd::FromWidget(static_cast<QWidget*>(object));
        return wnd && wnd->PreTranslateStockKey(event);
    }
};

}  // namespace

const CRuntimeClass CWnd::Runtime{"CWnd", &CCmdTarget::Runtime, &CreateRuntimeObject<CWnd>};

short GetKeyState(int virtualKey)
{
    constexpr short Down = short(0x8000);
    bool down = false;
    switch (UINT(virtualKey)) {
    case VK_SHIFT: down = (g_modifiers & Qt::ShiftModifier) != 0; break;
    case VK_CONTROL: down = (g_modifiers & Qt::ControlModifier) != 0; break;
    case VK_MENU: down = (g_modifiers & Qt::AltModifier) != 0; break;
    case VK_LBUTTON: down = (g_buttons & Qt::LeftButton) != 0; break;
    default: break;
    }
    return down ? Down : short(0);
}

BOOL ClipCursor(const CRect* screenRect)
{
    if (screenRect) g_clip = *screenRect;
    else g_clip.reset();
    return TRUE;
}

UINT RegisterWindowMessage(const char* name)
{
    static std::mutex mutex;
    static std::map<std::string, UINT> numbers;
    if (!name) return 0;
    std::lock_guard lock(mutex);
    const auto it = numbers.find(name);
    if (it != numbers.end()) return it->second;
    const UINT next = FirstRegisteredMessage + UINT(numbers.size());
    if (next > LastRegisteredMessage) return 0;
    numbers.emplace(name, next);
    return next;
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    *alive_ = false;
    if (!widget_) return;
    // The object goes first: its own window is destroyed without calls into it.
    QWidget* widget = widget_;
    DetachWidget();
    DisposeWidget(widget);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&)
{
    return TRUE;
}

BOOL CWnd::Create(const char*, const char* windowName, DWORD style, const CRect& rect, CWnd* parent, UINT id,
                  CCreateContext* context)
{
    AssertUiThread();
    if (widget_) return FALSE;
    CREATESTRUCT cs;
    cs.lpCreateParams = context;
    cs.hwndParent = parent;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.Width();
    cs.cy = rect.Height();
    cs.style = style;
    cs.id = id;
    cs.lpszName = windowName ? windowName : "";
    if (!PreCreateWindow(cs)) return FALSE;

    const DWORD exStyle = std::exchange(createExStyle_, 0);
    const bool child = (cs.style & WS_CHILD) != 0;
    const bool toolPopup = !child && (cs.style & WS_POPUP) && (exStyle & WS_EX_TOOLWINDOW);
    QWidget* parentWidget = cs.hwndParent && !toolPopup ? cs.hwndParent->GetWidget() : nullptr;
    if (child && !parentWidget) return FALSE;
    QWidget* widget = nullptr;
    const QRect geometry(cs.x, cs.y, std::max(cs.cx, 0), std::max(cs.cy, 0));
    if (child && (cs.style & (WS_HSCROLL | WS_VSCROLL))) {
        AttachNonClientWindow(parentWidget, geometry, cs.id, cs.style);
        widget = widget_;
    } else {
        Qt::WindowFlags kind = child ? Qt::Widget : Qt::Window;
        if (toolPopup) {
            // The window system's tool tips are what such a pop-up is: no frame, no focus, no
            // activation, and input goes to the window below.
            kind = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                   Qt::WindowTransparentForInput;
            if (exStyle & WS_EX_TOPMOST) kind |= Qt::WindowStaysOnTopHint;
        }
        widget = new WindowWidget<QWidget>(this, parentWidget, kind);
        widget->setAttribute(Qt::WA_OpaquePaintEvent);
        widget->setAttribute(Qt::WA_NoSystemBackground);
        if (toolPopup) widget->setAttribute(Qt::WA_ShowWithoutActivating);
        widget->setMouseTracking(true);
        widget->setFocusPolicy(Qt::NoFocus);
        widget->setGeometry(geometry);
        AttachWidget(widget, cs.id, cs.style);
        exStyle_ = exStyle;
        popupFor_ = toolPopup && cs.hwndParent ? cs.hwndParent->GetSafeHwnd() : nullptr;
        EnableSurface();
    }
    widget->setWindowTitle(Cp1252ToQString(cs.lpszName));
    if (cs.style & WS_DISABLED) widget->setEnabled(false);

    const auto alive = alive_;
    const LRESULT created = SendMessage(WM_CREATE, 0, LPARAM(&cs));
    if (!*alive) return FALSE;
    if (created == -1) {
        DestroyWindow();
        return FALSE;
    }
    if (!widget_) return FALSE;
    CRect client;
    GetClientRect(&client);
    reportedSize_ = client.Size();
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    if (!*alive || !widget_) return FALSE;
    // A window without WS_VISIBLE stays hidden, also when its parent is shown later.
    if (cs.style & WS_VISIBLE) widget_->show();
    else widget_->hide();
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const CRect& rect,
                    CWnd* parent, UINT id)
{
    createExStyle_ = exStyle;
    const BOOL created = Create(className, windowName, style, rect, parent, id);
    createExStyle_ = 0;
    return created;
}

void CWnd::AttachWidget(QWidget* widget, UINT id, DWORD style)
{
    AssertUiThread();
    DetachWidget();
    widget_ = widget;
    bridge_ = dynamic_cast<WidgetBridge*>(widget);
    handle_ = NewHandle();
    id_ = id;
    style_ = style;
    owner_ = nullptr;
    g_byHandle[handle_] = this;
    g_byWidget[widget] = this;
    if (!bridge_) {
        if (StockKeyWatch* watch = StockKeyWatch::Instance()) widget->installEventFilter(watch);
        // A stock Qt control: its object hears of the widget's end through Qt.
        QObject::connect(widget, &QObject::destroyed, [widget] {
            const auto it = g_byWidget.find(widget);
            if (it != g_byWidget.end()) it->second->DetachWidget();
        });
    }
}

void CWnd::EnableSurface()
{
    SysColourWatch::Install();
    surface_ = std::make_unique<WindowSurface>();
    ResizeSurface();
}

QWidget* CWnd::GetClientWidget() const
{
    if (nonClient_ && widget_) return nonClient_->area->viewport();
    return widget_;
}

void CWnd::ResizeSurface()
{
    if (!surface_ || !widget_) return;
    const QWidget* client = GetClientWidget();
    const QSize size(std::max(client->width(), 1), std::max(client->height(), 1));
    if (surface_->image.size() == size) return;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!surface_->image.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, surface_->image);
    }
    // Contexts still open on the old picture begin again on the new one.
    surface_->painter.reset();
    surface_->painterStateOwner = nullptr;
    surface_->image = std::move(image);
    // A new size repaints the whole window, as window classes that redraw on sizing do.
    surface_->invalid = QRegion(0, 0, size.width(), size.height());
    surface_->erase = true;
}

void CWnd::DetachWidget()
{
    if (!widget_) return;
    if (g_capture == handle_) g_capture = nullptr;
    g_byHandle.erase(handle_);
    const auto it = g_byWidget.find(widget_);
    if (it != g_byWidget.end() && it->second == this) g_byWidget.erase(it);
    if (bridge_) bridge_->SetOwner(nullptr);
    widget_ = nullptr;
    bridge_ = nullptr;
    handle_ = nullptr;
    destroying_ = false;
    coveredPaintQueued_ = false;
    timers_.clear();
    surface_.reset();
    nonClient_.reset();
    exStyle_ = 0;
    font_ = nullptr;
    reportedSize_ = CSize(-1, -1);
}

void CWnd::TearDownTree(QWidget* widget)
{
    QPointer<QWidget> guard(widget);
    if (CWnd* object = FromWidget(widget)) {
        object->destroying_ = true;
        object->SendMessage(WM_DESTROY);
    }
    if (!guard) return;
    std::vector<QPointer<QWidget>> children;
    for (QObject* child : widget->children()) {
        if (child->isWidgetType()) children.emplace_back(static_cast<QWidget*>(child));
    }
    for (const QPointer<QWidget>& child : children) {
        if (child) TearDownTree(child);
    }
    if (!guard) return;
    if (CWnd* object = FromWidget(widget)) {
        object->DetachWidget();
        object->PostNcDestroy();  // may delete the object
    }
}

void CWnd::WidgetDestroying()
{
    if (widget_) TearDownTree(widget_);
}

BOOL CWnd::DestroyWindow()
{
    AssertUiThread();
    if (!widget_ || destroying_) return FALSE;
    QWidget* widget = widget_;
    TearDownTree(widget);  // may delete this object (PostNcDestroy)
    DisposeWidget(widget);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    AssertUiThread();
    CWnd* previous = parent ? parent->GetDlgItem(int(id)) : nullptr;
    if (!previous) return FALSE;
    if (previous == this) return TRUE;
    if (widget_) return FALSE;
    widget_ = std::exchange(previous->widget_, nullptr);
    bridge_ = std::exchange(previous->bridge_, nullptr);
    handle_ = previous->handle_.exchange(nullptr);
    id_ = previous->id_;
    style_ = previous->style_;
    exStyle_ = std::exchange(previous->exStyle_, 0);
    font_ = std::exchange(previous->font_, nullptr);
    surface_ = std::move(previous->surface_);
    nonClient_ = std::move(previous->nonClient_);
    timers_ = std::move(previous->timers_);
    reportedSize_ = std::exchange(previous->reportedSize_, CSize(-1, -1));
    coveredPaintQueued_ = std::exchange(previous->coveredPaintQueued_, false);
    if (bridge_) bridge_->SetOwner(this);
    g_byHandle[handle_] = this;
    g_byWidget[widget_] = this;
    PreSubclassWindow();
    return TRUE;
}

void CWnd::PreSubclassWindow() {}

HWND CWnd::GetSafeHwnd() const
{
    return handle_.load();
}

CWnd* CWnd::FromHandle(HWND handle)
{
    if (!handle) return nullptr;
    const auto it = g_byHandle.find(handle);
    return it == g_byHandle.end() ? nullptr : it->second;
}

CWnd* CWnd::FromWidget(const QWidget* widget)
{
    const auto it = g_byWidget.find(widget);
    return it == g_byWidget.end() ? nullptr : it->second;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsUiThread()) {
        // The handler runs on the user-interface thread while this thread waits; the handle
        // is looked up there, so a window destroyed meanwhile gets nothing.
        const HWND handle = handle_.load();
        LRESULT result = 0;
        CallOnUiThread([&] {
            if (CWnd* wnd = FromHandle(handle)) result = wnd->Dispatch(message, wParam, lParam);
        });
        return result;
    }
    if (!widget_) return 0;
    return Dispatch(message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND handle = handle_.load();
    if (!handle) return FALSE;
    return QueueOnUiThread([handle, message, wParam, lParam] {
               if (CWnd* wnd = FromHandle(handle)) wnd->Dispatch(message, wParam, lParam);
           })
               ? TRUE
               : FALSE;
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto alive = alive_;
    const UINT savedMessage = currentMessage_;
    const WPARAM savedW = currentWParam_;
    const LPARAM savedL = currentLParam_;
    currentMessage_ = message;
    currentWParam_ = wParam;
    currentLParam_ = lParam;
    const LRESULT result = WindowProc(message, wParam, lParam);
    if (*alive) {
        currentMessage_ = savedMessage;
        currentWParam_ = savedW;
        currentLParam_ = savedL;
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto it = messages_.find(message);
    if (it != messages_.end()) {
        const auto handler = it->second;  // the handler may change the table or delete this
        return handler(wParam, lParam);
    }
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    *pResult = 0;
    switch (message) {
    case WM_CREATE: *pResult = OnCreate(reinterpret_cast<CREATESTRUCT*>(lParam)); return TRUE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    case WM_PAINT: OnPaint(); return TRUE;
    case WM_ERASEBKGND: *pResult = OnEraseBkgnd(reinterpret_cast<CDC*>(wParam)); return TRUE;
    case WM_SIZE: OnSize(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return TRUE;
    case WM_CLOSE: OnClose(); return TRUE;
    case WM_TIMER: OnTimer(wParam); return TRUE;
    case WM_MOUSEMOVE: OnMouseMove(UINT(wParam), point); return TRUE;
    case WM_LBUTTONDOWN: OnLButtonDown(UINT(wParam), point); return TRUE;
    case WM_LBUTTONUP: OnLButtonUp(UINT(wParam), point); return TRUE;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(UINT(wParam), point); return TRUE;
    case WM_RBUTTONDOWN: OnRButtonDown(UINT(wParam), point); return TRUE;
    case WM_RBUTTONUP: OnRButtonUp(UINT(wParam), point); return TRUE;
    case WM_MOUSEACTIVATE:
        *pResult = OnMouseActivate(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(std::uintptr_t(lParam)),
                                   HIWORD(std::uintptr_t(lParam)));
        return TRUE;
    case WM_CONTEXTMENU: OnContextMenu(FromHandle(reinterpret_cast<HWND>(wParam)), point); return TRUE;
    case WM_KEYDOWN: OnKeyDown(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return TRUE;
    case WM_KEYUP: OnKeyUp(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return TRUE;
    case WM_SYSKEYDOWN:
        OnSysKeyDown(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam)));
        return TRUE;
    case WM_CHAR: OnChar(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return TRUE;
    case WM_SYSCHAR:
        OnSysChar(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam)));
        return TRUE;
    case WM_GETDLGCODE: *pResult = LRESULT(OnGetDlgCode()); return TRUE;
    case WM_MOUSEWHEEL: *pResult = OnMouseWheel(LOWORD(wParam), short(HIWORD(wParam)), point); return TRUE;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam) != 0 ? TRUE : FALSE);
        return TRUE;
    case WM_SETCURSOR:
        *pResult = OnSetCursor(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(std::uintptr_t(lParam)),
                               HIWORD(std::uintptr_t(lParam)));
        return TRUE;
    case WM_SETFOCUS: OnSetFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return TRUE;
    case WM_KILLFOCUS: OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return TRUE;
    case WM_CAPTURECHANGED: OnCaptureChanged(FromHandle(reinterpret_cast<HWND>(lParam))); return TRUE;
    case WM_HSCROLL: OnHScroll(LOWORD(wParam), HIWORD(wParam), nullptr); return TRUE;
    case WM_VSCROLL: OnVScroll(LOWORD(wParam), HIWORD(wParam), nullptr); return TRUE;
    case WM_SYSCOLORCHANGE: OnSysColorChange(); return TRUE;
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_NOTIFY: return OnNotify(wParam, lParam, pResult);
    default: return FALSE;
    }
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: DestroyWindow(); return 0;
    case WM_PAINT: {
        CPaintDC dc(this);  // validates (and erases) what was invalid
        return 0;
    }
    case WM_ERASEBKGND: {
        auto* dc = reinterpret_cast<CDC*>(wParam);
        if (!dc || !surface_) return 0;
        CRect client;
        GetClientRect(&client);
        dc->FillSolidRect(client, RGB(255, 255, 255));
        return 1;
    }
    case WM_MOUSEACTIVATE:
        // A child window lets its parent decide first.
        if ((style_ & WS_CHILD) && GetParent()) {
            const LRESULT parentAnswer = GetParent()->SendMessage(message, wParam, lParam);
            if (parentAnswer) return parentAnswer;
        }
        return MA_ACTIVATE;
    case WM_RBUTTONUP: {
        CPoint screen(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        ClientToScreen(&screen);
        SendMessage(WM_CONTEXTMENU, WPARAM(GetSafeHwnd()), MAKELPARAM(screen.x, screen.y));
        return 0;
    }
    case WM_CONTEXTMENU:
        if ((style_ & WS_CHILD) && GetParent()) GetParent()->SendMessage(message, wParam, lParam);
        return 0;
    case WM_SETCURSOR:
        if ((style_ & WS_CHILD) && GetParent() && GetParent()->SendMessage(message, wParam, lParam)) return TRUE;
        SetCursor(LoadStandardCursor(IDC_ARROW));
        return FALSE;
    case WM_SETFONT:
        if (!surface_) return 0;
        font_ = reinterpret_cast<HFONT>(wParam);
        if (lParam) Invalidate(TRUE);
        return 0;
    case WM_GETFONT: return surface_ ? LRESULT(font_) : 0;
    case WM_IME_CHAR: return SendMessage(WM_CHAR, wParam, lParam);
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_SYSKEYDOWN:
        // Not taken: the key goes on as Qt would send it (to the parent widget, to shortcuts).
        if (translatedEvent_) translatedEvent_->ignore();
        return 0;
    case WM_MOUSEWHEEL:
        if (translatedEvent_) {
            translatedEvent_->ignore();  // Qt hands it to the parent widget
        } else if ((style_ & WS_CHILD) && GetParent()) {
            return GetParent()->SendMessage(message, wParam, lParam);
        }
        return 0;
    default: return 0;
    }
}

LRESULT CWnd::Default()
{
    return DefWindowProc(currentMessage_, currentWParam_, currentLParam_);
}

int CWnd::OnCreate(CREATESTRUCT*) { return int(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::PostNcDestroy() {}
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return BOOL(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return int(Default()); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnSysChar(UINT, UINT, UINT)
{
    Default();
}
UINT CWnd::OnGetDlgCode()
{
    return UINT(Default());
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint)
{
    return BOOL(Default());
}
BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return BOOL(Default()); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnSysColorChange() { Default(); }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (lParam == 0) {
        // A command from a menu, an accelerator or a toolbar runs only while enabled.
        CCmdUI state;
        state.m_nID = id;
        OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state, false);
        if (state.m_enabled == false) return TRUE;
        return OnCmdMsg(id, CN_COMMAND, nullptr, false);
    }
    return OnCmdMsg(id, int(std::int16_t(HIWORD(wParam))), nullptr, false);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    const auto it = notifies_.find(NotifyKey(UINT(header->idFrom), header->code));
    if (it == notifies_.end()) return FALSE;
    const auto handler = it->second;
    handler(header, pResult);
    return TRUE;
}

bool CWnd::HandleKindEvent(QEvent*)
{
    return false;
}

bool CWnd::HandleWidgetEvent(QEvent* event)
{
    if (HandleKindEvent(event)) return true;
    const auto alive = alive_;
    switch (event->type()) {
    case QEvent::Paint:
        if (!surface_) return false;
        PaintFromWidget(event);
        return true;
    case QEvent::Resize: {
        if (bridge_) bridge_->BaseEvent(event);
        if (!*alive || !widget_) return true;
        ClientResized();
        return true;
    }
    case QEvent::Close: {
        QPointer<QWidget> widget(widget_);
        Dispatch(WM_CLOSE, 0, 0);
        // The window closed when its handler hid or destroyed it (a dialog's Cancel, a frame
        // that ends); one still showing refused, and Qt is told so.
        if (widget && widget->isVisible()) event->ignore();
        else event->accept();
        return true;
    }
    case QEvent::Show:
        QueueCoveredPaint();
        return false;
    case QEvent::Leave:
        if (!nonClient_) TellPopupsPointerLeft();  // a window with a frame hears it from its client
        return false;
    case QEvent::Timer: {
        const auto it = timers_.find(static_cast<QTimerEvent*>(event)->timerId());
        if (it == timers_.end()) return false;
        Dispatch(WM_TIMER, it->second, 0);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return HandleMouse(event);
    case QEvent::KeyPress: return HandleKey(event);
    case QEvent::Wheel: return HandleWheel(event);
    case QEvent::InputMethod: {
        if (!surface_ && !controlInput_) return false;
        const std::string typed = QStringToCp1252(static_cast<QInputMethodEvent*>(event)->commitString());
        for (const char c : typed) {
            Dispatch(WM_IME_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
            if (!*alive || !widget_) return true;
        }
        event->accept();
        return true;
    }
    case QEvent::KeyRelease: {
        if (!surface_) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        g_modifiers = key->modifiers();
        const UINT vk = VirtualKey(key->key());
        if (!vk) return false;
        // A held key repeats as presses alone: Qt's releases between the repeats are dropped.
        if (!key->isAutoRepeat()) Dispatch(WM_KEYUP, vk, MAKELPARAM(1, 0xC000));
        if (*alive) event->accept();
        return true;
    }
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // Qt tells every widget of the window; the window itself hears it once.
        if (!widget_->isWindow()) return false;
        Dispatch(WM_ACTIVATE, MAKEWPARAM(event->type() == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE,
                                         widget_->isMinimized() ? 1 : 0),
                 0);
        return false;
    case QEvent::FocusIn: {
        if (!surface_ && !controlInput_) return false;
        QEvent* saved = std::exchange(translatedEvent_, event);
        Dispatch(WM_SETFOCUS, WPARAM(std::exchange(g_lastFocusLost, nullptr)), 0);
        if (*alive) translatedEvent_ = saved;
        return true;
    }
    case QEvent::FocusOut: {
        if (!surface_ && !controlInput_) return false;
        g_lastFocusLost = handle_;
        CWnd* next = nullptr;
        for (QWidget* w = QApplication::focusWidget(); w && !next; w = w->parentWidget()) next = FromWidget(w);
        QEvent* saved = std::exchange(translatedEvent_, event);
        Dispatch(WM_KILLFOCUS, WPARAM(next ? next->GetSafeHwnd() : nullptr), 0);
        if (*alive) translatedEvent_ = saved;
        return true;
    }
    case QEvent::ContextMenu: {
        if (!surface_) return false;
        // A right click reaches the window as WM_RBUTTONUP, whose default processing asks
        // for the menu; only the keyboard's menu key comes this way.
        auto* menu = static_cast<QContextMenuEvent*>(event);
        if (menu->reason() == QContextMenuEvent::Keyboard)
            Dispatch(WM_CONTEXTMENU, WPARAM(GetSafeHwnd()), MAKELPARAM(-1, -1));
        event->accept();
        return true;
    }
    default: return false;
    }
}

bool CWnd::ClientResized()
{
    const auto alive = alive_;
    if (!widget_) return false;
    ResizeSurface();
    CRect client;
    GetClientRect(&client);
    if (client.Size() == reportedSize_) return true;
    reportedSize_ = client.Size();
    Dispatch(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    return *alive && widget_;
}

bool CWnd::HandleClientEvent(QEvent* event)
{
    if (!widget_ || !surface_) return false;
    switch (event->type()) {
    case QEvent::Paint: PaintFromWidget(event); return true;
    case QEvent::Resize: ClientResized(); return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return HandleMouse(event);
    case QEvent::Wheel: return HandleWheel(event);
    case QEvent::Leave: TellPopupsPointerLeft(); return false;
    default: return false;
    }
}

void CWnd::TellPopupsPointerLeft()
{
    const HWND self = GetSafeHwnd();
    if (!self) return;
    std::vector<HWND> popups;  // by handle: a handler may take windows away
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        const CWnd* wnd = FromWidget(w);
        if (wnd && wnd->popupFor_ == self && w->isVisible()) popups.push_back(wnd->GetSafeHwnd());
    }
    for (const HWND handle : popups) {
        if (CWnd* popup = FromHandle(handle)) popup->SendMessage(WM_MOUSELEAVE);
    }
}

bool CWnd::PreTranslate(MSG* msg)
{
    for (CWnd* wnd = this; wnd; wnd = wnd->GetParent()) {
        const auto alive = wnd->alive_;
        if (wnd->PreTranslateMessage(msg)) return true;
        if (!*alive || !FromHandle(msg->hwnd)) return true;
    }
    return false;
}

bool CWnd::RunControlDefault(QEvent* event)
{
    if (!bridge_ || !event) return false;
    event->accept();
    bridge_->BaseEvent(event);
    return event->isAccepted();
}

bool CWnd::PreTranslateStockKey(QEvent* event)
{
    auto* key = static_cast<QKeyEvent*>(event);
    const UINT vk = VirtualKey(key->key());
    const std::string typed = KeyCharacters(key);
    const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
    const LPARAM repeat = MAKELPARAM(1, key->isAutoRepeat() ? 0x4000 : 0);
    const HWND handle = GetSafeHwnd();
    if (vk) {
        MSG msg{handle, UINT(alt ? WM_SYSKEYDOWN : WM_KEYDOWN), vk, repeat};
        if (PreTranslate(&msg) || FromHandle(handle) != this) return true;
    }
    for (const char c : typed) {
        MSG msg{handle, UINT(alt ? WM_SYSCHAR : WM_CHAR), WPARAM(static_cast<unsigned char>(c)), repeat};
        if (PreTranslate(&msg) || FromHandle(handle) != this) return true;
    }
    return false;
}

bool CWnd::HandleKey(QEvent* event)
{
    if (!surface_ && !controlInput_) return false;
    const auto alive = alive_;
    auto* key = static_cast<QKeyEvent*>(event);
    g_modifiers = key->modifiers();
    const UINT vk = VirtualKey(key->key());
    const std::string typed = KeyCharacters(key);
    if (!vk && typed.empty()) return false;
    const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
    const LPARAM repeat = MAKELPARAM(1, key->isAutoRepeat() ? 0x4000 : 0);
    const HWND handle = GetSafeHwnd();

    // On a dialog the control is asked whether it takes Tab, Enter, Esc or an arrow; when it
    // does not, Qt moves the focus or hands the key to the dialog.
    if (vk && !alt && IsDialogKey(vk)) {
        bool onDialog = false;
        for (const CWnd* wnd = GetParent(); wnd && !onDialog; wnd = wnd->GetParent()) onDialog = wnd->IsDialogHost();
        if (onDialog) {
            MSG question{handle, WM_KEYDOWN, vk, repeat};
            const LRESULT code = Dispatch(WM_GETDLGCODE, vk, LPARAM(&question));
            if (!*alive || !widget_) return true;
            if (!WantsDialogKey(UINT(code), vk)) return false;
        }
    }

    QEvent* saved = std::exchange(translatedEvent_, event);
    bool taken = false;
    const auto send = [&](UINT message, WPARAM wParam) {
        MSG msg{handle, message, wParam, repeat};
        if (PreTranslate(&msg)) {
            taken = true;
            return *alive && FromHandle(handle) == this;
        }
        event->accept();
        Dispatch(message, wParam, repeat);
        if (!*alive) return false;
        taken = taken || event->isAccepted();
        return FromHandle(handle) == this;
    };
    bool live = true;
    if (vk) live = send(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk);
    for (std::size_t i = 0; live && i < typed.size(); ++i)
        live = send(alt ? WM_SYSCHAR : WM_CHAR, WPARAM(static_cast<unsigned char>(typed[i])));
    if (!*alive) return true;
    translatedEvent_ = saved;
    if (taken) event->accept();
    else event->ignore();
    return true;
}

bool CWnd::HandleWheel(QEvent* event)
{
    if (!surface_) return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    g_modifiers = wheel->modifiers();
    g_buttons = wheel->buttons();
    const int delta = wheel->angleDelta().y();
    if (delta == 0) return false;
    const QPoint screen = wheel->globalPosition().toPoint();
    const auto alive = alive_;
    QEvent* saved = std::exchange(translatedEvent_, event);
    event->accept();
    Dispatch(WM_MOUSEWHEEL, MAKEWPARAM(int(KeyFlags(wheel->buttons(), wheel->modifiers())), delta),
             MAKELPARAM(screen.x(), screen.y()));
    if (*alive) translatedEvent_ = saved;
    return true;
}

bool CWnd::HandleMouse(QEvent* event)
{
    if (!surface_) return false;
    const auto alive = alive_;
    auto* mouse = static_cast<QMouseEvent*>(event);
    g_modifiers = mouse->modifiers();
    g_buttons = mouse->buttons();
    QPoint pos = mouse->position().toPoint();
    if (g_clip && g_capture == handle_) {
        // The capturing window sees the pointer held inside ClipCursor's rectangle.
        QPoint screen = GetClientWidget()->mapToGlobal(pos);
        screen.setX(std::clamp(screen.x(), g_clip->left, g_clip->right - 1));
        screen.setY(std::clamp(screen.y(), g_clip->top, g_clip->bottom - 1));
        pos = GetClientWidget()->mapFromGlobal(screen);
    }
    const UINT flags = KeyFlags(mouse->buttons(), mouse->modifiers());
    const LPARAM where = MAKELPARAM(pos.x(), pos.y());
    const bool left = mouse->button() == Qt::LeftButton;
    const bool right = mouse->button() == Qt::RightButton;
    cursor_detail::NotePointer(this, mouse->globalPosition().toPoint());
    if (!GetCapture() && (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
        // The window under the pointer chooses the cursor first, as the window system asks.
        const UINT mouseMessage = event->type() == QEvent::MouseMove ? WM_MOUSEMOVE : left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
        Dispatch(WM_SETCURSOR, WPARAM(GetSafeHwnd()), MAKELPARAM(HTCLIENT, mouseMessage));
        if (!*alive || !widget_) return true;
    }
    UINT message = 0;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!left && !right) break;
        const UINT down = left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
        if (event->type() == QEvent::MouseButtonPress) {
            const LRESULT activate = Dispatch(WM_MOUSEACTIVATE, WPARAM(GetSafeHwnd()), MAKELPARAM(1, down));
            if (!*alive || !widget_) return true;
            if (activate == MA_ACTIVATEANDEAT || activate == MA_NOACTIVATEANDEAT) break;
            message = down;
        } else {
            message = left ? WM_LBUTTONDBLCLK : WM_RBUTTONDOWN;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (left) message = WM_LBUTTONUP;
        else if (right) message = WM_RBUTTONUP;
        break;
    default: message = WM_MOUSEMOVE; break;
    }
    if (message) Dispatch(message, flags, where);
    // Mouse messages never travel on to the parent window.
    if (*alive) event->accept();
    return true;
}

void CWnd::PaintFromWidget(QEvent* event)
{
    const auto alive = alive_;
    QWidget* client = GetClientWidget();
    if (surface_->image.size() != client->size() && client->width() > 0 && client->height() > 0) ResizeSurface();
    if (!surface_->invalid.isEmpty()) {
        inPaintEvent_ = true;
        Dispatch(WM_PAINT, 0, 0);
        if (!*alive || !widget_ || !surface_) return;
        inPaintEvent_ = false;
    }
    if (surface_->painter) {
        // A context outlived its message: the picture is read as it stands, and the context
        // begins again if it draws more.
        surface_->painter.reset();
        surface_->painterStateOwner = nullptr;
    }
    QPainter painter(GetClientWidget());
    for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) painter.drawImage(r, surface_->image, r);
    if ((style_ & WS_BORDER) && (style_ & WS_POPUP) && widget_->isWindow()) {
        // A pop-up's thin frame, in the colour of window frames.
        painter.setPen(Qt::black);
        painter.drawRect(widget_->rect().adjusted(0, 0, -1, -1));
    }
}

void CWnd::Invalidate(BOOL bErase)
{
    InvalidateRect(nullptr, bErase);
}

void CWnd::InvalidateRect(const CRect* rect, BOOL bErase)
{
    AssertUiThread();
    if (!widget_) return;
    QWidget* client = GetClientWidget();
    const QRect area = rect ? QRect(rect->left, rect->top, rect->Width(), rect->Height()) : client->rect();
    if (surface_) {
        surface_->invalid += area.intersected(QRect(QPoint(0, 0), surface_->image.size()));
        if (bErase) surface_->erase = true;
        if (client->isVisible() && !client->visibleRegion().intersects(area)) QueueCoveredPaint();
    }
    client->update(area);
}

bool CWnd::PaintCovered()
{
    if (!widget_ || !surface_ || surface_->invalid.isEmpty() || !GetClientWidget()->isVisible()) return false;
    if (surface_->invalid.intersects(GetClientWidget()->visibleRegion())) return false;  // Qt's paint comes
    Dispatch(WM_PAINT, 0, 0);
    return true;
}

void CWnd::QueueCoveredPaint()
{
    if (coveredPaintQueued_ || !surface_ || surface_->invalid.isEmpty()) return;
    coveredPaintQueued_ = true;
    const HWND handle = GetSafeHwnd();
    QueueOnUiThread([handle] {
        CWnd* wnd = FromHandle(handle);
        if (!wnd) return;
        wnd->coveredPaintQueued_ = false;
        wnd->PaintCovered();
    });
}

void CWnd::UpdateWindow()
{
    AssertUiThread();
    if (!widget_ || !widget_->isVisible()) return;
    // A window Qt paints itself (a dialog, a frame, a control): Qt keeps what is invalid in it
    // and its children as update requests of the top-level window; sending them paints that
    // now, and what is valid stays as it is. Qt leaves out the windows of this layer that their
    // own children cover wholly (a view under its chart), whose paints wait in the queue:
    // they paint now as well.
    if (!surface_) {
        QCoreApplication::sendPostedEvents(widget_->window(), QEvent::UpdateRequest);
        std::vector<HWND> covered;  // by handle: a paint may take windows away
        for (const QWidget* child : widget_->findChildren<QWidget*>())
            if (const CWnd* wnd = FromWidget(child); wnd && wnd->coveredPaintQueued_)
                covered.push_back(wnd->GetSafeHwnd());
        for (const HWND handle : covered)
            if (CWnd* wnd = FromHandle(handle)) wnd->PaintCovered();
    } else if (!surface_->invalid.isEmpty() && !PaintCovered()) {
        GetClientWidget()->repaint(surface_->invalid);
    }
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL bRepaint)
{
    AssertUiThread();
    if (!widget_) return;
    if (widget_->isWindow()) {
        // A top-level window's rectangle is its frame's, as GetWindowRect gives it; a dialog
        // of fixed size takes the new size as its fixed size.
        const QSize frame = widget_->frameGeometry().size() - widget_->geometry().size();
        const QSize client(std::max(width - frame.width(), 0), std::max(height - frame.height(), 0));
        if (widget_->minimumSize() == widget_->maximumSize()) widget_->setFixedSize(client);
        else widget_->resize(client);
        // A window not shown yet that keeps its place is still placed by the window system
        // when shown (a dialog centred on its owner).
        if (widget_->isVisible() || widget_->frameGeometry().topLeft() != QPoint(x, y)) widget_->move(x, y);
    } else {
        widget_->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
    }
    if (!widget_->isVisible()) {
        // Qt sizes a hidden widget when it is shown; the window learns its size now.
        LayOutNonClient();
        if (!ClientResized()) return;
    }
    if (bRepaint && widget_) Invalidate(TRUE);
}

BOOL CWnd::SetWindowPos(const CWnd*, int x, int y, int cx, int cy, UINT flags)
{
    AssertUiThread();
    if (!widget_) return FALSE;
    const bool wasVisible = widget_->isVisible();
    if (!(flags & SWP_NOSIZE)) {
        const QSize size(std::max(cx, 0), std::max(cy, 0));
        if (widget_->isWindow() && widget_->minimumSize() == widget_->maximumSize()) widget_->setFixedSize(size);
        widget_->resize(size);
    }
    if (!(flags & SWP_NOMOVE)) widget_->move(x, y);
    if (!widget_->isVisible()) {
        LayOutNonClient();
        if (!ClientResized()) return TRUE;
    }
    if (flags & SWP_SHOWWINDOW) {
        // A window shown comes out on top; one showing already is raised.
        ShowWindow((flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
        if (wasVisible && widget_ && widget_->isWindow() && !(flags & SWP_NOZORDER)) widget_->raise();
    }
    return TRUE;
}

void CWnd::MoveWindow(const CRect& rect, BOOL bRepaint)
{
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), bRepaint);
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    AssertUiThread();
    if (!widget_) return FALSE;
    const BOOL wasVisible = widget_->isHidden() ? FALSE : TRUE;
    if (nCmdShow == SW_HIDE) {
        widget_->hide();
    } else if (nCmdShow == SW_SHOWNA && widget_->isWindow() && !widget_->testAttribute(Qt::WA_ShowWithoutActivating)) {
        widget_->setAttribute(Qt::WA_ShowWithoutActivating);
        widget_->show();
        widget_->setAttribute(Qt::WA_ShowWithoutActivating, false);
    } else {
        widget_->show();
    }
    return wasVisible;
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    AssertUiThread();
    if (!widget_) return FALSE;
    const BOOL wasDisabled = widget_->testAttribute(Qt::WA_Disabled) ? TRUE : FALSE;
    widget_->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    return widget_ && !widget_->testAttribute(Qt::WA_Disabled) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const
{
    return widget_ && widget_->isVisible() ? TRUE : FALSE;
}

void CWnd::GetClientRect(CRect* rect) const
{
    const QWidget* client = GetClientWidget();
    *rect = client ? CRect(0, 0, client->width(), client->height()) : CRect();
}

void CWnd::GetWindowRect(CRect* rect) const
{
    if (!widget_) {
        *rect = CRect();
        return;
    }
    const QRect frame = widget_->isWindow() ? widget_->frameGeometry()
                                            : QRect(widget_->mapToGlobal(QPoint(0, 0)), widget_->size());
    *rect = CRect(frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height());
}

void CWnd::ClientToScreen(CPoint* point) const
{
    if (!widget_) return;
    const QPoint p = GetClientWidget()->mapToGlobal(QPoint(point->x, point->y));
    *point = CPoint(p.x(), p.y());
}

void CWnd::ScreenToClient(CPoint* point) const
{
    if (!widget_) return;
    const QPoint p = GetClientWidget()->mapFromGlobal(QPoint(point->x, point->y));
    *point = CPoint(p.x(), p.y());
}

void SetControlText(QWidget* widget, const QString& text, DWORD style)
{
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setProperty(RawTextProperty, text);
        label->setText((style & SS_NOPREFIX) ? text : StripPrefixes(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else {
        widget->setWindowTitle(text);
    }
}

QString ControlText(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        const QVariant raw = label->property(RawTextProperty);
        return raw.isValid() ? raw.toString() : label->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    return widget->windowTitle();
}

void CWnd::SetWindowText(const std::string& text)
{
    AssertUiThread();
    if (widget_) SetControlText(widget_, Cp1252ToQString(text), style_);
}

std::string CWnd::GetWindowText() const
{
    return widget_ ? QStringToCp1252(ControlText(widget_)) : std::string();
}

CWnd* CWnd::GetDlgItem(int id) const
{
    if (!widget_) return nullptr;
    // The children of a window with a non-client area lie in its client widget.
    const QWidget* parents[] = {widget_, GetClientWidget()};
    for (const QWidget* parent : parents) {
        for (QObject* child : parent->children()) {
            if (!child->isWidgetType()) continue;
            CWnd* wnd = FromWidget(static_cast<QWidget*>(child));
            if (wnd && wnd->GetDlgCtrlID() == id) return wnd;
        }
    }
    return nullptr;
}

BOOL EnumChildWindows(CWnd* parent, BOOL (*proc)(HWND, LPARAM), LPARAM lParam)
{
    if (!parent || !parent->GetWidget() || !proc) return TRUE;
    std::vector<HWND> handles;
    for (QWidget* child : parent->GetWidget()->findChildren<QWidget*>()) {
        CWnd* wnd = CWnd::FromWidget(child);
        // A window with a non-client area is met once, whichever of its widgets comes.
        if (wnd && wnd != parent && wnd->GetSafeHwnd() &&
            std::find(handles.begin(), handles.end(), wnd->GetSafeHwnd()) == handles.end())
            handles.push_back(wnd->GetSafeHwnd());
    }
    for (HWND handle : handles) {
        if (!CWnd::FromHandle(handle)) continue;
        if (!proc(handle, lParam)) return FALSE;
    }
    return TRUE;
}

CWnd* CWnd::GetParent() const
{
    if (!widget_) return nullptr;
    for (QWidget* w = widget_->parentWidget(); w; w = w->parentWidget()) {
        if (CWnd* wnd = FromWidget(w)) return wnd;
    }
    return nullptr;
}

CWnd* CWnd::GetOwner() const
{
    return owner_ ? owner_ : GetParent();
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (CWnd* wnd = GetParent(); wnd; wnd = wnd->GetParent()) {
        if (wnd->IsKindOf(&CFrameWnd::Runtime)) return static_cast<CFrameWnd*>(wnd);
    }
    return nullptr;
}

CWnd* CWnd::SetFocus()
{
    AssertUiThread();
    CWnd* previous = GetFocus();
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
    return previous;
}

CWnd* CWnd::GetFocus()
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (CWnd* wnd = FromWidget(w)) return wnd;
    }
    return nullptr;
}

CWnd* CWnd::SetCapture()
{
    AssertUiThread();
    CWnd* previous = FromHandle(g_capture);
    if (previous == this) return previous;
    g_capture = handle_;
    g_clip.reset();
    if (previous) {
        if (previous->widget_ && previous->GetClientWidget()->isVisible()) previous->GetClientWidget()->releaseMouse();
        previous->SendMessage(WM_CAPTURECHANGED, 0, LPARAM(handle_.load()));
    }
    if (widget_ && GetClientWidget()->isVisible() && g_capture == handle_) GetClientWidget()->grabMouse();
    return previous;
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(g_capture);
}

BOOL CWnd::ReleaseCapture()
{
    AssertUiThread();
    CWnd* previous = FromHandle(g_capture);
    g_capture = nullptr;
    g_clip.reset();
    if (!previous) return TRUE;
    if (previous->widget_ && previous->GetClientWidget()->isVisible()) previous->GetClientWidget()->releaseMouse();
    previous->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, void*)
{
    AssertUiThread();
    if (!widget_) return 0;
    KillTimer(id);
    const int qtId = widget_->startTimer(int(std::min<UINT>(elapse, 0x7FFFFFFF)));
    if (qtId == 0) return 0;
    timers_[qtId] = id;
    return id;
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    AssertUiThread();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second == id) {
            if (widget_) widget_->killTimer(it->first);
            timers_.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}
