// The Qt widgets that carry a window's events to its object (internal to the layer).
#pragma once

#include "platform/Window.h"
#include "platform/WindowSurface.h"

#include <QString>

#include <utility>

class QWidget;

// The text of a control or window as the user sees it (a static control's '&' prefixes kept),
// and setting it (a static control shows its prefixes stripped unless style has SS_NOPREFIX).
QString ControlText(const QWidget* widget);
void SetControlText(QWidget* widget, const QString& text, DWORD style);

template <class Base>
class WindowWidget : public Base, public WidgetBridge
{
public:
    template <class... Args>
    explicit WindowWidget(CWnd* owner, Args&&... args) : Base(std::forward<Args>(args)...), owner_(owner)
    {
    }
    ~WindowWidget() override
    {
        // The widget and its children are whole here: the object hears of the destruction
        // (OnDestroy, then the children, then PostNcDestroy) before Qt takes them apart.
        if (CWnd* owner = std::exchange(owner_, nullptr)) owner->WidgetDestroying();
    }
    bool BaseEvent(QEvent* event) override { return Base::event(event); }
    void SetOwner(CWnd* owner) override { owner_ = owner; }

protected:
    bool event(QEvent* event) override
    {
        if (owner_ && owner_->HandleWidgetEvent(event)) return true;
        return Base::event(event);
    }

private:
    CWnd* owner_;
};
