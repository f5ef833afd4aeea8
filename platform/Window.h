// Windows: objects that own a Qt widget and receive its input, paint and life-cycle events as
// messages, through virtual handlers with the framework's names and through tables of
// messages and notifications.
//
// Ownership. A CWnd object owns its widget; the object may live longer than the window:
// DestroyWindow destroys the widget and leaves the object, which can create a new window
// later (with a new handle). Deleting the object destroys its window first. Destroying a
// window destroys its child windows; their objects are told (OnDestroy, PostNcDestroy) and
// remain, except for classes that delete themselves in PostNcDestroy (views and frames).
// So a child window hosted by another object (a chart in a view) is created with
// Create(..., parent, id); its owner deletes the object or destroys its window.
//
// Threads. Every member touches widgets and belongs to the user-interface thread (a debug
// build stops otherwise), except PostMessage, which any thread may call, and SendMessage,
// which from another thread runs the handler on the user-interface thread and waits.
#pragma once

#include "platform/CmdTarget.h"
#include "platform/ScrollInfo.h"
#include "platform/WinTypes.h"

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QEvent;
class QRect;
class QWidget;
class CDC;
class CFrameWnd;
class CWnd;
struct CCreateContext;
struct NonClientArea;
struct WindowSurface;

// Header of a WM_NOTIFY record; a control's own record starts with it.
struct NMHDR
{
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    int code = 0;
};

// What Create hands to PreCreateWindow (which may change it) and to OnCreate.
struct CREATESTRUCT
{
    CCreateContext* lpCreateParams = nullptr;
    CWnd* hwndParent = nullptr;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    DWORD style = 0;
    UINT id = 0;
    std::string lpszName;
};

// A font handle (the address of a CFont, see DeviceContext.h).
struct FontHandleTag;
using HFONT = FontHandleTag*;

// A number from FirstRegisteredMessage to LastRegisteredMessage, the same for every call
// with the same name during the process (any thread); 0 when the range is used up.
UINT RegisterWindowMessage(const char* name);

// The state of a key while the current input message is handled (the modifiers of the key or
// mouse event being translated, else of the last one): negative while it is down. Knows
// VK_SHIFT, VK_CONTROL, VK_MENU and VK_LBUTTON; 0 for any other key.
short GetKeyState(int virtualKey);

// Confines the mouse to a rectangle of the screen while a window holds the capture: the points
// of the capturing window's mouse messages are clamped to it (the pointer itself is not moved).
// Null, or the end of the capture, frees the mouse. TRUE.
BOOL ClipCursor(const CRect* screenRect);

