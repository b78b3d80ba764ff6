// Graphic handles: adding, making, deriving and deleting graphics, and the
// options that shape new ones.
#include "runtime/graphics/records/graphic.h"

#include <cstring>

#include "runtime/core/file_access.h"
#include "runtime/core/log.h"
#include "runtime/core/upper_layers.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/state/graphics_flags.h"
#include "runtime/graphics/state/graphics_hooks.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"

int32_t NewGraphicUse3D = 1;
int32_t NewGraphicDrawable = 0;
int32_t NewGraphicAlphaChannel = 0;
int32_t NewGraphicAlphaTest = 1;
int32_t NewGraphicColorDepth = 0;
int32_t NewGraphicSoftwareImage = 0;

// Copies `text` into a field of `bytes` bytes, cut to fit, always ended.
static void CopyCut(char* field, size_t bytes, const char* text) {
  size_t length = std::strlen(text);
  if (length >= bytes) length = bytes - 1;
  std::memcpy(field, text, length);
  field[length] = '\0';
}

int32_t AddGraphicHandle(int32_t width, int32_t height, int32_t texture_request,
                         GraphicRecord** record, int32_t alpha_flag, int32_t palette_flag) {
  HandleRecordHead* head = nullptr;
  // A full registry or a failed allocation ends the program inside the add.
  const int32_t handle = AddHandleRecord(&GraphicTable, kGraphicHandlePolicy,
                                         sizeof(GraphicRecord), -1, -1, &head);
  auto* const graphic = reinterpret_cast<GraphicRecord*>(head);
  graphic->width = width;
  graphic->height = height;
  graphic->movie_handle = -1;

  SurfaceSettings& settings = graphic->settings;
  settings.texture_flag = texture_request != 0 && NewGraphicUse3D != 0 && Use3DDrawing != 0 &&
                                  Screen.MemImageRendering == 0
                              ? 1
                              : 0;
  settings.palette_flag = 0;
  if (NewGraphicDrawable != 1) {
    settings.AlphaChFlag = static_cast<uint8_t>(alpha_flag);
    settings.DrawValid = 0;
    settings.AlphaTestFlag = static_cast<uint8_t>(NewGraphicAlphaTest);
  } else {
    settings.AlphaChFlag = 0;
    settings.DrawValid = 1;
    settings.AlphaTestFlag = 0;
  }
  settings.keyless_flag = 0;

  int32_t depth = NewGraphicColorDepth;
  if (settings.texture_flag == 1) {
    if (depth == 0) depth = alpha_flag == 1 ? 32 : GetScreenColorDepthDefault();
    settings.software_image_flag = 0;
  } else {
    if (depth == 0 || Screen.HardwareAccelOff != 0) depth = GetScreenColorDepthDefault();
    settings.software_image_flag = static_cast<uint8_t>(NewGraphicSoftwareImage);
    settings.palette_flag = static_cast<uint8_t>(palette_flag);
  }
  settings.ColorBitDepth = static_cast<uint8_t>(depth);

  if (record != nullptr) *record = graphic;
  return handle;
}

int32_t CreateEmptyGraphic(int32_t width, int32_t height, int32_t texture_request,
                           int32_t alpha_flag, int32_t palette_flag) {
  GraphicRecord* graphic = nullptr;
  const int32_t handle =
      AddGraphicHandle(width, height, texture_request, &graphic, alpha_flag, palette_flag);
  const int result = graphic->settings.texture_flag == 1 ? CreateGraphicTextures(handle)
                                                         : CreateGraphicSurface2D(handle);
  if (result < 0) {
    // A graphic without pixels is of no use to anyone: it does not stay.
    DeleteGraphicHandle(handle, 0);
    return LogAdd("グラフィックの作成に失敗しました\n");
  }
  return handle;
}

int32_t MakeEmptyGraphic(int32_t width, int32_t height, int32_t no_texture_flag) {
  return CreateEmptyGraphic(width, height, no_texture_flag == 0 ? 1 : 0, NewGraphicAlphaChannel,
                            0);
}

int32_t CreateGraphicForImage(const GraphImage* image, const GraphImage* alpha,
                              int32_t texture_request) {
  EndCurrentD3DScene();
  UpperWaitWhileInactive();
  if (alpha != nullptr && (alpha->width != image->width || alpha->height != image->height)) {
    return -1;
  }
  const bool alpha_bits = image->format.alpha_mask != 0;
  const int32_t palette_flag =
      image->format.bytes_per_pixel == 1 && !alpha_bits && alpha == nullptr ? 1 : 0;
  const int32_t alpha_flag = alpha_bits || alpha != nullptr ? 1 : 0;
  return CreateEmptyGraphic(image->width, image->height, texture_request, alpha_flag,
                            palette_flag);
}

GraphicRecord* GetGraphicRecord(int32_t handle) {
  return reinterpret_cast<GraphicRecord*>(CheckRuntimeHandle(GraphicTable, handle));
}

int QueryGraphicSize(int32_t handle, int32_t* width, int32_t* height) {
  int32_t w;
  int32_t h;
  if (handle == -4 || handle == -2) {
    w = Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640;
    h = Screen.ScreenHeight != 0 ? Screen.ScreenHeight : 480;
  } else {
    const GraphicRecord* const graphic = GetGraphicRecord(handle);
    if (graphic == nullptr) return -1;
    w = graphic->width;
    h = graphic->height;
  }
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  return 0;
}

