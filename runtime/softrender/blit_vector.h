// Whole-vector forms of the commonest keyed loops: 16-byte vectors of eight
// 5-6-5 pixels or four 32-bit pixels (the compiler's vector extension, SSE2
// on any x86-64), 32-byte ones where the processor has AVX2, and for the
// keyed copy 32-byte ones with mask registers where it has AVX-512; the row
// and run walkers that feed them, and a short-span copy for the run-coded
// copies. Every form gives each pixel exactly the result of the
// pixel-by-pixel loop it stands for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/softrender/blit_internal.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

typedef uint16_t Vec16 __attribute__((vector_size(16)));  // eight 5-6-5 pixels
typedef uint32_t Vec32 __attribute__((vector_size(16)));  // four 32-bit pixels
// The same on 32 bytes, for processors with AVX2.
typedef uint16_t Wide16 __attribute__((vector_size(32)));
typedef uint32_t Wide32 __attribute__((vector_size(32)));

// A function with this mark is compiled for AVX2 with everything it calls
// inlined into it (so the walkers and operations instantiated for the
// 32-byte types use 32-byte registers), and is called only when the
// processor has AVX2; the rest of the program stays on the x86-64 baseline.
// The 32-byte types pass through small helpers (loads, the per-vector
// operations) that are always inlined into the AVX2 functions; GCC's note
// that such a helper compiled on its own would pass them differently from
// an AVX2 build is beside the point here.
#pragma GCC diagnostic ignored "-Wpsabi"
// True (the default) lets the keyed loops take the 32-byte forms where the
// processor has AVX2; false keeps them on the 16-byte forms every x86-64
// runs, so the tests can compare that road with the model on any machine.
extern bool BlitWideVectorsAllowed;
// True (the default) lets the keyed copy of the per-pixel test take the
// 32-byte form with mask registers (AVX-512 F, VL and BW) where the
// processor has them and the 32-byte forms are allowed; false keeps it on
// the AVX2 form, so the tests can compare every road with the model on a
// machine that has both.
extern bool BlitMaskedVectorsAllowed;
#if defined(__x86_64__) || defined(__i386__)
#define BLIT_AVX2 __attribute__((target("avx2"), flatten, aligned(64)))
#define BLIT_AVX512 \
  __attribute__((target("avx2,avx512f,avx512vl,avx512bw"), flatten, aligned(64)))
// Whether the processor runs AVX2, and AVX-512 F, VL and BW, found before
// main (a blit made earlier than that sees false and takes the 16-byte
// forms).
extern const bool ProcessorHasAvx2;
extern const bool ProcessorHasAvx512;
inline bool HasAvx2() { return ProcessorHasAvx2 && BlitWideVectorsAllowed; }
inline bool HasMaskedVectors() {
  return ProcessorHasAvx512 && BlitMaskedVectorsAllowed && HasAvx2();
}
#else
#define BLIT_AVX2
inline bool HasAvx2() { return false; }
inline bool HasMaskedVectors() { return false; }
#endif

// The high half of the product of 16-bit lanes, (a x b) >> 16, which the
// vector extension has no operator for.
#if defined(__x86_64__) || defined(__i386__)
inline Vec16 MulHigh(const Vec16& a, const Vec16& b) {
  return reinterpret_cast<Vec16>(
      _mm_mulhi_epu16(reinterpret_cast<__m128i>(a), reinterpret_cast<__m128i>(b)));
}
// Used only inside the AVX2 functions, into which it is inlined.
#if defined(__clang__)
// clang (the fuzzing build) refuses a call that returns a 32-byte vector
// from a baseline function (the templates the AVX2 functions inline) to an
// AVX2 one. There the product is taken through 32-bit lanes in plain
// vector code, which gives the same lanes on any processor.
inline Wide16 MulHigh(const Wide16& a, const Wide16& b) {
  typedef uint32_t Lanes __attribute__((vector_size(64)));
  return __builtin_convertvector(
      (__builtin_convertvector(a, Lanes) * __builtin_convertvector(b, Lanes)) >> 16, Wide16);
}
#else
__attribute__((target("avx2"))) inline Wide16 MulHigh(const Wide16& a, const Wide16& b) {
  return reinterpret_cast<Wide16>(
      _mm256_mulhi_epu16(reinterpret_cast<__m256i>(a), reinterpret_cast<__m256i>(b)));
}
#endif
#else
template <class V>
inline V MulHigh(const V& a, const V& b) {
  V out;
  for (size_t i = 0; i < sizeof(V) / 2; ++i) {
    out[i] = static_cast<uint16_t>((uint32_t{a[i]} * b[i]) >> 16);
  }
  return out;
}
#endif

