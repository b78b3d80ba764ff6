// Windows, their classes and message queues over the host's one window.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/not_emulated.h"
#include "platform/host/cp932.h"
#include "platform/host/host.h"
#include "platform/host/thread_id.h"
#include "platform/win32/dinput.h"
#include "platform/win32/key_codes.h"
#include "platform/win32/queued_messages.h"
#include "platform/win32/user.h"
#include "platform/win32/window_class_mark_posix.h"
#include "platform/win32/window_icons.h"

namespace {

constexpr int kDefaultClientWidth = 640;
constexpr int kDefaultClientHeight = 480;

struct ClassEntry {
  std::string name;
  WNDCLASSA wc;
  HICON icon;
};

struct WindowEntry {
  HWND handle = nullptr;
  std::string class_name;
  WNDPROC proc = nullptr;
  std::string text;  // Shift-JIS
  DWORD style = 0;
  DWORD ex_style = 0;
  RECT rect{};  // the client area on the desktop
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  bool needs_paint = false;
  bool message_only = false;  // never shown, never the host's window
  DWORD thread = 0;
  // What shows the window's class to the other programs of the session
  // (window_class_mark_posix.h); -1 for none, as for message-only windows.
  int class_mark = -1;
};

// What the host shows of the host's window, as last handed to it.
struct HostShown {
  int width = -1;
  int height = -1;
  int full_screen = -1;
  HICON icon = nullptr;
};

struct WindowSystem {
  std::recursive_mutex mutex;
  std::vector<ClassEntry> classes;
  std::vector<WindowEntry> windows;  // in order of creation
  std::map<DWORD, std::deque<MSG>> queues;
  HWND host_window = nullptr;
  uintptr_t next_window = 0x10000;
  HostShown shown;
  int cursor_count = 0;
  HCURSOR cursor = nullptr;
  BOOL screen_saver_active = TRUE;
  DWORD foreground_lock_timeout = 200000;
  std::map<uintptr_t, std::vector<std::string>> drops;
  uintptr_t next_drop = 0x40000;
};

WindowSystem& System() {
  static auto* system = new WindowSystem;
  return *system;
}

bool SameName(const std::string& a, const char* b) {
  if (b == nullptr || a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Names given as numbers (MAKEINTRESOURCEA) are not emulated for classes.
bool IsNumberName(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

WindowEntry* FindLocked(HWND window) {
  for (WindowEntry& entry : System().windows) {
    if (entry.handle == window) return &entry;
  }
  return nullptr;
}

ClassEntry* FindClassLocked(const std::string& name) {
  for (ClassEntry& entry : System().classes) {
    if (SameName(entry.name, name.c_str())) return &entry;
  }
  return nullptr;
}

// What a search returns for a window of another program: a handle that no
// window of this program has, which takes no calls.
HWND AnotherProgramsWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x8000)); }

bool FullScreenLook(const WindowEntry& entry) {
  return (entry.style & WS_CAPTION) == 0 && entry.rect.left == 0 && entry.rect.top == 0;
}

// Hands the host's window size, full-screen state and icon to the host when
// they changed. The host is told nothing while the window is hidden.
void SyncHostLocked() {
  WindowSystem& system = System();
  if (system.host_window == nullptr || !HostInstalled()) return;
  WindowEntry* entry = FindLocked(system.host_window);
  if (entry == nullptr || !entry->visible) return;
  VideoHost& video = CurrentHost().Video();
  const int width = entry->rect.right - entry->rect.left;
  const int height = entry->rect.bottom - entry->rect.top;
  if (width != system.shown.width || height != system.shown.height) {
    system.shown.width = width;
    system.shown.height = height;
    video.SetWindowImageSize(width, height);
  }
  const int full = FullScreenLook(*entry) ? 1 : 0;
  if (full != system.shown.full_screen) {
    system.shown.full_screen = full;
    video.SetFullScreen(full == 1);
  }
  ClassEntry* window_class = FindClassLocked(entry->class_name);
  const HICON icon = window_class != nullptr ? window_class->icon : nullptr;
  if (icon != nullptr && icon != system.shown.icon) {
    system.shown.icon = icon;
    int icon_width = 0, icon_height = 0;
    const uint32_t* pixels = IconPixels(icon, &icon_width, &icon_height);
    if (pixels != nullptr) video.SetIcon(icon_width, icon_height, pixels);
  }
}

void PostLocked(DWORD thread, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wparam;
  msg.lParam = lparam;
  msg.time = HostInstalled() ? CurrentHost().Clock().Milliseconds() : 0;
  System().queues[thread].push_back(msg);
}

HDROP MakeDropLocked(const std::vector<std::string>& utf8_paths) {
  WindowSystem& system = System();
  const uintptr_t id = system.next_drop;
  system.next_drop += 4;
  std::vector<std::string>& names = system.drops[id];
  for (const std::string& path : utf8_paths) names.push_back(Utf8ToCp932(path));
  return reinterpret_cast<HDROP>(id);
}

// Turns the host's waiting events and typed text into messages of the host's
// window. Runs on the window's own thread only.
void PumpHostEvents() {
  if (!HostInstalled()) return;
  HWND window;
  {
    std::lock_guard<std::recursive_mutex> lock(System().mutex);
    window = System().host_window;
    const WindowEntry* entry = window != nullptr ? FindLocked(window) : nullptr;
    if (entry == nullptr || entry->thread != HostThreadId()) return;
  }
  Host& host = CurrentHost();
  std::vector<HostEvent> events;
  host.Video().PollEvents(&events);
  const std::string typed = host.Input().TakeTypedText();
  NoteHostInputForDirectInput();

  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return;
  const DWORD thread = entry->thread;
  for (const char byte : typed) {
    PostLocked(thread, window, WM_CHAR, static_cast<unsigned char>(byte), 1);
  }
  for (const HostEvent& event : events) {
    switch (event.type) {
      case HostEventType::Close:
        PostLocked(thread, window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case HostEventType::FocusGained:
        PostLocked(thread, window, WM_ACTIVATEAPP, TRUE, 0);
        break;
      case HostEventType::FocusLost:
        PostLocked(thread, window, WM_ACTIVATEAPP, FALSE, 0);
        break;
      case HostEventType::KeyDown: {
        const int vk = MessageVirtualKeyFromDik(event.key);
        if (vk == 0) break;
        LPARAM lparam = 1 | (static_cast<LPARAM>(event.key & 0x7F) << 16);
        if (event.key & 0x80) lparam |= LPARAM{1} << 24;  // an extended key
        if (event.alt) lparam |= LPARAM{1} << 29;
        PostLocked(thread, window, event.alt ? WM_SYSKEYDOWN : WM_KEYDOWN,
                   static_cast<WPARAM>(vk), lparam);
        break;
      }
      case HostEventType::Moved: {
        const LONG width = entry->rect.right - entry->rect.left;
        const LONG height = entry->rect.bottom - entry->rect.top;
        entry->rect = RECT{event.x, event.y, event.x + width, event.y + height};
        PostLocked(thread, window, WM_MOVE, 0, MAKELPARAM(event.x, event.y));
        break;
      }
      case HostEventType::Maximized:
        entry->maximized = true;
        entry->minimized = false;
        PostLocked(thread, window, WM_SIZE, SIZE_MAXIMIZED,
                   MAKELPARAM(entry->rect.right - entry->rect.left,
                              entry->rect.bottom - entry->rect.top));
        break;
      case HostEventType::Restored:
        entry->maximized = false;
        entry->minimized = false;
        PostLocked(thread, window, WM_SIZE, SIZE_RESTORED,
                   MAKELPARAM(entry->rect.right - entry->rect.left,
                              entry->rect.bottom - entry->rect.top));
        break;
      case HostEventType::FilesDropped:
        if (event.paths.empty()) break;
        PostLocked(thread, window, WM_DROPFILES,
                   reinterpret_cast<WPARAM>(MakeDropLocked(event.paths)), 0);
        break;
    }
  }
}

WNDPROC ProcOf(HWND window, DWORD* thread) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return nullptr;
  if (thread != nullptr) *thread = entry->thread;
  return entry->proc;
}

// Sends when called on the window's thread, posts otherwise.
void Notify(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD thread = 0;
  if (ProcOf(window, &thread) == nullptr) return;
  if (thread == HostThreadId()) {
    SendMessageA(window, message, wparam, lparam);
  } else {
    PostMessageA(window, message, wparam, lparam);
  }
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA* window_class) {
  RequireEmulated(window_class != nullptr, "RegisterClassA", "a window class is needed",
                  window_class);
  RequireEmulated(window_class->lpszClassName != nullptr &&
                      !IsNumberName(window_class->lpszClassName),
                  "RegisterClassA", "a class name is needed", window_class->lpszClassName);
  if (window_class == nullptr || window_class->lpszClassName == nullptr ||
      IsNumberName(window_class->lpszClassName) || window_class->lpfnWndProc == nullptr) {
    return 0;
  }
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  if (FindClassLocked(window_class->lpszClassName) != nullptr) return 0;
  ClassEntry entry;
  entry.name = window_class->lpszClassName;
  entry.wc = *window_class;
  entry.wc.lpszClassName = nullptr;  // the name lives in `name`
  entry.wc.lpszMenuName = nullptr;
  entry.icon = window_class->hIcon;
  System().classes.push_back(entry);
  return static_cast<ATOM>(0xC000 + System().classes.size());
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE) {
  if (class_name == nullptr || IsNumberName(class_name)) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  auto& classes = System().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (!SameName(it->name, class_name)) continue;
    for (const WindowEntry& window : System().windows) {
      if (SameName(window.class_name, class_name)) return FALSE;  // still in use
    }
    classes.erase(it);
    return TRUE;
  }
  return FALSE;
}

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter) {
  // Top-level and message-only windows only: child windows and menus are not
  // emulated.
  const bool message_only = parent == HWND_MESSAGE();
  RequireEmulated(parent == nullptr || message_only, "CreateWindowExA",
                  "child windows are not emulated", parent);
  RequireEmulated(menu == nullptr, "CreateWindowExA", "menus are not emulated", menu);
  if (class_name == nullptr || IsNumberName(class_name)) {
    return nullptr;
  }
  HWND handle;
  CREATESTRUCTA create{};
  {
    std::lock_guard<std::recursive_mutex> lock(System().mutex);
    WindowSystem& system = System();
    const ClassEntry* window_class = FindClassLocked(class_name);
    if (window_class == nullptr) return nullptr;
    WindowEntry entry;
    entry.handle = reinterpret_cast<HWND>(system.next_window);
    system.next_window += 4;
    entry.class_name = window_class->name;
    entry.proc = window_class->wc.lpfnWndProc;
    entry.text = window_name != nullptr ? window_name : "";
    entry.style = style & ~WS_VISIBLE;
    entry.message_only = message_only;
    entry.ex_style = ex_style;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
      width = kDefaultClientWidth;
      height = kDefaultClientHeight;
    }
    entry.rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    entry.thread = HostThreadId();
    // A message-only window is found by no search, so it shows nothing.
    if (!message_only) entry.class_mark = MarkWindowClass(entry.class_name);
    handle = entry.handle;
    system.windows.push_back(entry);
    if (system.host_window == nullptr && !message_only) {
      system.host_window = handle;
      system.shown = HostShown{};
      if (HostInstalled()) CurrentHost().Video().SetTitle(Cp932ToUtf8(entry.text));
    }
    create.lpCreateParams = parameter;
    create.hInstance = instance;
    create.cx = entry.rect.right - entry.rect.left;
    create.cy = entry.rect.bottom - entry.rect.top;
    create.x = x;
    create.y = y;
    create.style = static_cast<LONG>(style);
    create.lpszName = window_name;
    create.lpszClass = class_name;
    create.dwExStyle = ex_style;
  }
  if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if ((style & WS_VISIBLE) && !message_only) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL DestroyWindow(HWND window) {
  DWORD thread = 0;
  if (ProcOf(window, &thread) == nullptr) return FALSE;
  RequireEmulated(thread == HostThreadId(), "DestroyWindow",
                  "only the window's own thread may destroy it; the window's thread is", thread);
  SendMessageA(window, WM_DESTROY, 0, 0);
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowSystem& system = System();
  if (const WindowEntry* entry = FindLocked(window)) ReleaseWindowClassMark(entry->class_mark);
  system.windows.erase(std::remove_if(system.windows.begin(), system.windows.end(),
                                      [&](const WindowEntry& e) { return e.handle == window; }),
                       system.windows.end());
  TakeQueuedMessages(window, [](const MSG&) { return true; });
  if (system.host_window == window) system.host_window = nullptr;
  return TRUE;
}

