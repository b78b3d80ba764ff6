// Input devices: the keyboard and up to eight pads, read through DirectInput
// (version 7, else 8) or, without it, through the multimedia joystick
// functions and the keyboard state. The game asks two questions each frame:
// is a key down (IsKeyDown) and which directions and buttons of a pad,
// optionally with the keyboard, are pressed (GetPadInputBits).
#pragma once

#include <cstdint>

#include "platform/win32/dinput.h"
#include "platform/win32/types.h"

constexpr int32_t kPadRecordCount = 8;
// The keyboard bit of an input set; the low 12 bits give the pad number.
constexpr int32_t kInputSetKeyboard = 0x1000;

struct PadRecord {
  IDirectInputDevice7* device;
  IDirectInputEffect* effect_a;  // null when it could not be made
  IDirectInputEffect* effect_b;
  HANDLE event;        // the device's notification event (manual reset)
  DIJOYSTATE state;
  int32_t has_z_and_r;  // without DirectInput: the joystick has a Z and an R axis
  uint32_t refresh_time;
  int32_t effect_playing;
  int32_t effect_power;
  int32_t effect_length;  // ms, negative for endless
  int32_t effect_elapsed;
  uint32_t effect_clock;
  int32_t effect_a_started;
  int32_t effect_b_started;
  char instance_name[260];
  char product_name[260];
  double dead_zone;
};

// The state of the input layer (also called InputState; the name is the
// host's key-table class on this platform). Cleared at start except its
// first word.
struct InputDeviceState {
  int32_t no_direct_input;  // set by the fallback of start, kept by later starts
  int32_t direct_input8;    // 1 when the object is a version 8 object
  // Null while input is not started, the object while running with
  // DirectInput, kNoDirectInputObject while running without it.
  IUnknown* direct_input;
  IDirectInput7* direct_input7;
  IDirectInput8* direct_input8_object;
  IDirectInputDevice7* mouse;
  IDirectInputDevice7* keyboard;
  HANDLE keyboard_event;
  uint32_t keyboard_refresh_time;
  uint8_t KeyStateBuffer[256];  // by DirectInput key code; bit 7 while down
  int32_t pad_count;
  PadRecord pads[kPadRecordCount];
};
extern InputDeviceState InputDevices;

// The value of InputDevices.direct_input while input runs without DirectInput.
IUnknown* NoDirectInputObject();

// Pairs of (virtual-key code, DirectInput key code), ending with 0xFFFF; the
// row with the virtual-key code 0xFFFE is a placeholder.
struct VkToDikRow {
  uint16_t virtual_key;
  uint16_t dik;
};
extern const VkToDikRow VkToDikTable[];

// 0; -1 (the log's result) when a mouse or keyboard step fails; 1 when the
// keyboard event cannot be set up. Does nothing while input runs.
int InitInput();
int EndInput();
// 0, or -1 without a DirectInput object.
int InitJoypads();
// 1 to go on enumerating, 0 to stop.
BOOL OnInputDeviceFound(const DIDEVICEINSTANCEA* instance, LPVOID context);
// 1 when refreshed, 0 when not.
int UpdateKeyboardState();
// 0; -1 for an index of 8 or more or a lost window.
int UpdatePadState(int32_t index);
// 1 down, 0 up.
int IsKeyDown(int32_t key_code);
// Direction and button bits: 0x1 down, 0x2 left, 0x4 right, 0x8 up, then
// buttons from 0x10; the keyboard adds Z X C A S D Q W, Escape (0x1000) and
// Space (0x2000).
int32_t GetPadInputBits(int32_t input_set);
// Services of the window procedure and message processing.
int AcquireInputDevices();
int UnacquireInputDevices();
int ResetPadEffect(int32_t input_set);
int UpdateInputPerFrame();
int CloseInputEvents();

// Window operations beside the input layer.
// The window moved: the client rectangle is stored from the position word
// and handed to the drawing settings. 0.
int OnMainWindowMoved(LPARAM position);
// Brings the window to the foreground (topmost with `topmost` 1). 0.
int BringMainWindowForward(HWND window, int32_t topmost);