// Hides vector values from the optimiser, so that values made once before a
// loop stay in registers through it rather than being made anew from their
// literals inside it.
template <class V>
inline void KeepInRegister(V& value) {
#if defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
  // clang (the fuzzing build) checks a register operand against the
  // function it is written in, before inlining: a 32-byte vector has no
  // register in this baseline template, even where only AVX2 functions
  // inline it. There clang's optimiser decides alone.
  if constexpr (sizeof(V) <= 16) __asm__("" : "+x"(value));
#elif defined(__x86_64__) || defined(__i386__)
  __asm__("" : "+x"(value));
#else
  (void)value;
#endif
}
template <class... V>
inline void KeepInRegisters(V&... values) {
  (KeepInRegister(values), ...);
}

template <class V>
inline V LoadVec(const uint8_t* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class V>
inline void StoreVec(uint8_t* p, const V& v) {
  std::memcpy(p, &v, sizeof v);
}

// True when the bytes the call reads from the source (pixels and skips)
// and the bytes it writes lie apart. The vector forms read a row's or a
// run's last vector before writing the rest, and the span copy moves
// overlapping pieces, so they are taken only then; an image drawn onto its
// own pixels keeps the pixel-by-pixel loops.
inline bool SourceApart(const BlitCall& c, int src_bytes, int dst_bytes) {
  const uintptr_t s0 = reinterpret_cast<uintptr_t>(c.src);
  const uintptr_t d0 = reinterpret_cast<uintptr_t>(c.dst);
  const intptr_t src_row = intptr_t{c.width} * src_bytes + c.src_skip;
  const intptr_t dst_row = intptr_t{c.width} * dst_bytes + c.dst_skip;
  if (src_row < 0 || dst_row < 0) return false;
  const uintptr_t s1 = s0 + (c.height - 1) * src_row + intptr_t{c.width} * src_bytes;
  const uintptr_t d1 = d0 + (c.height - 1) * dst_row + intptr_t{c.width} * dst_bytes;
  return s1 <= d0 || d1 <= s0;
}

// Asks early for every line of the destination row that lies kAheadRows
// rows below the one being drawn: rows lie a pitch apart, further than the
// processor's own prefetching guesses, and a sprite's rows are short. A
// long row is left to the processor after its first line. Set up once per
// call.
constexpr int kAheadRows = 2;
class RowPrefetch {
 public:
  RowPrefetch(intptr_t pitch, size_t bytes) : ahead_(kAheadRows * pitch), bytes_(bytes) {}
  void operator()(const uint8_t* d) const {
    const uint8_t* row = d + ahead_;
    __builtin_prefetch(row, 1);
    if (bytes_ > 256) return;
    for (size_t i = 64; i < bytes_; i += 64) __builtin_prefetch(row + i, 1);
    __builtin_prefetch(row + bytes_ - 1, 1);
  }

 private:
  intptr_t ahead_;
  size_t bytes_;
};

// Writes op(source vector, destination vector) over every row of the
// clipped rectangle, source and destination pixels of kBytes each. A row
// whose width is not a whole number of vectors ends with the vector that
// ends with the row; its inputs are read before anything of the row is
// written, so the pixels it shares with the vector before it are given the
// same result from the same inputs. Needs rows of at least one vector and a
// source apart from the destination.
template <class V, int kBytes, class Op>
inline void VectorRows(const BlitCall& c, Op op) {
  // Kept in locals: the stores through byte pointers could otherwise be
  // taken to change the call record, and its fields be read again per row.
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const size_t row = static_cast<size_t>(c.width) * kBytes;
  const intptr_t src_step = static_cast<intptr_t>(row) + c.src_skip;
  const intptr_t dst_step = static_cast<intptr_t>(row) + c.dst_skip;
  const int32_t height = c.height;
  const size_t whole = row - row % sizeof(V);
  const RowPrefetch prefetch(dst_step, row);
  if (whole == row) {
    for (int32_t y = 0; y < height; ++y, s += src_step, d += dst_step) {
      prefetch(d);
      for (size_t i = 0; i < row; i += sizeof(V)) {
        StoreVec(d + i, op(LoadVec<V>(s + i), LoadVec<V>(d + i)));
      }
    }
    return;
  }
  const size_t last = row - sizeof(V);
  for (int32_t y = 0; y < height; ++y, s += src_step, d += dst_step) {
    prefetch(d);
    const V tail_s = LoadVec<V>(s + last);
    const V tail_d = LoadVec<V>(d + last);
    for (size_t i = 0; i < whole; i += sizeof(V)) {
      StoreVec(d + i, op(LoadVec<V>(s + i), LoadVec<V>(d + i)));
    }
    StoreVec(d + last, op(tail_s, tail_d));
  }
}

// Copies a span of n bytes (at least 2, at most 256) between blocks that
// lie apart, in pieces of V, 16, 8, 4 or 2 bytes: up to four pieces of V
// from both ends without a loop (the pieces may overlap), longer spans by a
// loop and a last piece that ends with the span.
template <class V>
inline void CopySpan(uint8_t* d, const uint8_t* s, size_t n) {
  constexpr size_t k = sizeof(V);
  if (n >= k) {
    if (n <= 2 * k) {
      const V a = LoadVec<V>(s);
      const V b = LoadVec<V>(s + n - k);
      StoreVec(d, a);
      StoreVec(d + n - k, b);
    } else if (n <= 4 * k) {
      const V a = LoadVec<V>(s);
      const V b = LoadVec<V>(s + k);
      const V e = LoadVec<V>(s + n - 2 * k);
      const V f = LoadVec<V>(s + n - k);
      StoreVec(d, a);
      StoreVec(d + k, b);
      StoreVec(d + n - 2 * k, e);
      StoreVec(d + n - k, f);
    } else {
      for (size_t i = 0; i + k < n; i += k) StoreVec(d + i, LoadVec<V>(s + i));
      StoreVec(d + n - k, LoadVec<V>(s + n - k));
    }
  } else if (n >= 16) {
    const Vec32 a = LoadVec<Vec32>(s);
    const Vec32 b = LoadVec<Vec32>(s + n - 16);
    StoreVec(d, a);
    StoreVec(d + n - 16, b);
  } else if (n >= 8) {
    uint64_t a, b;
    std::memcpy(&a, s, 8);
    std::memcpy(&b, s + n - 8, 8);
    std::memcpy(d, &a, 8);
    std::memcpy(d + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    std::memcpy(d, &a, 4);
    std::memcpy(d + n - 4, &b, 4);
  } else {
    std::memcpy(d, s, 2);
  }
}

// Calls span(at, bytes) for every drawn run (opaque or translucent alike)
// of the row whose run code starts at `code`, `at` being the run's offset in
// bytes from the row's first pixel, and returns the code of the next row.
// The commonest rows of a sprite, one opaque run with or without a
// transparent run on either side, are read without the loop; only the bytes
// the loop would read are read. Where the next row's code starts is decided
// by branches, not computed from the bytes read: the processor then reads
// ahead without waiting for them.
template <int kBytes, class Span>
inline const uint8_t* DrawnRunsOfRow(const uint8_t* code, Span&& span) {
  size_t at = 0;
  uint32_t run = code[0];
  if (run < 0x40) {  // a transparent run first
    at = (run + 1) * kBytes;
    run = code[1];
    ++code;
  }
  if ((run & 0xC0) == 0x40) {
    const uint32_t next = code[1];
    const size_t bytes = ((run & 0x3F) + 1) * kBytes;
    if (__builtin_expect_with_probability(next >= 0xC0, 1, 0.5)) {
      span(at, bytes);
      return code + 2;
    }
    if (next < 0x40 && code[2] >= 0xC0) {
      span(at, bytes);
      return code + 3;
    }
  }
  for (;;) {
    run = *code++;
    const size_t bytes = ((run & 0x3F) + 1) * kBytes;
    if (run >= 0xC0) return code;  // the end of the row
    if (run >= 0x40) span(at, bytes);
    at += bytes;
  }
}

// Copies the drawn runs of a run-coded source of kBytes per pixel whole,
// stepping over the transparent ones: by CopySpan with vectors V when the
// source lies apart from the destination, else by memmove.
template <class V, int kBytes>
inline void CopyRunsBy(const BlitCall& c, bool apart) {
  const uint8_t* code = c.run_code;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const size_t row = static_cast<size_t>(c.width) * kBytes;
  const intptr_t src_pitch = static_cast<intptr_t>(row) + c.src_skip;
  const intptr_t dst_pitch = static_cast<intptr_t>(row) + c.dst_skip;
  const int32_t height = c.height;
  const RowPrefetch prefetch(dst_pitch, row);
  for (int32_t y = 0; y < height; ++y, s += src_pitch, d += dst_pitch) {
    prefetch(d);
    code = DrawnRunsOfRow<kBytes>(code, [s, d, apart](size_t at, size_t bytes) {
      if (apart) {
        CopySpan<V>(d + at, s + at, bytes);
      } else {
        std::memmove(d + at, s + at, bytes);
      }
    });
  }
}

// Writes op(source vector, destination vector) over n bytes (at least one
// vector V) in whole vectors; when n is not a whole number of vectors the
// last one ends with the span, its inputs read before anything is written
// (see VectorRows).
template <class V, class Op>
inline void VectorSpan(const uint8_t* s, uint8_t* d, size_t n, Op& op) {
  const size_t last = n - sizeof(V);
  if (n <= 2 * sizeof(V)) {
    // One or two vectors, the second ending with the span: no loop.
    const V first = op(LoadVec<V>(s), LoadVec<V>(d));
    const V second = op(LoadVec<V>(s + last), LoadVec<V>(d + last));
    StoreVec(d, first);
    StoreVec(d + last, second);
    return;
  }
  const V tail_s = LoadVec<V>(s + last);
  const V tail_d = LoadVec<V>(d + last);
  size_t i = 0;
  for (; i + sizeof(V) <= n; i += sizeof(V)) {
    StoreVec(d + i, op(LoadVec<V>(s + i), LoadVec<V>(d + i)));
  }
  if (i != n) StoreVec(d + last, op(tail_s, tail_d));
}

// Walks the run code over the whole source like WalkRuns, for sources of
// kBytes per pixel onto destinations of as many: transparent runs are
// stepped over; a drawn run (opaque or translucent alike) goes by whole
// vectors V (op called with V), or when shorter by 16-byte vectors H (op
// called with H), or when shorter still pixel(src, dst) pixel by pixel.
// Needs a source apart from the destination.
template <class V, class H, int kBytes, class Op, class Pixel>
inline void VectorRuns(const BlitCall& c, Op op, Pixel pixel) {
  const uint8_t* code = c.run_code;
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const size_t row = static_cast<size_t>(c.width) * kBytes;
  const intptr_t src_pitch = static_cast<intptr_t>(row) + c.src_skip;
  const intptr_t dst_pitch = static_cast<intptr_t>(row) + c.dst_skip;
  const int32_t height = c.height;
  const RowPrefetch prefetch(dst_pitch, row);
  for (int32_t y = 0; y < height; ++y, s += src_pitch, d += dst_pitch) {
    prefetch(d);
    code = DrawnRunsOfRow<kBytes>(code, [s, d, &op, &pixel](size_t at, size_t bytes) {
      if (bytes >= sizeof(V)) {
        VectorSpan<V>(s + at, d + at, bytes, op);
      } else if (sizeof(H) < sizeof(V) && bytes >= sizeof(H)) {
        VectorSpan<H>(s + at, d + at, bytes, op);
      } else {
        for (size_t i = 0; i < bytes; i += kBytes) pixel(s + at + i, d + at + i);
      }
    });
  }
}

#if defined(__x86_64__) || defined(__i386__)
// The keyed copy by 32-byte vectors with mask registers, for pixels of
// kBytes (2 or 4): each vector stores only its pixels that differ from the
// transparent value, and a row's last, partial vector reads and writes only
// the row's own pixels; the destination is never read. Needs a source apart
// from the destination. No row is asked for ahead: the stores wait for no
// load, and measured, asking ahead made this loop slower.
template <int kBytes>
BLIT_AVX512 void KeyedCopyMaskedRows(const BlitCall& c) {
  const uint8_t* s = c.src;
  uint8_t* d = c.dst;
  const size_t row = static_cast<size_t>(c.width) * kBytes;
  const intptr_t src_step = static_cast<intptr_t>(row) + c.src_skip;
  const intptr_t dst_step = static_cast<intptr_t>(row) + c.dst_skip;
  const size_t whole = row & ~size_t{31};
  const uint32_t last = (1u << ((row - whole) / kBytes)) - 1;  // the partial vector's pixels
  const int32_t height = c.height;
  if constexpr (kBytes == 2) {
    const __m256i key = _mm256_set1_epi16(static_cast<int16_t>(c.transparent_wide));
    for (int32_t y = 0; y < height; ++y, s += src_step, d += dst_step) {
      for (size_t i = 0; i < whole; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        _mm256_mask_storeu_epi16(d + i, _mm256_cmpneq_epi16_mask(v, key), v);
      }
      if (last != 0) {
        const __m256i v = _mm256_maskz_loadu_epi16(static_cast<__mmask16>(last), s + whole);
        _mm256_mask_storeu_epi16(
            d + whole, _mm256_mask_cmpneq_epi16_mask(static_cast<__mmask16>(last), v, key), v);
      }
    }
  } else {
    const __m256i key = _mm256_set1_epi32(static_cast<int32_t>(c.transparent_wide));
    for (int32_t y = 0; y < height; ++y, s += src_step, d += dst_step) {
      for (size_t i = 0; i < whole; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        _mm256_mask_storeu_epi32(d + i, _mm256_cmpneq_epi32_mask(v, key), v);
      }
      if (last != 0) {
        const __m256i v = _mm256_maskz_loadu_epi32(static_cast<__mmask8>(last), s + whole);
        _mm256_mask_storeu_epi32(
            d + whole, _mm256_mask_cmpneq_epi32_mask(static_cast<__mmask8>(last), v, key), v);
      }
    }
  }
}

#endif
