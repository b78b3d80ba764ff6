// A slow model of the unscaled blit, written pixel by pixel and field by
// field from the arithmetic each loop family is meant to have. It shares no
// code with the blit: the packed saturating forms are modelled by what they
// do to each field (carries, low bits, the pair forms' lost bit), the lookup
// tables by their formulas. The tests compare the real loops with it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/graphics/color_format.h"
#include "runtime/graphics/mem_image.h"
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

// 16-bit destinations. `family` 3, 4, 7 or 8; `run_translucent_alpha`: a
// translucent run of an alpha source (families 7 and 8).
inline uint32_t Pixel16(int family, const Settings& st, const SourcePixel& sp, uint32_t dw,
                        bool alpha_source) {
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
  const bool run = family >= 7;
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
        const bool lerp = !run && white && !alpha_source;
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
        const uint32_t k = indexed ? (key & 255) : (src->kind == 0 ? (key & 0xFFFF) : key);
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
        Write(dp, 2, Pixel16(family, s2, sp, dw, alpha_source));
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

}  // namespace blit_reference
