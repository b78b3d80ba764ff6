// The DirectInput stand-in over the host's key and pad tables.
#include "platform/host/not_emulated.h"
#include "platform/win32/dinput.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/host/host.h"
#include "platform/win32/kernel.h"

// Identifiers of this stand-in (their values only have to differ).
const CLSID CLSID_DirectInput = {0x7D1A0001, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x01}};
const CLSID CLSID_DirectInput8 = {0x7D1A0002, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x02}};
const IID IID_IDirectInput7 = {0x7D1A0003, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x03}};
const IID IID_IDirectInput8 = {0x7D1A0004, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x04}};
const IID IID_IDirectInputDevice7 = {0x7D1A0005, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x05}};
const IID IID_IDirectInputDevice8 = {0x7D1A0006, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x06}};
const GUID GUID_SysMouse = {0x7D1A0007, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x07}};
const GUID GUID_SysKeyboard = {0x7D1A0008, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x08}};
const GUID GUID_Sine = {0x7D1A0009, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0x09}};

const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), 16, 2, sizeof(DIMOUSESTATE), 7};
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 16, 2, 256, 256};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), 16, 1, sizeof(DIJOYSTATE), 44};

static_assert(sizeof(DIJOYSTATE) == 80, "the joystick state is 80 bytes");

namespace {

// Pad n's instance: the last byte of the identifier is the pad's index.
const GUID kPadInstanceBase = {0x7D1A0100, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0}};
const GUID kPadProduct = {0x7D1A0200, 0x4B52, 0x11D0, {0x9A, 0x1C, 0, 0, 0, 0, 0, 0}};

GUID PadInstance(int index) {
  GUID guid = kPadInstanceBase;
  guid.Data4[7] = static_cast<uint8_t>(index);
  return guid;
}

// The pad index of a pad instance identifier, -1 for anything else.
int PadIndexOf(const GUID& guid) {
  GUID base = guid;
  base.Data4[7] = 0;
  if (!(base == kPadInstanceBase)) return -1;
  return guid.Data4[7] < InputState::kPadCount ? guid.Data4[7] : -1;
}

enum class DeviceKind { kKeyboard, kMouse, kPad };

constexpr int kAxisCount = 6;

// A host axis (-32768 to 32767) in the range [minimum, maximum] with a dead
// zone of `dead_zone` / 10000 of the way from the middle to either end.
LONG ScaleAxis(int32_t raw, LONG minimum, LONG maximum, DWORD dead_zone) {
  const int64_t middle = (static_cast<int64_t>(minimum) + maximum) / 2;
  if (dead_zone >= 10000) return static_cast<LONG>(middle);
  const int64_t magnitude = raw < 0 ? -static_cast<int64_t>(raw) : raw;
  const int64_t full = raw < 0 ? 32768 : 32767;
  const int64_t position = magnitude * 10000;  // of full * 10000
  const int64_t dead = static_cast<int64_t>(dead_zone) * full;
  if (position <= dead) return static_cast<LONG>(middle);
  const int64_t half = raw < 0 ? middle - minimum : maximum - middle;
  const int64_t offset = (position - dead) * half / ((10000 - static_cast<int64_t>(dead_zone)) * full);
  return static_cast<LONG>(raw < 0 ? middle - offset : middle + offset);
}

class Device;

// Every live device, so that new host data can set their events.
struct DeviceRegistry {
  std::mutex mutex;
  std::set<Device*> devices;
};

DeviceRegistry& Registry() {
  static auto* registry = new DeviceRegistry;
  return *registry;
}

