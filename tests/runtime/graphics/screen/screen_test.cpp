// The screen: its start on the software road, the display-mode ladder and
// the fatal paths, the screen colour values, presenting a frame into the
// host's window image, showing the GDI surface, and the pacing by the
// vertical blank.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/pixel.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/gdi.h"
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/library_state.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "runtime/system/main_window.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/support/ddraw/display_script.h"
#include "tests/support/screen_fixture.h"

namespace {

// A recognisable 5-6-5 pattern: every channel value appears somewhere.
uint16_t Pattern(int x, int y) {
  return static_cast<uint16_t>(((x * 7 + y) & 0x1F) << 11 | ((x + y * 3) & 0x3F) << 5 |
                               ((x ^ y) & 0x1F));
}

void DrawPattern(MEMIMG* image) {
  for (int y = 0; y < image->height; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(image->pixels + static_cast<size_t>(y) * image->pitch);
    for (int x = 0; x < image->width; ++x) row[x] = Pattern(x, y);
  }
}

// Writes every log line as hexadecimal to stderr, so a death test can match
// Shift-JIS text without its bytes meeting the pattern syntax.
void LogToStderrAsHex() {
  SetDebugOutputSink(
      [](void*, LPCSTR text) {
        std::string hex;
        for (const char* c = text; *c != '\0'; ++c) {
          char two[3];
          std::snprintf(two, sizeof(two), "%02x", static_cast<unsigned char>(*c));
          hex += two;
        }
        std::fprintf(stderr, "log:%s\n", hex.c_str());
      },
      nullptr);
  LogOffFlag = 0;
}

// The hexadecimal form of a message as the log writes it (line ends left
// out: the log writes them as CR LF).
std::string Hex(const char* text) {
  std::string hex;
  for (const char* c = text; *c != '\0' && *c != '\n'; ++c) {
    char two[3];
    std::snprintf(two, sizeof(two), "%02x", static_cast<unsigned char>(*c));
    hex += two;
  }
  return hex;
}

// The screen is opened and started by each test itself.
class ScreenStartTest : public ScreenFixture {
 protected:
  void SetUp() override { OpenWindow(); }
  void TearDown() override {
    EndScreen();
    CloseWindow();
    AccelerationOffAtStartFlag = 1;
  }
};

// Either road ends on the same software screens: 640 x 480 x 16 images.
void ExpectSoftwareScreens() {
  EXPECT_EQ(Screen.HardwareAccelOff, 1);
  EXPECT_EQ(Screen.MemImageRendering, 1);
  EXPECT_EQ(Screen.ScreenWidth, 640);
  EXPECT_EQ(Screen.ScreenHeight, 480);
  EXPECT_EQ(GetScreenColorDepthDefault(), 16);
  EXPECT_EQ(Screen.SoftwareTablesReady, 1);
  EXPECT_EQ(Screen.DirectDrawStarted, 1);
  EXPECT_NE(Screen.DirectDrawObject, nullptr);
  EXPECT_EQ(Screen.FramePeriod, -1);
  EXPECT_EQ(Screen.DisplayRefreshRate, 60);
  for (const MEMIMG* image : {&Screen.PrimaryMemImage, &Screen.BackMemImage}) {
    EXPECT_EQ(image->magic, kMemImageMagic);
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 480);
    EXPECT_EQ(image->kind, 0) << "16-bit screen images";
  }
  EXPECT_EQ(Screen.ZBufferMemImage.kind, 3);
  EXPECT_EQ(DrawTarget, kDrawTargetBackScreen);
  EXPECT_EQ(Screen.DrawTargetMemImage, &Screen.BackMemImage);
}

