#include "app/VasquilDoc.h"

#include "app/MessageText.h"
#include "app/NewFileDlg.h"
#include "app/OutputOptionsDlg.h"
#include "app/RunSteadyDlg.h"
#include "app/RunTransDlg.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/FileText.h"
#include "engine/ModelFiles.h"
#include "engine/ModelHold.h"
#include "engine/ModelSetup.h"
#include "engine/OutputTargets.h"
#include "engine/ResultsDatabase.h"
#include "platform/Application.h"
#include "platform/CmdTarget.h"
#include "platform/DocTemplate.h"
#include "platform/Text.h"
#include "resources/ResourceIds.h"

#include <QString>

#include <initializer_list>

using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;

namespace {

// The document's messages.
constexpr const char* FileInUseText = "File is currently open in another program. Close file and try again.";
constexpr const char* FileTypeChangedText =
    "The current file type is not the same as the file that was opened.\n"
    "Do you want to save the file using the current file type?";
constexpr const char* NodeTableEditedText =
    "EDITS HAVE BEEN MADE TO THE NODE TABLE!\n\n"
    "Do you want to save the file without accepting the\n"
    "changes in the Node Table Editor?\n";
// Before the reader's own reason ("File ends early in the header").
constexpr const char* RefusedModelText = "%s was not opened: it is not a model file that can be read.\n\n%s.";

// Why a save failed, by the result of the model writer; the file on disk is as it was.
struct SaveFailure
{
    int code;
    const char* text;
};
constexpr SaveFailure SaveFailures[] = {
    {WriteNoStream, FileInUseText},
    {WriteNotFinite, "The model holds a value that is not a finite number. The file was not saved."},
    {WriteIncomplete, "The model lacks data its file needs (a cross section or a series). The file was not saved."},
    {WriteFailed, "The model file could not be written. The file was not saved."},
    {WriteCloseFailed, "The model file could not be written. The file was not saved."},
    {WriteReplaceFailed, "The saved model could not replace the file. The file was not saved."},
};
// Before the reason that names the file ("the model file 'x' is a directory; ...").
constexpr const char* SaveRefusedText = "The file was not saved: %s.";

// Why a new channel's file was not made; nothing is opened then.
constexpr const char* NewNotFiniteText =
    "The channel's values give numbers too large for a model file. No file was made.";
constexpr const char* NewNotWrittenText = "The new file was not made: %s.";

// A model is neither replaced nor written while a run works on it.
constexpr const char* RunGoingText = "A run is in progress. Stop it before opening another model.";
// Before what went wrong when the output options were applied ("cannot write the ...").
constexpr const char* OutputsNotReadyText = "The outputs were not all initialized: %s.";
constexpr const char* DatabaseNotCreatedText = "the results database '%s' could not be created: %s";

// The model reader's result for a file that could not be opened at all.
constexpr int ReaderNoStream = -1;

// How messages name the file a save replaces.
constexpr const char* SavedFileWhat = "model file";

// Names the profile and hydrograph views offer, as the plot and series variables are named.
constexpr const char* IceNames[] = {"Solid Ice Thickness"};
constexpr const char* DynamicIceNames[] = {"Ice Velocity", "Surface Ice Concentration"};
constexpr const char* ThermalNames[] = {"Water Temperature", "Suspended Frazil Concentration", "Anchor Ice Thickness",
                                        "Frazil Slush Thickness", "Border Ice Fraction", "Border Ice Width",
                                        "Air Temperature", "Depth of Flow (Dw)"};
constexpr const char* NutrientNames[] = {"DO", "NH3", "NO3", "BOD", "OP", "PP"};
constexpr const char* MetalNames[] = {"Cdw", "Caw", "Css", "Cds", "Cas", "Ms"};
// Water-quality types: nutrients, heavy metals, xenobiotics.
constexpr int NutrientModel = 0;
constexpr int HeavyMetalModel = 1;
constexpr int XenobioticModel = 2;

template <std::size_t N>
void Append(std::vector<std::string>& names, const char* const (&more)[N])
{
    names.insert(names.end(), std::begin(more), std::end(more));
}

std::string FileName(const std::filesystem::path& path)
{
    return QStringToCp1252(QString::fromStdString(path.filename().string()));
}

}  // namespace

const CRuntimeClass CVasquilDoc::Runtime{"CVasquilDoc", &CDocument::Runtime, &CreateRuntimeObject<CVasquilDoc>};

