// The software drawing front ends on the back screen of the screen fixture
// (640 x 480 x 16 software images): a stretched graphic, a graphic on four
// corners, a filled box and a box outline; on the software-image road and,
// with the software-image flag turned off, through the begin and end bracket
// of the DirectDraw road over the same images.
#include "runtime/graphics/screen/soft_front.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/primitives.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "tests/runtime/softrender/triangle_reference.h"
#include "tests/support/screen_fixture.h"

namespace {

class SoftFrontTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    ASSERT_EQ(Screen.MemImageRendering, 1);
    ASSERT_EQ(Screen.DrawTargetMemImage, &Screen.BackMemImage);
    ASSERT_EQ(Back()->kind, 0);
    Clear();
  }
  void TearDown() override {
    Screen.MemImageRendering = 1;
    BlendMode = 0;
    BlendParam = 0;
    DrawArea = {0, 0, 640, 480};
    DeleteAllGraphics(0);
    ScreenFixture::TearDown();
  }

  static MEMIMG* Back() { return &Screen.BackMemImage; }
  static uint32_t At(int x, int y) {
    return blit_reference::Read(Back()->pixels + y * Back()->pitch + x * 2, 2);
  }
  static void Clear() {
    for (int y = 0; y < Back()->height; ++y)
      std::memset(Back()->pixels + y * Back()->pitch, 0, 1280);
  }
  static std::vector<uint8_t> Snapshot() {
    return {Back()->pixels, Back()->pixels + static_cast<size_t>(Back()->pitch) * Back()->height};
  }

  // A graphic of w x h whose pixel (x, y) is Texel(x, y); its software image.
  int32_t MakeGraphic(int w, int h, MEMIMG** image) {
    const int32_t handle = MakeEmptyGraphic(w, h, 1);
    EXPECT_NE(handle, -1);
    const GraphicRecord* g = GetGraphicRecord(handle);
    const Surface2DRecord* s = GetSurface2DRecord(g->surfaces[0]);
    MEMIMG* m = &GetSurfaceDataRecord(s->surface_data)->image;
    EXPECT_EQ(m->kind, 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        blit_reference::Write(m->pixels + y * m->pitch + x * 2, 2, Texel(x, y));
    }
    if (image != nullptr) *image = m;
    return handle;
  }
  static uint32_t Texel(int x, int y) {
    return 0x8000u | static_cast<uint32_t>(y << 7) | static_cast<uint32_t>(x + 1);
  }
};

// ---------------------------------------------------------------------------
// Stretched graphics.

struct StretchCase {
  const char* name;
  int32_t corners[4];
  RECT area;
};

