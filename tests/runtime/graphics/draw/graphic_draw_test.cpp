// Drawing graphics on the screen of the null host (the software road): the
// loading picture at its place in the window, the transparent colour, part
// draws and their clip, stretched part draws mirrored or not, the refusals,
// drawing on the front screen, and copying the draw screen into graphics.
#include "runtime/graphics/draw/graphic_draw.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "runtime/graphics/draw/box_draw.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/screen/software_draw.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/mem_image.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/runtime/image/image_file_writers.h"
#include "tests/support/screen_fixture.h"

namespace {

using namespace image_files;

// The game's transparent colour.
constexpr uint32_t kKey = Argb(255, 0, 117, 117);

uint16_t Rgb565(uint32_t argb) {
  return static_cast<uint16_t>((uint32_t{R(argb)} >> 3) << 11 | (uint32_t{G(argb)} >> 2) << 5 |
                               (uint32_t{B(argb)} >> 3));
}

// A 5-6-5 value as the window shows it (each field spread over 8 bits).
uint32_t Shown(uint16_t v) {
  const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
  return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

uint16_t BackPixel(int32_t x, int32_t y) {
  const MEMIMG& image = Screen.BackMemImage;
  return reinterpret_cast<const uint16_t*>(image.pixels + y * image.pitch)[x];
}

class GraphicDrawTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    char pattern[] = "/tmp/graphic_draw_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    BackgroundColor = 0x203040;
    ASSERT_EQ(ClearDrawTarget(), 0);
    background_ = Rgb565(Argb(255, 0x20, 0x30, 0x40));
  }
  void TearDown() override {
    for (const std::string& file : files_) remove(file.c_str());
    rmdir(folder_.c_str());
    BackgroundColor = 0;
    ScreenFixture::TearDown();
  }

  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = folder_ + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    files_.push_back(path);
    return path;
  }

  // A graphic of `picture`, made through a PNG file.
  int32_t Load(const Picture& picture) {
    const std::string path =
        Write("g" + std::to_string(files_.size()) + ".png", MakePng(picture, PngSpec{}));
    return LoadGraphicFileDefault(path.c_str(), 0);
  }

  // Every pixel of the back screen outside `except` still shows the
  // background.
  void ExpectBackgroundOutside(const RECT& except) {
    for (int32_t y = 0; y < 480; ++y)
      for (int32_t x = 0; x < 640; ++x) {
        if (x >= except.left && x < except.right && y >= except.top && y < except.bottom) continue;
        ASSERT_EQ(BackPixel(x, y), background_) << x << ", " << y;
      }
  }

  std::string folder_;
  std::vector<std::string> files_;
  uint16_t background_ = 0;
};

// Three 16 x 16 cells side by side, each its own colour with a key-coloured
// border one pixel wide.
Picture ThreeCells() {
  Picture p{48, 16, {}};
  const uint32_t colours[3] = {Argb(255, 250, 10, 10), Argb(255, 10, 250, 10),
                               Argb(255, 10, 10, 250)};
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 48; ++x) {
      const int32_t cx = x % 16;
      const bool border = cx == 0 || cx == 15 || y == 0 || y == 15;
      // Column 1 of each cell is darker, to tell left from right.
      const uint32_t c = colours[x / 16] - (cx == 1 ? 0x00404040u & colours[x / 16] : 0);
      p.argb.push_back(border ? kKey : c);
    }
  return p;
}

TEST_F(GraphicDrawTest, LoadingPictureAppearsAtItsPlaceInTheWindow) {
  const Picture picture = MakePicture(24, 12);
  const std::string path = Write("loading_img.png", MakePng(picture, PngSpec{}));
  const int32_t graphics = GraphicTable.live_count;
  ASSERT_EQ(LoadAndRenderImage(370, 420, path.c_str(), 1), 0);
  EXPECT_EQ(GraphicTable.live_count, graphics) << "the loading picture is not kept";
  ASSERT_EQ(PresentScreen(), 0);

  int width = 0, height = 0;
  const std::vector<uint32_t> window = WindowImage(&width, &height);
  ASSERT_EQ(width, 640);
  ASSERT_EQ(height, 480);
  auto at = [&](int32_t x, int32_t y) { return window[static_cast<size_t>(y) * 640 + x]; };
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 24; ++x)
      ASSERT_EQ(at(370 + x, 420 + y), Shown(Rgb565(picture.At(x, y)))) << x << ", " << y;
  for (const auto& [x, y] : {std::pair{369, 420}, {370, 419}, {394, 431}, {370, 432}, {0, 0}})
    EXPECT_EQ(at(x, y), Shown(background_)) << x << ", " << y;

  // A missing picture draws nothing and leaves nothing.
  EXPECT_EQ(LoadAndRenderImage(370, 420, (folder_ + "/none.png").c_str(), 1), -1);
  EXPECT_EQ(GraphicTable.live_count, graphics);
}

