// Text of the engine's files (model files and water-quality files): the scanner that reads
// numbers by position, the formatter that writes them, and the save that replaces a file only
// with a complete new one. Nothing here depends on the process locale.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <string>

#if defined(__GNUC__)
#define VASQUIL_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define VASQUIL_PRINTF_LIKE(f, a)
#endif

// Codes of the failures that every reader of these files shares, with the messages the
// scanner prints for them (<where> names the part of the file being read).
enum FieldScanCode {
    ScanOk = 0,
    ScanFileEndsEarly = 7,       // " File ends early in the <where>"
    ScanNumberTooLong = 8,       // " A number in the <where> is longer than 400 characters"
    ScanNumberOutOfRange = 9,    // " Number <token> out of range in the <where>"
    ScanIntegerOutOfRange = 10,  // " Integer <token> out of range in the <where>"
};

// Longest token accepted: enough for every number the writers produce, "%.4f" of the largest
// double included.
inline constexpr int TokenLength = 400;
inline constexpr int TokenCapacity = TokenLength + 1;
// Room for the name of a place in a file ("row of node 12") in the messages.
inline constexpr int PlaceLength = 96;

// The C library's text-to-double conversion of a token, independent of the locale: the longest
// valid prefix is converted, a token without one gives 0. Returns false when the value is too
// large for a double; a value too small for one becomes zero.
bool ConvertToken(const char* token, int length, double* value);

// The line of the last refusal printed by a reader of these files (a scanner's failure or a
// RefuseLine), without its leading blank and its line end; "" after ClearRefusal.
const char* LastRefusal();
void ClearRefusal();
// Prints a reader's refusal line on standard output and keeps it for LastRefusal.
void RefuseLine(const char* format, ...) VASQUIL_PRINTF_LIKE(1, 2);
void RefuseLineWith(const char* format, std::va_list args);

// Pulls the fields of one part of a file. The first failure prints its line and sticks: later
// reads return 0 without touching the stream, so a section checks once where it must.
struct FieldScanner {
    FILE* stream;
    int code = ScanOk;
    char where[PlaceLength] = "header";
    char token[TokenCapacity] = {};
    char message[TokenCapacity + 160];   // the line printed for the failure, "" before one

    explicit FieldScanner(FILE* s) : stream(s) { message[0] = '\0'; }

    // Names the part of the file that the following fields belong to.
    void Where(const char* format, ...) VASQUIL_PRINTF_LIKE(2, 3);
    // Records the failure and its message and prints the message, unless a failure was
    // recorded before; returns the recorded code.
    int Fail(int failure, const char* format, ...) VASQUIL_PRINTF_LIKE(3, 4);
    int FailWith(int failure, const char* format, std::va_list args);
    // Reads the next token into `token`; false after a failure.
    bool Next(int* length);
    bool Convert(int length, double* value);
    double Real();
    // The token just read as an int, truncated toward zero.
    int IntegerFrom(int length);
    int Integer();
};

// Codes of the writers of these files. Each failure prints one line on standard output; the
// lines of all but WriteIncomplete (whose line each writer gives) come from one table,
// WriteMessages in engine/FileText.cpp.
enum FileWriteCode {
    WriteOk = 0,
    WriteNoStream = -1,        // no stream, or the file cannot be created
    WriteNotFinite = 1,        // a value that is not a finite number
    WriteIncomplete = 2,       // data the file needs are missing
    WriteFailed = 3,           // a write error
    WriteCloseFailed = 4,      // the stream could not be closed
    WriteReplaceFailed = 5,    // the saved file could not replace the target (nothing was changed)
};

// The line of a writer's failure (not WriteIncomplete), its arguments as WriteMessages asks.
const char* WriteMessageFormat(int code);
// Prints the line of a writer's failure on standard output; returns the code.
int ReportWriteFailure(int code, ...);
// The system's error number (ENOSPC, EACCES, ...) of the last failure to create, write, close or
// replace a file in Emit or SaveFileReplacing on this thread; SaveFileReplacing sets it to 0
// first, so after a save it is 0 unless the system refused the save (a value that is not finite
// or missing data leave it 0).
int LastWriteError();

// The text of a file (or of one of its parts) being formatted. Numbers are formatted with
// std::to_chars, which gives the C library's "%.12g", "%.8g", "%g" and "%.4f" forms in the "C"
// locale whatever the process locale is.
struct ModelText {
    std::string text;
    int code = WriteOk;
    const char* fileKind = "model file";   // how the messages name the file
    char where[PlaceLength] = "header";
    char message[160] = "";

    void Where(const char* format, ...) VASQUIL_PRINTF_LIKE(2, 3);
    // Records the first failure and its message; later failures are ignored.
    void Fail(int failure, const char* format, ...) VASQUIL_PRINTF_LIKE(3, 4);
    void Put(const char* s) { text += s; }
    void Int(int v);
    // "%.<precision>g", or "%.4f" when fixed, right-aligned in width; a value that is not
    // finite fails the text with WriteNotFinite.
    void Real(double v, int precision, bool fixed = false, int width = 0);
    void TabInt(int v);
    void TabReal(double v);    // "\t%.12g"
    void TabFixed(double v);   // "\t%.4f"
    // Header lines: key, separator, value, line end. A real is "%.8g", or "%.12g" when "%.8g"
    // would not read back as the value held, so that a save loses none of its digits that the
    // rows would keep.
    void KeyReal(const char* key, double v, const char* separator = " = ");
    void KeyInt(const char* key, int v, const char* separator = " = ");
};

bool IsStandardStream(FILE* stream);

// Writes the formatted text to the stream, or prints the text's failure and writes nothing.
// The stream is closed when `close` is set (never a standard one). Returns the text's code, or
// WriteFailed or WriteCloseFailed.
int Emit(ModelText& t, FILE* stream, bool close);

// Saves a file at path with `write` (which writes a whole file to a stream and closes it):
// the file is written beside the target under a temporary name and renamed over the target
// only once it is complete, so a failed save leaves the previous file as it was and no
// temporary file behind. A file at path that this process may not write (a read-only file) is
// not replaced. Returns what `write` returned, WriteNoStream when the temporary file cannot be
// created, or WriteReplaceFailed (" Unable to replace <path> with the saved <what>"); see
// LastWriteError for the system's reason.
int SaveFileReplacing(const std::filesystem::path& path, int (*write)(FILE* stream), const char* what);
