// What the entry of the unscaled blit hands to its loop families, and the
// per-pixel arithmetic the families share: field and channel access, the
// packed saturating add and subtract of 16-bit and 32-bit pixels, and the
// row and run walkers every loop is built on.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "runtime/image/mem_image.h"

// The state of one blit call, fixed at entry.
struct BlitCall {
  int32_t width;   // pixels per row drawn
  int32_t height;  // rows drawn
  const uint8_t* src;   // first source pixel drawn
  int32_t src_skip;     // source pitch minus one drawn row's bytes
  uint8_t* dst;         // first destination pixel drawn
  int32_t dst_skip;
  const uint8_t* blend;  // first blend-image byte, null without a blend image
  int32_t blend_skip;
  const MEMIMG* source;
  int32_t transparent;        // the caller's transparent flag
  uint32_t transparent_wide;  // the transparent value repeated to fill 32 bits
  const uint8_t* run_code;    // the source's run code (run-coded families)
  int32_t mode;               // BlendMode, 0 to 4
  int32_t param;              // BlendParam, 0 to 255
  bool white;                 // DrawBrightness has its three bytes at 255
  bool mmx;                   // the MMX-flag loops are taken
  const int32_t* scale_red;    // ScaleTable rows of the brightness bytes
  const int32_t* scale_green;
  const int32_t* scale_blue;
  const int32_t* scale_param;  // ScaleTable row BlendParam
  const int32_t* delta_param;  // centre of SignedScaleTable row BlendParam
  const uint8_t* lerp_block;   // BlendLerpTable block BlendParam / 4
  const uint8_t* blend_weight; // BlendGraphicTable
};

// Fills the fields every loop reads from the draw settings: the blend mode
// and its clamped parameter, the brightness, the MMX flag and the table rows
// they select.
void TakeDrawSettings(BlitCall* call);

// The loop families, one per source kind and road.
void BlitIndexed32(const BlitCall& call);    // indexed source onto 32-bit
void BlitDirect32(const BlitCall& call);     // 32-bit source, with or without alpha
void BlitIndexed16(const BlitCall& call);    // indexed source onto 16-bit
void BlitDirect16(const BlitCall& call);     // 16-bit source, with or without alpha
void BlitRunIndexed32(const BlitCall& call); // the same four through the run code
void BlitRunDirect32(const BlitCall& call);
void BlitRunIndexed16(const BlitCall& call);
void BlitRunDirect16(const BlitCall& call);

// ---- Unaligned pixel access ----

