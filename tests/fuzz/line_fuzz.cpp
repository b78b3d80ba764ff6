// The line reader over any bytes, through the file table, for buffers of
// several sizes and files read directly, through the read cache and without
// waiting: every call gives a NUL-terminated line shorter than its buffer,
// writes nothing past the buffer, and the reading always reaches the end.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/fuzz/runtime_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartRuntimeForFuzzing();
  // Every read of a file read through its thread is a round trip to that
  // thread: those files are read with fewer buffer sizes, and only the
  // input's first bytes.
  constexpr size_t kThreadedBytes = 256;
  WriteScratchFile("lines.txt", data, size);
  WriteScratchFile("head.txt", data, std::min(size, kThreadedBytes));
  TrackedBlocksKept kept;
  struct Mode {
    const char* file;
    size_t size;
    int cache;
    int async;
    std::vector<int> buffer_sizes;
  };
  const Mode modes[] = {{"lines.txt", size, 0, 0, {1, 2, 3, 7, 256}},
                        {"head.txt", std::min(size, kThreadedBytes), 1, 0, {3, 256}},
                        {"head.txt", std::min(size, kThreadedBytes), 0, 1, {2, 256}}};
  constexpr uint8_t kGuard = 0xA5;
  for (const Mode& mode : modes) {
    for (const int buffer_size : mode.buffer_sizes) {
      const intptr_t file = FileOpenThunk(mode.file, mode.cache, 1, mode.async);
      FUZZ_CHECK(file != 0);
      std::vector<char> buffer(static_cast<size_t>(buffer_size) + 8);
      // Every line that is not the end takes at least one byte of the file.
      size_t calls = 0;
      for (;;) {
        std::memset(buffer.data(), kGuard, buffer.size());
        const int length = ReadFileLineFromTable(buffer.data(), buffer_size, file);
        for (size_t k = static_cast<size_t>(buffer_size); k < buffer.size(); ++k) {
          FUZZ_CHECK(static_cast<uint8_t>(buffer[k]) == kGuard);
        }
        if (length == -1) break;
        FUZZ_CHECK(length >= 0 && length < buffer_size);
        FUZZ_CHECK(buffer[static_cast<size_t>(length)] == '\0');
        FUZZ_CHECK(std::strlen(buffer.data()) == static_cast<size_t>(length));
        FUZZ_CHECK(++calls <= mode.size + 1);
      }
      FUZZ_CHECK(FileCloseThunk(file) == 0);
    }
  }
  return 0;
}
