// Saving a model: what Save and Save As write, the two questions before them, targets that
// cannot take the file, and the File menu's enabling with and without a model.
#include "DocumentTestSupport.h"

#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "platform/TestHooks.h"

#include <chrono>

using namespace document_test;

namespace {

constexpr const char* FileTypeQuestion =
    "The current file type is not the same as the file that was opened.\n"
    "Do you want to save the file using the current file type?";
constexpr const char* NodeTableQuestion =
    "EDITS HAVE BEEN MADE TO THE NODE TABLE!\n\n"
    "Do you want to save the file without accepting the\n"
    "changes in the Node Table Editor?\n";

TEST_F(DocumentTest, SaveAsWritesAFileThatReadsAndWritesBackToTheSameBytes)
{
    for (const char* fixture : {"ft0-metric.vqx", "ft3-imperial.vqx"}) {
        SCOPED_TRACE(fixture);
        ASSERT_TRUE(Open(Copy(fixture)));
        FileDialogProvider files;
        const std::filesystem::path first = folder_ / "first";
        const std::filesystem::path second = folder_ / "second.vqx";
        files.answers = {first};
        Command(ID_FILE_SAVE_AS);
        ASSERT_EQ(files.requests.size(), 1u);
        EXPECT_EQ(files.requests[0].defaultExtension, "vqx");
        EXPECT_EQ(files.requests[0].filters.at(0), (std::pair<std::string, std::string>{"Vasquil Files (*.vqx)", "*.vqx"}));
        EXPECT_EQ(Document()->GetPathName(), folder_ / "first.vqx");
        EXPECT_EQ(Caption(), "first.vqx - Vasquil");

        ASSERT_TRUE(Open(folder_ / "first.vqx"));
        files.answers = {second};
        Command(ID_FILE_SAVE_AS);
        EXPECT_EQ(ReadBytes(second.string()), ReadBytes((folder_ / "first.vqx").string()));
        // No temporary file is left beside the saved ones.
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
        std::filesystem::remove(folder_ / "first.vqx");
        std::filesystem::remove(second);
    }
}

TEST_F(DocumentTest, SaveAsksAboutAChangedFileTypeAndPendingNodeTableEditsInThatOrder)
{
    struct Case
    {
        const char* name;
        bool typeChanged;
        bool edited;
        std::deque<int> answers;
        std::vector<std::string> asked;
        bool saved;
    };
    const Case cases[] = {
        {"nothing to ask", false, false, {}, {}, true},
        {"type kept", true, false, {IDNO}, {FileTypeQuestion}, false},
        {"type changed", true, false, {IDYES}, {FileTypeQuestion}, true},
        {"edits kept", false, true, {IDNO}, {NodeTableQuestion}, false},
        {"edits left behind", false, true, {IDYES}, {NodeTableQuestion}, true},
        {"both, No to the first", true, true, {IDNO}, {FileTypeQuestion}, false},
        {"both, No to the second", true, true, {IDYES, IDNO}, {FileTypeQuestion, NodeTableQuestion}, false},
        {"both, Yes", true, true, {IDYES, IDYES}, {FileTypeQuestion, NodeTableQuestion}, true},
    };
    for (UINT command : {ID_FILE_SAVE, ID_FILE_SAVE_AS}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (command == ID_FILE_SAVE ? " (Save)" : " (Save As)"));
            const std::filesystem::path river = Copy("ft1-metric.vqx", "river.vqx");
            ASSERT_TRUE(Open(river));
            const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
            std::filesystem::last_write_time(river, stamp);
            const std::string bytes = ReadBytes(river.string());
            CVasquilDoc* doc = Document();
            if (c.typeChanged) doc->State->FileType = 3;
            doc->NodeTableEdited = c.edited ? 1 : 0;

            MessageBoxSink boxes;
            boxes.answers = c.answers;
            FileDialogProvider files;
            files.answers = {river};  // Save As chooses the same file: the replace question is answered Yes
            Command(command);
            std::vector<std::string> asked;
            for (const MessageBoxRequest& r : boxes.shown) {
                if (r.text.find("already exists") == std::string::npos) asked.push_back(r.text);
            }
            EXPECT_EQ(asked, c.asked);
            for (const MessageBoxRequest& r : boxes.shown) EXPECT_EQ(r.buttons, MB_YESNO);
            EXPECT_EQ(files.requests.size(), c.saved && command == ID_FILE_SAVE_AS ? 1u : 0u);
            if (c.saved) {
                EXPECT_NE(std::filesystem::last_write_time(river), stamp);
                // Yes to the type question makes the current type the one to compare with.
                EXPECT_EQ(doc->State->FileTypeAsOpened, doc->State->FileType);
            } else {
                EXPECT_EQ(std::filesystem::last_write_time(river), stamp);
                EXPECT_EQ(ReadBytes(river.string()), bytes);
            }
        }
    }
}

