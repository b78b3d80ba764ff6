// The main window: creation, restyling for window and full-screen mode, the
// switch between the two, caption, icon, cursor and menu visibility, and the
// end.
#include "runtime/system/main_window.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/gdi.h"
#include "platform/win32/imm.h"
#include "platform/win32/kernel.h"
#include "platform/win32/menu.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/core/random.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/system/char_input.h"
#include "runtime/system/message.h"
#include "runtime/system/window_menu.h"


namespace {

struct StyleRow {
  DWORD window_style;
  DWORD window_ex_style;
  DWORD full_screen_style;
  DWORD full_screen_ex_style;
};

// Window and full-screen styles by style type.
constexpr StyleRow kStyleTable[7] = {
    {0x80CA0000, 0x300, 0x80000000, 0x8}, {0x80080000, 0x300, 0x80000000, 0x8},
    {0x80080000, 0x0, 0x80000000, 0x8},   {0x80CA0000, 0x80, 0x80000000, 0x8},
    {0x80080000, 0x80, 0x80000000, 0x8},  {0x80C80000, 0x100, 0x0, 0x0},
    {0x80CA0000, 0x0, 0x0, 0x0},
};

const StyleRow& CurrentStyleRow() {
  const int32_t type = WindowSettings.style_type;
  return kStyleTable[type >= 0 && type < 7 ? type : 0];
}

// The styles of window mode with the additions the settings ask for.
DWORD WindowModeStyle() {
  DWORD style = CurrentStyleRow().window_style;
  if (WindowModeChangeAllowed == 1) style |= WS_MAXIMIZEBOX;
  if (MainWindow.style_applied) style |= WS_VISIBLE;
  if (WindowSettings.sizable) style |= WS_THICKFRAME;
  return style;
}

DWORD WindowModeExStyle() {
  DWORD ex_style = CurrentStyleRow().window_ex_style;
  if (WindowSettings.hidden) ex_style |= WS_EX_TRANSPARENT;
  return ex_style;
}

// The screen size, 640 x 480 while unset.
void ScreenSize(int32_t* width, int32_t* height) {
  *width = Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640;
  *height = Screen.ScreenHeight != 0 ? Screen.ScreenHeight : 480;
}

// The client size of window mode: the screen size times the scale.
void WindowModeClientSize(int32_t* width, int32_t* height) {
  int32_t screen_width, screen_height;
  ScreenSize(&screen_width, &screen_height);
  const double scale = GetWindowScale();
  *width = static_cast<int32_t>(screen_width * scale);
  *height = static_cast<int32_t>(screen_height * scale) + GetToolbarHeight();
}

// Where a window of the given size goes in window mode: centred on the
// desktop, or at the override position.
void WindowModePosition(int32_t width, int32_t height, int32_t* x, int32_t* y) {
  if (WindowSettings.position_override) {
    *x = WindowSettings.position_x;
    *y = WindowSettings.position_y;
    return;
  }
  *x = (MainWindow.desktop_width - width) / 2;
  *y = (MainWindow.desktop_height - height) / 2;
}

void StoreClientRect() {
  RECT client{};
  GetClientRect(MainWindow.window, &client);
  POINT origin{0, 0};
  ClientToScreen(MainWindow.window, &origin);
  MainWindow.client_rect = RECT{origin.x, origin.y, origin.x + client.right,
                                origin.y + client.bottom};
}

// Brings the system cursor in line with the shown state wanted.
void ApplyCursor(int32_t show) {
  if (show == MainWindow.cursor_shown) return;
  ShowCursor(show ? TRUE : FALSE);
  MainWindow.cursor_shown = show;
}

// Full-screen mode shows the menu only while the cursor is this near the top.
constexpr int32_t kMenuReachPixels = 60;

// Whether the menu is to be up: one is in use and not hidden, and it is kept
// shown, or the window is in window mode, or (full screen) the cursor is near
// the top.
int32_t MenuWanted() {
  if (!GetMenuInUseFlag() || WindowSettings.menu_hidden) return 0;
  return WindowSettings.menu_kept_shown || WindowModeFlag || MainWindow.cursor_near_top ? 1 : 0;
}

// Shows or removes the menu as the mode asks, and shows the cursor when it is
// requested or the menu is up (the menu is worked with the mouse).
void UpdateCursorAndMenu() {
  ShowMenuForMode(WindowModeFlag || MainWindow.cursor_near_top ? 1 : 0);
  ApplyCursor(IsCursorToBeShown());
}


// Compares how often the millisecond clock and the performance counter
// change, for up to a second, and keeps the finer of the two.
void MeasureTimers(UINT finest_period) {
  LogAdd("タイマーの精度を検査します\n");
  int mm_changes = 0, counter_changes = 0;
  DWORD last_mm = timeGetTime();
  LARGE_INTEGER last_counter;
  QueryPerformanceCounter(&last_counter);
  const DWORD start = last_mm;
  for (;;) {
    const DWORD now_mm = timeGetTime();
    LARGE_INTEGER now_counter;
    QueryPerformanceCounter(&now_counter);
    if (now_mm != last_mm) ++mm_changes;
    if (now_counter.QuadPart != last_counter.QuadPart) ++counter_changes;
    last_mm = now_mm;
    last_counter = now_counter;
    if (now_mm - start >= 1000 || mm_changes >= 60 || counter_changes >= 60) break;
    if (ProcessMessage() != 0) break;
  }
  LogPrintf("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", mm_changes,
            counter_changes);
  if (mm_changes > counter_changes) {
    LogPrintf("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ",
              static_cast<int>(finest_period));
    PerformanceCounterUsable = 0;
  } else {
    LogPrintf("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
              static_cast<double>(PerformanceCounterFrequency) / 1000.0);
  }
}

void FreeDroppedFiles() {
  for (int32_t i = 0; i < DroppedFileList.count; ++i) FreeTracked(DroppedFileList.names[i]);
  DroppedFileList.count = 0;
}

UINT FinestTimerPeriod() {
  TIMECAPS caps{};
  timeGetDevCaps(&caps, sizeof(caps));
  return caps.wPeriodMin;
}

}  // namespace

