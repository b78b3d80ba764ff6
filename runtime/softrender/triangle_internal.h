// What the entry of the triangle rasteriser hands to its span families: the
// edges set up in 14.18 fixed point, the texel plane, the clip rectangle and
// the per-call constants of the plain blit's per-pixel steps; and the row
// and span walks every family's loops are built on.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/softrender/blit_internal.h"
#include "runtime/softrender/solid_pixel.h"

// One unit of 14.18 fixed point: a pixel or a texel.
constexpr int32_t kTriangleOne = 262144;

// The whole part of a 14.18 value, truncated toward zero (-0.5 gives 0).
inline int32_t TriangleWhole(int32_t value) { return value / kTriangleOne; }

// One side of the triangle: the segment walked now and, for a side that
// bends at the middle vertex, the segment that follows.
struct TriangleSide {
  int32_t x;      // the edge's x on the current row, 14.18
  int32_t slope;  // added per row
  int32_t rows;   // rows left in the current segment
  bool single;    // no second segment (left)
  int32_t next_x;
  int32_t next_slope;
  int32_t next_rows;
};

// The state of one call, fixed at entry. The plain blit's record carries the
// blend mode, parameter, brightness and table rows that the shared
// per-pixel steps read; `blend` is non-null exactly when a blend image is
// given.
struct TriangleCall : BlitCall {
  TriangleSide left;
  TriangleSide right;
  int32_t start_y;   // the first row walked
  int32_t middle_y;  // the row the left side's second segment starts on
  RECT area;         // DrawArea held to the destination
  uint8_t* dest_pixels;
  int32_t dest_pitch;
  // The texel plane through the reference vertex (the leftmost one).
  int32_t ref_x;
  int32_t ref_y;
  uint32_t ref_u;
  uint32_t ref_v;
  uint32_t du_dx;
  uint32_t dv_dx;
  uint32_t du_dy;
  uint32_t dv_dy;
  const uint8_t* src_pixels;
  int32_t src_pitch;
  uint32_t src_width_fixed;   // source width x 262144
  uint32_t src_height_fixed;  // source height x 262144
  uint32_t key;               // the source's transparent value, whole
  const uint8_t* blend_pixels;
  int32_t blend_pitch;
  SolidColor solid;  // the flat colour, prepared
};

// The span families.
void TriangleIndexed32(const TriangleCall& call);  // indexed source onto 32-bit
void TriangleDirect32(const TriangleCall& call);   // 32-bit source, with or without alpha
void TriangleIndexed16(const TriangleCall& call);  // indexed source onto 16-bit
void TriangleDirect16(const TriangleCall& call);   // 16-bit source, with or without alpha
void TriangleFlat32(const TriangleCall& call);     // one colour onto 32-bit
void TriangleFlat16(const TriangleCall& call);     // one colour onto 16-bit

// Walks the rows of the triangle from the top: span(y, x, count) for every
// row inside the clip rectangle that keeps pixels once its left end is held
// to the clip's left edge (x the first pixel drawn; the span may reach past
// the clip's right edge, where the caller stops). The edges step on every
// row, drawn or not. When the left side's first segment ends, its second
// starts afresh at its own x on the middle vertex's row; when the right
// side's ends, its second goes on from the current row. The walk ends when
// a side without a further segment runs out of rows.
template <class Span>
inline void WalkTriangleRows(const TriangleCall& c, Span&& span) {
  TriangleSide l = c.left;
  TriangleSide r = c.right;
  int32_t y = c.start_y;
  for (;;) {
    int32_t x = TriangleWhole(l.x);
    int32_t count = TriangleWhole(r.x) - x + 1;
    if (x < c.area.left) {
      count -= c.area.left - x;
      x = c.area.left;
    }
    if (y >= c.area.top && y < c.area.bottom && x < c.area.right && count > 0) span(y, x, count);
    l.x += l.slope;
    r.x += r.slope;
    ++y;
    if (--l.rows == 0) {
      if (l.single) return;
      l = {l.next_x, l.next_slope, l.next_rows, true, 0, 0, 0};
      y = c.middle_y;
    }
    if (--r.rows == 0) {
      if (r.single) return;
      r = {r.next_x, r.next_slope, r.next_rows, true, 0, 0, 0};
    }
  }
}

// The walk of every textured loop: pixel(src, dst, blend) for each pixel of
// each row's span whose texel lies inside the source, with the texel's
// first byte (kSrcBytes per texel), the destination pixel and, with kBlend,
// the blend-image byte at the same texel. The texel coordinates come from
// the plane at the span's first pixel and step by the row gradients; a
// texel outside the source leaves its pixel unchanged (no wrapping, no
// clamping). All texel arithmetic wraps in 32 bits.
template <int kSrcBytes, int kDstBytes, bool kBlend, class Pixel>
inline void WalkTexturedTriangle(const TriangleCall& c, Pixel&& pixel) {
  WalkTriangleRows(c, [&](int32_t y, int32_t x, int32_t count) {
    const uint32_t dx = static_cast<uint32_t>(x - c.ref_x);
    const uint32_t dy = static_cast<uint32_t>(y - c.ref_y);
    uint32_t u = c.ref_u + dx * c.du_dx + dy * c.du_dy;
    uint32_t v = c.ref_v + dx * c.dv_dx + dy * c.dv_dy;
    uint8_t* d = c.dest_pixels + static_cast<intptr_t>(y) * c.dest_pitch +
                 static_cast<intptr_t>(x) * kDstBytes;
    const int32_t end = count < c.area.right - x ? x + count : c.area.right;
    for (; x < end; ++x) {
      if (u < c.src_width_fixed && v < c.src_height_fixed) {
        const uint32_t tx = u >> 18;
        const uint32_t ty = v >> 18;
        const uint8_t* s = c.src_pixels + static_cast<intptr_t>(ty) * c.src_pitch + tx * kSrcBytes;
        const uint8_t* b = nullptr;
        if constexpr (kBlend) b = c.blend_pixels + static_cast<intptr_t>(ty) * c.blend_pitch + tx;
        pixel(s, d, b);
      }
      u += c.du_dx;
      v += c.dv_dx;
      d += kDstBytes;
    }
  });
}

// The walk of the flat-colour loops: pixel(dst) for each pixel of each
// row's span.
template <int kDstBytes, class Pixel>
inline void WalkFlatTriangle(const TriangleCall& c, Pixel&& pixel) {
  WalkTriangleRows(c, [&](int32_t y, int32_t x, int32_t count) {
    uint8_t* d = c.dest_pixels + static_cast<intptr_t>(y) * c.dest_pitch +
                 static_cast<intptr_t>(x) * kDstBytes;
    const int32_t end = count < c.area.right - x ? x + count : c.area.right;
    for (; x < end; ++x, d += kDstBytes) pixel(d);
  });
}
