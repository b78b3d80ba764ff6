// Texture pieces, texture formats, the division of graphics into pieces and
// the upload of image pixels into them.
#include "runtime/graphics/records/texture.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/library_state.h"
#include "runtime/core/log.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/convert_blit.h"

int32_t TextureMaxSize = 0;
int32_t TextureMinSize = 0;
TextureFormatRecord TextureFormatTable[kTextureFormatCount];

// Running out of pieces is an ordinary failure.
static const HandleKindPolicy kSurface3DDataPolicy = {
    false,
    "３Ｄグラフィックの数が許容量を越えました。\n",
    false,
    "メモリの確保に失敗しました in AddSurface3DData \n",
    false,
};

// ---- Pieces -------------------------------------------------------------------------------

// The corners of a piece and their texture coordinates.
static void FillVertexTemplate(Surface3DData* piece, int32_t texture_width,
                               int32_t texture_height) {
  const float left = piece->x;
  const float top = piece->y;
  const float right = static_cast<float>(piece->x + piece->width);
  const float bottom = static_cast<float>(piece->y + piece->height);
  const float u0 = static_cast<float>(piece->texture_x) / static_cast<float>(texture_width);
  const float v0 = static_cast<float>(piece->texture_y) / static_cast<float>(texture_height);
  const float u1 =
      static_cast<float>(piece->texture_x + piece->width) / static_cast<float>(texture_width);
  const float v1 =
      static_cast<float>(piece->texture_y + piece->height) / static_cast<float>(texture_height);
  const float xs[4] = {left, right, left, right};
  const float ys[4] = {top, top, bottom, bottom};
  const float us[4] = {u0, u1, u0, u1};
  const float vs[4] = {v0, v0, v1, v1};
  for (int i = 0; i < 4; ++i) {
    piece->vertices[i] = {xs[i], ys[i], 0.0f, 1.0f, 0xFFFFFFFFu, us[i], vs[i]};
  }
}

// Which corners lie on or above the diagonal from the graphic's bottom-left
// to its top-right corner.
static void SetDiagonalFlags(Surface3DData* piece, int32_t graphic_width,
                             int32_t graphic_height) {
  const float h = static_cast<float>(graphic_height);
  const float slope = h / static_cast<float>(graphic_width);
  for (int i = 0; i < 4; ++i) {
    piece->diagonal[i] = h - piece->vertices[i].x * slope >= piece->vertices[i].y ? 1 : 0;
  }
}

int32_t AddSurface3DData(int32_t texture_width, int32_t texture_height, int32_t x, int32_t y,
                         int32_t width, int32_t height, int32_t source_x, int32_t source_y,
                         int32_t graphic, int32_t parent, int32_t texture_x, int32_t texture_y,
                         const SurfaceSettings* settings) {
  if (Direct3DObject == nullptr) return LogAdd("３Ｄグラフィックエンジンが初期化されていません\n");
  const Surface3DData* parent_piece = nullptr;
  if (parent != -1) {
    parent_piece = GetSurface3DData(parent);
    if (parent_piece == nullptr) return -1;
  }
  HandleRecordHead* head = nullptr;
  const int32_t handle = AddHandleRecord(&TextureHandleTable, kSurface3DDataPolicy,
                                         sizeof(Surface3DData), -1, -1, &head);
  if (handle < 0) return -1;
  auto* const piece = reinterpret_cast<Surface3DData*>(head);

  int32_t texture;
  if (parent_piece == nullptr) {
    SurfaceSettings own = *settings;
    own.texture_flag = 1;
    texture = AddSurfaceData(1, texture_width, texture_height, TransparentColor, &own);
    if (texture < 0) {
      FreeHandleRecord(&TextureHandleTable, head);
      return -1;
    }
  } else {
    texture = parent_piece->texture;
    AddSurfaceDataRef(texture);
    texture_x += parent_piece->texture_x;
    texture_y += parent_piece->texture_y;
    source_x += parent_piece->source_x;
    source_y += parent_piece->source_y;
    const SurfaceDataRecord* const data = GetSurfaceDataRecord(texture);
    if (data != nullptr) {
      texture_width = data->width;
      texture_height = data->height;
    }
  }
  piece->x = static_cast<uint16_t>(x);
  piece->y = static_cast<uint16_t>(y);
  piece->texture_x = static_cast<uint16_t>(texture_x);
  piece->texture_y = static_cast<uint16_t>(texture_y);
  piece->source_x = static_cast<uint16_t>(source_x);
  piece->source_y = static_cast<uint16_t>(source_y);
  piece->width = static_cast<uint16_t>(width);
  piece->height = static_cast<uint16_t>(height);
  piece->graphic = graphic;
  piece->texture = texture;
  FillVertexTemplate(piece, texture_width, texture_height);
  return handle;
}

