#include "runtime/softrender/blit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/softrender/blit_vector.h"
#include "runtime/softrender/stretch_blit.h"
#include "tests/runtime/softrender/render_fixture.h"

namespace {

using namespace render_test;

class BlitTest : public RenderTest {};

// ---------------------------------------------------------------------------
// The real loops against the model, on seeded random images.

std::string Describe(const SourceKind& k, const blit_reference::Settings& s, int transparent,
                     bool blend, int x, int y, int w, int h, uint32_t seed) {
  std::ostringstream o;
  o << k.name << " mode=" << s.mode << " param=" << s.param << " brightness=" << std::hex
    << s.brightness << std::dec << " mmx=" << s.mmx << " transparent=" << transparent
    << " blend=" << blend << " at (" << x << "," << y << ") size " << w << "x" << h
    << " area (" << s.draw_area.left << "," << s.draw_area.top << "," << s.draw_area.right << ","
    << s.draw_area.bottom << ") seed=" << seed;
  return o.str();
}

// Runs `check` on every vector road of the keyed loops: 32-byte vectors
// with mask registers (AVX-512), 32-byte vectors (AVX2) and the 16-byte
// vectors every x86-64 runs. A road the processor lacks falls back to the
// next one.
template <class Check>
void OnEveryVectorRoad(Check&& check) {
  struct Road {
    const char* name;
    bool wide, masked;
  };
  const Road roads[] = {
      {"32-byte vectors with mask registers where the processor has them", true, true},
      {"32-byte vectors where the processor has them", true, false},
      {"16-byte vectors", false, false}};
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    BlitWideVectorsAllowed = road.wide;
    BlitMaskedVectorsAllowed = road.masked;
    check();
  }
  BlitWideVectorsAllowed = true;
  BlitMaskedVectorsAllowed = true;
}

