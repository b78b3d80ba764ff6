// The quick road of the PNG loader: a whole PNG file of the plain kinds
// (8-bit RGB, RGBA or palette, not interlaced, no transparency chunk, only
// the image header, palette, image data and end chunks, every chunk's check
// sum right and the compressed data exactly one whole zlib stream of the
// image's rows) is inflated in one call with libdeflate and unfiltered here.
// Any other file, and any file with anything wrong in it, is left to
// libpng's own reading, which decides whether it is refused: the quick road
// only ever gives the pixels libpng gives.
#pragma once

#include <cstddef>
#include <cstdint>

// What the quick road made of a file.
struct PlainPng {
  uint32_t width;
  uint32_t height;
  int color_type;    // 2 RGB, 6 RGBA, 3 palette
  size_t row_bytes;  // after the loader's transformations: 3, 4 or 1 byte a pixel
  uint8_t* pixels;   // rows top to bottom, blue green red (alpha), or indexes;
                     // a block of the tracking allocator
  int palette_entries;
  uint8_t palette[256 * 3];  // red, green, blue
};

// True with `out` filled (the pixels are the caller's); false when the file
// needs libpng's reading, with nothing allocated.
bool DecodePlainPng(const uint8_t* file, size_t size, PlainPng* out);

// True (the default) lets the quick road undo four Paeth rows at a time in
// 32-byte vectors where the processor has AVX2; false keeps it on the
// 16-byte steps every x86-64 runs, so the tests can compare that road with
// libpng on any machine.
extern bool PngWideVectorsAllowed;
