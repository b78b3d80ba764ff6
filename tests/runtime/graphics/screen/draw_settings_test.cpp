// Draw settings: each setter's clamps and its skip when nothing changes, the
// clip rectangle of each target, the draw-target switch and its refusals,
// the blend graphic, and the matrices of the draw state.
#include "runtime/graphics/screen/draw_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "runtime/graphics/records/mask.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/system/main_window.h"
#include "tests/runtime/graphics/graphics_test_support.h"

namespace {

using DrawSettingsTest = SoftwareGraphicsTest;

TEST_F(DrawSettingsTest, BlendModeParameterClamped) {
  struct Case {
    int32_t mode, param;
    int32_t expect_param;
  };
  const Case cases[] = {
      {1, 300, 255}, {1, 256, 255}, {1, 255, 255}, {2, 128, 128},
      {3, 0, 0},     {1, -4, 0},    {4, -1000, 0}, {0, 17, 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << ", " << c.param);
    BlendMode = 99;
    EXPECT_EQ(ChangeBlendMode(c.mode, c.param), 0);
    EXPECT_EQ(BlendMode, c.mode);
    EXPECT_EQ(BlendParam, c.expect_param);
  }
}

TEST_F(DrawSettingsTest, DrawBrightnessClampedPerChannel) {
  struct Case {
    int32_t r, g, b;
    uint32_t expect;
  };
  const Case cases[] = {
      {300, 128, -1, 0xFF8000},
      {0, 0, 0, 0x000000},
      {255, 255, 255, 0xFFFFFF},
      {-5, 256, 17, 0x00FF11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.r << ", " << c.g << ", " << c.b);
    DrawBrightness = 0x123456;
    EXPECT_EQ(ChangeDrawBrightness(c.r, c.g, c.b), 0);
    EXPECT_EQ(DrawBrightness, c.expect);
  }
  EXPECT_EQ(SetDrawBrightnessColor(0xAB123456u), 0);
  EXPECT_EQ(DrawBrightness, 0x123456u) << "only the low 24 bits";
}

TEST_F(DrawSettingsTest, TransparentColorTakesBytesAndSkipsEightBitScreens) {
  EXPECT_EQ(ChangeTransparentColor(256 + 1, 2, -253), 0);
  EXPECT_EQ(TransparentColor, 0x010203u);
  EXPECT_EQ(ChangeTransparentColor(0, 117, 117), 0);
  EXPECT_EQ(TransparentColor, 0x007575u);
  Screen.ScreenColorDepth = 8;
  EXPECT_EQ(ChangeTransparentColor(255, 255, 255), 0);
  EXPECT_EQ(TransparentColor, 0x007575u);
}

// The transparent colour applies to graphics made afterwards.
TEST_F(DrawSettingsTest, TransparentColorShapesLaterGraphics) {
  const int32_t before = MakeEmptyGraphic(4, 4, 1);
  ChangeTransparentColor(255, 0, 0);
  const int32_t after = MakeEmptyGraphic(4, 4, 1);
  EXPECT_EQ(SurfaceDataOf(before)->transparent_color, 0u);
  EXPECT_EQ(SurfaceDataOf(after)->transparent_color, 0xFF0000u);
  EXPECT_EQ(SurfaceDataOf(after)->image.transparent_value, 0xF800u);
}

struct AreaCase {
  const char* name;
  int32_t x1, y1, x2, y2;
  RECT expect;
  int32_t expect_empty;
};

void PrintTo(const AreaCase& c, std::ostream* os) { *os << c.name; }

const AreaCase kBackScreenAreas[] = {
    {"Sorted", 100, 80, 20, 10, {20, 10, 100, 80}, 0},
    {"ClampedToScreen", -5, -5, 700, 500, {0, 0, 640, 480}, 0},
    {"NoWidth", 10, 10, 10, 50, {10, 10, 10, 50}, 1},
    {"NoHeight", 10, 50, 200, 50, {10, 50, 200, 50}, 1},
    {"WhollyOutside", 700, 10, 900, 20, {640, 10, 640, 20}, 1},
    {"Inside", 1, 2, 3, 4, {1, 2, 3, 4}, 0},
};

class DrawAreaTest : public DrawSettingsTest, public ::testing::WithParamInterface<AreaCase> {};

TEST_P(DrawAreaTest, BackScreen) {
  const AreaCase& c = GetParam();
  EXPECT_EQ(ChangeDrawArea(c.x1, c.y1, c.x2, c.y2), 0);
  EXPECT_EQ(DrawArea.left, c.expect.left);
  EXPECT_EQ(DrawArea.top, c.expect.top);
  EXPECT_EQ(DrawArea.right, c.expect.right);
  EXPECT_EQ(DrawArea.bottom, c.expect.bottom);
  EXPECT_EQ(DrawAreaEmpty, c.expect_empty);
  EXPECT_EQ(DrawAreaF[0], static_cast<float>(c.expect.left));
  EXPECT_EQ(DrawAreaF[3], static_cast<float>(c.expect.bottom));
  EXPECT_EQ(DrawAreaRequest[0], c.x1) << "the request is kept as given";
  EXPECT_EQ(DrawAreaRequest[2], c.x2);
}

INSTANTIATE_TEST_SUITE_P(DrawSettings, DrawAreaTest, ::testing::ValuesIn(kBackScreenAreas),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawSettingsTest, DrawAreaOfAGraphicTarget) {
  const int32_t graphic = MakeEmptyGraphic(100, 50, 1);
  DrawTarget = graphic;
  EXPECT_EQ(ChangeDrawArea(-10, 20, 300, 300), 0);
  EXPECT_EQ(DrawArea.left, 0);
  EXPECT_EQ(DrawArea.top, 20);
  EXPECT_EQ(DrawArea.right, 100);
  EXPECT_EQ(DrawArea.bottom, 50);

  // A target whose graphic is gone changes nothing.
  DeleteGraphicHandle(graphic, 0);
  EXPECT_EQ(ChangeDrawArea(1, 1, 2, 2), 0);
  EXPECT_EQ(DrawArea.right, 100);
}

// On the front screen only the part of the window that lies on the desktop
// can be drawn.
TEST_F(DrawSettingsTest, DrawAreaOfTheFrontScreenStaysOnTheDesktop) {
  struct Case {
    const char* name;
    RECT client;
    RECT request;
    RECT expect;
  };
  const Case cases[] = {
      {"OnTheDesktop", {100, 100, 740, 580}, {-5, -5, 700, 500}, {0, 0, 640, 480}},
      {"OffTheLeftAndTop", {-100, -50, 540, 430}, {0, 0, 640, 480}, {100, 50, 640, 480}},
      // A corner already inside the visible part stays where it was asked.
      {"AskedCornerInside", {-100, -50, 540, 430}, {300, 200, 20, 10}, {100, 50, 300, 200}},
      {"PastTheRightAndBottom", {1500, 900, 2140, 1380}, {0, 0, 640, 480}, {0, 0, 420, 180}},
  };
  const MainWindowState saved = MainWindow;
  MainWindow.desktop_width = 1920;
  MainWindow.desktop_height = 1080;
  DrawTarget = kDrawTargetFrontScreen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindow.client_rect = c.client;
    EXPECT_EQ(ChangeDrawArea(c.request.left, c.request.top, c.request.right, c.request.bottom),
              0);
    EXPECT_EQ(DrawArea.left, c.expect.left);
    EXPECT_EQ(DrawArea.top, c.expect.top);
    EXPECT_EQ(DrawArea.right, c.expect.right);
    EXPECT_EQ(DrawArea.bottom, c.expect.bottom);
  }
  MainWindow = saved;
}

