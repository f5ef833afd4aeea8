// Output targets: kinds of file, identity of files, temporary files and appends.
#include "engine/OutputTargets.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* Nothing = "nothing";
constexpr const char* RegularFile = "a regular file";
constexpr const char* Directory = "a directory";

// The longest process id written after ".tmp" (ten digits hold any pid_t).
constexpr std::size_t MaxPidDigits = 10;

const char* KindOf(mode_t mode)
{
    if (S_ISREG(mode)) return RegularFile;
    if (S_ISDIR(mode)) return Directory;
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

void Say(std::string* message, std::string text)
{
    if (message) *message = std::move(text);
}

// Where a file is, or would be: its own device and inode when it exists, its folder's device
// and inode and its name when only the folder exists, and its canonical path in any case.
struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool folderExists = false;
    dev_t folderDevice = 0;
    ino_t folderInode = 0;
    std::string name;
    fs::path canonical;
};

Identity IdentityOf(const fs::path& path)
{
    Identity id;
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec) absolute = path;
    id.canonical = fs::weakly_canonical(absolute, ec);
    if (ec) id.canonical = absolute.lexically_normal();
    // "folder/" names the folder.
    if (!id.canonical.has_filename() && id.canonical.has_relative_path()) id.canonical = id.canonical.parent_path();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
    }
    // The folder of the resolved path: a name in it is what a state file's name is matched to.
    const fs::path folder = id.canonical.parent_path();
    id.name = id.canonical.filename().string();
    if (!folder.empty() && ::stat(folder.c_str(), &st) == 0) {
        id.folderExists = true;
        id.folderDevice = st.st_dev;
        id.folderInode = st.st_ino;
    }
    return id;
}

bool SameFile(const Identity& a, const Identity& b)
{
    if (a.canonical == b.canonical) return true;
    if (a.exists && b.exists) return a.device == b.device && a.inode == b.inode;
    if (!a.exists && !b.exists && a.folderExists && b.folderExists)
        return a.folderDevice == b.folderDevice && a.folderInode == b.folderInode && a.name == b.name;
    return false;
}

// True when the file of a lies directly in the folder of b.
bool InFolder(const Identity& file, const Identity& folder)
{
    if (file.canonical.parent_path() == folder.canonical) return true;
    return file.folderExists && folder.exists && file.folderDevice == folder.device &&
           file.folderInode == folder.inode;
}

bool IsStateFileName(const std::string& name, const std::string& stem)
{
    const std::string head = stem + " - ";
    const std::string_view tail = " hrs.vqX";
    return name.size() >= head.size() + tail.size() && name.compare(0, head.size(), head) == 0 &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

bool ProcessRuns(long process)
{
    if (process == static_cast<long>(getpid())) return false;
    if (process <= 0 || process != static_cast<long>(static_cast<pid_t>(process))) return false;
    return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
}

// Removes "<target>.tmp<digits>" files left by a failed or killed save of this process or of
// a process that no longer runs; a temporary of a running process is its save in progress.
void RemoveStaleTemporaries(const fs::path& target)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string prefix = target.filename().string() + ".tmp";
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.size() > prefix.size() + MaxPidDigits ||
            name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code kind;
        if (!fs::is_regular_file(it->symlink_status(kind)) || kind) continue;
        if (ProcessRuns(std::stol(digits))) continue;
        std::error_code ignored;
        fs::remove(it->path(), ignored);
    }
}

// Flushes a file (or a folder's entries) to disk. File systems that cannot (EINVAL) pass; a
// failure leaves errno telling why.
bool SyncToDisk(const fs::path& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

}  // namespace

const char* DescribeFileAt(const fs::path& path, int* errorNumber)
{
    if (errorNumber) *errorNumber = 0;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return KindOf(st.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) return Nothing;
    if (errorNumber) *errorNumber = errno;
    return "an unknown file";
}

int CheckOutputTarget(const fs::path& path, const std::string& what, std::string* message)
{
    int error = 0;
    const char* kind = DescribeFileAt(path, &error);
    if (error != 0) {
        Say(message, "cannot examine the " + what + " " + Quoted(path) + ": " + std::strerror(error));
        return TargetCannotExamine;
    }
    if (kind == Nothing || kind == RegularFile) return TargetOk;
    Say(message, "the " + what + " " + Quoted(path) + " is " + kind + "; only a regular file can be replaced");
    return TargetNotRegular;
}

