// Code page 932 <-> UTF-8 at the host boundary, and 16-bit pixel expansion.
#include <gtest/gtest.h>

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

}  // namespace
