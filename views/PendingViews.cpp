#include "views/PendingViews.h"

const CRuntimeClass CPlanView::Runtime{"CPlanView", &CPlaceholderView::Runtime, &CreateRuntimeObject<CPlanView>};
const CRuntimeClass CNodeTableView::Runtime{"CNodeTableView", &CPlaceholderView::Runtime,
                                            &CreateRuntimeObject<CNodeTableView>};
const CRuntimeClass CXSectionView::Runtime{"CXSectionView", &CPlaceholderView::Runtime,
                                           &CreateRuntimeObject<CXSectionView>};