// Start-up turns acceleration off before the screen starts: one DirectDraw
// object, no clipper, no depth buffer asked for, and one screen mode change,
// which the clock does not hold back (a second change within two seconds
// would wait until 2060 ms after the first).
TEST_F(ScreenStartTest, StartUpTakesTheSoftwareRoadAtOnceWithOneModeChange) {
  {
    DisplayScript script;
    LogCapture log;
    const uint32_t began = timeGetTime();
    StartScreen();
    const uint32_t ended = timeGetTime();

    ExpectSoftwareScreens();
    EXPECT_EQ(log.Count("画面モード変更処理を開始します"), 1) << log.text();
    EXPECT_EQ(log.Count("ソフトウエアレンダリングモードに変更します"), 0);
    EXPECT_EQ(log.Count("Ｚバッファの作成に失敗しました"), 0);
    EXPECT_EQ(script.Count("CoCreateInstance(DirectDraw7)"), 1);
    EXPECT_EQ(script.Count("IDirectDraw7::CreateClipper"), 0);
    EXPECT_LT(ended - began, 2000u) << "no paced second change";
  }

  // A later change (the window mode switch) is still paced.
  const uint32_t first = Screen.LastModeChangeTime;
  ASSERT_EQ(ChangeWindowMode(0), 0);
  EXPECT_GE(Screen.LastModeChangeTime - first, 2060u);
}

// Told to try the accelerated road first, graphics start asks for a depth
// buffer, is refused, ends its DirectDraw, and the second attempt runs
// without acceleration on the same software screens.
TEST_F(ScreenStartTest, RefusedDepthBufferSendsTheStartToTheSoftwareRoad) {
  AccelerationOffAtStartFlag = 0;
  DisplayScript script;
  LogCapture log;
  StartScreen();

  ExpectSoftwareScreens();
  const std::string& text = log.text();
  const size_t refused = text.find("Ｚバッファの作成に失敗しました");
  const size_t fallback = text.find("ソフトウエアレンダリングモードに変更します");
  const size_t done = text.rfind("DirectDraw 関連の初期化は正常に終了しました");
  ASSERT_NE(refused, std::string::npos);
  ASSERT_NE(fallback, std::string::npos);
  ASSERT_NE(done, std::string::npos);
  EXPECT_LT(refused, fallback);
  EXPECT_LT(fallback, done);
  EXPECT_EQ(log.Count("画面モード変更処理を開始します"), 2);
  EXPECT_EQ(script.Count("CoCreateInstance(DirectDraw7)"), 2) << "one object per attempt";
  EXPECT_EQ(script.Count("IDirectDraw7::CreateClipper"), 1)
      << "no clipper without acceleration";
}

TEST_F(ScreenStartTest, AskedDepthIsKeptWhenTheDesktopHasAnother) {
  // The desktop is 32-bit: the failed first attempt found 32 bits in use,
  // yet the software screens keep the asked 16 bits.
  AccelerationOffAtStartFlag = 0;
  StartScreen();
  EXPECT_EQ(Screen.ScreenPixelDepth, 32);
  EXPECT_EQ(Screen.ScreenColorDepth, 16);
  EXPECT_EQ(Screen.BackMemImage.kind, 0);
  EXPECT_EQ(Screen.ScreenFormatCode, 2);
}

struct FatalCase {
  const char* name;
  const char* call;
  int nth;
  int32_t window_mode;
  const char* message;
  int32_t acceleration_off_at_start = 1;  // 0: the accelerated road is tried first
};

// The screen is started inside the death statement only.
class ScreenFatalTest : public ScreenFixture, public ::testing::WithParamInterface<FatalCase> {
 protected:
  void SetUp() override {}
  void TearDown() override {}
};

