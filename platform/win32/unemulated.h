// How a stand-in refuses an argument value it does not emulate: it stops the
// program with a message naming the call and the value, in every build.
#pragma once

#include <cstdint>

[[noreturn]] void FailUnemulated(const char* call, const char* argument, int64_t value);

// Stops the program unless `emulated` holds.
inline void RequireEmulated(bool emulated, const char* call, const char* argument,
                            int64_t value) {
  if (!emulated) FailUnemulated(call, argument, value);
}
