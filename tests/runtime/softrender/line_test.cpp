#include "runtime/softrender/line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/runtime/softrender/render_fixture.h"

namespace {

using namespace render_test;

class LineTest : public RenderTest {};

// Whether the segment from (x1, y1) to (x2, y2) meets the box [l, r] x [t,
// b] (Liang and Barsky's clipping of the parameter range).
bool SegmentMeetsBox(double x1, double y1, double x2, double y2, double l, double t, double r,
                     double b) {
  double lo = 0.0, hi = 1.0;
  const double d[2] = {x2 - x1, y2 - y1};
  const double start[2] = {x1, y1}, low[2] = {l, t}, high[2] = {r, b};
  for (int axis = 0; axis < 2; ++axis) {
    if (d[axis] == 0.0) {
      if (start[axis] < low[axis] || start[axis] > high[axis]) return false;
      continue;
    }
    double a = (low[axis] - start[axis]) / d[axis], c = (high[axis] - start[axis]) / d[axis];
    if (a > c) std::swap(a, c);
    lo = std::max(lo, a);
    hi = std::min(hi, c);
    if (lo > hi) return false;
  }
  return true;
}

using Points = std::vector<std::pair<int, int>>;

// The pixels a plain line changes in a 16-bit image of zeros, in row order.
Points Drawn(int w, int h, RECT area, int x1, int y1, int x2, int y2) {
  Image dst(w, h, 0, 0, 0);
  Apply({0, 0, 0xFFFFFF, false, area});
  DrawMemImageLine(dst.get(), x1, y1, x2, y2, 0xFFFF);
  Points out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (dst.pixel(x, y) != 0) out.push_back({x, y});
    }
  }
  return out;
}

