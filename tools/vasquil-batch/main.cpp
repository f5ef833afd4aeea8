// vasquil-batch: headless runs of the engine.
//
//   vasquil-batch run MODEL.vqx [--transient | --steady [--ice-jam]] [--final-hours H] [--passes N]
//                    [--max-step-seconds S] [--db FILE] [--db-every-hours H] [--save FILE]
//                    [--results DIR] [--state-every-hours H] [--wq FILE [--save-wq FILE]]
//   vasquil-batch convert GEOMETRY MODEL.vqx --depth D --discharge Q [--imperial] [--reach "RIVER,REACH"]
//
// Exit status: 0 on success, 1 when the run fails (file, model, run or database, or a steady
// run whose last pass did not converge, which still writes its outputs), 2 for a command line
// that cannot be understood. Every failure ends with one line on standard error,
// and standard error carries nothing else but the progress percentage on a terminal.
//
// Test hook: with VASQUIL_BATCH_TEST_NONFINITE_HOURS=H in the environment, the stage of the
// middle node becomes NaN as soon as the model time is at or after H hours, before the outputs
// of that time; the run must then stop without writing any of them. With
// VASQUIL_BATCH_TEST_STOP_WHEN_HELD=1, the runner stops itself (SIGSTOP) once it holds its
// outputs and has opened them, until it is continued or killed.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteResults.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/OutputTargets.h"
#include "engine/ResultsDatabase.h"
#include "engine/SeriesLookup.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"
#include "engine/Units.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"
#include "tools/vasquil-batch/BatchResults.h"
#include "tools/vasquil-batch/ConvertCommand.h"

