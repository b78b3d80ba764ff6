#include "runtime/image/mem_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/ddraw.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"

namespace {

// Every test leaves the tracking allocator as it found it: images are made,
// used and freed without leaks.
class MemImageTest : public ::testing::Test {
 protected:
  void SetUp() override { blocks_ = TrackedBlockCount(); }
  void TearDown() override { EXPECT_EQ(TrackedBlockCount(), blocks_); }

 private:
  int32_t blocks_ = 0;
};

uint32_t PixelAt(const MEMIMG& image, int x, int y) {
  const int bytes = image.format->bytes_per_pixel;
  const uint8_t* p = image.pixels + y * image.pitch + x * bytes;
  uint32_t v = 0;
  for (int k = 0; k < bytes; ++k) v |= uint32_t{p[k]} << (8 * k);
  return v;
}

void SetPixel(GraphImage* image, int x, int y, uint32_t value) {
  const int bytes = image->format.bytes_per_pixel;
  uint8_t* p = image->pixels + y * image->pitch + x * bytes;
  for (int k = 0; k < bytes; ++k) p[k] = static_cast<uint8_t>(value >> (8 * k));
}

// The run bytes of row `y`, up to and including its end byte.
std::vector<uint8_t> RunRow(const MEMIMG& image, int y) {
  const uint8_t* p = image.run_table;
  for (int row = 0; row < y; ++row) {
    while (*p != kRunRowEnd) ++p;
    ++p;
  }
  std::vector<uint8_t> out;
  do {
    out.push_back(*p);
  } while (*p++ != kRunRowEnd);
  return out;
}

// ---------------------------------------------------------------------------
// Building.

struct BuildCase {
  const char* name;
  int32_t kind, palette, alpha;
  int32_t width, height, pitch;
  int bytes;
  int32_t expect_pitch, expect_row_shift;
  int32_t expect_palette, expect_alpha;
};

// Failures name the case rather than dump its bytes.
void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.name; }

const BuildCase kBuilds[] = {
    {"Kind0Screen", 0, 0, 0, 640, 480, -1, 2, 1280, -1, 0, 0},
    {"Kind0PowerOfTwoRows", 0, 0, 0, 512, 4, -1, 2, 1024, 10, 0, 0},
    {"Kind0RaisedRow", 0, 0, 0, 4, 2, -1, 2, 16, -1, 0, 0},
    {"Kind0SixteenByteRow", 0, 0, 0, 8, 2, -1, 2, 16, 4, 0, 0},
    {"Kind0Alpha", 0, 0, 1, 3, 2, -1, 4, 16, 4, 0, 1},
    {"Kind0PaletteWinsOverAlpha", 0, 1, 1, 20, 2, -1, 1, 32, 5, 1, 0},
    {"Kind1", 1, 0, 0, 4, 2, -1, 4, 16, 4, 0, 0},
    {"Kind1Alpha", 1, 0, 1, 70, 2, -1, 4, 288, -1, 0, 1},
    {"Kind1Palette", 1, 1, 0, 16, 2, -1, 1, 16, 4, 1, 0},
    {"Kind2IgnoresPaletteAndAlpha", 2, 1, 1, 5, 2, -1, 1, 16, -1, 0, 0},
    {"Kind3IgnoresPaletteAndAlpha", 3, 1, 1, 8, 2, -1, 2, 16, 4, 0, 0},
    {"GivenPowerOfTwoPitch", 0, 0, 0, 640, 2, 2048, 2, 2048, 11, 0, 0},
    {"GivenOtherPitch", 0, 0, 0, 640, 2, 1300, 2, 1300, -1, 0, 0},
};

class MemImageBuild : public MemImageTest, public ::testing::WithParamInterface<BuildCase> {};

