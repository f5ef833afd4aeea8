// The Profile View Options dialog: the reach shown, the top and bottom charts with their
// variables and axis limits, the items of the elevation chart, the subtitle, the event lines
// and the legend. It works on a copy of the view's settings, with the variables by name.
#pragma once

#include "views/ProfileViewSettings.h"

#include "platform/Dialog.h"

#include <initializer_list>
#include <string>
#include <vector>

class CProfileViewOptionsDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CProfileViewOptionsDlg(CWnd* parent = nullptr);

    // Fills the lists, selects the current reach (the first when it is not listed) and the
    // variables whose names match ignoring case (none otherwise), shows the fields and applies
    // the activation rules.
    BOOL OnInitDialog() override;
    // The limits, the Auto/Fixed and chart-kind choices and the check boxes.
    void DoDataExchange(CDataExchange* pDX) override;
    // Takes the fields, the reach from its list and the variables' names; refuses without a
    // reach, without a chart, or with an elevation chart without the bed, and stays open.
    void OnOK() override;

    // Enables or disables the top chart's variable and axes; enabling applies each axis's
    // Auto/Fixed choice.
    void EnableTopChartControls(BOOL enable);
    // Enables or disables the bottom chart's kind, variable, items and axes; enabling applies
    // the chart kind and each axis's Auto/Fixed choice.
    void EnableBottomChartControls(BOOL enable);
    // What every activation applies: the two charts' controls, then the event-line and ice
    // checks by what the model has, and the two time titles excluding each other.
    void ApplyActivationRules();

    ProfileViewSettings Settings;
    std::string TopVariableName;
    std::string BottomVariableName;
    // The reaches (numbers and names in the same order) and the variables offered.
    std::vector<int> ReachNumbers;
    std::vector<std::string> ReachNames;
    std::vector<std::string> Variables;
    int EventsExist = 0;  // the model has bridging events
    int IceFile = 0;      // the model's file type is above 0

protected:
    // Becoming active runs the activation rules.
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) override;

private:
    void OnTopChart();
    void OnBottomChart();
    void OnParameterChart();
    void OnElevationChart();
    void OnWaterSurface();
    void OnIceThickness();
    void OnModelTime();
    void OnCalendar();
    void OnAxisChoice();

    // Auto makes the axis's limits read-only, Fixed editable.
    void ApplyAxisChoice(int autoId, int minimumId, int maximumId);
    void ApplyChartKind();
    void EnableControls(std::initializer_list<int> ids, BOOL enable);
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);
};
