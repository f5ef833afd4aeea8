#include "app/OutputOptionsDlg.h"

#include "app/BrowseFile.h"
#include "app/MessageText.h"
#include "datalib/ResultsWriter.h"
#include "engine/OutputTargets.h"
#include "platform/Application.h"
#include "platform/CommonDialogs.h"
#include "platform/DataExchange.h"
#include "resources/OutputOptionsDialog.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// The dialog's messages, in the order "Initialize Output" checks.
constexpr const char* NoSeriesPathText = "Please select a folder and file name for the hydrograph .csv file.";
constexpr const char* NoSeriesIntervalText = "Please select a hydrograph interval.";
constexpr const char* NoSeriesVariableText = "Please select at least one variable to output to the hydrograph(s).";
constexpr const char* NoSnapshotPathText = "Please select a folder and file name for the snapshot .csv file.";
constexpr const char* NoSnapshotIntervalText = "Please select a snapshot interval.";
constexpr const char* NoSnapshotVariableText = "Please select at least one variable to output to the snapshots.";
constexpr const char* SameFileText = "Both options are assigned the same filename.\nPlease use different filenames for each option.";
constexpr const char* NoPeakPathText = "Please select a folder and file name for the peak values .csv file.";
constexpr const char* NoIceFrontPathText = "Please select a folder and file name for the ice front location .csv file.";
constexpr const char* NoIceFrontIntervalText = "Please select an ice front location interval.";
constexpr const char* NoDatabasePathText = "Please select a folder and file name for the database .db file.";
constexpr const char* NoDatabaseIntervalText = "Please select database output interval.";
constexpr const char* NoStateFolderText = "Please select a folder the Vasquil output .vqx files.";
// An output that would replace what is no regular file, or the model itself.
constexpr const char* TargetRefusedText = "Please choose another file or folder: %s.";

// Close with choices that were not initialized.
constexpr const char* UninitializedText =
    "The output choices have changed since the last \"Initialize Output\".\n\nInitialize the changed outputs "
    "before closing?";

constexpr const char* CsvFilter = "Comma delimted files (*.csv)|*.CSV|All Files|*.*||";
constexpr const char* DatabaseFilter = "SQLite database files (*.db)|*.DB|All Files|*.*||";
constexpr const char* FolderTitle = "Please select a folder for storing Vasquil files.";

// The controls each output's check box enables and disables (the time-series path keeps its
// state), and its variable check boxes.
struct OutputGroup {
    int check;
    int COutputOptionsDlg::*on;
    std::vector<int> controls;
    const int* variables;
    int variableCount;
};
const OutputGroup Groups[] = {
    {IDC_OUT_SERIES, &COutputOptionsDlg::SeriesOn,
     {IDC_OUT_SERIES_BROWSE, IDC_OUT_SERIES_LIST, IDC_OUT_SERIES_PATH_LABEL, IDC_OUT_SERIES_LIST_LABEL, IDC_OUT_SERIES_FRAME},
     IDC_OUT_SERIES_VARIABLES, int(std::size(IDC_OUT_SERIES_VARIABLES))},
    {IDC_OUT_SNAPSHOT, &COutputOptionsDlg::SnapshotOn,
     {IDC_OUT_SNAPSHOT_BROWSE, IDC_OUT_SNAPSHOT_LIST, IDC_OUT_SNAPSHOT_PATH_LABEL, IDC_OUT_SNAPSHOT_LIST_LABEL,
      IDC_OUT_SNAPSHOT_FRAME, IDC_OUT_SNAPSHOT_PATH},
     IDC_OUT_SNAPSHOT_VARIABLES, int(std::size(IDC_OUT_SNAPSHOT_VARIABLES))},
    {IDC_OUT_PEAK, &COutputOptionsDlg::PeakOn, {IDC_OUT_PEAK_BROWSE, IDC_OUT_PEAK_PATH_LABEL, IDC_OUT_PEAK_PATH}, nullptr, 0},
    {IDC_OUT_ICE_FRONT, &COutputOptionsDlg::IceFrontOn,
     {IDC_OUT_ICE_FRONT_BROWSE, IDC_OUT_ICE_FRONT_PATH_LABEL, IDC_OUT_ICE_FRONT_LIST_LABEL, IDC_OUT_ICE_FRONT_PATH,
      IDC_OUT_ICE_FRONT_LIST},
     nullptr, 0},
    {IDC_OUT_STATE_FILES, &COutputOptionsDlg::StateFilesOn,
     {IDC_OUT_STATE_FOLDER_LABEL, IDC_OUT_STATE_FOLDER, IDC_OUT_STATE_BROWSE, IDC_OUT_STATE_LIST_LABEL, IDC_OUT_STATE_LIST},
     nullptr, 0},
    {IDC_OUT_DATABASE, &COutputOptionsDlg::DatabaseOn,
     {IDC_OUT_DATABASE_BROWSE, IDC_OUT_DATABASE_PATH_LABEL, IDC_OUT_DATABASE_LIST_LABEL, IDC_OUT_DATABASE_PATH,
      IDC_OUT_DATABASE_LIST},
     nullptr, 0},
};
// The two water-quality variables of the time series.
constexpr int WaterQualityVariables[] = {IDC_OUT_SERIES_VARIABLES[16], IDC_OUT_SERIES_VARIABLES[17]};

