// Triangle spans from a 16-bit source onto a 16-bit destination: 5-6-5
// texels, or 4-byte texels of a colour word and an alpha byte.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/triangle_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct TriangleDirect16Loop {
  static void Run(const TriangleCall& c) {
    const uint32_t key = c.key;
    constexpr int kSrcBytes = kAlpha ? 4 : 2;
    WalkTexturedTriangle<kSrcBytes, 2, kBlend>(
        c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
          const uint32_t sw = Load16(sp);
          if constexpr (kAlpha) {
            // As for 32-bit sources: the transparent flag skips alpha 0 (but
            // the multiply) and draws alpha 255 as opaque.
            const uint32_t a = sp[2];
            if constexpr (kTrans) {
              if (kMode != 4 && a == 0) return;
              Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, sw, a != 255, a, bp, dp);
            } else {
              Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, sw, true, a, bp, dp);
            }
          } else {
            // The texel word is compared with the whole transparent value.
            if (kTrans && sw == key) return;
            Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, sw, false, 255, bp, dp);
          }
        });
  }
};

}  // namespace

void TriangleDirect16(const TriangleCall& call) {
  TriangleCall c = call;
  const int32_t p = c.param;
  if (c.mode == 1 && p == 255) c.mode = 0;
  if ((c.mode == 1 || c.mode == 2 || c.mode == 3) && p == 0) return;
  LoopTable<TriangleDirect16Loop, TriangleCall>::Call(
      c, c.blend != nullptr, !c.white, c.source->alpha_flag == 1, c.transparent != 0);
}
