// Library start-up and shut-down.
#pragma once

#include <cstdint>

// 1 while library start-up runs.
extern int32_t InitRunningFlag;
// The system's version: 0x107 Windows XP, 0x108 Windows Vista (others as
// library start-up reads them).
extern int32_t OsVersionCode;

// Logs `message`, ends the library and ends the process with exit code -1.
[[noreturn]] void FatalExit(const char* message);