Surface3DData* GetSurface3DData(int32_t handle) {
  return reinterpret_cast<Surface3DData*>(CheckRuntimeHandle(TextureHandleTable, handle));
}

Surface3DData* GetSurface3DDataOrZero(int32_t handle) { return GetSurface3DData(handle); }

int DeleteSurface3DData(int32_t handle) {
  return DeleteHandleRecord(&TextureHandleTable, handle, [](HandleRecordHead* head) {
    const int32_t texture = reinterpret_cast<Surface3DData*>(head)->texture;
    if (ReleaseSurfaceDataRef(texture) == 0) DeleteSurfaceData(texture);
    return HandleRelease::kFree;
  });
}

int DeleteAllSurface3DData() {
  if (Direct3DObject == nullptr) return -1;
  DeleteAllHandleRecords(&TextureHandleTable,
                         [](RuntimeHandle handle) { DeleteSurface3DData(handle); });
  return 0;
}

int DeleteAllSurface3DDataIfReady() {
  if (Direct3DObject == nullptr) return 0;
  return DeleteAllSurface3DData();
}

// ---- Formats -------------------------------------------------------------------------------

int GetTextureFormatIndex(const SurfaceSettings* settings) {
  const int32_t b = settings->ColorBitDepth != 16 ? 1 : 0;
  if (settings->DrawValid != 0) {
    return settings->AlphaChFlag != 0 || settings->AlphaTestFlag != 0 ? 8 : 6 + b;
  }
  if (settings->AlphaChFlag != 0) return 2 + b;
  if (settings->AlphaTestFlag != 0) return 4 + b;
  return b;
}

const ColorFormat* GetTextureFormatForFlags(const SurfaceSettings* settings) {
  return &TextureFormatTable[GetTextureFormatIndex(settings)].format;
}

TextureFormatRecord* GetTextureFormatRecord(int32_t kind) {
  if (kind < 0 || kind >= kTextureFormatCount) return nullptr;
  return &TextureFormatTable[kind];
}

const ColorFormat* GetTextureColorFormat(int32_t kind) {
  TextureFormatRecord* const record = GetTextureFormatRecord(kind);
  return record != nullptr ? &record->format : nullptr;
}

const ColorFormat* GetTextureFormatByKind(int32_t alpha_channel, int32_t alpha_test,
                                          int32_t is_32bit, int32_t render_target) {
  SurfaceSettings settings{};
  settings.AlphaChFlag = alpha_channel != 0 ? 1 : 0;
  settings.AlphaTestFlag = alpha_test != 0 ? 1 : 0;
  settings.ColorBitDepth = is_32bit != 0 ? 32 : 16;
  settings.DrawValid = render_target != 0 ? 1 : 0;
  return GetTextureFormatForFlags(&settings);
}

void ClearTextureFormats() { std::memset(TextureFormatTable, 0, sizeof(TextureFormatTable)); }

static void StoreTextureFormat(int32_t kind, const DDPIXELFORMAT& pixel_format,
                               const ColorFormat& format) {
  TextureFormatTable[kind].pixel_format = pixel_format;
  TextureFormatTable[kind].format = format;
}