int SetGraphicLostFlagAddress(int32_t handle, int32_t* flag) {
  GraphicRecord* const graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return -1;
  graphic->head.lost_flag = flag;
  if (flag != nullptr) *flag = 0;
  return 0;
}

int StoreGraphicFileName(int32_t handle, const char* path) {
  GraphicRecord* const graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return -1;
  // The file layer writes up to MAX_PATH bytes, which the field holds.
  static_assert(kGraphicPathBytes >= 260);
  graphic->load_directory[0] = '\0';
  FileGetDirThunk(graphic->load_directory);
  graphic->load_directory[kGraphicPathBytes - 1] = '\0';
  CopyCut(graphic->file_name, sizeof(graphic->file_name), path != nullptr ? path : "");
  return 0;
}

int StoreGraphicFileNames(const int32_t* handles, int64_t count, const char* path) {
  // Reading the current directory asks the system each time; a picture of
  // many cells reads it once and copies it to the others.
  const GraphicRecord* first = nullptr;
  int result = 0;
  for (int64_t i = 0; i < count; ++i) {
    GraphicRecord* const graphic = GetGraphicRecord(handles[i]);
    if (graphic == nullptr) {
      result = -1;
      continue;
    }
    if (first == nullptr) {
      StoreGraphicFileName(handles[i], path);
      first = graphic;
      continue;
    }
    std::memcpy(graphic->load_directory, first->load_directory, sizeof(graphic->load_directory));
    std::memcpy(graphic->file_name, first->file_name, sizeof(graphic->file_name));
  }
  return result;
}

int32_t DeriveGraphic(int32_t x, int32_t y, int32_t width, int32_t height, int32_t parent) {
  const GraphicRecord* const source = GetGraphicRecord(parent);
  if (source == nullptr) return -1;
  // The rectangle's top-left must lie inside the parent and its size be
  // positive: a derived graphic never shows pixels outside its parent.
  if (x < 0 || y < 0 || x >= source->width || y >= source->height || width <= 0 ||
      height <= 0) {
    return -1;
  }
  if (width > source->width - x) width = source->width - x;
  if (height > source->height - y) height = source->height - y;

  GraphicRecord* graphic = nullptr;
  const int32_t handle =
      AddGraphicHandle(width, height, source->settings.texture_flag, &graphic,
                       source->settings.AlphaChFlag, source->settings.palette_flag);
  graphic->movie_handle = source->movie_handle;
  std::memcpy(graphic->file_name, source->file_name, sizeof(graphic->file_name));
  std::memcpy(graphic->load_directory, source->load_directory, sizeof(graphic->load_directory));
  graphic->settings = source->settings;
  graphic->LoadOptionWord = source->LoadOptionWord;
  graphic->offset_x = source->offset_x + x;
  graphic->offset_y = source->offset_y + y;

  const int result =
      graphic->settings.texture_flag == 1
          ? CreateDerivedGraphicTextures(handle, x, y, width, height, parent)
          : DeriveGraphicSurface2D(handle, x, y, width, height, parent);
  if (result < 0) {
    DeleteGraphicHandle(handle, 0);
    return LogAdd("グラフィックの派生に失敗しました終了します");
  }
  return handle;
}

int DeleteGraphicHandle(int32_t handle, int32_t log_flag) {
  return DeleteHandleRecord(&GraphicTable, handle, [&](HandleRecordHead* head) {
    auto* const graphic = reinterpret_cast<GraphicRecord*>(head);
    if (graphic->movie_handle != -1) UpperCloseGraphicMovie(handle);
    if (graphic->settings.texture_flag == 1) {
      DeleteGraphicTextures(handle);
    } else {
      ReleaseGraphicSurfaces2D(handle);
    }
    if (log_flag != 0) LogPrintf("グラフィック %s の削除", graphic->file_name);
    return HandleRelease::kFree;
  });
}

int DeleteAllGraphics(int32_t log_flag) {
  if (GraphicsReady == 0) return 0;
  DeleteAllHandleRecords(&GraphicTable,
                         [&](RuntimeHandle handle) { DeleteGraphicHandle(handle, log_flag); });
  return 0;
}

int SetUse3DForNewGraphics(int32_t flag) {
  if (Screen.DirectDrawObject == nullptr) SetNoTextureFlag(flag == 0 ? 1 : 0);
  NewGraphicUse3D = flag;
  return 0;
}

int SetMakeDrawableGraphics(int32_t flag) {
  NewGraphicDrawable = flag;
  return 0;
}

// While hardware acceleration is on, graphics are kept as software images
// whatever is asked.
int SetNewGraphicSoftwareImage(int32_t flag) {
  NewGraphicSoftwareImage = Screen.HardwareAccelOff == 0 ? 1 : flag;
  return 0;
}

int SetNewGraphicVideoMemory(int32_t flag) {
  NewGraphicSoftwareImage = Screen.HardwareAccelOff == 0 ? 1 : (flag != 1 ? 1 : 0);
  return 0;
}
