// What the program learns of the system it runs on: its instance, the code
// page, the memory, the system version and the processor.
#include <cstring>

#include "platform/host/not_emulated.h"
#include "platform/win32/kernel.h"

HINSTANCE GetModuleHandleA(LPCSTR module_name) {
  RequireEmulated(module_name == nullptr, "GetModuleHandleA", "named modules are not emulated",
                  module_name);
  return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
}

UINT GetOEMCP() { return 932; }

int lstrlenA(LPCSTR text) { return text != nullptr ? static_cast<int>(std::strlen(text)) : 0; }

void GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  constexpr SIZE_T kMegabyte = 1024 * 1024;
  status->dwLength = sizeof(MEMORYSTATUS);
  status->dwMemoryLoad = 50;
  status->dwTotalPhys = 512 * kMegabyte;
  status->dwAvailPhys = 256 * kMegabyte;
  status->dwTotalPageFile = 1024 * kMegabyte;
  status->dwAvailPageFile = 768 * kMegabyte;
  status->dwTotalVirtual = 2048 * kMegabyte;
  status->dwAvailVirtual = 1536 * kMegabyte;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  info->dwMajorVersion = 5;
  info->dwMinorVersion = 1;
  info->dwBuildNumber = 2600;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  std::strcpy(info->szCSDVersion, "Service Pack 2");
  return TRUE;
}

void GetCpuIdentification(CPU_IDENTIFICATION* info) {
  if (info == nullptr) return;
  *info = CPU_IDENTIFICATION{};
  info->present = TRUE;
  std::memcpy(info->vendor, "BrimalVirtCP", 12);
  // MMX and no time-stamp counter: the program's timing stays on the
  // performance counter, which the host clock drives.
  info->features = CPU_FEATURE_MMX;
  info->brand_present = TRUE;
  std::strcpy(info->brand, "Brimal Virtual Processor");
}
