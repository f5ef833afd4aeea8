// The plan view's cursors, drawn at start-up as 32 x 32 pictures with a hot spot: the
// magnifier of the zoom modes and the pointer with a hydrograph of the edit modes.
#include "resources/ImageData.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace {

constexpr int CursorSize = 32;

const QColor Ink(0x10, 0x10, 0x10);
const QColor Outline(0xFF, 0xFF, 0xFF);
const QColor Lens(0xD8, 0xEC, 0xFF, 0x90);
const QColor LensHandle(0x60, 0x40, 0x20);
const QColor Paper(0xFF, 0xFF, 0xFF);
const QColor Water(0x10, 0x60, 0xD0);

// The magnifier's lens is centred on its hot spot.
constexpr QPoint ZoomHotSpot(12, 12);
// The pointer's tip.
constexpr QPoint EditHotSpot(1, 1);

QImage Blank()
{
    QImage picture(CursorSize, CursorSize, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    return picture;
}

QImage DrawZoomCursor()
{
    QImage picture = Blank();
    QPainter g(&picture);
    g.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(ZoomHotSpot);
    // The handle, then the lens with a white rim so that it shows on dark maps too.
    g.setPen(QPen(Outline, 7, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(centre + QPointF(7, 7), QPointF(28, 28));
    g.setPen(QPen(LensHandle, 4, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(centre + QPointF(7, 7), QPointF(28, 28));
    g.setPen(QPen(Outline, 4));
    g.setBrush(Qt::NoBrush);
    g.drawEllipse(centre, 9, 9);
    g.setPen(QPen(Ink, 2));
    g.setBrush(Lens);
    g.drawEllipse(centre, 9, 9);
    // A cross hair at the hot spot.
    g.setPen(QPen(Ink, 1));
    g.drawLine(centre - QPointF(4, 0), centre + QPointF(4, 0));
    g.drawLine(centre - QPointF(0, 4), centre + QPointF(0, 4));
    return picture;
}

QImage DrawEditCursor()
{
    QImage picture = Blank();
    QPainter g(&picture);
    g.setRenderHint(QPainter::Antialiasing);
    // The arrow, black with a white edge, its tip on the hot spot.
    QPainterPath arrow;
    const QPointF tip(EditHotSpot);
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(0, 17));
    arrow.lineTo(tip + QPointF(4, 13));
    arrow.lineTo(tip + QPointF(7, 20));
    arrow.lineTo(tip + QPointF(10, 19));
    arrow.lineTo(tip + QPointF(7, 12));
    arrow.lineTo(tip + QPointF(12, 12));
    arrow.closeSubpath();
    g.setPen(QPen(Outline, 1.5));
    g.setBrush(Ink);
    g.drawPath(arrow);
    // A small hydrograph card: what a click edits.
    const QRectF card(15.5, 17.5, 15, 12);
    g.setPen(QPen(Ink, 1));
    g.setBrush(Paper);
    g.drawRect(card);
    QPainterPath flow;
    flow.moveTo(card.left() + 1.5, card.bottom() - 2);
    flow.cubicTo(card.left() + 4, card.bottom() - 2, card.left() + 5, card.top() + 1.5, card.left() + 7,
                 card.top() + 2);
    flow.cubicTo(card.left() + 9, card.top() + 2.5, card.left() + 10, card.bottom() - 3, card.right() - 1,
                 card.bottom() - 2.5);
    g.setPen(QPen(Water, 1.5));
    g.setBrush(Qt::NoBrush);
    g.drawPath(flow);
    return picture;
}

}  // namespace

ResourceSet CursorResources()
{
    static std::vector<unsigned char> zoom;
    static std::vector<unsigned char> edit;
    static std::vector<CursorResource> cursors;
    if (cursors.empty()) {
        zoom = PngBytes(DrawZoomCursor());
        edit = PngBytes(DrawEditCursor());
        cursors = {{IDC_ZOOM_CURSOR, zoom.data(), zoom.size(), CPoint(ZoomHotSpot.x(), ZoomHotSpot.y())},
                   {IDC_EDIT_CURSOR, edit.data(), edit.size(), CPoint(EditHotSpot.x(), EditHotSpot.y())}};
    }
    return {.cursors = cursors};
}
