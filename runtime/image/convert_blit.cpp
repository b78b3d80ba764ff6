// The colour-format conversion blit.
//
// Work is routed, in this order: a copy of one-byte indexes; a row copy
// between equal formats; the key copy between different formats (general);
// a copy that only sets alpha from the key between formats of equal colour
// masks; dedicated loops for the common pairs; and the general per-channel
// conversion for everything else. The dedicated loops keep their own plain
// shift arithmetic, so a pair they serve can differ in its lowest bits from
// what the general path gives (5-6-5 white becomes F8/FC/F8 there and
// FF/FF/FF in the general path).
#include "runtime/image/convert_blit.h"

#include <cstring>

#ifdef __SSE2__
#include <tmmintrin.h>
#endif

#include "runtime/image/color_format.h"
#include "runtime/image/pixel_access.h"

namespace {

// The rectangle's first pixels in each buffer and its size.
struct BlitArea {
  uint8_t* dest;
  int32_t dest_pitch;
  int dest_bytes;
  const uint8_t* source;
  int32_t source_pitch;
  int source_bytes;
  const uint8_t* alpha;
  int32_t alpha_pitch;
  int alpha_bytes;
  int32_t width;
  int32_t height;
};

uint8_t* DestRow(const BlitArea& area, int32_t y) {
  return area.dest + int64_t{y} * area.dest_pitch;
}
const uint8_t* SourceRow(const BlitArea& area, int32_t y) {
  return area.source + int64_t{y} * area.source_pitch;
}

bool IsRgbMasks(const ColorFormat& f, uint32_t r, uint32_t g, uint32_t b) {
  return f.red_mask == r && f.green_mask == g && f.blue_mask == b;
}

// A format whose colour channels are one and the same (8-bit single-channel
// and 16-bit depth images).
bool IsSingleChannel(const ColorFormat& f) {
  return f.red_mask != 0 && f.red_mask == f.green_mask && f.red_mask == f.blue_mask;
}

// A one-byte format whose pixels are palette indexes.
bool IsIndexed(const ColorFormat& f) { return f.bit_depth == 8 && !IsSingleChannel(f); }

enum class SourceKind { kOther, kIndex8, kRgb24, kRgb32, kRgb565, kRgb555 };
enum class DestKind { kOther, kRgb565, kRgb555, kRgb32, kArgb1555, kArgb8888 };

SourceKind ClassifySource(const ColorFormat& f) {
  if (IsIndexed(f)) return SourceKind::kIndex8;
  if (f.bit_depth == 24 && f.alpha_mask == 0 && IsRgbMasks(f, 0xFF0000, 0xFF00, 0xFF)) {
    return SourceKind::kRgb24;
  }
  if (f.bit_depth == 32 && IsRgbMasks(f, 0xFF0000, 0xFF00, 0xFF)) return SourceKind::kRgb32;
  if (f.bit_depth == 16 && f.alpha_mask == 0 && IsRgbMasks(f, 0xF800, 0x07E0, 0x001F)) {
    return SourceKind::kRgb565;
  }
  if (f.bit_depth == 16 && f.alpha_mask == 0 && IsRgbMasks(f, 0x7C00, 0x03E0, 0x001F)) {
    return SourceKind::kRgb555;
  }
  return SourceKind::kOther;
}

DestKind ClassifyDest(const ColorFormat& f) {
  if (f.bit_depth == 16 && f.alpha_mask == 0 && IsRgbMasks(f, 0xF800, 0x07E0, 0x001F)) {
    return DestKind::kRgb565;
  }
  if (f.bit_depth == 16 && IsRgbMasks(f, 0x7C00, 0x03E0, 0x001F)) {
    if (f.alpha_mask == 0) return DestKind::kRgb555;
    if (f.alpha_mask == 0x8000) return DestKind::kArgb1555;
  }
  if (f.bit_depth == 32 && IsRgbMasks(f, 0xFF0000, 0xFF00, 0xFF)) {
    if (f.alpha_mask == 0xFF000000u) return DestKind::kArgb8888;
    if (f.alpha_mask == 0) return DestKind::kRgb32;
  }
  return DestKind::kOther;
}

// ---------------------------------------------------------------------------
// Index copy, row copy and the key-alpha copy.

int CopyIndexes(const BlitArea& area, bool mirror) {
  int largest = 0;
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* source = SourceRow(area, y);
    uint8_t* dest = DestRow(area, y);
    for (int32_t x = 0; x < area.width; ++x) {
      uint8_t index = source[x];
      if (index > largest) largest = index;
      dest[mirror ? area.width - 1 - x : x] = index;
    }
  }
  return largest;
}

