// The program's resource tables.
#include "resources/ResourceIds.h"