TEST_F(BlitTest, EveryFamilyModeAndVariantMatchesTheModel) {
  const SourceKind kinds[] = {
      {"32-bit indexed", 1, 1, 0, false},        {"32-bit direct", 1, 0, 0, false},
      {"32-bit direct alpha", 1, 0, 1, false},   {"16-bit indexed", 0, 1, 0, false},
      {"16-bit direct", 0, 0, 0, false},         {"16-bit direct alpha", 0, 0, 1, false},
      {"run 32-bit indexed", 1, 1, 0, true},     {"run 32-bit direct", 1, 0, 0, true},
      {"run 32-bit direct alpha", 1, 0, 1, true}, {"run 16-bit indexed", 0, 1, 0, true},
      {"run 16-bit direct", 0, 0, 0, true},      {"run 16-bit direct alpha", 0, 0, 1, true},
  };
  const int params[] = {0, 1, 3, 4, 64, 127, 128, 129, 252, 254, 255};
  const uint32_t brightnesses[] = {0xFFFFFF, 0xFF000000u | 0xFFFFFF, 0x80FF40, 0xFFFFFE, 0x000000};
  constexpr int kDestW = 37, kDestH = 21;
  uint32_t seed = 1;
  int failures = 0;
  for (const SourceKind& k : kinds) {
    for (int mode = 0; mode <= 5; ++mode) {
      for (int param : params) {
        for (uint32_t brightness : brightnesses) {
          for (int transparent : {0, 1, 2}) {
            if (k.run_coded && transparent != 1) continue;
            for (bool blend : {false, true}) {
              for (bool mmx : {false, true}) {
                if (k.kind == 0 && mmx) continue;  // no 16-bit loop reads the flag
                ++seed;
                std::mt19937 rng(seed);
                const int sw = 1 + static_cast<int>(rng() % (k.run_coded ? 70 : 13));
                const int sh = 1 + static_cast<int>(rng() % 7);
                Image src(sw, sh, k.kind, k.palette, k.alpha, k.run_coded);
                FillSource(rng, src, k);
                Image dst(kDestW + (k.run_coded ? 70 : 0), kDestH, k.kind, 0, 0);
                for (int y = 0; y < dst.get()->height; ++y) {
                  for (int x = 0; x < dst.get()->width; ++x) dst.set(x, y, EdgyWord(rng));
                }
                Image blend_image(sw + static_cast<int>(rng() % 3), sh + static_cast<int>(rng() % 3),
                                  2, 0, 0);
                for (int y = 0; y < blend_image.get()->height; ++y) {
                  for (int x = 0; x < blend_image.get()->width; ++x) {
                    blend_image.set(x, y, EdgyByte(rng));
                  }
                }
                BuildBlendGraphicTable(static_cast<int>(rng() & 255),
                                       static_cast<int>(rng() & 255));
                blit_reference::Settings s;
                s.mode = mode;
                s.param = param;
                s.brightness = brightness;
                s.mmx = mmx;
                const int dw = dst.get()->width;
                int x, y;
                if (k.run_coded) {
                  // Wholly inside, so that the run code is taken.
                  s.draw_area = {0, 0, dw, kDestH};
                  x = static_cast<int>(rng() % (dw - sw + 1));
                  y = static_cast<int>(rng() % (kDestH - sh + 1));
                } else {
                  const int l = static_cast<int>(rng() % 6), t = static_cast<int>(rng() % 5);
                  s.draw_area = {l, t, dw - static_cast<int>(rng() % 6),
                                 kDestH - static_cast<int>(rng() % 5)};
                  x = static_cast<int>(rng() % (dw + sw + 4)) - sw - 2;
                  y = static_cast<int>(rng() % (kDestH + sh + 4)) - sh - 2;
                }
                const std::vector<uint8_t> before = dst.snapshot();
                Apply(s);
                BlitMemImage(dst.get(), src.get(), x, y, transparent,
                             blend ? blend_image.get() : nullptr);
                const std::vector<uint8_t> real = dst.snapshot();
                dst.restore(before);
                blit_reference::Blit(dst.get(), src.get(), x, y, transparent,
                                     blend ? blend_image.get() : nullptr, s);
                const std::vector<uint8_t> expected = dst.snapshot();
                if (real != expected) {
                  size_t at = 0;
                  while (real[at] == expected[at]) ++at;
                  const int pitch = dst.get()->pitch;
                  ADD_FAILURE() << Describe(k, s, transparent, blend, x, y, sw, sh, seed)
                                << ": first difference at destination byte " << at << " (x "
                                << (at % pitch) / dst.bytes() << ", y " << at / pitch
                                << "): " << int{real[at]} << " instead of " << int{expected[at]};
                  if (++failures >= 20) return;
                }
              }
            }
          }
        }
      }
    }
  }
}

