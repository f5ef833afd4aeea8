// Keys typed into stock controls (a combo box, an edit) pass the PreTranslateMessage of the
// control's parents first, as key messages and typed characters; a parent that takes one keeps
// the control from seeing the key.
#include "GuiTestSupport.h"
#include "TestDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Swallows every typed 't' and 'x'; records every key message and character it is asked about.
class FilteringDialog : public RunTestDialog
{
public:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_CHAR) chars.push_back(char(pMsg->wParam));
        if (pMsg->message == WM_KEYDOWN) ++keyDowns;
        return pMsg->message == WM_CHAR && (pMsg->wParam == 't' || pMsg->wParam == 'x');
    }
    std::vector<char> chars;
    int keyDowns = 0;
};

TEST(StockKeys, ParentsTranslateTheKeysOfComboBoxesAndEditsFirst)
{
    RegisterTestResources();
    FilteringDialog dialog;
    ASSERT_TRUE(dialog.Create(TestIds::RunDialog));
    ProcessEvents();
    auto* combo = static_cast<QComboBox*>(dialog.GetDlgItem(TestIds::Interval)->GetWidget());
    combo->setFocus();
    combo->setCurrentIndex(1);
    ProcessEvents();
    QTest::keyClick(combo, 't');  // would choose "time step"
    ProcessEvents();
    EXPECT_EQ(combo->currentIndex(), 1);
    QTest::keyClick(combo, '5');  // "5 minutes" reaches the list
    ProcessEvents();
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(dialog.chars, (std::vector<char>{'t', '5'}));
    EXPECT_EQ(dialog.keyDowns, 2);

    auto* edit = static_cast<QLineEdit*>(dialog.GetDlgItem(TestIds::Theta)->GetWidget());
    edit->setFocus();
    edit->setText("0.6");
    edit->end(false);
    QTest::keyClicks(edit, "x7");
    ProcessEvents();
    EXPECT_EQ(edit->text().toStdString(), "0.67");
    dialog.DestroyWindow();
    ProcessEvents();
}

}  // namespace