class Device final : public IDirectInputDevice8 {
 public:
  Device(DeviceKind kind, int pad) : kind_(kind), pad_(pad) {
    for (int axis = 0; axis < kAxisCount; ++axis) {
      minimum_[axis] = 0;
      maximum_[axis] = 65535;
      dead_zone_[axis] = 0;
    }
    std::lock_guard<std::mutex> lock(Registry().mutex);
    Registry().devices.insert(this);
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectInputDevice7 ||
        riid == IID_IDirectInputDevice8) {
      AddRef();
      *object = static_cast<IDirectInputDevice8*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT GetDeviceState(DWORD size, LPVOID data) override {
    if (data == nullptr) return DIERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (format_ == nullptr) return DIERR_INVALIDPARAM;
    if (size != format_->dwDataSize) return DIERR_INVALIDPARAM;
    if (!acquired_) return DIERR_NOTACQUIRED;
    if (!HostInstalled()) return DIERR_INPUTLOST;
    InputState& input = CurrentHost().Input();
    if (format_ == &c_dfDIKeyboard) {
      input.GetKeys(static_cast<uint8_t*>(data));
      last_keys_ = KeysNow();
      return DI_OK;
    }
    if (format_ == &c_dfDIMouse) {
      std::memset(data, 0, sizeof(DIMOUSESTATE));
      return DI_OK;
    }
    const HostPadState pad = input.Pad(pad_);
    if (!pad.connected) {
      acquired_ = false;
      return DIERR_INPUTLOST;
    }
    last_pad_ = pad;
    DIJOYSTATE state{};
    LONG* axes[kAxisCount] = {&state.lX, &state.lY, &state.lZ, &state.lRx, &state.lRy, &state.lRz};
    for (int axis = 0; axis < kAxisCount; ++axis) {
      *axes[axis] = ScaleAxis(pad.axes[axis], minimum_[axis], maximum_[axis], dead_zone_[axis]);
    }
    state.rgdwPOV[0] = pad.pov < 0 ? 0xFFFFFFFFu : static_cast<DWORD>(pad.pov);
    for (int i = 1; i < 4; ++i) state.rgdwPOV[i] = 0xFFFFFFFFu;
    for (int button = 0; button < 32; ++button) {
      state.rgbButtons[button] = (pad.buttons >> button) & 1 ? 0x80 : 0;
    }
    std::memcpy(data, &state, sizeof(state));
    return DI_OK;
  }

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
    const DIDATAFORMAT* expected = kind_ == DeviceKind::kKeyboard ? &c_dfDIKeyboard
                                   : kind_ == DeviceKind::kMouse  ? &c_dfDIMouse
                                                                  : &c_dfDIJoystick;
    std::lock_guard<std::mutex> lock(mutex_);
    if (acquired_) return static_cast<HRESULT>(0x80070005u);  // DIERR_ACQUIRED
    if (format != expected) return DIERR_INVALIDPARAM;
    format_ = format;
    return DI_OK;
  }

  HRESULT SetEventNotification(HANDLE event) override {
    std::lock_guard<std::mutex> lock(mutex_);
    event_ = event;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    const DWORD exclusive = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD ground = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if (exclusive == 0 || exclusive == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || ground == 0 ||
        ground == (DISCL_FOREGROUND | DISCL_BACKGROUND) ||
        (flags & ~(DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND))) {
      return DIERR_INVALIDPARAM;
    }
    (void)window;  // the host's window is the only one input comes from
    std::lock_guard<std::mutex> lock(mutex_);
    cooperative_flags_ = flags;
    return DI_OK;
  }

  HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* instance) override {
    if (instance == nullptr) return DIERR_INVALIDPARAM;
    FillInstance(kind_, pad_, instance);
    return DI_OK;
  }

  HRESULT SetProperty(DIPROPID property, const DIPROPHEADER* header) override {
    if (header == nullptr) return DIERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (property == DIPROP_BUFFERSIZE) {
      if (header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
      return DI_OK;  // no buffered data is kept; the size is accepted
    }
    RequireEmulated(property == DIPROP_RANGE || property == DIPROP_DEADZONE,
                    "IDirectInputDevice::SetProperty", "property not emulated",
                    property);
    if (kind_ != DeviceKind::kPad) return DIERR_UNSUPPORTED;
    int first = 0, last = kAxisCount - 1;
    if (header->dwHow == DIPH_BYOFFSET) {
      if (header->dwObj % 4 != 0 || header->dwObj / 4 >= kAxisCount) return DIERR_INVALIDPARAM;
      first = last = static_cast<int>(header->dwObj / 4);
    } else if (header->dwHow != DIPH_DEVICE) {
      return DIERR_INVALIDPARAM;
    }
    if (property == DIPROP_RANGE) {
      const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
      if (range->lMin >= range->lMax) return DIERR_INVALIDPARAM;
      for (int axis = first; axis <= last; ++axis) {
        minimum_[axis] = range->lMin;
        maximum_[axis] = range->lMax;
      }
    } else {
      const auto* value = reinterpret_cast<const DIPROPDWORD*>(header);
      if (value->dwData > 10000) return DIERR_INVALIDPARAM;
      for (int axis = first; axis <= last; ++axis) dead_zone_[axis] = value->dwData;
    }
    return DI_OK;
  }

  HRESULT Acquire() override {
    HANDLE event = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (format_ == nullptr) return DIERR_INVALIDPARAM;
      if (kind_ == DeviceKind::kPad &&
          (!HostInstalled() || !CurrentHost().Input().Pad(pad_).connected)) {
        return DIERR_INPUTLOST;
      }
      if (acquired_) return S_FALSE;
      acquired_ = true;
      event = event_;
    }
    if (event != nullptr) SetEvent(event);
    return DI_OK;
  }

  HRESULT Unacquire() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!acquired_) return DI_NOEFFECT;
    acquired_ = false;
    return DI_OK;
  }

  HRESULT Poll() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!acquired_) return DIERR_NOTACQUIRED;
    return DI_NOEFFECT;  // the host's tables are always current
  }

  HRESULT CreateEffect(REFGUID, const DIEFFECT*, IDirectInputEffect** out, LPUNKNOWN) override {
    if (out != nullptr) *out = nullptr;
    return DIERR_UNSUPPORTED;
  }

  // Sets the event when the host's tables hold new data for this device.
  void NoteHostInput() {
    HANDLE event = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (event_ == nullptr || !HostInstalled()) return;
      if (kind_ == DeviceKind::kKeyboard) {
        const std::array<uint8_t, InputState::kKeyCount> keys = KeysNow();
        if (keys == last_keys_) return;
        last_keys_ = keys;
      } else if (kind_ == DeviceKind::kPad) {
        const HostPadState pad = CurrentHost().Input().Pad(pad_);
        if (SamePad(pad, last_pad_)) return;
        last_pad_ = pad;
      } else {
        return;
      }
      event = event_;
    }
    SetEvent(event);
  }

  static void FillInstance(DeviceKind kind, int pad, DIDEVICEINSTANCEA* instance) {
    std::memset(instance, 0, sizeof(*instance));
    instance->dwSize = sizeof(*instance);
    switch (kind) {
      case DeviceKind::kKeyboard:
        instance->guidInstance = instance->guidProduct = GUID_SysKeyboard;
        instance->dwDevType = 3;
        std::strcpy(instance->tszInstanceName, "Keyboard");
        std::strcpy(instance->tszProductName, "Keyboard");
        break;
      case DeviceKind::kMouse:
        instance->guidInstance = instance->guidProduct = GUID_SysMouse;
        instance->dwDevType = 2;
        std::strcpy(instance->tszInstanceName, "Mouse");
        std::strcpy(instance->tszProductName, "Mouse");
        break;
      case DeviceKind::kPad:
        instance->guidInstance = PadInstance(pad);
        instance->guidProduct = kPadProduct;
        instance->dwDevType = DIDEVTYPE_JOYSTICK;
        std::snprintf(instance->tszInstanceName, sizeof(instance->tszInstanceName), "Game pad %d",
                      pad + 1);
        std::strcpy(instance->tszProductName, "Game pad");
        break;
    }
  }

 public:
  ~Device() override {
    std::lock_guard<std::mutex> lock(Registry().mutex);
    Registry().devices.erase(this);
  }

 private:
  static bool SamePad(const HostPadState& a, const HostPadState& b) {
    return a.connected == b.connected && a.axes == b.axes && a.pov == b.pov &&
           a.buttons == b.buttons;
  }
  static std::array<uint8_t, InputState::kKeyCount> KeysNow() {
    std::array<uint8_t, InputState::kKeyCount> keys{};
    CurrentHost().Input().GetKeys(keys.data());
    return keys;
  }

  ComRefCount refs_;
  const DeviceKind kind_;
  const int pad_;
  std::mutex mutex_;
  const DIDATAFORMAT* format_ = nullptr;
  bool acquired_ = false;
  HANDLE event_ = nullptr;
  DWORD cooperative_flags_ = 0;
  LONG minimum_[kAxisCount];
  LONG maximum_[kAxisCount];
  DWORD dead_zone_[kAxisCount];
  std::array<uint8_t, InputState::kKeyCount> last_keys_{};
  HostPadState last_pad_;
};