class CWnd : public CCmdTarget
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates a custom-drawn window: a child of parent when style has WS_CHILD, else a
    // top-level window; rect is in the parent's client pixels (the whole window's, scroll bars
    // included, with WS_HSCROLL or WS_VSCROLL, which show the bars). PreCreateWindow runs before the
    // window exists, OnCreate once it does (then WM_SIZE, then it shows with WS_VISIBLE).
    // FALSE, and no window, when either refuses, when a child has no parent window, or when
    // a window exists already; a view refused by OnCreate has deleted itself (LifeToken).
    virtual BOOL Create(const char* className, const char* windowName, DWORD style, const CRect& rect,
                        CWnd* parent, UINT id, CCreateContext* context = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    // Create with extended styles. WS_POPUP with WS_EX_TOOLWINDOW makes a tool pop-up: a
    // frameless top-level window of its own (not a child of parent's widget; rect in screen
    // coordinates) that never takes the focus, is shown without being activated and lets
    // all input through to the window beneath it, which gets the mouse and keys as if the
    // pop-up were not there (the program hides the pop-up from that window's handlers);
    // WS_EX_TOPMOST keeps it above the other windows, WS_BORDER draws a one-pixel frame over
    // the outermost pixels of its client area. While it shows, it is sent WM_MOUSELEAVE when
    // the pointer leaves the client area of parent (the window it was made for).
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const CRect& rect,
                  CWnd* parent, UINT id);
    // Destroys the window (OnDestroy, the children, PostNcDestroy); FALSE without one.
    BOOL DestroyWindow();

    // Makes this object the window object of the parent's child control id in place of the
    // object it had (which is left without a window), then calls PreSubclassWindow. FALSE
    // when there is no such control.
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Called when SubclassDlgItem has made this object the window's object.
    virtual void PreSubclassWindow();

    HWND GetSafeHwnd() const;
    // The object of a live window, null for a destroyed or null handle.
    static CWnd* FromHandle(HWND handle);
    // The object of a widget made by this layer, null for any other widget.
    static CWnd* FromWidget(const QWidget* widget);
    // The window's Qt widget, null without a window.
    QWidget* GetWidget() const { return widget_; }
    // The widget of the client area: the window's own widget, or the one inside the frame and
    // scroll bars of a window with a non-client area. Mouse input and painting happen there.
    QWidget* GetClientWidget() const;
    // Expires when the object is deleted: how a caller learns that a handler, or a failed
    // Create, deleted an object that deletes itself (views and frames).
    std::weak_ptr<bool> LifeToken() const { return alive_; }

    // Messages. SendMessage runs the window's handler now and returns its reply (0 without
    // a window). PostMessage queues the message for the user-interface thread and returns at
    // once; posts arrive in the order they were made, and a post to a window destroyed in
    // the meantime is dropped, even when the object has created a new window since.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Dispatches a message: the message table first, then the handlers below.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window system's own processing of a message (what a handler's base class does). A
    // custom-drawn window keeps the font of WM_SETFONT and gives it back for WM_GETFONT, as
    // the window system's controls do.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc of the message being handled.
    LRESULT Default();

    // Handlers.
    virtual int OnCreate(CREATESTRUCT* cs);
    virtual void OnDestroy();
    virtual void PostNcDestroy();
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* pDC);
    virtual void OnSize(UINT nType, int cx, int cy);
    virtual void OnClose();
    virtual void OnTimer(UINT_PTR nIDEvent);
    virtual void OnMouseMove(UINT nFlags, CPoint point);
    virtual void OnLButtonDown(UINT nFlags, CPoint point);
    virtual void OnLButtonUp(UINT nFlags, CPoint point);
    virtual void OnLButtonDblClk(UINT nFlags, CPoint point);
    virtual void OnRButtonDown(UINT nFlags, CPoint point);
    virtual void OnRButtonUp(UINT nFlags, CPoint point);
    virtual int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    virtual void OnContextMenu(CWnd* pWnd, CPoint screenPoint);
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    // A key let go; the releases of a held key's repeats do not come.
    virtual void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    // The key with Alt held (WM_SYSKEYDOWN); default: the menus and shortcuts of Qt take it.
    virtual void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    // A typed character in Windows-1252 (WM_CHAR), after its key's WM_KEYDOWN; with Alt held
    // WM_SYSCHAR. Input-method text comes as WM_IME_CHAR, whose default processing is WM_CHAR.
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    // Which of Tab, Enter, Esc and the arrows the window takes from a dialog (or form view) it
    // lies on, asked before the dialog moves the focus or presses a button; DLGC_ bits. Default:
    // none for a custom-drawn window, the arrows and characters for an edit control.
    virtual UINT OnGetDlgCode();
    // The wheel turned over the window (zDelta in 120ths of a notch, point on the screen); TRUE
    // when handled. Default: the parent window gets it.
    virtual BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    // Called for every key and character message before it is dispatched, for the window it is
    // for and then for each of its parents: TRUE takes the message (it is not dispatched).
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // A top-level window became active (WA_ACTIVE) or inactive (WA_INACTIVE); the other window
    // is not known here (null).
    virtual void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    // The pointer moved or pressed over this window (hit test HTCLIENT, the mouse message):
    // TRUE when the handler set the cursor. Default: a child window asks its parent first, then
    // the arrow shows (FALSE).
    virtual BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    virtual void OnSetFocus(CWnd* pOldWnd);
    virtual void OnKillFocus(CWnd* pNewWnd);
    virtual void OnCaptureChanged(CWnd* pWnd);
    // WM_HSCROLL and WM_VSCROLL of the window's own bars (pScrollBar null); nPos is the low 16
    // bits of the position for the thumb codes (SIF_TRACKPOS gives all of it).
    virtual void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    virtual void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    // WM_SYSCOLORCHANGE: the system colours (GetSysColor) changed.
    virtual void OnSysColorChange();
    // WM_COMMAND: a command without a control (lParam 0: menus, accelerators, toolbars) runs
    // only when its update handler leaves it enabled; then OnCmdMsg routes it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: the notification table; the handler's reply goes to *pResult.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Painting. Custom-drawn windows keep their picture on a retained surface: Invalidate
    // marks a part for the next paint (OnPaint draws into the surface), the screen shows the
    // surface, and drawing outside a paint (CClientDC) changes the surface at once.
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const CRect* rect, BOOL bErase = TRUE);
    // Paints the invalid part now, if any (a window that Qt paints: what Qt holds invalid in
    // its top-level window, and its windows that their children cover wholly; nothing when
    // nothing is).
    void UpdateWindow();

    // Placement and state.
    // A child in its parent's client coordinates; a top-level window by its frame rectangle in
    // screen coordinates (as GetWindowRect gives it).
    void MoveWindow(int x, int y, int width, int height, BOOL bRepaint = TRUE);
    void MoveWindow(const CRect& rect, BOOL bRepaint = TRUE);
    // Sizes (unless SWP_NOSIZE) and moves (unless SWP_NOMOVE) the window, then shows it with
    // SWP_SHOWWINDOW (not activated with SWP_NOACTIVATE; a top-level window comes to the top
    // unless SWP_NOZORDER);
    // otherwise the z-order stays as it is (insertAfter is not used). A top-level window only sized keeps the place the window
    // system gives it: a dialog not yet shown is still centred on its owner. FALSE without a
    // window.
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    // Returns TRUE when the window was visible before. SW_SHOWNA shows without activating.
    BOOL ShowWindow(int nCmdShow);
    // Returns TRUE when the window was disabled before.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    void GetClientRect(CRect* rect) const;
    void GetWindowRect(CRect* rect) const;  // screen coordinates
    void ClientToScreen(CPoint* point) const;
    void ScreenToClient(CPoint* point) const;
    void SetWindowText(const std::string& text);  // Windows-1252
    std::string GetWindowText() const;
    DWORD GetStyle() const { return style_; }
    DWORD GetExStyle() const { return exStyle_; }
    // Removes and adds extended styles; a window with a non-client area shows or loses its
    // sunken client edge (WS_EX_CLIENTEDGE), which changes its client size (WM_SIZE).
    // Returns TRUE when the styles changed.
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);

    // The window's own scroll bars (windows with a non-client area: template controls of
    // ControlKind::Custom and windows created with WS_HSCROLL or WS_VSCROLL; the others have
    // none and these return FALSE or 0). A bar keeps its range, page and position while it is
    // hidden. SetScrollInfo takes the fields of fMask: the page is cut to the range's length
    // and the position to nMin..nMax - nPage + 1 after every change. With SIF_RANGE or
    // SIF_PAGE, a change that leaves nothing to scroll hides the bar (disables it with
    // SIF_DISABLENOSCROLL) and one that leaves something to scroll shows and enables it. Showing
    // or hiding a bar changes the client size (WM_SIZE). The user's actions on a bar arrive as
    // WM_HSCROLL or WM_VSCROLL; after the handler the bar shows the position it left.
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO info, BOOL bRedraw = TRUE);
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO info, UINT nMask = SIF_ALL);
    int GetScrollPos(int nBar) const;  // 0 without a bar
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);  // returns the previous position
    // Shows or hides SB_HORZ, SB_VERT or SB_BOTH.
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
    // The window's own bar: shown when enable, else hidden.
    void EnableScrollBarCtrl(int nBar, BOOL bEnable = TRUE);

    // Relatives.
    CWnd* GetDlgItem(int id) const;  // the child window with this id, null without one
    int GetDlgCtrlID() const { return int(id_); }
    CWnd* GetParent() const;
    CWnd* GetOwner() const;  // the owner set by SetOwner, else the parent
    void SetOwner(CWnd* owner) { owner_ = owner; }
    CFrameWnd* GetParentFrame() const;  // the nearest frame above this window

    // Focus and capture.
    CWnd* SetFocus();  // returns the window that had the focus
    static CWnd* GetFocus();
    // Directs the mouse to this window; the previous capture window gets WM_CAPTURECHANGED.
    CWnd* SetCapture();
    static CWnd* GetCapture();
    // Ends the capture; its window gets WM_CAPTURECHANGED with no new window.
    static BOOL ReleaseCapture();

    // Timers: WM_TIMER with the id every elapse milliseconds until KillTimer or destruction.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, void* unused = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // Called by the widget that carries this window's events (not for the program's own use).
    bool HandleWidgetEvent(QEvent* event);
    // The same for events of the client widget inside a non-client area, and for the user's
    // actions on the window's scroll bars (a QAbstractSlider action; released: the mouse let
    // go, after dragging the thumb when thumb is set).
    bool HandleClientEvent(QEvent* event);
    void HandleScrollAction(int nBar, int action);
    void HandleScrollRelease(int nBar, bool thumb);
    // The widget is being deleted by Qt: the window's objects hear of it while it is whole.
    void WidgetDestroying();
    // A key pressed in a stock control (an edit, a combo box) goes through PreTranslateMessage
    // of the control and its parents first, as WM_KEYDOWN and then WM_CHAR for each character
    // it types: true when one of them took it, and the control is not to see the key (used by
    // the layer's watch on stock controls, not by the program).
    bool PreTranslateStockKey(QEvent* event);
    WindowSurface* Surface() const { return surface_.get(); }

    // Makes widget this object's window with a new handle (used by the window kinds of this
    // layer, not by the program).
    void AttachWidget(QWidget* widget, UINT id, DWORD style);
    // Makes a custom-drawn window with a non-client area (a frame for WS_EX_CLIENTEDGE and two
    // scroll bars, shown for WS_HSCROLL and WS_VSCROLL) as this object's window: a child of
    // parent at geometry, which covers the whole window (used by the layer, not the program).
    void AttachNonClientWindow(QWidget* parent, const QRect& geometry, UINT id, DWORD style);

