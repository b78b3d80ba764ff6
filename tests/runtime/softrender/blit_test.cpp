#include "runtime/softrender/blit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/graphics/color_format.h"
#include "runtime/graphics/draw_settings.h"
#include "runtime/graphics/screen_state.h"
#include "runtime/softrender/blend_tables.h"
#include "tests/runtime/softrender/blit_reference.h"

namespace {

// A software image owned by the test.
class Image {
 public:
  Image(int width, int height, int kind, int palette, int alpha, bool extras = false) {
    std::memset(&image_, 0, sizeof image_);
    EXPECT_EQ(InitMemImage(&image_, width, height, -1, 0, kind, palette, alpha, extras ? 1 : 0),
              0);
    std::memset(image_.pixels, 0, static_cast<size_t>(image_.pitch) * height);
    image_.palette_entry_count = 256;
  }
  ~Image() { ReleaseMemImage(&image_); }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  MEMIMG* get() { return &image_; }
  int bytes() const { return image_.format->bytes_per_pixel; }
  uint8_t* at(int x, int y) { return image_.pixels + y * image_.pitch + x * bytes(); }
  uint32_t pixel(int x, int y) { return blit_reference::Read(at(x, y), bytes()); }
  void set(int x, int y, uint32_t v) { blit_reference::Write(at(x, y), bytes(), v); }
  std::vector<uint8_t> snapshot() const {
    return {image_.pixels, image_.pixels + static_cast<size_t>(image_.pitch) * image_.height};
  }
  void restore(const std::vector<uint8_t>& bytes) {
    std::memcpy(image_.pixels, bytes.data(), bytes.size());
  }

 private:
  MEMIMG image_;
};

// Sets the draw settings the blit reads.
void Apply(const blit_reference::Settings& s) {
  BlendMode = s.mode;
  BlendParam = s.param;
  DrawBrightness = s.brightness;
  Screen.MmxBlitsEnabled = s.mmx ? 1 : 0;
  DrawArea = s.draw_area;
}

class BlitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildSoftwareRenderTables();
    BuildBlendGraphicTable(0, 255);
    saved_ = {BlendMode, BlendParam, DrawBrightness, Screen.MmxBlitsEnabled != 0, DrawArea};
    blocks_ = TrackedBlockCount();
  }
  void TearDown() override {
    Apply(saved_);
    EXPECT_EQ(TrackedBlockCount(), blocks_);
  }

 private:
  blit_reference::Settings saved_;
  int32_t blocks_ = 0;
};

// ---------------------------------------------------------------------------
// The real loops against the model, on seeded random images.

// A byte biased toward the values where saturation, flooring and low bits
// matter.
uint32_t EdgyByte(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0: return 0;
    case 1: return 255;
    case 2: return 1 + rng() % 2;
    case 3: return 253 + rng() % 2;
    default: return rng() & 255;
  }
}
uint32_t EdgyWord(std::mt19937& rng) {
  return EdgyByte(rng) | (EdgyByte(rng) << 8) | (EdgyByte(rng) << 16) | (EdgyByte(rng) << 24);
}
uint32_t EdgyAlpha(std::mt19937& rng) {
  switch (rng() % 4) {
    case 0: return 0;
    case 1: return 255;
    default: return rng() & 255;
  }
}

// Random runs of 1 to 64 pixels of kinds 0 to 2 covering each row, and the
// row end; sets the run-code flag.
void RandomRuns(std::mt19937& rng, MEMIMG* image) {
  uint8_t* code = image->run_table;
  for (int y = 0; y < image->height; ++y) {
    int left = image->width;
    while (left > 0) {
      const int n = 1 + static_cast<int>(rng() % std::min(64, left));
      *code++ = static_cast<uint8_t>(((rng() % 3) << 6) | (n - 1));
      left -= n;
    }
    *code++ = 0xC0 | static_cast<uint8_t>(rng() & 0x3F);  // any code of 0xC0 and above ends
  }
  image->run_table_flag = 1;
}

struct SourceKind {
  const char* name;
  int kind, palette, alpha;
  bool run_coded;
};

void FillSource(std::mt19937& rng, Image& src, const SourceKind& k) {
  MEMIMG* m = src.get();
  if (k.palette) {
    m->transparent_value = 0x100 | (rng() & 255);  // only the low byte is the index
    for (int i = 0; i < 256; ++i) {
      const uint32_t w = EdgyWord(rng);
      if (k.kind == 1) {
        m->palette->entries32[i] = w;
      } else {
        m->palette->entries16[i] = static_cast<uint16_t>(w);
      }
    }
  } else {
    m->transparent_value = k.kind == 1 ? EdgyWord(rng) : (EdgyWord(rng) & 0xFFFF);
  }
  for (int y = 0; y < m->height; ++y) {
    for (int x = 0; x < m->width; ++x) {
      uint32_t v;
      if (k.palette) {
        v = rng() % 4 == 0 ? (m->transparent_value & 255) : (rng() & 255);
      } else if (k.alpha) {
        v = k.kind == 1 ? ((EdgyWord(rng) & 0xFFFFFF) | (EdgyAlpha(rng) << 24))
                        : ((EdgyWord(rng) & 0xFFFF) | (EdgyAlpha(rng) << 16) |
                           ((rng() & 255) << 24));
      } else if (rng() % 4 == 0) {
        v = m->transparent_value;
      } else if (k.kind == 1 && rng() % 8 == 0) {
        v = m->transparent_value ^ 0x01000000;  // the key but for its fourth byte
      } else {
        v = EdgyWord(rng);
      }
      src.set(x, y, v);
    }
  }
  if (k.run_coded) RandomRuns(rng, m);
}

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

}  // namespace
