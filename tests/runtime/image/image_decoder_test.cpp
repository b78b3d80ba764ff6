// The image decoders over small files made here: every variant of BMP, TGA,
// DDS, BGRA, PNG and JPEG is compared pixel by pixel with what was written,
// through its own loader and through the decoder chain; damaged files (cut
// short, bytes changed, sizes and offsets that do not match the data,
// indexes past the palette, huge or zero sizes) are refused without reading
// outside what they hold.
#include "runtime/image/image_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/core/file_access.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/draw/graphic_from_image.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/image/color_format.h"
#include "tests/runtime/image/image_file_writers.h"
#include "tests/support/bad_input.h"

namespace {

using namespace image_files;

// Decodes `file` from a memory stream with `loader`, or with the decoder
// chain for null. The image is released with the object.
class Decoded {
 public:
  Decoded(const Bytes& file, ImageLoader loader) {
    StreamSource stream{};
    stream.functions = *GetMemoryStreamFunctions();
    stream.handle = OpenMemoryStream(file.data(), static_cast<uint32_t>(file.size()));
    result = loader != nullptr ? loader(&stream, &image) : DecodeImageStream(&stream, &image);
    CloseMemoryStream(stream.handle);
  }
  ~Decoded() {
    if (result == 0) ReleaseGraphImage(&image);
  }
  int result = -1;
  GraphImage image{};
};

// A picture that uses `colours` distinct colours, in runs of three along
// each row.
Picture FewColours(int32_t width, int32_t height, int colours) {
  Picture p{width, height, {}};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t k = static_cast<uint32_t>((x / 3 + y * 2) % colours);
      p.argb.push_back(Argb(255, (k * 37 + 11) & 0xFF, (k * 91 + 5) & 0xFF, (255 - k * 13) & 0xFF));
    }
  return p;
}

// A picture of `colours` colours in which no two neighbours on a row are
// alike.
Picture Alternating(int32_t width, int32_t height, int colours) {
  Picture p = FewColours(width * 3, height, colours);
  Picture q{width, height, {}};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) q.argb.push_back(p.At((x + y) * 3 % (width * 3), y));
  return q;
}

// Checks `d` against the picture, pixel by pixel.
void ExpectPicture(const Decoded& d, const Picture& expected) {
  ASSERT_EQ(d.result, 0);
  ASSERT_EQ(d.image.width, expected.width);
  ASSERT_EQ(d.image.height, expected.height);
  ASSERT_NE(d.image.pixels, nullptr);
  for (int32_t y = 0; y < expected.height; ++y)
    for (int32_t x = 0; x < expected.width; ++x)
      ASSERT_EQ(ColorAt(d.image, x, y), expected.At(x, y)) << "pixel (" << x << ", " << y << ")";
}

struct ValidCase {
  const char* name;
  ImageLoader loader;
  // Writes the file and the picture it should decode to.
  std::function<Bytes(Picture*)> make;
  int bytes_per_pixel;
  int pitch;  // 0: not checked
};

BmpSpec Bmp(int bits, uint32_t compression = 0, bool top_down = false, uint32_t colors_used = 0,
            uint32_t header_size = 40) {
  BmpSpec s;
  s.bits = bits;
  s.compression = compression;
  s.top_down = top_down;
  s.colors_used = colors_used;
  s.header_size = header_size;
  return s;
}

BmpSpec BmpFields(int bits, uint32_t r, uint32_t g, uint32_t b) {
  BmpSpec s = Bmp(bits, 3);
  s.masks[0] = r, s.masks[1] = g, s.masks[2] = b;
  return s;
}

TgaSpec Tga(int type, int depth, uint8_t descriptor, bool footer = false) {
  TgaSpec s;
  s.type = type;
  s.depth = depth;
  s.descriptor = descriptor;
  s.footer = footer;
  return s;
}

DdsSpec Dds(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint32_t flags,
            uint32_t four_cc = 0, int32_t pitch = 0) {
  DdsSpec s;
  s.bits = bits;
  s.masks[0] = r, s.masks[1] = g, s.masks[2] = b, s.masks[3] = a;
  s.format_flags = flags;
  s.four_cc = four_cc;
  s.pitch = pitch;
  return s;
}

PngSpec Png(int color_type, int bit_depth, bool transparency = false, bool interlaced = false) {
  PngSpec s;
  s.color_type = color_type;
  s.bit_depth = bit_depth;
  s.transparency = transparency;
  s.interlaced = interlaced;
  return s;
}

