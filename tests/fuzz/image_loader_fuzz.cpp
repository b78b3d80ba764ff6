// One image loader over any bytes, from a memory stream; built once for each
// loader with BRIMAL_FUZZ_LOADER naming it (LoadBmpImage, LoadJpegImage, ...).
#include <cstdint>

#include "runtime/image/color_format.h"
#include "runtime/image/image_decoder.h"
#include "tests/fuzz/image_check.h"
#include "tests/fuzz/runtime_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartRuntimeForFuzzing();
  TrackedBlocksKept kept;
  MemoryStreamSource stream(data, size);
  GraphImage image{};
  if (BRIMAL_FUZZ_LOADER(stream.get(), &image) == 0) {
    CheckDecodedImage(image);
    ReleaseGraphImage(&image);
  }
  return 0;
}
