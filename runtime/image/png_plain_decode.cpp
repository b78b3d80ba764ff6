// The quick road of the PNG loader (see png_plain_decode.h).
#include "runtime/image/png_plain_decode.h"

#include <libdeflate.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PNG_WIDE_VECTORS 1
#endif

#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/image/image_decoder_internal.h"

bool PngWideVectorsAllowed = true;

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate packs at most this many bytes into one.
constexpr int64_t kDeflateMostPerByte = 1032;

uint32_t BigEndian32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

struct Chunk {
  uint32_t type;
  const uint8_t* data;
  uint32_t length;
};

constexpr uint32_t ChunkType(const char (&name)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(name[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 8) |
         static_cast<uint8_t>(name[3]);
}

// Reads the chunk at `*at`, its check sum verified; false at the end of the
// file, for a chunk that does not fit, or for a wrong check sum.
bool NextChunk(const uint8_t* file, size_t size, size_t* at, Chunk* chunk) {
  if (size - *at < 12) return false;
  const uint32_t length = BigEndian32(file + *at);
  if (length > 0x7FFFFFFFu || size - *at - 12 < length) return false;
  const uint8_t* type = file + *at + 4;
  const uint32_t crc = BigEndian32(type + 4 + length);
  if (libdeflate_crc32(0, type, 4 + static_cast<size_t>(length)) != crc) return false;
  chunk->type = BigEndian32(type);
  chunk->data = type + 4;
  chunk->length = length;
  *at += 12 + static_cast<size_t>(length);
  return true;
}

typedef uint8_t Bytes16 __attribute__((vector_size(16)));

#ifdef __SSE2__
constexpr bool kPaethTwoRows = true;
#else
constexpr bool kPaethTwoRows = false;
#endif

// The Paeth predictor, without branches.
inline int Paeth(int a, int b, int c) {
  const int pa = b > c ? b - c : c - b;                          // |p - a|
  const int pb = a > c ? a - c : c - a;                          // |p - b|
  const int pc = a + b > 2 * c ? a + b - 2 * c : 2 * c - a - b;  // |p - c|
  const int b_or_c = pb <= pc ? b : c;
  return pa <= pb && pa <= pc ? a : b_or_c;
}

#ifdef __SSE2__
// The Paeth filter undone with the bytes of a pixel side by side in 16-bit
// lanes. Each pixel's bytes are read and written 4 at a time: a row and the
// one above must be followed by at least one readable byte, and a fourth
// lane beyond a 3-byte pixel writes back the byte it read.
inline __m128i LoadPixel(const uint8_t* p) {
  int32_t word;
  std::memcpy(&word, p, 4);
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), _mm_setzero_si128());
}

// A pixel's 4 bytes in the low bytes of a vector, and back.
inline __m128i LoadBytes(const uint8_t* p) {
  int32_t word;
  std::memcpy(&word, p, 4);
  return _mm_cvtsi32_si128(word);
}

inline void StoreBytes(uint8_t* p, __m128i v) {
  const int32_t word = _mm_cvtsi128_si32(v);
  std::memcpy(p, &word, 4);
}

