#include "platform/win32/mmsystem.h"

#include "platform/host/host.h"

DWORD timeGetTime() { return CurrentHost().Clock().Milliseconds(); }

// The host clock always has millisecond resolution: nothing to change.
UINT timeBeginPeriod(UINT) { return 0; }
UINT timeEndPeriod(UINT) { return 0; }
