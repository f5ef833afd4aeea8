// Text of the engine's files: reading numbers by position, formatting them, saving safely.
#include "engine/FileText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "engine/ModelFiles.h"
#include "engine/OutputTargets.h"

namespace {

struct WriteMessage {
    int code;
    const char* format;
};
// The writers' lines by code (<where> names the place, <file> the kind of file).
constexpr WriteMessage WriteMessages[] = {
    {WriteNoStream, " Unable to open that file\n"},
    {WriteNotFinite, " Not a finite number in the %s: %s not written\n"},   // where, file
    {WriteFailed, " Error writing the %s\n"},                               // file
    {WriteCloseFailed, " Error closing the %s\n"},                          // file
    {WriteReplaceFailed, " Unable to replace %s with the saved %s: %s\n"},  // path, what, reason
};

// See LastWriteError.
thread_local int t_WriteError = 0;

// Order of magnitude of a decimal number that overflowed or underflowed a double: positive
// for overflow, negative for underflow.
long long DecimalMagnitude(const char* p, const char* end)
{
    while (p < end && *p == '0') ++p;
    long long integerDigits = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        ++integerDigits;
        ++p;
    }
    long long leadingZeros = 0;
    if (p < end && *p == '.') {
        ++p;
        if (integerDigits == 0)
            while (p < end && *p == '0') {
                ++leadingZeros;
                ++p;
            }
        while (p < end && *p >= '0' && *p <= '9') ++p;
    }
    long long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negative = false;
        if (q < end && (*q == '+' || *q == '-')) negative = *q++ == '-';
        while (q < end && *q >= '0' && *q <= '9') {
            if (exponent < 100000000) exponent = exponent * 10 + (*q - '0');
            ++q;
        }
        if (negative) exponent = -exponent;
    }
    return (integerDigits > 0 ? integerDigits - 1 : -(leadingZeros + 1)) + exponent;
}

// Significant digits of the numbers written: a header value has eight, a row value twelve.
constexpr int HeaderDigits = 8;
constexpr int RowDigits = 12;

// Significant digits that a header value is written with: eight, unless eight would not give
// back the value held; then the rows' twelve. A value with more digits (typed, converted from
// other units, or the model time of a long run) keeps them over a save, and what the reader
// derives from it (a concentration from the single-layer thickness, border widths cut to the
// largest border fraction) saves the same again.
int HeaderPrecision(double v)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, HeaderDigits);
    double back = 0;
    const auto read = std::from_chars(buffer, r.ptr, back, std::chars_format::general);
    return read.ec == std::errc() && back == v ? HeaderDigits : RowDigits;
}

// The name of the place in a file that the messages give.
void FormatPlace(char (&where)[PlaceLength], const char* format, std::va_list args)
{
    std::vsnprintf(where, sizeof where, format, args);
}

}  // namespace

bool ConvertToken(const char* token, int length, double* value)
{
    const char* p = token;
    const char* end = token + length;
    if (p < end && *p == '+') {
        ++p;
        if (p == end || *p == '+' || *p == '-') {
            *value = 0;
            return true;
        }
    }
    double v = 0;
    const std::from_chars_result r = std::from_chars(p, end, v, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) {
        *value = 0;
        return true;
    }
    if (r.ec == std::errc::result_out_of_range) {
        const bool negative = *p == '-';
        if (DecimalMagnitude(negative ? p + 1 : p, r.ptr) > 0) return false;
        *value = negative ? -0.0 : 0.0;
        return true;
    }
    *value = v;
    return true;
}

// ---------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------
void FieldScanner::Where(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    FormatPlace(where, format, args);
    va_end(args);
}

int FieldScanner::Fail(int failure, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    FailWith(failure, format, args);
    va_end(args);
    return code;
}

namespace {
char s_Refusal[TokenCapacity + 160] = "";
}

const char* LastRefusal()
{
    return s_Refusal;
}

void ClearRefusal()
{
    s_Refusal[0] = '\0';
}

void RefuseLineWith(const char* format, std::va_list args)
{
    char line[sizeof s_Refusal];
    std::vsnprintf(line, sizeof line, format, args);
    std::fputs(line, stdout);
    const char* start = line;
    while (*start == ' ' || *start == '\n') ++start;
    std::snprintf(s_Refusal, sizeof s_Refusal, "%s", start);
    for (size_t n = std::strlen(s_Refusal); n > 0 && (s_Refusal[n - 1] == '\n' || s_Refusal[n - 1] == ' '); --n)
        s_Refusal[n - 1] = '\0';
}

void RefuseLine(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    RefuseLineWith(format, args);
    va_end(args);
}

int FieldScanner::FailWith(int failure, const char* format, std::va_list args)
{
    if (code != ScanOk) return code;
    code = failure;
    std::va_list copy;
    va_copy(copy, args);
    std::vsnprintf(message, sizeof message, format, copy);
    va_end(copy);
    RefuseLineWith(format, args);
    return code;
}

bool FieldScanner::Next(int* length)
{
    if (code != ScanOk) return false;
    const int n = ReadNumberToken(stream, token, TokenCapacity);
    if (n == 0) {
        Fail(ScanFileEndsEarly, " File ends early in the %s\n", where);
        return false;
    }
    if (n < 0) {
        Fail(ScanNumberTooLong, " A number in the %s is longer than %d characters\n", where, TokenLength);
        return false;
    }
    *length = n;
    return true;
}