inline __m128i Absolute(__m128i v) {
  return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// The filtered bytes `raw` plus the Paeth predictor of the left `a`, above
// `b` and above-left `c` (only the lanes `keep` marks), as bytes in 16-bit
// lanes.
inline __m128i PaethSum(__m128i raw, __m128i a, __m128i b, __m128i c, __m128i keep) {
  const __m128i pa = Absolute(_mm_sub_epi16(b, c));
  const __m128i pb = Absolute(_mm_sub_epi16(a, c));
  const __m128i pc = Absolute(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
  // a where pa <= pb and pa <= pc; else b where pb <= pc; else c.
  const __m128i not_a = _mm_cmpgt_epi16(pa, _mm_min_epi16(pb, pc));
  const __m128i not_b = _mm_cmpgt_epi16(pb, pc);
  const __m128i b_or_c = _mm_or_si128(_mm_andnot_si128(not_b, b), _mm_and_si128(not_b, c));
  const __m128i predicted = _mm_or_si128(_mm_andnot_si128(not_a, a), _mm_and_si128(not_a, b_or_c));
  return _mm_and_si128(_mm_add_epi16(raw, _mm_and_si128(predicted, keep)), _mm_set1_epi16(0xFF));
}

inline void StorePixel(uint8_t* p, __m128i sum) {
  const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(sum, sum));
  std::memcpy(p, &word, 4);
}

// The Sub filter undone a pixel at a time: the bytes of each pixel plus
// those of the one left of it, in one step rather than one byte after
// another. As in PaethPixels below, each pixel is read before the one left
// of it is written, and a fourth byte beyond a 3-byte pixel is written back
// as it was read.
void SubPixels(uint8_t* row, size_t bytes, size_t bpp) {
  const __m128i keep = _mm_cvtsi32_si128(bpp == 3 ? 0x00FFFFFF : -1);
  __m128i left = _mm_and_si128(LoadBytes(row), keep);
  __m128i raw = bpp < bytes ? LoadBytes(row + bpp) : _mm_setzero_si128();
  for (size_t i = bpp; i < bytes; i += bpp) {
    const __m128i next_raw = i + bpp < bytes ? LoadBytes(row + i + bpp) : _mm_setzero_si128();
    const __m128i sum = _mm_add_epi8(raw, left);
    StoreBytes(row + i, sum);
    left = _mm_and_si128(sum, keep);
    raw = next_raw;
  }
}

// One row, from its second pixel on (the first is already undone). Each
// pixel's filtered bytes are read before the pixel left of it is written:
// the 4-byte write of a 3-byte pixel covers the next pixel's first byte, and
// a read that overlaps a write still under way waits until it is done.
void PaethPixels(uint8_t* row, const uint8_t* previous, size_t bytes, size_t bpp) {
  const __m128i keep = bpp == 3 ? _mm_setr_epi16(-1, -1, -1, 0, 0, 0, 0, 0)
                                : _mm_setr_epi16(-1, -1, -1, -1, 0, 0, 0, 0);
  __m128i a = LoadPixel(row);
  __m128i c = LoadPixel(previous);
  __m128i raw = bpp < bytes ? LoadPixel(row + bpp) : _mm_setzero_si128();
  for (size_t i = bpp; i < bytes; i += bpp) {
    const __m128i b = LoadPixel(previous + i);
    const __m128i next_raw = i + bpp < bytes ? LoadPixel(row + i + bpp) : _mm_setzero_si128();
    a = PaethSum(raw, a, b, c, keep);
    StorePixel(row + i, a);
    raw = next_raw;
    c = b;
  }
}

// Two rows that both use the Paeth filter, `first` and `second` right below
// it, both whole: each pixel depends on the one before it, so the two rows
// go side by side, the second one pixel behind (its pixel above is then
// ready), the first in the low lanes and the second in the high ones. As in
// PaethPixels, the filtered bytes of a step are read before the step before
// it is written.
void PaethTwoRows(uint8_t* first, uint8_t* second, const uint8_t* previous, size_t bytes,
                  size_t bpp) {
  const __m128i keep = bpp == 3 ? _mm_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0) : _mm_set1_epi16(-1);
  // The first pixel of the first row: the predictor is the byte above.
  for (size_t k = 0; k < bpp; ++k) first[k] = static_cast<uint8_t>(first[k] + previous[k]);
  // Left of both first pixels, and above-left of the second row's, is zero.
  __m128i a = LoadPixel(first);            // [first x-1 | second x-2]
  __m128i b_before = LoadPixel(previous);  // [previous x-1 | first x-2]
  const size_t pixels = bytes / bpp;
  // The filtered bytes and the bytes above the first row of step x: the
  // first row's pixel x (none past its end) and the second row's x-1.
  auto raw_of = [&](size_t x) {
    const __m128i low = x < pixels ? LoadPixel(first + x * bpp) : _mm_setzero_si128();
    return _mm_unpacklo_epi64(low, LoadPixel(second + (x - 1) * bpp));
  };
  auto above_of = [&](size_t x) {
    return x < pixels ? LoadPixel(previous + x * bpp) : _mm_setzero_si128();
  };
  __m128i raw = raw_of(1);
  for (size_t x = 1; x <= pixels; ++x) {
    const bool first_left = x < pixels;  // the first row still has pixel x
    const __m128i b = _mm_unpacklo_epi64(above_of(x), a);  // a's low half: first x-1
    const __m128i next_raw = x < pixels ? raw_of(x + 1) : _mm_setzero_si128();
    a = PaethSum(raw, a, b, b_before, keep);
    b_before = b;
    raw = next_raw;
    const __m128i packed = _mm_packus_epi16(a, a);
    const int32_t high = _mm_cvtsi128_si32(_mm_srli_si128(packed, 4));
    if (first_left) {
      const int32_t low = _mm_cvtsi128_si32(packed);
      std::memcpy(first + x * bpp, &low, 4);
    }
    std::memcpy(second + (x - 1) * bpp, &high, 4);
  }
}
#endif

