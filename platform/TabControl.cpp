#include "platform/TabControl.h"

#include "platform/DeviceContext.h"
#include "platform/Text.h"
#include "platform/UiThread.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>

#include <algorithm>

namespace {

// Object name of the strip among the control's child widgets.
constexpr const char* StripName = "vasquil.tabStrip";
// Pixels below the strip, so that the control's bottom edge may lie outside what shows of
// it without cutting into a tab.
constexpr int StripMargin = 2;

COLORREF ToColorRef(const QColor& c)
{
    return RGB(c.red(), c.green(), c.blue());
}

// The strip's scroll buttons (shown when the tabs do not fit).
QList<QToolButton*> ScrollButtons(const QTabBar* bar)
{
    return bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
}

// Hands the mouse buttons of the strip (and of its scroll buttons) to the control, in the
// control's coordinates, so that they arrive as its window messages; keeps the wheel from
// changing the tab.
class StripMouse : public QObject
{
public:
    StripMouse(QWidget* control, QObject* parent) : QObject(parent), control_(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            auto* source = static_cast<QWidget*>(watched);
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPointF at = QPointF(source->mapTo(control_, QPoint(0, 0))) + mouse->position();
            QMouseEvent copy(mouse->type(), at, mouse->globalPosition(), mouse->button(), mouse->buttons(),
                             mouse->modifiers());
            QCoreApplication::sendEvent(control_, &copy);
            return true;
        }
        case QEvent::Wheel: return true;
        default: return false;
        }
    }

private:
    QWidget* control_;
};

}  // namespace

const CRuntimeClass CMFCTabCtrl::Runtime{"CMFCTabCtrl", &CWnd::Runtime, &CreateRuntimeObject<CMFCTabCtrl>};

UINT ActiveTabChangeMessage()
{
    return RegisterWindowMessage(ActiveTabChangeMessageName);
}

CMFCTabCtrl::CMFCTabCtrl() = default;
CMFCTabCtrl::~CMFCTabCtrl() = default;