TEST_F(GraphicDrawTest, TransparentColourIsLeftOutWithTheFlagOnly) {
  ASSERT_EQ(ChangeTransparentColor(0, 117, 117), 0);
  const Picture picture = ThreeCells();
  // A colour sheet and a palette sheet (as the map chip sets are).
  BmpSpec palette_bmp;
  palette_bmp.bits = 8;
  const struct {
    const char* name;
    Bytes file;
  } sheets[] = {
      {"cells.png", MakePng(picture, PngSpec{})},
      {"cells.bmp", MakeBmp(picture, palette_bmp)},
  };
  for (const auto& sheet : sheets) {
    SCOPED_TRACE(sheet.name);
    ASSERT_EQ(ClearDrawTarget(), 0);
    const std::string path = Write(sheet.name, sheet.file);
    int32_t cells[3];
    ASSERT_EQ(LoadGraphicCellsDefault(path.c_str(), 3, 3, 1, 16, 16, cells, 0), 0);
    ASSERT_EQ(RenderGraphicAt(10, 20, cells[1], 1), 0);
    ASSERT_EQ(RenderGraphicAt(100, 20, cells[1], 0), 0);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x) {
        const uint32_t c = picture.At(16 + x, y);
        ASSERT_EQ(BackPixel(10 + x, 20 + y), c == kKey ? background_ : Rgb565(c))
            << x << ", " << y;
        ASSERT_EQ(BackPixel(100 + x, 20 + y), Rgb565(c)) << x << ", " << y;
      }
  }
}

TEST_F(GraphicDrawTest, PartDrawsOnlyItsRectangleAndKeepsTheDrawArea) {
  const Picture picture = ThreeCells();
  const int32_t graphic = Load(picture);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(ChangeDrawArea(0, 0, 640, 470), 0);
  const RECT before = DrawArea;
  ASSERT_EQ(RenderGraphicPart(100, 50, 16, 0, 16, 16, graphic, 1, 0), 0);
  EXPECT_EQ(DrawArea.left, before.left);
  EXPECT_EQ(DrawArea.bottom, before.bottom);
  EXPECT_EQ(DrawAreaF[3], 470.0f);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x)
      ASSERT_EQ(BackPixel(100 + x, 50 + y), Rgb565(picture.At(16 + x, y))) << x << ", " << y;
  ExpectBackgroundOutside(RECT{100, 50, 116, 66});

  // A part clipped by the draw area: only what lies inside is drawn.
  ASSERT_EQ(RenderGraphicPart(200, 460, 0, 0, 16, 16, graphic, 1, 0), 0);
  EXPECT_EQ(BackPixel(205, 469), Rgb565(picture.At(5, 9)));
  EXPECT_EQ(BackPixel(205, 470), background_);
}

TEST_F(GraphicDrawTest, TurnedPartIsTheCellMirroredInPlace) {
  const Picture picture = ThreeCells();
  const int32_t graphic = Load(picture);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(RenderGraphicPart(100, 50, 16, 0, 16, 16, graphic, 1, 1), 0);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x)
      ASSERT_EQ(BackPixel(100 + x, 50 + y), Rgb565(picture.At(16 + 15 - x, y))) << x << ", " << y;
  ExpectBackgroundOutside(RECT{100, 50, 116, 66});
}

