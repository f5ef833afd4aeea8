#include "platform/NonClientArea.h"

#include "platform/UiThread.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace {

// The scroll code of a Qt slider action; false for actions without one.
bool ScrollCode(int action, UINT* code)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: *code = SB_LINEUP; return true;
    case QAbstractSlider::SliderSingleStepAdd: *code = SB_LINEDOWN; return true;
    case QAbstractSlider::SliderPageStepSub: *code = SB_PAGEUP; return true;
    case QAbstractSlider::SliderPageStepAdd: *code = SB_PAGEDOWN; return true;
    case QAbstractSlider::SliderToMinimum: *code = SB_TOP; return true;
    case QAbstractSlider::SliderToMaximum: *code = SB_BOTTOM; return true;
    case QAbstractSlider::SliderMove: *code = SB_THUMBTRACK; return true;
    default: return false;
    }
}

// The largest position of a bar: nothing beyond the last page.
int LastPosition(const ScrollBarState& s)
{
    return std::max(s.min, s.max - std::max(s.page - 1, 0));
}

UINT ScrollMessage(int nBar)
{
    return nBar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
}

}  // namespace

NonClientScrollBar::NonClientScrollBar(Qt::Orientation orientation, int nBar) : QScrollBar(orientation), bar_(nBar)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);
    QObject::connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (CWnd* wnd = Window()) wnd->HandleScrollAction(bar_, action);
    });
}

CWnd* NonClientScrollBar::Window() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(w)) return CWnd::FromWidget(w);
    }
    return nullptr;
}

void NonClientScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    const bool thumb = isSliderDown();
    const bool left = event->button() == Qt::LeftButton;
    QScrollBar::mouseReleaseEvent(event);
    if (!left) return;
    if (CWnd* wnd = Window()) wnd->HandleScrollRelease(bar_, thumb);
}

void NonClientScrollBar::wheelEvent(QWheelEvent* event)
{
    event->accept();
}

NonClientWidget::NonClientWidget(CWnd* owner, QWidget* parent)
    : WindowWidget<QAbstractScrollArea>(owner, parent), client_(owner)
{
    setHorizontalScrollBar(new NonClientScrollBar(Qt::Horizontal, SB_HORZ));
    setVerticalScrollBar(new NonClientScrollBar(Qt::Vertical, SB_VERT));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    QWidget* client = viewport();
    client->setAttribute(Qt::WA_OpaquePaintEvent);
    client->setAttribute(Qt::WA_NoSystemBackground);
    client->setAutoFillBackground(false);
    client->setMouseTracking(true);
}

void NonClientWidget::SetOwner(CWnd* owner)
{
    WindowWidget<QAbstractScrollArea>::SetOwner(owner);
    client_ = owner;
}

bool NonClientWidget::event(QEvent* event)
{
    switch (event->type()) {
    // The frame's own picture, presses on the frame and the scroll area's layout are Qt's.
    case QEvent::Paint:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return QAbstractScrollArea::event(event);
    case QEvent::Wheel: event->accept(); return true;
    case QEvent::Resize: {
        const bool done = QAbstractScrollArea::event(event);
        // A hidden viewport is laid out without a resize event of its own.
        if (client_) client_->HandleClientEvent(event);
        return done;
    }
    default: return WindowWidget<QAbstractScrollArea>::event(event);
    }
}

bool NonClientWidget::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Paint:
    case QEvent::Resize:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (client_ && client_->HandleClientEvent(event)) return true;
        return QAbstractScrollArea::viewportEvent(event);
    case QEvent::Wheel:
        // The window's WM_MOUSEWHEEL; the scroll area never scrolls by itself.
        if (client_) client_->HandleClientEvent(event);
        event->accept();
        return true;
    case QEvent::Leave:
        if (client_) client_->HandleClientEvent(event);
        return QAbstractScrollArea::viewportEvent(event);
    default: return QAbstractScrollArea::viewportEvent(event);
    }
}

void CWnd::AttachNonClientWindow(QWidget* parent, const QRect& geometry, UINT id, DWORD style)
{
    auto* widget = new NonClientWidget(this, parent);
    widget->setGeometry(geometry);
    AttachWidget(widget, id, style & ~(WS_HSCROLL | WS_VSCROLL));
    nonClient_ = std::make_unique<NonClientArea>();
    nonClient_->area = widget;
    EnableSurface();
    if (style & WS_HSCROLL) ShowScrollBar(SB_HORZ, TRUE);
    if (style & WS_VSCROLL) ShowScrollBar(SB_VERT, TRUE);
    LayOutNonClient();
    ResizeSurface();
}

void CWnd::LayOutNonClient()
{
    if (!nonClient_) return;
    static_cast<NonClientWidget*>(nonClient_->area)->LayOut();
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT)
{
    AssertUiThread();
    const DWORD styles = (exStyle_ & ~remove) | add;
    if (styles == exStyle_) return FALSE;
    exStyle_ = styles;
    if (nonClient_) {
        nonClient_->area->setFrameStyle((exStyle_ & WS_EX_CLIENTEDGE) ? (QFrame::WinPanel | QFrame::Sunken) : QFrame::NoFrame);
        LayOutNonClient();
        ClientResized();
    }
    return TRUE;
}

