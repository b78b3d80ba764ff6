// Pixel formats and decoded images.
//
// A ColorFormat describes any packed pixel layout of up to 32 bits by its
// channel masks (with each channel's shift and width worked out), plus the
// one-byte palette layout whose pixels are indexes into a 256-entry palette.
// A GraphImage is a decoded picture in memory with its ColorFormat.
#pragma once

#include <cstdint>

struct DDPIXELFORMAT;

// One palette entry of a ColorFormat, in the byte order of the palette of a
// bitmap file.
struct ColorPaletteEntry {
  uint8_t blue;
  uint8_t green;
  uint8_t red;
  uint8_t reserved;
};

struct ColorFormat {
  uint16_t bit_depth;        // bits per pixel: 8, 16, 24 or 32
  uint16_t bytes_per_pixel;  // bit_depth / 8
  uint8_t red_width;         // bits of each channel; 0 = the channel is absent
  uint8_t green_width;
  uint8_t blue_width;
  uint8_t alpha_width;
  uint8_t red_shift;  // position of each channel's lowest bit
  uint8_t green_shift;
  uint8_t blue_shift;
  uint8_t alpha_shift;
  uint32_t red_mask;  // each channel's bits in a pixel value
  uint32_t green_mask;
  uint32_t blue_mask;
  uint32_t alpha_mask;
  // The bits of the depth that no channel uses; they are set in every packed
  // pixel.
  uint32_t spare_mask;
  ColorPaletteEntry palette[256];  // colours of a one-byte palette image
  uint8_t spare_shift;             // lowest bit and run length of spare_mask
  uint8_t spare_width;
};

// A decoded image. Rows run top to bottom; pitch is the row length in bytes
// rounded up to a multiple of 4. The image owns `pixels` (a tracked block).
struct GraphImage {
  ColorFormat format;
  int32_t width;
  int32_t height;
  int32_t pitch;
  uint8_t* pixels;
};

// Presets; the palette is left as it is unless said.
// One-byte palette image: the entries are described as 0x00RRGGBB words.
void SetPalette8ColorFormat(ColorFormat* format);
// As the palette preset, with the grey palette: entry i = (i, i, i).
void SetGray8ColorFormat(ColorFormat* format);
// 24-bit 0xRRGGBB.
void SetRgb888ColorFormat(ColorFormat* format);
// 32-bit 0xAARRGGBB.
void SetArgb8888ColorFormat(ColorFormat* format);

// Fills `format` from a bit depth and four channel masks (a zero mask: the
// channel is absent); the spare-bit mask is what the depth leaves over. 0.
int BuildColorFormatFromMasks(ColorFormat* format, int32_t bit_depth, uint32_t red_mask,
                              uint32_t green_mask, uint32_t blue_mask, uint32_t alpha_mask);
// The same from a DirectDraw pixel format's bit count and masks. 0.
int DeriveColorFormatChannels(const DDPIXELFORMAT* pixel_format, ColorFormat* format);
// Clears `pixel_format` and describes an RGB layout in it. 0.
int BuildDDPixelFormat(DDPIXELFORMAT* pixel_format, int32_t bit_count, uint32_t red_mask,
                       uint32_t green_mask, uint32_t blue_mask, uint32_t alpha_mask);
// Recomputes the spare-bit mask from the depth and the channels: 0 when the
// channel widths add up to the depth.
void RecomputeUnusedBitMask(ColorFormat* format);
// 1 when the bit depths and the four channel masks are equal, else 0.
int ColorFormatsEqual(const ColorFormat* a, const ColorFormat* b);

// Packs 8-bit channel values (each cut to its channel's width by dropping
// low bits); the spare bits are set, alpha is ignored without an alpha
// channel.
uint32_t PackColor(const ColorFormat* format, int32_t r, int32_t g, int32_t b, int32_t a);
// Spreads each channel of `pixel` over 0..255 (an absent channel gives 0);
// any output may be null. 0.
int UnpackColor(const ColorFormat* format, uint32_t pixel, int32_t* r, int32_t* g, int32_t* b,
                int32_t* a);
// Moves each channel of `pixel` to the destination's position and width by
// shifting (no bit replication); without source alpha the result is opaque.
uint32_t ConvertPixelFormat(const ColorFormat* dest, const ColorFormat* source, uint32_t pixel);

// 24-bit (or, Argb, 32-bit) image of the given size; the pixels are not
// cleared. 0, or -1 when the size is negative or the pixels cannot be had.
int AllocateGraphImage(int32_t width, int32_t height, GraphImage* image);
int AllocateArgbGraphImage(int32_t width, int32_t height, GraphImage* image);
// Frees the pixels and clears the record. 0.
int ReleaseGraphImage(GraphImage* image);

// Writes a colour to every pixel, or to one; one-byte images are left as
// they are. 0; SetGraphImagePixel gives -1 for a pixel outside the image.
int FillGraphImage(GraphImage* image, int32_t r, int32_t g, int32_t b, int32_t a);
int SetGraphImagePixel(GraphImage* image, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b,
                       int32_t a);
// The colour of one pixel (a palette image's through its palette); any
// output may be null. 0, or -1 (outputs untouched) outside the image.
int GetGraphImagePixelRgba(const GraphImage* image, int32_t x, int32_t y, int32_t* r, int32_t* g,
                           int32_t* b, int32_t* a);
// One pixel as 0xAARRGGBB, each channel's bits placed at the top of its byte;
// 0 for an image without pixels or outside it.
uint32_t GetGraphImagePixelArgb(const GraphImage* image, int32_t x, int32_t y);
// Mirrors every row left to right. 0, or -1 for an image without width,
// height or pixels.
int MirrorGraphImage(GraphImage* image);
