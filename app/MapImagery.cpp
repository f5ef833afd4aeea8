#include "app/MapImagery.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace {

struct WorldFileFailure {
    int result;
    const char* text;
};
constexpr WorldFileFailure WorldFileMessages[] = {
    {WorldFileUnreadable, "World file could not be opened. Map Imagery did not load."},
    {WorldFileEmpty, "World file is empty. Map Imagery did not load."},
    {WorldFileTooFew,
     "World files requires 6 values. This appears to have less than the required 6 values.\n\n"
     "Format for World files using UTM coordinate system is:\n\n x pixel width (m/pixel)\n y-skew (typically 0.0)\n"
     " x-skew (typically 0.0)\n y pixel width (m/pixel)\n UTM Easting for left top map corner (m)\n"
     " UTM Northing left top map corner (m)\n"},
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads the finite number that starts at text (an optional sign, then digits with an optional
// point and exponent, as a C-locale reader takes them) and moves text past it. False, with
// text where it was, when none starts there.
bool ReadNumber(const char*& text, const char* end, double* value)
{
    const char* p = text;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // from_chars takes no sign of its own, and reads "inf" and "nan", which are no numbers here.
    if (p == end || *p == '+' || *p == '-') return false;
    double parsed = 0.0;
    const auto [next, error] = std::from_chars(p, end, parsed, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(parsed)) return false;
    *value = negative ? -parsed : parsed;
    text = next;
    return true;
}

}  // namespace

int ReadWorldFile(const std::filesystem::path& path, WorldFileValues* values)
{
    values->fill(0.0);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return WorldFileUnreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return WorldFileUnreadable;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return WorldFileUnreadable;
    if (text.empty()) return WorldFileEmpty;

    const char* p = text.data();
    const char* end = p + text.size();
    int count = 0;
    while (count < WorldFileValueCount) {
        while (p < end && IsBlank(*p)) ++p;
        double value = 0.0;
        if (p == end || !ReadNumber(p, end, &value)) break;
        (*values)[std::size_t(count++)] = value;
    }
    return count == WorldFileValueCount ? WorldFileOk : WorldFileTooFew;
}

const char* WorldFileMessage(int result)
{
    for (const WorldFileFailure& failure : WorldFileMessages) {
        if (failure.result == result) return failure.text;
    }
    return "";
}