bool FieldScanner::Convert(int length, double* value)
{
    if (ConvertToken(token, length, value)) return true;
    Fail(ScanNumberOutOfRange, " Number %s out of range in the %s\n", token, where);
    return false;
}

double FieldScanner::Real()
{
    int length = 0;
    double v = 0;
    if (!Next(&length) || !Convert(length, &v)) return 0;
    return v;
}

int FieldScanner::IntegerFrom(int length)
{
    double v = 0;
    if (!Convert(length, &v)) return 0;
    if (!(v > -2147483649.0 && v < 2147483648.0)) {
        Fail(ScanIntegerOutOfRange, " Integer %s out of range in the %s\n", token, where);
        return 0;
    }
    return static_cast<int>(v);   // truncated toward zero
}

int FieldScanner::Integer()
{
    int length = 0;
    if (!Next(&length)) return 0;
    return IntegerFrom(length);
}

// ---------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------
void ModelText::Where(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    FormatPlace(where, format, args);
    va_end(args);
}

const char* WriteMessageFormat(int code)
{
    for (const WriteMessage& m : WriteMessages)
        if (m.code == code) return m.format;
    return " Error writing the file\n";
}

int LastWriteError()
{
    return t_WriteError;
}

int ReportWriteFailure(int code, ...)
{
    std::va_list args;
    va_start(args, code);
    std::vprintf(WriteMessageFormat(code), args);
    va_end(args);
    return code;
}

void ModelText::Fail(int failure, const char* format, ...)
{
    if (code != WriteOk) return;
    code = failure;
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
}

void ModelText::Int(int v)
{
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    text.append(buffer, r.ptr);
}

void ModelText::Real(double v, int precision, bool fixed, int width)
{
    if (!std::isfinite(v)) {
        Fail(WriteNotFinite, WriteMessageFormat(WriteNotFinite), where, fileKind);
        v = 0;
    }
    char buffer[400];
    const auto r = fixed ? std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 4)
                         : std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, precision);
    const int length = static_cast<int>(r.ptr - buffer);
    if (width > length) text.append(static_cast<size_t>(width - length), ' ');
    text.append(buffer, r.ptr);
}

void ModelText::TabInt(int v)
{
    text += '\t';
    Int(v);
}

void ModelText::TabReal(double v)
{
    text += '\t';
    Real(v, RowDigits);
}

void ModelText::TabFixed(double v)
{
    text += '\t';
    Real(v, 4, true);
}

void ModelText::KeyReal(const char* key, double v, const char* separator)
{
    text += key;
    text += separator;
    Real(v, HeaderPrecision(v));
    text += '\n';
}

void ModelText::KeyInt(const char* key, int v, const char* separator)
{
    text += key;
    text += separator;
    Int(v);
    text += '\n';
}

bool IsStandardStream(FILE* stream)
{
    return stream == stdin || stream == stdout || stream == stderr;
}

int Emit(ModelText& t, FILE* stream, bool close)
{
    int code = t.code;
    if (code != WriteOk) {
        std::fputs(t.message, stdout);
    } else if (std::fwrite(t.text.data(), 1, t.text.size(), stream) != t.text.size() || std::fflush(stream) != 0 ||
               std::ferror(stream)) {
        t_WriteError = errno;
        code = ReportWriteFailure(WriteFailed, t.fileKind);
    }
    if (close && !IsStandardStream(stream) && std::fclose(stream) != 0 && code == WriteOk) {
        t_WriteError = errno;
        code = ReportWriteFailure(WriteCloseFailed, t.fileKind);
    }
    return code;
}

int SaveFileReplacing(const std::filesystem::path& path, int (*write)(FILE* stream), const char* what)
{
    const std::string target = std::string("saved ") + what;
    std::string reason;
    t_WriteError = 0;
    // Only a regular file is replaced: anything else at the path is left as it is.
    if (CheckOutputTarget(path, target, &reason) != TargetOk) {
        const std::string kind = std::string("it is ") + DescribeFileAt(path, &t_WriteError);
        return ReportWriteFailure(WriteReplaceFailed, path.string().c_str(), what, kind.c_str());
    }
    // A file the user may not write (a read-only file) is not replaced either, though the
    // folder would take the rename: the open for writing asks the system, truncating nothing.
    if (const int probe = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC); probe >= 0) {
        ::close(probe);
    } else if (errno != ENOENT && errno != ENOTDIR) {
        t_WriteError = errno;
        return ReportWriteFailure(WriteReplaceFailed, path.string().c_str(), what, std::strerror(t_WriteError));
    }
    std::filesystem::path temporary;
    FILE* stream = CreateTemporaryFor(path, &temporary, target, &reason, &t_WriteError);
    if (!stream) {
        return ReportWriteFailure(WriteNoStream);
    }
    const int code = write(stream);
    if (code != WriteOk) {
        RemoveTemporary(temporary);
        return code;
    }
    if (ReplaceWithTemporary(temporary, path, target, &reason, &t_WriteError) != TargetOk) {
        return ReportWriteFailure(WriteReplaceFailed, path.string().c_str(), what, reason.c_str());
    }
    return WriteOk;
}