int CheckOutputTargets(const std::vector<OutputTarget>& targets, std::string* message)
{
    for (const OutputTarget& t : targets) {
        if (t.Use == TargetReplaced) {
            if (const int code = CheckOutputTarget(t.Path, t.What, message); code != TargetOk) return code;
        } else if (t.Use == TargetFolder) {
            // A link to a folder is a fine place to write into: the folder is followed.
            std::error_code ec;
            const fs::file_status status = fs::status(t.Path, ec);
            if (fs::exists(status) && !fs::is_directory(status)) {
                int error = 0;
                Say(message, "the " + t.What + " " + Quoted(t.Path) + " is " + DescribeFileAt(t.Path, &error) +
                                 ", not a folder");
                return TargetNotRegular;
            }
        }
    }

    std::vector<Identity> ids;
    ids.reserve(targets.size());
    for (const OutputTarget& t : targets) ids.push_back(IdentityOf(t.Path));
    for (std::size_t i = 0; i < targets.size(); ++i)
        for (std::size_t j = i + 1; j < targets.size(); ++j) {
            const OutputTarget& a = targets[i];
            const OutputTarget& b = targets[j];
            if (a.Use != TargetReplaced && b.Use != TargetReplaced) continue;
            if (SameFile(ids[i], ids[j])) {
                Say(message, "the " + a.What + " " + Quoted(a.Path) + " and the " + b.What + " " + Quoted(b.Path) +
                                 " are the same file");
                return TargetSameFile;
            }
            // One is a folder with state files; the other is the written file.
            const bool aFolder = a.Use == TargetFolder;
            const OutputTarget& folder = aFolder ? a : b;
            const OutputTarget& file = aFolder ? b : a;
            const Identity& folderId = aFolder ? ids[i] : ids[j];
            const Identity& fileId = aFolder ? ids[j] : ids[i];
            if (folder.Use == TargetFolder && !folder.StateStem.empty() && InFolder(fileId, folderId) &&
                IsStateFileName(fileId.name, folder.StateStem)) {
                Say(message, "the " + file.What + " " + Quoted(file.Path) + " takes the name of a timed state file in the " +
                                 folder.What + " " + Quoted(folder.Path));
                return TargetSameFile;
            }
        }
    return TargetOk;
}

fs::path TemporaryPathFor(const fs::path& target)
{
    fs::path temporary = target;
    temporary += ".tmp" + std::to_string(static_cast<long>(getpid()));
    return temporary;
}

std::FILE* CreateTemporaryFor(const fs::path& target, fs::path* temporary, const std::string& what,
                              std::string* message, int* errorNumber)
{
    int ignored = 0;
    int& error = errorNumber ? *errorNumber : ignored;
    error = 0;
    RemoveStaleTemporaries(target);
    const fs::path path = TemporaryPathFor(target);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        Say(message, "cannot write the " + what + " " + Quoted(target) + ": " + std::strerror(error));
        return nullptr;
    }
    std::FILE* stream = ::fdopen(fd, "wb");
    if (!stream) {
        error = errno;
        ::close(fd);
        RemoveTemporary(path);
        Say(message, "cannot write the " + what + " " + Quoted(target) + ": " + std::strerror(error));
        return nullptr;
    }
    if (temporary) *temporary = path;
    return stream;
}

int ReplaceWithTemporary(const fs::path& temporary, const fs::path& target, const std::string& what,
                         std::string* message, int* errorNumber)
{
    int ignored = 0;
    int& error = errorNumber ? *errorNumber : ignored;
    error = 0;
    // The new content reaches the disk before it replaces the old one.
    if (!SyncToDisk(temporary, O_RDONLY)) {
        error = errno;
        RemoveTemporary(temporary);
        Say(message, "cannot write the " + what + " " + Quoted(target) + ": " + std::strerror(error));
        return TargetCannotWrite;
    }
    // Whatever came to stand at the target since the run began is checked again.
    if (const int code = CheckOutputTarget(target, what, message); code != TargetOk) {
        DescribeFileAt(target, &error);
        RemoveTemporary(temporary);
        return code;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        RemoveTemporary(temporary);
        Say(message, "cannot replace the " + what + " " + Quoted(target) + ": " + std::strerror(error));
        return TargetCannotWrite;
    }
    SyncToDisk(target.has_parent_path() ? target.parent_path() : fs::path("."), O_RDONLY | O_DIRECTORY);
    return TargetOk;
}

void RemoveTemporary(const fs::path& temporary)
{
    if (temporary.empty()) return;
    std::error_code ignored;
    fs::remove(temporary, ignored);
}

