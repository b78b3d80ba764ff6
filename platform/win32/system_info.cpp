// What the program learns of the system it runs on: its instance, the code
// page and the memory.
#include <cassert>

#include "platform/win32/kernel.h"

HINSTANCE GetModuleHandleA(LPCSTR module_name) {
  assert(module_name == nullptr && "GetModuleHandleA: named modules are not emulated");
  if (module_name != nullptr) return nullptr;
  return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
}

UINT GetOEMCP() { return 932; }

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
