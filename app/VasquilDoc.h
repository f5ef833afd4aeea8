// The document: the model open in the program.
#pragma once

#include "platform/DocView.h"

class CVasquilDoc : public CDocument
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CVasquilDoc();
    ~CVasquilDoc() override;

    BOOL OnNewDocument() override;
};
