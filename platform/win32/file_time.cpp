// Local time and FILETIME conversions.
#include "platform/win32/file_time.h"

#include "platform/win32/files_posix.h"

namespace {

constexpr int64_t kTicksPerSecond = 10000000;  // FILETIME counts 100 ns
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11644473600;
// FILETIME values from this one on are refused, as their sign bit is set.
constexpr uint64_t kFileTimeLimit = 0x8000000000000000ull;

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Year, month (1 to 12) and day of the day `days` after 1601-01-01
// (proleptic Gregorian calendar).
void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  // Count from 0000-03-01 so that the leap day ends each 400-year era.
  days += 584694;  // days from 0000-03-01 to 1601-01-01
  const int64_t era = days / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t shifted_month = (5 * day_of_year + 2) / 153;  // 0 = March
  *day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  *month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  *year = static_cast<int>(year_of_era + era * 400 + (*month <= 2 ? 1 : 0));
}

}  // namespace

FILETIME FileTimeFromUnixTime(int64_t seconds, uint32_t nanoseconds) {
  if (seconds < -kUnixEpochSeconds) return FILETIME{0, 0};
  const uint64_t ticks = static_cast<uint64_t>(seconds + kUnixEpochSeconds) * kTicksPerSecond +
                         nanoseconds / 100;
  return FromTicks(ticks);
}

void GetLocalTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  int64_t seconds;
  uint32_t nanoseconds;
  PosixNow(&seconds, &nanoseconds);
  PosixLocalParts parts;
  if (!PosixLocalTime(seconds, &parts)) {
    *time = SYSTEMTIME{};
    return;
  }
  time->wYear = static_cast<WORD>(parts.year);
  time->wMonth = static_cast<WORD>(parts.month);
  time->wDayOfWeek = static_cast<WORD>(parts.day_of_week);
  time->wDay = static_cast<WORD>(parts.day);
  time->wHour = static_cast<WORD>(parts.hour);
  time->wMinute = static_cast<WORD>(parts.minute);
  time->wSecond = static_cast<WORD>(parts.second);
  time->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

// The local time's offset is the one in force at that moment (so a summer
// date converted in winter still gets its summer offset).
BOOL FileTimeToLocalFileTime(const FILETIME* file_time, FILETIME* local_file_time) {
  if (file_time == nullptr || local_file_time == nullptr) return FALSE;
  const uint64_t ticks = Ticks(*file_time);
  if (ticks >= kFileTimeLimit) return FALSE;
  const int64_t unix_seconds = static_cast<int64_t>(ticks / kTicksPerSecond) - kUnixEpochSeconds;
  PosixLocalParts parts;
  if (!PosixLocalTime(unix_seconds, &parts)) return FALSE;
  const int64_t local = static_cast<int64_t>(ticks) + parts.utc_offset_seconds * kTicksPerSecond;
  if (local < 0 || static_cast<uint64_t>(local) >= kFileTimeLimit) return FALSE;
  *local_file_time = FromTicks(static_cast<uint64_t>(local));
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* system_time) {
  if (file_time == nullptr || system_time == nullptr) return FALSE;
  const uint64_t ticks = Ticks(*file_time);
  if (ticks >= kFileTimeLimit) return FALSE;
  const int64_t seconds = static_cast<int64_t>(ticks / kTicksPerSecond);
  const int64_t days = seconds / 86400;
  const int64_t second_of_day = seconds % 86400;
  int year, month, day;
  CivilFromDays(days, &year, &month, &day);
  system_time->wYear = static_cast<WORD>(year);
  system_time->wMonth = static_cast<WORD>(month);
  system_time->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  system_time->wDay = static_cast<WORD>(day);
  system_time->wHour = static_cast<WORD>(second_of_day / 3600);
  system_time->wMinute = static_cast<WORD>(second_of_day / 60 % 60);
  system_time->wSecond = static_cast<WORD>(second_of_day % 60);
  system_time->wMilliseconds = static_cast<WORD>(ticks / 10000 % 1000);
  return TRUE;
}
