#include "runtime/softrender/triangle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/runtime/softrender/render_fixture.h"
#include "tests/runtime/softrender/triangle_reference.h"

namespace {

using namespace render_test;

class TriangleTest : public RenderTest {};

void FillRandom(std::mt19937& rng, Image& image, bool bytes = false) {
  for (int y = 0; y < image.get()->height; ++y) {
    for (int x = 0; x < image.get()->width; ++x) {
      image.set(x, y, bytes ? EdgyByte(rng) : EdgyWord(rng));
    }
  }
}

// A random triangle over a destination of w x h: mostly inside or hanging
// over an edge, now and then wholly outside, degenerate (on one line, in one
// row), with shared coordinates, or with texels reaching outside the source.
void RandomTriangle(std::mt19937& rng, int w, int h, int sw, int sh, TriangleVertex v[3]) {
  auto coord = [&](int size) { return static_cast<int>(rng() % (size + 16)) - 8; };
  for (int i = 0; i < 3; ++i) {
    v[i] = {coord(w), coord(h), static_cast<int>(rng() % (sw + 4)) - 2,
            static_cast<int>(rng() % (sh + 4)) - 2};
  }
  switch (rng() % 10) {
    case 0:  // on one line
      v[2].x = v[0].x + 2 * (v[1].x - v[0].x);
      v[2].y = v[0].y + 2 * (v[1].y - v[0].y);
      break;
    case 1:  // one row
      v[1].y = v[2].y = v[0].y;
      break;
    case 2:  // flat top or bottom, ties in x
      v[1].y = v[0].y;
      if (rng() % 2) v[2].x = v[0].x;
      break;
    case 3:  // wholly outside
      for (int i = 0; i < 3; ++i) v[i].x += w + 9;
      break;
    case 4:  // far above the top, reaching in
      v[0].y = -40 - static_cast<int>(rng() % 30);
      break;
    case 5:  // a large one around the whole destination
      v[0] = {-30, -20, 0, 0};
      v[1] = {w + 40, h / 2, sw, 0};
      v[2] = {w / 3, h + 35, 0, sh};
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// The real spans against the model, on seeded random triangles.

TEST_F(TriangleTest, EveryFamilyModeAndVariantMatchesTheModel) {
  const SourceKind kinds[] = {
      {"32-bit indexed", 1, 1, 0, false},      {"32-bit direct", 1, 0, 0, false},
      {"32-bit direct alpha", 1, 0, 1, false}, {"16-bit indexed", 0, 1, 0, false},
      {"16-bit direct", 0, 0, 0, false},       {"16-bit direct alpha", 0, 0, 1, false},
  };
  const int params[] = {0, 1, 128, 254, 255};
  const uint32_t brightnesses[] = {0xFFFFFF, 0x80FF40, 0xFFFFFE};
  constexpr int kDestW = 37, kDestH = 29;
  uint32_t seed = 5000;
  int failures = 0;
  for (const SourceKind& k : kinds) {
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t brightness : brightnesses) {
          for (int transparent : {0, 1}) {
            for (bool blend : {false, true}) {
              std::mt19937 rng(++seed);
              const int sw = 1 + static_cast<int>(rng() % 12);
              const int sh = 1 + static_cast<int>(rng() % 9);
              Image src(sw, sh, k.kind, k.palette, k.alpha);
              FillSource(rng, src, k);
              // Indexed keys mostly within a byte: above 255 none matches.
              if (k.palette && rng() % 4 != 0) src.get()->transparent_value &= 0xFF;
              Image dst(kDestW, kDestH, k.kind, 0, 0);
              FillRandom(rng, dst);
              Image blend_image(sw + static_cast<int>(rng() % 3), sh + static_cast<int>(rng() % 3),
                                2, 0, 0);
              FillRandom(rng, blend_image, true);
              BuildBlendGraphicTable(static_cast<int>(rng() & 255), static_cast<int>(rng() & 255));
              blit_reference::Settings s;
              s.mode = mode;
              s.param = param;
              s.brightness = brightness;
              s.mmx = true;
              s.draw_area = {static_cast<int>(rng() % 6), static_cast<int>(rng() % 5),
                             kDestW - static_cast<int>(rng() % 6),
                             kDestH - static_cast<int>(rng() % 5)};
              Apply(s);
              const MEMIMG* b = blend ? blend_image.get() : nullptr;
              for (int n = 0; n < 4; ++n) {
                TriangleVertex v[3];
                RandomTriangle(rng, kDestW, kDestH, sw, sh, v);
                const std::string diff = CompareWithModel(
                    dst,
                    [&] { RasterizeMemImageTriangle(dst.get(), src.get(), v, transparent, b, 0); },
                    [&] {
                      blit_reference::Triangle(dst.get(), src.get(), v, transparent, b, 0, s);
                    });
                if (!diff.empty()) {
                  ADD_FAILURE() << k.name << " mode=" << mode << " param=" << param
                                << " brightness=" << std::hex << brightness << std::dec
                                << " transparent=" << transparent << " blend=" << blend
                                << " source " << sw << "x" << sh << " vertices (" << v[0].x << ","
                                << v[0].y << " " << v[0].u << "," << v[0].v << ") (" << v[1].x
                                << "," << v[1].y << " " << v[1].u << "," << v[1].v << ") ("
                                << v[2].x << "," << v[2].y << " " << v[2].u << "," << v[2].v
                                << ") seed=" << seed << ": " << diff;
                  if (++failures >= 20) return;
                }
              }
            }
          }
        }
      }
    }
  }
}

