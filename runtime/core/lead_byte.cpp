// The runtime's one double-byte character test.
#include "runtime/core/lead_byte.h"

int IsLeadByte(const char* byte, int char_set) {
  const unsigned char value = static_cast<unsigned char>(*byte);
  if (char_set == 2) return value >= 0x80 ? 1 : 0;
  return ((value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC)) ? 1 : 0;
}
