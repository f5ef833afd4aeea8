// The steady run dialog: pseudo-time passes towards a steady state, each at model time 0 with
// theta 1 and the steady tolerances, the time step growing by half after every converged
// pass. With the ice-jam check (static-ice models) every pass first solves the jam's stability.
#pragma once

#include "app/RunDialog.h"

#include <string>

class CRunSteadyDlg : public CRunDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Present step 0, final step 10000, the ice-jam check unticked.
    explicit CRunSteadyDlg(CVasquilDoc* document);
    ~CRunSteadyDlg() override;

    void DoDataExchange(CDataExchange* pDX) override;
    // The members from the model state (after it has pulled the engine's run settings); the
    // final step and the ice-jam check are the dialog's own.
    void LoadFromModel() override;
    // The ice-jam check is offered to static-ice models only.
    void EnableControls();

    int PresentStep = 0;
    int FinalStep = 10000;
    double TimeStep = 0.0;  // h
    double MaxTimeStep = 0.0;  // h
    double Change = 0.0;
    std::string ChangeText;
    double Tolerance = 0.0;
    int Iterations = 0;
    int MaxIterations = 0;
    int IceJam = 0;

protected:
    // The checks in order, the fields into the model state and the engine, the iteration
    // count reset after new output options, and the worker.
    void Run() override;
    void SetInputsReadOnly(BOOL readOnly) override;
    bool Unfinished() const override;
    int MakeStep(std::string* why) override;
    // A snapshot after every pass.
    void WriteStepOutputs() override;
    // "The steady run stopped at time step N: <why>."
    std::string StoppedHere(const std::string& why) const override;

private:
    bool SolveJam = false;  // this run's passes solve the ice jam
};
