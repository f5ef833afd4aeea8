#include "views/PendingViews.h"

const CRuntimeClass CNodeTableView::Runtime{"CNodeTableView", &CPlaceholderView::Runtime,
                                            &CreateRuntimeObject<CNodeTableView>};
const CRuntimeClass CXSectionView::Runtime{"CXSectionView", &CPlaceholderView::Runtime,
                                           &CreateRuntimeObject<CXSectionView>};