TEST_P(MemImageBuild, PitchRowShiftFlagsAndFormat) {
  const BuildCase& c = GetParam();
  MEMIMG image{};
  image.palette_entry_count = 77;
  ASSERT_EQ(InitMemImage(&image, c.width, c.height, c.pitch, 0x1234, c.kind, c.palette, c.alpha,
                         1),
            0);
  EXPECT_EQ(image.magic, kMemImageMagic);
  EXPECT_EQ(image.width, c.width);
  EXPECT_EQ(image.height, c.height);
  EXPECT_EQ(image.pitch, c.expect_pitch);
  EXPECT_EQ(image.row_shift, c.expect_row_shift);
  EXPECT_EQ(image.kind, c.kind);
  EXPECT_EQ(image.palette_flag, c.expect_palette);
  EXPECT_EQ(image.alpha_flag, c.expect_alpha);
  EXPECT_EQ(image.transparent_value, 0x1234u);
  EXPECT_EQ(image.palette_entry_count, 77) << "the builders leave the entry count alone";
  EXPECT_EQ(image.format, GetStandardColorFormat(c.kind, c.expect_alpha, c.expect_palette));
  EXPECT_EQ(image.format->bytes_per_pixel, c.bytes);
  EXPECT_EQ(image.palette, &image.palette_table);
  EXPECT_EQ(image.second_palette, &image.second_table);
  EXPECT_EQ(image.pixels_borrowed, 0);
  EXPECT_EQ(image.premultiplied != nullptr, c.expect_alpha == 1);
  EXPECT_EQ(image.run_table != nullptr, c.kind != 2);
  // The pixels and extras are as large as they say: every byte is written.
  std::memset(image.pixels, 0x5A, static_cast<size_t>(image.pitch) * image.height);
  if (image.premultiplied) {
    std::memset(image.premultiplied, 0x5A, static_cast<size_t>(image.pitch) * image.height);
  }
  if (image.run_table) std::memset(image.run_table, 0x5A, (c.width + 5) * c.height);
  ReleaseMemImage(&image);
  EXPECT_EQ(image.magic, 0u);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.premultiplied, nullptr);
  EXPECT_EQ(image.run_table, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MemImageBuild, ::testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MemImageTest, EveryKindIsMadeFilledAndFreed) {
  struct Case {
    int32_t kind, palette, alpha;
    uint32_t value;
  };
  const Case cases[] = {{0, 0, 0, 0xF81F},     {0, 0, 1, 0x00FFF81F}, {0, 1, 0, 0x07},
                        {1, 0, 0, 0xFF123456}, {1, 0, 1, 0x80123456}, {1, 1, 0, 0x09},
                        {2, 0, 0, 0x42},       {3, 0, 0, 0xBEEF}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " palette " << c.palette << " alpha "
                                    << c.alpha);
    MEMIMG image{};
    ASSERT_EQ(InitMemImage(&image, 7, 3, -1, 0, c.kind, c.palette, c.alpha, 1), 0);
    FillMemImage(&image, nullptr, c.value);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelAt(image, x, y), c.value);
    }
    ReleaseMemImage(&image);
    ReleaseMemImage(&image);  // a dead record is left alone
  }
  MEMIMG screen;
  std::memset(&screen, 0xCC, sizeof(screen));  // garbage, even a live-looking magic
  screen.magic = kMemImageMagic;
  ASSERT_EQ(CreateScreenMemImage(&screen, 9, 4, 1), 0);
  FillMemImage(&screen, nullptr, 0xFF000000);
  ReleaseMemImage(&screen);
  MEMIMG depth;
  std::memset(&depth, 0xCC, sizeof(depth));
  ASSERT_EQ(CreateZBufferMemImage(&depth, 9, 4), 0);
  FillMemImage(&depth, nullptr, 0xFFFF);
  ReleaseMemImage(&depth);
}

TEST_F(MemImageTest, RefusedBuildsChangeNothing) {
  MEMIMG live{};
  ASSERT_EQ(InitMemImage(&live, 4, 4, -1, 0, 0, 0, 0, 0), 0);
  MEMIMG before = live;
  EXPECT_EQ(InitMemImage(&live, 8, 8, -1, 5, 1, 0, 1, 1), -1);
  EXPECT_EQ(std::memcmp(&before, &live, sizeof(live)), 0);
  ReleaseMemImage(&live);

  struct Case {
    const char* name;
    int32_t width, height, pitch, kind;
  };
  const Case refused[] = {
      {"KindAboveThree", 4, 4, -1, 4},
      {"NegativeKind", 4, 4, -1, -2},
      {"NegativeWidth", -4, 4, -1, 0},
      {"PitchShorterThanARow", 4, 4, 6, 0},
      {"TooLargeForThirtyTwoBits", 65536, 65536, -1, 1},
  };
  for (const Case& c : refused) {
    MEMIMG image{};
    EXPECT_EQ(InitMemImage(&image, c.width, c.height, c.pitch, 0, c.kind, 0, 0, 1), -1) << c.name;
    EXPECT_EQ(image.magic, 0u) << c.name;
    EXPECT_EQ(image.pixels, nullptr) << c.name;
  }
}

TEST_F(MemImageTest, BorrowedPixelsStayTheCallers) {
  std::vector<uint8_t> surface(40 * 3, 0x11);
  MEMIMG image{};
  image.pixels = surface.data();
  ASSERT_EQ(InitMemImage(&image, 10, 3, 40, 0, 1, 0, 0, 1), 0);
  EXPECT_EQ(image.pixels_borrowed, 1);
  EXPECT_EQ(image.pixels, surface.data());
  EXPECT_EQ(image.pitch, 40);
  EXPECT_EQ(image.row_shift, -1);
  FillMemImage(&image, nullptr, 0x22222222);
  ReleaseMemImage(&image);  // frees the run table only
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(surface, std::vector<uint8_t>(40 * 3, 0x22));
}

