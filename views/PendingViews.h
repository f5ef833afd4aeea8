// The node-table and cross-section views, as tabs of the main view that show only the views'
// ground colour until each is built. They carry their own classes, by which the main view and
// the frame tell the tabs apart.
#pragma once

#include "app/PlaceholderView.h"

class CNodeTableView : public CPlaceholderView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
};

class CXSectionView : public CPlaceholderView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
};