// A rectangle of the graphic stretched onto the destination: only the
// destination is drawn, mirrored on each axis whose turn flag is set, with
// its corners in either order, and the draw area is the same afterwards.
TEST_F(GraphicDrawTest, StretchedPartFillsOnlyItsDestinationMirroredByItsTurnFlags) {
  const Picture picture = ThreeCells();
  const int32_t graphic = Load(picture);
  ASSERT_NE(graphic, -1);
  struct Case {
    const char* name;
    int32_t x1, y1, x2, y2;  // the destination as given
    int32_t turn_x, turn_y;
  };
  const Case cases[] = {
      {"doubled", 100, 50, 132, 82, 0, 0},
      {"corners given in reverse", 132, 82, 100, 50, 0, 0},
      {"mirrored left to right", 100, 50, 132, 82, 1, 0},
      {"mirrored top to bottom", 100, 50, 132, 82, 0, 1},
      {"mirrored on both axes", 100, 50, 132, 82, 1, 1},
  };
  ASSERT_EQ(ChangeDrawArea(0, 0, 640, 470), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ClearDrawTarget(), 0);
    // Source: the middle cell, (16, 0) 16 x 16, drawn twice its size.
    ASSERT_EQ(RenderGraphicPartStretched(c.x1, c.y1, c.x2, c.y2, 16, 0, 16, 16, graphic, 0,
                                         c.turn_x, c.turn_y),
              0);
    EXPECT_EQ(DrawArea.bottom, 470);
    EXPECT_EQ(DrawAreaF[3], 470.0f);
    EXPECT_EQ(DrawArea.right, 640);
    for (int32_t y = 0; y < 32; ++y)
      for (int32_t x = 0; x < 32; ++x) {
        const int32_t sx = c.turn_x == 1 ? 15 - x / 2 : x / 2;
        const int32_t sy = c.turn_y == 1 ? 15 - y / 2 : y / 2;
        ASSERT_EQ(BackPixel(100 + x, 50 + y), Rgb565(picture.At(16 + sx, sy))) << x << ", " << y;
      }
    ExpectBackgroundOutside(RECT{100, 50, 132, 82});
  }

  // The draw area still clips: only its part of the destination is drawn.
  ASSERT_EQ(ClearDrawTarget(), 0);
  ASSERT_EQ(RenderGraphicPartStretched(100, 450, 132, 482, 16, 0, 16, 16, graphic, 0, 0, 0), 0);
  EXPECT_EQ(BackPixel(104, 469), Rgb565(picture.At(18, 9)));
  ExpectBackgroundOutside(RECT{100, 450, 132, 470});

  ASSERT_EQ(ClearDrawTarget(), 0);
  EXPECT_EQ(RenderGraphicPartStretched(100, 50, 132, 82, 16, 0, 16, 16, graphic + 1, 0, 0, 0), -1);
  EXPECT_EQ(RenderGraphicPartStretched(100, 50, 132, 82, 16, 0, 0, 16, graphic, 0, 0, 0), -1)
      << "no source width";
  EXPECT_EQ(RenderGraphicPartStretched(100, 50, 132, 82, 16, 0, 16, -4, graphic, 0, 0, 0), -1)
      << "a negative source height";
  ASSERT_EQ(ChangeDrawArea(10, 10, 10, 50), 0);
  EXPECT_EQ(RenderGraphicPartStretched(100, 50, 132, 82, 16, 0, 16, 16, graphic, 0, 0, 0), 0)
      << "an empty draw area";
  ASSERT_EQ(ChangeDrawArea(0, 0, 640, 480), 0);
  ExpectBackgroundOutside(RECT{0, 0, 0, 0});
}

// Width and height are right - left and bottom - top as they stand: a
// reversed rectangle gives negative ones; either output may be left out.
TEST(RectExtentTest, WidthAndHeightOfARectangleAsItStands) {
  struct Case {
    RECT rect;
    int32_t width, height;
  };
  const Case cases[] = {
      {{10, 20, 110, 70}, 100, 50},
      {{-30, -5, 0, 0}, 30, 5},
      {{7, 7, 7, 7}, 0, 0},
      {{50, 40, 10, 0}, -40, -40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rect.left << "," << c.rect.top << "," << c.rect.right
                                    << "," << c.rect.bottom);
    int32_t width = 1234, height = 5678;
    EXPECT_EQ(GetRectExtent(&c.rect, &width, &height), 0);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    height = 5678;
    EXPECT_EQ(GetRectExtent(&c.rect, &width, nullptr), 0);
    EXPECT_EQ(GetRectExtent(&c.rect, nullptr, &height), 0);
    EXPECT_EQ(height, c.height);
    EXPECT_EQ(GetRectExtent(&c.rect, nullptr, nullptr), 0);
  }
}

