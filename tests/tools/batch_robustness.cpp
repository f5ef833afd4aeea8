// vasquil-batch end to end on inputs that used to hang or crawl, and on seeded mutations of the
// model fixtures: every run ends (the limit below only guards against a hang, it measures
// nothing), never by a signal, with exit 0 and finite results or with one line on standard
// error. VASQUIL_BATCH_FUZZ_RUNS and VASQUIL_BATCH_FUZZ_SEED change the mutation run.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/TestFolder.h"
#include "../engine/ModelFileMutation.h"
#include "../engine/ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

using namespace modelfiles_test;
namespace fs = std::filesystem;

namespace {

// A run that has not ended after this long is taken for a hang and killed.
constexpr std::chrono::seconds HangLimit{180};

struct Outcome {
    bool ended = false;
    bool signalled = false;
    int exitCode = -1;
    std::string out, err;

    // Lines on standard error that are not warnings (a warning about the model may precede
    // the one line a failure ends with).
    int ErrorLines() const
    {
        int lines = 0;
        for (size_t at = 0; at < err.size();) {
            const size_t end = err.find('\n', at);
            if (err.compare(at, 23, "vasquil-batch: warning:") != 0) ++lines;
            if (end == std::string::npos) break;
            at = end + 1;
        }
        return lines;
    }
    // The last line on standard error.
    std::string LastErrorLine() const
    {
        const std::string text = !err.empty() && err.back() == '\n' ? err.substr(0, err.size() - 1) : err;
        return text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    }
    std::string Describe() const
    {
        return (ended ? "exit " + std::to_string(exitCode) : std::string("no end")) + (signalled ? " (signal)" : "") +
               "\nstandard error:\n" + err + "standard output (end):\n" +
               out.substr(out.size() > 2000 ? out.size() - 2000 : 0);
    }
};

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Runs vasquil-batch with the arguments in `folder` (its working folder), its output in files.
Outcome RunBatch(const std::vector<std::string>& arguments, const fs::path& folder)
{
    const fs::path outPath = folder / "batch.stdout";
    const fs::path errPath = folder / "batch.stderr";
    std::vector<std::string> words = {VASQUIL_BATCH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    Outcome outcome;
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(folder.c_str()) != 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) return outcome;
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            outcome.ended = true;
            break;
        }
        if (std::chrono::steady_clock::now() - start > HangLimit) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    outcome.signalled = outcome.ended && WIFSIGNALED(status);
    outcome.exitCode = outcome.ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = ReadAll(outPath);
    outcome.err = ReadAll(errPath);
    return outcome;
}

// A scratch folder of its own for each test.
class BatchRobustness : public ::testing::Test {
protected:
    fs::path Folder;
    void SetUp() override
    {
        Folder = FreshTestFolder("vasquil-batch");
    }
    void TearDown() override
    {
        if (!HasFailure()) fs::remove_all(Folder);
    }
};

const fs::path SampleRiver = fs::path(VASQUIL_SOURCE_DIR) / "examples" / "sample-river.vqx";

// The sample river with one header value replaced (the key as the writer writes it).
std::string SampleWith(const std::string& key, const std::string& value)
{
    const std::string text = ReadAll(SampleRiver);
    const size_t at = text.find(key + " = ");
    EXPECT_NE(at, std::string::npos) << key;
    if (at == std::string::npos) return text;
    const size_t from = at + key.size() + 3;
    return text.substr(0, from) + value + text.substr(text.find('\n', from));
}

