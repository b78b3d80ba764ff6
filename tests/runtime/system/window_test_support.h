// A main window on the null host for the window, message and input tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/user.h"
#include "runtime/core/library_lock.h"
#include "runtime/input/input.h"
#include "runtime/system/char_input.h"
#include "runtime/system/main_window.h"
#include "runtime/system/message.h"

inline NullHost& TestHost() { return static_cast<NullHost&>(CurrentHost()); }

// Puts the host's input tables and waiting events back to rest.
inline void ClearHostInput() {
  InputState& input = CurrentHost().Input();
  input.ReleaseAllKeys();
  input.TakeTypedText();
  for (int pad = 0; pad < InputState::kPadCount; ++pad) input.SetPad(pad, HostPadState{});
  std::vector<HostEvent> events;
  CurrentHost().Video().PollEvents(&events);
  // Messages left for this thread by an earlier window (its quit message).
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// The window settings of a fresh program in window mode, as the game sets
// them: its text and icon.
inline void ResetWindowSettings() {
  WindowSettings = MainWindowSettings{};
  WindowModeFlag = 1;
  WindowModeChangeAllowed = 0;
  RunWhenInactiveFlag = 0;
  WindowScale = 1.0;
  NoWindowFlag = 0;
  SetMainWindowCaption("BRIMAL_Ver1.04");
  SetWindowIconResource(102);
}

// Holds the library lock for the whole test, as start-up and every API entry
// do, so the message thread waits while the test works. Makes the window, the
// typed-character buffer and the input devices; the pads connected in
// `pads` (host pad states) are there from the start.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AcquireLibraryLock();
    ClearHostInput();
    ResetWindowSettings();
    ConnectPads();
    ASSERT_EQ(CreateMainWindow(), 0);
    InitCharCodeBuffer();
    ASSERT_EQ(InitInput(), 0);
  }
  void TearDown() override {
    EndInput();
    InputDevices.no_direct_input = 0;
    DestroyMainWindow();
    ClearHostInput();
    ReleaseLibraryLock();
  }

  // Called before the devices start; connects pads by default none.
  virtual void ConnectPads() {}

  // One frame of the game's loop: message processing, then the clock moves
  // to the next frame.
  int Frame() {
    const int result = ProcessMessage();
    CurrentHost().Clock().WaitVerticalBlank();
    return result;
  }

  static void Post(HostEvent event) { TestHost().PostEvent(std::move(event)); }
  static HostEvent KeyDown(int dik, bool alt = false) {
    HostEvent event(HostEventType::KeyDown);
    event.key = dik;
    event.alt = alt;
    return event;
  }
};
