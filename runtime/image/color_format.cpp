// Pixel formats and decoded images.
#include "runtime/image/color_format.h"

#include <bit>
#include <cstring>

#include "platform/win32/ddraw.h"
#include "runtime/core/memory.h"
#include "runtime/image/pixel_access.h"

// Shift and width of the channel that `mask` selects: the shift is its
// lowest set bit, the width the run of set bits from there (bits above a
// gap are not counted). A zero mask gives 0, 0.
static void ChannelFromMask(uint32_t mask, uint8_t* shift, uint8_t* width) {
  if (mask == 0) {
    *shift = 0;
    *width = 0;
    return;
  }
  int low = std::countr_zero(mask);
  *shift = static_cast<uint8_t>(low);
  *width = static_cast<uint8_t>(std::countr_one(mask >> low));
}

// The low `bit_depth` bits set (all 32 for 32 or more).
static uint32_t DepthBits(int32_t bit_depth) {
  if (bit_depth <= 0) return 0;
  if (bit_depth >= 32) return 0xFFFFFFFFu;
  return (1u << bit_depth) - 1;
}

static void SetSpareMask(ColorFormat* format, uint32_t spare_mask) {
  format->spare_mask = spare_mask;
  ChannelFromMask(spare_mask, &format->spare_shift, &format->spare_width);
}

// The 8-8-8 channels at 16, 8 and 0 that every preset shares.
static void SetRgbChannels(ColorFormat* format) {
  format->red_width = 8;
  format->green_width = 8;
  format->blue_width = 8;
  format->alpha_width = 0;
  format->red_shift = 16;
  format->green_shift = 8;
  format->blue_shift = 0;
  format->alpha_shift = 0;
  format->red_mask = 0x00FF0000u;
  format->green_mask = 0x0000FF00u;
  format->blue_mask = 0x000000FFu;
  format->alpha_mask = 0;
}

void SetPalette8ColorFormat(ColorFormat* format) {
  format->bit_depth = 8;
  format->bytes_per_pixel = 1;
  SetRgbChannels(format);
  SetSpareMask(format, 0xFF000000u);
}

void SetGray8ColorFormat(ColorFormat* format) {
  SetPalette8ColorFormat(format);
  for (int i = 0; i < 256; ++i) {
    uint8_t level = static_cast<uint8_t>(i);
    format->palette[i] = ColorPaletteEntry{level, level, level, 0};
  }
}

void SetRgb888ColorFormat(ColorFormat* format) {
  format->bit_depth = 24;
  format->bytes_per_pixel = 3;
  SetRgbChannels(format);
  SetSpareMask(format, 0);
}

void SetArgb8888ColorFormat(ColorFormat* format) {
  format->bit_depth = 32;
  format->bytes_per_pixel = 4;
  SetRgbChannels(format);
  format->alpha_width = 8;
  format->alpha_shift = 24;
  format->alpha_mask = 0xFF000000u;
  SetSpareMask(format, 0);
}

int BuildColorFormatFromMasks(ColorFormat* format, int32_t bit_depth, uint32_t red_mask,
                              uint32_t green_mask, uint32_t blue_mask, uint32_t alpha_mask) {
  format->bit_depth = static_cast<uint16_t>(bit_depth);
  format->bytes_per_pixel = static_cast<uint16_t>(bit_depth / 8);
  format->red_mask = red_mask;
  format->green_mask = green_mask;
  format->blue_mask = blue_mask;
  format->alpha_mask = alpha_mask;
  ChannelFromMask(red_mask, &format->red_shift, &format->red_width);
  ChannelFromMask(green_mask, &format->green_shift, &format->green_width);
  ChannelFromMask(blue_mask, &format->blue_shift, &format->blue_width);
  ChannelFromMask(alpha_mask, &format->alpha_shift, &format->alpha_width);
  SetSpareMask(format, DepthBits(bit_depth) & ~(red_mask | green_mask | blue_mask | alpha_mask));
  return 0;
}