std::vector<ValidCase> ValidCases() {
  auto bmp = [](Picture p, BmpSpec s) { return [p, s](Picture* e) { return MakeBmp(p, s, e); }; };
  auto tga = [](Picture p, TgaSpec s) { return [p, s](Picture* e) { return MakeTga(p, s, e); }; };
  auto dds = [](Picture p, DdsSpec s) { return [p, s](Picture* e) { return MakeDds(p, s, e); }; };
  auto png = [](Picture p, PngSpec s) { return [p, s](Picture* e) { return MakePng(p, s, e); }; };
  auto bgra = [](Picture p, int bits) {
    return [p, bits](Picture* e) {
      *e = p;
      return MakeBgra(p, bits);
    };
  };
  TgaSpec mapped_with_id = Tga(1, 24, 0x20);
  mapped_with_id.id_length = 5;
  mapped_with_id.map_first = 7;
  TgaSpec true_colour_with_map = Tga(2, 24, 0x00);
  true_colour_with_map.map_with_true_colour = true;
  TgaSpec rle_mapped = Tga(9, 16, 0x00, true);
  rle_mapped.map_first = 200;

  return {
      // BMP: every direct path and the conversion to 24 bits.
      {"bmp 1-bit", LoadBmpImage, bmp(FewColours(9, 3, 2), Bmp(1)), 3, 28},
      {"bmp 4-bit three wide", LoadBmpImage, bmp(FewColours(3, 2, 16), Bmp(4)), 1, 4},
      {"bmp 4-bit short colour table", LoadBmpImage, bmp(FewColours(7, 3, 5), Bmp(4, 0, false, 5)),
       1, 8},
      {"bmp 8-bit bottom-up", LoadBmpImage, bmp(FewColours(5, 3, 9), Bmp(8)), 1, 8},
      {"bmp 8-bit top-down", LoadBmpImage, bmp(FewColours(5, 3, 9), Bmp(8, 0, true, 9)), 1, 8},
      {"bmp 8-bit with a 124-byte header", LoadBmpImage,
       bmp(FewColours(6, 4, 9), Bmp(8, 0, false, 0, 124)), 1, 8},
      {"bmp RLE8 bottom-up", LoadBmpImage, bmp(FewColours(13, 4, 6), Bmp(8, 1)), 1, 16},
      {"bmp RLE8 top-down", LoadBmpImage, bmp(MakePicture(11, 3), Bmp(8, 1, true)), 1, 12},
      {"bmp RLE4", LoadBmpImage, bmp(FewColours(13, 5, 16), Bmp(4, 2)), 1, 16},
      {"bmp RLE4 with literal groups", LoadBmpImage, bmp(Alternating(9, 3, 5), Bmp(4, 2, false, 5)),
       1, 12},
      {"bmp RLE8 with literal groups", LoadBmpImage, bmp(Alternating(8, 3, 7), Bmp(8, 1)), 1, 8},
      {"bmp 16-bit 5-5-5", LoadBmpImage, bmp(MakePicture(5, 3), Bmp(16)), 3, 16},
      {"bmp 16-bit bit fields 5-6-5", LoadBmpImage,
       bmp(MakePicture(5, 3), BmpFields(16, 0xF800, 0x7E0, 0x1F)), 3, 16},
      {"bmp 24-bit bottom-up", LoadBmpImage, bmp(MakePicture(5, 3), Bmp(24)), 3, 16},
      {"bmp 24-bit top-down", LoadBmpImage, bmp(MakePicture(5, 3), Bmp(24, 0, true)), 3, 16},
      {"bmp 32-bit", LoadBmpImage, bmp(MakePicture(5, 3), Bmp(32)), 3, 16},
      {"bmp 32-bit bit fields blue on top", LoadBmpImage,
       bmp(MakePicture(5, 3), BmpFields(32, 0xFF, 0xFF00, 0xFF0000)), 3, 16},
      // TGA: raw and run-length, true colour and mapped, every orientation.
      {"tga 24-bit top-down", LoadTgaImage, tga(MakePicture(5, 3), Tga(2, 24, 0x20)), 3, 15},
      {"tga 32-bit bottom-up with footer", LoadTgaImage,
       tga(MakePicture(5, 3, true), Tga(2, 32, 0x08, true)), 4, 20},
      {"tga 16-bit right to left", LoadTgaImage, tga(MakePicture(5, 3), Tga(2, 16, 0x30)), 2, 10},
      {"tga 16-bit bottom-up right to left", LoadTgaImage, tga(MakePicture(4, 3), Tga(2, 16, 0x10)),
       2, 8},
      {"tga true colour after a colour map", LoadTgaImage,
       tga(MakePicture(4, 3), true_colour_with_map), 3, 12},
      {"tga colour-mapped with an id", LoadTgaImage, tga(FewColours(6, 3, 5), mapped_with_id), 3,
       18},
      {"tga run-length 24-bit", LoadTgaImage, tga(FewColours(9, 4, 4), Tga(10, 24, 0x00)), 3, 27},
      {"tga run-length 32-bit with footer", LoadTgaImage,
       tga(MakePicture(7, 3, true), Tga(10, 32, 0x20, true)), 4, 28},
      {"tga run-length colour-mapped", LoadTgaImage, tga(FewColours(10, 3, 7), rle_mapped), 2, 20},
      // DDS: masks, format codes, padded rows.
      {"dds X8R8G8B8 by masks", LoadDdsImage,
       dds(MakePicture(5, 3), Dds(32, 0xFF0000, 0xFF00, 0xFF, 0, 0x40)), 4, 20},
      {"dds A8R8G8B8 by masks", LoadDdsImage,
       dds(MakePicture(5, 3, true), Dds(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0x41)), 4, 20},
      {"dds R8G8B8 by masks", LoadDdsImage,
       dds(MakePicture(5, 3), Dds(24, 0xFF0000, 0xFF00, 0xFF, 0, 0x40)), 3, 15},
      {"dds R5G6B5 with padded rows", LoadDdsImage,
       dds(MakePicture(5, 3), Dds(16, 0xF800, 0x7E0, 0x1F, 0, 0x40, 0, 16)), 2, 16},
      {"dds format code 23", LoadDdsImage,
       dds(MakePicture(5, 3), Dds(16, 0xF800, 0x7E0, 0x1F, 0, 0x4, 23)), 2, 10},
      {"dds format code 26", LoadDdsImage,
       dds(MakePicture(5, 3, true), Dds(16, 0xF00, 0xF0, 0xF, 0xF000, 0x4, 26)), 2, 10},
      {"dds format code 32", LoadDdsImage,
       dds(MakePicture(5, 3, true), Dds(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, 0x4, 32)), 4, 20},
      {"dds format code 35 with 10-bit channels", LoadDdsImage,
       dds(MakePicture(5, 3), Dds(32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, 0x4, 35)), 4, 20},
      // BGRA.
      {"bgra 8 bits a channel", LoadBgraImage, bgra(MakePicture(5, 3, true), 8), 4, 20},
      {"bgra 16 bits a channel", LoadBgraImage, bgra(MakePicture(5, 3, true), 16), 4, 20},
      // PNG.
      {"png rgb", LoadPngImage, png(MakePicture(5, 3), Png(PNG_COLOR_TYPE_RGB, 8)), 3, 15},
      {"png rgb 16-bit", LoadPngImage, png(MakePicture(5, 3), Png(PNG_COLOR_TYPE_RGB, 16)), 3, 15},
      {"png rgba", LoadPngImage, png(MakePicture(5, 3, true), Png(PNG_COLOR_TYPE_RGBA, 8)), 4, 20},
      {"png rgba 16-bit", LoadPngImage, png(MakePicture(5, 3, true), Png(PNG_COLOR_TYPE_RGBA, 16)),
       4, 20},
      {"png rgb interlaced", LoadPngImage,
       png(MakePicture(11, 9), Png(PNG_COLOR_TYPE_RGB, 8, false, true)), 3, 33},
      {"png palette", LoadPngImage, png(FewColours(5, 3, 6), Png(PNG_COLOR_TYPE_PALETTE, 8)), 1, 5},
      {"png palette 2-bit", LoadPngImage, png(FewColours(7, 3, 4), Png(PNG_COLOR_TYPE_PALETTE, 2)),
       1, 7},
      {"png palette with transparency", LoadPngImage,
       png(MakePicture(4, 3, true), Png(PNG_COLOR_TYPE_PALETTE, 8, true)), 4, 16},
      {"png grey 1-bit", LoadPngImage, png(MakePicture(9, 3), Png(PNG_COLOR_TYPE_GRAY, 1)), 1, 9},
      {"png grey 4-bit", LoadPngImage, png(MakePicture(5, 3), Png(PNG_COLOR_TYPE_GRAY, 4)), 1, 5},
      {"png grey 8-bit", LoadPngImage, png(MakePicture(5, 3), Png(PNG_COLOR_TYPE_GRAY, 8)), 1, 5},
      {"png grey 16-bit", LoadPngImage, png(MakePicture(5, 3), Png(PNG_COLOR_TYPE_GRAY, 16)), 1, 5},
      {"png grey with alpha", LoadPngImage,
       png(MakePicture(5, 3, true), Png(PNG_COLOR_TYPE_GRAY_ALPHA, 8)), 2, 10},
  };
}

