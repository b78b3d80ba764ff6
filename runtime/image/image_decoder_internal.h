// What the image decoders share: checked reads from a stream, the size limit
// and pixel blocks of the tracking allocator that free themselves unless
// handed over to the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "runtime/core/memory.h"

struct ColorFormat;
struct GraphImage;
struct StreamSource;

struct ImageStream {
  StreamSource* stream;

  // The stream's length, with the stream put back at 0; -1 when it cannot
  // be measured.
  int64_t Size();
  int64_t Tell();
  // Seeks from the start; false when the stream does not reach `position`.
  bool SeekTo(int64_t position);
  // Reads exactly `bytes` bytes; false for anything less.
  bool ReadExact(void* buffer, int64_t bytes);
};

// 1 to kImageMaxSide on each side and at most kImageMaxPixels in all.
bool ImageSizeAccepted(int64_t width, int64_t height);

struct TrackedFree {
  void operator()(uint8_t* block) const { FreeTracked(block); }
};
using TrackedBytes = std::unique_ptr<uint8_t[], TrackedFree>;

// A block of `bytes` (1 to 2^31 - 1) from the tracking allocator; empty when
// the size is out of range or the allocation fails.
TrackedBytes AllocImageBytes(int64_t bytes, bool cleared);

// Fills the image; the image takes over the pixel block.
void HandOverImage(GraphImage* image, const ColorFormat& format, int32_t width, int32_t height,
                   int32_t pitch, TrackedBytes pixels);

// The PNG loader without its quick road: libpng reads every file.
int LoadPngImageWithLibpng(StreamSource* stream, GraphImage* image);
