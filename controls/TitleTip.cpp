#include "controls/TitleTip.h"

const CRuntimeClass CTitleTip::Runtime{"CTitleTip", &CWnd::Runtime, &CreateRuntimeObject<CTitleTip>};
