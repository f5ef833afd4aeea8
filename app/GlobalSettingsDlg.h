// The Global Settings dialog: every global parameter of a model (system of units, start date
// and time, formulation, resistance model, upwinding, and the static-ice, dynamic-ice, ice-jam
// and thermal-ice coefficients). It holds the values of every file type but shows only the
// rows of the model's type, in a window sized for it.
//
// Five pairs of fields show one model-state value each (the additional system's upwinding,
// the least and greatest surface ice concentration, the ice-to-ice friction and the ice
// cohesion); GiveSettings takes back the field of the model's file type.
#pragma once

#include "platform/Dialog.h"

#include <map>

class ModelState;

class CGlobalSettingsDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CGlobalSettingsDlg(CWnd* parent = nullptr);

    // Binds the six lists, OK, Cancel and the picker, and exchanges every field of a number or
    // whole number; the water temperature not for thermal ice (whose field says "Not
    // Applicable").
    void DoDataExchange(CDataExchange* pDX) override;
    // Fills the lists and the picker from the members and lays the window out by FileType.
    BOOL OnInitDialog() override;
    // Takes the fields and the lists; refuses, with a message and the dialog left open as
    // typed, a field that does not parse, a count of zones or events above its maximum or
    // below 0, and a picker without a time; else takes the picker's time and ends with IDOK.
    void OnOK() override;

    // Fills every member from the model state (its file type, settings, counts, maxima and
    // start date).
    void TakeSettings(const ModelState& state);
    // Gives the values back: the common ones always, those of one file type's fields only when
    // FileType is that type (the others keep what the model state holds).
    void GiveSettings(ModelState& state) const;

    // The value of a field of a number or of a whole number, by the field's id.
    double& Number(int id) { return numbers_[id]; }
    int& Integer(int id) { return integers_[id]; }

    int FileType = 0;
    CComboBox UnitsList;
    CComboBox FormulationList;
    CComboBox UpwindingUpdatingList;
    CComboBox ResistanceList;
    CComboBox ThermalUpwindingUpdatingList;
    CComboBox BorderIceVelocityList;
    CButton OkButton;
    CButton CancelButton;
    CDateTimeCtrl StartPicker;
    // The lists' selected indexes.
    int UnitSystem = 1;  // 0 imperial, 1 metric
    int Formulation = 0;
    int UpwindingUpdating = 0;
    int ResistanceModel = 0;
    int ThermalUpwindingUpdating = 0;
    int BorderIceVelocityMode = 0;
    SYSTEMTIME StartDateTime{};
    int MaxZones = 20;
    int MaxEvents = 100;

private:
    // Hides the rows the file type does not show, moves the dynamic-ice or ice-jam rows into
    // column 1, sizes the window and places OK and Cancel.
    void LayOut();

    std::map<int, double> numbers_;
    std::map<int, int> integers_;
};
