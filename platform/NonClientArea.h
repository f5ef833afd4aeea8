// The non-client area of a custom-drawn window: a sunken frame and two scroll bars round the
// client widget, on a QAbstractScrollArea whose viewport is the client (internal to the layer).
#pragma once

#include "platform/ScrollInfo.h"
#include "platform/WindowWidget.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

// A bar of the window: its own range, page and position (what the program set, kept while
// the bar is hidden), and the Qt bar that shows them.
struct ScrollBarState
{
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int trackPos = 0;
    bool shown = false;
    bool enabled = true;
};

struct NonClientArea
{
    QAbstractScrollArea* area = nullptr;
    ScrollBarState bars[2];  // SB_HORZ, SB_VERT

    QScrollBar* Bar(int nBar) const
    {
        return nBar == SB_HORZ ? area->horizontalScrollBar() : area->verticalScrollBar();
    }
};

// A Qt bar that passes its user's actions to the window instead of moving on its own: the
// actions become WM_HSCROLL or WM_VSCROLL, the release of the mouse SB_ENDSCROLL, and the wheel
// and the context menu do nothing.
class NonClientScrollBar : public QScrollBar
{
public:
    NonClientScrollBar(Qt::Orientation orientation, int nBar);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    CWnd* Window() const;
    int bar_;
};

// The window's widget: the frame and the bars are Qt's; the viewport's paint, size and mouse
// events are the window's client events, the rest go the way of every window's widget.
class NonClientWidget : public WindowWidget<QAbstractScrollArea>
{
public:
    NonClientWidget(CWnd* owner, QWidget* parent);
    void SetOwner(CWnd* owner) override;
    // Lays out frame, bars and viewport now (Qt does it on the next resize only).
    void LayOut() { setViewportMargins(0, 0, 0, 0); }

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    CWnd* client_;
};
