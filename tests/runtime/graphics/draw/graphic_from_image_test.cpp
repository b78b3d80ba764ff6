// Graphics made from decoded images: the pixels and run table they get, the
// transparent index of palette images, mirroring, division into cells, and
// the reader's failures.
#include "runtime/graphics/draw/graphic_from_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "tests/runtime/graphics/graphics_test_support.h"

namespace {

using GraphicFromImageTest = SoftwareGraphicsTest;

// The key colour of the game's pictures.
constexpr uint32_t kKey = 0x007575;

// A 24-bit image whose pixel (x, y) has the colour `color(x, y)` (0xRRGGBB).
template <typename ColorAt>
GraphImage MakeRgbImage(int32_t width, int32_t height, ColorAt color) {
  GraphImage image{};
  EXPECT_EQ(AllocateGraphImage(width, height, &image), 0);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = color(x, y);
      SetGraphImagePixel(&image, x, y, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, 255);
    }
  }
  return image;
}

// A one-byte palette image of one row of `indexes`, with `palette` (0xRRGGBB
// words) as its first entries.
GraphImage MakePaletteImage(const std::vector<uint8_t>& indexes,
                            const std::vector<uint32_t>& palette) {
  GraphImage image{};
  SetPalette8ColorFormat(&image.format);
  for (size_t i = 0; i < 256; ++i) {
    const uint32_t c = i < palette.size() ? palette[i] : 0x000000;
    image.format.palette[i] = ColorPaletteEntry{static_cast<uint8_t>(c & 0xFF),
                                                static_cast<uint8_t>((c >> 8) & 0xFF),
                                                static_cast<uint8_t>((c >> 16) & 0xFF), 0};
  }
  image.width = static_cast<int32_t>(indexes.size());
  image.height = 1;
  image.pitch = (image.width + 3) & ~3;
  image.pixels = static_cast<uint8_t*>(AllocTrackedCleared(image.pitch, "", 0));
  std::memcpy(image.pixels, indexes.data(), indexes.size());
  return image;
}

const MEMIMG& ImageOf(int32_t graphic) { return SurfaceDataOf(graphic)->image; }

uint32_t PixelAt(const MEMIMG& image, int32_t x, int32_t y) {
  const int bytes = image.format->bytes_per_pixel;
  const uint8_t* p = image.pixels + y * image.pitch + x * bytes;
  uint32_t v = 0;
  for (int k = 0; k < bytes; ++k) v |= uint32_t{p[k]} << (8 * k);
  return v;
}

uint32_t Packed(const MEMIMG& image, uint32_t rgb) {
  return PackColor(image.format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
}

// The run bytes of row `y`, up to and including its end byte.
std::vector<uint8_t> RunRow(const MEMIMG& image, int y) {
  const uint8_t* p = image.run_table;
  for (int row = 0; row < y; ++row) {
    while (*p != kRunRowEnd) ++p;
    ++p;
  }
  std::vector<uint8_t> out;
  do {
    out.push_back(*p);
  } while (*p++ != kRunRowEnd);
  return out;
}

uint32_t ColorOfPlace(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(x * 2) << 16) | (static_cast<uint32_t>(y * 4) << 8) | 0x40;
}

TEST_F(GraphicFromImageTest, GraphicHoldsTheImageWithItsRuns) {
  TransparentColor = kKey;
  // Row 0: key, key, red, blue; row 1: red all along.
  const auto color = [](int32_t x, int32_t y) -> uint32_t {
    if (y == 1) return 0xFF0000;
    return x < 2 ? kKey : x == 2 ? 0xFF0000 : 0x0000FF;
  };
  GraphImage image = MakeRgbImage(4, 2, color);
  const int32_t graphic = MakeGraphicFromImage(&image, nullptr, 1, 0, 0);
  ASSERT_NE(graphic, -1);
  const MEMIMG& mem = ImageOf(graphic);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      EXPECT_EQ(PixelAt(mem, x, y), Packed(mem, color(x, y))) << x << "," << y;
    }
  }
  ASSERT_EQ(mem.run_table_flag, 1);
  EXPECT_EQ(RunRow(mem, 0), (std::vector<uint8_t>{0x01, 0x41, 0xC0}));
  EXPECT_EQ(RunRow(mem, 1), (std::vector<uint8_t>{0x43, 0xC0}));
  ReleaseGraphImage(&image);
}

