#include "runtime/core/format.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

constexpr char kGuard = '#';

// A buffer with guard bytes behind the part handed to the formatter.
struct GuardedBuffer {
  explicit GuardedBuffer(size_t size) : size(size) { std::memset(bytes, kGuard, sizeof(bytes)); }
  bool GuardIntact() const {
    for (size_t i = size; i < sizeof(bytes); ++i) {
      if (bytes[i] != kGuard) return false;
    }
    return true;
  }
  size_t size;
  char bytes[64];
};

int FormatThroughList(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = FormatToBuffer(buffer, size, format, args);
  va_end(args);
  return written;
}

struct CutCase {
  const char* name;
  const char* text;  // formatted with "%s"
  size_t size;
  const char* expected;
};

const CutCase kCutCases[] = {
    {"fits", "abc", 8, "abc"},
    {"fits exactly", "abcdefg", 8, "abcdefg"},
    {"cut", "abcdefghij", 5, "abcd"},
    {"whole two-byte character kept", "a\x95\x5C" "bc", 4, "a\x95\x5C"},
    {"lead byte at the cut dropped", "a\x95\x5C" "bc", 3, "a"},
    {"trail byte with a lead byte's value kept", "\x95\x95" "x", 3, "\x95\x95"},
    {"lead byte after a run of two-byte characters", "\x82\xA0\x82\xA2\x82\xA4", 6,
     "\x82\xA0\x82\xA2"},
    {"half-width katakana is one byte", "\xB1\xB2\xB3", 3, "\xB1\xB2"},
    {"only a lead byte fits", "\x95\x5C", 2, ""},
    {"room for the NUL only", "abc", 1, ""},
};

TEST(FormatToBuffer, CutsToTheBufferWithoutSplittingACharacter) {
  for (const CutCase& c : kCutCases) {
    SCOPED_TRACE(c.name);
    GuardedBuffer buffer(c.size);
    const int written = FormatThroughList(buffer.bytes, buffer.size, "%s", c.text);
    EXPECT_STREQ(buffer.bytes, c.expected);
    EXPECT_EQ(written, static_cast<int>(std::strlen(c.expected)));
    EXPECT_TRUE(buffer.GuardIntact());
  }
}

TEST(FormatToBuffer, FormatsLikePrintf) {
  GuardedBuffer buffer(32);
  const int written =
      FormatThroughList(buffer.bytes, buffer.size, "%s:%d %05.1f %x", "表示", -42, 2.25, 255u);
  EXPECT_STREQ(buffer.bytes, "\x95\x5C\x8E\xA6:-42 002.2 ff");
  EXPECT_EQ(written, 17);
}

TEST(FormatToBuffer, ZeroSizeWritesNothing) {
  GuardedBuffer buffer(0);
  EXPECT_EQ(FormatThroughList(buffer.bytes, buffer.size, "%s", "abc"), 0);
  EXPECT_TRUE(buffer.GuardIntact());
}

TEST(FormatToBuffer, LongTextIntoTheMessageBuffer) {
  // 1023 bytes fit: an odd prefix leaves room for whole characters only.
  struct Case {
    const char* prefix;
    size_t expected_length;
  };
  const Case cases[] = {{"", 1022}, {"a", 1023}, {"ab", 1022}};
  std::string characters;
  for (int i = 0; i < 800; ++i) characters += "\x82\xA0";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    std::string buffer(kFormatBufferSize + 16, kGuard);
    const int written =
        FormatThroughList(buffer.data(), kFormatBufferSize, "%s%s", c.prefix, characters.c_str());
    EXPECT_EQ(written, static_cast<int>(c.expected_length));
    EXPECT_EQ(std::strlen(buffer.c_str()), c.expected_length);
    EXPECT_EQ(buffer.compare(kFormatBufferSize, 16, std::string(16, kGuard)), 0);
  }
}

TEST(FormatToBufferVarargs, BoundedAndReturnsZero) {
  GuardedBuffer buffer(6);
  EXPECT_EQ(FormatToBufferVarargs(buffer.bytes, buffer.size, "GET %s", "/\x95\x5C"), 0);
  EXPECT_STREQ(buffer.bytes, "GET /");
  EXPECT_TRUE(buffer.GuardIntact());
}

}  // namespace
