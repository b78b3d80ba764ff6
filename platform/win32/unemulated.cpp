#include "platform/win32/unemulated.h"

#include <cstdio>
#include <cstdlib>

void FailUnemulated(const char* call, const char* argument, int64_t value) {
  std::fprintf(stderr, "brimal: %s: %s %lld is not emulated\n", call, argument,
               static_cast<long long>(value));
  std::fflush(stderr);
  std::abort();
}
