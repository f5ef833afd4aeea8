#include "GuiTestSupport.h"

#include "platform/DeviceContext.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <cstring>
#include <functional>

namespace {

constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Grey = RGB(128, 128, 128);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr int ScreenDpi = 96;
constexpr double DotsPerMeterAt96Dpi = ScreenDpi / 0.0254;

QImage Canvas(int width, int height, COLORREF fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(DotsPerMeterAt96Dpi + 0.5));
    image.setDotsPerMeterY(int(DotsPerMeterAt96Dpi + 0.5));
    image.fill(QColor(GetRValue(fill), GetGValue(fill), GetBValue(fill)));
    return image;
}

COLORREF PixelAt(const QImage& image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

struct Pixel
{
    int x;
    int y;
    COLORREF color;
};

struct PixelCase
{
    const char* name;
    COLORREF background;
    std::function<void(CDC&)> draw;
    std::vector<Pixel> expected;
};

// The bounding box of pixels that differ from the background.
QRect Ink(const QImage& image, COLORREF background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (PixelAt(image, x, y) != background) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

void DrawSquarePolyline(CDC& dc)
{
    const CPoint square[] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}, {2, 2}};
    dc.Polyline(square, 5);
}

void SelectWhiteXorPen(CDC& dc, CPen& pen)
{
    pen.CreatePen(PS_SOLID, 0, White);
    dc.SelectObject(&pen);
    dc.SetROP2(R2_XORPEN);
}

}  // namespace

TEST(DeviceContext, PixelRulesOfFillsLinesShapesAndInversion)
{
    const std::vector<PixelCase> cases = {
        {"fill covers left..right-1 and top..bottom-1", White,
         [](CDC& dc) { dc.FillSolidRect(CRect(2, 3, 6, 8), Red); },
         {{2, 3, Red}, {5, 7, Red}, {6, 7, White}, {5, 8, White}, {1, 3, White}, {2, 2, White}}},
        {"horizontal LineTo stops before its end", White,
         [](CDC& dc) {
             dc.MoveTo(1, 1);
             dc.LineTo(5, 1);
         },
         {{1, 1, Black}, {4, 1, Black}, {5, 1, White}, {0, 1, White}}},
        {"vertical LineTo upward stops before its end", White,
         [](CDC& dc) {
             dc.MoveTo(3, 8);
             dc.LineTo(3, 2);
         },
         {{3, 8, Black}, {3, 3, Black}, {3, 2, White}, {3, 9, White}}},
        {"diagonal LineTo stops before its end", White,
         [](CDC& dc) {
             dc.MoveTo(0, 0);
             dc.LineTo(4, 4);
         },
         {{0, 0, Black}, {3, 3, Black}, {4, 4, White}}},
        {"an XOR polyline touches each corner once", Black,
         [](CDC& dc) {
             CPen pen;
             SelectWhiteXorPen(dc, pen);
             DrawSquarePolyline(dc);
         },
         {{2, 2, White}, {8, 2, White}, {8, 8, White}, {2, 8, White}, {5, 2, White}, {5, 5, Black}}},
        {"an XOR polyline drawn twice leaves nothing", Black,
         [](CDC& dc) {
             CPen pen;
             SelectWhiteXorPen(dc, pen);
             DrawSquarePolyline(dc);
             DrawSquarePolyline(dc);
         },
         {{2, 2, Black}, {8, 2, Black}, {5, 8, Black}, {2, 5, Black}}},
        {"Rectangle: border on the outer pixels, brush inside", Grey,
         [](CDC& dc) { dc.Rectangle(1, 1, 6, 6); },
         {{1, 1, Black}, {5, 1, Black}, {1, 5, Black}, {5, 5, Black}, {3, 3, White}, {6, 6, Grey}, {6, 3, Grey}}},
        {"Rectangle with the null pen is a pixel smaller", Grey,
         [](CDC& dc) {
             dc.SelectStockObject(NULL_PEN);
             dc.Rectangle(1, 1, 6, 6);
         },
         {{1, 1, White}, {4, 4, White}, {5, 5, Grey}, {5, 1, Grey}}},
        {"a rubber band (R2_NOT, null brush) drawn twice leaves nothing", Grey,
         [](CDC& dc) {
             dc.FillSolidRect(CRect(0, 0, 4, 12), Red);
             dc.SetROP2(R2_NOT);
             dc.SelectStockObject(NULL_BRUSH);
             dc.Rectangle(2, 2, 9, 9);
             dc.Rectangle(2, 2, 9, 9);
         },
         {{2, 2, Red}, {8, 8, Grey}, {8, 2, Grey}, {2, 5, Red}, {5, 5, Grey}}},
        {"InvertRect inverts, twice restores", Grey,
         [](CDC& dc) {
             dc.FillSolidRect(CRect(0, 0, 3, 10), Red);
             dc.InvertRect(CRect(1, 1, 9, 9));
             dc.InvertRect(CRect(5, 1, 9, 9));
         },
         {{1, 1, RGB(0, 255, 255)}, {4, 4, RGB(127, 127, 127)}, {5, 5, Grey}, {9, 9, Grey}, {0, 0, Red}}},
        {"a clip rectangle limits drawing", White,
         [](CDC& dc) {
             dc.IntersectClipRect(CRect(3, 3, 6, 6));
             dc.FillSolidRect(CRect(0, 0, 10, 10), Blue);
         },
         {{3, 3, Blue}, {5, 5, Blue}, {6, 6, White}, {2, 3, White}}},
        {"the DC pen and brush take their colours when drawing, and RestoreDC gives the old ones back", White,
         [](CDC& dc) {
             dc.SelectStockObject(DC_PEN);
             dc.SelectStockObject(DC_BRUSH);
             EXPECT_EQ(dc.GetDCPenColor(), Black);
             EXPECT_EQ(dc.GetDCBrushColor(), White);
             const int saved = dc.SaveDC();
             EXPECT_EQ(dc.SetDCPenColor(Red), Black);
             dc.SetDCBrushColor(Blue);
             dc.Rectangle(1, 1, 6, 6);
             dc.RestoreDC(saved);
             dc.Rectangle(8, 8, 12, 12);
         },
         {{1, 1, Red}, {5, 3, Red}, {3, 3, Blue}, {8, 8, Black}, {10, 10, White}, {12, 12, White}}},
        {"MM_TWIPS: an inch is 96 pixels, y upward from the top", White,
         [](CDC& dc) {
             dc.SetMapMode(MM_TWIPS);
             dc.FillSolidRect(CRect(0, 0, TwipsPerInch / 16, -TwipsPerInch / 8), Red);  // 6 x 12 pixels
         },
         {{0, 0, Red}, {5, 11, Red}, {6, 11, White}, {5, 12, White}}},
    };
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = Canvas(16, 16, c.background);
        {
            CDC dc(&image);
            c.draw(dc);
        }
        for (const Pixel& p : c.expected) {
            EXPECT_EQ(PixelAt(image, p.x, p.y), p.color) << "at " << p.x << "," << p.y;
        }
    }
}

