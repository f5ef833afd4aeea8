// Text widths measured from the characters' advances must be the widths the shaper gives for
// the whole text, in every font: plain, bold, italic, large, a serif face that kerns, and a
// fixed-pitch one, for all pairs of printable characters and for many random texts.
#include "GuiTestSupport.h"

#include "platform/DeviceContext.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstring>
#include <random>
#include <string>

namespace {

struct FontCase {
    const char* face;
    int height;  // LOGFONT height: negative a character height in pixels
    int weight;
    bool italic;
};

constexpr FontCase Fonts[] = {
    {"MS Sans Serif", -11, FW_NORMAL, false}, {"Arial", -13, FW_BOLD, false},   {"Times New Roman", -15, FW_NORMAL, true},
    {"DejaVu Serif", -29, FW_NORMAL, false},  {"Courier New", -12, FW_NORMAL, false}, {"Liberation Sans", 17, FW_NORMAL, false},
};

// The shaper's width of the whole text, as the context measured it before.
int ShapedWidth(const CFont& font, const std::string& text)
{
    return font.Resolve(96, MM_TEXT).metrics.horizontalAdvance(Cp1252ToQString(text));
}

}  // namespace

TEST(TextWidthsTest, TextExtentsAreTheShapersWidthsOfTheWholeText)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    std::mt19937 random(20261211);
    for (const FontCase& f : Fonts) {
        SCOPED_TRACE(f.face);
        LOGFONT lf{};
        lf.lfHeight = f.height;
        lf.lfWeight = f.weight;
        lf.lfItalic = f.italic ? 1 : 0;
        std::strncpy(lf.lfFaceName, f.face, LF_FACESIZE - 1);
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&lf));
        CDC dc(&image);
        dc.SelectObject(&font);

        int mismatches = 0;
        const auto check = [&](const std::string& text) {
            const int measured = dc.GetTextExtent(text).cx;
            const int shaped = ShapedWidth(font, text);
            if (measured != shaped && mismatches++ < 10)
                ADD_FAILURE() << "\"" << text << "\": " << measured << " against " << shaped;
        };
        // Every pair (and with it every character), then texts of up to 16 characters: random
        // ones, numbers as the grids show them, and ones with characters beyond ASCII.
        for (char a = ' '; a <= '~'; ++a) {
            for (char b = ' '; b <= '~'; ++b) check(std::string{a, b});
        }
        std::uniform_int_distribution<int> length(0, 16);
        std::uniform_int_distribution<int> printable(' ', '~');
        for (int i = 0; i < 4000; ++i) {
            std::string text(std::size_t(length(random)), ' ');
            for (char& c : text) c = char(printable(random));
            check(text);
        }
        std::uniform_int_distribution<int> number(-99999, 999999);
        for (int i = 0; i < 2000; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "%.4f", number(random) / 100.0);
            check(text);
        }
        for (const char* text : {"Water Temperature (\xB0" "C)", "Solar Radiation (W/m\xB2)", "caf\xE9", "\x80 5",
                                 "Time (hours)", "AVATAR Tower", "office ffi fl", " lead and trail "})
            check(text);
        EXPECT_EQ(dc.GetTextExtent("").cx, 0);
    }
}
