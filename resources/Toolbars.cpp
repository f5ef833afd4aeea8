// The main frame's toolbars and their button images. The images are drawn at start-up, one
// 16 x 15 cell per button: smoothed on a transparent ground for the 256-colour strips, and
// with hard edges in the 16 standard colours on the button face for the 16-colour one.
#include "resources/ImageData.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <initializer_list>
#include <span>

namespace {

const ToolbarTemplate Toolbars[] = {
    {.id = IDR_MAINFRAME,
     .buttons = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                 ID_SEPARATOR, ID_FILE_PRINT, ID_APP_ABOUT},
     .image = IDB_MAINFRAME_TOOLBAR},
    {.id = IDR_MAINFRAME_256,
     .buttons = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                 ID_SEPARATOR, ID_FILE_PRINT, ID_APP_ABOUT},
     .image = IDB_MAINFRAME_TOOLBAR_256},
    {.id = IDR_ZOOM_TOOLBAR, .buttons = {ID_ZOOM_SCALE_TO_FIT, ID_ZOOM_RECTANGLE, ID_ZOOM_POINT, ID_ZOOM_OUT}, .image = IDB_ZOOM_TOOLBAR},
    {.id = IDR_TABLE_TOOLBAR,
     .buttons = {ID_TABLE_ACCEPT_CHANGES, ID_TABLE_REJECT_CHANGES, ID_TABLE_EXPAND_TO_FIT, ID_TABLE_AUTO_SIZE},
     .image = IDB_TABLE_TOOLBAR},
    {.id = IDR_EDITBC_TOOLBAR, .buttons = {ID_EDIT_BOUNDARY_CONDITIONS}, .image = IDB_EDITBC_TOOLBAR},
};

constexpr int CellWidth = 16;
constexpr int CellHeight = 15;
// The button face: the colour the toolbar shows through in a 16-colour strip.
constexpr QRgb ButtonFace = 0xFFC0C0C0;
// The 16 standard colours but the button face, which a 16-colour image keeps for its ground.
constexpr std::array<QRgb, 15> StandardColours = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFF808080,
    0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

// Colours of the drawings.
const QColor Ink(0x20, 0x20, 0x20);
const QColor Paper(0xFF, 0xFF, 0xFF);
const QColor Fold(0xD0, 0xD0, 0xD0);
const QColor TextLine(0x70, 0x80, 0x98);
const QColor FolderFront(0xF2, 0xC4, 0x3A);
const QColor FolderBack(0xC8, 0x96, 0x1E);
const QColor DiskBody(0x24, 0x52, 0xA4);
const QColor DiskShutter(0xB4, 0xBC, 0xC4);
const QColor Blade(0x68, 0x70, 0x78);
const QColor Handle(0xC8, 0x20, 0x20);
const QColor Board(0xA8, 0x6C, 0x38);
const QColor Metal(0x90, 0x98, 0xA0);
const QColor PrinterBody(0x98, 0xA0, 0xA8);
const QColor Lamp(0x20, 0xB0, 0x30);
const QColor HelpBlue(0x2A, 0x62, 0xC8);
const QColor Lens(0xD8, 0xEC, 0xFF);
const QColor LensHandle(0x60, 0x40, 0x20);
const QColor Accept(0x1E, 0x96, 0x2E);
const QColor Reject(0xD0, 0x20, 0x20);
const QColor Header(0x30, 0x60, 0xB0);
const QColor Grid(0x90, 0x90, 0x90);
const QColor Water(0x10, 0x60, 0xD0);

QPen Stroke(const QColor& colour, double width = 1.0)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// The closed outline through corners, drawn with the painter's pen and brush.
void DrawOutline(QPainter& g, std::initializer_list<QPointF> corners)
{
    QPainterPath outline;
    outline.moveTo(*corners.begin());
    for (auto p = corners.begin() + 1; p != corners.end(); ++p) outline.lineTo(*p);
    outline.closeSubpath();
    g.drawPath(outline);
}

