// Input devices: start and end, the keyboard and pad refresh, the questions
// the game asks, the services of the window procedure, and the two window
// operations that live beside them.
#include "runtime/input/input.h"

#include <cstring>

#include "platform/win32/com.h"
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "runtime/core/log.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/mask.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"

InputDeviceState InputDevices = {};

const VkToDikRow VkToDikTable[] = {
    // Letters.
    {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E}, {0x44, 0x20}, {0x45, 0x12}, {0x46, 0x21},
    {0x47, 0x22}, {0x48, 0x23}, {0x49, 0x17}, {0x4A, 0x24}, {0x4B, 0x25}, {0x4C, 0x26},
    {0x4D, 0x32}, {0x4E, 0x31}, {0x4F, 0x18}, {0x50, 0x19}, {0x51, 0x10}, {0x52, 0x13},
    {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16}, {0x56, 0x2F}, {0x57, 0x11}, {0x58, 0x2D},
    {0x59, 0x15}, {0x5A, 0x2C},
    // Digits.
    {0x30, 0x0B}, {0x31, 0x02}, {0x32, 0x03}, {0x33, 0x04}, {0x34, 0x05}, {0x35, 0x06},
    {0x36, 0x07}, {0x37, 0x08}, {0x38, 0x09}, {0x39, 0x0A},
    // Arrows.
    {0x25, 0xCB}, {0x26, 0xC8}, {0x27, 0xCD}, {0x28, 0xD0},
    // Punctuation, Delete, Escape, Space, Back, Tab, Return.
    {0xBB, 0x27}, {0xBA, 0x92}, {0xDB, 0x1A}, {0xDD, 0x1B}, {0xC0, 0x91}, {0xE2, 0x2B},
    {0xBC, 0x33}, {0xBD, 0x0C}, {0xDC, 0x7D}, {0xBE, 0x34}, {0xBF, 0x35}, {0x2E, 0xD3},
    {0x1B, 0x01}, {0x20, 0x39}, {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C},
    // Numeric pad.
    {0x60, 0x52}, {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C},
    {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49}, {0x6A, 0x37}, {0x6B, 0x4E},
    {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0xB5},
    // The placeholder.
    {0xFFFE, 0x00},
    // Return as the numeric pad's Enter.
    {0x0D, 0x9C},
    // Shifts, controls, paging, Insert, menus, Scroll Lock, Caps Lock, Pause.
    {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x9D}, {0x21, 0xC9}, {0x22, 0xD1},
    {0x23, 0xCF}, {0x24, 0xC7}, {0x2D, 0xD2}, {0xA4, 0x38}, {0xA5, 0xB8}, {0x91, 0x46},
    {0x14, 0x3A}, {0x13, 0xC5},
    // F1 to F12.
    {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40},
    {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58},
    // End.
    {0xFFFF, 0x00},
};

