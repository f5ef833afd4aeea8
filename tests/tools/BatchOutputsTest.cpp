// vasquil-batch's outputs, with the runner as a child process: targets it must refuse and
// leave exactly as they were, runs killed at any moment, and a state that is no number.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/TestFolder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The longest a child may take before the test gives up on it: generous, never a timing check.
constexpr auto ChildLimit = std::chrono::minutes(5);

struct Outcome {
    int exitCode = -1;  // -1 when killed
    bool killed = false;
    std::string out, err;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A child running vasquil-batch, with its standard output and error kept in files.
struct Child {
    pid_t pid = -1;
    fs::path out, err;
};

// Starts vasquil-batch with args in folder, with extra environment entries ("NAME=value").
// Standard output and error are kept beside the folder, so the folder holds only what the
// runner made. In the child, limit (when set) is applied first, e.g. a limit of file size.
Child StartBatch(const fs::path& folder, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {}, const std::function<void()>& limit = {})
{
    Child c;
    c.out = folder.string() + ".stdout";
    c.err = folder.string() + ".stderr";
    std::vector<std::string> words = {VASQUIL_BATCH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    c.pid = fork();
    if (c.pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        const int o = open(c.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(c.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0) _exit(126);
        for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
        if (limit) limit();
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (c.pid < 0) ADD_FAILURE() << "fork: " << std::strerror(errno);
    return c;
}

// Waits for the child to end. With killAfter > 0 the child is killed with SIGKILL once that
// much time has passed.
Outcome WaitFor(const Child& c, std::chrono::microseconds killAfter = std::chrono::microseconds(0))
{
    Outcome outcome;
    if (c.pid < 0) return outcome;
    const auto start = Clock::now();
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(c.pid, &status, WNOHANG);
        if (done == c.pid) break;
        const auto elapsed = Clock::now() - start;
        if ((killAfter.count() > 0 && elapsed >= killAfter) || elapsed > ChildLimit) {
            if (elapsed > ChildLimit) ADD_FAILURE() << "vasquil-batch did not end within the test's limit";
            kill(c.pid, SIGKILL);
            waitpid(c.pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    outcome.killed = WIFSIGNALED(status);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = ReadFile(c.out);
    outcome.err = ReadFile(c.err);
    return outcome;
}

// Runs vasquil-batch with args in folder and waits for it (see StartBatch and WaitFor).
Outcome RunBatch(const fs::path& folder, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {},
                 std::chrono::microseconds killAfter = std::chrono::microseconds(0))
{
    return WaitFor(StartBatch(folder, args, environment), killAfter);
}

// What stands at every path under a folder (the folder included), compared before and after a
// refused run: kind, device and inode, device number, a regular file's bytes, a link's target
// and a folder's modification time (which any file made and removed in it would change).
struct Entry {
    mode_t kind = 0;
    dev_t device = 0;
    ino_t inode = 0;
    dev_t special = 0;
    std::string content;
    long long modified = 0;
    bool operator==(const Entry&) const = default;
};

std::map<std::string, Entry> Snapshot(const fs::path& folder)
{
    std::map<std::string, Entry> entries;
    const auto add = [&](const fs::path& path) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) return;
        Entry e;
        e.kind = st.st_mode & S_IFMT;
        e.device = st.st_dev;
        e.inode = st.st_ino;
        e.special = st.st_rdev;
        if (S_ISREG(st.st_mode)) e.content = ReadFile(path);
        if (S_ISLNK(st.st_mode)) e.content = fs::read_symlink(path).string();
        if (S_ISDIR(st.st_mode)) e.modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        entries[fs::relative(path, folder.parent_path()).string()] = e;
    };
    add(folder);
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
        add(it->path());
    return entries;
}

class BatchOutputs : public ::testing::Test {
protected:
    fs::path root;

    void SetUp() override
    {
        root = FreshTestFolder("vasquil-batch-outputs");
    }
    void TearDown() override { fs::remove_all(root); }

    // A fresh work folder holding the sample model as river.vqx.
    fs::path WorkFolder(const std::string& name)
    {
        const fs::path folder = root / name;
        fs::create_directories(folder);
        fs::copy_file(VASQUIL_SAMPLE_MODEL, folder / "river.vqx");
        return folder;
    }
};

// Every kind of target that must not be replaced, and every way of naming one file twice: the
// run is refused with one line naming the paths, and nothing in the folder changes at all.
TEST_F(BatchOutputs, RefusedTargetsAreLeftUntouched)
{
    struct Case {
        const char* name;
        std::function<bool(const fs::path&)> make;  // builds the folder's content; false skips the row
        std::vector<std::string> options;           // "@" stands for the folder's absolute path
        const char* message;                        // pattern of the one line on standard error
    };
    const auto none = [](const fs::path&) { return true; };
    const auto keptFile = [](const fs::path& d) {
        WriteFile(d / "target.txt", "kept");
        return true;
    };
    const auto alias = [](const fs::path& d) {
        WriteFile(d / "alias.out", "earlier results");
        return true;
    };
    const Case cases[] = {
        {"a device node as the database",
         [](const fs::path& d) { return mknod((d / "dev.db").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
         {"--db", "dev.db"},
         "the results database 'dev\\.db' is a character device; only a regular file can be replaced"},
        {"a symbolic link as the database",
         [&](const fs::path& d) { return keptFile(d) && symlink("target.txt", (d / "link.db").c_str()) == 0; },
         {"--db", "link.db"},
         "the results database 'link\\.db' is a symbolic link; only a regular file can be replaced"},
        {"a symbolic link as the saved model",
         [&](const fs::path& d) { return keptFile(d) && symlink("target.txt", (d / "link.vqx").c_str()) == 0; },
         {"--save", "link.vqx"},
         "the saved model 'link\\.vqx' is a symbolic link; only a regular file can be replaced"},
        {"a directory as the saved model",
         [](const fs::path& d) {
             fs::create_directories(d / "dir.vqx");
             WriteFile(d / "dir.vqx" / "inside", "inside");
             return true;
         },
         {"--save", "dir.vqx"},
         "the saved model 'dir\\.vqx' is a directory; only a regular file can be replaced"},
        {"a FIFO as the database", [](const fs::path& d) { return mkfifo((d / "fifo.db").c_str(), 0644) == 0; },
         {"--db", "fifo.db"}, "the results database 'fifo\\.db' is a FIFO; only a regular file can be replaced"},
        {"a FIFO as a result file",
         [](const fs::path& d) {
             fs::create_directories(d / "RR");
             return mkfifo((d / "RR" / "river time series.csv").c_str(), 0644) == 0;
         },
         {"--results", "RR"},
         "the time-series file 'RR/river time series\\.csv' is a FIFO; only a regular file can be replaced"},
        {"a plain file as the results folder",
         [](const fs::path& d) {
             WriteFile(d / "RR", "not a folder");
             return true;
         },
         {"--results", "RR"}, "the results folder 'RR' is a regular file, not a folder"},
        {"one file as ./name and name", none, {"--db", "./alias.out", "--save", "alias.out"},
         "the results database '\\./alias\\.out' and the saved model 'alias\\.out' are the same file"},
        {"one existing file by its relative and its absolute name", alias, {"--db", "alias.out", "--save", "@/alias.out"},
         "the results database 'alias\\.out' and the saved model '.*/alias\\.out' are the same file"},
        {"one file through a folder and its parent",
         [](const fs::path& d) { return fs::create_directories(d / "sub"); },
         {"--db", "sub/../alias.out", "--save", "alias.out"},
         "the results database 'sub/\\.\\./alias\\.out' and the saved model 'alias\\.out' are the same file"},
        {"one file through a linked folder",
         [&](const fs::path& d) { return alias(d) && symlink(".", (d / "linked").c_str()) == 0; },
         {"--save", "linked/alias.out", "--db", "alias.out"},
         "the results database 'alias\\.out' and the saved model 'linked/alias\\.out' are the same file"},
        {"one file under two hard links",
         [&](const fs::path& d) { return alias(d) && link((d / "alias.out").c_str(), (d / "hard.out").c_str()) == 0; },
         {"--db", "alias.out", "--save", "hard.out"},
         "the results database 'alias\\.out' and the saved model 'hard\\.out' are the same file"},
        {"a result file as the saved model", none, {"--results", "RR", "--save", "RR/river snapshot.csv"},
         "the saved model 'RR/river snapshot\\.csv' and the snapshot file 'RR/river snapshot\\.csv' are the same file"},
        {"an earlier result file as the database",
         [](const fs::path& d) {
             fs::create_directories(d / "RR");
             WriteFile(d / "RR" / "river peak stage and discharge.csv", "earlier peaks");
             return true;
         },
         {"--results", "RR", "--db", "RR/./river peak stage and discharge.csv"},
         "the results database 'RR/\\./river peak stage and discharge\\.csv' and the peak file "
         "'RR/river peak stage and discharge\\.csv' are the same file"},
        {"a timed state file's name as the saved model", none,
         {"--results", "RR", "--state-every-hours", "0.5", "--save", "RR/river - 0.50 hrs.vqX"},
         "the saved model 'RR/river - 0\\.50 hrs\\.vqX' takes the name of a timed state file in the state-file "
         "folder 'RR'"},
        {"the model as the saved model", none, {"--save", "river.vqx"},
         "the model file 'river\\.vqx' and the saved model 'river\\.vqx' are the same file"},
        {"the model as the database, spelled otherwise",
         [](const fs::path& d) { return fs::create_directories(d / "sub"); },
         {"--db", "sub/../river.vqx"},
         "the model file 'river\\.vqx' and the results database 'sub/\\.\\./river\\.vqx' are the same file"},
        {"the database's log as the saved model", none, {"--db", "x.db", "--save", "x.db-wal"},
         "the results database's log 'x\\.db-wal' and the saved model 'x\\.db-wal' are the same file"},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = WorkFolder("case" + std::to_string(index++));
        if (!c.make(folder)) {
            std::printf("skipped \"%s\": %s\n", c.name, std::strerror(errno));
            continue;
        }
        std::vector<std::string> args = {"run", "river.vqx", "--final-hours", "1"};
        for (std::string option : c.options) {
            if (const size_t at = option.find('@'); at != std::string::npos) option.replace(at, 1, folder.string());
            args.push_back(option);
        }
        const auto before = Snapshot(folder);
        const Outcome outcome = RunBatch(folder, args);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(std::regex_match(outcome.err, std::regex(std::string("vasquil-batch: ") + c.message + "\n")))
            << outcome.err;
        EXPECT_TRUE(Snapshot(folder) == before) << "the folder changed";
    }
}

// The database may be in the results folder, which does not exist yet: the folder comes first.
TEST_F(BatchOutputs, DatabaseInANewResultsFolder)
{
    const fs::path folder = WorkFolder("new");
    const Outcome outcome = RunBatch(folder, {"run", "river.vqx", "--final-hours", "2", "--results", "D", "--db", "D/x.db"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(fs::is_regular_file(folder / "D" / "x.db"));
    EXPECT_TRUE(fs::is_regular_file(folder / "D" / "river time series.csv"));
    // Closed at the end of the run, the database is one file without logs beside it.
    EXPECT_FALSE(fs::exists(folder / "D" / "x.db-wal"));
    EXPECT_FALSE(fs::exists(folder / "D" / "x.db-shm"));
}

// A process id that no running process has.
long DeadProcess()
{
    for (long pid = 4194000; pid > 100000; --pid)
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return pid;
    return 0;
}

fs::path LockFile(const fs::path& file)
{
    fs::path lock = file;
    lock += ".lock";
    return lock;
}

std::vector<std::string> Temporaries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp") != std::string::npos)
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A failed save removes its temporary file; a later save to the same target clears those of
// its own name that a killed run left, and only those.
TEST_F(BatchOutputs, TemporaryFilesOfSaves)
{
    const long dead = DeadProcess();
    ASSERT_NE(dead, 0);
    const fs::path folder = WorkFolder("saves");
    const std::string stale = "final.vqx.tmp" + std::to_string(dead);
    const std::string running = "final.vqx.tmp1";  // the init process always runs
    const std::string other = "other.vqx.tmp" + std::to_string(dead);
    for (const std::string& name : {stale, running, other}) WriteFile(folder / name, "partial");
    fs::create_directories(folder / ("final.vqx.tmp" + std::to_string(dead + 1)));

    // A run that fails after its save was begun leaves neither the target nor a temporary.
    const Outcome failed = RunBatch(folder, {"run", "river.vqx", "--final-hours", "2", "--save", "final.vqx"},
                                    {"VASQUIL_BATCH_TEST_NONFINITE_HOURS=1"});
    EXPECT_EQ(failed.exitCode, 1) << failed.err;
    EXPECT_FALSE(fs::exists(folder / "final.vqx"));
    const std::vector<std::string> left = {"final.vqx.tmp" + std::to_string(dead + 1), running, other};
    std::vector<std::string> expected = left;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Temporaries(folder), expected) << "the stale temporary is cleared, the others kept";

    WriteFile(folder / stale, "partial");
    const Outcome saved = RunBatch(folder, {"run", "river.vqx", "--final-hours", "2", "--save", "final.vqx"});
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_TRUE(fs::is_regular_file(folder / "final.vqx"));
    EXPECT_EQ(Temporaries(folder), expected);
    EXPECT_EQ(ReadFile(folder / running), "partial");
}

// A rectangular channel of `nodes` nodes 100 m apart (40 m wide unless width, m, is given)
// with a flood from upstream and a rating curve downstream, in a model file of this project's
// own. The initial stage is the normal depth of 100 m3/s in a 40 m wide channel.
std::string ChannelModel(int nodes, double channelWidth = 40)
{
    const double width = 40, n = 0.03, slope = 5e-4, dx = 100;
    // Normal depth of a discharge, by bisection of Manning's formula.
    const auto normalDepth = [&](double q) {
        double lo = 0.01, hi = 20;
        for (int i = 0; i < 100; ++i) {
            const double h = 0.5 * (lo + hi);
            const double area = width * h, radius = area / (width + 2 * h);
            (area * std::pow(radius, 2.0 / 3.0) * std::sqrt(slope) / n < q ? lo : hi) = h;
        }
        return 0.5 * (lo + hi);
    };
    std::string t;
    char line[512];
    std::snprintf(line, sizeof line,
                  " File Type = 0\n Delta t (s) = 60\n Max Delta t (s) = 120\n Model Time (s) = 0\n"
                  " Simulation Start DateTime (YYYY MM DD HH MM SS) = 2024 01 01 00 00 00\n\n"
                  " Number of Nodes = %d\n Number of Elements = %d\n Number of  Boundary Elements = 2\n"
                  " Number of Junctions = 0\n System of units = 1\n\n",
                  nodes, nodes - 1);
    t += line;
    t += " Hydrodynamics Upwinding Coefficient = 0.25\n Hydrodynamics Upwinding Updating = 0\n"
         " Hydrodynamics Theta = 0.6\n Hydrodynamics Tolerance = 1e-05\n Hydrodynamics Formulation = 1\n"
         " Hydrodynamics Alpha = 0.5\n\n Water Temperature (deg C) = 8\n\n \tNode Information \n\n";
    const double depth = normalDepth(100);
    for (int i = 0; i < nodes; ++i) {
        const double bed = 100 - slope * dx * i;
        std::snprintf(line, sizeof line, "\t%d\t%d\t0\t1\t%.4f\t6000000.0000\t%.4f\t%.4f\t%g\t%g\t0\t%.4f\t100 \n",
                      i + 1, nodes - i, 500000 + dx * i, dx * i / 1000, bed, n, channelWidth, bed + depth);
        t += line;
    }
    t += "\n \tElement Information \n\n";
    for (int e = 1; e < nodes; ++e) {
        std::snprintf(line, sizeof line, "\t%d\t%d\t%d\t0\t0\t0\t0\t0 \n", e, e, e + 1);
        t += line;
    }
    t += "\n \tBoundary Element Information \n\n\t1\t1\t-1\t0\t1\t4 \n\t0\t100 \n\t2\t300 \n\t6\t100 \n\t1000\t100 \n \n";
    const double last = 100 - slope * dx * (nodes - 1);
    std::snprintf(line, sizeof line, "\t2\t%d\t1\t2\t0\t8 \n", nodes);
    t += line;
    for (double q : {10.0, 50.0, 100.0, 200.0, 300.0, 500.0, 800.0, 1200.0}) {
        std::snprintf(line, sizeof line, "\t%.4f\t%g \n", last + normalDepth(q), q);
        t += line;
    }
    t += " \n";
    return t;
}

// Output times of a database that are not whole (fewer rows than nodes, or a node twice), its
// integrity check, and its number of output times.
struct DatabaseState {
    bool exists = false;
    bool hasTable = false;
    std::string integrity;
    int times = 0;
    int brokenTimes = 0;
};

DatabaseState Inspect(const fs::path& file, int nodes)
{
    DatabaseState state;
    if (!fs::exists(file)) return state;
    state.exists = true;
    sqlite3* db = nullptr;
    // Opened as any user would, so that a log left by the killed run is recovered.
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.integrity = sqlite3_errmsg(db);
        sqlite3_close(db);
        return state;
    }
    const auto each = [&](const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) return false;
        while (sqlite3_step(st) == SQLITE_ROW) row(st);
        sqlite3_finalize(st);
        return true;
    };
    each("PRAGMA integrity_check", [&](sqlite3_stmt* st) {
        state.integrity += reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    });
    state.hasTable = each("SELECT COUNT(*), COUNT(DISTINCT node_id) FROM time_series GROUP BY time_s",
                          [&](sqlite3_stmt* st) {
                              ++state.times;
                              if (sqlite3_column_int(st, 0) != nodes || sqlite3_column_int(st, 1) != nodes)
                                  ++state.brokenTimes;
                          });
    sqlite3_close(db);
    return state;
}

// A run killed with SIGKILL at any moment, from the creation of the database to the end of the
// run, leaves a database that passes its integrity check and holds whole output times only.
TEST_F(BatchOutputs, KilledRunsLeaveSoundDatabases)
{
    constexpr int Nodes = 400;
    const fs::path model = root / "channel.vqx";
    WriteFile(model, ChannelModel(Nodes));

    // How long a whole run takes here, so that the kills spread over all of it.
    const fs::path timing = root / "timing";
    fs::create_directories(timing);
    const std::vector<std::string> args = {"run", model.string(), "--final-hours", "3", "--db", "r.db", "--db-every-hours", "0"};
    const auto start = Clock::now();
    const Outcome whole = RunBatch(timing, args);
    const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    const DatabaseState complete = Inspect(timing / "r.db", Nodes);
    ASSERT_EQ(complete.integrity, "ok");
    ASSERT_GT(complete.times, 20);
    EXPECT_EQ(complete.brokenTimes, 0);

    constexpr int Trials = 24;
    int killedWithRows = 0;
    for (int trial = 0; trial < Trials; ++trial) {
        // From the first milliseconds to a little past the whole run's length, unevenly spaced.
        const auto delay = std::chrono::microseconds(
            2000 + static_cast<long long>(double(duration.count()) * 1.1 * std::pow((trial + 0.37) / Trials, 1.5)));
        SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us");
        const fs::path folder = root / ("kill" + std::to_string(trial));
        fs::create_directories(folder);
        const Outcome outcome = RunBatch(folder, args, {}, delay);
        const DatabaseState state = Inspect(folder / "r.db", Nodes);
        if (!state.exists) continue;  // killed before the database was made
        EXPECT_EQ(state.integrity, "ok");
        EXPECT_EQ(state.brokenTimes, 0) << "of " << state.times << " output times";
        if (outcome.killed && state.times > 0) ++killedWithRows;
        if (!outcome.killed) {
            EXPECT_EQ(outcome.exitCode, 0);
            EXPECT_EQ(state.times, complete.times);
        }
    }
    // The kills did land in the middle of runs that were writing.
    EXPECT_GE(killedWithRows, Trials / 3);
}

// Waits until the child, started with VASQUIL_BATCH_TEST_STOP_WHEN_HELD=1, has stopped itself
// holding its outputs; false (with the test failed) when it ended instead.
bool StoppedHolding(const Child& c)
{
    int status = 0;
    if (waitpid(c.pid, &status, WUNTRACED) != c.pid || !WIFSTOPPED(status)) {
        ADD_FAILURE() << "the first run ended before it held its outputs: " << ReadFile(c.err);
        return false;
    }
    return true;
}

int TimeSeriesRows(const fs::path& file)
{
    std::istringstream series(ReadFile(file));
    int rows = 0;
    for (std::string line; std::getline(series, line);) rows += line.rfind(",,", 0) == 0;
    return rows;
}

// Two runs on one database, or on one results folder: the second is refused at once with one
// line and changes nothing of the first's, which completes with every row. A run killed while
// it holds its outputs leaves them free for the next run.
TEST_F(BatchOutputs, OutputsAreHeldForTheWholeRun)
{
    const std::vector<std::string> run = {"run", "river.vqx", "--final-hours", "3", "--db-every-hours", "0.5"};
    const fs::path reference = WorkFolder("reference");
    ASSERT_EQ(RunBatch(reference, {"run", "river.vqx", "--final-hours", "3", "--db-every-hours", "0.5", "--db", "r.db",
                                   "--results", "R"})
                  .exitCode,
              0);
    const int times = Inspect(reference / "r.db", 31).times;
    const int rows = TimeSeriesRows(reference / "R" / "river time series.csv");
    ASSERT_EQ(times, 7);
    ASSERT_GT(rows, 0);

    struct Case {
        const char* name;
        std::vector<std::string> options;
        const char* message;
    };
    const Case cases[] = {
        {"one database", {"--db", "r.db"}, "the results database 'r.db' is in use by another run"},
        {"one results folder", {"--results", "R"}, "the results folder 'R' is in use by another run"},
        {"one database in two results folders",
         {"--results", "A", "--db", "r.db"},
         "the results database 'r.db' is in use by another run"},
    };
    const std::vector<std::string> stopWhenHeld = {"VASQUIL_BATCH_TEST_STOP_WHEN_HELD=1"};
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = WorkFolder("held" + std::to_string(index++));
        std::vector<std::string> first = run;
        first.insert(first.end(), c.options.begin(), c.options.end());
        std::vector<std::string> second = run;
        second.insert(second.end(), c.options.begin(), c.options.end());
        if (std::string(c.name) == "one database in two results folders") second[second.size() - 3] = "B";

        const Child holder = StartBatch(folder, first, stopWhenHeld);
        if (!StoppedHolding(holder)) continue;
        const Outcome refused = RunBatch(folder, second);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.err, std::string("vasquil-batch: ") + c.message + "\n");
        kill(holder.pid, SIGCONT);
        const Outcome completed = WaitFor(holder);
        EXPECT_EQ(completed.exitCode, 0) << completed.err;
        if (fs::exists(folder / "r.db")) {
            const DatabaseState state = Inspect(folder / "r.db", 31);
            EXPECT_EQ(state.times, times);
            EXPECT_EQ(state.brokenTimes, 0);
        }
        const fs::path series = folder / c.options[1] / "river time series.csv";
        if (c.options[0] == "--results") {
            EXPECT_EQ(TimeSeriesRows(series), rows);
        }
        EXPECT_FALSE(fs::exists(LockFile(folder / "r.db")));

        // Killed while it holds the outputs: the next run is not refused.
        const Child killed = StartBatch(folder, first, stopWhenHeld);
        if (!StoppedHolding(killed)) continue;
        kill(killed.pid, SIGKILL);
        EXPECT_TRUE(WaitFor(killed).killed);
        const Outcome next = RunBatch(folder, second);
        EXPECT_EQ(next.exitCode, 0) << next.err;
    }
}

// In a child before it runs the runner: the file size limit of a full disk (a write past it
// fails with EFBIG, and SIGXFSZ is ignored so that the write reports it). Standard output and
// error are files under the same limit.
std::function<void()> DiskHolds(rlim_t bytes)
{
    return [bytes] {
        const struct rlimit limit = {bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
    };
}

// In a child before it runs the runner: permissions hold for root too (the capabilities that
// override them are dropped from what the runner gets).
void KeepPermissions()
{
    if (geteuid() != 0) return;
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
}

// Whether a runner started with KeepPermissions is refused a file in a read-only folder here.
bool ReadOnlyFoldersHold(const fs::path& folder)
{
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const pid_t child = fork();
    if (child == 0) {
        KeepPermissions();
        // The bounding set limits what a program gets once it is started: start one.
        execl("/bin/sh", "sh", "-c",
              ("(: > '" + (folder / "probe").string() + "') 2>/dev/null && exit 1; exit 0").c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::permissions(folder, fs::perms::owner_all);
    const bool holds = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !fs::exists(folder / "probe");
    fs::remove_all(folder);
    return holds;
}

// Runs refused at the start, or failing when they write their files at the end: the old
// database, the old saved model and the old saved water-quality file stay byte for byte, no
// temporary or lock file is left, and one line on standard error says why.
TEST_F(BatchOutputs, RefusedAndFailedRunsLeaveTheOldOutputs)
{
    const bool readOnly = ReadOnlyFoldersHold(root / "probe");
    const fs::path made = WorkFolder("made");
    ASSERT_EQ(RunBatch(made, {"run", "river.vqx", "--final-hours", "1", "--db", "old.db"}).exitCode, 0);
    ASSERT_GT(Inspect(made / "old.db", 31).times, 0);

    struct Case {
        const char* name;
        std::vector<std::string> options;
        const char* message;  // pattern of the line after "vasquil-batch: "
        bool readOnly;        // the folders RO and DB are read-only
        rlim_t disk;          // the largest file the disk takes plus 1, 0 for no limit
        bool folderAtEnd;     // a folder takes the saved water-quality file's place during the run
    };
    const Case cases[] = {
        {"a read-only results folder",
         {"--results", "RO", "--db", "old.db", "--save", "saved.vqx", "--save-wq", "saved.nu"},
         "cannot use the results folder 'RO': Permission denied",
         true,
         0,
         false},
        {"a read-only folder of the database",
         {"--db", "DB/old.db", "--save", "saved.vqx", "--save-wq", "saved.nu"},
         "cannot write the results database 'DB/old\\.db': Permission denied",
         true,
         0,
         false},
        {"a missing folder of the saved model",
         {"--db", "old.db", "--save", "none/saved.vqx", "--save-wq", "saved.nu"},
         "cannot write the saved model 'none/saved\\.vqx': No such file or directory",
         false,
         0,
         false},
        {"a full disk at the database",
         {"--db", "old.db", "--save", "saved.vqx", "--save-wq", "saved.nu", "--results", "R"},
         "cannot create the results database 'old\\.db': SQL error: (disk I/O error|database or disk is full).*",
         false,
         4097,
         false},
        {"a full disk for the saved model",
         {"--save", "saved.vqx", "--save-wq", "saved.nu"},
         "the saved model 'saved\\.vqx' could not be written: File too large",
         false,
         8193,
         false},
        {"a folder in the place of the saved water-quality file",
         {"--db", "old.db", "--save", "saved.vqx", "--save-wq", "saved.nu"},
         "the saved water-quality file 'saved\\.nu' is a directory; only a regular file can be replaced",
         false,
         0,
         true},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.readOnly && !readOnly) {
            std::printf("skipped \"%s\": read-only folders do not hold here\n", c.name);
            continue;
        }
        const fs::path folder = WorkFolder("old" + std::to_string(index++));
        fs::copy_file(VASQUIL_SAMPLE_WATER_QUALITY, folder / "river.nu");
        fs::create_directories(folder / "RO");
        fs::create_directories(folder / "DB");
        for (const fs::path& db : {folder / "old.db", folder / "DB" / "old.db"}) fs::copy_file(made / "old.db", db);
        WriteFile(folder / "saved.vqx", "the saved model of an earlier run");
        WriteFile(folder / "saved.nu", "the water-quality file of an earlier run");
        const auto files = [&] {
            std::map<std::string, std::string> contents;
            for (const auto& entry : fs::recursive_directory_iterator(folder))
                if (entry.is_regular_file())
                    contents[fs::relative(entry.path(), folder).string()] = ReadFile(entry.path());
            return contents;
        };
        const auto before = files();
        if (c.readOnly)
            for (const char* name : {"RO", "DB"})
                fs::permissions(folder / name, fs::perms::owner_read | fs::perms::owner_exec);

        std::vector<std::string> args = {"run", "river.vqx", "--wq", "river.nu", "--final-hours", "1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        Outcome outcome;
        if (c.folderAtEnd) {
            const Child child = StartBatch(folder, args, {"VASQUIL_BATCH_TEST_STOP_WHEN_HELD=1"});
            if (!StoppedHolding(child)) continue;
            const std::string kept = ReadFile(folder / "saved.nu");
            fs::remove(folder / "saved.nu");
            fs::create_directories(folder / "saved.nu");
            kill(child.pid, SIGCONT);
            outcome = WaitFor(child);
            fs::remove(folder / "saved.nu");
            WriteFile(folder / "saved.nu", kept);
        } else {
            outcome = WaitFor(StartBatch(folder, args, {}, [&c] {
                if (c.readOnly) KeepPermissions();
                if (c.disk > 0) DiskHolds(c.disk - 1)();
            }));
        }
        for (const char* name : {"RO", "DB"}) fs::permissions(folder / name, fs::perms::owner_all);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(std::regex_match(outcome.err, std::regex(std::string("vasquil-batch: ") + c.message + "\n")))
            << outcome.err;
        auto after = files();
        // The results folder of a run refused at the database start holds no old file.
        EXPECT_TRUE(after == before) << "an old output changed, or a file was left";
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.find(".tmp") == std::string::npos && name.find(".lock") == std::string::npos) << name;
        }
    }
}

// A steady run whose last pass did not converge (a channel 2 mm wide carrying 100 m3/s: every
// pass halves its step and fails again) writes its outputs, says they are no converged state
// and exits 1; the same channel 40 m wide converges and exits 0 without a word on standard error.
TEST_F(BatchOutputs, SteadyRunsSayWhetherTheyConverged)
{
    struct Case {
        double width;
        int exitCode;
        const char* err;
    };
    const Case cases[] = {
        {0.002, 1,
         "vasquil-batch: the last of the 20 steady passes did not converge: the outputs hold the state of that pass, "
         "not a converged steady state\n"},
        {40, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " m");
        const fs::path folder = root / ("steady" + std::to_string(c.exitCode));
        fs::create_directories(folder);
        WriteFile(folder / "channel.vqx", ChannelModel(10, c.width));
        const Outcome outcome =
            RunBatch(folder, {"run", "channel.vqx", "--steady", "--passes", "20", "--db", "s.db", "--save", "s.vqx"});
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_EQ(outcome.err, c.err);
        EXPECT_EQ(outcome.out.find("(not converged)") != std::string::npos, c.exitCode != 0) << outcome.out;
        EXPECT_EQ(Inspect(folder / "s.db", 10).times, 1);
        EXPECT_TRUE(fs::is_regular_file(folder / "s.vqx"));
    }
}

// The database schedule cuts the steps only where something is written on it: a run with no
// output steps as with any other interval, one with a database is cut at its output times (the
// sample's steps of up to 300 s do not divide 0.1 h) and ends in another state.
TEST_F(BatchOutputs, OnlyARunWithOutputsIsCutAtItsOutputTimes)
{
    const fs::path folder = WorkFolder("cuts");
    const auto finalState = [&](const std::vector<std::string>& extra, const std::string& saved) {
        std::vector<std::string> args = {"run", "river.vqx", "--final-hours", "1", "--save", saved};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome outcome = RunBatch(folder, args);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        return ReadFile(folder / saved);
    };
    const std::string hourly = finalState({}, "hourly.vqx");
    const std::string tenths = finalState({"--db-every-hours", "0.1"}, "tenths.vqx");
    const std::string written = finalState({"--db-every-hours", "0.1", "--db", "r.db"}, "written.vqx");
    ASSERT_FALSE(hourly.empty());
    EXPECT_EQ(tenths, hourly);
    EXPECT_NE(written, hourly);
    EXPECT_EQ(Inspect(folder / "r.db", 31).times, 11);
}

// A state that is no number, forced by the runner's test hook at 1.5 h of a run with output
// every half hour: the run stops with one line, and no output holds anything of 1.5 h.
TEST_F(BatchOutputs, NonFiniteStateWritesNothingOfItsTime)
{
    const fs::path folder = WorkFolder("nan");
    const Outcome outcome = RunBatch(folder,
                                     {"run", "river.vqx", "--final-hours", "3", "--db", "r.db", "--db-every-hours", "0.5",
                                      "--results", "out", "--state-every-hours", "0.5", "--save", "final.vqx"},
                                     {"VASQUIL_BATCH_TEST_NONFINITE_HOURS=1.5"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(std::regex_match(outcome.err, std::regex("vasquil-batch: the run stops at model time 1\\.500000 h: "
                                                         "Stage of node [0-9]+ is nan, not a finite number; no output "
                                                         "of this time was written\n")))
        << outcome.err;

    // Database: the times 0, 0.5 and 1 h, each whole.
    const DatabaseState state = Inspect(folder / "r.db", 31);
    EXPECT_EQ(state.integrity, "ok");
    EXPECT_EQ(state.times, 3);
    EXPECT_EQ(state.brokenTimes, 0);

    // Time series: one line per output node and time; the times are 0, 0.5 and 1 h.
    std::istringstream series(ReadFile(folder / "out" / "river time series.csv"));
    std::vector<std::string> times;
    for (std::string line; std::getline(series, line);)
        if (line.rfind(",,", 0) == 0) times.push_back(line.substr(2, line.find(',', 2) - 2));
    EXPECT_EQ(times, (std::vector<std::string>{"0.0000000000", "0.5000000000", "1.0000000000"}));
    const std::string snapshot = ReadFile(folder / "out" / "river snapshot.csv");
    EXPECT_NE(snapshot.find("Model time:  1.000000\n"), std::string::npos);
    EXPECT_EQ(snapshot.find("Model time:  1.500000\n"), std::string::npos);
    EXPECT_EQ(snapshot.find("nan"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "out" / "river - 1.00 hrs.vqX"));
    EXPECT_FALSE(fs::exists(folder / "out" / "river - 1.50 hrs.vqX"));
    EXPECT_FALSE(fs::exists(folder / "final.vqx"));
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
