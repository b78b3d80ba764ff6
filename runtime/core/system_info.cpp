// The system information: version, processor identification and speed.
#include "runtime/core/system_info.h"

#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/format.h"
#include "runtime/core/log.h"
#include "runtime/core/primitives.h"

int32_t OsVersionCode = 0x107;
char OsDescription[kOsDescriptionBytes] = {};
int32_t DirectXVersion = 0;
int32_t MmxUsableFlag = 0;
int32_t CpuSpeedMHz = 0;
char CpuName[kCpuNameBytes] = {};

namespace {

constexpr const char* kLibraryVersion = "2.24c";
// The time-stamp counter is counted over at least this many milliseconds.
constexpr uint32_t kCpuMeasureMilliseconds = 100;

// The system's name ("Windows" and its edition) and OsVersionCode.
void ReadSystemVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  GetVersionExA(&info);
  char name[64] = "Windows";
  const char* service = info.szCSDVersion;
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      StringAppend(name, "3.1");
      OsVersionCode = 0;
      break;
    case VER_PLATFORM_WIN32_WINDOWS:
      if (info.dwMinorVersion == 0) {
        StringAppend(name, "95");
        if (service[0] == 'C') StringAppend(name, "OSR2");
        OsVersionCode = 1;
      } else if (info.dwMinorVersion == 10) {
        StringAppend(name, "98");
        if (service[0] == 'A') StringAppend(name, "SE");
        OsVersionCode = 2;
      } else if (info.dwMinorVersion == 90) {
        StringAppend(name, "Me");
        OsVersionCode = 3;
      }
      break;
    case VER_PLATFORM_WIN32_NT:
      if (info.dwMajorVersion == 3) {
        StringAppend(name, "NT 3.51");
        OsVersionCode = 0x104;
      } else if (info.dwMajorVersion == 4) {
        StringAppend(name, "4.0");
        OsVersionCode = 0x105;
      } else if (info.dwMajorVersion == 5 && info.dwMinorVersion == 0) {
        StringAppend(name, "2000");
        OsVersionCode = 0x106;
      } else if (info.dwMajorVersion == 5 && info.dwMinorVersion == 1) {
        StringAppend(name, "XP");
        OsVersionCode = 0x107;
      } else if (info.dwMajorVersion == 6) {
        StringAppend(name, "Vista");
        OsVersionCode = 0x108;
      }
      break;
    default:
      break;
  }
  FormatToBufferVarargs(OsDescription, sizeof(OsDescription), "%s ( Build %d %s )", name,
                static_cast<int>(info.dwBuildNumber), service);
  LogPrintf("%s", OsDescription);
}

// Counts the time-stamp counter's ticks over at least 100 ms of the
// millisecond clock and derives the speed from them.
void MeasureCpuSpeed() {
  const uint32_t start_time = timeGetTime();
  const uint64_t start_ticks = ReadTimeStampCounter();
  while (timeGetTime() - start_time < kCpuMeasureMilliseconds) {
  }
  const uint64_t ticks = ReadTimeStampCounter() - start_ticks;
  CpuSpeedMHz = static_cast<int32_t>(static_cast<double>(ticks) * 0.00001);
  TimeStampTicksPerSecond = ticks * 10;
  LogPrintf("ＣＰＵ動作速度：大体%.2fGHz", CpuSpeedMHz * 0.001);
}

}  // namespace

int LogSystemInfo() {
  LogAdd("システムの情報を出力します\n");
  IncreaseLogIndent();
  LogPrintf("ザーネル Ver%s", kLibraryVersion);
  LogAdd("ＯＳ  ");
  ReadSystemVersion();

  DirectXVersion = 0x70000;
  TIMECAPS caps{};
  timeGetDevCaps(&caps, sizeof(caps));
  timeBeginPeriod(caps.wPeriodMin);

  CPU_IDENTIFICATION cpu{};
  GetCpuIdentification(&cpu);
  CpuName[0] = '\0';
  if (cpu.present) {
    TimeStampCounterUsable = (cpu.features & CPU_FEATURE_TSC) != 0 ? 1 : 0;
    MmxUsableFlag = (cpu.features & CPU_FEATURE_MMX) != 0 ? 1 : 0;
    if (TimeStampCounterUsable) MeasureCpuSpeed();
    if (MmxUsableFlag) {
      LogAdd("ＭＭＸ命令を使用します\n");
    } else {
      LogAdd("ＭＭＸは使えません\n");
    }
    LogAdd("ＣＰＵベンダ：");
    char vendor[13] = {};
    for (int i = 0; i < 12; ++i) vendor[i] = cpu.vendor[i];
    LogAdd(vendor);
    LogAdd("\n");
    if (cpu.brand_present) {
      FormatToBufferVarargs(CpuName, sizeof(CpuName), "%s", cpu.brand);
      LogPrintf("ＣＰＵ名：%s", CpuName);
    }
  } else {
    TimeStampCounterUsable = 0;
    MmxUsableFlag = 0;
    LogAdd("ＣＰＵＩＤ命令は使えません\n");
  }

  DecreaseLogIndent();
  return 0;
}

int32_t IsMmxUsable() { return MmxUsableFlag; }

const char* GetSystemInfoRecord() { return OsDescription; }
