// Images read from files and drawn stretched onto a device context.
#include "../TestFolder.h"
#include "GuiTestSupport.h"

#include "platform/DeviceContext.h"
#include "platform/Image.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <filesystem>
#include <fstream>

namespace {

constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Green = RGB(0, 255, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr COLORREF Yellow = RGB(255, 255, 0);

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF PixelAt(const QImage& image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

// Two by two pixels: red, green on the first row, blue, yellow on the second.
QImage Quadrants()
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, ToQColor(Red).rgb());
    image.setPixel(1, 0, ToQColor(Green).rgb());
    image.setPixel(0, 1, ToQColor(Blue).rgb());
    image.setPixel(1, 1, ToQColor(Yellow).rgb());
    return image;
}

class ImageFileTest : public ::testing::Test
{
protected:
    void SetUp() override { folder_ = FreshTestFolder("vasquil-image"); }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    // Writes picture as name in the folder, in the format of its extension.
    std::filesystem::path Write(const std::string& name, const QImage& picture, const char* format = nullptr)
    {
        const std::filesystem::path path = folder_ / name;
        QImageWriter writer(QString::fromStdString(path.string()), format);
        EXPECT_TRUE(writer.write(picture)) << name << ": " << writer.errorString().toStdString();
        return path;
    }
    std::filesystem::path folder_;
};

TEST_F(ImageFileTest, EveryMapFormatDecodesToTheSameRgbPixels)
{
    // Lossless formats keep every pixel; JPEG keeps the colours near enough.
    // Blocks of 8 x 8 pixels, which JPEG codes one by one.
    QImage picture(24, 16, QImage::Format_RGB32);
    picture.fill(ToQColor(White));
    for (int y = 0; y < 8; ++y) {
        for (int x = 8; x < 16; ++x) picture.setPixel(x, y, ToQColor(Blue).rgb());
    }
    struct FormatCase
    {
        const char* name;
        int tolerance;  // per channel
    };
    for (const FormatCase c : {FormatCase{"map.png", 0}, {"map.bmp", 0}, {"map.tif", 0}, {"map.jpg", 80}}) {
        SCOPED_TRACE(c.name);
        CImage image;
        ASSERT_EQ(image.Load(Write(c.name, picture)), S_OK);
        ASSERT_FALSE(image.IsNull());
        EXPECT_EQ(image.GetWidth(), 24);
        EXPECT_EQ(image.GetHeight(), 16);
        EXPECT_EQ(image.Picture().format(), QImage::Format_RGB32);
        for (const QPoint p : {QPoint(10, 2), QPoint(13, 5), QPoint(4, 4), QPoint(20, 12), QPoint(12, 12)}) {
            const QColor got(image.Picture().pixel(p));
            const QColor want(picture.pixel(p));
            EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) + std::abs(got.blue() - want.blue()),
                      c.tolerance)
                << p.x() << "," << p.y();
        }
        image.Destroy();
        EXPECT_TRUE(image.IsNull());
        EXPECT_EQ(image.GetWidth(), 0);
    }
}

TEST_F(ImageFileTest, AGifDecodes)
{
    // Qt writes no GIF: one white pixel, byte by byte (header, screen with a two-entry colour
    // table, one image of LZW codes clear, 0, end).
    const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0,
                                 ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'};
    const std::filesystem::path path = folder_ / "pixel.gif";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(gif), sizeof gif);
    CImage image;
    ASSERT_EQ(image.Load(path), S_OK);
    EXPECT_EQ(image.GetWidth(), 1);
    EXPECT_EQ(image.GetHeight(), 1);
    EXPECT_EQ(PixelAt(image.Picture(), 0, 0), White);
}

TEST_F(ImageFileTest, WhatIsNoImageFailsAndLeavesTheImageNull)
{
    CImage image;
    ASSERT_EQ(image.Load(Write("first.png", Quadrants())), S_OK);
    const std::filesystem::path text = folder_ / "notes.png";
    std::ofstream(text) << "x pixel width 1.0\n";
    for (const std::filesystem::path& path : {text, folder_ / "missing.png", folder_}) {
        EXPECT_TRUE(FAILED(image.Load(path))) << path;
        EXPECT_TRUE(image.IsNull()) << path;
    }
}

TEST_F(ImageFileTest, AnOrientationTagDoesNotTurnThePicture)
{
    // A camera's JPEG whose Exif block says "turn by 90 degrees" (orientation 6): the map is
    // read as its rows are stored.
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(ToQColor(White));
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(picture.save(&buffer, "JPG"));
    }
    const char exif[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                         0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
    bytes.insert(2, exif, sizeof exif);
    const std::filesystem::path path = folder_ / "turned.jpg";
    std::ofstream(path, std::ios::binary).write(bytes.constData(), bytes.size());
    QImageReader turning(QString::fromStdString(path.string()));
    turning.setAutoTransform(true);
    ASSERT_EQ(turning.read().size(), QSize(20, 40)) << "the orientation tag is not read";
    CImage image;
    ASSERT_EQ(image.Load(path), S_OK);
    EXPECT_EQ(image.GetWidth(), 40);
    EXPECT_EQ(image.GetHeight(), 20);
}