CVasquilDoc::CVasquilDoc()
{
    ReleaseModel();
    ModelControl& mc = g_ModelControl;
    for (std::vector<double>* work : {&mc.ElementVector, &mc.ElementMatrix, &mc.ElementJacobianWork, &mc.ElementResidualBase})
        *work = {};
    SetModelDefaults();
    g_StepBusy.store(0, std::memory_order_release);

    MapCommand(ID_FILE_NEW, &CVasquilDoc::OnFileNew);
    MapCommand(ID_FILE_SAVE, &CVasquilDoc::OnFileSave);
    MapCommand(ID_FILE_SAVE_AS, &CVasquilDoc::OnFileSaveAs);
    MapCommand(ID_DISPLAY_QW_AS_QFLUX, &CVasquilDoc::OnDisplayQwAsQflux);
    MapCommand(ID_SIMULATION_TRANSIENT, &CVasquilDoc::OnSimulationTransient);
    MapCommand(ID_SIMULATION_STEADY, &CVasquilDoc::OnSimulationSteady);
    MapCommand(ID_SIMULATION_OUTPUT_OPTIONS, &CVasquilDoc::OnSimulationOutputOptions);
    MapUpdate(ID_FILE_NEW, &CVasquilDoc::OnUpdateFileNew);
    MapUpdate(ID_FILE_OPEN, &CVasquilDoc::OnUpdateFileOpen);
    for (UINT id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_LAST; ++id) MapUpdate(id, &CVasquilDoc::OnUpdateFileOpen);
    MapUpdate(ID_FILE_SAVE, &CVasquilDoc::OnUpdateFileSave);
    MapUpdate(ID_FILE_SAVE_AS, &CVasquilDoc::OnUpdateFileSave);
    MapUpdate(ID_DISPLAY_QW_AS_QFLUX, &CVasquilDoc::OnUpdateDisplayQwAsQflux);
    MapUpdate(ID_SIMULATION_OUTPUT_OPTIONS, &CVasquilDoc::OnUpdateIdle);
}

CVasquilDoc::~CVasquilDoc()
{
    delete TransientDialog;
    delete SteadyDialog;
    CloseResultsDatabase(RunDatabase);
    // The engine's model is this document's: nothing reads it once the document is gone.
    ReleaseModel();
}

BOOL CVasquilDoc::OnNewDocument()
{
    return CDocument::OnNewDocument() ? TRUE : FALSE;
}

BOOL CVasquilDoc::OnOpenDocument(const std::filesystem::path& path)
{
    if (IsRunning()) {
        AfxMessageBox(RunGoingText);
        return FALSE;
    }
    // The open model waits aside: a file that is refused gives it back untouched.
    HeldModel previous;
    HoldModel(&previous);
    const int code = LoadModelFile(path);
    if (code != 0) {
        const std::string reason = ModelReaderRefusal();
        RestoreHeldModel(&previous);
        AfxMessageBox(code == ReaderNoStream ? std::string(FileInUseText) : FormatText(RefusedModelText, FileName(path).c_str(), reason.c_str()));
        return FALSE;
    }
    ReleaseHeldModel(&previous);
    BuildFromEngine();
    UpdateAllViews(nullptr, 0);
    return TRUE;
}

void CVasquilDoc::BuildFromEngine()
{
    auto display = std::make_unique<VQXDisplayModel>();
    auto state = std::make_unique<ModelState>(display.get());
    state->BuildDisplayModel();
    auto results = std::make_unique<ResultsWriter>(display.get(), state.get());
    // The old writer and state go before the display model they point to.
    Results = std::move(results);
    State = std::move(state);
    DisplayModel = std::move(display);

    WorldFile.fill(0.0);
    MapImageLoaded = 0;
    PlanViewFitImage = 0;
    MapImagePath.clear();
    WorldFilePath.clear();

    // New run dialogs, without windows, for the new model.
    delete TransientDialog;
    TransientDialog = new CRunTransDlg(this);
    delete SteadyDialog;
    SteadyDialog = new CRunSteadyDlg(this);

    // Water-quality data belong to the model they were loaded over.
    WaterQualityLoaded = 0;
    WaterQualityPath.clear();

    ReachNames.clear();
    for (int reach : DisplayModel->ReachNumbers) ReachNames.push_back("Reach " + std::to_string(reach));
    BuildProfileVariableList();
    BuildOutputNodeList();
    BuildHydrographVariableList();

    ProfileViewReset = 1;
    PlanViewReset = 1;
    HydrographViewReset = 1;
    CrossSectionViewReset = 1;
    NodeTableRebuild = 1;
    NodeTableEdited = 0;
}

