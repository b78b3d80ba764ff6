// MEMIMG: the runtime's software image, a block of pixels in system memory
// with what the software renderer needs to draw into it and out of it. The
// screen buffers of software rendering, graphics and masks kept in system
// memory, and temporary views of a rectangle of another image are MEMIMGs.
//
// Pixel kinds: 0 = 16-bit colour (red 5, green 6, blue 5 bits from the top;
// with alpha, 4-byte pixels: the colour word in bytes 0-1, alpha in byte 2),
// 1 = 32-bit colour (bytes blue, green, red, fourth byte = alpha when the
// alpha flag is set), 2 = 8-bit single channel, 3 = 16-bit depth values.
// A palette image has one index byte per pixel into its palette table.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct ColorFormat;
struct DDPIXELFORMAT;
struct GraphImage;

// The first word of a live record.
constexpr uint32_t kMemImageMagic = 0x12345678u;

// The value ending each row of the run table (also called the run code);
// the other bytes are runs of 1 to 64 pixels: (count - 1) plus the class
// in bits 6-7 (0 transparent, 0x40 opaque, 0x80 translucent).
constexpr uint8_t kRunRowEnd = 0xC0;
constexpr uint8_t kRunOpaque = 0x40;
constexpr uint8_t kRunTranslucent = 0x80;

// A palette table: kind 0 uses the first 512 bytes as 256 5-6-5 words,
// kind 1 all 1024 bytes as 256 0x00RRGGBB words.
union MemImagePalette {
  uint16_t entries16[256];
  uint32_t entries32[256];
};

struct MEMIMG {
  uint32_t magic;     // kMemImageMagic while live, written last by a build; 0 otherwise
  int32_t width;      // pixels
  int32_t height;     // pixels
  int32_t pitch;      // bytes from one row to the next
  int32_t row_shift;  // log2 of the pitch when rows are a power of two apart, else -1
  const ColorFormat* format;   // one of the shared standard formats, never owned
  uint32_t transparent_value;  // pixel value (or index) that blits treat as transparent
  int32_t kind;                // pixel kind 0 to 3 (above)
  int32_t palette_flag;        // 1: pixels are indexes into `palette`
  int32_t palette_entry_count; // largest index of the last palette transfer + 1
  int32_t alpha_flag;          // 1: pixels carry alpha
  int32_t premultiplied_flag;  // 1 while `premultiplied` matches the pixels
  int32_t run_table_flag;      // 1 while `run_table` matches the pixels (also called the run-code flag)
  int32_t pixels_borrowed;     // 1: `pixels` belongs to the caller and is not freed
  MemImagePalette* palette;         // this record's table, or a view's source's
  MemImagePalette* second_palette;  // companion table of the palette, likewise
  MemImagePalette palette_table;
  MemImagePalette second_table;
  uint8_t* pixels;         // first byte of row 0
  uint8_t* premultiplied;  // pitch x height bytes: premultiplied copy of an alpha image
  uint8_t* run_table;      // (width + 5) x height bytes: the run table (also called the run code)
};

// Builds the record. A pitch of -1 is computed (rows of whole multiples of
// 16 bytes); a given pitch must hold a row. A pixel pointer already in the
// record is used as borrowed memory. With `allocate_extras`, an alpha image
// gets its premultiplied buffer and every kind but 2 its run-table buffer.
// 0, or -1 when the record is live, the kind is not 0 to 3, a size or the
// pitch does not fit, or an allocation fails (then nothing this call
// allocated is kept).
int InitMemImage(MEMIMG* image, int32_t width, int32_t height, int32_t pitch,
                 uint32_t transparent_value, int32_t kind, int32_t palette_flag,
                 int32_t alpha_flag, int32_t allocate_extras);
// Clears the record and builds a kind-3 depth image with its own pixels and
// no extra buffers. 0 or -1.
int CreateZBufferMemImage(MEMIMG* image, int32_t width, int32_t height);
// Fills `view` as a window onto the rectangle of `source` at (x, y): it
// shares the source's pixels, format and palette tables and owns nothing.
// The rectangle is kept inside the source.
void MakeSubImageView(MEMIMG* view, const MEMIMG* source, int32_t x, int32_t y, int32_t width,
                      int32_t height);
// 1 when the record has a pixel pointer, else 0.
int IsMemImageAllocated(const MEMIMG* image);
// Frees what a live record owns and clears its magic; a dead record is left
// alone.
void ReleaseMemImage(MEMIMG* image);

// The shared format of a (kind, alpha flag, palette flag); null for a kind
// outside 0 to 3.
const ColorFormat* GetStandardColorFormat(int32_t kind, int32_t alpha_flag, int32_t palette_flag);
// The same choice as a DirectDraw pixel format.
const DDPIXELFORMAT* GetStandardDDPixelFormat(int32_t kind, int32_t alpha_flag,
                                              int32_t palette_flag);

// Writes `value` into every pixel of the rectangle clipped to the image (the
// whole image for null); images of 1, 2 or 4 bytes per pixel.
void FillMemImage(MEMIMG* image, const RECT* rect, uint32_t value);
// Converts the source rectangle (the whole source for null) into `dest` at
// (x, y), each in its own format; clipped to both images. The destination's
// premultiplied-copy and run-table flags are cleared.
void ConvertMemImageRect(MEMIMG* dest, const MEMIMG* source, const RECT* rect, int32_t x,
                         int32_t y);
// Converts the rectangle (x, y, width, height) of a colour image into a
// GraphImage at (dest_x, dest_y), clipped to both; `general_only` and
// `no_key_alpha` are the conversion's two further option words. Nothing
// for kinds 2 and 3 or a palette or alpha source.
void TransferMemImageToGraphImage(GraphImage* dest, const MEMIMG* source, int32_t x, int32_t y,
                                  int32_t width, int32_t height, int32_t dest_x, int32_t dest_y,
                                  int32_t general_only, int32_t no_key_alpha);
// Converts the rectangle (x, y, width, height) of `color` (with alpha from
// `alpha` when given) into the image at (dest_x, dest_y), clipped to the
// images, then brings the palette tables, the premultiplied copy and the run
// table in line with the new pixels. With `alpha_from_key` an image with
// alpha gets alpha 0 where the colour is its transparent colour.
void TransferGraphImageToMemImage(const GraphImage* color, const GraphImage* alpha, MEMIMG* dest,
                                  int32_t x, int32_t y, int32_t width, int32_t height,
                                  int32_t dest_x, int32_t dest_y, int32_t alpha_from_key);
// Writes the run table of the current pixels (with the current transparent
// value) and sets the run-table flag: 0. -1, flag cleared, for an image
// without a run-table buffer or of kind 2 or 3. Used again when a palette
// image learns its transparent index after a transfer.
int BuildMemImageRunTable(MEMIMG* image);