bool AnyTicked(const int* flags, int count)
{
    for (int k = 0; k < count; ++k) {
        if (flags[k] != 0) return true;
    }
    return false;
}

}  // namespace

const CRuntimeClass COutputOptionsDlg::Runtime{"COutputOptionsDlg", &CDialog::Runtime, nullptr};

COutputOptionsDlg::COutputOptionsDlg(CWnd* parent) : CDialog(IDD_OUTPUT_OPTIONS, parent)
{
    RegisterOutputOptionsDialog();
    for (const OutputGroup& group : Groups) MapCommand(UINT(group.check), &COutputOptionsDlg::OnClickedOutput);
    MapCommand(IDC_OUT_SERIES_BROWSE, &COutputOptionsDlg::OnBrowseSeries);
    MapCommand(IDC_OUT_SNAPSHOT_BROWSE, &COutputOptionsDlg::OnBrowseSnapshot);
    MapCommand(IDC_OUT_PEAK_BROWSE, &COutputOptionsDlg::OnBrowsePeak);
    MapCommand(IDC_OUT_ICE_FRONT_BROWSE, &COutputOptionsDlg::OnBrowseIceFront);
    MapCommand(IDC_OUT_DATABASE_BROWSE, &COutputOptionsDlg::OnBrowseDatabase);
    MapCommand(IDC_OUT_STATE_BROWSE, &COutputOptionsDlg::OnBrowseOutputFolder);
}

void COutputOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_OUT_SERIES, SeriesOn);
    DDX_Text(pDX, IDC_OUT_SERIES_PATH, SeriesPath);
    DDX_CBIndex(pDX, IDC_OUT_SERIES_LIST, SeriesChoice);
    for (int k = 0; k < int(std::size(SeriesColumns)); ++k) DDX_Check(pDX, IDC_OUT_SERIES_VARIABLES[k], SeriesColumns[k]);
    DDX_Check(pDX, IDC_OUT_DATABASE, DatabaseOn);
    DDX_Text(pDX, IDC_OUT_DATABASE_PATH, DatabasePath);
    DDX_CBIndex(pDX, IDC_OUT_DATABASE_LIST, DatabaseChoice);
    DDX_Check(pDX, IDC_OUT_SNAPSHOT, SnapshotOn);
    DDX_Text(pDX, IDC_OUT_SNAPSHOT_PATH, SnapshotPath);
    DDX_CBIndex(pDX, IDC_OUT_SNAPSHOT_LIST, SnapshotChoice);
    for (int k = 0; k < int(std::size(SnapshotColumns)); ++k)
        DDX_Check(pDX, IDC_OUT_SNAPSHOT_VARIABLES[k], SnapshotColumns[k]);
    DDX_Check(pDX, IDC_OUT_PEAK, PeakOn);
    DDX_Text(pDX, IDC_OUT_PEAK_PATH, PeakPath);
    DDX_Check(pDX, IDC_OUT_ICE_FRONT, IceFrontOn);
    DDX_Text(pDX, IDC_OUT_ICE_FRONT_PATH, IceFrontPath);
    DDX_CBIndex(pDX, IDC_OUT_ICE_FRONT_LIST, IceFrontChoice);
    DDX_Check(pDX, IDC_OUT_STATE_FILES, StateFilesOn);
    DDX_Text(pDX, IDC_OUT_STATE_FOLDER, StateFolder);
    DDX_CBIndex(pDX, IDC_OUT_STATE_LIST, StateFileChoice);
}

