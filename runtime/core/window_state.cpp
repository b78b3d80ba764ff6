// The main window's settings, state and accessors.
#include "runtime/core/window_state.h"

#include "platform/win32/gdi.h"
#include "platform/win32/menu.h"
#include "platform/win32/user.h"

int32_t WindowModeFlag = 0;
int32_t WindowModeChangeAllowed = 0;
int32_t RunWhenInactiveFlag = 0;
double WindowScale = 1.0;
int32_t NoWindowFlag = 0;
MainWindowSettings WindowSettings = {};

std::atomic<int32_t> WindowClosedFlag{0};
std::atomic<int32_t> MessageThreadEndedFlag{0};
DWORD WindowThreadId = 0;
int32_t PendingWindowModeToggle = 0;
WindowModeChangedCallbackEntry WindowModeChangedCallback = {nullptr, nullptr};
int32_t WheelCount = 0;
DroppedFiles DroppedFileList = {};
MainWindowState MainWindow = {};
ToolbarState MainToolbar = {};

int ReadDesktopInfo() {
  DEVMODEA mode{};
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  MainWindow.desktop_width = GetSystemMetrics(SM_CXSCREEN);
  MainWindow.desktop_height = GetSystemMetrics(SM_CYSCREEN);
  MainWindow.desktop_color_bits = static_cast<int32_t>(mode.dmBitsPerPel);
  return 0;
}

int32_t GetWindowClosedFlag() { return WindowClosedFlag; }
HWND GetMainWindowHandle() { return MainWindow.window; }
int32_t GetWindowModeFlag() { return WindowModeFlag; }
int32_t GetWindowActiveFlag() { return MainWindow.active; }
int32_t GetCloseRequestedFlag() { return MainWindow.close_requested; }
int32_t HasWindowRegion() { return WindowSettings.region != nullptr ? 1 : 0; }
double GetWindowScale() {
  if (!WindowModeFlag || WindowScale <= 0.0) return 1.0;
  return WindowScale;
}
int32_t GetMenuInUseFlag() { return WindowSettings.menu_in_use != 0 ? 1 : 0; }
int32_t GetToolbarHeight() {
  if (MainToolbar.window == nullptr) return 0;
  return GetToolbarWindowHeight(MainToolbar.window);
}

int GetClientScreenRect(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
  // The client area holds the tool bar at its top and the picture below it:
  // the picture starts the tool bar's height lower and ends where the client
  // area ends (moving the bottom down too would reach past the window).
  const int32_t toolbar = GetToolbarHeight();
  if (left != nullptr) *left = MainWindow.client_rect.left;
  if (top != nullptr) *top = MainWindow.client_rect.top + toolbar;
  if (right != nullptr) *right = MainWindow.client_rect.right;
  if (bottom != nullptr) *bottom = MainWindow.client_rect.bottom;
  return 0;
}

int GetDesktopInfo(int32_t* width, int32_t* height, int32_t* color_bits) {
  if (MainWindow.desktop_width == 0) ReadDesktopInfo();
  if (width != nullptr) *width = MainWindow.desktop_width;
  if (height != nullptr) *height = MainWindow.desktop_height;
  if (color_bits != nullptr) *color_bits = MainWindow.desktop_color_bits;
  return 0;
}
