#include "GuiTestSupport.h"
#include "TestDialog.h"
#include "TestResources.h"

#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/TestHooks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <clocale>
#include <cmath>
#include <optional>
#include <string>

namespace {

using namespace TestIds;

// One typed field: where, what, and what the exchange must give.
struct Input
{
    int field;
    const char* text;
    std::optional<double> value;  // nullopt: refused
};

const Input Inputs[] = {
    {TimeStep, "0.5", 0.5},
    {TimeStep, "  0.5\t", 0.5},
    {TimeStep, "+3", 3.0},
    {TimeStep, "-2.5e-3", -2.5e-3},
    {TimeStep, ".5", 0.5},
    {TimeStep, "1e308", 1e308},
    {TimeStep, "1,5", std::nullopt},
    {TimeStep, "nan", std::nullopt},
    {TimeStep, "inf", std::nullopt},
    {TimeStep, "-Infinity", std::nullopt},
    {TimeStep, "1e999", std::nullopt},
    {TimeStep, "", std::nullopt},
    {TimeStep, "   ", std::nullopt},
    {TimeStep, "0.5h", std::nullopt},
    {TimeStep, "0x10", std::nullopt},
    {TimeStep, "++1", std::nullopt},
    {MaxIterations, "12", 12},
    {MaxIterations, " -7 ", -7},
    {MaxIterations, "2147483647", 2147483647.0},
    {MaxIterations, "2147483648", std::nullopt},
    {MaxIterations, "1.5", std::nullopt},
    {MaxIterations, "1e2", std::nullopt},
};

class DataExchangeTest : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        RegisterTestResources();
        // The process locale (a comma-decimal one in the second run) must not matter.
        savedLocale_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, GetParam())) GTEST_SKIP() << GetParam() << " is not installed";
        QLocale::setDefault(QLocale(QString::fromLatin1(GetParam()).section(u'.', 0, 0)));
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, savedLocale_.c_str());
        std::setlocale(LC_NUMERIC, "C");
        QLocale::setDefault(QLocale::c());
    }

private:
    std::string savedLocale_;
};

}  // namespace

TEST_P(DataExchangeTest, TypedFieldsParseOrStopTheExchangeAtTheFirstBadOne)
{
    for (const Input& input : Inputs) {
        SCOPED_TRACE(std::string("\"") + input.text + "\" in " + std::to_string(input.field));
        MessageBoxSink sink;
        RunTestDialog dialog;
        ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.GetWidget()));
        dialog.GetDlgItem(PresentTime)->SetWindowText("5");
        dialog.GetDlgItem(input.field)->SetWindowText(input.text);
        dialog.GetDlgItem(Theta)->SetWindowText("0.9");  // a later field, also changed
        const bool ok = dialog.UpdateData(TRUE) != FALSE;

        EXPECT_EQ(dialog.present, 5.0);  // earlier members are taken in any case
        if (input.value) {
            EXPECT_TRUE(ok);
            EXPECT_TRUE(sink.shown.empty());
            EXPECT_EQ(input.field == TimeStep ? dialog.step : double(dialog.iterations), *input.value);
            EXPECT_EQ(dialog.theta, 0.9);
            continue;
        }
        EXPECT_FALSE(ok);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, input.field == TimeStep ? "Enter a number." : "Enter an integer.");
        EXPECT_EQ(sink.shown[0].buttons, MB_OK);
        EXPECT_EQ(sink.shown[0].icon, MB_ICONEXCLAMATION);
        // The field keeps the focus with its text selected; it and every later member are unchanged.
        auto* edit = qobject_cast<QLineEdit*>(dialog.GetDlgItem(input.field)->GetWidget());
        EXPECT_EQ(QApplication::focusWidget(), edit);
        EXPECT_EQ(edit->selectedText(), edit->text());
        EXPECT_EQ(dialog.step, 0.25);
        EXPECT_EQ(dialog.iterations, 20);
        if (input.field == TimeStep) {
            EXPECT_EQ(dialog.theta, 0.6);
        }
    }
}

TEST_P(DataExchangeTest, NumbersAreShownInTheCLocale)
{
    RunTestDialog dialog;
    dialog.step = 1234.5;
    dialog.theta = 1.0 / 3.0;
    dialog.iterations = -42;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    EXPECT_EQ(dialog.GetDlgItem(TimeStep)->GetWindowText(), "1234.5");
    EXPECT_EQ(dialog.GetDlgItem(Theta)->GetWindowText(), "0.333333333333333");  // "%.15g"
    EXPECT_EQ(dialog.GetDlgItem(MaxIterations)->GetWindowText(), "-42");
}