// A palette image learns its transparent index after the pixels went in;
// its runs are written again with that index, so a keyed draw leaves the
// key colour out.
TEST_F(GraphicFromImageTest, PaletteImageRunsUseTheTransparentIndex) {
  struct Case {
    const char* name;
    std::vector<uint32_t> palette;
    uint32_t transparent_value;
    std::vector<uint8_t> runs;
  };
  const Case cases[] = {
      {"KeyAtIndexThree", {0x0A141E, 0xC80000, 0x00FF00, kKey}, 3, {0x40, 0x01, 0x40, 0xC0}},
      // Without the key colour in the palette no index is transparent:
      // index 0 is an ordinary colour.
      {"NoKeyInPalette", {0x0A141E, 0xC80000, 0x00FF00, 0x123456}, 65535, {0x43, 0xC0}},
  };
  TransparentColor = kKey;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GraphImage image = MakePaletteImage({0, 3, 3, 1}, c.palette);
    const int32_t graphic = MakeGraphicFromImage(&image, nullptr, 1, 0, 0);
    ASSERT_NE(graphic, -1);
    EXPECT_EQ(GetGraphicRecord(graphic)->settings.palette_flag, 1);
    const MEMIMG& mem = ImageOf(graphic);
    ASSERT_EQ(mem.palette_flag, 1);
    EXPECT_EQ(PixelAt(mem, 1, 0), 3u);
    EXPECT_EQ(mem.palette->entries16[1], Packed(mem, 0xC80000) & 0xFFFF);
    EXPECT_EQ(mem.transparent_value, c.transparent_value);
    ASSERT_EQ(mem.run_table_flag, 1);
    EXPECT_EQ(RunRow(mem, 0), c.runs);
    DeleteGraphicHandle(graphic, 0);
    ReleaseGraphImage(&image);
  }
}

TEST_F(GraphicFromImageTest, AlphaImageMustMatchInSize) {
  GraphImage image = MakeRgbImage(8, 8, ColorOfPlace);
  GraphImage small_alpha = MakeRgbImage(8, 7, ColorOfPlace);
  EXPECT_EQ(MakeGraphicFromImage(&image, &small_alpha, 1, 0, 0), -1);
  EXPECT_EQ(GraphicTable.live_count, 0);

  GraphImage alpha = MakeRgbImage(8, 8, [](int32_t x, int32_t) -> uint32_t {
    return x < 4 ? 0x000000 : 0x0000FF;  // alpha from the blue channel
  });
  const int32_t graphic = MakeGraphicFromImage(&image, &alpha, 1, 0, 0);
  ASSERT_NE(graphic, -1);
  EXPECT_EQ(GetGraphicRecord(graphic)->settings.AlphaChFlag, 1);
  const MEMIMG& mem = ImageOf(graphic);
  ASSERT_EQ(mem.alpha_flag, 1);
  EXPECT_EQ((PixelAt(mem, 0, 0) >> 16) & 0xFF, 0u);
  EXPECT_EQ((PixelAt(mem, 7, 0) >> 16) & 0xFF, 255u);
  ReleaseGraphImage(&image);
  ReleaseGraphImage(&small_alpha);
  ReleaseGraphImage(&alpha);
}

// Mirrored for the fill only: the graphic holds the mirrored picture and the
// caller gets its image back as it was.
TEST_F(GraphicFromImageTest, MirrorHereFillsMirroredAndPutsTheImageBack) {
  GraphImage image = MakeRgbImage(6, 2, ColorOfPlace);
  const int32_t graphic = MakeGraphicFromImage(&image, nullptr, 1, 1, 1);
  ASSERT_NE(graphic, -1);
  const MEMIMG& mem = ImageOf(graphic);
  for (int32_t x = 0; x < 6; ++x) {
    EXPECT_EQ(PixelAt(mem, x, 1), Packed(mem, ColorOfPlace(5 - x, 1))) << x;
    EXPECT_EQ(GetGraphImagePixelArgb(&image, x, 1) & 0xFFFFFF, ColorOfPlace(x, 1)) << x;
  }
  // The reverse flag alone does not mirror.
  const int32_t plain = MakeGraphicFromImage(&image, nullptr, 1, 1, 0);
  EXPECT_EQ(PixelAt(ImageOf(plain), 0, 0), Packed(mem, ColorOfPlace(0, 0)));
  ReleaseGraphImage(&image);
}

// ---------------------------------------------------------------------------
// Division into cells.

