#include "platform/host/pixel.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

// The row loops are plain loops over whole rows with no test inside, so the
// compiler turns them into vector code. They widen a channel with one 16-bit
// multiplication: with the channel v moved to the top of a 16-bit word as
// v << s, (v << s) * m >> 16 is v<<3 | v>>2 (5 bits) or v<<2 | v>>4 (6 bits)
// exactly, for m = 33 << (14 - s) and 65 << (12 - s).
inline uint32_t WidenTop(uint32_t word, uint32_t factor) { return (word & 0xFFFF) * factor >> 16; }

void Rgb565Row(const uint8_t* src, uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i) {
    uint16_t pixel;
    std::memcpy(&pixel, src + 2 * i, 2);
    const uint32_t r = WidenTop(pixel & 0xF800u, 33u << 3);
    const uint32_t g = WidenTop(pixel & 0x07E0u, 65u << 7);
    const uint32_t b = WidenTop(static_cast<uint32_t>(pixel) << 11, 33u << 3);
    dst[i] = r << 16 | static_cast<uint16_t>(g << 8 | b);
  }
}

void Rgb555Row(const uint8_t* src, uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i) {
    uint16_t pixel;
    std::memcpy(&pixel, src + 2 * i, 2);
    const uint32_t r = WidenTop(pixel & 0x7C00u, 33u << 4);
    const uint32_t g = WidenTop(pixel & 0x03E0u, 33u << 9);
    const uint32_t b = WidenTop(static_cast<uint32_t>(pixel) << 11, 33u << 3);
    dst[i] = r << 16 | static_cast<uint16_t>(g << 8 | b);
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
      return Rgb565Row;
    case HostPixelFormat::kRgb555:
      return Rgb555Row;
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
