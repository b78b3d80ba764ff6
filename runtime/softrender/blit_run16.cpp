// The run-coded 16-bit families: a whole 16-bit source drawn through its run
// code, which says for each stretch of a row whether it is skipped, drawn
// opaque or drawn weighted by each pixel's alpha.
#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/blit_vector.h"

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
template <class V>
void CopyRunsBy(const BlitCall& c, bool apart) {
  const uint8_t* code = c.run_code;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const int32_t src_skip = c.src_skip;
  const int32_t dst_skip = c.dst_skip;
  const int32_t height = c.height;
  const size_t row = static_cast<size_t>(c.width) * 2;
  for (int32_t y = 0; y < height; ++y) {
    PrefetchRowAhead(d, static_cast<intptr_t>(row) + dst_skip, row);
    for (;;) {
      const uint32_t run = *code++;
      if (run >= 0xC0) break;
      const size_t bytes = ((run & 0x3F) + 1) * 2;
      if (run >= 0x40) {
        if (apart) {
          CopySpan<V>(d, s, bytes);
        } else {
          std::memmove(d, s, bytes);
        }
      }
      s += bytes;
      d += bytes;
    }
    s += src_skip;
    d += dst_skip;
  }
}
BLIT_AVX2 void CopyRunsAvx2(const BlitCall& c) { CopyRunsBy<Wide32>(c, true); }
void CopyRuns(const BlitCall& c) {
  const bool apart = SourceApart(c, 2, 2);
  if (apart && HasAvx2()) return CopyRunsAvx2(c);
  CopyRunsBy<Vec32>(c, apart);
}

// Mode 1 without weights or brightness from a source without alpha: each
// field of a drawn pixel moves toward the source's by SignedScaleTable[p]
// of the difference, that is p x |s - d| / 255 rounded toward zero. Drawn
// runs of eight pixels or more go by whole vectors, computing the table's
// formula; shorter ones through the table.
void WeighedRuns(const BlitCall& c) {
  const uint16_t p = static_cast<uint16_t>(c.param);
  auto toward = [p](Vec16 s, Vec16 d) {
    const auto below = s < d;
    const Vec16 step = (below ? d - s : s - d) * p / 255;
    return below ? d - step : d + step;
  };
  VectorRuns<Vec16, 2>(
      c,
      [&toward](Vec16 s, Vec16 d) {
        return (toward(s >> 11, d >> 11) << 11) |
               (toward((s >> 5) & 63, (d >> 5) & 63) << 5) | toward(s & 31, d & 31);
      },
      [&c](const uint8_t* sp, uint8_t* dp) {
        Draw16<1, false, false, Mode1Plain::kSignedScale>(c, Load16(sp), false, 255, nullptr,
                                                          dp);
      });
}

}  // namespace

void BlitRunIndexed16(const BlitCall& call) {
  // Only the loop table's loops read the mode from the record: the others
  // take the caller's record as it is, uncopied.
  const BlitCall& c = call;
  int32_t mode = call.mode;
  if (mode == 1 && c.param == 255) mode = 0;
  if ((mode == 1 || mode == 2) && c.param == 0) return;
  BlitCall table_call = call;
  table_call.mode = mode;
  LoopTable<RunIndexed16Loop>::Call(table_call, c.blend != nullptr, !c.white, false, false);
}

void BlitRunDirect16(const BlitCall& call) {
  // Only the loop table's loops read the mode from the record: the others
  // take the caller's record as it is, uncopied.
  const BlitCall& c = call;
  int32_t mode = call.mode;
  if (mode == 1 && c.param == 255) mode = 0;
  if ((mode == 1 || mode == 2 || mode == 3) && c.param == 0) return;
  const bool alpha = c.source->alpha_flag == 1;
  if (mode == 0 && c.blend == nullptr && c.white && !alpha) return CopyRuns(c);
  if (mode == 1 && c.blend == nullptr && c.white && !alpha && SourceApart(c, 2, 2)) {
    return WeighedRuns(c);
  }
  BlitCall table_call = call;
  table_call.mode = mode;
  LoopTable<RunDirect16Loop>::Call(table_call, c.blend != nullptr, !c.white, alpha, false);
}
