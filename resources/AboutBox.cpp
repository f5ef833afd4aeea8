// The About box, its picture (a river channel under an ice cover) and the program's icon,
// which the main frame shows as well.
#include "resources/ImageData.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace {

const DialogTemplate Dialogs[] = {
    {.id = IDD_ABOUTBOX,
     .caption = "About Vasquil",
     .size = {0, 0, 260, 118},
     .style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
     .controls = {
         {.id = IDC_ABOUT_ICON, .kind = ControlKind::Picture, .rect = {8, 8, 21, 20}, .image = IDI_ABOUT_ICON},
         {.id = IDC_ABOUT_PURPOSE,
          .kind = ControlKind::Static,
          .text = "Vasquil for Modelling Natural and Rectangular Channels - Open Water Conditions, Static Ice "
                  "Conditions, and Thermal Ice Processes ",
          .rect = {40, 8, 212, 26},
          .style = WS_VISIBLE | SS_LEFT | SS_NOPREFIX},
         {.id = IDC_ABOUT_UPDATED,
          .kind = ControlKind::Static,
          .text = "Last Updated: April 29, 2024",
          .rect = {40, 36, 212, 10},
          .style = WS_VISIBLE | SS_LEFT | SS_NOPREFIX},
         {.id = IDC_ABOUT_PICTURE, .kind = ControlKind::Picture, .rect = {40, 52, 140, 44}, .image = IDB_ABOUT_PICTURE},
         {.id = IDOK,
          .kind = ControlKind::PushButton,
          .text = "OK",
          .rect = {202, 96, 50, 14},
          .style = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON},
     }},
};

// Pixel sizes of the pictures.
constexpr int PictureWidth = 208;
constexpr int PictureHeight = 68;
constexpr int AboutIconSize = 32;
constexpr int FrameIconSize = 64;

// The river in cross-section: banks under snow, the water, an ice cover with frazil slush
// beneath it, under a winter sky.
QImage DrawPicture()
{
    QImage image(PictureWidth, PictureHeight, QImage::Format_ARGB32);
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing);
    const double w = PictureWidth;
    const double h = PictureHeight;

    QLinearGradient sky(0, 0, 0, h * 0.45);
    sky.setColorAt(0, QColor(0x9C, 0xC8, 0xF0));
    sky.setColorAt(1, QColor(0xEE, 0xF6, 0xFF));
    g.fillRect(QRectF(0, 0, w, h), sky);

    const double waterLevel = h * 0.42;
    QPainterPath channel;  // the bed, bank to bank
    channel.moveTo(0, h * 0.30);
    channel.lineTo(w * 0.16, h * 0.32);
    channel.cubicTo(QPointF(w * 0.28, h * 0.95), QPointF(w * 0.70, h * 0.98), QPointF(w * 0.84, h * 0.34));
    channel.lineTo(w, h * 0.28);
    channel.lineTo(w, h);
    channel.lineTo(0, h);
    channel.closeSubpath();

    QPainterPath below;  // everything under the water surface
    below.addRect(QRectF(0, waterLevel, w, h - waterLevel));
    QLinearGradient water(0, waterLevel, 0, h);
    water.setColorAt(0, QColor(0x3A, 0x86, 0xD8));
    water.setColorAt(1, QColor(0x12, 0x3E, 0x8C));
    g.fillPath(below.subtracted(channel), water);

    // The ice cover floats with most of its thickness below the surface; slush gathers under it.
    const double iceLeft = w * 0.21;
    const double iceRight = w * 0.80;
    QPainterPath slush;
    slush.moveTo(iceLeft + 6, waterLevel + 5);
    for (double x = iceLeft + 6; x <= iceRight - 6; x += 8)
        slush.quadTo(QPointF(x + 4, waterLevel + 11), QPointF(x + 8, waterLevel + 5));
    slush.closeSubpath();
    g.fillPath(slush, QColor(0xC8, 0xE0, 0xF2));
    const QRectF ice(iceLeft, waterLevel - 2, iceRight - iceLeft, 7);
    g.setPen(QPen(QColor(0x7A, 0xA8, 0xC8), 1));
    g.setBrush(QColor(0xF4, 0xFA, 0xFF));
    g.drawRoundedRect(ice, 2, 2);

    QLinearGradient ground(0, h * 0.3, 0, h);
    ground.setColorAt(0, QColor(0x8A, 0x6A, 0x48));
    ground.setColorAt(1, QColor(0x5A, 0x42, 0x2A));
    g.setPen(Qt::NoPen);
    g.fillPath(channel, ground);
    // Snow on both banks.
    g.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 3, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(QPointF(0, h * 0.30), QPointF(w * 0.16, h * 0.32));
    g.drawLine(QPointF(w * 0.84, h * 0.34), QPointF(w, h * 0.28));
    g.end();
    return image;
}

// The program's icon at size x size pixels: waves under a floe, on a blue tile.
QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 32.0, size / 32.0);
    QLinearGradient tile(0, 0, 0, 32);
    tile.setColorAt(0, QColor(0x4C, 0x8E, 0xE0));
    tile.setColorAt(1, QColor(0x14, 0x3C, 0x88));
    g.setPen(Qt::NoPen);
    g.setBrush(tile);
    g.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    // A floe of ice riding the surface.
    const QPointF floe[] = {{7, 13}, {23, 11}, {26, 16}, {10, 18}};
    g.setBrush(QColor(0xF6, 0xFB, 0xFF));
    g.setPen(QPen(QColor(0xA8, 0xCC, 0xEC), 0.8));
    g.drawPolygon(floe, 4);
    // Waves below it.
    g.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 2, Qt::SolidLine, Qt::RoundCap));
    g.setBrush(Qt::NoBrush);
    for (double y : {22.0, 27.0}) {
        QPainterPath wave;
        wave.moveTo(5, y);
        for (double x = 5; x < 26; x += 7) {
            wave.quadTo(QPointF(x + 1.75, y - 2.5), QPointF(x + 3.5, y));
            wave.quadTo(QPointF(x + 5.25, y + 2.5), QPointF(x + 7, y));
        }
        g.drawPath(wave);
    }
    g.end();
    return image;
}

}  // namespace

ResourceSet AboutBoxResources()
{
    static std::vector<std::vector<unsigned char>> data;
    static std::vector<ImageResource> images;
    if (images.empty()) {
        const std::pair<UINT, QImage> pictures[] = {
            {IDB_ABOUT_PICTURE, DrawPicture()},
            {IDI_ABOUT_ICON, DrawIcon(AboutIconSize)},
            {IDR_MAINFRAME, DrawIcon(FrameIconSize)},
        };
        data.reserve(std::size(pictures));
        for (const auto& [id, picture] : pictures) {
            data.push_back(PngBytes(picture));
            images.push_back({id, data.back().data(), data.back().size()});
        }
    }
    return {.dialogs = Dialogs, .images = images};
}