BOOL IsWindow(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  return FindLocked(window) != nullptr;
}

HWND FindWindowA(LPCSTR class_name, LPCSTR window_name) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  for (const WindowEntry& entry : System().windows) {
    if (class_name != nullptr && !SameName(entry.class_name, class_name)) continue;
    if (window_name != nullptr && entry.text != window_name) continue;
    return entry.handle;
  }
  // Another program's windows are known by their class only.
  if (class_name == nullptr || IsNumberName(class_name) || window_name != nullptr) return nullptr;
  if (!WindowClassMarkedElsewhere(class_name)) return nullptr;
  std::fprintf(stderr,
               "brimal: another copy of the program is running in this login session (it has a "
               "window of class \"%s\")\n",
               Cp932ToUtf8(class_name).c_str());
  return AnotherProgramsWindow();
}

BOOL ShowWindow(HWND window, int command) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || entry->message_only) return FALSE;
  const BOOL was_visible = entry->visible ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE:
      entry->visible = false;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      entry->visible = true;
      entry->minimized = true;
      break;
    case SW_MAXIMIZE:
      entry->visible = true;
      entry->maximized = true;
      entry->minimized = false;
      break;
    case SW_SHOW:
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      entry->visible = true;
      entry->minimized = false;
      if (command != SW_SHOW) entry->maximized = false;
      break;
    default:
      FailNotEmulated("ShowWindow", "this command is not emulated", NotEmulatedValue(command));
  }
  if (entry->visible && !was_visible) entry->needs_paint = true;
  SyncHostLocked();
  return was_visible;
}