// "Allocated" means the record has a pixel pointer, whoever owns the
// pixels: its own, a caller's borrowed block or a view's source.
TEST_F(MemImageTest, AllocatedMeansTheRecordHasPixels) {
  MEMIMG image{};
  EXPECT_EQ(IsMemImageAllocated(&image), 0) << "a cleared record";
  EXPECT_EQ(InitMemImage(&image, 4, 4, -1, 0, 7, 0, 0, 0), -1) << "no kind 7";
  EXPECT_EQ(IsMemImageAllocated(&image), 0) << "a refused build";
  ASSERT_EQ(InitMemImage(&image, 4, 4, -1, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(IsMemImageAllocated(&image), 1);
  MEMIMG view{};
  MakeSubImageView(&view, &image, 1, 1, 2, 2);
  EXPECT_EQ(IsMemImageAllocated(&view), 1) << "a view shows its source's pixels";
  ReleaseMemImage(&image);
  EXPECT_EQ(IsMemImageAllocated(&image), 0) << "released";

  std::vector<uint8_t> surface(16 * 2);
  MEMIMG borrowed{};
  borrowed.pixels = surface.data();
  EXPECT_EQ(IsMemImageAllocated(&borrowed), 1) << "a borrowed block, before the build too";
  ASSERT_EQ(InitMemImage(&borrowed, 8, 2, 16, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(IsMemImageAllocated(&borrowed), 1);
  ReleaseMemImage(&borrowed);
  EXPECT_EQ(IsMemImageAllocated(&borrowed), 0);
}

TEST_F(MemImageTest, ScreenImageKindFollowsTheAskedDepth) {
  const int32_t kept = Screen.ScreenColorDepth;
  // 0 is the unset setting, which means 16.
  for (int32_t depth : {0, 16, 32}) {
    Screen.ScreenColorDepth = depth;
    MEMIMG image{};
    ASSERT_EQ(CreateScreenMemImage(&image, 640, 480, -1), 0);
    EXPECT_EQ(image.kind, depth == 32 ? 1 : 0);
    EXPECT_EQ(image.pitch, depth == 32 ? 2560 : 1280);
    EXPECT_EQ(image.run_table, nullptr);
    EXPECT_EQ(image.transparent_value, 0u);
    ReleaseMemImage(&image);
  }
  Screen.ScreenColorDepth = kept;

  MEMIMG depth_image{};
  ASSERT_EQ(CreateZBufferMemImage(&depth_image, 512, 2), 0);
  EXPECT_EQ(depth_image.kind, 3);
  EXPECT_EQ(depth_image.pitch, 1024);
  EXPECT_EQ(depth_image.row_shift, 10);
  EXPECT_EQ(depth_image.run_table, nullptr);
  EXPECT_EQ(depth_image.premultiplied, nullptr);
  ReleaseMemImage(&depth_image);
}

// ---------------------------------------------------------------------------
// Shared formats.

TEST(MemImageFormats, StandardFormatsAreSharedAndMatchTheirDirectDrawForm) {
  struct Row {
    int32_t kind, alpha, palette;
    int depth, bytes;
    uint32_t r, g, b, a;
  };
  const Row rows[] = {
      {0, 0, 0, 16, 2, 0xF800, 0x07E0, 0x001F, 0},
      {0, 0, 1, 8, 1, 0xF800, 0x07E0, 0x001F, 0},
      {0, 1, 0, 32, 4, 0xF800, 0x07E0, 0x001F, 0x00FF0000},
      {0, 1, 1, 8, 1, 0xF800, 0x07E0, 0x001F, 0x00FF0000},
      {1, 0, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0},
      {1, 0, 1, 8, 1, 0xFF0000, 0xFF00, 0xFF, 0},
      {1, 1, 0, 32, 4, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
      {1, 1, 1, 8, 1, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
      {2, 1, 1, 8, 1, 0xFF, 0xFF, 0xFF, 0xFF},
      {3, 0, 1, 16, 2, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.kind << "/" << row.alpha << "/" << row.palette);
    const ColorFormat* f = GetStandardColorFormat(row.kind, row.alpha, row.palette);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f, GetStandardColorFormat(row.kind, row.alpha, row.palette));
    EXPECT_EQ(f->bit_depth, row.depth);
    EXPECT_EQ(f->bytes_per_pixel, row.bytes);
    EXPECT_EQ(f->red_mask, row.r);
    EXPECT_EQ(f->green_mask, row.g);
    EXPECT_EQ(f->blue_mask, row.b);
    EXPECT_EQ(f->alpha_mask, row.a);
    if (row.kind >= 2) {
      EXPECT_EQ(f->red_width, row.depth);
      EXPECT_EQ(f->alpha_width, row.depth);
      EXPECT_EQ(f->blue_shift, 0);
      EXPECT_EQ(f->spare_mask, 0u);
    }
    const DDPIXELFORMAT* pf = GetStandardDDPixelFormat(row.kind, row.alpha, row.palette);
    ASSERT_NE(pf, nullptr);
    EXPECT_EQ(pf->dwSize, 32u);
    EXPECT_EQ(pf->dwFlags, DDPF_RGB);
    EXPECT_EQ(pf->dwRGBBitCount, static_cast<DWORD>(row.depth));
    EXPECT_EQ(pf->dwRBitMask, row.r);
    EXPECT_EQ(pf->dwGBitMask, row.g);
    EXPECT_EQ(pf->dwBBitMask, row.b);
    EXPECT_EQ(pf->dwRGBAlphaBitMask, row.a);
  }
  // The kind-0 colour with alpha: 5-6-5 in the low word, alpha in bits 16-23.
  const ColorFormat* k0a = GetStandardColorFormat(0, 1, 0);
  EXPECT_EQ(k0a->alpha_shift, 16);
  EXPECT_EQ(k0a->alpha_width, 8);
  EXPECT_EQ(GetStandardColorFormat(4, 0, 0), nullptr);
  EXPECT_EQ(GetStandardDDPixelFormat(4, 0, 0), nullptr);
  EXPECT_EQ(GetStandardColorFormat(-1, 0, 0), nullptr);
}

// ---------------------------------------------------------------------------
// Views and fills.

TEST_F(MemImageTest, SubImageViewSharesPixelsAndTables) {
  MEMIMG source{};
  ASSERT_EQ(InitMemImage(&source, 10, 6, -1, 0xFF00FF, 1, 0, 1, 1), 0);
  source.palette_entry_count = 12;
  source.run_table_flag = 1;
  source.premultiplied_flag = 1;
  MEMIMG view;
  std::memset(&view, 0xCC, sizeof(view));
  MakeSubImageView(&view, &source, 3, 2, 4, 3);
  EXPECT_EQ(view.magic, kMemImageMagic);
  EXPECT_EQ(view.pixels, source.pixels + 4 * 3 + 2 * source.pitch);
  EXPECT_EQ(view.width, 4);
  EXPECT_EQ(view.height, 3);
  EXPECT_EQ(view.pitch, source.pitch);
  EXPECT_EQ(view.row_shift, source.row_shift);
  EXPECT_EQ(view.format, source.format);
  EXPECT_EQ(view.transparent_value, 0xFF00FFu);
  EXPECT_EQ(view.kind, 1);
  EXPECT_EQ(view.alpha_flag, 1);
  EXPECT_EQ(view.palette_entry_count, 12);
  EXPECT_EQ(view.palette, &source.palette_table);
  EXPECT_EQ(view.second_palette, &source.second_table);
  EXPECT_EQ(view.run_table_flag, 0);
  EXPECT_EQ(view.premultiplied_flag, 0);
  EXPECT_EQ(view.pixels_borrowed, 0);
  EXPECT_EQ(view.run_table, nullptr);
  EXPECT_EQ(view.premultiplied, nullptr);

  // Drawing through the view lands in the source's rectangle.
  FillMemImage(&source, nullptr, 0);
  FillMemImage(&view, nullptr, 0x01020304);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 10; ++x) {
      bool inside = x >= 3 && x < 7 && y >= 2 && y < 5;
      EXPECT_EQ(PixelAt(source, x, y), inside ? 0x01020304u : 0u) << x << "," << y;
    }
  }

  // A window reaching past the source is kept inside it.
  MEMIMG overhang{};
  MakeSubImageView(&overhang, &source, 8, 5, 10, 10);
  EXPECT_EQ(overhang.width, 2);
  EXPECT_EQ(overhang.height, 1);
  FillMemImage(&overhang, nullptr, 0xFFFFFFFF);
  EXPECT_EQ(PixelAt(source, 9, 5), 0xFFFFFFFFu);
  MEMIMG outside{};
  MakeSubImageView(&outside, &source, 40, -3, 2, 2);
  EXPECT_EQ(outside.width, 0);
  FillMemImage(&outside, nullptr, 0x77777777);
  ReleaseMemImage(&source);
}

TEST_F(MemImageTest, FillClipsTheRectangleToTheImage) {
  struct Case {
    const char* name;
    RECT rect;
    int left, top, right, bottom;  // what gets filled
  };
  const Case cases[] = {
      {"Inside", {1, 1, 3, 2}, 1, 1, 3, 2},
      {"OverEveryEdge", {-5, -5, 50, 50}, 0, 0, 6, 4},
      {"Outside", {7, 0, 9, 4}, 0, 0, 0, 0},
      {"Inverted", {4, 3, 2, 1}, 0, 0, 0, 0},
  };
  for (int32_t kind : {0, 1, 2}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << " kind " << kind);
      MEMIMG image{};
      ASSERT_EQ(InitMemImage(&image, 6, 4, -1, 0, kind, 0, 0, 0), 0);
      std::memset(image.pixels, 0, static_cast<size_t>(image.pitch) * image.height);
      FillMemImage(&image, &c.rect, 0xFFFFFFFF);
      const uint32_t full = image.format->bytes_per_pixel == 4 ? 0xFFFFFFFF
                            : image.format->bytes_per_pixel == 2 ? 0xFFFF
                                                                 : 0xFF;
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
          bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
          EXPECT_EQ(PixelAt(image, x, y), inside ? full : 0u) << x << "," << y;
        }
        // The row padding stays as it was.
        for (int i = 6 * image.format->bytes_per_pixel; i < image.pitch; ++i) {
          EXPECT_EQ(image.pixels[y * image.pitch + i], 0);
        }
      }
      ReleaseMemImage(&image);
    }
  }
}

