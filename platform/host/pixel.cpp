#include "platform/host/pixel.h"

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

inline uint32_t Widen5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t Widen6(uint32_t v) { return (v << 2) | (v >> 4); }

inline uint32_t Expand565(uint32_t pixel) {
  const uint32_t r = Widen5((pixel >> 11) & 0x1F);
  const uint32_t g = Widen6((pixel >> 5) & 0x3F);
  const uint32_t b = Widen5(pixel & 0x1F);
  return (r << 16) | (g << 8) | b;
}

inline uint32_t Expand555(uint32_t pixel) {
  const uint32_t r = Widen5((pixel >> 10) & 0x1F);
  const uint32_t g = Widen5((pixel >> 5) & 0x1F);
  const uint32_t b = Widen5(pixel & 0x1F);
  return (r << 16) | (g << 8) | b;
}

// A 16-bit row widens each channel with one 16-bit multiplication: with the
// channel v moved to the top of a 16-bit word as v << s, (v << s) * m >> 16
// is v<<3 | v>>2 (5 bits) or v<<2 | v>>4 (6 bits) exactly, for m = 33 << (14
// - s) and 65 << (12 - s). Eight pixels go at a time in vector registers;
// the rest one by one with the same arithmetic.
struct Layout16 {
  uint16_t red_mask, green_mask;  // blue is the low five bits
  uint16_t red_factor, green_factor;
};
constexpr uint16_t kBlueFactor = 33 << 3;  // blue moved up by 11
constexpr Layout16 kLayout565 = {0xF800, 0x07E0, 33 << 3, 65 << 7};
constexpr Layout16 kLayout555 = {0x7C00, 0x03E0, 33 << 4, 33 << 9};

inline uint32_t WidenTop(uint32_t word, uint32_t factor) { return (word & 0xFFFF) * factor >> 16; }

template <const Layout16& kLayout>
void Row16(const uint8_t* src, uint32_t* dst, int count) {
  int i = 0;
#ifdef __SSE2__
  const __m128i red_mask = _mm_set1_epi16(static_cast<int16_t>(kLayout.red_mask));
  const __m128i green_mask = _mm_set1_epi16(static_cast<int16_t>(kLayout.green_mask));
  const __m128i red_factor = _mm_set1_epi16(static_cast<int16_t>(kLayout.red_factor));
  const __m128i green_factor = _mm_set1_epi16(static_cast<int16_t>(kLayout.green_factor));
  const __m128i blue_factor = _mm_set1_epi16(static_cast<int16_t>(kBlueFactor));
  for (; i + 8 <= count; i += 8) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
    const __m128i r = _mm_mulhi_epu16(_mm_and_si128(p, red_mask), red_factor);
    const __m128i g = _mm_mulhi_epu16(_mm_and_si128(p, green_mask), green_factor);
    const __m128i b = _mm_mulhi_epu16(_mm_slli_epi16(p, 11), blue_factor);
    const __m128i gb = _mm_or_si128(_mm_slli_epi16(g, 8), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_unpacklo_epi16(gb, r));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 4), _mm_unpackhi_epi16(gb, r));
  }
#endif
  for (; i < count; ++i) {
    uint16_t pixel;
    std::memcpy(&pixel, src + 2 * i, 2);
    const uint32_t r = WidenTop(pixel & kLayout.red_mask, kLayout.red_factor);
    const uint32_t g = WidenTop(pixel & kLayout.green_mask, kLayout.green_factor);
    const uint32_t b = WidenTop(static_cast<uint32_t>(pixel) << 11, kBlueFactor);
    dst[i] = r << 16 | g << 8 | b;
  }
}

void XrgbRow(const uint8_t* src, uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i) {
    uint32_t pixel;
    std::memcpy(&pixel, src + 4 * i, 4);
    dst[i] = pixel & 0xFFFFFF;
  }
}

void Bgr888Row(const uint8_t* src, uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i) {
    const uint8_t* p = src + 3 * i;
    dst[i] = (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
  }
}

int BytesPerPixel(HostPixelFormat format) {
  switch (format) {
    case HostPixelFormat::kRgb565:
    case HostPixelFormat::kRgb555:
      return 2;
    case HostPixelFormat::kBgr888:
      return 3;
    case HostPixelFormat::kXrgb8888:
      break;
  }
  return 4;
}

}  // namespace

uint32_t ExpandRgb565(uint16_t pixel) { return Expand565(pixel); }

uint32_t ExpandRgb555(uint16_t pixel) { return Expand555(pixel); }

HostPixels HostPixels::Xrgb(const uint32_t* pixels, int width, int height, int pitch_pixels) {
  HostPixels image;
  image.top_row = reinterpret_cast<const uint8_t*>(pixels);
  image.pitch = static_cast<ptrdiff_t>(pitch_pixels) * 4;
  image.width = width;
  image.height = height;
  image.format = HostPixelFormat::kXrgb8888;
  return image;
}

RowToXrgbFunction RowToXrgb(HostPixelFormat format) {
  switch (format) {
    case HostPixelFormat::kRgb565:
      return Row16<kLayout565>;
    case HostPixelFormat::kRgb555:
      return Row16<kLayout555>;
    case HostPixelFormat::kBgr888:
      return Bgr888Row;
    case HostPixelFormat::kXrgb8888:
      break;
  }
  return XrgbRow;
}

void WriteScaledPixels(uint32_t* dst, int dst_width, int dst_height, ptrdiff_t dst_pitch, int x,
                       int y, int width, int height, const HostPixels& src) {
  if (width <= 0 || height <= 0 || src.width <= 0 || src.height <= 0) return;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<int64_t>(int64_t{x} + width, dst_width));
  const int y1 = static_cast<int>(std::min<int64_t>(int64_t{y} + height, dst_height));
  if (x0 >= x1 || y0 >= y1) return;
  const RowToXrgbFunction convert = RowToXrgb(src.format);
  auto source_row = [&](int dy) {
    return static_cast<int>(static_cast<int64_t>(dy - y) * src.height / height);
  };
  if (width == src.width) {
    // Columns map one to one: each row is converted straight into place.
    const ptrdiff_t first_column = static_cast<ptrdiff_t>(x0 - x) * BytesPerPixel(src.format);
    for (int dy = y0; dy < y1; ++dy) {
      convert(src.Row(source_row(dy)) + first_column, dst + dy * dst_pitch + x0, x1 - x0);
    }
    return;
  }
  // Scaled columns: the source column of each destination column is found
  // once, and each source row is converted once however many rows show it.
  std::vector<int32_t> columns(static_cast<size_t>(x1 - x0));
  for (int dx = x0; dx < x1; ++dx) {
    columns[dx - x0] = static_cast<int32_t>(static_cast<int64_t>(dx - x) * src.width / width);
  }
  std::vector<uint32_t> row(static_cast<size_t>(src.width));
  int converted = -1;
  for (int dy = y0; dy < y1; ++dy) {
    const int sy = source_row(dy);
    if (sy != converted) {
      convert(src.Row(sy), row.data(), src.width);
      converted = sy;
    }
    uint32_t* out = dst + dy * dst_pitch + x0;
    for (size_t i = 0; i < columns.size(); ++i) out[i] = row[columns[i]];
  }
}
