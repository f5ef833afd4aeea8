// Models and water-quality files that cannot be opened or saved, in the program: the message
// names the path and the system's reason, the sentence about another program stands only for
// a file another run holds, and nothing is lost (the open model stays, the old file on disk
// stays byte for byte, no temporary file is left).
//
// Permissions are met as a user meets them even when the tests run as root: the capabilities
// that override them are dropped from this thread's effective set for the case (and given
// back after it). Where that does not make a read-only folder refuse a file, the permission
// cases are skipped with a note. A full disk is the file-size limit (RLIMIT_FSIZE).
#include "RunTestSupport.h"

#include "engine/OutputTargets.h"

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>

#include <csignal>
#include <cstring>

namespace {

using namespace run_test;
namespace fs = std::filesystem;

// While alive, this thread works without the capabilities that override file permissions
// (root's included); the effective set comes back whole afterwards.
class UserPermissions
{
public:
    UserPermissions()
    {
        saved_ok_ = syscall(SYS_capget, &header_, saved_) == 0;
        if (!saved_ok_) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        header_.pid = 0;
        syscall(SYS_capset, &header_, reduced);
    }
    ~UserPermissions()
    {
        if (!saved_ok_) return;
        header_.pid = 0;
        syscall(SYS_capset, &header_, saved_);
    }
    UserPermissions(const UserPermissions&) = delete;
    UserPermissions& operator=(const UserPermissions&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool saved_ok_ = false;
};

// Whether a file in a read-only folder is refused under UserPermissions here.
bool PermissionsHold(const fs::path& folder)
{
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    bool refused = false;
    {
        UserPermissions user;
        refused = !std::ofstream(folder / "probe");
    }
    fs::permissions(folder, fs::perms::owner_all);
    fs::remove_all(folder);
    return refused;
}

// While alive, a file grows to at most bytes (as on a disk with that much room): a write past
// it fails with EFBIG, SIGXFSZ ignored so that the write reports it.
class DiskRoom
{
public:
    explicit DiskRoom(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskRoom()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    DiskRoom(const DiskRoom&) = delete;
    DiskRoom& operator=(const DiskRoom&) = delete;

private:
    struct rlimit saved_ = {};
    void (*previous_)(int) = nullptr;
};

enum class Action { OpenModel, SaveModel, OpenWaterQuality, SaveWaterQuality };

// The case's file, made by its set-up: what stood there before (empty for nothing).
struct Target {
    fs::path path;
    std::string before;
};

struct FailureCase {
    const char* name;
    Action action;
    std::function<Target(const fs::path& folder)> setUp;
    std::string reason;         // the system's reason, or the whole message when inUse
    bool permissions = false;   // needs permissions that hold for this thread
    rlim_t diskRoom = 0;        // the file-size limit of a full disk, 0 for none
    bool inUse = false;         // another run holds the file
};

constexpr const char* ModelInUse = "File is currently open in another program. Close file and try again.";
constexpr const char* WaterQualityInUse =
    "The water quality file is currently open in another program. Please close the file and try again.";

Target Missing(const fs::path& folder, const char* name)
{
    return {folder / name, {}};
}

Target Existing(const fs::path& folder, const char* name, fs::perms perms)
{
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary) << "previous content\n";
    fs::permissions(path, perms);
    return {path, "previous content\n"};
}

// A file in a folder of its own with the folder's permissions.
Target InFolder(const fs::path& folder, const char* name, fs::perms perms)
{
    const fs::path inner = folder / "inner";
    fs::create_directories(inner);
    std::ofstream(inner / name, std::ios::binary) << "previous content\n";
    fs::permissions(inner, perms);
    return {inner / name, "previous content\n"};
}

class FileFailureTest : public RunTest
{
protected:
    // Carries out the case's action on path; returns the messages shown.
    std::vector<std::string> Act(Action action, const fs::path& path)
    {
        MessageBoxSink boxes;
        QuietStdout quiet;
        switch (action) {
        case Action::OpenModel: EXPECT_EQ(app_->OpenDocumentFile(path), nullptr); break;
        case Action::SaveModel: EXPECT_FALSE(Doc()->DoSave(path)); break;
        case Action::OpenWaterQuality:
            files_.answers.push_back(path);
            Command(ID_WQ_OPEN_DATA);
            break;
        case Action::SaveWaterQuality:
            files_.answers.push_back(path);
            Command(ID_WQ_SAVE_DATA);
            break;
        }
        std::vector<std::string> shown;
        for (const MessageBoxRequest& r : boxes.shown)
            if (r.text.find("Do you want to replace it?") == std::string::npos) shown.push_back(r.text);
        return shown;
    }
};

TEST_F(FileFailureTest, OpenAndSaveFailuresNameThePathAndTheSystemsReason)
{
    const bool permissionsHold = PermissionsHold(folder_ / "probe");
    if (!permissionsHold) std::cout << "[ NOTE     ] permission cases skipped: a read-only folder takes files here\n";

    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const fs::perms folderReadOnly = fs::perms::owner_read | fs::perms::owner_exec;
    const FailureCase cases[] = {
        {"missing model", Action::OpenModel, [](const fs::path& f) { return Missing(f, "river.vqx"); },
         "No such file or directory"},
        {"unreadable model", Action::OpenModel,
         [](const fs::path& f) { return Existing(f, "river.vqx", fs::perms::owner_write); }, "Permission denied", true},
        {"model in an unreadable folder", Action::OpenModel,
         [](const fs::path& f) { return InFolder(f, "river.vqx", fs::perms::none); }, "Permission denied", true},
        {"missing model another run holds", Action::OpenModel, [](const fs::path& f) { return Missing(f, "held.vqx"); },
         ModelInUse, false, 0, true},
        {"model saved into a missing folder", Action::SaveModel,
         [](const fs::path& f) { return Missing(f, "gone/river.vqx"); }, "No such file or directory"},
        {"model saved over a read-only file", Action::SaveModel,
         [=](const fs::path& f) { return Existing(f, "river.vqx", readOnly); }, "Permission denied", true},
        {"model saved into a read-only folder", Action::SaveModel,
         [=](const fs::path& f) { return InFolder(f, "river.vqx", folderReadOnly); }, "Permission denied", true},
        {"model saved onto a full disk", Action::SaveModel,
         [](const fs::path& f) { return Existing(f, "river.vqx", fs::perms::owner_all); }, "File too large", false,
         4096},
        {"model saved over a file another run holds", Action::SaveModel,
         [](const fs::path& f) { return Existing(f, "held.vqx", fs::perms::owner_all); }, ModelInUse, false, 0, true},
        {"missing water-quality file", Action::OpenWaterQuality, [](const fs::path& f) { return Missing(f, "w.nu"); },
         "No such file or directory"},
        {"unreadable water-quality file", Action::OpenWaterQuality,
         [](const fs::path& f) { return Existing(f, "w.nu", fs::perms::owner_write); }, "Permission denied", true},
        {"water-quality file saved over a read-only file", Action::SaveWaterQuality,
         [=](const fs::path& f) { return Existing(f, "w.nu", readOnly); }, "Permission denied", true},
        {"water-quality file saved into a read-only folder", Action::SaveWaterQuality,
         [=](const fs::path& f) { return InFolder(f, "w.nu", folderReadOnly); }, "Permission denied", true},
        {"water-quality file saved onto a full disk", Action::SaveWaterQuality,
         [](const fs::path& f) { return Existing(f, "w.nu", fs::perms::owner_all); }, "File too large", false, 1024},
        {"water-quality file saved over a file another run holds", Action::SaveWaterQuality,
         [](const fs::path& f) { return Existing(f, "held.nu", fs::perms::owner_all); }, WaterQualityInUse, false, 0,
         true},
    };

    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.permissions && !permissionsHold) continue;
        ASSERT_TRUE(Open(Example("sample-river.vqx")));
        const bool waterQuality = c.action == Action::OpenWaterQuality || c.action == Action::SaveWaterQuality;
        if (waterQuality) {
            files_.answers.push_back(Example("sample-river.nu"));
            QuietStdout quiet;
            Command(ID_WQ_OPEN_DATA);
            ASSERT_EQ(Doc()->WaterQualityLoaded, 1);
        }
        const fs::path caseFolder = folder_ / "case";
        fs::create_directories(caseFolder);
        const Target target = c.setUp(caseFolder);
        const CDocument* document = Doc();
        const fs::path modelPath = Doc()->GetPathName();
        const std::string modelBytes = ReadFile(modelPath);

