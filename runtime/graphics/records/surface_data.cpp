// Surface data records and their stores.
//
// This system draws with the software renderer (Direct3D is refused), so the
// stores of 2D graphics are software images: the standard DirectDraw store
// keeps its place in the record and in each operation's choice, and fails
// where its surface would have to be made. Texture stores are DirectDraw
// texture surfaces of the texture format their settings ask for; they are
// made only while Direct3D is in use.
#include "runtime/graphics/records/surface_data.h"

#include "runtime/core/log.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"

// Surface description flag: the texture stage the texture is meant for.
constexpr DWORD kSurfaceDescTextureStage = 0x00100000;
// Second caps word: the driver manages where the texture lives.
constexpr DWORD kCaps2TextureManage = 0x00000010;

// Running out of surface data is an ordinary failure.
static const HandleKindPolicy kSurfaceDataPolicy = {
    false,
    "サーフェスのデータ数が許容量を越えました。\n",
    false,
    "サーフェス用データを保存するメモリ領域の確保に失敗しました\n",
    false,
};

// Sizes are kept in 16 bits.
constexpr int32_t kSurfaceSizeMax = 65535;

static bool HasMemImage(const SurfaceDataRecord& record) {
  return record.image.magic == kMemImageMagic;
}

int32_t AddSurfaceData(int32_t ref_count, int32_t width, int32_t height,
                       uint32_t transparent_color, const SurfaceSettings* settings) {
  if (width < 1 || height < 1 || width > kSurfaceSizeMax || height > kSurfaceSizeMax) {
    return -1;
  }
  HandleRecordHead* head = nullptr;
  const int32_t handle = AddHandleRecord(&SurfaceDataTable, kSurfaceDataPolicy,
                                         sizeof(SurfaceDataRecord), -1, -1, &head);
  if (handle < 0) return -1;
  auto* const record = reinterpret_cast<SurfaceDataRecord*>(head);
  record->settings = *settings;
  record->width = static_cast<uint16_t>(width);
  record->height = static_cast<uint16_t>(height);
  record->ref_count = ref_count;
  record->transparent_color = transparent_color;

  SurfaceSettings& own = record->settings;
  if (own.texture_flag == 0) {
    // Alpha and key-less pictures are only kept as software images; every
    // 2D store can be drawn into.
    if (own.AlphaChFlag == 1 || own.keyless_flag == 1) own.software_image_flag = 1;
    own.DrawValid = 1;
    own.AlphaTestFlag = 0;
  } else {
    own.software_image_flag = 0;
    if (own.DrawValid == 1 || own.AlphaChFlag == 1) own.AlphaTestFlag = 0;
  }
  record->software_flag =
      own.software_image_flag == 1 ||
              (Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8)
          ? 1
          : 0;

  if (CreateSurfaceObjects(handle) < 0) {
    DeleteSurfaceData(handle);
    return -1;
  }
  SetSurfaceColorKey(handle);
  return handle;
}

SurfaceDataRecord* GetSurfaceDataRecord(int32_t handle) {
  return reinterpret_cast<SurfaceDataRecord*>(CheckRuntimeHandle(SurfaceDataTable, handle));
}

int AddSurfaceDataRef(int32_t handle) {
  SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  return ++record->ref_count;
}

int ReleaseSurfaceDataRef(int32_t handle) {
  SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  if (record->ref_count > 0) --record->ref_count;
  return record->ref_count;
}

int CreateZBuffer(int32_t handle, int32_t flag) {
  SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  if (record->software_flag == 0 && Screen.DirectDrawObject == nullptr) return -1;
  flag = flag != 0 ? 1 : 0;
  const bool present = record->software_flag == 1 ? record->z_image.magic == kMemImageMagic
                                                  : record->z_surface != nullptr;
  if (flag == record->zbuffer_flag && present == (flag == 1)) return 0;
  if (record->settings.DrawValid == 0) return -1;

  if (flag == 0) {
    // A DirectDraw Z surface is never attached here (see the top of the file).
    ReleaseMemImage(&record->z_image);
    record->zbuffer_flag = 0;
    return 0;
  }
  if (record->software_flag == 1) {
    // Building clears the record: a live image is given back first.
    ReleaseMemImage(&record->z_image);
    if (CreateZBufferMemImage(&record->z_image, record->width, record->height) < 0) return -1;
    record->zbuffer_flag = 1;
    return 0;
  }
  return LogAdd("Ｚバッファの作成に失敗しました");
}

