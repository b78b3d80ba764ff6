// The 32-bit indexed family: one index byte per source pixel into a palette
// of 32-bit entries, drawn onto a 32-bit destination.
#include "runtime/softrender/blit_pixel.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct Indexed32Loop {
  static void Run(const BlitCall& c) {
    const uint32_t* palette = c.source->palette->entries32;
    const uint32_t key = c.transparent_wide & 0xFFu;
    WalkRect<1, 4, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t index = *sp;
      if (kTrans && index == key) return;
      Draw32<kMode, kBlend, kBright>(c, palette[index], false, 255, bp, dp);
    });
  }
};

// Mode 0 without blend image or brightness: the entries are copied whole,
// four index bytes read at once; with the transparent test a group of four
// transparent indexes is skipped together.
template <bool kTrans>
void CopyEntries(const BlitCall& c) {
  const uint32_t* palette = c.source->palette->entries32;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const uint32_t key = c.transparent_wide & 0xFFu;
  const int32_t w = c.width;
  for (int32_t y = 0; y < c.height; ++y) {
    int32_t x = 0;
    for (; x + 4 <= w; x += 4) {
      if (kTrans && Load32(s + x) == c.transparent_wide) continue;
      for (int32_t i = x; i < x + 4; ++i) {
        if (!kTrans || s[i] != key) Store32(d + 4 * i, palette[s[i]]);
      }
    }
    for (; x < w; ++x) {
      if (!kTrans || s[x] != key) Store32(d + 4 * x, palette[s[x]]);
    }
    s += w + c.src_skip;
    d += 4 * w + c.dst_skip;
  }
}

// The whole-word loops without blend image or brightness: the halving
// blend at 128 (its fourth byte 0), and the full-strength add and subtract,
// per byte with saturation on all four bytes when the MMX loops are taken,
// else through the packed forms.
template <class Op>
void WholeWords(const BlitCall& c, bool trans, Op op) {
  const uint32_t* palette = c.source->palette->entries32;
  const uint32_t key = c.transparent_wide & 0xFFu;
  WalkRect<1, 4, false>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    const uint32_t index = *sp;
    if (trans && index == key) return;
    Store32(dp, op(Load32(dp), palette[index]));
  });
}

}  // namespace

void BlitIndexed32(const BlitCall& call) {
  BlitCall c = call;
  const int32_t p = c.param;
  if (c.mode == 1 && p == 255) c.mode = 0;
  // Mode 3 has no early exit here: a zero amount still goes through the
  // packed subtract.
  if ((c.mode == 1 || c.mode == 2) && p == 0) return;
  const bool blend = c.blend != nullptr;
  const bool bright = !c.white;
  const bool trans = c.transparent != 0;
  if (!blend && !bright) {
    if (c.mode == 0) return trans ? CopyEntries<true>(c) : CopyEntries<false>(c);
    if (c.mode == 1 && p == 128) {
      return WholeWords(c, trans, [](uint32_t d, uint32_t s) { return HalfSum32(s, d); });
    }
    if (c.mode == 2 && p == 255) {
      if (c.mmx) return WholeWords(c, trans, SaturatingAddBytes);
      return WholeWords(c, trans, [](uint32_t d, uint32_t s) { return ShortPackedAdd32(d, s); });
    }
    if (c.mode == 3 && p == 255) {
      if (c.mmx) return WholeWords(c, trans, SaturatingSubBytes);
      return WholeWords(c, trans, PackedSub32);
    }
  }
  LoopTable<Indexed32Loop>::Call(c, blend, bright, false, trans);
}