TEST_P(ScreenFatalTest, EndsTheProgramWithItsMessage) {
  const FatalCase& c = GetParam();
  EXPECT_EXIT(
      {
        LogToStderrAsHex();
        DisplayScript script;
        if (c.nth == 0) {
          script.FailAlways(c.call);
        } else {
          script.FailOn(c.call, c.nth);
        }
        window_mode_ = c.window_mode;
        AccelerationOffAtStartFlag = c.acceleration_off_at_start;
        OpenWindow();
        UserWindowFlag = 1;  // the log goes to the debugger output only
        StartScreen();
      },
      ::testing::ExitedWithCode(255), Hex(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ScreenFatalTest,
    ::testing::Values(
        FatalCase{"ObjectNotMade", "CoCreateInstance(DirectDraw7)", 1, 1,
                  "DirectDrawオブジェクトの作成に失敗しました"},
        FatalCase{"ObjectNotInitialised", "IDirectDraw7::Initialize", 1, 1,
                  "DirectDrawオブジェクトの作成に失敗しました"},
        FatalCase{"AcceleratedObjectNotMade", "CoCreateInstance(DirectDraw7)", 1, 1,
                  "DirectDrawオブジェクトの作成に失敗しました", 0},
        FatalCase{"ClipperNotMade", "IDirectDraw7::CreateClipper", 1, 1,
                  "DirectDrawClipperオブジェクトの作成時にエラーが発生しました", 0},
        FatalCase{"SoftwareObjectNotMade", "CoCreateInstance(DirectDraw7)", 2, 1,
                  "DirectDrawオブジェクトの作成に失敗しました", 0},
        FatalCase{"BackSurfaceNotLocked", "IDirectDrawSurface7::Lock", 0, 0,
                  "バックサーフェスのロックに失敗しました"},
        FatalCase{"NoDisplayModeAtAll", "ChangeDisplaySettingsA", 0, 0,
                  "予期せぬ画面モード変更不能現象が起きました\n"}),
    [](const ::testing::TestParamInfo<FatalCase>& info) { return std::string(info.param.name); });

// ---- The display-mode ladder of a later change, in full screen ----------------------

class FullScreenTest : public ScreenFixture {
 protected:
  FullScreenTest() { window_mode_ = 0; }
};

TEST_F(FullScreenTest, StartsInTheScreenModeShownFullScreen) {
  DDSURFACEDESC2 mode{};
  mode.dwSize = sizeof(mode);
  Screen.DirectDrawObject->GetDisplayMode(&mode);
  EXPECT_EQ(mode.dwWidth, 640u);
  EXPECT_EQ(mode.dwHeight, 480u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(Screen.DisplayModeChanged, 1);
  EXPECT_EQ(Screen.ScreenPixelDepth, 16);
  EXPECT_EQ(Screen.ScreenFormatCode, 0) << "the 16-bit software screen is 5-6-5";
  EXPECT_TRUE(Host().FullScreen());
}

struct LadderCase {
  const char* name;
  std::vector<int> failed_uses;  // of ChangeDisplaySettingsA
  int32_t width, height;         // asked
  int result;
  int32_t final_width, final_height;
};

class DisplayLadderTest : public FullScreenTest,
                          public ::testing::WithParamInterface<LadderCase> {};

TEST_P(DisplayLadderTest, FallsBackRungByRung) {
  const LadderCase& c = GetParam();
  // An earlier change to 800 x 600 makes the old mode differ from the last
  // rung's 640 x 480.
  ASSERT_EQ(ChangeScreenMode(800, 600, 16, 0, -1), 0);
  DisplayScript script;
  for (int use : c.failed_uses) script.FailOn("ChangeDisplaySettingsA", use);
  EXPECT_EQ(ChangeScreenMode(c.width, c.height, 16, 0, -1), c.result);
  EXPECT_EQ(Screen.ScreenWidth, c.final_width);
  EXPECT_EQ(Screen.ScreenHeight, c.final_height);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), c.final_width);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), c.final_height);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(Screen.BackMemImage.width, c.final_width) << "screens of the mode set";
  EXPECT_EQ(Screen.FlipCounter, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rungs, DisplayLadderTest,
    ::testing::Values(LadderCase{"AskedMode", {}, 1024, 768, 0, 1024, 768},
                      LadderCase{"WithoutFullScreenFlag", {1}, 1024, 768, 0, 1024, 768},
                      LadderCase{"OldMode", {1, 2}, 1024, 768, 0, 800, 600},
                      LadderCase{"ModeNotListed", {}, 700, 500, 0, 800, 600},
                      LadderCase{"LastRung", {1, 2, 3}, 1024, 768, -2, 640, 480}),
    [](const ::testing::TestParamInfo<LadderCase>& info) { return std::string(info.param.name); });

TEST_F(FullScreenTest, NoRungLeftEndsTheProgram) {
  EXPECT_EXIT(
      {
        LogToStderrAsHex();
        UserWindowFlag = 1;  // the log goes to the debugger output only
        DisplayScript script;
        script.FailAlways("ChangeDisplaySettingsA");
        ChangeScreenMode(800, 600, 16, 0, -1);
      },
      ::testing::ExitedWithCode(255), Hex("予期せぬ画面モード変更不能現象が起きました2\n"));
}

