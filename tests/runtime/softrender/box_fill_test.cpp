#include "runtime/softrender/box_fill.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/runtime/softrender/render_fixture.h"

namespace {

using namespace render_test;

class BoxFillTest : public RenderTest {};

TEST_F(BoxFillTest, EveryModeMatchesTheModel) {
  const int params[] = {0, 1, 3, 127, 128, 129, 254, 255};
  const uint32_t brightnesses[] = {0xFFFFFF, 0xFF000000u | 0xFFFFFF, 0x80FF40, 0xFEFEFE, 0x000000};
  constexpr int kW = 23, kH = 13;
  uint32_t seed = 5000;
  int failures = 0;
  for (int kind : {0, 1}) {
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t brightness : brightnesses) {
          for (int round = 0; round < 4; ++round) {
            std::mt19937 rng(++seed);
            Image dst(kW, kH, kind, 0, 0);
            for (int y = 0; y < kH; ++y) {
              for (int x = 0; x < kW; ++x) dst.set(x, y, EdgyWord(rng));
            }
            blit_reference::Settings s{mode, param, brightness, false,
                                       {static_cast<int>(rng() % 5), static_cast<int>(rng() % 4),
                                        kW - static_cast<int>(rng() % 5),
                                        kH - static_cast<int>(rng() % 4)}};
            // Corners in any order, hanging over the edges; now and then
            // none (the whole image).
            auto coordinate = [&](int size) { return static_cast<int>(rng() % (size + 8)) - 4; };
            RECT rect = {coordinate(kW), coordinate(kH), coordinate(kW), coordinate(kH)};
            const RECT* r = round == 3 ? nullptr : &rect;
            const uint32_t color = EdgyWord(rng);
            Apply(s);
            const std::string diff =
                CompareWithModel(dst, [&] { FillMemImageBox(dst.get(), r, color); },
                                 [&] { blit_reference::FillBox(dst.get(), r, color, s); });
            if (!diff.empty()) {
              ADD_FAILURE() << "kind=" << kind << " mode=" << mode << " param=" << param
                            << " brightness=" << std::hex << brightness << " colour=" << color
                            << std::dec << " seed=" << seed << ": " << diff;
              if (++failures >= 20) return;
            }
          }
        }
      }
    }
  }
}

// One pixel filled under each setting.
TEST_F(BoxFillTest, HandWorkedPixels) {
  struct Case {
    const char* name;
    int kind, mode, param;
    uint32_t brightness, color, dst, expected;
  };
  const uint32_t W = 0xFFFFFF;
  const Case cases[] = {
      {"32 plain fill writes all four bytes", 1, 0, 0, W, 0xAB123456, 0x11223344, 0xAB123456},
      {"32 alpha at 128: blue 0 over 255 gives 127", 1, 1, 128, W, 0x00000000, 0x000000FF,
       0x0000007F},
      {"32 alpha keeps the fourth byte", 1, 1, 64, W, 0xFF000000, 0x5A000000, 0x5A000000},
      {"32 alpha at 255 writes the colour", 1, 1, 255, W, 0xAB123456, 0x11223344, 0xAB123456},
      {"16 alpha at 128: red 0 over 31 gives 16", 0, 1, 128, W, 0x0000, 31u << 11, 16u << 11},
      {"32 full add of 200 over 100: all 255, red's carry in the fourth byte", 1, 2, 255, W,
       0x00C8C8C8, 0x00646464, 0x01FFFFFF},
      {"16 full add: blue's carry sets green's low bit", 0, 2, 255, W, 0x0001, 0x001F, 0x003F},
      {"16 subtract: green's low bit always 0, red's set", 0, 3, 255, W, 0x0000, 0xFFFF, 0xFFDF},
      {"32 subtract of 1: green and red keep their guard bit, the fourth byte clears", 1, 3, 255,
       W, 0x00010101, 0xFF808080, 0x0081817F},
      {"32 multiply ignores the parameter 0", 1, 4, 0, W, 0x00808080, 0x99FFFFFF, 0x997F7F7F},
      {"16 multiply white by white gives 30, 62, 30", 0, 4, 0, W, 0xFFFF, 0xFFFF, 0xF7DE},
      {"plain fill with parameter 0 still fills", 0, 0, 0, W, 0x1234, 0x0000, 0x1234},
      {"32 brightness 128 halves, rounding down; fourth byte kept", 1, 0, 0, 0x808080,
       0xEEFFFFFF, 0, 0xEE7F7F7F},
      {"32 brightness 254 turns 255 into 253 (divides by 256)", 1, 0, 0, 0xFEFEFE, 0x00FFFFFF, 0,
       0x00FDFDFD},
      {"16 brightness tints each field by (v x b) >> 8, so 255 takes one off blue", 0, 0, 0,
       0x8080FF, 0xFFFF, 0, (15u << 11) | (31u << 5) | 30u},
      {"brightness 255 each leaves the colour", 1, 0, 0, 0xFFFFFF, 0x00FFFFFF, 0, 0x00FFFFFF},
      {"alpha at 0 draws nothing", 1, 1, 0, W, 0x00FFFFFF, 0x00123456, 0x00123456},
      {"add at 0 draws nothing", 0, 2, 0, W, 0xFFFF, 0x1234, 0x1234},
      {"subtract at 0 draws nothing", 1, 3, 0, W, 0x00FFFFFF, 0x00123456, 0x00123456},
      {"blend mode 5 draws nothing", 1, 5, 128, W, 0x00FFFFFF, 0x00123456, 0x00123456},
  };
  for (const Case& c : cases) {
    Image dst(1, 1, c.kind, 0, 0);
    dst.set(0, 0, c.dst);
    Apply({c.mode, c.param, c.brightness, false, {0, 0, 1, 1}});
    FillMemImageBox(dst.get(), nullptr, c.color);
    EXPECT_EQ(dst.pixel(0, 0), c.expected) << c.name;
  }
}

