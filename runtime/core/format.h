// The formatting wrappers every runtime message goes through. Both are
// bounded: the text is cut to fit `buffer_size` bytes (NUL included), never
// written past it, and a Shift-JIS lead byte is never left without its trail
// byte at the cut.
#pragma once

#include <cstdarg>
#include <cstddef>

// The size of the formatting buffers of the log, the console and the API.
constexpr size_t kFormatBufferSize = 1024;

// Formats like vsnprintf; returns the number of bytes written (NUL excluded).
int FormatToBuffer(char* buffer, size_t buffer_size, const char* format, va_list args);
// The same with inline arguments; returns 0.
int FormatToBufferVarargs(char* buffer, size_t buffer_size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
