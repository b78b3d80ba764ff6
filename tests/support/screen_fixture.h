// The runtime on the null host, started through library start-up as the game
// starts it: the main window in window mode (or full screen), the screen
// system (DirectDraw first, then for good without hardware acceleration: the
// screens are 640 x 480 x 16 software images shown through GDI), input,
// sound, graphics management with its start values, and the back screen as
// draw target, as the game's first call makes it. For the screen, graphics,
// font and sound tests.
//
// The library lock is held from SetUp to TearDown, as the API entries hold it
// around start-up and every call, so the message thread waits.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/null/null_host.h"

class ScreenFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenWindow();
    StartScreen();
  }
  void TearDown() override {
    EndScreen();
    CloseWindow();
  }

  // The pieces of SetUp and TearDown, for tests that start the runtime their
  // own way (under a display script, in full screen).
  // Holds the library lock and makes the settings start-up takes: window
  // mode from `window_mode_`, the scale from `window_scale_`, the caption.
  void OpenWindow();
  // Gives the lock back and checks that no tracked block is left.
  void CloseWindow();
  // Starts the library (InitLibrary must succeed), then makes the back
  // screen the draw target.
  void StartScreen();
  // Ends the library when StartScreen started it.
  void EndScreen();

  static NullHost& Host();
  // The host's window image now, XRGB.
  static std::vector<uint32_t> WindowImage(int* width, int* height);

  int32_t window_mode_ = 1;
  double window_scale_ = 1.0;

 private:
  int32_t blocks_ = 0;
  bool locked_ = false;
  bool started_ = false;
};
