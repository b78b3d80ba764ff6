// Checks of a decoded image shared by the image targets.
#pragma once

#include <cstring>

#include "runtime/image/color_format.h"
#include "tests/fuzz/fuzz_check.h"

// A decoded image must describe a picture the graphics can take, and every
// byte of its rows must be readable (the sanitizers see a short block).
inline void CheckDecodedImage(const GraphImage& image) {
  FUZZ_CHECK(image.width > 0 && image.height > 0);
  FUZZ_CHECK(image.pixels != nullptr);
  const int bytes = image.format.bytes_per_pixel;
  FUZZ_CHECK(bytes == 1 || bytes == 2 || bytes == 3 || bytes == 4);
  FUZZ_CHECK(image.format.bit_depth == bytes * 8);
  FUZZ_CHECK(image.pitch >= image.width * bytes);
  unsigned sum = 0;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels + static_cast<size_t>(y) * image.pitch;
    for (int32_t x = 0; x < image.width * bytes; ++x) sum += row[x];
  }
  // Keeps the reads.
  asm volatile("" : : "r"(sum));
}

// Two decodings of the same bytes must agree.
inline bool SameImage(const GraphImage& a, const GraphImage& b) {
  if (a.width != b.width || a.height != b.height || a.pitch != b.pitch) return false;
  if (std::memcmp(&a.format, &b.format, sizeof(ColorFormat)) != 0) return false;
  return std::memcmp(a.pixels, b.pixels, static_cast<size_t>(a.pitch) * a.height) == 0;
}