HRESULT EnumerateDevices(bool initialized, DWORD device_type, LPDIENUMDEVICESCALLBACKA callback,
                         LPVOID context, DWORD flags) {
  if (!initialized) return DIERR_NOTINITIALIZED;
  RequireEmulated(device_type == DIDEVTYPE_JOYSTICK, "IDirectInput::EnumDevices",
                  "only game controllers are emulated", device_type);
  RequireEmulated((flags & ~DIEDFL_ATTACHEDONLY) == 0, "IDirectInput::EnumDevices",
                  "flags not emulated", flags);
  if (callback == nullptr) return DIERR_INVALIDPARAM;
  if (!HostInstalled()) return DI_OK;
  for (int pad = 0; pad < InputState::kPadCount; ++pad) {
    if (!CurrentHost().Input().Pad(pad).connected) continue;
    DIDEVICEINSTANCEA instance;
    Device::FillInstance(DeviceKind::kPad, pad, &instance);
    if (callback(&instance, context) == DIENUM_STOP) break;
  }
  return DI_OK;
}

HRESULT MakeDevice(bool initialized, REFGUID guid, Device** out) {
  *out = nullptr;
  if (!initialized) return DIERR_NOTINITIALIZED;
  if (guid == GUID_SysKeyboard) {
    *out = new Device(DeviceKind::kKeyboard, 0);
  } else if (guid == GUID_SysMouse) {
    *out = new Device(DeviceKind::kMouse, 0);
  } else {
    const int pad = PadIndexOf(guid);
    if (pad < 0 || !HostInstalled() || !CurrentHost().Input().Pad(pad).connected) {
      return DIERR_DEVICENOTREG;
    }
    *out = new Device(DeviceKind::kPad, pad);
  }
  return DI_OK;
}

class DirectInput7Object final : public IDirectInput7 {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectInput7) {
      AddRef();
      *object = static_cast<IDirectInput7*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT Initialize(HINSTANCE, DWORD version) override {
    if (version > DIRECTINPUT_VERSION_7) return static_cast<HRESULT>(0x80070477u);  // beta
    initialized_ = true;
    return DI_OK;
  }
  HRESULT EnumDevices(DWORD device_type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                      DWORD flags) override {
    return EnumerateDevices(initialized_, device_type, callback, context, flags);
  }
  HRESULT CreateDeviceEx(REFGUID device, REFIID riid, LPVOID* out, LPUNKNOWN outer) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Device* made = nullptr;
    const HRESULT result = MakeDevice(initialized_, device, &made);
    if (FAILED(result)) return result;
    const HRESULT query = made->QueryInterface(riid, out);
    made->Release();
    return query;
  }

 public:
  ~DirectInput7Object() override = default;

 private:
  ComRefCount refs_;
  bool initialized_ = false;
};

class DirectInput8Object final : public IDirectInput8 {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectInput8) {
      AddRef();
      *object = static_cast<IDirectInput8*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT Initialize(HINSTANCE, DWORD version) override {
    if (version < DIRECTINPUT_VERSION_8) return static_cast<HRESULT>(0x80070477u);
    initialized_ = true;
    return DI_OK;
  }
  HRESULT EnumDevices(DWORD device_type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                      DWORD flags) override {
    return EnumerateDevices(initialized_, device_type, callback, context, flags);
  }
  HRESULT CreateDevice(REFGUID device, IDirectInputDevice8** out, LPUNKNOWN outer) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Device* made = nullptr;
    const HRESULT result = MakeDevice(initialized_, device, &made);
    if (FAILED(result)) return result;
    *out = made;
    return DI_OK;
  }

 public:
  ~DirectInput8Object() override = default;

 private:
  ComRefCount refs_;
  bool initialized_ = false;
};

template <typename Object>
HRESULT MakeObject(REFIID riid, void** out) {
  auto* object = new Object;
  const HRESULT result = object->QueryInterface(riid, out);
  object->Release();
  return result;
}

const ComFactoryRegistration kDirectInput7Factory(CLSID_DirectInput,
                                                  MakeObject<DirectInput7Object>);
const ComFactoryRegistration kDirectInput8Factory(CLSID_DirectInput8,
                                                  MakeObject<DirectInput8Object>);

}  // namespace

void NoteHostInputForDirectInput() {
  std::lock_guard<std::mutex> lock(Registry().mutex);
  for (Device* device : Registry().devices) device->NoteHostInput();
}