void CopyRows(const BlitArea& area, bool mirror, bool key_copy, uint32_t key) {
  const int bytes = area.dest_bytes;
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* source = SourceRow(area, y);
    uint8_t* dest = DestRow(area, y);
    if (!mirror && !key_copy) {
      std::memmove(dest, source, static_cast<size_t>(area.width) * bytes);
      continue;
    }
    for (int32_t x = 0; x < area.width; ++x) {
      uint32_t pixel = ReadPixelBytes(source + x * bytes, bytes);
      if (key_copy && pixel == key) continue;
      int32_t column = mirror ? area.width - 1 - x : x;
      WritePixelBytes(dest + column * bytes, bytes, pixel);
    }
  }
}

// Equal colour masks and depth: the destination's alpha bits are set on
// every pixel, then cleared again where the pixel is the key packed at full
// alpha.
void CopyWithKeyAlpha(const BlitArea& area, const ColorFormat& dest, uint32_t key_color) {
  const int bytes = area.dest_bytes;
  const uint32_t alpha = dest.alpha_mask;
  const uint32_t key = PackColor(&dest, (key_color >> 16) & 0xFF, (key_color >> 8) & 0xFF,
                                 key_color & 0xFF, 255);
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* source = SourceRow(area, y);
    uint8_t* dest_row = DestRow(area, y);
    for (int32_t x = 0; x < area.width; ++x) {
      uint32_t pixel = ReadPixelBytes(source + x * bytes, bytes) | alpha;
      if (pixel == key) pixel &= ~alpha;
      WritePixelBytes(dest_row + x * bytes, bytes, pixel);
    }
  }
}

// ---------------------------------------------------------------------------
// Dedicated loops. Each walks the rectangle with fixed pixel sizes and one
// per-pixel step that reads the source pixel's bytes and gives the
// destination value.

template <int SourceBytes, int DestBytes, typename Step>
void DedicatedLoop(const BlitArea& area, Step step) {
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* source = SourceRow(area, y);
    uint8_t* dest = DestRow(area, y);
    for (int32_t x = 0; x < area.width; ++x) {
      WritePixelBytesOf<DestBytes>(dest, step(source));
      source += SourceBytes;
      dest += DestBytes;
    }
  }
}

// Runs `pack`(r, g, b) over an 8-bit palette, 24-bit or 32-bit RGB source.
template <int DestBytes, typename Pack>
bool RunFromRgbSource(SourceKind kind, const BlitArea& area, const ColorPaletteEntry* palette,
                      Pack pack) {
  switch (kind) {
    case SourceKind::kIndex8:
      DedicatedLoop<1, DestBytes>(area, [&](const uint8_t* s) {
        const ColorPaletteEntry& entry = palette[*s];
        return pack(uint32_t{entry.red}, uint32_t{entry.green}, uint32_t{entry.blue});
      });
      return true;
    case SourceKind::kRgb24:
      DedicatedLoop<3, DestBytes>(area, [&](const uint8_t* s) {
        return pack(uint32_t{s[2]}, uint32_t{s[1]}, uint32_t{s[0]});
      });
      return true;
    case SourceKind::kRgb32:
      DedicatedLoop<4, DestBytes>(area, [&](const uint8_t* s) {
        return pack(uint32_t{s[2]}, uint32_t{s[1]}, uint32_t{s[0]});
      });
      return true;
    default:
      return false;
  }
}