namespace {

const char* const Usage =
    "usage: vasquil-batch run MODEL.vqx [--transient | --steady [--ice-jam]] [--final-hours H] [--passes N]\n"
    "                        [--max-step-seconds S] [--db FILE] [--db-every-hours H] [--save FILE]\n"
    "                        [--results DIR] [--state-every-hours H] [--wq FILE [--save-wq FILE]]\n"
    "\n"
    "  --transient           run to the final model time (the default)\n"
    "  --steady              make steady passes instead\n"
    "  --ice-jam             solve the ice-jam stability in every steady pass (static-ice models)\n"
    "  --final-hours H       final model time of a transient run, hours (default: the model's)\n"
    "  --passes N            number of steady passes (default 100)\n"
    "  --max-step-seconds S  maximum time step, seconds (at least 0.001)\n"
    "  --db FILE             create FILE afresh and write node results into its table time_series\n"
    "  --db-every-hours H    database output interval, hours (default 1; 0 = every accepted step;\n"
    "                        otherwise at least 1 s)\n"
    "  --save FILE           write the final model state as a model file\n"
    "  --results DIR         write the time-series, snapshot, peak and (thermal models) ice-front\n"
    "                        files into DIR (created when missing) at the database interval\n"
    "  --state-every-hours H write a timed model-state file into DIR every H hours (needs --results)\n"
    "  --wq FILE             load the water-quality file FILE (.nu, .hm or .xe; its header gives the\n"
    "                        type) after the model and run the water quality too (transient runs)\n"
    "  --save-wq FILE        write the final water-quality state as a water-quality file\n"
    "\n"
    "An output replaces only a regular file: a folder, link, device or FIFO at its path is refused,\n"
    "and so are two outputs, or an output and the model, that name one file.\n";

struct Options {
    std::string model;
    bool steady = false;
    bool iceJam = false;
    std::optional<double> finalHours;
    int passes = 100;
    bool passesGiven = false;
    std::optional<double> maxStepSeconds;
    std::string database;
    double databaseEveryHours = 1;
    bool databaseEveryGiven = false;
    std::string save;
    std::string results;
    double stateEveryHours = 0;
    std::string waterQuality;
    std::string saveWaterQuality;
};

// The runner's own standard error; see KeepStandardErrorForTheRunner.
std::FILE* g_RunnerErrors = nullptr;

std::FILE* RunnerErrors() { return g_RunnerErrors ? g_RunnerErrors : stderr; }

// Standard error carries the runner's own lines only: what the engine writes there (a table
// lookup with a key that is no number, for one) joins the engine's notes on standard output.
void KeepStandardErrorForTheRunner()
{
    std::fflush(stdout);
    std::fflush(stderr);
    const int own = dup(fileno(stderr));
    if (own < 0) return;
    std::FILE* errors = fdopen(own, "w");
    if (!errors || dup2(fileno(stdout), fileno(stderr)) < 0) {
        if (errors) std::fclose(errors);
        else close(own);
        return;
    }
    std::setvbuf(errors, nullptr, _IONBF, 0);
    // Lines of both streams reach a shared file or pipe in the order they were written.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    g_RunnerErrors = errors;
}

// Reports a failure as the one line the run ends with.
__attribute__((format(printf, 1, 2))) void Fail(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::FILE* errors = RunnerErrors();
    std::fputs("vasquil-batch: ", errors);
    std::vfprintf(errors, format, args);
    std::fputc('\n', errors);
    va_end(args);
}

bool ParseNumber(std::string_view text, double& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

// Output intervals. Output times are multiples of the interval that the steps are shortened to
// end on, so an interval far below a second would cut the steps to where they no longer move
// the clock; one far above the range of a double in seconds has no multiples at all. Below a
// second, output after every accepted step (--db-every-hours 0) is what such a wish means.
constexpr double ShortestIntervalHours = 1.0 / SecondsPerHour;
constexpr double LongestIntervalHours = 1e300;
constexpr const char* IntervalRange = "of at least 1 s (0.000277778 hours) and at most 1e300 hours";

bool UsableInterval(double hours) { return hours >= ShortestIntervalHours && hours <= LongestIntervalHours; }

bool ParseCount(std::string_view text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// Returns 0 when the command line was understood, 2 (after reporting why) when not.
int ParseCommandLine(int argc, char** argv, Options& options)
{
    bool transientGiven = false;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasValue = false;
        if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            const size_t equals = arg.find('=');
            if (equals != std::string_view::npos) {
                value = arg.substr(equals + 1);
                arg = arg.substr(0, equals);
                hasValue = true;
            }
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            Fail("unknown option '%s' (see vasquil-batch --help)", argv[i]);
            return 2;
        } else {
            if (!options.model.empty()) {
                Fail("unexpected argument '%s': only one model file can be run", argv[i]);
                return 2;
            }
            options.model = argv[i];
            continue;
        }

        const bool takesValue = arg == "--final-hours" || arg == "--passes" || arg == "--max-step-seconds" ||
                                arg == "--db" || arg == "--db-every-hours" || arg == "--save" ||
                                arg == "--results" || arg == "--state-every-hours" || arg == "--wq" ||
                                arg == "--save-wq";
        if (arg == "--transient" || arg == "--steady" || arg == "--ice-jam") {
            if (hasValue) {
                Fail("option %.*s takes no value", static_cast<int>(arg.size()), arg.data());
                return 2;
            }
            (arg == "--steady" ? options.steady : arg == "--ice-jam" ? options.iceJam : transientGiven) = true;
            continue;
        }
        if (!takesValue) {
            Fail("unknown option '%.*s' (see vasquil-batch --help)", static_cast<int>(arg.size()), arg.data());
            return 2;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                Fail("option %.*s needs a value", static_cast<int>(arg.size()), arg.data());
                return 2;
            }
            value = argv[++i];
        }
        const std::string name(arg);
        const std::string text(value);
        double number = 0;
        if (arg == "--db" || arg == "--save") {
            if (text.empty()) {
                Fail("option %s needs a file name", name.c_str());
                return 2;
            }
            (arg == "--db" ? options.database : options.save) = text;
        } else if (arg == "--wq" || arg == "--save-wq") {
            if (text.empty()) {
                Fail("option %s needs a file name", name.c_str());
                return 2;
            }
            (arg == "--wq" ? options.waterQuality : options.saveWaterQuality) = text;
        } else if (arg == "--results") {
            if (text.empty()) {
                Fail("option --results needs a folder name");
                return 2;
            }
            options.results = text;
        } else if (arg == "--passes") {
            if (!ParseCount(value, options.passes) || options.passes < 1) {
                Fail("option --passes needs a whole number of passes of at least 1, not '%s'", text.c_str());
                return 2;
            }
            options.passesGiven = true;
        } else if (!ParseNumber(value, number)) {
            Fail("option %s needs a number, not '%s'", name.c_str(), text.c_str());
            return 2;
        } else if (arg == "--final-hours") {
            options.finalHours = number;
        } else if (arg == "--state-every-hours") {
            if (!(number > 0)) {
                Fail("option --state-every-hours needs an interval greater than 0 hours, not '%s'", text.c_str());
                return 2;
            }
            if (!UsableInterval(number)) {
                Fail("option --state-every-hours needs an interval %s, not '%s'", IntervalRange, text.c_str());
                return 2;
            }
            options.stateEveryHours = number;
        } else if (arg == "--max-step-seconds") {
            if (!(number >= MinimumTimeStep)) {
                Fail("option --max-step-seconds needs a time step of at least %g s, not '%s'", MinimumTimeStep,
                     text.c_str());
                return 2;
            }
            options.maxStepSeconds = number;
        } else {
            if (number < 0) {
                Fail("option --db-every-hours needs an interval of 0 or more hours, not '%s'", text.c_str());
                return 2;
            }
            if (number != 0 && !UsableInterval(number)) {
                Fail("option --db-every-hours needs 0 (every accepted step) or an interval %s, not '%s'",
                     IntervalRange, text.c_str());
                return 2;
            }
            options.databaseEveryHours = number;
            options.databaseEveryGiven = true;
        }
    }

