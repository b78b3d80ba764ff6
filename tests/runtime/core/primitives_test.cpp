#include "runtime/core/primitives.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/host/host.h"
#include "platform/null/null_clock.h"
#include "platform/win32/kernel.h"
#include "runtime/core/lead_byte.h"

namespace {

// A text followed by bytes that lie past its NUL: a walker that steps over the
// NUL would find them.
struct TextWithTail {
  char bytes[16];
};

// ---- Shift-JIS walkers ---------------------------------------------------------

struct FindCase {
  const char* name;
  TextWithTail text;
  int byte;
  int expected_offset;  // -1: not found
};

const FindCase kFindCases[] = {
    {"plain backslash", {"abc\\def"}, '\\', 3},
    {"trail byte 0x5C is not a backslash", {"\x95\x5C" "ab\\"}, '\\', 4},
    {"only a trail byte 0x5C", {"\x95\x5C"}, '\\', -1},
    {"trail byte equal to a letter", {"\x82\x41" "A"}, 'A', 2},
    {"half-width katakana is single-byte", {"\xB1\\"}, '\\', 1},
    {"line feed after CR", {"line\r\n"}, '\n', 5},
    {"lead byte value only as a lead", {"\x95\x95" "a"}, 0x95, -1},
    {"lead byte before NUL ends the text", {{'x', '\x95', '\0', '\\', '\0'}}, '\\', -1},
    {"NUL is the end, not a character", {"abc"}, 0, -1},
    {"empty text", {""}, 'a', -1},
};

TEST(FindByteSjis, StepsOverTwoByteCharactersAndStopsAtTheEnd) {
  for (const FindCase& c : kFindCases) {
    SCOPED_TRACE(c.name);
    const char* found = FindByteSjis(c.text.bytes, c.byte);
    if (c.expected_offset < 0) {
      EXPECT_EQ(found, nullptr);
    } else {
      EXPECT_EQ(found, c.text.bytes + c.expected_offset);
    }
  }
}

struct UpperCase {
  const char* name;
  TextWithTail text;
  TextWithTail expected;
};

const UpperCase kUpperCases[] = {
    {"ASCII", {"abcXYZ019{`"}, {"ABCXYZ019{`"}},
    {"trail byte 'a' unchanged", {"\x82\x61" "a"}, {"\x82\x61" "A"}},
    {"trail byte 'z' unchanged", {"\xE0\x7A" "z"}, {"\xE0\x7A" "Z"}},
    {"half-width katakana then a letter", {"\xB1" "b"}, {"\xB1" "B"}},
    {"lead byte before NUL ends the text",
     {{'a', '\x82', '\0', 'b', '\0'}},
     {{'A', '\x82', '\0', 'b', '\0'}}},
};

TEST(UpperCaseSjis, RaisesSingleByteLettersOnly) {
  for (const UpperCase& c : kUpperCases) {
    SCOPED_TRACE(c.name);
    TextWithTail text = c.text;
    UpperCaseSjis(text.bytes);
    EXPECT_EQ(std::memcmp(text.bytes, c.expected.bytes, sizeof(text.bytes)), 0);
  }
}

TEST(StringsDiffer, ComparesWholeTextsByteForByte) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"", "", 0},        {"abc", "abc", 0}, {"abc", "abd", 1},
      {"abc", "ab", 1},   {"ab", "abc", 1},  {"\x95\x5C", "\x95\x5C", 0},
      {"\x95\x5C", "\x95\x5D", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(StringsDiffer(c.a, c.b), c.expected);
  }
}

TEST(StringCopyAndAppend, WriteTheTextAndOneNul) {
  char buffer[12];
  std::memset(buffer, '#', sizeof(buffer));
  StringCopy(buffer, "\x95\x5C" "a");
  EXPECT_EQ(std::memcmp(buffer, "\x95\x5C" "a\0#", 5), 0);

  StringAppend(buffer, "bc\\");
  EXPECT_EQ(std::memcmp(buffer, "\x95\x5C" "abc\\\0#", 8), 0);

  StringAppend(buffer, "");
  EXPECT_STREQ(buffer, "\x95\x5C" "abc\\");
}

struct LeadByteCase {
  unsigned char byte;
  int shift_jis;  // character sets other than 2
  int set_2;
};

