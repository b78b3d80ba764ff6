// The stretched 16-bit direct family: a 5-6-5 source without palette (2
// bytes per pixel; 4 bytes with alpha: the colour word, then the alpha byte)
// scaled onto a 5-6-5 destination, every field blended on its own value.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/stretch_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct StretchDirect16Loop {
  static void Run(const StretchCall& c) {
    const uint32_t key = c.transparent_wide;
    WalkStretch<2, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t sw = Load16(sp);
      // The pixel gate, as in the 32-bit direct family.
      if constexpr (kAlpha) {
        const uint32_t a = sp[2];
        if constexpr (kTrans) {
          if (a == 0) return;
          Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, sw, a != 255, a, bp, dp);
        } else {
          Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, sw, true, a, bp, dp);
        }
      } else {
        if (kTrans && sw == key) return;
        Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, sw, false, 255, bp, dp);
      }
    });
  }
};

// The full-strength subtract without blend image, brightness or alpha.
template <bool kTrans>
void SubtractPixels(const StretchCall& c) {
  const uint32_t key = c.transparent_wide;
  WalkStretch<2, false>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    const uint32_t sw = Load16(sp);
    if (kTrans && sw == key) return;
    Store16(dp, PackedSub16(Load16(dp), sw));
  });
}


}  // namespace

void StretchDirect16(const StretchCall& call) {
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
  if (c.mode == 0 && !blend && !bright && !alpha && !trans) return StretchCopyDirect<uint16_t>(c);
  if (c.mode == 3 && p == 255 && !blend && !bright && !alpha) {
    return trans ? SubtractPixels<true>(c) : SubtractPixels<false>(c);
  }
  LoopTable<StretchDirect16Loop, StretchCall>::Call(c, blend, bright, alpha, trans);
}
