#include "tests/support/screen_fixture.h"

#include "platform/host/host.h"
#include "platform/win32/user.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/system/library.h"
#include "runtime/system/main_window.h"

NullHost& ScreenFixture::Host() { return static_cast<NullHost&>(CurrentHost()); }

std::vector<uint32_t> ScreenFixture::WindowImage(int* width, int* height) {
  VideoHost& video = CurrentHost().Video();
  video.GetWindowImageSize(width, height);
  std::vector<uint32_t> pixels(static_cast<size_t>(*width) * *height);
  video.ReadImage(0, 0, *width, *height, pixels.data(), *width);
  return pixels;
}

void ScreenFixture::OpenWindow() {
  AcquireLibraryLock();
  locked_ = true;
  blocks_ = TrackedBlockCount();
  // What an earlier window left for this thread.
  std::vector<HostEvent> events;
  CurrentHost().Video().PollEvents(&events);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  WindowSettings = MainWindowSettings{};
  WindowModeFlag = window_mode_;
  WindowModeChangeAllowed = 0;
  RunWhenInactiveFlag = 0;
  WindowScale = window_scale_;
  NoWindowFlag = 0;
  SetMainWindowCaption("BRIMAL_Ver1.04");
}

void ScreenFixture::CloseWindow() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  WindowModeFlag = 0;
  WindowScale = 1.0;
  UserWindowFlag = 0;
  EXPECT_EQ(TrackedBlockCount(), blocks_) << "tracked blocks left behind";
  if (locked_) {
    ReleaseLibraryLock();
    locked_ = false;
  }
}

void ScreenFixture::StartScreen() {
  Screen = ScreenState{};
  // Start-up always makes its own main window: a UserWindowFlag set to keep
  // the log off the disk (as LogCapture does) is put aside while it runs.
  const int user_window = UserWindowFlag;
  UserWindowFlag = 0;
  const int started = InitLibrary();
  UserWindowFlag = user_window;
  ASSERT_EQ(started, 0);
  started_ = true;
  // The game's first call after start-up.
  ChangeDrawTarget(kDrawTargetBackScreen);
}

void ScreenFixture::EndScreen() {
  if (started_) {
    EndLibrary();
    started_ = false;
  }
  Screen = ScreenState{};
}