const LeadByteCase kLeadByteCases[] = {
    {0x00, 0, 0}, {0x41, 0, 0}, {0x5C, 0, 0}, {0x7F, 0, 0}, {0x80, 0, 1},
    {0x81, 1, 1}, {0x9F, 1, 1}, {0xA0, 0, 1}, {0xB1, 0, 1}, {0xDF, 0, 1},
    {0xE0, 1, 1}, {0xFC, 1, 1}, {0xFD, 0, 1}, {0xFF, 0, 1},
};

TEST(IsLeadByte, ShiftJisRangesAndSetTwo) {
  for (const LeadByteCase& c : kLeadByteCases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    const char byte = static_cast<char>(c.byte);
    EXPECT_EQ(IsLeadByte(&byte, 0), c.shift_jis);
    EXPECT_EQ(IsLeadByte(&byte, 128), c.shift_jis);
    EXPECT_EQ(IsLeadByte(&byte, 2), c.set_2);
    EXPECT_EQ(IsSjisLeadByte(c.byte), c.shift_jis);
  }
}

// ---- Memory ----------------------------------------------------------------------

TEST(BytesDiffer, CountsOfZeroNegativeAndWithin) {
  struct Case {
    const char* name;
    const char* a;
    const char* b;
    int n;
    int expected;
  };
  const Case cases[] = {
      {"zero count", "abc", "xyz", 0, 0},
      {"negative count", "abc", "abc", -1, 1},
      {"equal", "abc", "abc", 3, 0},
      {"last byte differs", "abc", "abd", 3, 1},
      {"difference beyond the count", "abc", "abd", 2, 0},
      {"header name", "Content-Length: 42", "Content-Length:", 15, 0},
      {"header name, other case", "content-length: 42", "Content-Length:", 15, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BytesDifferA(c.a, c.b, c.n), c.expected);
    EXPECT_EQ(BytesDifferB(c.a, c.b, c.n), c.expected);
  }
}

struct MoveCase {
  const char* name;
  int destination;
  int source;
  int count;
  const char* expected;
};

const MoveCase kMoveCases[] = {
    {"ten bytes one place up", 1, 0, 10, "00123456789BC"},
    {"ten bytes one place down", 0, 1, 10, "123456789AABC"},
    {"far up, overlapping", 3, 0, 10, "0120123456789"},
    {"far down, overlapping", 0, 3, 10, "3456789ABCABC"},
    {"apart", 8, 0, 4, "012345670123C"},
    {"onto itself", 2, 2, 5, "0123456789ABC"},
    {"zero count", 1, 0, 0, "0123456789ABC"},
    {"negative count", 1, 0, -4, "0123456789ABC"},
};

TEST(MoveBytes, OverlappingRangesComeOutRightBothWays) {
  for (const MoveCase& c : kMoveCases) {
    SCOPED_TRACE(c.name);
    char buffer[] = "0123456789ABC";
    MoveBytes(buffer + c.destination, buffer + c.source, c.count);
    EXPECT_STREQ(buffer, c.expected);
  }
}

TEST(CopyBytes, CopiesFirstToLast) {
  const MoveCase cases[] = {
      // Overlapping upwards, the first bytes repeat.
      {"one place up", 1, 0, 10, "00000000000BC"},
      {"three places up", 3, 0, 6, "0120120129ABC"},
      {"one place down", 0, 1, 10, "123456789AABC"},
      {"apart", 8, 0, 4, "012345670123C"},
      {"negative count", 1, 0, -4, "0123456789ABC"},
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[] = "0123456789ABC";
    CopyBytes(buffer + c.destination, buffer + c.source, c.count);
    EXPECT_STREQ(buffer, c.expected);
  }
}

TEST(FillBytes, SetsExactlyTheCount) {
  char buffer[] = "0123456789";
  FillBytes(buffer + 2, 'x', 5);
  EXPECT_STREQ(buffer, "01xxxxx789");
  FillBytes(buffer, 0x7E, 0);
  FillBytes(buffer, 0x7E, -3);
  EXPECT_STREQ(buffer, "01xxxxx789");
  FillBytes(buffer, 0x17E, 1);  // only the low byte of the value counts
  EXPECT_EQ(buffer[0], 0x7E);
}

// ---- Math and numbers --------------------------------------------------------

