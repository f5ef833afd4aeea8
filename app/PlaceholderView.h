// The frame's view until the tabbed main view takes its place: an empty light-grey client.
#pragma once

#include "platform/DocView.h"

class CPlaceholderView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Fills the client with the view's ground colour.
    void OnDraw(CDC* pDC) override;
};