int32_t IsCursorToBeShown() {
  return MainWindow.cursor_show_request || MenuWanted() ? 1 : 0;
}

int CreateMainWindow() {
  // A fresh window state; the settings, the log, the allocator, the lock and
  // the system information stay as they are.
  FreeDroppedFiles();
  MainWindow = MainWindowState{};
  MainWindow.being_created = 1;
  WindowClosedFlag = 0;
  MessageThreadEndedFlag = 0;
  PendingWindowModeToggle = 0;
  WheelCount = 0;
  MenuItemTable.count = 0;

  if (WindowSettings.class_name[0] == '\0') {
    const char* name = WindowSettings.text[0] != '\0' ? WindowSettings.text : "D123987X";
    // Cut to the room the class name has, always ended.
    const size_t length = std::min(std::strlen(name), sizeof(WindowSettings.class_name) - 1);
    std::memcpy(WindowSettings.class_name, name, length);
    WindowSettings.class_name[length] = '\0';
  }
  MainWindow.instance = GetModuleHandleA(nullptr);
  WindowThreadId = GetCurrentThreadId();

  MEMORYSTATUS memory{};
  GlobalMemoryStatus(&memory);
  LogPrintf("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ",
            static_cast<double>(memory.dwTotalPhys) / 1048576.0,
            static_cast<double>(memory.dwAvailPhys) / 1048576.0);

  ReadDesktopInfo();
  int32_t screen_width, screen_height;
  ScreenSize(&screen_width, &screen_height);
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  PerformanceCounterFrequency = frequency.QuadPart;
  PerformanceCounterUsable = frequency.QuadPart != 0 ? 1 : 0;

  const UINT finest_period = FinestTimerPeriod();
  timeBeginPeriod(finest_period);
  if (PerformanceCounterUsable) MeasureTimers(finest_period);

  SeedRandom(timeGetTime());
  BOOL screen_saver = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &screen_saver, 0);
  MainWindow.screen_saver_was_active = screen_saver;
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);

  if (WindowSettings.text[0] == '\0') {
    std::strncpy(WindowSettings.text, "Zarnel", sizeof(WindowSettings.text) - 1);
  }

  if (!NoWindowFlag) {
    LogAdd("ソフトの二重起動検査... ");
    if (FindWindowA(WindowSettings.class_name, nullptr) != nullptr) {
      if (!WindowSettings.double_start_allowed) {
        LogAdd("二重起動されています、ソフトを終了します\n");
        WindowClosedFlag = 1;
        return -1;
      }
      LogAdd("二重起動されていますが続行します\n");
    } else {
      LogAdd("二重起動はされていませんでした\n");
    }

    if (GetMenuInUseFlag()) CollectMenuItems(WindowSettings.menu);

    if (!UserWindowFlag) {
      WNDCLASSA window_class{};
      window_class.style = CS_HREDRAW | CS_VREDRAW;
      window_class.lpfnWndProc = MainWindowProc;
      window_class.hInstance = MainWindow.instance;
      window_class.hIcon = WindowSettings.icon_id == 0
                               ? LoadIconA(nullptr, IDI_APPLICATION())
                               : LoadIconA(MainWindow.instance,
                                           MAKEINTRESOURCEA(WindowSettings.icon_id));
      window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW());
      window_class.hbrBackground = nullptr;
      window_class.lpszClassName = WindowSettings.class_name;
      LogAdd("ウインドウクラスを登録します... ");
      if (RegisterClassA(&window_class) == 0) {
        WindowClosedFlag = 1;
        return LogAdd("ウインドウクラスの登録に失敗しました\n");
      }
      LogAdd("登録に成功しました\n");

      HWND window;
      if (WindowModeFlag) {
        LogAdd("ウインドウモード起動用のウインドウを作成します\n");
        int32_t width, height;
        WindowModeClientSize(&width, &height);
        RECT rect{0, 0, width, height};
        AdjustWindowRectEx(&rect, WindowModeStyle(), FALSE, WindowModeExStyle());
        int32_t x, y;
        WindowModePosition(rect.right - rect.left, rect.bottom - rect.top, &x, &y);
        window = CreateWindowExA(WindowModeExStyle(), WindowSettings.class_name,
                                 WindowSettings.text, WindowModeStyle(), x, y,
                                 rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                 MainWindow.instance, nullptr);
      } else {
        LogAdd("フルスクリーンモード用のウインドウを作成します\n");
        window = CreateWindowExA(CurrentStyleRow().full_screen_ex_style,
                                 WindowSettings.class_name, WindowSettings.text,
                                 CurrentStyleRow().full_screen_style, 0, 0, screen_width,
                                 screen_height, nullptr, nullptr, MainWindow.instance, nullptr);
      }
      if (window == nullptr) {
        WindowClosedFlag = 1;
        UnregisterClassA(WindowSettings.class_name, MainWindow.instance);
        return LogAdd("ウインドウの作成に失敗しました\n");
      }
      MainWindow.window = window;
      // The menu is on the window from the start in window mode.
      if (WindowModeFlag) ShowMenuForMode(1);
      DragAcceptFiles(window, TRUE);
      if (WindowSettings.hidden) {
        ShowWindow(window, SW_HIDE);
      } else {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
      }
    }

    MainWindow.close_requested = 0;
    MainWindow.active = 1;
    MainWindow.cursor_shown = 1;
    MainWindow.cursor_show_request = WindowModeFlag ? 1 : 0;
    if (!WindowModeFlag) {
      ApplyCursor(0);
      LogAdd("カーソルを不可視にしました\n");
    }
    MainWindow.ime_context = ImmAssociateContext(MainWindow.window, nullptr);
    LogAdd("ＩＭＥを無効にしました\n");
    if (WindowModeFlag) StoreClientRect();
    MainWindow.char_set = GetOEMCP() == 949 ? 2 : 1;
    ClipCursorForMode();
    MainWindow.end_begun = 0;

    if (!UserWindowFlag) {
      if (IsWindowVisible(MainWindow.window)) BringWindowToTop(MainWindow.window);
      const DWORD start = timeGetTime();
      while (timeGetTime() - start < 200) {
        if (ProcessMessage() != 0) break;
      }
      if (IsWindowVisible(MainWindow.window)) FitMainWindow();
    }
  }
  MainWindow.being_created = 0;

  MessageThreadEndedFlag = 0;
  DWORD thread_id = 0;
  MainWindow.message_thread = CreateThread(nullptr, 0, MessageThreadProc, nullptr, 0, &thread_id);
  if (MainWindow.message_thread == nullptr) {
    LogAdd("ProcessMessage をひたすら呼びつづけるスレッドの立ち上げに失敗しました\n");
  } else {
    MainWindow.message_thread_id = thread_id;
  }
  return 0;
}