BOOL UpdateWindow(HWND window) {
  bool paint = false;
  {
    std::lock_guard<std::recursive_mutex> lock(System().mutex);
    WindowEntry* entry = FindLocked(window);
    if (entry == nullptr) return FALSE;
    paint = entry->needs_paint && entry->visible;
    if (paint) entry->needs_paint = false;
  }
  if (paint) SendMessageA(window, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL IsWindowVisible(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  return entry != nullptr && entry->visible ? TRUE : FALSE;
}

BOOL IsIconic(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  return entry != nullptr && entry->minimized ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return FALSE;
  entry->needs_paint = true;
  return TRUE;
}

BOOL ValidateRect(HWND window, const RECT*) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return FALSE;
  entry->needs_paint = false;
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return FALSE;
  entry->text = text != nullptr ? text : "";
  if (window == System().host_window && HostInstalled()) {
    CurrentHost().Video().SetTitle(Cp932ToUtf8(entry->text));
  }
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int size) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || text == nullptr || size <= 0) return 0;
  const int length = std::min<int>(static_cast<int>(entry->text.size()), size - 1);
  std::memcpy(text, entry->text.data(), length);
  text[length] = '\0';
  return length;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  RequireEmulated(index == GWL_STYLE || index == GWL_EXSTYLE, "SetWindowLongA", "index not emulated",
                  index);
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return 0;
  DWORD* field = index == GWL_STYLE ? &entry->style : index == GWL_EXSTYLE ? &entry->ex_style : nullptr;
  if (field == nullptr) return 0;
  const LONG old = static_cast<LONG>(*field | (index == GWL_STYLE && entry->visible ? WS_VISIBLE : 0));
  *field = static_cast<DWORD>(value);
  if (index == GWL_STYLE) {
    // The visible bit shows or hides the window, as on the system.
    const bool visible = (entry->style & WS_VISIBLE) != 0;
    if (visible && !entry->visible) entry->needs_paint = true;
    entry->visible = visible;
    entry->style &= ~WS_VISIBLE;
  }
  SyncHostLocked();
  return old;
}

