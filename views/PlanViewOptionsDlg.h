// The Plan View Options dialog: the reach shown, the plot variable of the colouring, the
// objects and their labels, the map image, the legend, the scale bar and the title. It works
// on a copy of the view's options, with the variable by name.
#pragma once

#include "views/PlanViewSettings.h"

#include "platform/Dialog.h"

#include <string>
#include <vector>

class CPlanViewOptionsDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CPlanViewOptionsDlg(CWnd* parent = nullptr);

    // Puts "All Reaches" (reach 0) in front of the reaches and selects the current one (the
    // first when it is not listed), lists the variables and selects the one whose name matches
    // ignoring case (none otherwise), shows the check boxes and applies the follow rules. The
    // map image's check box is enabled only with a map image loaded.
    BOOL OnInitDialog() override;
    // The check boxes.
    void DoDataExchange(CDataExchange* pDX) override;
    // Takes the check boxes, the reach from its list and the variable's name; refuses without
    // a reach and stays open.
    void OnOK() override;

    // What every activation and every click of an object applies: each label's box is enabled
    // while its object's box is checked, the variable's list while "Display Parameter" is, and
    // "Model Time" and "Calendar DateTime" each disable the other while checked.
    void ApplyFollowRules();

    PlanViewSettings Settings;
    std::string VariableName;
    // The reaches (numbers and names in the same order) and the variables offered.
    std::vector<int> ReachNumbers;
    std::vector<std::string> ReachNames;
    std::vector<std::string> Variables;
    int MapImageLoaded = 0;

protected:
    // Becoming active applies the follow rules.
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) override;

private:
    void OnObjectClicked();
    void OnShowParameter();
    void OnModelTime();
    void OnCalendar();
    bool IsChecked(int id) const;
    void EnableControl(int id, bool enable);
};
