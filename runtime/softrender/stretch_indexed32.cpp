// The stretched 32-bit indexed family: one index byte per source pixel into
// a palette of 32-bit entries, scaled onto a 32-bit destination.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/stretch_blit.h"
#include "runtime/softrender/stretch_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct StretchIndexed32Loop {
  static void Run(const StretchCall& c) {
    const uint32_t* palette = c.source->palette->entries32;
    const uint32_t key = c.transparent_wide;
    WalkStretch<4, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t index = *sp;
      if (kTrans && index == key) return;
      Draw32<kMode, kBlend, kBright>(c, palette[index], false, 255, bp, dp);
    });
  }
};

// The full-strength subtract without blend image or brightness: the entry
// itself, read from the work copy of the palette, is subtracted from the
// pixel.
template <bool kTrans, class Op>
void SubtractEntries(const StretchCall& c, Op op) {
  const uint32_t key = c.transparent_wide;
  WalkStretch<4, false>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    const uint32_t index = *sp;
    if (kTrans && index == key) return;
    Store32(dp, op(Load32(dp), StretchPaletteWorkBuffer[index]));
  });
}

// Mode 0 without blend image, brightness or transparent test: the entries
// are copied.
void CopyEntries(const StretchCall& c) {
  const uint32_t* palette = c.source->palette->entries32;
  WalkStretchCopy<4>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    Store32(dp, palette[*sp]);
  });
}

}  // namespace

void StretchIndexed32(const StretchCall& call) {
  StretchCall c = call;
  const int32_t p = c.param;
  if (c.mode == 1 && p == 255) c.mode = 0;
  // Mode 3 has no early exit here: a zero amount still goes through the
  // packed subtract.
  if ((c.mode == 1 || c.mode == 2) && p == 0) return;
  const bool blend = c.blend != nullptr;
  const bool bright = !c.white;
  const bool trans = c.transparent != 0;
  if (c.mode == 0 && !blend && !bright && !trans) return CopyEntries(c);
  if (c.mode == 3 && p == 255 && !blend && !bright) {
    if (c.mmx) {
      return trans ? SubtractEntries<true>(c, SaturatingSubBytes)
                   : SubtractEntries<false>(c, SaturatingSubBytes);
    }
    return trans ? SubtractEntries<true>(c, PackedSub32) : SubtractEntries<false>(c, PackedSub32);
  }
  LoopTable<StretchIndexed32Loop, StretchCall>::Call(c, blend, bright, false, trans);
}
