// The run-coded 16-bit families: a whole 16-bit source drawn through its run
// code, which says for each stretch of a row whether it is skipped, drawn
// opaque or drawn weighted by each pixel's alpha.
#include <type_traits>

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
BLIT_AVX2 void CopyRunsAvx2(const BlitCall& c) { CopyRunsBy<Wide32, 2>(c, true); }
// The 16-byte forms and memmove out of line: the family entry stays small.
[[gnu::noinline]] void CopyRunsNarrow(const BlitCall& c, bool apart) {
  CopyRunsBy<Vec32, 2>(c, apart);
}
void CopyRuns(const BlitCall& c) {
  const bool apart = SourceApart(c, 2, 2);
  if (apart && HasAvx2()) return CopyRunsAvx2(c);
  CopyRunsNarrow(c, apart);
}

// Mode 1 without weights or brightness from a source without alpha: each
// field of a drawn pixel moves toward the source's by SignedScaleTable[p]
// of the difference, that is p x |s - d| / 255 rounded toward zero. Drawn
// runs of at least one vector V go by whole vectors computing the table's
// formula; shorter ones through the table.
template <class V>
V TowardSource(const V& s, const V& d, uint16_t p) {
  auto toward = [p](const V& sf, const V& df) {
    const auto below = sf < df;
    const V step = (below ? df - sf : sf - df) * p / 255;
    return below ? df - step : df + step;
  };
  return (toward(s >> 11, d >> 11) << 11) | (toward((s >> 5) & 63, (d >> 5) & 63) << 5) |
         toward(s & 31, d & 31);
}
// At p = 128 the step is |s - d| / 2 rounded down (128 x a / 255 and a / 2
// round down alike for a up to 63): each field becomes the floor m of the
// mean of the two, plus 1 where the difference is odd and the destination
// lies above the source. All three fields at once:
// - m is (s & d) + ((s ^ d) >> 1) with the bits that would cross into the
//   field below cleared;
// - the destination lies above the source in blue where s - d borrows out
//   of bit 4, in green where it borrows out of bit 10 (where green differs,
//   a borrow out of blue cannot change that) and in red where it borrows
//   out of bit 15 (likewise); the borrow out of each bit of s - d is
//   (~s & d) | (~(s ^ d) & (s - d));
// - the high half of the product with 0x1800 (2^11 + 2^12) carries bits 4,
//   10 and 15 to bits 0, 5 and 11, the foot of each field (the other bits
//   it makes, 6 and 10, are cleared with everything but the feet of the
//   fields whose difference is odd).
template <class V>
struct HalfwayMasks {
  V low = V{} + 0x7BEF;      // each field but its top bit
  V borrows = V{} + 0x8410;  // the top bit of each field
  V to_feet = V{} + 0x1800;  // the multiplier
  V feet = V{} + 0x0821;     // the foot of each field
};
template <class V>
V HalfwayToSource(const V& s, const V& d, const HalfwayMasks<V>& k) {
  const V odd = s ^ d;
  const V m = (s & d) + ((odd >> 1) & k.low);
  const V borrows = ((~s & d) | (~odd & (s - d))) & k.borrows;
  const V up = MulHigh(borrows, k.to_feet) & (odd & k.feet);
  return m + up;
}
template <class V>
void WeighedRunsBy(const BlitCall& c) {
  const uint16_t p = static_cast<uint16_t>(c.param);
  auto pixel = [&c](const uint8_t* sp, uint8_t* dp) {
    Draw16<1, false, false, Mode1Plain::kSignedScale>(c, Load16(sp), false, 255, nullptr, dp);
  };
  if (p == 128) {
    // The masks stay in registers for the whole call (as literals the
    // compiler makes them anew for every run).
    HalfwayMasks<V> masks;
    KeepInRegisters(masks.low, masks.borrows, masks.to_feet, masks.feet);
    VectorRuns<V, Vec16, 2>(
        c,
        [&masks](const auto& s, const auto& d) {
          using U = std::remove_cvref_t<decltype(s)>;
          if constexpr (std::is_same_v<U, V>) {
            return HalfwayToSource(s, d, masks);
          } else {
            // A 16-byte vector: the first halves of the same registers.
            auto first_half = [](const V& v) {
              return __builtin_shufflevector(v, v, 0, 1, 2, 3, 4, 5, 6, 7);
            };
            const HalfwayMasks<U> half{first_half(masks.low), first_half(masks.borrows),
                                       first_half(masks.to_feet), first_half(masks.feet)};
            return HalfwayToSource(s, d, half);
          }
        },
        pixel);
  } else {
    VectorRuns<V, Vec16, 2>(c, [p](const auto& s, const auto& d) { return TowardSource(s, d, p); }, pixel);
  }
}
BLIT_AVX2 void WeighedRunsAvx2(const BlitCall& c) { WeighedRunsBy<Wide16>(c); }
[[gnu::noinline]] void WeighedRunsNarrow(const BlitCall& c) { WeighedRunsBy<Vec16>(c); }
void WeighedRuns(const BlitCall& c) {
  if (HasAvx2()) return WeighedRunsAvx2(c);
  WeighedRunsNarrow(c);
}

}  // namespace

void BlitRunIndexed16(const BlitCall& call) {
  // Only the loop table's loops read the mode from the record: the others
  // take the caller's record as it is, uncopied.
  const BlitCall& c = call;
  int32_t mode = call.mode;
  if (mode == 1 && c.param == 255) mode = 0;
  if ((mode == 1 || mode == 2) && c.param == 0) return;
  LoopTable<RunIndexed16Loop>::CallWithMode(call, mode, c.blend != nullptr, !c.white, false, false);
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
  LoopTable<RunDirect16Loop>::CallWithMode(call, mode, c.blend != nullptr, !c.white, alpha, false);
}
