// The runtime's own byte-string, memory, number-conversion, math and clock routines.
#include "runtime/core/primitives.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"

static uint64_t ReadProcessorTimeStamp() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_ia32_rdtsc();
#else
  return 0;
#endif
}

// An unsigned 128-bit number as two 64-bit halves, for the long division.
struct Uint128Halves {
  uint64_t high;
  uint64_t low;
};

static bool WideLessOrEqual(const Uint128Halves& a, const Uint128Halves& b) {
  return a.high < b.high || (a.high == b.high && a.low <= b.low);
}

static Uint128Halves WideShiftLeftOne(const Uint128Halves& a) {
  return {(a.high << 1) | (a.low >> 63), a.low << 1};
}

static Uint128Halves WideShiftRightOne(const Uint128Halves& a) {
  return {a.high >> 1, (a.low >> 1) | (a.high << 63)};
}

static Uint128Halves WideSubtract(const Uint128Halves& a, const Uint128Halves& b) {
  const uint64_t low = a.low - b.low;
  const uint64_t borrow = a.low < b.low ? 1 : 0;
  return {a.high - b.high - borrow, low};
}

// ticks x 1000000 / ticks_per_second without losing the product's high bits.
static int64_t TicksToMicroseconds(uint64_t ticks, uint64_t ticks_per_second) {
  uint32_t product[4];
  Mul64By64(ticks, 1000000, product);
  uint64_t quotient = 0;
  Div128By64(product, ticks_per_second, &quotient);
  return static_cast<int64_t>(quotient);
}

int64_t PerformanceCounterFrequency = 0;
int PerformanceCounterUsable = 0;
uint64_t TimeStampTicksPerSecond = 0;
int TimeStampCounterUsable = 0;
int LibraryRunningFlag = 0;
uint64_t (*ReadTimeStampCounter)() = ReadProcessorTimeStamp;

// ---- Strings -----------------------------------------------------------------

void StringCopy(char* destination, const char* source) {
  while ((*destination++ = *source++) != '\0') {
  }
}

void StringAppend(char* destination, const char* source) {
  while (*destination != '\0') ++destination;
  StringCopy(destination, source);
}

const char* FindByteSjis(const char* text, int byte) {
  const unsigned char wanted = static_cast<unsigned char>(byte);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    if (IsSjisLeadByte(*p)) {
      // A lead byte with no trail byte before the NUL ends the text.
      if (p[1] == 0) return nullptr;
      p += 2;
      continue;
    }
    if (*p == wanted) return reinterpret_cast<const char*>(p);
    ++p;
  }
  return nullptr;
}

int StringsDiffer(const char* a, const char* b) { return std::strcmp(a, b) == 0 ? 0 : 1; }

void UpperCaseSjis(char* text) {
  unsigned char* p = reinterpret_cast<unsigned char*>(text);
  while (*p != 0) {
    if (IsSjisLeadByte(*p)) {
      if (p[1] == 0) return;
      p += 2;
      continue;
    }
    if (*p >= 'a' && *p <= 'z') *p = static_cast<unsigned char>(*p - 'a' + 'A');
    ++p;
  }
}

// ---- Memory ------------------------------------------------------------------

int BytesDifferA(const void* a, const void* b, int n) {
  if (n < 0) return 1;
  if (n == 0) return 0;
  return std::memcmp(a, b, static_cast<size_t>(n)) == 0 ? 0 : 1;
}

int BytesDifferB(const void* a, const void* b, int n) { return BytesDifferA(a, b, n); }

void FillBytes(void* destination, int value, int n) {
  if (n <= 0) return;
  std::memset(destination, value, static_cast<size_t>(n));
}

void CopyBytes(void* destination, const void* source, int n) {
  if (n <= 0) return;
  unsigned char* to = static_cast<unsigned char*>(destination);
  const unsigned char* from = static_cast<const unsigned char*>(source);
  const uintptr_t to_address = reinterpret_cast<uintptr_t>(to);
  const uintptr_t from_address = reinterpret_cast<uintptr_t>(from);
  const size_t count = static_cast<size_t>(n);
  if (to_address + count <= from_address || from_address + count <= to_address) {
    std::memcpy(to, from, count);
    return;
  }
  // Overlapping: byte by byte, first to last.
  for (size_t i = 0; i < count; ++i) to[i] = from[i];
}

void MoveBytes(void* destination, const void* source, int n) {
  if (n <= 0 || destination == source) return;
  // memmove copies last to first exactly when the source lies below the
  // destination and the ranges overlap.
  std::memmove(destination, source, static_cast<size_t>(n));
}

// ---- Math and numbers --------------------------------------------------------

void SinCosFloat(float angle, float* sine, float* cosine) {
  *sine = static_cast<float>(std::sin(static_cast<double>(angle)));
  *cosine = static_cast<float>(std::cos(static_cast<double>(angle)));
}

int AbsInt(int value) {
  // Through unsigned, so the most negative value comes back unchanged
  // instead of overflowing.
  return value < 0 ? static_cast<int>(0u - static_cast<unsigned>(value)) : value;
}

double AbsFloat(float value) { return std::fabs(static_cast<double>(value)); }

bool FloatFitsInt(float value) { return value >= -2147483648.0f && value < 2147483648.0f; }

int FloatToInt(float value) {
  if (!FloatFitsInt(value)) return INT32_MIN;
  return static_cast<int>(value);
}

