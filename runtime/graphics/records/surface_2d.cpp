// 2D surfaces: the registry of rectangles over surface data, and what is done
// to a graphic's pixels through them.
#include "runtime/graphics/records/surface_2d.h"

#include "runtime/core/log.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/graphics_hooks.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"

static const HandleKindPolicy kSurface2DPolicy = {
    false,
    "２Ｄグラフィックの量が許容量を越えました\n",
    false,
    "メモリの確保に失敗しました in AddSurface2D \n",
    false,
};

// 2D surfaces live while DirectDraw runs or while drawing is done in software.
static bool Surfaces2DAvailable() {
  return Screen.HardwareAccelOff != 0 || Screen.DirectDrawObject != nullptr;
}

int32_t AddSurface2D(int32_t width, int32_t height, int32_t graphic_x, int32_t graphic_y,
                     int32_t graphic, const Surface2DRecord* shared, int32_t data_x,
                     int32_t data_y, const SurfaceSettings* settings) {
  if (!Surfaces2DAvailable()) return LogAdd("ザーネルが初期化されていません\n");
  // Positions and sizes are kept in 16 bits, and a shared rectangle must lie
  // inside the one it is cut from.
  if (width < 1 || height < 1 || width > 65535 || height > 65535 || graphic_x < 0 ||
      graphic_y < 0 || graphic_x > 65535 || graphic_y > 65535) {
    return -1;
  }
  if (shared != nullptr) {
    if (data_x < 0 || data_y < 0 || data_x > shared->width - width ||
        data_y > shared->height - height) {
      return -1;
    }
    data_x += shared->data_x;
    data_y += shared->data_y;
  } else {
    data_x = 0;
    data_y = 0;
  }

  HandleRecordHead* head = nullptr;
  const int32_t handle = AddHandleRecord(&Surface2DTable, kSurface2DPolicy,
                                         sizeof(Surface2DRecord), -1, -1, &head);
  if (handle < 0) return -1;
  auto* const record = reinterpret_cast<Surface2DRecord*>(head);

  int32_t data;
  if (shared != nullptr) {
    data = shared->surface_data;
    if (AddSurfaceDataRef(data) < 0) {
      FreeHandleRecord(&Surface2DTable, head);
      return -1;
    }
  } else {
    data = AddSurfaceData(1, width, height, TransparentColor, settings);
    if (data < 0) {
      FreeHandleRecord(&Surface2DTable, head);
      return LogAdd("メモリの確保に失敗しました in AddSurface2D \n");
    }
  }
  record->graphic_x = static_cast<uint16_t>(graphic_x);
  record->graphic_y = static_cast<uint16_t>(graphic_y);
  record->data_x = static_cast<uint16_t>(data_x);
  record->data_y = static_cast<uint16_t>(data_y);
  record->width = static_cast<uint16_t>(width);
  record->height = static_cast<uint16_t>(height);
  record->graphic = graphic;
  record->surface_data = data;
  return handle;
}

Surface2DRecord* GetSurface2DRecord(int32_t handle) {
  return reinterpret_cast<Surface2DRecord*>(CheckRuntimeHandle(Surface2DTable, handle));
}

int SetSurface2DLostFlagAddress(int32_t handle, int32_t* flag) {
  Surface2DRecord* const record = GetSurface2DRecord(handle);
  if (record == nullptr) return 0;
  record->head.lost_flag = flag;
  if (flag != nullptr) *flag = 0;
  return 0;
}

int CreateGraphicSurface2D(int32_t graphic) {
  if (!Surfaces2DAvailable()) return -1;
  GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  const int32_t surface = AddSurface2D(record->width, record->height, 0, 0, graphic, nullptr, 0,
                                       0, &record->settings);
  if (surface < 0) {
    record->surface_count = 0;
    return -1;
  }
  record->surfaces[0] = surface;
  record->surface_count = 1;
  return 0;
}

int DeriveGraphicSurface2D(int32_t graphic, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t parent) {
  GraphicRecord* const record = GetGraphicRecord(graphic);
  const GraphicRecord* const source = GetGraphicRecord(parent);
  if (record == nullptr || source == nullptr || source->surface_count < 1) return -1;
  const Surface2DRecord* const shared = GetSurface2DRecord(source->surfaces[0]);
  if (shared == nullptr) return -1;
  const int32_t surface =
      AddSurface2D(width, height, 0, 0, graphic, shared, x, y, &record->settings);
  if (surface < 0) return -1;
  record->surfaces[0] = surface;
  record->surface_count = 1;
  return 0;
}

int RestoreGraphicSurfaces2D(int32_t graphic) {
  if (!Surfaces2DAvailable()) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  int result = 0;
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface2DRecord* const surface = GetSurface2DRecord(record->surfaces[i]);
    if (surface == nullptr) return -1;
    result |= RestoreSurfaceObjects(surface->surface_data);
  }
  return result;
}