TEST_F(LineTest, HandWorkedPaths) {
  struct Case {
    const char* name;
    RECT area;
    int x1, y1, x2, y2;
    Points drawn;
  };
  const RECT all = {0, 0, 10, 8};
  const Case cases[] = {
      {"left to right leaves out the end", all, 0, 0, 4, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {"right to left leaves out the end", all, 4, 0, 0, 0, {{1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {"a point draws nothing", all, 3, 3, 3, 3, {}},
      {"x-major: the minor step waits for the full length", all, 0, 0, 3, 2,
       {{0, 0}, {1, 0}, {2, 1}}},
      {"a tie goes along x", all, 0, 0, 2, 2, {{0, 0}, {1, 1}}},
      {"y-major upwards", all, 1, 5, 2, 1, {{1, 2}, {1, 3}, {1, 4}, {1, 5}}},
      {"into the area from the left starts on its first column", {2, 0, 10, 8}, -3, 1, 5, 1,
       {{2, 1}, {3, 1}, {4, 1}}},
      {"far beyond the right ends on the last column", {0, 0, 6, 8}, 3, 2, 1000, 2,
       {{3, 2}, {4, 2}, {5, 2}}},
      {"from beyond the right starts on the last column", {0, 0, 6, 8}, 50, 2, 3, 2,
       {{4, 2}, {5, 2}}},
      {"vertical, cut at both ends", {0, 2, 10, 5}, 4, -10, 4, 20, {{4, 2}, {4, 3}, {4, 4}}},
      {"diagonal cut by the top left corner", {2, 2, 10, 8}, 0, 0, 5, 5, {{2, 2}, {3, 3}, {4, 4}}},
      {"wholly right of the area", {0, 0, 6, 8}, 6, 0, 9, 5, {}},
      {"wholly above", all, 0, -5, 9, -1, {}},
      {"beside the top left corner draws nothing", {2, 2, 10, 8}, -8, 7, 7, -8, {}},
      {"beside the bottom right corner draws nothing", {0, 0, 6, 5}, 3, 9, 9, 3, {}},
      {"empty draw area", {4, 4, 4, 8}, 0, 5, 9, 5, {}},
      {"a draw area past the image is held to it", {-5, -5, 40, 40}, -20, 3, 30, 3,
       {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}, {8, 3}, {9, 3}}},
      {"ends far apart do not wrap", all, -2147483647 - 1, 4, 2147483647, 4,
       {{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}, {5, 4}, {6, 4}, {7, 4}, {8, 4}, {9, 4}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Drawn(10, 8, c.area, c.x1, c.y1, c.x2, c.y2), c.drawn) << c.name;
  }
}

// Random lines, many reaching far past the area: the real lines against the
// model; every changed pixel lies inside the draw area, and a line that
// passes beside it changes none; a line wholly inside is the plain stepping
// from its start.
TEST_F(LineTest, RandomLinesMatchTheModelAndStayInside) {
  const int params[] = {0, 1, 128, 255};
  const uint32_t brightnesses[] = {0xFFFFFF, 0x80FF40};
  constexpr int kW = 29, kH = 19;
  uint32_t seed = 9000;
  int failures = 0;
  for (int kind : {0, 1}) {
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t brightness : brightnesses) {
          for (int round = 0; round < 40; ++round) {
            std::mt19937 rng(++seed);
            Image dst(kW, kH, kind, 0, 0);
            for (int y = 0; y < kH; ++y) {
              for (int x = 0; x < kW; ++x) dst.set(x, y, EdgyWord(rng));
            }
            const RECT area = {static_cast<int>(rng() % 6), static_cast<int>(rng() % 5),
                               kW - static_cast<int>(rng() % 6),
                               kH - static_cast<int>(rng() % 5)};
            const blit_reference::Settings s{mode, param, brightness, false, area};
            auto coordinate = [&](int size) {
              const int spread = rng() % 4 == 0 ? 400 : size + 20;
              return static_cast<int>(rng() % (2 * spread)) - spread + size / 2;
            };
            const int x1 = coordinate(kW), y1 = coordinate(kH);
            const int x2 = coordinate(kW), y2 = coordinate(kH);
            const uint32_t color = EdgyWord(rng);
            Apply(s);
            const std::vector<uint8_t> before = dst.snapshot();
            const std::string diff = CompareWithModel(
                dst, [&] { DrawMemImageLine(dst.get(), x1, y1, x2, y2, color); },
                [&] { blit_reference::Line(dst.get(), x1, y1, x2, y2, color, s); });
            if (!diff.empty()) {
              ADD_FAILURE() << "kind=" << kind << " mode=" << mode << " param=" << param
                            << " line (" << x1 << "," << y1 << ")-(" << x2 << "," << y2
                            << ") area (" << area.left << "," << area.top << "," << area.right
                            << "," << area.bottom << ") seed=" << seed << ": " << diff;
              if (++failures >= 20) return;
            }
            if (mode != 0) continue;
            // The model's own pixels, against what the plain line changed.
            dst.restore(before);
            const uint32_t marker = kind == 1 ? 0xFFFFFFFFu : 0xFFFFu;
            for (int y = 0; y < kH; ++y) {
              for (int x = 0; x < kW; ++x) dst.set(x, y, 0);
            }
            Apply({0, 0, 0xFFFFFF, false, area});
            DrawMemImageLine(dst.get(), x1, y1, x2, y2, marker);
            std::set<std::pair<int64_t, int64_t>> changed;
            for (int y = 0; y < kH; ++y) {
              for (int x = 0; x < kW; ++x) {
                if (dst.pixel(x, y) == 0) continue;
                changed.insert({x, y});
                EXPECT_TRUE(x >= area.left && x < area.right && y >= area.top && y < area.bottom)
                    << "stray pixel at " << x << ", " << y << " seed=" << seed;
              }
            }
            // A line passing more than a pixel and a half beside the area's
            // pixels draws nothing.
            if (!SegmentMeetsBox(x1, y1, x2, y2, area.left - 1.5, area.top - 1.5,
                                 area.right + 0.5, area.bottom + 0.5)) {
              EXPECT_TRUE(changed.empty()) << "a line beside the area drew, seed=" << seed;
            }
            const bool inside = std::min(x1, x2) >= area.left && std::max(x1, x2) < area.right &&
                                std::min(y1, y2) >= area.top && std::max(y1, y2) < area.bottom;
            if (inside) {
              // Pixel i of the longer axis's length n: i steps along it,
              // floor(i x m / n) along the other.
              std::set<std::pair<int64_t, int64_t>> plain;
              const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
              const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
              const int n = std::max(dx, dy), m = std::min(dx, dy);
              for (int i = 0; i < n; ++i) {
                plain.insert(dx >= dy ? std::make_pair<int64_t, int64_t>(x1 + sx * i, y1 + sy * (i * m / n))
                                      : std::make_pair<int64_t, int64_t>(x1 + sx * (i * m / n), y1 + sy * i));
              }
              EXPECT_EQ(changed, plain) << "seed=" << seed;
            }
          }
        }
      }
    }
  }
}

// The colour goes through the same operations as the box fill; an image
// with alpha is drawn like any other, one with a palette is not.
TEST_F(LineTest, PixelOperationsAndImages) {
  struct Case {
    const char* name;
    int kind, palette, alpha;
    int mode, param;
    uint32_t brightness, color, dst, expected;
  };
  const uint32_t W = 0xFFFFFF;
  const Case cases[] = {
      {"32 alpha blend at 128", 1, 0, 0, 1, 128, W, 0x00000000, 0x770000FF, 0x7700007F},
      {"16 alpha blend at 128", 0, 0, 0, 1, 128, W, 0x0000, 31u << 11, 16u << 11},
      {"32 full add", 1, 0, 0, 2, 255, W, 0x00C8C8C8, 0x00646464, 0x01FFFFFF},
      {"16 subtract", 0, 0, 0, 3, 255, W, 0x0000, 0xFFFF, 0xFFDF},
      {"32 multiply", 1, 0, 0, 4, 0, W, 0x00808080, 0x99FFFFFF, 0x997F7F7F},
      {"32 brightness tint by 256", 1, 0, 0, 0, 0, 0xFEFEFE, 0x00FFFFFF, 0, 0x00FDFDFD},
      {"alpha at 0 draws nothing", 0, 0, 0, 1, 0, W, 0xFFFF, 0x1234, 0x1234},
      {"32-bit image with alpha is drawn", 1, 0, 1, 0, 0, W, 0xAB123456, 0, 0xAB123456},
      {"image with a palette is not drawn", 1, 1, 0, 0, 0, W, 0xFFFFFFFF, 0, 0},
  };
  for (const Case& c : cases) {
    Image dst(4, 1, c.kind, c.palette, c.alpha);
    dst.set(0, 0, c.dst);
    Apply({c.mode, c.param, c.brightness, false, {0, 0, 4, 1}});
    DrawMemImageLine(dst.get(), 0, 0, 1, 0, c.color);
    EXPECT_EQ(dst.pixel(0, 0), c.expected) << c.name;
  }
}

}  // namespace