HRESULT EnumTextureFormatCallback(DDPIXELFORMAT* pixel_format, LPVOID found) {
  const DWORD flags = pixel_format->dwFlags;
  if ((flags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV)) != 0 ||
      (flags & DDPF_FOURCC) != 0 || (flags & DDPF_ALPHA) != 0) {
    return D3DENUMRET_OK;
  }
  ColorFormat format{};
  DeriveColorFormatChannels(pixel_format, &format);
  if ((flags & DDPF_ALPHAPIXELS) != 0 && pixel_format->dwRGBAlphaBitMask != 0) {
    switch (pixel_format->dwRGBAlphaBitMask) {
      case 0xF000u:
        StoreTextureFormat(2, *pixel_format, format);
        break;
      case 0x8000u:
        StoreTextureFormat(4, *pixel_format, format);
        break;
      case 0xFF000000u:
        StoreTextureFormat(3, *pixel_format, format);
        StoreTextureFormat(5, *pixel_format, format);
        break;
      default:
        break;
    }
    return D3DENUMRET_OK;
  }
  int32_t kind;
  if (format.bit_depth == 16) {
    kind = 0;
    if (found != nullptr) *static_cast<int32_t*>(found) = 1;
  } else if (format.bit_depth == 32) {
    kind = 1;
  } else {
    return D3DENUMRET_OK;
  }
  // A later format replaces an earlier one only when it is the screen's.
  if (TextureFormatTable[kind].format.bit_depth == 0 ||
      ColorFormatsEqual(&format, &Screen.ScreenColorFormat) > 0) {
    StoreTextureFormat(kind, *pixel_format, format);
  }
  return D3DENUMRET_OK;
}

void ApplyTextureFormatFallbacks() {
  static const int32_t kFallback[][2] = {{1, 0}, {3, 2}, {4, 2}, {5, 3}, {6, 0}, {7, 1}, {8, 3}};
  for (const auto& pair : kFallback) {
    if (TextureFormatTable[pair[0]].format.bit_depth == 0) {
      TextureFormatTable[pair[0]] = TextureFormatTable[pair[1]];
    }
  }
}

// ---- Division ------------------------------------------------------------------------------

int SplitSizeForTextures(int32_t size, int32_t* out, int32_t whole) {
  if (size < 1) size = 1;
  const int32_t base = TextureMinSize > 32 ? TextureMinSize : 32;
  if (size <= base) {
    int32_t s = base;
    while (s / 2 >= size && s > TextureMinSize) s /= 2;
    out[0] = s;
    return 1;
  }

  const int32_t screen_width = Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640;
  int32_t limit;
  if (whole == 1 || screen_width > TextureMaxSize) {
    limit = TextureMaxSize;
  } else {
    limit = 8;
    while (limit < screen_width) limit *= 2;
  }
  // A limit below the smallest piece would never cover anything.
  if (limit < base) limit = base;
  int32_t s = limit;
  while (s > size && s > base) s /= 2;

  if ((whole == 1 || size < screen_width) && 2 * s <= limit) {
    out[0] = s >= size ? s : 2 * s;
    return 1;
  }

  int32_t count = 0;
  int32_t remaining = size;
  for (;;) {
    if (count == kTexturePieceMax) return kTexturePieceMax + 1;
    out[count++] = s;
    remaining -= s;
    if (remaining <= 0) break;
    if (remaining > 3 * s / 4 && s < limit) {
      out[count - 1] = 2 * s;
      break;
    }
    while (s > remaining && s > base) s /= 2;
  }
  if (count >= 2 && out[count - 1] == out[count - 2] && 2 * out[count - 1] <= limit) {
    out[count - 2] *= 2;
    --count;
  }
  return count;
}

// ---- Graphics ------------------------------------------------------------------------------

namespace {

struct PiecePlan {
  int32_t texture_width;
  int32_t texture_height;
  int32_t x;
  int32_t y;
};

}  // namespace

