// The water-quality inflow editor: the concentrations entering at an inflow or lateral-flow
// boundary element, for the model's water-quality type (ColumnSet): DO, NH3, NO3, BOD, OP and
// PP for nutrients; Cdw, Caw and Css for heavy metals and xenobiotics. The dialog is always
// widened; DO (or Cdw) is held to [LowerBound, UpperBound].
#pragma once

#include "app/SeriesEditorDlg.h"

class CEditWQInflowBCDlg : public CSeriesEditorDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CEditWQInflowBCDlg(CWnd* parent = nullptr);

protected:
    std::vector<SeriesColumn> ValueColumns() const override;
    SeriesChecks Checks() const override;
    bool Widened() const override { return true; }
};
