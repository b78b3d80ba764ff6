// Decoded images as GDI images: the 8- and 24-bit descriptions of every kind
// of image, read back pixel by pixel, whose pixels are handed out or copied;
// section bitmaps made from such bits in each layout, mirrored or not; and
// the failure values.
#include "runtime/image/graph_image_dib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/image/color_format.h"

namespace {

// The colour of pixel (x, y) of the test images.
uint32_t Colour(int32_t x, int32_t y) {
  return static_cast<uint32_t>((x * 40 + y * 7) & 0xFF) << 16 |
         static_cast<uint32_t>((y * 50 + x * 3) & 0xFF) << 8 |
         static_cast<uint32_t>((x * 17 + y * 90) & 0xFF);
}

// An image of `format` (pitch: the row length rounded up to 4, plus
// `extra_pitch`) whose pixel (x, y) is Colour(x, y) packed; a one-byte image
// holds index (x + 3y) % 7 into a palette of seven colours.
struct TestImage {
  TestImage(const ColorFormat& format, int32_t width, int32_t height, int32_t extra_pitch = 0) {
    image.format = format;
    image.width = width;
    image.height = height;
    image.pitch = (width * format.bytes_per_pixel + 3) / 4 * 4 + extra_pitch;
    storage.assign(static_cast<size_t>(image.pitch) * height, 0xEE);
    image.pixels = storage.data();
    if (format.bytes_per_pixel == 1) {
      for (int i = 0; i < 7; ++i) {
        const uint32_t c = Colour(i, 2 * i);
        image.format.palette[i] = ColorPaletteEntry{static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                                    static_cast<uint8_t>(c >> 16), 0};
      }
    }
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        if (format.bytes_per_pixel == 1) {
          image.pixels[y * image.pitch + x] = static_cast<uint8_t>((x + 3 * y) % 7);
        } else {
          const uint32_t c = Colour(x, y);
          SetGraphImagePixel(&image, x, y, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, 0x80);
        }
      }
  }
  // The colour the image holds at (x, y), as 0xRRGGBB.
  uint32_t At(int32_t x, int32_t y) const {
    if (image.format.bytes_per_pixel == 1) {
      const ColorPaletteEntry& e = image.format.palette[image.pixels[y * image.pitch + x]];
      return static_cast<uint32_t>(e.red) << 16 | static_cast<uint32_t>(e.green) << 8 | e.blue;
    }
    int32_t r, g, b;
    GetGraphImagePixelRgba(&image, x, y, &r, &g, &b, nullptr);
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
  }
  GraphImage image{};
  std::vector<uint8_t> storage;
};

ColorFormat Preset(void (*set)(ColorFormat*)) {
  ColorFormat format{};
  set(&format);
  return format;
}

ColorFormat Masks(int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  ColorFormat format{};
  BuildColorFormatFromMasks(&format, depth, r, g, b, a);
  return format;
}

// ---- GraphImageToDib -------------------------------------------------------------------

struct DibCase {
  const char* name;
  ColorFormat format;
  int32_t width;
  int32_t extra_pitch;  // beyond the row length rounded up to 4
  int32_t copy;
  int32_t force24;
  int bit_count;
  int result;
  bool own_pixels;  // the image's own pixels handed out
};

void PrintTo(const DibCase& c, std::ostream* os) { *os << c.name; }

const DibCase kDibCases[] = {
    {"PaletteOwnRows", Preset(SetPalette8ColorFormat), 5, 0, 0, 0, 8, 0, true},
    {"PaletteCopyFlagValueComesBack", Preset(SetPalette8ColorFormat), 5, 0, 2, 0, 8, 2, true},
    {"PaletteCopied", Preset(SetPalette8ColorFormat), 5, 0, 1, 0, 8, 1, false},
    {"PaletteWiderPitchIsCopied", Preset(SetPalette8ColorFormat), 5, 4, 0, 0, 8, 1, false},
    {"GreyForcedTo24Bits", Preset(SetGray8ColorFormat), 6, 0, 0, 1, 24, 1, false},
    {"PaletteForcedTo24Bits", Preset(SetPalette8ColorFormat), 5, 0, 0, 1, 24, 1, false},
    {"Rgb888OwnRows", Preset(SetRgb888ColorFormat), 5, 0, 0, 0, 24, 0, true},
    {"Rgb888Copied", Preset(SetRgb888ColorFormat), 5, 0, 1, 1, 24, 1, false},
    {"Rgb888WiderPitchIsCopied", Preset(SetRgb888ColorFormat), 3, 8, 0, 0, 24, 1, false},
    {"Argb8888Converted", Preset(SetArgb8888ColorFormat), 5, 0, 0, 0, 24, 1, false},
    {"Bgr888Converted", Masks(24, 0xFF, 0xFF00, 0xFF0000, 0), 4, 0, 0, 0, 24, 1, false},
};

