// Graphics management's start and end inside the started runtime, and the
// rebuild of every screen object after the display changed: the start
// values, a second start that changes nothing, the end that takes every
// graphic and font, and graphics and fonts that work again after a rebuild.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/mem_image.h"
#include "runtime/input/input.h"
#include "runtime/system/screen_rebuild.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/runtime/image/image_file_writers.h"
#include "tests/support/screen_fixture.h"

namespace {

using namespace image_files;

class GraphicsStartTest : public ScreenFixture {
 protected:
  // The back screen's pixel, as its 16-bit image holds it.
  static uint32_t BackPixel(int32_t x, int32_t y) {
    const MEMIMG& image = Screen.BackMemImage;
    const uint8_t* p = image.pixels + y * image.pitch + x * 2;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8;
  }
  static uint32_t Rgb565(uint32_t argb) {
    return (uint32_t{R(argb)} >> 3) << 11 | (uint32_t{G(argb)} >> 2) << 5 |
           (uint32_t{B(argb)} >> 3);
  }
  // Draws `graphic` at the back screen's top-left and checks it shows
  // `picture` there.
  static void ExpectDrawnPicture(int32_t graphic, const Picture& picture) {
    ChangeDrawTarget(kDrawTargetBackScreen);
    ClearDrawTarget();
    ASSERT_EQ(RenderGraphicAt(0, 0, graphic, 0), 0);
    for (int32_t y = 0; y < picture.height; ++y) {
      for (int32_t x = 0; x < picture.width; ++x) {
        ASSERT_EQ(BackPixel(x, y), Rgb565(picture.At(x, y))) << "pixel " << x << ", " << y;
      }
    }
  }
};

// After the end and a new start: the start values of the draw settings, the
// front screen as draw target with the whole screen as clip area, a default
// font, and no Direct3D on this platform.
TEST_F(GraphicsStartTest, StartGivesTheStartValues) {
  ChangeBlendMode(2, 100);
  ChangeDrawBrightness(10, 20, 30);
  ChangeDrawArea(10, 10, 20, 20);
  NewGraphicAlphaTest = 0;
  NewGraphicUse3D = 0;
  EndGraphicsManagement();
  ASSERT_EQ(GraphicsReady, 0);

  LogCapture log;
  EXPECT_EQ(InitGraphicsManagement(), 0);
  EXPECT_EQ(GraphicsReady, 1);
  EXPECT_EQ(BlendMode, 0);
  EXPECT_EQ(BlendParam, 0);
  EXPECT_EQ(BlendGraphic, -1);
  EXPECT_EQ(DrawBrightness, 0xFFFFFFu);
  EXPECT_EQ(NewGraphicAlphaTest, 1);
  EXPECT_EQ(NewGraphicUse3D, 1);
  EXPECT_EQ(NewGraphicColorDepth, 0);
  EXPECT_EQ(DrawFilterMode, 0);
  EXPECT_EQ(DrawTarget, kDrawTargetFrontScreen);
  EXPECT_EQ(DrawArea.left, 0);
  EXPECT_EQ(DrawArea.top, 0);
  EXPECT_EQ(DrawArea.right, 640);
  EXPECT_EQ(DrawArea.bottom, 480);
  EXPECT_EQ(Use3DDrawing, 0);
  EXPECT_EQ(IsFontHandleValid(GetDefaultFontHandle()), 1);
  EXPECT_EQ(DefaultFont.size, 16);
  EXPECT_EQ(DefaultFont.thickness, 6);
  const std::string& text = log.text();
  const size_t begin = text.find("グラフィック管理系の初期化を行います");
  const size_t no_3d = text.find("３Ｄグラフィック描画機能は使用しません");
  const size_t fonts = text.find("フォントの初期化は正常に終了しました");
  const size_t done = text.find("グラフィック管理系の初期化は正常に終了しました");
  ASSERT_NE(begin, std::string::npos);
  ASSERT_NE(no_3d, std::string::npos);
  ASSERT_NE(fonts, std::string::npos);
  ASSERT_NE(done, std::string::npos);
  EXPECT_LT(begin, no_3d);
  EXPECT_LT(no_3d, fonts);
  EXPECT_LT(fonts, done);
}

TEST_F(GraphicsStartTest, SecondStartChangesNothing) {
  const int32_t font = GetDefaultFontHandle();
  const int32_t graphic = MakeEmptyGraphic(8, 8, 0);
  ASSERT_NE(graphic, -1);
  ChangeBlendMode(1, 128);
  ChangeDrawArea(5, 5, 50, 50);

  LogCapture log;
  EXPECT_EQ(InitGraphicsManagement(), 0);
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(BlendMode, 1);
  EXPECT_EQ(DrawTarget, kDrawTargetBackScreen);
  EXPECT_EQ(DrawArea.left, 5);
  EXPECT_EQ(GetDefaultFontHandle(), font);
  EXPECT_NE(GetGraphicRecord(graphic), nullptr);
}

TEST_F(GraphicsStartTest, EndTakesEveryGraphicAndFont) {
  const int32_t graphic = MakeEmptyGraphic(8, 8, 0);
  const int32_t font = CreateFontToHandle(nullptr, 20, -1, -1, -1, -1, 0, -1, -1);
  ASSERT_NE(graphic, -1);
  ASSERT_NE(font, -1);
  int32_t graphic_lost = 0;
  int32_t font_lost = 0;
  SetGraphicLostFlagAddress(graphic, &graphic_lost);
  SetFontLostFlagAddress(font, &font_lost);

  LogCapture log;
  EXPECT_EQ(EndGraphicsManagement(), 0);
  EXPECT_EQ(GraphicsReady, 0);
  EXPECT_EQ(graphic_lost, 1);
  EXPECT_EQ(font_lost, 1);
  EXPECT_EQ(GetGraphicRecord(graphic), nullptr);
  EXPECT_EQ(IsFontHandleValid(font), 0);
  EXPECT_EQ(IsFontHandleValid(GetDefaultFontHandle()), 0);
  EXPECT_NE(log.text().find("グラフィック管理系の終了処理は正常に終了しました"), std::string::npos);
  // A second end finds nothing running.
  EXPECT_EQ(EndGraphicsManagement(), 0);
  ASSERT_EQ(InitGraphicsManagement(), 0);
}

// A rebuild makes every screen object anew: a graphic loaded from a file
// shows its picture again, a font handle made before still works, the input
// devices run again and the draw target stays.
TEST_F(GraphicsStartTest, RebuildBringsGraphicsFontsAndInputBack) {
  char folder[] = "/tmp/graphics_start_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/picture.bmp";
  const Picture picture = MakePicture(7, 5);
  const Bytes bytes = MakeBmp(picture, BmpSpec{});
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);

  const int32_t graphic = LoadGraphicFileDefault(path.c_str(), 0);
  ASSERT_NE(graphic, -1);
  const int32_t font = CreateFontToHandle(nullptr, 20, -1, -1, -1, -1, 0, -1, -1);
  ASSERT_NE(font, -1);
  ExpectDrawnPicture(graphic, picture);

  LogCapture log;
  EXPECT_EQ(RebuildScreenObjects(), 0);
  EXPECT_NE(log.text().find("グラフィックを復帰します"), std::string::npos);

  EXPECT_EQ(GetGraphicRecord(graphic)->RestoreMark, 0) << "refilled from its file";
  ExpectDrawnPicture(graphic, picture);
  EXPECT_EQ(IsFontHandleValid(font), 1);
  EXPECT_EQ(GetFontSize(font), 20);
  EXPECT_EQ(DrawTarget, kDrawTargetBackScreen);
  EXPECT_NE(InputDevices.direct_input, nullptr) << "input runs again";

  std::remove(path.c_str());
  rmdir(folder);
}

}  // namespace
