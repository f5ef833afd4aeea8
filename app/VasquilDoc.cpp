#include "app/VasquilDoc.h"

#include "app/EditBridgingEventsDlg.h"
#include "app/EditManningsDlg.h"
#include "app/FileOptionsDlg.h"
#include "app/GlobalSettingsDlg.h"
#include "app/LoadMapImageryDlg.h"
#include "app/MapImagery.h"
#include "app/MessageText.h"
#include "app/NewFileDlg.h"
#include "app/OutputOptionsDlg.h"
#include "app/RunSteadyDlg.h"
#include "app/RunTransDlg.h"
#include "app/RunTransWQDlg.h"
#include "app/WQGlobalSettingsDlg.h"
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
#include "engine/WaterQualityFile.h"
#include "platform/Application.h"
#include "platform/CmdTarget.h"
#include "platform/CommonDialogs.h"
#include "platform/DocTemplate.h"
#include "platform/Text.h"
#include "resources/ResourceIds.h"

#include <QString>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>

using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;

namespace {

// The document's messages.
// Only for a file another run holds (its output lock): every other failure gives the
// system's reason with the path, as CannotOpenText and CannotSaveText do.
constexpr const char* FileInUseText = "File is currently open in another program. Close file and try again.";
// With the path and the system's reason ("No such file or directory").
constexpr const char* CannotOpenText = "Could not open %s: %s.";
constexpr const char* CannotSaveText = "Could not save %s: %s.";
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
    {WriteNoStream, "The model file could not be created. The file was not saved."},
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
constexpr const char* SaveDuringRunText = "A run is in progress. Stop it before saving the model.";
// Before what went wrong when the output options were applied ("cannot write the ...").
constexpr const char* OutputsNotReadyText = "The outputs were not all initialized: %s.";
constexpr const char* DatabaseNotCreatedText = "the results database '%s' could not be created: %s";
// What "Initialize Output" created, as Output Options shows it.
constexpr const char* OutputsCreatedText = "Created %s.";
constexpr const char* CreatedOutputText = "the %s '%s'";
constexpr const char* StateFolderText = "Model-state files will be written into '%s'.";
constexpr const char* NoOutputText = "No output is switched on: nothing was created.";

// Water-quality files and the solution database.
constexpr const char* WQFileInUseText =
    "The water quality file is currently open in another program. Please close the file and try again.";
// Before the reader's own reason ("WQ node row 3 gives node 7 where the model has node 3").
constexpr const char* WQNotLoadedText =
    "Water Quality file did not load correctly. Please check the file format and try again.\n\n%s.";
constexpr const char* WQOpenTitle = "Load Water Quality File";
constexpr const char* WQOpenFilter =
    "Nutrients Files (*.nu)|*.NU| Heavy Metal Files (*.hm)|*.HM| Xenobiotic Files (*.xe)|*.XE| All Files|*.*||";
constexpr const char* WQSaveTitle = "Save Water Quality File As";
// The save dialog's one filter entry, by water-quality type; the last for any other type.
struct WQFileFilter {
    const char* name;
    const char* pattern;
};
constexpr WQFileFilter WQSaveFilters[] = {
    {"Nutrients Files (*.nu)", "*.NU"},
    {"Heavy Metal Files (*.hm)", "*.HM"},
    {"Xenobiotic Files (*.xe)", "*.XE"},
    {"All Files", "*.*"},
};
constexpr const char* SavedWQWhat = "water-quality file";
// Why a water-quality save failed, by the writer's result; whatever stood there is as it was.
constexpr SaveFailure WQSaveFailures[] = {
    {WriteNoStream, "The water-quality file could not be created. The file was not saved."},
    {WriteNotFinite, "The water-quality data hold a value that is not a finite number. The file was not saved."},
    {WriteFailed, "The water-quality file could not be written. The file was not saved."},
    {WriteCloseFailed, "The water-quality file could not be written. The file was not saved."},
    {WriteReplaceFailed, "The saved water-quality data could not replace the file. The file was not saved."},
};
constexpr const char* DatabaseTitle = "Load Database";
constexpr const char* DatabaseFilter = "SQLite database files (*.db)|*.DB|All Files|*.*||";
constexpr const char* DatabaseExtension = "db";
// With SQLite's reason ("file is not a database").
constexpr const char* DatabaseNotOpenText = "Can't open database.\n\n%s: %s.";

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

// The message of a failed save, by the writer's result.
template <std::size_t N>
const char* SaveFailureText(const SaveFailure (&failures)[N], int code)
{
    for (const SaveFailure& f : failures)
        if (f.code == code) return f.text;
    return failures[N - 1].text;
}

// Opens the solution database at path read-write and reads its schema, so that a file that
// is no database is refused at once. Returns the connection, or null with reason set and
// nothing left open.
sqlite3* OpenSolutionDatabase(const std::filesystem::path& path, std::string* reason)
{
    sqlite3* db = nullptr;
    int code = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (code == SQLITE_OK) code = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) return db;
    *reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    sqlite3_close(db);
    return nullptr;
}

