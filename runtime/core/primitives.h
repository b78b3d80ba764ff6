// The runtime's own byte-string, memory, number-conversion, math and clock
// routines. The string routines know Shift-JIS: where they walk a text they
// step over two-byte characters (lead bytes 0x81 to 0x9F and 0xE0 to 0xFC), so
// a trail byte is never taken for a character of its own. A lead byte right
// before the terminating NUL ends the text: no walker steps over the NUL.
#pragma once

#include <cstdint>

#include "platform/win32/kernel.h"

// ---- Clock state, filled by library start-up --------------------------------
// Until start-up fills them everything is unusable, so GetTimeMicroseconds
// takes the millisecond clock.

// Ticks per second of the performance counter, and 1 when it is usable.
extern int64_t PerformanceCounterFrequency;
extern int PerformanceCounterUsable;
// Ticks per second of the processor's time-stamp counter, and 1 when it is
// usable.
extern uint64_t TimeStampTicksPerSecond;
extern int TimeStampCounterUsable;
// 1 from late in library start-up until shut-down begins.
extern int LibraryRunningFlag;
// Reads the processor's time-stamp counter. Replaceable so the time-stamp road
// of GetTimeMicroseconds can be driven from a known counter.
extern uint64_t (*ReadTimeStampCounter)();

// ---- Strings -----------------------------------------------------------------

// 1 when `byte` is a Shift-JIS lead byte (0x81 to 0x9F, 0xE0 to 0xFC).
inline int IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// 1 when `byte` can follow a lead byte as a Shift-JIS trail byte (0x40 to
// 0x7E, 0x80 to 0xFC).
inline int IsSjisTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Copies `source` with its NUL to `destination`, which must have room for it.
void StringCopy(char* destination, const char* source);
// Copies `source` with its NUL behind the text of `destination`, which must
// have room for both.
void StringAppend(char* destination, const char* source);
// The address of the first single-byte character equal to `byte`, stepping
// over two-byte characters; null when the text ends first (a NUL is never
// found: it is the end, not a character).
const char* FindByteSjis(const char* text, int byte);
inline char* FindByteSjis(char* text, int byte) {
  return const_cast<char*>(FindByteSjis(static_cast<const char*>(text), byte));
}
// 0 when the two texts are equal byte for byte, else 1.
int StringsDiffer(const char* a, const char* b);
// Turns a to z into A to Z in place; two-byte characters are left unchanged.
void UpperCaseSjis(char* text);

// ---- Memory ------------------------------------------------------------------

// 0 when the first `n` bytes are equal, else 1. An `n` of 0 gives 0; a
// negative `n` gives 1.
int BytesDifferA(const void* a, const void* b, int n);
// 0 when the first `n` bytes are equal (an `n` of 0 included), else 1. A
// negative `n` compares nothing and gives 1, as BytesDifferA does.
int BytesDifferB(const void* a, const void* b, int n);
// Sets `n` bytes to `value`. A count of 0 or less does nothing (as for the
// two copies below).
void FillBytes(void* destination, int value, int n);
// Copies `n` bytes, first to last (so an overlapping destination above the
// source repeats the source's first bytes).
void CopyBytes(void* destination, const void* source, int n);
// Copies `n` bytes so that overlapping ranges come out right: last to first
// when the source lies below the destination; nothing when they are the same.
void MoveBytes(void* destination, const void* source, int n);

// ---- Math and numbers --------------------------------------------------------

// Sine and cosine of `angle` (radians).
void SinCosFloat(float angle, float* sine, float* cosine);
// The absolute value; the most negative int stays as it is.
int AbsInt(int value);
double AbsFloat(float value);
// Truncated towards 0. A value outside the int range (or NaN) gives INT32_MIN,
// as the processor's conversion does.
int FloatToInt(float value);
int DoubleToInt(double value);
float SqrtFloat(float value);

// Skips bytes up to the first digit or minus sign (-1 when the text ends
// first), then reads an optionally negative decimal number of at most 32
// digits in 32-bit arithmetic that wraps. A minus sign without digits gives 0.
int ParseDecimal(const char* text);
// Writes `value` in `radix` (2 to 36; lower-case letters above 9), with a
// minus sign when negative, and a NUL; returns `buffer`. 34 bytes always
// suffice. Another radix writes an empty text.
char* IntToText(int value, char* buffer, int radix);
// ParseDecimal from the text's first blank on; -1 when it has no blank.
int ParseStatusNumber(const char* text);

// The full 128-bit product of `a` and `b` as four 32-bit words, lowest first.
void Mul64By64(uint64_t a, uint64_t b, uint32_t product[4]);
// The low 64 bits of `numerator` (four 32-bit words, lowest first) divided by
// `divisor`, by shift-and-subtract long division. A divisor of 0 gives 0.
void Div128By64(const uint32_t numerator[4], uint64_t divisor, uint64_t* quotient);

// ---- Time ------------------------------------------------------------------------

// Microseconds: from the time-stamp counter when `use_time_stamp` is 1, the
// counter is usable and the library runs; else from the performance counter
// when it is usable; else the millisecond clock x 1000.
int64_t GetTimeMicroseconds(int use_time_stamp);
// The local date and time now.
void GetLocalDateTime(int* year, int* month, int* day, int* hour, int* minute, int* second);
// The same six values of a file time (UTC), in local time. All six are 0 when
// the time cannot be converted.
void FileTimeToLocalParts(const FILETIME* file_time, int* year, int* month, int* day, int* hour,
                          int* minute, int* second);
