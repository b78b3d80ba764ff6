// Multimedia library stand-ins: the millisecond timer and the joystick
// functions (later also MCI).
#pragma once

#include "platform/win32/types.h"

// Milliseconds from the host clock.
DWORD timeGetTime();
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);

constexpr UINT TIMERR_NOERROR = 0;
struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};
// The host clock counts whole milliseconds: 1 to 1,000,000 ms.
UINT timeGetDevCaps(TIMECAPS* caps, UINT size);

// ---- Joysticks ----------------------------------------------------------------
// Joystick ids 0 to 3 are the host's pads 1 to 4 while connected. Every pad
// has six axes (X, Y, Z, R = the twist axis, U, V), a point-of-view hat and
// 32 buttons.

using MMRESULT = UINT;
constexpr MMRESULT JOYERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT JOYERR_PARMS = 165;
constexpr MMRESULT JOYERR_UNPLUGGED = 167;

constexpr UINT JOYCAPS_HASZ = 0x0001;
constexpr UINT JOYCAPS_HASR = 0x0002;
constexpr UINT JOYCAPS_HASU = 0x0004;
constexpr UINT JOYCAPS_HASV = 0x0008;
constexpr UINT JOYCAPS_HASPOV = 0x0010;

struct JOYCAPSA {
  WORD wMid;
  WORD wPid;
  CHAR szPname[32];
  UINT wXmin, wXmax, wYmin, wYmax, wZmin, wZmax;
  UINT wNumButtons;
  UINT wPeriodMin, wPeriodMax;
  UINT wRmin, wRmax, wUmin, wUmax, wVmin, wVmax;
  UINT wCaps;
  UINT wMaxAxes;
  UINT wNumAxes;
  UINT wMaxButtons;
  CHAR szRegKey[32];
  CHAR szOEMVxD[260];
};

constexpr DWORD JOY_RETURNX = 0x001;
constexpr DWORD JOY_RETURNY = 0x002;
constexpr DWORD JOY_RETURNZ = 0x004;
constexpr DWORD JOY_RETURNR = 0x008;
constexpr DWORD JOY_RETURNU = 0x010;
constexpr DWORD JOY_RETURNV = 0x020;
constexpr DWORD JOY_RETURNPOV = 0x040;
constexpr DWORD JOY_RETURNBUTTONS = 0x080;
constexpr DWORD JOY_RETURNALL = 0x0FF;
constexpr DWORD JOY_POVCENTERED = 0xFFFF;

struct JOYINFOEX {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwXpos, dwYpos, dwZpos, dwRpos, dwUpos, dwVpos;
  DWORD dwButtons;
  DWORD dwButtonNumber;
  DWORD dwPOV;
  DWORD dwReserved1, dwReserved2;
};

// JOYERR_NOERROR for a connected pad; JOYERR_UNPLUGGED for a known id without
// one, JOYERR_PARMS for ids 4 and above.
MMRESULT joyGetDevCapsA(UINT_PTR joystick_id, JOYCAPSA* caps, UINT size);
// Only JOY_RETURNALL is emulated. Axis positions are the host's values plus
// 32768 (0 to 65535); the hat in hundredths of a degree, JOY_POVCENTERED at
// rest; buttons 0 to 31 as bits.
MMRESULT joyGetPosEx(UINT joystick_id, JOYINFOEX* info);
