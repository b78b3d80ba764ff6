// What the entry of the stretched blit hands to its loop families, and the
// walk every stretched loop runs: 16.16 counters that step the source (and
// blend image) by a signed step each time a destination pixel or row has
// used up a source pixel's share.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

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

// Where each destination column of a row reads: the walk's horizontal
// counter run once per call. From counter_x0, after each pixel the counter
// loses 0x10000 and, while it is 0 or below, the source moves one step and the
// counter gains scale_x (never after the last pixel). `source[x]` and
// `blend[x]` are the byte offsets, from a row's first source and blend-image
// pixel, of the pixels destination column x shows.
class StretchColumns {
 public:
  template <bool kBlend>
  static StretchColumns Of(const StretchCall& c) {
    // Kept per thread, so a call does not allocate once the rows are known.
    thread_local std::vector<int32_t> source;
    thread_local std::vector<int32_t> blend;
    const size_t width = static_cast<size_t>(c.width);
    if (source.size() < width) source.resize(width);
    if (kBlend && blend.size() < width) blend.resize(width);
    int64_t counter_x = c.counter_x0;
    int32_t steps = 0;
    for (size_t x = 0; x < width; ++x) {
      source[x] = steps * c.src_step_x;
      if constexpr (kBlend) blend[x] = steps * c.blend_step_x;
      counter_x -= 0x10000;
      while (counter_x <= 0) {
        ++steps;
        counter_x += c.scale_x;
      }
    }
    return StretchColumns(source.data(), kBlend ? blend.data() : nullptr);
  }
  // No columns, for a walk that does not read them.
  static StretchColumns None() { return StretchColumns(nullptr, nullptr); }
  const int32_t* source;
  const int32_t* blend;

 private:
  StretchColumns(const int32_t* s, const int32_t* b) : source(s), blend(b) {}
};

// Calls pixel(src, dst, blend) for the destination pixels of one row, left
// to right, with the source pixel each shows.
template <int kDstBytes, bool kBlend, class Pixel>
inline void StretchRow(const StretchCall& c, const StretchColumns& columns, const uint8_t* s,
                       const uint8_t* b, uint8_t* d, Pixel&& pixel) {
  for (int32_t x = 0; x < c.width; ++x) {
    pixel(s + columns.source[x], d + x * kDstBytes, kBlend ? b + columns.blend[x] : b);
  }
}

// The walk of every stretched loop: pixel(src, dst, blend) for every
// destination pixel of the clipped rectangle, row by row from the top, left
// to right, with the source pixel that destination pixel shows.
template <int kDstBytes, bool kBlend, class Pixel>
inline void WalkStretch(const StretchCall& c, Pixel&& pixel) {
  const StretchColumns columns = StretchColumns::Of<kBlend>(c);
  WalkStretchRows<kBlend>(c, [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
    StretchRow<kDstBytes, kBlend>(c, columns, s, b, d, pixel);
  });
}

// The same walk for loops whose pixels do not depend on the destination
// (the plain copies): a row that shows the same source row as the row above
// is a copy of that row.
template <int kDstBytes, class Pixel>
inline void WalkStretchCopy(const StretchCall& c, Pixel&& pixel) {
  const StretchColumns columns = StretchColumns::Of<false>(c);
  const uint8_t* last_src = nullptr;
  const uint8_t* last_dst = nullptr;
  const size_t row_bytes = static_cast<size_t>(c.width) * kDstBytes;
  WalkStretchRows<false>(c, [&](const uint8_t* s, const uint8_t* b, uint8_t* d) {
    if (s == last_src) {
      std::memcpy(d, last_dst, row_bytes);
    } else {
      StretchRow<kDstBytes, false>(c, columns, s, b, d, pixel);
    }
    last_src = s;
    last_dst = d;
  });
}

// The plain copy of direct pixels (`Word` wide, the source's and the
// destination's): the same walk as WalkStretchCopy. Where the scale is a
// whole number k without mirroring, a row is the first source pixel repeated
// as long as the clipped walk shows it, then every source pixel k times, in
// loops the compiler turns into vector code; other scales read through the
// columns and store eight bytes at a time.
template <typename Word>
inline void StretchCopyDirect(const StretchCall& c) {
  constexpr int kBytes = sizeof(Word);
  auto load = [](const uint8_t* p) {
    Word w;
    std::memcpy(&w, p, kBytes);
    return w;
  };
  auto store = [](uint8_t* p, Word w) { std::memcpy(p, &w, kBytes); };
  const int32_t width = c.width;
  const bool whole_scale = (c.scale_x & 0xFFFF) == 0 && c.src_step_x == kBytes;
  const int32_t k = static_cast<int32_t>(c.scale_x >> 16);
  const int32_t first_run =
      static_cast<int32_t>(std::min<int64_t>((c.counter_x0 + 0xFFFF) >> 16, width));
  const StretchColumns columns =
      whole_scale ? StretchColumns::None() : StretchColumns::Of<false>(c);

  auto repeat_row = [&](const uint8_t* s, uint8_t* d) {
    const Word first = load(s);
    for (int32_t x = 0; x < first_run; ++x) store(d + x * kBytes, first);
    int32_t x = first_run;
    const uint8_t* from = s + kBytes;
    if (k == 2) {
      for (; x + 2 <= width; x += 2, from += kBytes) {
        const Word w = load(from);
        store(d + x * kBytes, w);
        store(d + (x + 1) * kBytes, w);
      }
    } else {
      for (; x + k <= width; x += k, from += kBytes) {
        const Word w = load(from);
        for (int32_t r = 0; r < k; ++r) store(d + (x + r) * kBytes, w);
      }
    }
    if (x < width) {
      const Word w = load(from);
      for (; x < width; ++x) store(d + x * kBytes, w);
    }
  };
  auto gather_row = [&](const uint8_t* s, uint8_t* d) {
    constexpr int kPerStore = 8 / kBytes;
    const int32_t* source = columns.source;
    int32_t x = 0;
    for (; x + kPerStore <= width; x += kPerStore) {
      uint8_t block[8];
      for (int i = 0; i < kPerStore; ++i) {
        std::memcpy(block + i * kBytes, s + source[x + i], kBytes);
      }
      std::memcpy(d + x * kBytes, block, 8);
    }
    for (; x < width; ++x) store(d + x * kBytes, load(s + source[x]));
  };

  const uint8_t* last_src = nullptr;
  const uint8_t* last_dst = nullptr;
  const size_t row_bytes = static_cast<size_t>(width) * kBytes;
  WalkStretchRows<false>(c, [&](const uint8_t* s, const uint8_t*, uint8_t* d) {
    if (s == last_src) {
      std::memcpy(d, last_dst, row_bytes);
    } else if (whole_scale) {
      repeat_row(s, d);
    } else {
      gather_row(s, d);
    }
    last_src = s;
    last_dst = d;
  });
}
