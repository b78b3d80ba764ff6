// Multimedia library stand-ins: the millisecond timer, the joystick
// functions and the media control interface (MCI).
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

// ---- Media control interface -----------------------------------------------------
// Only the MIDI sequencer is ever asked for. It plays a standard MIDI file
// (the element named at MCI_OPEN) through the General MIDI synthesiser,
// mixed into the DirectSound stand-in's output and timed by the samples the
// host pulls (see midi_sequencer.h). Without a sound font, or when the
// synthesiser cannot start, opening it is refused with
// MCIERR_DEVICE_NOT_INSTALLED and one line on the standard error, so music
// files are played as stream sounds. One sequencer is open at a time; device
// ids count up from 1 and are never reused, and commands to a device that is
// not open are refused with MCIERR_INVALID_DEVICE_ID. Any other device type,
// command, flag or status item is not emulated and ends the program.

using MCIDEVICEID = UINT;
using MCIERROR = DWORD;

// Commands.
constexpr UINT MCI_OPEN = 0x0803;
constexpr UINT MCI_CLOSE = 0x0804;
constexpr UINT MCI_PLAY = 0x0806;
constexpr UINT MCI_STOP = 0x0808;
constexpr UINT MCI_STATUS = 0x0814;

// The notification code, the wParam of MM_MCINOTIFY (its lParam is the
// device id). A play given MCI_NOTIFY posts MCI_NOTIFY_SUCCESSFUL when the
// piece ends; a play stopped, replaced or closed before its end posts
// nothing (the runtime acts on every notification, whatever its code, so a
// late one would close or restart the piece that holds the device then).
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;

// Command flags.
constexpr DWORD MCI_NOTIFY = 0x00000001;
constexpr DWORD MCI_WAIT = 0x00000002;
constexpr DWORD MCI_FROM = 0x00000004;
constexpr DWORD MCI_TO = 0x00000008;
constexpr DWORD MCI_STATUS_ITEM = 0x00000100;
constexpr DWORD MCI_OPEN_ELEMENT = 0x00000200;
constexpr DWORD MCI_OPEN_TYPE = 0x00002000;

// Status items of the sequencer: the MIDI output port, MCI_SEQ_MAPPER for the
// MIDI mapper.
constexpr DWORD MCI_SEQ_STATUS_PORT = 0x00004003;
constexpr DWORD MCI_SEQ_MAPPER = 0x0000FFFF;

// Results.
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 257;
constexpr MCIERROR MCIERR_DEVICE_OPEN = 265;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = 275;
constexpr MCIERROR MCIERR_INVALID_FILE = 296;
constexpr MCIERROR MCIERR_DEVICE_NOT_INSTALLED = 306;

// The parameter records (passed as DWORD_PTR). dwCallback is the window that
// gets MM_MCINOTIFY when MCI_NOTIFY is given.
struct MCI_GENERIC_PARMS {
  DWORD_PTR dwCallback;
};
struct MCI_OPEN_PARMSA {
  DWORD_PTR dwCallback;
  MCIDEVICEID wDeviceID;  // filled on success
  LPCSTR lpstrDeviceType;
  LPCSTR lpstrElementName;
  LPCSTR lpstrAlias;
};
struct MCI_PLAY_PARMS {
  DWORD_PTR dwCallback;
  DWORD dwFrom;
  DWORD dwTo;
};
struct MCI_STATUS_PARMS {
  DWORD_PTR dwCallback;
  DWORD_PTR dwReturn;
  DWORD dwItem;
  DWORD dwTrack;
};

// Sends `command` with `flags` and its parameter record to `device`
// (0 for MCI_OPEN). 0 on success, else an MCIERR_ value.
MCIERROR mciSendCommandA(MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR parameters);
