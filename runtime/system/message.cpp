// Message processing and the message thread.
#include "runtime/system/message.h"

#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/input/input.h"
#include "runtime/network/network.h"
#include "runtime/sound/music.h"
#include "runtime/sound/stream_sound.h"
#include "runtime/system/char_input.h"
#include "runtime/system/main_window.h"

int32_t ProcessMessageGuard = 0;
uint32_t InactiveSince = 0;
int32_t InactiveSinceSet = 0;
int32_t WindowRepaintRunning = 0;

namespace {

// Messages dispatched in one pass at most.
constexpr int kMessagesPerPass = 5;

bool WaitsForActivation() { return MainWindow.active == 0 && RunWhenInactiveFlag == 0; }

void NoteInactiveSince() {
  InactiveSince = timeGetTime();
  InactiveSinceSet = 1;
}

// The services that run on every call, on any thread.
void RunPumps() {
  RefillAllStreamSounds();
  UpdateMusicPlayState();
  UpdateInputPerFrame();
  ProcessNetWorkMessages(1);
  ProcessHttpTransfers();
  ProcessMessageGuard = 1;
  ProcessKeyInput();
  ProcessMessageGuard = 0;
}

// Takes the waiting messages; on the window's thread with an inactive window
// it does not return before the window is active again or closed.
void RunMessageLoop(bool window_thread) {
  int counter = 0;
  bool first = true;
  bool dispatched_last_pass = false;
  bool inactive_noted = false;
  for (;;) {
    const bool idle = WaitsForActivation() && MainWindow.close_requested == 0;
    if (!idle) {
      if (WindowClosedFlag == 1) break;
      if (!first && !dispatched_last_pass) break;
    }
    first = false;
    if (WaitsForActivation()) {
      if (!inactive_noted) {
        NoteInactiveSince();
        inactive_noted = true;
      }
      Sleep(1);
    }
    // One pass.
    bool dispatched = false;
    bool closed_during_pass = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_ACTIVATEAPP && WindowModeFlag) {
        MainWindow.active = LOWORD(message.wParam) != 0 ? 1 : 0;
      }
      if (WindowClosedFlag == 1) {
        closed_during_pass = true;
        break;
      }
      if (message.message == WM_QUIT) WindowClosedFlag = 1;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      dispatched = true;
      if (++counter == kMessagesPerPass) {
        counter = 0;
        break;
      }
    }
    if (closed_during_pass) break;
    dispatched_last_pass = dispatched;
    if (WaitsForActivation()) {
      ProcessNetWorkMessages(1);
      ProcessHttpTransfers();
      RefillAllStreamSounds();
      UpdateMusicPlayState();
      Sleep(1);
    }
    if (WindowClosedFlag == 1 || !window_thread) break;
  }
  if (window_thread && !WindowModeFlag) ClipCursorForMode();
}

bool WindowClosed() { return WindowClosedFlag == 1; }

}  // namespace

int ProcessMessage() {
  if (ProcessMessageGuard) return 0;
  if (!NoWindowFlag) {
    if (MainWindow.window == nullptr) return WindowClosedFlag == 1 ? -1 : 0;
    if (!UserWindowFlag) {
      const bool window_thread = GetCurrentThreadId() == WindowThreadId;
      if (PendingWindowModeToggle == 1 && WindowModeChangeAllowed == 1 && window_thread) {
        PendingWindowModeToggle = 0;
        ChangeWindowMode(WindowModeFlag ? 0 : 1);
        if (WindowModeChangedCallback.function != nullptr) {
          WindowModeChangedCallback.function(WindowModeChangedCallback.data);
        }
      }
      RunMessageLoop(window_thread);
    }
  }
  RunPumps();
  return WindowClosedFlag == 1 ? -1 : 0;
}

void WaitWhileInactive() {
  if (WindowRepaintRunning || MainWindow.active || UserWindowFlag) return;
  if (MainWindow.window == nullptr) return;
  if (RunWhenInactiveFlag && !(WindowModeFlag == 0 && Screen.ShowGdiSurface == 0)) return;
  NoteInactiveSince();
  while (ProcessMessage() == 0 && MainWindow.active == 0) {
  }
  RestoreAllGraphics();
}

DWORD MessageThreadProc(LPVOID) {
  while (WindowClosedFlag != 1) {
    if (!AcquireLibraryLockUnless(WindowClosed)) continue;  // the loop test ends it
    const int result = ProcessMessage();
    ReleaseLibraryLockWithoutYield();
    if (result < 0) break;
    Sleep(17);
  }
  LeaveLibraryLockQueue();
  MessageThreadEndedFlag = 1;
  return 0;
}
