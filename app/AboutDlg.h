// The About box (dialog 100): what the program is for, when it was last updated, its
// picture and its icon, and OK.
#pragma once

#include "platform/Dialog.h"

class CAboutDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CAboutDlg();
};
