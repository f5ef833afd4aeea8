// The retained picture of a custom-drawn window and the Qt pieces that carry a window's
// events (internal to the layer).
#pragma once

#include <QImage>
#include <QPainter>
#include <QRegion>

#include <memory>

class QEvent;

// What a custom-drawn window shows: paints and device contexts draw into image; the widget's
// paint event only copies image to the screen.
struct WindowSurface
{
    QImage image;
    QRegion invalid;     // device pixels to paint at the next paint
    bool erase = false;  // the next paint erases the background first
    // One painter serves every device context open on the surface at a time.
    std::unique_ptr<QPainter> painter;
    int painterUsers = 0;
    const void* painterStateOwner = nullptr;  // the device context whose state the painter holds
};

// The link from a widget made by this layer to the Qt class it derives from: the default
// processing of an event, and the window object its events go to (null: none any more).
class WidgetBridge
{
public:
    virtual ~WidgetBridge() = default;
    virtual bool BaseEvent(QEvent* event) = 0;
    virtual void SetOwner(class CWnd* owner) = 0;
};