// ---------------------------------------------------------------------------
// The draw-target switch.

TEST_F(DrawSettingsTest, DrawTargetRefusals) {
  const int32_t graphic = MakeEmptyGraphic(16, 16, 1);
  DeleteGraphicHandle(graphic, 0);
  const int32_t live = MakeEmptyGraphic(16, 16, 1);
  struct Case {
    const char* name;
    int32_t target;
  };
  const Case cases[] = {
      {"StaleGraphic", graphic},
      {"SurfaceDataHandle", Surface2DOf(live)->surface_data},
      {"SlotOnly", HandleSlot(live)},
      {"MinusThree", -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChangeDrawTarget(c.target), -1);
    EXPECT_EQ(DrawTarget, kDrawTargetBackScreen);
  }
  GraphicsReady = 0;
  EXPECT_EQ(ChangeDrawTarget(live), -1) << "not before graphics start";
  EXPECT_EQ(GetCurrentDrawTarget(), kDrawTargetBackScreen);
}

// A graphic without a surface cannot be drawn on: the screen side refuses it
// and the old target, clip rectangle and mask use stay as they were.
TEST_F(DrawSettingsTest, RefusedTargetPutsTheOldOneBack) {
  const int32_t graphic = MakeEmptyGraphic(32, 32, 1);
  ReleaseGraphicSurfaces2D(graphic);
  ChangeDrawArea(10, 20, 30, 40);
  MaskUseFlag = 1;
  EXPECT_EQ(ChangeDrawTarget(graphic), -1);
  EXPECT_EQ(DrawTarget, kDrawTargetBackScreen);
  EXPECT_EQ(DrawScreenWidth, 640);
  EXPECT_EQ(DrawArea.left, 10);
  EXPECT_EQ(DrawArea.bottom, 40);
  EXPECT_EQ(MaskUseFlag, 1);
  EXPECT_EQ(MaskInForceFlag, 0);
  MaskUseFlag = 0;
}