TEST_F(TriangleTest, FlatColourMatchesTheModel) {
  const int params[] = {0, 1, 128, 254, 255};
  const uint32_t brightnesses[] = {0xFFFFFF, 0x80FF40, 0x000000};
  constexpr int kDestW = 41, kDestH = 23;
  uint32_t seed = 9000;
  int failures = 0;
  for (int kind : {0, 1}) {
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t brightness : brightnesses) {
          std::mt19937 rng(++seed);
          Image dst(kDestW, kDestH, kind, 0, 0);
          FillRandom(rng, dst);
          blit_reference::Settings s{
              mode,
              param,
              brightness,
              false,
              {static_cast<int>(rng() % 6), static_cast<int>(rng() % 5),
               kDestW - static_cast<int>(rng() % 6), kDestH - static_cast<int>(rng() % 5)}};
          Apply(s);
          for (int n = 0; n < 6; ++n) {
            TriangleVertex v[3];
            RandomTriangle(rng, kDestW, kDestH, 1, 1, v);
            const uint32_t color = kind == 1 ? EdgyWord(rng) : (EdgyWord(rng) & 0xFFFF);
            const std::string diff = CompareWithModel(
                dst, [&] { RasterizeMemImageTriangle(dst.get(), nullptr, v, 0, nullptr, color); },
                [&] { blit_reference::Triangle(dst.get(), nullptr, v, 0, nullptr, color, s); });
            if (!diff.empty()) {
              ADD_FAILURE() << "kind=" << kind << " mode=" << mode << " param=" << param
                            << " brightness=" << std::hex << brightness << " colour=" << color
                            << std::dec << " vertices (" << v[0].x << "," << v[0].y << ") ("
                            << v[1].x << "," << v[1].y << ") (" << v[2].x << "," << v[2].y
                            << ") seed=" << seed << ": " << diff;
              if (++failures >= 20) return;
            }
          }
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Which pixels a triangle covers.

// The rows a flat triangle draws into a 32-bit image of zeros (area: the
// whole image), each as the list of its pixels' blue values: drawn with the
// full-strength add of blue 1, a pixel shows how often it was drawn.
std::vector<std::vector<int>> Coverage(const TriangleVertex v[3], int w, int h) {
  Image dst(w, h, 1, 0, 0);
  Apply({2, 255, 0xFFFFFF, false, {0, 0, w, h}});
  RasterizeMemImageTriangle(dst.get(), nullptr, v, 0, nullptr, 0x000001);
  std::vector<std::vector<int>> rows;
  for (int y = 0; y < h; ++y) {
    std::vector<int> row;
    for (int x = 0; x < w; ++x) row.push_back(static_cast<int>(dst.pixel(x, y) & 0xFF));
    rows.push_back(row);
  }
  return rows;
}

TEST_F(TriangleTest, RowsAndSpansOfHandWorkedTriangles) {
  struct Case {
    const char* name;
    TriangleVertex v[3];
    std::vector<std::vector<int>> rows;  // of a 7 x 7 image
  };
  const std::vector<int> empty(7, 0);
  const Case cases[] = {
      {"right angle at the origin: 5, 4, 3, 2 pixels from column 0, not the last row",
       {{0, 0, 0, 0}, {4, 0, 0, 0}, {0, 4, 0, 0}},
       {{1, 1, 1, 1, 1, 0, 0},
        {1, 1, 1, 1, 0, 0, 0},
        {1, 1, 1, 0, 0, 0, 0},
        {1, 1, 0, 0, 0, 0, 0},
        empty,
        empty,
        empty}},
      {"the same vertices in another order",
       {{0, 4, 0, 0}, {0, 0, 0, 0}, {4, 0, 0, 0}},
       {{1, 1, 1, 1, 1, 0, 0},
        {1, 1, 1, 1, 0, 0, 0},
        {1, 1, 1, 0, 0, 0, 0},
        {1, 1, 0, 0, 0, 0, 0},
        empty,
        empty,
        empty}},
      {"one row high: the top row only",
       {{1, 5, 0, 0}, {5, 5, 0, 0}, {3, 6, 0, 0}},
       {empty, empty, empty, empty, empty, {0, 1, 1, 1, 1, 1, 0}, empty}},
      {"all in one row: nothing",
       {{0, 2, 0, 0}, {3, 2, 0, 0}, {6, 2, 0, 0}},
       {empty, empty, empty, empty, empty, empty, empty}},
      {"on one slanted line: nothing",
       {{0, 0, 0, 0}, {2, 1, 0, 0}, {6, 3, 0, 0}},
       {empty, empty, empty, empty, empty, empty, empty}},
  };
  for (const Case& c : cases) EXPECT_EQ(Coverage(c.v, 7, 7), c.rows) << c.name;
}

TEST_F(TriangleTest, ATopVertexAboveRowZeroStartsOneRowLower) {
  // Vertices (2, -3), (0, 1), (5, 6): the walk starts on row -2 and its left
  // side bends at the middle vertex, whose row it then draws a second time;
  // rows 0 to 5 are drawn and row 6 is not.
  const TriangleVertex v[3] = {{2, -3, 0, 0}, {0, 1, 0, 0}, {5, 6, 0, 0}};
  const auto rows = Coverage(v, 8, 8);
  for (int y = 0; y < 8; ++y) {
    int drawn = 0, twice = 0;
    for (int n : rows[y]) {
      drawn += n > 0;
      twice += n > 1;
    }
    EXPECT_EQ(drawn > 0, y <= 5) << "row " << y;
    EXPECT_EQ(twice > 0, y == 1) << "row " << y;
  }
  // The same triangle moved wholly below row 0 draws its own rows 1 to 9
  // once each, not its bottom vertex's row 10.
  const TriangleVertex low[3] = {{2, 1, 0, 0}, {0, 5, 0, 0}, {5, 10, 0, 0}};
  const auto low_rows = Coverage(low, 8, 12);
  for (int y = 0; y < 12; ++y) {
    int drawn = 0, twice = 0;
    for (int n : low_rows[y]) {
      drawn += n > 0;
      twice += n > 1;
    }
    EXPECT_EQ(drawn > 0, y >= 1 && y <= 9) << "row " << y;
    EXPECT_EQ(twice, 0) << "row " << y;
  }
}

TEST_F(TriangleTest, CoversPixelsWellInsideAndNoneWellOutside) {
  // Independent of how the edges are walked: on seeded random triangles
  // inside the image, every pixel whose centre lies more than 1.5 pixels
  // inside all three edges is drawn once, and none whose centre lies more
  // than 1.5 pixels outside one of them is drawn.
  std::mt19937 rng(77);
  constexpr int W = 48, H = 40;
  for (int n = 0; n < 300; ++n) {
    TriangleVertex v[3];
    for (auto& p : v) p = {static_cast<int>(rng() % W), static_cast<int>(rng() % H), 0, 0};
    const double area2 =
        double(v[1].x - v[0].x) * (v[2].y - v[0].y) - double(v[2].x - v[0].x) * (v[1].y - v[0].y);
    if (area2 == 0) continue;
    const auto rows = Coverage(v, W, H);
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        // Signed distance of the pixel centre (x + 0.5, y + 0.5) from each
        // edge, positive inside; vertex i sits at the centre of its pixel.
        double inside = 1e9;
        for (int e = 0; e < 3; ++e) {
          const TriangleVertex& a = v[e];
          const TriangleVertex& b = v[(e + 1) % 3];
          const double ex = b.x - a.x, ey = b.y - a.y;
          const double cross = ex * (y - a.y) - ey * (x - a.x);
          const double d = (area2 > 0 ? cross : -cross) / std::hypot(ex, ey);
          inside = std::min(inside, d);
        }
        if (inside > 1.5) {
          ASSERT_EQ(rows[y][x], 1) << "pixel " << x << "," << y << " of triangle " << n;
        } else if (inside < -1.5) {
          ASSERT_EQ(rows[y][x], 0) << "pixel " << x << "," << y << " of triangle " << n;
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Clipping and texels.

TEST_F(TriangleTest, ClippingKeepsEachVisiblePixelAndItsTexel) {
  // Drawn whole and drawn with a smaller draw area, a textured triangle shows
  // the same pixels inside that area, and nothing outside it.
  std::mt19937 rng(31);
  for (int n = 0; n < 60; ++n) {
    const int kind = static_cast<int>(rng() % 2);
    Image src(9, 7, kind, 0, 0);
    FillRandom(rng, src);
    Image whole(30, 24, kind, 0, 0);
    Image cut(30, 24, kind, 0, 0);
    TriangleVertex v[3];
    RandomTriangle(rng, 30, 24, 9, 7, v);
    const RECT area = {static_cast<int>(rng() % 15), static_cast<int>(rng() % 12),
                       15 + static_cast<int>(rng() % 16), 12 + static_cast<int>(rng() % 13)};
    Apply({0, 0, 0xFFFFFF, false, {0, 0, 30, 24}});
    RasterizeMemImageTriangle(whole.get(), src.get(), v, 0, nullptr, 0);
    Apply({0, 0, 0xFFFFFF, false, area});
    RasterizeMemImageTriangle(cut.get(), src.get(), v, 0, nullptr, 0);
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 30; ++x) {
        const bool in = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
        ASSERT_EQ(cut.pixel(x, y), in ? whole.pixel(x, y) : 0u)
            << "pixel " << x << "," << y << " of triangle " << n;
      }
    }
  }
}

TEST_F(TriangleTest, TexelsOutsideTheSourceLeaveThePixel) {
  // Row 0 of a flat-top triangle spans x 0 to 8 with u = x - 2 over a
  // source 4 wide: x 2 to 5 show texels 0 to 3, the rest stays.
  Image src(4, 4, 1, 0, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) src.set(x, y, 0x100 + static_cast<uint32_t>(x));
  }
  Image dst(9, 1, 1, 0, 0);
  for (int x = 0; x < 9; ++x) dst.set(x, 0, 0xAA);
  Apply({0, 0, 0xFFFFFF, false, {0, 0, 9, 1}});
  const TriangleVertex v[3] = {{0, 0, -2, 0}, {8, 0, 6, 0}, {0, 8, -2, 8}};
  RasterizeMemImageTriangle(dst.get(), src.get(), v, 0, nullptr, 0);
  const uint32_t expected[9] = {0xAA, 0xAA, 0x100, 0x101, 0x102, 0x103, 0xAA, 0xAA, 0xAA};
  for (int x = 0; x < 9; ++x) EXPECT_EQ(dst.pixel(x, 0), expected[x]) << "x " << x;
}

// ---------------------------------------------------------------------------
// Hand-worked pixels: a triangle whose every texel is (0, 0) of a one-pixel
// source, covering pixel (0, 0).

struct GoldenCase {
  const char* name;
  int kind, palette, alpha;  // alpha -1: no source, a flat triangle of `src`
  int mode, param;
  uint32_t brightness;
  int transparent;
  int weight;  // BlendGraphicTable value of the blend byte, -1 without blend image
  uint32_t key;
  uint32_t src;  // the texel, or palette entry 0 for an indexed source, or the flat colour
  uint32_t dst;
  uint32_t expected;
};

TEST_F(TriangleTest, HandWorkedPixels) {
  const uint32_t W = 0xFFFFFF;
  const uint32_t kGreen = 1u << 5, kRed = 1u << 11;
  const GoldenCase cases[] = {
      // Indexed onto 32-bit.
      {"32 indexed plain copy writes the fourth byte", 1, 1, 0, 0, 0, W, 0, -1, 0x100, 0x12345678,
       0xFF000000, 0x12345678},
      {"32 indexed tinted keeps the fourth byte", 1, 1, 0, 0, 0, 0x808080, 0, -1, 0x100, 0x12FFFFFF,
       0x77000000, 0x77808080},
      {"32 indexed: a key above 255 never matches", 1, 1, 0, 0, 0, W, 1, -1, 0x100, 0x00ABCDEF, 0,
       0x00ABCDEF},
      {"32 indexed: the key skips the texel", 1, 1, 0, 0, 0, W, 1, -1, 0, 0x00ABCDEF, 0x42, 0x42},
      {"32 indexed: the key is drawn without the flag", 1, 1, 0, 0, 0, W, 0, -1, 0, 0x00ABCDEF,
       0x42, 0x00ABCDEF},
      {"32 indexed subtract of zero sets green's and red's low bit, clears the fourth byte", 1, 1,
       0, 3, 0, W, 0, -1, 0x100, 0x00000000, 0x80402010, 0x00412110},
      {"32 indexed multiply by blend weight 0 is black", 1, 1, 0, 4, 0, W, 0, 0, 0x100, 0x00FFFFFF,
       0x11808080, 0x11000000},
      {"32 indexed blend weight 255: s - 1 above d, s below", 1, 1, 0, 0, 0, W, 0, 255, 0x100,
       0x00C81400, 0x00649664, 0x00C71400},
      // 32-bit source.
      {"32 direct: the key must match all four bytes", 1, 0, 0, 0, 0, W, 1, -1, 0x00123456,
       0x01123456, 0, 0x01123456},
      {"32 direct subtract at 0 draws nothing", 1, 0, 0, 3, 0, W, 0, -1, 0, 0x00FFFFFF, 0x12345678,
       0x12345678},
      {"32 alpha 0 under the flag is skipped", 1, 0, 1, 0, 0, W, 1, -1, 0, 0x00FFFFFF, 0x12345678,
       0x12345678},
      {"32 alpha 0 under the flag still multiplies, to black", 1, 0, 1, 4, 0, W, 1, -1, 0,
       0x00FFFFFF, 0x12345678, 0x12000000},
      {"32 alpha 0 without the flag multiplies to black", 1, 0, 1, 4, 0, W, 0, -1, 0, 0x00FFFFFF,
       0x12345678, 0x12000000},
      {"32 alpha 255 under the flag multiplies plainly", 1, 0, 1, 4, 0, W, 1, -1, 0, 0xFF808080,
       0x00404040, 0x00202020},
      {"32 alpha 255 under the flag is copied whole", 1, 0, 1, 0, 0, W, 1, -1, 0, 0xFFABCDEF,
       0x12345678, 0xFFABCDEF},
      {"32 alpha 255 without the flag is weighed: s - 1 above d", 1, 0, 1, 0, 0, W, 0, -1, 0,
       0xFFFFFFFF, 0x12000000, 0x12FEFEFE},
      // Indexed onto 16-bit.
      {"16 indexed alpha blend rounds toward zero down", 0, 1, 0, 1, 128, W, 0, -1, 0x100, 0,
       10u << 11, 5u << 11},
      {"16 indexed alpha blend rounds toward zero up", 0, 1, 0, 1, 128, W, 0, -1, 0x100, 10, 0, 5},
      {"16 indexed add: blue 20 and 20 saturate at 31, the carry into green's low bit", 0, 1, 0, 2,
       255, W, 0, -1, 0x100, 20, 20, 31 | kGreen},
      {"16 indexed add: red 1 and 1 stay 1", 0, 1, 0, 2, 255, W, 0, -1, 0x100, kRed, kRed, kRed},
      {"16 indexed subtract of zero clears bit 5 and sets bit 11", 0, 1, 0, 3, 0, W, 0, -1, 0x100,
       0, kGreen, kRed},
      {"16 indexed subtract under blend weight 0 clears bit 5, sets bit 11", 0, 1, 0, 3, 255, W, 0,
       0, 0x100, 0xFFFF, kGreen, kRed},
      {"16 indexed multiply by blend weight 0 is black", 0, 1, 0, 4, 0, W, 0, 0, 0x100, 0xFFFF,
       0xFFFF, 0},
      {"16 indexed blend weight 255 gives d + (s - d) x 255 / 256", 0, 1, 0, 0, 0, W, 0, 255, 0x100,
       31, 0, 30},
      {"16 indexed brightness blue 254 makes 31 into 30", 0, 1, 0, 0, 0, 0xFFFFFE, 0, -1, 0x100,
       0xFFFF, 0, 0xFFFE},
      // 16-bit source.
      {"16 direct: the key skips the texel", 0, 0, 0, 0, 0, W, 1, -1, 0x1234, 0x1234, 7, 7},
      {"16 direct: the key is drawn without the flag", 0, 0, 0, 0, 0, W, 0, -1, 0x1234, 0x1234, 7,
       0x1234},
      {"16 direct subtract at 0 draws nothing", 0, 0, 0, 3, 0, W, 0, -1, 0, 0xFFFF, 0x1234, 0x1234},
      {"16 alpha 255 under the flag copies the colour word", 0, 0, 1, 0, 0, W, 1, -1, 0, 0xFF1234,
       0xFFFF, 0x1234},
      {"16 alpha 255 without the flag is weighed", 0, 0, 1, 0, 0, W, 0, -1, 0, 0xFFFFFF, 0, 0xF7DE},
      {"16 alpha 0 without the flag leaves the pixel in mode 1", 0, 0, 1, 1, 100, W, 0, -1, 0,
       0x00FFFF, 0x1234, 0x1234},
      {"16 alpha 0 without the flag subtracts zero", 0, 0, 1, 3, 255, W, 0, -1, 0, 0x00FFFF, kGreen,
       kRed},
      {"16 alpha 0 under the flag still multiplies, to black", 0, 0, 1, 4, 0, W, 1, -1, 0, 0x00FFFF,
       0xFFFF, 0},
      // Flat colour.
      {"32 flat mode 0 writes the fourth byte", 1, 0, -1, 0, 0, W, 0, -1, 0, 0x11223344, 0xFF000000,
       0x11223344},
      {"32 flat alpha blend keeps the fourth byte", 1, 0, -1, 1, 128, W, 0, -1, 0, 0x00000000,
       0x770000FF, 0x7700007F},
      {"32 flat multiply keeps the fourth byte", 1, 0, -1, 4, 0, W, 0, -1, 0, 0x00808080,
       0x77404040, 0x77202020},
      {"32 flat alpha blend at 0 leaves the pixel", 1, 0, -1, 1, 0, W, 0, -1, 0, 0x00FFFFFF,
       0x12345678, 0x12345678},
      {"32 flat alpha blend at 255 is mode 0", 1, 0, -1, 1, 255, W, 0, -1, 0, 0x11FFFFFF,
       0x12345678, 0x11FFFFFF},
      {"32 flat brightness divides by 255: 255 at 128 gives 128", 1, 0, -1, 0, 0, 0x808080, 0, -1,
       0, 0x00FFFFFF, 0, 0x00808080},
      {"16 flat brightness divides by 255: green 63 at 128 gives 31", 0, 0, -1, 0, 0, 0x808080, 0,
       -1, 0, 63u << 5, 0, 31u << 5},
  };
  for (const GoldenCase& c : cases) {
    const bool flat = c.alpha < 0;
    Image src(1, 1, c.kind, c.palette, flat ? 0 : c.alpha);
    Image dst(2, 2, c.kind, 0, 0);
    Image blend(1, 1, 2, 0, 0);
    src.get()->transparent_value = c.key;
    if (c.palette) {
      if (c.kind == 1) {
        src.get()->palette->entries32[0] = c.src;
      } else {
        src.get()->palette->entries16[0] = static_cast<uint16_t>(c.src);
      }
    } else {
      src.set(0, 0, c.src);
    }
    dst.set(0, 0, c.dst);
    blend.set(0, 0, 9);
    if (c.weight >= 0) BlendGraphicTable[9] = static_cast<uint8_t>(c.weight);
    Apply({c.mode, c.param, c.brightness, false, {0, 0, 1, 1}});
    const TriangleVertex v[3] = {{0, 0, 0, 0}, {2, 0, 0, 0}, {0, 2, 0, 0}};
    RasterizeMemImageTriangle(dst.get(), flat ? nullptr : src.get(), v, c.transparent,
                              c.weight >= 0 ? blend.get() : nullptr, flat ? c.src : 0);
    EXPECT_EQ(dst.pixel(0, 0), c.expected) << c.name;
  }
}

// ---------------------------------------------------------------------------
// Refusals.

TEST_F(TriangleTest, RefusedDrawsLeaveTheDestination) {
  struct Case {
    const char* name;
    int dst_kind, dst_palette, dst_alpha;
    int src_kind;  // -1: flat
    int src_w;
    int blend_w;  // 0: no blend image
    int mode, param;
    TriangleVertex v[3];
    bool drawn;
  };
  const TriangleVertex ok[3] = {{1, 1, 0, 0}, {8, 2, 3, 0}, {3, 7, 0, 3}};
  auto with = [&](Case c) {
    for (int i = 0; i < 3; ++i) {
      if (c.v[i].x == 0 && c.v[i].y == 0 && c.v[i].u == 0 && c.v[i].v == 0) c.v[i] = ok[i];
    }
    return c;
  };
  const Case cases[] = {
      with({"a plain draw", 1, 0, 0, 1, 4, 0, 0, 0, {}, true}),
      with({"kinds differ", 1, 0, 0, 0, 4, 0, 0, 0, {}, false}),
      with({"destination with palette", 1, 1, 0, 1, 4, 0, 0, 0, {}, false}),
      with({"destination with alpha", 0, 0, 1, 0, 4, 0, 0, 0, {}, false}),
      with({"flat onto a palette destination", 1, 1, 0, -1, 4, 0, 0, 0, {}, false}),
      with({"destination of kind 2", 2, 0, 0, -1, 4, 0, 0, 0, {}, false}),
      with({"blend mode 5", 1, 0, 0, 1, 4, 0, 5, 128, {}, false}),
      with({"blend mode 5, flat", 0, 0, 0, -1, 4, 0, 5, 128, {}, false}),
      with({"alpha blend at 0", 1, 0, 0, 1, 4, 0, 1, 0, {}, false}),
      with({"add at 0, flat", 0, 0, 0, -1, 4, 0, 2, 0, {}, false}),
      with({"subtract at 0, flat", 1, 0, 0, -1, 4, 0, 3, 0, {}, false}),
      with({"a blend image narrower than the source", 1, 0, 0, 1, 4, 3, 0, 0, {}, false}),
      with({"a blend image as wide as the source", 1, 0, 0, 1, 4, 4, 0, 0, {}, true}),
      with({"a source 16384 wide", 1, 0, 0, 1, 16384, 0, 0, 0, {}, false}),
      with({"a vertex beyond 8191", 1, 0, 0, 1, 4, 0, 0, 0, {{8192, 1, 0, 0}}, false}),
      with({"a texel beyond -8191", 1, 0, 0, 1, 4, 0, 0, 0, {{1, 1, -8192, 0}}, false}),
      with({"a texel beyond 8191 is not read when flat",
            1,
            0,
            0,
            -1,
            4,
            0,
            0,
            0,
            {{1, 1, 9000, 0}},
            true}),
  };
  for (const Case& c : cases) {
    Image dst(10, 10, c.dst_kind, c.dst_palette, c.dst_alpha);
    Image src(c.src_w, 4, c.src_kind < 0 ? 0 : c.src_kind, 0, 0);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < std::min(c.src_w, 8); ++x) src.set(x, y, 0x5555);
    }
    Image blend(c.blend_w > 0 ? c.blend_w : 1, 4, 2, 0, 0);
    Apply({c.mode, c.param, 0xFFFFFF, false, {0, 0, 10, 10}});
    const auto before = dst.snapshot();
    RasterizeMemImageTriangle(dst.get(), c.src_kind < 0 ? nullptr : src.get(), c.v, 0,
                              c.blend_w > 0 ? blend.get() : nullptr, 0x5555);
    EXPECT_EQ(dst.snapshot() != before, c.drawn) << c.name;
  }
}

