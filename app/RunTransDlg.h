// The transient run dialog: present and final time, the time steps, and the settings and
// progress of the hydrodynamic and the additional (ice) solution. Its worker repeats the
// engine's transient step until the final time; its step handler refreshes the display
// model, the dialog and the views and writes the outputs due. The water-quality run dialog
// (CRunTransWQDlg) is this dialog with a third solution.
#pragma once

#include "app/RunDialog.h"

#include <span>
#include <string>

class ModelState;

// The settings and progress of one equation system as a transient dialog shows them.
struct RunSolution {
    int On = 0;
    double Theta = 0.0;
    double Change = 0.0;  // the last solution change
    std::string ChangeText;  // "%.4E" of it
    double Tolerance = 0.0;
    int Iterations = 0;
    int MaxIterations = 0;
};

// Where the model state keeps one system's run settings.
struct SystemSettings {
    double* theta;
    double* norm;
    double* tolerance;
    int* iterations;
    int* maxIterations;
};
SystemSettings HydroSettings(ModelState& state);
SystemSettings AdditionalSettings(ModelState& state);
SystemSettings WaterQualitySettings(ModelState& state);
// A solution's members from the model state (the change also as text), and back.
void LoadSolution(RunSolution& solution, const SystemSettings& settings);
void StoreSolution(const RunSolution& solution, const SystemSettings& settings);

// The controls of one solution: its check box and its fields.
struct RunSolutionControls {
    int check, theta, change, tolerance, iterations, maxIterations;
};

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
    virtual void EnableControls();
    // Checks 1134 and 1135: the members from the controls, and the group enabled by the new value.
    void OnClickedHydrodynamicSolution();
    void OnClickedAdditionalProcess();

    // Hours.
    double PresentTime = 0.0;
    double FinalTime = 0.0;
    double TimeStep = 0.0;
    double MaxTimeStep = 0.0;
    RunSolution Hydro;  // On: hydrodynamics on
    int AdditionalExists = 0;
    RunSolution Additional;  // On: the additional process on
    std::string SolutionCaption;
    int FileType = 0;

protected:
    // For the water-quality dialog: its template, whether the hydrodynamic theta belongs to
    // the hydrodynamic group, and its engine step.
    CRunTransDlg(UINT templateId, CVasquilDoc* document, bool thetaInHydroGroup, int (*engineStep)());

    // The checks in order, the fields into the model state and the engine, the first rows of
    // new outputs, the histories restarted at time 0, and the worker.
    void Run() override;
    // The first check of Run that fails (its refusal), or -1.
    virtual int FailedCheck() const;
    // The fields of the dialog into the model state, before the model state pushes them.
    virtual void StoreInModel(ModelState& state) const;
    // Whether the engine can make the run: false after a message.
    virtual bool EngineCanRun() const;
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

    // The exchange of one solution's controls with its members.
    static void ExchangeSolution(CDataExchange* pDX, const RunSolutionControls& controls, RunSolution& solution);
    // Enables or disables the additional process's labels and fields.
    void EnableAdditionalGroup(bool enabled);
    // Check box of a solution: its on flag from the control, and its group enabled by it.
    void TakeSolutionCheck(int check, RunSolution& solution, std::span<const int> group);

    std::span<const int> HydroGroup;  // labels and fields of the hydrodynamic solution

private:
    // The outputs of Run when the output options changed. False, after a message, when one
    // could not be written: the run does not start.
    bool WriteFirstRows();
    // Writes the peak file; a failure stops the run.
    void WritePeakFile();

    int (*EngineStep)();     // the engine's step of this dialog's runs
    bool PeakWritten = false;  // by the last step handler
};