    if (options.model.empty()) {
        Fail("no model file given (see vasquil-batch --help)");
        return 2;
    }
    if (options.steady && transientGiven) {
        Fail("--transient and --steady exclude each other");
        return 2;
    }
    if (options.steady && (options.finalHours || options.databaseEveryGiven)) {
        Fail("--final-hours and --db-every-hours apply to transient runs, not to --steady");
        return 2;
    }
    if (options.stateEveryHours > 0 && (options.results.empty() || options.steady)) {
        Fail("--state-every-hours needs --results and a transient run");
        return 2;
    }
    if (!options.steady && options.passesGiven) {
        Fail("--passes applies to --steady runs only");
        return 2;
    }
    if (!options.steady && options.iceJam) {
        Fail("--ice-jam applies to --steady runs only");
        return 2;
    }
    if (options.steady && !options.waterQuality.empty()) {
        Fail("--wq runs the water quality in a transient run, not with --steady");
        return 2;
    }
    if (!options.saveWaterQuality.empty() && options.waterQuality.empty()) {
        Fail("--save-wq needs --wq");
        return 2;
    }
    return 0;
}

// Percentage of the run shown on a terminal, on standard error, rewritten in place.
class ProgressMeter {
public:
    ProgressMeter() : enabled_(isatty(fileno(RunnerErrors())) != 0) {}
    void Show(double fraction)
    {
        if (!enabled_) return;
        const int percent = static_cast<int>(std::floor(100 * std::fmin(std::fmax(fraction, 0.0), 1.0)));
        if (percent == shown_) return;
        shown_ = percent;
        std::fprintf(RunnerErrors(), "\r%3d%%", percent);
        std::fflush(RunnerErrors());
    }
    // Clears the percentage before a line is printed over it.
    void Clear()
    {
        if (!enabled_ || shown_ < 0) return;
        std::fputs("\r    \r", RunnerErrors());
        std::fflush(RunnerErrors());
        shown_ = -1;
    }

private:
    bool enabled_;
    int shown_ = -1;
};

// A progress line is printed at least every ProgressLineSeconds of wall time, so a log shows
// a run that is slow between output times (or not progressing) for what it is.
class ProgressLines {
public:
    static constexpr std::chrono::seconds ProgressLineSeconds{10};
    // True (and the clock restarted) when a line is due.
    bool Due()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < ProgressLineSeconds) return false;
        last_ = now;
        return true;
    }
    void Printed() { last_ = std::chrono::steady_clock::now(); }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

