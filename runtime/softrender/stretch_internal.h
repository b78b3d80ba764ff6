// What the entry of the stretched blit hands to its loop families, and the
// walk every stretched loop runs: 16.16 counters that step the source (and
// blend image) by a signed step each time a destination pixel or row has
// used up a source pixel's share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/softrender/blit_internal.h"

// The plain blit's call record (its per-call constants: mode, parameter,
// table rows, transparent value, source; and width, height, the first
// source, destination and blend-image pixel drawn), with the walk's steps.
struct StretchCall : BlitCall {
  int32_t src_step_x;    // bytes from one source pixel to the next along the walk (signed)
  int32_t src_step_y;    // bytes from one source row to the next (signed)
  int32_t blend_step_x;  // the same on the blend image
  int32_t blend_step_y;
  int32_t dst_pitch;
  int64_t scale_x;       // destination pixels per source pixel, 16.16
  int64_t scale_y;
  int64_t counter_x0;    // the horizontal counter at the start of every row
  int64_t counter_y;     // the vertical counter at the first row
};

// The loop families, one per source kind.
void StretchIndexed32(const StretchCall& call);
void StretchDirect32(const StretchCall& call);
void StretchIndexed16(const StretchCall& call);
void StretchDirect16(const StretchCall& call);

// Calls row(src, blend, dst) with the first source (and blend-image) pixel
// and the first destination pixel of every destination row, from the top.
// After a row the vertical counter loses 0x10000 and, while it is 0 or
// below, the source row moves one step and the counter gains scale_y. The
// source never moves after the last row.
template <bool kBlend, class Row>
inline void WalkStretchRows(const StretchCall& c, Row&& row) {
  const uint8_t* src_row = c.src;
  const uint8_t* blend_row = c.blend;
  uint8_t* dst_row = c.dst;
  int64_t counter_y = c.counter_y;
  for (int32_t y = 0;;) {
    row(src_row, blend_row, dst_row);
    if (++y == c.height) break;
    dst_row += c.dst_pitch;
    counter_y -= 0x10000;
    while (counter_y <= 0) {
      src_row += c.src_step_y;
      if constexpr (kBlend) blend_row += c.blend_step_y;
      counter_y += c.scale_y;
    }
  }
}

// Calls pixel(src, dst, blend) for the destination pixels of one row, left
// to right, with the source pixel each shows: after a pixel the horizontal
// counter (starting at counter_x0) loses 0x10000 and, while it is 0 or
// below, the source moves one step and the counter gains scale_x. The
// source never moves after the last pixel.
template <int kDstBytes, bool kBlend, class Pixel>
inline void StretchRow(const StretchCall& c, const uint8_t* s, const uint8_t* b, uint8_t* d,
                       Pixel&& pixel) {
  int64_t counter_x = c.counter_x0;
  for (int32_t x = 0;;) {
    pixel(s, d, b);
    if (++x == c.width) break;
    d += kDstBytes;
    counter_x -= 0x10000;
    while (counter_x <= 0) {
      s += c.src_step_x;
      if constexpr (kBlend) b += c.blend_step_x;
      counter_x += c.scale_x;
    }
  }
}

// The walk of every stretched loop: pixel(src, dst, blend) for every
// destination pixel of the clipped rectangle, row by row from the top, left
// to right, with the source pixel that destination pixel shows.
template <int kDstBytes, bool kBlend, class Pixel>
inline void WalkStretch(const StretchCall& c, Pixel&& pixel) {
  WalkStretchRows<kBlend>(c, [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
    StretchRow<kDstBytes, kBlend>(c, s, b, d, pixel);
  });
}

// The same walk for loops whose pixels do not depend on the destination
// (the plain copies): a row that shows the same source row as the row above
// is a copy of that row.
template <int kDstBytes, class Pixel>
inline void WalkStretchCopy(const StretchCall& c, Pixel&& pixel) {
  const uint8_t* last_src = nullptr;
  const uint8_t* last_dst = nullptr;
  const size_t row_bytes = static_cast<size_t>(c.width) * kDstBytes;
  WalkStretchRows<false>(c, [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
    if (s == last_src) {
      std::memcpy(d, last_dst, row_bytes);
    } else {
      StretchRow<kDstBytes, false>(c, s, b, d, pixel);
    }
    last_src = s;
    last_dst = d;
  });
}