#ifdef PNG_WIDE_VECTORS
// PaethSum on four pixels side by side in 32-byte vectors.
__attribute__((target("avx2"), always_inline)) inline __m256i PaethSum4(__m256i raw, __m256i a,
                                                                        __m256i b, __m256i c,
                                                                        __m256i keep) {
  const __m256i pa = _mm256_abs_epi16(_mm256_sub_epi16(b, c));
  const __m256i pb = _mm256_abs_epi16(_mm256_sub_epi16(a, c));
  const __m256i pc =
      _mm256_abs_epi16(_mm256_sub_epi16(_mm256_add_epi16(a, b), _mm256_add_epi16(c, c)));
  const __m256i not_a = _mm256_cmpgt_epi16(pa, _mm256_min_epi16(pb, pc));
  const __m256i not_b = _mm256_cmpgt_epi16(pb, pc);
  const __m256i b_or_c = _mm256_blendv_epi8(b, c, not_b);
  const __m256i predicted = _mm256_blendv_epi8(a, b_or_c, not_a);
  return _mm256_and_si256(_mm256_add_epi16(raw, _mm256_and_si256(predicted, keep)),
                          _mm256_set1_epi16(0xFF));
}

// The pixel `p` of the row at `row` (of `pixels`), or zeros where the row
// has none.
inline __m128i PixelOrZeros(const uint8_t* row, ptrdiff_t p, ptrdiff_t pixels, size_t bpp) {
  return p >= 0 && p < pixels ? LoadPixel(row + static_cast<size_t>(p) * bpp)
                              : _mm_setzero_si128();
}

// The filtered bytes of step x of PaethFourRows: row r's pixel x - r.
__attribute__((target("avx2"), always_inline)) inline __m256i FourRowsRaw(
    const uint8_t* first, size_t stride, ptrdiff_t x, ptrdiff_t pixels, size_t bpp) {
  const __m128i low = _mm_unpacklo_epi64(PixelOrZeros(first, x, pixels, bpp),
                                         PixelOrZeros(first + stride, x - 1, pixels, bpp));
  const __m128i high = _mm_unpacklo_epi64(PixelOrZeros(first + 2 * stride, x - 2, pixels, bpp),
                                          PixelOrZeros(first + 3 * stride, x - 3, pixels, bpp));
  return _mm256_set_m128i(high, low);
}