TEST_F(SoftFrontTest, StretchedGraphicShowsTheMappedTexelsOnBothRoads) {
  const StretchCase cases[] = {
      {"twice as large", {100, 50, 112, 58}, {0, 0, 640, 480}},
      {"mirrored left to right", {112, 50, 100, 58}, {0, 0, 640, 480}},
      {"turned by 180 degrees", {112, 58, 100, 50}, {0, 0, 640, 480}},
      {"shrunk", {10, 10, 14, 12}, {0, 0, 640, 480}},
      {"3 drawn 7 wide, cut on the left", {98, 50, 119, 55}, {103, 0, 640, 480}},
      {"mirrored and cut on the left and top", {119, 55, 98, 40}, {103, 45, 640, 480}},
      {"hanging over the screen's left and top edges", {-9, -5, 12, 9}, {0, 0, 640, 480}},
      {"mirrored at its own size", {106, 50, 100, 54}, {0, 0, 640, 480}},
  };
  for (const StretchCase& c : cases) {
    for (int road : {0, 1}) {
      MEMIMG* image = nullptr;
      const int32_t handle = MakeGraphic(6, 4, &image);
      Clear();
      DrawArea = c.area;
      Screen.MemImageRendering = road == 0 ? 1 : 0;
      const int result =
          RenderGraphicStretched(c.corners[0], c.corners[1], c.corners[2], c.corners[3], handle, 0);
      Screen.MemImageRendering = 1;
      const char* road_name = road == 0 ? "software images" : "bracket";
      EXPECT_EQ(result, 0) << c.name << " on " << road_name;
      // Every pixel: the texel the unclipped stretch maps it to inside the
      // area, untouched outside.
      const int64_t left = std::min(c.corners[0], c.corners[2]);
      const int64_t right = std::max(c.corners[0], c.corners[2]);
      const int64_t top = std::min(c.corners[1], c.corners[3]);
      const int64_t bottom = std::max(c.corners[1], c.corners[3]);
      int wrong = 0;
      for (int y = 0; y < 80 && wrong < 5; ++y) {
        for (int x = 0; x < 140 && wrong < 5; ++x) {
          uint32_t expected = 0;
          if (x >= left && x < right && y >= top && y < bottom && x >= c.area.left &&
              x < c.area.right && y >= c.area.top && y < c.area.bottom) {
            const int64_t sx = blit_reference::StretchSource(x - left, right - left, 6,
                                                             c.corners[0] > c.corners[2]);
            const int64_t sy = blit_reference::StretchSource(y - top, bottom - top, 4,
                                                             c.corners[1] > c.corners[3]);
            expected = Texel(static_cast<int>(sx), static_cast<int>(sy));
          }
          if (At(x, y) != expected) {
            ADD_FAILURE() << c.name << " on " << road_name << ": pixel " << x << "," << y << " is "
                          << std::hex << At(x, y) << " instead of " << expected;
            ++wrong;
          }
        }
      }
      DeleteAllGraphics(0);
    }
  }
}

TEST_F(SoftFrontTest, StretchedGraphicRefusals) {
  MEMIMG* image = nullptr;
  const GraphicRecord* g = GetGraphicRecord(MakeGraphic(6, 4, &image));
  struct Case {
    const char* name;
    int road;  // 0 software images, 1 the bracket
    int32_t corners[4];
    RECT area;
    int result;
  };
  const Case cases[] = {
      {"no width, software images", 0, {10, 10, 10, 50}, {0, 0, 640, 480}, 0},
      {"no width, bracket", 1, {10, 10, 10, 50}, {0, 0, 640, 480}, -1},
      {"no height, bracket", 1, {10, 10, 50, 10}, {0, 0, 640, 480}, -1},
      {"wholly outside the area, software images", 0, {10, 10, 30, 30}, {100, 100, 200, 200}, 0},
      {"wholly outside the area, bracket", 1, {10, 10, 30, 30}, {100, 100, 200, 200}, -1},
  };
  for (const Case& c : cases) {
    Clear();
    DrawArea = c.area;
    Screen.MemImageRendering = c.road == 0 ? 1 : 0;
    const auto before = Snapshot();
    EXPECT_EQ(DrawGraphicStretchedSoft(c.corners[0], c.corners[1], c.corners[2], c.corners[3], g, 0,
                                       1, -1),
              c.result)
        << c.name;
    Screen.MemImageRendering = 1;
    EXPECT_EQ(Snapshot(), before) << c.name;
  }
}

TEST_F(SoftFrontTest, StretchedGraphicTakesFloatCornersTruncated) {
  MEMIMG* image = nullptr;
  const GraphicRecord* g = GetGraphicRecord(MakeGraphic(6, 4, &image));
  auto word = [](float f) {
    int32_t w;
    std::memcpy(&w, &f, sizeof w);
    return w;
  };
  ASSERT_EQ(
      DrawGraphicStretchedSoft(word(20.9f), word(30.7f), word(32.2f), word(38.99f), g, 0, 0, -1),
      0);
  const auto floats = Snapshot();
  Clear();
  ASSERT_EQ(DrawGraphicStretchedSoft(20, 30, 32, 38, g, 0, 1, -1), 0);
  EXPECT_EQ(Snapshot(), floats);
  EXPECT_EQ(At(20, 30), Texel(0, 0));
  EXPECT_EQ(At(31, 37), Texel(5, 3));
}

// ---------------------------------------------------------------------------
// Graphics on four corners.