TEST(ImageDecoderTest, EveryVariantDecodesToWhatWasWritten) {
  for (const ValidCase& c : ValidCases()) {
    SCOPED_TRACE(c.name);
    Picture expected;
    const Bytes file = c.make(&expected);
    ASSERT_FALSE(file.empty());
    const int32_t blocks = TrackedBlockCount();
    {
      const Decoded own(file, c.loader);
      ExpectPicture(own, expected);
      EXPECT_EQ(own.image.format.bytes_per_pixel, c.bytes_per_pixel);
      EXPECT_EQ(own.image.format.bit_depth, c.bytes_per_pixel * 8);
      if (c.pitch != 0) {
        EXPECT_EQ(own.image.pitch, c.pitch);
      }
      if (own.image.format.bytes_per_pixel == 1) {
        for (const ColorPaletteEntry& e : own.image.format.palette) ASSERT_EQ(e.reserved, 0);
      }
      // The chain finds the same loader, whatever the loaders before it read.
      const Decoded chain(file, nullptr);
      ExpectPicture(chain, expected);
      EXPECT_EQ(chain.image.pitch, own.image.pitch);
    }
    EXPECT_EQ(TrackedBlockCount(), blocks);
  }
}

// What the loaders give beyond the colours.
TEST(ImageDecoderTest, FormatsOfTheLoadedImages) {
  {
    // A top-down 24-bit bitmap is kept as read; its pitch is the file's.
    Picture expected;
    const Decoded d(MakeBmp(MakePicture(3, 2), Bmp(24, 0, true), &expected), LoadBmpImage);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.image.pitch, 12);
    EXPECT_EQ(d.image.format.red_mask, 0xFF0000u);
  }
  {
    // A 16-bit BGRA channel 0x12AB gives the byte 0x12.
    Picture p{1, 1, {Argb(0x12, 0x12, 0x12, 0x12)}};
    const Decoded d(MakeBgra(p, 16, 0xAB), LoadBgraImage);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(std::memcmp(d.image.pixels, "\x12\x12\x12\x12", 4), 0);
    EXPECT_EQ(d.image.format.alpha_mask, 0xFF000000u);
  }
  {
    // A 16-bit TGA has its top bit outside every channel.
    const Decoded d(MakeTga(MakePicture(2, 2), Tga(2, 16, 0x20)), LoadTgaImage);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.image.format.spare_mask, 0x8000u);
    EXPECT_EQ(d.image.format.red_mask, 0x7C00u);
  }
  {
    // Grey with alpha: 16 bits, the grey byte in every colour channel, the
    // alpha byte in none.
    const Decoded d(MakePng(MakePicture(2, 2, true), Png(PNG_COLOR_TYPE_GRAY_ALPHA, 8)),
                    LoadPngImage);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.image.format.red_mask, 0xFFu);
    EXPECT_EQ(d.image.format.blue_mask, 0xFFu);
    EXPECT_EQ(d.image.format.alpha_width, 0);
    EXPECT_EQ(d.image.format.spare_mask, 0xFF00u);
  }
  {
    // A palette PNG keeps the file's entries; the rest of the 256 are zero.
    const Decoded d(MakePng(FewColours(9, 1, 3), Png(PNG_COLOR_TYPE_PALETTE, 8)), LoadPngImage);
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(d.image.format.palette[2].red, (2 * 37 + 11) & 0xFF);
    for (int i = 3; i < 256; ++i) EXPECT_EQ(d.image.format.palette[i].red, 0);
  }
}