int RestoreLost2DSurfaces() {
  UpperRestoreLostScreenSurfaces();
  int result = 0;
  for (int32_t slot = 0; slot < Surface2DTable.area_end; ++slot) {
    const auto* const surface = reinterpret_cast<const Surface2DRecord*>(Surface2DTable.records[slot]);
    if (surface != nullptr) result |= RestoreSurfaceObjects(surface->surface_data);
  }
  return result;
}

int FillGraphicSurfaces2D(int32_t graphic, int32_t r, int32_t g, int32_t b, int32_t a) {
  if (!Surfaces2DAvailable()) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  if (Screen.DirectDrawStarted != 0) EndCurrentD3DScene();
  FlushCurrentD3DBatch();
  int result = 0;
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface2DRecord* const surface = GetSurface2DRecord(record->surfaces[i]);
    if (surface == nullptr) return -1;
    if (FillSurfaceDataColor(surface->surface_data, r, g, b, a) < 0) result = -1;
  }
  return result;
}

int UploadImageToSurfaces2D(const GraphImage* color, const GraphImage* alpha, const RECT* source,
                            int32_t x, int32_t y, int32_t graphic) {
  if (!Surfaces2DAvailable()) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  // The source rectangle placed in the graphic.
  const RECT placed = {x, y, x + (source->right - source->left),
                       y + (source->bottom - source->top)};
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const int32_t handle = record->surfaces[i];
    const Surface2DRecord* const surface = GetSurface2DRecord(handle);
    if (surface == nullptr) return -1;
    const RECT area = {surface->graphic_x, surface->graphic_y,
                       surface->graphic_x + surface->width, surface->graphic_y + surface->height};
    RECT part = placed;
    ClipRect(&part, &area);
    if (part.left >= part.right || part.top >= part.bottom) continue;
    const RECT from = {source->left + (part.left - x), source->top + (part.top - y),
                       source->left + (part.right - x), source->top + (part.bottom - y)};
    if (TransferImageToSurface2D(color, alpha, &from, part.left - area.left,
                                 part.top - area.top, handle) < 0) {
      return -1;
    }
  }
  return 0;
}

int DrawImageToGraphicSurfaces2D(const GraphImage* color, const GraphImage* alpha, int32_t x,
                                 int32_t y, int32_t graphic) {
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface2DRecord* const surface = GetSurface2DRecord(record->surfaces[i]);
    if (surface == nullptr) return -1;
    if (DrawImageToSurface2D(color, alpha, x + surface->graphic_x, y + surface->graphic_y,
                             record->surfaces[i]) < 0) {
      return -1;
    }
  }
  return 0;
}

int DrawImageToSurface2D(const GraphImage* color, const GraphImage* alpha, int32_t x, int32_t y,
                         int32_t surface) {
  const Surface2DRecord* const record = GetSurface2DRecord(surface);
  if (record == nullptr) return -1;
  const RECT source = {x, y, x + record->width, y + record->height};
  return TransferImageToSurface2D(color, alpha, &source, 0, 0, surface);
}

// The index of the first palette entry that is the key colour in the image's
// own colour layout (compared on 16 bits for 16-bit images, 24 for 32-bit
// ones), or 65535 (no index) when no entry is.
static uint32_t FindTransparentIndex(const MEMIMG& image, uint32_t key_color) {
  const ColorFormat* const format = GetStandardColorFormat(image.kind, 0, 0);
  const uint32_t key = PackColor(format, (key_color >> 16) & 0xFF, (key_color >> 8) & 0xFF,
                                 key_color & 0xFF, 255);
  for (uint32_t index = 0; index < 256; ++index) {
    if (image.kind == 0 ? image.palette->entries16[index] == (key & 0xFFFF)
                        : (image.palette->entries32[index] & 0xFFFFFF) == (key & 0xFFFFFF)) {
      return index;
    }
  }
  return 65535;
}