protected:
    // Message table: messages (custom, posted or registered) handled by a member.
    template <class T>
    void MapMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM))
    {
        T* self = static_cast<T*>(this);
        messages_[message] = [self, handler](WPARAM w, LPARAM l) { return (self->*handler)(w, l); };
    }
    // Notification table: WM_NOTIFY with code from control id.
    template <class T>
    void MapNotify(int code, UINT id, void (T::*handler)(NMHDR*, LRESULT*))
    {
        T* self = static_cast<T*>(this);
        notifies_[NotifyKey(id, code)] = [self, handler](NMHDR* h, LRESULT* r) { (self->*handler)(h, r); };
    }

    // Gives a custom-drawn window its surface, of the window's size.
    void EnableSurface();
    // Ends the current window without destroying the widget (the widget is going already).
    void DetachWidget();

    // A window kind's own translation of Qt events (a dialog's Enter and Escape, a frame's
    // dropped files), asked before the common one; true when it took the event.
    virtual bool HandleKindEvent(QEvent* event);
    // Whether the window is a dialog (or form view) that moves the focus by Tab and presses
    // buttons by Enter and Esc, asking its controls first (WM_GETDLGCODE).
    virtual bool IsDialogHost() const { return false; }
    // Makes a stock Qt control of this layer (its widget carries its events here) receive its
    // input as messages: keys, characters, focus. Default processing of those runs the control's
    // own Qt handling of the event being translated (RunControlDefault).
    void EnableControlInput() { controlInput_ = true; }
    bool HasControlInput() const { return controlInput_; }
    // The Qt event being translated into the current message, null for a message sent or
    // posted by the program.
    QEvent* TranslatedEvent() const { return translatedEvent_; }
    // Runs the Qt handling of the widget's own class for event (default processing of a stock
    // control); returns whether the control accepted it.
    bool RunControlDefault(QEvent* event);
    // Runs a message through WindowProc, keeping it as the message that Default processes.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // Messages of a window kind that the common switch does not know.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    UINT id_ = 0;

