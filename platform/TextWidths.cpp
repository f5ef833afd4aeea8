#include "platform/TextWidths.h"

#include <QString>

#include <cmath>

namespace {

// The shaper's widths are fixed-point numbers of 1/64 pixel.
constexpr double FixedPerPixel = 64.0;

}  // namespace

AsciiTextWidths::AsciiTextWidths(const QFont& font) : metrics_(font)
{
    advances_.fill(-1);
    pairs_.fill(Pair::Unknown);
}

std::int64_t AsciiTextWidths::Shaped(std::u16string_view text) const
{
    const QString q = QString::fromUtf16(text.data(), qsizetype(text.size()));
    return std::llround(metrics_.horizontalAdvance(q) * FixedPerPixel);
}

std::int32_t AsciiTextWidths::Advance(int index)
{
    std::int32_t& advance = advances_[std::size_t(index)];
    if (advance < 0) {
        const char16_t one[] = {char16_t(FirstCharacter + index)};
        advance = std::int32_t(Shaped(std::u16string_view(one, 1)));
    }
    return advance;
}

bool AsciiTextWidths::Additive(int first, int second)
{
    Pair& pair = pairs_[std::size_t(first * Characters + second)];
    if (pair == Pair::Unknown) {
        const char16_t two[] = {char16_t(FirstCharacter + first), char16_t(FirstCharacter + second)};
        const bool additive = Shaped(std::u16string_view(two, 2)) == std::int64_t(Advance(first)) + Advance(second);
        pair = additive ? Pair::Additive : Pair::Joined;
    }
    return pair == Pair::Additive;
}

int AsciiTextWidths::Width(std::string_view text)
{
    std::int64_t sum = 0;
    int previous = -1;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < FirstCharacter || byte > LastCharacter) return -1;
        const int index = byte - FirstCharacter;
        if (previous >= 0 && !Additive(previous, index)) return -1;
        sum += Advance(index);
        previous = index;
    }
    // Rounded to the pixel as the metrics round the shaper's sum.
    return int((sum + 32) >> 6);
}