// The GDI surface state is applied only when it changes (and always after a
// mode change): showing it flips to the GDI surface, and applying either
// state selects the draw screens again, leaving the draw target and area as
// they were. A menu in use asks for the GDI surface whatever the flag.
TEST_F(FullScreenTest, GdiSurfaceStateIsAppliedOnlyWhenItChanges) {
  constexpr const char* kFlip = "IDirectDraw7::FlipToGDISurface";
  ASSERT_EQ(ChangeScreenMode(640, 480, 16, 0, -1), 0);
  ASSERT_EQ(Screen.ShowGdiApplied, -1);
  ASSERT_EQ(ChangeDrawTarget(kDrawTargetBackScreen), 0);
  ASSERT_EQ(ChangeDrawArea(10, 20, 300, 200), 0);
  DisplayScript script;
  auto expect_draw_state_kept = [] {
    EXPECT_EQ(DrawTarget, kDrawTargetBackScreen);
    EXPECT_EQ(DrawArea.left, 10);
    EXPECT_EQ(DrawArea.top, 20);
    EXPECT_EQ(DrawArea.right, 300);
    EXPECT_EQ(DrawArea.bottom, 200);
  };

  EXPECT_EQ(SetShowGdiSurface(1), 0);
  EXPECT_EQ(script.Count(kFlip), 1);
  EXPECT_EQ(Screen.ShowGdiSurface, 1);
  EXPECT_EQ(Screen.ShowGdiApplied, 1);
  expect_draw_state_kept();

  const size_t calls = script.Calls().size();
  EXPECT_EQ(SetShowGdiSurface(1), 0);
  EXPECT_EQ(script.Calls().size(), calls) << "the state applied already: nothing happens";

  EXPECT_EQ(SetShowGdiSurface(0), 0);
  EXPECT_EQ(script.Count(kFlip), 1) << "hiding it does not flip";
  EXPECT_EQ(Screen.ShowGdiSurface, 0);
  EXPECT_EQ(Screen.ShowGdiApplied, 0);
  expect_draw_state_kept();

  // Without a DirectDraw object only the flag is kept.
  IDirectDraw7* const direct_draw = Screen.DirectDrawObject;
  Screen.DirectDrawObject = nullptr;
  EXPECT_EQ(SetShowGdiSurface(1), 0);
  EXPECT_EQ(Screen.ShowGdiSurface, 1);
  EXPECT_EQ(Screen.ShowGdiApplied, 0);
  EXPECT_EQ(script.Count(kFlip), 1);
  Screen.DirectDrawObject = direct_draw;

  WindowSettings.menu_in_use = 1;
  EXPECT_EQ(SetShowGdiSurface(0), 0);
  EXPECT_EQ(script.Count(kFlip), 2) << "a menu in use shows the GDI surface";
  EXPECT_EQ(Screen.ShowGdiSurface, 0) << "the flag as given";
  EXPECT_EQ(Screen.ShowGdiApplied, 1);
  WindowSettings.menu_in_use = 0;

  // A mode change makes the next call apply, even of the state shown before.
  ASSERT_EQ(ChangeScreenMode(800, 600, 16, 0, -1), 0);
  EXPECT_EQ(Screen.ShowGdiApplied, -1);
  const int flips = script.Count(kFlip);
  EXPECT_EQ(SetShowGdiSurface(1), 0);
  EXPECT_EQ(script.Count(kFlip), flips + 1);
  EXPECT_EQ(Screen.ShowGdiApplied, 1);
  EXPECT_EQ(SetShowGdiSurface(0), 0);
}

TEST_F(FullScreenTest, SecondChangeWithinTwoSecondsWaitsTill2060Milliseconds) {
  ASSERT_EQ(ChangeScreenMode(800, 600, 16, 0, -1), 0);
  const uint32_t first = Screen.LastModeChangeTime;
  ASSERT_EQ(ChangeScreenMode(640, 480, 16, 0, -1), 0);
  EXPECT_GE(Screen.LastModeChangeTime - first, 2060u);
  EXPECT_LT(Screen.LastModeChangeTime - first, 2070u);
}

TEST_F(ScreenFixture, WindowModeSwitchGoesFullScreenAndBack) {
  ASSERT_EQ(ChangeWindowMode(0), 0);
  EXPECT_TRUE(Host().FullScreen());
  EXPECT_EQ(Screen.DisplayModeChanged, 1);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 640);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
  ASSERT_EQ(ChangeWindowMode(1), 0);
  EXPECT_FALSE(Host().FullScreen());
  EXPECT_EQ(Screen.DisplayModeChanged, 0);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), NullHost::kDesktopWidth);
  ReleaseDC(nullptr, dc);
}

