// Device-context calls of custom-drawn controls: clip boxes, 3-D edges, the background colour,
// fonts resolved once, contexts over another context's target, and image lists.
#include "GuiTestSupport.h"

#include "platform/DeviceContext.h"
#include "platform/ImageList.h"
#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Red = RGB(255, 0, 0);

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

COLORREF PixelAt(const QImage& image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

// A context that draws where another one does, as an off-screen context of a paint does.
class SameTargetDC : public CDC
{
public:
    explicit SameTargetDC(CDC& target) : CDC(target, SameTarget{}) {}
};

}  // namespace

TEST(EdgesAndClip, TheClipBoxIsTheClipAreaOrTheWholeDevice)
{
    QImage image = Canvas(40, 30);
    CDC dc(&image);
    CRect box;
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(0, 0, 40, 30));
    dc.IntersectClipRect(CRect(5, 6, 20, 25));
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(5, 6, 20, 25));
    dc.IntersectClipRect(CRect(30, 0, 35, 5));
    EXPECT_EQ(dc.GetClipBox(&box), NULLREGION);
    EXPECT_TRUE(box.IsRectEmpty());
    EXPECT_FALSE(dc.IsPrinting());
}

TEST(EdgesAndClip, ASunkenInnerEdgeIsDarkAboveAndLeftAndLightBelowAndRight)
{
    QImage image = Canvas(12, 10);
    {
        CDC dc(&image);
        CRect r(1, 1, 9, 8);
        dc.DrawEdge(&r, BDR_SUNKENINNER, BF_RECT);
    }
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF light = GetSysColor(COLOR_3DLIGHT);
    struct Pixel
    {
        int x, y;
        COLORREF colour;
    };
    const Pixel pixels[] = {
        {1, 1, dark},  {5, 1, dark},  {1, 5, dark},   // top row, left column
        {8, 1, light}, {8, 7, light}, {1, 7, light},  // the right column and the bottom row own the corners
        {5, 7, light}, {2, 2, White}, {9, 1, White},  {1, 8, White},
    };
    for (const Pixel& p : pixels) EXPECT_EQ(PixelAt(image, p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST(EdgesAndClip, TheBackgroundColourIsWhatFillSolidRectLeft)
{
    QImage image = Canvas(4, 4);
    CDC dc(&image);
    EXPECT_EQ(dc.GetBkColor(), White);
    dc.FillSolidRect(CRect(0, 0, 2, 2), Red);
    EXPECT_EQ(dc.GetBkColor(), Red);
}

TEST(EdgesAndClip, AFontResolvesOnceAndFollowsAChangedLogFont)
{
    CFont font;
    LOGFONT lf;
    lf.lfHeight = -11;
    std::strcpy(lf.lfFaceName, "Arial");
    font.CreateFontIndirect(&lf);
    const CFont::Resolved* first = &font.Resolve(96, MM_TEXT);
    EXPECT_EQ(first->font.pixelSize(), 11);
    EXPECT_EQ(&font.Resolve(96, MM_TEXT), first);  // the same record, not made again
    lf.lfHeight = -20;
    font.CreateFontIndirect(&lf);
    EXPECT_EQ(font.Resolve(96, MM_TEXT).font.pixelSize(), 20);
    EXPECT_EQ(font.Resolve(96, MM_TWIPS).font.pixelSize(), 1);  // 20 twips at 96 dpi

    // Text measured through the context agrees with the record's metrics.
    QImage image = Canvas(10, 10);
    CDC dc(&image);
    dc.SelectObject(&font);
    EXPECT_EQ(dc.GetTextExtent("XX").cx, font.Resolve(96, MM_TEXT).metrics.horizontalAdvance(QStringLiteral("XX")));
}

TEST(EdgesAndClip, AContextOverAnotherDrawsIntoItsTargetWithItsClip)
{
    QImage image = Canvas(20, 20);
    {
        CDC target(&image);
        target.IntersectClipRect(CRect(0, 0, 10, 20));
        {
            SameTargetDC second(target);
            CRect box;
            second.GetClipBox(&box);
            EXPECT_EQ(box, CRect(0, 0, 10, 20));
            second.FillSolidRect(CRect(0, 0, 20, 5), Red);
        }
        target.FillSolidRect(CRect(0, 10, 20, 15), RGB(0, 0, 255));
    }
    EXPECT_EQ(PixelAt(image, 9, 4), Red);
    EXPECT_EQ(PixelAt(image, 10, 4), White);
    EXPECT_EQ(PixelAt(image, 9, 12), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(image, 10, 12), White);  // the target kept its own clip
}

TEST(EdgesAndClip, DrawTextClipsOnlyTextThatDoesNotFit)
{
    QImage image = Canvas(60, 20);
    {
        CDC dc(&image);
        dc.SetBkMode(TRANSPARENT);
        CRect fits(0, 0, 60, 20);
        dc.DrawText("ab", &fits, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        CRect narrow(30, 0, 34, 20);  // "WWW" is wider: cut at the rectangle
        dc.DrawText("WWW", &narrow, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    }
    bool inkInside = false;
    for (int y = 0; y < 20; ++y) {
        for (int x = 30; x < 34; ++x) inkInside = inkInside || PixelAt(image, x, y) != White;
        for (int x = 34; x < 60; ++x) EXPECT_EQ(PixelAt(image, x, y), White) << x << "," << y;
    }
    EXPECT_TRUE(inkInside);
}

TEST(EdgesAndClip, AnImageListDrawsItsImagesAtTheirSize)
{
    CImageList list;
    EXPECT_FALSE(list.Create(0, 8, 0, 1, 1));
    ASSERT_TRUE(list.Create(4, 3, ILC_MASK, 1, 1));
    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    red.setPixel(0, 0, qRgb(0, 255, 0));  // the mask colour: left alone when drawn
    EXPECT_EQ(list.Add(red, RGB(0, 255, 0)), 0);
    EXPECT_EQ(list.GetImageCount(), 1);
    IMAGEINFO info;
    ASSERT_TRUE(list.GetImageInfo(0, &info));
    EXPECT_EQ(info.rcImage.Size(), CSize(4, 3));
    EXPECT_FALSE(list.GetImageInfo(1, &info));

    QImage image = Canvas(10, 10);
    {
        CDC dc(&image);
        EXPECT_TRUE(list.Draw(&dc, 0, CPoint(2, 2), ILD_NORMAL));
        EXPECT_FALSE(list.Draw(&dc, 3, CPoint(2, 2), ILD_NORMAL));
    }
    EXPECT_EQ(PixelAt(image, 2, 2), White);
    EXPECT_EQ(PixelAt(image, 3, 2), Red);
    EXPECT_EQ(PixelAt(image, 5, 4), Red);
    EXPECT_EQ(PixelAt(image, 6, 4), White);
}
