// The File Options dialog: the model's file type, chosen from a list of three (open water,
// static ice, thermal ice processes). Dynamic ice has no entry of its own: it shows as thermal
// ice processes, and OK on that entry keeps it dynamic ice.
#pragma once

#include "platform/Dialog.h"

class CFileOptionsDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CFileOptionsDlg(CWnd* parent = nullptr);

    // Fills the list and selects the entry of FileType.
    BOOL OnInitDialog() override;
    // FileType becomes the selected entry's type (the thermal entry gives 3, or keeps 2 when
    // the dialog opened on it with 2); ends with IDOK.
    void OnOK() override;

    // The list's entry that shows a file type, and the file type an entry gives.
    static int EntryOf(int fileType);
    static int FileTypeOf(int entry);

    int FileType = 0;

private:
    int openedEntry_ = -1;
};
