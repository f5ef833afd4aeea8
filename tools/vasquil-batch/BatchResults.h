// The result text files of a batch run: time series, snapshots, peak stage and discharge,
// the ice-front location (thermal models) and timed model-state files, written through the
// model state and the results writer in the order the run dialogs write them after a step.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/OutputTargets.h"

class BatchResults {
public:
    // Builds the display model of the engine's model and chooses the files in folder and the
    // output schedules (results every everyHours, 0 = every accepted step; state files every
    // stateEveryHours, 0 = none). With a water-quality file loaded from waterQualityPath, the
    // time series carries the values of its type. Nothing is written yet.
    void Configure(const std::string& modelPath, const std::string& folder, double everyHours, double stateEveryHours,
                   const std::string& waterQualityPath = std::string());
    // The folder and every file the outputs will write, for CheckOutputTargets; none before
    // Configure.
    std::vector<OutputTarget> Targets() const;
    // Creates the folder when missing. Returns an empty text, or what went wrong.
    std::string CreateFolder() const;
    // Writes the headers and the first rows. Returns an empty text, or what went wrong.
    std::string Start();

    // After an accepted transient step: the rows and files due; the peak file at the end.
    std::string AfterStep(bool lastStep);
    // Whether AfterStep writes anything after the present accepted step.
    bool OutputDue(bool lastStep) const;
    // After a steady pass: one snapshot.
    std::string AfterPass();

private:
    std::string ModelPath;
    std::string Folder;
    std::string WaterQualityPath;
    std::unique_ptr<VQXDisplayLib::VQXDisplayModel> Model;
    std::unique_ptr<ModelState> State;
    std::unique_ptr<ResultsWriter> Writer;

    void Refresh();
    // The writer's own account of a failure, or a general one naming what.
    std::string Describe(int result, const std::string& what) const;
};