int TransferImageToSurface2D(const GraphImage* color, const GraphImage* alpha,
                             const RECT* source, int32_t dest_x, int32_t dest_y, int32_t surface) {
  if (!Surfaces2DAvailable()) return -1;
  const Surface2DRecord* const record = GetSurface2DRecord(surface);
  if (record == nullptr) return -1;
  if (DrawInhibitFlag != 0) return 0;
  SurfaceDataRecord* const data = GetSurfaceDataRecord(record->surface_data);
  if (data == nullptr) return -1;
  // An 8-bit screen is filled through GDI bitmaps, and DirectDraw stores by
  // locking their surface: neither is made here (only software images are).
  if (Screen.ScreenPixelDepth == 8 || data->software_flag != 1 ||
      data->image.magic != kMemImageMagic || color->pixels == nullptr) {
    return -1;
  }

  // Keep the rectangle inside the image and the destination inside this
  // surface's own rectangle.
  int64_t sx = source->left;
  int64_t sy = source->top;
  int64_t dx = dest_x;
  int64_t dy = dest_y;
  int64_t w = int64_t{source->right} - source->left;
  int64_t h = int64_t{source->bottom} - source->top;
  if (sx < 0) { dx -= sx; w += sx; sx = 0; }
  if (sy < 0) { dy -= sy; h += sy; sy = 0; }
  if (dx < 0) { sx -= dx; w += dx; dx = 0; }
  if (dy < 0) { sy -= dy; h += dy; dy = 0; }
  if (w > color->width - sx) w = color->width - sx;
  if (h > color->height - sy) h = color->height - sy;
  if (w > record->width - dx) w = record->width - dx;
  if (h > record->height - dy) h = record->height - dy;

  MEMIMG& image = data->image;
  if (w > 0 && h > 0) {
    TransferGraphImageToMemImage(color, alpha, &image, static_cast<int32_t>(sx),
                                 static_cast<int32_t>(sy), static_cast<int32_t>(w),
                                 static_cast<int32_t>(h), record->data_x + static_cast<int32_t>(dx),
                                 record->data_y + static_cast<int32_t>(dy), 1);
    if (image.palette_flag == 1) {
      image.transparent_value = FindTransparentIndex(image, data->transparent_color);
      // The transfer wrote the run table with the key the image had before;
      // it is written again with the index just found.
      if (image.run_table_flag == 1) BuildMemImageRunTable(&image);
    }
  }
  SetSurfaceColorKey(record->surface_data);
  return 0;
}

int DeleteSurface2D(int32_t handle) {
  DeleteHandleRecord(&Surface2DTable, handle, [](HandleRecordHead* head) {
    const int32_t data = reinterpret_cast<Surface2DRecord*>(head)->surface_data;
    if (ReleaseSurfaceDataRef(data) == 0) DeleteSurfaceData(data);
    return HandleRelease::kFree;
  });
  return 0;
}

int ReleaseGraphicSurfaces2D(int32_t graphic) {
  GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  int result = 0;
  for (int32_t i = 0; i < record->surface_count; ++i) result |= DeleteSurface2D(record->surfaces[i]);
  record->surface_count = 0;
  return result;
}

int DeleteAll2DSurfaces() {
  if (!Surfaces2DAvailable()) return -1;
  DeleteAllHandleRecords(&Surface2DTable, [](RuntimeHandle handle) { DeleteSurface2D(handle); });
  return 0;
}

int ReleaseAllSurfaceObjects() {
  if (!Surfaces2DAvailable()) return 0;
  for (int32_t slot = 0; slot < Surface2DTable.area_end; ++slot) {
    const auto* const surface = reinterpret_cast<const Surface2DRecord*>(Surface2DTable.records[slot]);
    if (surface != nullptr) ReleaseSurfaceObjects(surface->surface_data);
  }
  return 0;
}

int RecreateAllSurfaceObjects() {
  if (!Surfaces2DAvailable()) return 0;
  for (int32_t slot = 0; slot < Surface2DTable.area_end; ++slot) {
    const auto* const surface = reinterpret_cast<const Surface2DRecord*>(Surface2DTable.records[slot]);
    if (surface != nullptr) {
      CreateSurfaceObjects(surface->surface_data);
      SetSurfaceColorKey(surface->surface_data);
    }
  }
  return 0;
}

void GetFrontScreenRect(RECT* rect) {
  int32_t left = 0;
  int32_t top = 0;
  if (Screen.VistaCompatMode == 0) GetClientScreenRect(&left, &top, nullptr, nullptr);
  const int32_t width = Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640;
  const int32_t height = Screen.ScreenHeight != 0 ? Screen.ScreenHeight : 480;
  *rect = RECT{left, top, left + width, top + height};
}

uint64_t GetFlipCounter() { return Screen.FlipCounter; }

MEMIMG* GetBlendGraphicImage() {
  const GraphicRecord* const graphic = GetGraphicRecord(BlendGraphic);
  if (graphic == nullptr || graphic->settings.texture_flag == 1 || graphic->surface_count < 1) {
    return nullptr;
  }
  const Surface2DRecord* const surface = GetSurface2DRecord(graphic->surfaces[0]);
  if (surface == nullptr) return nullptr;
  SurfaceDataRecord* const data = GetSurfaceDataRecord(surface->surface_data);
  if (data == nullptr || data->software_flag != 1 || data->image.magic != kMemImageMagic) {
    return nullptr;
  }
  return &data->image;
}