template <std::size_t N>
void Append(std::vector<std::string>& names, const char* const (&more)[N])
{
    names.insert(names.end(), std::begin(more), std::end(more));
}

std::string FileName(const std::filesystem::path& path)
{
    return QStringToCp1252(QString::fromStdString(path.filename().string()));
}

std::string ShownPath(const std::filesystem::path& path)
{
    return QStringToCp1252(QString::fromStdString(path.string()));
}

// The message of a file at path that could not be opened for reading with the system's
// error number error: inUseText while another run holds the file, else its path and reason.
std::string OpenFailureText(const std::filesystem::path& path, int error, const char* inUseText)
{
    if (OutputIsHeld(path, false)) return inUseText;
    return FormatText(CannotOpenText, ShownPath(path).c_str(), std::strerror(error));
}

// The message of a save at path that failed with code: the path and the system's reason when
// the system refused it, else the failure's own sentence.
template <std::size_t N>
std::string SaveFailureMessage(const std::filesystem::path& path, const SaveFailure (&failures)[N], int code)
{
    if (const int error = LastWriteError(); error != 0)
        return FormatText(CannotSaveText, ShownPath(path).c_str(), std::strerror(error));
    return SaveFailureText(failures, code);
}

// Why a file cannot be saved at path before anything is written: inUseText while another run
// holds it, the reason of a target that is no regular file or cannot be examined; empty when
// the save may go on.
std::string SaveRefusal(const std::filesystem::path& path, const char* what, const char* inUseText)
{
    if (OutputIsHeld(path, false)) return inUseText;
    std::string reason;
    const int code = CheckOutputTarget(path, what, &reason);
    if (code == TargetOk) return {};
    int error = 0;
    DescribeFileAt(path, &error);
    if (code == TargetCannotExamine && error != 0)
        return FormatText(CannotSaveText, ShownPath(path).c_str(), std::strerror(error));
    return FormatText(SaveRefusedText, reason.c_str());
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
    MapCommand(ID_FILE_CONVERT_HECRAS, &CVasquilDoc::OnFileConvertHecRasGeometry);
    MapCommand(ID_FILE_SAVE, &CVasquilDoc::OnFileSave);
    MapCommand(ID_FILE_SAVE_AS, &CVasquilDoc::OnFileSaveAs);
    MapCommand(ID_FILE_LOAD_MAP_IMAGERY, &CVasquilDoc::OnFileLoadMapImagery);
    MapCommand(ID_DISPLAY_QW_AS_QFLUX, &CVasquilDoc::OnDisplayQwAsQflux);
    MapCommand(ID_SIMULATION_TRANSIENT, &CVasquilDoc::OnSimulationTransient);
    MapCommand(ID_SIMULATION_STEADY, &CVasquilDoc::OnSimulationSteady);
    MapCommand(ID_SIMULATION_OUTPUT_OPTIONS, &CVasquilDoc::OnSimulationOutputOptions);
    MapCommand(ID_FILE_TYPE_OPTIONS, &CVasquilDoc::OnFileTypeOptions);
    MapCommand(ID_SIMULATION_GLOBAL_SETTINGS, &CVasquilDoc::OnSimulationGlobalSettings);
    MapCommand(ID_SIMULATION_EDIT_MANNINGS_N, &CVasquilDoc::OnSimulationEditManningsN);
    MapCommand(ID_SIMULATION_EDIT_BRIDGING_EVENTS, &CVasquilDoc::OnSimulationEditBridgingEvents);
    MapCommand(ID_WQ_OPEN_DATA, &CVasquilDoc::OnWaterQualityOpenData);
    MapCommand(ID_WQ_SAVE_DATA, &CVasquilDoc::OnWaterQualitySaveData);
    MapCommand(ID_WQ_TRANSIENT_SIMULATION, &CVasquilDoc::OnWaterQualityTransientSimulation);
    MapCommand(ID_WQ_LOAD_DATABASE_SOLUTION, &CVasquilDoc::OnWaterQualityLoadDatabaseSolution);
    MapCommand(ID_WQ_USE_DATABASE_SOLUTION, &CVasquilDoc::OnWaterQualityUseDatabaseSolution);
    MapCommand(ID_WQ_GLOBAL_SETTINGS, &CVasquilDoc::OnWaterQualityGlobalSettings);
    MapUpdate(ID_FILE_NEW, &CVasquilDoc::OnUpdateFileNew);
    MapUpdate(ID_FILE_OPEN, &CVasquilDoc::OnUpdateFileOpen);
    for (UINT id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_LAST; ++id) MapUpdate(id, &CVasquilDoc::OnUpdateFileOpen);
    MapUpdate(ID_FILE_SAVE, &CVasquilDoc::OnUpdateFileSave);
    MapUpdate(ID_FILE_SAVE_AS, &CVasquilDoc::OnUpdateFileSave);
    MapUpdate(ID_FILE_LOAD_MAP_IMAGERY, &CVasquilDoc::OnUpdateFileLoadMapImagery);
    MapUpdate(ID_DISPLAY_QW_AS_QFLUX, &CVasquilDoc::OnUpdateDisplayQwAsQflux);
    for (UINT id : {ID_SIMULATION_OUTPUT_OPTIONS, ID_FILE_TYPE_OPTIONS, ID_SIMULATION_GLOBAL_SETTINGS,
                    ID_SIMULATION_EDIT_MANNINGS_N})
        MapUpdate(id, &CVasquilDoc::OnUpdateIdle);
    MapUpdate(ID_SIMULATION_EDIT_BRIDGING_EVENTS, &CVasquilDoc::OnUpdateEditBridgingEvents);
    MapUpdate(ID_WQ_OPEN_DATA, &CVasquilDoc::OnUpdateWaterQualityOpenData);
    for (UINT id : {ID_WQ_SAVE_DATA, ID_WQ_LOAD_DATABASE_SOLUTION, ID_WQ_GLOBAL_SETTINGS})
        MapUpdate(id, &CVasquilDoc::OnUpdateWaterQualityLoaded);
    MapUpdate(ID_WQ_TRANSIENT_SIMULATION, &CVasquilDoc::OnUpdateWaterQualityTransientSimulation);
    MapUpdate(ID_WQ_USE_DATABASE_SOLUTION, &CVasquilDoc::OnUpdateWaterQualityUseDatabaseSolution);
}

