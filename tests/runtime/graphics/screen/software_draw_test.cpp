// Software drawing on a DirectDraw target (the back screen as a DirectDraw
// surface, not a software image): the bracket locks the affected rectangle,
// the software renderer draws there at the target's coordinates, and the
// pixels go back; through the work surface when the screen's format is not
// a standard one; nothing stays locked when a lock fails.
#include "runtime/graphics/screen/software_draw.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/com.h"
#include "platform/win32/ddraw.h"
#include "runtime/graphics/draw/graphic_from_image.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "runtime/softrender/blit.h"
#include "tests/runtime/graphics/graphics_test_support.h"

namespace {

constexpr int32_t kSize = 64;

class DirectDrawTargetTest : public SoftwareGraphicsTest {
 protected:
  void SetUp() override {
    SoftwareGraphicsTest::SetUp();
    ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                               reinterpret_cast<void**>(&direct_draw_)),
              S_OK);
    ASSERT_EQ(direct_draw_->Initialize(nullptr), S_OK);
    // Graphics are software images; the draw target is a DirectDraw surface.
    NewGraphicSoftwareImage = 1;
    Screen.DirectDrawObject = direct_draw_;
    Screen.HardwareAccelOff = 0;
    Screen.MemImageRendering = 0;
  }
  void TearDown() override {
    SetDisplayCallHook(nullptr);
    DeleteAllGraphics(0);
    for (IDirectDrawSurface7* s : {target_, work_}) {
      if (s != nullptr) s->Release();
    }
    if (direct_draw_ != nullptr) direct_draw_->Release();
    Screen.DirectDrawObject = nullptr;
    Screen.DrawTargetSurface = nullptr;
    Screen.WorkSurface = nullptr;
    SoftwareGraphicsTest::TearDown();
  }

  IDirectDrawSurface7* MakeSurface(uint32_t r, uint32_t g, uint32_t b) {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = kSize;
    description.dwHeight = kSize;
    BuildDDPixelFormat(&description.ddpfPixelFormat, 16, r, g, b, 0);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(direct_draw_->CreateSurface(&description, &surface, nullptr), S_OK);
    return surface;
  }

  // The screen in 5-6-5 (format code 0) or 5-5-5 (1); the back screen a
  // DirectDraw surface of that format, cleared to `fill`.
  void UseScreen(int32_t format_code, uint16_t fill) {
    const bool r555 = format_code == 1;
    BuildColorFormatFromMasks(&Screen.ScreenColorFormat, 16, r555 ? 0x7C00 : 0xF800,
                              r555 ? 0x3E0 : 0x7E0, 0x1F, 0);
    Screen.ScreenFormatCode = format_code;
    target_ =
        MakeSurface(Screen.ScreenColorFormat.red_mask, Screen.ScreenColorFormat.green_mask, 0x1F);
    work_ =
        MakeSurface(Screen.ScreenColorFormat.red_mask, Screen.ScreenColorFormat.green_mask, 0x1F);
    Screen.WorkSurface = work_;
    Screen.DrawTargetSurface = target_;
    Screen.DrawTargetMemImage = nullptr;
    Screen.DrawTargetInVideoMemory = 0;
    DrawScreenWidth = kSize;
    DrawScreenHeight = kSize;
    DrawArea = RECT{0, 0, kSize, kSize};
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) SetTarget(x, y, fill);
  }

  uint16_t Target(int32_t x, int32_t y) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(target_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), S_OK);
    uint16_t v;
    std::memcpy(&v, static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 2, 2);
    target_->Unlock(nullptr);
    return v;
  }
  void SetTarget(int32_t x, int32_t y, uint16_t v) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(target_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), S_OK);
    std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 2, &v, 2);
    target_->Unlock(nullptr);
  }

  // An 8 x 8 software-image graphic whose pixel (x, y) has the colour
  // (x * 32, y * 32, 200).
  int32_t MakeSource() {
    GraphImage image{};
    EXPECT_EQ(AllocateGraphImage(8, 8, &image), 0);
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 8; ++x) SetGraphImagePixel(&image, x, y, x * 32, y * 32, 200, 255);
    const int32_t graphic = MakeGraphicFromImage(&image, nullptr, 0, 0, 0);
    ReleaseGraphImage(&image);
    return graphic;
  }
  static uint32_t SourceColor(int32_t x, int32_t y) {
    return static_cast<uint32_t>(x * 32) << 16 | static_cast<uint32_t>(y * 32) << 8 | 200;
  }
  // The colour in the screen's format, without the bit that no channel uses.
  static uint16_t InScreenFormat(uint32_t rgb) {
    const ColorFormat& f = Screen.ScreenColorFormat;
    return static_cast<uint16_t>(
        PackColor(&f, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255) & ~f.spare_mask);
  }

  IDirectDraw7* direct_draw_ = nullptr;
  IDirectDrawSurface7* target_ = nullptr;
  IDirectDrawSurface7* work_ = nullptr;
};