const char* const SavedModel = "saved model";
const char* const SavedWaterQuality = "saved water-quality file";

// A file written at the end of the run (the saved model, the saved water-quality file): its
// temporary file is made beside the target before the run, so a path that cannot be written
// fails at once; at the end every such file is written in full before any replaces its
// target, so a run that fails leaves all of them as they were. The temporary is removed on
// every way out.
class PendingFile
{
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile()
    {
        if (stream_) std::fclose(stream_);
        RemoveTemporary(temporary_);
    }
    bool Open(const std::string& target, const char* what)
    {
        target_ = target;
        what_ = what;
        std::string message;
        stream_ = CreateTemporaryFor(target, &temporary_, what, &message);
        if (!stream_) {
            Fail("%s", message.c_str());
            return false;
        }
        return true;
    }
    bool IsOpen() const { return stream_ != nullptr; }
    // Writes the whole file with writer (which writes a file to a stream and closes it) into the
    // temporary file. Returns false after reporting the failure and its reason.
    bool Write(int (*writer)(std::FILE*))
    {
        // Formatted in memory first, so that a failure of the disk is the runner's own to report
        // with its reason.
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* memory = open_memstream(&text, &size);
        if (!memory) return Failed(errno);
        const int code = writer(memory);  // closes the stream
        if (code != WriteOk) {
            std::free(text);
            const char* reason = code == WriteNotFinite    ? "a value is not a finite number"
                                 : code == WriteIncomplete ? "data the file needs are missing"
                                                           : "the writer failed";
            Fail("the %s '%s' could not be written: %s", what_.c_str(), target_.c_str(), reason);
            return false;
        }
        std::FILE* stream = stream_;
        stream_ = nullptr;
        int error = 0;
        if (std::fwrite(text, 1, size, stream) != size) error = errno;
        if (std::fflush(stream) != 0 && error == 0) error = errno;
        if (std::fclose(stream) != 0 && error == 0) error = errno;
        std::free(text);
        if (error != 0) return Failed(error);
        written_ = true;
        return true;
    }
    bool IsWritten() const { return written_; }
    // Whether the target can still be replaced (what came to stand there during the run is
    // checked again), so that no file replaces its target when another one could not. Returns
    // false after reporting why.
    bool CanCommit() const
    {
        std::string message;
        if (CheckOutputTarget(target_, what_, &message) == TargetOk) return true;
        Fail("%s", message.c_str());
        return false;
    }
    // Puts the written file in the place of its target. Returns false after reporting why.
    bool Commit()
    {
        std::string message;
        const int replaced = ReplaceWithTemporary(temporary_, target_, what_, &message);
        temporary_.clear();
        if (replaced != TargetOk) {
            Fail("%s", message.c_str());
            return false;
        }
        return true;
    }

private:
    std::string target_;
    std::string what_;
    std::filesystem::path temporary_;
    std::FILE* stream_ = nullptr;
    bool written_ = false;

    bool Failed(int error)
    {
        Fail("the %s '%s' could not be written: %s", what_.c_str(), target_.c_str(), std::strerror(error));
        return false;
    }
};

// A thermal model's nodes without an atmospheric zone see 100 degC air and no sunshine: one
// warning names them (the first twenty, and how many more).
void WarnNodesWithoutZone()
{
    if (!g_ModelControl.ThermalIceOn) return;
    constexpr int Named = 20;
    std::string names;
    int count = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        if (n->Zone && n->Zone->RowCount > 0) continue;
        if (count < Named) names += (count > 0 ? ", " : "") + std::to_string(n->Number);
        ++count;
    }
    if (count == 0) return;
    if (count > Named) names += " and " + std::to_string(count - Named) + " more";
    std::fprintf(RunnerErrors(),
                 "vasquil-batch: warning: %d node%s without an atmospheric zone see%s air at 100 degC without "
                 "sunshine: node%s %s\n",
                 count, count == 1 ? "" : "s", count == 1 ? "s" : "", count == 1 ? "" : "s", names.c_str());
}