// ---------------------------------------------------------------------------
// Transfers from decoded images.

// A decoded image of the given format, `rows` rows of `pixels`.
GraphImage MakeGraphImage(void (*preset)(ColorFormat*), const std::vector<uint32_t>& pixels,
                          int rows = 1) {
  GraphImage image{};
  const int width = static_cast<int>(pixels.size()) / rows;
  EXPECT_EQ(AllocateArgbGraphImage(width, rows, &image), 0);
  preset(&image.format);
  image.pitch = (width * image.format.bytes_per_pixel + 3) & ~3;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < width; ++x) SetPixel(&image, x, y, pixels[y * width + x]);
  }
  return image;
}

TEST_F(MemImageTest, WholeTransferBuildsTheRunTable) {
  struct Case {
    const char* name;
    int32_t kind, alpha;
    uint32_t transparent;
    void (*preset)(ColorFormat*);
    std::vector<uint32_t> row;
    std::vector<uint8_t> runs;
  };
  const uint32_t key = 0x007575;
  std::vector<uint32_t> seventy(70, 0x123456);
  std::vector<uint32_t> long_row(130, 0xFF0000);
  std::vector<uint32_t> mixed = {key, key, 0xFF0000, key};
  const Case cases[] = {
      {"Kind1SeventyOpaque", 1, 0, 0xFF000000 | key, SetRgb888ColorFormat, seventy,
       {0x7F, 0x45, 0xC0}},
      {"Kind1AlphaClasses", 1, 1, 0, SetArgb8888ColorFormat,
       {0x00FF8000, 0x00000000, 0x80FF8000, 0xFFFF8000}, {0x01, 0x80, 0x40, 0xC0}},
      {"Kind0AlphaClasses", 0, 1, 0, SetArgb8888ColorFormat,
       {0x00FF8000, 0x00000000, 0x80FF8000, 0xFFFF8000}, {0x01, 0x80, 0x40, 0xC0}},
      // A 16-bit image keys on its 5-6-5 transparent value.
      {"Kind0Keyed", 0, 0, 0x03AE, SetRgb888ColorFormat, mixed, {0x01, 0x40, 0x00, 0xC0}},
      {"Kind1Keyed", 1, 0, 0xFF000000 | key, SetRgb888ColorFormat, mixed,
       {0x01, 0x40, 0x00, 0xC0}},
      {"RunsEndAtSixtyFour", 0, 0, 0, SetRgb888ColorFormat, long_row, {0x7F, 0x7F, 0x41, 0xC0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int width = static_cast<int>(c.row.size());
    std::vector<uint32_t> two_rows = c.row;
    two_rows.insert(two_rows.end(), c.row.begin(), c.row.end());
    GraphImage color = MakeGraphImage(c.preset, two_rows, 2);
    MEMIMG image{};
    ASSERT_EQ(InitMemImage(&image, width, 2, -1, c.transparent, c.kind, 0, c.alpha, 1), 0);
    image.run_table_flag = 1;  // stale; the transfer clears it first
    TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, width, 2, 0, 0, 1);
    EXPECT_EQ(image.run_table_flag, 1);
    EXPECT_EQ(image.premultiplied_flag, c.alpha);
    EXPECT_EQ(RunRow(image, 0), c.runs);
    EXPECT_EQ(RunRow(image, 1), c.runs);
    ReleaseMemImage(&image);
    ReleaseGraphImage(&color);
  }
}

// Runs of every length around the eight-pixel steps and the 64-pixel cap,
// keyed and not, in a 16-bit keyed image: the table is the one of the runs
// as written.
TEST_F(MemImageTest, SixteenBitKeyedRunsOfEveryLengthAreFoundWhole) {
  const uint16_t key = 0x03AE;
  const int lengths[] = {1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 129, 2, 3};
  std::vector<bool> keyed;  // per pixel
  bool transparent = true;
  for (int length : lengths) {
    keyed.insert(keyed.end(), length, transparent);
    transparent = !transparent;
  }
  const int width = static_cast<int>(keyed.size());
  MEMIMG image{};
  ASSERT_EQ(InitMemImage(&image, width, 1, -1, key, 0, 0, 0, 1), 0);
  for (int x = 0; x < width; ++x) {
    const uint16_t value = keyed[x] ? key : static_cast<uint16_t>(key ^ (1 + x % 3));
    std::memcpy(image.pixels + 2 * x, &value, 2);
  }
  ASSERT_EQ(BuildMemImageRunTable(&image), 0);
  std::vector<uint8_t> expected;
  transparent = true;
  for (int length : lengths) {
    for (int left = length; left > 0; left -= 64) {
      const int run = left < 64 ? left : 64;
      expected.push_back(static_cast<uint8_t>((run - 1) | (transparent ? 0 : kRunOpaque)));
    }
    transparent = !transparent;
  }
  expected.push_back(kRunRowEnd);
  EXPECT_EQ(RunRow(image, 0), expected);
  ReleaseMemImage(&image);
}

TEST_F(MemImageTest, PremultipliedCopyScalesEachField) {
  struct Case {
    const char* name;
    int32_t kind;
    uint32_t source;  // 0xAARRGGBB
    uint32_t stored, premultiplied;
  };
  const Case cases[] = {
      // White (fields 31, 63, 31) at alpha 0x80 becomes fields 15, 31, 15.
      {"Kind0White", 0, 0x80FFFFFF, 0xFF80FFFF, 0x00807BEF},
      {"Kind0Opaque", 0, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FFF7DE},
      {"Kind1", 1, 0x800080FF, 0x800080FF, 0x8000407F},
      {"Kind1Clear", 1, 0x00FFFFFF, 0x00FFFFFF, 0x00000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GraphImage color = MakeGraphImage(SetArgb8888ColorFormat, {c.source, c.source});
    MEMIMG image{};
    ASSERT_EQ(InitMemImage(&image, 2, 1, -1, 0, c.kind, 0, 1, 1), 0);
    TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, 2, 1, 0, 0, 0);
    EXPECT_EQ(PixelAt(image, 1, 0), c.stored);
    ASSERT_EQ(image.premultiplied_flag, 1);
    uint32_t copy = 0;
    for (int k = 0; k < 4; ++k) copy |= uint32_t{image.premultiplied[4 + k]} << (8 * k);
    EXPECT_EQ(copy, c.premultiplied);
    ReleaseMemImage(&image);
    ReleaseGraphImage(&color);
  }
}

TEST_F(MemImageTest, PartialTransferLeavesDerivedDataAlone) {
  GraphImage color = MakeGraphImage(SetArgb8888ColorFormat, std::vector<uint32_t>(8, 0x80FFFFFF),
                                    2);
  MEMIMG image{};
  ASSERT_EQ(InitMemImage(&image, 4, 2, -1, 0, 1, 0, 1, 1), 0);
  std::memset(image.run_table, 0xEE, (4 + 5) * 2);
  image.run_table_flag = 1;
  image.premultiplied_flag = 1;
  TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, 3, 2, 0, 0, 0);
  EXPECT_EQ(image.run_table_flag, 0);
  EXPECT_EQ(image.premultiplied_flag, 0);
  EXPECT_EQ(std::vector<uint8_t>(image.run_table, image.run_table + 18),
            std::vector<uint8_t>(18, 0xEE));
  EXPECT_EQ(PixelAt(image, 2, 1), 0x80FFFFFFu);
  // The whole image placed off its origin is partial too.
  TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, 4, 2, 1, 0, 0);
  EXPECT_EQ(image.run_table_flag, 0);
  ReleaseMemImage(&image);
  ReleaseGraphImage(&color);
}