// 24-bit blue, green, red to 5-6-5, the red and green bits cut as the
// dedicated loop cuts them. With byte shuffles eight pixels go per step;
// the row's last pixels one at a time.
inline uint16_t Pack565(const uint8_t* s) {
  return static_cast<uint16_t>(((s[2] & 0xF8) << 8) | ((s[1] & 0xFC) << 3) | (s[0] >> 3));
}

#ifdef __SSE2__
__attribute__((target("ssse3"))) void Rgb24RowTo565Shuffled(const uint8_t* source, uint8_t* dest,
                                                            int32_t width) {
  // Lanes of the eight pixels' channel bytes: pixels 0 to 4 from the first
  // 16 bytes, 5 to 7 from the 16 bytes at 8.
  const __m128i blue_low = _mm_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 12, -1, -1, -1, -1, -1, -1, -1);
  const __m128i blue_high = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 7, -1, 10, -1, 13, -1);
  const __m128i one = _mm_set1_epi8(1);
  const __m128i low_used = _mm_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 0, -1, -1, -1, -1, -1, -1, -1);
  const __m128i high_used = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, -1, 0, -1, 0, -1);
  // The green and red lanes: the blue ones moved on by one and two bytes
  // (unused lanes stay negative, which the shuffle reads as zero).
  const __m128i green_low = _mm_or_si128(_mm_add_epi8(_mm_andnot_si128(low_used, blue_low), one), low_used);
  const __m128i green_high = _mm_or_si128(_mm_add_epi8(_mm_andnot_si128(high_used, blue_high), one), high_used);
  const __m128i red_low = _mm_or_si128(_mm_add_epi8(_mm_andnot_si128(low_used, green_low), one), low_used);
  const __m128i red_high = _mm_or_si128(_mm_add_epi8(_mm_andnot_si128(high_used, green_high), one), high_used);
  int32_t x = 0;
  for (; x + 8 <= width; x += 8) {
    __m128i low, high;
    std::memcpy(&low, source + x * 3, 16);
    std::memcpy(&high, source + x * 3 + 8, 16);
    const __m128i blue = _mm_or_si128(_mm_shuffle_epi8(low, blue_low), _mm_shuffle_epi8(high, blue_high));
    const __m128i green = _mm_or_si128(_mm_shuffle_epi8(low, green_low), _mm_shuffle_epi8(high, green_high));
    const __m128i red = _mm_or_si128(_mm_shuffle_epi8(low, red_low), _mm_shuffle_epi8(high, red_high));
    const __m128i out = _mm_or_si128(
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(red, _mm_set1_epi16(0xF8)), 8),
                     _mm_slli_epi16(_mm_and_si128(green, _mm_set1_epi16(0xFC)), 3)),
        _mm_srli_epi16(blue, 3));
    std::memcpy(dest + x * 2, &out, 16);
  }
  for (; x < width; ++x) WritePixelBytesOf<2>(dest + x * 2, Pack565(source + x * 3));
}
#endif

void Rgb24To565(const BlitArea& area) {
#ifdef __SSE2__
  static const bool shuffle = __builtin_cpu_supports("ssse3");
#else
  const bool shuffle = false;
#endif
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* source = SourceRow(area, y);
    uint8_t* dest = DestRow(area, y);
#ifdef __SSE2__
    if (shuffle) {
      Rgb24RowTo565Shuffled(source, dest, area.width);
      continue;
    }
#endif
    for (int32_t x = 0; x < area.width; ++x) WritePixelBytesOf<2>(dest + x * 2, Pack565(source + x * 3));
  }
}