int DestroyMainWindow() {
  if (MainWindow.window == nullptr && MainWindow.message_thread == nullptr) return 0;
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, MainWindow.screen_saver_was_active, nullptr, 0);
  if (!NoWindowFlag && MainWindow.window != nullptr) {
    ImmAssociateContext(MainWindow.window, static_cast<HIMC>(MainWindow.ime_context));
    ApplyCursor(1);
    if (WindowSettings.region != nullptr) {
      DeleteObject(WindowSettings.region);
      WindowSettings.region = nullptr;
    }
    EndWindowMenuAndToolbar();
    if (!UserWindowFlag) {
      MainWindow.close_requested = 1;
      PostMessageA(MainWindow.window, WM_CLOSE, 0, 0);
      while (ProcessMessage() == 0) {
      }
      // A window that a quit message closed before the close request was
      // handled still stands: it goes now, so that a later start-up does not
      // take it for a second copy of the program. What its end posted is
      // dropped with the rest of this thread's messages.
      if (IsWindow(MainWindow.window)) DestroyWindow(MainWindow.window);
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      }
      UnregisterClassA(WindowSettings.class_name, MainWindow.instance);
    } else {
      WindowClosedFlag = 1;
    }
  }
  EndKeyInput();
  FreeDroppedFiles();
  // Only a thread that was started can end: without one there is nothing to
  // wait for.
  if (MainWindow.message_thread != nullptr) {
    WindowClosedFlag = 1;
    while (MessageThreadEndedFlag == 0) Sleep(1);
    CloseHandle(MainWindow.message_thread);
    MainWindow.message_thread = nullptr;
  }
  timeEndPeriod(FinestTimerPeriod());
  MainWindow.window = nullptr;
  return 0;
}

