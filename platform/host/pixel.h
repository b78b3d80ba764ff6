// 16-bit pixel expansion to 8-bit RGB, and the transfer of whole images in
// the formats the window image takes. Each channel is widened exactly by
// repeating its top bits (5 bits: v<<3 | v>>2; 6 bits: v<<2 | v>>4), so full
// intensity becomes 255 and zero stays 0.
#pragma once

#include <cstddef>
#include <cstdint>

// 5-6-5 (red in bits 11-15, green 5-10, blue 0-4) to XRGB 0x00RRGGBB.
uint32_t ExpandRgb565(uint16_t pixel);
// 5-5-5 (red in bits 10-14, green 5-9, blue 0-4; bit 15 ignored) to XRGB.
uint32_t ExpandRgb555(uint16_t pixel);

// The pixel formats an image handed to the window may have.
enum class HostPixelFormat {
  kXrgb8888,  // 32-bit 0x??RRGGBB (the top byte is ignored)
  kRgb565,    // 16-bit 5-6-5
  kRgb555,    // 16-bit 5-5-5
  kBgr888,    // 24-bit, bytes blue, green, red
};

// An image as the window takes it: width x height pixels of `format`, the
// picture's top row at `top_row`, `pitch` bytes from one row to the one
// below it (negative for an image stored bottom-up). Nothing is owned.
struct HostPixels {
  const uint8_t* top_row = nullptr;
  ptrdiff_t pitch = 0;
  int width = 0;
  int height = 0;
  HostPixelFormat format = HostPixelFormat::kXrgb8888;

  const uint8_t* Row(int y) const { return top_row + static_cast<ptrdiff_t>(y) * pitch; }
  // An XRGB image of `pitch_pixels` pixels a row.
  static HostPixels Xrgb(const uint32_t* pixels, int width, int height, int pitch_pixels);
};

// Converts `count` pixels of one row of `format` to XRGB (top byte 0).
using RowToXrgbFunction = void (*)(const uint8_t* src, uint32_t* dst, int count);
RowToXrgbFunction RowToXrgb(HostPixelFormat format);

// Writes `src` onto the rectangle (x, y, width, height) of the XRGB image
// `dst` (dst_width x dst_height pixels, `dst_pitch` pixels a row), scaled to
// fit the rectangle by nearest pixel (destination pixel i of the rectangle
// shows source pixel i * src.width / width, likewise for rows), clipped to
// the image. Only the clipped rectangle is touched; each destination row is
// converted in one pass.
void WriteScaledPixels(uint32_t* dst, int dst_width, int dst_height, ptrdiff_t dst_pitch, int x,
                       int y, int width, int height, const HostPixels& src);