// ---- JPEG -------------------------------------------------------------------------

TEST(ImageDecoderTest, JpegGivesLibjpegsPixelsInBlueGreenRedOrder) {
  struct Case {
    const char* name;
    Picture picture;
    int components;
    int pitch;
  };
  const Case cases[] = {
      {"colour, three wide", MakePicture(3, 4), 3, 9},
      {"colour, 17 x 9", MakePicture(17, 9), 3, 51},
      {"grey", MakePicture(6, 5), 1, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = MakeJpeg(c.picture, c.components, 100);
    const Picture reference = DecodeJpegReference(file);
    const Decoded own(file, LoadJpegImage);
    ExpectPicture(own, reference);
    EXPECT_EQ(own.image.pitch, c.pitch);
    EXPECT_EQ(own.image.format.bytes_per_pixel, c.components);
    const Decoded chain(file, nullptr);
    ExpectPicture(chain, reference);
    // And close to what was written.
    for (int32_t y = 0; y < c.picture.height; ++y)
      for (int32_t x = 0; x < c.picture.width; ++x) {
        const uint32_t want = c.picture.At(x, y);
        const uint32_t got = ColorAt(own.image, x, y);
        EXPECT_NEAR(R(got), R(want), 24) << x << ", " << y;
        if (c.components == 3) {
          EXPECT_NEAR(G(got), G(want), 24) << x << ", " << y;
          EXPECT_NEAR(B(got), B(want), 24) << x << ", " << y;
        }
      }
  }
}

// ---- Damaged files ------------------------------------------------------------------

// Every file of the table cut short at every length: refused, or (a TGA that
// loses only part of its footer) the same picture. (A JPEG cut short is
// decoded as far as it goes: below.)
TEST(ImageDecoderTest, FilesCutShortAreRefused) {
  const std::vector<ValidCase> cases = ValidCases();
  const int32_t blocks = TrackedBlockCount();
  for (const ValidCase& c : cases) {
    SCOPED_TRACE(c.name);
    Picture expected;
    const Bytes file = c.make(&expected);
    const bool trailer_may_go = c.loader == LoadTgaImage;
    for (size_t length = 0; length < file.size(); ++length) {
      const Bytes cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
      const Decoded d(cut, nullptr);
      if (d.result == 0 && trailer_may_go) {
        ExpectPicture(d, expected);
      } else {
        EXPECT_EQ(d.result, -1) << "cut to " << length << " of " << file.size() << " bytes";
      }
    }
  }
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

// Every header byte of every file set to 0x00, 0xFF and 0x80 in turn: no read
// outside the file (the sanitizer build watches), nothing left allocated.
TEST(ImageDecoderTest, ChangedHeaderBytesNeverReadOutsideTheFile) {
  const int32_t blocks = TrackedBlockCount();
  for (const ValidCase& c : ValidCases()) {
    SCOPED_TRACE(c.name);
    Picture expected;
    const Bytes file = c.make(&expected);
    const size_t header = std::min<size_t>(file.size(), 160);
    for (size_t at = 0; at < header; ++at) {
      for (uint8_t value : {0x00, 0xFF, 0x80}) {
        Bytes changed = file;
        changed[at] = value;
        const Decoded d(changed, nullptr);
        if (d.result == 0) {
          ASSERT_GE(d.image.width, 1);
          ASSERT_GE(d.image.height, 1);
        }
      }
    }
  }
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

// A PNG of the given size made by hand: its IHDR (with a right CRC) and an
// end chunk; no image data, or with `data` a few bytes of it.
Bytes PngHeaderOnly(uint32_t width, uint32_t height, bool data = false) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&b](const char* type, const Bytes& data) {
    for (int k = 3; k >= 0; --k) b.push_back(static_cast<uint8_t>(data.size() >> (8 * k)));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    b.insert(b.end(), typed.begin(), typed.end());
    const uint32_t crc = Crc32(typed.data(), typed.size());
    for (int k = 3; k >= 0; --k) b.push_back(static_cast<uint8_t>(crc >> (8 * k)));
  };
  Bytes ihdr;
  for (uint32_t v : {width, height})
    for (int k = 3; k >= 0; --k) ihdr.push_back(static_cast<uint8_t>(v >> (8 * k)));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk("IHDR", ihdr);
  if (data) chunk("IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00});
  chunk("IEND", {});
  return b;
}

struct DamagedCase {
  const char* name;
  std::function<Bytes()> make;
};

Bytes Changed(Bytes b, size_t at, std::initializer_list<uint8_t> values) {
  for (uint8_t v : values) b.at(at++) = v;
  return b;
}

// Bitmap header fields, from the start of the file.
constexpr size_t kBmpOffset = 10, kBmpWidth = 18, kBmpHeight = 22, kBmpBits = 28,
                 kBmpCompression = 30, kBmpColorsUsed = 46;

const DamagedCase kDamagedCases[] = {
    {"bmp zero width",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpWidth, {0, 0, 0, 0});
     }},
    {"bmp zero height",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpHeight, {0, 0, 0, 0});
     }},
    {"bmp negative width",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpWidth, {0xFC, 0xFF, 0xFF, 0xFF});
     }},
    {"bmp height of -2^31",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpHeight, {0, 0, 0, 0x80});
     }},
    {"bmp width past the limit",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpWidth, {0x00, 0x00, 0x01, 0x00});
     }},
    {"bmp RLE8 of 60000 x 60000 from a few bytes",
     [] {
       Bytes b = MakeBmp(FewColours(4, 2, 2), Bmp(8, 1));
       b = Changed(b, kBmpWidth, {0x60, 0xEA, 0, 0});
       return Changed(b, kBmpHeight, {0x60, 0xEA, 0, 0});
     }},
    {"bmp taller than its data",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpHeight, {3, 0, 0, 0});
     }},
    {"bmp pixel offset past the end",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpOffset, {0, 0, 1, 0});
     }},
    {"bmp pixel offset inside the file header",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpOffset, {2, 0, 0, 0});
     }},
    {"bmp 2 bits a pixel",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpBits, {2, 0});
     }},
    {"bmp JPEG compression",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpCompression, {4, 0, 0, 0});
     }},
    {"bmp RLE8 on a 24-bit header",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), kBmpCompression, {1, 0, 0, 0});
     }},
    {"bmp more colours used than the depth holds",
     [] {
       return Changed(MakeBmp(FewColours(4, 2, 2), Bmp(4)), kBmpColorsUsed, {17, 0, 0, 0});
     }},
    {"bmp 8-bit index past the colour table",
     [] { return Changed(MakeBmp(FewColours(4, 2, 3), Bmp(8, 0, false, 3)), 14 + 40 + 12, {3}); }},
    {"bmp 4-bit index past the colour table",
     [] {
       return Changed(MakeBmp(FewColours(4, 2, 3), Bmp(4, 0, false, 3)), 14 + 40 + 12, {0x13});
     }},
    {"bmp 1-bit index past a one-entry table",
     [] {
       Bytes b = MakeBmp(FewColours(8, 1, 1), Bmp(1, 0, false, 1));
       return Changed(b, b.size() - 4, {0x80});
     }},
    {"bmp RLE8 index past the colour table",
     [] {
       return Changed(MakeBmp(FewColours(6, 1, 2), Bmp(8, 1, false, 2)), 14 + 40 + 8 + 1, {2});
     }},
    {"bmp RLE8 run past the line's padding",
     [] { return Changed(MakeBmp(FewColours(6, 1, 2), Bmp(8, 1, false, 2)), 14 + 40 + 8, {9}); }},
    {"bmp RLE8 move out of the picture",
     [] {
       const Bytes good = MakeBmp(FewColours(6, 2, 2), Bmp(8, 1, false, 2));
       Bytes b(good.begin(), good.begin() + 14 + 40 + 8);
       b.insert(b.end(), {0, 2, 3, 5, 1, 0, 0, 1});
       return b;
     }},
    {"bmp RLE8 without an end of bitmap",
     [] {
       const Bytes good = MakeBmp(FewColours(6, 2, 2), Bmp(8, 1, false, 2));
       Bytes b(good.begin(), good.begin() + 14 + 40 + 8);
       b.insert(b.end(), {6, 0, 0, 0, 6, 1, 0, 0});
       return b;
     }},
    {"bmp RLE8 literal group past the data",
     [] {
       const Bytes good = MakeBmp(FewColours(6, 2, 2), Bmp(8, 1, false, 2));
       Bytes b(good.begin(), good.begin() + 14 + 40 + 8);
       b.insert(b.end(), {0, 200, 1, 1, 1, 1});
       return b;
     }},
    {"bmp header smaller than an info header",
     [] {
       return Changed(MakeBmp(MakePicture(4, 2), Bmp(24)), 14, {12, 0, 0, 0});
     }},
    {"bmp colour table past the end",
     [] {
       return Changed(MakeBmp(FewColours(4, 2, 3), Bmp(8, 0, false, 3)), 14, {0, 0, 0, 1});
     }},
    {"tga 4096 wide",
     [] {
       return Changed(MakeTga(MakePicture(4, 2), Tga(2, 24, 0x20)), 12, {0x00, 0x10});
     }},
    {"tga zero height",
     [] {
       return Changed(MakeTga(MakePicture(4, 2), Tga(2, 24, 0x20)), 14, {0, 0});
     }},
    {"tga grey", [] { return Changed(MakeTga(MakePicture(4, 2), Tga(2, 24, 0x20)), 2, {3}); }},
    {"tga run-length grey",
     [] { return Changed(MakeTga(MakePicture(4, 2), Tga(10, 24, 0x20)), 2, {11}); }},
    {"tga 15-bit", [] { return Changed(MakeTga(MakePicture(4, 2), Tga(2, 24, 0x20)), 16, {15}); }},
    {"tga origin not at zero",
     [] { return Changed(MakeTga(MakePicture(4, 2), Tga(2, 24, 0x20)), 8, {1}); }},
    {"tga index past the colour map",
     [] {
       Bytes b = MakeTga(FewColours(4, 1, 2), Tga(1, 24, 0x20));
       return Changed(b, b.size() - 1, {2});
     }},
    {"tga colour map past entry 255",
     [] {
       return Changed(MakeTga(FewColours(4, 1, 2), Tga(1, 24, 0x20)), 3, {255, 0});
     }},
    {"tga run-length data cut short",
     [] {
       Bytes b = MakeTga(MakePicture(9, 3), Tga(10, 24, 0x20));
       b.erase(b.end() - 4, b.end());
       return b;
     }},
    {"dds zero width",
     [] {
       return Changed(MakeDds(MakePicture(4, 2), DdsSpec{}), 4 + 12, {0, 0, 0, 0});
     }},
    {"dds huge",
     [] {
       return Changed(MakeDds(MakePicture(4, 2), DdsSpec{}), 4 + 8, {0, 0, 0, 1});
     }},
    {"dds pitch shorter than a row",
     [] {
       const Bytes b = MakeDds(MakePicture(4, 2), Dds(32, 0xFF0000, 0xFF00, 0xFF, 0, 0x40, 0, 16));
       return Changed(b, 4 + 16, {8, 0, 0, 0});
     }},
    {"dds negative pitch",
     [] {
       const Bytes b = MakeDds(MakePicture(4, 2), Dds(32, 0xFF0000, 0xFF00, 0xFF, 0, 0x40, 0, 16));
       return Changed(b, 4 + 16, {0xF0, 0xFF, 0xFF, 0xFF});
     }},
    {"dds 12 bits a pixel",
     [] { return Changed(MakeDds(MakePicture(4, 2), DdsSpec{}), 4 + 84, {12}); }},
    {"dds compressed",
     [] {
       Bytes b = MakeDds(MakePicture(4, 2), DdsSpec{});
       b = Changed(b, 4 + 76, {4, 0, 0, 0});
       return Changed(b, 4 + 80, {'D', 'X', 'T', '1'});
     }},
    {"dds unknown format code with masks",
     [] {
       // Masks and a bit count are there, but the flags name a format code
       // that no table row has: its data is not laid out by the masks.
       Bytes b = MakeDds(MakePicture(4, 2), DdsSpec{});
       b = Changed(b, 4 + 76, {4, 0, 0, 0});
       return Changed(b, 4 + 80, {'D', 'X', 'T', '5'});
     }},
    {"bgra bad depth", [] { return Changed(MakeBgra(MakePicture(2, 2), 8), 4, {7}); }},
    {"bgra zero width", [] { return Changed(MakeBgra(MakePicture(2, 2), 8), 8, {0}); }},
    {"png palette index past the palette",
     [] {
       PngSpec s = Png(PNG_COLOR_TYPE_PALETTE, 8);
       s.palette_entries = 2;
       return MakePng(FewColours(4, 2, 3), s);
     }},
    {"png 70000 wide", [] { return PngHeaderOnly(70000, 1); }},
    {"png 60000 x 60000", [] { return PngHeaderOnly(60000, 60000); }},
    {"png without image data", [] { return PngHeaderOnly(4, 4); }},
    {"jpeg empty", [] { return Bytes{}; }},
    {"jpeg start marker only",
     [] {
       return Bytes{0xFF, 0xD8};
     }},
    {"jpeg garbage after the start marker",
     [] { return Bytes{0xFF, 0xD8, 0x12, 0x34, 0x56, 0x78, 0xFF}; }},
};