int DeriveColorFormatChannels(const DDPIXELFORMAT* pixel_format, ColorFormat* format) {
  return BuildColorFormatFromMasks(format, static_cast<int32_t>(pixel_format->dwRGBBitCount),
                                   pixel_format->dwRBitMask, pixel_format->dwGBitMask,
                                   pixel_format->dwBBitMask, pixel_format->dwRGBAlphaBitMask);
}

int BuildDDPixelFormat(DDPIXELFORMAT* pixel_format, int32_t bit_count, uint32_t red_mask,
                       uint32_t green_mask, uint32_t blue_mask, uint32_t alpha_mask) {
  std::memset(pixel_format, 0, sizeof(*pixel_format));
  pixel_format->dwSize = sizeof(DDPIXELFORMAT);
  pixel_format->dwFlags = DDPF_RGB;
  pixel_format->dwRGBBitCount = static_cast<DWORD>(bit_count);
  pixel_format->dwRBitMask = red_mask;
  pixel_format->dwGBitMask = green_mask;
  pixel_format->dwBBitMask = blue_mask;
  pixel_format->dwRGBAlphaBitMask = alpha_mask;
  return 0;
}

void RecomputeUnusedBitMask(ColorFormat* format) {
  int used = format->red_width + format->green_width + format->blue_width + format->alpha_width;
  uint32_t spare = 0;
  if (used != format->bit_depth) {
    spare = DepthBits(format->bit_depth) &
            ~(format->red_mask | format->green_mask | format->blue_mask | format->alpha_mask);
  }
  // The spare shift and width follow the mask, so the record stays whole.
  SetSpareMask(format, spare);
}

int ColorFormatsEqual(const ColorFormat* a, const ColorFormat* b) {
  return a->bit_depth == b->bit_depth && a->red_mask == b->red_mask &&
                 a->green_mask == b->green_mask && a->blue_mask == b->blue_mask &&
                 a->alpha_mask == b->alpha_mask
             ? 1
             : 0;
}

// An 8-bit value cut to `width` bits by dropping low bits; a channel wider
// than 8 bits takes the value in its top bits.
static uint32_t CutToWidth(int32_t value, int width) {
  if (width == 0) return 0;
  uint32_t v = static_cast<uint32_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
  return width <= 8 ? v >> (8 - width) : v << (width - 8);
}

static uint32_t PlaceChannel(uint32_t value, int shift, uint32_t mask) {
  return (value << shift) & mask;
}

uint32_t PackColor(const ColorFormat* format, int32_t r, int32_t g, int32_t b, int32_t a) {
  uint32_t pixel =
      PlaceChannel(CutToWidth(r, format->red_width), format->red_shift, format->red_mask) +
      PlaceChannel(CutToWidth(g, format->green_width), format->green_shift, format->green_mask) +
      PlaceChannel(CutToWidth(b, format->blue_width), format->blue_shift, format->blue_mask) +
      format->spare_mask;
  if (format->alpha_width != 0) {
    pixel += PlaceChannel(CutToWidth(a, format->alpha_width), format->alpha_shift,
                          format->alpha_mask);
  }
  return pixel;
}

// A channel of `pixel` spread over 0..255; an absent channel gives 0.
static int32_t SpreadChannel(uint32_t pixel, uint32_t mask, int shift, int width) {
  if (width == 0) return 0;
  uint64_t value = (pixel & mask) >> shift;
  uint64_t top = (uint64_t{1} << width) - 1;
  return static_cast<int32_t>(value * 255 / top);
}

