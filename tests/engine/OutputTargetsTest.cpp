// Output targets: one file under two names, state-file names, and the temporary files of saves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/OutputTargets.h"

namespace {

namespace fs = std::filesystem;

class OutputTargets : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(::testing::TempDir()) /
              ("vasquil-targets-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "sub");
        std::ofstream(dir / "model.vqx") << "model";
        fs::create_symlink("model.vqx", dir / "model-link.vqx");
        fs::create_directory_symlink("sub", dir / "sub-link");
    }
    void TearDown() override { fs::remove_all(dir); }
};

// Pairs of targets that are, or are not, one file. Paths are under the test's folder; files
// that do not exist yet, in folders that do not exist yet either, are compared by name.
TEST_F(OutputTargets, OneFileUnderTwoNames)
{
    struct Case {
        const char* a;
        int useA;
        const char* b;
        int useB;
        bool same;
    } cases[] = {
        {"sub/x.db", TargetReplaced, "sub/./x.db", TargetReplaced, true},
        {"sub/x.db", TargetReplaced, "sub-link/x.db", TargetReplaced, true},
        {"new/x.db", TargetReplaced, "new/../new/x.db", TargetReplaced, true},
        {"new/x.db", TargetReplaced, "new/y.db", TargetReplaced, false},
        {"sub/x.db", TargetReplaced, "sub/X.db", TargetReplaced, false},
        {"model-link.vqx", TargetRead, "sub/../model.vqx", TargetReplaced, true},
        {"model.vqx", TargetRead, "model-link.vqx", TargetRead, false},  // two reads never clash
        {"new", TargetFolder, "new/", TargetReplaced, true},
        {"sub", TargetFolder, "sub/x.db", TargetReplaced, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " and " + c.b);
        std::string message;
        const int code = CheckOutputTargets({{"first", dir / c.a, c.useA}, {"second", dir / c.b, c.useB}}, &message);
        EXPECT_EQ(code, c.same ? TargetSameFile : TargetOk) << message;
        if (c.same) {
            EXPECT_NE(message.find("are the same file"), std::string::npos) << message;
        }
    }
}

// A folder of timed state files reserves their names for them, and only in that folder.
TEST_F(OutputTargets, StateFileNamesAreTaken)
{
    struct Case {
        const char* file;
        bool taken;
    } cases[] = {
        {"sub/river - 1.50 hrs.vqX", true},       {"sub-link/river - 12.00 hrs.vqX", true},
        {"sub/river - 1.50 hrs.vqx", false},      {"sub/rivers - 1.50 hrs.vqX", false},
        {"river - 1.50 hrs.vqX", false},          {"sub/river snapshot.csv", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string message;
        const int code =
            CheckOutputTargets({{"state-file folder", dir / "sub", TargetFolder, "river"}, {"saved model", dir / c.file}},
                               &message);
        EXPECT_EQ(code, c.taken ? TargetSameFile : TargetOk) << message;
    }
}

// A save clears the temporaries of its target that no running process owns; a replacement
// that finds something other than a regular file at its target removes its temporary and
// leaves the target as it was.
TEST_F(OutputTargets, TemporaryFiles)
{
    long dead = 0;
    for (long pid = 4194000; pid > 100000 && dead == 0; --pid)
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) dead = pid;
    ASSERT_NE(dead, 0);
    const fs::path target = dir / "out.csv";
    const std::vector<std::string> kept = {"out.csv.tmp1", "out.csv.tmpx1", "other.csv.tmp" + std::to_string(dead)};
    for (const std::string& name : kept) std::ofstream(dir / name) << "partial";
    std::ofstream(dir / ("out.csv.tmp" + std::to_string(dead))) << "stale";
    std::ofstream(dir / ("out.csv.tmp" + std::to_string(getpid()))) << "our own, left by a failure";
    fs::create_directories(dir / ("out.csv.tmp" + std::to_string(dead + 1)));

    fs::path temporary;
    std::string message;
    std::FILE* stream = CreateTemporaryFor(target, &temporary, "time-series file", &message);
    ASSERT_NE(stream, nullptr) << message;
    EXPECT_EQ(temporary, TemporaryPathFor(target));
    std::fputs("rows", stream);
    std::fclose(stream);
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_FALSE(fs::exists(dir / ("out.csv.tmp" + std::to_string(dead))));
    EXPECT_TRUE(fs::is_directory(dir / ("out.csv.tmp" + std::to_string(dead + 1))));

    ASSERT_EQ(mkfifo(target.c_str(), 0644), 0);
    EXPECT_EQ(ReplaceWithTemporary(temporary, target, "time-series file", &message), TargetNotRegular);
    EXPECT_EQ(message, "the time-series file '" + target.string() + "' is a FIFO; only a regular file can be replaced");
    EXPECT_TRUE(fs::is_fifo(target));
    EXPECT_FALSE(fs::exists(temporary));

    fs::remove(target);
    stream = CreateTemporaryFor(target, &temporary, "time-series file", &message);
    ASSERT_NE(stream, nullptr) << message;
    std::fputs("rows", stream);
    std::fclose(stream);
    EXPECT_EQ(ReplaceWithTemporary(temporary, target, "time-series file", &message), TargetOk) << message;
    EXPECT_TRUE(fs::is_regular_file(target));
    EXPECT_FALSE(fs::exists(temporary));
}

