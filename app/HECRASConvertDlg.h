// The HEC-RAS Geometry File Converter dialog: the geometry file and its system of units, the
// initial depth and discharge of the model, and the name of the model file to write.
#pragma once

#include "platform/Dialog.h"

#include <filesystem>
#include <string>

class CHECRASConvertDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CHECRASConvertDlg(CWnd* parent = nullptr);

    // Both paths, the unit choice as a radio group, both unit texts, the depth and the discharge.
    void DoDataExchange(CDataExchange* pDX) override;
    // Browse... of the geometry file (an open dialog) and of the model file (a save dialog):
    // the fields from the controls, the file dialog, then the fields shown again with the chosen
    // path. Nothing happens while a field does not parse.
    void OnBrowseGeometryFile();
    void OnBrowseOutputFile();
    // The radio buttons: the unit choice and the unit texts ("m" and "cms", or "ft" and "cfs"),
    // the typed fields kept.
    void OnClickedMetric();
    void OnClickedImperial();
    // Convert: ends with IDOK once the fields parse, both files are chosen and the depth is
    // above 0; otherwise says why (the geometry file first) and stays open.
    void OnOK() override;

    std::filesystem::path GeometryPath;
    std::filesystem::path OutputPath;
    std::string LengthUnit = "m";
    std::string DischargeUnit = "cms";
    double InitialDepth = 0.0;
    double InitialDischarge = 0.0;
    int UnitChoice = 1;  // 0 imperial, 1 metric

private:
    void ChooseUnits(int choice);
};
