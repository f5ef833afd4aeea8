// The atmospheric-zone editor: the air temperature and solar radiation of a zone over time.
// Its values are not bounded.
#pragma once

#include "app/SeriesEditorDlg.h"

class CEditAtmosphericZoneDlg : public CSeriesEditorDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CEditAtmosphericZoneDlg(CWnd* parent = nullptr);

protected:
    std::vector<SeriesColumn> ValueColumns() const override;
    const char* FilterValue(int row, int col, double& value) const override;
    SeriesChecks Checks() const override;
    bool WeatherSeries() const override { return true; }
    bool DragAndDropOn() const override { return false; }
};