LONG GetWindowLongA(HWND window, int index) {
  RequireEmulated(index == GWL_STYLE || index == GWL_EXSTYLE, "GetWindowLongA", "index not emulated",
                  index);
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return 0;
  if (index == GWL_STYLE) {
    return static_cast<LONG>(entry->style | (entry->visible ? WS_VISIBLE : 0) |
                             (entry->minimized ? WS_MINIMIZE : 0) |
                             (entry->maximized ? WS_MAXIMIZE : 0));
  }
  return index == GWL_EXSTYLE ? static_cast<LONG>(entry->ex_style) : 0;
}

uintptr_t SetClassLongPtrA(HWND window, int index, intptr_t value) {
  RequireEmulated(index == GCLP_HICON, "SetClassLongPtrA", "index not emulated", index);
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || index != GCLP_HICON) return 0;
  ClassEntry* window_class = FindClassLocked(entry->class_name);
  if (window_class == nullptr) return 0;
  const HICON old = window_class->icon;
  window_class->icon = reinterpret_cast<HICON>(value);
  SyncHostLocked();
  return reinterpret_cast<uintptr_t>(old);
}

BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height,
                  UINT flags) {
  bool moved = false, sized = false;
  RECT rect{};
  {
    std::lock_guard<std::recursive_mutex> lock(System().mutex);
    WindowEntry* entry = FindLocked(window);
    if (entry == nullptr) return FALSE;
    if ((flags & SWP_NOZORDER) == 0) {
      if (insert_after == HWND_TOPMOST()) entry->ex_style |= WS_EX_TOPMOST;
      if (insert_after == HWND_NOTOPMOST()) entry->ex_style &= ~WS_EX_TOPMOST;
    }
    RECT next = entry->rect;
    if ((flags & SWP_NOMOVE) == 0) {
      next.right = x + (next.right - next.left);
      next.bottom = y + (next.bottom - next.top);
      next.left = x;
      next.top = y;
    }
    if ((flags & SWP_NOSIZE) == 0) {
      next.right = next.left + std::max(width, 0);
      next.bottom = next.top + std::max(height, 0);
    }
    moved = next.left != entry->rect.left || next.top != entry->rect.top;
    sized = (next.right - next.left) != (entry->rect.right - entry->rect.left) ||
            (next.bottom - next.top) != (entry->rect.bottom - entry->rect.top);
    entry->rect = next;
    if (flags & SWP_SHOWWINDOW) {
      if (!entry->visible) entry->needs_paint = true;
      entry->visible = true;
    }
    if (flags & SWP_HIDEWINDOW) entry->visible = false;
    if (sized) entry->needs_paint = true;
    rect = next;
    SyncHostLocked();
  }
  if (moved) Notify(window, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
  if (sized) {
    Notify(window, WM_SIZE, SIZE_RESTORED,
           MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
  }
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetClientRect(HWND window, RECT* rect) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, entry->rect.right - entry->rect.left, entry->rect.bottom - entry->rect.top};
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || rect == nullptr) return FALSE;
  *rect = entry->rect;
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || point == nullptr) return FALSE;
  point->x += entry->rect.left;
  point->y += entry->rect.top;
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || point == nullptr) return FALSE;
  point->x -= entry->rect.left;
  point->y -= entry->rect.top;
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) { return rect != nullptr ? TRUE : FALSE; }