// The keyed copy and the keyed blend of a direct source go by whole vectors
// of 8 or 16 (16-bit) and 4 or 8 (32-bit) pixels, a row's or a run's last
// vector overlapping the one before it or (with mask registers) holding
// only the row's pixels, and the run-coded copy moves runs in overlapping
// pieces. Widths and run lengths around those sizes, rows starting at every
// position within a 32-byte vector and cut by the draw area on either side,
// against the model.
TEST_F(BlitTest, WideRowsAndLongRunsMatchTheModel) {
  const auto check = [&] {
    const int widths[] = {1, 2, 3, 4, 5, 7, 8, 9, 12, 15, 16, 17, 24, 31, 32, 33, 63, 64, 65, 130};
    struct Road {
      const char* name;
      int kind;
      bool run_coded;
    };
    const Road roads[] = {{"16-bit", 0, false}, {"32-bit", 1, false},
                          {"run 16-bit", 0, true}, {"run 32-bit", 1, true}};
    const int modes[][2] = {{0, 0}, {1, 128}, {1, 1}, {1, 77}, {1, 254}};
    constexpr int kDestW = 150, kDestH = 6;
    uint32_t seed = 7000;
    int failures = 0;
    for (const Road& road : roads) {
      for (int width : widths) {
        for (const auto& [mode, param] : modes) {
          for (int x = 1; x <= 16; ++x) {
            const int shift = x % 4;
            std::mt19937 rng(++seed);
            Image src(width, 4, road.kind, 0, 0, road.run_coded);
            FillSource(rng, src, {"", road.kind, 0, 0, road.run_coded});
            if (road.run_coded && shift % 2 == 1) {
              // Runs as long as the code allows, alternating skip and draw.
              uint8_t* code = src.get()->run_table;
              for (int y = 0; y < 4; ++y) {
                int kind = y % 2;
                for (int left = width; left > 0; kind ^= 1) {
                  const int n = std::min(64, left);
                  *code++ = static_cast<uint8_t>((kind << 6) | (n - 1));
                  left -= n;
                }
                *code++ = 0xC0;
              }
            }
            Image dst(kDestW, kDestH, road.kind, 0, 0);
            for (int y = 0; y < kDestH; ++y) {
              for (int px = 0; px < kDestW; ++px) dst.set(px, y, EdgyWord(rng));
            }
            blit_reference::Settings s{mode, param, 0xFFFFFF, false, {0, 0, kDestW, kDestH}};
            if (!road.run_coded && shift == 2) s.draw_area = {x + 1, 1, kDestW, kDestH};  // cut left
            if (!road.run_coded && shift == 3) s.draw_area = {0, 0, x + width - 1, kDestH - 1};
            Apply(s);
            const int transparent = road.run_coded ? 1 : 1 + shift % 2;
            const std::string diff = CompareWithModel(
                dst, [&] { BlitMemImage(dst.get(), src.get(), x, 1, transparent, nullptr); },
                [&] { blit_reference::Blit(dst.get(), src.get(), x, 1, transparent, nullptr, s); });
            if (!diff.empty()) {
              ADD_FAILURE() << road.name << " width " << width << " mode " << mode << " param "
                            << param << " at x " << x << ": " << diff;
              if (++failures >= 20) return;
            }
          }
        }
      }
    }
  };
  OnEveryVectorRoad(check);
}

// The run-coded blend computes the mode-1 step field by field in vector
// lanes (at 128 all three fields at once): every pair of source and
// destination field values, against the model. Source column x and
// destination row y carry x and y in green and x / 2 and y / 2 in red and
// blue (32-bit: 4x + 3 and 4y + 1 in every channel).
TEST_F(BlitTest, RunCodedBlendMatchesTheModelForEveryFieldPair) {
  const auto check = [&] {
    for (int kind : {0, 1}) {
      for (int param : {128, 1, 64, 127, 129, 200, 254}) {
        Image src(64, 64, kind, 0, 0, true);
        Image dst(64, 64, kind, 0, 0);
        uint8_t* code = src.get()->run_table;
        for (int y = 0; y < 64; ++y) {
          for (int x = 0; x < 64; ++x) {
            if (kind == 0) {
              src.set(x, y, blit_reference::Join16({x / 2, x, x / 2}));
              dst.set(x, y, blit_reference::Join16({y / 2, y, y / 2}));
            } else {
              src.set(x, y, 0x01010101u * static_cast<uint32_t>(4 * x + 3));
              dst.set(x, y, 0x01010101u * static_cast<uint32_t>(4 * y + 1));
            }
          }
          *code++ = 0x40 | 63;  // one drawn run of the whole row
          *code++ = 0xC0;
        }
        src.get()->run_table_flag = 1;
        blit_reference::Settings s{1, param, 0xFFFFFF, false, {0, 0, 64, 64}};
        Apply(s);
        const std::string diff = CompareWithModel(
            dst, [&] { BlitMemImage(dst.get(), src.get(), 0, 0, 1, nullptr); },
            [&] { blit_reference::Blit(dst.get(), src.get(), 0, 0, 1, nullptr, s); });
        EXPECT_EQ(diff, "") << "kind " << kind << " param " << param;
      }
    }
  };
  OnEveryVectorRoad(check);
}