// Each input ends within seconds, with exit 1 (2 for a command line), one line on standard
// error and a reason that names the fault.
TEST_F(BatchRobustness, InputsThatUsedToHangEndWithOneClearLine)
{
    ASSERT_EQ(mkfifo((Folder / "fifo.vqx").c_str(), 0600), 0);
    fs::create_directories(Folder / "folder.vqx");
    WriteAll(Folder / "tolerance-zero.vqx", SampleWith(" Hydrodynamics Tolerance", "0"));
    WriteAll(Folder / "tolerance-subnormal.vqx", SampleWith(" Hydrodynamics Tolerance", "1e-320"));
    WriteAll(Folder / "tiny-maximum-step.vqx", SampleWith(" Max Delta t (s)", "1e-320"));
    // The sample river cut inside its last number: the last discharge of its downstream rating
    // curve becomes 1, below the one before it (every step at the downstream end would fail to
    // converge), and the reader refuses it.
    const std::string sample = ReadAll(SampleRiver);
    const auto spans = TokenSpans(sample);
    ASSERT_FALSE(spans.empty());
    ASSERT_EQ(sample[spans.back().first], '1') << "the sample's last discharge no longer starts with 1";
    WriteAll(Folder / "cut.vqx", sample.substr(0, spans.back().first + 1));

    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        int exitCode;
        std::vector<std::string> reasons;   // in the output of the run, standard error or output
    } cases[] = {
        {"a character device", {"run", "/dev/zero"}, 1, {"character device"}},
        {"a FIFO without a writer", {"run", "fifo.vqx"}, 1, {"FIFO"}},
        {"a directory", {"run", "folder.vqx"}, 1, {"directory"}},
        {"tolerance 0",
         {"run", "tolerance-zero.vqx"},
         1,
         {"Hydrodynamics Tolerance 0 is not at least 1e-14 and below 1"}},
        {"tolerance 1e-320", {"run", "tolerance-subnormal.vqx"}, 1, {"Hydrodynamics Tolerance 1e-320 is not at least"}},
        {"maximum step 1e-320 in the model",
         {"run", "tiny-maximum-step.vqx"},
         1,
         {"Max Delta t (s) 1e-320 is below the smallest time step of 0.001 s"}},
        {"maximum step 1e-300 on the command line",
         {"run", SampleRiver.string(), "--max-step-seconds", "1e-300"},
         2,
         {"option --max-step-seconds needs a time step of at least 0.001 s, not '1e-300'"}},
        // Named: the boundary whose rating curve was cut, and its two rows.
        {"a rating curve whose discharge falls",
         {"run", "cut.vqx"},
         1,
         {"The discharge of the rating curve of boundary element 2 decreases: row 15 gives 1175.84 m3/s and row 16 "
          "1 m3/s"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = RunBatch(c.arguments, Folder);
        ASSERT_TRUE(o.ended) << o.Describe();
        EXPECT_FALSE(o.signalled) << o.Describe();
        EXPECT_EQ(o.exitCode, c.exitCode) << o.Describe();
        EXPECT_EQ(o.ErrorLines(), 1) << o.Describe();
        EXPECT_EQ(o.err.rfind("vasquil-batch: ", 0), 0u) << o.Describe();
        for (const std::string& reason : c.reasons)
            EXPECT_NE((o.err + o.out).find(reason), std::string::npos) << reason << "\n" << o.Describe();
    }
}

int EnvironmentInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// Every value of every row of the results table is a finite number or a text; empty when so.
std::string NonFiniteResult(const fs::path& database)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "the database cannot be opened";
    }
    sqlite3_stmt* st = nullptr;
    std::string problem;
    if (sqlite3_prepare_v2(db, "SELECT * FROM time_series", -1, &st, nullptr) != SQLITE_OK) {
        problem = sqlite3_errmsg(db);
    } else {
        int rows = 0;
        while (problem.empty() && sqlite3_step(st) == SQLITE_ROW) {
            ++rows;
            for (int k = 0; k < sqlite3_column_count(st) && problem.empty(); ++k) {
                const int type = sqlite3_column_type(st, k);
                if (type == SQLITE_NULL || (type == SQLITE_FLOAT && !std::isfinite(sqlite3_column_double(st, k))))
                    problem = std::string("column ") + sqlite3_column_name(st, k) + " of row " +
                              std::to_string(rows) + " is not a finite number";
            }
        }
        if (problem.empty() && rows == 0) problem = "no rows";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return problem;
}