// Holds of one process exclude each other: a refused hold names the output, holds nothing
// (not even the outputs it took before the refusal) and leaves no lock file of its own.
TEST_F(OutputTargets, HoldsExcludeEachOther)
{
    const std::vector<OutputTarget> first = {{"results database", dir / "x.db"},
                                             {"results folder", dir / "sub", TargetFolder}};
    OutputHold held;
    std::string message;
    ASSERT_EQ(held.Take(first, &message), TargetOk) << message;
    EXPECT_TRUE(OutputIsHeld(dir / "x.db", false));
    EXPECT_TRUE(OutputIsHeld(dir / "sub", true));
    EXPECT_FALSE(OutputIsHeld(dir / "y.db", false));

    struct Case {
        std::vector<OutputTarget> targets;
        const char* message;  // after the test's folder
    };
    const Case cases[] = {
        {{{"saved model", dir / "y.vqx"}, {"results database", dir / "x.db"}}, "/x.db' is in use by another run"},
        {{{"saved model", dir / "y.vqx"}, {"state-file folder", dir / "sub", TargetFolder, "river"}},
         "/sub' is in use by another run"},
    };
    for (const Case& c : cases) {
        OutputHold second;
        EXPECT_EQ(second.Take(c.targets, &message), TargetInUse);
        EXPECT_EQ(message, "the " + c.targets[1].What + " '" + dir.string() + c.message);
        EXPECT_FALSE(second.Holds());
        EXPECT_FALSE(fs::exists(LockPathFor(dir / "y.vqx"))) << "the hold taken before the refusal is released";
    }
    // Files that belong to a held output, and files only read, are not held themselves.
    OutputTarget log("results database's log", dir / "x.db-wal");
    log.Held = false;
    OutputHold others;
    EXPECT_EQ(others.Take({log, {"model file", dir / "model.vqx", TargetRead}}, &message), TargetOk) << message;
    EXPECT_FALSE(fs::exists(LockPathFor(dir / "model.vqx")));

    held.Release();
    EXPECT_FALSE(fs::exists(LockPathFor(dir / "x.db")));
    EXPECT_FALSE(fs::exists(LockPathFor(dir / "sub", true)));
    OutputHold after;
    EXPECT_EQ(after.Take(first, &message), TargetOk) << message;

    // A lock file that cannot be made is the output's own failure.
    OutputHold missing;
    EXPECT_EQ(missing.Take({{"saved model", dir / "none" / "y.vqx"}}, &message), TargetCannotWrite);
    EXPECT_EQ(message,
              "cannot write the saved model '" + (dir / "none" / "y.vqx").string() + "': No such file or directory");
}

// A process killed while it holds outputs holds them no more: its lock files stay, and the next
// hold takes them over.
TEST_F(OutputTargets, KilledHolderReleasesItsHold)
{
    const std::vector<OutputTarget> targets = {{"results database", dir / "x.db"},
                                               {"results folder", dir / "sub", TargetFolder}};
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        OutputHold hold;
        const char taken = hold.Take(targets, nullptr) == TargetOk ? 'y' : 'n';
        if (write(ready[1], &taken, 1) != 1) _exit(1);
        for (;;) pause();
    }
    close(ready[1]);
    char taken = 0;
    ASSERT_EQ(read(ready[0], &taken, 1), 1);
    close(ready[0]);
    EXPECT_EQ(taken, 'y');
    EXPECT_TRUE(OutputIsHeld(dir / "x.db", false));
    EXPECT_TRUE(OutputIsHeld(dir / "sub", true));
    std::string message;
    OutputHold refused;
    EXPECT_EQ(refused.Take(targets, &message), TargetInUse) << message;

    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(fs::exists(LockPathFor(dir / "x.db")));
    EXPECT_FALSE(OutputIsHeld(dir / "x.db", false));
    EXPECT_FALSE(OutputIsHeld(dir / "sub", true));
    OutputHold next;
    EXPECT_EQ(next.Take(targets, &message), TargetOk) << message;
}

}  // namespace