// The run-coded 16-bit blend at 128 rounds each field toward the
// destination from where s - d borrows out of the field, all three fields
// in one lane: every pair of values of each field, with each of the other
// two fields below, equal to or above its destination value (so the borrows
// that cross from field to field take every course), against the model.
TEST_F(BlitTest, RunCodedHalfwayBlendHoldsWhateverTheOtherFieldsDo) {
  struct Field {
    const char* name;
    int shift, top;
  };
  const Field fields[] = {{"red", 11, 31}, {"green", 5, 63}, {"blue", 0, 31}};
  std::vector<std::pair<uint32_t, uint32_t>> pairs;  // (source, destination)
  std::mt19937 rng(4242);
  // Two values of a field in the order asked for (-1 below, 0 equal, 1 above).
  auto ordered = [&rng](int order, int top) {
    const uint32_t a = rng() % (top + 1);
    uint32_t b = rng() % (top + 1);
    if (order == 0) return std::pair{a, a};
    if (a == b) b = a == 0 ? 1 : a - 1;
    const bool a_below = a < b;
    return (order < 0) == a_below ? std::pair{a, b} : std::pair{b, a};
  };
  for (const Field& f : fields) {
    for (int orders = 0; orders < 9; ++orders) {
      for (uint32_t a = 0; a <= static_cast<uint32_t>(f.top); ++a) {
        for (uint32_t b = 0; b <= static_cast<uint32_t>(f.top); ++b) {
          uint32_t s = a << f.shift, d = b << f.shift;
          int order = orders;
          for (const Field& other : fields) {
            if (&other == &f) continue;
            const auto [os, od] = ordered(order % 3 - 1, other.top);
            order /= 3;
            s |= os << other.shift;
            d |= od << other.shift;
          }
          pairs.emplace_back(s, d);
        }
      }
    }
  }
  constexpr int kWidth = 64;
  const int height = static_cast<int>((pairs.size() + kWidth - 1) / kWidth);
  const auto check = [&] {
    Image src(kWidth, height, 0, 0, 0, true);
    Image dst(kWidth, height, 0, 0, 0);
    uint8_t* code = src.get()->run_table;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const size_t i = static_cast<size_t>(y) * kWidth + x;
        src.set(x, y, i < pairs.size() ? pairs[i].first : 0);
        dst.set(x, y, i < pairs.size() ? pairs[i].second : 0);
      }
      *code++ = 0x40 | (kWidth - 1);  // one drawn run of the whole row
      *code++ = 0xC0;
    }
    src.get()->run_table_flag = 1;
    blit_reference::Settings s{1, 128, 0xFFFFFF, false, {0, 0, kWidth, height}};
    Apply(s);
    const std::string diff = CompareWithModel(
        dst, [&] { BlitMemImage(dst.get(), src.get(), 0, 0, 1, nullptr); },
        [&] { blit_reference::Blit(dst.get(), src.get(), 0, 0, 1, nullptr, s); });
    EXPECT_EQ(diff, "");
  };
  OnEveryVectorRoad(check);
}