TEST(AbsInt, IncludingTheMostNegativeValue) {
  const int cases[][2] = {{0, 0}, {5, 5}, {-5, 5}, {INT_MAX, INT_MAX}, {-INT_MAX, INT_MAX},
                          {INT_MIN, INT_MIN}};
  for (const auto& c : cases) EXPECT_EQ(AbsInt(c[0]), c[1]) << c[0];
}

TEST(FloatConversions, TruncateTowardsZero) {
  struct Case {
    double value;
    int expected;
  };
  // Exact in float and in double.
  const Case cases[] = {
      {0.0, 0},
      {1.75, 1},
      {-1.75, -1},
      {0.5, 0},
      {-0.5, 0},
      {2147483520.0, 2147483520},
      {-2147483648.0, INT_MIN},
      {3e9, INT_MIN},
      {-3e9, INT_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FloatToInt(static_cast<float>(c.value)), c.expected);
    EXPECT_EQ(DoubleToInt(c.value), c.expected);
  }
  EXPECT_EQ(FloatToInt(std::nanf("")), INT_MIN);
  EXPECT_EQ(FloatToInt(2147483648.0f), INT_MIN);
  EXPECT_EQ(DoubleToInt(std::nan("")), INT_MIN);
  EXPECT_EQ(DoubleToInt(2147483647.75), INT_MAX);
  EXPECT_EQ(DoubleToInt(-2147483648.75), INT_MIN);
  EXPECT_EQ(DoubleToInt(2147483648.0), INT_MIN);
}

TEST(FloatMath, AbsSqrtSinCos) {
  EXPECT_EQ(AbsFloat(-1.5f), 1.5);
  EXPECT_EQ(AbsFloat(0.1f), static_cast<double>(0.1f));  // widened, not rounded again
  EXPECT_EQ(SqrtFloat(6.25f), 2.5f);
  EXPECT_EQ(SqrtFloat(2.0f), std::sqrt(2.0f));

  float sine = -9.0f;
  float cosine = -9.0f;
  SinCosFloat(0.0f, &sine, &cosine);
  EXPECT_EQ(sine, 0.0f);
  EXPECT_EQ(cosine, 1.0f);
  SinCosFloat(static_cast<float>(M_PI / 6), &sine, &cosine);
  EXPECT_NEAR(sine, 0.5f, 1e-6f);
  EXPECT_NEAR(cosine, std::sqrt(3.0f) / 2, 1e-6f);
  SinCosFloat(static_cast<float>(-M_PI / 2), &sine, &cosine);
  EXPECT_NEAR(sine, -1.0f, 1e-6f);
  EXPECT_NEAR(cosine, 0.0f, 1e-6f);
}

struct ParseCase {
  const char* name;
  TextWithTail text;
  int expected;
};

const ParseCase kParseDecimalCases[] = {
    {"plain", {"123"}, 123},
    {"letters before", {"abc42x"}, 42},
    {"negative", {"-17"}, -17},
    {"minus after letters", {"x-5"}, -5},
    {"leading zeros", {"007"}, 7},
    {"stops at the first non-digit", {"12 34"}, 12},
    {"two-byte character before", {"\x82\x50" "5"}, 5},
    {"empty", {""}, -1},
    {"no digits", {"abc"}, -1},
    {"lone minus", {"-"}, 0},
    {"minus then a letter", {"-x5"}, 0},
    {"wraps past 32 bits", {"4294967297"}, 1},
    {"wraps to the most negative", {"2147483648"}, INT_MIN},
    {"the most negative", {"-2147483648"}, INT_MIN},
    {"digits behind the NUL are not read", {{'a', '\0', '7', '\0'}}, -1},
};

TEST(ParseDecimal, SkipsToTheNumberAndWraps) {
  for (const ParseCase& c : kParseDecimalCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseDecimal(c.text.bytes), c.expected);
  }
}

TEST(ParseDecimal, ReadsAtMost32Digits) {
  // 32 nines wrap to -1; a 33rd digit would make it -5.
  const std::string digits = std::string(32, '9') + "5";
  EXPECT_EQ(ParseDecimal(digits.c_str()), -1);
  EXPECT_EQ(ParseDecimal(("-" + digits).c_str()), 1);
}

