// DirectInput stand-in, versions 7 and 8: the system keyboard (the host's key
// table, by DirectInput key code), the system mouse (always at rest) and one
// game controller per connected host pad. Objects are made through
// CoCreateInstance (CLSID_DirectInput with IID_IDirectInput7,
// CLSID_DirectInput8 with IID_IDirectInput8), so a test can replace them.
//
// Pads report X, Y, Z, Rx, Ry, Rz from the host's six axes, scaled into the
// range set for each axis (0 to 65535 unless set) with its dead zone (none
// unless set): inside the dead zone an axis reads the middle of its range,
// beyond it the rest of the way to the end is spread over the rest of the
// range. The first hat gives the point of view; 32 buttons. No device has
// force feedback: CreateEffect fails with DIERR_UNSUPPORTED.
//
// A device's notification event is set when the host's tables show new data
// for it, which the window stand-in checks each time it takes the host's
// events (NoteHostInputForDirectInput), and when it is acquired.
#pragma once

#include "platform/win32/com.h"
#include "platform/win32/types.h"

extern const CLSID CLSID_DirectInput;
extern const CLSID CLSID_DirectInput8;
extern const IID IID_IDirectInput7;
extern const IID IID_IDirectInput8;
extern const IID IID_IDirectInputDevice7;
extern const IID IID_IDirectInputDevice8;
extern const GUID GUID_SysMouse;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_Sine;

constexpr DWORD DIRECTINPUT_VERSION_7 = 0x0700;
constexpr DWORD DIRECTINPUT_VERSION_8 = 0x0800;

constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DIERR_DEVICENOTREG = REGDB_E_CLASSNOTREG;
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);

// Device types to enumerate: game controllers (DIDEVTYPE_JOYSTICK for
// version 7, DI8DEVCLASS_GAMECTRL for version 8; both 4).
constexpr DWORD DIDEVTYPE_JOYSTICK = 4;
constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;
constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

// Data formats; the stand-in tells them apart by address.
struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
};
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIJoystick;

struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  CHAR tszInstanceName[260];
  CHAR tszProductName[260];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
};
using LPDIENUMDEVICESCALLBACKA = BOOL (*)(const DIDEVICEINSTANCEA* instance, LPVOID context);

// Properties, named by number.
using DIPROPID = uintptr_t;
constexpr DIPROPID DIPROP_BUFFERSIZE = 1;
constexpr DIPROPID DIPROP_RANGE = 4;
constexpr DIPROPID DIPROP_DEADZONE = 5;

constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
};

// The joystick state (80 bytes) and its axis offsets.
struct DIJOYSTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  LONG lRx;
  LONG lRy;
  LONG lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];
  BYTE rgbButtons[32];
};
constexpr DWORD DIJOFS_X = 0;
constexpr DWORD DIJOFS_Y = 4;
constexpr DWORD DIJOFS_Z = 8;
constexpr DWORD DIJOFS_RX = 12;
constexpr DWORD DIJOFS_RY = 16;
constexpr DWORD DIJOFS_RZ = 20;

struct DIMOUSESTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
};

// Effects (declared for the callers; no device makes one).
struct DIPERIODIC {
  DWORD dwMagnitude;
  LONG lOffset;
  DWORD dwPhase;
  DWORD dwPeriod;
};
struct DIEFFECT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDuration;  // microseconds
  DWORD dwSamplePeriod;
  DWORD dwGain;
  DWORD dwTriggerButton;
  DWORD dwTriggerRepeatInterval;
  DWORD cAxes;
  DWORD* rgdwAxes;
  LONG* rglDirection;
  void* lpEnvelope;
  DWORD cbTypeSpecificParams;
  LPVOID lpvTypeSpecificParams;
  DWORD dwStartDelay;
};
constexpr DWORD DIEFF_CARTESIAN = 0x10;
constexpr DWORD DIEFF_OBJECTOFFSETS = 0x2;
constexpr DWORD DIEB_NOTRIGGER = 0xFFFFFFFFu;
constexpr DWORD INFINITE_ITERATIONS = 0xFFFFFFFFu;

class IDirectInputEffect : public IUnknown {
 public:
  virtual HRESULT Start(DWORD iterations, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
};

class IDirectInputDevice7 : public IUnknown {
 public:
  virtual HRESULT GetDeviceState(DWORD size, LPVOID data) = 0;
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
  virtual HRESULT SetEventNotification(HANDLE event) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* instance) = 0;
  virtual HRESULT SetProperty(DIPROPID property, const DIPROPHEADER* header) = 0;
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  virtual HRESULT Poll() = 0;
  virtual HRESULT CreateEffect(REFGUID effect_guid, const DIEFFECT* effect,
                               IDirectInputEffect** out, LPUNKNOWN outer) = 0;
};

// The version 8 device offers the same operations.
class IDirectInputDevice8 : public IDirectInputDevice7 {};

class IDirectInput7 : public IUnknown {
 public:
  virtual HRESULT Initialize(HINSTANCE instance, DWORD version) = 0;
  virtual HRESULT EnumDevices(DWORD device_type, LPDIENUMDEVICESCALLBACKA callback,
                              LPVOID context, DWORD flags) = 0;
  virtual HRESULT CreateDeviceEx(REFGUID device, REFIID riid, LPVOID* out, LPUNKNOWN outer) = 0;
};

class IDirectInput8 : public IUnknown {
 public:
  virtual HRESULT Initialize(HINSTANCE instance, DWORD version) = 0;
  virtual HRESULT EnumDevices(DWORD device_type, LPDIENUMDEVICESCALLBACKA callback,
                              LPVOID context, DWORD flags) = 0;
  virtual HRESULT CreateDevice(REFGUID device, IDirectInputDevice8** out, LPUNKNOWN outer) = 0;
};

// Stand-in internals: sets the notification event of every device whose data
// in the host's tables changed since it was last read or noted. The window
// stand-in calls it each time it takes the host's events.
void NoteHostInputForDirectInput();
