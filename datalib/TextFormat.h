// Locale-independent number text for labels, captions and typed cell values.
//
// Nothing here consults the process locale: a comma-decimal locale changes no byte of what is
// written and no value of what is read.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace VQXTextFormat {

// Size of the label, title and caption buffers the data library writes into.
inline constexpr std::size_t LabelBufferSize = 80;

// Appends value in fixed notation with the given decimals, as C "%.*f" does in the C locale.
void AppendFixed(std::string& text, double value, int decimals);

// Appends value in decimal, as C "%d" does.
void AppendInt(std::string& text, long long value);

// The leading decimal number of a text, as C atof reads it in the C locale: leading blanks
// are skipped, then an optional sign, digits, a point and an exponent. A text without a
// leading number, or one that reads as infinite or not a number, gives 0.
double ParseLeadingDouble(std::string_view text);

// The leading decimal number of a text as ParseLeadingDouble reads it, for callers that refuse
// what atof would read as a number that is not finite: false, and value 0, for a leading
// "inf", "infinity" or "nan" (any case) and for a number beyond the double range ("1e999").
// Otherwise true with the number, 0 for a text without one or a number too small for a double.
bool ReadLeadingDouble(std::string_view text, double& value);

// The leading integer of a text, as C atoi reads it: blanks, an optional sign, digits. A text
// without one gives 0; a value outside the int range is clamped to it.
int ParseLeadingInt(std::string_view text);

// Copies text into a zero-terminated buffer, truncated to fit. An empty buffer is left alone.
void CopyToBuffer(std::span<char> buffer, std::string_view text);

}  // namespace VQXTextFormat
