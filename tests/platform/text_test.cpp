// Code page 932 <-> UTF-8 at the host boundary, 16-bit pixel expansion and
// the transfer of images in the formats the window image takes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/host/cp932.h"
#include "platform/host/pixel.h"

namespace {

TEST(Cp932Test, ConvertsBothWays) {
  struct Case {
    std::string cp932;
    std::string utf8;
  };
  const Case cases[] = {
      {"ASCII 123", "ASCII 123"},
      {"\x83\x75\x83\x8a\x83\x7d\x83\x8b", "ブリマル"},
      // Trail bytes equal to '\' belong to their character.
      {"\x83\x5c\x95\x5c", "ソ表"},
      {"\xb1\xb2", "ｱｲ"},  // half-width katakana, one byte each
      {"\x81\x48\n", "？\n"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
  }
}

TEST(Cp932Test, BadInputIsReplacedAndConversionGoesOn) {
  const std::string replacement = "\xEF\xBF\xBD";
  // A lead byte at the end, and a lead byte with an impossible trail byte.
  EXPECT_EQ(Cp932ToUtf8("ab\x83"), "ab" + replacement);
  EXPECT_EQ(Cp932ToUtf8(std::string("\x83\x00x", 3)), replacement + std::string("\0x", 2));
  // Characters the code page lacks, and broken UTF-8, become one '?' each.
  EXPECT_EQ(Utf8ToCp932("a\U0001F600b"), "a?b");
  EXPECT_EQ(Utf8ToCp932("a\xE3\x81z"), "a?z");
  EXPECT_EQ(Utf8ToCp932("\xFF\xFE"), "??");
}

TEST(PixelTest, SixteenBitPixelsExpandExactly) {
  struct Case {
    uint16_t pixel;
    uint32_t rgb565;
    uint32_t rgb555;
  };
  const Case cases[] = {
      {0x0000, 0x000000, 0x000000},
      {0xFFFF, 0xFFFFFF, 0xFFFFFF},  // bit 15 is ignored by 5-5-5
      {0xF800, 0xFF0000, 0xF70000},
      {0x07E0, 0x00FF00, 0x08FF00},
      {0x001F, 0x0000FF, 0x0000FF},
      {0x7C00, 0x7B8200, 0xFF0000},
      {0x03E0, 0x007D00, 0x00FF00},
      {0x8410, 0x848284, 0x080084},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pixel);
    EXPECT_EQ(ExpandRgb565(c.pixel), c.rgb565);
    EXPECT_EQ(ExpandRgb555(c.pixel), c.rgb555);
  }
}

TEST(PixelTest, RowsConvertEveryValueAsTheExpansionDoes) {
  std::vector<uint16_t> all(65536);
  for (uint32_t p = 0; p < 65536; ++p) all[p] = static_cast<uint16_t>(p);
  std::vector<uint32_t> out(65536);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(all.data());
  RowToXrgb(HostPixelFormat::kRgb565)(bytes, out.data(), 65536);
  for (uint32_t p = 0; p < 65536; ++p) ASSERT_EQ(out[p], ExpandRgb565(p)) << p;
  RowToXrgb(HostPixelFormat::kRgb555)(bytes, out.data(), 65536);
  for (uint32_t p = 0; p < 65536; ++p) ASSERT_EQ(out[p], ExpandRgb555(p)) << p;

  const uint8_t bgr[] = {0x01, 0x02, 0x03, 0xFD, 0xFE, 0xFF};
  RowToXrgb(HostPixelFormat::kBgr888)(bgr, out.data(), 2);
  EXPECT_EQ(out[0], 0x030201u);
  EXPECT_EQ(out[1], 0xFFFEFDu);
  const uint32_t xrgb[] = {0xAB123456, 0xFFFFFFFF};
  RowToXrgb(HostPixelFormat::kXrgb8888)(reinterpret_cast<const uint8_t*>(xrgb), out.data(), 2);
  EXPECT_EQ(out[0], 0x123456u);  // the top byte is dropped
  EXPECT_EQ(out[1], 0xFFFFFFu);
}

TEST(PixelTest, WritesAreScaledClippedAndTouchOnlyTheirRectangle) {
  // The picture A B / C D: as XRGB rows top first, and as 5-6-5 rows stored
  // bottom-up (the top row last, a negative pitch).
  const uint32_t xrgb[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
  const uint16_t bottom_up[] = {0xF800, 0xFFFF, 0x001F, 0x07E0};
  HostPixels picture = HostPixels::Xrgb(xrgb, 2, 2, 2);
  HostPixels stored_bottom_up;
  stored_bottom_up.top_row = reinterpret_cast<const uint8_t*>(bottom_up + 2);
  stored_bottom_up.pitch = -4;
  stored_bottom_up.width = 2;
  stored_bottom_up.height = 2;
  stored_bottom_up.format = HostPixelFormat::kRgb565;
  constexpr uint32_t S = 0xDEAD;  // untouched
  constexpr uint32_t A = 0x0000FF, B = 0x00FF00, C = 0xFF0000, D = 0xFFFFFF;
  struct Case {
    const char* what;
    int x, y, width, height;
    std::vector<uint32_t> expected;  // the 4 x 3 image afterwards
  };
  const Case cases[] = {
      {"as it is", 1, 1, 2, 2, {S, S, S, S, S, A, B, S, S, C, D, S}},
      // Twice as wide, hanging off the right edge: columns 0, 0, 1 show.
      {"stretched and clipped", 1, 1, 4, 2, {S, S, S, S, S, A, A, B, S, C, C, D}},
      // Four rows high from one above the top: rows 0, 0, 1, 1, the first cut off.
      {"taller and clipped at the top", 0, -1, 2, 4, {A, B, S, S, C, D, S, S, C, D, S, S}},
      {"half the size", 0, 0, 1, 1, {A, S, S, S, S, S, S, S, S, S, S, S}},
      {"wholly outside", 4, 0, 2, 2, std::vector<uint32_t>(12, S)},
  };
  for (const Case& c : cases) {
    for (const HostPixels* src : {&picture, &stored_bottom_up}) {
      SCOPED_TRACE(c.what);
      std::vector<uint32_t> image(12, S);
      WriteScaledPixels(image.data(), 4, 3, 4, c.x, c.y, c.width, c.height, *src);
      EXPECT_EQ(image, c.expected);
    }
  }
}

}  // namespace