TEST_F(MemImageTest, PaletteTransferCopiesIndexesAndRebuildsTables) {
  for (int32_t kind : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "kind " << kind);
    std::vector<uint32_t> indexes;
    for (uint32_t i = 0; i < 24; ++i) indexes.push_back((i * 7) % 18);
    GraphImage color = MakeGraphImage(SetPalette8ColorFormat, indexes, 2);
    for (int i = 0; i < 256; ++i) {
      color.format.palette[i] = ColorPaletteEntry{static_cast<uint8_t>(i),
                                                  static_cast<uint8_t>(255 - i),
                                                  static_cast<uint8_t>(i * 3), 0};
    }
    MEMIMG image{};
    ASSERT_EQ(InitMemImage(&image, 12, 2, -1, 5, kind, 1, 0, 1), 0);
    TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, 12, 2, 0, 0, 1);
    EXPECT_EQ(image.palette_entry_count, 18);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(image.pixels[(i / 12) * image.pitch + i % 12], indexes[i]);
    for (int i = 0; i < 256; ++i) {
      const ColorPaletteEntry& e = color.format.palette[i];
      if (kind == 0) {
        EXPECT_EQ(image.palette->entries16[i],
                  ((e.red & 0xF8) << 8) | ((e.green & 0xFC) << 3) | (e.blue >> 3));
      } else {
        EXPECT_EQ(image.palette->entries32[i],
                  (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue);
      }
    }
    EXPECT_EQ(std::memcmp(&image.second_table, &image.palette_table, kind == 0 ? 512 : 1024), 0);
    // Row 0 holds 0 7 14 3 10 17 6 13 2 9 16 5: only its last pixel has
    // the transparent index 5.
    EXPECT_EQ(RunRow(image, 0), (std::vector<uint8_t>{0x4A, 0x00, 0xC0}));

    // Once the image learns another transparent index, its runs are
    // rebuilt to match.
    image.transparent_value = 0;
    EXPECT_EQ(BuildMemImageRunTable(&image), 0);
    EXPECT_EQ(image.run_table_flag, 1);
    EXPECT_EQ(RunRow(image, 0), (std::vector<uint8_t>{0x00, 0x4A, 0xC0}));
    ReleaseMemImage(&image);
    ReleaseGraphImage(&color);
  }
  MEMIMG no_runs{};
  ASSERT_EQ(InitMemImage(&no_runs, 4, 1, -1, 0, 1, 0, 0, 0), 0);
  no_runs.run_table_flag = 1;
  EXPECT_EQ(BuildMemImageRunTable(&no_runs), -1);
  EXPECT_EQ(no_runs.run_table_flag, 0);
  ReleaseMemImage(&no_runs);
}