class GraphImageToDibTest : public ::testing::TestWithParam<DibCase> {};

TEST_P(GraphImageToDibTest, DescribesTheImageTopDownAndReadsBackPixelByPixel) {
  const DibCase& c = GetParam();
  const int32_t kHeight = 3;
  TestImage source(c.format, c.width, kHeight, c.extra_pitch);
  const int32_t blocks = TrackedBlockCount();
  DibDescription description;
  std::memset(&description, 0x5A, sizeof(description));
  void* pixels = nullptr;
  ASSERT_EQ(GraphImageToDib(&source.image, &description, &pixels, c.copy, c.force24), c.result);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(pixels == source.image.pixels, c.own_pixels);
  EXPECT_EQ(TrackedBlockCount(), blocks + (c.result == 1 ? 1 : 0));

  const BITMAPINFOHEADER& header = description.bmiHeader;
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, c.width);
  EXPECT_EQ(header.biHeight, -kHeight) << "rows run from the top down";
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, c.bit_count);
  EXPECT_EQ(header.biCompression, BI_RGB);

  const int32_t pitch = (c.width * c.bit_count / 8 + 3) / 4 * 4;
  const auto* bytes = static_cast<const uint8_t*>(pixels);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < c.width; ++x) {
      const uint8_t* p = bytes + y * pitch + x * (c.bit_count / 8);
      uint32_t shown;
      if (c.bit_count == 8) {
        const RGBQUAD& entry = description.bmiColors[*p];
        shown = static_cast<uint32_t>(entry.rgbRed) << 16 |
                static_cast<uint32_t>(entry.rgbGreen) << 8 | entry.rgbBlue;
      } else {
        shown = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
      }
      ASSERT_EQ(shown, source.At(x, y)) << x << ", " << y;
    }
  if (c.bit_count == 8) {
    // The whole palette goes behind the header.
    for (int i = 0; i < 256; ++i) {
      EXPECT_EQ(description.bmiColors[i].rgbRed, source.image.format.palette[i].red) << i;
      EXPECT_EQ(description.bmiColors[i].rgbBlue, source.image.format.palette[i].blue) << i;
    }
  }
  if (c.result == 1) FreeTracked(pixels);
}

INSTANTIATE_TEST_SUITE_P(Images, GraphImageToDibTest, ::testing::ValuesIn(kDibCases),
                         [](const ::testing::TestParamInfo<DibCase>& info) {
                           return std::string(info.param.name);
                         });

// A 16-bit image: its channels spread over 8 bits, full staying full.
TEST(GraphImageToDibConversionTest, SixteenBitImageBecomesTwentyFourBits) {
  GraphImage image{};
  image.format = Masks(16, 0xF800, 0x07E0, 0x001F, 0);
  image.width = 3;
  image.height = 1;
  image.pitch = 8;
  const uint16_t values[4] = {0xF800, 0x07E0, 0xFFFF, 0};
  image.pixels = reinterpret_cast<uint8_t*>(const_cast<uint16_t*>(values));
  DibDescription description;
  void* pixels = nullptr;
  ASSERT_EQ(GraphImageToDib(&image, &description, &pixels, 0, 0), 1);
  const auto* p = static_cast<const uint8_t*>(pixels);
  const std::vector<uint8_t> expected = {0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::vector<uint8_t>(p, p + 9), expected);
  FreeTracked(pixels);
}