CVasquilDoc::~CVasquilDoc()
{
    delete TransientDialog;
    delete SteadyDialog;
    delete WaterQualityDialog;
    CloseResultsDatabase(RunDatabase);
    sqlite3_close(SolutionDatabase);
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
    const int error = errno;
    if (code != ReadOk) {
        const std::string reason = ModelReaderRefusal();
        RestoreHeldModel(&previous);
        AfxMessageBox(code == ReadNoStream ? OpenFailureText(path, error, FileInUseText)
                                           : FormatText(RefusedModelText, FileName(path).c_str(), reason.c_str()));
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
    MapImage.Destroy();
    MapImageLoaded = 0;
    PlanViewFitImage = 0;
    MapImagePath.clear();
    WorldFilePath.clear();

    // New run dialogs, without windows, for the new model.
    delete TransientDialog;
    TransientDialog = new CRunTransDlg(this);
    delete SteadyDialog;
    SteadyDialog = new CRunSteadyDlg(this);
    delete WaterQualityDialog;
    WaterQualityDialog = new CRunTransWQDlg(this);

    // Water-quality data belong to the model they were loaded over.
    WaterQualityLoaded = 0;
    WaterQualityPath.clear();

    BuildReachNames();
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
    // The worker changes the engine's model between steps: a file written now would mix them.
    if (IsRunning()) {
        AfxMessageBox(SaveDuringRunText);
        return FALSE;
    }
    if (const std::string refusal = SaveRefusal(path, SavedFileWhat, FileInUseText); !refusal.empty()) {
        AfxMessageBox(refusal);
        return FALSE;
    }
    const int code = SaveModelFile(path);
    if (code == WriteOk) return TRUE;
    AfxMessageBox(SaveFailureMessage(path, SaveFailures, code));
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
    const int fileType = State ? State->FileType : FileTypeOpenWater;
    if (fileType > FileTypeOpenWater) Append(names, IceNames);
    if (fileType > FileTypeStaticIce) Append(names, DynamicIceNames);
    if (fileType > FileTypeDynamicIce) {
        Append(names, ThermalNames);
        if (zoneNumber) names.push_back("Atmospheric Zone Number");
    }
    if (WaterQualityLoaded != 1 || !State) return;
    if (State->WQType == WQNutrients) Append(names, NutrientNames);
    else if (State->WQType == WQHeavyMetals || State->WQType == WQXenobiotics) Append(names, MetalNames);
}

void CVasquilDoc::BuildReachNames()
{
    ReachNames.clear();
    if (!DisplayModel) return;
    for (int reach : DisplayModel->ReachNumbers) ReachNames.push_back("Reach " + std::to_string(reach));
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
    // Asked before the dialog, so that a cancelled question leaves no new file behind.
    if (!SaveModified()) return;
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
    if (CSingleDocTemplate* tmpl = GetDocTemplate()) {
        tmpl->OpenDocumentFile(dialog.Path, TRUE, FALSE);
    } else if (OnOpenDocument(dialog.Path)) {
        SetModifiedFlag(FALSE);
        SetPathName(dialog.Path);
    }
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

BOOL CVasquilDoc::DoFileSave()
{
    return ConfirmSave() && CDocument::DoFileSave() ? TRUE : FALSE;
}

void CVasquilDoc::OnFileLoadMapImagery()
{
    if (!DisplayModel) return;
    CLoadMapImageryDlg dialog(AfxGetMainWnd());
    dialog.ImagePath = MapImagePath;
    dialog.WorldFilePath = WorldFilePath;
    if (dialog.DoModal() != IDOK) return;
    // Both files were valid when chosen; either may have changed since.
    CImage image;
    if (FAILED(image.Load(dialog.ImagePath))) {
        AfxMessageBox(MapImageNotLoadedText);
        return;
    }
    WorldFileValues values;
    if (const int result = ReadWorldFile(dialog.WorldFilePath, &values); result != WorldFileOk) {
        AfxMessageBox(WorldFileMessage(result));
        return;
    }
    MapImagePath = dialog.ImagePath;
    WorldFilePath = dialog.WorldFilePath;
    MapImage = std::move(image);
    WorldFile = values;
    MapImageLoaded = 1;
    PlanViewFitImage = 1;
    PlanViewReset = 1;
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnDisplayQwAsQflux()
{
    if (DisplayModel) DisplayModel->UseFluxDischarge = DisplayModel->UseFluxDischarge ? 0 : 1;
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnSimulationTransient()
{
    ShowTransientDialog(TransientDialog, IDD_RUN_TRANSIENT);
}

void CVasquilDoc::OnWaterQualityTransientSimulation()
{
    if (WaterQualityLoaded == 1) ShowTransientDialog(WaterQualityDialog, IDD_RUN_TRANSIENT_WQ);
}

void CVasquilDoc::ShowTransientDialog(CRunTransDlg* dialog, UINT templateId)
{
    if (!dialog || dialog->Shown || !dialog->Create(templateId, AfxGetMainWnd())) return;
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
    COutputOptionsDlg dialog(AfxGetMainWnd());
    dialog.TakeChoices(*Results);
    dialog.WaterQuality = WaterQualityLoaded;
    dialog.InitialFolder = GetPathName().parent_path();
    dialog.ModelPath = GetPathName();
    dialog.InitializeOutputs = [this](const COutputOptionsDlg& d) { return InitializeOutputs(d); };
    dialog.DoModal();
}

std::string CVasquilDoc::InitializeOutputs(const COutputOptionsDlg& dialog)
{
    ResultsWriter& r = *Results;
    dialog.GiveChoices(r);

    std::string failure;
    // Files another run holds are left to it.
    OutputHold hold;
    if (hold.Take(r.Targets(GetPathName().string()), &failure) == TargetOk) {
        if (r.WriteHeaders(GetPathName().string(), WaterQualityPath.string()) != ResultsOk)
            failure = r.FailureText.empty() ? std::string("a result file could not be written") : r.FailureText;
        // The database anew with an empty table (the thermal columns when thermal ice is on).
        if (std::string error;
            r.DatabaseEnabled == 1 && CreateResultsDatabase(r.DatabasePath.c_str(), &error) != 0 && failure.empty())
            failure = FormatText(DatabaseNotCreatedText, r.DatabasePath.c_str(), error.c_str());
    }
    hold.Release();

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
    if (!failure.empty()) {
        const std::string text = FormatText(OutputsNotReadyText, failure.c_str());
        AfxMessageBox(text);
        return text;
    }

    // The files made afresh, in the order of the dialog.
    struct Created {
        int on;
        const char* what;
        const std::string& path;
    };
    const Created outputs[] = {
        {r.SeriesEnabled, "time-series file", r.SeriesPath},   {r.SnapshotEnabled, "snapshot file", r.SnapshotPath},
        {r.PeakEnabled, "peak file", r.PeakPath},              {r.IceFrontEnabled, "ice-front file", r.IceFrontPath},
        {r.DatabaseEnabled, "results database", r.DatabasePath},
    };
    std::vector<std::string> made;
    for (const Created& c : outputs)
        if (c.on == 1) made.push_back(FormatText(CreatedOutputText, c.what, c.path.c_str()));
    std::string report;
    for (std::size_t k = 0; k < made.size(); ++k)
        report += (k == 0 ? "" : k + 1 == made.size() ? " and " : ", ") + made[k];
    if (!report.empty()) report = FormatText(OutputsCreatedText, report.c_str());
    if (r.StateFileEnabled == 1)
        report += (report.empty() ? "" : " ") + FormatText(StateFolderText, r.StateFolder.c_str());
    return report.empty() ? NoOutputText : report;
}

void CVasquilDoc::OnFileTypeOptions()
{
    if (!State || IsRunning()) return;
    CFileOptionsDlg dialog(AfxGetMainWnd());
    dialog.FileType = State->FileType;
    if (dialog.DoModal() != IDOK || dialog.FileType == State->FileType) return;
    ChangeFileType(dialog.FileType);
}

void CVasquilDoc::ChangeFileType(int fileType)
{
    ModelState& s = *State;
    s.FileType = fileType;
    s.HydrodynamicsOn = 1;
    s.DynamicIceOn = fileType == FileTypeDynamicIce ? 1 : 0;
    s.ThermalIceOn = fileType == FileTypeThermalIce ? 1 : 0;
    if (fileType == FileTypeThermalIce) {
        // A thermal model needs a zone and an event; one that had more (before it was taken to
        // another type) gets them back as they were.
        s.PullGlobalSettings();
        if (s.ZoneCount == 0) s.ZoneCount = 1;
        if (s.EventCount == 0) s.EventCount = 1;
        s.PushGlobalSettings();
        s.RefreshNodeResults();
        DisplayModel->AttachNodeZones();
        LinkNodesToZones();
    }
    ModelControl& mc = g_ModelControl;
    mc.FileType = s.FileType;
    mc.HydrodynamicsOn = s.HydrodynamicsOn;
    mc.DynamicIceOn = s.DynamicIceOn;
    mc.ThermalIceOn = s.ThermalIceOn;
    mc.WaterQualityOn = s.WaterQualityOn;
    s.UpdateSolutionCaption();
    SetModifiedFlag(TRUE);
    NodeTableRebuild = 1;
    PlanViewReset = 1;
    ProfileViewReset = 1;
    // The hydrograph's variables follow the file type as the profile's do.
    HydrographViewReset = 1;
    BuildProfileVariableList();
    BuildHydrographVariableList();
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnSimulationGlobalSettings()
{
    if (!State || IsRunning()) return;
    ModelState& s = *State;
    s.PullGlobalSettings();
    CGlobalSettingsDlg dialog(AfxGetMainWnd());
    dialog.TakeSettings(s);
    if (dialog.DoModal() != IDOK) return;
    const int units = s.UnitSystem;
    dialog.GiveSettings(s);
    if (s.UnitSystem != units) {
        // The display's events are in the old units: the engine takes the new units with the
        // counts it has, the display is read again in the new units, and only then do the
        // counts change (a new count writes the display's events into the engine).
        const int zones = s.ZoneCount;
        const int events = s.EventCount;
        s.ZoneCount = g_ModelControl.AtmosphericZoneCount;
        s.EventCount = g_ModelControl.BridgingEventCount;
        s.PushGlobalSettings();
        DisplayModel->UnitSystem = s.UnitSystem;
        s.RefreshNodeGeometry();
        s.RefreshBoundarySeries();
        s.RefreshBridgingEvents();
        s.ZoneCount = zones;
        s.EventCount = events;
        PlanViewReset = 1;
        CrossSectionViewReset = 1;
        NodeTableRebuild = 1;
    }
    s.PushGlobalSettings();
    s.PushRunSettings();
    s.RefreshNodeResults();
    SetModifiedFlag(TRUE);
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnSimulationEditManningsN()
{
    if (!State || IsRunning()) return;
    CEditManningsDlg dialog(DisplayModel.get(), State.get(), AfxGetMainWnd());
    if (dialog.DoModal() != IDOK) return;
    SetModifiedFlag(TRUE);
    CrossSectionViewReset = 1;
    NodeTableRebuild = 1;
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnSimulationEditBridgingEvents()
{
    if (!State || IsRunning() || State->FileType != FileTypeThermalIce) return;
    CEditBridgingEventsDlg dialog(DisplayModel.get(), State.get(), AfxGetMainWnd());
    if (dialog.DoModal() != IDOK) return;
    SetModifiedFlag(TRUE);
    PlanViewReset = 1;
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::ShowRunDialogs(int command)
{
    for (CRunDialog* dialog : {static_cast<CRunDialog*>(TransientDialog), static_cast<CRunDialog*>(SteadyDialog)}) {
        if (dialog && dialog->Shown) dialog->ShowWindow(command);
    }
}

bool CVasquilDoc::IsRunning() const
{
    return (TransientDialog && TransientDialog->Running) || (SteadyDialog && SteadyDialog->Running) ||
           (WaterQualityDialog && WaterQualityDialog->Running);
}

void CVasquilDoc::StopRuns()
{
    for (CRunDialog* dialog : {static_cast<CRunDialog*>(TransientDialog), static_cast<CRunDialog*>(SteadyDialog),
                               static_cast<CRunDialog*>(WaterQualityDialog)})
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

void CVasquilDoc::OnUpdateFileLoadMapImagery(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr);
}

void CVasquilDoc::OnUpdateIdle(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr && TransientDialog && SteadyDialog && !IsRunning());
}

void CVasquilDoc::OnUpdateEditBridgingEvents(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr && TransientDialog && SteadyDialog && !IsRunning() && State &&
                   State->FileType == FileTypeThermalIce);
}

void CVasquilDoc::OnUpdateDisplayQwAsQflux(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr);
    pCmdUI->SetCheck(DisplayModel && DisplayModel->UseFluxDischarge == 1 ? 1 : 0);
}

void CVasquilDoc::OnWaterQualityOpenData()
{
    if (!State || IsRunning()) return;
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, WQOpenFilter,
                       AfxGetMainWnd());
    dialog.m_title = WQOpenTitle;
    if (dialog.DoModal() != IDOK) return;
    const std::filesystem::path path = dialog.GetPathName();
    const int code = LoadWQFile(path);
    const int error = errno;
    if (code != WQReadOk) {
        // The engine holds no water-quality data after a failed load: neither does the document.
        const std::string reason = WQReaderRefusal();
        ForgetWaterQuality();
        AfxMessageBox(code == WQReadNoStream ? OpenFailureText(path, error, WQFileInUseText)
                                             : FormatText(WQNotLoadedText, reason.c_str()));
        return;
    }
    WaterQualityLoaded = 1;
    WaterQualityPath = path;
    State->WQLoaded = 1;
    State->PullWaterQualitySettings();
    State->RefreshNodeResults();
    State->RefreshBoundarySeries();
    WaterQualityChanged();
}

void CVasquilDoc::ForgetWaterQuality()
{
    if (WaterQualityDialog && WaterQualityDialog->Shown) WaterQualityDialog->OnCancel();
    WaterQualityLoaded = 0;
    WaterQualityPath.clear();
    State->WQLoaded = 0;
    State->PullWaterQualitySettings();
    State->PullRunSettings();
    State->RefreshNodeResults();
    State->RefreshBoundarySeries();
    WaterQualityChanged();
}

void CVasquilDoc::WaterQualityChanged()
{
    NodeTableRebuild = 1;
    PlanViewReset = 1;
    ProfileViewReset = 1;
    HydrographViewReset = 1;
    BuildProfileVariableList();
    BuildHydrographVariableList();
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnWaterQualitySaveData()
{
    if (!State || WaterQualityLoaded != 1 || IsRunning()) return;
    const std::size_t last = std::size(WQSaveFilters) - 1;
    const WQFileFilter& f = WQSaveFilters[State->WQType >= 0 && std::size_t(State->WQType) < last ? std::size_t(State->WQType) : last];
    const std::string filter = FormatText("%s|%s||", f.name, f.pattern);
    const std::string initial = WaterQualityPath.string();
    CFileDialog dialog(FALSE, nullptr, initial.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.c_str(),
                       AfxGetMainWnd());
    dialog.m_title = WQSaveTitle;
    if (dialog.DoModal() != IDOK) return;
    const std::filesystem::path path = dialog.GetPathName();
    if (const std::string refusal = SaveRefusal(path, SavedWQWhat, WQFileInUseText); !refusal.empty()) {
        AfxMessageBox(refusal);
        return;
    }
    if (const int code = SaveWQFile(path); code != WriteOk) {
        AfxMessageBox(SaveFailureMessage(path, WQSaveFailures, code));
        return;
    }
    WaterQualityPath = path;
}

void CVasquilDoc::OnWaterQualityGlobalSettings()
{
    if (!State || WaterQualityLoaded != 1 || IsRunning()) return;
    std::unique_ptr<CWQSettingsDlg> dialog;
    switch (State->WQType) {
    case WQNutrients: dialog = std::make_unique<CWQGlobalSettingsDlg>(AfxGetMainWnd()); break;
    case WQHeavyMetals: dialog = std::make_unique<CHMGlobalSettingsDlg>(AfxGetMainWnd()); break;
    case WQXenobiotics: dialog = std::make_unique<CXEGlobalSettingsDlg>(AfxGetMainWnd()); break;
    default: return;
    }
    State->PullWaterQualitySettings();
    dialog->Values = State->WQCoefficients;
    if (dialog->DoModal() != IDOK) return;
    State->WQCoefficients = dialog->Values;
    State->PushWaterQualitySettings();
    SetModifiedFlag();
}

void CVasquilDoc::OnWaterQualityLoadDatabaseSolution()
{
    if (!State || WaterQualityLoaded != 1 || IsRunning()) return;
    CFileDialog dialog(TRUE, DatabaseExtension, nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       DatabaseFilter, AfxGetMainWnd());
    dialog.m_title = DatabaseTitle;
    if (dialog.DoModal() != IDOK) return;
    const std::filesystem::path path = dialog.GetPathName();
    std::string reason;
    sqlite3* database = OpenSolutionDatabase(path, &reason);
    if (!database) {
        AfxMessageBox(FormatText(DatabaseNotOpenText, FileName(path).c_str(), reason.c_str()));
        return;
    }
    sqlite3_close(SolutionDatabase);
    SolutionDatabase = database;
    SolutionDatabasePath = path;
    UseDatabaseSolution = 1;
    ShowSolutionSource();
}

void CVasquilDoc::OnWaterQualityUseDatabaseSolution()
{
    if (!SolutionDatabase) return;
    UseDatabaseSolution = UseDatabaseSolution ? 0 : 1;
    ShowSolutionSource();
}

void CVasquilDoc::ShowSolutionSource()
{
    if (!WaterQualityDialog || !WaterQualityDialog->Shown) return;
    WaterQualityDialog->ShowSolutionSource();
    UpdateAllViews(nullptr, 0);
}

void CVasquilDoc::OnUpdateWaterQualityOpenData(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr && !IsRunning());
    pCmdUI->SetCheck(WaterQualityLoaded ? 1 : 0);
}

void CVasquilDoc::OnUpdateWaterQualityLoaded(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr && WaterQualityLoaded == 1 && !IsRunning());
}

void CVasquilDoc::OnUpdateWaterQualityTransientSimulation(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DisplayModel != nullptr && WaterQualityLoaded == 1 && !(SteadyDialog && SteadyDialog->Shown) &&
                   !(TransientDialog && TransientDialog->Shown));
}

void CVasquilDoc::OnUpdateWaterQualityUseDatabaseSolution(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SolutionDatabase != nullptr);
    pCmdUI->SetCheck(UseDatabaseSolution ? 1 : 0);
}