TEST_F(MemImageTest, AlphaFromTheTransparentColour) {
  struct Case {
    const char* name;
    int32_t kind;
    uint32_t transparent;
    uint32_t key_stored, other_stored;
  };
  const Case cases[] = {
      // The transparent value as the surfaces pack it: the colour at alpha
      // 255 in the image's own format.
      {"Kind1", 1, 0xFF007575, 0x00007575, 0xFFFF0000},
      {"Kind0", 0, 0xFFFF03AE, 0xFF0003AE, 0xFFFFF800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GraphImage color = MakeGraphImage(SetRgb888ColorFormat, {0x007575, 0xFF0000, 0x007575});
    MEMIMG image{};
    ASSERT_EQ(InitMemImage(&image, 3, 1, -1, c.transparent, c.kind, 0, 1, 1), 0);
    TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, 3, 1, 0, 0, 1);
    EXPECT_EQ(PixelAt(image, 0, 0), c.key_stored);
    EXPECT_EQ(PixelAt(image, 1, 0), c.other_stored);
    EXPECT_EQ(RunRow(image, 0), (std::vector<uint8_t>{0x00, 0x40, 0x00, 0xC0}));
    // Without the flag every pixel is opaque.
    TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, 3, 1, 0, 0, 0);
    EXPECT_EQ(RunRow(image, 0), (std::vector<uint8_t>{0x42, 0xC0}));
    ReleaseMemImage(&image);
    ReleaseGraphImage(&color);
  }
}

TEST_F(MemImageTest, AlphaImageSuppliesAlpha) {
  GraphImage color = MakeGraphImage(SetRgb888ColorFormat, {0xFF0000, 0x00FF00, 0x0000FF});
  GraphImage alpha = MakeGraphImage(SetRgb888ColorFormat, {0x000000, 0x808080, 0xFFFFFF});
  MEMIMG image{};
  ASSERT_EQ(InitMemImage(&image, 3, 1, -1, 0, 1, 0, 1, 1), 0);
  TransferGraphImageToMemImage(&color, &alpha, &image, 0, 0, 3, 1, 0, 0, 1);
  EXPECT_EQ(PixelAt(image, 0, 0), 0x00FF0000u);
  EXPECT_EQ(PixelAt(image, 1, 0), 0x8000FF00u);
  EXPECT_EQ(PixelAt(image, 2, 0), 0xFF0000FFu);
  EXPECT_EQ(RunRow(image, 0), (std::vector<uint8_t>{0x00, 0x80, 0x40, 0xC0}));
  ReleaseMemImage(&image);
  ReleaseGraphImage(&alpha);
  ReleaseGraphImage(&color);
}

