#include "runtime/image/color_format.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ostream>
#include <thread>
#include <vector>

#include "platform/win32/ddraw.h"
#include "runtime/core/memory.h"
#include "runtime/system/api_runtime.h"
#include "tests/runtime/core/lock_test_support.h"

namespace {

ColorFormat Masks(int depth, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  ColorFormat f{};
  BuildColorFormatFromMasks(&f, depth, r, g, b, a);
  return f;
}

ColorFormat Rgb888() {
  ColorFormat f{};
  SetRgb888ColorFormat(&f);
  return f;
}

ColorFormat Argb8888() {
  ColorFormat f{};
  SetArgb8888ColorFormat(&f);
  return f;
}

// ---------------------------------------------------------------------------
// Building formats from masks.

struct MaskCase {
  const char* name;
  int depth;
  uint32_t masks[4];  // red, green, blue, alpha
  int bytes;
  int widths[4];
  int shifts[4];
  uint32_t spare_mask;
  int spare_shift;
  int spare_width;
};

// Failures name the case rather than dump its bytes.
void PrintTo(const MaskCase& c, std::ostream* os) { *os << c.name; }

const MaskCase kMaskCases[] = {
    {"Rgb565", 16, {0xF800, 0x07E0, 0x001F, 0}, 2, {5, 6, 5, 0}, {11, 5, 0, 0}, 0, 0, 0},
    {"Rgb555", 16, {0x7C00, 0x03E0, 0x001F, 0}, 2, {5, 5, 5, 0}, {10, 5, 0, 0}, 0x8000, 15, 1},
    {"Argb1555", 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, 2, {5, 5, 5, 1}, {10, 5, 0, 15}, 0, 0, 0},
    {"Argb4444", 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 2, {4, 4, 4, 4}, {8, 4, 0, 12}, 0, 0, 0},
    {"Rgb888", 24, {0xFF0000, 0xFF00, 0xFF, 0}, 3, {8, 8, 8, 0}, {16, 8, 0, 0}, 0, 0, 0},
    {"Xrgb8888", 32, {0xFF0000, 0xFF00, 0xFF, 0}, 4, {8, 8, 8, 0}, {16, 8, 0, 0},
     0xFF000000, 24, 8},
    {"Argb8888", 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 4, {8, 8, 8, 8}, {16, 8, 0, 24}, 0,
     0, 0},
    {"Xbgr8888", 32, {0xFF, 0xFF00, 0xFF0000, 0}, 4, {8, 8, 8, 0}, {0, 8, 16, 0}, 0xFF000000,
     24, 8},
    {"Argb2101010", 32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, 4, {10, 10, 10, 2},
     {20, 10, 0, 30}, 0, 0, 0},
    // A mask with a gap counts only its lowest run; the spare bits' run
    // stops where a channel begins.
    {"GappedMask", 16, {0x0F0F, 0x0030, 0, 0}, 2, {4, 2, 0, 0}, {0, 4, 0, 0}, 0xF0C0, 6, 2},
    {"NoChannels", 8, {0, 0, 0, 0}, 1, {0, 0, 0, 0}, {0, 0, 0, 0}, 0xFF, 0, 8},
};

class MaskBuild : public ::testing::TestWithParam<MaskCase> {};

void ExpectChannels(const ColorFormat& f, const MaskCase& c) {
  EXPECT_EQ(f.bit_depth, c.depth);
  EXPECT_EQ(f.bytes_per_pixel, c.bytes);
  EXPECT_EQ(f.red_mask, c.masks[0]);
  EXPECT_EQ(f.green_mask, c.masks[1]);
  EXPECT_EQ(f.blue_mask, c.masks[2]);
  EXPECT_EQ(f.alpha_mask, c.masks[3]);
  EXPECT_EQ(f.red_width, c.widths[0]);
  EXPECT_EQ(f.green_width, c.widths[1]);
  EXPECT_EQ(f.blue_width, c.widths[2]);
  EXPECT_EQ(f.alpha_width, c.widths[3]);
  EXPECT_EQ(f.red_shift, c.shifts[0]);
  EXPECT_EQ(f.green_shift, c.shifts[1]);
  EXPECT_EQ(f.blue_shift, c.shifts[2]);
  EXPECT_EQ(f.alpha_shift, c.shifts[3]);
  EXPECT_EQ(f.spare_mask, c.spare_mask);
  EXPECT_EQ(f.spare_shift, c.spare_shift);
  EXPECT_EQ(f.spare_width, c.spare_width);
}

TEST_P(MaskBuild, ChannelsAndSpareBits) {
  const MaskCase& c = GetParam();
  ColorFormat f;
  std::memset(&f, 0xA5, sizeof(f));
  EXPECT_EQ(BuildColorFormatFromMasks(&f, c.depth, c.masks[0], c.masks[1], c.masks[2],
                                      c.masks[3]),
            0);
  ExpectChannels(f, c);
  // The palette is not part of the layout and is left alone.
  EXPECT_EQ(f.palette[17].red, 0xA5);
}

TEST_P(MaskBuild, ThroughDirectDrawPixelFormat) {
  const MaskCase& c = GetParam();
  DDPIXELFORMAT pf;
  std::memset(&pf, 0xA5, sizeof(pf));
  EXPECT_EQ(BuildDDPixelFormat(&pf, c.depth, c.masks[0], c.masks[1], c.masks[2], c.masks[3]), 0);
  EXPECT_EQ(pf.dwSize, 32u);
  EXPECT_EQ(pf.dwFlags, 0x40u);
  EXPECT_EQ(pf.dwFourCC, 0u);
  EXPECT_EQ(pf.dwRGBBitCount, static_cast<DWORD>(c.depth));
  EXPECT_EQ(pf.dwRBitMask, c.masks[0]);
  EXPECT_EQ(pf.dwGBitMask, c.masks[1]);
  EXPECT_EQ(pf.dwBBitMask, c.masks[2]);
  EXPECT_EQ(pf.dwRGBAlphaBitMask, c.masks[3]);

  ColorFormat f{};
  EXPECT_EQ(DeriveColorFormatChannels(&pf, &f), 0);
  ExpectChannels(f, c);
}

TEST_P(MaskBuild, ApiEntriesForward) {
  const MaskCase& c = GetParam();
  ColorFormat f{};
  EXPECT_EQ(ApiBuildColorFormatFromMasks(&f, c.depth, c.masks[0], c.masks[1], c.masks[2],
                                         c.masks[3]),
            0);
  ExpectChannels(f, c);
  DDPIXELFORMAT through_api{};
  DDPIXELFORMAT direct{};
  EXPECT_EQ(ApiBuildDDPixelFormat(&through_api, c.depth, c.masks[0], c.masks[1], c.masks[2],
                                  c.masks[3]),
            0);
  BuildDDPixelFormat(&direct, c.depth, c.masks[0], c.masks[1], c.masks[2], c.masks[3]);
  EXPECT_EQ(std::memcmp(&through_api, &direct, sizeof(direct)), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, MaskBuild, ::testing::ValuesIn(kMaskCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Runtime code calls the two colour entries from inside locked work on any
// thread: they must not wait for the library lock.
TEST(ColorFormatApi, EntriesDoNotWaitForTheLibraryLock) {
  std::atomic<bool> holding{false};
  Gate release;
  std::thread holder([&] {
    AcquireLibraryLock();
    holding = true;
    release.Wait();
    ReleaseLibraryLock();
  });
  ASSERT_TRUE(WaitUntil([&] { return holding.load(); }));

  std::atomic<bool> done{false};
  std::thread caller([&] {
    ColorFormat f{};
    DDPIXELFORMAT pf{};
    ApiBuildColorFormatFromMasks(&f, 16, 0xF800, 0x07E0, 0x001F, 0);
    ApiBuildDDPixelFormat(&pf, 16, 0xF800, 0x07E0, 0x001F, 0);
    done = true;
  });
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
  release.Open();
  caller.join();
  holder.join();
}

// ---------------------------------------------------------------------------
// Presets.

TEST(ColorFormatPresets, LayoutsAndPalettes) {
  struct Preset {
    const char* name;
    void (*set)(ColorFormat*);
    int depth, bytes;
    uint32_t alpha_mask, spare_mask;
    int alpha_width, alpha_shift;
    bool grey_palette;
  };
  const Preset presets[] = {
      {"Palette8", SetPalette8ColorFormat, 8, 1, 0, 0xFF000000, 0, 0, false},
      {"Gray8", SetGray8ColorFormat, 8, 1, 0, 0xFF000000, 0, 0, true},
      {"Rgb888", SetRgb888ColorFormat, 24, 3, 0, 0, 0, 0, false},
      {"Argb8888", SetArgb8888ColorFormat, 32, 4, 0xFF000000, 0, 8, 24, false},
  };
  for (const Preset& p : presets) {
    SCOPED_TRACE(p.name);
    ColorFormat f;
    std::memset(&f, 0x5A, sizeof(f));
    p.set(&f);
    EXPECT_EQ(f.bit_depth, p.depth);
    EXPECT_EQ(f.bytes_per_pixel, p.bytes);
    EXPECT_EQ(f.red_mask, 0xFF0000u);
    EXPECT_EQ(f.green_mask, 0xFF00u);
    EXPECT_EQ(f.blue_mask, 0xFFu);
    EXPECT_EQ(f.alpha_mask, p.alpha_mask);
    EXPECT_EQ(f.red_width, 8);
    EXPECT_EQ(f.green_width, 8);
    EXPECT_EQ(f.blue_width, 8);
    EXPECT_EQ(f.alpha_width, p.alpha_width);
    EXPECT_EQ(f.red_shift, 16);
    EXPECT_EQ(f.green_shift, 8);
    EXPECT_EQ(f.blue_shift, 0);
    EXPECT_EQ(f.alpha_shift, p.alpha_shift);
    EXPECT_EQ(f.spare_mask, p.spare_mask);
    if (p.grey_palette) {
      for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(f.palette[i].red, i);
        EXPECT_EQ(f.palette[i].green, i);
        EXPECT_EQ(f.palette[i].blue, i);
        EXPECT_EQ(f.palette[i].reserved, 0);
      }
    } else {
      EXPECT_EQ(f.palette[200].green, 0x5A) << "the palette stays as it was";
    }
  }
}

// ---------------------------------------------------------------------------
// Per-pixel operations.

struct PackCase {
  const char* name;
  ColorFormat format;
  int r, g, b, a;
  uint32_t pixel;
};

TEST(ColorFormatPixels, PackColor) {
  const PackCase cases[] = {
      {"Rgb888", Rgb888(), 0x12, 0x34, 0x56, 0x99, 0x123456},
      {"Rgb555BlackHasSpareBit", Masks(16, 0x7C00, 0x3E0, 0x1F, 0), 0, 0, 0, 0, 0x8000},
      {"Rgb555White", Masks(16, 0x7C00, 0x3E0, 0x1F, 0), 255, 255, 255, 0, 0xFFFF},
      {"Rgb565KeyColour", Masks(16, 0xF800, 0x7E0, 0x1F, 0), 0, 117, 117, 255, 0x03AE},
      {"Rgb565IgnoresAlpha", Masks(16, 0xF800, 0x7E0, 0x1F, 0), 0, 0, 0, 255, 0},
      {"Argb8888", Argb8888(), 1, 2, 3, 4, 0x04010203},
      {"Xrgb8888SpareByte", Masks(32, 0xFF0000, 0xFF00, 0xFF, 0), 1, 2, 3, 0, 0xFF010203},
      {"Argb4444DropsLowBits", Masks(16, 0xF00, 0xF0, 0xF, 0xF000), 0xFF, 0x80, 0x1F, 0xC0,
       0xCF81},
      {"Argb1555HalfAlpha", Masks(16, 0x7C00, 0x3E0, 0x1F, 0x8000), 8, 8, 8, 0x80, 0x8421},
  };
  for (const PackCase& c : cases) {
    EXPECT_EQ(PackColor(&c.format, c.r, c.g, c.b, c.a), c.pixel) << c.name;
  }
}

TEST(ColorFormatPixels, UnpackColor) {
  const PackCase cases[] = {
      {"Rgb565Red", Masks(16, 0xF800, 0x7E0, 0x1F, 0), 255, 0, 0, 0, 0xF800},
      {"Rgb565Green", Masks(16, 0xF800, 0x7E0, 0x1F, 0), 0, 255, 0, 0, 0x07E0},
      {"Rgb565BlueSixteenScales", Masks(16, 0xF800, 0x7E0, 0x1F, 0), 0, 0, 131, 0, 0x0010},
      {"Argb1555Alpha", Masks(16, 0x7C00, 0x3E0, 0x1F, 0x8000), 0, 0, 0, 255, 0x8000},
      {"Argb4444", Masks(16, 0xF00, 0xF0, 0xF, 0xF000), 34, 51, 68, 17, 0x1234},
      {"Argb8888", Argb8888(), 0x11, 0x22, 0x33, 0x44, 0x44112233},
      // A channel of width 0 reads as 0 rather than dividing by zero.
      {"MissingBlue", Masks(16, 0xF800, 0x7E0, 0, 0), 255, 255, 0, 0, 0xFFFF},
  };
  for (const PackCase& c : cases) {
    int32_t r = -1, g = -1, b = -1, a = -1;
    EXPECT_EQ(UnpackColor(&c.format, c.pixel, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, c.r) << c.name;
    EXPECT_EQ(g, c.g) << c.name;
    EXPECT_EQ(b, c.b) << c.name;
    EXPECT_EQ(a, c.a) << c.name;
  }
  ColorFormat f = Argb8888();
  int32_t g = -1;
  EXPECT_EQ(UnpackColor(&f, 0x44112233, nullptr, &g, nullptr, nullptr), 0);
  EXPECT_EQ(g, 0x22);
}

TEST(ColorFormatPixels, ConvertPixelFormatShiftsWithoutReplication) {
  struct Case {
    const char* name;
    ColorFormat dest, source;
    uint32_t pixel, result;
  };
  const ColorFormat f565 = Masks(16, 0xF800, 0x7E0, 0x1F, 0);
  const Case cases[] = {
      {"Rgb565WhiteToArgb", Argb8888(), f565, 0xFFFF, 0xFFF8FCF8},
      {"Rgb565WhiteToXrgbSetsSpareByte", Masks(32, 0xFF0000, 0xFF00, 0xFF, 0), f565, 0xFFFF,
       0xFFF8FCF8},
      {"ArgbToRgb565DropsAlpha", f565, Argb8888(), 0x80FF8040, 0xFC08},
      {"ArgbToArgb1555", Masks(16, 0x7C00, 0x3E0, 0x1F, 0x8000), Argb8888(), 0x80FF8040, 0xFE08},
      {"Rgb565BlackToRgb555", Masks(16, 0x7C00, 0x3E0, 0x1F, 0), f565, 0, 0x8000},
      {"Rgb888ToArgb4444Opaque", Masks(16, 0xF00, 0xF0, 0xF, 0xF000), Rgb888(), 0x123456, 0xF135},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertPixelFormat(&c.dest, &c.source, c.pixel), c.result) << c.name;
  }
}

TEST(ColorFormatPixels, RecomputeUnusedBitMask) {
  ColorFormat f555 = Masks(16, 0x7C00, 0x3E0, 0x1F, 0);
  f555.spare_mask = 0;
  f555.spare_shift = 0;
  f555.spare_width = 0;
  RecomputeUnusedBitMask(&f555);
  EXPECT_EQ(f555.spare_mask, 0x8000u);
  EXPECT_EQ(f555.spare_shift, 15);
  EXPECT_EQ(f555.spare_width, 1);

  // Widths that add up to the depth leave no spare bits.
  ColorFormat f565 = Masks(16, 0xF800, 0x7E0, 0x1F, 0);
  f565.spare_mask = 0x1234;
  RecomputeUnusedBitMask(&f565);
  EXPECT_EQ(f565.spare_mask, 0u);

  ColorFormat xrgb = Masks(32, 0xFF0000, 0xFF00, 0xFF, 0);
  xrgb.spare_mask = 0;
  RecomputeUnusedBitMask(&xrgb);
  EXPECT_EQ(xrgb.spare_mask, 0xFF000000u);
}

TEST(ColorFormatPixels, FormatsEqualByDepthAndMasksOnly) {
  ColorFormat a = Masks(16, 0xF800, 0x7E0, 0x1F, 0);
  ColorFormat b = a;
  b.palette[3].red = 9;
  b.spare_mask = 0x1;
  b.red_width = 2;
  EXPECT_EQ(ColorFormatsEqual(&a, &b), 1);
  ColorFormat deeper = Masks(32, 0xF800, 0x7E0, 0x1F, 0);
  EXPECT_EQ(ColorFormatsEqual(&a, &deeper), 0);
  ColorFormat with_alpha = Masks(16, 0xF800, 0x7E0, 0x1F, 0x0);
  with_alpha.alpha_mask = 0x1;
  EXPECT_EQ(ColorFormatsEqual(&a, &with_alpha), 0);
  ColorFormat bgr = Masks(16, 0x1F, 0x7E0, 0xF800, 0);
  EXPECT_EQ(ColorFormatsEqual(&a, &bgr), 0);
}

// ---------------------------------------------------------------------------
// GraphImage.

// Every test leaves the tracking allocator as it found it.
class GraphImageTest : public ::testing::Test {
 protected:
  void SetUp() override { blocks_ = TrackedBlockCount(); }
  void TearDown() override { EXPECT_EQ(TrackedBlockCount(), blocks_); }

 private:
  int32_t blocks_ = 0;
};

TEST_F(GraphImageTest, AllocateSizesPitchAndRelease) {
  struct Case {
    bool argb;
    int32_t width, height, pitch;
  };
  const Case cases[] = {{false, 5, 2, 16}, {false, 4, 1, 12}, {false, 1, 3, 4},
                        {false, 0, 3, 0},  {true, 5, 2, 20},  {true, 3, 1, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.argb ? "argb " : "rgb ") << c.width << "x" << c.height);
    GraphImage image{};
    int64_t before = TrackedTotalBytes();
    int result = c.argb ? AllocateArgbGraphImage(c.width, c.height, &image)
                        : AllocateGraphImage(c.width, c.height, &image);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(image.pitch, c.pitch);
    EXPECT_EQ(TrackedTotalBytes() - before, int64_t{c.pitch} * c.height);
    EXPECT_EQ(image.format.bit_depth, c.argb ? 32 : 24);
    EXPECT_EQ(image.format.alpha_mask, c.argb ? 0xFF000000u : 0u);
    EXPECT_EQ(ReleaseGraphImage(&image), 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.format.bit_depth, 0);
  }
  GraphImage refused{};
  EXPECT_EQ(AllocateGraphImage(-1, 4, &refused), -1);
  EXPECT_EQ(refused.pixels, nullptr);
}

TEST_F(GraphImageTest, FillSetAndGetPixels) {
  struct Case {
    const char* name;
    ColorFormat format;
    int bytes;
  };
  const Case cases[] = {
      {"Rgb565", Masks(16, 0xF800, 0x7E0, 0x1F, 0), 2},
      {"Rgb888", Rgb888(), 3},
      {"Argb8888", Argb8888(), 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GraphImage image{};
    ASSERT_EQ(AllocateArgbGraphImage(4, 3, &image), 0);  // room for every pixel size
    image.format = c.format;
    EXPECT_EQ(FillGraphImage(&image, 0x12, 0x34, 0x56, 0x78), 0);
    const uint32_t fill = PackColor(&c.format, 0x12, 0x34, 0x56, 0x78);
    EXPECT_EQ(SetGraphImagePixel(&image, 2, 1, 0xFF, 0x80, 0x40, 0xC0), 0);
    const uint32_t set = PackColor(&c.format, 0xFF, 0x80, 0x40, 0xC0);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) {
        const uint8_t* p = image.pixels + y * image.pitch + x * c.bytes;
        uint32_t value = 0;
        for (int k = 0; k < c.bytes; ++k) value |= uint32_t{p[k]} << (8 * k);
        EXPECT_EQ(value, (x == 2 && y == 1) ? set : fill) << x << "," << y;
      }
    }
    int32_t r, g, b, a;
    EXPECT_EQ(GetGraphImagePixelRgba(&image, 2, 1, &r, &g, &b, &a), 0);
    int32_t er, eg, eb, ea;
    UnpackColor(&c.format, set, &er, &eg, &eb, &ea);
    EXPECT_EQ(r, er);
    EXPECT_EQ(g, eg);
    EXPECT_EQ(b, eb);
    EXPECT_EQ(a, ea);
    // Outside the image nothing is written or read.
    EXPECT_EQ(SetGraphImagePixel(&image, 4, 0, 1, 1, 1, 1), -1);
    EXPECT_EQ(SetGraphImagePixel(&image, 0, -1, 1, 1, 1, 1), -1);
    EXPECT_EQ(GetGraphImagePixelRgba(&image, 0, 3, &r, &g, &b, &a), -1);
    EXPECT_EQ(GetGraphImagePixelArgb(&image, -1, 0), 0u);
    ReleaseGraphImage(&image);
  }
}

TEST_F(GraphImageTest, OneByteImagesAreReadThroughThePaletteAndNotWritten) {
  GraphImage image{};
  ASSERT_EQ(AllocateGraphImage(4, 1, &image), 0);
  SetPalette8ColorFormat(&image.format);
  image.format.palette[7] = ColorPaletteEntry{0x40, 0x80, 0xFF, 0};
  std::memset(image.pixels, 7, image.pitch);
  EXPECT_EQ(FillGraphImage(&image, 1, 2, 3, 4), 0);
  EXPECT_EQ(SetGraphImagePixel(&image, 1, 0, 1, 2, 3, 4), 0);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(image.pixels[x], 7);
  int32_t r, g, b, a;
  EXPECT_EQ(GetGraphImagePixelRgba(&image, 1, 0, &r, &g, &b, &a), 0);
  EXPECT_EQ(r, 0xFF);
  EXPECT_EQ(g, 0x80);
  EXPECT_EQ(b, 0x40);
  EXPECT_EQ(a, 0);
  ReleaseGraphImage(&image);
}

TEST_F(GraphImageTest, ArgbValueTopAlignsEachChannel) {
  struct Case {
    const char* name;
    ColorFormat format;
    uint32_t raw;
    uint32_t argb;
  };
  const Case cases[] = {
      {"Rgb565White", Masks(16, 0xF800, 0x7E0, 0x1F, 0), 0xFFFF, 0x00F8FCF8},
      {"Argb4444", Masks(16, 0xF00, 0xF0, 0xF, 0xF000), 0x1234, 0x10203040},
      {"Argb1555", Masks(16, 0x7C00, 0x3E0, 0x1F, 0x8000), 0xFFFF, 0x80F8F8F8},
      {"Argb8888", Argb8888(), 0x80112233, 0x80112233},
      {"Rgb888", Rgb888(), 0x112233, 0x00112233},
  };
  for (const Case& c : cases) {
    GraphImage image{};
    ASSERT_EQ(AllocateArgbGraphImage(1, 1, &image), 0);
    image.format = c.format;
    for (int k = 0; k < 4; ++k) image.pixels[k] = static_cast<uint8_t>(c.raw >> (8 * k));
    EXPECT_EQ(GetGraphImagePixelArgb(&image, 0, 0), c.argb) << c.name;
    ReleaseGraphImage(&image);
  }
  GraphImage empty{};
  SetArgb8888ColorFormat(&empty.format);
  empty.width = 1;
  empty.height = 1;
  EXPECT_EQ(GetGraphImagePixelArgb(&empty, 0, 0), 0u);
}

TEST_F(GraphImageTest, MirrorReversesEveryRow) {
  for (int bytes = 1; bytes <= 4; ++bytes) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(testing::Message() << bytes << " bytes, width " << width);
      GraphImage image{};
      ASSERT_EQ(AllocateArgbGraphImage(width, 2, &image), 0);
      image.format.bytes_per_pixel = static_cast<uint16_t>(bytes);
      for (int y = 0; y < 2; ++y) {
        for (int i = 0; i < width * bytes; ++i) {
          image.pixels[y * image.pitch + i] = static_cast<uint8_t>(y * 100 + i);
        }
      }
      EXPECT_EQ(MirrorGraphImage(&image), 0);
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < width; ++x) {
          for (int k = 0; k < bytes; ++k) {
            EXPECT_EQ(image.pixels[y * image.pitch + x * bytes + k],
                      y * 100 + (width - 1 - x) * bytes + k);
          }
        }
      }
      ReleaseGraphImage(&image);
    }
  }
  GraphImage empty{};
  ASSERT_EQ(AllocateGraphImage(0, 2, &empty), 0);
  EXPECT_EQ(MirrorGraphImage(&empty), -1);
  ReleaseGraphImage(&empty);
}

}  // namespace