// The vector forms are taken only for a source apart from the destination:
// an image drawn onto its own pixels, one pixel to the right, goes pixel by
// pixel from the left, each pixel reading what the one before it wrote.
TEST_F(BlitTest, SourceOverlappingTheDestinationGoesPixelByPixel) {
  for (int kind : {0, 1}) {
    Image img(40, 1, kind, 0, 0);
    img.get()->transparent_value = 0x0F0F;
    for (int x = 0; x < 40; ++x) img.set(x, 0, static_cast<uint32_t>(0x100 + x));
    Apply({0, 0, 0xFFFFFF, false, {0, 0, 40, 1}});
    BlitMemImage(img.get(), img.get(), 1, 0, 1, nullptr);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(img.pixel(x, 0), 0x100u) << "kind " << kind << " x " << x;
  }
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------
// Hand-worked pixels: one row of one or two pixels drawn at (0, 0).

struct GoldenCase {
  const char* name;
  int kind, palette, alpha;
  int run_kind;  // -1: drawn without run code; else every pixel in a run of this kind
  int mode, param;
  uint32_t brightness;
  bool mmx;
  int transparent;
  int weight;  // BlendGraphicTable value of the blend byte, -1 without blend image
  uint32_t key;
  std::vector<uint32_t> src;  // pixels, or palette entries for an indexed source
  std::vector<uint32_t> dst;
  std::vector<uint32_t> expected;
};

TEST_F(BlitTest, HandWorkedPixels) {
  const uint32_t W = 0xFFFFFF;
  const GoldenCase cases[] = {
      {"16 halving blend of white on white loses each field's low bit", 0, 0, 0, -1, 1, 128, W,
       false, 0, -1, 0, {0xFFFF}, {0xFFFF}, {0xF7DE}},
      {"16 full add: blue saturates and its carry sets green's low bit", 0, 0, 0, -1, 2, 255, W,
       false, 0, -1, 0, {0x0001}, {0x001F}, {0x003F}},
      {"16 indexed subtract of zero: green's low bit cleared, red's set", 0, 1, 0, -1, 3, 0, W,
       false, 0, -1, 0, {0x0000}, {0xFFFF}, {0xFFDF}},
      {"16 indexed full subtract of black from black gives red 1", 0, 1, 0, -1, 3, 255, W, false,
       0, -1, 0, {0x0000}, {0x0000}, {0x0800}},
      {"16 multiply white by white gives 30, 62, 30", 0, 0, 0, -1, 4, 0, W, false, 0, -1, 0,
       {0xFFFF}, {0xFFFF}, {0xF7DE}},
      {"16 pair add: the left red carry enters the right blue", 0, 1, 0, -1, 2, 255, W, false, 0,
       -1, 0, {20u << 11, 5}, {20u << 11, 3}, {31u << 11, 7}},
      {"16 pair add: a pixel whose partner is transparent has exact blue", 0, 1, 0, -1, 2, 255,
       W, false, 1, -1, 0, {0, 5}, {20u << 11, 3}, {20u << 11, 8}},
      {"16 blend and alpha weights: red 31 over 0 at alpha 128, weight 200", 0, 0, 1, -1, 0, 0, W,
       false, 1, 200, 0, {0x80F800}, {0x0000}, {12u << 11}},
      {"16 run code, blend weight 255: red 31 over 0 gives 30", 0, 0, 0, 1, 0, 0, W, false, 1,
       255, 0, {0xF800}, {0x0000}, {30u << 11}},
      {"16 run code full add: 16, 32, 16 twice gives 31, 63, 31", 0, 0, 0, 1, 2, 255, W, false,
       1, -1, 0, {0x8410}, {0x8410}, {0xFFFF}},
      {"16 run code indexed subtract: blue 1 from black gives red 1", 0, 1, 0, 2, 3, 255, W,
       false, 1, -1, 0, {0x0001}, {0x0000}, {0x0800}},
      {"16 alpha multiply under the transparent flag: alpha 0 blackens", 0, 0, 1, -1, 4, 0, W,
       false, 1, -1, 0, {0x00FFFF}, {0xFFFF}, {0x0000}},
      {"32 full add with MMX saturates every byte", 1, 1, 0, -1, 2, 255, W, true, 0, -1, 0,
       {0x00C8C8C8}, {0x00646464}, {0x00FFFFFF}},
      {"32 full add without MMX: red's carry lands in the fourth byte", 1, 1, 0, -1, 2, 255, W,
       false, 0, -1, 0, {0x00C8C8C8}, {0x00646464}, {0x01FFFFFF}},
      {"32 full add without MMX: green and red lose their low bit", 1, 0, 0, -1, 2, 255, W, false,
       0, -1, 0, {0x00030303}, {0x00040404}, {0x00060607}},
      {"32 halving blend clears the fourth byte", 1, 0, 0, -1, 1, 128, W, false, 0, -1, 0,
       {0xFF102030}, {0xFF000000}, {0x00081018}},
      {"32 indexed subtract of zero sets green's and red's low bit", 1, 1, 0, -1, 3, 0, W, false,
       0, -1, 0, {0x00000000}, {0x80402010}, {0x00412110}},
      {"32 alpha multiply: alpha 0 blackens, the fourth byte stays", 1, 0, 1, -1, 4, 0, W, false,
       1, -1, 0, {0x00FFFFFF}, {0xAA808080}, {0xAA000000}},
      {"32 a key differing only in its fourth byte is drawn", 1, 0, 0, -1, 0, 0, W, false, 1, -1,
       0x00123456, {0x01123456}, {0x00000000}, {0x01123456}},
      {"32 alpha source without the transparent flag is copied whole", 1, 0, 1, -1, 0, 0, W,
       false, 0, -1, 0, {0x00AABBCC}, {0x11223344}, {0x00AABBCC}},
      {"32 alpha 255 without the transparent flag takes the alpha formula", 1, 0, 1, -1, 0, 0, W,
       false, 0, 255, 0, {0xFFFFFFFF}, {0x00000000}, {0x00FDFDFD}},
      {"32 run code add of a zero amount clears the fourth byte", 1, 0, 0, 1, 2, 1, W, false, 1,
       -1, 0, {0x00000000}, {0xFF102030}, {0x00102030}},
      {"32 brightness in mode 0 keeps the fourth byte", 1, 0, 0, -1, 0, 0, 0x808080, false, 0, -1,
       0, {0xFFFFFFFF}, {0x77000000}, {0x77808080}},
  };
  for (const GoldenCase& c : cases) {
    const int n = static_cast<int>(c.dst.size());
    Image src(n, 1, c.kind, c.palette, c.alpha, c.run_kind >= 0);
    Image dst(n, 1, c.kind, 0, 0);
    Image blend(n, 1, 2, 0, 0);
    src.get()->transparent_value = c.key;
    for (int i = 0; i < n; ++i) {
      if (c.palette) {
        if (c.kind == 1) {
          src.get()->palette->entries32[i] = c.src[i];
        } else {
          src.get()->palette->entries16[i] = static_cast<uint16_t>(c.src[i]);
        }
        src.set(i, 0, static_cast<uint32_t>(i));
      } else {
        src.set(i, 0, c.src[i]);
      }
      dst.set(i, 0, c.dst[i]);
      blend.set(i, 0, 9);
    }
    if (c.run_kind >= 0) {
      src.get()->run_table[0] = static_cast<uint8_t>((c.run_kind << 6) | (n - 1));
      src.get()->run_table[1] = 0xC0;
      src.get()->run_table_flag = 1;
    }
    if (c.weight >= 0) BlendGraphicTable[9] = static_cast<uint8_t>(c.weight);
    Apply({c.mode, c.param, c.brightness, c.mmx, {0, 0, n, 1}});
    BlitMemImage(dst.get(), src.get(), 0, 0, c.transparent, c.weight >= 0 ? blend.get() : nullptr);
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(dst.pixel(i, 0), c.expected[i]) << c.name << ", pixel " << i;
    }
  }
}