TEST_F(SoftFrontTest, QuadOnTheGraphicsOwnRectangleCopiesIt) {
  MEMIMG* image = nullptr;
  const int32_t handle = MakeGraphic(9, 7, &image);
  for (int road : {0, 1}) {
    Clear();
    Screen.MemImageRendering = road == 0 ? 1 : 0;
    // Top-left, top-right, bottom-left, bottom-right.
    // Clockwise from the top-left.
    EXPECT_EQ(RenderGraphicQuad(40.f, 30.f, 49.f, 30.f, 49.f, 37.f, 40.f, 37.f, handle, 0), 0);
    Screen.MemImageRendering = 1;
    for (int y = 25; y < 42; ++y) {
      for (int x = 35; x < 55; ++x) {
        const bool in = x >= 40 && x < 49 && y >= 30 && y < 37;
        ASSERT_EQ(At(x, y), in ? Texel(x - 40, y - 30) : 0u)
            << "pixel " << x << "," << y << " road " << road;
      }
    }
  }
}

TEST_F(SoftFrontTest, QuadIsTwoTrianglesMeetingOnTheRisingDiagonal) {
  // Random quads, drawn with the add mode so that the pixels both triangles
  // cover show it, against the triangle model drawing (V0, V1, V2) and then
  // (V1, V2, V3), on both roads.
  MEMIMG* image = nullptr;
  const int32_t handle = MakeGraphic(8, 6, &image);
  std::mt19937 rng(606);
  for (int n = 0; n < 40; ++n) {
    float c[8];
    for (float& v : c) v = static_cast<float>(static_cast<int>(rng() % 90) - 10) + 0.75f;
    const int road = n % 2;
    const blit_reference::Settings st{
        2, 200, 0xFFFFFF, false, {5, 3, 60 + static_cast<int>(rng() % 20), 70}};
    Clear();
    BlendMode = st.mode;
    BlendParam = st.param;
    DrawArea = st.draw_area;
    Screen.MemImageRendering = road == 0 ? 1 : 0;
    // The graphics entry takes the corners clockwise from the top-left, the
    // front end top-left, top-right, bottom-left, bottom-right.
    EXPECT_EQ(RenderGraphicQuad(c[0], c[1], c[2], c[3], c[6], c[7], c[4], c[5], handle, 1), 0);
    Screen.MemImageRendering = 1;
    const auto got = Snapshot();
    Clear();
    int32_t x[4], y[4];
    for (int i = 0; i < 4; ++i) {
      x[i] = FloatToInt(c[2 * i]);
      y[i] = FloatToInt(c[2 * i + 1]);
    }
    const TriangleVertex first[3] = {{x[0], y[0], 0, 0}, {x[1], y[1], 8, 0}, {x[2], y[2], 0, 6}};
    const TriangleVertex second[3] = {{x[1], y[1], 8, 0}, {x[2], y[2], 0, 6}, {x[3], y[3], 8, 6}};
    blit_reference::Triangle(Back(), image, first, 1, nullptr, 0, st);
    blit_reference::Triangle(Back(), image, second, 1, nullptr, 0, st);
    EXPECT_TRUE(Snapshot() == got) << "quad " << n << " road " << road;
  }
}

// ---------------------------------------------------------------------------
// Boxes and outlines.

TEST_F(SoftFrontTest, FilledBoxSortsItsCornersOnBothRoads) {
  for (int road : {0, 1}) {
    for (bool reversed : {false, true}) {
      Clear();
      Screen.MemImageRendering = road == 0 ? 1 : 0;
      const int result = reversed ? DrawFilledBoxSoft(30, 25, 20, 21, 0x1234)
                                  : DrawFilledBoxSoft(20, 21, 30, 25, 0x1234);
      Screen.MemImageRendering = 1;
      EXPECT_EQ(result, 0);
      for (int y = 18; y < 28; ++y) {
        for (int x = 17; x < 33; ++x) {
          const bool in = x >= 20 && x < 30 && y >= 21 && y < 25;
          ASSERT_EQ(At(x, y), in ? 0x1234u : 0u)
              << x << "," << y << " road " << road << " reversed " << reversed;
        }
      }
    }
  }
}

