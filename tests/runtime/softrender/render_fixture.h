// What the software renderer's tests share: images owned by a test, the
// draw settings, a fixture, and seeded random pixels biased toward the
// values where saturation, flooring and low bits matter.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "runtime/softrender/blend_tables.h"
#include "tests/runtime/softrender/blit_reference.h"

namespace render_test {

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
inline void Apply(const blit_reference::Settings& s) {
  BlendMode = s.mode;
  BlendParam = s.param;
  DrawBrightness = s.brightness;
  Screen.MmxBlitsEnabled = s.mmx ? 1 : 0;
  DrawArea = s.draw_area;
}

// Builds the tables, and checks that every test leaves the draw settings as
// it found them and frees every block it took.
class RenderTest : public ::testing::Test {
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

// A byte biased toward the values where saturation, flooring and low bits
// matter.
inline uint32_t EdgyByte(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0: return 0;
    case 1: return 255;
    case 2: return 1 + rng() % 2;
    case 3: return 253 + rng() % 2;
    default: return rng() & 255;
  }
}
inline uint32_t EdgyWord(std::mt19937& rng) {
  return EdgyByte(rng) | (EdgyByte(rng) << 8) | (EdgyByte(rng) << 16) | (EdgyByte(rng) << 24);
}
inline uint32_t EdgyAlpha(std::mt19937& rng) {
  switch (rng() % 4) {
    case 0: return 0;
    case 1: return 255;
    default: return rng() & 255;
  }
}

// Random runs of 1 to 64 pixels of kinds 0 to 2 covering each row, and the
// row end; sets the run-code flag.
inline void RandomRuns(std::mt19937& rng, MEMIMG* image) {
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

inline void FillSource(std::mt19937& rng, Image& src, const SourceKind& k) {
  MEMIMG* m = src.get();
  if (k.palette) {
    // Now and then a value above 255, which names no index.
    m->transparent_value = rng() % 4 == 0 ? (0x100 | (rng() & 255)) : (rng() & 255);
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

// Runs `real` on `dest`, then `model` on `dest` as it was before: an empty
// text when both leave the same pixels, else where they first differ.
template <class Real, class Model>
std::string CompareWithModel(Image& dest, Real&& real, Model&& model) {
  const std::vector<uint8_t> before = dest.snapshot();
  real();
  const std::vector<uint8_t> got = dest.snapshot();
  dest.restore(before);
  model();
  const std::vector<uint8_t> expected = dest.snapshot();
  if (got == expected) return {};
  size_t at = 0;
  while (got[at] == expected[at]) ++at;
  const int pitch = dest.get()->pitch;
  std::ostringstream o;
  o << "first difference at byte " << at << " (x " << (at % pitch) / dest.bytes() << ", y "
    << at / pitch << "): " << int{got[at]} << " instead of " << int{expected[at]};
  return o.str();
}

}  // namespace render_test
