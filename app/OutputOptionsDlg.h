// The Output Options dialog: which result outputs a run writes, where, how often and with
// which variables. "Initialize Output" checks the choices and, when they pass, has the
// document apply them (files and database made afresh) and shows what was made; the dialog
// stays open. Close asks first when the choices differ from those last initialized.
#pragma once

#include "platform/Dialog.h"

#include <filesystem>
#include <functional>
#include <string>

class ResultsWriter;

class COutputOptionsDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Every output off, paths empty, choices 0, variables unticked, not accepted.
    explicit COutputOptionsDlg(CWnd* parent = nullptr);

    void DoDataExchange(CDataExchange* pDX) override;
    // The controls from the members, each group enabled by its check box, and the two
    // water-quality variables shown only with water-quality data.
    BOOL OnInitDialog() override;
    // "Initialize Output" (and Enter): the choices checked in order, the first failure shown;
    // all passed, the choices are accepted and InitializeOutputs applies them, its report shown
    // in the dialog. Either way every output that is off is cleared.
    void OnOK() override;
    // Close, Escape and the close box. When the choices differ from those of the last passed
    // "Initialize Output" (or from those the dialog opened with), the question whether to
    // initialize them: Yes initializes as the button does and closes once that passed (a
    // refusal keeps the dialog open), No leaves them uninitialized, Cancel keeps the dialog
    // open. Closing ends as OK once choices were accepted, else as Cancel.
    void OnCancel() override;

    // The output check boxes: the members from the controls, the output's group by the new value.
    void OnClickedOutput();
    // Browse: the members from the controls, the file dialog of the output, the chosen path
    // stored, the controls filled again.
    void OnBrowseSeries();
    void OnBrowseSnapshot();
    void OnBrowsePeak();
    void OnBrowseIceFront();
    void OnBrowseDatabase();
    // Browse of the model files: the folder dialog.
    void OnBrowseOutputFolder();

    // The choices of each output (on, path, interval choice, variables) from the results
    // writer, and back into it.
    void TakeChoices(const ResultsWriter& results);
    void GiveChoices(ResultsWriter& results) const;

    // The model file the outputs may not replace (empty: none), given by the document.
    std::filesystem::path ModelPath;
    // Given by the document: applies accepted choices and returns what it made (or why it
    // could not), for the dialog's report line. Without it the dialog only checks.
    std::function<std::string(const COutputOptionsDlg&)> InitializeOutputs;

    int SeriesOn = 0;
    std::filesystem::path SeriesPath;
    int SeriesChoice = 0;
    int SeriesColumns[18] = {};
    int DatabaseOn = 0;
    std::filesystem::path DatabasePath;
    int DatabaseChoice = 0;
    int SnapshotOn = 0;
    std::filesystem::path SnapshotPath;
    int SnapshotChoice = 0;
    int SnapshotColumns[16] = {};
    int PeakOn = 0;
    std::filesystem::path PeakPath;
    int IceFrontOn = 0;
    std::filesystem::path IceFrontPath;
    int IceFrontChoice = 0;
    int StateFilesOn = 0;
    std::filesystem::path StateFolder;
    int StateFileChoice = 0;
    std::filesystem::path InitialFolder;
    int Accepted = 0;
    int WaterQuality = 0;

private:
    // "Initialize Output": true when the checks passed (and the choices were applied).
    bool Initialize();
    // The choices as one text, equal for equal choices.
    std::string ChoicesText() const;
    // The first check that fails, with its message shown; false when all pass.
    bool Refused();
    // Every output that is off loses its path, interval choice and variables.
    void ClearOffOutputs();
    void EnableGroups();
    void BrowseFile(std::filesystem::path& path, const char* title, const char* filter, const char* extension);

    std::string InitializedChoices;  // ChoicesText of the last passed "Initialize Output", or at opening
};