// Four rows that all use the Paeth filter, the first right below `previous`,
// each `stride` bytes below the one before, all whole: as PaethTwoRows with
// four rows side by side in 32-byte vectors, row r (in the r-th quarter of
// the lanes) r pixels behind the first, so that the pixel above each one is
// ready. The filtered bytes of a step are read before the step before it is
// written.
__attribute__((target("avx2"))) void PaethFourRows(uint8_t* first, size_t stride,
                                                   const uint8_t* previous, size_t bytes,
                                                   size_t bpp) {
  const __m256i keep =
      bpp == 3 ? _mm256_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0)
               : _mm256_set1_epi16(-1);
  const auto pixels = static_cast<ptrdiff_t>(bytes / bpp);
  // The first pixel of the first row: the predictor is the byte above.
  for (size_t k = 0; k < bpp; ++k) first[k] = static_cast<uint8_t>(first[k] + previous[k]);
  // Left of every first pixel, and above-left of the rows below the first,
  // is zero.
  __m256i a = _mm256_zextsi128_si256(LoadPixel(first));
  __m256i b_before = _mm256_zextsi128_si256(LoadPixel(previous));
  __m256i raw = FourRowsRaw(first, stride, 1, pixels, bpp);
  for (ptrdiff_t x = 1; x < pixels + 3; ++x) {
    // Above row r's pixel: row r - 1's from the step before; above the
    // first row's, the previous row's.
    const __m128i above = x < pixels ? LoadPixel(previous + static_cast<size_t>(x) * bpp)
                                     : _mm_setzero_si128();
    const __m256i b =
        _mm256_blend_epi32(_mm256_permute4x64_epi64(a, 0x90), _mm256_zextsi128_si256(above), 0x03);
    const __m256i next_raw = FourRowsRaw(first, stride, x + 1, pixels, bpp);
    a = PaethSum4(raw, a, b, b_before, keep);
    b_before = b;
    raw = next_raw;
    const __m256i packed = _mm256_packus_epi16(a, a);
    const int32_t words[4] = {_mm256_extract_epi32(packed, 0), _mm256_extract_epi32(packed, 1),
                              _mm256_extract_epi32(packed, 4), _mm256_extract_epi32(packed, 5)};
    for (int r = 0; r < 4; ++r) {
      const ptrdiff_t p = x - r;
      if (p >= 0 && p < pixels) {
        std::memcpy(first + r * stride + static_cast<size_t>(p) * bpp, &words[r], 4);
      }
    }
  }
}

bool HasWidePngVectors() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && PngWideVectorsAllowed;
}
#else
bool HasWidePngVectors() { return false; }
#endif

// Undoes the filter of `row` (`bytes` bytes, kBpp bytes a pixel) in place
// against the previous row, already undone (zeros above the first row).
template <size_t kBpp>
bool Unfilter(int filter, uint8_t* __restrict row, const uint8_t* __restrict previous,
              size_t bytes) {
  switch (filter) {
    case 0:
      return true;
    case 1:
#ifdef __SSE2__
      if constexpr (kBpp > 1) {
        SubPixels(row, bytes, kBpp);
        return true;
      }
#endif
      for (size_t i = kBpp; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - kBpp]);
      return true;
    case 2: {
      size_t i = 0;
      for (; i + 16 <= bytes; i += 16) {
        Bytes16 here, above;
        std::memcpy(&here, row + i, 16);
        std::memcpy(&above, previous + i, 16);
        here += above;
        std::memcpy(row + i, &here, 16);
      }
      for (; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      return true;
    }
    case 3:
      for (size_t i = 0; i < kBpp && i < bytes; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + (previous[i] >> 1));
      }
      for (size_t i = kBpp; i < bytes; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - kBpp] + previous[i]) >> 1));
      }
      return true;
    case 4:
      // Left of the first pixel there is nothing: the predictor is the byte above.
      for (size_t i = 0; i < kBpp && i < bytes; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      }
#ifdef __SSE2__
      if constexpr (kBpp > 1) {
        PaethPixels(row, previous, bytes, kBpp);
        return true;
      }
#endif
      for (size_t i = kBpp; i < bytes; i += kBpp) {
        for (size_t k = 0; k < kBpp; ++k) {
          row[i + k] = static_cast<uint8_t>(
              row[i + k] + Paeth(row[i + k - kBpp], previous[i + k], previous[i + k - kBpp]));
        }
      }
      return true;
    default:
      return false;
  }
}

bool UnfilterRow(size_t bpp, int filter, uint8_t* row, const uint8_t* previous, size_t bytes) {
  switch (bpp) {
    case 1:
      return Unfilter<1>(filter, row, previous, bytes);
    case 3:
      return Unfilter<3>(filter, row, previous, bytes);
    default:
      return Unfilter<4>(filter, row, previous, bytes);
  }
}

