#include "platform/host/not_emulated.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

void FailNotEmulated(const char* call, const char* what, const std::string& value) {
  std::fprintf(stderr, "%s: %s (got %s)\n", call, what, value.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string NotEmulatedValueText(int64_t value) {
  char text[64];
  if (value < 10) {
    std::snprintf(text, sizeof text, "%" PRId64, value);
  } else {
    std::snprintf(text, sizeof text, "%" PRId64 " = 0x%" PRIX64, value,
                  static_cast<uint64_t>(value));
  }
  return text;
}

std::string NotEmulatedValueText(uint64_t value) {
  char text[64];
  if (value < 10) {
    std::snprintf(text, sizeof text, "%" PRIu64, value);
  } else {
    std::snprintf(text, sizeof text, "%" PRIu64 " = 0x%" PRIX64, value, value);
  }
  return text;
}

std::string NotEmulatedValueText(const void* value) {
  if (value == nullptr) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%p", value);
  return text;
}

std::string NotEmulatedValueText(const char* value) {
  if (value == nullptr) return "null";
  return std::string("\"") + value + "\"";
}
