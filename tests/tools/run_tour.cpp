// Starts vasquil on the sample river as a user would and takes the run's first steps, saving
// the screen at every stop: Output Options after "Initialize Output" (its report of what was
// made), the question of Close after a later change, and the transient dialog during a run
// past the end of the river's inflow (the line naming the series). Run it on a display (a
// virtual one under xvfb-run) to see what a user sees.
//
//   run_tour RIVER.vqx OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the run's outputs); the exit status is 0 when every
// check held and every picture was saved and shows more than a blank screen.
#include "ProgramTour.h"
#include "TourSteps.h"

#include "app/OutputOptionsDlg.h"
#include "app/RunTransDlg.h"
#include "app/VasquilApp.h"
#include "app/VasquilDoc.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "platform/DocTemplate.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "views/VasquilView.h"

#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

class RunTour : private tour_steps::TourSteps
{
public:
    RunTour(const std::filesystem::path& work, tour_steps::Observer& observer) : TourSteps(observer), work_(work) {}

    bool Run()
    {
        frame_ = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
        doc_ = frame_ ? dynamic_cast<CVasquilDoc*>(frame_->GetActiveDocument()) : nullptr;
        Expect(doc_ && doc_->Results, "a model is open");
        if (!doc_ || !doc_->Results) return false;
        Outputs();
        Transient();
        return failures_ == 0;
    }

private:
    // Output Options: the time series and the database hourly, initialized; then the snapshot
    // ticked, and Close asks (answered No).
    void Outputs()
    {
        for (const char* old : {"run-series.csv", "run.db"}) std::filesystem::remove(work_ / old);
        files_.answers = {work_ / "run-series.csv", work_ / "run.db"};
        dialogs_.scripts.push_back([this](CDialog& d) {
            Button(d, IDC_OUT_SERIES)->Click();
            Button(d, IDC_OUT_SERIES_BROWSE)->Click();
            Combo(d, IDC_OUT_SERIES_LIST)->SetCurSel(5);
            Button(d, IDC_OUT_SERIES_VARIABLES[0])->Click();
            Button(d, IDC_OUT_SERIES_VARIABLES[1])->Click();
            Button(d, IDC_OUT_DATABASE)->Click();
            Button(d, IDC_OUT_DATABASE_BROWSE)->Click();
            Combo(d, IDC_OUT_DATABASE_LIST)->SetCurSel(5);
            Button(d, IDOK)->Click();
            Expect(d.GetDlgItem(IDC_OUT_REPORT)->GetWindowText().rfind("Created the time-series file", 0) == 0,
                   "Initialize Output says what it made");
            Shot("output-options-initialized");
            Button(d, IDC_OUT_SNAPSHOT)->Click();
            boxes_.answers = {IDNO};
            Button(d, IDCANCEL)->Click();
        });
        Command(ID_SIMULATION_OUTPUT_OPTIONS);
        int questions = 0;
        for (const MessageBoxRequest& box : boxes_.shown) questions += box.buttons == UINT(MB_YESNOCANCEL) ? 1 : 0;
        Expect(questions == 1, "Close asked about the snapshot, which was not initialized");
        Expect(doc_->Results->SeriesEnabled == 1 && doc_->Results->SnapshotEnabled == 0,
               "the time series is on, the snapshot not");
    }

    // A transient run to 50 h, past the inflow's end at 48 h: the picture during the run, once
    // the dialog names the inflow.
    void Transient()
    {
        Command(ID_SIMULATION_TRANSIENT);
        CRunTransDlg* dialog = doc_->TransientDialog;
        Expect(dialog && dialog->GetSafeHwnd(), "the transient dialog is shown");
        if (!dialog || !dialog->GetSafeHwnd()) return;
        // Below the profile's upper chart, at its own size.
        CRect shown;
        dialog->GetWindowRect(&shown);
        dialog->MoveWindow(40, 800 - shown.Height() - 60, shown.Width(), shown.Height());
        Shot("run-transient-before");
        bool shot = false;
        dialog->StepHandledHook = [&](int) {
            if (shot || dialog->GetDlgItem(IDC_RUN_SERIES_ENDS)->GetWindowText().empty()) return;
            shot = true;
            Shot("run-transient-past-inflow-end");
        };
        dialog->GetDlgItem(IDC_TRANS_FINAL_TIME)->SetWindowText("50");
        Button(*dialog, IDC_RUN_BUTTON)->Click();
        QElapsedTimer timer;
        timer.start();
        while (dialog->Running && timer.elapsed() < 300000) Settle(50);
        dialog->StepHandledHook = nullptr;
        Expect(!dialog->Running, "the run ended");
        Expect(shot, "the dialog named the inflow during the run");
        Shot("run-transient-ended");
        Button(*dialog, IDCANCEL)->Click();
    }

    std::filesystem::path work_;
    CVasquilDoc* doc_ = nullptr;
    ModalDialogInterceptor dialogs_;
    FileDialogProvider files_;
    MessageBoxSink boxes_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: run_tour RIVER.vqx OUTPUT_FOLDER\n");
        return 1;
    }
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);

    return screen_tour::WalkTourOnScreen(
        argv[0], argv[1], [&](tour_steps::Observer& observer) { RunTour(screen_tour::g_folder, observer).Run(); });
}
