// The document: the model open in the program. It reads a model file into the engine and
// builds from it what the views show (the display model, the model state, the results writer
// and the lists of names the views offer), saves the engine's model back to a file, and makes
// the file of a new trapezoidal channel. Views learn what to rebuild from its reset flags, which
// they clear once they have acted on them.
//
// A model is loaded when DisplayModel is not null; the display model, the model state and the
// results writer exist together or not at all. The engine's records and the display model's
// lists hold their items in the same order.
#pragma once

#include "datalib/NewChannelModel.h"
#include "engine/OutputTargets.h"
#include "platform/DocView.h"
#include "platform/Image.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCmdUI;
class ModelState;
class ResultsWriter;
namespace VQXDisplayLib {
class VQXDisplayModel;
}
// The run dialogs, made on every open once they exist.
class COutputOptionsDlg;
class CRunTransDlg;
class CRunSteadyDlg;
class CRunTransWQDlg;
struct ResultsDatabase;
struct sqlite3;

class CVasquilDoc : public CDocument
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // No model; the engine is emptied (no records, work arrays released, defaults set) and the
    // step handshake flag is 0.
    CVasquilDoc();
    // A run still going is abandoned; the run dialogs go, then the model (the engine's too).
    ~CVasquilDoc() override;

    // The framework's empty document at start-up: no file, no model. Always TRUE.
    BOOL OnNewDocument() override;
    // Reads the model file at path into the engine and builds the display model, the model
    // state, the results writer (every output off), new run dialogs and the lists from it; the
    // map image and the water-quality data are cleared and every view is told to rebuild.
    // Returns FALSE, after a message, when a run is going, when the file cannot be opened or
    // when the reader refuses it: the model that was open (or none) stays, engine and display
    // objects as they were.
    BOOL OnOpenDocument(const std::filesystem::path& path) override;
    // Saves the engine's model at path (through a temporary file renamed over it). Returns
    // FALSE, after a message, when it was not saved (a run is going, or the file could not be
    // written): whatever stood at path is as it was.
    BOOL OnSaveDocument(const std::filesystem::path& path) override;

    // The names the profile view offers: bed, water surface, discharge, velocity and Froude
    // number, then those of the model's file type, then the water-quality values when a
    // water-quality file is loaded.
    void BuildProfileVariableList();
    // The same for the hydrograph view, without bed, Froude number and zone number.
    void BuildHydrographVariableList();
    // Captions of the output nodes (hydro code 0) in list order.
    void BuildOutputNodeList();
    // "Reach n" for each of the display model's reach numbers, in their order: the options
    // dialogs pair the names with the numbers by position.
    void BuildReachNames();

    // New: the save question of a modified model (Cancel or a failed save: nothing happens),
    // the New File dialog, then the new channel's file written and opened as the document.
    void OnFileNew();
    // Convert HEC-RAS Geometry File: the converter dialog, then one reach of the geometry file
    // written as a new model file (a question first when the file holds several reaches), under
    // the wait cursor with the status bar saying how it went; a success shows what was converted
    // and left out, a failure its reason. The open model is not changed, the new file not opened.
    void OnFileConvertHecRasGeometry();
    // Save and Save As: the questions about a changed file type and pending node-table edits
    // first; No to either saves nothing.
    void OnFileSave();
    void OnFileSaveAs();
    // Yes to the save question: Save with the same two questions first. TRUE when saved.
    BOOL DoFileSave() override;
    // Load Georeferenced Map Imagery: the dialog, starting with the paths of the map image
    // held; on Load the image and its world file are read and the plan view is told to show
    // it (and comes forward). An image or world file that no longer reads is named in a
    // message, and the map image held before (or none) stays with its paths and values.
    void OnFileLoadMapImagery();
    // Display Qw as Qflux: flips the discharge the views show between Qflux and nodal Qw.
    void OnDisplayQwAsQflux();
    // Transient and Steady: the run dialog's window, filled from the model state, with its
    // run state shown; nothing when it is shown already.
    void OnSimulationTransient();
    void OnSimulationSteady();
    // Output Options: the dialog filled from the results writer; each "Initialize Output" whose
    // checks pass applies its choices (InitializeOutputs).
    void OnSimulationOutputOptions();
    // The choices of an Output Options dialog go into the results writer, the files get their
    // headers, the database is made afresh, the intervals are set and the next Run starts the
    // outputs. Returns what was created, for the dialog to show; a failure is shown in a
    // message and returned in its place.
    std::string InitializeOutputs(const COutputOptionsDlg& dialog);

    // File Type Options: the file-type dialog; on OK with another type the model becomes that
    // type (ChangeFileType).
    void OnFileTypeOptions();
    // The model becomes of fileType: its equation systems are switched by the type; a thermal
    // model gets an atmospheric zone and a bridging event where it has none (those it had are
    // kept), the views and the lists of variables are rebuilt. What belongs to another type
    // stays in the engine, so a change back loses nothing; saving writes only what the current
    // type holds.
    void ChangeFileType(int fileType);
    // Global Settings: the dialog filled from the model state; on OK its values go back by the
    // rules of the file type, into the engine too. A change of the system of units shows the
    // nodes, the boundary series and the bridging events in the new units.
    void OnSimulationGlobalSettings();

    // Edit Manning's n Values: the editor of the nodes' n values; once it applied a change the
    // cross-section editor and the node table are rebuilt.
    void OnSimulationEditManningsN();
    // Edit User Defined Bridging Events (thermal ice only): the editor of the events; once it
    // applied a change the plan view is rebuilt.
    void OnSimulationEditBridgingEvents();

    // Transient WQ Simulation: the water-quality run dialog's window, as Transient shows its.
    void OnWaterQualityTransientSimulation();
    // Open WQ Data: the chosen water-quality file loaded over the model. A file that does not
    // load is named with the reader's reason; the model stays as it was, and no water-quality
    // data remain (flag, path, engine and model state cleared).
    void OnWaterQualityOpenData();
    // Save WQ Data: the water-quality data saved where the user chooses (through a temporary
    // file renamed over it); a failure is shown and whatever stood there stays.
    void OnWaterQualitySaveData();
    // Global WQ Settings: the settings dialog of the water-quality type, filled from the model
    // state; on OK its values go back into the model state and the engine, and the document
    // is modified.
    void OnWaterQualityGlobalSettings();
    // Load Database Solution: the chosen solution database opened and used. One that does not
    // open is shown and closed; the database held before, the flag and the path stay.
    void OnWaterQualityLoadDatabaseSolution();
    // Use Database Solution: with a database held, its use switched on or off.
    void OnWaterQualityUseDatabaseSolution();

    // True while a run dialog runs.
    bool IsRunning() const;
    // Shows (SW_SHOW) or hides (SW_HIDE) the transient and the steady run dialog whose menu
    // command has opened its window: the chart views show them again whenever they paint.
    void ShowRunDialogs(int command);
    // Stops every run that is going and returns once each has ended.
    void StopRuns();

    // New, Open, the recent files, Save and Save As wait for the end of a run.
    void OnUpdateFileNew(CCmdUI* pCmdUI);
    void OnUpdateFileOpen(CCmdUI* pCmdUI);  // Open and the recent files
    void OnUpdateFileSave(CCmdUI* pCmdUI);  // Save and Save As
    // Load Georeferenced Map Imagery: a model is loaded.
    void OnUpdateFileLoadMapImagery(CCmdUI* pCmdUI);
    void OnUpdateDisplayQwAsQflux(CCmdUI* pCmdUI);
    // Output Options, File Type Options, Global Settings, Edit Manning's n Values: a model is
    // loaded, its run dialogs exist and none runs.
    void OnUpdateIdle(CCmdUI* pCmdUI);
    // Edit User Defined Bridging Events: as OnUpdateIdle, for a thermal-ice model.
    void OnUpdateEditBridgingEvents(CCmdUI* pCmdUI);
    // Open WQ Data: a model is loaded and no run goes; ticked with water-quality data loaded.
    void OnUpdateWaterQualityOpenData(CCmdUI* pCmdUI);
    // Save WQ Data, Global WQ Settings, Load Database Solution: water-quality data are loaded
    // and no run goes.
    void OnUpdateWaterQualityLoaded(CCmdUI* pCmdUI);
    // Transient WQ Simulation: water-quality data are loaded and neither the steady nor the
    // transient dialog is shown.
    void OnUpdateWaterQualityTransientSimulation(CCmdUI* pCmdUI);
    // Use Database Solution: a solution database is held; ticked while it is used.
    void OnUpdateWaterQualityUseDatabaseSolution(CCmdUI* pCmdUI);

    std::unique_ptr<VQXDisplayLib::VQXDisplayModel> DisplayModel;
    std::unique_ptr<ModelState> State;
    CRunTransDlg* TransientDialog = nullptr;
    CRunSteadyDlg* SteadyDialog = nullptr;
    std::unique_ptr<ResultsWriter> Results;
    int OutputOptionsChanged = 0;
    int ProfileViewReset = 0;
    int PlanViewReset = 0;
    int HydrographViewReset = 0;
    int RunActive = 0;
    int NodeTableEdited = 0;
    int CrossSectionViewReset = 0;
    int NodeTableRebuild = 0;
    std::vector<std::string> ReachNames;
    std::vector<std::string> ProfileVariables;
    std::vector<std::string> OutputNodeLabels;
    std::vector<std::string> HydrographVariables;
    // World-file values of the map image in file order: x pixel size, y skew, x skew, y pixel
    // size, easting, northing.
    std::array<double, 6> WorldFile{};
    CImage MapImage;  // null without a map image
    int MapImageLoaded = 0;
    int PlanViewFitImage = 0;
    std::filesystem::path MapImagePath;
    std::filesystem::path WorldFilePath;
    std::filesystem::path SolutionDatabasePath;
    sqlite3* SolutionDatabase = nullptr;  // kept across opens
    int UseDatabaseSolution = 0;
    CRunTransWQDlg* WaterQualityDialog = nullptr;
    int WaterQualityLoaded = 0;
    std::filesystem::path WaterQualityPath;
    // The results database's connection while a transient run writes to it.
    ResultsDatabase* RunDatabase = nullptr;
    // The outputs of the present run, held from its start to its end so that no other run
    // (another document, or vasquil-batch) writes into them meanwhile.
    OutputHold RunHold;

    // The present local date and time, written as the start of a new model; tests set a fixed one.
    std::function<CalendarDate()> Clock = LocalDateNow;

private:
    // Replaces the display model, the model state and the results writer by new ones built
    // from the engine, and resets the map image, the water-quality data, the lists and the
    // view flags.
    void BuildFromEngine();
    // Appends to a view's names those of the model's file type (the zone number too when asked)
    // and, when a water-quality file is loaded, the values of its type.
    void AppendModelVariables(std::vector<std::string>& names, bool zoneNumber) const;
    // No water-quality data: the flags and the path cleared, the model state's water-quality
    // values, series and settings taken from the engine (which holds none), the lists and
    // the views rebuilt; the water-quality run dialog closed.
    void ForgetWaterQuality();
    // The lists and the views after water-quality data came or went.
    void WaterQualityChanged();
    // Shows a transient dialog's window (the transient or the water-quality one), filled from
    // the model state with its run state; nothing when it is shown already.
    void ShowTransientDialog(CRunTransDlg* dialog, UINT templateId);
    // The water-quality run dialog relabelled after the database solution changed.
    void ShowSolutionSource();
    // The two questions before a save; true when saving goes on.
    bool ConfirmSave();
};