BOOL CMFCTabCtrl::Create(Style style, const CRect& rect, CWnd* parent, UINT id)
{
    style_ = style;
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

int CMFCTabCtrl::OnCreate(CREATESTRUCT* cs)
{
    if (CWnd::OnCreate(cs) == -1) return -1;
    auto* bar = new QTabBar(GetWidget());
    bar->setObjectName(QString::fromLatin1(StripName));
    bar->setTabsClosable(false);
    bar->setMovable(false);
    bar->setExpanding(false);
    bar->setElideMode(Qt::ElideNone);  // labels show whole; scroll buttons appear instead
    bar->setUsesScrollButtons(true);
    bar->setFocusPolicy(Qt::NoFocus);
    auto* mouse = new StripMouse(GetWidget(), bar);
    bar->installEventFilter(mouse);
    for (QToolButton* button : ScrollButtons(bar)) button->installEventFilter(mouse);
    // The handle, not the object: the strip may outlive the object by a deferred deletion.
    const HWND handle = GetSafeHwnd();
    QObject::connect(bar, &QTabBar::currentChanged, bar, [handle](int index) {
        CWnd* wnd = FromHandle(handle);
        if (wnd && wnd->IsKindOf(&CMFCTabCtrl::Runtime)) static_cast<CMFCTabCtrl*>(wnd)->ActiveTabChanged(index);
    });
    ApplyStyle();
    return 0;
}

QTabBar* CMFCTabCtrl::Bar() const
{
    QWidget* widget = GetWidget();
    return widget ? widget->findChild<QTabBar*>(QString::fromLatin1(StripName), Qt::FindDirectChildrenOnly) : nullptr;
}

void CMFCTabCtrl::ModifyTabStyle(Style style)
{
    style_ = style;
    ApplyStyle();
}

void CMFCTabCtrl::ApplyStyle()
{
    QTabBar* bar = Bar();
    if (!bar) return;
    // Flat tabs are drawn as sheet tabs, raised ones as rounded tabs.
    bar->setShape(style_ == STYLE_3D_VS2005 ? QTabBar::RoundedSouth : QTabBar::TriangularSouth);
    RecalcLayout();
    Invalidate(TRUE);
}

void CMFCTabCtrl::SetFlatFrame(BOOL flat, BOOL repaint)
{
    flatFrame_ = flat != FALSE;
    RecalcLayout();
    if (repaint) Invalidate(TRUE);
}

void CMFCTabCtrl::SetTabBorderSize(int size, BOOL repaint)
{
    borderSize_ = std::max(size, 0);
    RecalcLayout();
    if (repaint) Invalidate(TRUE);
}

BOOL CMFCTabCtrl::InsertTab(CWnd* wnd, const std::string& label, int index)
{
    AssertUiThread();
    QTabBar* bar = Bar();
    if (!bar || !wnd || !wnd->GetSafeHwnd() || wnd->GetParent() != this) return FALSE;
    const int count = bar->count();
    const int at = index < 0 || index > count ? count : index;
    const int before = bar->currentIndex();
    {
        // The tab is whole (its window known) before anybody hears of it.
        const QSignalBlocker block(bar);
        bar->insertTab(at, Cp1252ToQString(label));
        bar->setTabData(at, QVariant::fromValue(reinterpret_cast<quintptr>(wnd->GetSafeHwnd())));
    }
    const int after = bar->currentIndex();
    if (after != before) ActiveTabChanged(after);
    else RecalcLayout();
    return TRUE;
}

int CMFCTabCtrl::GetTabsNum() const
{
    QTabBar* bar = Bar();
    return bar ? bar->count() : 0;
}

CWnd* CMFCTabCtrl::GetTabWnd(int index) const
{
    QTabBar* bar = Bar();
    if (!bar || index < 0 || index >= bar->count()) return nullptr;
    return FromHandle(reinterpret_cast<HWND>(bar->tabData(index).value<quintptr>()));
}

BOOL CMFCTabCtrl::GetTabLabel(int index, std::string& label) const
{
    QTabBar* bar = Bar();
    if (!bar || index < 0 || index >= bar->count()) {
        label.clear();
        return FALSE;
    }
    label = QStringToCp1252(bar->tabText(index));
    return TRUE;
}

int CMFCTabCtrl::GetActiveTab() const
{
    QTabBar* bar = Bar();
    return bar ? bar->currentIndex() : -1;
}

BOOL CMFCTabCtrl::SetActiveTab(int index)
{
    AssertUiThread();
    QTabBar* bar = Bar();
    if (!bar || index < 0 || index >= bar->count()) return FALSE;
    bar->setCurrentIndex(index);  // a change arrives through currentChanged
    return TRUE;
}

void CMFCTabCtrl::ActiveTabChanged(int index)
{
    RecalcLayout();
    if (CWnd* parent = GetParent()) parent->SendMessage(ActiveTabChangeMessage(), WPARAM(index), 0);
}

BOOL CMFCTabCtrl::SetTabTextColor(int index, COLORREF color)
{
    AssertUiThread();
    QTabBar* bar = Bar();
    if (!bar || index < 0 || index >= bar->count()) return FALSE;
    bar->setTabTextColor(index, color == DefaultTabTextColor
                                    ? QColor()
                                    : QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    return TRUE;
}

COLORREF CMFCTabCtrl::GetTabTextColor(int index) const
{
    QTabBar* bar = Bar();
    if (!bar || index < 0 || index >= bar->count()) return DefaultTabTextColor;
    const QColor color = bar->tabTextColor(index);
    return color.isValid() ? ToColorRef(color) : DefaultTabTextColor;
}

int CMFCTabCtrl::GetTabFromPoint(CPoint point) const
{
    QTabBar* bar = Bar();
    if (!bar) return -1;
    const QPoint p = QPoint(point.x, point.y) - bar->pos();
    if (!bar->rect().contains(p)) return -1;
    for (const QToolButton* button : ScrollButtons(bar)) {
        if (button->isVisible() && button->geometry().contains(p)) return -1;
    }
    return bar->tabAt(p);
}

BOOL CMFCTabCtrl::GetTabRect(int index, CRect& rect) const
{
    QTabBar* bar = Bar();
    if (!bar || index < 0 || index >= bar->count()) return FALSE;
    const QRect r = bar->tabRect(index).translated(bar->pos());
    rect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    return TRUE;
}

void CMFCTabCtrl::OnLButtonDown(UINT, CPoint point)
{
    QTabBar* bar = Bar();
    if (!bar) return;
    const QPoint p = QPoint(point.x, point.y) - bar->pos();
    if (!bar->rect().contains(p)) return;
    for (QToolButton* button : ScrollButtons(bar)) {
        if (button->isVisible() && button->geometry().contains(p)) {
            if (button->isEnabled()) button->click();
            return;
        }
    }
    const int tab = bar->tabAt(p);
    if (tab >= 0) SetActiveTab(tab);
}

CRect CMFCTabCtrl::GetWndArea() const
{
    QWidget* widget = GetWidget();
    QTabBar* bar = Bar();
    if (!widget || !bar) return CRect();
    const int inset = FrameWidth() + borderSize_;
    const int stripTop = widget->height() - FrameWidth() - StripMargin - bar->height();
    CRect area(inset, inset, widget->width() - inset, stripTop - borderSize_);
    area.right = std::max(area.right, area.left);
    area.bottom = std::max(area.bottom, area.top);
    return area;
}

void CMFCTabCtrl::RecalcLayout()
{
    QWidget* widget = GetWidget();
    QTabBar* bar = Bar();
    if (!widget || !bar) return;
    // An empty strip asks for no height: it keeps that of a line of text.
    const int stripHeight = std::max(bar->sizeHint().height(), bar->fontMetrics().height() + 8);
    const int frame = FrameWidth();
    bar->setGeometry(frame, widget->height() - frame - StripMargin - stripHeight, std::max(widget->width() - 2 * frame, 0),
                     stripHeight);
    const CRect area = GetWndArea();
    const int active = bar->currentIndex();
    for (int i = 0; i < bar->count(); ++i) {
        CWnd* wnd = GetTabWnd(i);
        if (!wnd) continue;
        wnd->MoveWindow(area, FALSE);
        if (i != active) {
            wnd->ShowWindow(SW_HIDE);
        } else if (wnd->GetWidget()->isHidden()) {
            // A window that comes to show is painted afresh, as the window system does.
            wnd->ShowWindow(SW_SHOW);
            wnd->Invalidate(TRUE);
        }
    }
}

void CMFCTabCtrl::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    RecalcLayout();
}

void CMFCTabCtrl::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    const QPalette palette = GetWidget()->palette();
    dc.FillSolidRect(client, ToColorRef(palette.color(QPalette::Window)));
    CBrush shadow(ToColorRef(palette.color(QPalette::Mid)));
    dc.FrameRect(client, &shadow);
    if (!flatFrame_) {
        client.DeflateRect(1, 1);
        CBrush light(ToColorRef(palette.color(QPalette::Light)));
        dc.FrameRect(client, &light);
    }
}
