#include "runtime/image/convert_blit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <functional>
#include <string>
#include <vector>

#include "runtime/image/color_format.h"

namespace {

ColorFormat Masks(int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  ColorFormat f{};
  BuildColorFormatFromMasks(&f, depth, r, g, b, a);
  return f;
}

// The formats the runtime converts between.
const ColorFormat kRgb565 = Masks(16, 0xF800, 0x07E0, 0x001F, 0);
const ColorFormat kRgb555 = Masks(16, 0x7C00, 0x03E0, 0x001F, 0);
const ColorFormat kArgb1555 = Masks(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
const ColorFormat kArgb4444 = Masks(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
const ColorFormat kXrgb8888 = Masks(32, 0xFF0000, 0xFF00, 0xFF, 0);
// The 16-bit colour with alpha of the software images: 5-6-5 in the low
// word, alpha in bits 16 to 23.
const ColorFormat kRgb565A8 = Masks(32, 0xF800, 0x07E0, 0x001F, 0x00FF0000);

ColorFormat Rgb888() {
  ColorFormat f{};
  SetRgb888ColorFormat(&f);
  return f;
}
ColorFormat Argb8888() {
  ColorFormat f{};
  SetArgb8888ColorFormat(&f);
  return f;
}
const ColorFormat kRgb888 = Rgb888();
const ColorFormat kArgb8888 = Argb8888();

// A palette format whose entry i is (r, g, b) = (i * 7, 255 - i, i * 3),
// with a few fixed entries the cases use.
ColorFormat MakePalette() {
  ColorFormat f{};
  SetPalette8ColorFormat(&f);
  for (int i = 0; i < 256; ++i) {
    f.palette[i] = ColorPaletteEntry{static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
                                     static_cast<uint8_t>(i * 7), 0};
  }
  f.palette[3] = ColorPaletteEntry{0x75, 0x75, 0x00, 0};  // the key colour (0, 117, 117)
  f.palette[5] = ColorPaletteEntry{0x40, 0x80, 0xFF, 0};  // (255, 128, 64)
  return f;
}
const ColorFormat kPalette = MakePalette();

ColorFormat MakeGrey() {
  ColorFormat f{};
  SetGray8ColorFormat(&f);
  return f;
}
const ColorFormat kGrey = MakeGrey();

constexpr uint32_t kKey = 0x007575;  // (0, 117, 117)

struct Options {
  int mirror = 0;
  int alpha_from_key = 0;
  uint32_t key = 0;
  int dither = 0;
  int general_only = 0;
  int no_key_alpha = 0;
  int key_copy = 0;
  const ColorFormat* alpha_format = nullptr;
  std::vector<uint32_t> alpha_pixels;
};

std::vector<uint8_t> Pack(const std::vector<uint32_t>& pixels, int bytes) {
  std::vector<uint8_t> out(pixels.size() * bytes);
  for (size_t i = 0; i < pixels.size(); ++i) {
    for (int k = 0; k < bytes; ++k) out[i * bytes + k] = static_cast<uint8_t>(pixels[i] >> (8 * k));
  }
  return out;
}

std::vector<uint32_t> Unpack(const std::vector<uint8_t>& bytes_in, int bytes) {
  std::vector<uint32_t> out(bytes_in.size() / bytes);
  for (size_t i = 0; i < out.size(); ++i) {
    uint32_t v = 0;
    for (int k = 0; k < bytes; ++k) v |= uint32_t{bytes_in[i * bytes + k]} << (8 * k);
    out[i] = v;
  }
  return out;
}

constexpr uint32_t kUntouched = 0xA5A5A5A5;

// Converts `rows` rows of `source` (each `width` pixels) into a destination
// of the same size that starts filled with kUntouched.
struct Converted {
  std::vector<uint32_t> pixels;
  int result;
};

Converted Convert(const ColorFormat& source_format, const std::vector<uint32_t>& source,
                  const ColorFormat& dest_format, const Options& o = {}, int rows = 1) {
  const int sb = source_format.bytes_per_pixel;
  const int db = dest_format.bytes_per_pixel;
  const int width = static_cast<int>(source.size()) / rows;
  std::vector<uint8_t> src = Pack(source, sb);
  std::vector<uint8_t> dst = Pack(std::vector<uint32_t>(source.size(), kUntouched), db);
  std::vector<uint8_t> alpha;
  if (o.alpha_format != nullptr) alpha = Pack(o.alpha_pixels, o.alpha_format->bytes_per_pixel);
  RECT rect{0, 0, width, rows};
  int result = ConvertImageBlit(
      dst.data(), width * db, &dest_format, src.data(), width * sb, &source_format,
      o.alpha_format != nullptr ? alpha.data() : nullptr,
      o.alpha_format != nullptr ? width * o.alpha_format->bytes_per_pixel : 0, o.alpha_format, 0,
      0, &rect, o.mirror, o.alpha_from_key, o.key, o.dither, o.general_only, o.no_key_alpha,
      o.key_copy);
  std::vector<uint32_t> out = Unpack(dst, db);
  if (db < 4) {
    for (uint32_t& v : out) v &= (1u << (8 * db)) - 1;
  }
  return {out, result};
}

uint32_t Cut(uint32_t v, int bytes) { return bytes < 4 ? v & ((1u << (8 * bytes)) - 1) : v; }

// ---------------------------------------------------------------------------
// Known pixels between every pair of formats the runtime uses, worked out by
// hand.

struct PairCase {
  const char* name;
  const ColorFormat* source;
  std::vector<uint32_t> pixels;
  const ColorFormat* dest;
  std::function<Options()> options;
  std::vector<uint32_t> expected;
};

// Failures name the case rather than dump its bytes.
void PrintTo(const PairCase& c, std::ostream* os) { *os << c.name; }

Options None() { return {}; }
Options General() {
  Options o;
  o.general_only = 1;
  return o;
}
Options KeyAlpha() {
  Options o;
  o.alpha_from_key = 1;
  o.key = kKey;
  return o;
}
Options GreyAlphaImage(std::vector<uint32_t> indexes) {
  Options o;
  o.alpha_format = &kGrey;
  o.alpha_pixels = std::move(indexes);
  return o;
}

const PairCase kPairs[] = {
    // Dedicated plain loops: palette, 24-bit and 32-bit sources.
    {"Palette_Rgb565", &kPalette, {5}, &kRgb565, None, {0xFC08}},
    {"Palette_Rgb555", &kPalette, {5}, &kRgb555, None, {0x7E08}},
    {"Palette_Xrgb8888", &kPalette, {5}, &kXrgb8888, None, {0xFFFF8040}},
    {"Palette_Argb8888Opaque", &kPalette, {5}, &kArgb8888, None, {0xFFFF8040}},
    {"Rgb888_Rgb565", &kRgb888, {0xFF8040, 0x07070F}, &kRgb565, None, {0xFC08, 0x0021}},
    {"Rgb888_Rgb555", &kRgb888, {0xFF8040}, &kRgb555, None, {0x7E08}},
    {"Rgb888_Xrgb8888", &kRgb888, {0xFF8040}, &kXrgb8888, None, {0xFFFF8040}},
    {"Rgb888_Argb8888", &kRgb888, {0xFF8040}, &kArgb8888, None, {0xFFFF8040}},
    {"Xrgb8888_Rgb565IgnoresFourthByte", &kXrgb8888, {0x12FF8040}, &kRgb565, None, {0xFC08}},
    {"Argb8888_Xrgb8888", &kArgb8888, {0x80FF8040}, &kXrgb8888, None, {0xFFFF8040}},
    {"Argb8888_Rgb555", &kArgb8888, {0x00FF8040}, &kRgb555, None, {0x7E08}},
    // Dedicated 16-bit loops: shifts without replication.
    {"Rgb565White_Xrgb8888Dedicated", &kRgb565, {0xFFFF}, &kXrgb8888, None, {0xFFF8FCF8}},
    {"Rgb565White_Argb8888Dedicated", &kRgb565, {0xFFFF}, &kArgb8888, None, {0xFFF8FCF8}},
    {"Rgb565_Rgb555", &kRgb565, {0xFFFF, 0x0020, 0x0040}, &kRgb555, None, {0x7FFF, 0x0000, 0x0020}},
    {"Rgb555_Rgb565RepeatsLowGreenBit", &kRgb555, {0x7FFF, 0x0020, 0xFFFF}, &kRgb565, None,
     {0xFFFF, 0x0060, 0xFFFF}},
    // The general path spreads a narrow channel over the wide one.
    {"Rgb565White_Xrgb8888General", &kRgb565, {0xFFFF}, &kXrgb8888, General, {0xFFFFFFFF}},
    {"Rgb565RedSixteen_Xrgb8888General", &kRgb565, {0x8000}, &kXrgb8888, General, {0xFF830000}},
    {"Rgb565_Rgb555General", &kRgb565, {0xFFFF, 0x0000}, &kRgb555, General, {0xFFFF, 0x8000}},
    {"Rgb555_Xrgb8888", &kRgb555, {0x7FFF, 0x4210}, &kXrgb8888, None, {0xFFFFFFFF, 0xFF838383}},
    {"Argb1555_Argb8888", &kArgb1555, {0xFFFF, 0x7FFF}, &kArgb8888, None,
     {0xFFFFFFFF, 0x00FFFFFF}},
    {"Rgb888_Argb4444", &kRgb888, {0xFF8040}, &kArgb4444, None, {0xFF84}},
    {"Argb8888_Argb4444", &kArgb8888, {0x80FF8040}, &kArgb4444, None, {0x8F84}},
    {"Argb8888_Argb1555", &kArgb8888, {0x80FF8040, 0x7FFF8040}, &kArgb1555, None,
     {0xFE08, 0x7E08}},
    {"Argb8888_Rgb565A8", &kArgb8888, {0x80FF8040}, &kRgb565A8, None, {0xFF80FC08}},
    {"Rgb888_Rgb565A8Opaque", &kRgb888, {0xFFFFFF}, &kRgb565A8, None, {0xFFFFFFFF}},
    {"Rgb565A8_Argb8888", &kRgb565A8, {0x0080FFFF}, &kArgb8888, None, {0x80FFFFFF}},
    {"Palette_Rgb565General", &kPalette, {5}, &kRgb565, General, {0xFC08}},
    // Equal formats are copied.
    {"Rgb565_Rgb565Copy", &kRgb565, {0x1234, 0xFFFF}, &kRgb565, None, {0x1234, 0xFFFF}},
    {"Argb8888_Argb8888Copy", &kArgb8888, {0x01020304}, &kArgb8888, None, {0x01020304}},
    // Alpha from the key colour.
    {"Palette_Argb1555Key", &kPalette, {3, 5, 3}, &kArgb1555, KeyAlpha, {0x01CE, 0xFE08, 0x01CE}},
    {"Palette_Argb8888Key", &kPalette, {3, 5}, &kArgb8888, KeyAlpha, {0x00007575, 0xFFFF8040}},
    {"Rgb888_Argb8888Key", &kRgb888, {kKey, 0x007574}, &kArgb8888, KeyAlpha,
     {0x00007575, 0xFF007574}},
    {"Rgb888_Argb1555Key", &kRgb888, {kKey, 0x007574}, &kArgb1555, KeyAlpha, {0x01CE, 0x81CE}},
    {"Rgb565_Argb1555Key", &kRgb565, {0x03AE, 0xFFFF}, &kArgb1555, KeyAlpha, {0x01CE, 0xFFFF}},
    {"Rgb565_Argb8888Key", &kRgb565, {0x03AE, 0xFFFF}, &kArgb8888, KeyAlpha,
     {0x00007470, 0xFFF8FCF8}},
    {"Xrgb8888_Argb8888KeyEqualMasks", &kXrgb8888, {0x12007575, 0x00FF0000}, &kArgb8888,
     KeyAlpha, {0x00007575, 0xFFFF0000}},
    {"Rgb555_Argb1555KeyEqualMasks", &kRgb555, {0x01CE, 0x81CE, 0x7FFF}, &kArgb1555, KeyAlpha,
     {0x01CE, 0x01CE, 0xFFFF}},
    // The general path compares with the key in the precision that both
    // formats share: (0, 118, 117) is the key's colour in 5-6-5.
    {"Rgb888_Rgb565A8Key", &kRgb888, {kKey, 0x007675, 0xFF0000}, &kRgb565A8, KeyAlpha,
     {0xFF0003AE, 0xFF0003AE, 0xFFFFF800}},
    {"Rgb888_Argb8888KeyCancelled", &kRgb888, {kKey}, &kArgb8888,
     [] {
       Options o = KeyAlpha();
       o.no_key_alpha = 1;
       return o;
     },
     {0xFF007575}},
    {"Argb8888_Argb1555KeyDroppedForSourceAlpha", &kArgb8888, {0x00007575, 0xFF007575},
     &kArgb1555, KeyAlpha, {0x01CE, 0x81CE}},
    {"Rgb888_Rgb565KeyWithoutDestAlpha", &kRgb888, {kKey}, &kRgb565, KeyAlpha, {0x03AE}},
    // Alpha from a separate grey alpha image.
    {"Rgb888_Argb8888AlphaImage", &kRgb888, {0xFF8040, 0x102030}, &kArgb8888,
     [] { return GreyAlphaImage({0x40, 0xFF}); }, {0x40FF8040, 0xFF102030}},
    {"Rgb888_Argb1555AlphaImage", &kRgb888, {0xFF8040, 0xFF8040}, &kArgb1555,
     [] { return GreyAlphaImage({0x80, 0x7F}); }, {0xFE08, 0x7E08}},
    {"Rgb888_Argb8888Rgb888AlphaImage", &kRgb888, {0xFF8040}, &kArgb8888,
     [] {
       Options o;
       o.alpha_format = &kRgb888;
       o.alpha_pixels = {0x808080};
       return o;
     },
     {0x80FF8040}},
    {"Rgb888_Rgb565AlphaImageIgnored", &kRgb888, {0xFF8040}, &kRgb565,
     [] { return GreyAlphaImage({0x10}); }, {0xFC08}},
    {"Argb8888_Argb8888SourceAlphaBeatsAlphaImage", &kArgb8888, {0x20FF8040}, &kArgb8888,
     [] { return GreyAlphaImage({0x90}); }, {0x20FF8040}},
};

class ConvertPairs : public ::testing::TestWithParam<PairCase> {};

TEST_P(ConvertPairs, KnownPixels) {
  const PairCase& c = GetParam();
  Converted out = Convert(*c.source, c.pixels, *c.dest, c.options());
  std::vector<uint32_t> expected;
  for (uint32_t v : c.expected) expected.push_back(Cut(v, c.dest->bytes_per_pixel));
  EXPECT_EQ(out.pixels, expected);
  EXPECT_EQ(out.result, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, ConvertPairs, ::testing::ValuesIn(kPairs),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Each dedicated loop against a scalar model of its own arithmetic, over a
// spread of pixel values (and the general path's widening rule against its
// formula).

uint32_t Lcg(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

struct ModelCase {
  const char* name;
  const ColorFormat* source;
  const ColorFormat* dest;
  Options (*options)();
  // The expected destination value of one source pixel.
  std::function<uint32_t(uint32_t)> model;
};

// Failures name the case rather than dump its bytes.
void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.name; }

uint32_t To565(uint32_t r, uint32_t g, uint32_t b) {
  return ((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3);
}
uint32_t To555(uint32_t r, uint32_t g, uint32_t b) {
  return ((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3);
}
uint32_t R(uint32_t p) { return (p >> 16) & 0xFF; }
uint32_t G(uint32_t p) { return (p >> 8) & 0xFF; }
uint32_t B(uint32_t p) { return p & 0xFF; }
uint32_t Entry(uint32_t index) {
  const ColorPaletteEntry& e = kPalette.palette[index & 0xFF];
  return (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
}
uint32_t From565To32(uint32_t p) {
  return ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x001F) << 3);
}
uint32_t Key565() { return To565(R(kKey), G(kKey), B(kKey)); }
uint32_t To1555Keyed(uint32_t colour) {
  return ((R(colour) >> 3) << 10) | ((G(colour) >> 3) << 5) | (B(colour) >> 3) |
         (colour == kKey ? 0u : 0x8000u);
}

// The general path's widening of a channel of `from` bits to `to` bits.
uint32_t Widen(uint32_t v, int from, int to) {
  int d = to - from;
  return (v << d) + v * ((1u << d) - 1) / ((1u << from) - 1);
}

const ModelCase kModels[] = {
    {"Palette_Rgb565", &kPalette, &kRgb565, None,
     [](uint32_t i) { return To565(R(Entry(i)), G(Entry(i)), B(Entry(i))); }},
    {"Palette_Rgb555", &kPalette, &kRgb555, None,
     [](uint32_t i) { return To555(R(Entry(i)), G(Entry(i)), B(Entry(i))); }},
    {"Palette_Xrgb8888", &kPalette, &kXrgb8888, None,
     [](uint32_t i) { return Entry(i) | 0xFF000000u; }},
    {"Rgb888_Rgb565", &kRgb888, &kRgb565, None, [](uint32_t p) { return To565(R(p), G(p), B(p)); }},
    {"Rgb888_Rgb555", &kRgb888, &kRgb555, None, [](uint32_t p) { return To555(R(p), G(p), B(p)); }},
    {"Rgb888_Xrgb8888", &kRgb888, &kXrgb8888, None,
     [](uint32_t p) { return (p & 0xFFFFFF) | 0xFF000000u; }},
    {"Xrgb8888_Rgb565", &kXrgb8888, &kRgb565, None,
     [](uint32_t p) { return To565(R(p), G(p), B(p)); }},
    {"Xrgb8888_Rgb555", &kXrgb8888, &kRgb555, None,
     [](uint32_t p) { return To555(R(p), G(p), B(p)); }},
    {"Argb8888_Xrgb8888", &kArgb8888, &kXrgb8888, None,
     [](uint32_t p) { return (p & 0xFFFFFF) | 0xFF000000u; }},
    {"Rgb565_Xrgb8888", &kRgb565, &kXrgb8888, None,
     [](uint32_t p) { return From565To32(p & 0xFFFF) | 0xFF000000u; }},
    {"Rgb565_Rgb555", &kRgb565, &kRgb555, None,
     [](uint32_t p) { return (((p & 0xFFFF) & 0xFFC0) >> 1) + (p & 0x1F); }},
    {"Rgb555_Rgb565", &kRgb555, &kRgb565, None,
     [](uint32_t p) { return ((p & 0x7FE0) << 1) + (p & 0x3F); }},
    {"Palette_Argb1555Key", &kPalette, &kArgb1555, KeyAlpha,
     [](uint32_t i) { return To1555Keyed(Entry(i)); }},
    {"Palette_Argb8888Key", &kPalette, &kArgb8888, KeyAlpha,
     [](uint32_t i) { return Entry(i) | (Entry(i) == kKey ? 0u : 0xFF000000u); }},
    {"Rgb888_Argb1555Key", &kRgb888, &kArgb1555, KeyAlpha,
     [](uint32_t p) { return To1555Keyed(p & 0xFFFFFF); }},
    {"Rgb888_Argb8888Key", &kRgb888, &kArgb8888, KeyAlpha,
     [](uint32_t p) { return (p & 0xFFFFFF) | ((p & 0xFFFFFF) == kKey ? 0u : 0xFF000000u); }},
    {"Rgb565_Argb1555Key", &kRgb565, &kArgb1555, KeyAlpha,
     [](uint32_t p) {
       p &= 0xFFFF;
       return (((p & 0xFFC0) >> 1) + (p & 0x1F)) | (p == Key565() ? 0u : 0x8000u);
     }},
    {"Rgb565_Argb8888Key", &kRgb565, &kArgb8888, KeyAlpha,
     [](uint32_t p) {
       p &= 0xFFFF;
       return From565To32(p) | (p == Key565() ? 0u : 0xFF000000u);
     }},
    {"Rgb565_Xrgb8888General", &kRgb565, &kXrgb8888, General,
     [](uint32_t p) {
       return (Widen((p >> 11) & 0x1F, 5, 8) << 16) | (Widen((p >> 5) & 0x3F, 6, 8) << 8) |
              Widen(p & 0x1F, 5, 8) | 0xFF000000u;
     }},
    {"Rgb555_Rgb565General", &kRgb555, &kRgb565, General,
     [](uint32_t p) {
       return (((p >> 10) & 0x1F) << 11) | (Widen((p >> 5) & 0x1F, 5, 6) << 5) | (p & 0x1F);
     }},
};

class DedicatedModels : public ::testing::TestWithParam<ModelCase> {};

TEST_P(DedicatedModels, AgreeWithScalarModel) {
  const ModelCase& c = GetParam();
  const int bytes = c.source->bytes_per_pixel;
  uint32_t state = 12345;
  std::vector<uint32_t> source;
  // Every index or 16-bit value in steps, plus pseudo-random pixels and the
  // key colour in each source format.
  for (uint32_t v = 0; v < (bytes == 1 ? 256u : 65536u); v += (bytes == 1 ? 1 : 97)) {
    source.push_back(v);
  }
  for (int i = 0; i < 300; ++i) source.push_back(Cut(Lcg(state) | (Lcg(state) << 24), bytes));
  source.push_back(bytes == 1 ? 3 : (bytes == 2 ? Key565() : kKey));
  source.push_back(bytes == 2 ? 0xFFFF : 0xFFFFFF);
  for (int flag : {0, 1}) {
    MmxUsableFlag = flag;
    Converted out = Convert(*c.source, source, *c.dest, c.options());
    ASSERT_EQ(out.pixels.size(), source.size());
    for (size_t i = 0; i < source.size(); ++i) {
      ASSERT_EQ(out.pixels[i], Cut(c.model(source[i]), c.dest->bytes_per_pixel))
          << "pixel " << i << " = 0x" << std::hex << source[i] << ", lanes flag " << flag;
    }
  }
  MmxUsableFlag = 0;
}

INSTANTIATE_TEST_SUITE_P(Loops, DedicatedModels, ::testing::ValuesIn(kModels),
                         [](const auto& info) { return std::string(info.param.name); });

// The four-pixel steps of the 16-bit loops meet rows of every length and
// rows that do not start on a four-pixel boundary of the buffer.
TEST(ConvertBlit, LaneLoopsHandleRowTailsAndOffsets) {
  for (int width = 1; width <= 9; ++width) {
    for (int left = 0; left <= 3; ++left) {
      const int stride = 16;
      std::vector<uint8_t> source(stride * 2 * 2);
      for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 37 + 11);
      std::vector<uint8_t> scalar(source.size(), 0xEE);
      std::vector<uint8_t> lanes(source.size(), 0xEE);
      RECT rect{left, 0, left + width, 2};
      MmxUsableFlag = 0;
      ConvertImageBlit(scalar.data(), stride * 2, &kRgb555, source.data(), stride * 2, &kRgb565,
                       nullptr, 0, nullptr, 1, 0, &rect, 0, 0, 0, 0, 0, 0, 0);
      MmxUsableFlag = 1;
      ConvertImageBlit(lanes.data(), stride * 2, &kRgb555, source.data(), stride * 2, &kRgb565,
                       nullptr, 0, nullptr, 1, 0, &rect, 0, 0, 0, 0, 0, 0, 0);
      MmxUsableFlag = 0;
      EXPECT_EQ(lanes, scalar) << "width " << width << ", left " << left;
      // Only the rectangle's pixels were written.
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < stride; ++x) {
          bool inside = x >= 1 && x < 1 + width;
          if (!inside) {
            EXPECT_EQ(lanes[y * stride * 2 + x * 2], 0xEE) << x << "," << y;
          }
        }
      }
    }
  }
}

// The eight-pixel steps of the 24-bit to 5-6-5 loop meet rows of every
// length around a step and rows that start anywhere in the buffer.
TEST(ConvertBlit, TwentyFourBitTo565StepsHandleRowTailsAndOffsets) {
  const int stride = 24;  // pixels
  for (int width = 1; width <= 19; ++width) {
    for (int left = 0; left <= 2; ++left) {
      std::vector<uint8_t> source(stride * 3 * 2);
      for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 53 + 7);
      std::vector<uint8_t> dest(stride * 2 * 2, 0xEE);
      RECT rect{left, 0, left + width, 2};
      ConvertImageBlit(dest.data(), stride * 2, &kRgb565, source.data(), stride * 3, &kRgb888,
                       nullptr, 0, nullptr, 1, 0, &rect, 0, 0, 0, 0, 0, 0, 0);
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < stride; ++x) {
          const uint32_t got = dest[(y * stride + x) * 2] | (dest[(y * stride + x) * 2 + 1] << 8);
          if (x >= 1 && x < 1 + width) {
            const uint8_t* s = &source[(y * stride + left + x - 1) * 3];
            EXPECT_EQ(got, To565(s[2], s[1], s[0])) << "width " << width << ", left " << left
                                                    << ", pixel " << x << "," << y;
          } else {
            EXPECT_EQ(got, 0xEEEEu) << "width " << width << ", left " << left << ", pixel " << x;
          }
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Index copies, mirroring, the key copy and dithering.

TEST(ConvertBlit, IndexCopyReturnsTheLargestIndex) {
  std::vector<uint32_t> indexes;
  for (uint32_t i = 0; i <= 17; ++i) indexes.push_back((i * 5) % 18);
  Converted out = Convert(kPalette, indexes, kPalette);
  EXPECT_EQ(out.result, 17);
  EXPECT_EQ(out.pixels, indexes);

  // Any other source into a one-byte destination does nothing.
  Converted none = Convert(kRgb888, {0x123456, 0x654321}, kPalette);
  EXPECT_EQ(none.result, 0);
  EXPECT_EQ(none.pixels, (std::vector<uint32_t>{0xA5, 0xA5}));
}

TEST(ConvertBlit, MirroredCopiesReverseEachRow) {
  struct Case {
    const char* name;
    const ColorFormat* source;
    const ColorFormat* dest;
    std::vector<uint32_t> pixels;  // two rows of three
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {"Index", &kPalette, &kPalette, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}},
      {"Rgb565", &kRgb565, &kRgb565, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}},
      {"Rgb888", &kRgb888, &kRgb888, {0x010203, 0x040506, 0x070809, 4, 5, 6},
       {0x070809, 0x040506, 0x010203, 6, 5, 4}},
      {"Argb8888", &kArgb8888, &kArgb8888, {1, 2, 0xFF000003, 4, 5, 6},
       {0xFF000003, 2, 1, 6, 5, 4}},
      {"Rgb888ToRgb565General", &kRgb888, &kRgb565, {0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0xFFFFFF},
       {0x001F, 0x07E0, 0xF800, 0xFFFF, 0, 0}},
      {"Rgb565ToXrgbGeneral", &kRgb565, &kXrgb8888, {0xFFFF, 0, 0, 0, 0, 0x8000},
       {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFF830000, 0xFF000000, 0xFF000000}},
  };
  for (const Case& c : cases) {
    Options o;
    o.mirror = 1;
    Converted out = Convert(*c.source, c.pixels, *c.dest, o, 2);
    std::vector<uint32_t> expected;
    for (uint32_t v : c.expected) expected.push_back(Cut(v, c.dest->bytes_per_pixel));
    EXPECT_EQ(out.pixels, expected) << c.name;
  }
}

TEST(ConvertBlit, KeyCopySkipsKeyPixels) {
  struct Case {
    const char* name;
    const ColorFormat* source;
    const ColorFormat* dest;
    uint32_t key;
    int mirror;
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> expected;
  };
  const uint32_t u16 = kUntouched & 0xFFFF;
  const Case cases[] = {
      {"SameFormat", &kRgb565, &kRgb565, 0x03AE, 0, {0x1111, 0x03AE, 0x2222},
       {0x1111, u16, 0x2222}},
      {"Index", &kPalette, &kPalette, 3, 0, {3, 5, 3}, {0xA5, 5, 0xA5}},
      {"BetweenFormats", &kRgb888, &kRgb565, kKey, 0, {0xFF8040, kKey, 0xFFFFFF},
       {0xFC08, u16, 0xFFFF}},
      {"BetweenFormatsPaletteIndexKey", &kPalette, &kRgb565, 3, 0, {5, 3}, {0xFC08, u16}},
      // A mirrored copy writes every pixel.
      {"MirroredWritesAll", &kRgb565, &kRgb565, 0x03AE, 1, {0x1111, 0x03AE, 0x2222},
       {0x2222, 0x03AE, 0x1111}},
  };
  for (const Case& c : cases) {
    Options o;
    o.key_copy = 1;
    o.key = c.key;
    o.mirror = c.mirror;
    EXPECT_EQ(Convert(*c.source, c.pixels, *c.dest, o).pixels, c.expected) << c.name;
  }
}

TEST(ConvertBlit, DitherUsesTheOrderedMatrixAndSaturates) {
  // Each 8-bit channel 0x04 loses 3 bits (red and blue) or 2 bits (green):
  // the dropped 4 goes up a step where the matrix threshold 8 x e / 16 is
  // below it; green drops nothing and stays 1.
  std::vector<uint32_t> grey(8, 0x040404);
  Options o;
  o.dither = 1;
  Converted out = Convert(kRgb888, grey, kRgb565, o, 2);
  const uint32_t up = (1 << 11) | (1 << 5) | 1;
  const uint32_t flat = 1 << 5;
  EXPECT_EQ(out.pixels, (std::vector<uint32_t>{up, flat, up, flat,     // entries 0 8 2 10
                                               flat, up, flat, up}));  // entries 12 4 14 6

  // A channel at its maximum never goes past it.
  Converted white = Convert(kRgb888, std::vector<uint32_t>(4, 0xFCFFFC), kRgb565, o);
  EXPECT_EQ(white.pixels, std::vector<uint32_t>(4, 0xFFFF));

  // Without the flag the same pixels are cut.
  EXPECT_EQ(Convert(kRgb888, grey, kRgb565, {}, 2).pixels,
            std::vector<uint32_t>(8, (0 << 11) | (1 << 5) | 0));
}

// ---------------------------------------------------------------------------
// Destination placement and refusals.

TEST(ConvertBlit, WritesOnlyTheRectangleAtTheDestinationPoint) {
  // A 4 x 3 source converted from (1, 1, 3, 3) to (2, 0) of a 5 x 3
  // destination.
  std::vector<uint8_t> source(4 * 3 * 3);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> dest(5 * 3 * 4, 0xEE);
  RECT rect{1, 1, 3, 3};
  EXPECT_EQ(ConvertImageBlit(dest.data(), 5 * 4, &kXrgb8888, source.data(), 4 * 3, &kRgb888,
                             nullptr, 0, nullptr, 2, 0, &rect, 0, 0, 0, 0, 0, 0, 0),
            0);
  std::vector<uint32_t> out = Unpack(dest, 4);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      uint32_t v = out[y * 5 + x];
      if (y < 2 && (x == 2 || x == 3)) {
        int sx = x - 2 + 1, sy = y + 1;
        const uint8_t* s = &source[sy * 12 + sx * 3];
        EXPECT_EQ(v, 0xFF000000u | (uint32_t{s[2]} << 16) | (uint32_t{s[1]} << 8) | s[0]);
      } else {
        EXPECT_EQ(v, 0xEEEEEEEEu) << x << "," << y;
      }
    }
  }
}

TEST(ConvertBlit, RefusesEmptyRectanglesAndPointsBeforeTheBuffers) {
  struct Case {
    const char* name;
    RECT rect;
    int32_t dest_x, dest_y;
  };
  const Case cases[] = {
      {"Empty", {1, 1, 1, 2}, 0, 0},         {"Inverted", {2, 0, 1, 1}, 0, 0},
      {"LeftOfSource", {-1, 0, 1, 1}, 0, 0}, {"AboveSource", {0, -1, 1, 1}, 0, 0},
      {"LeftOfDest", {0, 0, 1, 1}, -1, 0},   {"AboveDest", {0, 0, 1, 1}, 0, -1},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> source(2 * 2 * 2, 0x11);
    std::vector<uint8_t> dest(2 * 2 * 2, 0xEE);
    EXPECT_EQ(ConvertImageBlit(dest.data(), 4, &kRgb555, source.data(), 4, &kRgb565, nullptr, 0,
                               nullptr, c.dest_x, c.dest_y, &c.rect, 0, 0, 0, 0, 0, 0, 0),
              0)
        << c.name;
    EXPECT_EQ(dest, std::vector<uint8_t>(8, 0xEE)) << c.name;
  }
}

}  // namespace