TEST(GraphImageToDibFailureTest, ImagesWithoutPixelsOrSizeGiveMinusOne) {
  TestImage good(Preset(SetRgb888ColorFormat), 4, 2);
  DibDescription description;
  void* pixels = nullptr;
  struct Case {
    const char* name;
    void (*spoil)(GraphImage*);
  };
  const Case cases[] = {
      {"no pixels", [](GraphImage* i) { i->pixels = nullptr; }},
      {"no width", [](GraphImage* i) { i->width = 0; }},
      {"no height", [](GraphImage* i) { i->height = 0; }},
      {"rows longer than the pitch", [](GraphImage* i) { i->pitch = 8; }},
      {"five bytes a pixel", [](GraphImage* i) { i->format.bytes_per_pixel = 5; }},
  };
  const int32_t blocks = TrackedBlockCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GraphImage image = good.image;
    c.spoil(&image);
    EXPECT_EQ(GraphImageToDib(&image, &description, &pixels, 1, 0), -1);
  }
  EXPECT_EQ(GraphImageToDib(nullptr, &description, &pixels, 1, 0), -1);
  EXPECT_EQ(GraphImageToDib(&good.image, nullptr, &pixels, 1, 0), -1);
  EXPECT_EQ(GraphImageToDib(&good.image, &description, nullptr, 1, 0), -1);
  EXPECT_EQ(TrackedBlockCount(), blocks) << "nothing is left allocated";
}

// ---- CreateDibSectionFromBits ----------------------------------------------------------

// The bitmap's pixels read back as 0xRRGGBB, top row first.
std::vector<uint32_t> ReadBack(HBITMAP bitmap, int32_t width, int32_t height) {
  struct {
    BITMAPINFOHEADER header;
    DWORD masks[3];
  } xrgb{};
  xrgb.header.biSize = sizeof(BITMAPINFOHEADER);
  xrgb.header.biWidth = width;
  xrgb.header.biHeight = -height;
  xrgb.header.biPlanes = 1;
  xrgb.header.biBitCount = 32;
  xrgb.header.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC dc = CreateCompatibleDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                             reinterpret_cast<BITMAPINFO*>(&xrgb), DIB_RGB_COLORS);
  DeleteDC(dc);
  EXPECT_EQ(rows, height);
  return pixels;
}

// A channel of 8 bits cut to `width` bits and spread back exactly.
uint32_t Spread(uint32_t value, int width) {
  const uint32_t cut = value >> (8 - width);
  return (cut << (8 - width)) | (cut >> (2 * width - 8));
}
uint32_t Through565(uint32_t c) {
  return Spread((c >> 16) & 0xFF, 5) << 16 | Spread((c >> 8) & 0xFF, 6) << 8 | Spread(c & 0xFF, 5);
}
uint32_t Same(uint32_t c) { return c; }

struct SectionCase {
  const char* name;
  bool has_format;
  ColorFormat format;
  int32_t mirror;
  // How the section's layout keeps a colour.
  uint32_t (*kept)(uint32_t);
};

void PrintTo(const SectionCase& c, std::ostream* os) { *os << c.name; }

const SectionCase kSectionCases[] = {
    {"NoFormat24Bits", false, {}, 0, Same},
    {"NoFormatMirrored", false, {}, 1, Same},
    {"Rgb565BitFields", true, Masks(16, 0xF800, 0x07E0, 0x001F, 0), 0, Through565},
    {"Rgb565Mirrored", true, Masks(16, 0xF800, 0x07E0, 0x001F, 0), 1, Through565},
    {"Xrgb32Over24BitBitsIs24Bits", true, Masks(32, 0xFF0000, 0xFF00, 0xFF, 0), 0, Same},
    {"Rgb888", true, Preset(SetRgb888ColorFormat), 1, Same},
};

class SectionFromBitsTest : public ::testing::TestWithParam<SectionCase> {};

// The 24-bit description of an image, drawn into a section of each layout.
TEST_P(SectionFromBitsTest, HoldsTheBitsInItsLayoutMirroredWhenAsked) {
  const SectionCase& c = GetParam();
  constexpr int32_t kWidth = 6, kHeight = 4;
  TestImage source(Preset(SetRgb888ColorFormat), kWidth, kHeight);
  DibDescription description;
  void* pixels = nullptr;
  ASSERT_EQ(GraphImageToDib(&source.image, &description, &pixels, 0, 0), 0);
  const ColorFormat before = c.format;
  const HBITMAP bitmap = CreateDibSectionFromBits(description.Info(), pixels, c.mirror,
                                                  c.has_format ? &c.format : nullptr);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(std::memcmp(&before, &c.format, sizeof(before)), 0) << "the format is only read";
  const std::vector<uint32_t> shown = ReadBack(bitmap, kWidth, kHeight);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) {
      const int32_t from = c.mirror == 1 ? kWidth - 1 - x : x;
      ASSERT_EQ(shown[y * kWidth + x], c.kept(source.At(from, y))) << x << ", " << y;
    }
  EXPECT_TRUE(DeleteObject(bitmap)) << "the bitmap is selected nowhere";
}