// The runner over mutated model files: no crash, no hang; exit 0 only with finite results and a
// saved model that reads back; any other end is exit 1 with one line on standard error.
TEST_F(BatchRobustness, MutatedModelsRunOrAreRefusedCleanly)
{
    const int runs = EnvironmentInt("VASQUIL_BATCH_FUZZ_RUNS", 300);
    const unsigned seed = static_cast<unsigned>(EnvironmentInt("VASQUIL_BATCH_FUZZ_SEED", 20240612));
    // The models that run as they are (mutants of the others mostly fail as their seeds do, or
    // crawl through thousands of millisecond steps as some of them do).
    std::vector<std::string> seeds;
    for (const char* name : {"ft0-imperial.vqx", "ft2-imperial.vqx", "ft2-metric.vqx", "ft3-metric.vqx",
                             "layout-ft2-metric.vqx", "new-command.vqx"})
        seeds.push_back(Fixture(name));
    seeds.push_back(ReadAll(SampleRiver));
    seeds.push_back(ReadAll(fs::path(VASQUIL_SOURCE_DIR) / "examples" / "sample-network.vqx"));
    for (const std::string& s : seeds) ASSERT_FALSE(s.empty());

    int succeeded = 0, failed = 0;
    std::vector<std::string> faults;
    for (int i = 0; i < runs; ++i) {
        std::mt19937 random(seed * 1000003u + static_cast<unsigned>(i));
        const std::string text = Mutate(seeds[random() % seeds.size()], random);
        const fs::path model = Folder / "mutant.vqx";
        WriteAll(model, text);
        fs::remove(Folder / "mutant.db");
        fs::remove(Folder / "mutant-final.vqx");

        // A quarter of an hour past the model's own time keeps every run short.
        double finalHours = 1;
        if (LoadModelFileQuietly(model) == 0 && std::isfinite(g_ModelControl.ModelTime))
            finalHours = g_ModelControl.ModelTime / 3600 + 0.25;
        ReleaseModel();
        char hours[64];
        std::snprintf(hours, sizeof hours, "%.17g", finalHours);
        const Outcome o =
            RunBatch({"run", "mutant.vqx", "--final-hours", hours, "--db", "mutant.db", "--save", "mutant-final.vqx"},
                     Folder);

        const std::string where = "run " + std::to_string(i) + " (the model is kept as " + model.string() + "): ";
        if (!o.ended || o.signalled) {
            faults.push_back(where + "the run did not end by itself: " + o.Describe());
        } else if (o.exitCode == 0) {
            ++succeeded;
            // A successful run writes nothing but its warnings on standard error.
            if (o.ErrorLines() != 0) faults.push_back(where + "a successful run wrote to standard error: " + o.Describe());
            if (const std::string problem = NonFiniteResult(Folder / "mutant.db"); !problem.empty())
                faults.push_back(where + "exit 0 but " + problem);
            if (LoadModelFileQuietly(Folder / "mutant-final.vqx") != 0)
                faults.push_back(where + "exit 0 but the saved model is refused");
            ReleaseModel();
        } else {
            ++failed;
            if (o.exitCode != 1 || o.ErrorLines() != 1 || o.LastErrorLine().rfind("vasquil-batch: ", 0) != 0)
                faults.push_back(where + "a failure that is not exit 1 with one line: " + o.Describe());
        }
        if (!faults.empty()) break;
    }
    for (const std::string& f : faults) ADD_FAILURE() << f;
    std::fprintf(stderr, "batch fuzz: %d runs of seed %u, %d succeeded, %d failed cleanly\n", runs, seed, succeeded,
                 failed);
    EXPECT_GT(succeeded, runs / 20) << "mutations should leave some models runnable";
}

}  // namespace