int UnpackColor(const ColorFormat* format, uint32_t pixel, int32_t* r, int32_t* g, int32_t* b,
                int32_t* a) {
  if (r) *r = SpreadChannel(pixel, format->red_mask, format->red_shift, format->red_width);
  if (g) *g = SpreadChannel(pixel, format->green_mask, format->green_shift, format->green_width);
  if (b) *b = SpreadChannel(pixel, format->blue_mask, format->blue_shift, format->blue_width);
  if (a) *a = SpreadChannel(pixel, format->alpha_mask, format->alpha_shift, format->alpha_width);
  return 0;
}

// One channel moved from the source's width to the destination's by
// shifting, without bit replication.
static uint32_t ShiftChannel(uint32_t pixel, uint32_t source_mask, int source_shift,
                             int source_width, int dest_shift, int dest_width,
                             uint32_t dest_mask) {
  if (dest_width == 0 || source_width == 0) return 0;
  uint32_t value = (pixel & source_mask) >> source_shift;
  if (dest_width > source_width) {
    value <<= dest_width - source_width;
  } else {
    value >>= source_width - dest_width;
  }
  return PlaceChannel(value, dest_shift, dest_mask);
}

uint32_t ConvertPixelFormat(const ColorFormat* dest, const ColorFormat* source, uint32_t pixel) {
  uint32_t result =
      ShiftChannel(pixel, source->red_mask, source->red_shift, source->red_width, dest->red_shift,
                   dest->red_width, dest->red_mask) |
      ShiftChannel(pixel, source->green_mask, source->green_shift, source->green_width,
                   dest->green_shift, dest->green_width, dest->green_mask) |
      ShiftChannel(pixel, source->blue_mask, source->blue_shift, source->blue_width,
                   dest->blue_shift, dest->blue_width, dest->blue_mask);
  if (source->alpha_width == 0) {
    result |= dest->alpha_mask;  // fully opaque
  } else {
    result |= ShiftChannel(pixel, source->alpha_mask, source->alpha_shift, source->alpha_width,
                           dest->alpha_shift, dest->alpha_width, dest->alpha_mask);
  }
  return result | dest->spare_mask;
}

static int AllocatePixels(int32_t width, int32_t height, int bytes_per_pixel, GraphImage* image) {
  if (width < 0 || height < 0) return -1;
  int64_t pitch = (int64_t{bytes_per_pixel} * width + 3) & ~int64_t{3};
  int64_t size = pitch * height;
  if (pitch > INT32_MAX || size > INT32_MAX) return -1;
  void* pixels = AllocTracked(static_cast<size_t>(size), "", 0);
  if (pixels == nullptr) return -1;
  image->width = width;
  image->height = height;
  image->pitch = static_cast<int32_t>(pitch);
  image->pixels = static_cast<uint8_t*>(pixels);
  return 0;
}

int AllocateGraphImage(int32_t width, int32_t height, GraphImage* image) {
  SetRgb888ColorFormat(&image->format);
  return AllocatePixels(width, height, 3, image);
}

int AllocateArgbGraphImage(int32_t width, int32_t height, GraphImage* image) {
  SetArgb8888ColorFormat(&image->format);
  return AllocatePixels(width, height, 4, image);
}

int ReleaseGraphImage(GraphImage* image) {
  FreeTracked(image->pixels);
  std::memset(image, 0, sizeof(*image));
  return 0;
}

// Whether the image's rows can be walked: pixels present and each row of
// `width` pixels fits in its pitch.
static bool RowsUsable(const GraphImage* image) {
  return image->pixels != nullptr && image->width >= 0 && image->height >= 0 &&
         int64_t{image->pitch} >= int64_t{image->width} * image->format.bytes_per_pixel;
}

static bool Inside(const GraphImage* image, int32_t x, int32_t y) {
  return RowsUsable(image) && x >= 0 && y >= 0 && x < image->width && y < image->height;
}