const ParseCase kStatusCases[] = {
    {"status line", {"HTTP/1.1 200 OK"}, 200},
    {"not found", {"HTTP/1.1 404 NG"}, 404},
    {"header value", {"Length: 1234"}, 1234},
    {"no blank", {"HTTP/1.1"}, -1},
    {"nothing behind the blank", {"Status: abc"}, -1},
    {"digits before the blank are skipped", {"12 -3"}, -3},
    {"blank behind a lead byte before NUL", {{'a', '\x95', '\0', ' ', '5', '\0'}}, -1},
};

TEST(ParseStatusNumber, NumberBehindTheFirstBlank) {
  for (const ParseCase& c : kStatusCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseStatusNumber(c.text.bytes), c.expected);
  }
}

TEST(IntToText, RadixSignAndLimits) {
  struct Case {
    int value;
    int radix;
    const char* expected;
  };
  const Case cases[] = {
      {0, 10, "0"},
      {0, 16, "0"},
      {255, 16, "ff"},
      {-10, 10, "-10"},
      {5, 2, "101"},
      {35, 36, "z"},
      {-1, 2, "-1"},
      {INT_MAX, 10, "2147483647"},
      {INT_MIN, 10, "-2147483648"},
      {INT_MIN, 16, "-80000000"},
      {INT_MIN, 2, "-10000000000000000000000000000000"},
      {7, 1, ""},
      {7, 0, ""},
      {7, 37, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " radix " + std::to_string(c.radix));
    char buffer[40];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(IntToText(c.value, buffer, c.radix), buffer);
    EXPECT_STREQ(buffer, c.expected);
    // Nothing past the NUL.
    EXPECT_EQ(buffer[std::strlen(c.expected) + 1], '#');
  }
}

// ---- 128-bit multiply and divide -------------------------------------------

using Uint128 = unsigned __int128;

Uint128 WordsToWide(const uint32_t words[4]) {
  return (static_cast<Uint128>(words[3]) << 96) | (static_cast<Uint128>(words[2]) << 64) |
         (static_cast<Uint128>(words[1]) << 32) | words[0];
}

void WideToWords(Uint128 value, uint32_t words[4]) {
  for (int i = 0; i < 4; ++i) words[i] = static_cast<uint32_t>(value >> (32 * i));
}

// A fixed stream of 64-bit values (splitmix64) with every bit length.
struct ValueStream {
  uint64_t state = 0x243F6A8885A308D3u;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    // Vary the length so small and large operands both come up.
    return z >> (z % 64);
  }
};

TEST(Mul64By64, LargestByItself) {
  uint32_t product[4];
  Mul64By64(UINT64_MAX, UINT64_MAX, product);
  EXPECT_EQ(product[0], 1u);
  EXPECT_EQ(product[1], 0u);
  EXPECT_EQ(product[2], 0xFFFFFFFEu);
  EXPECT_EQ(product[3], 0xFFFFFFFFu);
}

TEST(Mul64By64, MatchesWideMultiplication) {
  const uint64_t edges[] = {0, 1, 2, 0xFFFFFFFFu, 0x100000000u, 0x1FFFFFFFFu, 1000000,
                            0x8000000000000000u, UINT64_MAX - 1, UINT64_MAX};
  auto check = [](uint64_t a, uint64_t b) {
    uint32_t product[4];
    Mul64By64(a, b, product);
    ASSERT_EQ(WordsToWide(product), static_cast<Uint128>(a) * b) << a << " x " << b;
  };
  for (uint64_t a : edges) {
    for (uint64_t b : edges) check(a, b);
  }
  ValueStream values;
  for (int i = 0; i < 20000; ++i) check(values.Next(), values.Next());
}