int DoubleToInt(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
  return static_cast<int>(value);
}

float SqrtFloat(float value) { return std::sqrt(value); }

int ParseDecimal(const char* text) {
  const char* p = text;
  while (*p != '\0' && *p != '-' && !(*p >= '0' && *p <= '9')) ++p;
  if (*p == '\0') return -1;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  constexpr int kMaxDigits = 32;
  uint32_t value = 0;
  for (int digits = 0; digits < kMaxDigits && *p >= '0' && *p <= '9'; ++digits, ++p) {
    value = value * 10u + static_cast<uint32_t>(*p - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

char* IntToText(int value, char* buffer, int radix) {
  char* out = buffer;
  if (radix < 2 || radix > 36) {
    *out = '\0';
    return buffer;
  }
  if (value == 0) {
    out[0] = '0';
    out[1] = '\0';
    return buffer;
  }
  // The magnitude as unsigned, so the most negative value has one too.
  uint32_t magnitude = static_cast<uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    magnitude = 0u - magnitude;
  }
  char reversed[32];
  int count = 0;
  const uint32_t base = static_cast<uint32_t>(radix);
  while (magnitude != 0) {
    const uint32_t digit = magnitude % base;
    reversed[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
    magnitude /= base;
  }
  while (count > 0) *out++ = reversed[--count];
  *out = '\0';
  return buffer;
}

int ParseStatusNumber(const char* text) {
  const char* blank = FindByteSjis(text, ' ');
  if (blank == nullptr) return -1;
  return ParseDecimal(blank);
}

void Mul64By64(uint64_t a, uint64_t b, uint32_t product[4]) {
  const uint64_t a_low = a & 0xFFFFFFFFu;
  const uint64_t a_high = a >> 32;
  const uint64_t b_low = b & 0xFFFFFFFFu;
  const uint64_t b_high = b >> 32;

  const uint64_t low_low = a_low * b_low;
  const uint64_t low_high = a_low * b_high;
  const uint64_t high_low = a_high * b_low;
  const uint64_t high_high = a_high * b_high;

  // Each term below 2^32, so their sum fits.
  const uint64_t middle = (low_low >> 32) + (low_high & 0xFFFFFFFFu) + (high_low & 0xFFFFFFFFu);
  // The whole product is below 2^128, so its upper half fits in 64 bits.
  const uint64_t upper = high_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32);

  product[0] = static_cast<uint32_t>(low_low);
  product[1] = static_cast<uint32_t>(middle);
  product[2] = static_cast<uint32_t>(upper);
  product[3] = static_cast<uint32_t>(upper >> 32);
}

void Div128By64(const uint32_t numerator[4], uint64_t divisor, uint64_t* quotient) {
  if (divisor == 0) {
    *quotient = 0;
    return;
  }
  Uint128Halves remainder{(static_cast<uint64_t>(numerator[3]) << 32) | numerator[2],
                 (static_cast<uint64_t>(numerator[1]) << 32) | numerator[0]};
  Uint128Halves shifted{0, divisor};
  int shift = 0;
  // Shift the divisor up until it exceeds the remainder (or would leave the
  // 128 bits).
  while (WideLessOrEqual(shifted, remainder) && (shifted.high >> 63) == 0) {
    shifted = WideShiftLeftOne(shifted);
    ++shift;
  }
  Uint128Halves result{0, 0};
  for (int bit = shift; bit >= 0; --bit) {
    if (WideLessOrEqual(shifted, remainder)) {
      remainder = WideSubtract(remainder, shifted);
      if (bit >= 64) {
        result.high |= uint64_t{1} << (bit - 64);
      } else {
        result.low |= uint64_t{1} << bit;
      }
    }
    shifted = WideShiftRightOne(shifted);
  }
  *quotient = result.low;
}

// ---- Time ------------------------------------------------------------------------

int64_t GetTimeMicroseconds(int use_time_stamp) {
  if (use_time_stamp == 1 && TimeStampCounterUsable != 0 && LibraryRunningFlag != 0) {
    return TicksToMicroseconds(ReadTimeStampCounter(), TimeStampTicksPerSecond);
  }
  if (PerformanceCounterUsable == 0) return static_cast<int64_t>(timeGetTime()) * 1000;
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return TicksToMicroseconds(static_cast<uint64_t>(count.QuadPart),
                             static_cast<uint64_t>(PerformanceCounterFrequency));
}

static void SplitSystemTime(const SYSTEMTIME& time, int* year, int* month, int* day, int* hour,
                     int* minute, int* second) {
  *year = time.wYear;
  *month = time.wMonth;
  *day = time.wDay;
  *hour = time.wHour;
  *minute = time.wMinute;
  *second = time.wSecond;
}

void GetLocalDateTime(int* year, int* month, int* day, int* hour, int* minute, int* second) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  SplitSystemTime(now, year, month, day, hour, minute, second);
}

void FileTimeToLocalParts(const FILETIME* file_time, int* year, int* month, int* day, int* hour,
                          int* minute, int* second) {
  FILETIME local;
  SYSTEMTIME parts{};
  if (file_time == nullptr || !FileTimeToLocalFileTime(file_time, &local) ||
      !FileTimeToSystemTime(&local, &parts)) {
    parts = SYSTEMTIME{};
  }
  SplitSystemTime(parts, year, month, day, hour, minute, second);
}
