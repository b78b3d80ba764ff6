// The 16-bit indexed family: one index byte per source pixel into a palette
// of 5-6-5 entries, drawn onto a 5-6-5 destination.
#include "runtime/softrender/blit_pixel.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct Indexed16Loop {
  static void Run(const BlitCall& c) {
    const uint16_t* palette = c.source->palette->entries16;
    const uint32_t key = c.transparent_wide & 0xFFu;
    WalkRect<1, 2, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t index = *sp;
      if (kTrans && index == key) return;
      Draw16<kMode, kBlend, kBright, Mode1Plain::kLerpWhenWhite>(c, palette[index], false, 255,
                                                                 bp, dp);
    });
  }
};

// Mode 0 without blend image or brightness: the entries are copied, four
// index bytes read at once; with the transparent test a group of four
// transparent indexes is skipped together.
template <bool kTrans>
void CopyEntries(const BlitCall& c) {
  const uint16_t* palette = c.source->palette->entries16;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const uint32_t key = c.transparent_wide & 0xFFu;
  const int32_t w = c.width;
  for (int32_t y = 0; y < c.height; ++y) {
    int32_t x = 0;
    for (; x + 4 <= w; x += 4) {
      if (kTrans && Load32(s + x) == c.transparent_wide) continue;
      for (int32_t i = x; i < x + 4; ++i) {
        if (!kTrans || s[i] != key) Store16(d + 2 * i, palette[s[i]]);
      }
    }
    for (; x < w; ++x) {
      if (!kTrans || s[x] != key) Store16(d + 2 * x, palette[s[x]]);
    }
    s += w + c.src_skip;
    d += 2 * w + c.dst_skip;
  }
}

// Mode 1 at 128 and modes 2 and 3 at full strength, white, without blend
// image: two pixels per 32-bit step counted from the first drawn pixel of
// each row. A pixel whose partner is transparent, and an odd last pixel, go
// alone through the one-word form.
template <int kMode, bool kTrans>
void Pairs(const BlitCall& c) {
  const uint16_t* palette = c.source->palette->entries16;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const uint32_t key = c.transparent_wide & 0xFFu;
  const int32_t w = c.width;
  auto single = [](uint32_t dw, uint32_t pw) {
    if constexpr (kMode == 1) return HalfSum16(pw, dw);
    if constexpr (kMode == 2) return ShortPackedAdd16(dw, pw);
    return PackedSub16(dw, pw);
  };
  for (int32_t y = 0; y < c.height; ++y) {
    int32_t x = 0;
    for (; x + 2 <= w; x += 2) {
      const uint32_t i0 = s[x];
      const uint32_t i1 = s[x + 1];
      if constexpr (kTrans) {
        const bool first = i0 == key;
        const bool second = i1 == key;
        if (first || second) {
          if (first && second) continue;
          const int32_t at = first ? x + 1 : x;
          Store16(d + 2 * at, single(Load16(d + 2 * at), palette[first ? i1 : i0]));
          continue;
        }
      }
      const uint32_t p2 = uint32_t{palette[i0]} | (uint32_t{palette[i1]} << 16);
      const uint32_t d2 = Load32(d + 2 * x);
      uint32_t out;
      if constexpr (kMode == 1) {
        out = HalfSum16(p2, d2);
      } else if constexpr (kMode == 2) {
        out = ShortPackedAddPair16(d2, p2);
      } else {
        out = PackedSubPair16(d2, p2);
      }
      Store32(d + 2 * x, out);
    }
    if (x < w && (!kTrans || s[x] != key)) {
      Store16(d + 2 * x, single(Load16(d + 2 * x), palette[s[x]]));
    }
    s += w + c.src_skip;
    d += 2 * w + c.dst_skip;
  }
}

}  // namespace

void BlitIndexed16(const BlitCall& call) {
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
    if (c.mode == 1 && p == 128) return trans ? Pairs<1, true>(c) : Pairs<1, false>(c);
    if (c.mode == 2 && p == 255) return trans ? Pairs<2, true>(c) : Pairs<2, false>(c);
    if (c.mode == 3 && p == 255) return trans ? Pairs<3, true>(c) : Pairs<3, false>(c);
  }
  LoopTable<Indexed16Loop>::Call(c, blend, bright, false, trans);
}