uint32_t Convert565To555(uint32_t p) { return ((p & 0xFFC0) >> 1) + (p & 0x1F); }
uint32_t Convert555To565(uint32_t p) { return ((p & 0x7FE0) << 1) + (p & 0x3F); }

// The 5-6-5 / 5-5-5 loops. With the packed-integer flag four pixels go per
// step, the masks applied in each 16-bit lane (no bit crosses a lane: the
// masks clear the bit that the shift moves out), and the row's last 0 to 3
// pixels one at a time.
template <bool To555>
void Convert16(const BlitArea& area) {
  constexpr uint64_t kKeepHigh = To555 ? 0xFFC0FFC0FFC0FFC0ull : 0x7FE07FE07FE07FE0ull;
  constexpr uint64_t kKeepLow = To555 ? 0x001F001F001F001Full : 0x003F003F003F003Full;
  const bool lanes = MmxUsableFlag == 1;
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* source = SourceRow(area, y);
    uint8_t* dest = DestRow(area, y);
    int32_t x = 0;
    if (lanes) {
      for (; x + 4 <= area.width; x += 4) {
        uint64_t four;
        std::memcpy(&four, source + x * 2, 8);
        uint64_t high = four & kKeepHigh;
        four = (To555 ? high >> 1 : high << 1) + (four & kKeepLow);
        std::memcpy(dest + x * 2, &four, 8);
      }
    }
    for (; x < area.width; ++x) {
      uint32_t p = ReadPixelBytes(source + x * 2, 2);
      WritePixelBytes(dest + x * 2, 2, To555 ? Convert565To555(p) : Convert555To565(p));
    }
  }
}

bool RunPlainDedicated(SourceKind source_kind, DestKind dest_kind, const BlitArea& area,
                       const ColorFormat& source, const ColorFormat& dest) {
  // The 32-bit loops fill the fourth byte with the destination's alpha or
  // spare bits (full alpha, or the bits every packed pixel carries), so the
  // pixels equal colours packed in that format. The 16-bit loops write only
  // the channel bits that their arithmetic gives.
  const uint32_t fourth = (dest.alpha_mask | dest.spare_mask) & 0xFF000000u;
  const ColorPaletteEntry* palette = source.palette;
  switch (dest_kind) {
    case DestKind::kRgb565:
      if (source_kind == SourceKind::kRgb555) {
        Convert16<false>(area);
        return true;
      }
      if (source_kind == SourceKind::kRgb24) {
        Rgb24To565(area);
        return true;
      }
      return RunFromRgbSource<2>(source_kind, area, palette, [](uint32_t r, uint32_t g, uint32_t b) {
        return ((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3);
      });
    case DestKind::kRgb555:
      if (source_kind == SourceKind::kRgb565) {
        Convert16<true>(area);
        return true;
      }
      return RunFromRgbSource<2>(source_kind, area, palette, [](uint32_t r, uint32_t g, uint32_t b) {
        return ((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3);
      });
    case DestKind::kRgb32:
    case DestKind::kArgb8888:
      if (source_kind == SourceKind::kRgb565) {
        DedicatedLoop<2, 4>(area, [&](const uint8_t* s) {
          uint32_t p = ReadPixelBytes(s, 2);
          return ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x001F) << 3) | fourth;
        });
        return true;
      }
      return RunFromRgbSource<4>(source_kind, area, palette,
                                 [&](uint32_t r, uint32_t g, uint32_t b) {
                                   return (r << 16) | (g << 8) | b | fourth;
                                 });
    default:
      return false;
  }
}

