// The main window: its creation and end, the switch between window and
// full-screen mode, and its window procedure. Its settings, state and
// accessors are in runtime/core/window_state.h.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/core/window_state.h"

// ---- Operations ------------------------------------------------------------------

// Makes the main window and starts the message thread. 0, or -1.
int CreateMainWindow();
// Undoes CreateMainWindow; waits for the message thread to end. 0.
int DestroyMainWindow();
// The window procedure.
LRESULT MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Switches between window (1) and full-screen (0) mode: the screen-mode
// change's result, 0 when nothing had to change.
int ChangeWindowMode(int32_t window_mode);
// Stores the mode and logs the change. 0.
int SetWindowModeFlag(int32_t window_mode);
// Applies the styles, size and place of the current mode. 0.
int RestyleMainWindow();
// Sizes the window for the screen size times the scale. 0.
int FitMainWindow();
// Keeps the caption and, when the window exists, shows it. 0.
int SetMainWindowCaption(const char* text);
// Keeps the icon resource id and, when the window exists, sets its icon. 0.
int SetWindowIconResource(int32_t icon_id);
// The mouse position in screen pixels (either output may be null). 0.
int GetMousePosition(int32_t* x, int32_t* y);
// Cursor and menu visibility. The cursor shows when it is requested, or when
// a menu is in use, not hidden, and kept shown, or in window mode, or (full
// screen) while the cursor is near the top of the screen; the menu shows in
// those same cases.
// Stores the request (1 show, 0 hide) and applies the rule. 0.
int SetMouseCursorVisible(int32_t request);
// 1 when the cursor is to show: it is requested, or the menu is up.
int32_t IsCursorToBeShown();
// Puts the menu in use on the window when `show` is 1 or the menu is kept
// shown, and takes it off otherwise; a hidden menu is never put on. 0.
int ShowMenuForMode(int32_t show);
// Full screen: notes whether the cursor is near the top. Then applies the
// rule to the cursor and the menu. 0.
int ClipCursorForMode();
// Asks the window to close (once). 0.
int RequestWindowClose();