        OutputHold hold;
        if (c.inUse) {
            std::string why;
            ASSERT_EQ(hold.Take({OutputTarget("saved model", target.path)}, &why), TargetOk) << why;
        }
        std::vector<std::string> shown;
        if (c.permissions) {
            UserPermissions user;
            shown = Act(c.action, target.path);
        } else if (c.diskRoom) {
            DiskRoom room(c.diskRoom);
            shown = Act(c.action, target.path);
        } else {
            shown = Act(c.action, target.path);
        }
        hold.Release();

        const bool open = c.action == Action::OpenModel || c.action == Action::OpenWaterQuality;
        const std::string expected =
            c.inUse ? c.reason
                    : std::string(open ? "Could not open " : "Could not save ") + target.path.string() + ": " + c.reason + ".";
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], expected);

        // The model stays open, unchanged on disk.
        EXPECT_EQ(Doc(), document);
        EXPECT_EQ(Doc()->GetPathName(), modelPath);
        EXPECT_NE(Doc()->DisplayModel, nullptr);
        EXPECT_EQ(ReadFile(modelPath), modelBytes);
        // A failed save keeps what stood at the target, and leaves no temporary file.
        if (c.action == Action::SaveWaterQuality) {
            EXPECT_EQ(Doc()->WaterQualityPath, Example("sample-river.nu"));
        }
        for (const fs::path& folder : {caseFolder, target.path.parent_path()}) {
            std::error_code ec;
            fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
            for (const auto& entry : fs::directory_iterator(folder, ec))
                EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
        }
        if (!open && !target.before.empty()) {
            fs::permissions(target.path, fs::perms::owner_read, fs::perm_options::add);
            EXPECT_EQ(ReadFile(target.path), target.before);
        }
        fs::remove_all(caseFolder);
    }
}

}  // namespace