// A sheet of paper with a folded corner over x0..x1, y0..y1 (pixel edges).
void DrawSheet(QPainter& g, double x0, double y0, double x1, double y1, bool lines)
{
    const double fold = 3;
    g.setPen(Stroke(Ink));
    g.setBrush(Paper);
    DrawOutline(g, {{x0 + 0.5, y0 + 0.5}, {x1 - fold - 0.5, y0 + 0.5}, {x1 - 0.5, y0 + fold + 0.5}, {x1 - 0.5, y1 - 0.5},
                    {x0 + 0.5, y1 - 0.5}});
    QPainterPath corner;
    corner.moveTo(x1 - fold - 0.5, y0 + 0.5);
    corner.lineTo(x1 - fold - 0.5, y0 + fold + 0.5);
    corner.lineTo(x1 - 0.5, y0 + fold + 0.5);
    g.setBrush(Fold);
    g.drawPath(corner);
    if (!lines) return;
    g.setPen(Stroke(TextLine));
    for (double y = y0 + fold + 3.5; y < y1 - 1.5; y += 2) g.drawLine(QPointF(x0 + 2, y), QPointF(x1 - 2, y));
}

void DrawNew(QPainter& g) { DrawSheet(g, 3, 1, 13, 15, false); }

void DrawOpen(QPainter& g)
{
    g.setPen(Stroke(Ink));
    g.setBrush(FolderBack);
    DrawOutline(g, {{0.5, 13.5}, {0.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {12.5, 4.5}, {12.5, 13.5}});
    g.setBrush(FolderFront);
    const QPointF front[] = {{3.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}, {0.5, 13.5}};
    g.drawPolygon(front, 4);
}

void DrawSave(QPainter& g)
{
    g.setPen(Stroke(Ink));
    g.setBrush(DiskBody);
    DrawOutline(g, {{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 13.5}, {1.5, 13.5}});
    g.fillRect(QRectF(4, 2, 8, 5), Paper);
    g.setPen(Stroke(TextLine));
    g.drawLine(QPointF(5, 3.5), QPointF(11, 3.5));
    g.drawLine(QPointF(5, 5.5), QPointF(11, 5.5));
    g.fillRect(QRectF(5, 9, 6, 5), DiskShutter);
    g.fillRect(QRectF(6, 10, 2, 3), DiskBody);
}

void DrawCut(QPainter& g)
{
    g.setPen(Stroke(Blade, 1.5));
    g.drawLine(QPointF(5.5, 9), QPointF(10.5, 1));
    g.drawLine(QPointF(10.5, 9), QPointF(5.5, 1));
    g.setPen(Stroke(Handle, 1.5));
    g.setBrush(Qt::NoBrush);
    g.drawEllipse(QPointF(4.5, 11.5), 2.5, 2.5);
    g.drawEllipse(QPointF(11.5, 11.5), 2.5, 2.5);
    g.setPen(Stroke(Ink));
    g.drawPoint(QPointF(8, 5.5));
}

void DrawCopy(QPainter& g)
{
    DrawSheet(g, 1, 1, 10, 12, true);
    DrawSheet(g, 6, 4, 15, 15, true);
}

void DrawPaste(QPainter& g)
{
    g.setPen(Stroke(Ink));
    g.setBrush(Board);
    g.drawRect(QRectF(1.5, 2.5, 10, 11));
    g.setBrush(Metal);
    g.drawRect(QRectF(4.5, 0.5, 4, 3));
    DrawSheet(g, 6, 5, 15, 15, true);
}

void DrawPrint(QPainter& g)
{
    g.setPen(Stroke(Ink));
    g.setBrush(Paper);
    g.drawRect(QRectF(4.5, 0.5, 7, 7));
    g.setBrush(PrinterBody);
    g.drawRect(QRectF(0.5, 6.5, 15, 6));
    g.setBrush(Paper);
    g.drawRect(QRectF(3.5, 10.5, 9, 4));
    g.fillRect(QRectF(12, 8, 2, 1), Lamp);
}

void DrawAbout(QPainter& g)
{
    g.setPen(Qt::NoPen);
    g.setBrush(HelpBlue);
    g.drawEllipse(QPointF(8, 7.5), 7, 7);
    QPainterPath hook;
    hook.arcMoveTo(QRectF(5.5, 2.5, 5, 5), 160);
    hook.arcTo(QRectF(5.5, 2.5, 5, 5), 160, -250);
    hook.lineTo(8, 9.5);
    g.setPen(Stroke(Paper, 2));
    g.setBrush(Qt::NoBrush);
    g.drawPath(hook);
    g.fillRect(QRectF(7, 11, 2, 2), Paper);
}

// A magnifying glass whose lens holds mark().
template <class Mark>
void DrawMagnifier(QPainter& g, Mark mark)
{
    g.setPen(Stroke(LensHandle, 3));
    g.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
    g.setPen(Stroke(Ink, 1.5));
    g.setBrush(Lens);
    g.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    mark();
}

void DrawScaleToFit(QPainter& g)
{
    g.setPen(Stroke(Ink));
    g.setBrush(Paper);
    g.drawRect(QRectF(0.5, 0.5, 15, 14));
    g.setBrush(Water);
    g.setPen(Qt::NoPen);
    // Four arrows from the middle out to the corners.
    const QPointF centre(8, 7.5);
    for (const QPointF corner : {QPointF(2, 2), QPointF(14, 2), QPointF(2, 13), QPointF(14, 13)}) {
        const QPointF d = corner - centre;
        const QPointF tip = corner;
        const QPointF side(-d.y() * 0.35, d.x() * 0.35);
        const QPointF base = centre + d * 0.45;
        const QPointF head[] = {tip, base + side * 0.9, base - side * 0.9};
        g.drawPolygon(head, 3);
        g.setPen(Stroke(Water, 1.5));
        g.drawLine(centre, base);
        g.setPen(Qt::NoPen);
    }
}

void DrawZoomRectangle(QPainter& g)
{
    DrawMagnifier(g, [&g] {
        QPen dash = Stroke(Ink);
        dash.setDashPattern({1.5, 1.5});
        g.setPen(dash);
        g.setBrush(Qt::NoBrush);
        g.drawRect(QRectF(3.5, 4.5, 6, 4));
    });
}

void DrawZoomPoint(QPainter& g)
{
    DrawMagnifier(g, [&g] {
        g.setPen(Stroke(Ink, 1.5));
        g.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
        g.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
    });
}

void DrawZoomOut(QPainter& g)
{
    DrawMagnifier(g, [&g] {
        g.setPen(Stroke(Ink, 1.5));
        g.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    });
}

// A small table: a header row and grid lines over x0..x1, y0..y1.
void DrawTable(QPainter& g, double x0, double y0, double x1, double y1)
{
    g.fillRect(QRectF(x0, y0, x1 - x0, y1 - y0), Paper);
    g.fillRect(QRectF(x0, y0, x1 - x0, 3), Header);
    g.setPen(Stroke(Grid));
    for (double y = y0 + 5.5; y < y1; y += 3) g.drawLine(QPointF(x0, y), QPointF(x1, y));
    g.setPen(Stroke(Ink));
    g.setBrush(Qt::NoBrush);
    g.drawRect(QRectF(x0 + 0.5, y0 + 0.5, x1 - x0 - 1, y1 - y0 - 1));
}

void DrawAccept(QPainter& g)
{
    DrawTable(g, 0, 1, 11, 14);
    g.setPen(Stroke(Accept, 2.5));
    const QPointF check[] = {{4, 9}, {8, 13}, {15, 3}};
    g.drawPolyline(check, 3);
}

void DrawReject(QPainter& g)
{
    DrawTable(g, 0, 1, 11, 14);
    g.setPen(Stroke(Reject, 2.5));
    g.drawLine(QPointF(6, 5), QPointF(14.5, 13.5));
    g.drawLine(QPointF(14.5, 5), QPointF(6, 13.5));
}

// A double arrow along y from x0 to x1.
void DrawDoubleArrow(QPainter& g, double x0, double x1, double y)
{
    g.setPen(Stroke(Ink, 1.5));
    g.drawLine(QPointF(x0 + 2, y), QPointF(x1 - 2, y));
    g.setPen(Qt::NoPen);
    g.setBrush(Ink);
    const QPointF left[] = {{x0, y}, {x0 + 3.5, y - 3}, {x0 + 3.5, y + 3}};
    const QPointF right[] = {{x1, y}, {x1 - 3.5, y - 3}, {x1 - 3.5, y + 3}};
    g.drawPolygon(left, 3);
    g.drawPolygon(right, 3);
}

void DrawExpandToFit(QPainter& g)
{
    DrawTable(g, 0, 0, 16, 15);
    g.fillRect(QRectF(1, 6, 14, 6), Paper);
    DrawDoubleArrow(g, 1, 15, 9);
}

void DrawAutoSize(QPainter& g)
{
    DrawTable(g, 0, 0, 16, 15);
    g.fillRect(QRectF(1, 6, 14, 8), Paper);
    // A column's text and the column fitted to it.
    g.setPen(Stroke(TextLine, 2));
    g.drawLine(QPointF(5, 12), QPointF(11, 12));
    g.setPen(Stroke(Ink));
    g.drawLine(QPointF(3.5, 6), QPointF(3.5, 14));
    g.drawLine(QPointF(12.5, 6), QPointF(12.5, 14));
    DrawDoubleArrow(g, 4, 12, 8.5);
}

void DrawEditBoundaryCondition(QPainter& g)
{
    g.fillRect(QRectF(2, 1, 14, 12), Paper);
    g.setPen(Stroke(Ink));
    g.drawLine(QPointF(1.5, 0), QPointF(1.5, 13.5));
    g.drawLine(QPointF(1, 13.5), QPointF(16, 13.5));
    // A flood hydrograph: a quick rise and a long recession.
    QPainterPath flow;
    flow.moveTo(2, 11);
    flow.cubicTo(QPointF(4, 11), QPointF(5, 2), QPointF(7, 2.5));
    flow.cubicTo(QPointF(9, 3), QPointF(10, 10), QPointF(15, 10.5));
    g.setPen(Stroke(Water, 1.5));
    g.setBrush(Qt::NoBrush);
    g.drawPath(flow);
}

using ButtonPainter = void (*)(QPainter&);

constexpr ButtonPainter StandardButtons[] = {DrawNew, DrawOpen, DrawSave, DrawCut, DrawCopy, DrawPaste, DrawPrint, DrawAbout};
constexpr ButtonPainter ZoomButtons[] = {DrawScaleToFit, DrawZoomRectangle, DrawZoomPoint, DrawZoomOut};
constexpr ButtonPainter TableButtons[] = {DrawAccept, DrawReject, DrawExpandToFit, DrawAutoSize};
constexpr ButtonPainter EditBCButtons[] = {DrawEditBoundaryCondition};

QRgb NearestStandardColour(QRgb colour)
{
    QRgb best = StandardColours[0];
    int bestDistance = -1;
    for (QRgb candidate : StandardColours) {
        const int dr = qRed(colour) - qRed(candidate);
        const int dg = qGreen(colour) - qGreen(candidate);
        const int db = qBlue(colour) - qBlue(candidate);
        const int distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

// The strip of buttons, one cell each, left to right.
QImage DrawStrip(std::span<const ButtonPainter> buttons, bool hiColour)
{
    QImage strip(CellWidth * int(buttons.size()), CellHeight, hiColour ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    strip.fill(hiColour ? QColor(Qt::transparent) : QColor::fromRgb(ButtonFace));
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QPainter g(&strip);
        g.setRenderHint(QPainter::Antialiasing, hiColour);
        g.setClipRect(CellWidth * int(i), 0, CellWidth, CellHeight);
        g.translate(CellWidth * int(i), 0);
        buttons[i](g);
    }
    if (!hiColour) {
        for (int y = 0; y < strip.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
            for (int x = 0; x < strip.width(); ++x) {
                if (line[x] != ButtonFace) line[x] = NearestStandardColour(line[x]);
            }
        }
    }
    return strip;
}

struct Strip
{
    UINT id;
    std::span<const ButtonPainter> buttons;
    bool hiColour;
};

constexpr Strip Strips[] = {
    {IDB_MAINFRAME_TOOLBAR, StandardButtons, false},
    {IDB_MAINFRAME_TOOLBAR_256, StandardButtons, true},
    {IDB_ZOOM_TOOLBAR, ZoomButtons, true},
    {IDB_TABLE_TOOLBAR, TableButtons, true},
    {IDB_EDITBC_TOOLBAR, EditBCButtons, true},
};

}  // namespace

ResourceSet ToolbarResources()
{
    static std::vector<std::vector<unsigned char>> data;
    static std::vector<ImageResource> images;
    if (images.empty()) {
        data.reserve(std::size(Strips));
        for (const Strip& strip : Strips) {
            data.push_back(PngBytes(DrawStrip(strip.buttons, strip.hiColour)));
            images.push_back({strip.id, data.back().data(), data.back().size()});
        }
    }
    return {.toolbars = Toolbars, .images = images};
}