int CreateGraphicTextures(int32_t graphic) {
  if (Direct3DObject == nullptr) return -1;
  GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  const int32_t whole = record->settings.DrawValid != 0 || record->LoadOptionWord != 0 ? 1 : 0;
  int32_t widths[kTexturePieceMax + 1];
  int32_t heights[kTexturePieceMax + 1];
  const int32_t columns = SplitSizeForTextures(record->width, widths, whole);
  const int32_t rows = SplitSizeForTextures(record->height, heights, whole);
  if (columns * rows > kTexturePieceMax) {
    return LogPrintf("エラー：画像の分割数が最大数の %d を超えました", kTexturePieceMax);
  }

  // Room for the pieces and for the squares cut from them.
  PiecePlan plans[kTexturePieceMax * 8];
  int32_t count = 0;
  int32_t y = 0;
  for (int32_t row = 0; row < rows; ++row) {
    int32_t x = 0;
    for (int32_t column = 0; column < columns; ++column) {
      plans[count++] = {widths[column], heights[row], x, y};
      x += widths[column];
    }
    y += heights[row];
  }

  // A device that only takes square textures gets every oblong piece cut
  // into squares of its shorter side, the extra squares after all others.
  if ((D3DDeviceDescription.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0) {
    const int32_t first_count = count;
    for (int32_t i = 0; i < first_count; ++i) {
      PiecePlan& plan = plans[i];
      if (plan.texture_width == plan.texture_height) continue;
      const int32_t side = std::min(plan.texture_width, plan.texture_height);
      const bool across = plan.texture_width > plan.texture_height;
      const int32_t squares = (across ? plan.texture_width : plan.texture_height) / side;
      for (int32_t k = 1; k < squares; ++k) {
        if (count == kTexturePieceMax + 1) break;
        plans[count++] = {side, side, across ? plan.x + k * side : plan.x,
                          across ? plan.y : plan.y + k * side};
      }
      plan.texture_width = side;
      plan.texture_height = side;
    }
    if (count > kTexturePieceMax) {
      return LogPrintf("エラー：画像の分割数が最大数の %d を超えました", kTexturePieceMax);
    }
  }

  record->surface_count = 0;
  for (int32_t i = 0; i < count; ++i) {
    const PiecePlan& plan = plans[i];
    const int32_t width = std::min(plan.texture_width, record->width - plan.x);
    const int32_t height = std::min(plan.texture_height, record->height - plan.y);
    // A square cut beyond the graphic holds nothing.
    if (width <= 0 || height <= 0) continue;
    const int32_t handle =
        AddSurface3DData(plan.texture_width, plan.texture_height, plan.x, plan.y, width, height,
                         plan.x, plan.y, graphic, -1, 0, 0, &record->settings);
    if (handle < 0) return -1;
    SetDiagonalFlags(GetSurface3DData(handle), record->width, record->height);
    record->surfaces[record->surface_count++] = handle;
  }
  return 0;
}

int CreateDerivedGraphicTextures(int32_t graphic, int32_t x, int32_t y, int32_t width,
                                 int32_t height, int32_t parent) {
  if (Direct3DObject == nullptr) return -1;
  GraphicRecord* const record = GetGraphicRecord(graphic);
  const GraphicRecord* const source = GetGraphicRecord(parent);
  if (record == nullptr || source == nullptr) return -1;
  record->surface_count = 0;

  const auto fail = [record]() {
    for (int32_t i = 0; i < record->surface_count; ++i) DeleteSurface3DData(record->surfaces[i]);
    record->surface_count = 0;
    return -1;
  };
  if (source->surface_count == 1) {
    const Surface3DData* const piece = GetSurface3DData(source->surfaces[0]);
    if (piece == nullptr) return -1;
    const int32_t handle = AddSurface3DData(0, 0, 0, 0, width, height, x, y, graphic,
                                            source->surfaces[0], x, y, &record->settings);
    if (handle < 0) return -1;
    SetDiagonalFlags(GetSurface3DData(handle), width, height);
    record->surfaces[record->surface_count++] = handle;
    return 0;
  }
  for (int32_t i = 0; i < source->surface_count; ++i) {
    const int32_t parent_handle = source->surfaces[i];
    const Surface3DData* const piece = GetSurface3DData(parent_handle);
    if (piece == nullptr) return fail();
    const int32_t left = std::max<int32_t>(x, piece->x);
    const int32_t top = std::max<int32_t>(y, piece->y);
    const int32_t right = std::min<int32_t>(x + width, piece->x + piece->width);
    const int32_t bottom = std::min<int32_t>(y + height, piece->y + piece->height);
    if (left >= right || top >= bottom) continue;
    const int32_t handle = AddSurface3DData(
        0, 0, left - x, top - y, right - left, bottom - top, left - piece->x, top - piece->y,
        graphic, parent_handle, left - piece->x, top - piece->y, &record->settings);
    if (handle < 0) return fail();
    SetDiagonalFlags(GetSurface3DData(handle), width, height);
    record->surfaces[record->surface_count++] = handle;
  }
  return 0;
}

int DeleteGraphicTextures(int32_t graphic) {
  GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  // Pieces are freed even after Direct3D ended, so none is left behind.
  for (int32_t i = 0; i < record->surface_count; ++i) DeleteSurface3DData(record->surfaces[i]);
  record->surface_count = 0;
  return 0;
}

int ForEachGraphicTexture(int32_t graphic, int32_t r, int32_t g, int32_t b, int32_t a) {
  if (Direct3DObject == nullptr) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  int result = 0;
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface3DData* const piece = GetSurface3DData(record->surfaces[i]);
    if (piece == nullptr) return -1;
    if (FillSurfaceDataColor(piece->texture, r, g, b, a) < 0) result = -1;
  }
  return result;
}

