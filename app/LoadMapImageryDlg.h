// The Load Georeferenced Map Imagery dialog: a map image and its world file, each checked as it
// is chosen; Load is enabled while both are valid.
#pragma once

#include "platform/Dialog.h"

#include <filesystem>

class CLoadMapImageryDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CLoadMapImageryDlg(CWnd* parent = nullptr);

    // The two paths.
    void DoDataExchange(CDataExchange* pDX) override;
    // Shows the paths the caller set; Load is disabled until both files are chosen and valid.
    BOOL OnInitDialog() override;
    // Browse... of the image: an open dialog for it; a chosen image that does not decode is
    // named in a message and is not valid.
    void OnBrowseImageFile();
    // Browse... of the world file: an open dialog for it; a chosen file that cannot be read,
    // is empty or holds fewer than six numbers is named in a message and is not valid.
    void OnBrowseWorldFile();
    // Load (also Enter): ends with IDOK once the paths are taken, and only while both files
    // are valid.
    void OnOK() override;

    int ImageValid = 0;
    int WorldFileValid = 0;
    std::filesystem::path ImagePath;
    std::filesystem::path WorldFilePath;

private:
    // Load is enabled exactly while both files are valid.
    void EnableLoad();
};
