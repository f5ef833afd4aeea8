// The date-time picker of dialog templates (its format, a time in and out, a picker without a
// time) and a dialog of fixed size resized and moved by its frame rectangle.
#include "GuiTestSupport.h"

#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "platform/TestHooks.h"

#include <gtest/gtest.h>

#include <QDateTimeEdit>

namespace {

constexpr UINT PickerDialog = 9871;
constexpr int Picker = 1396;

const DialogTemplate PickerTemplates[] = {
    {.id = PickerDialog,
     .caption = "Start",
     .size = {0, 0, 200, 100},
     .style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
     .controls = {{.id = Picker, .kind = ControlKind::DateTimePicker, .rect = {10, 10, 120, 12},
                   .style = WS_VISIBLE | WS_TABSTOP}}},
};

SYSTEMTIME Time(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME t{};
    t.wYear = WORD(year);
    t.wMonth = WORD(month);
    t.wDay = WORD(day);
    t.wHour = WORD(hour);
    t.wMinute = WORD(minute);
    t.wSecond = WORD(second);
    return t;
}

class DateTimePickerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterResources({.dialogs = PickerTemplates});
        ASSERT_TRUE(dialog.Create(PickerDialog));
        picker = static_cast<CDateTimeCtrl*>(dialog.GetDlgItem(Picker));
        ASSERT_NE(picker, nullptr);
    }
    CDialog dialog;
    CDateTimeCtrl* picker = nullptr;
};

}  // namespace

TEST_F(DateTimePickerTest, ATimeGoesInAndOutInTheFormatSet)
{
    ASSERT_TRUE(picker->IsKindOf(&CDateTimeCtrl::Runtime));
    SYSTEMTIME out = Time(1, 1, 1, 0, 0, 0);
    EXPECT_EQ(picker->GetTime(&out), GDT_NONE);  // a new picker holds no time
    EXPECT_EQ(out.wYear, 1);

    ASSERT_TRUE(picker->SetFormat("yyyy/MM/dd HH:mm:ss"));
    const SYSTEMTIME in = Time(2019, 1, 31, 23, 59, 59);
    ASSERT_TRUE(picker->SetTime(&in));
    EXPECT_EQ(qobject_cast<QDateTimeEdit*>(picker->GetWidget())->text().toStdString(), "2019/01/31 23:59:59");
    ASSERT_EQ(picker->GetTime(&out), GDT_VALID);
    EXPECT_EQ(out.wYear, 2019);
    EXPECT_EQ(out.wMonth, 1);
    EXPECT_EQ(out.wDay, 31);
    EXPECT_EQ(out.wDayOfWeek, 4);  // a Thursday
    EXPECT_EQ(out.wHour, 23);
    EXPECT_EQ(out.wMinute, 59);
    EXPECT_EQ(out.wSecond, 59);

    // No time, and a date that does not exist, leave it holding none.
    EXPECT_FALSE(picker->SetTime(nullptr));
    EXPECT_EQ(picker->GetTime(&out), GDT_NONE);
    ASSERT_TRUE(picker->SetTime(&in));
    const SYSTEMTIME february30 = Time(2021, 2, 30, 0, 0, 0);
    EXPECT_FALSE(picker->SetTime(&february30));
    EXPECT_EQ(picker->GetTime(&out), GDT_NONE);
}

TEST_F(DateTimePickerTest, ADialogOfFixedSizeTakesTheSizeItIsGiven)
{
    CRect before;
    dialog.GetWindowRect(&before);
    dialog.MoveWindow(before.left, before.top, 150, 80);
    CRect after;
    dialog.GetWindowRect(&after);
    EXPECT_EQ(after.Width(), 150);
    EXPECT_EQ(after.Height(), 80);
    EXPECT_EQ(dialog.GetWidget()->minimumSize(), dialog.GetWidget()->maximumSize());
    dialog.DestroyWindow();
}