TEST_F(MemImageTest, SingleChannelImagesTakeTheGreyLevel) {
  struct Case {
    const char* name;
    int32_t kind;
    void (*preset)(ColorFormat*);
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> stored;
  };
  const Case cases[] = {
      {"GreyPaletteToKind2", 2, SetGray8ColorFormat, {0x00, 0x40, 0xFF}, {0x00, 0x40, 0xFF}},
      {"Rgb888ToKind2", 2, SetRgb888ColorFormat, {0x000000, 0x404040, 0xFFFFFF},
       {0x00, 0x40, 0xFF}},
      {"ArgbToKind2IgnoresAlpha", 2, SetArgb8888ColorFormat, {0x00404040, 0x80101010},
       {0x40, 0x10}},
      {"Rgb888ToKind3", 3, SetRgb888ColorFormat, {0x000000, 0x808080, 0xFFFFFF},
       {0x0000, 0x8080, 0xFFFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GraphImage color = MakeGraphImage(c.preset, c.pixels);
    const int width = static_cast<int>(c.pixels.size());
    MEMIMG image{};
    ASSERT_EQ(InitMemImage(&image, width, 1, -1, 0, c.kind, 0, 0, 1), 0);
    TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, width, 1, 0, 0, 1);
    for (int x = 0; x < width; ++x) EXPECT_EQ(PixelAt(image, x, 0), c.stored[x]) << x;
    EXPECT_EQ(image.run_table_flag, 0);
    ReleaseMemImage(&image);
    ReleaseGraphImage(&color);
  }
}

TEST_F(MemImageTest, ConversionsBetweenImagesAndBackToDecodedImages) {
  MEMIMG wide{};
  ASSERT_EQ(InitMemImage(&wide, 4, 2, -1, 0, 1, 0, 0, 0), 0);
  FillMemImage(&wide, nullptr, 0xFFFFFFFF);
  RECT one{1, 0, 2, 1};
  FillMemImage(&wide, &one, 0xFF8000FF);
  MEMIMG narrow{};
  ASSERT_EQ(InitMemImage(&narrow, 4, 2, -1, 0, 0, 0, 0, 0), 0);
  FillMemImage(&narrow, nullptr, 0);
  ConvertMemImageRect(&narrow, &wide, nullptr, 0, 0);
  EXPECT_EQ(PixelAt(narrow, 0, 0), 0xFFFFu);
  EXPECT_EQ(PixelAt(narrow, 1, 0), 0x801Fu);
  RECT part{0, 0, 2, 1};
  FillMemImage(&narrow, nullptr, 0);
  ConvertMemImageRect(&narrow, &wide, &part, 2, 1);
  EXPECT_EQ(PixelAt(narrow, 2, 1), 0xFFFFu);
  EXPECT_EQ(PixelAt(narrow, 3, 1), 0x801Fu);
  EXPECT_EQ(PixelAt(narrow, 0, 0), 0u);

  // Back into a decoded 32-bit image: 5-6-5 white through the dedicated
  // loop and, with the first option word, through the general path.
  GraphImage decoded{};
  ASSERT_EQ(AllocateArgbGraphImage(4, 2, &decoded), 0);
  std::memset(decoded.pixels, 0, decoded.pitch * 2);
  FillMemImage(&narrow, nullptr, 0xFFFF);
  TransferMemImageToGraphImage(&decoded, &narrow, 0, 0, 4, 2, 0, 0, 0, 0);
  EXPECT_EQ(GetGraphImagePixelArgb(&decoded, 3, 1), 0xFFF8FCF8u);
  TransferMemImageToGraphImage(&decoded, &narrow, 0, 0, 4, 2, 0, 0, 1, 0);
  EXPECT_EQ(GetGraphImagePixelArgb(&decoded, 3, 1), 0xFFFFFFFFu);

  // Sources with a palette or alpha, and single-channel ones, are not
  // converted back.
  std::memset(decoded.pixels, 0, decoded.pitch * 2);
  MEMIMG with_alpha{};
  ASSERT_EQ(InitMemImage(&with_alpha, 4, 2, -1, 0, 1, 0, 1, 0), 0);
  FillMemImage(&with_alpha, nullptr, 0xFFFFFFFF);
  TransferMemImageToGraphImage(&decoded, &with_alpha, 0, 0, 4, 2, 0, 0, 0, 0);
  EXPECT_EQ(GetGraphImagePixelArgb(&decoded, 0, 0), 0u);
  ReleaseMemImage(&with_alpha);

  ReleaseGraphImage(&decoded);
  ReleaseMemImage(&narrow);
  ReleaseMemImage(&wide);
}

// ---------------------------------------------------------------------------
// Rectangles, points and pitches that do not fit: under the sanitizer build
// any read or write outside the exact-size buffers fails the test.

struct FitCase {
  const char* name;
  int32_t x, y, width, height, dest_x, dest_y;
  // The destination pixels that receive source pixels: left, top, right,
  // bottom, and the source pixel that lands at (left, top).
  int left, top, right, bottom, source_x, source_y;
};

// Failures name the case rather than dump its bytes.
void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

const FitCase kFits[] = {
    {"Inside", 1, 1, 2, 2, 0, 0, 0, 0, 2, 2, 1, 1},
    {"LargerThanSource", 0, 0, 100, 100, 0, 0, 0, 0, 5, 3, 0, 0},
    {"LeftOfSource", -3, 0, 5, 2, 0, 0, 3, 0, 5, 2, 0, 0},
    {"AboveSource", 0, -2, 2, 4, 0, 0, 0, 2, 2, 4, 0, 0},
    {"PastDestRightAndBottom", 0, 0, 5, 3, 4, 2, 4, 2, 6, 4, 0, 0},
    {"DestPointNegative", 0, 0, 5, 3, -2, -1, 0, 0, 3, 2, 2, 1},
    {"DestPointOutside", 0, 0, 5, 3, 6, 0, 0, 0, 0, 0, 0, 0},
    {"SourceRectOutside", 7, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0},
    {"HugeSizes", 0x7FFFFFF0, 0, 0x7FFFFFF0, 2, 0, 0, 0, 0, 0, 0, 0, 0},
};

class MemImageFit : public MemImageTest, public ::testing::WithParamInterface<FitCase> {};

// Source: a 5 x 3 decoded image (pitch 16) whose pixel (x, y) is
// 0x10 * y + x in every channel; destination: a 6 x 4 kind-1 image.
TEST_P(MemImageFit, TransfersStayInsideBothImages) {
  const FitCase& c = GetParam();
  std::vector<uint32_t> pixels;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) pixels.push_back(0x010101u * (0x10 * y + x + 1));
  }
  GraphImage color{};
  ASSERT_EQ(AllocateGraphImage(5, 3, &color), 0);
  for (int i = 0; i < 15; ++i) SetPixel(&color, i % 5, i / 5, pixels[i]);
  GraphImage alpha{};
  ASSERT_EQ(AllocateGraphImage(5, 3, &alpha), 0);
  std::memset(alpha.pixels, 0xFF, alpha.pitch * 3);

  auto expected = [&](int x, int y) -> uint32_t {
    if (x < c.left || x >= c.right || y < c.top || y >= c.bottom) return 0;
    int sx = c.source_x + x - c.left, sy = c.source_y + y - c.top;
    return 0xFF000000u | pixels[sy * 5 + sx];
  };

  for (bool with_alpha : {false, true}) {
    MEMIMG image{};
    ASSERT_EQ(InitMemImage(&image, 6, 4, -1, 0, 1, 0, with_alpha ? 1 : 0, 1), 0);
    FillMemImage(&image, nullptr, 0);
    TransferGraphImageToMemImage(&color, with_alpha ? &alpha : nullptr, &image, c.x, c.y, c.width,
                                 c.height, c.dest_x, c.dest_y, 0);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(PixelAt(image, x, y), expected(x, y)) << x << "," << y;
      }
    }
    // The same rectangle between two software images.
    MEMIMG from{};
    ASSERT_EQ(InitMemImage(&from, 5, 3, -1, 0, 1, 0, 0, 0), 0);
    ConvertMemImageRect(&from, &image, nullptr, 0, 0);  // smaller destination: clipped
    FillMemImage(&image, nullptr, 0);
    for (int i = 0; i < 15; ++i) {
      uint8_t* p = from.pixels + (i / 5) * from.pitch + (i % 5) * 4;
      uint32_t v = 0xFF000000u | pixels[i];
      std::memcpy(p, &v, 4);
    }
    RECT rect{c.x, c.y, static_cast<LONG>(int64_t{c.x} + c.width > 0x7FFFFFFF
                                              ? 0x7FFFFFFF
                                              : c.x + c.width),
              c.y + c.height};
    ConvertMemImageRect(&image, &from, &rect, c.dest_x, c.dest_y);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(PixelAt(image, x, y), expected(x, y)) << "between images " << x << "," << y;
      }
    }
    ReleaseMemImage(&from);
    ReleaseMemImage(&image);
  }

  // And back out into a decoded image of the source's size.
  MEMIMG image{};
  ASSERT_EQ(InitMemImage(&image, 6, 4, -1, 0, 1, 0, 0, 0), 0);
  FillMemImage(&image, nullptr, 0xFF000000);
  std::memset(color.pixels, 0xEE, color.pitch * 3);
  TransferMemImageToGraphImage(&color, &image, c.x, c.y, c.width, c.height, c.dest_x, c.dest_y, 0,
                               0);
  ReleaseMemImage(&image);
  ReleaseGraphImage(&alpha);
  ReleaseGraphImage(&color);
}