// ---- Uploads --------------------------------------------------------------------------------

int TransferWorkTexture(const GraphImage* image, const GraphImage* alpha, const RECT* rect,
                        int32_t texture_x, int32_t texture_y, int32_t piece_handle) {
  if (Direct3DObject == nullptr) return -1;
  const Surface3DData* const piece = GetSurface3DData(piece_handle);
  if (piece == nullptr) return -1;
  SurfaceDataRecord* const data = GetSurfaceDataRecord(piece->texture);
  if (data == nullptr || data->surface == nullptr || image->pixels == nullptr) return -1;
  const TextureFormatRecord* const format = GetTextureFormatRecord(data->texture_format);
  if (format == nullptr) return -1;
  FlushCurrentD3DBatch();

  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  IDirectDrawSurface7* work = nullptr;
  if (data->surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) < 0) {
    // The texture cannot be written directly: go through a texture in system
    // memory and the device's texture copy.
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE;
    description.dwWidth = data->width;
    description.dwHeight = data->height;
    description.ddpfPixelFormat = format->pixel_format;
    if (Screen.DirectDrawObject == nullptr ||
        Screen.DirectDrawObject->CreateSurface(&description, &work, nullptr) < 0 ||
        work == nullptr) {
      FatalExit("テンポラリテクスチャサーフェスの作成に失敗しました");
    }
    locked = DDSURFACEDESC2{};
    locked.dwSize = sizeof(locked);
    if (work->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) < 0) {
      work->Release();
      return -1;
    }
  }

  // A texture with alpha made from an image without it: the transparent
  // colour becomes clear.
  const bool source_alpha = image->format.alpha_width != 0 || alpha != nullptr;
  const int alpha_from_key = format->format.alpha_width != 0 && !source_alpha ? 1 : 0;
  ConvertImageBlit(locked.lpSurface, locked.lPitch, &format->format, image->pixels, image->pitch,
                   &image->format, alpha != nullptr ? alpha->pixels : nullptr,
                   alpha != nullptr ? alpha->pitch : 0,
                   alpha != nullptr ? &alpha->format : nullptr, texture_x, texture_y, rect, 0,
                   alpha_from_key, data->transparent_color, 0, 0, 0, 0);

  if (work == nullptr) {
    data->surface->Unlock(nullptr);
  } else {
    work->Unlock(nullptr);
    RECT area = {texture_x, texture_y, texture_x + (rect->right - rect->left),
                 texture_y + (rect->bottom - rect->top)};
    POINT point = {texture_x, texture_y};
    IDirect3DDevice7* const device = GetCurrentD3DDeviceObject();
    if (device == nullptr || device->Load(data->surface, &point, work, &area, 0) < 0) {
      work->Release();
      FatalExit("作業用テクスチャサーフェスから描画用テクスチャサーフェスへの画像転送に失敗しました");
    }
    work->Release();
  }
  SetSurfaceColorKey(piece->texture);
  return 0;
}

// Uploads the part of one piece that meets `area` (graphic coordinates); the
// image holds graphic pixel (x, y) at (origin_x + x, origin_y + y).
static int UploadPiecePart(const Surface3DData* piece, int32_t piece_handle,
                           const GraphImage* image, const GraphImage* alpha, RECT area,
                           int32_t origin_x, int32_t origin_y) {
  RECT part = {std::max<int32_t>(area.left, piece->x), std::max<int32_t>(area.top, piece->y),
               std::min<int32_t>(area.right, piece->x + piece->width),
               std::min<int32_t>(area.bottom, piece->y + piece->height)};
  // Only pixels inside the image are read.
  part.left = std::max<int32_t>(part.left, -origin_x);
  part.top = std::max<int32_t>(part.top, -origin_y);
  part.right = std::min<int32_t>(part.right, image->width - origin_x);
  part.bottom = std::min<int32_t>(part.bottom, image->height - origin_y);
  if (alpha != nullptr) {
    part.right = std::min<int32_t>(part.right, alpha->width - origin_x);
    part.bottom = std::min<int32_t>(part.bottom, alpha->height - origin_y);
  }
  if (part.left >= part.right || part.top >= part.bottom) return 0;
  const RECT source = {origin_x + part.left, origin_y + part.top, origin_x + part.right,
                       origin_y + part.bottom};
  return TransferWorkTexture(image, alpha, &source, piece->texture_x + (part.left - piece->x),
                             piece->texture_y + (part.top - piece->y), piece_handle);
}

