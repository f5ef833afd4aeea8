// The document's class is known to the platform layer by its name, so the template that joins
// document, frame and view can be built from class records alone.
#include "app/VasquilDoc.h"

#include <gtest/gtest.h>

#include <memory>

TEST(VasquilDoc, IsCreatedFromItsClassRecord)
{
    const CRuntimeClass* record = CRuntimeClass::FromName("CVasquilDoc");
    ASSERT_EQ(record, &CVasquilDoc::Runtime);
    std::unique_ptr<CObject> doc(record->CreateObject());
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->IsKindOf(&CDocument::Runtime));
}
