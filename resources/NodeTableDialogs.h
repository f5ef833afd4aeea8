// The node table's templates: the form of the Node Table Editor tab (IDD_NODE_TABLE_VIEW),
// whose one grid the view lays over the whole view, and the Set Values dialog
// (IDD_SET_NODE_TABLE_VALUES) that asks for one value.
#pragma once

#include "resources/ResourceIds.h"

// Registers both templates; later calls do nothing.
void RegisterNodeTableDialogs();
