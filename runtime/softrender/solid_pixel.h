// The constant-colour pixel operations: what each blend mode does to one
// destination pixel when the source is a single colour. The box fill, the
// line and the flat-colour triangle spans all draw through them.
#pragma once

#include <cstdint>

#include "runtime/softrender/blit_pixel.h"

// One colour prepared for drawing, fixed at entry.
struct SolidColor {
  int32_t mode;     // BlendMode 0 to 4, mode 1 at BlendParam 255 already made 0
  int32_t param;    // BlendParam, 0 to 255
  uint32_t color;   // the colour after the brightness tint, in the destination's format
  uint32_t amount;  // modes 2 and 3: the packed amount, each channel ScaleTable[param][c]
  const int32_t* delta_param;  // 16-bit mode 1: centre of SignedScaleTable row param
};

// How a colour is tinted by DrawBrightness: the box fill and the line take
// (c x b) >> 8, the flat triangle c x b / 255 through ScaleTable.
enum class SolidTint { kShift8, kScaleTable };

// Prepares `color` (a pixel value of pixel kind `kind`, 0 or 1) under the
// draw settings in force: tints it by DrawBrightness unless that is white,
// each channel or field by `tint` (the fourth byte of a 32-bit colour kept),
// and takes the table values of BlendParam. False when nothing is to be
// drawn: BlendMode outside 0 to 4, or BlendParam 0 in modes 1 to 3.
bool PrepareSolidColor(int32_t kind, uint32_t color, SolidColor* solid,
                       SolidTint tint = SolidTint::kShift8);

// Mode kMode on the 32-bit pixel at `p`: 0 writes the colour (all four
// bytes); 1 d + floor((c - d) x param / 256) per channel; 2 and 3 the packed
// add and subtract of the amount (the whole word written); 4 (d x c) >> 8
// per channel. Modes 1 and 4 keep the fourth byte.
template <int kMode>
inline void SolidPixel32(const SolidColor& s, uint8_t* p) {
  if constexpr (kMode == 0) {
    Store32(p, s.color);
  } else {
    const uint32_t d = Load32(p);
    if constexpr (kMode == 1) {
      const uint32_t w = static_cast<uint32_t>(s.param);
      Store32(p, WithFourthByte(d, PackChannels(
                                       WeightedBlend(Channel(s.color, 16), Channel(d, 16), w, 8),
                                       WeightedBlend(Channel(s.color, 8), Channel(d, 8), w, 8),
                                       WeightedBlend(Channel(s.color, 0), Channel(d, 0), w, 8))));
    } else if constexpr (kMode == 2) {
      Store32(p, PackedAdd32(d, s.amount));
    } else if constexpr (kMode == 3) {
      Store32(p, PackedSub32(d, s.amount));
    } else {
      Store32(p, WithFourthByte(d, PackChannels((Channel(d, 16) * Channel(s.color, 16)) >> 8,
                                                (Channel(d, 8) * Channel(s.color, 8)) >> 8,
                                                (Channel(d, 0) * Channel(s.color, 0)) >> 8)));
    }
  }
}

// Mode kMode on the 5-6-5 pixel at `p`: 0 writes the colour; 1 d +
// trunc((c - d) x param / 255) per field; 2 and 3 the 16-bit packed add and
// subtract of the amount; 4 (d x c) >> 5 for red and blue, >> 6 for green.
template <int kMode>
inline void SolidPixel16(const SolidColor& s, uint8_t* p) {
  if constexpr (kMode == 0) {
    Store16(p, s.color);
  } else {
    const uint32_t d = Load16(p);
    if constexpr (kMode == 1) {
      const Fields16 c = SplitFields(s.color), f = SplitFields(d);
      const int32_t* delta = s.delta_param;
      Store16(p, PackFields(f.r + delta[c.r - f.r], f.g + delta[c.g - f.g], f.b + delta[c.b - f.b]));
    } else if constexpr (kMode == 2) {
      Store16(p, PackedAdd16(d, s.amount));
    } else if constexpr (kMode == 3) {
      Store16(p, PackedSub16(d, s.amount));
    } else {
      const Fields16 c = SplitFields(s.color), f = SplitFields(d);
      Store16(p, PackFields((f.r * c.r) >> 5, (f.g * c.g) >> 6, (f.b * c.b) >> 5));
    }
  }
}

// Calls op.template operator()<kMode>() for the prepared mode, so that each
// mode gets its own loop.
template <class Op>
inline void WithSolidMode(const SolidColor& s, Op&& op) {
  switch (s.mode) {
    case 0: op.template operator()<0>(); break;
    case 1: op.template operator()<1>(); break;
    case 2: op.template operator()<2>(); break;
    case 3: op.template operator()<3>(); break;
    default: op.template operator()<4>(); break;
  }
}
