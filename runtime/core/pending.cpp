// Runtime operations that other parts already call but whose own code is not
// written yet. Each is removed from here when its real body lands.

#include "runtime/core/library.h"
#include "runtime/core/log.h"

// Library start-up: not running; the system is the platform's Windows XP
// until start-up reads it.
int32_t InitRunningFlag = 0;
int32_t OsVersionCode = 0x107;

// Debug console: no fonts to draw its lines with yet.
int DrawDebugConsole() { return 0; }
