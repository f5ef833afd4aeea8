#include "views/PendingViews.h"

const CRuntimeClass CXSectionView::Runtime{"CXSectionView", &CPlaceholderView::Runtime,
                                           &CreateRuntimeObject<CXSectionView>};
