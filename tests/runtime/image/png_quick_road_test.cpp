// The PNG loader's quick road (libdeflate and our own unfiltering) against
// libpng's own reading of the same file: on a table of variants, plain ones
// that take the quick road and unusual or damaged ones that must go to
// libpng, the loader and libpng alone give the same answer, the same format
// and the same bytes, and the quick road is taken exactly where it should be.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/core/file_access.h"
#include "runtime/core/memory.h"
#include "runtime/image/color_format.h"
#include "runtime/image/image_decoder.h"
#include "runtime/image/image_decoder_internal.h"
#include "runtime/image/png_plain_decode.h"
#include "tests/runtime/image/image_file_writers.h"

namespace {

using namespace image_files;

struct Loaded {
  int result = -1;
  GraphImage image{};
  ~Loaded() {
    if (result == 0) ReleaseGraphImage(&image);
  }
};

void Load(const Bytes& file, int (*loader)(StreamSource*, GraphImage*), Loaded* out) {
  StreamSource stream{};
  stream.functions = *GetMemoryStreamFunctions();
  stream.handle = OpenMemoryStream(file.data(), static_cast<uint32_t>(file.size()));
  out->result = loader(&stream, &out->image);
  CloseMemoryStream(stream.handle);
}

// A picture with smooth runs and sharp edges, so that every filter has work.
Picture Varied(int32_t width, int32_t height, bool alpha) {
  Picture p{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t k = static_cast<uint32_t>(x * 7 + y * 13 + ((x / 5 + y / 3) % 2) * 200);
      p.argb.push_back(Argb(alpha ? (k * 29) & 0xFF : 255, (k * 3) & 0xFF, (x * 255 / width) & 0xFF,
                            (k ^ (y * 40)) & 0xFF));
    }
  }
  return p;
}

// A picture of noise over smooth steps, so that the Paeth predictor picks
// the left, the upper and the upper-left byte by turns, and the sums wrap.
Picture Noisy(int32_t width, int32_t height, bool alpha, uint32_t seed) {
  Picture p{width, height, {}};
  uint32_t state = seed;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 24;
  };
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t smooth = static_cast<uint32_t>(x * 9 + y * 5);
      const bool noise = ((x + y) % 3) != 0;
      auto channel = [&](uint32_t offset) { return noise ? next() : (smooth + offset) & 0xFF; };
      const uint32_t a = alpha ? channel(17) : 255;
      const uint32_t r = channel(0);
      const uint32_t g = channel(85);
      const uint32_t b = channel(170);
      p.argb.push_back(Argb(a, r, g, b));
    }
  }
  return p;
}

// A picture of `colours` colours.
Picture Few(int32_t width, int32_t height, int colours) {
  Picture p{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t k = static_cast<uint32_t>((x + 2 * y) % colours);
      p.argb.push_back(Argb(255, k * 40, 255 - k * 30, (k * 77) & 0xFF));
    }
  }
  return p;
}

PngSpec Spec(int color_type, int bit_depth = 8, int filters = 0) {
  PngSpec s;
  s.color_type = color_type;
  s.bit_depth = bit_depth;
  s.filters = filters;
  return s;
}

struct ChunkAt {
  size_t at;  // offset of the length word
  uint32_t length;
  std::string type;
};

