// The 16-bit direct family: a 5-6-5 source without palette (2 bytes per
// pixel; 4 bytes with alpha: the colour word, then the alpha byte) onto a
// 5-6-5 destination, every field blended on its own value.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/blit_vector.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct Direct16Loop {
  static void Run(const BlitCall& c) {
    constexpr int kSrcBytes = kAlpha ? 4 : 2;
    constexpr Mode1Plain kPlain = kAlpha ? Mode1Plain::kSignedScale : Mode1Plain::kLerpWhenWhite;
    const uint32_t key = c.transparent_wide & 0xFFFFu;
    WalkRect<kSrcBytes, 2, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t sw = Load16(sp);
      // The pixel gate: which pixels are drawn and whether alpha weighs them.
      if constexpr (kAlpha) {
        const uint32_t a = sp[2];
        if constexpr (kTrans) {
          if (kMode != 4 && a == 0) return;
          Draw16<kMode, kBlend, kBright, kPlain>(c, sw, a != 255, a, bp, dp);
        } else if constexpr (kMode == 0 && !kBlend && !kBright) {
          Store16(dp, sw);  // copied whole, alpha ignored
        } else {
          Draw16<kMode, kBlend, kBright, kPlain>(c, sw, true, a, bp, dp);
        }
      } else {
        if (kTrans && sw == key) return;
        Draw16<kMode, kBlend, kBright, kPlain>(c, sw, false, 255, bp, dp);
      }
    });
  }
};

// ---- Loops without blend image, brightness or alpha that need no field
// arithmetic or go two pixels per 32-bit step ----

void CopyRows(const BlitCall& c) {
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const size_t bytes = static_cast<size_t>(c.width) * 2;
  if (c.src_skip == 0 && c.dst_skip == 0) {
    std::memmove(d, s, bytes * c.height);  // rows without gaps: one block
    return;
  }
  for (int32_t y = 0; y < c.height; ++y) {
    std::memmove(d, s, bytes);
    s += bytes + c.src_skip;
    d += bytes + c.dst_skip;
  }
}

// The keyed copy (kHalf false) and the keyed halving blend at 128 (kHalf
// true) over whole vectors V: a transparent pixel keeps the destination's.
template <class V, bool kHalf>
void KeyedRows(const BlitCall& c) {
  const uint16_t key = static_cast<uint16_t>(c.transparent_wide & 0xFFFFu);
  VectorRows<V, 2>(c, [key](const V& s, const V& d) {
    if constexpr (kHalf) {
      const V half = ((s >> 1) & 0x7BEF) + ((d >> 1) & 0x7BEF);
      return s == key ? d : half;
    } else {
      return s == key ? d : s;
    }
  });
}
// The 16-byte forms out of line: the family entry stays small.
template <bool kHalf>
[[gnu::noinline]] void KeyedRowsNarrow(const BlitCall& c) {
  KeyedRows<Vec16, kHalf>(c);
}
template <bool kHalf>
BLIT_AVX2 void KeyedRowsAvx2(const BlitCall& c) {
  KeyedRows<Wide16, kHalf>(c);
}
// Rows of at least eight pixels from a source apart from the destination.
template <bool kHalf>
void KeyedVectorRows(const BlitCall& c) {
  if (!kHalf && HasMaskedVectors()) return KeyedCopyMaskedRows<2>(c);
  if (c.width >= 16 && HasAvx2()) return KeyedRowsAvx2<kHalf>(c);
  KeyedRowsNarrow<kHalf>(c);
}

// A keyed copy: each pixel takes the source's colour unless that is the
// transparent one. Written as a select over the whole row (the destination
// read and written back), or where the processor has mask registers as
// stores of only the drawn pixels; map chips cut from their sheets are
// drawn this way, many per frame. Rows of at least eight pixels go by whole
// vectors.
void KeyedCopyRows(const BlitCall& c) {
  const uint16_t key = static_cast<uint16_t>(c.transparent_wide & 0xFFFFu);
  if (c.width >= 8 && SourceApart(c, 2, 2)) return KeyedVectorRows<false>(c);
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const int32_t w = c.width;
  for (int32_t y = 0; y < c.height; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint16_t sw = Load16(s + 2 * x);
      const uint16_t dw = Load16(d + 2 * x);
      Store16(d + 2 * x, sw == key ? dw : sw);
    }
    s += 2 * w + c.src_skip;
    d += 2 * w + c.dst_skip;
  }
}