int ChangeWindowMode(int32_t window_mode) {
  LogAdd("ChangeWindowMode実行 \n");
  if (window_mode == WindowModeFlag) return 0;
  SetWindowModeFlag(window_mode);
  if (MainWindow.window == nullptr || UserWindowFlag) return 0;
  MainWindow.mode_change_in_progress = 1;
  MainWindow.display_change_seen = 0;
  RestyleMainWindow();
  const int result = ChangeScreenMode(-1, -1, -1, 1, -1);
  // A failed change leaves the display as it was: no display change comes.
  if (result >= 0) {
    while (MainWindow.display_change_seen == 0) {
      if (ProcessMessage() != 0) break;
    }
  }
  MainWindow.mode_change_in_progress = 0;
  return result;
}

int SetWindowModeFlag(int32_t window_mode) {
  WindowModeFlag = window_mode;
  LogAdd(window_mode ? "ウインドウモードフラグが立てられました\n"
                     : "ウインドウモードフラグが倒されました\n");
  ShowMenuForMode(window_mode);
  return 0;
}

int RestyleMainWindow() {
  HWND window = MainWindow.window;
  if (window == nullptr) return 0;
  int32_t screen_width, screen_height;
  ScreenSize(&screen_width, &screen_height);
  if (!WindowModeFlag) {
    LogAdd("ウインドウスタイルをフルスクリーンモード用に変更します... ");
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(CurrentStyleRow().full_screen_style));
    SetWindowLongA(window, GWL_EXSTYLE,
                   static_cast<LONG>(CurrentStyleRow().full_screen_ex_style));
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, HWND_TOPMOST(), 0, 0, screen_width, screen_height, SWP_SHOWWINDOW);
    MainWindow.cursor_show_request = 0;
    UpdateCursorAndMenu();
  } else {
    LogAdd("ウインドウスタイルをウインドウモード用に変更します... ");
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WindowModeStyle() | WS_VISIBLE));
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(WindowModeExStyle()));
    int32_t width, height;
    WindowModeClientSize(&width, &height);
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, WindowModeStyle(), FALSE, WindowModeExStyle());
    int32_t x, y;
    WindowModePosition(rect.right - rect.left, rect.bottom - rect.top, &x, &y);
    SetWindowPos(window, HWND_NOTOPMOST(), x, y, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
    StoreClientRect();
    // A client area partly above or left of the desktop is moved into view.
    const LONG dx = MainWindow.client_rect.left < 0 ? -MainWindow.client_rect.left : 0;
    const LONG dy = MainWindow.client_rect.top < 0 ? -MainWindow.client_rect.top : 0;
    if (dx != 0 || dy != 0) {
      SetWindowPos(window, nullptr, x + dx, y + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      StoreClientRect();
    }
    MainWindow.cursor_show_request = 1;
    UpdateCursorAndMenu();
  }
  MainWindow.style_applied = 1;
  LogAdd("完了\n");
  SetActiveWindow(window);
  PostMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), 1);
  return 0;
}