// ---- Screen colour values -----------------------------------------------------------------

struct ColorCase {
  const char* name;
  int32_t depth;
  uint32_t red, green, blue;
  uint32_t white;  // the value of (255, 255, 255), spare bits included
};

class ScreenColorTest : public ::testing::TestWithParam<ColorCase> {
 protected:
  void SetUp() override {
    saved_ = Screen;
    const ColorCase& c = GetParam();
    Screen = ScreenState{};
    Screen.ScreenPixelDepth = c.depth;
    Screen.ScreenColorDepth = c.depth;
    BuildColorFormatFromMasks(&Screen.ScreenColorFormat, c.depth, c.red, c.green, c.blue, 0);
  }
  void TearDown() override { Screen = saved_; }
  ScreenState saved_{};
};

// Each channel as the format keeps it, spread back over 0 to 255.
int32_t Kept(int32_t value, uint32_t mask) {
  int width = 0;
  for (uint32_t m = mask; m != 0; m >>= 1) width += m & 1;
  const int32_t top = (1 << width) - 1;
  return (value >> (8 - width)) * 255 / top;
}

TEST_P(ScreenColorTest, ValuesRoundTrip) {
  const ColorCase& c = GetParam();
  EXPECT_EQ(GetScreenColorValue(255, 255, 255), c.white);
  for (int32_t r = 0; r < 256; r += 17) {
    for (int32_t g = 0; g < 256; g += 15) {
      for (int32_t b = 0; b < 256; b += 51) {
        int32_t r2 = -1, g2 = -1, b2 = -1;
        ASSERT_EQ(GetColorOfScreenValue(GetScreenColorValue(r, g, b), &r2, &g2, &b2), 0);
        ASSERT_EQ(r2, Kept(r, c.red)) << r << "," << g << "," << b;
        ASSERT_EQ(g2, Kept(g, c.green));
        ASSERT_EQ(b2, Kept(b, c.blue));
      }
    }
  }
  // Every 16-bit value (with the spare bits set) is its own colour's value.
  if (c.depth == 16) {
    const uint32_t spare = c.white & ~(c.red | c.green | c.blue);
    for (uint32_t value = 0; value < 0x10000; ++value) {
      int32_t r, g, b;
      GetColorOfScreenValue(value, &r, &g, &b);
      ASSERT_EQ(GetScreenColorValue(r, g, b), (value & 0xFFFF) | spare) << value;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ScreenColorTest,
    ::testing::Values(ColorCase{"Rgb565", 16, 0xf800, 0x07e0, 0x001f, 0xFFFF},
                      ColorCase{"Rgb555", 16, 0x7c00, 0x03e0, 0x001f, 0xFFFF},
                      ColorCase{"Xrgb8888", 32, 0xff0000, 0xff00, 0xff, 0xFFFFFFFF}),
    [](const ::testing::TestParamInfo<ColorCase>& info) { return std::string(info.param.name); });

TEST(ScreenColorValueTest, SoftwareScreensUseTheAskedDepthsStandardFormat) {
  const ScreenState saved = Screen;
  Screen = ScreenState{};
  Screen.MemImageRendering = 1;
  Screen.ScreenColorDepth = 16;
  Screen.ScreenPixelDepth = 32;  // the display's
  Screen.ScreenColorFormat = *GetStandardColorFormat(1, 0, 0);
  EXPECT_EQ(GetScreenColorValue(255, 0, 0), 0xF800u);
  int32_t r, g, b;
  GetColorOfScreenValue(0xF800, &r, &g, &b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);
  Screen = saved;
}

TEST(ScreenColorValueTest, PaletteScreenTakesTheNearestEntryLowestFirst) {
  const ScreenState saved = Screen;
  Screen = ScreenState{};
  Screen.ScreenPixelDepth = 8;
  for (int i = 0; i < 256; ++i) {
    Screen.ScreenPaletteEntries[i][0] = 200;
    Screen.ScreenPaletteEntries[i][1] = 200;
    Screen.ScreenPaletteEntries[i][2] = 200;
  }
  const uint8_t near_red[4] = {250, 10, 10, 0};
  std::memcpy(Screen.ScreenPaletteEntries[40], near_red, 4);
  std::memcpy(Screen.ScreenPaletteEntries[90], near_red, 4);
  EXPECT_EQ(GetScreenColorValue(255, 0, 0), 40u) << "entries 40 and 90 tie";
  EXPECT_EQ(GetScreenColorValue(200, 200, 200), 0u) << "a tie goes to the lowest index";
  int32_t r;
  EXPECT_EQ(GetColorOfScreenValue(90, &r, nullptr, nullptr), 0);
  EXPECT_EQ(r, 250);
  EXPECT_EQ(GetColorOfScreenValue(256, &r, nullptr, nullptr), -1);
  Screen = saved;
}

// ---- Presenting ---------------------------------------------------------------------------

// Presents until the clock stands on a frame boundary: a present that found
// the blank already begun (the fixture's start took time) waits for none.
void AlignToFrame() {
  PresentScreen();
  PresentScreen();
}

TEST_F(ScreenFixture, PresentedBackScreenArrivesUnchangedAsOneFrame) {
  DrawPattern(&Screen.BackMemImage);
  const int64_t frames = Host().FrameCount();
  ASSERT_EQ(PresentScreen(), 0);
  ASSERT_EQ(Host().FrameCount(), frames + 1);
  std::vector<uint32_t> frame;
  int width = 0, height = 0;
  ASSERT_TRUE(Host().LastFrame(&frame, &width, &height));
  ASSERT_EQ(width, 640);
  ASSERT_EQ(height, 480);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      ASSERT_EQ(frame[static_cast<size_t>(y) * 640 + x], ExpandRgb565(Pattern(x, y)))
          << x << "," << y;
    }
  }
  EXPECT_EQ(Screen.BackImageTransferred, 1);
  EXPECT_EQ(Screen.FlipCounter, 1u);
}