TEST_F(TriangleTest, ADrawAreaPastTheDestinationIsHeldToIt) {
  Image dst(6, 5, 1, 0, 0);
  Apply({0, 0, 0xFFFFFF, false, {-20, -20, 100, 100}});
  const TriangleVertex v[3] = {{-50, -40, 0, 0}, {90, -30, 0, 0}, {10, 80, 0, 0}};
  RasterizeMemImageTriangle(dst.get(), nullptr, v, 0, nullptr, 0x00ABCDEF);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(dst.pixel(x, y), 0x00ABCDEFu) << x << "," << y;
  }
}

TEST_F(TriangleTest, AlphaBlendAtFullStrengthEqualsThePlainDraw) {
  // For every family, mode 1 at 255 gives exactly mode 0's pixels, with and
  // without a blend image.
  const SourceKind kinds[] = {
      {"32-bit indexed", 1, 1, 0, false}, {"32-bit direct alpha", 1, 0, 1, false},
      {"16-bit indexed", 0, 1, 0, false}, {"16-bit direct", 0, 0, 0, false},
      {"flat 32", 1, 0, -1, false},       {"flat 16", 0, 0, -1, false},
  };
  std::mt19937 rng(4242);
  for (const SourceKind& k : kinds) {
    for (bool blend : {false, true}) {
      const bool flat = k.alpha < 0;
      Image src(6, 6, k.kind, k.palette, flat ? 0 : k.alpha);
      if (!flat) FillSource(rng, src, {k.name, k.kind, k.palette, k.alpha, false});
      Image blend_image(6, 6, 2, 0, 0);
      FillRandom(rng, blend_image, true);
      Image a(20, 20, k.kind, 0, 0), b(20, 20, k.kind, 0, 0);
      FillRandom(rng, a);
      b.restore(a.snapshot());
      const TriangleVertex v[3] = {{1, 2, 0, 0}, {18, 4, 6, 1}, {5, 19, 1, 6}};
      const MEMIMG* s = flat ? nullptr : src.get();
      const MEMIMG* bi = blend && !flat ? blend_image.get() : nullptr;
      Apply({0, 0, 0x80C0FF, false, {0, 0, 20, 20}});
      RasterizeMemImageTriangle(a.get(), s, v, 1, bi, 0x1234);
      Apply({1, 255, 0x80C0FF, false, {0, 0, 20, 20}});
      RasterizeMemImageTriangle(b.get(), s, v, 1, bi, 0x1234);
      EXPECT_EQ(a.snapshot(), b.snapshot()) << k.name << " blend=" << blend;
    }
  }
}

}  // namespace