inline uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store16(uint8_t* p, uint32_t v) {
  const uint16_t w = static_cast<uint16_t>(v);
  std::memcpy(p, &w, 2);
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// ---- 16-bit 5-6-5 fields ----

struct Fields16 {
  int32_t r, g, b;  // red 0-31, green 0-63, blue 0-31
};
inline Fields16 SplitFields(uint32_t word) {
  return {static_cast<int32_t>((word >> 11) & 31), static_cast<int32_t>((word >> 5) & 63),
          static_cast<int32_t>(word & 31)};
}
inline uint32_t PackFields(int32_t r, int32_t g, int32_t b) {
  return (static_cast<uint32_t>(r) << 11) | (static_cast<uint32_t>(g) << 5) |
         static_cast<uint32_t>(b);
}
inline Fields16 Brighten(const BlitCall& c, Fields16 s) {
  return {c.scale_red[s.r], c.scale_green[s.g], c.scale_blue[s.b]};
}

// Packed saturating add of two 5-6-5 words: blue exact, green's upper five
// and red's upper four bits saturating, the low bits of green and red taking
// the carry of the field below or either input's own low bit.
inline uint32_t PackedAdd16(uint32_t d, uint32_t x) {
  const uint32_t s = (d & 0xF7DEF7DFu) + (x & 0xF7DEF7DFu);
  const uint32_t c = s & 0x08210820u;
  return (s | (c - (c >> 5)) | ((d | x) & 0x0820u)) & 0xFFFFu;
}
// The same without the inputs' low bits ORed back.
inline uint32_t ShortPackedAdd16(uint32_t d, uint32_t x) {
  const uint32_t s = (d & 0xF7DEF7DFu) + (x & 0xF7DEF7DFu);
  const uint32_t c = s & 0x08210820u;
  return (s | (c - (c >> 5))) & 0xFFFFu;
}
// Packed subtract floored at 0, with guard bits above each field.
inline uint32_t PackedSub16(uint32_t d, uint32_t x) {
  const uint32_t t = (d | 0x08210820u) - (x & 0xF7DEF7DFu);
  const uint32_t c = t & 0x08210820u;
  return (t & (c - (c >> 5))) & 0xFFFFu;
}
// Two pixels in one word (the left one in the low half): the high pixel's
// blue loses its low bit to the carry or borrow guard of the low pixel's red.
inline uint32_t ShortPackedAddPair16(uint32_t d2, uint32_t x2) {
  const uint64_t wide = uint64_t{d2 & 0xF7DEF7DFu} + (x2 & 0xF7DEF7DFu);
  const uint32_t s = static_cast<uint32_t>(wide);
  const uint32_t k = static_cast<uint32_t>(wide >> 32);
  const uint32_t c = s & 0x08210820u;
  return s | (c - ((c >> 5) | (k << 27)));
}
inline uint32_t PackedSubPair16(uint32_t d2, uint32_t x2) {
  const uint32_t a = d2 | 0x08210820u;
  const uint32_t b = x2 & 0xF7DEF7DFu;
  const uint32_t t = a - b;
  const uint32_t c = t & 0x08210820u;
  return t & ((c - (c >> 5)) | (a < b ? 0u : 0xF8000000u));
}
// Halves both words field by field and adds them: floor(s / 2) + floor(d / 2).
inline uint32_t HalfSum16(uint32_t s, uint32_t d) {
  return ((s >> 1) & 0x7BEF7BEFu) + ((d >> 1) & 0x7BEF7BEFu);
}

// ---- 32-bit channels (byte 0 blue, 1 green, 2 red, 3 the fourth byte) ----

inline uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFFu; }
inline uint32_t PackChannels(uint32_t r, uint32_t g, uint32_t b) {
  return (r << 16) | (g << 8) | b;
}
// Keeps the destination's fourth byte under three new channels.
inline uint32_t WithFourthByte(uint32_t d, uint32_t rgb) { return (d & 0xFF000000u) | rgb; }

// Packed saturating add of the three channels of x onto d: blue exact,
// green and red by their upper seven bits, the fourth byte the red carry.
inline uint32_t PackedAdd32(uint32_t d, uint32_t x) {
  const uint32_t s = (d & 0x00FEFEFFu) + (x & 0x00FEFEFFu);
  const uint32_t c = s & 0x01010100u;
  return s | (c - (c >> 8)) | ((d | x) & 0x00010100u);
}
inline uint32_t ShortPackedAdd32(uint32_t d, uint32_t x) {
  const uint32_t s = (d & 0x00FEFEFFu) + (x & 0x00FEFEFFu);
  const uint32_t c = s & 0x01010100u;
  return s | (c - (c >> 8));
}
inline uint32_t PackedSub32(uint32_t d, uint32_t x) {
  const uint32_t t = (d | 0x01010100u) - (x & 0xFEFEFEFFu);
  const uint32_t c = t & 0x01010100u;
  return t & (c - (c >> 8));
}
inline uint32_t HalfSum32(uint32_t s, uint32_t d) {
  return ((s >> 1) & 0x007F7F7Fu) + ((d >> 1) & 0x007F7F7Fu);
}
// Per-byte unsigned saturating add and subtract of all four bytes.
inline uint32_t SaturatingAddBytes(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = ((d >> shift) & 0xFFu) + ((s >> shift) & 0xFFu);
    out |= (sum > 255u ? 255u : sum) << shift;
  }
  return out;
}
inline uint32_t SaturatingSubBytes(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t a = (d >> shift) & 0xFFu;
    const uint32_t b = (s >> shift) & 0xFFu;
    out |= (a > b ? a - b : 0u) << shift;
  }
  return out;
}

