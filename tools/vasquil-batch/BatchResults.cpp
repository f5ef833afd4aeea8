#include "tools/vasquil-batch/BatchResults.h"

#include <filesystem>
#include <system_error>

#include "engine/EngineData.h"
#include "engine/Units.h"
#include "engine/WaterQualityFile.h"

namespace {

namespace fs = std::filesystem;

}  // namespace

std::string BatchResults::Describe(int result, const std::string& what) const
{
    if (result == ResultsOk)
        return {};
    if (!Writer->FailureText.empty())
        return Writer->FailureText;
    switch (result) {
    case ResultsCannotOpen: return "cannot create or open the " + what;
    case ResultsModelNotWritten: return "the model writer could not write the " + what;
    case ResultsNameTaken: return "every name for the " + what + " is taken by the state of another time";
    default: return "error writing the " + what;
    }
}

void BatchResults::Configure(const std::string& modelPath, const std::string& folder, double everyHours,
                             double stateEveryHours, const std::string& waterQualityPath)
{
    ModelPath = modelPath;
    Folder = folder;
    WaterQualityPath = waterQualityPath;
    Model = std::make_unique<VQXDisplayLib::VQXDisplayModel>();
    State = std::make_unique<ModelState>(Model.get());
    State->BuildDisplayModel();
    Writer = std::make_unique<ResultsWriter>(Model.get(), State.get());
    ResultsWriter& w = *Writer;

    const std::string stem = fs::path(modelPath).stem().string();
    const auto inFolder = [&](const char* name) { return (fs::path(folder) / (stem + name)).string(); };
    const bool thermal = State->FileType == FileTypeThermalIce;
    w.SeriesEnabled = w.SnapshotEnabled = w.PeakEnabled = 1;
    w.IceFrontEnabled = thermal;
    w.StateFileEnabled = stateEveryHours > 0;
    w.SeriesPath = inFolder(" time series.csv");
    w.SnapshotPath = inFolder(" snapshot.csv");
    w.PeakPath = inFolder(" peak stage and discharge.csv");
    w.IceFrontPath = thermal ? inFolder(" ice front.csv") : std::string();
    w.StateFolder = folder;

    // Stage, discharge, depth, velocity and water-surface width; the ice values of the model's
    // file type besides.
    int columns[SnapshotColumnCount] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1};
    switch (State->FileType) {
    case FileTypeStaticIce: columns[5] = columns[8] = 1; break;
    case FileTypeDynamicIce: columns[2] = columns[5] = columns[8] = 1; break;
    case FileTypeThermalIce:
        for (int& c : columns)
            c = 1;
        break;
    default: break;
    }
    for (int c = 0; c < SnapshotColumnCount; ++c)
        w.SeriesColumns[c] = w.SnapshotColumns[c] = columns[c];
    // The six values of the water-quality type: nutrients, or heavy metals and xenobiotics.
    if (!waterQualityPath.empty())
        w.SeriesColumns[g_ModelControl.WQFileType == WQNutrients ? NutrientColumn : MetalColumn] = 1;

    // The output options: every step, or the interval in hours.
    const bool everyStep = !(everyHours > 0);
    w.SeriesEveryStep = w.SnapshotEveryStep = w.IceFrontEveryStep = everyStep;
    State->SeriesInterval = State->SnapshotInterval = everyStep ? 0.0 : everyHours;
    State->IceFrontInterval = thermal && !everyStep ? everyHours : 0.0;
    State->StateFileInterval = stateEveryHours > 0 ? stateEveryHours : 0.0;
    State->DatabaseInterval = g_ModelControl.DatabaseInterval / SecondsPerHour;
    State->PushRunSettings();
}

std::vector<OutputTarget> BatchResults::Targets() const
{
    if (!Writer)
        return {};
    std::vector<OutputTarget> targets = Writer->Targets(ModelPath);
    // The folder itself, which the writer names only when it holds state files.
    if (!Writer->StateFileEnabled)
        targets.push_back({"results folder", fs::path(Folder), TargetFolder});
    return targets;
}

std::string BatchResults::CreateFolder() const
{
    std::error_code error;
    fs::create_directories(fs::path(Folder), error);
    if (error || !fs::is_directory(fs::path(Folder)))
        return "cannot use the results folder '" + Folder + "'" + (error ? ": " + error.message() : "");
    return {};
}

std::string BatchResults::Start()
{
    if (!Writer)
        return {};
    ResultsWriter& w = *Writer;
    const bool thermal = State->FileType == FileTypeThermalIce;
    if (const int r = w.WriteHeaders(ModelPath, WaterQualityPath); r != ResultsOk)
        return Describe(r, "result files in '" + Folder + "'");
    // The first rows at the present time, as a run started after the output options changed.
    if (const int r = w.AppendTimeSeriesRow(); r != ResultsOk)
        return Describe(r, "time-series file '" + w.SeriesPath + "'");
    if (thermal)
        if (const int r = w.AppendIceFrontRow(); r != ResultsOk)
            return Describe(r, "ice-front file '" + w.IceFrontPath + "'");
    return {};
}

void BatchResults::Refresh()
{
    State->RefreshNodeResults();
    State->RefreshJunctionLinks();
    State->PullRunSettings();
}

namespace {

// The step's output flags of a writer: snapshot, series, ice front, state file.
struct DueOutputs {
    bool Snapshot, Series, IceFront, StateFile;
};

DueOutputs DueOf(const ResultsWriter& w, const ModelControl& mc)
{
    return {mc.SnapshotDue || w.SnapshotEveryStep, mc.SeriesDue || w.SeriesEveryStep,
            w.IceFrontEnabled && (mc.IceFrontDue || w.IceFrontEveryStep), w.StateFileEnabled && mc.StateFileDue};
}

}  // namespace

bool BatchResults::OutputDue(bool lastStep) const
{
    if (!Writer)
        return false;
    const DueOutputs due = DueOf(*Writer, g_ModelControl);
    return lastStep || due.Snapshot || due.Series || due.IceFront || due.StateFile;
}

std::string BatchResults::AfterStep(bool lastStep)
{
    if (!Writer)
        return {};
    Refresh();
    ResultsWriter& w = *Writer;
    const DueOutputs due = DueOf(w, g_ModelControl);
    if (due.Snapshot)
        if (const int r = w.AppendSnapshot(1); r != ResultsOk)
            return Describe(r, "snapshot file '" + w.SnapshotPath + "'");
    if (due.Series)
        if (const int r = w.AppendTimeSeriesRow(); r != ResultsOk)
            return Describe(r, "time-series file '" + w.SeriesPath + "'");
    if (due.IceFront)
        if (const int r = w.AppendIceFrontRow(); r != ResultsOk)
            return Describe(r, "ice-front file '" + w.IceFrontPath + "'");
    if (due.StateFile)
        if (const int r = w.WriteStateFile(ModelPath); r != ResultsOk)
            return Describe(r, "state file at " + std::to_string(State->ModelTime) + " h");
    if (lastStep)
        if (const int r = w.WritePeakFile(ModelPath); r != ResultsOk)
            return Describe(r, "peak file '" + w.PeakPath + "'");
    return {};
}

std::string BatchResults::AfterPass()
{
    if (!Writer)
        return {};
    Refresh();
    if (const int r = Writer->AppendSnapshot(0); r != ResultsOk)
        return Describe(r, "snapshot file '" + Writer->SnapshotPath + "'");
    return {};
}