// Copies an unfiltered row of kBpp-byte pixels, red and blue swapped.
template <size_t kBpp>
void CopySwappedTail(const uint8_t* __restrict from, uint8_t* __restrict to, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x, from += kBpp, to += kBpp) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
    if constexpr (kBpp == 4) to[3] = from[3];
  }
}

// Five 3-byte pixels or four 4-byte ones a step, through a byte shuffle.
template <size_t kBpp>
__attribute__((target("ssse3"))) void CopySwappedShuffled(const uint8_t* __restrict from,
                                                          uint8_t* __restrict to, uint32_t width) {
  constexpr uint32_t kStep = kBpp == 3 ? 5 : 4;
  const __m128i order =
      kBpp == 3 ? _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15)
                : _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
  uint32_t x = 0;
  // Each step reads and writes 16 bytes, all inside the row.
  for (; x + kStep + (kBpp == 3 ? 1 : 0) <= width; x += kStep) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x * kBpp));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x * kBpp), _mm_shuffle_epi8(pixels, order));
  }
  CopySwappedTail<kBpp>(from + x * kBpp, to + x * kBpp, width - x);
}

template <size_t kBpp>
void CopySwapped(const uint8_t* __restrict from, uint8_t* __restrict to, uint32_t width) {
  static const bool shuffle = __builtin_cpu_supports("ssse3");
  if (shuffle) {
    CopySwappedShuffled<kBpp>(from, to, width);
  } else {
    CopySwappedTail<kBpp>(from, to, width);
  }
}

// One zlib stream from the concatenated image data of consecutive IDAT
// chunks.
struct ImageData {
  uint8_t* bytes = nullptr;
  size_t size = 0;
  ~ImageData() { FreeTracked(bytes); }
};

}  // namespace