int FitMainWindow() {
  if (MainWindow.window == nullptr) return 0;
  int32_t width, height;
  WindowModeClientSize(&width, &height);
  RECT rect{0, 0, width, height};
  const DWORD style = static_cast<DWORD>(GetWindowLongA(MainWindow.window, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongA(MainWindow.window, GWL_EXSTYLE));
  AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  SetWindowPos(MainWindow.window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER);
  if (WindowModeFlag) StoreClientRect();
  return 0;
}

int SetMainWindowCaption(const char* text) {
  const char* source = text != nullptr ? text : "";
  std::strncpy(WindowSettings.text, source, sizeof(WindowSettings.text) - 1);
  WindowSettings.text[sizeof(WindowSettings.text) - 1] = '\0';
  if (MainWindow.window != nullptr) SetWindowTextA(MainWindow.window, WindowSettings.text);
  return 0;
}

int SetWindowIconResource(int32_t icon_id) {
  WindowSettings.icon_id = icon_id;
  if (MainWindow.window != nullptr) {
    const HICON icon = icon_id == 0
                           ? LoadIconA(nullptr, IDI_APPLICATION())
                           : LoadIconA(MainWindow.instance, MAKEINTRESOURCEA(icon_id));
    SetClassLongPtrA(MainWindow.window, GCLP_HICON, reinterpret_cast<intptr_t>(icon));
  }
  return 0;
}

int GetMousePosition(int32_t* x, int32_t* y) {
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  if (WindowModeFlag) {
    const double scale = GetWindowScale();
    cursor.x = static_cast<LONG>((cursor.x - MainWindow.client_rect.left) / scale);
    cursor.y = static_cast<LONG>((cursor.y - MainWindow.client_rect.top - GetToolbarHeight()) /
                                 scale);
  }
  if (x != nullptr) *x = cursor.x;
  if (y != nullptr) *y = cursor.y;
  return 0;
}

int SetMouseCursorVisible(int32_t request) {
  MainWindow.cursor_show_request = request ? 1 : 0;
  UpdateCursorAndMenu();
  return 0;
}

int ShowMenuForMode(int32_t show) {
  if (!GetMenuInUseFlag() || MainWindow.window == nullptr) return 0;
  const int32_t wanted =
      !WindowSettings.menu_hidden && (show || WindowSettings.menu_kept_shown) ? 1 : 0;
  if (wanted == MainWindow.menu_shown) return 0;
  SetMenu(MainWindow.window, wanted ? WindowSettings.menu : nullptr);
  DrawMenuBar(MainWindow.window);
  MainWindow.menu_shown = wanted;
  return 0;
}

int ClipCursorForMode() {
  if (!WindowModeFlag) {
    int32_t y = 0;
    GetMousePosition(nullptr, &y);
    MainWindow.cursor_near_top = y < kMenuReachPixels ? 1 : 0;
  }
  UpdateCursorAndMenu();
  return 0;
}

int RequestWindowClose() {
  if (MainWindow.close_requested || MainWindow.window == nullptr) return 0;
  MainWindow.close_requested = 1;
  PostMessageA(MainWindow.window, WM_CLOSE, 0, 0);
  return 0;
}