TEST(DeviceContext, TwipsMappingRoundTripsPointsAndKeepsTextUpright)
{
    QImage image = Canvas(200, 120, White);
    CDC dc(&image);
    dc.SetMapMode(MM_TWIPS);
    CPoint p(TwipsPerInch / 2, -TwipsPerInch);
    dc.LPtoDP(&p);
    EXPECT_EQ(p, CPoint(ScreenDpi / 2, ScreenDpi));
    dc.DPtoLP(&p);
    EXPECT_EQ(p, CPoint(TwipsPerInch / 2, -TwipsPerInch));

    // A 20-point "T" (400 twips): its bar is at the top of its line, so text is not mirrored.
    CFont font;
    font.CreatePointFont(200, "Arial", &dc);
    dc.SelectObject(&font);
    CRect box(0, 0, TwipsPerInch, -TwipsPerInch);
    dc.DrawText("T", &box, DT_LEFT | DT_NOPREFIX);
    const QRect ink = Ink(image, White);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LT(ink.top(), 30);  // near the top of the window, not mirrored below the origin
    const auto darkInRow = [&](int y) {
        int n = 0;
        for (int x = ink.left(); x <= ink.right(); ++x) n += PixelAt(image, x, y) != White;
        return n;
    };
    EXPECT_GT(darkInRow(ink.top() + 1), 3 * darkInRow(ink.bottom() - 1));
}

