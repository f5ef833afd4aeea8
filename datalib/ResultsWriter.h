// The result text files of a run and the output choices behind them: the time-series file
// (hydrographs at the output nodes), the snapshot file (the whole river at chosen times), the
// peak stage and discharge file, the ice-front location file, the node result histories and
// the timed model-state files.
//
// Values come from the display nodes and the model state, in display units and hours. Every
// file is opened, written and closed within one call: headers and the peak file replace the
// file (written beside it and renamed over it), rows are appended; only a regular file (or
// nothing) at a path is ever replaced or appended to, and a line holding a value that is no
// finite number is never written. Files are Windows-1252 text with LF line ends; numbers are
// written without regard to the process locale.
// Output nodes are the display nodes whose HydroCode is 0.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "datalib/DisplayModel.h"
#include "engine/OutputTargets.h"

class ModelState;

// Result codes of the writers.
enum ResultsWriterResult {
    ResultsOk = 0,
    ResultsCannotOpen = 1,    // the file (or its temporary neighbour) could not be created or opened
    ResultsWriteError = 2,    // writing, closing or renaming failed; the target is not complete
    ResultsModelNotWritten = 3,  // the model writer refused or failed (state files)
    ResultsNameTaken = 4,     // every state-file name for this time is held by another time's state
    ResultsNotRegular = 5,    // something other than a regular file stands at the path; left alone
    ResultsNotFinite = 6,     // a value is no finite number: nothing of this call was written
};

inline constexpr int SeriesColumnCount = 18;
inline constexpr int MetalColumn = 16;      // series column of WQValues 6-11
inline constexpr int NutrientColumn = 17;   // series column of WQValues 0-5
inline constexpr int SnapshotColumnCount = 16;

class ResultsWriter {
public:
    VQXDisplayLib::VQXDisplayModel* DisplayModel;  // not owned
    ModelState* State;                              // not owned
    int SeriesEnabled = 0;
    std::string SeriesPath;
    int SeriesChoice = -1;
    int SeriesEveryStep = 0;
    // stage, discharge, ice velocity, water temperature, frazil concentration, ice
    // concentration, anchor ice thickness, frazil slush thickness, solid ice thickness, border
    // ice fraction, border ice width, air temperature, maximum border ice thickness, water
    // depth, water velocity, water surface width, heavy-metal and xenobiotic values, nutrient values
    int SeriesColumns[SeriesColumnCount] = {};
    int DatabaseEnabled = 0;
    std::string DatabasePath;
    int DatabaseChoice = -1;
    int DatabaseEveryStep = 0;
    char DatabasePathText[1001] = {};
    int SnapshotEnabled = 0;
    std::string SnapshotPath;
    int SnapshotChoice = -1;
    int SnapshotEveryStep = 0;
    int SnapshotColumns[SnapshotColumnCount] = {};  // the first 16 series columns
    int PeakEnabled = 0;
    std::string PeakPath;
    int IceFrontEnabled = 0;
    std::string IceFrontPath;
    int IceFrontChoice = -1;
    int IceFrontEveryStep = 0;
    int StateFileEnabled = 0;
    std::string StateFolder;
    int StateFileChoice = -1;
    int StateFileEveryStep = 0;
    // Month, day and year of the header date line; all 0 (the default) takes the computer's
    // local date when the header is written.
    int HeaderDate[3] = {};
    // Why the last call failed, naming the file, for the caller's message; empty when it did not
    // fail or its failure has no text (every writer call clears it first).
    std::string FailureText;

    ResultsWriter(VQXDisplayLib::VQXDisplayModel* displayModel, ModelState* state);

    // Hours of an interval choice: 1 1/60, 2 1/12, 3 0.25, 4 0.5, 5 1, 6 6, 7 12, 8 24, 9 168;
    // any other choice (0 every step, -1 none) 0.
    static double OutputIntervalHours(int choice);

    // Creates every enabled file with its header; empties the peak file and resets the peaks.
    // Returns the first failure, after trying every file; FailureText is the first failure's.
    int WriteHeaders(const std::string& modelPath, const std::string& waterQualityPath);
    int AppendTimeSeriesRow();
    int AppendSnapshot(int transient);
    // The snapshot column header and node rows; ResultsNotFinite (the text then holds a line
    // with a value that is no finite number, not to be written) or ResultsOk.
    int WriteSnapshotTable(std::string& text);
    // One line, only when the model state's IceFrontStarted is set.
    int AppendIceFrontRow();
    void ResetPeaks();
    int WritePeakFile(const std::string& modelPath);
    void RestartHistories();
    void AppendHistories();
    // One timed model-state file "<folder>/<stem> - <hours> hrs.vqX" written with the
    // model-file writer. A time whose name (two decimals) already holds the state of another
    // time in this run gets as many more decimals as set the names apart (up to ten); when
    // none does, nothing is written and ResultsNameTaken returned.
    int WriteStateFile(const std::string& modelPath);
    // The state-file name of a model file at the present model time with the given decimals
    // of the hours (WriteStateFile starts at 2).
    std::filesystem::path StateFilePath(const std::string& modelPath, int decimals) const;
    // Every file and folder the enabled outputs write (the database with its log files, the
    // state-file folder with the model file's stem), for CheckOutputTargets together with the
    // model file and the other outputs of a run.
    std::vector<OutputTarget> Targets(const std::string& modelPath) const;

private:
    std::map<std::filesystem::path, double> StateFileTimes;  // name -> model time it holds

    // One file replaced by text (through a temporary file beside it) or text appended to it;
    // only a regular file or nothing may stand at the path. what names the file in FailureText.
    int ReplaceFile(const std::string& what, const std::string& path, const std::string& text);
    int AppendFile(const std::string& what, const std::string& path, const std::string& text);
    // Notes in FailureText that a line of the present time was not written; ResultsNotFinite.
    int NotFinite(const std::string& what, const std::string& path);
};