TEST_F(DrawSettingsTest, BlendGraphicSelection) {
  const int32_t graphic = MakeEmptyGraphic(8, 8, 1);
  EXPECT_EQ(SelectBlendImage(graphic + 1, 10, 10), -1);
  EXPECT_EQ(BlendGraphic, -1) << "a bad handle changes nothing";

  EXPECT_EQ(SelectBlendImage(graphic, 300, -5), 0);
  EXPECT_EQ(BlendGraphic, graphic);
  EXPECT_EQ(BlendGraphicParam1, 255);
  EXPECT_EQ(BlendGraphicParam2, 0);
  EXPECT_EQ(GetBlendGraphicImage(), &SurfaceDataOf(graphic)->image);

  // The table follows the parameters: (0, 255) is 255 all along; (255, 255)
  // is 0 up to 254 and 1 at 255.
  EXPECT_EQ(SelectBlendImage(-1, 0, 255), 0);
  EXPECT_EQ(GetBlendGraphicImage(), nullptr);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(BlendGraphicTable[i], 255) << i;
  EXPECT_EQ(SelectBlendImage(-1, 255, 255), 0);
  for (int i = 0; i < 255; ++i) ASSERT_EQ(BlendGraphicTable[i], 0) << i;
  EXPECT_EQ(BlendGraphicTable[255], 1);
}

TEST_F(DrawSettingsTest, ClearAndQueries) {
  EXPECT_EQ(ClearDrawTarget(), 0);
  Screen.ScreenWidth = 0;
  Screen.ScreenHeight = 0;
  Screen.ScreenColorDepth = 0;
  int32_t w = 0;
  int32_t h = 0;
  int32_t depth = 0;
  EXPECT_EQ(GetScreenSizeAndDepth(&w, &h, &depth), 0);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(depth, 16);
  EXPECT_EQ(GetScreenSizeAndDepth(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(IsTextureGraphicsInUse(), 0) << "software images are never textures";
  EXPECT_EQ(ChangeDrawFilterMode(1), 0);
  EXPECT_EQ(GetDrawFilterMode(), 1);
  RECT area{};
  ChangeDrawArea(1, 2, 3, 4);
  GetDrawArea(&area);
  EXPECT_EQ(area.right, 3);
  const RECT moved = {5, 6, 645, 486};
  StoreDrawTargetRect(&moved);
  EXPECT_EQ(DrawTargetRect.left, 5);
}

// ---------------------------------------------------------------------------
// Matrices.

void ExpectMatrix(const TransformMatrix& m, const float (&expect)[4][4]) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(m.m[i][j], expect[i][j]) << i << "," << j;
  }
}