TEST(DeviceContext, DrawTextEllipsisIsThreeAsciiDots)
{
    const std::string text = "Water Surface Elevation";
    QImage drawn = Canvas(200, 20, White);
    QImage expected = Canvas(200, 20, White);
    int width = 0;
    std::string shown;
    {
        CDC dc(&drawn);
        width = dc.GetTextExtent(text).cx / 2;
        // The longest start that fits with "..." after it, found with the text extents.
        for (std::size_t n = text.size(); n > 0 && shown.empty(); --n) {
            if (dc.GetTextExtent(text.substr(0, n) + "...").cx <= width) shown = text.substr(0, n) + "...";
        }
        CRect box(0, 0, width, 20);
        dc.DrawText(text, &box, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    ASSERT_FALSE(shown.empty());
    {
        CDC dc(&expected);
        dc.TextOut(0, 0, shown);
    }
    EXPECT_EQ(drawn, expected) << shown;
}

TEST(DeviceContext, DrawTextPlacesAndMeasuresByItsFlags)
{
    QImage image = Canvas(300, 100, White);
    CDC dc(&image);
    TEXTMETRIC tm;
    ASSERT_TRUE(dc.GetTextMetrics(&tm));
    const int line = tm.tmHeight;

    struct MeasureCase
    {
        const char* text;
        UINT format;
        int width;  // of the rectangle
        int lines;
        const char* widestLine;
    };
    const MeasureCase measures[] = {
        {"Run Transient", DT_SINGLELINE, 10, 1, "Run Transient"},
        {"aaa bbb ccc", DT_WORDBREAK, 0, 2, "aaa bbb"},  // width 0: set below to fit "aaa bbb"
        {"one\ntwo lines", 0, 300, 2, "two lines"},
        {"one\ntwo", DT_SINGLELINE, 300, 1, "one two"},
        {"&Run", DT_SINGLELINE, 300, 1, "Run"},
        {"&Run", DT_SINGLELINE | DT_NOPREFIX, 300, 1, "&Run"},
    };
    for (const MeasureCase& m : measures) {
        SCOPED_TRACE(m.text);
        const int width = m.width ? m.width : dc.GetTextExtent("aaa bbb").cx + 2;
        CRect box(10, 20, 10 + width, 25);
        const int height = dc.DrawText(m.text, &box, m.format | DT_CALCRECT);
        EXPECT_EQ(height, m.lines * line);
        EXPECT_EQ(box, CRect(10, 20, 10 + dc.GetTextExtent(m.widestLine).cx, 20 + m.lines * line));
    }
    EXPECT_EQ(Ink(image, White), QRect()) << "CALCRECT draws nothing";

    // Placement: centred both ways, and against the right edge.
    const CRect area(20, 10, 220, 90);
    CRect centred = area;
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText("Profile View", &centred, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    QRect ink = Ink(image, White);
    const int textWidth = dc.GetTextExtent("Profile View").cx;
    EXPECT_NEAR(ink.center().x(), (area.left + area.right) / 2, 2);
    EXPECT_GE(ink.top(), area.top + (area.Height() - line) / 2);
    EXPECT_LE(ink.bottom(), area.top + (area.Height() + line) / 2);
    EXPECT_LE(ink.width(), textWidth + 1);

    image.fill(Qt::white);
    CRect right = area;
    dc.DrawText("Profile View", &right, DT_RIGHT | DT_SINGLELINE);
    ink = Ink(image, White);
    EXPECT_LE(ink.right(), area.right - 1);
    EXPECT_GE(ink.right(), area.right - 3);
    EXPECT_LT(ink.top(), area.top + line);
}

TEST(DeviceContext, APrefixUnderlinesItsLetterOnWhicheverLineItLands)
{
    struct Case
    {
        const char* prefixed;
        const char* plain;
        UINT format;
        const char* letter;  // the underlined one
        int line;            // the line it lands on
    };
    const Case cases[] = {
        {"&Run", "Run", DT_SINGLELINE, "R", 0},
        {"Water &Temperature", "Water Temperature", DT_WORDBREAK, "T", 1},  // broken before "Temperature"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefixed);
        QImage underlined = Canvas(120, 60, White);
        QImage plain = Canvas(120, 60, White);
        int line = 0;
        int letter = 0;
        {
            CDC dc(&underlined);
            TEXTMETRIC tm;
            dc.GetTextMetrics(&tm);
            line = c.line * tm.tmHeight;
            letter = dc.GetTextExtent(c.letter).cx;
            CRect box(0, 0, dc.GetTextExtent("Temperature").cx + 4, 60);
            dc.DrawText(c.prefixed, &box, c.format);
        }
        {
            CDC dc(&plain);
            CRect box(0, 0, dc.GetTextExtent("Temperature").cx + 4, 60);
            dc.DrawText(c.plain, &box, c.format | DT_NOPREFIX);
        }
        // The two differ only by a short line under the first letter of the right line.
        QRect difference;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 120; ++x) {
                if (underlined.pixel(x, y) != plain.pixel(x, y)) difference |= QRect(x, y, 1, 1);
            }
        }
        ASSERT_FALSE(difference.isEmpty());
        EXPECT_EQ(difference.height(), 1);
        EXPECT_LE(difference.width(), letter);
        EXPECT_EQ(difference.left(), 0);
        EXPECT_GE(difference.top(), line);
        EXPECT_LT(difference.top(), line + 20);
    }
}

namespace {

// A custom-drawn window that paints its client area blue and records its paints and erases.
class PaintedWindow : public CWnd
{
public:
    int paints = 0;
    int erases = 0;
    CRect lastPaint;
    COLORREF paintColor = Blue;

    void OnPaint() override
    {
        CPaintDC dc(this);
        ++paints;
        lastPaint = dc.m_rcPaint;
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(client, paintColor);
    }
    BOOL OnEraseBkgnd(CDC* dc) override
    {
        ++erases;
        return CWnd::OnEraseBkgnd(dc);
    }
};

COLORREF ScreenPixel(CWnd& window, int x, int y)
{
    const QImage shown = window.GetWidget()->grab().toImage();
    return PixelAt(shown, x, y);
}

}  // namespace

TEST(DeviceContext, PaintsDrawTheInvalidPartAndDrawingOutsideAPaintReachesTheScreen)
{
    PaintedWindow window;
    ASSERT_TRUE(window.Create(nullptr, "painted", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 60, 40), nullptr, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.GetWidget()));
    ProcessEvents();
    ASSERT_GE(window.paints, 1);
    EXPECT_EQ(ScreenPixel(window, 30, 20), Blue);

    // Drawing outside a paint (an immediate redraw, a sizing line).
    {
        CClientDC dc(&window);
        dc.FillSolidRect(CRect(10, 10, 20, 20), Red);
        EXPECT_EQ(dc.GetPixel(15, 15), Red);
    }
    ProcessEvents();
    EXPECT_EQ(ScreenPixel(window, 15, 15), Red);
    // A context kept open (a rubber band's) has each drawing shown while it stays open.
    {
        CClientDC kept(&window);
        ProcessEvents();
        PaintCounter shown;
        kept.FillSolidRect(CRect(30, 5, 40, 15), Red);
        ProcessEvents();
        EXPECT_GE(shown.paints[window.GetWidget()], 1);
        EXPECT_EQ(ScreenPixel(window, 35, 10), Red);
    }

    // Only the invalid part is painted again; without erase no background is erased.
    const int paints = window.paints;
    const int erases = window.erases;
    window.paintColor = Grey;
    const CRect part(0, 0, 12, 12);
    window.InvalidateRect(&part, FALSE);
    ProcessEvents();
    EXPECT_EQ(window.paints, paints + 1);
    EXPECT_EQ(window.erases, erases);
    EXPECT_EQ(window.lastPaint, part);
    EXPECT_EQ(ScreenPixel(window, 11, 11), Grey);
    EXPECT_EQ(ScreenPixel(window, 15, 15), Red);

    // UpdateWindow paints at once, erasing first when asked.
    window.paintColor = Blue;
    window.Invalidate(TRUE);
    window.UpdateWindow();
    EXPECT_EQ(window.paints, paints + 2);
    EXPECT_EQ(window.erases, erases + 1);
    EXPECT_EQ(ScreenPixel(window, 15, 15), Blue);
    window.UpdateWindow();  // nothing invalid: no paint
    EXPECT_EQ(window.paints, paints + 2);
}

