#include "controls/MemoryDC.h"

CMemoryDC::CMemoryDC(CDC* target) : CDC(*target, SameTarget{}), target_(target)
{
    target_->GetClipBox(&rect_);
}

CMemoryDC::~CMemoryDC() = default;