int FillGraphImage(GraphImage* image, int32_t r, int32_t g, int32_t b, int32_t a) {
  int bytes = image->format.bytes_per_pixel;
  if (bytes < 2 || bytes > 4 || !RowsUsable(image)) return 0;
  uint32_t pixel = PackColor(&image->format, r, g, b, a);
  for (int32_t y = 0; y < image->height; ++y) {
    uint8_t* row = image->pixels + int64_t{y} * image->pitch;
    for (int32_t x = 0; x < image->width; ++x) WritePixelBytes(row + x * bytes, bytes, pixel);
  }
  return 0;
}

int SetGraphImagePixel(GraphImage* image, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b,
                       int32_t a) {
  if (!Inside(image, x, y)) return -1;
  int bytes = image->format.bytes_per_pixel;
  if (bytes < 2 || bytes > 4) return 0;
  uint8_t* pixel = image->pixels + int64_t{y} * image->pitch + int64_t{x} * bytes;
  WritePixelBytes(pixel, bytes, PackColor(&image->format, r, g, b, a));
  return 0;
}

// The raw value of a pixel; a one-byte image's palette colour placed at the
// format's red, green and blue shifts.
static uint32_t RawPixel(const GraphImage* image, int32_t x, int32_t y) {
  const ColorFormat& format = image->format;
  int bytes = format.bytes_per_pixel;
  const uint8_t* pixel = image->pixels + int64_t{y} * image->pitch + int64_t{x} * bytes;
  if (bytes == 1) {
    const ColorPaletteEntry& entry = format.palette[*pixel];
    return (uint32_t{entry.red} << format.red_shift) | (uint32_t{entry.green} << format.green_shift) |
           (uint32_t{entry.blue} << format.blue_shift);
  }
  return ReadPixelBytes(pixel, bytes);
}

int GetGraphImagePixelRgba(const GraphImage* image, int32_t x, int32_t y, int32_t* r, int32_t* g,
                           int32_t* b, int32_t* a) {
  int bytes = image->format.bytes_per_pixel;
  if (!Inside(image, x, y) || bytes < 1 || bytes > 4) return -1;
  return UnpackColor(&image->format, RawPixel(image, x, y), r, g, b, a);
}

// A channel's bits placed at the top of one byte.
static uint32_t TopOfByte(uint32_t pixel, uint32_t mask, int shift, int width) {
  uint32_t value = (pixel & mask) >> shift;
  if (width == 0) return 0;
  return width <= 8 ? value << (8 - width) : value >> (width - 8);
}

uint32_t GetGraphImagePixelArgb(const GraphImage* image, int32_t x, int32_t y) {
  const ColorFormat& f = image->format;
  if (!Inside(image, x, y) || f.bytes_per_pixel < 1 || f.bytes_per_pixel > 4) return 0;
  uint32_t value = RawPixel(image, x, y);
  uint32_t result = (TopOfByte(value, f.red_mask, f.red_shift, f.red_width) << 16) |
                    (TopOfByte(value, f.green_mask, f.green_shift, f.green_width) << 8) |
                    TopOfByte(value, f.blue_mask, f.blue_shift, f.blue_width);
  if (f.alpha_width != 0 && f.bytes_per_pixel > 1) {
    result |= TopOfByte(value, f.alpha_mask, f.alpha_shift, f.alpha_width) << 24;
  }
  return result;
}

int MirrorGraphImage(GraphImage* image) {
  if (image->width <= 0 || image->height <= 0 || !RowsUsable(image)) return -1;
  int bytes = image->format.bytes_per_pixel;
  if (bytes < 1 || bytes > 4) return 0;
  for (int32_t y = 0; y < image->height; ++y) {
    uint8_t* row = image->pixels + int64_t{y} * image->pitch;
    for (int32_t i = 0; i < image->width / 2; ++i) {
      uint8_t* left = row + i * bytes;
      uint8_t* right = row + (image->width - 1 - i) * bytes;
      for (int k = 0; k < bytes; ++k) {
        uint8_t kept = left[k];
        left[k] = right[k];
        right[k] = kept;
      }
    }
  }
  return 0;
}
