// The Hydrograph Options dialog: the output location and the variable shown, and the limits
// of the two axes. It works on a copy of the view's settings, with the variable by name.
#pragma once

#include "views/HydrographViewSettings.h"

#include "platform/Dialog.h"

#include <string>
#include <vector>

class CHydrographViewOptionsDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CHydrographViewOptionsDlg(CWnd* parent = nullptr);

    // Fills the lists, selects the location whose caption is LocationName exactly (the first
    // when none is) and the variable whose whole name matches VariableName ignoring case (none
    // otherwise), shows the fields and applies the axis rules.
    BOOL OnInitDialog() override;
    // The Auto/Fixed choices and the limits of the two axes.
    void DoDataExchange(CDataExchange* pDX) override;
    // Takes the fields, the location from its list and the variable's name; refuses without a
    // location or without a variable, and stays open.
    void OnOK() override;

    // Each axis as its choice says: Auto disables its two limits and makes them read-only,
    // Fixed enables them and makes them editable.
    void ApplyAxisRules();

    HydrographViewSettings Settings;
    std::string VariableName;
    // The output locations' captions and the variables offered.
    std::vector<std::string> Locations;
    std::vector<std::string> Variables;

protected:
    // Window activation applies the axis rules.
    bool HandleKindEvent(QEvent* event) override;
};