namespace {

constexpr uint16_t kPlaceholder = 0xFFFE;
constexpr uint16_t kTableEnd = 0xFFFF;

// The keyboard keys of the pad bits: two keys may give one bit.
struct KeyBit {
  uint8_t dik;
  int32_t bit;
};
constexpr KeyBit kKeyBits[] = {
    {0xD0, 0x1},   {0x50, 0x1},   {0xCB, 0x2},   {0x4B, 0x2},    {0xCD, 0x4},
    {0x4D, 0x4},   {0xC8, 0x8},   {0x48, 0x8},   {0x2C, 0x10},   {0x2D, 0x20},
    {0x2E, 0x40},  {0x1E, 0x80},  {0x1F, 0x100}, {0x20, 0x200},  {0x10, 0x400},
    {0x11, 0x800}, {0x01, 0x1000}, {0x39, 0x2000},
};

IUnknown* const kNoDirectInput = reinterpret_cast<IUnknown*>(static_cast<intptr_t>(-1));

bool Started() { return InputDevices.direct_input != nullptr; }
bool WithDirectInput() { return Started() && InputDevices.direct_input != kNoDirectInput; }
bool WindowGone() { return MainWindow.window == nullptr || WindowClosedFlag == 1; }

bool EventSet(HANDLE event) {
  return event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

template <typename T>
void ReleaseAndClear(T** object) {
  if (*object != nullptr) (*object)->Release();
  *object = nullptr;
}

void ReleaseDirectInputObject() {
  ReleaseAndClear(&InputDevices.direct_input7);
  ReleaseAndClear(&InputDevices.direct_input8_object);
  InputDevices.direct_input = nullptr;
}

void ReleaseKeyboardAndMouse() {
  if (InputDevices.keyboard != nullptr) InputDevices.keyboard->Unacquire();
  ReleaseAndClear(&InputDevices.keyboard);
  if (InputDevices.keyboard_event != nullptr) CloseHandle(InputDevices.keyboard_event);
  InputDevices.keyboard_event = nullptr;
  if (InputDevices.mouse != nullptr) InputDevices.mouse->Unacquire();
  ReleaseAndClear(&InputDevices.mouse);
}

HRESULT CreateSystemDevice(REFGUID guid, IDirectInputDevice7** device) {
  *device = nullptr;
  if (InputDevices.direct_input8) {
    IDirectInputDevice8* made = nullptr;
    const HRESULT result = InputDevices.direct_input8_object->CreateDevice(guid, &made, nullptr);
    *device = made;
    return result;
  }
  return InputDevices.direct_input7->CreateDeviceEx(guid, IID_IDirectInputDevice7,
                                                    reinterpret_cast<void**>(device), nullptr);
}

// A failed mouse or keyboard step: everything made so far goes, and start
// ends with the log's result.
int FailDeviceStep(const char* message) {
  ReleaseKeyboardAndMouse();
  ReleaseDirectInputObject();
  return LogAdd(message);
}

// Makes one version's object and initialises it.
bool MakeDirectInput(bool version8) {
  void* object = nullptr;
  const HRESULT created =
      CoCreateInstance(version8 ? CLSID_DirectInput8 : CLSID_DirectInput, nullptr,
                       CLSCTX_INPROC_SERVER, version8 ? IID_IDirectInput8 : IID_IDirectInput7,
                       &object);
  if (FAILED(created)) {
    if (version8) {
      LogAdd("取得に失敗。");
    } else {
      LogAdd("取得に失敗。\n");
      LogPrintf("エラーコード 0x%x", static_cast<unsigned>(created));
    }
    return false;
  }
  LogAdd("成功\n");
  LogAdd("引き続き初期化処理... ");
  HRESULT initialized;
  if (version8) {
    auto* direct_input = static_cast<IDirectInput8*>(object);
    initialized = direct_input->Initialize(MainWindow.instance, DIRECTINPUT_VERSION_8);
    if (SUCCEEDED(initialized)) InputDevices.direct_input8_object = direct_input;
    else direct_input->Release();
  } else {
    auto* direct_input = static_cast<IDirectInput7*>(object);
    initialized = direct_input->Initialize(MainWindow.instance, DIRECTINPUT_VERSION_7);
    if (SUCCEEDED(initialized)) InputDevices.direct_input7 = direct_input;
    else direct_input->Release();
  }
  if (FAILED(initialized)) {
    LogAdd("初期化に失敗。");
    return false;
  }
  LogAdd("初期化成功\n");
  InputDevices.direct_input8 = version8 ? 1 : 0;
  InputDevices.direct_input = static_cast<IUnknown*>(
      version8 ? static_cast<IUnknown*>(InputDevices.direct_input8_object)
               : static_cast<IUnknown*>(InputDevices.direct_input7));
  return true;
}

int StartWithDirectInput() {
  InitJoypads();

  LogAdd("マウスデバイスの初期化... ");
  if (FAILED(CreateSystemDevice(GUID_SysMouse, &InputDevices.mouse))) {
    return FailDeviceStep("マウスデバイスの取得に失敗しました");
  }
  if (FAILED(InputDevices.mouse->SetDataFormat(&c_dfDIMouse))) {
    return FailDeviceStep("マウスデバイスのデータ形式の設定に失敗しました");
  }
  if (FAILED(InputDevices.mouse->SetCooperativeLevel(MainWindow.window,
                                                     DISCL_NONEXCLUSIVE | DISCL_BACKGROUND))) {
    return FailDeviceStep("マウスデバイスの協調レベルの設定に失敗しました");
  }
  LogAdd("初期化成功\n");

  LogAdd("キーボードデバイスの初期化... ");
  if (FAILED(CreateSystemDevice(GUID_SysKeyboard, &InputDevices.keyboard))) {
    return FailDeviceStep("キーボードデバイスの取得に失敗しました");
  }
  if (FAILED(InputDevices.keyboard->SetDataFormat(&c_dfDIKeyboard))) {
    return FailDeviceStep("キーボードデバイスのデータ形式の設定に失敗しました");
  }
  if (FAILED(InputDevices.keyboard->SetCooperativeLevel(MainWindow.window,
                                                        DISCL_NONEXCLUSIVE | DISCL_BACKGROUND))) {
    return FailDeviceStep("キーボードデバイスの協調レベルの設定に失敗しました");
  }
  DIPROPDWORD buffer_size{};
  buffer_size.diph.dwSize = sizeof(buffer_size);
  buffer_size.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  buffer_size.diph.dwObj = 0;
  buffer_size.diph.dwHow = DIPH_DEVICE;
  buffer_size.dwData = 100;
  if (FAILED(InputDevices.keyboard->SetProperty(DIPROP_BUFFERSIZE, &buffer_size.diph))) {
    LogAdd("キーボードのプロパティ設定に失敗しました\n");
  }
  InputDevices.keyboard_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HRESULT notification =
      InputDevices.keyboard->SetEventNotification(InputDevices.keyboard_event);
  if (notification != DI_OK && notification != DI_POLLEDDEVICE) {
    LogAdd("キーボードイベントのセットアップが失敗しました\n");
    return 1;
  }
  if (FAILED(InputDevices.keyboard->Acquire()) && FAILED(InputDevices.keyboard->Acquire())) {
    ReleaseKeyboardAndMouse();
  } else {
    LogAdd("初期化成功\n");
  }
  LogAdd("DirectInput 関連の初期化は正常に終了しました\n");
  return 0;
}

int StartWithoutDirectInput(bool after_failed_attempt) {
  if (after_failed_attempt) {
    LogAdd("DirectInput を使用しません。\n");
    ReleaseDirectInputObject();
    InputDevices.no_direct_input = 1;
  }
  int found = 0;
  for (UINT id = 0; id < static_cast<UINT>(kPadRecordCount); ++id) {
    JOYCAPSA caps{};
    if (joyGetDevCapsA(id, &caps, sizeof(caps)) != JOYERR_NOERROR) break;
    InputDevices.pads[id].has_z_and_r =
        (caps.wCaps & JOYCAPS_HASZ) && (caps.wCaps & JOYCAPS_HASR) ? 1 : 0;
    ++found;
  }
  LogPrintf("パッドの数は %d 個です", found);
  InputDevices.direct_input = kNoDirectInput;
  LogAdd("入力関連の初期化をしました\n");
  // Every joystick id is polled: pads that come later are read too.
  InputDevices.pad_count = kPadRecordCount;
  return 0;
}

// A joystick position (0 to 65535) as an axis of -1000 to 1000, with the
// middle quarter of each side dead.
LONG ScaleJoystickPosition(DWORD position) {
  const int64_t value = position;
  if (value == 0) return -1000;
  if (value == 32767) return 0;
  if (value == 65535) return 1000;
  if (value < 24576) return static_cast<LONG>((value - 24576) * 1000 / 24576);
  if (value > 40960) return static_cast<LONG>((value - 40960) * 1000 / 24576);
  return 0;
}

DWORD CooperativeLevelForActivity() {
  return MainWindow.active ? (DISCL_EXCLUSIVE | DISCL_FOREGROUND)
                           : (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
}

}  // namespace

IUnknown* NoDirectInputObject() { return kNoDirectInput; }

int InitInput() {
  if (Started()) return 0;
  const int32_t no_direct_input = InputDevices.no_direct_input;
  InputDevices = InputDeviceState{};
  InputDevices.no_direct_input = no_direct_input;
  if (no_direct_input) return StartWithoutDirectInput(false);

  LogAdd("DirectInput関係初期化処理\n");
  LogAdd("DirectInput7 の取得中... ");
  if (MakeDirectInput(false)) return StartWithDirectInput();
  LogAdd("DirectInput8 の取得を試みます...");
  if (MakeDirectInput(true)) return StartWithDirectInput();
  return StartWithoutDirectInput(true);
}

int EndInput() {
  if (!WithDirectInput()) {
    LogAdd("入力関連の終了処理... 完了\n");
    InputDevices.direct_input = nullptr;
    return 0;
  }
  LogAdd("DirectInput 関連の終了処理... 完了\n");
  CloseInputEvents();
  ReleaseKeyboardAndMouse();
  ReleaseDirectInputObject();
  return 0;
}

int CloseInputEvents() {
  for (PadRecord& pad : InputDevices.pads) {
    if (pad.effect_a != nullptr) pad.effect_a->Stop();
    ReleaseAndClear(&pad.effect_a);
    if (pad.effect_b != nullptr) pad.effect_b->Stop();
    ReleaseAndClear(&pad.effect_b);
    if (pad.device != nullptr) {
      pad.device->SetEventNotification(nullptr);
      pad.device->Unacquire();
    }
    ReleaseAndClear(&pad.device);
    if (pad.event != nullptr) CloseHandle(pad.event);
    pad = PadRecord{};
  }
  return 0;
}

int InitJoypads() {
  if (!WithDirectInput()) return -1;
  CloseInputEvents();
  LogAdd("ジョイパッドの初期化... ");
  InputDevices.pad_count = 0;
  if (InputDevices.direct_input8) {
    InputDevices.direct_input8_object->EnumDevices(DI8DEVCLASS_GAMECTRL, OnInputDeviceFound,
                                                   nullptr, DIEDFL_ATTACHEDONLY);
  } else {
    InputDevices.direct_input7->EnumDevices(DIDEVTYPE_JOYSTICK, OnInputDeviceFound, nullptr,
                                            DIEDFL_ATTACHEDONLY);
  }
  LogAdd("ジョイパッドの初期化は正常に終了しました\n");
  return 0;
}

BOOL OnInputDeviceFound(const DIDEVICEINSTANCEA* instance, LPVOID) {
  LogAdd("入力装置を見つけました\n");
  PadRecord& pad = InputDevices.pads[InputDevices.pad_count];
  IDirectInputDevice7* device = nullptr;
  if (FAILED(CreateSystemDevice(instance->guidInstance, &device))) {
    LogAdd("入力装置の取得に失敗しました\n");
    return DIENUM_CONTINUE;
  }
  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof(info);
  device->GetDeviceInfo(&info);
  std::memcpy(pad.instance_name, info.tszInstanceName, sizeof(pad.instance_name));
  std::memcpy(pad.product_name, info.tszProductName, sizeof(pad.product_name));
  LogPrintf("デバイスの登録名:%s", pad.instance_name);
  LogPrintf("デバイスの製品登録名:%s", pad.product_name);

  auto skip = [&](const char* message) {
    device->Release();
    LogAdd(message);
    return DIENUM_CONTINUE;
  };
  if (FAILED(device->SetDataFormat(&c_dfDIJoystick))) {
    return skip("ジョイパッドデバイスではありませんでした、又は設定に失敗しました\n");
  }
  if (FAILED(device->SetCooperativeLevel(MainWindow.window,
                                         DISCL_EXCLUSIVE | DISCL_FOREGROUND))) {
    return skip("ジョイパッドデバイスの協調レベルの設定に失敗しました\n");
  }
  DIPROPRANGE range{};
  range.diph.dwSize = sizeof(range);
  range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  range.diph.dwHow = DIPH_BYOFFSET;
  range.lMin = -1000;
  range.lMax = 1000;
  range.diph.dwObj = DIJOFS_X;
  if (FAILED(device->SetProperty(DIPROP_RANGE, &range.diph))) {
    return skip("ジョイパッドデバイスのＸ軸関係の設定に失敗しました\n");
  }
  range.diph.dwObj = DIJOFS_Y;
  if (FAILED(device->SetProperty(DIPROP_RANGE, &range.diph))) {
    return skip("ジョイパッドデバイスのＹ軸関係の設定に失敗しました\n");
  }
  range.diph.dwObj = DIJOFS_Z;
  device->SetProperty(DIPROP_RANGE, &range.diph);
  range.diph.dwObj = DIJOFS_RZ;
  device->SetProperty(DIPROP_RANGE, &range.diph);

  DIPROPDWORD dead_zone{};
  dead_zone.diph.dwSize = sizeof(dead_zone);
  dead_zone.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  dead_zone.diph.dwHow = DIPH_BYOFFSET;
  dead_zone.dwData = 2500;
  dead_zone.diph.dwObj = DIJOFS_X;
  if (FAILED(device->SetProperty(DIPROP_DEADZONE, &dead_zone.diph))) {
    return skip("ジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました\n");
  }
  dead_zone.diph.dwObj = DIJOFS_Y;
  if (FAILED(device->SetProperty(DIPROP_DEADZONE, &dead_zone.diph))) {
    return skip("ジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました\n");
  }
  dead_zone.diph.dwObj = DIJOFS_Z;
  device->SetProperty(DIPROP_DEADZONE, &dead_zone.diph);
  dead_zone.diph.dwObj = DIJOFS_RZ;
  device->SetProperty(DIPROP_DEADZONE, &dead_zone.diph);

  // Two sine effects of 1.5 s; a pad without them still works.
  DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
  LONG direction[2] = {0, 0};
  DIPERIODIC periodic{10000, 0, 0, 100000};
  DIEFFECT effect{};
  effect.dwSize = sizeof(effect);
  effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  effect.dwDuration = 1500000;
  effect.dwGain = 10000;
  effect.dwTriggerButton = DIEB_NOTRIGGER;
  effect.cAxes = 2;
  effect.rgdwAxes = axes;
  effect.rglDirection = direction;
  effect.cbTypeSpecificParams = sizeof(periodic);
  effect.lpvTypeSpecificParams = &periodic;
  IDirectInputEffect* effect_a = nullptr;
  IDirectInputEffect* effect_b = nullptr;
  const HRESULT made_a = device->CreateEffect(GUID_Sine, &effect, &effect_a, nullptr);
  const HRESULT made_b = device->CreateEffect(GUID_Sine, &effect, &effect_b, nullptr);
  if (FAILED(made_a) || FAILED(made_b)) LogAdd("周期的エフェクトの作成に失敗しました。\n");

  pad.effect_playing = 0;
  pad.effect_power = 10000;
  pad.effect_a_started = 0;
  pad.effect_b_started = 0;
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HRESULT notification = device->SetEventNotification(event);
  if (notification != DI_OK && notification != DI_POLLEDDEVICE) {
    if (effect_a != nullptr) effect_a->Release();
    if (effect_b != nullptr) effect_b->Release();
    CloseHandle(event);
    return skip("ジョイパッドイベントのセットアップが失敗しました\n");
  }
  device->Acquire();
  pad.device = device;
  pad.effect_a = effect_a;
  pad.effect_b = effect_b;
  pad.event = event;
  pad.dead_zone = 0.25;
  std::memset(&pad.state, 0, sizeof(pad.state));
  ++InputDevices.pad_count;
  LogAdd("ジョイパッドの追加は正常に終了しました\n");
  return InputDevices.pad_count < kPadRecordCount ? DIENUM_CONTINUE : DIENUM_STOP;
}

int UpdateKeyboardState() {
  uint8_t* buffer = InputDevices.KeyStateBuffer;
  if (InputDevices.keyboard != nullptr && !InputDevices.no_direct_input) {
    const uint32_t now = timeGetTime();
    if (now == InputDevices.keyboard_refresh_time && !EventSet(InputDevices.keyboard_event)) {
      return 0;
    }
    if (WindowGone() || !Started()) return 0;
    if (FAILED(InputDevices.keyboard->GetDeviceState(256, buffer))) {
      InputDevices.keyboard->Acquire();
      if (FAILED(InputDevices.keyboard->GetDeviceState(256, buffer))) return 0;
    }
    InputDevices.keyboard_refresh_time = now;
    if (EventSet(InputDevices.keyboard_event)) ResetEvent(InputDevices.keyboard_event);
    if (GetCurrentThreadId() == WindowThreadId) {
      BYTE keys[256];
      GetKeyboardState(keys);
      for (const VkToDikRow* row = VkToDikTable; row->virtual_key != kPlaceholder; ++row) {
        buffer[row->dik] = keys[row->virtual_key];
      }
    }
    return 1;
  }
  const uint32_t now = timeGetTime();
  if (now == InputDevices.keyboard_refresh_time) return 0;
  InputDevices.keyboard_refresh_time = now;
  if (WindowGone()) return 0;
  BYTE keys[256];
  GetKeyboardState(keys);
  std::memset(buffer, 0, 256);
  for (const VkToDikRow* row = VkToDikTable; row->virtual_key != kTableEnd; ++row) {
    if (row->virtual_key == kPlaceholder) continue;
    buffer[row->dik] = keys[row->virtual_key];
  }
  return 1;
}

int UpdatePadState(int32_t index) {
  if (index < 0 || index >= kPadRecordCount) return -1;
  PadRecord& pad = InputDevices.pads[index];
  const uint32_t now = timeGetTime();
  if (WithDirectInput()) {
    if (pad.device == nullptr) return -1;
    if (now == pad.refresh_time && !EventSet(pad.event)) return 0;
    pad.refresh_time = now;
    pad.device->Poll();
    DIJOYSTATE state;
    HRESULT result = pad.device->GetDeviceState(sizeof(state), &state);
    if (FAILED(result)) {
      if (WindowGone() || !Started()) return -1;
      pad.device->Acquire();
      result = pad.device->GetDeviceState(sizeof(state), &state);
    }
    if (SUCCEEDED(result)) pad.state = state;
    if (EventSet(pad.event)) ResetEvent(pad.event);
    return 0;
  }
  if (now == pad.refresh_time) return 0;
  pad.refresh_time = now;
  JOYINFOEX info{};
  info.dwSize = sizeof(info);
  info.dwFlags = JOY_RETURNALL;
  if (joyGetPosEx(static_cast<UINT>(index), &info) != JOYERR_NOERROR) {
    std::memset(&pad.state, 0, sizeof(pad.state));
    return 0;
  }
  pad.state.lX = ScaleJoystickPosition(info.dwXpos);
  pad.state.lY = ScaleJoystickPosition(info.dwYpos);
  if (pad.has_z_and_r) {
    pad.state.lZ = ScaleJoystickPosition(info.dwZpos);
    pad.state.lRz = ScaleJoystickPosition(info.dwRpos);
  } else {
    pad.state.lZ = 0;
    pad.state.lRz = 0;
  }
  for (int button = 0; button < 24; ++button) {
    pad.state.rgbButtons[button] = (info.dwButtons >> button) & 1 ? 128 : 0;
  }
  return 0;
}

int IsKeyDown(int32_t key_code) {
  UpperWaitWhileInactive();
  if (!Started()) return MainWindow.being_created ? InitInput() : 0;
  if (key_code < 0 || key_code > 255) return 0;
  UpdateKeyboardState();
  return (InputDevices.KeyStateBuffer[key_code] & 0x80) != 0 ? 1 : 0;
}

int32_t GetPadInputBits(int32_t input_set) {
  UpperWaitWhileInactive();
  if (!Started() && MainWindow.being_created) return InitInput();
  const bool started = Started();
  const int32_t pad_number = input_set & 0xFFF;
  const bool keyboard = (input_set & kInputSetKeyboard) != 0;
  const int32_t pad_count = started ? InputDevices.pad_count : 0;
  if ((pad_number < 1 || pad_number > pad_count) && pad_count > 0 && !keyboard) return 0;
  int32_t bits = 0;
  if (pad_number >= 1 && pad_number <= pad_count) {
    UpdatePadState(pad_number - 1);
    const DIJOYSTATE& state = InputDevices.pads[pad_number - 1].state;
    if (state.lX < 0) bits |= 0x2;
    if (state.lX > 0) bits |= 0x4;
    if (state.lY < 0) bits |= 0x8;
    if (state.lY > 0) bits |= 0x1;
    for (int button = 0; button < 24; ++button) {
      if (state.rgbButtons[button] & 0x80) bits |= 1 << (4 + button);
    }
  }
  if (keyboard && started) {
    UpdateKeyboardState();
    for (const KeyBit& key : kKeyBits) {
      if (InputDevices.KeyStateBuffer[key.dik] & 0x80) bits |= key.bit;
    }
  }
  return bits;
}

int AcquireInputDevices() {
  if (!WithDirectInput()) return 0;
  for (int32_t i = 0; i < InputDevices.pad_count; ++i) {
    IDirectInputDevice7* device = InputDevices.pads[i].device;
    if (device == nullptr) continue;
    device->Unacquire();
    device->SetCooperativeLevel(MainWindow.window, CooperativeLevelForActivity());
    device->Acquire();
  }
  if (InputDevices.keyboard != nullptr) {
    InputDevices.keyboard->Unacquire();
    InputDevices.keyboard->Acquire();
  }
  return 0;
}

int UnacquireInputDevices() {
  if (!WithDirectInput()) return 0;
  for (int32_t i = 0; i < InputDevices.pad_count; ++i) {
    PadRecord& pad = InputDevices.pads[i];
    if (!MainWindow.active) {
      if (pad.effect_a_started && pad.effect_a != nullptr) pad.effect_a->Stop();
      if (pad.effect_b_started && pad.effect_b != nullptr) pad.effect_b->Stop();
      pad.effect_a_started = 0;
      pad.effect_b_started = 0;
      continue;
    }
    const int32_t want_a = pad.effect_playing ? 1 : 0;
    if (want_a != pad.effect_a_started && pad.effect_a != nullptr) {
      if (want_a) pad.effect_a->Start(INFINITE_ITERATIONS, 0);
      else pad.effect_a->Stop();
      pad.effect_a_started = want_a;
    }
    const int32_t want_b = pad.effect_playing && pad.effect_power > 5000 ? 1 : 0;
    if (want_b != pad.effect_b_started && pad.effect_b != nullptr) {
      if (want_b) pad.effect_b->Start(INFINITE_ITERATIONS, 0);
      else pad.effect_b->Stop();
      pad.effect_b_started = want_b;
    }
  }
  return 0;
}

int ResetPadEffect(int32_t input_set) {
  const int32_t index = (input_set & 0xFFF) - 1;
  if (index < 0 || index >= kPadRecordCount) return -1;
  InputDevices.pads[index].effect_playing = 0;
  InputDevices.pads[index].effect_power = 10000;
  return UnacquireInputDevices();
}

int UpdateInputPerFrame() {
  if (!WithDirectInput()) return 0;
  const uint32_t now = timeGetTime();
  for (int32_t i = 0; i < InputDevices.pad_count; ++i) {
    PadRecord& pad = InputDevices.pads[i];
    if (pad.device == nullptr || !pad.effect_playing || pad.effect_length < 0) continue;
    if (now < pad.effect_clock) pad.effect_clock = now;
    pad.effect_elapsed += static_cast<int32_t>(now - pad.effect_clock);
    pad.effect_clock = now;
    if (pad.effect_elapsed >= pad.effect_length) ResetPadEffect(i + 1);
  }
  return UnacquireInputDevices();
}

int OnMainWindowMoved(LPARAM position) {
  if (UserWindowFlag) return 0;
  RECT client{};
  GetClientRect(MainWindow.window, &client);
  const int32_t left = static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(position)));
  const int32_t top = static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(position)));
  MainWindow.client_rect = RECT{left, top, left + client.right, top + client.bottom};
  if (DrawTarget == kDrawTargetFrontScreen) {
    const int32_t mask = MaskInForceFlag;
    MaskInForceFlag = 0;
    if (!Screen.VistaCompatMode) StoreDrawTargetRect(&MainWindow.client_rect);
    MaskInForceFlag = mask;
  }
  ChangeDrawArea(DrawAreaRequest[0], DrawAreaRequest[1], DrawAreaRequest[2], DrawAreaRequest[3]);
  return 0;
}

int BringMainWindowForward(HWND window, int32_t topmost) {
  const DWORD foreground_thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const DWORD own_thread = GetWindowThreadProcessId(window, nullptr);
  AttachThreadInput(own_thread, foreground_thread, TRUE);
  DWORD timeout = 0;
  SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
  SetForegroundWindow(window);
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                        reinterpret_cast<LPVOID>(static_cast<uintptr_t>(timeout)), 0);
  AttachThreadInput(own_thread, foreground_thread, FALSE);
  if (topmost == 1) {
    SetWindowPos(window, HWND_TOPMOST(), 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
  }
  return 0;
}
