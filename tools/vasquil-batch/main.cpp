// vasquil-batch: headless runs of the engine.
//
//   vasquil-batch run MODEL.vqx [--transient | --steady [--ice-jam]] [--final-hours H] [--passes N]
//                    [--max-step-seconds S] [--db FILE] [--db-every-hours H] [--save FILE]
//                    [--results DIR] [--state-every-hours H] [--wq FILE [--save-wq FILE]]
//   vasquil-batch convert GEOMETRY MODEL.vqx --depth D --discharge Q [--imperial] [--reach "RIVER,REACH"]
//
// Exit status: 0 on success, 1 when the run fails (file, model, run or database), 2 for a
// command line that cannot be understood. Every failure ends with one line on standard error,
// and standard error carries nothing else but the progress percentage on a terminal.
//
// Test hook: with VASQUIL_BATCH_TEST_NONFINITE_HOURS=H in the environment, the stage of the
// middle node becomes NaN as soon as the model time is at or after H hours, before the outputs
// of that time; the run must then stop without writing any of them.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdarg>
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
#include "engine/Hydrodynamics.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/OutputTargets.h"
#include "engine/ResultsDatabase.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"
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
constexpr double ShortestIntervalHours = 1.0 / 3600;
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

// The saved model is written beside its target and renamed over it only once it is complete;
// the temporary file is made before the run, so a path that cannot be written fails at once,
// and it is removed on every way out.
class StateFile {
public:
    ~StateFile()
    {
        if (stream_) std::fclose(stream_);
        RemoveTemporary(temporary_);
    }
    bool Open(const std::string& target)
    {
        target_ = target;
        std::string message;
        stream_ = CreateTemporaryFor(target, &temporary_, SavedModel, &message);
        if (!stream_) {
            Fail("%s", message.c_str());
            return false;
        }
        return true;
    }
    bool Commit()
    {
        std::FILE* stream = stream_;
        stream_ = nullptr;
        if (WriteModelFile(stream) != 0) {
            Fail("the saved model '%s' could not be written", target_.c_str());
            return false;
        }
        std::string message;
        const int replaced = ReplaceWithTemporary(temporary_, target_, SavedModel, &message);
        temporary_.clear();
        if (replaced != TargetOk) {
            Fail("%s", message.c_str());
            return false;
        }
        return true;
    }

private:
    std::string target_;
    std::filesystem::path temporary_;
    std::FILE* stream_ = nullptr;
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
    if (!hours || !ParseNumber(hours, at) || g_ModelControl.ModelTime < at * 3600) return;
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
         g_ModelControl.ModelTime / 3600, quantity, node->Number, value);
    return false;
}

// Where the last Newton update of the hydrodynamics was largest, for a run that cannot progress.
std::string LargestUpdate()
{
    const NodeRecord* node = FindLargestHydroIncrementNode();
    return node ? "the Newton update was largest at node " + std::to_string(node->Number)
                : "no node's Newton update was a finite number";
}

