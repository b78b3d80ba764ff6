// User-interface stand-ins used by the game and the runtime.
#pragma once

#include "platform/win32/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONERROR = 0x00000010;

constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a question box. Text and caption are Shift-JIS. Only MB_OK and
// MB_YESNO boxes (with any icon) are emulated. The null host answers from its
// configuration (No unless told otherwise).
int MessageBoxA(HWND parent, LPCSTR text, LPCSTR caption, UINT type);

// ---- Windows and their messages ---------------------------------------------
// One top-level window at a time is shown through the host: the first window
// made (message-only windows aside) is the host's window; its client area is the host's window image.
// Windows have no frame of their own (the host draws any decoration), so a
// window's rectangle is its client area in desktop coordinates. A window
// counts as full screen when it has no caption and stands at (0, 0); the
// host then shows it full screen, scaled.
//
// Messages belong to the thread that made the window: PeekMessageA returns
// only the calling thread's messages, and only on that thread are the host's
// events (close, focus, keys, typed text, moves, maximise, dropped files)
// turned into window messages. SendMessageA runs the procedure at once and is
// emulated only on the window's own thread.

struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HDROP__;
using HDROP = HDROP__*;
using ATOM = WORD;

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Resource names given as numbers.
inline LPCSTR MAKEINTRESOURCEA(int id) {
  return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(id)));
}
constexpr int IDI_APPLICATION_ID = 32512;
constexpr int IDC_ARROW_ID = 32512;
inline LPCSTR IDI_APPLICATION() { return MAKEINTRESOURCEA(IDI_APPLICATION_ID); }
inline LPCSTR IDC_ARROW() { return MAKEINTRESOURCEA(IDC_ARROW_ID); }

inline WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
inline WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
inline LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<DWORD>((static_cast<WORD>(low)) |
                                                (static_cast<DWORD>(static_cast<WORD>(high)) << 16)));
}

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_IME_STARTCOMPOSITION = 0x010D;
constexpr UINT WM_IME_ENDCOMPOSITION = 0x010E;
constexpr UINT WM_IME_COMPOSITION = 0x010F;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_SIZING = 0x0214;
constexpr UINT WM_MOVING = 0x0216;
constexpr UINT WM_DROPFILES = 0x0233;
constexpr UINT WM_IME_SETCONTEXT = 0x0281;
constexpr UINT WM_IME_NOTIFY = 0x0282;
constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr UINT WM_USER = 0x0400;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_SYSCOMMAND commands (the low four bits are the system's own).
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_KEYMENU = 0xF100;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

// WM_SIZING edges.
constexpr WPARAM WMSZ_LEFT = 1;
constexpr WPARAM WMSZ_RIGHT = 2;
constexpr WPARAM WMSZ_TOP = 3;
constexpr WPARAM WMSZ_TOPLEFT = 4;
constexpr WPARAM WMSZ_TOPRIGHT = 5;
constexpr WPARAM WMSZ_BOTTOM = 6;
constexpr WPARAM WMSZ_BOTTOMLEFT = 7;
constexpr WPARAM WMSZ_BOTTOMRIGHT = 8;

// Virtual-key codes the stand-ins use by name.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_DELETE = 0x2E;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// Passed with WM_CREATE.
struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

// The parent that makes a message-only window.
inline HWND HWND_MESSAGE() { return reinterpret_cast<HWND>(static_cast<intptr_t>(-3)); }

// Registers a class; only the fields above are read. 0 when the name is taken.
ATOM RegisterClassA(const WNDCLASSA* window_class);
BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE instance);
// Makes a top-level window (no parent, no menu); sends WM_CREATE and, with
// WS_VISIBLE, shows it. CW_USEDEFAULT places it at (0, 0) with a 640 x 480
// client area. Null when the class is unknown or WM_CREATE returns -1.
// With the parent HWND_MESSAGE() the window is message-only: its procedure
// receives its messages through the creating thread's queue like any
// window's, but it is never shown and never becomes the host's window.
HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter);
// Sends WM_DESTROY, then forgets the window and its waiting messages.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
// The first window of the class (and, when `window_name` is not null, with
// that text) among this program's windows. A search by class alone also
// sees the top-level windows of the other programs of the login session
// (window_class_mark_posix.h): when one has a window of the class, one line
// on stderr says so and the result is a handle that stands for that window
// but takes no calls. Null when none.
HWND FindWindowA(LPCSTR class_name, LPCSTR window_name);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;
// Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
// Sends WM_PAINT at once when the window waits for a repaint.
BOOL UpdateWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
// Marks the window for a repaint: the next PeekMessageA that finds no other
// message returns WM_PAINT.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);

BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR text, int size);

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
// Only GWL_STYLE and GWL_EXSTYLE are emulated. Return the previous value.
LONG SetWindowLongA(HWND window, int index, LONG value);
LONG GetWindowLongA(HWND window, int index);