BOOL CVasquilDoc::OnSaveDocument(const std::filesystem::path& path)
{
    std::string reason;
    if (CheckOutputTarget(path, SavedFileWhat, &reason) != TargetOk) {
        AfxMessageBox(FormatText(SaveRefusedText, reason.c_str()));
        return FALSE;
    }
    const int code = SaveModelFile(path);
    if (code == WriteOk) return TRUE;
    for (const SaveFailure& f : SaveFailures) {
        if (f.code == code) {
            AfxMessageBox(f.text);
            return FALSE;
        }
    }
    AfxMessageBox(SaveFailures[std::size(SaveFailures) - 1].text);
    return FALSE;
}

void CVasquilDoc::BuildProfileVariableList()
{
    ProfileVariables = {"Bed Elevation", "Water Surface Elevation", "Discharge", "Water Velocity", "Froude Number"};
    AppendModelVariables(ProfileVariables, true);
}

void CVasquilDoc::BuildHydrographVariableList()
{
    HydrographVariables = {"Water Surface Elevation", "Discharge", "Water Velocity"};
    AppendModelVariables(HydrographVariables, false);
}

void CVasquilDoc::AppendModelVariables(std::vector<std::string>& names, bool zoneNumber) const
{
    const int fileType = State ? State->FileType : 0;
    if (fileType > 0) Append(names, IceNames);
    if (fileType > 1) Append(names, DynamicIceNames);
    if (fileType > 2) {
        Append(names, ThermalNames);
        if (zoneNumber) names.push_back("Atmospheric Zone Number");
    }
    if (WaterQualityLoaded != 1 || !State) return;
    if (State->WQType == NutrientModel) Append(names, NutrientNames);
    else if (State->WQType == HeavyMetalModel || State->WQType == XenobioticModel) Append(names, MetalNames);
}

void CVasquilDoc::BuildOutputNodeList()
{
    OutputNodeLabels.clear();
    if (!DisplayModel) return;
    char caption[80];
    for (VQXDisplayNode* node = DisplayModel->FirstNode(); node; node = DisplayModel->NextNode()) {
        if (node->HydroCode != 0) continue;
        node->FormatCaption(caption, DisplayModel->UnitSystem);
        OutputNodeLabels.emplace_back(caption);
    }
}

void CVasquilDoc::OnFileNew()
{
    CNewFileDlg dialog(AfxGetMainWnd());
    if (dialog.DoModal() != IDOK) return;
    std::string reason;
    const int code = SaveNewChannelModel(dialog.Path, dialog.Shape, Clock(), &reason);
    if (code == NewChannelNotFinite) {
        AfxMessageBox(NewNotFiniteText);
        return;
    }
    if (code != NewChannelOk) {
        AfxMessageBox(FormatText(NewNotWrittenText, reason.c_str()));
        return;
    }
    // Opened as File Open opens: the file becomes the document's and names the caption.
    if (CSingleDocTemplate* tmpl = GetDocTemplate()) tmpl->OpenDocumentFile(dialog.Path);
    else if (OnOpenDocument(dialog.Path)) SetPathName(dialog.Path);
}

bool CVasquilDoc::ConfirmSave()
{
    if (!State) return false;
    if (State->FileType != State->FileTypeAsOpened) {
        if (AfxMessageBox(FileTypeChangedText, MB_YESNO) != IDYES) return false;
        State->FileTypeAsOpened = State->FileType;
    }
    return !NodeTableEdited || AfxMessageBox(NodeTableEditedText, MB_YESNO) == IDYES;
}

void CVasquilDoc::OnFileSave()
{
    if (ConfirmSave()) CDocument::OnFileSave();
}

void CVasquilDoc::OnFileSaveAs()
{
    if (ConfirmSave()) CDocument::OnFileSaveAs();
}

