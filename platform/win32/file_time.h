// Conversions between the file system's times and FILETIME, shared by the
// file and time stand-ins.
#pragma once

#include <cstdint>

#include "platform/win32/kernel.h"

// Seconds and nanoseconds since 1970-01-01 UTC as a FILETIME (100 ns units
// since 1601-01-01 UTC); moments before 1601 become 0.
FILETIME FileTimeFromUnixTime(int64_t seconds, uint32_t nanoseconds);