TEST(ImageDecoderTest, DamagedFilesAreRefused) {
  const int32_t blocks = TrackedBlockCount();
  for (const DamagedCase& c : kDamagedCases) {
    SCOPED_TRACE(c.name);
    const Decoded d(c.make(), nullptr);
    EXPECT_EQ(d.result, -1);
  }
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

// The damaged cases above are refused for their damage: the same files
// unchanged load.
TEST(ImageDecoderTest, UndamagedTwinsOfTheDamagedCasesLoad) {
  const Bytes twins[] = {
      MakeBmp(FewColours(4, 2, 3), Bmp(8, 0, false, 3)),
      MakeBmp(FewColours(4, 2, 3), Bmp(4, 0, false, 3)),
      MakeBmp(FewColours(8, 1, 1), Bmp(1, 0, false, 1)),
      MakeBmp(FewColours(6, 1, 2), Bmp(8, 1, false, 2)),
      MakeTga(FewColours(4, 1, 2), Tga(1, 24, 0x20)),
      MakeTga(MakePicture(9, 3), Tga(10, 24, 0x20)),
      MakePng(FewColours(4, 2, 3), Png(PNG_COLOR_TYPE_PALETTE, 8)),
  };
  for (const Bytes& file : twins) {
    const Decoded d(file, nullptr);
    EXPECT_EQ(d.result, 0);
  }
}

// Run-length lines that encoders pad to a multiple of four pixels: the
// pixels past the width are dropped and the picture loads.
TEST(ImageDecoderTest, BmpRunLengthLinesPaddedToFourPixelsLoad) {
  for (const uint32_t compression : {1u, 2u}) {
    for (const int32_t width : {37, 38, 39, 40}) {
      SCOPED_TRACE(testing::Message() << "RLE" << (compression == 1 ? 8 : 4) << ", width "
                                      << width);
      BmpSpec spec = Bmp(compression == 1 ? 8 : 4, compression);
      spec.padded_runs = true;
      Picture expected;
      const Bytes file = MakeBmp(FewColours(width, 3, 7), spec, &expected);
      const Decoded d(file, LoadBmpImage);
      ExpectPicture(d, expected);
      EXPECT_EQ(d.image.pitch, 40);
    }
  }
}

// A JPEG that ends early is decoded as far as its data goes: without its
// end-of-image marker it is the whole picture; cut in the middle of its
// data, its top rows are the whole file's.
TEST(ImageDecoderTest, JpegCutShortIsDecodedAsFarAsItGoes) {
  const Bytes whole = MakeJpeg(MakePicture(64, 64), 3);
  const Picture reference = DecodeJpegReference(whole);
  {
    SCOPED_TRACE("without its end marker");
    ASSERT_EQ(whole[whole.size() - 2], 0xFF);
    ASSERT_EQ(whole[whole.size() - 1], 0xD9);
    const Decoded d(Bytes(whole.begin(), whole.end() - 2), nullptr);
    ExpectPicture(d, reference);
  }
  {
    SCOPED_TRACE("cut in the middle of its data");
    const Decoded d(Bytes(whole.begin(), whole.begin() + whole.size() * 3 / 5), nullptr);
    ASSERT_EQ(d.result, 0);
    ASSERT_EQ(d.image.width, 64);
    ASSERT_EQ(d.image.height, 64);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 64; ++x)
        ASSERT_EQ(ColorAt(d.image, x, y), reference.At(x, y)) << "pixel (" << x << ", " << y << ")";
    bool bottom_differs = false;
    for (int32_t x = 0; x < 64; ++x) bottom_differs |= ColorAt(d.image, x, 63) != reference.At(x, 63);
    EXPECT_TRUE(bottom_differs) << "the cut rows are not the whole file's";
  }
  // At every length the file is decoded at its full size or refused, and
  // nothing is left allocated.
  const int32_t blocks = TrackedBlockCount();
  for (size_t length = 0; length < whole.size(); length += 7) {
    const Decoded d(Bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length)), nullptr);
    if (d.result == 0) {
      EXPECT_EQ(d.image.width, 64) << "cut to " << length;
      EXPECT_EQ(d.image.height, 64) << "cut to " << length;
    }
  }
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

