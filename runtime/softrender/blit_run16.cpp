// The run-coded 16-bit families: a whole 16-bit source drawn through its run
// code, which says for each stretch of a row whether it is skipped, drawn
// opaque or drawn weighted by each pixel's alpha.
#include "runtime/softrender/blit_pixel.h"

namespace {

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct RunIndexed16Loop {
  static void Run(const BlitCall& c) {
    const uint16_t* palette = c.source->palette->entries16;
    // Translucent runs of an indexed source draw like opaque ones.
    auto draw = [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, palette[*sp], false, 255, bp,
                                                               dp);
    };
    WalkRuns<1, 2, kBlend>(c, draw, draw);
  }
};

template <int kMode, bool kBlend, bool kBright, bool kAlpha, bool kTrans>
struct RunDirect16Loop {
  static void Run(const BlitCall& c) {
    constexpr int kSrcBytes = kAlpha ? 4 : 2;
    auto opaque = [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, Load16(sp), false, 255, bp, dp);
    };
    auto translucent = [&](const uint8_t* sp, uint8_t* dp, const uint8_t* bp) {
      const uint32_t a = kAlpha ? sp[2] : 255u;
      Draw16<kMode, kBlend, kBright, Mode1Plain::kSignedScale>(c, Load16(sp), kAlpha, a, bp, dp);
    };
    WalkRuns<kSrcBytes, 2, kBlend>(c, opaque, translucent);
  }
};

// Mode 0 without weights or brightness from a source without alpha: drawn
// runs are copied whole.
void CopyRuns(const BlitCall& c) {
  const uint8_t* code = c.run_code;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  for (int32_t y = 0; y < c.height; ++y) {
    for (;;) {
      const uint32_t run = *code++;
      if (run >= 0xC0) break;
      const int32_t n = static_cast<int32_t>(run & 0x3F) + 1;
      if (run >= 0x40) std::memmove(d, s, static_cast<size_t>(n) * 2);
      s += n * 2;
      d += n * 2;
    }
    s += c.src_skip;
    d += c.dst_skip;
  }
}

}  // namespace

void BlitRunIndexed16(const BlitCall& call) {
  BlitCall c = call;
  if (c.mode == 1 && c.param == 255) c.mode = 0;
  if ((c.mode == 1 || c.mode == 2) && c.param == 0) return;
  LoopTable<RunIndexed16Loop>::Call(c, c.blend != nullptr, !c.white, false, false);
}

void BlitRunDirect16(const BlitCall& call) {
  BlitCall c = call;
  if (c.mode == 1 && c.param == 255) c.mode = 0;
  if ((c.mode == 1 || c.mode == 2 || c.mode == 3) && c.param == 0) return;
  const bool alpha = c.source->alpha_flag == 1;
  if (c.mode == 0 && c.blend == nullptr && c.white && !alpha) return CopyRuns(c);
  LoopTable<RunDirect16Loop>::Call(c, c.blend != nullptr, !c.white, alpha, false);
}