// Alpha from the key: a pixel whose colour equals the key gets alpha 0,
// every other pixel full alpha; colours are cut to the destination's widths
// by dropping low bits (or, from 5-6-5 to 8 bits, shifted up).
bool RunKeyDedicated(SourceKind source_kind, DestKind dest_kind, const BlitArea& area,
                     const ColorFormat& source, uint32_t key_color) {
  const uint32_t key = key_color & 0xFFFFFF;
  const uint32_t key565 = (((key >> 16) & 0xF8) << 8) | (((key >> 8) & 0xFC) << 3) |
                          ((key & 0xFF) >> 3);
  const ColorPaletteEntry* palette = source.palette;
  if (dest_kind == DestKind::kArgb1555) {
    if (source_kind == SourceKind::kRgb565) {
      DedicatedLoop<2, 2>(area, [&](const uint8_t* s) {
        uint32_t p = ReadPixelBytes(s, 2);
        return Convert565To555(p) | (p == key565 ? 0u : 0x8000u);
      });
      return true;
    }
    if (source_kind == SourceKind::kRgb32) return false;
    return RunFromRgbSource<2>(source_kind, area, palette, [&](uint32_t r, uint32_t g, uint32_t b) {
      uint32_t alpha = ((r << 16) | (g << 8) | b) == key ? 0u : 0x8000u;
      return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3) | alpha;
    });
  }
  if (dest_kind == DestKind::kArgb8888) {
    if (source_kind == SourceKind::kRgb565) {
      DedicatedLoop<2, 4>(area, [&](const uint8_t* s) {
        uint32_t p = ReadPixelBytes(s, 2);
        uint32_t alpha = p == key565 ? 0u : 0xFF000000u;
        return ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x001F) << 3) | alpha;
      });
      return true;
    }
    if (source_kind == SourceKind::kRgb32) return false;
    return RunFromRgbSource<4>(source_kind, area, palette, [&](uint32_t r, uint32_t g, uint32_t b) {
      uint32_t colour = (r << 16) | (g << 8) | b;
      return colour | (colour == key ? 0u : 0xFF000000u);
    });
  }
  return false;
}

// ---------------------------------------------------------------------------
// The general path.

const int kDitherMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

struct Channel {
  uint32_t source_mask;
  int source_shift;
  int source_width;
  uint32_t dest_mask;
  int dest_shift;
  int dest_width;
};

uint64_t WidthMax(int width) { return (uint64_t{1} << width) - 1; }

// A channel value of `from` bits brought to `to` bits: a narrower channel
// drops its low bits (or is dithered with matrix entry `entry`, saturating
// at the channel's maximum); a wider one is spread so that the largest value
// stays the largest.
uint32_t Rescale(uint32_t value, int from, int to, int entry) {
  if (to == 0 || from == 0) return 0;
  if (to < from) {
    int d = from - to;
    uint32_t cut = value >> d;
    if (entry >= 0) {
      uint64_t threshold = (uint64_t{1} << d) * static_cast<uint64_t>(entry) / 16;
      uint64_t dropped = value & WidthMax(d);
      if (dropped > threshold && cut < WidthMax(to)) ++cut;
    }
    return cut;
  }
  if (to > from) {
    int d = to - from;
    uint64_t v = value;
    return static_cast<uint32_t>((v << d) + v * WidthMax(d) / WidthMax(from));
  }
  return value;
}

// An 8-bit key channel and a source channel compared in the precision that
// the source and the destination share.
bool ChannelMatchesKey(uint32_t value, int source_width, int dest_width, uint32_t key8) {
  if (source_width == 0) return true;
  int width = dest_width != 0 && dest_width < source_width ? dest_width : source_width;
  uint32_t source_cut = value >> (source_width - width);
  uint32_t key_cut = width <= 8 ? key8 >> (8 - width) : key8 << (width - 8);
  return source_cut == key_cut;
}

struct GeneralJob {
  ColorFormat source;  // a palette source reads as 8-bit channels of its entries
  const ColorFormat* dest;
  const ColorFormat* alpha_image;  // null when alpha does not come from it
  Channel red, green, blue, alpha;
  bool indexed_source;
  bool single_channel_dest;
  bool dest_has_alpha;
  bool source_has_alpha;
  bool alpha_from_key;
  bool key_copy;
  bool mirror;
  bool dither;
  uint32_t key_color;
};