private:
    static std::uint64_t NotifyKey(UINT id, int code) { return (std::uint64_t(std::uint32_t(code)) << 32) | id; }
    void ResizeSurface();
    // The client area took its size (its widget's): the surface follows and, for a new size,
    // WM_SIZE. Returns false when the handler deleted the object or destroyed the window.
    bool ClientResized();
    // Lays out a non-client area (frame, bars, client) at once, shown or not.
    void LayOutNonClient();
    void PushScrollBar(int nBar);
    // Qt paints only what shows of a widget, the window system a window whose child windows
    // cover it as well (a view that hosts other views draws on each repaint): these paint
    // the invalid part of a covered window, now or once the queued events have run.
    bool PaintCovered();
    void QueueCoveredPaint();
    // Tells every window object in the tree of widget that its window goes: WM_DESTROY from
    // the top down, then each object is cut from its widget and gets PostNcDestroy from the
    // bottom up.
    static void TearDownTree(QWidget* widget);
    bool HandleMouse(QEvent* event);
    // The pointer left the client area: WM_MOUSELEAVE to the tool pop-ups showing for it.
    void TellPopupsPointerLeft();
    bool HandleKey(QEvent* event);
    bool HandleWheel(QEvent* event);
    // PreTranslateMessage of the window and then its parents; true when one took the message.
    bool PreTranslate(MSG* msg);
    void PaintFromWidget(QEvent* event);

    QWidget* widget_ = nullptr;
    class WidgetBridge* bridge_ = nullptr;  // event carrier of widgets made by this layer
    std::atomic<HWND> handle_{nullptr};     // read by PostMessage on any thread
    CWnd* owner_ = nullptr;
    HFONT font_ = nullptr;  // WM_SETFONT's font
    std::unique_ptr<WindowSurface> surface_;
    std::unique_ptr<NonClientArea> nonClient_;  // windows with a frame and scroll bars only
    std::unordered_map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> messages_;
    std::unordered_map<std::uint64_t, std::function<void(NMHDR*, LRESULT*)>> notifies_;
    std::unordered_map<int, UINT_PTR> timers_;  // Qt timer id -> window timer id
    UINT currentMessage_ = 0;
    WPARAM currentWParam_ = 0;
    LPARAM currentLParam_ = 0;
    bool inPaintEvent_ = false;
    bool coveredPaintQueued_ = false;
    bool destroying_ = false;  // WM_DESTROY has been sent: DestroyWindow does nothing more
    bool controlInput_ = false;
    DWORD createExStyle_ = 0;  // CreateEx's extended styles for the Create it calls
    HWND popupFor_ = nullptr;  // a tool pop-up's window, told when the pointer leaves it
    QEvent* translatedEvent_ = nullptr;
    CSize reportedSize_{-1, -1};  // the client size the last WM_SIZE gave
    // Cleared when the object is deleted, so a dispatch whose handler deleted the object
    // (a frame closing itself) does not touch it afterwards.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    friend class CPaintDC;
};

// Calls proc with every child window of parent and their children in turn (parents before
// their children, in the order of their creation) until proc returns FALSE; a window destroyed
// meanwhile is skipped. Returns FALSE when proc stopped the enumeration.
BOOL EnumChildWindows(CWnd* parent, BOOL (*proc)(HWND, LPARAM), LPARAM lParam);
