#include "runtime/softrender/stretch_blit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/softrender/blit.h"
#include "tests/runtime/softrender/render_fixture.h"

namespace {

using namespace render_test;

class StretchBlitTest : public RenderTest {};

void FillRandom(std::mt19937& rng, Image& image, bool bytes = false) {
  for (int y = 0; y < image.get()->height; ++y) {
    for (int x = 0; x < image.get()->width; ++x) {
      image.set(x, y, bytes ? EdgyByte(rng) : EdgyWord(rng));
    }
  }
}

// ---------------------------------------------------------------------------
// The real loops against the model, on seeded random images and corners.

TEST_F(StretchBlitTest, EveryFamilyModeAndVariantMatchesTheModel) {
  // The run-coded kinds reach the run code only through the hand-over of an
  // unscaled draw.
  const SourceKind kinds[] = {
      {"32-bit indexed", 1, 1, 0, false},      {"32-bit direct", 1, 0, 0, false},
      {"32-bit direct alpha", 1, 0, 1, false}, {"16-bit indexed", 0, 1, 0, false},
      {"16-bit direct", 0, 0, 0, false},       {"16-bit direct alpha", 0, 0, 1, false},
      {"run 32-bit direct alpha", 1, 0, 1, true}, {"run 16-bit indexed", 0, 1, 0, true},
  };
  const int params[] = {0, 1, 100, 128, 254, 255};
  const uint32_t brightnesses[] = {0xFFFFFF, 0x80FF40, 0x000000};
  constexpr int kDestW = 37, kDestH = 21;
  uint32_t seed = 1000;
  int failures = 0;
  for (const SourceKind& k : kinds) {
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t brightness : brightnesses) {
          for (int transparent : {0, 1, 2}) {
            for (bool blend : {false, true}) {
              for (bool mmx : {false, true}) {
                if (k.kind == 0 && mmx) continue;  // no 16-bit loop reads the flag
                std::mt19937 rng(++seed);
                const int sw = 1 + static_cast<int>(rng() % 12);
                const int sh = 1 + static_cast<int>(rng() % 7);
                Image src(sw, sh, k.kind, k.palette, k.alpha, k.run_coded);
                FillSource(rng, src, k);
                Image dst(kDestW, kDestH, k.kind, 0, 0);
                FillRandom(rng, dst);
                Image blend_image(sw + static_cast<int>(rng() % 3),
                                  sh + static_cast<int>(rng() % 3), 2, 0, 0);
                FillRandom(rng, blend_image, true);
                BuildBlendGraphicTable(static_cast<int>(rng() & 255),
                                       static_cast<int>(rng() & 255));
                // Sizes from a shrink to a three-fold enlargement, the
                // source's own size now and then, either order per axis.
                auto length = [&](int size) {
                  return rng() % 4 == 0 ? size : static_cast<int>(rng() % (3 * size + 2));
                };
                const int w = length(sw), h = length(sh);
                const int x = static_cast<int>(rng() % (kDestW + w + 4)) - w - 2;
                const int y = static_cast<int>(rng() % (kDestH + h + 4)) - h - 2;
                int32_t corners[4] = {x, y, x + w, y + h};
                if (rng() % 3 == 0) std::swap(corners[0], corners[2]);
                if (rng() % 3 == 0) std::swap(corners[1], corners[3]);
                blit_reference::Settings s;
                s.mode = mode;
                s.param = param;
                s.brightness = brightness;
                s.mmx = mmx;
                s.draw_area = {static_cast<int>(rng() % 6), static_cast<int>(rng() % 5),
                               kDestW - static_cast<int>(rng() % 6),
                               kDestH - static_cast<int>(rng() % 5)};
                Apply(s);
                const MEMIMG* b = blend ? blend_image.get() : nullptr;
                const std::string diff = CompareWithModel(
                    dst, [&] { StretchBlitMemImage(dst.get(), src.get(), corners, transparent, b); },
                    [&] { blit_reference::Stretch(dst.get(), src.get(), corners, transparent, b, s); });
                if (!diff.empty()) {
                  ADD_FAILURE() << k.name << " mode=" << mode << " param=" << param
                                << " brightness=" << std::hex << brightness << std::dec
                                << " mmx=" << mmx << " transparent=" << transparent
                                << " blend=" << blend << " source " << sw << "x" << sh
                                << " corners (" << corners[0] << "," << corners[1] << ","
                                << corners[2] << "," << corners[3] << ") seed=" << seed << ": "
                                << diff;
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

// ---------------------------------------------------------------------------
// Which source pixel each destination pixel shows.

// A one-row source whose pixel x holds x + 1, stretched into row 0 of a
// destination of zeros: the source column each destination pixel shows, -1
// where nothing was drawn.
std::vector<int> ColumnsShown(int source_width, const int32_t corners[4], RECT area, int dest_w) {
  Image src(source_width, 1, 0, 0, 0);
  for (int x = 0; x < source_width; ++x) src.set(x, 0, static_cast<uint32_t>(x + 1));
  Image dst(dest_w, 1, 0, 0, 0);
  Apply({0, 0, 0xFFFFFF, false, area});
  StretchBlitMemImage(dst.get(), src.get(), corners, 0, nullptr);
  std::vector<int> shown;
  for (int x = 0; x < dest_w; ++x) shown.push_back(static_cast<int>(dst.pixel(x, 0)) - 1);
  return shown;
}

TEST_F(StretchBlitTest, DestinationPixelsShowTheMappedSourceColumns) {
  struct Case {
    const char* name;
    int source_width;
    int32_t corners[4];
    RECT area;
    std::vector<int> shown;
  };
  std::vector<int> every_second;
  for (int i = 0; i < 100; ++i) every_second.push_back(2 * i);
  const Case cases[] = {
      {"3 drawn 7 wide", 3, {0, 0, 7, 1}, {0, 0, 7, 1}, {0, 0, 0, 1, 1, 2, 2}},
      {"4 drawn 8 wide repeats each", 4, {0, 0, 8, 1}, {0, 0, 8, 1}, {0, 0, 1, 1, 2, 2, 3, 3}},
      {"200 drawn 100 wide shows the even columns", 200, {0, 0, 100, 1}, {0, 0, 100, 1},
       every_second},
      {"own size right to left mirrors", 4, {4, 0, 0, 1}, {0, 0, 4, 1}, {3, 2, 1, 0}},
      {"3 drawn 7 wide mirrored", 3, {7, 0, 0, 1}, {0, 0, 7, 1}, {2, 2, 2, 1, 1, 0, 0}},
      {"left part outside the area keeps the mapping", 3, {-2, 0, 5, 1}, {0, 0, 7, 1},
       {0, 1, 1, 2, 2, -1, -1}},
      {"area cut on the left keeps the mapping", 3, {0, 0, 7, 1}, {3, 0, 7, 1},
       {-1, -1, -1, 1, 1, 2, 2}},
      {"mirrored and cut on the left", 3, {5, 0, -2, 1}, {0, 0, 7, 1}, {2, 1, 1, 0, 0, -1, -1}},
      {"5 drawn 3 wide", 5, {1, 0, 4, 1}, {0, 0, 5, 1}, {-1, 0, 1, 3, -1}},
      {"zero width draws nothing", 3, {2, 0, 2, 1}, {0, 0, 4, 1}, {-1, -1, -1, -1}},
      {"zero height draws nothing", 3, {0, 1, 3, 1}, {0, 0, 4, 1}, {-1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColumnsShown(c.source_width, c.corners, c.area,
                           static_cast<int>(c.shown.size())),
              c.shown)
        << c.name;
  }
}

TEST_F(StretchBlitTest, PlainCopiesAtWholeScalesMatchTheModel) {
  // Plain copies at one to four times the source's width (whole scales have
  // loops of their own), cut by the draw area so that a row starts inside a
  // repeated source pixel and ends inside one, mirrored or not, at both
  // depths.
  struct Case {
    const char* name;
    int scale_x, scale_y;
    RECT area;
    bool mirror;
  };
  const Case cases[] = {
      {"twice", 2, 2, {0, 0, 64, 40}, false},
      {"twice, cut inside a pixel on both sides", 2, 3, {5, 1, 28, 39}, false},
      {"three times, cut", 3, 1, {4, 0, 50, 40}, false},
      {"four times, cut", 4, 2, {7, 3, 61, 37}, false},
      {"as wide, twice as high", 1, 2, {1, 0, 63, 40}, false},
      {"twice, mirrored and cut", 2, 2, {3, 2, 29, 40}, true},
  };
  constexpr int kSourceW = 13, kSourceH = 9, kDestW = 64, kDestH = 40;
  uint32_t seed = 77;
  for (int kind : {0, 1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (kind == 0 ? ", 16-bit" : ", 32-bit"));
      std::mt19937 rng(++seed);
      Image src(kSourceW, kSourceH, kind, 0, 0);
      FillRandom(rng, src);
      Image dst(kDestW, kDestH, kind, 0, 0);
      FillRandom(rng, dst);
      const blit_reference::Settings s{0, 0, 0xFFFFFF, false, c.area};
      Apply(s);
      int32_t corners[4] = {1, 2, 1 + kSourceW * c.scale_x, 2 + kSourceH * c.scale_y};
      if (c.mirror) std::swap(corners[0], corners[2]);
      const std::string diff = CompareWithModel(
          dst, [&] { StretchBlitMemImage(dst.get(), src.get(), corners, 0, nullptr); },
          [&] { blit_reference::Stretch(dst.get(), src.get(), corners, 0, nullptr, s); });
      EXPECT_TRUE(diff.empty()) << diff;
    }
  }
}

TEST_F(StretchBlitTest, RowsAreMappedAndMirroredLikeColumns) {
  // A 2 x 3 source, pixel (x, y) holding 1 + x + 4 y, drawn 4 x 7 bottom to
  // top: the rows show 2, 2, 2, 1, 1, 0, 0, and each column twice.
  Image src(2, 3, 1, 0, 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 2; ++x) src.set(x, y, static_cast<uint32_t>(1 + x + 4 * y));
  }
  Image dst(4, 7, 1, 0, 0);
  Apply({0, 0, 0xFFFFFF, false, {0, 0, 4, 7}});
  const int32_t corners[4] = {0, 7, 4, 0};
  StretchBlitMemImage(dst.get(), src.get(), corners, 0, nullptr);
  const int rows[7] = {2, 2, 2, 1, 1, 0, 0};
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(dst.pixel(x, y), static_cast<uint32_t>(1 + x / 2 + 4 * rows[y]))
          << "at " << x << ", " << y;
    }
  }
}

// ---------------------------------------------------------------------------
// Hand-worked pixels: a one-pixel source drawn two pixels wide (so that the
// stretched loops draw it), both pixels compared.

struct GoldenCase {
  const char* name;
  int kind, palette, alpha;
  int mode, param;
  uint32_t brightness;
  bool mmx;
  int transparent;
  int weight;  // BlendGraphicTable value of the blend byte, -1 without blend image
  uint32_t key;
  uint32_t src;  // the pixel, or palette entry 0 for an indexed source
  uint32_t dst;
  uint32_t expected;
};

TEST_F(StretchBlitTest, HandWorkedPixels) {
  const uint32_t W = 0xFFFFFF;
  const GoldenCase cases[] = {
      {"32 alpha blend at 128: 200 over 100 gives 150, fourth byte kept", 1, 0, 0, 1, 128, W,
       false, 0, -1, 1, 0x00C8C8C8, 0x77646464, 0x77969696},
      {"16 alpha blend at 128: green 60 over 0 gives 30", 0, 0, 0, 1, 128, W, false, 0, -1, 1,
       60u << 5, 0, 30u << 5},
      {"16 alpha blend at 100 scales by 100 / 255, no 6-bit mix", 0, 1, 0, 1, 100, W, false, 0,
       -1, 1, 63u << 5, 0, 24u << 5},
      {"32 full add: blue 200 over 100 gives 255, its carry green's low bit", 1, 0, 0, 2, 255,
       W, false, 0, -1, 1, 0x000000C8, 0x00000064, 0x000001FF},
      {"32 full add keeps the low bits of either side", 1, 1, 0, 2, 255, W, true, 0, -1, 1,
       0x00030303, 0x00040404, 0x00070707},
      {"32 full subtract without MMX: green borrows the guard, fourth byte 0", 1, 0, 0, 3, 255,
       W, false, 0, -1, 1, 0x00FF0000, 0x55808080, 0x00008180},
      {"32 full subtract with MMX: every byte saturates", 1, 0, 0, 3, 255, W, true, 0, -1, 1,
       0x00FF0000, 0x55808080, 0x55008080},
      {"32 indexed full subtract with MMX uses the entry", 1, 1, 0, 3, 255, W, true, 0, -1, 1,
       0x01FF0000, 0x55808080, 0x54008080},
      {"32 indexed subtract of zero sets green's and red's low bit", 1, 1, 0, 3, 0, W, false, 0,
       -1, 1, 0x00000000, 0x80402010, 0x00412110},
      {"16 indexed subtract of zero clears green's low bit, sets red's", 0, 1, 0, 3, 0, W, false,
       0, -1, 1, 0x0000, 0xFFFF, 0xFFDF},
      {"32 direct subtract at 0 draws nothing", 1, 0, 0, 3, 0, W, false, 0, -1, 1, 0x00FFFFFF,
       0x12345678, 0x12345678},
      {"32 alpha 0 under the transparent flag is skipped", 1, 0, 1, 0, 0, W, false, 1, -1, 0,
       0x00FFFFFF, 0x12345678, 0x12345678},
      {"32 alpha 0 under the transparent flag is skipped when multiplying", 1, 0, 1, 4, 0, W,
       false, 1, -1, 0, 0x00FFFFFF, 0x12345678, 0x12345678},
      {"32 alpha 255 under the transparent flag is copied exactly", 1, 0, 1, 0, 0, W, false, 1,
       -1, 0, 0xFFABCDEF, 0x12345678, 0xFFABCDEF},
      {"32 alpha 255 without the flag is weighed: (255 s + d) >> 8", 1, 0, 1, 0, 0, W, false, 0,
       -1, 0, 0xFFFFFFFF, 0x12000000, 0x12FEFEFE},
      {"16 alpha 0 without the flag leaves the pixel", 0, 0, 1, 0, 0, W, false, 0, -1, 0,
       0x00FFFF, 0x1234, 0x1234},
      {"32 multiply with blend weight 0 makes black, fourth byte kept", 1, 0, 0, 4, 0, W, false,
       0, 0, 1, 0x00FFFFFF, 0x11808080, 0x11000000},
      {"16 transparent colour leaves the pixels", 0, 0, 0, 0, 0, W, false, 1, -1, 0x1234, 0x1234,
       0x0000, 0x0000},
      {"32 a key differing in the fourth byte is drawn", 1, 0, 0, 0, 0, W, false, 2, -1,
       0x00123456, 0x01123456, 0, 0x01123456},
      {"32 brightness in mode 0 keeps the fourth byte", 1, 0, 0, 0, 0, 0x808080, false, 0, -1, 1,
       0xFFFFFFFF, 0x77000000, 0x77808080},
  };
  for (const GoldenCase& c : cases) {
    Image src(1, 1, c.kind, c.palette, c.alpha);
    Image dst(2, 1, c.kind, 0, 0);
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
    dst.set(1, 0, c.dst);
    blend.set(0, 0, 9);
    if (c.weight >= 0) BlendGraphicTable[9] = static_cast<uint8_t>(c.weight);
    Apply({c.mode, c.param, c.brightness, c.mmx, {0, 0, 2, 1}});
    const int32_t corners[4] = {0, 0, 2, 1};
    StretchBlitMemImage(dst.get(), src.get(), corners, c.transparent,
                        c.weight >= 0 ? blend.get() : nullptr);
    EXPECT_EQ(dst.pixel(0, 0), c.expected) << c.name;
    EXPECT_EQ(dst.pixel(1, 0), c.expected) << c.name;
  }
}

// ---------------------------------------------------------------------------
// Refusals and clipping.

struct EntryCase {
  const char* name;
  int dst_kind, dst_palette, dst_alpha;
  int src_kind;
  int mode, param;
  int32_t corners[4];
  int src_w, src_h;
  RECT area;
  RECT drawn;  // the destination pixels that change; empty: none
};

TEST_F(StretchBlitTest, RefusalsAndClipping) {
  const EntryCase cases[] = {
      {"drawn twice as large", 0, 0, 0, 0, 0, 0, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {2, 1, 10, 5}},
      {"mirrored on both axes", 1, 0, 0, 1, 0, 0, {10, 5, 2, 1}, 4, 2, {0, 0, 12, 8}, {2, 1, 10, 5}},
      {"kinds differ", 1, 0, 0, 0, 0, 0, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"destination with palette", 1, 1, 0, 1, 0, 0, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"destination with alpha", 0, 0, 1, 0, 0, 0, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"source of kind 2", 2, 0, 0, 2, 0, 0, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"blend mode 5", 0, 0, 0, 0, 5, 128, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"blend mode -1", 1, 0, 0, 1, -1, 128, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"alpha blend at 0", 0, 0, 0, 0, 1, 0, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"add at 0", 1, 0, 0, 1, 2, 0, {2, 1, 10, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"wholly right of the area", 0, 0, 0, 0, 0, 0, {12, 1, 20, 5}, 4, 2, {0, 0, 12, 8}, {}},
      {"wholly above", 0, 0, 0, 0, 0, 0, {2, -5, 10, -1}, 4, 2, {0, 0, 12, 8}, {}},
      {"empty draw area", 0, 0, 0, 0, 0, 0, {2, 1, 10, 5}, 4, 2, {5, 5, 5, 8}, {}},
      {"cut by the draw area", 0, 0, 0, 0, 0, 0, {0, 0, 12, 8}, 3, 3, {3, 2, 7, 5}, {3, 2, 7, 5}},
      {"a draw area past the destination is held to it", 1, 0, 0, 1, 0, 0, {6, 4, 20, 20}, 2, 2,
       {-5, -5, 40, 40}, {6, 4, 12, 8}},
      {"corners across the whole integer range", 0, 0, 0, 0, 0, 0,
       {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647}, 2, 2, {1, 1, 11, 7},
       {1, 1, 11, 7}},
      {"a source 65536 wide is not drawn", 0, 0, 0, 0, 0, 0, {0, 0, 12, 8}, 65536, 1,
       {0, 0, 12, 8}, {}},
  };
  for (const EntryCase& c : cases) {
    Image dst(12, 8, c.dst_kind, c.dst_palette, c.dst_alpha);
    Image src(c.src_w, c.src_h, c.src_kind, 0, 0);
    for (int y = 0; y < c.src_h; ++y) {
      for (int x = 0; x < c.src_w; ++x) src.set(x, y, 0x5A5A5A5A);
    }
    Apply({c.mode, c.param, 0xFFFFFF, true, c.area});
    StretchBlitMemImage(dst.get(), src.get(), c.corners, 0, nullptr);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 12; ++x) {
        const bool inside =
            x >= c.drawn.left && x < c.drawn.right && y >= c.drawn.top && y < c.drawn.bottom;
        EXPECT_EQ(dst.pixel(x, y) != 0, inside) << c.name << " at " << x << ", " << y;
      }
    }
  }
}

TEST_F(StretchBlitTest, TooSmallBlendImageDrawsNothing) {
  Image dst(8, 4, 0, 0, 0);
  Image src(4, 4, 0, 0, 0);
  Image blend(3, 4, 2, 0, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) src.set(x, y, 0xFFFF);
  }
  Apply({0, 0, 0xFFFFFF, true, {0, 0, 8, 4}});
  const int32_t corners[4] = {0, 0, 8, 4};
  StretchBlitMemImage(dst.get(), src.get(), corners, 0, blend.get());
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.pixel(x, 0), 0u);
}

// An unscaled, unmirrored draw is the plain blit's, run code included. The
// source's run code calls every pixel opaque although its first column
// holds the transparent value: through the plain blit's run code that
// column is drawn, through the stretched loops' transparent test it is not.
TEST_F(StretchBlitTest, UnscaledDrawsAreHandedToThePlainBlit) {
  struct Case {
    const char* name;
    int kind;
    int32_t corners[4];
    bool key_drawn;
    int key_column;  // where source column 0 lands
  };
  const Case cases[] = {
      {"16-bit at its own size", 0, {1, 0, 4, 2}, true, 1},
      {"32-bit at its own size", 1, {1, 0, 4, 2}, true, 1},
      {"16-bit mirrored at its own size", 0, {4, 0, 1, 2}, false, 3},
      {"32-bit flipped at its own size", 1, {1, 2, 4, 0}, false, 1},
  };
  for (const Case& c : cases) {
    Image dst(8, 2, c.kind, 0, 0);
    Image src(3, 2, c.kind, 0, 0, true);
    src.get()->transparent_value = 0x1234;
    for (int y = 0; y < 2; ++y) {
      src.set(0, y, 0x1234);
      src.set(1, y, 0x5555);
      src.set(2, y, 0x6666);
      src.get()->run_table[2 * y] = 0x40 | 2;
      src.get()->run_table[2 * y + 1] = 0xC0;
    }
    src.get()->run_table_flag = 1;
    Apply({0, 0, 0xFFFFFF, true, {0, 0, 8, 2}});
    StretchBlitMemImage(dst.get(), src.get(), c.corners, 1, nullptr);
    EXPECT_EQ(dst.pixel(c.key_column, 1) == 0x1234, c.key_drawn) << c.name;
    EXPECT_EQ(dst.pixel(2, 1), 0x5555u) << c.name;
  }
}

TEST_F(StretchBlitTest, IndexedSourceFillsItsOwnPaletteWorkBuffer) {
  Image dst(4, 1, 1, 0, 0);
  Image src(2, 1, 1, 1, 0);
  src.get()->palette_entry_count = 3;
  for (int i = 0; i < 256; ++i) src.get()->palette->entries32[i] = 0xABC000u + i;
  std::memset(StretchPaletteWorkBuffer, 0, sizeof StretchPaletteWorkBuffer);
  std::memset(PaletteWorkBuffer, 0, sizeof PaletteWorkBuffer);
  Apply({0, 0, 0xFFFFFF, true, {0, 0, 4, 1}});
  const int32_t corners[4] = {0, 0, 4, 1};
  StretchBlitMemImage(dst.get(), src.get(), corners, 0, nullptr);
  EXPECT_EQ(StretchPaletteWorkBuffer[0], 0xABC000u);
  EXPECT_EQ(StretchPaletteWorkBuffer[2], 0xABC002u);
  EXPECT_EQ(StretchPaletteWorkBuffer[3], 0u);  // only the entries in use are copied
  EXPECT_EQ(PaletteWorkBuffer[0], 0u);         // the plain blit's buffer is not touched
}

}  // namespace
