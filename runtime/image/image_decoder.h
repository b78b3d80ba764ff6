// The image decoders: each takes a stream (a file or a block of memory) and
// fills a GraphImage with rows top to bottom, or refuses the stream.
//
// Contract of every loader: called with the stream at position 0; 0 when it
// took the file and filled the image (the pixel block, from the tracking
// allocator, then belongs to the image), -1 when it refused it, with nothing
// of its own left allocated. Images are outside data: every size, offset,
// count and index is checked against what the stream holds, and a loader
// reads only through the stream's Tell, Seek and Read.
#pragma once

#include <cstdint>

struct GraphImage;
struct StreamSource;

// The largest image a loader accepts: sides of up to 65535 pixels (what a
// surface can hold) and at most 16,777,216 pixels in all.
constexpr int64_t kImageMaxSide = 65535;
constexpr int64_t kImageMaxPixels = int64_t{1} << 24;

using ImageLoader = int (*)(StreamSource* stream, GraphImage* image);

// Windows bitmaps: 1, 4, 8, 16, 24 and 32 bits, uncompressed, run-length
// coded (8 and 4 bits) or with bit fields. 8-bit, 4-bit and run-length
// images become one-byte palette images; 24-bit ones are kept as they are;
// every other kind is turned into 24-bit 0xRRGGBB.
int LoadBmpImage(StreamSource* stream, GraphImage* image);
// The runtime's raw format: "BGRA", the channel depth word (0x08080808 or
// 0x10101010), width, height, then the pixels. Gives 32-bit B, G, R, A.
int LoadBgraImage(StreamSource* stream, GraphImage* image);
// Truevision TGA: colour-mapped and true-colour, raw or run-length coded,
// 16, 24 or 32 bits, sides up to 4095.
int LoadTgaImage(StreamSource* stream, GraphImage* image);
// DirectDraw surface files with an uncompressed top level, described by
// masks or by one of the format codes of DdsFormatTable.
int LoadDdsImage(StreamSource* stream, GraphImage* image);
// PNG through libpng: palette images without transparency stay one-byte
// palette images, grey ones become one byte of grey (or grey and an unused
// alpha byte), the rest 24-bit B, G, R or 32-bit B, G, R, A.
int LoadPngImage(StreamSource* stream, GraphImage* image);
// JPEG through libjpeg: 24-bit B, G, R, or one byte of grey.
int LoadJpegImage(StreamSource* stream, GraphImage* image);

// The built-in loaders in the order they are tried, ended by null: BMP, JPEG,
// PNG, BGRA, TGA, DDS.
extern const ImageLoader ImageLoaderTable[7];

// Loaders added at run time, tried before the built-in ones (none in this
// program).
constexpr int32_t kUserImageLoaderMax = 10;
extern ImageLoader UserImageLoaderTable[kUserImageLoaderMax];
extern int32_t UserImageLoaderCount;

// One row of DdsFormatTable: a Direct3D format code and its layout.
struct DdsFormatRow {
  uint32_t code;
  uint32_t bit_depth;
  uint32_t red_mask;
  uint32_t green_mask;
  uint32_t blue_mask;
  uint32_t alpha_mask;
};
// The format codes a DDS file may name instead of masks; the last row's code
// is 0xFFFFFFFF.
extern const DdsFormatRow DdsFormatTable[15];
