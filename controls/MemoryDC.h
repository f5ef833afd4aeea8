// The context a grid paints through in one paint. A window's retained surface is off screen
// already (the screen shows it only when the paint is done), so this context draws straight
// into its target's surface or device, over the target's clip box, and copies nothing when it
// ends.
#pragma once

#include "platform/DeviceContext.h"

class CMemoryDC : public CDC
{
public:
    explicit CMemoryDC(CDC* target);
    ~CMemoryDC() override;
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    // The part of the target it covers: the target's clip box.
    const CRect& Area() const { return rect_; }

private:
    CDC* target_;
    CRect rect_;
};
