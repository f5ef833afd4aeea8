// The transient run dialog: present and final time, the time steps, and the settings and
// progress of the hydrodynamic and the additional (ice) solution. Its worker repeats the
// engine's transient step until the final time; its step handler refreshes the display
// model, the dialog and the views and writes the outputs due.
#pragma once

#include "app/RunDialog.h"

#include <string>

class CRunTransDlg : public CRunDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CRunTransDlg(CVasquilDoc* document);
    ~CRunTransDlg() override;

    void DoDataExchange(CDataExchange* pDX) override;
    // The members from the model state (after it has pulled the engine's run settings), the
    // solution changes as text and the additional solution's caption on its label.
    void LoadFromModel() override;
    // Check 1134 is off limits; check 1135 and the additional caption follow whether the file
    // type has an additional system; each group follows its on flag.
    void EnableControls();
    // Checks 1134 and 1135: the members from the controls, and the group enabled by the new value.
    void OnClickedHydrodynamicSolution();
    void OnClickedAdditionalProcess();

    // Hours.
    double PresentTime = 0.0;
    double FinalTime = 0.0;
    double TimeStep = 0.0;
    double MaxTimeStep = 0.0;
    int HydrodynamicsOn = 0;
    double HydroTheta = 0.0;
    double HydroChange = 0.0;
    std::string HydroChangeText;
    double HydroTolerance = 0.0;
    int HydroIterations = 0;
    int HydroMaxIterations = 0;
    int AdditionalExists = 0;
    int AdditionalOn = 0;
    double AddTheta = 0.0;
    double AddChange = 0.0;
    std::string AddChangeText;
    double AddTolerance = 0.0;
    int AddIterations = 0;
    int AddMaxIterations = 0;
    std::string SolutionCaption;
    int FileType = 0;

protected:
    // The checks in order, the fields into the model state and the engine, the first rows of
    // new outputs, the histories restarted at time 0, and the worker.
    void Run() override;
    void SetInputsReadOnly(BOOL readOnly) override;
    bool Unfinished() const override;
    int MakeStep(std::string* why) override;
    // The outputs due, in order (snapshot, time series, database, ice front, histories,
    // model-state file, and the peak file at the final time or after Stop); a failure stops
    // the run.
    void WriteStepOutputs() override;
    // "The run stopped at model time H hrs: <why>."
    std::string StoppedHere(const std::string& why) const override;
    // The peak file when the last handler did not write it, and the database closed.
    void OnRunEnded() override;

private:
    // The outputs of Run when the output options changed. False, after a message, when one
    // could not be written: the run does not start.
    bool WriteFirstRows();
    // Writes the peak file; a failure stops the run.
    void WritePeakFile();

    bool PeakWritten = false;  // by the last step handler
};
