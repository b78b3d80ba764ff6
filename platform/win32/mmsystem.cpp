// The multimedia library stand-ins: timer, joysticks and the MCI commands.
#include "platform/host/not_emulated.h"
#include "platform/win32/mmsystem.h"

#include <cstring>

#include "platform/host/host.h"
#include "platform/win32/midi_sequencer.h"

DWORD timeGetTime() { return CurrentHost().Clock().Milliseconds(); }

// The host clock always has millisecond resolution: nothing to change.
UINT timeBeginPeriod(UINT) { return 0; }
UINT timeEndPeriod(UINT) { return 0; }

UINT timeGetDevCaps(TIMECAPS* caps, UINT size) {
  if (caps == nullptr || size < sizeof(TIMECAPS)) return 97;  // TIMERR_NOCANDO
  caps->wPeriodMin = 1;
  caps->wPeriodMax = 1000000;
  return TIMERR_NOERROR;
}

namespace {

constexpr UINT kJoystickIds = 4;

DWORD AxisPosition(int32_t value) { return static_cast<DWORD>(value + 32768); }

}  // namespace

MMRESULT joyGetDevCapsA(UINT_PTR joystick_id, JOYCAPSA* caps, UINT size) {
  if (caps == nullptr || size < sizeof(JOYCAPSA)) return JOYERR_PARMS;
  if (joystick_id >= kJoystickIds) return JOYERR_PARMS;
  if (!CurrentHost().Input().Pad(static_cast<int>(joystick_id)).connected) {
    return JOYERR_UNPLUGGED;
  }
  std::memset(caps, 0, sizeof(JOYCAPSA));
  std::strncpy(caps->szPname, "Game pad", sizeof(caps->szPname) - 1);
  caps->wXmax = caps->wYmax = caps->wZmax = caps->wRmax = caps->wUmax = caps->wVmax = 65535;
  caps->wNumButtons = 32;
  caps->wMaxButtons = 32;
  caps->wPeriodMin = 10;
  caps->wPeriodMax = 1000;
  caps->wCaps = JOYCAPS_HASZ | JOYCAPS_HASR | JOYCAPS_HASU | JOYCAPS_HASV | JOYCAPS_HASPOV;
  caps->wMaxAxes = 6;
  caps->wNumAxes = 6;
  return JOYERR_NOERROR;
}

MMRESULT joyGetPosEx(UINT joystick_id, JOYINFOEX* info) {
  if (info == nullptr) return JOYERR_PARMS;
  RequireEmulated(info->dwFlags == JOY_RETURNALL, "joyGetPosEx", "only JOY_RETURNALL is emulated",
                  info->dwFlags);
  if (joystick_id >= kJoystickIds) return JOYERR_PARMS;
  const HostPadState pad = CurrentHost().Input().Pad(static_cast<int>(joystick_id));
  if (!pad.connected) return JOYERR_UNPLUGGED;
  info->dwXpos = AxisPosition(pad.axes[0]);
  info->dwYpos = AxisPosition(pad.axes[1]);
  info->dwZpos = AxisPosition(pad.axes[2]);
  info->dwRpos = AxisPosition(pad.axes[5]);  // the twist axis
  info->dwUpos = AxisPosition(pad.axes[3]);
  info->dwVpos = AxisPosition(pad.axes[4]);
  info->dwButtons = pad.buttons;
  info->dwButtonNumber = 0;
  for (uint32_t bits = pad.buttons; bits != 0; bits &= bits - 1) ++info->dwButtonNumber;
  info->dwPOV = pad.pov < 0 ? JOY_POVCENTERED : static_cast<DWORD>(pad.pov);
  return JOYERR_NOERROR;
}

// ---- Media control interface -----------------------------------------------------

MCIERROR mciSendCommandA(MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR parameters) {
  switch (command) {
    case MCI_OPEN: {
      auto* open = reinterpret_cast<MCI_OPEN_PARMSA*>(parameters);
      RequireEmulated(open != nullptr && (flags & MCI_OPEN_TYPE) != 0, "mciSendCommandA",
                      "MCI_OPEN without a device type is not emulated", flags);
      RequireEmulated(open->lpstrDeviceType != nullptr &&
                          std::strcmp(open->lpstrDeviceType, "sequencer") == 0,
                      "mciSendCommandA", "only the MIDI sequencer is emulated",
                      open->lpstrDeviceType);
      return MidiSequencerOpen(flags, open);
    }
    case MCI_STATUS:
      return MidiSequencerStatus(device, flags, reinterpret_cast<MCI_STATUS_PARMS*>(parameters));
    case MCI_PLAY:
      return MidiSequencerPlay(device, flags,
                               reinterpret_cast<const MCI_PLAY_PARMS*>(parameters));
    case MCI_STOP:
      return MidiSequencerStop(device, flags);
    case MCI_CLOSE:
      return MidiSequencerClose(device, flags);
    default:
      FailNotEmulated("mciSendCommandA", "command not emulated", NotEmulatedValue(command));
  }
}
