// A slow model of the triangle rasteriser, built on the blit model's
// per-pixel arithmetic. It works each row and each pixel out on its own:
// the edges' x on a row as start + rows x slope (not by stepping), the texel
// of every pixel from the plane through the reference vertex (not by
// stepping along the row), the clip as the overlap of the span with the
// visible area.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "runtime/core/primitives.h"
#include "runtime/softrender/triangle.h"
#include "tests/runtime/softrender/blit_reference.h"

namespace blit_reference {

constexpr int64_t kFixedOne = 262144;

// The whole part of a 14.18 value, truncated toward zero.
inline int64_t FixedWhole(int64_t v) { return v / kFixedOne; }

// One row the walk draws: its y and the first and last pixel of its span
// (last < first for an empty span).
struct TriangleRow {
  int64_t y, first, last;
};

struct FixedCorner {
  int64_t X, Y, U, V, x, y, u, v;
};

inline std::array<FixedCorner, 3> FixedCorners(const TriangleVertex* t, bool textured) {
  std::array<FixedCorner, 3> out;
  for (int i = 0; i < 3; ++i) {
    const int64_t u = textured ? t[i].u : 0, v = textured ? t[i].v : 0;
    out[i] = {t[i].x * kFixedOne + kFixedOne / 2,
              t[i].y * kFixedOne + kFixedOne / 2,
              u * kFixedOne,
              v * kFixedOne,
              t[i].x,
              t[i].y,
              u,
              v};
  }
  return out;
}

// The rows of the triangle as the edge walk visits them, each side's x on a
// row being its segment's start plus the rows walked times the slope
// (truncated toward zero per row). Empty for a triangle on one line.
inline std::vector<TriangleRow> TriangleRows(const TriangleVertex* t) {
  std::array<FixedCorner, 3> c = FixedCorners(t, false);
  const int64_t d = (c[2].x - c[0].x) * (c[1].y - c[0].y) - (c[1].x - c[0].x) * (c[2].y - c[0].y);
  if (d == 0) return {};
  std::stable_sort(c.begin(), c.end(),
                   [](const FixedCorner& a, const FixedCorner& b) { return a.Y < b.Y; });
  const FixedCorner &top = c[0], &mid = c[1], &bot = c[2];
  // A side: segments of (start x, slope, rows), each walked in turn; `restart`
  // is the row its second segment starts on (-1: it goes straight on).
  struct Seg {
    int64_t x, slope, rows;
  };
  auto seg = [](const FixedCorner& a, const FixedCorner& b, int64_t start) {
    const int64_t rows = b.y - a.y;
    return Seg{start, rows > 0 ? (b.X - start) / rows : 0, rows};
  };
  std::vector<Seg> left, right;
  bool left_restarts = false;
  if (top.Y == mid.Y) {
    const FixedCorner& l = top.X <= mid.X ? top : mid;
    const FixedCorner& r = top.X <= mid.X ? mid : top;
    left = {seg(l, bot, l.X)};
    right = {seg(r, bot, r.X)};
  } else if (mid.Y == bot.Y) {
    const FixedCorner& l = mid.X > bot.X ? bot : mid;
    const FixedCorner& r = mid.X > bot.X ? mid : bot;
    left = {seg(top, l, top.X)};
    right = {seg(top, r, top.X)};
  } else {
    const double s20 = double(bot.X - top.X) / (double(bot.Y - top.Y) / double(kFixedOne));
    const double s10 = double(mid.X - top.X) / (double(mid.Y - top.Y) / double(kFixedOne));
    if (s20 > s10) {
      left = {seg(top, mid, top.X), seg(mid, bot, mid.X)};
      left_restarts = true;
      right = {seg(top, bot, top.X)};
    } else {
      left = {seg(top, bot, top.X)};
      right = {seg(top, mid, top.X), seg(mid, bot, mid.X + 1)};
    }
  }
  // Row i of the walk: which segment each side is in, and how far along.
  std::vector<TriangleRow> rows;
  int64_t total_left = 0, total_right = 0;
  for (const Seg& s : left) total_left += s.rows;
  for (const Seg& s : right) total_right += s.rows;
  const int64_t n = std::min(total_left, total_right);
  auto at = [](const std::vector<Seg>& side, int64_t i, size_t* which) {
    size_t k = 0;
    while (i >= side[k].rows) i -= side[k++].rows;
    *which = k;
    return side[k].x + i * side[k].slope;
  };
  for (int64_t i = 0; i < n; ++i) {
    size_t lk = 0, rk = 0;
    const int64_t lx = at(left, i, &lk);
    const int64_t rx = at(right, i, &rk);
    // The left side's second segment starts again on the middle vertex's
    // row; the rows go on from there.
    const int64_t y =
        left_restarts && lk == 1 ? FixedWhole(mid.Y) + (i - left[0].rows) : FixedWhole(top.Y) + i;
    rows.push_back({y, FixedWhole(lx), FixedWhole(rx)});
  }
  return rows;
}

// The texel plane: the texel coordinates (14.18) at pixel (x, y), from the
// leftmost vertex and gradients worked out in double and truncated.
struct TexelPlane {
  int64_t ref_x, ref_y;
  uint32_t ref_u, ref_v;
  uint32_t du_dx, du_dy, dv_dx, dv_dy;
  uint32_t U(int64_t x, int64_t y) const {
    return ref_u + static_cast<uint32_t>(x - ref_x) * du_dx +
           static_cast<uint32_t>(y - ref_y) * du_dy;
  }
  uint32_t V(int64_t x, int64_t y) const {
    return ref_v + static_cast<uint32_t>(x - ref_x) * dv_dx +
           static_cast<uint32_t>(y - ref_y) * dv_dy;
  }
};
inline TexelPlane PlaneOf(const TriangleVertex* t) {
  std::array<FixedCorner, 3> c = FixedCorners(t, true);
  std::stable_sort(c.begin(), c.end(),
                   [](const FixedCorner& a, const FixedCorner& b) { return a.X < b.X; });
  const int64_t dx10 = c[1].x - c[0].x, dx20 = c[2].x - c[0].x;
  const int64_t dy10 = c[1].y - c[0].y, dy20 = c[2].y - c[0].y;
  const int64_t du10 = c[1].u - c[0].u, du20 = c[2].u - c[0].u;
  const int64_t dv10 = c[1].v - c[0].v, dv20 = c[2].v - c[0].v;
  const double d = double(dx20 * dy10 - dx10 * dy20);
  auto g = [&](int64_t num) {
    return static_cast<uint32_t>(DoubleToInt(double(num) * double(kFixedOne) / d));
  };
  return {FixedWhole(c[0].X),
          FixedWhole(c[0].Y),
          static_cast<uint32_t>(c[0].U),
          static_cast<uint32_t>(c[0].V),
          g(dy10 * du20 - dy20 * du10),
          g(du10 * dx20 - dx10 * du20),
          g(dy10 * dv20 - dy20 * dv10),
          g(dv10 * dx20 - dx10 * dv20)};
}

// Draws the triangle into `dest` as the rasteriser should.
inline void Triangle(MEMIMG* dest, const MEMIMG* src, const TriangleVertex* t, int transparent,
                     const MEMIMG* blend_image, uint32_t color, const Settings& st) {
  if (dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  if (dest->kind != 0 && dest->kind != 1) return;
  if (src != nullptr) {
    if (src->kind != dest->kind) return;
    if (src->width >= 16384 || src->height >= 16384) return;
    if (blend_image != nullptr &&
        (blend_image->width < src->width || blend_image->height < src->height)) {
      return;
    }
  }
  for (int i = 0; i < 3; ++i) {
    for (int64_t v :
         {int64_t{t[i].x}, int64_t{t[i].y}, src ? int64_t{t[i].u} : 0, src ? int64_t{t[i].v} : 0}) {
      if (v < -8191 || v > 8191) return;
    }
  }
  if (st.mode < 0 || st.mode > 4) return;
  const std::vector<TriangleRow> rows = TriangleRows(t);
  const Visible vis = VisibleArea(dest, st);
  const int dbytes = dest->format->bytes_per_pixel;

  if (src == nullptr) {
    const Solid s = SolidOf(dest->kind, color, st, true);
    if (s.mode < 0) return;
    for (const TriangleRow& r : rows) {
      if (r.y < vis.top || r.y >= vis.bottom) continue;
      for (int64_t x = std::max(r.first, vis.left); x <= std::min(r.last, vis.right - 1); ++x) {
        SolidAt(dest, x, r.y, s, st.param);
      }
    }
    return;
  }

  const bool indexed = src->palette_flag == 1;
  const bool alpha_source = !indexed && src->alpha_flag == 1;
  int mode = st.mode;
  const int64_t p = st.param;
  if (mode == 1 && p == 255) mode = 0;
  if ((mode == 1 || mode == 2) && p == 0) return;
  if (mode == 3 && p == 0 && !indexed) return;
  Settings s2 = st;
  s2.mode = mode;
  const TexelPlane plane = PlaneOf(t);
  const int sbytes = src->format->bytes_per_pixel;
  for (const TriangleRow& r : rows) {
    if (r.y < vis.top || r.y >= vis.bottom) continue;
    for (int64_t x = std::max(r.first, vis.left); x <= std::min(r.last, vis.right - 1); ++x) {
      const uint32_t U = plane.U(x, r.y), V = plane.V(x, r.y);
      if (U >= uint64_t(src->width) * kFixedOne || V >= uint64_t(src->height) * kFixedOne) continue;
      const int64_t tx = U >> 18, ty = V >> 18;
      const uint32_t raw = Read(src->pixels + ty * src->pitch + tx * sbytes, sbytes);
      SourcePixel sp{0, -1, -1};
      if (blend_image != nullptr) {
        sp.weight = BlendGraphicTable[blend_image->pixels[ty * blend_image->pitch + tx]];
      }
      if (indexed) {
        if (transparent != 0 && raw == src->transparent_value) continue;
        sp.color = src->kind == 1 ? src->palette->entries32[raw] : src->palette->entries16[raw];
      } else if (alpha_source) {
        const int64_t a = src->kind == 1 ? raw >> 24 : (raw >> 16) & 255;
        sp.color = src->kind == 1 ? raw : raw & 0xFFFF;
        if (transparent != 0) {
          if (a == 0 && mode != 4) continue;
          if (a != 255) sp.alpha = a;
        } else {
          sp.alpha = a;
        }
      } else {
        if (transparent != 0 && raw == src->transparent_value) continue;
        sp.color = raw;
      }
      uint8_t* dp = dest->pixels + r.y * dest->pitch + x * dbytes;
      const uint32_t dw = Read(dp, dbytes);
      Write(dp, dbytes, dest->kind == 1 ? Pixel32(s2, sp, dw) : Pixel16(false, s2, sp, dw));
    }
  }
}

}  // namespace blit_reference