TEST_F(DrawSettingsTest, MultiplyTakesRowsTimesColumnsAndMayOverwriteAnInput) {
  TransformMatrix a{};
  TransformMatrix b{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      a.m[i][j] = static_cast<float>(i * 4 + j);
      b.m[i][j] = static_cast<float>(i == j ? 2 : 0);
    }
  }
  b.m[3][0] = 1.0f;  // adds column 0 the fourth column of a
  TransformMatrix out;
  MultiplyMatrix(&out, &a, &b);
  EXPECT_FLOAT_EQ(out.m[1][0], 4 * 2 + 7 * 1);
  EXPECT_FLOAT_EQ(out.m[1][1], 5 * 2);
  MultiplyMatrix(&a, &a, &b);
  EXPECT_FLOAT_EQ(a.m[1][0], out.m[1][0]);
  EXPECT_FLOAT_EQ(a.m[2][3], out.m[2][3]);
}

TEST_F(DrawSettingsTest, ScreenMatrixMapsTheViewVolumeOntoTheScreen) {
  TransformMatrix screen;
  MakeScreenMatrix(&screen, 0.0f, 0.0f, 640.0f, 480.0f);
  const float expect[4][4] = {
      {320, 0, 0, 0}, {0, -240, 0, 0}, {0, 0, 1, 0}, {320, 240, 0, 1}};
  ExpectMatrix(screen, expect);
}

TEST_F(DrawSettingsTest, PerspectiveOfTheDefaultDrawScreen) {
  const float distance = static_cast<float>(480 / 2) * 1.7320509f;
  TransformMatrix m;
  ASSERT_EQ(MakePerspectiveMatrix(&m, 1.0471976f, distance * 0.1f, distance + 1000.0f), 0);
  const float cotangent = std::cos(1.0471976f / 2) / std::sin(1.0471976f / 2);
  const float q = (distance + 1000.0f) / (distance + 1000.0f - distance * 0.1f);
  EXPECT_FLOAT_EQ(m.m[0][0], 0.75f * cotangent);
  EXPECT_FLOAT_EQ(m.m[1][1], cotangent);
  EXPECT_FLOAT_EQ(m.m[2][2], q);
  EXPECT_FLOAT_EQ(m.m[2][3], 1.0f);
  EXPECT_FLOAT_EQ(m.m[3][2], -q * distance * 0.1f);
  EXPECT_FLOAT_EQ(m.m[3][3], 0.0f);

  TransformMatrix untouched{};
  untouched.m[0][0] = 7.0f;
  EXPECT_EQ(MakePerspectiveMatrix(&untouched, 1.0f, 5.0f, 5.001f), -1);
  EXPECT_EQ(MakePerspectiveMatrix(&untouched, 0.0f, 1.0f, 100.0f), -1);
  EXPECT_EQ(untouched.m[0][0], 7.0f);
}

TEST_F(DrawSettingsTest, CombinedAndBillboardMatrices) {
  ResetTransformMatrices(&DrawWorldMatrix);
  ResetTransformMatrices(&DrawViewMatrix);
  ResetTransformMatrices(&DrawProjectionMatrix);
  MakeScreenMatrix(&DrawViewportMatrix, 0.0f, 0.0f, 640.0f, 480.0f);
  // The view rotates x into y and moves by (1, 2, 3).
  DrawViewMatrix.m[0][0] = 0.0f;
  DrawViewMatrix.m[0][1] = 1.0f;
  DrawViewMatrix.m[1][0] = -1.0f;
  DrawViewMatrix.m[1][1] = 0.0f;
  DrawViewMatrix.m[3][0] = 1.0f;
  DrawViewMatrix.m[3][1] = 2.0f;
  DrawViewMatrix.m[3][2] = 3.0f;
  DrawWorldMatrix.m[0][0] = 2.0f;
  CombineTransformMatrices();

  TransformMatrix expect_product;
  MultiplyMatrix(&expect_product, &DrawWorldMatrix, &DrawViewMatrix);
  MultiplyMatrix(&expect_product, &expect_product, &DrawViewportMatrix);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      EXPECT_FLOAT_EQ(DrawCombinedMatrix.m[i][j], expect_product.m[i][j]) << i << "," << j;
    }
  }
  const float billboard[4][4] = {{0, -1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}};
  ExpectMatrix(DrawBillboardMatrix, billboard);
}

}  // namespace
