// Triangle spans from an indexed source (one byte per texel into a palette
// of 5-6-5 entries) onto a 16-bit destination.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/triangle_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct TriangleIndexed16Loop {
  static void Run(const TriangleCall& c) {
    const uint16_t* palette = c.source->palette->entries16;
    // The index is compared with the whole transparent value, so a value
    // above 255 never matches.
    const uint32_t key = c.key;
    WalkTexturedTriangle<1, 2, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t index = *sp;
      if (kTrans && index == key) return;
      Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, palette[index], false, 255, bp,
                                                               dp);
    });
  }
};

}  // namespace

void TriangleIndexed16(const TriangleCall& call) {
  TriangleCall c = call;
  const int32_t p = c.param;
  if (c.mode == 1 && p == 255) c.mode = 0;
  // Mode 3 has no early exit here: a zero amount still goes through the
  // packed subtract.
  if ((c.mode == 1 || c.mode == 2) && p == 0) return;
  LoopTable<TriangleIndexed16Loop, TriangleCall>::Call(c, c.blend != nullptr, !c.white, false,
                                                       c.transparent != 0);
}
