// The chart views show the run dialogs again when they paint: the window of a given object is
// found among the top-level windows and shown; nothing else is touched.
#include "ViewsTestSupport.h"

#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "views/RunDialogWindows.h"

namespace {

using namespace views_test;

constexpr UINT ModelessTemplate = 9811;

void RegisterModelessTemplate()
{
    static const DialogTemplate dialogs[] = {
        {.id = ModelessTemplate, .caption = "Run", .size = {0, 0, 120, 60},
         .controls = {{.id = IDOK, .kind = ControlKind::PushButton, .text = "Run", .rect = {10, 10, 50, 14}}}},
    };
    static const bool registered = [] {
        RegisterResources({.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}

// A modeless dialog that, like a run dialog, keeps its window when Enter hides it.
class ModelessDialog : public CDialog
{
public:
    ModelessDialog() { RegisterModelessTemplate(); }
};

using RunDialogWindowsTest = ViewsTest;

TEST_F(RunDialogWindowsTest, TheWindowOfTheObjectShowsAgainAndNoOther)
{
    ModelessDialog shown, other;
    ASSERT_TRUE(shown.Create(ModelessTemplate, Frame()));
    ASSERT_TRUE(other.Create(ModelessTemplate, Frame()));
    shown.EndDialog(IDOK);  // Enter hides a modeless dialog
    other.EndDialog(IDOK);
    ASSERT_FALSE(shown.IsWindowVisible());

    ShowWindowOfObject(nullptr);
    ShowWindowOfObject(Doc());  // an object without a window
    EXPECT_FALSE(shown.IsWindowVisible());
    ShowWindowOfObject(&shown);
    EXPECT_TRUE(shown.IsWindowVisible());
    EXPECT_FALSE(other.IsWindowVisible());

    // A closed dialog has no window to show.
    shown.DestroyWindow();
    ShowWindowOfObject(&shown);
    EXPECT_EQ(shown.GetSafeHwnd(), nullptr);
    other.DestroyWindow();
}

}  // namespace
