// The run-coded 32-bit families: a whole 32-bit source drawn through its run
// code, which says for each stretch of a row whether it is skipped, drawn
// opaque or drawn weighted by each pixel's alpha.
#include "runtime/softrender/blit_pixel.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct RunIndexed32Loop {
  static void Run(const BlitCall& c) {
    const uint32_t* palette = c.source->palette->entries32;
    // Translucent runs of an indexed source draw like opaque ones.
    auto draw = [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      Draw32<kMode, kBlend, kBright>(c, palette[*sp], false, 255, bp, dp);
    };
    WalkRuns<1, 4, kBlend>(c, draw, draw);
  }
};

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct RunDirect32Loop {
  static void Run(const BlitCall& c) {
    auto opaque = [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      Draw32<kMode, kBlend, kBright>(c, Load32(sp), false, 255, bp, dp);
    };
    auto translucent = [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      Draw32<kMode, kBlend, kBright>(c, Load32(sp), kAlpha, sp[3], bp, dp);
    };
    WalkRuns<4, 4, kBlend>(c, opaque, translucent);
  }
};

// Mode 0 without weights or brightness from a direct source without alpha:
// drawn runs are copied whole.
void CopyRuns(const BlitCall& c) {
  const uint8_t* code = c.run_code;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  for (int32_t y = 0; y < c.height; ++y) {
    for (;;) {
      const uint32_t run = *code++;
      if (run >= 0xC0) break;
      const size_t bytes = ((run & 0x3F) + 1) * 4;
      if (run >= 0x40) std::memmove(d, s, bytes);
      s += bytes;
      d += bytes;
    }
    s += c.src_skip;
    d += c.dst_skip;
  }
}

}  // namespace

void BlitRunIndexed32(const BlitCall& call) {
  BlitCall c = call;
  if (c.mode == 1 && c.param == 255) c.mode = 0;
  if ((c.mode == 1 || c.mode == 2) && c.param == 0) return;
  LoopTable<RunIndexed32Loop>::Call(c, c.blend != nullptr, !c.white, false, false);
}

void BlitRunDirect32(const BlitCall& call) {
  BlitCall c = call;
  if (c.mode == 1 && c.param == 255) c.mode = 0;
  if ((c.mode == 1 || c.mode == 2 || c.mode == 3) && c.param == 0) return;
  const bool alpha = c.source->alpha_flag == 1;
  if (c.mode == 0 && c.blend == nullptr && c.white && !alpha) return CopyRuns(c);
  LoopTable<RunDirect32Loop>::Call(c, c.blend != nullptr, !c.white, alpha, false);
}