TEST_F(FullScreenTest, PresentedBackScreenArrivesUnchangedInFullScreen) {
  DrawPattern(&Screen.BackMemImage);
  const int64_t frames = Host().FrameCount();
  ASSERT_EQ(PresentScreen(), 0);
  ASSERT_EQ(Host().FrameCount(), frames + 1);
  int width = 0, height = 0;
  const std::vector<uint32_t> image = WindowImage(&width, &height);
  ASSERT_EQ(width, 640);
  for (int y = 0; y < 480; y += 7) {
    for (int x = 0; x < 640; x += 3) {
      ASSERT_EQ(image[static_cast<size_t>(y) * 640 + x], ExpandRgb565(Pattern(x, y)));
    }
  }
}

class ScaledWindowTest : public ScreenFixture {
 protected:
  ScaledWindowTest() { window_scale_ = 1.5; }
};

TEST_F(ScaledWindowTest, PresentStretchesToTheScaledClientArea) {
  DrawPattern(&Screen.BackMemImage);
  const int64_t frames = Host().FrameCount();
  ASSERT_EQ(PresentScreen(), 0);
  ASSERT_EQ(Host().FrameCount(), frames + 1);
  int width = 0, height = 0;
  const std::vector<uint32_t> image = WindowImage(&width, &height);
  ASSERT_EQ(width, 960);
  ASSERT_EQ(height, 720);
  for (int y = 0; y < 720; y += 5) {
    for (int x = 0; x < 960; x += 7) {
      ASSERT_EQ(image[static_cast<size_t>(y) * 960 + x], ExpandRgb565(Pattern(x * 2 / 3, y * 2 / 3)))
          << x << "," << y;
    }
  }
}