// The results database of the run: one connection for the whole run, closed on every way out.
struct DatabaseHandle {
    ResultsDatabase* Database = nullptr;
    ~DatabaseHandle() { CloseResultsDatabase(Database); }
};

bool WriteRows(const Options& options, ResultsDatabase* database)
{
    if (options.database.empty()) return true;
    ComputeCalendarDate(g_ModelControl.CurrentDate);
    std::string error;
    if (WriteTimeSeriesToDatabase(database, &error) != 0) {
        Fail("the results at model time %g s could not be written to the database '%s': %s", g_ModelControl.ModelTime,
             options.database.c_str(), error.c_str());
        return false;
    }
    return true;
}

// The test hook of the header comment.
void ForceNonFiniteStateWhenAsked()
{
    static const char* const hours = std::getenv("VASQUIL_BATCH_TEST_NONFINITE_HOURS");
    double at = 0;
    if (!hours || !ParseNumber(hours, at) || g_ModelControl.ModelTime < at * SecondsPerHour) return;
    int count = 0;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) ++count;
    NodeRecord* middle = g_Nodes;
    for (int k = 0; middle && k < count / 2; ++k) middle = middle->Next;
    if (middle) middle->Stage = std::numeric_limits<double>::quiet_NaN();
}

// Stops the run before any output of the present state is written when a value that an output
// takes is no finite number.
bool ResultsAreFinite(ProgressMeter& meter)
{
    ForceNonFiniteStateWhenAsked();
    const NodeRecord* node = nullptr;
    const char* quantity = nullptr;
    double value = 0;
    if (FindNonFiniteResult(&node, &quantity, &value) == 0) return true;
    meter.Clear();
    Fail("the run stops at model time %.6f h: %s of node %d is %g, not a finite number; no output of this time "
         "was written",
         g_ModelControl.ModelTime / SecondsPerHour, quantity, node->Number, value);
    return false;
}

// The warnings of the series the run went past the end of: one line on standard output for
// each, as the run first goes past its end.
class ExtrapolationLines {
public:
    ExtrapolationLines() { ResetExtrapolatedSeries(); }
    // Prints the series that entered the engine's record since the last call.
    void PrintNew(ProgressMeter& meter)
    {
        const std::vector<ExtrapolatedSeries>& record = ExtrapolatedSeriesOfRun();
        if (printed_ >= record.size()) return;
        meter.Clear();
        for (; printed_ < record.size(); ++printed_) std::printf("%s\n", ExtrapolationWarning(record[printed_]).c_str());
        std::fflush(stdout);
    }

private:
    std::size_t printed_ = 0;
};

void PrintTransientLine(ProgressMeter& meter)
{
    const ModelControl& mc = g_ModelControl;
    meter.Clear();
    std::printf("time %12.4f h   time step %10.4g s   Newton iterations %d", mc.ModelTime / SecondsPerHour, mc.DeltaT,
                g_EquationSystems[HydrodynamicSystem].IterationCount);
    if (mc.WaterQualityOn) std::printf("   water quality %d", g_EquationSystems[WaterQualitySystem].IterationCount);
    std::printf("\n");
    std::fflush(stdout);
}

