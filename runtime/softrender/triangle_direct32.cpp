// Triangle spans from a 32-bit source (its fourth byte the alpha when the
// alpha flag is set) onto a 32-bit destination.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/triangle_internal.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct TriangleDirect32Loop {
  static void Run(const TriangleCall& c) {
    const uint32_t key = c.key;
    WalkTexturedTriangle<4, 4, kBlend>(c, [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t sw = Load32(sp);
      if constexpr (kAlpha) {
        // With alpha no colour is compared: the transparent flag skips alpha
        // 0 (but the multiply, which then blackens) and draws alpha 255 as
        // opaque; without it every texel is weighed by its alpha.
        const uint32_t a = sw >> 24;
        if constexpr (kTrans) {
          if (kMode != 4 && a == 0) return;
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

}  // namespace

void TriangleDirect32(const TriangleCall& call) {
  TriangleCall c = call;
  const int32_t p = c.param;
  if (c.mode == 1 && p == 255) c.mode = 0;
  if ((c.mode == 1 || c.mode == 2 || c.mode == 3) && p == 0) return;
  LoopTable<TriangleDirect32Loop, TriangleCall>::Call(
      c, c.blend != nullptr, !c.white, c.source->alpha_flag == 1, c.transparent != 0);
}
