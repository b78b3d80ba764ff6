// The per-pixel work the blit families share, once the pixel gate has
// decided that a pixel is drawn and whether its own alpha weighs it.
//
// Weights: e = BlendGraphicTable of the blend-image byte (with a blend
// image), a = the source pixel's alpha (when `factor` is set), p =
// BlendParam. A weighted blend with the product W of m of them is
// d + floor((s - d) x W / 2^(8m)), computed as ((s - d) x W + (d << 8m)) >>
// 8m in unsigned 32-bit arithmetic (the true sum always lies in 0 to
// 2^32 - 1).
#pragma once

#include "runtime/softrender/blit_internal.h"

inline uint32_t WeightedBlend(uint32_t s, uint32_t d, uint32_t w, int k) {
  return ((d << k) + (s - d) * w) >> k;
}

// ---- 16-bit destinations ----

// How mode 1 without weights blends a field: through the BlendLerpTable
// block of p / 4 when the brightness is white, else d + SignedScaleTable[p]
// [s - d]; or always through SignedScaleTable.
enum class Mode1Plain { kLerpWhenWhite, kSignedScale };

// Draws the 5-6-5 colour `sw` onto the pixel at `dp`. `a` is the source
// alpha (read only with `factor`), `bp` the blend-image byte (read only
// with kBlend).
template <int kMode, bool kBlend, bool kBright, Mode1Plain kPlain>
inline void Draw16(const BlitCall& c, uint32_t sw, bool factor, uint32_t a, const uint8_t* bp,
                   uint8_t* dp) {
  const Fields16 raw = SplitFields(sw);
  Fields16 s = raw;
  if constexpr (kBright) s = Brighten(c, raw);
  uint32_t e = 255;
  if constexpr (kBlend) e = c.blend_weight[*bp];
  const uint32_t dw = Load16(dp);
  const Fields16 d = SplitFields(dw);
  const uint32_t p = static_cast<uint32_t>(c.param);
  auto weighted = [&](uint32_t w, int k) {
    return PackFields(static_cast<int32_t>(WeightedBlend(s.r, d.r, w, k)),
                      static_cast<int32_t>(WeightedBlend(s.g, d.g, w, k)),
                      static_cast<int32_t>(WeightedBlend(s.b, d.b, w, k)));
  };

  if constexpr (kMode == 0) {
    if (factor) {
      Store16(dp, kBlend ? weighted(a * e, 16) : weighted(a, 8));
    } else if constexpr (kBlend) {
      Store16(dp, weighted(e, 8));
    } else if constexpr (kBright) {
      Store16(dp, PackFields(s.r, s.g, s.b));
    } else {
      Store16(dp, sw);
    }
  } else if constexpr (kMode == 1) {
    if constexpr (kBlend) {
      Store16(dp, factor ? weighted(a * e * p, 24) : weighted(e * p, 16));
    } else if (factor) {
      Store16(dp, weighted(a * p, 16));
    } else if (kPlain == Mode1Plain::kLerpWhenWhite && !kBright) {
      const uint8_t* lerp = c.lerp_block;
      Store16(dp, PackFields(lerp[s.r * 64 + d.r], lerp[s.g * 64 + d.g], lerp[s.b * 64 + d.b]));
    } else {
      const int32_t* delta = c.delta_param;
      Store16(dp,
              PackFields(d.r + delta[s.r - d.r], d.g + delta[s.g - d.g], d.b + delta[s.b - d.b]));
    }
  } else if constexpr (kMode == 2 || kMode == 3) {
    Fields16 v;
    if constexpr (kBlend) {
      const uint32_t w = factor ? a * e : e;
      const int k = factor ? 16 : 8;
      v = {static_cast<int32_t>((s.r * w) >> k), static_cast<int32_t>((s.g * w) >> k),
           static_cast<int32_t>((s.b * w) >> k)};
    } else if (factor) {
      // Alpha weighs the raw field; the brightness comes after it.
      v = {static_cast<int32_t>((raw.r * a) >> 8), static_cast<int32_t>((raw.g * a) >> 8),
           static_cast<int32_t>((raw.b * a) >> 8)};
      if constexpr (kBright) v = Brighten(c, v);
    } else {
      v = s;
    }
    const int32_t* scale = c.scale_param;
    const uint32_t x = PackFields(scale[v.r], scale[v.g], scale[v.b]);
    Store16(dp, kMode == 2 ? PackedAdd16(dw, x) : PackedSub16(dw, x));
  } else {
    // Multiply: floor(s x d x W / 2^(n + k)), W from the weights present.
    uint32_t w = 1;
    int k = 0;
    if constexpr (kBlend) {
      w = e;
      k = 8;
    }
    if (factor) {
      w *= a;
      k += 8;
    }
    Store16(dp, PackFields(static_cast<int32_t>((s.r * d.r * w) >> (5 + k)),
                           static_cast<int32_t>((s.g * d.g * w) >> (6 + k)),
                           static_cast<int32_t>((s.b * d.b * w) >> (5 + k))));
  }
}