void HalfSumRows(const BlitCall& c) {
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const int32_t w = c.width;
  for (int32_t y = 0; y < c.height; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      Store16(d + 2 * x, HalfSum16(Load16(s + 2 * x), Load16(d + 2 * x)));
    }
    s += 2 * w + c.src_skip;
    d += 2 * w + c.dst_skip;
  }
}

// Modes 2 and 3 at full strength: pairs of pixels from the first drawn pixel
// of each row through the pair forms; a pixel whose partner is transparent,
// and an odd last pixel, through the one-word forms.
template <bool kAdd, bool kTrans>
void FullStrengthPairs(const BlitCall& c) {
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const uint32_t key = c.transparent_wide & 0xFFFFu;
  const int32_t w = c.width;
  for (int32_t y = 0; y < c.height; ++y) {
    int32_t x = 0;
    for (; x + 2 <= w; x += 2) {
      const uint32_t s2 = Load32(s + 2 * x);
      if constexpr (kTrans) {
        const bool first = (s2 & 0xFFFFu) == key;
        const bool second = (s2 >> 16) == key;
        if (first || second) {
          if (first && second) continue;
          const int32_t at = first ? x + 1 : x;
          const uint32_t sw = first ? s2 >> 16 : s2 & 0xFFFFu;
          const uint32_t dw = Load16(d + 2 * at);
          Store16(d + 2 * at, kAdd ? ShortPackedAdd16(dw, sw) : PackedSub16(dw, sw));
          continue;
        }
      }
      const uint32_t d2 = Load32(d + 2 * x);
      Store32(d + 2 * x, kAdd ? ShortPackedAddPair16(d2, s2) : PackedSubPair16(d2, s2));
    }
    if (x < w) {
      const uint32_t sw = Load16(s + 2 * x);
      if (!kTrans || sw != key) {
        const uint32_t dw = Load16(d + 2 * x);
        Store16(d + 2 * x, kAdd ? ShortPackedAdd16(dw, sw) : PackedSub16(dw, sw));
      }
    }
    s += 2 * w + c.src_skip;
    d += 2 * w + c.dst_skip;
  }
}

}  // namespace

void BlitDirect16(const BlitCall& call) {
  // Only the loop table's loops read the mode from the record: the others
  // take the caller's record as it is, uncopied.
  const BlitCall& c = call;
  int32_t mode = call.mode;
  const int32_t p = c.param;
  if (mode == 1 && p == 255) mode = 0;
  if ((mode == 1 || mode == 2 || mode == 3) && p == 0) return;
  const bool blend = c.blend != nullptr;
  const bool bright = !c.white;
  const bool alpha = c.source->alpha_flag == 1;
  const bool trans = c.transparent != 0;
  if (!blend && !bright && !alpha) {
    if (mode == 0) return trans ? KeyedCopyRows(c) : CopyRows(c);
    if (mode == 1 && p == 128 && !trans) return HalfSumRows(c);
    if (mode == 1 && p == 128) {
      // The average of the two-pixel form gives each pixel its own result;
      // with the transparent test it goes pixel by pixel, or as a select
      // over whole vectors.
      const uint32_t key = c.transparent_wide & 0xFFFFu;
      if (c.width >= 8 && SourceApart(c, 2, 2)) return KeyedVectorRows<true>(c);
      WalkRect<2, 2, false>(c, [key](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
        const uint32_t sw = Load16(sp);
        if (sw != key) Store16(dp, HalfSum16(sw, Load16(dp)));
      });
      return;
    }
    if (mode == 2 && p == 255) {
      return trans ? FullStrengthPairs<true, true>(c) : FullStrengthPairs<true, false>(c);
    }
    if (mode == 3 && p == 255) {
      return trans ? FullStrengthPairs<false, true>(c) : FullStrengthPairs<false, false>(c);
    }
  }
  LoopTable<Direct16Loop>::CallWithMode(call, mode, blend, bright, alpha, trans);
}
