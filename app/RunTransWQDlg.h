// The water-quality run dialog: the transient run dialog with a third solution, the water
// quality, solved after the hydrodynamics and the additional process in every step. With a
// solution database in use its hydrodynamic and additional-process groups say so and are
// greyed.
#pragma once

#include "app/RunTransDlg.h"

#include <string>

class CRunTransWQDlg : public CRunTransDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CRunTransWQDlg(CVasquilDoc* document);
    ~CRunTransWQDlg() override;

    void DoDataExchange(CDataExchange* pDX) override;
    // The transient dialog's members, then the water-quality solution's.
    void LoadFromModel() override;
    // The transient dialog's enabling, the water-quality group by its on flag, then the
    // source of the solution.
    void EnableControls() override;
    // Labels 1031 and 1032 name the source of the hydrodynamic and the additional solution
    // (the solution database when the document uses one); their groups and check 1135 are
    // enabled only when the database solution is not used.
    void ShowSolutionSource();
    // Check 1203: the member from the control, and the water-quality group enabled by it.
    void OnClickedWaterQualitySolution();

    RunSolution WaterQuality;  // On: water quality on

protected:
    // The transient checks, then, with water quality on, its theta, iterations and tolerance.
    int FailedCheck() const override;
    void StoreInModel(ModelState& state) const override;
    // With water quality on: false, after a message, when a coefficient the kinetics divide
    // by is not above 0.
    bool EngineCanRun() const override;
};