INSTANTIATE_TEST_SUITE_P(Rectangles, MemImageFit, ::testing::ValuesIn(kFits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MemImageTest, DecodedImagesThatCannotHoldTheirRowsAreNotRead) {
  GraphImage color{};
  ASSERT_EQ(AllocateGraphImage(5, 2, &color), 0);
  color.pitch = 8;  // shorter than a 15-byte row
  GraphImage small_alpha{};
  ASSERT_EQ(AllocateGraphImage(2, 1, &small_alpha), 0);
  std::memset(small_alpha.pixels, 0x80, small_alpha.pitch);
  MEMIMG image{};
  ASSERT_EQ(InitMemImage(&image, 5, 2, -1, 0, 1, 0, 1, 1), 0);
  FillMemImage(&image, nullptr, 0x12345678);
  TransferGraphImageToMemImage(&color, nullptr, &image, 0, 0, 5, 2, 0, 0, 0);
  EXPECT_EQ(PixelAt(image, 4, 1), 0x12345678u);
  TransferMemImageToGraphImage(&color, &image, 0, 0, 5, 2, 0, 0, 0, 0);

  // An alpha image smaller than the colour image limits the rectangle.
  color.pitch = 16;
  std::memset(color.pixels, 0x40, 32);
  TransferGraphImageToMemImage(&color, &small_alpha, &image, 0, 0, 5, 2, 0, 0, 0);
  EXPECT_EQ(PixelAt(image, 0, 0), 0x80404040u);
  EXPECT_EQ(PixelAt(image, 1, 0), 0x80404040u);
  EXPECT_EQ(PixelAt(image, 2, 0), 0x12345678u);
  EXPECT_EQ(PixelAt(image, 0, 1), 0x12345678u);
  ReleaseMemImage(&image);
  ReleaseGraphImage(&small_alpha);
  ReleaseGraphImage(&color);
}

}  // namespace
