// Multimedia library stand-ins: the millisecond timer (later also the
// joystick functions and MCI).
#pragma once

#include "platform/win32/types.h"

// Milliseconds from the host clock.
DWORD timeGetTime();
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);