TEST_F(DirectDrawTargetTest, SourceLandsAtItsPlaceClippedToTheDrawAreaInBothScreenFormats) {
  for (int32_t format_code : {0, 1}) {
    SCOPED_TRACE(format_code);
    // A blend mode makes a 5-5-5 screen go through the work surface.
    UseScreen(format_code, 0x1234 & 0x7FFF);
    const uint16_t fill = 0x1234 & 0x7FFF;
    const int32_t graphic = MakeSource();
    ASSERT_NE(graphic, -1);
    const int32_t surface = GetGraphicRecord(graphic)->surfaces[0];
    DrawArea = RECT{0, 0, 60, 62};
    ASSERT_EQ(RenderSurface2DSoftware(56, 57, surface, 0), 0);
    EXPECT_EQ(TargetLocked, 0);
    EXPECT_EQ(SourceLocked, 0);
    for (int32_t y = 50; y < kSize; ++y)
      for (int32_t x = 50; x < kSize; ++x) {
        const bool drawn = x >= 56 && x < 60 && y >= 57 && y < 62;
        ASSERT_EQ(Target(x, y) & 0x7FFF, drawn ? InScreenFormat(SourceColor(x - 56, y - 57)) : fill)
            << x << ", " << y;
      }
    DeleteGraphicHandle(graphic, 0);
    target_->Release();
    work_->Release();
    target_ = work_ = nullptr;
  }
}

TEST_F(DirectDrawTargetTest, AddingBlendOnAFiveFiveFiveScreenGoesThroughTheWorkSurface) {
  UseScreen(1, 0);
  const int32_t graphic = MakeSource();
  ASSERT_NE(graphic, -1);
  BlendMode = 2;
  BlendParam = 255;
  int work_locks = 0;
  SetDisplayCallHook([&work_locks](const char* call) -> HRESULT {
    if (std::string(call) == "IDirectDrawSurface7::Lock") ++work_locks;
    return S_OK;
  });
  ASSERT_EQ(RenderSurface2DSoftware(3, 4, GetGraphicRecord(graphic)->surfaces[0], 0), 0);
  SetDisplayCallHook(nullptr);
  EXPECT_EQ(work_locks, 1);
  // What the same blend gives on a black 5-6-5 software image, in 5-5-5.
  MEMIMG black{};
  ASSERT_EQ(InitMemImage(&black, 16, 16, -1, 0, 0, 0, 0, 0), 0);
  FillMemImage(&black, nullptr, 0);
  const RECT saved_area = DrawArea;
  DrawArea = RECT{0, 0, 16, 16};
  BlitMemImage(&black, &SurfaceDataOf(graphic)->image, 3, 4, 0, nullptr);
  DrawArea = saved_area;
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      uint16_t v;
      std::memcpy(&v, black.pixels + (4 + y) * black.pitch + (3 + x) * 2, 2);
      const uint32_t expected =
          ConvertPixelFormat(&Screen.ScreenColorFormat, black.format, v) & 0x7FFF;
      ASSERT_EQ(Target(3 + x, 4 + y) & 0x7FFFu, expected) << x << ", " << y;
    }
  ReleaseMemImage(&black);
  EXPECT_EQ(Target(2, 4), 0);
  EXPECT_EQ(Target(11, 4), 0);
}

TEST_F(DirectDrawTargetTest, FailedLockDrawsNothingAndLeavesNothingLocked) {
  UseScreen(0, 0x0F0F);
  const int32_t graphic = MakeSource();
  ASSERT_NE(graphic, -1);
  SetDisplayCallHook([](const char* call) -> HRESULT {
    return std::string(call) == "IDirectDrawSurface7::Lock" ? DDERR_SURFACELOST : S_OK;
  });
  EXPECT_EQ(RenderSurface2DSoftware(3, 4, GetGraphicRecord(graphic)->surfaces[0], 0), -1);
  SetDisplayCallHook(nullptr);
  EXPECT_EQ(TargetLocked, 0);
  EXPECT_EQ(Target(3, 4), 0x0F0F);

  // Wholly outside the draw area: nothing is locked or drawn.
  DrawArea = RECT{0, 0, 10, 10};
  EXPECT_EQ(RenderSurface2DSoftware(20, 20, GetGraphicRecord(graphic)->surfaces[0], 0), 0);
  EXPECT_EQ(Target(20, 20), 0x0F0F);
  const RECT outside{20, 20, 28, 28};
  EXPECT_EQ(BeginSoftwareDraw(nullptr, 0, nullptr, &outside, 0, nullptr, nullptr), -1);
}

}  // namespace
