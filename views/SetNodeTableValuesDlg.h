// The Set Values dialog of the node table: the one value to write into the selected block.
#pragma once

#include "platform/Dialog.h"

class CSetNodeTableValuesDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CSetNodeTableValuesDlg(CWnd* parent = nullptr);

    // Value in the edit field, with the dialogs' number check ("Enter a number.").
    void DoDataExchange(CDataExchange* pDX) override;

    double Value = 0.0;
};