Channel MakeChannel(uint32_t source_mask, int source_shift, int source_width,
                    uint32_t dest_mask, int dest_shift, int dest_width) {
  return Channel{source_mask, source_shift, source_width, dest_mask, dest_shift, dest_width};
}

uint32_t SourceValue(const Channel& c, uint32_t pixel) {
  return c.source_width == 0 ? 0 : (pixel & c.source_mask) >> c.source_shift;
}

uint32_t Place(const Channel& c, uint32_t value) { return (value << c.dest_shift) & c.dest_mask; }

// The alpha image's value at one pixel: its blue channel (one-byte images
// through their palette) brought to the destination alpha width.
uint32_t AlphaImageValue(const GeneralJob& job, const uint8_t* pixel, int bytes) {
  const ColorFormat& f = *job.alpha_image;
  uint32_t raw = ReadPixelBytes(pixel, bytes);
  if (IsIndexed(f)) return Rescale(f.palette[raw & 0xFF].blue, 8, job.alpha.dest_width, -1);
  if (f.blue_width == 0) return static_cast<uint32_t>(WidthMax(job.alpha.dest_width));
  return Rescale((raw & f.blue_mask) >> f.blue_shift, f.blue_width, job.alpha.dest_width, -1);
}

void RunGeneral(const GeneralJob& job, const BlitArea& area) {
  const ColorFormat& dest = *job.dest;
  const int source_bytes = area.source_bytes;
  const int dest_bytes = area.dest_bytes;
  const uint32_t key_red = (job.key_color >> 16) & 0xFF;
  const uint32_t key_green = (job.key_color >> 8) & 0xFF;
  const uint32_t key_blue = job.key_color & 0xFF;
  const uint32_t full_alpha = job.dest_has_alpha ? dest.alpha_mask : 0;
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* source = SourceRow(area, y);
    uint8_t* dest_row = DestRow(area, y);
    const uint8_t* alpha_row =
        job.alpha_image ? area.alpha + int64_t{y} * area.alpha_pitch : nullptr;
    for (int32_t x = 0; x < area.width; ++x) {
      uint32_t raw = ReadPixelBytes(source + x * source_bytes, source_bytes);
      if (job.key_copy && raw == job.key_color) continue;
      uint32_t pixel = raw;
      if (job.indexed_source) {
        const ColorPaletteEntry& e = job.source.palette[raw & 0xFF];
        pixel = (uint32_t{e.reserved} << 24) | (uint32_t{e.red} << 16) |
                (uint32_t{e.green} << 8) | e.blue;
      }
      int entry = job.dither ? kDitherMatrix[y & 3][x & 3] : -1;
      uint32_t red = SourceValue(job.red, pixel);
      uint32_t green = SourceValue(job.green, pixel);
      uint32_t blue = SourceValue(job.blue, pixel);
      uint32_t out;
      if (job.single_channel_dest) {
        // One value per pixel: the source's blue channel (grey pictures
        // carry the same value in all three).
        out = Place(job.blue, Rescale(blue, job.blue.source_width, job.blue.dest_width, entry));
      } else {
        out = Place(job.red, Rescale(red, job.red.source_width, job.red.dest_width, entry)) |
              Place(job.green,
                    Rescale(green, job.green.source_width, job.green.dest_width, entry)) |
              Place(job.blue, Rescale(blue, job.blue.source_width, job.blue.dest_width, entry)) |
              dest.spare_mask;
        if (job.dest_has_alpha) {
          uint32_t alpha;
          if (job.source_has_alpha) {
            alpha = Place(job.alpha, Rescale(SourceValue(job.alpha, pixel),
                                             job.alpha.source_width, job.alpha.dest_width, entry));
          } else if (alpha_row != nullptr) {
            alpha = Place(job.alpha,
                          AlphaImageValue(job, alpha_row + x * area.alpha_bytes, area.alpha_bytes));
          } else {
            alpha = full_alpha;
          }
          if (job.alpha_from_key &&
              ChannelMatchesKey(red, job.red.source_width, job.red.dest_width, key_red) &&
              ChannelMatchesKey(green, job.green.source_width, job.green.dest_width, key_green) &&
              ChannelMatchesKey(blue, job.blue.source_width, job.blue.dest_width, key_blue)) {
            alpha = 0;
          }
          out |= alpha;
        }
      }
      int32_t column = job.mirror ? area.width - 1 - x : x;
      WritePixelBytes(dest_row + column * dest_bytes, dest_bytes, out);
    }
  }
}

}  // namespace