TEST_F(GraphicDrawTest, NothingIsDrawnWithAnEmptyAreaBadHandleOrUncoveringBlendGraphic) {
  const int32_t graphic = Load(MakePicture(64, 64));
  const int32_t small = Load(MakePicture(32, 32));
  ASSERT_NE(graphic, -1);
  ASSERT_NE(small, -1);

  ASSERT_EQ(ChangeDrawArea(10, 10, 10, 50), 0);
  ASSERT_EQ(DrawAreaEmpty, 1);
  EXPECT_EQ(RenderGraphicAt(0, 0, graphic, 0), 0);
  EXPECT_EQ(RenderGraphicStretched(0, 0, 100, 100, graphic, 0), 0);
  EXPECT_EQ(RenderGraphicPart(0, 0, 0, 0, 8, 8, graphic, 0, 0), 0);
  EXPECT_EQ(RenderGraphicQuad(0, 0, 9, 0, 9, 9, 0, 9, graphic, 0), 0);
  ASSERT_EQ(ChangeDrawArea(0, 0, 640, 480), 0);

  EXPECT_EQ(RenderGraphicAt(0, 0, graphic + 1, 0), -1);
  EXPECT_EQ(RenderGraphicAt(0, 0, -1, 0), -1);
  DeleteGraphicHandle(small, 0);
  EXPECT_EQ(RenderGraphicAt(0, 0, small, 0), -1) << "a deleted graphic";

  const int32_t blend = Load(MakePicture(32, 32));
  ASSERT_EQ(SelectBlendImage(blend, 0, 0), 0);
  EXPECT_EQ(RenderGraphicAt(0, 0, graphic, 0), -1);
  ASSERT_EQ(SelectBlendImage(-1, 0, 0), 0);
  ExpectBackgroundOutside(RECT{0, 0, 0, 0});
}

// Corners are made integers only when an integer holds them: a huge,
// infinite or undefined corner draws nothing and fails.
TEST_F(GraphicDrawTest, FourCornersThatNoIntegerHoldsDrawNothing) {
  const int32_t graphic = Load(MakePicture(16, 16));
  ASSERT_NE(graphic, -1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* label;
    float corners[8];
  };
  const Case cases[] = {
      {"not a number", {0, 0, 16, 0, 16, nan, 0, 16}},
      {"infinite", {-inf, 0, 16, 0, 16, 16, 0, 16}},
      {"beyond the int range", {0, 0, 3e9f, 0, 16, 16, 0, 16}},
      {"at the int range's end", {0, 0, 16, 0, 16, 16, 0, 2147483648.0f}},
      {"below the int range", {0, -3e9f, 16, 0, 16, 16, 0, 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const float* k = c.corners;
    EXPECT_EQ(RenderGraphicQuad(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], graphic, 0), -1);
  }
  ExpectBackgroundOutside(RECT{0, 0, 0, 0});
  // The same quad in range is drawn.
  EXPECT_EQ(RenderGraphicQuad(0, 0, 16, 0, 16, 16, 0, 16, graphic, 0), 0);
  EXPECT_NE(BackPixel(8, 8), BackPixel(100, 100));
}

TEST_F(GraphicDrawTest, DrawingOnTheFrontScreenShowsAtOnce) {
  const Picture picture = MakePicture(10, 6);
  const int32_t graphic = Load(picture);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(ChangeDrawTarget(kDrawTargetFrontScreen), 0);
  const int64_t frames = Host().FrameCount();
  ASSERT_EQ(RenderGraphicAt(300, 200, graphic, 0), 0);
  int width = 0, height = 0;
  const std::vector<uint32_t> window = WindowImage(&width, &height);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 10; ++x)
      ASSERT_EQ(window[static_cast<size_t>(200 + y) * 640 + 300 + x],
                Shown(Rgb565(picture.At(x, y))));
  EXPECT_EQ(Host().FrameCount(), frames);
}