BOOL COutputOptionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The choices as the controls give them back, to tell the user's changes by.
    UpdateData(TRUE);
    InitializedChoices = ChoicesText();
    EnableGroups();
    for (int id : WaterQualityVariables)
        if (CWnd* check = GetDlgItem(id)) check->ShowWindow(WaterQuality ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void COutputOptionsDlg::EnableGroups()
{
    for (const OutputGroup& group : Groups) {
        const BOOL on = this->*group.on ? TRUE : FALSE;
        for (int id : group.controls)
            if (CWnd* control = GetDlgItem(id)) control->EnableWindow(on);
        for (int k = 0; k < group.variableCount; ++k)
            if (CWnd* control = GetDlgItem(group.variables[k])) control->EnableWindow(on);
    }
}

void COutputOptionsDlg::OnClickedOutput()
{
    UpdateData(TRUE);
    EnableGroups();
}

void COutputOptionsDlg::BrowseFile(std::filesystem::path& path, const char* title, const char* filter,
                                   const char* extension)
{
    UpdateData(TRUE);
    BrowseSaveFile(this, title, filter, extension, path);
    UpdateData(FALSE);
}

void COutputOptionsDlg::OnBrowseSeries()
{
    BrowseFile(SeriesPath, "Save Time Series Output As", CsvFilter, "csv");
}

void COutputOptionsDlg::OnBrowseSnapshot()
{
    BrowseFile(SnapshotPath, "Save Snapshot Output As", CsvFilter, "csv");
}

void COutputOptionsDlg::OnBrowsePeak()
{
    BrowseFile(PeakPath, "Save Peak Values Output As", CsvFilter, "csv");
}

void COutputOptionsDlg::OnBrowseIceFront()
{
    BrowseFile(IceFrontPath, "Save Ice Front Location As", CsvFilter, "csv");
}

void COutputOptionsDlg::OnBrowseDatabase()
{
    BrowseFile(DatabasePath, "Save Database As", DatabaseFilter, "db");
}

void COutputOptionsDlg::OnBrowseOutputFolder()
{
    if (!StateFolder.empty()) InitialFolder = StateFolder;
    UpdateData(TRUE);
    CFolderPickerDialog dialog(InitialFolder, this);
    dialog.m_title = FolderTitle;
    if (dialog.DoModal() != IDOK || dialog.GetPathName().empty()) return;
    StateFolder = dialog.GetPathName();
    UpdateData(FALSE);
}

bool COutputOptionsDlg::Refused()
{
    const auto refuse = [](const char* text) {
        AfxMessageBox(text);
        return true;
    };
    // Whether two outputs' targets name one file (paths equal, or linked to one file).
    const auto sameFile = [](std::vector<OutputTarget> targets) {
        std::string message;
        return CheckOutputTargets(targets, &message) == TargetSameFile;
    };
    if (SeriesOn) {
        if (SeriesPath.empty()) return refuse(NoSeriesPathText);
        if (SeriesChoice < 0) return refuse(NoSeriesIntervalText);
        if (!AnyTicked(SeriesColumns, int(std::size(SeriesColumns)))) return refuse(NoSeriesVariableText);
    }
    if (SnapshotOn) {
        if (SnapshotPath.empty()) return refuse(NoSnapshotPathText);
        if (SnapshotChoice < 0) return refuse(NoSnapshotIntervalText);
        if (!AnyTicked(SnapshotColumns, int(std::size(SnapshotColumns)))) return refuse(NoSnapshotVariableText);
    }
    if (SeriesOn && SnapshotOn && sameFile({{"time-series file", SeriesPath}, {"snapshot file", SnapshotPath}}))
        return refuse(SameFileText);
    if (PeakOn && PeakPath.empty()) return refuse(NoPeakPathText);
    if (IceFrontOn) {
        if (IceFrontPath.empty()) return refuse(NoIceFrontPathText);
        if (IceFrontChoice < 0) return refuse(NoIceFrontIntervalText);
    }
    if (DatabaseOn) {
        if (DatabasePath.empty()) return refuse(NoDatabasePathText);
        if (DatabaseChoice < 0) return refuse(NoDatabaseIntervalText);
    }
    if (StateFilesOn && StateFolder.empty()) return refuse(NoStateFolderText);

    // Every output on its own and with every other: no two name one file, none replaces
    // something other than a regular file (or a folder for the model files), nor the model.
    ResultsWriter chosen(nullptr, nullptr);
    GiveChoices(chosen);
    std::vector<OutputTarget> targets = chosen.Targets(ModelPath.string());
    if (sameFile(targets)) return refuse(SameFileText);
    if (!ModelPath.empty()) targets.push_back({"model file", ModelPath, TargetRead});
    if (std::string message; CheckOutputTargets(targets, &message) != TargetOk) {
        AfxMessageBox(FormatText(TargetRefusedText, message.c_str()));
        return true;
    }
    return false;
}

namespace {

// Copies one choice: a value, a path (kept as text by the writer) or a list of column flags.
template <class To, class From>
void CopyChoice(To& to, const From& from)
{
    if constexpr (std::is_array_v<To>) {
        static_assert(std::extent_v<To> == std::extent_v<From>);
        std::copy(std::begin(from), std::end(from), to);
    } else if constexpr (std::is_same_v<To, std::string> && std::is_same_v<From, std::filesystem::path>) {
        to = from.string();
    } else {
        to = from;
    }
}

// Calls copy(the dialog's member, the writer's member) for every output choice.
template <class Dialog, class Writer, class Copy>
void ForEachChoice(Dialog& d, Writer& r, Copy copy)
{
    copy(d.SeriesOn, r.SeriesEnabled);
    copy(d.SeriesPath, r.SeriesPath);
    copy(d.SeriesChoice, r.SeriesChoice);
    copy(d.SeriesColumns, r.SeriesColumns);
    copy(d.DatabaseOn, r.DatabaseEnabled);
    copy(d.DatabasePath, r.DatabasePath);
    copy(d.DatabaseChoice, r.DatabaseChoice);
    copy(d.SnapshotOn, r.SnapshotEnabled);
    copy(d.SnapshotPath, r.SnapshotPath);
    copy(d.SnapshotChoice, r.SnapshotChoice);
    copy(d.SnapshotColumns, r.SnapshotColumns);
    copy(d.PeakOn, r.PeakEnabled);
    copy(d.PeakPath, r.PeakPath);
    copy(d.IceFrontOn, r.IceFrontEnabled);
    copy(d.IceFrontPath, r.IceFrontPath);
    copy(d.IceFrontChoice, r.IceFrontChoice);
    copy(d.StateFilesOn, r.StateFileEnabled);
    copy(d.StateFolder, r.StateFolder);
    copy(d.StateFileChoice, r.StateFileChoice);
}

}  // namespace

void COutputOptionsDlg::TakeChoices(const ResultsWriter& r)
{
    ForEachChoice(*this, r, [](auto& mine, const auto& theirs) { CopyChoice(mine, theirs); });
}

void COutputOptionsDlg::GiveChoices(ResultsWriter& r) const
{
    ForEachChoice(*this, r, [](const auto& mine, auto& theirs) { CopyChoice(theirs, mine); });
}

void COutputOptionsDlg::ClearOffOutputs()
{
    if (!SeriesOn) {
        SeriesPath.clear();
        SeriesChoice = -1;
        for (int& flag : SeriesColumns) flag = 0;
    }
    if (!SnapshotOn) {
        SnapshotPath.clear();
        SnapshotChoice = -1;
        for (int& flag : SnapshotColumns) flag = 0;
    }
    if (!PeakOn) PeakPath.clear();
    if (!IceFrontOn) {
        IceFrontPath.clear();
        IceFrontChoice = -1;
    }
    if (!DatabaseOn) {
        DatabasePath.clear();
        DatabaseChoice = -1;
    }
    // The model files' choice stays.
    if (!StateFilesOn) StateFolder.clear();
}

std::string COutputOptionsDlg::ChoicesText() const
{
    std::string text;
    const auto add = [&text](const auto& choice) {
        using Choice = std::remove_cvref_t<decltype(choice)>;
        if constexpr (std::is_array_v<Choice>) {
            for (int flag : choice) text += std::to_string(flag) + ",";
        } else if constexpr (std::is_same_v<Choice, std::filesystem::path>) {
            text += choice.string();
        } else {
            text += std::to_string(choice);
        }
        text += '\n';
    };
    ResultsWriter writer(nullptr, nullptr);
    ForEachChoice(*this, writer, [&](const auto& mine, const auto&) { add(mine); });
    return text;
}

bool COutputOptionsDlg::Initialize()
{
    UpdateData(TRUE);
    const bool passed = !Refused();
    if (passed) Accepted = 1;
    ClearOffOutputs();
    UpdateData(FALSE);
    if (!passed) return false;
    InitializedChoices = ChoicesText();
    if (InitializeOutputs)
        if (CWnd* report = GetDlgItem(IDC_OUT_REPORT)) report->SetWindowText(InitializeOutputs(*this));
    return true;
}

void COutputOptionsDlg::OnOK()
{
    Initialize();
}

void COutputOptionsDlg::OnCancel()
{
    UpdateData(TRUE);
    if (ChoicesText() != InitializedChoices) {
        const int answer = AfxMessageBox(UninitializedText, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL || (answer == IDYES && !Initialize())) return;
    }
    EndDialog(Accepted == 1 ? IDOK : IDCANCEL);
}
