// The save question in the program, as a user meets it: for New, Open, a dropped file and
// closing, after a run and after a settings change (and for a model left as it was opened),
// each answer's outcome on the document and on the model file.
#include "RunTestSupport.h"

#include "engine/OutputTargets.h"
#include "resources/GlobalSettingsDialog.h"

namespace {

using namespace run_test;
namespace fs = std::filesystem;

constexpr const char* Question = "Save changes to river.vqx?";
constexpr const char* CloseQuestion = "Are you sure you want to close Vasquil?";
constexpr const char* InUse = "File is currently open in another program. Close file and try again.";

enum class Change { None, Run, Settings };
enum class Answer { Yes, No, Cancel, YesSaveFails };
enum class Action { New, Open, Drop, Close };

const char* NameOf(Change c)
{
    return c == Change::None ? "unmodified" : c == Change::Run ? "after a run" : "after a settings change";
}
const char* NameOf(Answer a)
{
    switch (a) {
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    case Answer::Cancel: return "Cancel";
    default: return "Yes, the save fails";
    }
}
const char* NameOf(Action a)
{
    switch (a) {
    case Action::New: return "New";
    case Action::Open: return "Open";
    case Action::Drop: return "a dropped file";
    default: return "closing";
    }
}

class SaveQuestionTest : public RunTest
{
protected:
    void TearDown() override
    {
        if (app_ && Doc()) Doc()->SetModifiedFlag(FALSE);
        RunTest::TearDown();
    }
    // The program started again after it closed, as SetUp starts it.
    void Restart()
    {
        app_.reset();
        ProcessEvents();
        app_ = std::make_unique<CVasquilApp>(&CPlaceholderView::Runtime);
        about_.scripts.push_back([](CDialog& about) { static_cast<CButton*>(about.GetDlgItem(IDOK))->Click(); });
        ASSERT_TRUE(app_->InitInstance());
    }
    // Makes the change a user makes to the open model.
    void Make(Change change)
    {
        if (change == Change::Run) {
            CRunSteadyDlg* dialog = Steady();
            Type(dialog, IDC_STEADY_FINAL_STEP, "2");
            Press(dialog, IDC_RUN_BUTTON);
            ASSERT_TRUE(WaitForEnd(dialog));
            Press(dialog, IDCANCEL);
        } else if (change == Change::Settings) {
            ModalDialogInterceptor settings;
            settings.scripts.push_back([](CDialog& dialog) {
                Type(&dialog, IDC_GS_UPWINDING, Text(&dialog, IDC_GS_UPWINDING) == "0.7" ? "0.6" : "0.7");
                Press(&dialog, IDOK);
            });
            MessageBoxSink boxes;
            Command(ID_SIMULATION_GLOBAL_SETTINGS);
            EXPECT_TRUE(boxes.shown.empty());
        }
    }
};

TEST_F(SaveQuestionTest, EachAnswerForEachWayTheModelIsReplacedOrClosed)
{
    struct Case {
        Change change;
        Answer answer;
    };
    std::vector<Case> cases = {{Change::None, Answer::No}};
    for (Change change : {Change::Run, Change::Settings})
        for (Answer answer : {Answer::Yes, Answer::No, Answer::Cancel, Answer::YesSaveFails})
            cases.push_back({change, answer});

    const fs::path other = folder_ / "other.vqx";
    fs::copy_file(Data("ft1-metric.vqx"), other);
    for (Action action : {Action::New, Action::Open, Action::Drop, Action::Close}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(NameOf(action)) + ", " + NameOf(c.change) + ", " + NameOf(c.answer));
            if (!Frame()) Restart();
            ASSERT_TRUE(Open(Example("sample-river.vqx")));
            const std::string original = ReadFile(model_);
            Make(c.change);
            const bool modified = c.change != Change::None;
            ASSERT_EQ(Doc()->IsModified(), modified);
            // What a save writes now: the new state.
            const std::string changed = modelfiles_test::WriteText();
            if (modified) {
                ASSERT_NE(changed, original);
            }
            const CVasquilDoc* document = Doc();

            OutputHold hold;  // another run holds the file: the save fails
            if (c.answer == Answer::YesSaveFails) {
                std::string why;
                ASSERT_EQ(hold.Take({OutputTarget("saved model", model_)}, &why), TargetOk) << why;
            }
            MessageBoxSink boxes;
            // The save question's answer; the close question then gets Yes, a message OK.
            if (modified) boxes.answers = {c.answer == Answer::No ? IDNO : c.answer == Answer::Cancel ? IDCANCEL : IDYES};
            ModalDialogInterceptor dialogs;  // the New File dialog, cancelled
            dialogs.scripts.push_back([](CDialog& dialog) { Press(&dialog, IDCANCEL); });
            {
                QuietStdout quiet;
                switch (action) {
                case Action::New: Command(ID_FILE_NEW); break;
                case Action::Open:
                    files_.answers.push_back(other);
                    Command(ID_FILE_OPEN);
                    break;
                case Action::Drop: {
                    std::vector<fs::path> dropped{other};
                    Frame()->SendMessage(WM_DROPFILES, WPARAM(&dropped), 0);
                    break;
                }
                case Action::Close: Frame()->SendMessage(WM_CLOSE); break;
                }
            }
            hold.Release();

            std::vector<std::string> shown;
            for (const MessageBoxRequest& r : boxes.shown) shown.push_back(r.text);
            const bool goesOn = c.answer == Answer::Yes || c.answer == Answer::No;
            std::vector<std::string> expected;
            if (modified) expected.push_back(Question);
            if (c.answer == Answer::YesSaveFails) expected.push_back(InUse);
            if (action == Action::Close && (goesOn || !modified)) expected.push_back(CloseQuestion);
            EXPECT_EQ(shown, expected);
            if (modified) {
                EXPECT_EQ(boxes.shown[0].buttons, UINT(MB_YESNOCANCEL));
            }

            // The file holds the new state after Yes, else what it held.
            EXPECT_EQ(ReadFile(model_), c.answer == Answer::Yes && modified ? changed : original);
            for (const auto& entry : fs::directory_iterator(folder_))
                EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();

            const bool carriedOut = goesOn || !modified;
            if (action == Action::Close) {
                EXPECT_EQ(Frame() == nullptr, carriedOut);
                if (!Frame()) continue;
            } else if (action == Action::New) {
                EXPECT_EQ(dialogs.shown.size(), carriedOut ? 1u : 0u);
            } else {
                EXPECT_EQ(Doc()->GetPathName(), carriedOut ? other : model_);
            }
            if (!carriedOut) {
                // Nothing closed or opened: the same model, still marked.
                EXPECT_EQ(Doc(), document);
                EXPECT_EQ(Doc()->GetPathName(), model_);
                EXPECT_TRUE(Doc()->IsModified());
                EXPECT_EQ(Frame()->GetWidget()->windowTitle().toStdString(), "*river.vqx - Vasquil");
                EXPECT_EQ(modelfiles_test::WriteText(), changed);
            }
            Doc()->SetModifiedFlag(FALSE);
        }
    }
}

}  // namespace
