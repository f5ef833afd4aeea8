// The widths of short texts in one font without shaping each of them: a text of printable ASCII
// characters is as wide as the sum of its characters' advances (1/64 pixel, as the shaper gives
// them) wherever the font sets each neighbouring pair of them side by side, without kerning or
// a ligature. Each advance and each pair is measured by the shaper once, when first met; a text
// with another character or a pair the font joins is shaped whole. The widths are the shaper's
// exactly (QFontMetrics::horizontalAdvance), at a small part of its cost, which matters when a
// grid measures every one of its million cells.
#pragma once

#include <QFont>
#include <QFontMetricsF>

#include <array>
#include <cstdint>
#include <string_view>

class AsciiTextWidths
{
public:
    explicit AsciiTextWidths(const QFont& font);

    // The width in device pixels of text (Windows-1252 bytes) as the font's metrics give it
    // for the same characters; -1 when the text must be shaped whole (a character outside
    // printable ASCII, or a pair the font kerns or joins).
    int Width(std::string_view text);

private:
    static constexpr unsigned char FirstCharacter = 0x20;  // space
    static constexpr unsigned char LastCharacter = 0x7E;   // tilde
    static constexpr int Characters = LastCharacter - FirstCharacter + 1;
    enum class Pair : std::uint8_t { Unknown, Additive, Joined };

    // The shaper's width of text in 1/64 pixel.
    std::int64_t Shaped(std::u16string_view text) const;
    std::int32_t Advance(int index);
    bool Additive(int first, int second);

    QFontMetricsF metrics_;
    std::array<std::int32_t, Characters> advances_;  // 1/64 pixel; -1 until measured
    std::array<Pair, Characters * Characters> pairs_;
};