int SetSurfaceColorKey(int32_t handle) {
  const SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  // A software image has its key from its creation.
  if (record->surface == nullptr) return 0;
  const uint32_t color = record->transparent_color;
  const int32_t r = (color >> 16) & 0xFF;
  const int32_t g = (color >> 8) & 0xFF;
  const int32_t b = color & 0xFF;
  DDCOLORKEY key{};
  const bool texture = record->settings.texture_flag == 1;
  if (texture) {
    const ColorFormat* const format = GetTextureColorFormat(record->texture_format);
    if (format == nullptr) return -1;
    key.dwColorSpaceLowValue =
        PackColor(format, r, g, b, 255) | format->spare_mask | format->alpha_mask;
  } else if (record->settings.ColorBitDepth != 8) {
    key.dwColorSpaceLowValue = PackColor(&Screen.ScreenColorFormat, r, g, b, 255);
  }
  key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
  if (record->surface->SetColorKey(DDCKEY_SRCBLT, &key) < 0) {
    return LogAdd(texture ? "テクスチャサーフェスのカラーキーの設定に失敗しました\n"
                          : "標準サーフェスのカラーキーの設定に失敗しました\n");
  }
  return 0;
}

int ReleaseSurfaceObjects(int32_t handle) {
  SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  ReleaseMemImage(&record->z_image);
  ReleaseMemImage(&record->image);
  if (record->surface != nullptr) {
    record->surface->Release();
    record->surface = nullptr;
  }
  record->lock_count = 0;
  return 0;
}

int RestoreSurfaceObjects(int32_t handle) {
  const SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  // A software image is never lost; a lost surface is restored and must be
  // refilled.
  if (record->surface == nullptr || record->surface->IsLost() == DD_OK) return 0;
  record->surface->Restore();
  return -1;
}

int LockSurfaceData(int32_t handle, int32_t* pitch, void** address, int32_t write_only,
                    const RECT* rect, const ColorFormat** format) {
  SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  if (format != nullptr) {
    if (record->settings.texture_flag == 1) {
      *format = GetTextureColorFormat(record->texture_format);
    } else if (record->software_flag == 1) {
      *format = record->image.format;
    } else {
      *format = &Screen.ScreenColorFormat;
    }
  }
  if (record->lock_count != 0) {
    if (pitch != nullptr && address != nullptr) {
      *pitch = record->lock_pitch;
      *address = record->lock_address;
    }
    ++record->lock_count;
    return -2;
  }
  if (record->software_flag != 1 && record->surface != nullptr) {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    RECT area{};
    if (rect != nullptr) area = *rect;
    const DWORD flags = DDLOCK_WAIT | (write_only == 1 ? DDLOCK_WRITEONLY : 0);
    if (record->surface->Lock(rect != nullptr ? &area : nullptr, &description, flags, nullptr) <
        0) {
      return LogAdd("グラフィックのロックに失敗しました");
    }
    record->lock_pitch = description.lPitch;
    record->lock_address = static_cast<uint8_t*>(description.lpSurface);
    if (pitch != nullptr && address != nullptr) {
      *pitch = record->lock_pitch;
      *address = record->lock_address;
    }
    record->lock_count = 1;
    return 0;
  }
  if (record->software_flag != 1 || !HasMemImage(*record)) {
    return LogAdd("グラフィックのロックに失敗しました");
  }
  const MEMIMG& image = record->image;
  uint8_t* start = image.pixels;
  if (rect != nullptr) {
    // Only a rectangle inside the image gives an address inside it.
    if (rect->left < 0 || rect->top < 0 || rect->left > rect->right ||
        rect->top > rect->bottom || rect->right > image.width || rect->bottom > image.height) {
      return -1;
    }
    start += static_cast<intptr_t>(image.pitch) * rect->top +
             static_cast<intptr_t>(image.format->bytes_per_pixel) * rect->left;
  }
  record->lock_pitch = image.pitch;
  record->lock_address = start;
  if (pitch != nullptr && address != nullptr) {
    *pitch = record->lock_pitch;
    *address = record->lock_address;
  }
  record->lock_count = 1;
  return 0;
}

int UnlockSurfaceData(int32_t handle, const RECT* rect) {
  SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr || record->lock_count == 0) return -1;
  --record->lock_count;
  if (record->lock_count == 0 && record->software_flag != 1 && record->surface != nullptr) {
    RECT area{};
    if (rect != nullptr) area = *rect;
    record->surface->Unlock(rect != nullptr ? &area : nullptr);
  }
  return 0;
}

int FillSurfaceDataColor(int32_t handle, int32_t r, int32_t g, int32_t b, int32_t a) {
  const SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr || Screen.DirectDrawObject == nullptr) return -1;
  // The fill is a colour-fill blit of a DirectDraw surface; a software image
  // has none.
  if (record->surface == nullptr) return -1;
  const ColorFormat* const format = record->settings.texture_flag == 1
                                        ? GetTextureColorFormat(record->texture_format)
                                        : &Screen.ScreenColorFormat;
  if (format == nullptr) return -1;
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = PackColor(format, r, g, b, a);
  return record->surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) < 0
             ? -1
             : 0;
}