int ConvertImageBlit(void* dest_pixels, int32_t dest_pitch, const ColorFormat* dest_format,
                     const void* source_pixels, int32_t source_pitch,
                     const ColorFormat* source_format, const void* alpha_pixels,
                     int32_t alpha_pitch, const ColorFormat* alpha_format, int32_t dest_x,
                     int32_t dest_y, const RECT* source_rect, int mirror, int alpha_from_key,
                     uint32_t key_color, int dither, int general_only, int no_key_alpha,
                     int key_copy) {
  if (dest_pixels == nullptr || source_pixels == nullptr || dest_format == nullptr ||
      source_format == nullptr || source_rect == nullptr) {
    return 0;
  }
  // Set-up: the formats are copied (an absent alpha image format counts as
  // all zero).
  const ColorFormat dest = *dest_format;
  const ColorFormat source = *source_format;
  ColorFormat alpha_image{};
  if (alpha_format != nullptr) alpha_image = *alpha_format;
  const bool has_alpha_image = alpha_pixels != nullptr && alpha_format != nullptr &&
                               alpha_image.bytes_per_pixel >= 1 &&
                               alpha_image.bytes_per_pixel <= 4;

  const bool dest_has_alpha = dest.alpha_mask != 0;
  const bool source_has_alpha = source.alpha_mask != 0;
  const bool alpha_needed = dest_has_alpha && (has_alpha_image || source_has_alpha);
  const bool alpha_from_image = dest_has_alpha && has_alpha_image && !source_has_alpha;
  bool key_alpha = alpha_from_key != 0;
  if (alpha_needed || !dest_has_alpha || no_key_alpha == 1) key_alpha = false;
  bool copy_keyed = key_copy != 0;
  if (alpha_needed || mirror != 0) copy_keyed = false;

  const int64_t wide_width = int64_t{source_rect->right} - source_rect->left;
  const int64_t wide_height = int64_t{source_rect->bottom} - source_rect->top;
  if (wide_width <= 0 || wide_height <= 0 || wide_width > INT32_MAX || wide_height > INT32_MAX) {
    return 0;
  }
  const int32_t width = static_cast<int32_t>(wide_width);
  const int32_t height = static_cast<int32_t>(wide_height);
  // Nothing can lie before a buffer's first row.
  if (source_rect->left < 0 || source_rect->top < 0 || dest_x < 0 || dest_y < 0) return 0;
  if (dest.bytes_per_pixel < 1 || dest.bytes_per_pixel > 4 || source.bytes_per_pixel < 1 ||
      source.bytes_per_pixel > 4) {
    return 0;
  }

  BlitArea area{};
  area.dest_bytes = dest.bytes_per_pixel;
  area.source_bytes = source.bytes_per_pixel;
  area.dest_pitch = dest_pitch;
  area.source_pitch = source_pitch;
  area.dest = static_cast<uint8_t*>(dest_pixels) + int64_t{dest_y} * dest_pitch +
              int64_t{dest_x} * area.dest_bytes;
  area.source = static_cast<const uint8_t*>(source_pixels) +
                int64_t{source_rect->top} * source_pitch +
                int64_t{source_rect->left} * area.source_bytes;
  if (has_alpha_image) {
    area.alpha_bytes = alpha_image.bytes_per_pixel;
    area.alpha_pitch = alpha_pitch;
    area.alpha = static_cast<const uint8_t*>(alpha_pixels) +
                 int64_t{source_rect->top} * alpha_pitch +
                 int64_t{source_rect->left} * area.alpha_bytes;
  }
  area.width = width;
  area.height = height;
  const bool mirrored = mirror != 0;

  // 1. One-byte destination: indexes are copied from a one-byte source.
  if (dest.bit_depth == 8 && general_only == 0 && !copy_keyed) {
    if (source.bit_depth != 8) return 0;
    return CopyIndexes(area, mirrored);
  }

  // 2. Equal formats without alpha work: rows are copied.
  const bool same_format = ColorFormatsEqual(&dest, &source) == 1;
  if (same_format && !key_alpha && !alpha_from_image && general_only == 0 && no_key_alpha == 0) {
    CopyRows(area, mirrored, copy_keyed, key_color);
    return 0;
  }

  // 3. The key copy between different formats goes the general way.
  const bool general_forced = general_only != 0 || no_key_alpha != 0;
  if (!copy_keyed && !general_forced) {
    // 4. Alpha from the key between formats of equal colour masks.
    if (key_alpha && !mirrored && dest.bit_depth == source.bit_depth &&
        IsRgbMasks(source, dest.red_mask, dest.green_mask, dest.blue_mask)) {
      CopyWithKeyAlpha(area, dest, key_color);
      return 0;
    }
    // 5. Dedicated loops.
    if (dither == 0 && !mirrored && !has_alpha_image) {
      SourceKind source_kind = ClassifySource(source);
      DestKind dest_kind = ClassifyDest(dest);
      if (!key_alpha && !alpha_needed &&
          RunPlainDedicated(source_kind, dest_kind, area, source, dest)) {
        return 0;
      }
      if (key_alpha && RunKeyDedicated(source_kind, dest_kind, area, source, key_color)) {
        return 0;
      }
    }
  }

  // 6. The general path.
  GeneralJob job{};
  job.indexed_source = IsIndexed(source);
  job.source = source;
  ColorFormat& s = job.source;
  if (job.indexed_source) {
    // A palette source is read as its entries: 8-bit channels at 16, 8 and
    // 0, and the entry's fourth byte as alpha when the format has alpha.
    s.red_mask = 0xFF0000;
    s.red_shift = 16;
    s.red_width = 8;
    s.green_mask = 0xFF00;
    s.green_shift = 8;
    s.green_width = 8;
    s.blue_mask = 0xFF;
    s.blue_shift = 0;
    s.blue_width = 8;
    if (source_has_alpha) {
      s.alpha_mask = 0xFF000000u;
      s.alpha_shift = 24;
      s.alpha_width = 8;
    }
  }
  job.dest = &dest;
  job.red = MakeChannel(s.red_mask, s.red_shift, s.red_width, dest.red_mask, dest.red_shift,
                        dest.red_width);
  job.green = MakeChannel(s.green_mask, s.green_shift, s.green_width, dest.green_mask,
                          dest.green_shift, dest.green_width);
  job.blue = MakeChannel(s.blue_mask, s.blue_shift, s.blue_width, dest.blue_mask,
                         dest.blue_shift, dest.blue_width);
  job.alpha = MakeChannel(s.alpha_mask, s.alpha_shift, s.alpha_width, dest.alpha_mask,
                          dest.alpha_shift, dest.alpha_width);
  job.single_channel_dest = IsSingleChannel(dest);
  job.dest_has_alpha = dest_has_alpha;
  job.source_has_alpha = source_has_alpha && s.alpha_width != 0;
  job.alpha_image = alpha_from_image ? &alpha_image : nullptr;
  job.alpha_from_key = key_alpha;
  job.key_copy = copy_keyed;
  job.mirror = mirrored;
  job.dither = dither != 0;
  job.key_color = key_color;
  RunGeneral(job, area);
  return 0;
}