BOOL SetForegroundWindow(HWND window) { return IsWindow(window); }

HWND GetForegroundWindow() {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  return System().host_window;
}

BOOL BringWindowToTop(HWND window) { return IsWindow(window); }

HWND SetActiveWindow(HWND window) { return IsWindow(window) ? window : nullptr; }

HWND SetFocus(HWND window) { return IsWindow(window) ? window : nullptr; }

DWORD GetWindowThreadProcessId(HWND window, LPDWORD process_id) {
  if (process_id != nullptr) *process_id = 1;
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const WindowEntry* entry = FindLocked(window);
  return entry != nullptr ? entry->thread : 0;
}

BOOL AttachThreadInput(DWORD, DWORD, BOOL) { return TRUE; }

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  const uintptr_t id = reinterpret_cast<uintptr_t>(name);
  if (instance == nullptr && id == IDI_APPLICATION_ID) return IconHandle(kApplicationIcon);
  if (instance != nullptr && id == kProgramIconResource) return IconHandle(kProgramIcon);
  return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance == nullptr && reinterpret_cast<uintptr_t>(name) == IDC_ARROW_ID) {
    return IconHandle(kArrowCursor);
  }
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  const HCURSOR old = System().cursor;
  System().cursor = cursor;
  return old;
}

HCURSOR GetCursor() {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  return System().cursor;
}

