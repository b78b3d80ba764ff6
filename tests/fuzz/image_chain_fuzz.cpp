// The image decoder chain over any bytes, as the graphics load them: from a
// file through the file table and from a block of memory. Both must agree.
#include <cstdint>

#include "runtime/graphics/draw/graphic_from_image.h"
#include "runtime/image/color_format.h"
#include "tests/fuzz/image_check.h"
#include "tests/fuzz/runtime_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartRuntimeForFuzzing();
  WriteScratchFile("image.bin", data, size);
  TrackedBlocksKept kept;
  GraphImage from_memory{};
  GraphImage from_file{};
  const int memory_result =
      ReadImageFile(nullptr, data, static_cast<uint32_t>(size), 1, 0, &from_memory);
  const int file_result = ReadImageFile("image.bin", nullptr, 0, 0, 0, &from_file);
  FUZZ_CHECK(memory_result == file_result);
  if (memory_result == 0) {
    CheckDecodedImage(from_memory);
    FUZZ_CHECK(SameImage(from_memory, from_file));
    ReleaseGraphImage(&from_memory);
    ReleaseGraphImage(&from_file);
  }
  return 0;
}