// Uploads `area` (graphic coordinates) of every piece of the graphic.
static int UploadAreaToPieces(const GraphicRecord* record, const GraphImage* image,
                              const GraphImage* alpha, const RECT& area, int32_t origin_x,
                              int32_t origin_y) {
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface3DData* const piece = GetSurface3DData(record->surfaces[i]);
    if (piece == nullptr) return -1;
    if (UploadPiecePart(piece, record->surfaces[i], image, alpha, area, origin_x, origin_y) < 0) {
      return -1;
    }
  }
  return 0;
}

int UploadRectToTextures(int32_t graphic, const GraphImage* image, const GraphImage* alpha,
                         const RECT* rect) {
  if (Direct3DObject == nullptr) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  const RECT area = {rect->left - record->offset_x, rect->top - record->offset_y,
                     rect->right - record->offset_x, rect->bottom - record->offset_y};
  // The image holds the graphic at its offset.
  return UploadAreaToPieces(record, image, alpha, area, record->offset_x, record->offset_y);
}

int UploadImageRectToTexturesAt(int32_t graphic, const GraphImage* image, const RECT* source,
                                int32_t x, int32_t y) {
  if (Direct3DObject == nullptr) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  const RECT area = {x, y, x + (source->right - source->left), y + (source->bottom - source->top)};
  return UploadAreaToPieces(record, image, nullptr, area, source->left - x, source->top - y);
}

int TransferSurfaceToTextures(const GraphImage* frame, int32_t graphic, int32_t alpha_mask) {
  if (Direct3DObject == nullptr) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr || frame == nullptr) return -1;
  // A frame with an alpha mask holds the picture in its upper half and the
  // alpha in its lower half, in the same layout.
  GraphImage color = *frame;
  GraphImage alpha{};
  if (alpha_mask != 0) {
    color.height = frame->height / 2;
    alpha = color;
    alpha.pixels = frame->pixels + static_cast<intptr_t>(color.height) * frame->pitch;
  }
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface3DData* const piece = GetSurface3DData(record->surfaces[i]);
    if (piece == nullptr) return -1;
    // The piece shows the frame's pixels from its source position on.
    const RECT area = {piece->x, piece->y, piece->x + piece->width, piece->y + piece->height};
    if (UploadPiecePart(piece, record->surfaces[i], &color, alpha_mask != 0 ? &alpha : nullptr,
                        area, piece->source_x - piece->x, piece->source_y - piece->y) < 0) {
      return -1;
    }
  }
  return 0;
}

int UploadImageToTextures(int32_t graphic, const GraphImage* image, const GraphImage* alpha) {
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  const RECT whole = {record->offset_x, record->offset_y, record->offset_x + record->width,
                      record->offset_y + record->height};
  return UploadRectToTextures(graphic, image, alpha, &whole);
}

// ---- Restore -----------------------------------------------------------------------------------

int RestoreGraphicTextures(int32_t graphic) {
  if (Direct3DObject == nullptr) return -1;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr) return -1;
  int result = 0;
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface3DData* const piece = GetSurface3DData(record->surfaces[i]);
    if (piece == nullptr) return -1;
    result |= RestoreSurfaceObjects(piece->texture);
  }
  return result;
}

int RestoreSurface3DImage(int32_t piece_handle) {
  if (Direct3DObject == nullptr) return -1;
  const Surface3DData* const piece = GetSurface3DData(piece_handle);
  if (piece == nullptr) return -1;
  return RestoreSurfaceObjects(piece->texture);
}

int RestoreAllTextures() {
  if (Direct3DObject == nullptr) return -1;
  for (int32_t slot = 0; slot < TextureHandleTable.area_end; ++slot) {
    const auto* const piece = reinterpret_cast<const Surface3DData*>(TextureHandleTable.records[slot]);
    if (piece != nullptr) RestoreSurfaceObjects(piece->texture);
  }
  return 0;
}