// ---- 32-bit destinations ----

// Draws the 32-bit colour `sp` (byte 0 blue, 1 green, 2 red, 3 fourth byte)
// onto the pixel at `dp`. The per-channel modes (0, 1, 4) keep the
// destination's fourth byte, except the plain copy, which writes the whole
// colour; modes 2 and 3 write the whole packed result.
template <int kMode, bool kBlend, bool kBright>
inline void Draw32(const BlitCall& c, uint32_t sp, bool factor, uint32_t a, const uint8_t* bp,
                   uint8_t* dp) {
  uint32_t sr = Channel(sp, 16), sg = Channel(sp, 8), sb = Channel(sp, 0);
  if constexpr (kBright) {
    sr = static_cast<uint32_t>(c.scale_red[sr]);
    sg = static_cast<uint32_t>(c.scale_green[sg]);
    sb = static_cast<uint32_t>(c.scale_blue[sb]);
  }
  uint32_t e = 255;
  if constexpr (kBlend) e = c.blend_weight[*bp];
  const uint32_t dw = Load32(dp);
  const uint32_t dr = Channel(dw, 16), dg = Channel(dw, 8), db = Channel(dw, 0);
  const uint32_t p = static_cast<uint32_t>(c.param);
  auto weighted = [&](uint32_t w, int k) {
    return WithFourthByte(dw, PackChannels(WeightedBlend(sr, dr, w, k),
                                           WeightedBlend(sg, dg, w, k),
                                           WeightedBlend(sb, db, w, k)));
  };

  if constexpr (kMode == 0) {
    if (factor) {
      Store32(dp, kBlend ? weighted(a * e, 16) : weighted(a, 8));
    } else if constexpr (kBlend) {
      Store32(dp, weighted(e, 8));
    } else if constexpr (kBright) {
      Store32(dp, WithFourthByte(dw, PackChannels(sr, sg, sb)));
    } else {
      Store32(dp, sp);
    }
  } else if constexpr (kMode == 1) {
    if constexpr (kBlend) {
      Store32(dp, factor ? weighted(a * e * p, 24) : weighted(e * p, 16));
    } else {
      Store32(dp, factor ? weighted(a * p, 16) : weighted(p, 8));
    }
  } else if constexpr (kMode == 2 || kMode == 3) {
    uint32_t xr, xg, xb;
    if constexpr (kBlend) {
      if (factor) {
        const uint32_t w = a * e * p;
        xr = (sr * w) >> 24;
        xg = (sg * w) >> 24;
        xb = (sb * w) >> 24;
      } else {
        const uint32_t w = e * p;
        xr = (sr * w) >> 16;
        xg = (sg * w) >> 16;
        xb = (sb * w) >> 16;
      }
    } else if (factor) {
      const uint32_t w = a * p;
      xr = (sr * w) >> 16;
      xg = (sg * w) >> 16;
      xb = (sb * w) >> 16;
    } else {
      const int32_t* scale = c.scale_param;
      xr = static_cast<uint32_t>(scale[sr]);
      xg = static_cast<uint32_t>(scale[sg]);
      xb = static_cast<uint32_t>(scale[sb]);
    }
    const uint32_t x = PackChannels(xr, xg, xb);
    Store32(dp, kMode == 2 ? PackedAdd32(dw, x) : PackedSub32(dw, x));
  } else {
    uint32_t w = 1;
    int k = 8;
    if constexpr (kBlend) {
      w = e;
      k += 8;
    }
    if (factor) {
      w *= a;
      k += 8;
    }
    Store32(dp, WithFourthByte(dw, PackChannels((sr * dr * w) >> k, (sg * dg * w) >> k,
                                                (sb * db * w) >> k)));
  }
}
