// The water-quality settings dialogs, one per water-quality type: nutrients
// (CWQGlobalSettingsDlg), heavy metals (CHMGlobalSettingsDlg) and xenobiotics
// (CXEGlobalSettingsDlg). Each is a form of the coefficients of its type, one field each; the
// document fills Values from the model state and, on OK, takes them back. A field that does
// not parse stops OK with the framework's message; a field the user did not change gives back
// its exact value.
#pragma once

#include "datalib/ModelState.h"
#include "platform/Dialog.h"
#include "resources/WQSettingsDialogs.h"

#include <span>

// The coefficient of one field: a number, or (the acid and base flags) a whole number.
struct WQSettingsMember {
    double WaterQualityCoefficients::* number = nullptr;
    int WaterQualityCoefficients::* flag = nullptr;
};

class CWQSettingsDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Exchanges every field with its coefficient, in the order of the fields.
    void DoDataExchange(CDataExchange* pDX) override;

    WaterQualityCoefficients Values;

protected:
    // The dialog of templateId; fields and members pair by position, group by group.
    struct FieldGroup {
        std::span<const WQSettingsField> fields;
        std::span<const WQSettingsMember> members;
    };
    CWQSettingsDlg(UINT templateId, std::initializer_list<FieldGroup> groups, CWnd* parent);

private:
    std::vector<FieldGroup> Groups;
};

class CWQGlobalSettingsDlg : public CWQSettingsDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    explicit CWQGlobalSettingsDlg(CWnd* parent = nullptr);
};

class CHMGlobalSettingsDlg : public CWQSettingsDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    explicit CHMGlobalSettingsDlg(CWnd* parent = nullptr);
};

class CXEGlobalSettingsDlg : public CWQSettingsDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    explicit CXEGlobalSettingsDlg(CWnd* parent = nullptr);
};