// Which pixels change: the rectangle in either order, clipped to the draw
// area held to the image; refused images stay as they are.
TEST_F(BoxFillTest, RectanglesAndRefusals) {
  struct Case {
    const char* name;
    int kind, palette, alpha;
    bool whole;  // no rectangle
    RECT rect;
    RECT area;
    RECT filled;  // empty: none
  };
  const Case cases[] = {
      {"sorted rectangle", 0, 0, 0, false, {2, 1, 5, 4}, {0, 0, 9, 6}, {2, 1, 5, 4}},
      {"right to left, bottom to top", 0, 0, 0, false, {5, 4, 2, 1}, {0, 0, 9, 6}, {2, 1, 5, 4}},
      {"no rectangle: the whole draw area", 1, 0, 0, true, {}, {1, 2, 8, 5}, {1, 2, 8, 5}},
      {"cut by the draw area", 1, 0, 0, false, {-3, -3, 20, 4}, {2, 1, 9, 6}, {2, 1, 9, 4}},
      {"a draw area past the image is held to it", 0, 0, 0, false, {-9, -9, 99, 99},
       {-5, -5, 40, 40}, {0, 0, 9, 6}},
      {"wholly outside", 0, 0, 0, false, {9, 0, 12, 6}, {0, 0, 9, 6}, {}},
      {"empty rectangle", 1, 0, 0, false, {3, 1, 3, 5}, {0, 0, 9, 6}, {}},
      {"16-bit image with alpha", 0, 0, 1, true, {}, {0, 0, 9, 6}, {}},
      {"32-bit image with alpha", 1, 0, 1, true, {}, {0, 0, 9, 6}, {}},
      {"image with a palette", 1, 1, 0, true, {}, {0, 0, 9, 6}, {}},
      {"image of kind 2", 2, 0, 0, true, {}, {0, 0, 9, 6}, {}},
  };
  for (const Case& c : cases) {
    Image dst(9, 6, c.kind, c.palette, c.alpha);
    const RECT before = c.rect;
    RECT rect = c.rect;
    Apply({0, 0, 0xFFFFFF, false, c.area});
    FillMemImageBox(dst.get(), c.whole ? nullptr : &rect, 0x5A5A5A5A);
    EXPECT_EQ(rect.left, before.left) << c.name;  // the caller's rectangle is only read
    EXPECT_EQ(rect.right, before.right) << c.name;
    EXPECT_EQ(rect.top, before.top) << c.name;
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 9; ++x) {
        const bool inside = x >= c.filled.left && x < c.filled.right && y >= c.filled.top &&
                            y < c.filled.bottom;
        EXPECT_EQ(dst.pixel(x, y) != 0, inside) << c.name << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