INSTANTIATE_TEST_SUITE_P(Layouts, SectionFromBitsTest, ::testing::ValuesIn(kSectionCases),
                         [](const ::testing::TestParamInfo<SectionCase>& info) {
                           return std::string(info.param.name);
                         });

// A palette image's 8-bit description comes out through its colour table in
// every layout (32 bits in bit fields, as the bits are not 24-bit ones), and
// bits stored bottom-up come out the right way round.
TEST(SectionFromBitsOrderTest, PaletteAndBottomUpBitsKeepTheirPicture) {
  constexpr int32_t kWidth = 5, kHeight = 3;
  TestImage source(Preset(SetPalette8ColorFormat), kWidth, kHeight);
  DibDescription description;
  void* pixels = nullptr;
  ASSERT_EQ(GraphImageToDib(&source.image, &description, &pixels, 0, 0), 0);
  const ColorFormat rgb565 = Masks(16, 0xF800, 0x07E0, 0x001F, 0);
  const ColorFormat bgrx = Masks(32, 0xFF00, 0xFF0000, 0xFF000000, 0);
  const struct {
    const char* name;
    const ColorFormat* format;
    uint32_t (*kept)(uint32_t);
  } layouts[] = {{"24 bits", nullptr, Same}, {"5-6-5", &rgb565, Through565},
                 {"32 bits, blue on top", &bgrx, Same}};
  HBITMAP bitmap = nullptr;
  std::vector<uint32_t> shown;
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.name);
    bitmap = CreateDibSectionFromBits(description.Info(), pixels, 0, layout.format);
    ASSERT_NE(bitmap, nullptr);
    shown = ReadBack(bitmap, kWidth, kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x)
        ASSERT_EQ(shown[y * kWidth + x], layout.kept(source.At(x, y))) << x << ", " << y;
    DeleteObject(bitmap);
  }

  // The same rows stored from the bottom up under a positive height.
  TestImage colour(Preset(SetRgb888ColorFormat), kWidth, kHeight);
  std::vector<uint8_t> flipped(colour.storage.size());
  for (int32_t y = 0; y < kHeight; ++y) {
    std::memcpy(&flipped[(kHeight - 1 - y) * colour.image.pitch],
                &colour.storage[y * colour.image.pitch], colour.image.pitch);
  }
  ASSERT_EQ(GraphImageToDib(&colour.image, &description, &pixels, 0, 0), 0);
  description.bmiHeader.biHeight = kHeight;
  bitmap = CreateDibSectionFromBits(description.Info(), flipped.data(), 0, nullptr);
  ASSERT_NE(bitmap, nullptr);
  shown = ReadBack(bitmap, kWidth, kHeight);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) ASSERT_EQ(shown[y * kWidth + x], colour.At(x, y));
  DeleteObject(bitmap);
}

TEST(SectionFromBitsFailureTest, NoBitsNoSizeOrAFormatWithoutATableMakeNoBitmap) {
  TestImage source(Preset(SetRgb888ColorFormat), 4, 2);
  DibDescription description;
  void* pixels = nullptr;
  ASSERT_EQ(GraphImageToDib(&source.image, &description, &pixels, 0, 0), 0);
  EXPECT_EQ(CreateDibSectionFromBits(nullptr, pixels, 0, nullptr), nullptr);
  EXPECT_EQ(CreateDibSectionFromBits(description.Info(), nullptr, 0, nullptr), nullptr);
  const ColorFormat palette = Preset(SetPalette8ColorFormat);
  EXPECT_EQ(CreateDibSectionFromBits(description.Info(), pixels, 0, &palette), nullptr)
      << "an 8-bit bitmap would need a colour table";
  DibDescription empty = description;
  empty.bmiHeader.biWidth = 0;
  EXPECT_EQ(CreateDibSectionFromBits(empty.Info(), pixels, 0, nullptr), nullptr);
  empty = description;
  empty.bmiHeader.biHeight = 0;
  EXPECT_EQ(CreateDibSectionFromBits(empty.Info(), pixels, 1, nullptr), nullptr);
}

}  // namespace
