#include "platform/Text.h"

#include <array>

namespace {

// Characters of the bytes 0x80-0x9F. The bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned
// in code page 1252 and stand for the C1 control of their own value, so that no byte is lost.
constexpr std::array<char16_t, 32> HighControlBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr unsigned char HighBlockFirst = 0x80;
constexpr unsigned char HighBlockEnd = 0xA0;

char ToByte(char16_t c)
{
    if (c < HighBlockFirst || (c >= HighBlockEnd && c <= 0xFF)) return char(c);
    for (std::size_t i = 0; i < HighControlBlock.size(); ++i) {
        if (HighControlBlock[i] == c) return char(HighBlockFirst + i);
    }
    return '?';
}

}  // namespace

QString Cp1252ToQString(std::string_view text)
{
    QString out(qsizetype(text.size()), Qt::Uninitialized);
    QChar* dst = out.data();
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool high = byte >= HighBlockFirst && byte < HighBlockEnd;
        *dst++ = QChar(high ? HighControlBlock[byte - HighBlockFirst] : char16_t(byte));
    }
    return out;
}

std::string QStringToCp1252(const QString& text)
{
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character outside the basic plane is two UTF-16 units but one '?'.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        out.push_back(ToByte(c.unicode()));
    }
    return out;
}
