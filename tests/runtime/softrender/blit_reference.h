// A slow model of the software renderer's unscaled and stretched blits, box
// fill and line, written pixel by pixel and field by field from the
// arithmetic each loop is meant to have. It shares no code with the
// renderer: the packed saturating forms are modelled by what they do to each
// field (carries, low bits, the pair forms' lost bit), the lookup tables by
// their formulas, the stretch by the source pixel each destination pixel
// shows. The tests compare the real loops with it.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "runtime/softrender/blend_tables.h"

namespace blit_reference {

struct Settings {
  int32_t mode;
  int32_t param;
  uint32_t brightness;  // 0x00RRGGBB
  bool mmx;
  RECT draw_area;
};

inline int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}
// d + floor((s - d) x w / 2^k)
inline int64_t Weigh(int64_t s, int64_t d, int64_t w, int k) {
  return d + FloorDiv((s - d) * w, int64_t{1} << k);
}
inline int64_t Scale(int64_t level, int64_t v) { return level * v / 255; }
// Truncated toward zero.
inline int64_t SignedScale(int64_t level, int64_t diff) { return level * diff / 255; }

// ---- The packed forms, field by field ----

// 16-bit fields (r 0-31, g 0-63, b 0-31).
struct F16 {
  int64_t r, g, b;
};
inline F16 Split16(uint32_t w) { return {(w >> 11) & 31, (w >> 5) & 63, w & 31}; }
inline uint32_t Join16(F16 f) {
  return static_cast<uint32_t>((f.r << 11) | (f.g << 5) | f.b);
}

// Saturating add: blue exact; green's upper five bits and red's upper four
// add and saturate; the low bit of green and red is the carry of the field
// below, or (full form) also either input's low bit. `carry_in` enters
// blue's low bit in place of blue's own low bits (the high pixel of a pair),
// in which case both blues lose their low bit.
struct AddResult {
  F16 f;
  bool red_carry;
};
inline AddResult Add16(F16 d, F16 t, bool full, int carry_in = -1) {
  F16 o;
  int64_t bs = carry_in < 0 ? d.b + t.b : (d.b & 30) + (t.b & 30) + carry_in;
  const bool cb = bs > 31;
  o.b = cb ? 31 : bs;
  const int64_t gs = (d.g >> 1) + (t.g >> 1);
  const bool cg = gs > 31;
  o.g = ((cg ? 31 : gs) << 1) | (cb ? 1 : 0) | (full ? ((d.g | t.g) & 1) : 0);
  const int64_t rs = (d.r >> 1) + (t.r >> 1);
  const bool cr = rs > 15;
  o.r = cr ? 31 : ((rs << 1) | (cg ? 1 : 0) | (full ? ((d.r | t.r) & 1) : 0));
  return {o, cr};
}
// Floored subtract: blue = max(0, d - t); green = max(0, (d >> 1) - (t >> 1))
// << 1 (its low bit always 0); red = (d | 1) - (t & 30) - (green borrowed),
// 0 when negative. `borrow_in` (the high pixel of a pair): blue is
// (d | 1) - (t & 30) - borrow_in instead.
struct SubResult {
  F16 f;
  bool red_borrow;
};
inline SubResult Sub16(F16 d, F16 t, int borrow_in = -1) {
  F16 o;
  const int64_t bv = borrow_in < 0 ? d.b - t.b : (d.b | 1) - (t.b & 30) - borrow_in;
  const bool bb = bv < 0;
  o.b = bb ? 0 : bv;
  const int64_t gv = (d.g >> 1) - (t.g >> 1);
  const bool bg = gv < 0;
  o.g = bg ? 0 : gv << 1;
  const int64_t rv = (d.r | 1) - (t.r & 30) - (bg ? 1 : 0);
  const bool br = rv < 0;
  o.r = br ? 0 : rv;
  return {o, br};
}

