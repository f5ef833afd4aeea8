// The cross-section view, as a tab of the main view that shows only the views' ground colour
// until it is built. It carries its own class, by which the main view and the frame tell the
// tabs apart.
#pragma once

#include "app/PlaceholderView.h"

class CXSectionView : public CPlaceholderView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
};
