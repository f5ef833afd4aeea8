// The inflow editor: the discharge hydrograph of an inflow or lateral-flow boundary element,
// with six temperature and ice columns for a thermal-ice model (ColumnSet: the model's file
// type), which widen the dialog. Discharges are held to [LowerBound, UpperBound].
#pragma once

#include "app/SeriesEditorDlg.h"

class CEditInflowBCDlg : public CSeriesEditorDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CEditInflowBCDlg(CWnd* parent = nullptr);

protected:
    std::vector<SeriesColumn> ValueColumns() const override;
    SeriesChecks Checks() const override;
    bool Widened() const override;
};
