#include "platform/Text.h"

#include <gtest/gtest.h>

TEST(Cp1252Text, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    const QString text = Cp1252ToQString(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(QStringToCp1252(text), all);
}

TEST(Cp1252Text, BytesMapToTheirCharacters)
{
    struct Case
    {
        unsigned char byte;
        char16_t character;
    };
    const Case cases[] = {
        {'A', u'A'},      {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x8C, u'\u0152'}, {0x96, u'\u2013'},
        {0x9F, u'\u0178'}, {0xA0, u'\u00A0'}, {0xB0, u'\u00B0'}, {0xB2, u'\u00B2'}, {0xFF, u'\u00FF'},
    };
    for (const Case& c : cases) {
        const QString text = Cp1252ToQString(std::string(1, char(c.byte)));
        ASSERT_EQ(text.size(), 1);
        EXPECT_EQ(text[0].unicode(), c.character) << int(c.byte);
    }
}

TEST(Cp1252Text, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach)
{
    // Delta, theta, a CJK character and one outside the basic plane (two UTF-16 units).
    const QString text = QString::fromUtf8("\u0394t \u03F4 \u4E2D \U0001F600!");
    EXPECT_EQ(QStringToCp1252(text), "?t ? ? ?!");
    EXPECT_EQ(QStringToCp1252(QString::fromUtf8("Water Temperature (\u00B0C)")), "Water Temperature (\xB0" "C)");
}
