// Loading graphics from image files, and refilling them after the screen's
// surfaces were lost.
#include "runtime/graphics/graphic_load.h"

#include "runtime/core/file_access.h"
#include "runtime/graphics/color_format.h"
#include "runtime/graphics/image_decoder.h"

int DecodeImageStream(StreamSource* stream, GraphImage* image) {
  auto offer = [&](ImageLoader loader) {
    stream->functions.Seek(stream->handle, 0, 0);
    return loader(stream, image) == 0;
  };
  for (int32_t i = 0; i < UserImageLoaderCount && i < kUserImageLoaderMax; ++i)
    if (UserImageLoaderTable[i] != nullptr && offer(UserImageLoaderTable[i])) return 0;
  for (const ImageLoader loader : ImageLoaderTable) {
    if (loader == nullptr) break;
    if (offer(loader)) return 0;
  }
  return -1;
}