// 32-bit channels.
struct C32 {
  int64_t r, g, b, x;  // x: the fourth byte
};
inline C32 Split32(uint32_t w) { return {(w >> 16) & 255, (w >> 8) & 255, w & 255, w >> 24}; }
inline uint32_t Join32(C32 c) {
  return static_cast<uint32_t>((c.x << 24) | (c.r << 16) | (c.g << 8) | c.b);
}
inline C32 Add32(C32 d, C32 t, bool full) {
  C32 o;
  const int64_t bs = d.b + t.b;
  const bool cb = bs > 255;
  o.b = cb ? 255 : bs;
  const int64_t gs = (d.g >> 1) + (t.g >> 1);
  const bool cg = gs > 127;
  o.g = cg ? 255 : ((gs << 1) | (cb ? 1 : 0) | (full ? ((d.g | t.g) & 1) : 0));
  const int64_t rs = (d.r >> 1) + (t.r >> 1);
  const bool cr = rs > 127;
  o.r = cr ? 255 : ((rs << 1) | (cg ? 1 : 0) | (full ? ((d.r | t.r) & 1) : 0));
  o.x = cr ? 1 : 0;
  return o;
}
inline C32 Sub32(C32 d, C32 t) {
  C32 o;
  const int64_t bv = d.b - t.b;
  o.b = bv < 0 ? 0 : bv;
  const int64_t gv = (d.g | 1) - (t.g & 254) - (bv < 0 ? 1 : 0);
  o.g = gv < 0 ? 0 : gv;
  const int64_t rv = (d.r | 1) - (t.r & 254) - (gv < 0 ? 1 : 0);
  o.r = rv < 0 ? 0 : rv;
  o.x = 0;
  return o;
}
inline uint32_t SatBytes(uint32_t d, uint32_t s, bool add) {
  uint32_t out = 0;
  for (int k = 0; k < 4; ++k) {
    const int v = static_cast<int>((d >> (8 * k)) & 255);
    const int w = static_cast<int>((s >> (8 * k)) & 255);
    const int r = add ? std::min(255, v + w) : std::max(0, v - w);
    out |= static_cast<uint32_t>(r) << (8 * k);
  }
  return out;
}

// ---- Pixel access ----