TEST(DeviceContext, AWindowThatChildWindowsCoverIsPaintedToo)
{
    // A view hosting other views draws on each repaint although nothing of it shows.
    PaintedWindow host;
    PaintedWindow cover;
    cover.paintColor = Grey;
    ASSERT_TRUE(host.Create(nullptr, "host", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 60, 40), nullptr, 0));
    ASSERT_TRUE(cover.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 60, 40), &host, 1));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.GetWidget()));
    ProcessEvents();
    EXPECT_EQ(host.paints, 1);
    EXPECT_EQ(cover.paints, 1);

    host.Invalidate(TRUE);
    ProcessEvents();
    EXPECT_EQ(host.paints, 2);
    EXPECT_EQ(host.erases, 2);
    EXPECT_EQ(cover.paints, 1);
    host.Invalidate(FALSE);
    host.Invalidate(FALSE);  // one paint for what was invalidated meanwhile
    host.UpdateWindow();
    EXPECT_EQ(host.paints, 3);
    ProcessEvents();
    EXPECT_EQ(host.paints, 3);
    EXPECT_EQ(ScreenPixel(host, 30, 20), Grey);  // the child's picture, untouched
}

namespace {

// The pixels an ellipse gets when Qt's painter draws it directly with the context's pen and
// brush, as a context without a picture of it would.
QImage DirectEllipse(QSize size, const QRect& box, const QPen& pen, const QBrush& brush)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.drawEllipse(box.adjusted(0, 0, -1, -1));
    return image;
}

}  // namespace