constexpr int GCLP_HICON = -14;
// Only GCLP_HICON is emulated: the icon of the window's class, also shown by
// the host for the host's window.
uintptr_t SetClassLongPtrA(HWND window, int index, intptr_t value);

constexpr HWND HWND_TOP = nullptr;
inline HWND HWND_TOPMOST() { return reinterpret_cast<HWND>(static_cast<intptr_t>(-1)); }
inline HWND HWND_NOTOPMOST() { return reinterpret_cast<HWND>(static_cast<intptr_t>(-2)); }
inline HWND HWND_BROADCAST() { return reinterpret_cast<HWND>(static_cast<intptr_t>(0xFFFF)); }
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
// Moves and sizes the window; `insert_after` HWND_TOPMOST / HWND_NOTOPMOST
// set or clear WS_EX_TOPMOST. A move sends WM_MOVE, a new size WM_SIZE.
BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int width, int height,
                  UINT flags);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
// (0, 0, client width, client height).
BOOL GetClientRect(HWND window, RECT* rect);
// The window's rectangle on the desktop (the same as its client area).
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
// Windows have no frame: the rectangle is left as it is.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD ex_style);

// Activation. The host decides which window is active; these only answer.
BOOL SetForegroundWindow(HWND window);
HWND GetForegroundWindow();
BOOL BringWindowToTop(HWND window);
HWND SetActiveWindow(HWND window);
HWND SetFocus(HWND window);
DWORD GetWindowThreadProcessId(HWND window, LPDWORD process_id);
BOOL AttachThreadInput(DWORD attach, DWORD attach_to, BOOL do_attach);

// Icons and the cursor. LoadIconA knows the system's application icon
// (null instance, IDI_APPLICATION) and the program's icon resource 102.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// Only the arrow cursor exists.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
// The cursor picture last set (null: none shown over the window).
HCURSOR GetCursor();
// The display counter: the cursor shows while it is 0 or more.
int ShowCursor(BOOL show);
BOOL ClipCursor(const RECT* rect);
// The host has no mouse position: the cursor rests at the desktop's origin.
BOOL GetCursorPos(POINT* point);

// The message queue of the calling thread.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
// `window` null takes any message of the thread (thread messages included),
// (HWND)-1 only thread messages, else that window's. Message ranges are not
// emulated (both limits 0). WM_PAINT comes only when nothing else waits.
BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove);
// Turns key-down messages of keys that type a character (Back, Tab, Return,
// Escape) into WM_CHAR, and Alt+Return into WM_SYSCHAR, taken next. Typed
// text itself arrives as WM_CHAR bytes (Shift-JIS) from the host.
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
// `window` null posts a thread message to the calling thread; HWND_BROADCAST
// posts to every top-level window. FALSE for a window that does not exist.
BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Runs the window's procedure on the calling thread, which must be the
// window's own.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void PostQuitMessage(int exit_code);
// The default handling: WM_CLOSE destroys the window, WM_SYSCOMMAND SC_CLOSE
// sends WM_CLOSE, WM_PAINT validates; everything else gives 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The keyboard state of the calling thread: 256 bytes by virtual-key code,
// 0x80 while the key is down. Read from the host's key table.
BOOL GetKeyboardState(BYTE* key_state);

// The display's current mode (ENUM_CURRENT_SETTINGS of the primary display,
// device name null): the host's desktop.
constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFFu;
struct DEVMODEA {
  DWORD dmSize;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFrequency;
};
BOOL EnumDisplaySettingsA(LPCSTR device_name, DWORD mode_number, DEVMODEA* mode);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
// The desktop's width and height; other indexes are not emulated.
int GetSystemMetrics(int index);

constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;
constexpr UINT SPI_SETSCREENSAVEACTIVE = 0x0011;
constexpr UINT SPI_GETFOREGROUNDLOCKTIMEOUT = 0x2000;
constexpr UINT SPI_SETFOREGROUNDLOCKTIMEOUT = 0x2001;
// The screen-saver switch and the foreground lock time-out, kept per process.
// Get: `pv` receives a BOOL or DWORD. Set: the value is `ui` for the screen
// saver, `pv` (as a number) for the time-out.
BOOL SystemParametersInfoA(UINT action, UINT ui, LPVOID pv, UINT win_ini);

// Dropped files (WM_DROPFILES carries an HDROP). Index 0xFFFFFFFF gives the
// count; otherwise the length of name `index` (NUL not counted), copied into
// `file` (Shift-JIS, cut to `size` - 1 bytes) when `file` is not null.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
void DragFinish(HDROP drop);
// Lets the window take dropped files (every window does here).
void DragAcceptFiles(HWND window, BOOL accept);