int RunTransient(const Options& options, ResultsDatabase* database, BatchResults& results)
{
    ModelControl& mc = g_ModelControl;
    ProgressMeter meter;
    ProgressLines lines;
    ExtrapolationLines extrapolations;
    const double start = mc.ModelTime;
    PrintTransientLine(meter);
    if (!WriteRows(options, database)) return 1;
    int (*step)() = options.waterQuality.empty() ? TransientStep : RunWaterQualityStep;

    while (mc.ModelTime < mc.FinalTime) {
        const double before = mc.ModelTime;
        const int result = step();
        extrapolations.PrintNew(meter);
        if (result != StepMade) {
            meter.Clear();
            Fail("the run %s at model time %.6f h: %s", result == StepCannotProgress ? "cannot progress" : "stops",
                 mc.ModelTime / SecondsPerHour, DescribeFailedStep(result).c_str());
            return 1;
        }
        if (!(mc.ModelTime > before)) {
            if (lines.Due()) PrintTransientLine(meter);
            continue;  // rejected: the step is retried with half the time step
        }
        const bool lastStep = !(mc.ModelTime < mc.FinalTime);
        const bool output = options.databaseEveryHours == 0 || mc.DatabaseDue;
        // Only a state an output writes needs checking (the last one is saved): a step without
        // one is checked with the next that has one.
        if ((output || lastStep || results.OutputDue(lastStep)) && !ResultsAreFinite(meter)) return 1;
        if (output) {
            PrintTransientLine(meter);
            lines.Printed();
            if (!WriteRows(options, database)) return 1;
        } else if (lastStep || lines.Due()) {
            PrintTransientLine(meter);  // the last step, or a slow stretch between output times
        }
        if (const std::string error = results.AfterStep(lastStep); !error.empty()) {
            meter.Clear();
            Fail("%s", error.c_str());
            return 1;
        }
        meter.Show((mc.ModelTime - start) / (mc.FinalTime - start));
    }
    meter.Clear();
    return 0;
}

// What RunSteady returns when every pass was made and the outputs written, but the last pass
// did not converge.
constexpr int NotConverged = -1;

int RunSteady(const Options& options, ResultsDatabase* database, BatchResults& results)
{
    ModelControl& mc = g_ModelControl;
    ProgressMeter meter;
    ExtrapolationLines extrapolations;
    mc.SteadyIteration = 0;
    bool converged = false;
    for (int pass = 1; pass <= options.passes; ++pass) {
        JamPassReport jam;
        const int result = options.iceJam ? RunSteadyJamPass(&jam) : RunSteadyPass();
        extrapolations.PrintNew(meter);
        if (result == SteadyPassNotMade) {
            meter.Clear();
            Fail("steady pass %d could not be made (time step %g s)", pass, mc.DeltaT);
            return 1;
        }
        const EquationSystem& hydro = g_EquationSystems[HydrodynamicSystem];
        meter.Clear();
        std::printf("pass %6d   time step %10.4g s   Newton iterations %d   solution change %.4E%s", pass, mc.DeltaT,
                    hydro.IterationCount, hydro.LastNorm, result == SteadyPassConverged ? "" : "   (not converged)");
        if (options.iceJam && jam.Solved)
            std::printf("   ice jam solved, largest thickness change %.4E m", jam.LargestThicknessChange);
        else if (options.iceJam)
            std::printf("   ice jam not solved (discharge not settled)");
        std::printf("\n");
        std::fflush(stdout);
        converged = result == SteadyPassConverged;
        if (!ResultsAreFinite(meter)) return 1;
        if (const std::string error = results.AfterPass(); !error.empty()) {
            meter.Clear();
            Fail("%s", error.c_str());
            return 1;
        }
        meter.Show(static_cast<double>(pass) / options.passes);
    }
    meter.Clear();
    if (!WriteRows(options, database)) return 1;
    return converged ? 0 : NotConverged;
}

// Dynamic ice is upwinded towards lower chainage: a reach whose chainage falls downstream
// carries its ice the wrong way.
void WarnOfUpstreamChainage()
{
    if (!g_ModelControl.DynamicIceOn) return;
    for (const NodeRecord* n = g_Nodes; n && n->Next; n = n->Next) {
        const NodeRecord* next = n->Next;
        if (next->Reach == n->Reach && next->Chainage < n->Chainage) {
            std::fprintf(RunnerErrors(),
                         "vasquil-batch: warning: the chainage decreases from node %d to node %d in reach %d; dynamic "
                         "ice is carried the right way only where the chainage increases downstream\n",
                         n->Number, next->Number, n->Reach);
            return;
        }
    }
}