TEST_F(GraphicDrawTest, ScreenRectangleCopiedIntoAGraphicOfItsSize) {
  const Picture picture = MakePicture(30, 20);
  const int32_t source = Load(picture);
  ASSERT_EQ(RenderGraphicAt(0, 0, source, 0), 0);
  const int32_t copy = MakeEmptyGraphic(20, 10, 1);
  ASSERT_NE(copy, -1);
  ASSERT_EQ(CopyScreenToGraphic(5, 3, 25, 13, copy, 0), 0);
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 20; ++x)
      ASSERT_EQ(GraphicPixel(copy, x, y), Rgb565(picture.At(5 + x, 3 + y))) << x << ", " << y;

  EXPECT_EQ(CopyScreenToGraphic(0, 0, 20, 11, copy, 0), -1) << "not the graphic's size";
  EXPECT_EQ(CopyScreenToGraphic(630, 0, 650, 10, copy, 0), -1) << "outside the screen";
  EXPECT_EQ(CopyScreenToGraphic(0, 0, 20, 10, copy + 1, 0), -1) << "bad handle";

  // Into one cell of a sheet: that cell's own rectangle takes the copy, its
  // neighbours keep their pixels.
  const Picture sheet = ThreeCells();
  const std::string path = Write("sheet.png", MakePng(sheet, PngSpec{}));
  int32_t cells[3];
  ASSERT_EQ(LoadGraphicCellsDefault(path.c_str(), 3, 3, 1, 16, 16, cells, 0), 0);
  ASSERT_EQ(CopyScreenToGraphic(2, 2, 18, 18, cells[1], 0), 0);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      ASSERT_EQ(GraphicPixel(cells[1], x, y), Rgb565(picture.At(2 + x, 2 + y)));
      ASSERT_EQ(GraphicPixel(cells[0], x, y), Rgb565(sheet.At(x, y)));
      ASSERT_EQ(GraphicPixel(cells[2], x, y), Rgb565(sheet.At(32 + x, y)));
    }
}

// A graphic whose pixels change after it was loaded is drawn with its new
// pixels: neither drawing into it as the draw target nor copying the screen
// into it leaves the keyed draw following the picture it was loaded with.
TEST_F(GraphicDrawTest, KeyedDrawShowsPixelsWrittenAfterTheLoad) {
  ASSERT_EQ(ChangeTransparentColor(0, 117, 117), 0);
  const Picture all_key{16, 16, std::vector<uint32_t>(16 * 16, kKey)};
  const uint32_t red = Argb(255, 248, 0, 0);
  const uint32_t red_value = GetScreenColorValue(248, 0, 0);
  for (const bool copied : {false, true}) {
    SCOPED_TRACE(copied ? "copied from the screen" : "drawn into as the draw target");
    ASSERT_EQ(ClearDrawTarget(), 0);
    const int32_t graphic = Load(all_key);
    ASSERT_NE(graphic, -1);
    if (copied) {
      ASSERT_EQ(RenderFilledBox(0, 0, 16, 16, red_value), 0);
      ASSERT_EQ(CopyScreenToGraphic(0, 0, 16, 16, graphic, 0), 0);
      ASSERT_EQ(ClearDrawTarget(), 0);
    } else {
      ASSERT_EQ(ChangeDrawTarget(graphic), 0);
      ASSERT_EQ(RenderFilledBox(0, 0, 16, 16, red_value), 0);
      ASSERT_EQ(ChangeDrawTarget(kDrawTargetBackScreen), 0);
    }
    ASSERT_EQ(GraphicPixel(graphic, 5, 5), Rgb565(red));
    ASSERT_EQ(RenderGraphicAt(10, 20, graphic, 1), 0);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x)
        ASSERT_EQ(BackPixel(10 + x, 20 + y), Rgb565(red)) << x << ", " << y;
    ExpectBackgroundOutside(RECT{10, 20, 26, 36});
    DeleteGraphicHandle(graphic, 0);
  }
}

// On a screen of software images the bracket has nothing to do; over an
// image that is not the screen's own it picks the target image and refuses
// a rectangle outside the draw area.
TEST_F(GraphicDrawTest, SoftwareDrawBracketPicksTheTargetImage) {
  const RECT inside{10, 10, 20, 20};
  EXPECT_EQ(BeginSoftwareDraw(nullptr, 0, nullptr, &inside, 0, nullptr, nullptr), 0);
  EXPECT_EQ(EndSoftwareDraw(), 0);

  Screen.MemImageRendering = 0;
  SoftwareTargetImage = nullptr;
  ASSERT_EQ(ChangeDrawArea(0, 0, 100, 100), 0);
  const RECT outside{200, 200, 210, 210};
  EXPECT_EQ(BeginSoftwareDraw(nullptr, 0, nullptr, &outside, 0, nullptr, nullptr), -1);
  EXPECT_EQ(SoftwareTargetImage, nullptr);
  EXPECT_EQ(BeginSoftwareDraw(nullptr, 0, nullptr, &inside, 0, nullptr, nullptr), 0);
  EXPECT_EQ(SoftwareTargetImage, Screen.DrawTargetMemImage);
  EXPECT_EQ(TargetLocked, 0);
  EXPECT_EQ(EndSoftwareDraw(), 0);
  Screen.MemImageRendering = 1;
}

}  // namespace