// The offset of a JPEG's frame header (SOF0) in `file`.
size_t JpegFrameHeader(const Bytes& file) {
  for (size_t i = 0; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xC0) return i;
  return 0;
}

// Small files whose headers announce big pictures are refused before the
// picture is reserved: the allocator's peak stays small.
TEST(ImageDecoderTest, TinyFilesAnnouncingHugePicturesAreRefusedWithoutReservingThem) {
  const DamagedCase cases[] = {
      {"dds of 128 bytes with a 2 GB pitch",
       [] {
         Bytes b(128, 0);
         std::memcpy(b.data(), "DDS ", 4);
         Poke32(b, 4 + 4, 0x100F);      // flags, the pitch among them
         Poke32(b, 4 + 8, 4096);        // height
         Poke32(b, 4 + 12, 4096);       // width
         Poke32(b, 4 + 16, 500000);     // pitch
         Poke32(b, 4 + 76, 0x40);       // RGB by masks
         Poke32(b, 4 + 84, 32);
         Poke32(b, 4 + 88, 0xFF0000);
         Poke32(b, 4 + 92, 0xFF00);
         Poke32(b, 4 + 96, 0xFF);
         return b;
       }},
      {"tga of 4095 x 4095 32-bit pixels",
       [] {
         Bytes b = MakeTga(MakePicture(4, 2), Tga(2, 32, 0x20));
         return Changed(b, 12, {0xFF, 0x0F, 0xFF, 0x0F});
       }},
      {"run-length tga of 4095 x 4095",
       [] {
         Bytes b = MakeTga(MakePicture(4, 2), Tga(10, 32, 0x20));
         return Changed(b, 12, {0xFF, 0x0F, 0xFF, 0x0F});
       }},
      {"bgra of 4096 x 4096", [] { return Changed(MakeBgra(MakePicture(2, 2), 8), 8, {0, 0x10, 0, 0, 0, 0x10}); }},
      {"bmp of 4000 x 4000",
       [] {
         Bytes b = MakeBmp(MakePicture(4, 2), Bmp(24));
         b = Changed(b, kBmpWidth, {0xA0, 0x0F, 0, 0});
         return Changed(b, kBmpHeight, {0xA0, 0x0F, 0, 0});
       }},
      {"run-length bmp of 4000 x 4000 without an end",
       [] {
         const Bytes good = MakeBmp(FewColours(6, 2, 2), Bmp(8, 1, false, 2));
         Bytes b(good.begin(), good.begin() + 14 + 40 + 8);
         b.insert(b.end(), {6, 0, 0, 0, 6, 1, 0, 0});
         b = Changed(b, kBmpWidth, {0xA0, 0x0F, 0, 0});
         return Changed(b, kBmpHeight, {0xA0, 0x0F, 0, 0});
       }},
      {"png of 4096 x 4096", [] { return PngHeaderOnly(4096, 4096, true); }},
      {"jpeg of 4000 x 4000",
       [] {
         Bytes b = MakeJpeg(MakePicture(16, 16), 3);
         return Changed(b, JpegFrameHeader(b) + 5, {0x0F, 0xA0, 0x0F, 0xA0});
       }},
  };
  std::vector<DamagedCase> all(std::begin(cases), std::end(cases));
  // A file that once made the loader ask for 1.6 GB.
  all.push_back({"dds announcing 1.6 GB", [] {
                   std::ifstream in(BRIMAL_BAD_INPUT_DIR "/dds-announces-1.6-gb.dds",
                                    std::ios::binary);
                   return Bytes(std::istreambuf_iterator<char>(in), {});
                 }});
  for (const DamagedCase& c : all) {
    SCOPED_TRACE(c.name);
    const Bytes file = c.make();
    ASSERT_FALSE(file.empty());
    ASSERT_LT(file.size(), 2000u);
    ResetTrackedPeakBytes();
    const int64_t before = TrackedTotalBytes();
    const Decoded d(file, nullptr);
    EXPECT_EQ(d.result, -1);
    EXPECT_LT(TrackedPeakBytes() - before, 64 * 1024);
  }
}

