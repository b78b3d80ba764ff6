// The display shared by the DirectDraw and GDI stand-ins.
#include "platform/win32/display.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/host/host.h"
#include "platform/host/pixel.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/user.h"

namespace {

struct DisplayState {
  std::mutex mutex;
  bool changed = false;  // a mode other than the desktop's is current
  DisplayMode mode{};
  DisplayCallHook hook;
};

DisplayState& State() {
  static auto* state = new DisplayState;
  return *state;
}

constexpr int kListedSizes[][2] = {{320, 240},  {640, 400},   {640, 480},  {800, 600},
                                   {1024, 768}, {1280, 720},  {1280, 960}, {1280, 1024},
                                   {1600, 900}, {1920, 1080}};

bool SameMode(const DisplayMode& a, const DisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.bits == b.bits && a.refresh == b.refresh;
}

void PostDisplayChange(const DisplayMode& mode) {
  PostMessageA(HWND_BROADCAST(), WM_DISPLAYCHANGE, static_cast<WPARAM>(mode.bits),
               MAKELPARAM(mode.width, mode.height));
}

// The top bits of an 8-bit channel placed under `mask`.
uint32_t PackChannel(uint32_t value8, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  int width = 0;
  while (shift + width < 32 && ((mask >> (shift + width)) & 1) != 0) ++width;
  const uint32_t bits = width >= 8 ? value8 << (width - 8) : value8 >> (8 - width);
  return (bits << shift) & mask;
}

// The channel under `mask` widened to 8 bits by repeating its top bits.
uint32_t UnpackChannel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  int width = 0;
  while (shift + width < 32 && ((mask >> (shift + width)) & 1) != 0) ++width;
  const uint32_t value = (pixel & mask) >> shift;
  if (width >= 8) return value >> (width - 8);
  uint32_t wide = 0;
  for (int filled = 0; filled < 8; filled += width) {
    wide = (wide << width) | value;
  }
  // `wide` holds at least 8 bits: keep the top 8 of them.
  int total = ((8 + width - 1) / width) * width;
  return (wide >> (total - 8)) & 0xFF;
}

}  // namespace

DisplayMode DesktopDisplayMode() {
  int width = 640, height = 480, bits = 32;
  if (HostInstalled()) CurrentHost().Video().GetDesktopMode(&width, &height, &bits);
  return DisplayMode{width, height, bits, 60};
}

DisplayMode CurrentDisplayMode() {
  DisplayState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.changed ? state.mode : DesktopDisplayMode();
}

std::vector<DisplayMode> ListedDisplayModes() {
  const DisplayMode desktop = DesktopDisplayMode();
  std::vector<DisplayMode> modes;
  for (int bits : {16, 32}) {
    bool desktop_listed = false;
    for (const auto& size : kListedSizes) {
      if (size[0] > desktop.width || size[1] > desktop.height) continue;
      modes.push_back(DisplayMode{size[0], size[1], bits, 60});
      if (size[0] == desktop.width && size[1] == desktop.height) desktop_listed = true;
    }
    if (!desktop_listed) modes.push_back(DisplayMode{desktop.width, desktop.height, bits, 60});
  }
  std::stable_sort(modes.begin(), modes.end(), [](const DisplayMode& a, const DisplayMode& b) {
    if (a.width != b.width) return a.width < b.width;
    if (a.height != b.height) return a.height < b.height;
    return a.bits < b.bits;
  });
  return modes;
}

bool IsListedDisplayMode(int width, int height, int bits, int refresh) {
  if (refresh != 0 && refresh != 60) return false;
  for (const DisplayMode& mode : ListedDisplayModes()) {
    if (mode.width == width && mode.height == height && mode.bits == bits) return true;
  }
  return false;
}

bool SetCurrentDisplayMode(const DisplayMode& asked) {
  if (!IsListedDisplayMode(asked.width, asked.height, asked.bits, asked.refresh)) return false;
  DisplayMode mode = asked;
  mode.refresh = 60;
  const DisplayMode before = CurrentDisplayMode();
  const DisplayMode desktop = DesktopDisplayMode();
  {
    DisplayState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.mode = mode;
    state.changed = !SameMode(mode, desktop);
  }
  if (!SameMode(before, mode)) {
    LoseAllDirectDrawSurfaces();
    PostDisplayChange(mode);
  }
  return true;
}

void RestoreDesktopDisplayMode() {
  const DisplayMode before = CurrentDisplayMode();
  {
    DisplayState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.changed = false;
  }
  const DisplayMode desktop = DesktopDisplayMode();
  if (!SameMode(before, desktop)) {
    LoseAllDirectDrawSurfaces();
    PostDisplayChange(desktop);
  }
}

bool HostWindowClientRect(RECT* rect) {
  // The host's window is the one the window stand-in reports as active.
  HWND window = GetForegroundWindow();
  if (window == nullptr) return false;
  RECT client{};
  if (!GetClientRect(window, &client)) return false;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  *rect = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  return true;
}

PixelLayout DisplayPixelLayout(int bits) {
  if (bits == 16) return PixelLayout{16, 0xF800, 0x07E0, 0x001F};
  return PixelLayout{32, 0x00FF0000, 0x0000FF00, 0x000000FF};
}

uint32_t PixelToXrgb(const PixelLayout& layout, uint32_t pixel) {
  if (layout.bits == 16 && layout.red_mask == 0xF800 && layout.green_mask == 0x07E0 &&
      layout.blue_mask == 0x001F) {
    return ExpandRgb565(static_cast<uint16_t>(pixel));
  }
  if (layout.bits == 16 && layout.red_mask == 0x7C00 && layout.green_mask == 0x03E0 &&
      layout.blue_mask == 0x001F) {
    return ExpandRgb555(static_cast<uint16_t>(pixel));
  }
  return (UnpackChannel(pixel, layout.red_mask) << 16) |
         (UnpackChannel(pixel, layout.green_mask) << 8) | UnpackChannel(pixel, layout.blue_mask);
}

uint32_t XrgbToPixel(const PixelLayout& layout, uint32_t xrgb) {
  return PackChannel((xrgb >> 16) & 0xFF, layout.red_mask) |
         PackChannel((xrgb >> 8) & 0xFF, layout.green_mask) |
         PackChannel(xrgb & 0xFF, layout.blue_mask);
}

void SetDisplayCallHook(DisplayCallHook hook) {
  DisplayState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.hook = std::move(hook);
}

HRESULT DisplayCallFault(const char* call) {
  DisplayCallHook hook;
  {
    DisplayState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    hook = state.hook;
  }
  if (!hook) return S_OK;
  const HRESULT result = hook(call);
  return FAILED(result) ? result : S_OK;
}