inline uint32_t Read(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int k = 0; k < bytes; ++k) v |= uint32_t{p[k]} << (8 * k);
  return v;
}
inline void Write(uint8_t* p, int bytes, uint32_t v) {
  for (int k = 0; k < bytes; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
}

// The per-pixel run kinds (0 skip, 1 opaque, 2 translucent) of a run code.
inline std::vector<int> DecodeRuns(const MEMIMG& src) {
  std::vector<int> kinds(static_cast<size_t>(src.width) * src.height, 0);
  const uint8_t* code = src.run_table;
  for (int y = 0; y < src.height; ++y) {
    int x = 0;
    for (;;) {
      const int c = *code++;
      if ((c >> 6) == 3) break;
      for (int i = 0; i <= (c & 63); ++i) kinds[y * src.width + x++] = c >> 6;
    }
  }
  return kinds;
}

// ---- The model ----

// What one pixel of the source brings: its colour, alpha (or -1 without
// alpha) and blend weight (or -1 without blend image).
struct SourcePixel {
  uint32_t color;  // palette entry or pixel (16-bit: the colour word)
  int64_t alpha;   // the alpha used as a factor, -1 when none
  int64_t weight;  // BlendGraphicTable of the blend byte, -1 when none
};

// 16-bit destinations. `lerp_plain`: mode 1 without weights mixes through
// the 6-bit lerp (halving at 128) when the brightness is white, as the
// plain families 3 and 4 without alpha do; otherwise it adds the signed
// scaled difference.
inline uint32_t Pixel16(bool lerp_plain, const Settings& st, const SourcePixel& sp,
                        uint32_t dw) {
  const int64_t p = st.param;
  const bool white = (st.brightness & 0xFFFFFF) == 0xFFFFFF;
  const int64_t L[3] = {(st.brightness >> 16) & 255, (st.brightness >> 8) & 255,
                        st.brightness & 255};
  const F16 raw = Split16(sp.color);
  const int64_t rawv[3] = {raw.r, raw.g, raw.b};
  int64_t s[3], d[3];
  const F16 df = Split16(dw);
  d[0] = df.r;
  d[1] = df.g;
  d[2] = df.b;
  for (int i = 0; i < 3; ++i) s[i] = white ? rawv[i] : Scale(L[i], rawv[i]);
  const int n[3] = {5, 6, 5};
  const bool blend = sp.weight >= 0;
  const bool factor = sp.alpha >= 0;
  int64_t out[3];
  // W and its shift k from the weights present.
  int64_t w = 1;
  int k = 0;
  if (blend) {
    w *= sp.weight;
    k += 8;
  }
  if (factor) {
    w *= sp.alpha;
    k += 8;
  }
  switch (st.mode) {
    case 0:
      if (k == 0) {
        if (white) return sp.color & 0xFFFF;
        for (int i = 0; i < 3; ++i) out[i] = s[i];
      } else {
        for (int i = 0; i < 3; ++i) out[i] = Weigh(s[i], d[i], w, k);
      }
      break;
    case 1:
      if (k == 0) {
        const bool lerp = lerp_plain && white;
        for (int i = 0; i < 3; ++i) {
          if (lerp && p == 128) {
            out[i] = s[i] / 2 + d[i] / 2;
          } else if (lerp) {
            const int64_t q = p / 4;
            out[i] = (q * s[i] + (63 - q) * d[i]) / 63;
          } else {
            out[i] = d[i] + SignedScale(p, s[i] - d[i]);
          }
        }
      } else {
        for (int i = 0; i < 3; ++i) out[i] = Weigh(s[i], d[i], w * p, k + 8);
      }
      break;
    case 2:
    case 3: {
      F16 t;
      int64_t tv[3];
      for (int i = 0; i < 3; ++i) {
        int64_t v;
        if (!blend && factor && !white) {
          v = Scale(L[i], rawv[i] * sp.alpha / 256);  // alpha before brightness
        } else {
          v = (s[i] * w) >> k;
        }
        tv[i] = Scale(p, v);
      }
      t = {tv[0], tv[1], tv[2]};
      return Join16(st.mode == 2 ? Add16(df, t, true).f : Sub16(df, t).f);
    }
    default:
      for (int i = 0; i < 3; ++i) out[i] = (s[i] * d[i] * w) >> (n[i] + k);
      break;
  }
  return Join16({out[0], out[1], out[2]});
}

// 32-bit destinations, families 1, 2, 5, 6.
inline uint32_t Pixel32(const Settings& st, const SourcePixel& sp, uint32_t dw) {
  const int64_t p = st.param;
  const bool white = (st.brightness & 0xFFFFFF) == 0xFFFFFF;
  const int64_t L[3] = {(st.brightness >> 16) & 255, (st.brightness >> 8) & 255,
                        st.brightness & 255};
  const C32 raw = Split32(sp.color);
  const C32 dc = Split32(dw);
  const int64_t rawv[3] = {raw.r, raw.g, raw.b};
  const int64_t d[3] = {dc.r, dc.g, dc.b};
  int64_t s[3];
  for (int i = 0; i < 3; ++i) s[i] = white ? rawv[i] : Scale(L[i], rawv[i]);
  const bool blend = sp.weight >= 0;
  const bool factor = sp.alpha >= 0;
  int64_t w = 1;
  int k = 0;
  if (blend) {
    w *= sp.weight;
    k += 8;
  }
  if (factor) {
    w *= sp.alpha;
    k += 8;
  }
  int64_t out[3];
  switch (st.mode) {
    case 0:
      if (k == 0) {
        if (white) return sp.color;
        for (int i = 0; i < 3; ++i) out[i] = s[i];
      } else {
        for (int i = 0; i < 3; ++i) out[i] = Weigh(s[i], d[i], w, k);
      }
      break;
    case 1:
      for (int i = 0; i < 3; ++i) out[i] = Weigh(s[i], d[i], w * p, k + 8);
      break;
    case 2:
    case 3: {
      C32 x;
      int64_t xv[3];
      for (int i = 0; i < 3; ++i) xv[i] = k == 0 ? Scale(p, s[i]) : (s[i] * w * p) >> (k + 8);
      x = {xv[0], xv[1], xv[2], 0};
      return Join32(st.mode == 2 ? Add32(dc, x, true) : Sub32(dc, x));
    }
    default:
      for (int i = 0; i < 3; ++i) out[i] = (s[i] * d[i] * w) >> (8 + k);
      break;
  }
  return Join32({out[0], out[1], out[2], dc.x});
}

// Draws `src` onto `dest` (its pixels changed in place) as the blit should.
inline void Blit(MEMIMG* dest, const MEMIMG* src, int x, int y, int transparent,
                 const MEMIMG* blend_image, const Settings& st) {
  if (dest->kind != src->kind || dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  if (src->kind != 0 && src->kind != 1) return;
  if (st.mode < 0 || st.mode > 4) return;
  // The visible rectangle: the draw area within the destination.
  const int64_t cl = std::max<int64_t>(st.draw_area.left, 0);
  const int64_t ct = std::max<int64_t>(st.draw_area.top, 0);
  const int64_t cr = std::min<int64_t>(st.draw_area.right, dest->width);
  const int64_t cb = std::min<int64_t>(st.draw_area.bottom, dest->height);
  const int64_t l = std::max<int64_t>(x, cl), t = std::max<int64_t>(y, ct);
  const int64_t r = std::min<int64_t>(int64_t{x} + src->width, cr);
  const int64_t b = std::min<int64_t>(int64_t{y} + src->height, cb);
  if (r <= l || b <= t) return;
  const bool whole = l == x && t == y && r == x + src->width && b == y + src->height;
  const bool run_coded = transparent == 1 && src->run_table_flag == 1 && whole;
  const bool indexed = src->palette_flag == 1;
  const bool alpha_source = !indexed && src->alpha_flag == 1;
  const int family = (src->kind == 1 ? 1 : 3) + (indexed ? 0 : 1) + (run_coded ? 4 : 0);
  const bool direct = !indexed;

  int64_t p = st.param;
  int mode = st.mode;
  if (mode == 1 && p == 255) mode = 0;
  if ((mode == 1 || mode == 2) && p == 0) return;
  if (mode == 3 && p == 0 && direct) return;
  Settings s2 = st;
  s2.mode = mode;
  const bool white = (st.brightness & 0xFFFFFF) == 0xFFFFFF;

  const int sbytes = src->format->bytes_per_pixel;
  const int dbytes = dest->format->bytes_per_pixel;
  const std::vector<int> kinds = run_coded ? DecodeRuns(*src) : std::vector<int>{};
  const uint32_t key = src->transparent_value;

  // The 16-bit full-strength loops go by pairs from the first drawn pixel.
  const bool pairs16 = src->kind == 0 && !run_coded && blend_image == nullptr && white &&
                       !alpha_source && (mode == 2 || mode == 3) && p == 255;

  for (int64_t yy = t; yy < b; ++yy) {
    const int64_t sy = yy - y;
    // Which pixels of the row are drawn, with what.
    struct Drawn {
      bool draw;
      SourcePixel sp;
    };
    std::vector<Drawn> row;
    for (int64_t xx = l; xx < r; ++xx) {
      const int64_t sx = xx - x;
      const uint8_t* spix = src->pixels + sy * src->pitch + sx * sbytes;
      Drawn dn{true, {0, -1, -1}};
      uint32_t raw = Read(spix, sbytes);
      if (indexed) {
        dn.sp.color = src->kind == 1 ? src->palette->entries32[raw] : src->palette->entries16[raw];
      } else {
        dn.sp.color = src->kind == 0 ? (raw & 0xFFFF) : raw;
      }
      const int64_t a = alpha_source ? (src->kind == 0 ? (raw >> 16) & 255 : raw >> 24) : -1;
      if (blend_image != nullptr) {
        dn.sp.weight = BlendGraphicTable[blend_image->pixels[sy * blend_image->pitch + sx]];
      }
      if (run_coded) {
        const int kind = kinds[sy * src->width + sx];
        if (kind == 0) dn.draw = false;
        if (kind == 2 && alpha_source) dn.sp.alpha = a;
      } else if (alpha_source) {
        if (transparent != 0) {
          if (a == 0 && mode != 4) dn.draw = false;
          if (a != 255) dn.sp.alpha = a;
        } else if (!(mode == 0 && blend_image == nullptr && white)) {
          dn.sp.alpha = a;
        }
      } else if (transparent != 0) {
        // An indexed source's value above 255 names no index.
        const uint32_t k = indexed ? key : (src->kind == 0 ? (key & 0xFFFF) : key);
        if (raw == k) dn.draw = false;
      }
      row.push_back(dn);
    }
    uint8_t* drow = dest->pixels + yy * dest->pitch + l * dbytes;
    const int64_t w = r - l;
    if (pairs16) {
      // Pairs from the first drawn pixel of the row: when both are drawn the
      // high pixel's blue takes the low pixel's red carry or borrow; a pixel
      // whose partner is skipped, and an odd last one, go alone.
      for (int64_t i = 0; i < w; i += 2) {
        uint8_t* lp = drow + i * 2;
        const bool both = i + 1 < w && row[i].draw && row[i + 1].draw;
        if (both) {
          const F16 ld = Split16(Read(lp, 2)), lt = Split16(row[i].sp.color);
          const F16 hd = Split16(Read(lp + 2, 2)), ht = Split16(row[i + 1].sp.color);
          if (mode == 2) {
            const AddResult lo = Add16(ld, lt, false);
            Write(lp, 2, Join16(lo.f));
            Write(lp + 2, 2, Join16(Add16(hd, ht, false, lo.red_carry ? 1 : 0).f));
          } else {
            const SubResult lo = Sub16(ld, lt);
            Write(lp, 2, Join16(lo.f));
            Write(lp + 2, 2, Join16(Sub16(hd, ht, lo.red_borrow ? 1 : 0).f));
          }
          continue;
        }
        for (int64_t j = i; j < std::min(i + 2, w); ++j) {
          if (!row[j].draw) continue;
          uint8_t* dp = drow + j * 2;
          const F16 df = Split16(Read(dp, 2)), tf = Split16(row[j].sp.color);
          Write(dp, 2, Join16(mode == 2 ? Add16(df, tf, false).f : Sub16(df, tf).f));
        }
      }
      continue;
    }
    for (int64_t i = 0; i < w; ++i) {
      if (!row[i].draw) continue;
      uint8_t* dp = drow + i * dbytes;
      const uint32_t dw = Read(dp, dbytes);
      const SourcePixel& sp = row[i].sp;
      if (src->kind == 0) {
        Write(dp, 2, Pixel16(family < 7 && !alpha_source, s2, sp, dw));
      } else {
        const bool whole_words = !run_coded && blend_image == nullptr && white &&
                                 !alpha_source;
        if (whole_words && mode == 1 && p == 128) {
          const C32 sc = Split32(sp.color), dc = Split32(dw);
          Write(dp, 4, Join32({sc.r / 2 + dc.r / 2, sc.g / 2 + dc.g / 2, sc.b / 2 + dc.b / 2, 0}));
        } else if (whole_words && (mode == 2 || mode == 3) && p == 255) {
          if (st.mmx) {
            Write(dp, 4, SatBytes(dw, sp.color, mode == 2));
          } else {
            Write(dp, 4, Join32(mode == 2 ? Add32(Split32(dw), Split32(sp.color), false)
                                          : Sub32(Split32(dw), Split32(sp.color))));
          }
        } else {
          Write(dp, 4, Pixel32(s2, sp, dw));
        }
      }
    }
  }
}

// ---- The stretched blit ----

// The source column (or row) that the destination pixel `i` pixels from the
// unclipped edge of a rectangle `length` pixels long shows, over a source of
// `size` pixels: floor(i x 65536 / scale), scale = floor(length x 65536 /
// size); counted from the far side when mirrored.
inline int64_t StretchSource(int64_t i, int64_t length, int64_t size, bool mirror) {
  const int64_t scale = length * 65536 / size;
  const int64_t v = i * 65536 / scale;
  return mirror ? size - 1 - v : v;
}

// The visible rectangle of a destination: the draw area within it.
struct Visible {
  int64_t left, top, right, bottom;
};
inline Visible VisibleArea(const MEMIMG* dest, const Settings& st) {
  return {std::max<int64_t>(st.draw_area.left, 0), std::max<int64_t>(st.draw_area.top, 0),
          std::min<int64_t>(st.draw_area.right, dest->width),
          std::min<int64_t>(st.draw_area.bottom, dest->height)};
}

inline void Stretch(MEMIMG* dest, const MEMIMG* src, const int32_t* corners, int transparent,
                    const MEMIMG* blend_image, const Settings& st) {
  const int64_t left = std::min(corners[0], corners[2]), right = std::max(corners[0], corners[2]);
  const int64_t top = std::min(corners[1], corners[3]), bottom = std::max(corners[1], corners[3]);
  const bool mirror_x = corners[0] > corners[2], mirror_y = corners[1] > corners[3];
  const int64_t w = right - left, h = bottom - top;
  if (w == 0 || h == 0) return;
  if (w == src->width && h == src->height && !mirror_x && !mirror_y) {
    Blit(dest, src, static_cast<int>(left), static_cast<int>(top), transparent, blend_image, st);
    return;
  }
  if (dest->kind != src->kind || dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  if (src->kind != 0 && src->kind != 1) return;
  if (src->width >= 65536 || src->height >= 65536) return;
  if (blend_image != nullptr &&
      (blend_image->width < src->width || blend_image->height < src->height)) {
    return;
  }
  if (w * 65536 < src->width || h * 65536 < src->height) return;  // a zero scale
  if (st.mode < 0 || st.mode > 4) return;
  const bool indexed = src->palette_flag == 1;
  const bool alpha_source = !indexed && src->alpha_flag == 1;
  int64_t p = st.param;
  int mode = st.mode;
  if (mode == 1 && p == 255) mode = 0;
  if ((mode == 1 || mode == 2) && p == 0) return;
  if (mode == 3 && p == 0 && !indexed) return;
  Settings s2 = st;
  s2.mode = mode;
  const bool white = (st.brightness & 0xFFFFFF) == 0xFFFFFF;
  const bool mmx_subtract = src->kind == 1 && st.mmx && mode == 3 && p == 255 &&
                            blend_image == nullptr && white && !alpha_source;
  const int sbytes = src->format->bytes_per_pixel;
  const int dbytes = dest->format->bytes_per_pixel;
  const Visible v = VisibleArea(dest, st);
  for (int64_t yy = std::max(top, v.top); yy < std::min(bottom, v.bottom); ++yy) {
    const int64_t sy = StretchSource(yy - top, h, src->height, mirror_y);
    for (int64_t xx = std::max(left, v.left); xx < std::min(right, v.right); ++xx) {
      const int64_t sx = StretchSource(xx - left, w, src->width, mirror_x);
      const uint32_t raw = Read(src->pixels + sy * src->pitch + sx * sbytes, sbytes);
      SourcePixel sp{0, -1, -1};
      if (indexed) {
        sp.color = src->kind == 1 ? src->palette->entries32[raw] : src->palette->entries16[raw];
      } else {
        sp.color = src->kind == 0 ? (raw & 0xFFFF) : raw;
      }
      if (blend_image != nullptr) {
        sp.weight = BlendGraphicTable[blend_image->pixels[sy * blend_image->pitch + sx]];
      }
      if (alpha_source) {
        const int64_t a = src->kind == 0 ? (raw >> 16) & 255 : raw >> 24;
        if (transparent != 0 && a == 0) continue;
        if (transparent == 0 || a != 255) sp.alpha = a;
      } else if (transparent != 0) {
        const uint32_t key = indexed || src->kind != 0 ? src->transparent_value
                                                       : (src->transparent_value & 0xFFFF);
        if (raw == key) continue;
      }
      uint8_t* dp = dest->pixels + yy * dest->pitch + xx * dbytes;
      const uint32_t dw = Read(dp, dbytes);
      if (src->kind == 0) {
        Write(dp, 2, Pixel16(false, s2, sp, dw));
      } else if (mmx_subtract) {
        Write(dp, 4, SatBytes(dw, sp.color, false));
      } else {
        Write(dp, 4, Pixel32(s2, sp, dw));
      }
    }
  }
}

// ---- The constant-colour operations, the box fill and the line ----

// The colour after the brightness tint ((c x b) >> 8 per channel or field,
// or c x b / 255 with `scale_tint`; a 32-bit colour's fourth byte kept), and
// the mode drawn (-1: nothing).
struct Solid {
  int mode;
  uint32_t color;
};
inline Solid SolidOf(int kind, uint32_t color, const Settings& st, bool scale_tint = false) {
  int mode = st.mode;
  if (mode < 0 || mode > 4) return {-1, 0};
  if (mode >= 1 && mode <= 3 && st.param == 0) return {-1, 0};
  if (mode == 1 && st.param == 255) mode = 0;
  const int64_t L[3] = {(st.brightness >> 16) & 255, (st.brightness >> 8) & 255,
                        st.brightness & 255};
  if ((st.brightness & 0xFFFFFF) == 0xFFFFFF) {
    return {mode, kind == 1 ? color : color & 0xFFFF};
  }
  const int64_t divisor = scale_tint ? 255 : 256;
  if (kind == 1) {
    const C32 c = Split32(color);
    return {mode, Join32({c.r * L[0] / divisor, c.g * L[1] / divisor, c.b * L[2] / divisor, c.x})};
  }
  const F16 f = Split16(color);
  return {mode, Join16({f.r * L[0] / divisor, f.g * L[1] / divisor, f.b * L[2] / divisor})};
}

inline uint32_t Solid32(const Solid& s, int64_t p, uint32_t dw) {
  const C32 c = Split32(s.color), d = Split32(dw);
  switch (s.mode) {
    case 0: return s.color;
    case 1:
      return Join32({d.r + FloorDiv((c.r - d.r) * p, 256), d.g + FloorDiv((c.g - d.g) * p, 256),
                     d.b + FloorDiv((c.b - d.b) * p, 256), d.x});
    case 2:
    case 3: {
      const C32 x = {Scale(p, c.r), Scale(p, c.g), Scale(p, c.b), 0};
      return Join32(s.mode == 2 ? Add32(d, x, true) : Sub32(d, x));
    }
    default: return Join32({d.r * c.r / 256, d.g * c.g / 256, d.b * c.b / 256, d.x});
  }
}
inline uint32_t Solid16(const Solid& s, int64_t p, uint32_t dw) {
  const F16 c = Split16(s.color), d = Split16(dw);
  switch (s.mode) {
    case 0: return s.color;
    case 1:
      return Join16({d.r + SignedScale(p, c.r - d.r), d.g + SignedScale(p, c.g - d.g),
                     d.b + SignedScale(p, c.b - d.b)});
    case 2:
    case 3: {
      const F16 x = {Scale(p, c.r), Scale(p, c.g), Scale(p, c.b)};
      return Join16(s.mode == 2 ? Add16(d, x, true).f : Sub16(d, x).f);
    }
    default: return Join16({d.r * c.r / 32, d.g * c.g / 64, d.b * c.b / 32});
  }
}
inline void SolidAt(MEMIMG* dest, int64_t x, int64_t y, const Solid& s, int64_t p) {
  uint8_t* dp = dest->pixels + y * dest->pitch + x * dest->format->bytes_per_pixel;
  if (dest->kind == 1) {
    Write(dp, 4, Solid32(s, p, Read(dp, 4)));
  } else {
    Write(dp, 2, Solid16(s, p, Read(dp, 2)));
  }
}

inline void FillBox(MEMIMG* dest, const RECT* rect, uint32_t color, const Settings& st) {
  if (dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  if (dest->kind != 0 && dest->kind != 1) return;
  const Solid s = SolidOf(dest->kind, color, st);
  if (s.mode < 0) return;
  int64_t l = 0, t = 0, r = dest->width, b = dest->height;
  if (rect != nullptr) {
    l = std::min(rect->left, rect->right);
    r = std::max(rect->left, rect->right);
    t = std::min(rect->top, rect->bottom);
    b = std::max(rect->top, rect->bottom);
  }
  const Visible v = VisibleArea(dest, st);
  for (int64_t y = std::max(t, v.top); y < std::min(b, v.bottom); ++y) {
    for (int64_t x = std::max(l, v.left); x < std::min(r, v.right); ++x) {
      SolidAt(dest, x, y, s, st.param);
    }
  }
}

// The pixels of the line: the ends moved onto the edges of the visible
// area (the start onto the last pixel inside, the end onto the first
// outside) along the line, truncating toward zero; nothing when the start
// cannot be brought inside; then pixel i of the longer axis's length n
// lies i steps along it and floor(i x m / n) steps along the shorter axis
// of length m.
inline std::vector<std::pair<int64_t, int64_t>> LinePixels(const Visible& v, int64_t x1,
                                                           int64_t y1, int64_t x2, int64_t y2) {
  std::vector<std::pair<int64_t, int64_t>> out;
  if (v.left >= v.right || v.top >= v.bottom) return out;
  if (std::min(x1, x2) >= v.right || std::min(y1, y2) >= v.bottom || std::max(y1, y2) < v.top ||
      std::max(x1, x2) < v.left) {
    return out;
  }
  const double kx = y1 == y2 ? 0.0 : double(x2 - x1) / double(y2 - y1);
  const double ky = x1 == x2 ? 0.0 : double(y2 - y1) / double(x2 - x1);
  const double x0 = double(x1) - double(y1) * kx, y0 = double(y1) - double(x1) * ky;
  auto trunc = [](double d) -> int64_t {
    return d > -2147483649.0 && d < 2147483648.0 ? static_cast<int64_t>(d) : INT32_MIN;
  };
  auto clip_x = [&](int64_t& x, int64_t& y, int64_t inside_lo, int64_t inside_hi, bool start) {
    const int64_t lo = start ? inside_lo : inside_lo - 1, hi = start ? inside_hi - 1 : inside_hi;
    if (x < inside_lo) {
      x = lo;
      y = trunc(double(x) * ky + y0);
    } else if (x >= inside_hi) {
      x = hi;
      y = trunc(double(x) * ky + y0);
    }
  };
  auto clip_y = [&](int64_t& x, int64_t& y, int64_t inside_lo, int64_t inside_hi, bool start) {
    const int64_t lo = start ? inside_lo : inside_lo - 1, hi = start ? inside_hi - 1 : inside_hi;
    if (y < inside_lo) {
      y = lo;
      x = trunc(double(y) * kx + x0);
    } else if (y >= inside_hi) {
      y = hi;
      x = trunc(double(y) * kx + x0);
    }
  };
  clip_x(x1, y1, v.left, v.right, true);
  clip_x(x2, y2, v.left, v.right, false);
  clip_y(x1, y1, v.top, v.bottom, true);
  clip_y(x2, y2, v.top, v.bottom, false);
  if (x1 < v.left || x1 >= v.right || y1 < v.top || y1 >= v.bottom) return out;
  x2 = std::clamp(x2, v.left - 1, v.right);
  y2 = std::clamp(y2, v.top - 1, v.bottom);
  const int64_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const int64_t sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
  const bool x_major = dx >= dy;
  const int64_t n = x_major ? dx : dy, m = x_major ? dy : dx;
  for (int64_t i = 0; i < n; ++i) {
    const int64_t minor = i * m / n;
    out.push_back(x_major ? std::make_pair(x1 + sx * i, y1 + sy * minor)
                          : std::make_pair(x1 + sx * minor, y1 + sy * i));
  }
  return out;
}

inline void Line(MEMIMG* dest, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color,
                 const Settings& st) {
  if (dest->palette_flag == 1 || (dest->kind != 0 && dest->kind != 1)) return;
  const Solid s = SolidOf(dest->kind, color, st);
  if (s.mode < 0) return;
  for (const auto& [x, y] : LinePixels(VisibleArea(dest, st), x1, y1, x2, y2)) {
    SolidAt(dest, x, y, s, st.param);
  }
}

}  // namespace blit_reference