int Run(const Options& options)
{
    // The reader opens the file itself: it refuses a device, a FIFO or a directory before
    // reading (and without waiting for a FIFO's writer).
    const int read = LoadModelFile(options.model);
    if (read == ReadNoStream) {
        Fail("cannot open the model file '%s': %s", options.model.c_str(), std::strerror(errno));
        return 1;
    }
    if (read != ReadOk) {
        if (ModelReaderRefusal()[0] != '\0')
            Fail("the model file '%s' was refused: %s", options.model.c_str(), ModelReaderRefusal());
        else
            Fail("the model file '%s' was refused (reader error %d)", options.model.c_str(), read);
        return 1;
    }
    if (!options.waterQuality.empty()) {
        if (LoadWQFile(options.waterQuality) != WQReadOk) {
            Fail("the water-quality file '%s' was refused: %s", options.waterQuality.c_str(), WQReaderRefusal());
            return 1;
        }
        double value = 0;
        if (const char* coefficient = FindUnrunnableWQCoefficient(&value)) {
            Fail("the water-quality file '%s' cannot be run: its %s is %g, and the kinetics divide by it at every step "
                 "(it must be above 0)",
                 options.waterQuality.c_str(), coefficient, value);
            return 1;
        }
    }

    WarnNodesWithoutZone();
    ModelControl& mc = g_ModelControl;
    if (options.iceJam && mc.FileType != FileTypeStaticIce) {
        Fail("--ice-jam needs a static-ice model (File Type 1); the model file '%s' has File Type %d",
             options.model.c_str(), mc.FileType);
        return 1;
    }
    WarnOfUpstreamChainage();
    if (options.maxStepSeconds) mc.MaxDeltaT = *options.maxStepSeconds;
    if (mc.DeltaT > mc.MaxDeltaT) mc.DeltaT = mc.MaxDeltaT;
    if (!(mc.DeltaT > 0) || !std::isfinite(mc.DeltaT)) {
        Fail("the model's time step (%g s) must be a number greater than 0", mc.DeltaT);
        return 1;
    }
    if (!options.steady) {
        // The checks of a transient run (a steady pass always runs at theta 1).
        const auto validTheta = [](int system) {
            const double theta = g_EquationSystems[system].Theta;
            return theta > 0 && theta <= 1;
        };
        if (mc.HydrodynamicsOn && !validTheta(HydrodynamicSystem)) {
            Fail("Theta for the hydrodynamics must be set to a value between 0 and 1.0 (the model has %g).",
                 g_EquationSystems[HydrodynamicSystem].Theta);
            return 1;
        }
        const int additional = mc.DynamicIceOn ? DynamicIceSystem : mc.ThermalIceOn ? ThermalIceSystem : -1;
        if (additional >= 0 && !validTheta(additional)) {
            Fail("Theta for the ice process model must be set to a value between 0 and 1.0 (the model has %g).",
                 g_EquationSystems[additional].Theta);
            return 1;
        }
        if (options.finalHours) mc.FinalTime = *options.finalHours * SecondsPerHour;
        if (!(mc.ModelTime < mc.FinalTime) || !std::isfinite(mc.FinalTime)) {
            Fail("the present time must be less than the final time (model time %g h, final time %g h)",
                 mc.ModelTime / SecondsPerHour, mc.FinalTime / SecondsPerHour);
            return 1;
        }
    }
    // Only the database schedule is kept, and only when something is written on it (the
    // database or the result files): the runner writes no other output, and a schedule without
    // one would shorten steps for nothing.
    mc.SeriesInterval = mc.SnapshotInterval = mc.IceFrontInterval = mc.StateFileInterval = 0;
    const bool scheduledOutput = !options.database.empty() || !options.results.empty();
    mc.DatabaseInterval = scheduledOutput ? options.databaseEveryHours * SecondsPerHour : 0.0;
    for (EquationSystem& es : g_EquationSystems) es.StructureBuilt = 0;

    // The result text files follow the database schedule (and the state-file schedule).
    BatchResults results;
    if (!options.results.empty())
        results.Configure(options.model, options.results, options.databaseEveryHours, options.stateEveryHours,
                          options.waterQuality);

    // Every output is checked before anything is written: only a regular file (or nothing) is
    // replaced, and no two outputs, nor an output and the model, are one file.
    std::vector<OutputTarget> targets = {{"model file", options.model, TargetRead}};
    if (!options.database.empty())
        for (OutputTarget& t : ResultsDatabaseTargets(options.database)) targets.push_back(std::move(t));
    if (!options.waterQuality.empty()) targets.push_back({"water-quality file", options.waterQuality, TargetRead});
    if (!options.save.empty()) targets.push_back({SavedModel, options.save});
    if (!options.saveWaterQuality.empty()) targets.push_back({SavedWaterQuality, options.saveWaterQuality});
    for (OutputTarget& t : results.Targets()) targets.push_back(std::move(t));
    if (std::string message; CheckOutputTargets(targets, &message) != TargetOk) {
        Fail("%s", message.c_str());
        return 1;
    }
    if (ProgressMeter meter; !ResultsAreFinite(meter)) return 1;

    // The results folder first, as the database may be in it, and it must exist to be held.
    if (!options.results.empty())
        if (const std::string error = results.CreateFolder(); !error.empty()) {
            Fail("%s", error.c_str());
            return 1;
        }
    // The outputs are the run's alone until it ends: a second run on any of them is refused
    // before anything of them is touched.
    OutputHold hold;
    if (std::string message; hold.Take(targets, &message) != TargetOk) {
        Fail("%s", message.c_str());
        return 1;
    }
    // Everything that will be written is opened before the run, so a bad path fails at once,
    // and nothing replaces an old output before the run has written its first output time.
    PendingFile state;
    if (!options.save.empty() && !state.Open(options.save, SavedModel)) return 1;
    PendingFile savedWaterQuality;
    if (!options.saveWaterQuality.empty() && !savedWaterQuality.Open(options.saveWaterQuality, SavedWaterQuality))
        return 1;
    DatabaseHandle database;
    if (!options.database.empty()) {
        std::string error;
        if (StartResultsDatabase(options.database.c_str(), &database.Database, &error) != 0) {
            Fail("cannot create the results database '%s': %s", options.database.c_str(), error.c_str());
            return 1;
        }
    }
    if (const std::string error = results.Start(); !error.empty()) {
        Fail("%s", error.c_str());
        return 1;
    }
    if (const char* stop = std::getenv("VASQUIL_BATCH_TEST_STOP_WHEN_HELD"); stop && std::strcmp(stop, "1") == 0)
        raise(SIGSTOP);

    const int result = options.steady ? RunSteady(options, database.Database, results)
                                      : RunTransient(options, database.Database, results);
    // A steady run that did not converge still writes what it was asked to write.
    if (result != 0 && result != NotConverged) return result;
    // All of the files written at the end, or none of them.
    if (state.IsOpen() && !state.Write(WriteModelFile)) return 1;
    if (savedWaterQuality.IsOpen() && !savedWaterQuality.Write(WriteWQFile)) return 1;
    if ((state.IsWritten() && !state.CanCommit()) || (savedWaterQuality.IsWritten() && !savedWaterQuality.CanCommit()))
        return 1;
    if (state.IsWritten() && !state.Commit()) return 1;
    if (savedWaterQuality.IsWritten() && !savedWaterQuality.Commit()) return 1;
    if (result == NotConverged) {
        Fail("the last of the %d steady passes did not converge: the outputs hold the state of that pass, not a "
             "converged steady state",
             options.passes);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        std::fputs(ConvertUsage, stdout);
        return 0;
    }
    if (argc < 2) {
        Fail("no command given (see vasquil-batch --help)");
        return 2;
    }
    if (std::strcmp(argv[1], "convert") == 0) return RunConvertCommand(argc, argv);
    if (std::strcmp(argv[1], "run") != 0) {
        Fail("unknown command '%s' (see vasquil-batch --help)", argv[1]);
        return 2;
    }
    Options options;
    if (const int parsed = ParseCommandLine(argc, argv, options); parsed != 0) return parsed;
    KeepStandardErrorForTheRunner();
    const int result = Run(options);
    ReleaseModel();
    return result;
}
