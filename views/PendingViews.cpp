#include "views/PendingViews.h"

const CRuntimeClass CNodeTableView::Runtime{"CNodeTableView", &CPlaceholderView::Runtime,
                                            &CreateRuntimeObject<CNodeTableView>};