TEST_F(SoftFrontTest, OutlineTouchesEachBorderPixelOnce) {
  // Added with blue 1 at full strength: a pixel drawn twice would show 2.
  for (int road : {0, 1}) {
    Clear();
    BlendMode = 2;
    BlendParam = 255;
    Screen.MemImageRendering = road == 0 ? 1 : 0;
    EXPECT_EQ(DrawBoxOutlineSoft(10, 10, 14, 13, 1), 0);
    Screen.MemImageRendering = 1;
    for (int y = 7; y < 16; ++y) {
      for (int x = 7; x < 17; ++x) {
        const bool border =
            (y == 10 || y == 12) ? (x >= 10 && x <= 13) : (y == 11 && (x == 10 || x == 13));
        ASSERT_EQ(At(x, y), border ? 1u : 0u) << x << "," << y << " road " << road;
      }
    }
  }
}

TEST_F(SoftFrontTest, LineBatchDrawsEachRecordAndNothingForNone) {
  const LineRecord lines[2] = {{0, 0, 4, 0, 0x1F, 77}, {5, 5, 5, 8, 0x7E0, -3}};
  DrawMemImageLines(Back(), lines, 0);
  DrawMemImageLines(Back(), lines, -1);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(At(x, 0), 0u);
  DrawMemImageLines(Back(), lines, 2);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(At(x, 0), x < 4 ? 0x1Fu : 0u) << x;
  for (int y = 4; y < 10; ++y) EXPECT_EQ(At(5, y), y >= 5 && y < 8 ? 0x7E0u : 0u) << y;
}

// ---------------------------------------------------------------------------
// Refusals common to the front ends.

TEST_F(SoftFrontTest, AccelerationWithoutDirectDrawRefusesEveryFrontEnd) {
  MEMIMG* image = nullptr;
  const GraphicRecord* g = GetGraphicRecord(MakeGraphic(6, 4, &image));
  const int32_t accel = Screen.HardwareAccelOff;
  IDirectDraw7* const object = Screen.DirectDrawObject;
  Screen.HardwareAccelOff = 0;
  Screen.DirectDrawObject = nullptr;
  const TriangleVertex v[3] = {{1, 1, 0, 0}, {30, 2, 6, 0}, {4, 20, 0, 4}};
  EXPECT_EQ(DrawGraphicStretchedSoft(10, 10, 40, 30, g, 0, 1, -1), -1);
  EXPECT_EQ(SetupMemImageTriangle(v, g, 0, 0), -1);
  EXPECT_EQ(SetupMemImageTriangle(v, nullptr, 0, 0x1234), -1);
  EXPECT_EQ(DrawGraphicFourCornersSoft(0, 0, 9, 0, 0, 9, 9, 9, g, 0), -1);
  EXPECT_EQ(DrawFilledBoxSoft(0, 0, 50, 50, 0x1234), -1);
  EXPECT_EQ(DrawBoxOutlineSoft(0, 0, 50, 50, 0x1234), -1);
  Screen.HardwareAccelOff = accel;
  Screen.DirectDrawObject = object;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_EQ(At(x, y), 0u) << x << "," << y;
  }
}

TEST_F(SoftFrontTest, FlatTriangleOnTheBracketReachesItsRightmostColumn) {
  // Vertices (0, 0), (4, 0), (0, 4): row 0 covers columns 0 to 4, the last
  // one the rightmost vertex's own; both roads draw it.
  for (int road : {0, 1}) {
    Clear();
    Screen.MemImageRendering = road == 0 ? 1 : 0;
    const TriangleVertex v[3] = {{100, 100, 0, 0}, {104, 100, 0, 0}, {100, 104, 0, 0}};
    EXPECT_EQ(SetupMemImageTriangle(v, nullptr, 0, 0xFFFF), 0);
    Screen.MemImageRendering = 1;
    for (int x = 100; x <= 105; ++x) EXPECT_EQ(At(x, 100), x <= 104 ? 0xFFFFu : 0u) << x;
  }
}

}  // namespace