std::FILE* OpenForAppend(const fs::path& target, const std::string& what, std::string* message)
{
    if (CheckOutputTarget(target, what, message) != TargetOk) return nullptr;
    // O_NOFOLLOW and O_NONBLOCK keep a link or a FIFO put there since the check from being
    // followed or waited on; the descriptor is checked for a regular file once more.
    const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (CheckOutputTarget(target, what, message) == TargetOk)
            Say(message, "cannot write the " + what + " " + Quoted(target) + ": " + std::strerror(error));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Say(message, "the " + what + " " + Quoted(target) + " is " + KindOf(st.st_mode) +
                         "; only a regular file can be replaced");
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, O_WRONLY | O_APPEND);
    std::FILE* stream = ::fdopen(fd, "ab");
    if (!stream) {
        const int error = errno;
        ::close(fd);
        Say(message, "cannot write the " + what + " " + Quoted(target) + ": " + std::strerror(error));
    }
    return stream;
}

namespace {

// A hold is taken again when the lock file it locked was replaced meanwhile (removed by the
// hold that released it): a few rounds settle any race of starting runs.
constexpr int LockRounds = 8;

// The lock file inside a held folder.
constexpr const char* FolderLockName = ".vasquil-outputs.lock";

// An open-file-description lock on the whole file: it belongs to the open file, not to the
// process, so two holds of one process exclude each other too, and it is released when the
// file is closed or the process ends.
struct flock WholeFile(short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

// Locks fd for writing without waiting: 0, or the errno (EAGAIN when another holder has it).
int LockWithoutWaiting(int fd)
{
    struct flock lock = WholeFile(F_WRLCK);
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        if (errno != EINTR) return errno == EACCES ? EAGAIN : errno;
    }
    return 0;
}

bool SameInode(int fd, const fs::path& path)
{
    struct stat open = {};
    struct stat named = {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

std::string InUse(const OutputTarget& target)
{
    return "the " + target.What + " " + Quoted(target.Path) + " is in use by another run";
}

// The lock file cannot be made where the output goes: the output could not be written either.
std::string CannotLock(const OutputTarget& target, int error)
{
    return std::string(target.Use == TargetFolder ? "cannot use the " : "cannot write the ") + target.What + " " +
           Quoted(target.Path) + ": " + std::strerror(error);
}

}  // namespace

fs::path LockPathFor(const fs::path& path, bool folder)
{
    if (folder) return path / FolderLockName;
    fs::path lock = path;
    lock += ".lock";
    return lock;
}

int OutputHold::Take(const std::vector<OutputTarget>& targets, std::string* message)
{
    Release();
    // Folders first: a refusal names the folder rather than a file in it.
    std::vector<const OutputTarget*> order;
    for (const OutputTarget& t : targets)
        if (t.Held && t.Use == TargetFolder) order.push_back(&t);
    for (const OutputTarget& t : targets)
        if (t.Held && t.Use == TargetReplaced) order.push_back(&t);
    for (const OutputTarget* held : order) {
        const OutputTarget& t = *held;
        Lock lock;
        lock.File = LockPathFor(t.Path, t.Use == TargetFolder);
        for (int round = 0; round < LockRounds && lock.Descriptor < 0; ++round) {
            const int fd = ::open(lock.File.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
            if (fd < 0) {
                Say(message, CannotLock(t, errno));
                Release();
                return TargetCannotWrite;
            }
            if (const int error = LockWithoutWaiting(fd); error != 0) {
                ::close(fd);
                Say(message, error == EAGAIN ? InUse(t) : CannotLock(t, error));
                Release();
                return error == EAGAIN ? TargetInUse : TargetCannotWrite;
            }
            // The holder before this one removes its lock file while it still holds it: a lock
            // taken on a file no longer at the path holds nothing.
            if (SameInode(fd, lock.File)) lock.Descriptor = fd;
            else ::close(fd);
        }
        if (lock.Descriptor < 0) {
            Say(message, InUse(t));
            Release();
            return TargetInUse;
        }
        Locks.push_back(lock);
    }
    return TargetOk;
}

void OutputHold::Release()
{
    // A lock file is removed while it is still locked, so that no hold taken on it from now on
    // counts.
    for (auto it = Locks.rbegin(); it != Locks.rend(); ++it) {
        ::unlink(it->File.c_str());
        ::close(it->Descriptor);
    }
    Locks.clear();
}

bool OutputIsHeld(const fs::path& path, bool folder)
{
    const fs::path file = LockPathFor(path, folder);
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock lock = WholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}
