// The wait cursor, the message-box sink's look at a box while it waits, and the default
// extension of the file dialogs.
#include "platform/CommonDialogs.h"
#include "platform/TestHooks.h"
#include "platform/WaitCursor.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

// The shape of the cursor over the program's windows; Qt::ArrowCursor when none is set.
Qt::CursorShape Shown()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

}  // namespace

TEST(WaitCursor, ShowsWhileItLivesAndNestedOnesStack)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        CWaitCursor outer;
        EXPECT_EQ(Shown(), Qt::WaitCursor);
        {
            QGuiApplication::setOverrideCursor(QCursor(Qt::IBeamCursor));  // something in between
            CWaitCursor inner;
            EXPECT_EQ(Shown(), Qt::WaitCursor);
        }
        EXPECT_EQ(Shown(), Qt::IBeamCursor);
        QGuiApplication::restoreOverrideCursor();
        EXPECT_EQ(Shown(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(MessageBoxSink, LooksAtEachBoxBeforeItIsAnswered)
{
    MessageBoxSink sink;
    std::vector<std::string> seen;
    sink.onShow = [&](const MessageBoxRequest& r) {
        seen.push_back(r.text);
        EXPECT_EQ(Shown(), Qt::ArrowCursor);
    };
    sink.answers = {IDNO};
    EXPECT_EQ(ShowMessageBox(nullptr, "Go on?", "Vasquil", MB_YESNO), IDNO);
    EXPECT_EQ(seen, std::vector<std::string>{"Go on?"});
}

// The default extension completes a name typed without one; a pattern such as "g*" is no
// extension, and a file an open dialog chose keeps its name.
TEST(FileDialogs, TheDefaultExtensionCompletesOnlyANameThatLacksOne)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vasquil-extension-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "river") << "geometry";
    FileDialogProvider provider;
    struct Case
    {
        BOOL open;
        const char* extension;
        std::filesystem::path answer;
        std::filesystem::path chosen;
    };
    const Case cases[] = {
        {FALSE, "vqx", folder / "model", folder / "model.vqx"},
        {FALSE, "vqx", folder / "model.old", folder / "model.old"},
        {TRUE, "g*", folder / "river", folder / "river"},
        {TRUE, "g*", folder / "brook", folder / "brook"},
        {TRUE, "db", folder / "river", folder / "river"},
        {TRUE, "db", folder / "solution", folder / "solution.db"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.string() + " with " + c.extension);
        CFileDialog dialog(c.open, c.extension, nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST);
        provider.answers = {c.answer};
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.GetPathName(), c.chosen);
    }
    std::filesystem::remove_all(folder);
}
