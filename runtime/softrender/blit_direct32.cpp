// The 32-bit direct family: a 32-bit source without palette (its fourth byte
// the alpha when the alpha flag is set) onto a 32-bit destination.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/blit_vector.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct Direct32Loop {
  static void Run(const BlitCall& c) {
    const uint32_t key = c.transparent_wide;
    WalkRect<4, 4, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t sw = Load32(sp);
      // The pixel gate: with alpha the transparent flag turns on the alpha
      // shortcuts (0 skipped except when multiplying, 255 drawn as opaque);
      // without it every pixel is weighted by its alpha.
      if constexpr (kAlpha) {
        const uint32_t a = sw >> 24;
        if constexpr (kTrans) {
          if (kMode != 4 && a == 0) return;
          Draw32<kMode, kBlend, kBright>(c, sw, a != 255, a, bp, dp);
        } else if constexpr (kMode == 0 && !kBlend && !kBright) {
          Store32(dp, sw);  // copied whole, alpha byte included
        } else {
          Draw32<kMode, kBlend, kBright>(c, sw, true, a, bp, dp);
        }
      } else {
        if (kTrans && sw == key) return;
        Draw32<kMode, kBlend, kBright>(c, sw, false, 255, bp, dp);
      }
    });
  }
};

void CopyRows(const BlitCall& c) {
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const size_t bytes = static_cast<size_t>(c.width) * 4;
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

void HalfSumRows(const BlitCall& c) {
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const int32_t w = c.width;
  for (int32_t y = 0; y < c.height; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      Store32(d + 4 * x, HalfSum32(Load32(s + 4 * x), Load32(d + 4 * x)));
    }
    s += 4 * w + c.src_skip;
    d += 4 * w + c.dst_skip;
  }
}

// The whole-word loops without blend image, brightness or alpha (see the
// indexed family).
template <class Op>
void WholeWords(const BlitCall& c, bool trans, Op op) {
  const uint32_t key = c.transparent_wide;
  WalkRect<4, 4, false>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    const uint32_t sw = Load32(sp);
    if (trans && sw == key) return;
    Store32(dp, op(Load32(dp), sw));
  });
}

// Mode 0 and the halving mode 1 at 128 with the transparent test, as a
// select over whole vectors V (the destination read and written back): a
// transparent pixel keeps the destination's word.
template <class V, bool kHalf>
void KeyedRows(const BlitCall& c) {
  const uint32_t key = c.transparent_wide;
  VectorRows<V, 4>(c, [key](const V& s, const V& d) {
    if constexpr (kHalf) {
      const V half = ((s >> 1) & 0x007F7F7Fu) + ((d >> 1) & 0x007F7F7Fu);
      return s == key ? d : half;
    } else {
      return s == key ? d : s;
    }
  });
}
// The 16-byte forms out of line: the family entry stays small.
template <bool kHalf>
[[gnu::noinline]] void KeyedRowsNarrow(const BlitCall& c) {
  KeyedRows<Vec32, kHalf>(c);
}
template <bool kHalf>
BLIT_AVX2 void KeyedRowsAvx2(const BlitCall& c) {
  KeyedRows<Wide32, kHalf>(c);
}
// Rows of at least four pixels from a source apart from the destination.
template <bool kHalf>
void KeyedVectorRows(const BlitCall& c) {
  if (!kHalf && HasMaskedVectors()) return KeyedCopyMaskedRows<4>(c);
  if (c.width >= 8 && HasAvx2()) return KeyedRowsAvx2<kHalf>(c);
  KeyedRowsNarrow<kHalf>(c);
}

}  // namespace

void BlitDirect32(const BlitCall& call) {
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
    if (mode == 0 && !trans) return CopyRows(c);
    if (trans && c.width >= 4 && SourceApart(c, 4, 4)) {
      if (mode == 0) return KeyedVectorRows<false>(c);
      if (mode == 1 && p == 128) return KeyedVectorRows<true>(c);
    }
    if (mode == 1 && p == 128 && !trans) return HalfSumRows(c);
    if (mode == 1 && p == 128) {
      return WholeWords(c, trans, [](uint32_t d, uint32_t s) { return HalfSum32(s, d); });
    }
    if (mode == 2 && p == 255) {
      if (c.mmx) return WholeWords(c, trans, SaturatingAddBytes);
      return WholeWords(c, trans, [](uint32_t d, uint32_t s) { return ShortPackedAdd32(d, s); });
    }
    if (mode == 3 && p == 255) {
      if (c.mmx) return WholeWords(c, trans, SaturatingSubBytes);
      return WholeWords(c, trans, PackedSub32);
    }
  }
  LoopTable<Direct32Loop>::CallWithMode(call, mode, blend, bright, alpha, trans);
}