int ShowCursor(BOOL show) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  return show ? ++System().cursor_count : --System().cursor_count;
}

BOOL ClipCursor(const RECT*) { return TRUE; }

BOOL GetCursorPos(POINT* point) {
  if (point == nullptr) return FALSE;
  *point = POINT{0, 0};
  return TRUE;
}

BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) {
  RequireEmulated(first == 0 && last == 0, "PeekMessageA", "message ranges are not emulated",
                  first != 0 ? first : last);
  RequireEmulated((remove & ~PM_REMOVE) == 0, "PeekMessageA", "only PM_REMOVE is emulated", remove);
  PumpHostEvents();
  const DWORD me = HostThreadId();
  const HWND thread_only = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  auto found = System().queues.find(me);
  if (found != System().queues.end()) {
    std::deque<MSG>& queue = found->second;
    for (auto it = queue.begin(); it != queue.end(); ++it) {
      const bool match = window == nullptr || (window == thread_only && it->hwnd == nullptr) ||
                         (window != thread_only && it->hwnd == window);
      if (!match) continue;
      if (message != nullptr) *message = *it;
      if (remove & PM_REMOVE) queue.erase(it);
      return TRUE;
    }
  }
  if (window == thread_only) return FALSE;
  // Nothing waits: a window that needs a repaint gets WM_PAINT. Taking it
  // counts as the repaint.
  for (WindowEntry& entry : System().windows) {
    if (entry.thread != me || !entry.needs_paint || !entry.visible || entry.message_only) continue;
    if (window != nullptr && entry.handle != window) continue;
    if (message != nullptr) {
      *message = MSG{};
      message->hwnd = entry.handle;
      message->message = WM_PAINT;
    }
    if (remove & PM_REMOVE) entry.needs_paint = false;
    return TRUE;
  }
  return FALSE;
}

BOOL TranslateMessage(const MSG* message) {
  if (message == nullptr) return FALSE;
  UINT char_message = 0;
  WPARAM character = 0;
  if (message->message == WM_KEYDOWN) {
    switch (message->wParam) {
      case VK_BACK: case VK_TAB: case VK_RETURN: case VK_ESCAPE:
        char_message = WM_CHAR;
        character = message->wParam;
        break;
      default:
        break;
    }
  } else if (message->message == WM_SYSKEYDOWN && message->wParam == VK_RETURN) {
    char_message = WM_SYSCHAR;
    character = '\r';
  }
  if (char_message == 0) {
    return message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN ||
                   message->message == WM_KEYUP || message->message == WM_SYSKEYUP
               ? TRUE
               : FALSE;
  }
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  MSG msg = *message;
  msg.message = char_message;
  msg.wParam = character;
  System().queues[HostThreadId()].push_front(msg);
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr) return 0;
  const WNDPROC proc = ProcOf(message->hwnd, nullptr);
  if (proc == nullptr) return 0;
  return proc(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  if (window == nullptr) {
    PostLocked(HostThreadId(), nullptr, message, wparam, lparam);
    return TRUE;
  }
  if (window == HWND_BROADCAST()) {
    for (const WindowEntry& entry : System().windows) {
      PostLocked(entry.thread, entry.handle, message, wparam, lparam);
    }
    return TRUE;
  }
  const WindowEntry* entry = FindLocked(window);
  if (entry == nullptr) return FALSE;
  PostLocked(entry->thread, window, message, wparam, lparam);
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD thread = 0;
  const WNDPROC proc = ProcOf(window, &thread);
  if (proc == nullptr) return 0;
  RequireEmulated(thread == HostThreadId(), "SendMessageA",
                  "sending to another thread is not emulated; the window's thread is", thread);
  return proc(window, message, wparam, lparam);
}

std::vector<MSG> TakeQueuedMessages(HWND window, const std::function<bool(const MSG&)>& match) {
  std::vector<MSG> taken;
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  for (auto& [thread, queue] : System().queues) {
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [&](const MSG& m) {
                                 if (m.hwnd != window || !match(m)) return false;
                                 taken.push_back(m);
                                 return true;
                               }),
                queue.end());
  }
  return taken;
}

