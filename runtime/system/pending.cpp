// Runtime operations that other parts already call but whose own code is not
// written yet. Each is removed from here when its real body lands.

#include "runtime/core/log.h"

