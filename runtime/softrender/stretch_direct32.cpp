// The stretched 32-bit direct family: a 32-bit source without palette (its
// fourth byte the alpha when the alpha flag is set) scaled onto a 32-bit
// destination.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/stretch_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct StretchDirect32Loop {
  static void Run(const StretchCall& c) {
    const uint32_t key = c.transparent_wide;
    WalkStretch<4, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t sw = Load32(sp);
      // The pixel gate: with alpha the transparent flag skips alpha 0 and
      // draws alpha 255 as opaque; without it every pixel is weighed by its
      // alpha.
      if constexpr (kAlpha) {
        const uint32_t a = sw >> 24;
        if constexpr (kTrans) {
          if (a == 0) return;
          Draw32<kMode, kBlend, kBright>(c, sw, a != 255, a, bp, dp);
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

// The full-strength subtract without blend image, brightness or alpha: the
// source pixel itself is subtracted.
template <bool kTrans, class Op>
void SubtractPixels(const StretchCall& c, Op op) {
  const uint32_t key = c.transparent_wide;
  WalkStretch<4, false>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    const uint32_t sw = Load32(sp);
    if (kTrans && sw == key) return;
    Store32(dp, op(Load32(dp), sw));
  });
}


}  // namespace

void StretchDirect32(const StretchCall& call) {
  StretchCall c = call;
  const int32_t p = c.param;
  if (c.mode == 1 && p == 255) c.mode = 0;
  if ((c.mode == 1 || c.mode == 2 || c.mode == 3) && p == 0) return;
  const bool blend = c.blend != nullptr;
  const bool bright = !c.white;
  const bool alpha = c.source->alpha_flag == 1;
  const bool trans = c.transparent != 0;
  // Mode 0 without blend image, brightness, alpha or transparent test: the
  // pixels are copied.
  if (c.mode == 0 && !blend && !bright && !alpha && !trans) return StretchCopyDirect<uint32_t>(c);
  if (c.mode == 3 && p == 255 && !blend && !bright && !alpha) {
    if (c.mmx) {
      return trans ? SubtractPixels<true>(c, SaturatingSubBytes)
                   : SubtractPixels<false>(c, SaturatingSubBytes);
    }
    return trans ? SubtractPixels<true>(c, PackedSub32) : SubtractPixels<false>(c, PackedSub32);
  }
  LoopTable<StretchDirect32Loop, StretchCall>::Call(c, blend, bright, alpha, trans);
}
