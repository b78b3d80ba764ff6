// The stretched 16-bit indexed family: one index byte per source pixel into
// a palette of 5-6-5 entries, scaled onto a 5-6-5 destination.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/stretch_blit.h"
#include "runtime/softrender/stretch_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct StretchIndexed16Loop {
  static void Run(const StretchCall& c) {
    const uint16_t* palette = c.source->palette->entries16;
    const uint32_t key = c.transparent_wide;
    WalkStretch<2, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t index = *sp;
      if (kTrans && index == key) return;
      Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, palette[index], false, 255, bp,
                                                              dp);
    });
  }
};

// The full-strength subtract without blend image or brightness: the entry
// itself, read from the work copy of the palette, through the packed
// subtract.
template <bool kTrans>
void SubtractEntries(const StretchCall& c) {
  const uint8_t* entries = reinterpret_cast<const uint8_t*>(StretchPaletteWorkBuffer);
  const uint32_t key = c.transparent_wide;
  WalkStretch<2, false>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    const uint32_t index = *sp;
    if (kTrans && index == key) return;
    Store16(dp, PackedSub16(Load16(dp), Load16(entries + 2 * index)));
  });
}

// Mode 0 without blend image, brightness or transparent test: the entries
// are copied.
void CopyEntries(const StretchCall& c) {
  const uint16_t* palette = c.source->palette->entries16;
  WalkStretchCopy<2>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t*) {
    Store16(dp, palette[*sp]);
  });
}

}  // namespace

void StretchIndexed16(const StretchCall& call) {
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
    return trans ? SubtractEntries<true>(c) : SubtractEntries<false>(c);
  }
  LoopTable<StretchIndexed16Loop, StretchCall>::Call(c, blend, bright, false, trans);
}