// ---------------------------------------------------------------------------
// Refusals, clipping and the choice of the run-coded road.

struct EntryCase {
  const char* name;
  int dst_kind, dst_palette, dst_alpha;
  int src_kind;
  int mode, param;
  int x, y, src_w, src_h;
  RECT area;
  RECT drawn;  // the destination pixels that change; empty: none
};

TEST_F(BlitTest, RefusalsAndClipping) {
  const EntryCase cases[] = {
      {"drawn whole", 0, 0, 0, 0, 0, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {2, 3, 6, 5}},
      {"kinds differ", 1, 0, 0, 0, 0, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"destination with palette", 0, 1, 0, 0, 0, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"destination with alpha", 0, 0, 1, 0, 0, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"source of kind 2", 2, 0, 0, 2, 0, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"blend mode 5", 0, 0, 0, 0, 5, 128, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"blend mode -1", 0, 0, 0, 0, -1, 128, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"alpha blend at 0", 0, 0, 0, 0, 1, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"add at 0", 1, 0, 0, 1, 2, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"direct subtract at 0", 0, 0, 0, 0, 3, 0, 2, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"wholly left", 0, 0, 0, 0, 0, 0, -4, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"wholly right", 0, 0, 0, 0, 0, 0, 12, 3, 4, 2, {0, 0, 12, 8}, {}},
      {"wholly above", 1, 0, 0, 1, 0, 0, 2, -2, 4, 2, {0, 0, 12, 8}, {}},
      {"wholly below the draw area", 0, 0, 0, 0, 0, 0, 2, 6, 4, 2, {0, 0, 12, 6}, {}},
      {"empty draw area", 0, 0, 0, 0, 0, 0, 2, 3, 4, 2, {5, 5, 5, 8}, {}},
      {"hangs over the top left", 0, 0, 0, 0, 0, 0, -2, -1, 4, 3, {0, 0, 12, 8}, {0, 0, 2, 2}},
      {"hangs over the bottom right", 1, 0, 0, 1, 0, 0, 10, 7, 4, 3, {0, 0, 12, 8},
       {10, 7, 12, 8}},
      {"cut by the draw area on all sides", 0, 0, 0, 0, 0, 0, 0, 0, 12, 8, {3, 2, 7, 5},
       {3, 2, 7, 5}},
      {"a draw area past the destination is held to it", 0, 0, 0, 0, 0, 0, 9, 6, 6, 5,
       {-5, -5, 40, 40}, {9, 6, 12, 8}},
      {"far off, no wrap-around", 0, 0, 0, 0, 0, 0, 2147483640, 2, 16, 2, {0, 0, 12, 8}, {}},
  };
  for (const EntryCase& c : cases) {
    Image dst(12, 8, c.dst_kind, c.dst_palette, c.dst_alpha);
    Image src(c.src_w, c.src_h, c.src_kind, 0, 0);
    for (int y = 0; y < c.src_h; ++y) {
      for (int x = 0; x < c.src_w; ++x) src.set(x, y, 0x5A5A5A5A);
    }
    Apply({c.mode, c.param, 0xFFFFFF, true, c.area});
    BlitMemImage(dst.get(), src.get(), c.x, c.y, 0, nullptr);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 12; ++x) {
        const bool inside =
            x >= c.drawn.left && x < c.drawn.right && y >= c.drawn.top && y < c.drawn.bottom;
        EXPECT_EQ(dst.pixel(x, y) != 0, inside) << c.name << " at " << x << ", " << y;
      }
    }
  }
}

