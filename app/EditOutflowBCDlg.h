// The outflow editor: the stage hydrograph (ColumnSet 2, times and stages) or the rating curve
// (ColumnSet 3, discharges and stages) of an outflow boundary element. Values take no minus
// sign; stages are held to [LowerBound, UpperBound] and, as rating discharges, kept to three
// decimals.
#pragma once

#include "app/SeriesEditorDlg.h"

// The outflow kinds the editor shows.
constexpr int OutflowHydrographKind = 2;
constexpr int OutflowRatingCurveKind = 3;

class CEditOutflowBCDlg : public CSeriesEditorDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CEditOutflowBCDlg(CWnd* parent = nullptr);

protected:
    std::vector<SeriesColumn> ValueColumns() const override;
    const char* AllowedCharacters() const override { return "0123456789."; }
    const char* FilterValue(int row, int col, double& value) const override;
    SeriesChecks Checks() const override;
    bool DragAndDropOn() const override { return false; }
};