int FillGraphicColor(int32_t graphic, int32_t r, int32_t g, int32_t b, int32_t a) {
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  if (record->settings.texture_flag == 1) return ForEachGraphicTexture(graphic, r, g, b, a);
  return FillGraphicSurfaces2D(graphic, r, g, b, a);
}

// The software image of a record: 16- or 32-bit with the record's alpha and
// palette flags and the transparent colour as key; key-less records get an
// 8-bit single-channel image. Pixels start cleared, so a new graphic is the
// same from run to run. 0 or -1.
static int CreateMemImageStore(SurfaceDataRecord* record) {
  const SurfaceSettings& settings = record->settings;
  const int32_t alpha = settings.AlphaChFlag != 0 ? 1 : 0;
  const int32_t kind = settings.ColorBitDepth == 16 ? 0 : 1;
  record->texture_format = (kind == 0 ? kSurfaceKindMemImage16 : kSurfaceKindMemImage32) + alpha;
  int result;
  if (settings.keyless_flag == 0) {
    uint32_t key = 65535;
    if (settings.palette_flag == 0) {
      const uint32_t color = record->transparent_color;
      key = PackColor(GetStandardColorFormat(kind, alpha, 0), (color >> 16) & 0xFF,
                      (color >> 8) & 0xFF, color & 0xFF, 255);
    }
    result = InitMemImage(&record->image, record->width, record->height, -1, key, kind,
                          settings.palette_flag, alpha, 1);
  } else {
    result = InitMemImage(&record->image, record->width, record->height, -1, 0, 2, 0, 0, 1);
  }
  if (result < 0) return LogAdd("メモリイメージの作成に失敗しました\n");
  FillMemImage(&record->image, nullptr, 0);
  return 0;
}

// The texture surface of a record, in the texture format its settings ask
// for: a render target when the graphic can be drawn into, else a texture
// the driver manages. 0 or -1.
static int CreateTextureStore(SurfaceDataRecord* record) {
  const int32_t kind = GetTextureFormatIndex(&record->settings);
  record->texture_format = kind;
  const TextureFormatRecord* const format = GetTextureFormatRecord(kind);
  if (format == nullptr || format->format.bit_depth == 0) return -1;
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  description.dwFlags =
      DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | kSurfaceDescTextureStage;
  description.dwWidth = record->width;
  description.dwHeight = record->height;
  description.ddpfPixelFormat = format->pixel_format;
  if (record->settings.DrawValid != 0) {
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE;
  } else {
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.ddsCaps.dwCaps2 = kCaps2TextureManage;
  }
  IDirectDrawSurface7* surface = nullptr;
  if (Screen.DirectDrawObject->CreateSurface(&description, &surface, nullptr) < 0 ||
      surface == nullptr) {
    return -1;
  }
  record->surface = surface;
  return 0;
}

int CreateSurfaceObjects(int32_t handle) {
  SurfaceDataRecord* const record = GetSurfaceDataRecord(handle);
  if (record == nullptr) return -1;
  if (record->software_flag == 0 && Screen.DirectDrawObject == nullptr) return -1;
  // A store that exists is kept: surface data shared by several 2D surfaces
  // is visited once for each of them when stores are made again.
  if (record->surface != nullptr || (record->software_flag == 1 && HasMemImage(*record))) {
    return 0;
  }

  int result;
  if (record->settings.texture_flag == 1) {
    result = CreateTextureStore(record);
    if (result == 0) {
      FillSurfaceDataColor(handle, 0, 0, 0, 0);
      if (record->zbuffer_flag == 1) CreateZBuffer(handle, 1);
    } else {
      LogAdd("テクスチャサーフェスの作成に失敗しました\n");
      const SurfaceSettings& s = record->settings;
      LogPrintf("DrawValid:%d  AlphaChFlag%d  AlphaTestFlag:%d  ColorBitDepth:%d", s.DrawValid,
                s.AlphaChFlag, s.AlphaTestFlag, s.ColorBitDepth);
    }
  } else if (record->software_flag == 1) {
    result = CreateMemImageStore(record);
    // A draw target that had a Z buffer gets it back.
    if (result == 0 && record->zbuffer_flag == 1) result = CreateZBuffer(handle, 1);
  } else {
    record->texture_format = kSurfaceKindStandard;
    result = LogAdd("標準サーフェスの作成に失敗しました\n");
  }
  if (result < 0) {
    if (record->surface != nullptr) {
      record->surface->Release();
      record->surface = nullptr;
    }
    ReleaseMemImage(&record->z_image);
    ReleaseMemImage(&record->image);
    record->image = MEMIMG{};
    return -1;
  }
  return 0;
}

int DeleteSurfaceData(int32_t handle) {
  return DeleteHandleRecord(&SurfaceDataTable, handle, [handle](HandleRecordHead*) {
    ReleaseSurfaceObjects(handle);
    return HandleRelease::kFree;
  });
}