bool HasQueuedMessage(HWND window, const std::function<bool(const MSG&)>& match) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  for (const auto& [thread, queue] : System().queues) {
    for (const MSG& m : queue) {
      if (m.hwnd == window && match(m)) return true;
    }
  }
  return false;
}

void PostQuitMessage(int exit_code) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  PostLocked(HostThreadId(), nullptr, WM_QUIT, static_cast<WPARAM>(exit_code), 0);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
      if ((wparam & 0xFFF0) == SC_MINIMIZE) ShowWindow(window, SW_MINIMIZE);
      return 0;
    case WM_PAINT:
      ValidateRect(window, nullptr);
      return 0;
    case WM_DROPFILES:
      DragFinish(reinterpret_cast<HDROP>(wparam));
      return 0;
    default:
      return 0;
  }
}

BOOL GetKeyboardState(BYTE* key_state) {
  if (key_state == nullptr) return FALSE;
  uint8_t keys[InputState::kKeyCount] = {};
  if (HostInstalled()) CurrentHost().Input().GetKeys(keys);
  VirtualKeyStateFromDik(keys, key_state);
  return TRUE;
}

int GetSystemMetrics(int index) {
  RequireEmulated(index == SM_CXSCREEN || index == SM_CYSCREEN, "GetSystemMetrics",
                  "index not emulated", index);
  int width = 0, height = 0, depth = 0;
  if (HostInstalled()) CurrentHost().Video().GetDesktopMode(&width, &height, &depth);
  return index == SM_CXSCREEN ? width : index == SM_CYSCREEN ? height : 0;
}

BOOL EnumDisplaySettingsA(LPCSTR device_name, DWORD mode_number, DEVMODEA* mode) {
  RequireEmulated(device_name == nullptr, "EnumDisplaySettingsA",
                  "only the primary display is emulated", device_name);
  RequireEmulated(mode_number == ENUM_CURRENT_SETTINGS, "EnumDisplaySettingsA",
                  "only the current mode is emulated", mode_number);
  if (mode == nullptr) {
    return FALSE;
  }
  int width = 0, height = 0, depth = 0;
  if (HostInstalled()) CurrentHost().Video().GetDesktopMode(&width, &height, &depth);
  mode->dmBitsPerPel = static_cast<DWORD>(depth);
  mode->dmPelsWidth = static_cast<DWORD>(width);
  mode->dmPelsHeight = static_cast<DWORD>(height);
  mode->dmDisplayFrequency = 60;
  return TRUE;
}

BOOL SystemParametersInfoA(UINT action, UINT ui, LPVOID pv, UINT) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  WindowSystem& system = System();
  switch (action) {
    case SPI_GETSCREENSAVEACTIVE:
      if (pv == nullptr) return FALSE;
      *static_cast<BOOL*>(pv) = system.screen_saver_active;
      return TRUE;
    case SPI_SETSCREENSAVEACTIVE:
      system.screen_saver_active = ui != 0 ? TRUE : FALSE;
      return TRUE;
    case SPI_GETFOREGROUNDLOCKTIMEOUT:
      if (pv == nullptr) return FALSE;
      *static_cast<DWORD*>(pv) = system.foreground_lock_timeout;
      return TRUE;
    case SPI_SETFOREGROUNDLOCKTIMEOUT:
      system.foreground_lock_timeout = static_cast<DWORD>(reinterpret_cast<uintptr_t>(pv));
      return TRUE;
    default:
      FailNotEmulated("SystemParametersInfoA", "action not emulated", NotEmulatedValue(action));
  }
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  auto found = System().drops.find(reinterpret_cast<uintptr_t>(drop));
  if (found == System().drops.end()) return 0;
  const std::vector<std::string>& names = found->second;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(names.size());
  if (index >= names.size()) return 0;
  const std::string& name = names[index];
  if (file != nullptr && size > 0) {
    const size_t length = std::min<size_t>(name.size(), size - 1);
    std::memcpy(file, name.data(), length);
    file[length] = '\0';
  }
  return static_cast<UINT>(name.size());
}

void DragFinish(HDROP drop) {
  std::lock_guard<std::recursive_mutex> lock(System().mutex);
  System().drops.erase(reinterpret_cast<uintptr_t>(drop));
}

void DragAcceptFiles(HWND, BOOL) {}