bool DecodePlainPng(const uint8_t* file, size_t size, PlainPng* out) {
  if (size < 8 || std::memcmp(file, kSignature, 8) != 0) return false;
  size_t at = 8;
  Chunk chunk;
  if (!NextChunk(file, size, &at, &chunk) || chunk.type != ChunkType("IHDR") ||
      chunk.length != 13) {
    return false;
  }
  const uint32_t width = BigEndian32(chunk.data);
  const uint32_t height = BigEndian32(chunk.data + 4);
  const int bit_depth = chunk.data[8];
  const int color_type = chunk.data[9];
  if (bit_depth != 8 || (color_type != 2 && color_type != 6 && color_type != 3) ||
      chunk.data[10] != 0 || chunk.data[11] != 0 || chunk.data[12] != 0) {
    return false;
  }
  if (!ImageSizeAccepted(width, height)) return false;
  const size_t bpp = color_type == 2 ? 3 : color_type == 6 ? 4 : 1;
  const size_t row_bytes = bpp * width;
  const int64_t raw_bytes = static_cast<int64_t>(row_bytes + 1) * height;
  if (static_cast<int64_t>(row_bytes) * height > INT32_MAX) return false;

  // The palette (palette images only), then the image data, then the end.
  int palette_entries = 0;
  if (!NextChunk(file, size, &at, &chunk)) return false;
  if (color_type == 3) {
    if (chunk.type != ChunkType("PLTE") || chunk.length == 0 || chunk.length % 3 != 0 ||
        chunk.length > 256 * 3) {
      return false;
    }
    palette_entries = static_cast<int>(chunk.length / 3);
    std::memcpy(out->palette, chunk.data, chunk.length);
    if (!NextChunk(file, size, &at, &chunk)) return false;
  }
  if (chunk.type != ChunkType("IDAT")) return false;
  // What libpng would find left in the file once at the first image data.
  const int64_t left = static_cast<int64_t>(size) - (chunk.data - file);
  if (raw_bytes > kDeflateMostPerByte * left) return false;

  const size_t first_idat = static_cast<size_t>(chunk.data - file) - 8;
  size_t data_size = 0;
  size_t idat_end = first_idat;
  {
    size_t scan = first_idat;
    Chunk part;
    while (NextChunk(file, size, &scan, &part) && part.type == ChunkType("IDAT")) {
      data_size += part.length;
      idat_end = scan;
    }
    size_t end_at = idat_end;
    if (!NextChunk(file, size, &end_at, &part) || part.type != ChunkType("IEND") ||
        part.length != 0) {
      return false;
    }
  }
  ImageData data;
  data.bytes =
      static_cast<uint8_t*>(AllocTracked(data_size > 0 ? data_size : 1, __FILE__, __LINE__));
  if (data.bytes == nullptr) return false;
  for (size_t scan = first_idat; scan < idat_end;) {
    NextChunk(file, size, &scan, &chunk);
    std::memcpy(data.bytes + data.size, chunk.data, chunk.length);
    data.size += chunk.length;
  }

  // A stream that names a window below 32 KB is inflated by libpng with that
  // smaller window, which may refuse a reach further back than it, where
  // libdeflate takes it: such a stream is taken only when all its rows fit
  // the window it names.
  if (data.size < 2 || (data.bytes[0] & 0x0F) != 8) return false;
  const int window_bits = (data.bytes[0] >> 4) + 8;
  if (window_bits > 15 || (window_bits < 15 && raw_bytes > (int64_t{1} << window_bits))) {
    return false;
  }

  // One byte more than the rows: the last pixel's bytes are read 4 at a time.
  TrackedBytes raw = AllocImageBytes(raw_bytes + 1, false);
  if (!raw) return false;
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  if (decompressor == nullptr) return false;
  size_t consumed = 0;
  const libdeflate_result result =
      libdeflate_zlib_decompress_ex(decompressor, data.bytes, data.size, raw.get(),
                                    static_cast<size_t>(raw_bytes), &consumed, nullptr);
  libdeflate_free_decompressor(decompressor);
  // Exactly the rows, in one whole stream that fills the image data.
  if (result != LIBDEFLATE_SUCCESS || consumed != data.size) return false;

  TrackedBytes pixels = AllocImageBytes(static_cast<int64_t>(row_bytes) * height, false);
  if (!pixels) return false;
  TrackedBytes zeros = AllocImageBytes(static_cast<int64_t>(row_bytes) + 1, true);
  if (!zeros) return false;
  const uint8_t* previous = zeros.get();
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = raw.get() + static_cast<size_t>(y) * (row_bytes + 1);
    uint8_t* next = row + row_bytes + 1;
    // Four or two Paeth rows in a row are undone together (see
    // PaethFourRows and PaethTwoRows).
    const size_t stride = row_bytes + 1;
    auto paeth_rows = [&](uint32_t count) {
      if (bpp == 1 || y + count > height) return false;
      for (uint32_t k = 0; k < count; ++k) {
        if (row[k * stride] != 4) return false;
      }
      return true;
    };
    uint32_t together = 1;
#ifdef PNG_WIDE_VECTORS
    if (HasWidePngVectors() && paeth_rows(4)) {
      PaethFourRows(row + 1, stride, previous, row_bytes, bpp);
      together = 4;
    }
#endif
#ifdef __SSE2__
    if (together == 1 && kPaethTwoRows && paeth_rows(2)) {
      PaethTwoRows(row + 1, next + 1, previous, row_bytes, bpp);
      together = 2;
    }
#endif
    if (together == 1 && !UnfilterRow(bpp, row[0], row + 1, previous, row_bytes)) return false;
    for (uint32_t done = y; done < y + together; ++done) {
      const uint8_t* from = raw.get() + static_cast<size_t>(done) * (row_bytes + 1) + 1;
      uint8_t* to = pixels.get() + static_cast<size_t>(done) * row_bytes;
      // Blue, green, red (, alpha), as the loader asks libpng for.
      if (bpp == 1) {
        std::memcpy(to, from, row_bytes);
      } else if (bpp == 3) {
        CopySwapped<3>(from, to, width);
      } else {
        CopySwapped<4>(from, to, width);
      }
    }
    y += together - 1;
    previous = raw.get() + static_cast<size_t>(y) * stride + 1;
  }
  out->width = width;
  out->height = height;
  out->color_type = color_type;
  out->row_bytes = row_bytes;
  out->pixels = pixels.release();
  out->palette_entries = palette_entries;
  return true;
}