void CVasquilDoc::OnDisplayQwAsQflux()
{
    if (DisplayModel) DisplayModel->UseFluxDischarge = DisplayModel->UseFluxDischarge ? 0 : 1;
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnSimulationTransient()
{
    CRunTransDlg* dialog = TransientDialog;
    if (!dialog || dialog->Shown || !dialog->Create(IDD_RUN_TRANSIENT, AfxGetMainWnd())) return;
    dialog->LoadFromModel();
    dialog->EnableControls();
    dialog->UpdateData(FALSE);
    dialog->Shown = 1;
    dialog->ShowRunState();
    dialog->UpdateWindow();
}

void CVasquilDoc::OnSimulationSteady()
{
    CRunSteadyDlg* dialog = SteadyDialog;
    if (!dialog || dialog->Shown || !dialog->Create(IDD_RUN_STEADY, AfxGetMainWnd())) return;
    dialog->LoadFromModel();
    dialog->UpdateData(FALSE);
    dialog->Shown = 1;
    dialog->ShowRunState();
    dialog->EnableControls();
    dialog->UpdateWindow();
}

void CVasquilDoc::OnSimulationOutputOptions()
{
    if (!Results || IsRunning()) return;
    ResultsWriter& r = *Results;
    COutputOptionsDlg dialog(AfxGetMainWnd());
    dialog.TakeChoices(r);
    dialog.WaterQuality = WaterQualityLoaded;
    dialog.InitialFolder = GetPathName().parent_path();
    dialog.ModelPath = GetPathName();
    if (dialog.DoModal() != IDOK) return;
    dialog.GiveChoices(r);

    std::string failure;
    if (r.WriteHeaders(GetPathName().string(), WaterQualityPath.string()) != ResultsOk)
        failure = r.FailureText.empty() ? std::string("a result file could not be written") : r.FailureText;
    // The database anew with an empty table (the thermal columns when thermal ice is on).
    if (std::string error; r.DatabaseEnabled == 1 && CreateResultsDatabase(r.DatabasePath.c_str(), &error) != 0 &&
                           failure.empty())
        failure = FormatText(DatabaseNotCreatedText, r.DatabasePath.c_str(), error.c_str());

    // The intervals: a choice of "time step" writes after every step and shortens no step.
    struct Schedule {
        int choice;
        int& everyStep;
        double& interval;
    };
    const Schedule schedules[] = {
        {r.SeriesChoice, r.SeriesEveryStep, State->SeriesInterval},
        {r.SnapshotChoice, r.SnapshotEveryStep, State->SnapshotInterval},
        {r.IceFrontChoice, r.IceFrontEveryStep, State->IceFrontInterval},
        {r.StateFileChoice, r.StateFileEveryStep, State->StateFileInterval},
        {r.DatabaseChoice, r.DatabaseEveryStep, State->DatabaseInterval},
    };
    for (const Schedule& s : schedules) {
        s.everyStep = s.choice == 0 ? 1 : 0;
        s.interval = ResultsWriter::OutputIntervalHours(s.choice);
    }
    OutputOptionsChanged = 1;
    if (!failure.empty()) AfxMessageBox(FormatText(OutputsNotReadyText, failure.c_str()));
}

bool CVasquilDoc::IsRunning() const
{
    return (TransientDialog && TransientDialog->Running) || (SteadyDialog && SteadyDialog->Running);
}

void CVasquilDoc::StopRuns()
{
    for (CRunDialog* dialog : {static_cast<CRunDialog*>(TransientDialog), static_cast<CRunDialog*>(SteadyDialog)})
        if (dialog) dialog->StopAndWait();
}

void CVasquilDoc::OnUpdateFileNew(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsRunning());
}

void CVasquilDoc::OnUpdateFileOpen(CCmdUI* pCmdUI)
{
    if (IsRunning()) {
        pCmdUI->Enable(FALSE);
        return;
    }
    // The recent files: the application lists them in place of the first entry.
    if (pCmdUI->m_nID == ID_FILE_MRU_FILE1) {
        if (CWinApp* app = AfxGetApp()) app->OnUpdateRecentFileMenu(pCmdUI);
        return;
    }
    pCmdUI->Enable(TRUE);
}

void CVasquilDoc::OnUpdateFileSave(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr && !IsRunning());
}

void CVasquilDoc::OnUpdateIdle(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr && TransientDialog && SteadyDialog && !IsRunning());
}

void CVasquilDoc::OnUpdateDisplayQwAsQflux(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr);
    pCmdUI->SetCheck(DisplayModel && DisplayModel->UseFluxDischarge == 1 ? 1 : 0);
}