INSTANTIATE_TEST_SUITE_P(Locales, DataExchangeTest, ::testing::Values("C", "de_DE.UTF-8"),
                         [](const auto& param) { return std::string(param.param[0] == 'C' ? "C" : "de_DE"); });

TEST(DataExchange, AFieldTheUserDidNotChangeKeepsItsMembersExactValue)
{
    RegisterTestResources();
    RunTestDialog dialog;
    dialog.theta = 0.1 + 0.2;  // 0.30000000000000004, shown as "0.3"
    dialog.step = 1.0 / 3.0;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    ASSERT_EQ(dialog.GetDlgItem(Theta)->GetWindowText(), "0.3");
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.theta, 0.1 + 0.2);
    EXPECT_EQ(dialog.step, 1.0 / 3.0);

    dialog.GetDlgItem(Theta)->SetWindowText("0.3");  // typed again: still the shown text
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.theta, 0.1 + 0.2);
    dialog.GetDlgItem(Theta)->SetWindowText("0.30");  // a change: the typed value
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.theta, 0.3);
}

TEST(DataExchange, ChecksRadioGroupsListsAndTextsGoBothWays)
{
    RegisterTestResources();
    RunTestDialog dialog;
    dialog.path = "C:\\Runs\\r\xE9sultat.csv";  // Windows-1252 e acute
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    // Loaded: nothing ticked, no radio, no list item (-1), the path as written.
    EXPECT_EQ(static_cast<CButton*>(dialog.GetDlgItem(Hydrodynamics))->GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(static_cast<CButton*>(dialog.GetDlgItem(ParameterChart))->GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(static_cast<CButton*>(dialog.GetDlgItem(ElevationChart))->GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(static_cast<CComboBox*>(dialog.GetDlgItem(Interval))->GetCurSel(), CB_ERR);

    struct Round
    {
        int hydrodynamics;
        int chartKind;
        int interval;
    };
    for (const Round& r : {Round{1, 1, 4}, Round{0, 0, 0}, Round{1, -1, -1}}) {
        dialog.hydrodynamics = r.hydrodynamics;
        dialog.chartKind = r.chartKind;
        dialog.interval = r.interval;
        ASSERT_TRUE(dialog.UpdateData(FALSE));
        dialog.hydrodynamics = dialog.chartKind = dialog.interval = 99;
        ASSERT_TRUE(dialog.UpdateData(TRUE));
        EXPECT_EQ(dialog.hydrodynamics, r.hydrodynamics);
        EXPECT_EQ(dialog.chartKind, r.chartKind);
        EXPECT_EQ(dialog.interval, r.interval);
    }
    dialog.path.clear();
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.path, "C:\\Runs\\r\xE9sultat.csv");

    // A list index beyond the list selects nothing.
    dialog.interval = 9;
    ASSERT_TRUE(dialog.UpdateData(FALSE));
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.interval, -1);
}

namespace {

class ListTextDialog : public CDialog
{
public:
    ListTextDialog() : CDialog(TestIds::RunDialog) {}
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, Interval, list);
        DDX_CBString(pDX, Interval, text);
    }
    CComboBox list;
    std::string text;
};

}  // namespace

TEST(DataExchange, AListTextSelectsTheFirstItemItStartsAndAControlMemberTakesTheControl)
{
    RegisterTestResources();
    ListTextDialog dialog;
    dialog.text = "15 MIN";
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    EXPECT_EQ(dialog.GetDlgItem(Interval), &dialog.list);
    EXPECT_EQ(dialog.list.GetCurSel(), 3);
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.text, "15 minutes");
    dialog.text = "2 hours";  // no item starts so: nothing selected, and "" read back
    ASSERT_TRUE(dialog.UpdateData(FALSE));
    EXPECT_EQ(dialog.list.GetCurSel(), CB_ERR);
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(dialog.text, "");
    // The member loses the control with the window, and takes the new one.
    ASSERT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.list.GetSafeHwnd(), nullptr);
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    EXPECT_EQ(dialog.GetDlgItem(Interval), &dialog.list);
}