TEST_F(DocumentTest, ATargetThatCannotTakeTheFileIsReportedAndChangesNothing)
{
    const std::filesystem::path river = Copy("ft2-metric.vqx", "river.vqx");
    ASSERT_TRUE(Open(river));
    const std::string bytes = ReadBytes(river.string());
    std::filesystem::create_directory(folder_ / "folder.vqx");
    struct Case
    {
        const char* name;
        std::filesystem::path target;
        std::string message;
    };
    const Case cases[] = {
        {"a directory", folder_ / "folder.vqx", "is a directory; only a regular file can be replaced"},
        {"a missing folder", folder_ / "missing" / "river.vqx",
         "Could not save " + (folder_ / "missing" / "river.vqx").string() + ": No such file or directory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxSink boxes;
        FileDialogProvider files;
        files.answers = {c.target};
        EXPECT_FALSE(Document()->DoSave({}));
        ASSERT_FALSE(boxes.shown.empty());
        EXPECT_NE(boxes.shown.back().text.find(c.message), std::string::npos) << boxes.shown.back().text;
        EXPECT_EQ(Document()->GetPathName(), river);
        EXPECT_EQ(Caption(), "river.vqx - Vasquil");
        EXPECT_EQ(app_->GetRecentFiles(), std::vector<std::filesystem::path>{river});
        EXPECT_TRUE(std::filesystem::is_directory(folder_ / "folder.vqx"));
        EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));
    }
    // Save in place, its folder gone meanwhile: reported, and the document keeps its file name.
    const std::filesystem::path moved = folder_ / "moved";
    std::filesystem::create_directory(moved);
    const std::filesystem::path inner = moved / "river.vqx";
    std::filesystem::copy_file(river, inner);
    ASSERT_TRUE(Open(inner));
    std::filesystem::remove_all(moved);
    MessageBoxSink boxes;
    EXPECT_FALSE(Document()->DoSave(Document()->GetPathName()));
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Document()->GetPathName(), inner);
    EXPECT_EQ(ReadBytes(river.string()), bytes);
}

TEST_F(DocumentTest, TheFileMenuFollowsWhetherAModelIsLoaded)
{
    struct Item
    {
        UINT id;
        bool withoutModel;
        bool withModel;
    };
    // Convert is always there; Load Georeferenced Map Imagery and File Type Options with a model.
    const Item items[] = {
        {ID_FILE_NEW, true, true},           {ID_FILE_OPEN, true, true},      {ID_FILE_SAVE, false, true},
        {ID_FILE_SAVE_AS, false, true},      {ConvertHecRas, true, true},     {LoadMapImagery, false, true},
        {FileTypeOptions, false, true},     {ID_DISPLAY_QW_AS_QFLUX, false, true},
    };
    QMenu* file = Frame()->GetMenu()->GetSubMenu(0)->GetQMenu();
    QMenu* view = Frame()->GetMenu()->GetSubMenu(1)->GetQMenu();
    const auto action = [&](UINT id) -> QAction* {
        for (QMenu* menu : {file, view}) {
            for (QAction* a : menu->actions()) {
                if (!a->isSeparator() && a->data().toUInt() == id) return a;
            }
        }
        return nullptr;
    };
    const auto check = [&](bool loaded) {
        emit file->aboutToShow();
        emit view->aboutToShow();
        for (const Item& item : items) {
            QAction* a = action(item.id);
            ASSERT_NE(a, nullptr) << item.id;
            EXPECT_EQ(a->isEnabled(), loaded ? item.withModel : item.withoutModel) << item.id;
        }
    };
    check(false);
    EXPECT_FALSE(action(ID_DISPLAY_QW_AS_QFLUX)->isChecked());

    ASSERT_TRUE(Open(Copy("ft0-imperial.vqx")));
    check(true);
    EXPECT_TRUE(action(ID_DISPLAY_QW_AS_QFLUX)->isChecked());  // Qflux is shown at first

    // The command flips what the views show and repaints them; its tick follows.
    const int updates = View()->updates;
    Command(ID_DISPLAY_QW_AS_QFLUX);
    EXPECT_EQ(Document()->DisplayModel->UseFluxDischarge, 0);
    EXPECT_GT(View()->updates, updates);
    emit view->aboutToShow();
    EXPECT_FALSE(action(ID_DISPLAY_QW_AS_QFLUX)->isChecked());
    Command(ID_DISPLAY_QW_AS_QFLUX);
    EXPECT_EQ(Document()->DisplayModel->UseFluxDischarge, 1);
}

}  // namespace