TEST(Div128By64, MatchesWideDivision) {
  struct Case {
    Uint128 numerator;
    uint64_t divisor;
  };
  const Uint128 all_ones = ~static_cast<Uint128>(0);
  const Case cases[] = {
      {0, 1},
      {5, 7},  // below the divisor
      {7, 7},
      {all_ones, 1},  // quotient wider than 64 bits: its low half
      {all_ones, 3},
      {all_ones, UINT64_MAX},
      {static_cast<Uint128>(1) << 127, 1},
      {static_cast<Uint128>(1) << 127, 0x8000000000000000u},
      {(static_cast<Uint128>(1) << 127) + 12345, 2},
      {static_cast<Uint128>(UINT64_MAX) * UINT64_MAX, UINT64_MAX},
      {static_cast<Uint128>(123456789012345678u) * 1000000, 3000000000u},
  };
  for (const Case& c : cases) {
    uint32_t numerator[4];
    WideToWords(c.numerator, numerator);
    uint64_t quotient = 0xDEADu;
    Div128By64(numerator, c.divisor, &quotient);
    EXPECT_EQ(quotient, static_cast<uint64_t>(c.numerator / c.divisor))
        << static_cast<uint64_t>(c.numerator >> 64) << ":" << static_cast<uint64_t>(c.numerator)
        << " / " << c.divisor;
  }

  ValueStream values;
  for (int i = 0; i < 20000; ++i) {
    const Uint128 numerator_value = (static_cast<Uint128>(values.Next()) << 64) | values.Next();
    const uint64_t divisor = values.Next() | 1;
    uint32_t numerator[4];
    WideToWords(numerator_value, numerator);
    uint64_t quotient = 0;
    Div128By64(numerator, divisor, &quotient);
    ASSERT_EQ(quotient, static_cast<uint64_t>(numerator_value / divisor)) << i;
  }
}

TEST(Div128By64, ZeroDivisorGivesZero) {
  const uint32_t numerator[4] = {1, 2, 3, 4};
  uint64_t quotient = 0xDEADu;
  Div128By64(numerator, 0, &quotient);
  EXPECT_EQ(quotient, 0u);
}

// ---- Clocks ----------------------------------------------------------------------

NullClock& VirtualClock() { return dynamic_cast<NullClock&>(CurrentHost().Clock()); }

uint64_t g_time_stamp_reading = 0;
uint64_t FixedTimeStamp() { return g_time_stamp_reading; }

// Starts each test from the clock state before start-up (other tests may
// have made a window, which measures the counters), sets it as start-up would
// where a test asks, and puts the process's state back afterwards.
class ClockStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_frequency_ = PerformanceCounterFrequency;
    saved_counter_usable_ = PerformanceCounterUsable;
    saved_ticks_ = TimeStampTicksPerSecond;
    saved_stamp_usable_ = TimeStampCounterUsable;
    saved_running_ = LibraryRunningFlag;
    saved_reader_ = ReadTimeStampCounter;
    PerformanceCounterFrequency = 0;
    PerformanceCounterUsable = 0;
    TimeStampTicksPerSecond = 0;
    TimeStampCounterUsable = 0;
    LibraryRunningFlag = 0;
  }
  void TearDown() override {
    PerformanceCounterFrequency = saved_frequency_;
    PerformanceCounterUsable = saved_counter_usable_;
    TimeStampTicksPerSecond = saved_ticks_;
    TimeStampCounterUsable = saved_stamp_usable_;
    LibraryRunningFlag = saved_running_;
    ReadTimeStampCounter = saved_reader_;
  }
  void UsePerformanceCounter(int64_t frequency) {
    PerformanceCounterFrequency = frequency;
    PerformanceCounterUsable = 1;
  }

 private:
  int64_t saved_frequency_ = 0;
  int saved_counter_usable_ = 0;
  uint64_t saved_ticks_ = 0;
  int saved_stamp_usable_ = 0;
  int saved_running_ = 0;
  uint64_t (*saved_reader_)() = nullptr;
};

TEST_F(ClockStateTest, BeforeStartUpTheMillisecondClockIsUsed) {
  EXPECT_EQ(PerformanceCounterUsable, 0);
  EXPECT_EQ(TimeStampCounterUsable, 0);
  EXPECT_EQ(LibraryRunningFlag, 0);
  for (int flag : {0, 1}) {
    const int64_t now = GetTimeMicroseconds(flag);
    // The read is the clock's last move.
    EXPECT_EQ(static_cast<uint64_t>(now), VirtualClock().Peek() / 1000 * 1000);
  }
}

TEST_F(ClockStateTest, PerformanceCounterFollowsTheVirtualClock) {
  UsePerformanceCounter(1000000);
  const int64_t before = GetTimeMicroseconds(0);
  EXPECT_EQ(static_cast<uint64_t>(before), VirtualClock().Peek());
  Sleep(250);
  const int64_t after = GetTimeMicroseconds(0);
  EXPECT_EQ(static_cast<uint64_t>(after), VirtualClock().Peek());
  EXPECT_GE(after - before, 250000);
  EXPECT_LT(after - before, 251000);
}

