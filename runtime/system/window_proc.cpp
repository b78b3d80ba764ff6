// The main window's procedure: typed characters and cursor keys into the
// ring, mode switch requests, activation, display changes, dropped files and
// the end of the window.
#include <cstring>

#include "platform/win32/user.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/movie/movie.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/input/input.h"
#include "runtime/network/network.h"
#include "runtime/sound/music.h"
#include "runtime/system/char_input.h"
#include "runtime/system/main_window.h"
#include "runtime/system/message.h"
#include "runtime/system/screen_rebuild.h"
#include "runtime/system/window_menu.h"

namespace {

void OnActivateApp(HWND window, WPARAM wparam) {
  const int32_t active = LOWORD(wparam) != 0 ? 1 : 0;
  MainWindow.active = active;
  if (MainWindow.being_created) return;
  if (active) {
    RestoreLost2DSurfaces();
    RestoreAllTextures();
    if (!WindowModeFlag && LibraryRunningFlag) {
      if (HIWORD(wparam) == 0) RebuildScreenObjects();
      MainWindow.screen_lost = 0;
    } else {
      PlayAllMovies();
    }
    AcquireInputDevices();
  } else {
    bool screen_taken = false;
    if (!WindowModeFlag) {
      if (IsDisplayModeChanged() == 1 && IsDirectDrawUsed() == 0) {
        ReleaseDirectDraw();
        ShowWindow(window, SW_MINIMIZE);
      }
      if (IsDisplayModeChanged() != 0 && GetDirectDrawObject() != nullptr) {
        screen_taken = true;
        if (HasGraphicRestoreHandler() || UserWindowFlag) {
          MainWindow.screen_lost = 1;
        } else {
          LogAdd("復元関数が登録されていないため終了します\n");
          RequestWindowClose();
          return;
        }
      }
    }
    if (!screen_taken) {
      PauseAllMovies();
      AcquireInputDevices();
      InvalidateRect(window, nullptr, FALSE);
    }
  }
  UnacquireInputDevices();
  if (MainWindow.activation_callback != nullptr) MainWindow.activation_callback(active);
}

void OnDisplayChange(WPARAM wparam, LPARAM lparam) {
  if (!WindowModeFlag || MainWindow.mode_change_in_progress) {
    MainWindow.display_change_seen = 1;
    return;
  }
  const int32_t new_depth = static_cast<int32_t>(wparam);
  const int32_t new_width = LOWORD(static_cast<uintptr_t>(lparam));
  const int32_t new_height = HIWORD(static_cast<uintptr_t>(lparam));
  int32_t width = 0, height = 0, depth = 0;
  GetScreenSizeAndDepth(&width, &height, &depth);
  if (new_depth != depth || new_width != width || new_height != height) {
    const bool refused = !HasGraphicRestoreHandler() || new_depth == 24 ||
                         (new_depth == 8 && depth != 8) || new_width < width ||
                         new_height < height;
    if (refused) {
      LogAdd("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
      LogAdd("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
      RequestWindowClose();
      return;
    }
    RebuildScreenObjects();
  }
  MainWindow.display_change_seen = 1;
}

void OnDropFiles(HDROP drop) {
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < count && DroppedFileList.count < kDroppedFileMax; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    char* name = static_cast<char*>(AllocTracked(length + 1, __FILE__, __LINE__));
    if (name == nullptr) break;
    DragQueryFileA(drop, i, name, length + 1);
    DroppedFileList.names[DroppedFileList.count++] = name;
  }
  DragFinish(drop);
}

// Keeps the client area's aspect ratio while the frame is dragged.
void OnSizing(HWND window, WPARAM edge, RECT* dragged) {
  int32_t screen_width = 0, screen_height = 0;
  GetScreenSizeAndDepth(&screen_width, &screen_height, nullptr);
  RECT window_rect{}, client{};
  GetWindowRect(window, &window_rect);
  GetClientRect(window, &client);
  const LONG frame_width = (window_rect.right - window_rect.left) - client.right;
  const LONG frame_height = (window_rect.bottom - window_rect.top) - client.bottom;
  LONG width = (dragged->right - dragged->left) - frame_width;
  LONG height = (dragged->bottom - dragged->top) - frame_height;
  switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT:
      height = width * screen_height / screen_width;
      dragged->bottom = dragged->top + height + frame_height;
      break;
    case WMSZ_TOP:
    case WMSZ_BOTTOM:
      width = height * screen_width / screen_height;
      dragged->right = dragged->left + width + frame_width;
      break;
    default:
      // A corner: the side with the larger scale decides.
      if (static_cast<int64_t>(width) * screen_height >=
          static_cast<int64_t>(height) * screen_width) {
        height = width * screen_height / screen_width;
        dragged->bottom = dragged->top + height + frame_height;
      } else {
        width = height * screen_width / screen_height;
        dragged->right = dragged->left + width + frame_width;
      }
      break;
  }
  WindowScale = static_cast<double>(width) / screen_width;
}

}  // namespace

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      if (UserWindowFlag) break;
      LogAdd("ウインドウが破棄されようとしています\n");
      LogAdd("ソフトを終了する準備が整いました\n");
      PostQuitMessage(0);
      WindowClosedFlag = 1;
      return 0;
    case WM_MOVE:
      if (WindowModeFlag && !MainWindow.mode_change_in_progress) OnMainWindowMoved(lparam);
      break;
    case WM_SIZE:
      if (wparam == SIZE_MAXIMIZED && WindowModeFlag && WindowModeChangeAllowed &&
          !MainWindow.mode_change_in_progress && !MainWindow.being_created) {
        PendingWindowModeToggle = 1;
      } else {
        FitMainWindow();
      }
      break;
    case WM_PAINT:
      // The host's window image keeps the last picture, so an inactive window
      // and a window before start-up need no redraw of their own.
      if (WindowModeFlag && LibraryRunningFlag &&
          !(MainWindow.active == 0 && RunWhenInactiveFlag == 0)) {
        WindowRepaintRunning = 1;
        ShowBackScreenSoftware();
        WindowRepaintRunning = 0;
      }
      ValidateRect(window, nullptr);
      return 0;
    case WM_CLOSE:
      if (UserWindowFlag) break;
      LogAdd("ウインドウを閉じようとしています\n");
      if (!MainWindow.end_begun) MainWindow.closed_from_outside = 1;
      if (!WindowSettings.keep_window_on_close || MainWindow.end_begun) DestroyWindow(window);
      return 0;
    case WM_ACTIVATEAPP:
      OnActivateApp(window, wparam);
      break;
    case WM_DISPLAYCHANGE:
      OnDisplayChange(wparam, lparam);
      break;
    case WM_KEYDOWN:
      if (TypedCharRoom() > 0) {
        for (const ControlKey& key : ControlKeyTable) {
          if (static_cast<WPARAM>(key.virtual_key) == wparam) PutTypedChar(key.code);
        }
      }
      break;
    case WM_CHAR: {
      const uint8_t byte = static_cast<uint8_t>(wparam);
      if (byte == '\n') {
        PutTypedChar('\r');
      } else if (byte >= 32 || byte == 8 || byte == 9 || byte == 13 || byte == 16 ||
                 byte == 27) {
        PutTypedChar(byte);
      }
      return 0;
    }
    case WM_SYSCHAR:
      if (wparam == '\r' && WindowModeChangeAllowed) {
        PendingWindowModeToggle = 1;
        return 0;
      }
      break;
    case WM_COMMAND:
      NoteWindowCommand(static_cast<int32_t>(LOWORD(wparam)));
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_KEYMENU && WindowSettings.swallow_key_menu) return 0;
      if ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER) return 1;
      break;
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      if (!IsCursorToBeShown()) SetCursor(nullptr);
      break;
    case WM_MOUSEWHEEL:
      WheelCount += static_cast<int16_t>(HIWORD(wparam)) > 0 ? 1 : -1;
      return 0;
    case WM_SIZING:
      if (WindowModeFlag && WindowSettings.sizable && !UserWindowFlag) {
        OnSizing(window, wparam, reinterpret_cast<RECT*>(lparam));
        return 1;
      }
      break;
    case WM_MOVING:
      if (!WindowModeFlag) {
        GetWindowRect(window, reinterpret_cast<RECT*>(lparam));
        return 1;
      }
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
      return ImeMessageHandler(wparam, message, lparam, window);
    case MM_MCINOTIFY:
      HandleMidiNotify();
      break;
    case kSocketEventMessage:
      return HandleSocketEvent(lparam, wparam);
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
