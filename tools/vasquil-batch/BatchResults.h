// The result text files of a batch run: time series, snapshots, peak stage and discharge,
// the ice-front location (thermal models) and timed model-state files, written through the
// model state and the results writer in the order the run dialogs write them after a step.
#pragma once

#include <memory>
#include <string>

#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"

class BatchResults {
public:
    // Builds the display model of the engine's model, sets the output schedules (results every
    // everyHours, 0 = every accepted step; state files every stateEveryHours, 0 = none) and
    // writes the headers and the first rows into folder (created when missing). With a
    // water-quality file loaded from waterQualityPath, the time series carries the values of
    // its type. Returns an empty text, or what went wrong.
    std::string Open(const std::string& modelPath, const std::string& folder, double everyHours, double stateEveryHours,
                     const std::string& waterQualityPath = std::string());

    // After an accepted transient step: the rows and files due; the peak file at the end.
    std::string AfterStep(bool lastStep);
    // After a steady pass: one snapshot.
    std::string AfterPass();

private:
    std::string ModelPath;
    std::unique_ptr<VQXDisplayLib::VQXDisplayModel> Model;
    std::unique_ptr<ModelState> State;
    std::unique_ptr<ResultsWriter> Writer;

    void Refresh();
};
