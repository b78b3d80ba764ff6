// The screen on the null host without library start-up: a main window in
// window mode (or full screen), the screen system started as start-up starts
// it (DirectDraw first, then for good without hardware acceleration: the
// screens are 640 x 480 x 16 software images shown through GDI), the start
// values of the draw settings and the back screen as draw target. For the
// screen, graphics, font and sound tests.
//
// The library lock is held from SetUp to TearDown, as start-up and the API
// entries hold it, so the message thread waits.
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

  // The pieces of SetUp and TearDown, for tests that start the screen their
  // own way (under a display script, in full screen).
  // Holds the library lock and makes the main window for `window_mode_` and
  // `window_scale_`.
  void OpenWindow();
  // Destroys the window, gives the lock back and checks that no tracked
  // block is left.
  void CloseWindow();
  // Starts the screen system with the flags start-up sets around it, then
  // gives the draw settings their start values and makes the back screen the
  // draw target.
  void StartScreen();
  void EndScreen();

  static NullHost& Host();
  // The host's window image now, XRGB.
  static std::vector<uint32_t> WindowImage(int* width, int* height);

  int32_t window_mode_ = 1;
  double window_scale_ = 1.0;

 private:
  int32_t blocks_ = 0;
  bool window_open_ = false;
};
