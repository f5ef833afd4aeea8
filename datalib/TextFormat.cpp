#include "datalib/TextFormat.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace VQXTextFormat {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The position after the leading white space and an optional sign of text; negative tells
// whether the sign was a minus.
std::size_t SkipBlanksAndSign(std::string_view text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

bool StartsWithWord(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] - 'A' + 'a') : text[i];
        if (c != word[i])
            return false;
    }
    return true;
}

// The decimal exponent of the leading digit of a plain number (digits, a point, an exponent)
// that starts text: 1 for "1", 3 for "123.4", -2 for "0.001", 4 for "1e3"; how a value out of
// the double range tells an overflow (above 0) from an underflow.
long long LeadingDigitExponent(std::string_view text)
{
    std::size_t i = 0;
    long long position = 0;  // digits before the point from the first non-zero one
    bool nonZero = false;
    long long zerosAfterPoint = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        nonZero = nonZero || text[i] != '0';
        if (nonZero)
            ++position;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            if (!nonZero && text[i] == '0')
                ++zerosAfterPoint;
            else
                nonZero = true;
        }
    }
    long long exponent = 0;
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (text[j] == '+' || text[j] == '-') {
            negative = text[j] == '-';
            ++j;
        }
        for (; j < text.size() && IsDigit(text[j]); ++j) {
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (text[j] - '0');
        }
        if (negative)
            exponent = -exponent;
    }
    return (position > 0 ? position : -zerosAfterPoint) + exponent;
}

}  // namespace

bool ReadLeadingDouble(std::string_view text, double& value)
{
    value = 0.0;
    bool negative = false;
    const std::size_t i = SkipBlanksAndSign(text, negative);
    const std::string_view rest = text.substr(i);
    if (StartsWithWord(rest, "inf") || StartsWithWord(rest, "nan"))
        return false;
    if (rest.empty() || !(IsDigit(rest[0]) || (rest[0] == '.' && rest.size() > 1 && IsDigit(rest[1]))))
        return true;
    double number = 0.0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), number, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return LeadingDigitExponent(rest) <= 0;  // an underflow reads as 0, as atof gives it
    if (result.ec != std::errc() || !std::isfinite(number))
        return false;
    value = negative ? -number : number;
    return true;
}

void AppendFixed(std::string& text, double value, int decimals)
{
    if (decimals < 0)
        decimals = 6;
    // Fixed notation of the largest doubles needs 309 digits before the point.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                      std::min(decimals, 60));
    if (result.ec == std::errc())
        text.append(buffer, result.ptr);
}

void AppendInt(std::string& text, long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

double ParseLeadingDouble(std::string_view text)
{
    bool negative = false;
    std::size_t i = SkipBlanksAndSign(text, negative);
    // Only plain decimal numbers are taken: from_chars would also accept "inf" and "nan".
    if (i >= text.size() || !(IsDigit(text[i]) || (text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1]))))
        return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // atof gives +-HUGE_VAL for an overflow and 0 for an underflow; neither belongs in a model.
        return 0.0;
    }
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

int ParseLeadingInt(std::string_view text)
{
    bool negative = false;
    std::size_t i = SkipBlanksAndSign(text, negative);
    long long value = 0;
    bool any = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        any = true;
        if (value < static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (text[i] - '0');
    }
    if (!any)
        return 0;
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void CopyToBuffer(std::span<char> buffer, std::string_view text)
{
    if (buffer.empty())
        return;
    const std::size_t n = std::min(text.size(), buffer.size() - 1);
    if (n > 0)
        std::memcpy(buffer.data(), text.data(), n);
    buffer[n] = '\0';
}

}  // namespace VQXTextFormat
