// The bounded formatting wrappers every runtime message goes through.
#include "runtime/core/format.h"

#include <cstdarg>
#include <cstdio>

#include "runtime/core/primitives.h"

// The length to keep of the first `length` bytes of a Shift-JIS text so that
// it does not end with a lead byte whose trail byte was cut off. Walks from
// the start: a trail byte can hold a lead byte's value, so the last byte alone
// does not tell.
static size_t WholeCharacterLength(const char* text, size_t length) {
  size_t i = 0;
  while (i < length) {
    if (IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= length) return i;
      i += 2;
    } else {
      ++i;
    }
  }
  return length;
}

int FormatToBuffer(char* buffer, size_t buffer_size, const char* format, va_list args) {
  if (buffer == nullptr || buffer_size == 0) return 0;
  const int written = vsnprintf(buffer, buffer_size, format, args);
  if (written < 0) {
    buffer[0] = '\0';
    return 0;
  }
  if (static_cast<size_t>(written) < buffer_size) return written;
  // Cut to fit: vsnprintf kept buffer_size - 1 bytes; drop a lead byte that
  // lost its trail byte.
  const size_t kept = WholeCharacterLength(buffer, buffer_size - 1);
  buffer[kept] = '\0';
  return static_cast<int>(kept);
}

int FormatToBufferVarargs(char* buffer, size_t buffer_size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatToBuffer(buffer, buffer_size, format, args);
  va_end(args);
  return 0;
}
