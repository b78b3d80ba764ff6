// Triangle spans from an indexed source (one byte per texel into a palette
// of 32-bit entries) onto a 32-bit destination.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/triangle_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct TriangleIndexed32Loop {
  static void Run(const TriangleCall& c) {
    const uint32_t* palette = c.source->palette->entries32;
    // The index is compared with the whole transparent value, so a value
    // above 255 never matches.
    const uint32_t key = c.key;
    WalkTexturedTriangle<1, 4, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t index = *sp;
      if (kTrans && index == key) return;
      Draw32<kMode, kBlend, kBright>(c, palette[index], false, 255, bp, dp);
    });
  }
};

}  // namespace

void TriangleIndexed32(const TriangleCall& call) {
  TriangleCall c = call;
  const int32_t p = c.param;
  if (c.mode == 1 && p == 255) c.mode = 0;
  // Mode 3 has no early exit here: a zero amount still goes through the
  // packed subtract.
  if ((c.mode == 1 || c.mode == 2) && p == 0) return;
  LoopTable<TriangleIndexed32Loop, TriangleCall>::Call(c, c.blend != nullptr, !c.white, false,
                                                       c.transparent != 0);
}
