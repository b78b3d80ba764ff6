// What library start-up learns of the system: the system's version, the
// processor and its speed. LogSystemInfo reads and logs it all.
#pragma once

#include <cstdint>

// The system's version: 0 Win32s, 1 Windows 95, 2 Windows 98, 3 Windows Me,
// 0x104 NT 3.51, 0x105 NT 4.0, 0x106 2000, 0x107 XP, 0x108 Vista.
extern int32_t OsVersionCode;
// "<name> ( Build <number> <service text> )".
constexpr int kOsDescriptionBytes = 256;
extern char OsDescription[kOsDescriptionBytes];
// Taken as 7.0.
extern int32_t DirectXVersion;
// 1 when the processor's packed integer (MMX) instructions may be used. The
// 5-6-5 / 5-5-5 conversion loops then take four pixels a step (with the same
// arithmetic as one at a time), and the screen start copies it to its
// software blits.
extern int32_t MmxUsableFlag;
// The processor's speed, measured on its time-stamp counter (0 without one).
extern int32_t CpuSpeedMHz;
// The processor's brand text, empty when it gives none.
constexpr int kCpuNameBytes = 49;
extern char CpuName[kCpuNameBytes];

// Reads the system version, the processor and its speed, sets the timer
// resolution to the finest period and writes it all to the log. 0.
int LogSystemInfo();

// MmxUsableFlag: 1 when the MMX instructions may be used, else 0.
int32_t IsMmxUsable();
// The system's description (OsDescription), as LogSystemInfo read it; empty
// before that.
const char* GetSystemInfoRecord();