TEST_F(ScreenFixture, SixtyFramesTakeOneVirtualSecondWithOneWaitEach) {
  AlignToFrame();
  DisplayScript script;
  const uint64_t start = Host().PeekMicroseconds();
  const int64_t frames = Host().FrameCount();
  for (int i = 0; i < 60; ++i) ASSERT_EQ(PresentScreen(), 0);
  const uint64_t elapsed = Host().PeekMicroseconds() - start;
  EXPECT_EQ(Host().FrameCount(), frames + 60);
  EXPECT_GE(elapsed, 999'500u);
  EXPECT_LE(elapsed, 1'000'500u);
  EXPECT_EQ(script.Count("IDirectDraw7::WaitForVerticalBlank"), 60);
}

TEST_F(ScreenFixture, FrameThatUsedNoTimeStillWaitsOnce) {
  AlignToFrame();
  const uint64_t before = Host().PeekMicroseconds();
  ASSERT_EQ(PresentScreen(), 0);
  const uint64_t after = Host().PeekMicroseconds();
  // One period of 1/60 s (16,667 us), not none and not two.
  EXPECT_GE(after - before, 16'000u);
  EXPECT_LE(after - before, 17'000u);
}

TEST_F(ScreenFixture, FrameLongerThanAPeriodFindsTheBlankAndDoesNotWait) {
  ASSERT_EQ(PresentScreen(), 0);
  Sleep(20);
  DisplayScript script;
  const uint64_t before = Host().PeekMicroseconds();
  ASSERT_EQ(PresentScreen(), 0);
  EXPECT_EQ(script.Count("IDirectDraw7::WaitForVerticalBlank"), 0);
  EXPECT_LT(Host().PeekMicroseconds() - before, 1'000u);
}

TEST_F(ScreenFixture, FrontScreenTargetWaitsOneBlankWithoutTransfer) {
  ASSERT_EQ(ChangeDrawTarget(kDrawTargetFrontScreen), 0);
  AlignToFrame();
  const int64_t frames = Host().FrameCount();
  const uint64_t flips = Screen.FlipCounter;
  const uint64_t before = Host().PeekMicroseconds();
  ASSERT_EQ(PresentScreen(), 0);
  const uint64_t after = Host().PeekMicroseconds();
  EXPECT_EQ(Host().FrameCount(), frames) << "no transfer";
  EXPECT_EQ(Screen.FlipCounter, flips + 1);
  EXPECT_GE(after - before, 16'000u);
  EXPECT_LE(after - before, 17'000u);
}

TEST_F(ScreenFixture, FrontImageIsReadBackAfterAPresent) {
  DrawPattern(&Screen.BackMemImage);
  ASSERT_EQ(PresentScreen(), 0);
  SyncFrontMemImage();
  EXPECT_EQ(Screen.BackImageTransferred, 0);
  for (int y = 0; y < 480; y += 3) {
    auto* row = reinterpret_cast<const uint16_t*>(Screen.PrimaryMemImage.pixels +
                                                  static_cast<size_t>(y) * Screen.PrimaryMemImage.pitch);
    for (int x = 0; x < 640; ++x) ASSERT_EQ(row[x], Pattern(x, y)) << x << "," << y;
  }
}

TEST_F(ScreenFixture, ClearingTheFrontScreenShowsTheBackgroundAtOnce) {
  BackgroundColor = 0x0000FF;
  ASSERT_EQ(ChangeDrawTarget(kDrawTargetFrontScreen), 0);
  const int64_t frames = Host().FrameCount();
  ASSERT_EQ(ClearDrawTarget(), 0);
  int width = 0, height = 0;
  const std::vector<uint32_t> image = WindowImage(&width, &height);
  EXPECT_EQ(image[0], 0x0000FFu);
  EXPECT_EQ(image[static_cast<size_t>(479) * 640 + 639], 0x0000FFu);
  EXPECT_EQ(Host().FrameCount(), frames) << "front-screen drawing is no frame";
}

TEST_F(ScreenFixture, CellOfASharedImageAsTargetClearsOnlyTheCell) {
  const int32_t sheet = MakeEmptyGraphic(32, 32, 1);
  ASSERT_GE(sheet, 0);
  const int32_t cell = DeriveGraphic(8, 16, 4, 4, sheet);
  ASSERT_GE(cell, 0);
  MEMIMG* image = &SurfaceDataOf(sheet)->image;
  FillMemImage(image, nullptr, 0);
  BackgroundColor = 0xFF0000;
  ASSERT_EQ(ChangeDrawTarget(cell), 0);
  ASSERT_EQ(ClearDrawTarget(), 0);
  for (int y = 0; y < 32; ++y) {
    auto* row = reinterpret_cast<const uint16_t*>(image->pixels + static_cast<size_t>(y) * image->pitch);
    for (int x = 0; x < 32; ++x) {
      const bool inside = x >= 8 && x < 12 && y >= 16 && y < 20;
      ASSERT_EQ(row[x], inside ? 0xF800 : 0) << x << "," << y;
    }
  }
  ChangeDrawTarget(kDrawTargetBackScreen);
  DeleteGraphicHandle(cell, 0);
  DeleteGraphicHandle(sheet, 0);
}

}  // namespace
