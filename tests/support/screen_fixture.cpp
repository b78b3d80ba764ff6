#include "tests/support/screen_fixture.h"

#include "platform/host/host.h"
#include "platform/win32/user.h"
#include "runtime/core/library.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/main_window.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/ddraw_screen.h"
#include "runtime/graphics/draw_settings.h"
#include "runtime/graphics/graphic.h"
#include "runtime/graphics/graphics_system.h"
#include "runtime/graphics/present.h"
#include "runtime/graphics/screen_state.h"

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
  ASSERT_EQ(CreateMainWindow(), 0);
  window_open_ = true;
}

void ScreenFixture::CloseWindow() {
  if (window_open_) {
    DestroyMainWindow();
    window_open_ = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  WindowModeFlag = 0;
  WindowScale = 1.0;
  EXPECT_EQ(TrackedBlockCount(), blocks_) << "tracked blocks left behind";
  ReleaseLibraryLock();
}

void ScreenFixture::StartScreen() {
  Screen = ScreenState{};
  InitRunningFlag = 1;
  StartScreenSystem(GetMainWindowHandle());
  InitRunningFlag = 0;
  LibraryRunningFlag = 1;
  SetFlipWaitVSync(1);

  // The start values of graphics management.
  BlendGraphic = -1;
  BlendGraphicParam1 = 0;
  BlendGraphicParam2 = 0;
  NewGraphicUse3D = 1;
  NewGraphicDrawable = 0;
  NewGraphicAlphaChannel = 0;
  NewGraphicAlphaTest = 1;
  NewGraphicColorDepth = 0;
  NewGraphicSoftwareImage = 0;
  DrawFilterMode = 0;
  BlendMode = 0;
  BlendParam = 0;
  DrawBrightness = 0xFFFFFF;
  TransparentColor = 0;
  DrawInhibitFlag = 0;
  BackgroundColor = 0;
  ChangeDrawTarget(kDrawTargetFrontScreen);
  ChangeDrawTarget(kDrawTargetBackScreen);
}

void ScreenFixture::EndScreen() {
  EndScreenSystem();
  LibraryRunningFlag = 0;
  Screen = ScreenState{};
}
