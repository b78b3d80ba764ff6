// Library start-up and shut-down.
#include "runtime/core/library.h"

#include <cstdlib>

#include "runtime/core/log.h"

void FatalExit(const char* message) {
  LogAdd(message);
  // The library is not ended here yet: start-up and shut-down do not exist
  // so far. The process ends at once, without running static destructors or
  // exit handlers, which could touch runtime state left half made.
  std::_Exit(-1);
}