TEST_F(ImageFileTest, AMapOfMoreThanQtsOwnLimitLoads)
{
    // 6400 x 6000 pixels take 146 MB in 32 bits, above the 128 MB Qt allows by default.
    QImage picture(6400, 6000, QImage::Format_RGB32);
    picture.fill(ToQColor(Green));
    const std::filesystem::path path = folder_ / "large.png";
    QImageWriter writer(QString::fromStdString(path.string()));
    writer.setCompression(1);
    ASSERT_TRUE(writer.write(picture));
    picture = QImage();
    CImage image;
    ASSERT_EQ(image.Load(path), S_OK);
    EXPECT_EQ(image.GetWidth(), 6400);
    EXPECT_EQ(image.GetHeight(), 6000);
    EXPECT_EQ(PixelAt(image.Picture(), 6399, 5999), Green);
}

// A picture drawn onto a 16 x 16 white canvas.
struct StretchCase
{
    const char* name;
    int mapMode;
    CRect target;  // x, y, width, height in logical units
    CRect source;  // x, y, width, height in pixels
    DWORD rop;
    BOOL result;
    std::vector<std::pair<QPoint, COLORREF>> expected;
};

TEST(StretchBlt, CopiesStretchesAndMirrorsByTheSignsOfTheExtents)
{
    CImage image;
    {
        // The picture through a file, as the program gets its maps.
        const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) /
                                           ("vasquil-quadrants-" + std::to_string(::getpid()) + ".png");
        ASSERT_TRUE(Quadrants().save(QString::fromStdString(path.string())));
        ASSERT_EQ(image.Load(path), S_OK);
        std::filesystem::remove(path);
    }
    const std::vector<StretchCase> cases = {
        {"stretched, each source pixel a block without smoothing", MM_TEXT, {4, 4, 8, 8}, {0, 0, 2, 2}, SRCCOPY, TRUE,
         {{{4, 4}, Red}, {{7, 7}, Red}, {{8, 7}, Green}, {{11, 4}, Green}, {{4, 8}, Blue}, {{11, 11}, Yellow}, {{12, 12}, White}, {{3, 4}, White}}},
        {"a part of the source", MM_TEXT, {0, 0, 4, 4}, {1, 0, 1, 2}, SRCCOPY, TRUE,
         {{{0, 0}, Green}, {{3, 1}, Green}, {{0, 2}, Yellow}, {{3, 3}, Yellow}, {{4, 0}, White}}},
        {"a negative width mirrors left to right", MM_TEXT, {12, 0, -8, 8}, {0, 0, 2, 2}, SRCCOPY, TRUE,
         {{{4, 0}, Green}, {{11, 0}, Red}, {{4, 7}, Yellow}, {{11, 7}, Blue}, {{12, 0}, White}}},
        {"a positive height in twips runs up the screen: upside down", MM_TWIPS, {0, -240, 120, 120}, {0, 0, 2, 2}, SRCCOPY, TRUE,
         {{{0, 15}, Red}, {{0, 8}, Blue}, {{7, 15}, Green}, {{7, 8}, Yellow}, {{0, 7}, White}}},
        {"another raster operation draws nothing", MM_TEXT, {0, 0, 8, 8}, {0, 0, 2, 2}, 0x00EE0086, FALSE, {{{0, 0}, White}}},
        {"a source beyond the picture draws nothing", MM_TEXT, {0, 0, 8, 8}, {1, 1, 2, 2}, SRCCOPY, FALSE, {{{0, 0}, White}}},
    };
    for (const StretchCase& c : cases) {
        SCOPED_TRACE(c.name);
        QImage canvas(16, 16, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            CDC dc(&canvas);
            dc.SetMapMode(c.mapMode);
            EXPECT_EQ(dc.SetStretchBltMode(COLORONCOLOR), BLACKONWHITE);
            EXPECT_EQ(dc.StretchBlt(c.target.left, c.target.top, c.target.right, c.target.bottom, image, c.source.left,
                                    c.source.top, c.source.right, c.source.bottom, c.rop),
                      c.result);
        }
        for (const auto& [p, colour] : c.expected) EXPECT_EQ(PixelAt(canvas, p.x(), p.y()), colour) << p.x() << "," << p.y();
    }
    CDC dc(static_cast<QPaintDevice*>(nullptr));
    EXPECT_FALSE(dc.StretchBlt(0, 0, 4, 4, CImage(), 0, 0, 1, 1, SRCCOPY));
}

}  // namespace