TEST_F(ClockStateTest, PerformanceCounterIsScaledByItsFrequency) {
  // The platform's counter counts microseconds; at a pretended 3 MHz every
  // count is a third of a microsecond.
  UsePerformanceCounter(3000000);
  const int64_t now = GetTimeMicroseconds(0);
  EXPECT_EQ(static_cast<uint64_t>(now), VirtualClock().Peek() / 3);
}

TEST_F(ClockStateTest, TimeStampRoadNeedsFlagCounterAndRunningLibrary) {
  UsePerformanceCounter(1000000);
  // Ticks x 1000000 does not fit 64 bits.
  g_time_stamp_reading = (uint64_t{1} << 62) + 12345;
  ReadTimeStampCounter = FixedTimeStamp;
  TimeStampTicksPerSecond = 3000000000u;
  const uint64_t from_time_stamp =
      static_cast<uint64_t>(static_cast<Uint128>(g_time_stamp_reading) * 1000000 / 3000000000u);

  struct Case {
    int flag;
    int usable;
    int running;
    bool time_stamp;
  };
  const Case cases[] = {
      {1, 1, 1, true},   {0, 1, 1, false}, {1, 0, 1, false},
      {1, 1, 0, false},  {2, 1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flag " << c.flag << " usable " << c.usable
                                    << " running " << c.running);
    TimeStampCounterUsable = c.usable;
    LibraryRunningFlag = c.running;
    const int64_t now = GetTimeMicroseconds(c.flag);
    if (c.time_stamp) {
      EXPECT_EQ(static_cast<uint64_t>(now), from_time_stamp);
    } else {
      EXPECT_EQ(static_cast<uint64_t>(now), VirtualClock().Peek());
    }
  }
}

// ---- Local date and time --------------------------------------------------------

TEST(LocalDateTime, NowHasSixPlausibleParts) {
  int parts[6] = {-1, -1, -1, -1, -1, -1};
  GetLocalDateTime(&parts[0], &parts[1], &parts[2], &parts[3], &parts[4], &parts[5]);
  EXPECT_GE(parts[0], 2020);
  EXPECT_GE(parts[1], 1);
  EXPECT_LE(parts[1], 12);
  EXPECT_GE(parts[2], 1);
  EXPECT_LE(parts[2], 31);
  EXPECT_GE(parts[3], 0);
  EXPECT_LE(parts[3], 23);
  EXPECT_GE(parts[4], 0);
  EXPECT_LE(parts[4], 59);
  EXPECT_GE(parts[5], 0);
  EXPECT_LE(parts[5], 60);
}

TEST(LocalDateTime, FileTimeInLocalParts) {
  // 2004-02-29 12:34:56 UTC in 100 ns steps since 1601.
  const uint64_t seconds_1601_to_1970 = 11644473600u;
  const uint64_t unix_seconds = 1078058096u;
  const uint64_t ticks = (seconds_1601_to_1970 + unix_seconds) * 10000000u;
  const FILETIME file_time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};

  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  FileTimeToLocalParts(&file_time, &year, &month, &day, &hour, &minute, &second);
  EXPECT_EQ(year, 2004);
  EXPECT_EQ(second, 56);
  // Whatever the local zone, it lies a whole number of quarter hours from UTC,
  // between -12 and +14 hours: the 28th, the 29th or the 1st of March.
  ASSERT_TRUE((month == 2 && (day == 28 || day == 29)) || (month == 3 && day == 1))
      << month << "-" << day;
  const int day_offset = month == 3 ? 1 : day - 29;
  const int offset_minutes = day_offset * 1440 + hour * 60 + minute - (12 * 60 + 34);
  EXPECT_EQ(offset_minutes % 15, 0);
  EXPECT_GE(offset_minutes, -12 * 60);
  EXPECT_LE(offset_minutes, 14 * 60);
}

TEST(LocalDateTime, NoFileTimeGivesZeros) {
  int parts[6] = {7, 7, 7, 7, 7, 7};
  FileTimeToLocalParts(nullptr, &parts[0], &parts[1], &parts[2], &parts[3], &parts[4], &parts[5]);
  for (int part : parts) EXPECT_EQ(part, 0);
}

}  // namespace
