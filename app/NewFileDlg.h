// The New File dialog: the shape of a new trapezoidal channel and the name of its model file.
#pragma once

#include "datalib/NewChannelModel.h"
#include "platform/Dialog.h"

#include <filesystem>

class CNewFileDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CNewFileDlg(CWnd* parent = nullptr);

    // The ten numbers (the node count as an integer), then the path.
    void DoDataExchange(CDataExchange* pDX) override;
    // Browse...: the fields from the controls, a save dialog for the file, then the fields
    // shown again with the chosen path. Nothing happens while a field does not parse.
    void OnBrowseFile();
    // Create: ends with IDOK once the fields parse, a path is chosen and the shape makes a
    // model (two nodes or more, a spacing above 0); otherwise says why and stays open.
    void OnOK() override;

    NewChannelShape Shape;
    std::filesystem::path Path;
};
