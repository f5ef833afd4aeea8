#include "GuiTestSupport.h"
#include "TestDialog.h"
#include "TestResources.h"

#include "platform/DeviceContext.h"
#include "platform/Dialog.h"
#include "platform/TestHooks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

using namespace TestIds;

template <class W>
W* Control(CDialog& dialog, int id)
{
    CWnd* wnd = dialog.GetDlgItem(id);
    return wnd ? qobject_cast<W*>(wnd->GetWidget()) : nullptr;
}

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterTestResources(); }
};

}  // namespace

TEST_F(DialogTest, DialogUnitsComeFromTheDialogFontMappedToLiberationSans)
{
    RunTestDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    QWidget* window = dialog.GetWidget();
    EXPECT_EQ(QFontInfo(window->font()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(window->font().pixelSize(), 11);  // 8 points at 96 dots per inch

    // Base units measured here from the font: the mean width of the 52 letters, the height.
    const QFontMetrics fm(window->font());
    const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = (letters / 26 + 1) / 2;
    const int baseY = fm.height();
    CRect unit(0, 0, 4, 8);
    dialog.MapDialogRect(&unit);
    EXPECT_EQ(unit, CRect(0, 0, baseX, baseY));
    EXPECT_EQ(window->size(), QSize((220 * baseX + 2) / 4, (170 * baseY + 4) / 8));
    const QRect edit = dialog.GetDlgItem(TimeStep)->GetWidget()->geometry();
    EXPECT_EQ(edit, QRect((110 * baseX + 2) / 4, (46 * baseY + 4) / 8, (60 * baseX + 2) / 4, (14 * baseY + 4) / 8));
}

TEST_F(DialogTest, ControlsOfEveryKindAreBuiltFromTheTemplate)
{
    RunTestDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    EXPECT_TRUE(dialog.GetDlgItem(TimeStep)->IsKindOf(&CEdit::Runtime));
    EXPECT_TRUE(dialog.GetDlgItem(Hydrodynamics)->IsKindOf(&CButton::Runtime));
    EXPECT_TRUE(dialog.GetDlgItem(Interval)->IsKindOf(&CComboBox::Runtime));
    EXPECT_EQ(dialog.GetWidget()->windowTitle(), QStringLiteral("Run Transient"));

    // Unicode template texts are shown as written.
    EXPECT_EQ(Control<QLabel>(dialog, TimeStepLabel)->text(), QString::fromUtf8("Time Step Increment, \u0394t (hrs)"));
    EXPECT_EQ(Control<QLabel>(dialog, ThetaLabel)->text(), QString::fromUtf8("Implicitness, \u03F4"));
    // The program's single-byte texts cross the code-page helper.
    dialog.GetDlgItem(ThetaLabel)->SetWindowText("Water Temperature (\xB0" "C)");
    EXPECT_EQ(Control<QLabel>(dialog, ThetaLabel)->text(), QString::fromUtf8("Water Temperature (\u00B0C)"));
    EXPECT_EQ(dialog.GetDlgItem(ThetaLabel)->GetWindowText(), "Water Temperature (\xB0" "C)");

    auto* combo = static_cast<CComboBox*>(dialog.GetDlgItem(Interval));
    ASSERT_EQ(combo->GetCount(), 5);
    std::string item;
    combo->GetLBText(4, item);
    EXPECT_EQ(item, "1 hour");
    EXPECT_EQ(combo->FindStringExact(-1, "5 MINUTES"), 2);
    EXPECT_EQ(combo->FindStringExact(-1, "5 minute"), CB_ERR);
    EXPECT_TRUE(static_cast<CEdit*>(dialog.GetDlgItem(OutputPath))->IsReadOnly());

    // The group box lies behind the controls inside it; the picture has its image's size.
    const QList<QWidget*> stack = dialog.GetWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(stack.first(), Control<QGroupBox>(dialog, SolutionGroup));
    EXPECT_EQ(Control<QLabel>(dialog, Logo)->size(), QSize(16, 16));
}

// A read-only edit is drawn on the dialog's face colour, not on the white of a field to type
// into, whether the template or SetReadOnly made it so; made writable again it is white again.
TEST_F(DialogTest, ReadOnlyEditsLookReadOnly)
{
    RunTestDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    const QPalette around = dialog.GetWidget()->palette();
    ASSERT_NE(around.color(QPalette::Window), around.color(QPalette::Base));
    const auto base = [&](int id) { return Control<QLineEdit>(dialog, id)->palette().color(QPalette::Base); };
    EXPECT_EQ(base(OutputPath), around.color(QPalette::Window));
    EXPECT_EQ(base(TimeStep), around.color(QPalette::Base));

    auto* step = static_cast<CEdit*>(dialog.GetDlgItem(TimeStep));
    step->SetReadOnly(TRUE);
    EXPECT_TRUE(Control<QLineEdit>(dialog, TimeStep)->isReadOnly());
    EXPECT_EQ(base(TimeStep), around.color(QPalette::Window));
    step->SetReadOnly(FALSE);
    EXPECT_FALSE(Control<QLineEdit>(dialog, TimeStep)->isReadOnly());
    EXPECT_EQ(base(TimeStep), around.color(QPalette::Base));
}

TEST_F(DialogTest, ModalDialogsArePlayedByTheInterceptor)
{
    ModalDialogInterceptor interceptor;
    MessageBoxSink sink;
    RunTestDialog dialog;

    // A script types into the live dialog and presses OK: the members take the fields.
    interceptor.scripts.push_back([](CDialog& live) {
        live.GetDlgItem(TimeStep)->SetWindowText("0.5");
        static_cast<CButton*>(live.GetDlgItem(ElevationChart))->Click();
        live.SendMessage(WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.step, 0.5);
    EXPECT_EQ(dialog.chartKind, 1);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);  // the window is gone, the object stays

    // OK with a field that does not parse keeps the dialog open; then Escape cancels it.
    interceptor.scripts.push_back([](CDialog& live) {
        live.GetDlgItem(Theta)->SetWindowText("0,7");
        live.SendMessage(WM_COMMAND, IDOK, 0);
        ASSERT_NE(live.GetSafeHwnd(), nullptr);
        QTest::keyClick(live.GetWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Enter a number.");
    EXPECT_EQ(dialog.theta, 0.6);

    // Enter in an edit presses the default button (Run here), not OK; the close box cancels.
    interceptor.scripts.push_back([](CDialog& live) {
        QTest::keyClick(live.GetDlgItem(FinalTime)->GetWidget(), Qt::Key_Return);
        live.SendMessage(WM_CLOSE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.runs, 1);

    // Without a script the dialog is cancelled at once, and recorded.
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(interceptor.shown, (std::vector<UINT>(4, TestIds::RunDialog)));

    CDialog missing(MissingDialog);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(DialogTest, ControlsNotifyTheDialogOfUserActionsOnly)
{
    RunTestDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.GetWidget()));
    auto* check = static_cast<CButton*>(dialog.GetDlgItem(Hydrodynamics));
    check->SetCheck(BST_UNCHECKED);  // set by the program: no notification
    EXPECT_EQ(dialog.hydrodynamicsClicks, 0);
    QTest::mouseClick(check->GetWidget(), Qt::LeftButton);
    EXPECT_EQ(dialog.hydrodynamicsClicks, 1);
    EXPECT_EQ(check->GetCheck(), BST_CHECKED);

    auto* combo = static_cast<CComboBox*>(dialog.GetDlgItem(Interval));
    combo->SetCurSel(3);
    EXPECT_EQ(dialog.intervalChanges, 0);
    Control<QComboBox>(dialog, Interval)->activated(1);  // as when the user picks an item
    EXPECT_EQ(dialog.intervalChanges, 1);
}

TEST_F(DialogTest, AModelessDialogIsDestroyedAndCreatedAgainWithFreshControls)
{
    RunTestDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_FALSE(dialog.Create(TestIds::RunDialog));  // one window at a time
    const HWND first = dialog.GetSafeHwnd();
    dialog.GetDlgItem(TimeStep)->SetWindowText("typed");
    ASSERT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.GetDlgItem(TimeStep), nullptr);

    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    EXPECT_NE(dialog.GetSafeHwnd(), first);
    EXPECT_EQ(dialog.GetDlgItem(TimeStep)->GetWindowText(), "0.25");  // filled from the member again

    // An object that goes with its window open takes the window and its controls along.
    HWND open = nullptr;
    HWND control = nullptr;
    {
        RunTestDialog transient;
        ASSERT_TRUE(transient.Create(TestIds::RunDialog));
        open = transient.GetSafeHwnd();
        control = transient.GetDlgItem(TimeStep)->GetSafeHwnd();
    }
    ProcessEvents();
    EXPECT_EQ(CWnd::FromHandle(open), nullptr);
    EXPECT_EQ(CWnd::FromHandle(control), nullptr);
}

TEST_F(DialogTest, UpdateWindowOfADialogPaintsAWindowItsChildCoversWhollyToo)
{
    // A view on the dialog under a chart as large as the view: Qt does not paint the view.
    class CountedView : public CWnd
    {
    public:
        int paints = 0;
        void OnPaint() override
        {
            CPaintDC dc(this);
            ++paints;
        }
    };
    RunTestDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    CountedView view, cover, hidden;
    ASSERT_TRUE(view.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 60, 40), &dialog, 7001));
    ASSERT_TRUE(cover.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 60, 40), &view, 7002));
    ASSERT_TRUE(hidden.Create(nullptr, "", WS_CHILD, CRect(0, 40, 60, 40), &dialog, 7003));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.GetWidget()));
    ProcessEvents();
    const int paints = view.paints;
    const int coverPaints = cover.paints;

    view.Invalidate(FALSE);
    hidden.Invalidate(FALSE);
    dialog.UpdateWindow();
    EXPECT_EQ(view.paints, paints + 1) << "painted now, before the queue runs";
    EXPECT_EQ(cover.paints, coverPaints) << "nothing of the cover was invalid";
    EXPECT_EQ(hidden.paints, 0);
    ProcessEvents();
    EXPECT_EQ(view.paints, paints + 1) << "and once only";
}

TEST_F(DialogTest, UpdateWindowOfADialogPaintsWhatIsPendingAndNothingElse)
{
    RunTestDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.GetWidget()));
    ProcessEvents();
    PaintCounter counter;
    dialog.UpdateWindow();  // nothing invalid
    EXPECT_EQ(counter.Total(), 0);

    CWnd* edit = dialog.GetDlgItem(PresentTime);
    edit->SetWindowText("2.5");
    dialog.UpdateWindow();  // the edit's new text shows now, before the queue runs
    EXPECT_EQ(counter.paints[edit->GetWidget()], 1);
    EXPECT_EQ(counter.paints[dialog.GetDlgItem(FinalTime)->GetWidget()], 0);
    ProcessEvents();
    EXPECT_EQ(counter.paints[edit->GetWidget()], 1);
}