TEST_F(GraphicFromImageTest, CellsShareOnePictureInRowOrder) {
  GraphImage sheet = MakeRgbImage(128, 64, ColorOfPlace);
  struct Case {
    const char* name;
    int32_t total;
    int32_t reverse;
    int32_t first_x;
    int32_t step_x;
  };
  const Case cases[] = {
      {"LeftToRight", 8, 0, 0, 32},
      {"FromTheRight", 8, 1, 96, -32},
      // More cells asked for than the grid holds: the grid's cells only.
      {"TotalAboveGrid", 11, 0, 0, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int32_t> handles(12, -7);
    ASSERT_EQ(CreateDivGraphFromGraphImage(&sheet, nullptr, c.total, 4, 2, 32, 32,
                                           handles.data(), 1, c.reverse),
              0);
    EXPECT_EQ(GraphicTable.live_count, 8) << "the whole graphic is gone, the cells stay";
    for (int i = 8; i < 12; ++i) EXPECT_EQ(handles[i], -7) << "untouched " << i;
    const int32_t data = Surface2DOf(handles[0])->surface_data;
    EXPECT_EQ(GetSurfaceDataRecord(data)->ref_count, 8);
    for (int i = 0; i < 8; ++i) {
      const GraphicRecord* const cell = GetGraphicRecord(handles[i]);
      ASSERT_NE(cell, nullptr) << i;
      const int32_t x = c.first_x + (i % 4) * c.step_x;
      const int32_t y = (i / 4) * 32;
      EXPECT_EQ(cell->offset_x, x) << i;
      EXPECT_EQ(cell->offset_y, y) << i;
      EXPECT_EQ(cell->width, 32);
      const Surface2DRecord* const surface = Surface2DOf(handles[i]);
      EXPECT_EQ(surface->surface_data, data);
      const MEMIMG& mem = GetSurfaceDataRecord(data)->image;
      EXPECT_EQ(PixelAt(mem, surface->data_x + 1, surface->data_y + 2),
                Packed(mem, ColorOfPlace(x + 1, y + 2)))
          << i;
    }
    for (int i = 0; i < 8; ++i) DeleteGraphicHandle(handles[i], 0);
    EXPECT_EQ(SurfaceDataTable.live_count, 0);
  }
  ReleaseGraphImage(&sheet);
}

TEST_F(GraphicFromImageTest, DivisionWithoutCellsOrWithACellOutsideLeavesNothing) {
  GraphImage sheet = MakeRgbImage(128, 64, ColorOfPlace);
  std::vector<int32_t> handles(10, -7);
  EXPECT_EQ(CreateDivGraphFromGraphImage(&sheet, nullptr, 0, 4, 2, 32, 32, handles.data(), 1, 0),
            0);
  EXPECT_EQ(GraphicTable.live_count, 0);
  EXPECT_EQ(handles[0], -7);

  // The fifth cell of a row would start at the sheet's right edge.
  LogCapture log;
  EXPECT_EQ(CreateDivGraphFromGraphImage(&sheet, nullptr, 10, 5, 2, 32, 32, handles.data(), 1, 0),
            -1);
  EXPECT_NE(log.text().find("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage"),
            std::string::npos);
  EXPECT_EQ(GraphicTable.live_count, 0);
  EXPECT_EQ(SurfaceDataTable.live_count, 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(handles[i], -1) << "no deleted cell is handed out";
  ReleaseGraphImage(&sheet);
}

// ---------------------------------------------------------------------------
// Filling a graphic that shares its pixels.

// Counts the pixels of the rectangle that hold `value`.
int CountPixels(const MEMIMG& image, RECT r, uint32_t value) {
  int count = 0;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    for (int32_t x = r.left; x < r.right; ++x) count += PixelAt(image, x, y) == value ? 1 : 0;
  }
  return count;
}

// A cell takes only its own rectangle of the shared picture: its neighbour's
// pixels are never written, whatever size of image or place is given.
TEST_F(GraphicFromImageTest, FillingACellStaysInsideIt) {
  const int32_t sheet = MakeEmptyGraphic(64, 32, 1);
  const int32_t left = DeriveGraphic(0, 0, 32, 32, sheet);
  const int32_t right = DeriveGraphic(32, 0, 32, 32, sheet);
  GraphImage red = MakeRgbImage(64, 64, [](int32_t, int32_t) -> uint32_t { return 0xFF0000; });
  const MEMIMG& mem = ImageOf(sheet);
  const uint32_t packed_red = Packed(mem, 0xFF0000);

  // A part placed at (20, 20) of the left cell: only its 12 x 12 corner.
  const RECT part = {0, 0, 40, 40};
  ASSERT_EQ(UploadImageToSurfaces2D(&red, nullptr, &part, 20, 20, left), 0);
  EXPECT_EQ(CountPixels(mem, RECT{0, 0, 64, 32}, packed_red), 12 * 12);
  EXPECT_EQ(CountPixels(mem, RECT{20, 20, 32, 32}, packed_red), 12 * 12);

  // The whole (larger) image into the left cell fills the left cell only.
  ASSERT_EQ(DrawImageToGraphicSurfaces2D(&red, nullptr, 0, 0, left), 0);
  EXPECT_EQ(CountPixels(mem, RECT{0, 0, 32, 32}, packed_red), 32 * 32);
  EXPECT_EQ(CountPixels(mem, RECT{32, 0, 64, 32}, packed_red), 0);

  // An image place past the image's edge gives what lies inside it.
  ASSERT_EQ(DrawImageToGraphicSurfaces2D(&red, nullptr, 48, 48, right), 0);
  EXPECT_EQ(CountPixels(mem, RECT{32, 0, 64, 32}, packed_red), 16 * 16);

  // While drawing is held back nothing is written.
  DrawInhibitFlag = 1;
  EXPECT_EQ(DrawImageToGraphicSurfaces2D(&red, nullptr, 0, 0, right), 0);
  DrawInhibitFlag = 0;
  EXPECT_EQ(CountPixels(mem, RECT{32, 0, 64, 32}, packed_red), 16 * 16);
  EXPECT_EQ(DrawImageToGraphicSurfaces2D(&red, nullptr, 0, 0, right + 1), -1);
  ReleaseGraphImage(&red);
}

// A rectangle of an image placed at (x, y) of a graphic: the part that lies
// inside both the image and the graphic is written, and nothing else.
TEST_F(GraphicFromImageTest, PlacedRectangleWritesOnlyWhereItLandsInTheGraphic) {
  struct Case {
    const char* name;
    RECT source;
    int32_t x, y;
    RECT written;  // in the graphic
  };
  const Case cases[] = {
      {"inside", {5, 3, 15, 9}, 2, 1, {2, 1, 12, 7}},
      {"over the top-left edges", {0, 0, 10, 10}, -4, -2, {0, 0, 6, 8}},
      {"over the bottom-right edges", {0, 0, 20, 20}, 28, 26, {28, 26, 32, 32}},
      {"partly outside the image", {60, 58, 80, 80}, 0, 0, {0, 0, 4, 6}},
      {"wholly outside the graphic", {0, 0, 8, 8}, 32, 0, {0, 0, 0, 0}},
  };
  GraphImage image = MakeRgbImage(64, 64, ColorOfPlace);
  const int32_t graphic = MakeEmptyGraphic(32, 32, 1);
  ASSERT_GE(graphic, 0);
  MEMIMG& mem = SurfaceDataOf(graphic)->image;
  const uint32_t blue = Packed(mem, 0x0000FF);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FillMemImage(&mem, nullptr, blue);
    ASSERT_EQ(UploadImageToSurfaces2D(&image, nullptr, &c.source, c.x, c.y, graphic), 0);
    for (int32_t y = 0; y < 32; ++y)
      for (int32_t x = 0; x < 32; ++x) {
        const bool inside = x >= c.written.left && x < c.written.right && y >= c.written.top &&
                            y < c.written.bottom;
        const uint32_t want =
            inside ? Packed(mem, ColorOfPlace(c.source.left + x - c.x, c.source.top + y - c.y))
                   : blue;
        ASSERT_EQ(PixelAt(mem, x, y), want) << x << ", " << y;
      }
  }

  const RECT whole{0, 0, 64, 64};
  EXPECT_EQ(UploadImageToSurfaces2D(&image, nullptr, &whole, 0, 0, graphic + 1), -1);
  // Neither DirectDraw nor drawing in software: no surface can be written.
  Screen.HardwareAccelOff = 0;
  EXPECT_EQ(UploadImageToSurfaces2D(&image, nullptr, &whole, 0, 0, graphic), -1);
  Screen.HardwareAccelOff = 1;
  ReleaseGraphImage(&image);
}

// ---------------------------------------------------------------------------
// Reading image files.

TEST_F(GraphicFromImageTest, ReadImageFileFailsCleanly) {
  GraphImage image{};
  image.width = 99;
  EXPECT_EQ(ReadImageFile("no/such/folder/picture.png", nullptr, 0, 0, 0, &image), -1);
  const uint8_t nothing_known[16] = {};
  EXPECT_EQ(ReadImageFile(nullptr, nothing_known, sizeof(nothing_known), 1, 1, &image), -1);
  EXPECT_EQ(image.width, 99) << "a failed read hands out nothing";
}

}  // namespace