// ---- Walkers ----

// Calls pixel(src, dst, blend) for every pixel of the clipped rectangle, row
// by row from the top, left to right.
template <int kSrcBytes, int kDstBytes, bool kBlend, class Pixel>
inline void WalkRect(const BlitCall& c, Pixel&& pixel) {
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const uint8_t* b = c.blend;
  for (int32_t y = 0; y < c.height; ++y) {
    for (int32_t x = 0; x < c.width; ++x) {
      pixel(s, d, b);
      s += kSrcBytes;
      d += kDstBytes;
      if constexpr (kBlend) ++b;
    }
    s += c.src_skip;
    d += c.dst_skip;
    if constexpr (kBlend) b += c.blend_skip;
  }
}

// Walks the source's run code over the whole source: transparent runs are
// stepped over; opaque runs call opaque(src, dst, blend) and translucent runs
// translucent(src, dst, blend) once per pixel.
template <int kSrcBytes, int kDstBytes, bool kBlend, class Opaque, class Translucent>
inline void WalkRuns(const BlitCall& c, Opaque&& opaque, Translucent&& translucent) {
  const uint8_t* code = c.run_code;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const uint8_t* b = c.blend;
  for (int32_t y = 0; y < c.height; ++y) {
    for (;;) {
      const uint32_t run = *code++;
      const uint32_t kind = run >> 6;
      if (kind == 3) break;
      const int32_t n = static_cast<int32_t>(run & 0x3F) + 1;
      if (kind == 0) {
        s += n * kSrcBytes;
        d += n * kDstBytes;
        if constexpr (kBlend) b += n;
        continue;
      }
      if (kind == 1) {
        for (int32_t i = 0; i < n; ++i) {
          opaque(s, d, b);
          s += kSrcBytes;
          d += kDstBytes;
          if constexpr (kBlend) ++b;
        }
      } else {
        for (int32_t i = 0; i < n; ++i) {
          translucent(s, d, b);
          s += kSrcBytes;
          d += kDstBytes;
          if constexpr (kBlend) ++b;
        }
      }
    }
    s += c.src_skip;
    d += c.dst_skip;
    if constexpr (kBlend) b += c.blend_skip;
  }
}

// Picks the instantiation of a loop template for the variant numbers known
// only at run time: index = ((((mode x 2 + blend) x 2 + bright) x 2 + alpha)
// x 2 + transparent). `CallRecord` is the call state the loops take (the
// plain blit's, or a record built on it).
template <template <int, bool, bool, bool, bool> class Loop, class CallRecord = BlitCall>
struct LoopTable {
  using Fn = void (*)(const CallRecord&);
  template <int kIndex>
  static constexpr Fn Entry() {
    return &Loop<kIndex / 16, (kIndex / 8) % 2 != 0, (kIndex / 4) % 2 != 0, (kIndex / 2) % 2 != 0,
                 kIndex % 2 != 0>::Run;
  }
  template <int... kIndexes>
  static constexpr auto Make(std::integer_sequence<int, kIndexes...>) {
    struct Table {
      Fn fns[sizeof...(kIndexes)];
    };
    return Table{{Entry<kIndexes>()...}};
  }
  static void Call(const CallRecord& c, bool blend, bool bright, bool alpha, bool transparent) {
    static constexpr auto kTable = Make(std::make_integer_sequence<int, 80>{});
    const int index = (((c.mode * 2 + blend) * 2 + bright) * 2 + alpha) * 2 + transparent;
    kTable.fns[index](c);
  }
  // The same on a copy of the record with the mode replaced; out of line, so
  // that the family entries that mostly take a vector loop stay small.
  [[gnu::noinline]] static void CallWithMode(const CallRecord& c, int32_t mode, bool blend,
                                             bool bright, bool alpha, bool transparent) {
    CallRecord copy = c;
    copy.mode = mode;
    Call(copy, blend, bright, alpha, transparent);
  }
};