void CWnd::PushScrollBar(int nBar)
{
    const ScrollBarState& s = nonClient_->bars[nBar];
    QScrollBar* bar = nonClient_->Bar(nBar);
    bar->setRange(s.min, LastPosition(s));
    bar->setPageStep(std::max(s.page, 0));
    bar->setValue(s.pos);
    bar->setEnabled(s.enabled);
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO info, BOOL)
{
    AssertUiThread();
    if (!nonClient_ || !info || (nBar != SB_HORZ && nBar != SB_VERT)) return FALSE;
    ScrollBarState& s = nonClient_->bars[nBar];
    const UINT mask = info->fMask;
    bool changed = false;
    if (mask & SIF_RANGE) {
        changed = changed || s.min != info->nMin || s.max != info->nMax;
        s.min = info->nMin;
        s.max = std::max(info->nMin, info->nMax);
    }
    if (mask & SIF_PAGE) {
        const int page = int(std::min<UINT>(info->nPage, 0x7FFFFFFF));
        changed = changed || s.page != page;
        s.page = page;
    }
    // The page never exceeds the range, the position never the last page, after any change.
    s.page = std::min(s.page, s.max - s.min + 1);
    if (mask & SIF_POS) s.pos = info->nPos;
    s.pos = std::clamp(s.pos, s.min, LastPosition(s));
    if (mask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
        const bool nothingToScroll = s.min >= LastPosition(s);
        if (nothingToScroll) {
            if (mask & SIF_DISABLENOSCROLL) s.enabled = false;
            else if (changed && s.shown) ShowScrollBar(UINT(nBar), FALSE);
        } else if ((mask & ~SIF_DISABLENOSCROLL) != SIF_PAGE) {
            s.enabled = true;
            if (changed && !s.shown) ShowScrollBar(UINT(nBar), TRUE);
        }
    }
    if (nonClient_) PushScrollBar(nBar);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO info, UINT nMask)
{
    if (!nonClient_ || !info || (nBar != SB_HORZ && nBar != SB_VERT)) return FALSE;
    const ScrollBarState& s = nonClient_->bars[nBar];
    info->fMask = nMask;
    if (nMask & SIF_RANGE) {
        info->nMin = s.min;
        info->nMax = s.max;
    }
    if (nMask & SIF_PAGE) info->nPage = UINT(s.page);
    if (nMask & SIF_POS) info->nPos = s.pos;
    if (nMask & SIF_TRACKPOS) info->nTrackPos = s.trackPos;
    return TRUE;
}

int CWnd::GetScrollPos(int nBar) const
{
    if (!nonClient_ || (nBar != SB_HORZ && nBar != SB_VERT)) return 0;
    return nonClient_->bars[nBar].pos;
}

int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw)
{
    const int previous = GetScrollPos(nBar);
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = nPos;
    SetScrollInfo(nBar, &info, bRedraw);
    return previous;
}

void CWnd::ShowScrollBar(UINT nBar, BOOL bShow)
{
    AssertUiThread();
    if (!nonClient_) return;
    bool changed = false;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (!(nBar == SB_BOTH || nBar == UINT(b))) continue;
        ScrollBarState& s = nonClient_->bars[b];
        const bool show = bShow != FALSE;
        if (s.shown == show) continue;
        s.shown = show;
        changed = true;
        const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
        if (b == SB_HORZ) nonClient_->area->setHorizontalScrollBarPolicy(policy);
        else nonClient_->area->setVerticalScrollBarPolicy(policy);
        const DWORD bit = b == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
        style_ = show ? (style_ | bit) : (style_ & ~bit);
    }
    if (!changed) return;
    LayOutNonClient();
    ClientResized();
}

void CWnd::EnableScrollBarCtrl(int nBar, BOOL bEnable)
{
    ShowScrollBar(UINT(nBar), bEnable);
}

void CWnd::HandleScrollAction(int nBar, int action)
{
    UINT code = 0;
    if (!nonClient_ || !ScrollCode(action, &code)) return;
    QScrollBar* bar = nonClient_->Bar(nBar);
    ScrollBarState& s = nonClient_->bars[nBar];
    s.trackPos = code == SB_THUMBTRACK ? bar->sliderPosition() : s.pos;
    const auto alive = alive_;
    Dispatch(ScrollMessage(nBar), MAKEWPARAM(int(code), s.trackPos), 0);
    if (!*alive || !nonClient_) return;
    // The bar shows where the handler left the position, never a step of its own; a dragged
    // thumb stays under the mouse until it is let go.
    if (code != SB_THUMBTRACK) bar->setSliderPosition(nonClient_->bars[nBar].pos);
}

void CWnd::HandleScrollRelease(int nBar, bool thumb)
{
    if (!nonClient_) return;
    QScrollBar* bar = nonClient_->Bar(nBar);
    const auto alive = alive_;
    if (thumb) {
        nonClient_->bars[nBar].trackPos = bar->sliderPosition();
        Dispatch(ScrollMessage(nBar), MAKEWPARAM(int(SB_THUMBPOSITION), nonClient_->bars[nBar].trackPos), 0);
        if (!*alive || !nonClient_) return;
    }
    nonClient_->bars[nBar].trackPos = nonClient_->bars[nBar].pos;
    Dispatch(ScrollMessage(nBar), MAKEWPARAM(int(SB_ENDSCROLL), 0), 0);
    if (!*alive || !nonClient_) return;
    bar->setValue(nonClient_->bars[nBar].pos);
}