TEST(DeviceContext, ManySmallEllipsesOfOnePenAndBrushGetTheSamePixelsAsOne)
{
    struct Look
    {
        const char* name;
        int penStyle;
        int penWidth;  // pixels
        COLORREF pen;
        bool nullBrush;
        COLORREF brush;
    };
    const Look looks[] = {
        {"thin pen", PS_SOLID, 0, Black, false, Red},
        {"wide pen", PS_SOLID, 3, Blue, false, Grey},
        {"no pen", PS_NULL, 0, Black, false, Blue},
        {"no brush", PS_SOLID, 1, Red, true, White},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        for (const QRect box : {QRect(3, 4, 7, 7), QRect(20, 9, 12, 9), QRect(31, 33, 7, 7), QRect(5, 30, 40, 24)}) {
            QImage image = Canvas(64, 64, White);
            {
                CDC dc(&image);
                CPen pen(look.penStyle, look.penWidth, look.pen);
                CBrush brush(look.brush);
                dc.SelectObject(&pen);
                if (look.nullBrush) dc.SelectStockObject(NULL_BRUSH);
                else dc.SelectObject(&brush);
                dc.Ellipse(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
            }
            QPen pen(QColor(GetRValue(look.pen), GetGValue(look.pen), GetBValue(look.pen)), std::max(1, look.penWidth));
            if (look.penStyle == PS_NULL) pen = Qt::NoPen;
            const QBrush brush = look.nullBrush ? QBrush(Qt::NoBrush)
                                                : QBrush(QColor(GetRValue(look.brush), GetGValue(look.brush), GetBValue(look.brush)));
            EXPECT_EQ(image, DirectEllipse(image.size(), box, pen, brush)) << box.x() << "," << box.y() << " " << box.width();
        }
    }
    // In XOR an ellipse is drawn as such: twice leaves nothing.
    QImage image = Canvas(32, 32, Grey);
    {
        CDC dc(&image);
        CPen pen(PS_SOLID, 0, White);
        dc.SelectObject(&pen);
        dc.SetROP2(R2_XORPEN);
        dc.Ellipse(4, 4, 20, 20);
        EXPECT_FALSE(Ink(image, Grey).isEmpty());
        dc.Ellipse(4, 4, 20, 20);
    }
    EXPECT_EQ(Ink(image, Grey), QRect());
}

TEST(DeviceContext, PolyPolylineDrawsEachPolylineAsPolylineDoes)
{
    const std::vector<CPoint> points = {{1, 1}, {9, 1}, {2, 4}, {12, 9}, {14, 2}, {3, 14}, {3, 14}, {14, 14}};
    const DWORD counts[] = {2, 2, 3};
    for (const int width : {0, 3}) {
        SCOPED_TRACE(width);
        QImage one = Canvas(16, 16, White);
        QImage each = Canvas(16, 16, White);
        CPen pen(PS_SOLID, width, Blue);
        {
            CDC dc(&one);
            dc.SelectObject(&pen);
            dc.MoveTo(7, 7);
            EXPECT_TRUE(dc.PolyPolyline(points.data(), counts, 3));
            EXPECT_EQ(dc.MoveTo(0, 0), CPoint(7, 7));  // the current position stays
            const DWORD tooFew[] = {2, 1};
            EXPECT_FALSE(dc.PolyPolyline(points.data(), tooFew, 2));
        }
        {
            CDC dc(&each);
            dc.SelectObject(&pen);
            dc.Polyline(&points[0], 2);
            dc.Polyline(&points[2], 2);
            dc.Polyline(&points[4], 3);
        }
        EXPECT_EQ(one, each);
        EXPECT_EQ(PixelAt(one, 9, 1), width ? Blue : White);  // a thin pen leaves each line's last pixel
    }
}
