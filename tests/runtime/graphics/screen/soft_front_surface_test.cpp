// The software drawing front ends on a DirectDraw draw target (a surface
// that the bracket locks over the affected rectangle only, not a software
// image): what they draw must equal the software renderer's own result on a
// software image, and nothing outside the drawing's rectangle may change.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/ddraw.h"
#include "runtime/graphics/screen/soft_front.h"
#include "runtime/graphics/screen/software_draw.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/runtime/softrender/render_fixture.h"
#include "tests/runtime/softrender/triangle_reference.h"

namespace {

constexpr int32_t kSize = 48;

class SurfaceTargetTest : public SoftwareGraphicsTest {
 protected:
  void SetUp() override {
    SoftwareGraphicsTest::SetUp();
    BuildSoftwareRenderTables();
    ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                               reinterpret_cast<void**>(&direct_draw_)),
              S_OK);
    ASSERT_EQ(direct_draw_->Initialize(nullptr), S_OK);
    NewGraphicSoftwareImage = 1;
    Screen.DirectDrawObject = direct_draw_;
    Screen.HardwareAccelOff = 0;
    Screen.MemImageRendering = 0;
    BuildColorFormatFromMasks(&Screen.ScreenColorFormat, 16, 0xF800, 0x7E0, 0x1F, 0);
    Screen.ScreenFormatCode = 0;

    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    description.dwWidth = kSize;
    description.dwHeight = kSize;
    BuildDDPixelFormat(&description.ddpfPixelFormat, 16, 0xF800, 0x7E0, 0x1F, 0);
    ASSERT_EQ(direct_draw_->CreateSurface(&description, &target_, nullptr), S_OK);
    Screen.DrawTargetSurface = target_;
    Screen.DrawTargetMemImage = nullptr;
    Screen.DrawTargetInVideoMemory = 0;
    DrawScreenWidth = kSize;
    DrawScreenHeight = kSize;
    DrawArea = RECT{0, 0, kSize, kSize};
  }
  void TearDown() override {
    DeleteAllGraphics(0);
    if (target_ != nullptr) target_->Release();
    if (direct_draw_ != nullptr) direct_draw_->Release();
    Screen.DirectDrawObject = nullptr;
    Screen.DrawTargetSurface = nullptr;
    SoftwareGraphicsTest::TearDown();
  }

  // The target's pixels, row after row.
  std::vector<uint16_t> Target() {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(target_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), S_OK);
    std::vector<uint16_t> out(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
      std::memcpy(&out[y * kSize], static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch,
                  kSize * 2);
    }
    target_->Unlock(nullptr);
    return out;
  }
  void Fill(uint16_t v) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(target_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), S_OK);
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 2, &v, 2);
      }
    }
    target_->Unlock(nullptr);
  }
  static std::vector<uint16_t> Pixels(render_test::Image& image) {
    std::vector<uint16_t> out(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) out[y * kSize + x] = static_cast<uint16_t>(image.pixel(x, y));
    }
    return out;
  }

  // A software-image graphic of w x h with distinct pixels.
  int32_t MakeGraphic(int w, int h) {
    const int32_t handle = MakeEmptyGraphic(w, h, 1);
    EXPECT_NE(handle, -1);
    SurfaceDataRecord* data = SurfaceDataOf(handle);
    EXPECT_EQ(data->software_flag, 1);
    MEMIMG* m = &data->image;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        blit_reference::Write(
            m->pixels + y * m->pitch + x * 2, 2,
            0x8000u | static_cast<uint32_t>(y << 7) | static_cast<uint32_t>(x + 1));
      }
    }
    return handle;
  }

  IDirectDraw7* direct_draw_ = nullptr;
  IDirectDrawSurface7* target_ = nullptr;
};

TEST_F(SurfaceTargetTest, ClippedStretchShowsTheTexelsOfTheUnclippedDraw) {
  const int32_t graphic = MakeGraphic(3, 2);
  MEMIMG* source = &SurfaceDataOf(graphic)->image;
  struct Case {
    const char* name;
    int32_t corners[4];
    RECT area;
  };
  const Case cases[] = {
      {"3 drawn 10 wide, cut two pixels in", {0, 0, 10, 5}, {2, 1, 5, 4}},
      {"3 drawn 10 wide, cut on the right", {30, 10, 40, 15}, {0, 0, 37, kSize}},
      {"mirrored, cut on both sides", {40, 20, 30, 26}, {32, 21, 37, 25}},
      {"shrunk from above the top", {5, -3, 7, 30}, {0, 0, kSize, kSize}},
  };
  for (const Case& c : cases) {
    Fill(0x0841);
    DrawArea = c.area;
    ASSERT_EQ(DrawGraphicStretchedSoft(c.corners[0], c.corners[1], c.corners[2], c.corners[3],
                                       GetGraphicRecord(graphic), 0, 1, -1),
              0)
        << c.name;
    EXPECT_EQ(TargetLocked, 0);
    EXPECT_EQ(SourceLocked, 0);
    render_test::Image expected(kSize, kSize, 0, 0, 0);
    FillMemImage(expected.get(), nullptr, 0x0841);
    blit_reference::Stretch(expected.get(), source, c.corners, 0, nullptr,
                            {0, 0, 0xFFFFFF, false, c.area});
    EXPECT_EQ(Target(), Pixels(expected)) << c.name;
  }
}

TEST_F(SurfaceTargetTest, TrianglesKeepTheirRightmostColumnAndLowestRow) {
  // A triangle reaches its rightmost vertex's column, and one whose top lies
  // above row 0 and whose left side is straight its bottom vertex's row:
  // both must be inside the rectangle the bracket locks.
  const int32_t graphic = MakeGraphic(8, 8);
  MEMIMG* source = &SurfaceDataOf(graphic)->image;
  struct Case {
    const char* name;
    TriangleVertex v[3];
    bool textured;
  };
  const Case cases[] = {
      {"right angle, flat", {{10, 10, 0, 0}, {14, 10, 0, 0}, {10, 14, 0, 0}}, false},
      {"from above row 0, flat", {{3, -3, 0, 0}, {8, 1, 0, 0}, {4, 6, 0, 0}}, false},
      {"right angle, textured", {{20, 20, 0, 0}, {26, 20, 6, 0}, {20, 26, 0, 6}}, true},
      {"from above row 0, textured", {{30, -3, 0, 0}, {36, 1, 7, 3}, {31, 7, 1, 7}}, true},
  };
  for (const Case& c : cases) {
    Fill(0);
    ASSERT_EQ(
        SetupMemImageTriangle(c.v, c.textured ? GetGraphicRecord(graphic) : nullptr, 0, 0x5555), 0)
        << c.name;
    render_test::Image expected(kSize, kSize, 0, 0, 0);
    blit_reference::Triangle(expected.get(), c.textured ? source : nullptr, c.v, 0, nullptr, 0x5555,
                             {0, 0, 0xFFFFFF, false, {0, 0, kSize, kSize}});
    EXPECT_EQ(Target(), Pixels(expected)) << c.name;
  }
}

TEST_F(SurfaceTargetTest, BoxGivenRightToLeftFillsTheSortedBox) {
  Fill(0);
  ASSERT_EQ(DrawFilledBoxSoft(20, 15, 12, 9, 0x07E0), 0);
  render_test::Image expected(kSize, kSize, 0, 0, 0);
  const RECT box = {12, 9, 20, 15};
  FillMemImage(expected.get(), &box, 0x07E0);
  EXPECT_EQ(Target(), Pixels(expected));
}

}  // namespace
