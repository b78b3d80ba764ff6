// The main window's settings, state and accessors: what every layer of the
// runtime reads about the window (its mode, whether it is active or closed,
// its client rectangle, the desktop, its menu, tool bar and region). The
// window itself is made, restyled and ended by the system layer
// (runtime/system/main_window.h, runtime/system/window_menu.h).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win32/gdi.h"
#include "platform/win32/types.h"
#include "platform/win32/user.h"

// ---- Settings made before start-up ---------------------------------------------

// 1 window mode, 0 full screen (the default).
extern int32_t WindowModeFlag;
// 1 lets Alt+Enter and the maximise box switch between window and full screen.
extern int32_t WindowModeChangeAllowed;
// 1: an inactive window does not stop the program.
extern int32_t RunWhenInactiveFlag;
// The client area's scale in window mode (1.0 when 0 or negative).
extern double WindowScale;
// 1: the library runs without a window of its own (start-up setting).
extern int32_t NoWindowFlag;

// The other settings of the window, kept by window creation.
struct MainWindowSettings {
  char text[256];        // the caption; "Zarnel" when empty at creation
  char class_name[256];  // the window text when empty, or "D123987X"
  int32_t icon_id;       // 0: the system's application icon
  int32_t style_type;    // 0 to 6, a row of the style table
  int32_t position_override;  // 1: place the window at (x, y)
  int32_t position_x;
  int32_t position_y;
  int32_t hidden;              // 1: the window is made hidden
  int32_t sizable;             // 1: a sizing frame in window mode
  int32_t double_start_allowed;
  int32_t keep_window_on_close;  // 1: a close from outside keeps the window
  int32_t swallow_key_menu;      // 1: the Alt key does not open the system menu
  int32_t menu_in_use;           // 1: the window carries `menu`
  HMENU menu;                    // the menu bar; destroyed with the window
  int32_t menu_hidden;           // 1: the menu is never shown
  // 1: in full-screen mode the menu stays up; else it shows there only while
  // the cursor is near the top of the screen.
  int32_t menu_kept_shown;
  HGDIOBJ region;                // the window's shape (a region), or null
};
extern MainWindowSettings WindowSettings;

// ---- State ------------------------------------------------------------------------

// 1 once the window is gone or WM_QUIT was seen. Read by the message thread.
extern std::atomic<int32_t> WindowClosedFlag;
// Set by the message thread as its last step.
extern std::atomic<int32_t> MessageThreadEndedFlag;
// The thread that made the window (the game thread).
extern DWORD WindowThreadId;
// 1 when a switch between window and full-screen mode was asked for.
extern int32_t PendingWindowModeToggle;
// Called after a switch made for PendingWindowModeToggle, with its data.
struct WindowModeChangedCallbackEntry {
  void (*function)(void* data);
  void* data;
};
extern WindowModeChangedCallbackEntry WindowModeChangedCallback;
// The mouse wheel: +1 for each turn away from the user, -1 for each towards.
extern int32_t WheelCount;
// Names of files dropped on the window (allocator copies), at most 1000.
constexpr int32_t kDroppedFileMax = 1000;
struct DroppedFiles {
  int32_t count;
  char* names[kDroppedFileMax];
};
extern DroppedFiles DroppedFileList;

struct MainWindowState {
  HWND window;
  HINSTANCE instance;
  HANDLE message_thread;  // null when it was never started
  DWORD message_thread_id;
  int32_t active;                  // 1 while the application is active
  int32_t close_requested;         // the runtime itself asked the window to close
  int32_t end_begun;               // library shut-down has begun
  int32_t closed_from_outside;     // the window was closed by the user
  int32_t being_created;           // window creation runs
  int32_t mode_change_in_progress;
  int32_t display_change_seen;
  int32_t style_applied;           // a restyle for a mode change was made
  int32_t screen_lost;             // the screen was taken away while inactive
  RECT client_rect;                // the client area on the desktop
  int32_t desktop_width;
  int32_t desktop_height;
  int32_t desktop_color_bits;
  int32_t char_set;                // 2 for the Korean OEM code page, else 1
  int32_t cursor_show_request;
  int32_t cursor_shown;
  int32_t cursor_near_top;
  int32_t screen_saver_was_active;
  int32_t menu_shown;              // the menu bar is on the window now
  void* ime_context;               // the window's input-method context while it is off
  void (*activation_callback)(int32_t active);
};
extern MainWindowState MainWindow;

// The tool bar along the top of the client area, when the program made one,
// and its buttons. A button's command (WM_COMMAND) marks its row clicked.
constexpr int32_t kToolbarButtonMax = 256;
struct ToolbarButtonRow {
  int32_t id;
  int32_t state;
  int32_t kind;
  int32_t clicked;
};
struct ToolbarState {
  HWND window;  // null: no tool bar
  int32_t button_count;
  ToolbarButtonRow buttons[kToolbarButtonMax];
};
extern ToolbarState MainToolbar;

// ---- Accessors ---------------------------------------------------------------------

int32_t GetWindowClosedFlag();
HWND GetMainWindowHandle();
// 1 window mode, 0 full screen.
int32_t GetWindowModeFlag();
int32_t GetWindowActiveFlag();
int32_t GetCloseRequestedFlag();
// 1 when the window has a region (a shape of its own), else 0.
int32_t HasWindowRegion();
// The client area's scale: WindowScale in window mode (1.0 when 0 or
// negative), always 1.0 in full-screen mode.
double GetWindowScale();
// 1 when the window carries a menu (shown or not), else 0.
int32_t GetMenuInUseFlag();
// The tool bar's height in pixels; 0 without a tool bar.
int32_t GetToolbarHeight();
// The picture's part of the client rectangle in screen coordinates: the
// client rectangle below the tool bar. Any output may be null. 0.
int GetClientScreenRect(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
// The desktop's width, height and colour bits; any output may be null. 0.
int GetDesktopInfo(int32_t* width, int32_t* height, int32_t* color_bits);
// Reads the desktop's size and colour bits into MainWindow. 0.
int ReadDesktopInfo();
