// The hours of the run dialogs: at most seven significant digits, in fields wide enough to show
// them whole, and a field left as shown gives the run its exact value.
#include "RunTestSupport.h"

#include "app/MessageText.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"

#include <QLineEdit>

namespace {

using namespace run_test;

class RunDialogHoursTest : public RunTest
{
protected:
    // Whether the field's text fits inside it, margins and frame included.
    static bool ShownWhole(CDialog* dialog, int id, const std::string& text)
    {
        auto* edit = qobject_cast<QLineEdit*>(dialog->GetDlgItem(id)->GetWidget());
        if (!edit) return false;
        const QMargins margins = edit->textMargins();
        // A line edit keeps two pixels of its own on each side, besides its frame.
        const int room = edit->contentsRect().width() - margins.left() - margins.right() - 2 * 2 - 2 * 2;
        return edit->fontMetrics().horizontalAdvance(QString::fromStdString(text)) <= room;
    }
};

// The sample river steps by 60 s up to 300 s: 0.01666667 and 0.08333333 hours; a final time
// of 42 h 10 min is 42.16667. Left as shown, Run gives the model state its own hours to the bit;
// a value typed is taken as typed.
TEST_F(RunDialogHoursTest, TransientHoursShowSevenDigitsAndUntouchedFieldsKeepTheirBits)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    g_ModelControl.FinalTime = (42 * 60 + 10) * 60.0;
    CRunTransDlg* dialog = Transient();
    const struct {
        int id;
        const char* text;
    } shown[] = {{IDC_TRANS_PRESENT_TIME, "0"},
                 {IDC_TRANS_FINAL_TIME, "42.16667"},
                 {IDC_TRANS_TIME_STEP, "0.01666667"},
                 {IDC_TRANS_MAX_TIME_STEP, "0.08333333"}};
    for (const auto& s : shown) {
        EXPECT_EQ(Text(dialog, s.id), s.text);
        // The widest text of seven digits fits as well.
        EXPECT_TRUE(ShownWhole(dialog, s.id, "-1.234567e-05")) << s.id;
    }

    // The model state's hours as the dialog was filled from them.
    ModelState& state = *Doc()->State;
    const double finalTime = state.FinalTime, timeStep = state.DeltaT, maxTimeStep = state.MaxDeltaT;
    ASSERT_DOUBLE_EQ(finalTime, 42 + 10 / 60.0);
    dialog->StepHandledHook = [dialog](int handled) {
        if (handled == 3) dialog->Stop();
    };
    Press(dialog, IDC_RUN_BUTTON);
    EXPECT_EQ(state.FinalTime, finalTime);
    EXPECT_EQ(state.DeltaT, timeStep);
    EXPECT_EQ(state.MaxDeltaT, maxTimeStep);
    ASSERT_TRUE(WaitForEnd(dialog));
    dialog->StepHandledHook = nullptr;
    // After the steps the present time shows seven digits as well, and gives its exact value back.
    const double present = state.ModelTime;
    ASSERT_GT(present, 0.0);
    EXPECT_EQ(Text(dialog, IDC_TRANS_PRESENT_TIME), FormatText("%.7g", present));

    // A typed value is taken as typed (text typed as it was shown counts as untouched).
    Type(dialog, IDC_TRANS_MAX_TIME_STEP, "0.0833333");
    Press(dialog, IDC_RUN_BUTTON);
    EXPECT_EQ(state.ModelTime, present);
    EXPECT_EQ(state.FinalTime, finalTime);
    EXPECT_EQ(state.MaxDeltaT, 0.0833333);
    EXPECT_NE(state.MaxDeltaT, maxTimeStep);
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
}

TEST_F(RunDialogHoursTest, SteadyHoursShowSevenDigitsAndUntouchedFieldsKeepTheirBits)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    CRunSteadyDlg* dialog = Steady();
    EXPECT_EQ(Text(dialog, IDC_STEADY_TIME_STEP), "0.01666667");
    EXPECT_EQ(Text(dialog, IDC_STEADY_MAX_TIME_STEP), "0.08333333");
    for (int id : {IDC_STEADY_TIME_STEP, IDC_STEADY_MAX_TIME_STEP}) EXPECT_TRUE(ShownWhole(dialog, id, "-1.234567e-05"));
    Type(dialog, IDC_STEADY_FINAL_STEP, "1");
    const double timeStep = Doc()->State->DeltaT, maxTimeStep = Doc()->State->MaxDeltaT;
    Press(dialog, IDC_RUN_BUTTON);
    EXPECT_EQ(Doc()->State->DeltaT, timeStep);
    EXPECT_EQ(Doc()->State->MaxDeltaT, maxTimeStep);
    ASSERT_TRUE(WaitForEnd(dialog));
}

}  // namespace