// The RLE moves: a move skips pixels (left at index 0) and lines.
TEST(ImageDecoderTest, BmpRunLengthMovesLeaveSkippedPixelsAtIndexZero) {
  const Bytes good = MakeBmp(FewColours(6, 3, 3), Bmp(8, 1, false, 3));
  Bytes b(good.begin(), good.begin() + 14 + 40 + 12);
  // Bottom line: 2 x index 1, move 3 right and 1 up, 1 x index 2, end of
  // line, 6 x index 2, end of bitmap.
  b.insert(b.end(), {2, 1, 0, 2, 3, 1, 1, 2, 0, 0, 6, 2, 0, 1});
  const Decoded d(b, LoadBmpImage);
  ASSERT_EQ(d.result, 0);
  const uint8_t expected[3][6] = {{2, 2, 2, 2, 2, 2}, {0, 0, 0, 0, 0, 2}, {1, 1, 0, 0, 0, 0}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(d.image.pixels[y * d.image.pitch + x], expected[y][x]) << x << ", " << y;
}

// A PNG with a text chunk of length 0: libpng asks the stream for zero bytes,
// which a memory stream once answered by copying everything left into the
// caller's buffer (a heap overflow). It decodes from memory as it does from a
// file.
TEST(BadInput, APngWithAnEmptyTextChunkDecodesFromMemoryAsFromAFile) {
  const std::vector<uint8_t> file = ReadBadInput("png-zero-length-text-chunk.png");
  ASSERT_FALSE(file.empty());
  char path[] = "/tmp/bad_input_png_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, file.data(), file.size()), static_cast<ssize_t>(file.size()));
  close(fd);

  GraphImage from_memory{};
  GraphImage from_file{};
  ASSERT_EQ(ReadImageFile(nullptr, file.data(), static_cast<uint32_t>(file.size()), 1, 0,
                          &from_memory),
            0);
  ASSERT_EQ(ReadImageFile(path, nullptr, 0, 0, 0, &from_file), 0);
  unlink(path);
  EXPECT_EQ(from_memory.width, 37);
  EXPECT_EQ(from_memory.height, 23);
  EXPECT_EQ(from_memory.width, from_file.width);
  EXPECT_EQ(from_memory.height, from_file.height);
  ASSERT_EQ(from_memory.pitch, from_file.pitch);
  EXPECT_EQ(std::memcmp(&from_memory.format, &from_file.format, sizeof(ColorFormat)), 0);
  EXPECT_EQ(std::memcmp(from_memory.pixels, from_file.pixels,
                        static_cast<size_t>(from_file.pitch) * from_file.height),
            0);
  ReleaseGraphImage(&from_memory);
  ReleaseGraphImage(&from_file);
}

// A PNG whose text chunk announces about 1.2 GB in a file of a few hundred
// bytes: the reader once reserved (and cleared) the whole announced length
// before finding the file too short, seconds of work and gigabytes of
// memory. Text and the other chunks read that way are skipped now; the file
// gives its picture or the reader's failure at once.
TEST(BadInput, APngTextChunkAnnouncingGigabytesIsSkipped) {
  const std::vector<uint8_t> file = ReadBadInput("png-text-chunk-announces-2-gb.png");
  ASSERT_FALSE(file.empty());
  GraphImage image{};
  const int result =
      ReadImageFile(nullptr, file.data(), static_cast<uint32_t>(file.size()), 1, 0, &image);
  if (result == 0) {
    EXPECT_EQ(image.width, 37);
    EXPECT_EQ(image.height, 23);
    ReleaseGraphImage(&image);
  }
}

}  // namespace