TEST_F(BlitTest, TooSmallBlendImageDrawsNothing) {
  Image dst(8, 4, 0, 0, 0);
  Image src(4, 4, 0, 0, 0);
  Image blend(4, 3, 2, 0, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) src.set(x, y, 0xFFFF);
  }
  Apply({0, 0, 0xFFFFFF, true, {0, 0, 8, 4}});
  BlitMemImage(dst.get(), src.get(), 0, 0, 0, blend.get());
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.pixel(x, 0), 0u);
}

// The run code is followed only for a transparent flag of exactly 1 and a
// whole source. The source here has a run code that calls every pixel
// opaque although its first column holds the transparent value: through the
// run code that column is drawn, through the ordinary test it is not.
TEST_F(BlitTest, RunCodeIsTakenOnlyForFlagOneAndAWholeSource) {
  struct Case {
    const char* name;
    int kind;
    int transparent;
    int x;
    bool key_drawn;
  };
  const Case cases[] = {
      {"16-bit, flag 1, whole", 0, 1, 0, true},
      {"16-bit, flag 2", 0, 2, 0, false},
      {"16-bit, flag 1, cut on the left", 0, 1, -1, false},
      {"32-bit, flag 1, whole", 1, 1, 0, true},
      {"32-bit, flag 2", 1, 2, 0, false},
      {"32-bit, flag 1, cut on the left", 1, 1, -1, false},
  };
  for (const Case& c : cases) {
    Image dst(8, 2, c.kind, 0, 0);
    Image src(3, 2, c.kind, 0, 0, true);
    src.get()->transparent_value = 0x1234;
    for (int y = 0; y < 2; ++y) {
      src.set(0, y, 0x1234);
      src.set(1, y, 0x5555);
      src.set(2, y, 0x1234);
      src.get()->run_table[2 * y] = 0x40 | 2;
      src.get()->run_table[2 * y + 1] = 0xC0;
    }
    src.get()->run_table_flag = 1;
    Apply({0, 0, 0xFFFFFF, true, {0, 0, 8, 2}});
    BlitMemImage(dst.get(), src.get(), c.x, 0, c.transparent, nullptr);
    // The last source column lands at x + 2.
    EXPECT_EQ(dst.pixel(c.x + 2, 1) == 0x1234, c.key_drawn) << c.name;
    EXPECT_EQ(dst.pixel(c.x + 1, 1), 0x5555u) << c.name;
  }
}

