#include "app/VasquilDoc.h"

const CRuntimeClass CVasquilDoc::Runtime{"CVasquilDoc", &CDocument::Runtime, &CreateRuntimeObject<CVasquilDoc>};

CVasquilDoc::CVasquilDoc() = default;

CVasquilDoc::~CVasquilDoc() = default;

BOOL CVasquilDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}
