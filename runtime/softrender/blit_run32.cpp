// The run-coded 32-bit families: a whole 32-bit source drawn through its run
// code, which says for each stretch of a row whether it is skipped, drawn
// opaque or drawn weighted by each pixel's alpha.
#include <type_traits>

#include "runtime/softrender/blit_pixel.h"
#include "runtime/softrender/blit_vector.h"

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
BLIT_AVX2 void CopyRunsAvx2(const BlitCall& c) { CopyRunsBy<Wide32, 4>(c, true); }
// The 16-byte forms and memmove out of line: the family entry stays small.
[[gnu::noinline]] void CopyRunsNarrow(const BlitCall& c, bool apart) {
  CopyRunsBy<Vec32, 4>(c, apart);
}
void CopyRuns(const BlitCall& c) {
  const bool apart = SourceApart(c, 4, 4);
  if (apart && HasAvx2()) return CopyRunsAvx2(c);
  CopyRunsNarrow(c, apart);
}

// Mode 1 without weights or brightness from a direct source without alpha:
// each channel of a drawn pixel becomes ((d << 8) + (s - d) x p) >> 8, that
// is (d x (256 - p) + s x p) >> 8, below 2^16 for every input; the fourth
// byte stays the destination's. Drawn runs of at least one vector V go by
// whole vectors of 16-bit lanes; at p = 128 the channel is the floor of the
// mean of the two, formed for the three channels at once.
template <class V>
struct ChannelLanes;  // the bytes of V, and as many 16-bit lanes
template <>
struct ChannelLanes<Vec32> {
  typedef uint8_t Bytes __attribute__((vector_size(16)));
  typedef uint16_t Wide __attribute__((vector_size(32)));
};
template <>
struct ChannelLanes<Wide32> {
  typedef uint8_t Bytes __attribute__((vector_size(32)));
  typedef uint16_t Wide __attribute__((vector_size(64)));
};
template <class V>
void WeighedRunsBy(const BlitCall& c) {
  const uint16_t p = static_cast<uint16_t>(c.param);
  const uint16_t q = static_cast<uint16_t>(256 - c.param);
  auto pixel = [&c](const uint8_t* sp, uint8_t* dp) {
    Draw32<1, false, false>(c, Load32(sp), false, 255, nullptr, dp);
  };
  if (p == 128) {
    // The masks stay in registers for the whole call (as literals the
    // compiler makes them anew for every run); a 16-byte vector takes the
    // first halves of the same registers.
    V low = V{} + 0x007F7F7Fu, colour = V{} + 0x00FFFFFFu;
    KeepInRegisters(low, colour);
    VectorRuns<V, Vec32, 4>(
        c,
        [low, colour](const auto& s, const auto& d) {
          using U = std::remove_cvref_t<decltype(s)>;
          U l, k;
          if constexpr (std::is_same_v<U, V>) {
            l = low;
            k = colour;
          } else {
            l = __builtin_shufflevector(low, low, 0, 1, 2, 3);
            k = __builtin_shufflevector(colour, colour, 0, 1, 2, 3);
          }
          const U mean = (s & d) + (((s ^ d) >> 1) & l);
          return (mean & k) | (d & ~k);
        },
        pixel);
    return;
  }
  VectorRuns<V, Vec32, 4>(
      c,
      [p, q](const auto& s, const auto& d) {
        using U = std::remove_cvref_t<decltype(s)>;
        using Bytes = typename ChannelLanes<U>::Bytes;
        using Wide = typename ChannelLanes<U>::Wide;
        const Wide ws = __builtin_convertvector(reinterpret_cast<Bytes>(s), Wide);
        const Wide wd = __builtin_convertvector(reinterpret_cast<Bytes>(d), Wide);
        const Bytes mixed = __builtin_convertvector((wd * q + ws * p) >> 8, Bytes);
        return (reinterpret_cast<U>(mixed) & 0x00FFFFFFu) | (d & 0xFF000000u);
      },
      pixel);
}
BLIT_AVX2 void WeighedRunsAvx2(const BlitCall& c) { WeighedRunsBy<Wide32>(c); }
[[gnu::noinline]] void WeighedRunsNarrow(const BlitCall& c) { WeighedRunsBy<Vec32>(c); }
void WeighedRuns(const BlitCall& c) {
  if (HasAvx2()) return WeighedRunsAvx2(c);
  WeighedRunsNarrow(c);
}

}  // namespace

void BlitRunIndexed32(const BlitCall& call) {
  // Only the loop table's loops read the mode from the record: the others
  // take the caller's record as it is, uncopied.
  const BlitCall& c = call;
  int32_t mode = call.mode;
  if (mode == 1 && c.param == 255) mode = 0;
  if ((mode == 1 || mode == 2) && c.param == 0) return;
  LoopTable<RunIndexed32Loop>::CallWithMode(call, mode, c.blend != nullptr, !c.white, false, false);
}

void BlitRunDirect32(const BlitCall& call) {
  // Only the loop table's loops read the mode from the record: the others
  // take the caller's record as it is, uncopied.
  const BlitCall& c = call;
  int32_t mode = call.mode;
  if (mode == 1 && c.param == 255) mode = 0;
  if ((mode == 1 || mode == 2 || mode == 3) && c.param == 0) return;
  const bool alpha = c.source->alpha_flag == 1;
  if (mode == 0 && c.blend == nullptr && c.white && !alpha) return CopyRuns(c);
  if (mode == 1 && c.blend == nullptr && c.white && !alpha && SourceApart(c, 4, 4)) {
    return WeighedRuns(c);
  }
  LoopTable<RunDirect32Loop>::CallWithMode(call, mode, c.blend != nullptr, !c.white, alpha, false);
}