// A palette image whose palette has no entry of the transparent colour keeps
// the transparent value 65535, which names no index: every index is drawn,
// the last one included, whether the draw goes through the run code, is cut
// by the draw area or is stretched.
TEST_F(BlitTest, IndexedSourceWhoseKeyNamesNoIndexDrawsEveryIndex) {
  struct Case {
    const char* name;
    int kind;
    int x;           // the plain blit's position
    bool stretched;  // drawn twice as wide instead
  };
  const Case cases[] = {
      {"16-bit, whole, through the run code", 0, 0, false},
      {"16-bit, cut on the left", 0, -1, false},
      {"16-bit, stretched", 0, 0, true},
      {"32-bit, whole, through the run code", 1, 0, false},
      {"32-bit, cut on the left", 1, -1, false},
      {"32-bit, stretched", 1, 0, true},
  };
  const uint32_t indexes[4] = {255, 1, 255, 2};
  for (const Case& c : cases) {
    Image src(4, 1, c.kind, 1, 0, true);
    Image dst(8, 1, c.kind, 0, 0);
    src.get()->transparent_value = 65535;
    for (int i = 0; i < 256; ++i) {
      if (c.kind == 1) {
        src.get()->palette->entries32[i] = 0x00100000u + static_cast<uint32_t>(i);
      } else {
        src.get()->palette->entries16[i] = static_cast<uint16_t>(0x1000 + i);
      }
    }
    for (int x = 0; x < 4; ++x) src.set(x, 0, indexes[x]);
    ASSERT_EQ(BuildMemImageRunTable(src.get()), 0);
    Apply({0, 0, 0xFFFFFF, true, {0, 0, 8, 1}});
    const int32_t corners[4] = {0, 0, 8, 1};
    if (c.stretched) {
      StretchBlitMemImage(dst.get(), src.get(), corners, 1, nullptr);
    } else {
      BlitMemImage(dst.get(), src.get(), c.x, 0, 1, nullptr);
    }
    const uint32_t base = c.kind == 1 ? 0x00100000u : 0x1000u;
    for (int x = 0; x < 8; ++x) {
      const int column = c.stretched ? x / 2 : x - c.x;
      const uint32_t expected = column >= 0 && column < 4 ? base + indexes[column] : 0u;
      EXPECT_EQ(dst.pixel(x, 0), expected) << c.name << ", pixel " << x;
    }
  }
}

TEST_F(BlitTest, IndexedSourceFillsThePaletteWorkBuffer) {
  Image dst(4, 1, 1, 0, 0);
  Image src(2, 1, 1, 1, 0);
  src.get()->palette_entry_count = 3;
  for (int i = 0; i < 256; ++i) src.get()->palette->entries32[i] = 0xABC000u + i;
  std::memset(PaletteWorkBuffer, 0, sizeof PaletteWorkBuffer);
  Apply({0, 0, 0xFFFFFF, true, {0, 0, 4, 1}});
  BlitMemImage(dst.get(), src.get(), 0, 0, 0, nullptr);
  EXPECT_EQ(PaletteWorkBuffer[0], 0xABC000u);
  EXPECT_EQ(PaletteWorkBuffer[2], 0xABC002u);
  EXPECT_EQ(PaletteWorkBuffer[3], 0u);  // only the entries in use are copied
}

}  // namespace
