// Output targets: what an output may replace, whether two outputs (or an output and the model
// being read) name one file, and the replacing of a file through a temporary file beside it.
//
// Only a regular file, or nothing, is ever replaced or appended to: a directory, a symbolic
// link, a device, a FIFO or a socket at an output's path is refused and left as it is. Two
// paths name one file when they resolve to the same canonical path, or, where the file exists,
// to the same device and inode (hard links, bind mounts); a file that does not exist yet is
// known by its folder's device and inode and its name.
//
// Messages name the output and its path, as "the results database 'x.db' is a directory; only
// a regular file can be replaced"; they carry no line end.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

enum OutputTargetCode {
    TargetOk = 0,
    TargetNotRegular = 1,     // something other than a regular file (or a folder) stands at the path
    TargetSameFile = 2,       // two targets name one file
    TargetCannotExamine = 3,  // the path cannot be examined (permission, name too long, ...)
    TargetCannotWrite = 4,    // a file could not be created, written, flushed or renamed
    TargetInUse = 5,          // another run (or another hold in this process) holds the output
};

// How a target is used.
enum OutputTargetUse {
    TargetReplaced = 0,  // a file that is written: created, replaced or appended to
    TargetRead = 1,      // a file that is read and never written (the model of a run)
    TargetFolder = 2,    // a folder that outputs are written into (created when missing)
};

struct OutputTarget {
    std::string What;  // names the output in messages: "results database", "saved model", ...
    std::filesystem::path Path;
    int Use = TargetReplaced;
    // TargetFolder: when not empty, the folder receives timed state files named
    // "<StateStem> - <hours> hrs.vqX", and no other target may take such a name in it.
    std::string StateStem;
    // Whether OutputHold holds the target for the run: every written file and folder but the
    // files that belong to another target (the logs beside a database).
    bool Held = true;

    OutputTarget(std::string what, std::filesystem::path path, int use = TargetReplaced, std::string stateStem = {})
        : What(std::move(what)), Path(std::move(path)), Use(use), StateStem(std::move(stateStem))
    {
    }
};

// What stands at path, without following a final symbolic link: "nothing", "a regular file",
// "a directory", "a symbolic link", "a character device", "a block device", "a FIFO",
// "a socket" or "a special file". A path that cannot be examined gives "an unknown file" and
// its errno in errorNumber (0 otherwise). A path under something that is no folder is "nothing".
const char* DescribeFileAt(const std::filesystem::path& path, int* errorNumber = nullptr);

// TargetOk when nothing or a regular file stands at path; otherwise TargetNotRegular or
// TargetCannotExamine with message saying why.
int CheckOutputTarget(const std::filesystem::path& path, const std::string& what, std::string* message);

// Checks every target on its own (written files: nothing or a regular file; folders: nothing or
// a directory), then every pair of targets of which at least one is written: the same file
// under two names, a file that is an output folder, or a file that takes the name of a timed
// state file in its folder. Returns the first failure with message set, or TargetOk; nothing
// is touched either way.
int CheckOutputTargets(const std::vector<OutputTarget>& targets, std::string* message);

// Name of the temporary file that replaces target: "<target>.tmp<process id>" beside it.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& target);

// Creates the temporary file of target, new and empty, and opens it for binary writing, after
// removing stale temporaries of target (regular files "<target>.tmp<digits>" of this process or
// of a process that no longer runs). Returns the stream with temporary set, or null with
// message set, the system's error number in errorNumber (when given) and nothing created.
std::FILE* CreateTemporaryFor(const std::filesystem::path& target, std::filesystem::path* temporary,
                              const std::string& what, std::string* message, int* errorNumber = nullptr);

// Puts the complete, closed temporary file in the place of target: the temporary is flushed to
// disk, then renamed over target when a regular file or nothing still stands there. The
// temporary is gone afterwards whatever the outcome, and a failure leaves target as it was.
// Returns TargetOk, or TargetNotRegular, TargetCannotExamine or TargetCannotWrite with message set;
// errorNumber (when given) receives the system's error number of a failed examination, flush or
// rename, and 0 otherwise.
int ReplaceWithTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target,
                         const std::string& what, std::string* message, int* errorNumber = nullptr);

// Removes a temporary file; a failure is ignored (the next save of its target clears it).
void RemoveTemporary(const std::filesystem::path& temporary);

// Opens target for appending, creating it when nothing stands there; never follows a final
// symbolic link and never waits for a FIFO's reader. Returns null with message set when
// something other than a regular file stands there or the file cannot be opened.
std::FILE* OpenForAppend(const std::filesystem::path& target, const std::string& what, std::string* message);

// The exclusive hold of a run on its outputs, so that no second run (nor a second hold in this
// process) writes into them at the same time. An output is held through an advisory lock on
// its lock file (see LockPathFor), made for the hold and removed when it is released. The
// kernel releases the locks when the process ends in any way, so a killed run leaves at most a
// lock file that holds nothing, and the next hold takes it over.
class OutputHold
{
public:
    OutputHold() = default;
    OutputHold(const OutputHold&) = delete;
    OutputHold& operator=(const OutputHold&) = delete;
    ~OutputHold() { Release(); }

    // Takes the lock of every target that is Held and written (TargetReplaced or TargetFolder;
    // a folder must exist), the folders first. Returns TargetOk holding them all, or TargetInUse ("the results
    // database 'x.db' is in use by another run") or TargetCannotWrite with message set, holding
    // none of them (and none of those held before).
    int Take(const std::vector<OutputTarget>& targets, std::string* message);
    // Releases every lock and removes the lock files; holding nothing is fine.
    void Release();
    bool Holds() const { return !Locks.empty(); }

private:
    struct Lock {
        int Descriptor = -1;
        std::filesystem::path File;  // the lock file to remove, empty for a folder
    };
    std::vector<Lock> Locks;
};

// The lock file of a held output: "<file>.lock" beside a file, ".vasquil-outputs.lock" in a
// folder.
std::filesystem::path LockPathFor(const std::filesystem::path& path, bool folder = false);

// True when the output at path is held (by another process or another hold of this process)
// at this moment; folder tells a folder's hold from a file's. Nothing is created, changed or
// locked, so the probe never disturbs a hold being taken.
bool OutputIsHeld(const std::filesystem::path& path, bool folder);