void PrintTransientLine(ProgressMeter& meter)
{
    const ModelControl& mc = g_ModelControl;
    meter.Clear();
    std::printf("time %12.4f h   time step %10.4g s   Newton iterations %d", mc.ModelTime / 3600, mc.DeltaT,
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
    const double start = mc.ModelTime;
    PrintTransientLine(meter);
    if (!WriteRows(options, database)) return 1;
    int (*step)() = options.waterQuality.empty() ? TransientStep : RunWaterQualityStep;

    while (mc.ModelTime < mc.FinalTime) {
        const double before = mc.ModelTime;
        const int result = step();
        if (result == 1 && mc.DeltaT < TimeStepFloor()) {
            meter.Clear();
            Fail("the run cannot progress at model time %.6f h: the time step fell to %g s, below the smallest of %g s "
                 "(%s)",
                 mc.ModelTime / 3600, mc.DeltaT, TimeStepFloor(), LargestUpdate().c_str());
            return 1;
        }
        if (result == 1) {
            meter.Clear();
            Fail("the run cannot progress at model time %.6f h: the time step (%g s) no longer changes the model time",
                 mc.ModelTime / 3600, mc.DeltaT);
            return 1;
        }
        if (result != 0) {
            meter.Clear();
            Fail("the equations could not be assembled at model time %.6f h (out of memory)", mc.ModelTime / 3600);
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

int RunSteady(const Options& options, ResultsDatabase* database, BatchResults& results)
{
    ModelControl& mc = g_ModelControl;
    ProgressMeter meter;
    mc.SteadyIteration = 0;
    for (int pass = 1; pass <= options.passes; ++pass) {
        JamPassReport jam;
        const int result = options.iceJam ? RunSteadyJamPass(&jam) : RunSteadyPass();
        if (result < 0) {
            meter.Clear();
            Fail("steady pass %d could not be made (time step %g s)", pass, mc.DeltaT);
            return 1;
        }
        const EquationSystem& hydro = g_EquationSystems[HydrodynamicSystem];
        meter.Clear();
        std::printf("pass %6d   time step %10.4g s   Newton iterations %d   solution change %.4E%s", pass, mc.DeltaT,
                    hydro.IterationCount, hydro.LastNorm, result == 1 ? "" : "   (not converged)");
        if (options.iceJam && jam.Solved)
            std::printf("   ice jam solved, largest thickness change %.4E m", jam.LargestThicknessChange);
        else if (options.iceJam)
            std::printf("   ice jam not solved (discharge not settled)");
        std::printf("\n");
        std::fflush(stdout);
        if (!ResultsAreFinite(meter)) return 1;
        if (const std::string error = results.AfterPass(); !error.empty()) {
            meter.Clear();
            Fail("%s", error.c_str());
            return 1;
        }
        meter.Show(static_cast<double>(pass) / options.passes);
    }
    meter.Clear();
    return WriteRows(options, database) ? 0 : 1;
}

// The final water-quality file must go to a folder that exists (that it replaces none of the
// run's other files is checked with every output): checked before the run, so a bad path fails
// at once.
bool CanSaveWaterQuality(const Options& options)
{
    namespace fs = std::filesystem;
    const std::string& target = options.saveWaterQuality;
    std::error_code ec;
    const fs::path folder = fs::path(target).parent_path();
    if (fs::is_directory(target, ec) || (!folder.empty() && !fs::is_directory(folder, ec))) {
        Fail("cannot write the water-quality file '%s': %s", target.c_str(),
             fs::is_directory(target, ec) ? "it is a folder" : "its folder does not exist");
        return false;
    }
    return true;
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
    if (read == -1) {
        Fail("cannot open the model file '%s': %s", options.model.c_str(), std::strerror(errno));
        return 1;
    }
    if (read != 0) {
        if (ModelReaderRefusal()[0] != '\0')
            Fail("the model file '%s' was refused: %s", options.model.c_str(), ModelReaderRefusal());
        else
            Fail("the model file '%s' was refused (reader error %d)", options.model.c_str(), read);
        return 1;
    }
    if (!options.waterQuality.empty()) {
        if (LoadWQFile(options.waterQuality) != 0) {
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
    if (options.iceJam && mc.FileType != 1) {
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
        if (options.finalHours) mc.FinalTime = *options.finalHours * 3600;
        if (!(mc.ModelTime < mc.FinalTime) || !std::isfinite(mc.FinalTime)) {
            Fail("the present time must be less than the final time (model time %g h, final time %g h)",
                 mc.ModelTime / 3600, mc.FinalTime / 3600);
            return 1;
        }
    }
    // Only the database schedule is kept: the runner writes no other output, and the other
    // schedules would shorten steps for nothing.
    mc.SeriesInterval = mc.SnapshotInterval = mc.IceFrontInterval = mc.StateFileInterval = 0;
    mc.DatabaseInterval = options.databaseEveryHours * 3600;
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
    if (!options.saveWaterQuality.empty()) targets.push_back({"saved water-quality file", options.saveWaterQuality});
    for (OutputTarget& t : results.Targets()) targets.push_back(std::move(t));
    if (std::string message; CheckOutputTargets(targets, &message) != TargetOk) {
        Fail("%s", message.c_str());
        return 1;
    }
    if (ProgressMeter meter; !ResultsAreFinite(meter)) return 1;
    if (!options.saveWaterQuality.empty() && !CanSaveWaterQuality(options)) return 1;

    // Everything that will be written is opened before the run, so a bad path fails at once:
    // the results folder first, as the database may be in it.
    if (!options.results.empty())
        if (const std::string error = results.CreateFolder(); !error.empty()) {
            Fail("%s", error.c_str());
            return 1;
        }
    StateFile state;
    if (!options.save.empty() && !state.Open(options.save)) return 1;
    DatabaseHandle database;
    if (!options.database.empty()) {
        std::string error;
        if (CreateResultsDatabase(options.database.c_str(), &error) != 0 ||
            OpenResultsDatabase(options.database.c_str(), &database.Database, &error) != 0) {
            Fail("cannot create the results database '%s': %s", options.database.c_str(), error.c_str());
            return 1;
        }
    }
    if (const std::string error = results.Start(); !error.empty()) {
        Fail("%s", error.c_str());
        return 1;
    }

    const int result = options.steady ? RunSteady(options, database.Database, results)
                                      : RunTransient(options, database.Database, results);
    if (result != 0) return result;
    if (!options.save.empty() && !state.Commit()) return 1;
    if (!options.saveWaterQuality.empty() && SaveWQFile(options.saveWaterQuality) != 0) {
        Fail("the water-quality file '%s' could not be written", options.saveWaterQuality.c_str());
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
