// Graphics from decoded images.
#include "runtime/graphics/draw/graphic_from_image.h"

#include "runtime/core/file_access.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"

int ReadImageFile(const char* path, const void* data, uint32_t size, int32_t memory_flag,
                  int32_t copy_flag, GraphImage* image) {
  StreamSource stream{};
  intptr_t file = 0;
  if (memory_flag != 0) {
    stream.handle = OpenMemoryStream(data, size);
    if (stream.handle == 0) return -1;
    stream.functions = *GetMemoryStreamFunctions();
  } else {
    file = FileOpenThunk(path, 0, 1, 0);
    if (file == 0) return -1;
    stream.functions = *GetFileStreamFunctions();
    stream.handle = file;
  }

  GraphImage decoded{};
  const int decode_result = DecodeImageStream(&stream, &decoded);
  // A memory stream is done with at once; a file stays open until the end.
  if (memory_flag != 0) CloseMemoryStream(stream.handle);
  if (decode_result != 0) {
    if (file != 0) FileCloseThunk(file);
    return -1;
  }

  if (copy_flag == 1) {
    const size_t bytes = static_cast<size_t>(decoded.pitch) * static_cast<size_t>(decoded.height);
    auto* const copy = static_cast<uint8_t*>(AllocTracked(bytes, "", 0));
    const RECT whole = {0, 0, decoded.width, decoded.height};
    if (copy == nullptr ||
        ConvertImageBlit(copy, decoded.pitch, &decoded.format, decoded.pixels, decoded.pitch,
                         &decoded.format, nullptr, 0, nullptr, 0, 0, &whole, 0, 0, 0, 0, 0, 0,
                         0) < 0) {
      FreeTracked(copy);
      ReleaseGraphImage(&decoded);
      if (file != 0) FileCloseThunk(file);
      return -1;
    }
    FreeTracked(decoded.pixels);
    decoded.pixels = copy;
  }

  *image = decoded;
  if (file != 0) FileCloseThunk(file);
  return 0;
}

int32_t MakeGraphicFromImage(GraphImage* image, GraphImage* alpha, int32_t texture_request,
                             int32_t reverse_flag, int32_t mirror_here_flag) {
  RecomputeUnusedBitMask(&image->format);
  if (alpha != nullptr) RecomputeUnusedBitMask(&alpha->format);
  EndCurrentD3DScene();

  const bool mirrored = reverse_flag == 1 && mirror_here_flag == 1;
  if (mirrored) {
    MirrorGraphImage(image);
    if (alpha != nullptr) MirrorGraphImage(alpha);
  }

  int32_t handle = CreateGraphicForImage(image, alpha, texture_request);
  if (handle != -1) {
    const GraphicRecord* const graphic = GetGraphicRecord(handle);
    const int filled = graphic->settings.texture_flag == 1
                           ? UploadImageToTextures(handle, image, alpha)
                           : DrawImageToGraphicSurfaces2D(image, alpha, 0, 0, handle);
    // A graphic that could not take the picture is not handed out as if it
    // had.
    if (filled < 0) {
      DeleteGraphicHandle(handle, 0);
      handle = -1;
    }
  }

  if (mirrored) {
    MirrorGraphImage(image);
    if (alpha != nullptr) MirrorGraphImage(alpha);
  }
  return handle;
}

int CreateDivGraphFromGraphImage(GraphImage* image, GraphImage* alpha, int32_t total,
                                 int32_t across, int32_t down, int32_t cell_width,
                                 int32_t cell_height, int32_t* handles, int32_t texture_request,
                                 int32_t reverse_flag) {
  const int32_t whole = MakeGraphicFromImage(image, alpha, texture_request, reverse_flag, 0);
  if (whole == -1) return -1;
  if (total < 1) {
    DeleteGraphicHandle(whole, 0);
    return 0;
  }
  if (handles == nullptr) {
    DeleteGraphicHandle(whole, 0);
    return -1;
  }

  int32_t made = 0;
  for (int64_t row = 0; row < down && made < total; ++row) {
    const int64_t y = row * cell_height;
    for (int64_t column = 0; column < across && made < total; ++column) {
      const int64_t x = (reverse_flag == 1 ? across - 1 - column : column) * cell_width;
      // A place outside 32 bits is outside the image: the derive refuses it.
      const auto place = [](int64_t v) {
        return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
      };
      const int32_t cell = DeriveGraphic(place(x), place(y), cell_width, cell_height, whole);
      if (cell == -1) {
        LogAdd("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\n");
        for (int32_t i = 0; i < made; ++i) {
          DeleteGraphicHandle(handles[i], 0);
          handles[i] = -1;
        }
        DeleteGraphicHandle(whole, 0);
        return -1;
      }
      handles[made++] = cell;
    }
  }
  // The cells keep the shared picture alive.
  DeleteGraphicHandle(whole, 0);
  return 0;
}