uint32_t Word(const Bytes& b, size_t at) {
  return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

void PutWord(Bytes* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

std::vector<ChunkAt> Chunks(const Bytes& b) {
  std::vector<ChunkAt> out;
  for (size_t at = 8; at + 12 <= b.size();) {
    const uint32_t length = Word(b, at);
    out.push_back({at, length, std::string(b.begin() + at + 4, b.begin() + at + 8)});
    at += 12 + length;
  }
  return out;
}

Bytes Chunk(const std::string& type, const Bytes& data) {
  Bytes out(12 + data.size());
  PutWord(&out, 0, static_cast<uint32_t>(data.size()));
  std::copy(type.begin(), type.begin() + 4, out.begin() + 4);
  std::copy(data.begin(), data.end(), out.begin() + 8);
  PutWord(&out, out.size() - 4, Crc32(out.data() + 4, 4 + data.size()));
  return out;
}

// The file with its image data replaced: `change` edits the zlib stream
// (all IDAT chunks joined), which goes back split into chunks of `split`
// bytes.
Bytes WithImageData(const Bytes& file, const std::function<void(Bytes*)>& change,
                    size_t split = 0) {
  Bytes head, stream, tail;
  bool seen = false;
  for (const ChunkAt& c : Chunks(file)) {
    const auto begin = file.begin() + c.at;
    const auto end = begin + 12 + c.length;
    if (c.type == "IDAT") {
      stream.insert(stream.end(), begin + 8, begin + 8 + c.length);
      seen = true;
    } else {
      (seen ? tail : head).insert((seen ? tail : head).end(), begin, end);
    }
  }
  change(&stream);
  Bytes out = head;
  out.insert(out.begin(), file.begin(), file.begin() + 8);
  if (split == 0) split = stream.size();
  for (size_t at = 0; at < stream.size(); at += split) {
    const Bytes part(stream.begin() + at, stream.begin() + std::min(stream.size(), at + split));
    const Bytes chunk = Chunk("IDAT", part);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

// The file whose rows (filter bytes included), inflated, are changed by
// `change` and deflated again at `level` with a window of 2^`window_bits`.
Bytes WithRows(const Bytes& file, const std::function<void(Bytes*)>& change, int level = 6,
               int window_bits = 15) {
  return WithImageData(file, [&](Bytes* stream) {
    Bytes rows(1 << 22);
    uLongf rows_size = rows.size();
    ASSERT_EQ(uncompress(rows.data(), &rows_size, stream->data(), stream->size()), Z_OK);
    rows.resize(rows_size);
    change(&rows);
    z_stream z{};
    ASSERT_EQ(deflateInit2(&z, level, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&z, rows.size()));
    z.next_in = rows.data();
    z.avail_in = static_cast<uInt>(rows.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    *stream = out;
  });
}

// The file with one byte of the chunk of `type` changed (its check sum left).
Bytes WithByteChanged(Bytes file, const std::string& type, size_t offset) {
  for (const ChunkAt& c : Chunks(file)) {
    if (c.type == type) {
      file[c.at + 8 + offset] ^= 0x20;
      break;
    }
  }
  return file;
}

// The file with `chunk` put before the chunk of `type`.
Bytes WithChunkBefore(const Bytes& file, const std::string& type, const Bytes& chunk) {
  for (const ChunkAt& c : Chunks(file)) {
    if (c.type == type) {
      Bytes out(file.begin(), file.begin() + c.at);
      out.insert(out.end(), chunk.begin(), chunk.end());
      out.insert(out.end(), file.begin() + c.at, file.end());
      return out;
    }
  }
  return file;
}

struct Variant {
  const char* name;
  std::function<Bytes()> make;
  bool quick;  // the quick road takes it
};

std::vector<Variant> Variants() {
  const Bytes rgb = MakePng(Varied(37, 23, false), Spec(PNG_COLOR_TYPE_RGB));
  const Bytes rgba = MakePng(Varied(37, 23, true), Spec(PNG_COLOR_TYPE_RGBA));
  auto png = [](Picture p, PngSpec s) { return [p, s] { return MakePng(p, s); }; };
  auto from = [](const Bytes& b) { return [b] { return b; }; };
  PngSpec few_entries = Spec(PNG_COLOR_TYPE_PALETTE);
  few_entries.palette_entries = 2;
  PngSpec palette_alpha = Spec(PNG_COLOR_TYPE_PALETTE);
  palette_alpha.transparency = true;
  PngSpec interlaced = Spec(PNG_COLOR_TYPE_RGB);
  interlaced.interlaced = true;
  return {
      // Plain files, every filter, both pixel sizes and palettes.
      {"rgb", from(rgb), true},
      {"rgba", from(rgba), true},
      {"rgb wide", png(Varied(641, 5, false), Spec(PNG_COLOR_TYPE_RGB)), true},
      {"rgb one pixel", png(Varied(1, 1, false), Spec(PNG_COLOR_TYPE_RGB)), true},
      {"rgb sub", png(Varied(37, 9, false), Spec(PNG_COLOR_TYPE_RGB, 8, PNG_FILTER_SUB)), true},
      {"rgb up", png(Varied(37, 9, false), Spec(PNG_COLOR_TYPE_RGB, 8, PNG_FILTER_UP)), true},
      {"rgb average", png(Varied(37, 9, false), Spec(PNG_COLOR_TYPE_RGB, 8, PNG_FILTER_AVG)), true},
      {"rgb paeth", png(Varied(37, 9, false), Spec(PNG_COLOR_TYPE_RGB, 8, PNG_FILTER_PAETH)), true},
      {"rgba paeth", png(Varied(37, 9, true), Spec(PNG_COLOR_TYPE_RGBA, 8, PNG_FILTER_PAETH)),
       true},
      {"rgb paeth one pixel wide",
       png(Varied(1, 6, false), Spec(PNG_COLOR_TYPE_RGB, 8, PNG_FILTER_PAETH)), true},
      {"rgba paeth two pixels wide",
       png(Varied(2, 7, true), Spec(PNG_COLOR_TYPE_RGBA, 8, PNG_FILTER_PAETH)), true},
      {"rgb paeth and up by turns",
       png(Varied(29, 12, false), Spec(PNG_COLOR_TYPE_RGB, 8, PNG_FILTER_PAETH | PNG_FILTER_UP)),
       true},
      {"rgba average", png(Varied(37, 9, true), Spec(PNG_COLOR_TYPE_RGBA, 8, PNG_FILTER_AVG)),
       true},
      {"palette", png(Varied(19, 7, false), Spec(PNG_COLOR_TYPE_PALETTE)), true},
      {"palette paeth",
       png(Varied(19, 7, false), Spec(PNG_COLOR_TYPE_PALETTE, 8, PNG_FILTER_PAETH)), true},
      {"image data in many chunks",
       [rgb] {
         return WithImageData(
             rgb, [](Bytes*) {}, 7);
       },
       true},
      {"image data stored, not packed",
       [rgb] {
         return WithRows(
             rgb, [](Bytes*) {}, 0);
       },
       true},
      // Kinds libpng reads.
      {"rgb 16-bit", png(Varied(9, 5, false), Spec(PNG_COLOR_TYPE_RGB, 16)), false},
      {"rgba 16-bit", png(Varied(9, 5, true), Spec(PNG_COLOR_TYPE_RGBA, 16)), false},
      {"interlaced", png(Varied(11, 9, false), interlaced), false},
      {"palette 4-bit", png(Few(9, 5, 6), Spec(PNG_COLOR_TYPE_PALETTE, 4)), false},
      {"palette with transparency", png(Varied(9, 5, true), palette_alpha), false},
      {"grey", png(Varied(9, 5, false), Spec(PNG_COLOR_TYPE_GRAY)), false},
      {"grey with alpha", png(Varied(9, 5, true), Spec(PNG_COLOR_TYPE_GRAY_ALPHA)), false},
      {"a text chunk",
       [rgb] {
         return WithChunkBefore(rgb, "IDAT", Chunk("tEXt", {'a', 0, 'b'}));
       },
       false},
      {"a chunk between the data",
       [rgb] {
         const Bytes split = WithImageData(
             rgb, [](Bytes*) {}, 40);
         const std::vector<ChunkAt> chunks = Chunks(split);
         Bytes out(split.begin(), split.begin() + chunks[2].at);
         const Bytes extra = Chunk("gAMA", {0, 0, 0xB1, 0x8F});
         out.insert(out.end(), extra.begin(), extra.end());
         out.insert(out.end(), split.begin() + chunks[2].at, split.end());
         return out;
       },
       false},
      {"a window below 32 KB that holds every row",
       [rgb] {
         return WithRows(
             rgb, [](Bytes*) {}, 6, 12);
       },
       true},
      {"a window below 32 KB smaller than the rows",
       [rgb] {
         return WithRows(
             rgb, [](Bytes*) {}, 6, 9);
       },
       false},
      // Damaged files.
      {"indexes past the palette", png(Few(19, 7, 3), few_entries), true},
      {"cut in the data", [rgb] { return Bytes(rgb.begin(), rgb.begin() + rgb.size() / 2); },
       false},
      {"cut before the end chunk", [rgb] { return Bytes(rgb.begin(), rgb.end() - 12); }, false},
      {"cut in the end chunk", [rgb] { return Bytes(rgb.begin(), rgb.end() - 3); }, false},
      {"header check sum wrong", [rgb] { return WithByteChanged(rgb, "IHDR", 12); }, false},
      {"data check sum wrong", [rgb] { return WithByteChanged(rgb, "IDAT", 5); }, false},
      {"end check sum wrong",
       [rgb] {
         Bytes b = rgb;
         b[b.size() - 1] ^= 1;
         return b;
       },
       false},
      {"zlib sum wrong", [rgb] { return WithImageData(rgb, [](Bytes* s) { s->back() ^= 1; }); },
       false},
      {"bytes after the zlib stream",
       [rgb] { return WithImageData(rgb, [](Bytes* s) { s->push_back(0); }); }, false},
      {"a row too few",
       [rgb] {
         // Erased, not resized: a shrinking resize draws a false
         // -Wstringop-overflow from GCC 12 under the sanitizers.
         return WithRows(rgb, [](Bytes* r) { r->erase(r->end() - (37 * 3 + 1), r->end()); });
       },
       false},
      {"a row too many",
       [rgb] { return WithRows(rgb, [](Bytes* r) { r->resize(r->size() + 37 * 3 + 1, 0); }); },
       false},
      {"an unknown filter",
       [rgb] { return WithRows(rgb, [](Bytes* r) { (*r)[(37 * 3 + 1) * 4] = 5; }); }, false},
      {"no image data",
       [rgb] {
         Bytes out;
         for (const ChunkAt& c : Chunks(rgb)) {
           if (c.type != "IDAT") {
             out.insert(out.end(), rgb.begin() + c.at, rgb.begin() + c.at + 12 + c.length);
           }
         }
         out.insert(out.begin(), rgb.begin(), rgb.begin() + 8);
         return out;
       },
       false},
      {"a header of 14 bytes",
       [rgb] {
         Bytes header(rgb.begin() + 16, rgb.begin() + 29);
         header.push_back(0);
         Bytes out(rgb.begin(), rgb.begin() + 8);
         const Bytes chunk = Chunk("IHDR", header);
         out.insert(out.end(), chunk.begin(), chunk.end());
         out.insert(out.end(), rgb.begin() + 33, rgb.end());
         return out;
       },
       false},
  };
}

TEST(PngQuickRoadTest, GivesLibpngsAnswerFormatAndBytesForEveryVariant) {
  for (const Variant& v : Variants()) {
    SCOPED_TRACE(v.name);
    const Bytes file = v.make();
    ASSERT_FALSE(file.empty());
    PlainPng plain{};
    const bool quick = DecodePlainPng(file.data(), file.size(), &plain);
    if (quick) FreeTracked(plain.pixels);
    EXPECT_EQ(quick, v.quick);

    Loaded ours, libpng;
    Load(file, LoadPngImage, &ours);
    Load(file, LoadPngImageWithLibpng, &libpng);
    ASSERT_EQ(ours.result, libpng.result);
    if (ours.result != 0) continue;
    EXPECT_EQ(std::memcmp(&ours.image.format, &libpng.image.format, sizeof(ColorFormat)), 0);
    ASSERT_EQ(ours.image.width, libpng.image.width);
    ASSERT_EQ(ours.image.height, libpng.image.height);
    ASSERT_EQ(ours.image.pitch, libpng.image.pitch);
    const size_t bytes = static_cast<size_t>(ours.image.pitch) * ours.image.height;
    EXPECT_EQ(std::memcmp(ours.image.pixels, libpng.image.pixels, bytes), 0);
  }
}

TEST(PngQuickRoadTest, APlainFileGivesWhatWasWritten) {
  for (int filters : {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                      PNG_FILTER_PAETH, PNG_ALL_FILTERS}) {
    SCOPED_TRACE(filters);
    const Picture picture = Varied(23, 11, true);
    Picture expected;
    const Bytes file = MakePng(picture, Spec(PNG_COLOR_TYPE_RGBA, 8, filters), &expected);
    Loaded ours;
    Load(file, LoadPngImage, &ours);
    ASSERT_EQ(ours.result, 0);
    for (int32_t y = 0; y < expected.height; ++y) {
      for (int32_t x = 0; x < expected.width; ++x) {
        ASSERT_EQ(ColorAt(ours.image, x, y), expected.At(x, y)) << x << ", " << y;
      }
    }
  }
}

// Every filter on its own and all of them mixed, both pixel sizes, on rows of
// every width around the vector steps (16 bytes: 5 and 6 three-byte pixels, 4
// four-byte ones) and seven rows, so that Paeth rows are undone four, two and
// one at a time; with the 32-byte vectors (where the processor has them) and
// without.
TEST(PngQuickRoadTest, EveryFilterGivesLibpngsBytesForRowsOfEveryWidthAroundAVectorStep) {
  std::vector<int32_t> widths;
  for (int32_t w = 1; w <= 18; ++w) widths.push_back(w);
  for (int32_t w : {31, 32, 33, 47, 48, 49, 64, 65}) widths.push_back(w);
  uint32_t seed = 1;
  struct WideVectorsBack {
    ~WideVectorsBack() { PngWideVectorsAllowed = true; }
  } back;
  for (const bool wide : {true, false})
  for (const bool alpha : {false, true}) {
    PngWideVectorsAllowed = wide;
    for (const int filters : {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                              PNG_FILTER_PAETH, PNG_ALL_FILTERS}) {
      for (const int32_t width : widths) {
        SCOPED_TRACE(std::string(wide ? "wide, " : "") + (alpha ? "rgba" : "rgb") + ", filters " +
                     std::to_string(filters) + ", width " + std::to_string(width));
        const Bytes file = MakePng(Noisy(width, 7, alpha, ++seed),
                                   Spec(alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, 8, filters));
        PlainPng plain{};
        ASSERT_TRUE(DecodePlainPng(file.data(), file.size(), &plain));
        FreeTracked(plain.pixels);
        Loaded ours, libpng;
        Load(file, LoadPngImage, &ours);
        Load(file, LoadPngImageWithLibpng, &libpng);
        ASSERT_EQ(ours.result, 0);
        ASSERT_EQ(libpng.result, 0);
        ASSERT_EQ(ours.image.pitch, libpng.image.pitch);
        const size_t bytes = static_cast<size_t>(ours.image.pitch) * ours.image.height;
        ASSERT_EQ(std::memcmp(ours.image.pixels, libpng.image.pixels, bytes), 0);
      }
    }
  }
}

}  // namespace
