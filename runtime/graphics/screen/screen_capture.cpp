// Capturing the draw screen into texture graphics, and the spare bits of
// pixels copied from the screen.
#include "runtime/graphics/screen/screen_capture.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/d3d.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/gdi.h"
#include "platform/win32/kernel.h"
#include "platform/win32/user.h"
#include "runtime/core/log.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"

const DrawScreenGraphFunction DrawScreenGraphFunctionTable[6] = {
    G_D3D_GetDrawScreenGraphFunction5, G_D3D_GetDrawScreenGraphFunction1,
    G_D3D_GetDrawScreenGraphFunction3, G_D3D_GetDrawScreenGraphFunction2,
    G_D3D_GetDrawScreenGraphFunction4, nullptr,
};

namespace {

// What is copied from: the surface, its size and where the draw screen's
// origin lies on it.
struct CaptureSource {
  IDirectDrawSurface7* surface;
  int32_t width;
  int32_t height;
  int32_t origin_x;
  int32_t origin_y;
  bool desktop;  // the whole desktop, through the primary surface
};

bool DesktopCapture(int32_t flag) {
  return flag == 0 && GetWindowModeFlag() != 0 && DrawTarget == kDrawTargetFrontScreen;
}

CaptureSource GetCaptureSource(int32_t flag) {
  CaptureSource source{};
  if (DesktopCapture(flag)) {
    source.desktop = true;
    source.surface = Screen.PrimarySurface;
    source.width = GetSystemMetrics(SM_CXSCREEN);
    source.height = GetSystemMetrics(SM_CYSCREEN);
    return source;
  }
  // What Direct3D renders into is the draw screen.
  const D3DDeviceRecord* const record = GetD3DDeviceRecord(CurrentD3DDevice);
  if (record != nullptr && record->render_target != nullptr) {
    source.surface = record->render_target;
  } else {
    source.surface =
        DrawTarget == kDrawTargetFrontScreen ? GetScreenDrawSurface() : Screen.BackSurface;
  }
  QueryGraphicSize(DrawTarget, &source.width, &source.height);
  source.origin_x = DrawTargetRect.left;
  source.origin_y = DrawTargetRect.top;
  return source;
}

// The checks every method makes on the rectangle.
bool RectangleFits(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const GraphicRecord* graphic,
                   const CaptureSource& source) {
  return source.surface != nullptr && x1 >= 0 && y1 >= 0 && x1 < x2 && y1 < y2 &&
         x1 <= source.width && y1 <= source.height && x2 - x1 <= graphic->width &&
         y2 - y1 <= graphic->height;
}

// One piece's share of the copy: the part of the rectangle that lies on the
// piece and on the screen.
struct PieceCopy {
  const Surface3DData* piece;
  SurfaceDataRecord* data;
  RECT from;        // on the source surface
  int32_t dest_x;   // in the piece's texture
  int32_t dest_y;
  int32_t width;
  int32_t height;
};

// 1 with `copy` filled, 0 for a piece with nothing to copy, -1 for a bad
// piece.
int GetPieceCopy(int32_t handle, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                 const CaptureSource& source, PieceCopy* copy) {
  copy->piece = GetSurface3DData(handle);
  copy->data = copy->piece != nullptr ? GetSurfaceDataRecord(copy->piece->texture) : nullptr;
  if (copy->data == nullptr || copy->data->surface == nullptr) return -1;
  const Surface3DData& piece = *copy->piece;
  const int32_t width = std::min<int32_t>(
      {piece.width, source.width - piece.x - x1, (x2 - x1) - piece.x});
  const int32_t height = std::min<int32_t>(
      {piece.height, source.height - piece.y - y1, (y2 - y1) - piece.y});
  if (width <= 0 || height <= 0) return 0;
  const int32_t left = piece.x + source.origin_x + x1;
  const int32_t top = piece.y + source.origin_y + y1;
  copy->from = RECT{left, top, left + width, top + height};
  copy->dest_x = piece.texture_x;
  copy->dest_y = piece.texture_y;
  copy->width = width;
  copy->height = height;
  return 1;
}

// Walks the pieces of `graphic`, calling `copy_piece` for each one with
// something to copy and setting the piece's colour key again after each
// success. 0, or -1 at the first failure.
template <typename CopyPiece>
int ForEachPieceCopy(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const GraphicRecord* graphic,
                     const CaptureSource& source, CopyPiece copy_piece) {
  for (int32_t i = 0; i < graphic->surface_count; ++i) {
    PieceCopy copy{};
    const int found = GetPieceCopy(graphic->surfaces[i], x1, y1, x2, y2, source, &copy);
    if (found < 0) return -1;
    if (found == 0) continue;
    if (copy_piece(copy) < 0) return -1;
    SetSurfaceColorKey(copy.piece->texture);
  }
  return 0;
}

const TextureFormatRecord* PieceFormat(const PieceCopy& copy) {
  return GetTextureFormatRecord(copy.data->texture_format);
}

// A texture in system memory of the piece's format and the copy's size.
IDirectDrawSurface7* MakeWorkTexture(const PieceCopy& copy, HRESULT* result) {
  const TextureFormatRecord* const format = PieceFormat(copy);
  *result = E_FAIL;
  if (format == nullptr || Screen.DirectDrawObject == nullptr) return nullptr;
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  description.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  description.dwWidth = static_cast<DWORD>(copy.width);
  description.dwHeight = static_cast<DWORD>(copy.height);
  description.ddpfPixelFormat = format->pixel_format;
  IDirectDrawSurface7* work = nullptr;
  *result = Screen.DirectDrawObject->CreateSurface(&description, &work, nullptr);
  if (*result < 0 || work == nullptr) {
    if (*result >= 0) *result = E_FAIL;
    return nullptr;
  }
  return work;
}

// The first steps of methods 3 and 4: a work texture holding the screen's
// pixels of the copy, put there through the device contexts. Null after a
// logged failure.
IDirectDrawSurface7* ScreenToWorkTexture(const char* method, HDC screen_dc,
                                         const PieceCopy& copy) {
  HRESULT result;
  IDirectDrawSurface7* const work = MakeWorkTexture(copy, &result);
  if (work == nullptr) {
    LogPrintf("Error  %s 　作業用テクスチャサーフェスの作成に失敗しました  CreateSurface  "
              "ReturnValue:%d",
              method, static_cast<int>(result));
    return nullptr;
  }
  HDC work_dc = nullptr;
  result = work->GetDC(&work_dc);
  if (result < 0) {
    LogPrintf("Error  %s 　作業用テクスチャサーフェスのＤＣ取得に失敗しました  GetDC  "
              "ReturnValue:%d",
              method, static_cast<int>(result));
    work->Release();
    return nullptr;
  }
  const BOOL copied = BitBlt(work_dc, 0, 0, copy.width, copy.height, screen_dc, copy.from.left,
                             copy.from.top, SRCCOPY);
  if (!copied) {
    LogPrintf("Error  %s 　作業用テクスチャサーフェスへのイメージ転送に失敗しました  BitBlt  "
              "ErrorCode:%x",
              method, static_cast<unsigned>(copied));
    work->ReleaseDC(work_dc);
    work->Release();
    return nullptr;
  }
  result = work->ReleaseDC(work_dc);
  if (result < 0) {
    LogPrintf("Error  %s 　作業用テクスチャサーフェスのＤＣ解放に失敗しました  ReleaseDC  "
              "ReturnValue:%d",
              method, static_cast<int>(result));
    work->Release();
    return nullptr;
  }
  return work;
}

// The capture with the method at `index` of the table.
int RunMethod(int32_t index, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
              GraphicRecord* graphic, int32_t flag) {
  return DrawScreenGraphFunctionTable[index](x1, y1, x2, y2, graphic, flag);
}

}  // namespace

// ---- The five methods -------------------------------------------------------------------

int G_D3D_GetDrawScreenGraphFunction1(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag) {
  const CaptureSource source = GetCaptureSource(flag);
  if (!RectangleFits(x1, y1, x2, y2, graphic, source)) return -1;
  if (source.desktop && GetScreenDrawSurface() != Screen.PrimarySurface) return -1;
  return ForEachPieceCopy(x1, y1, x2, y2, graphic, source, [&](PieceCopy& copy) {
    const HRESULT result =
        copy.data->surface->BltFast(static_cast<DWORD>(copy.dest_x),
                                    static_cast<DWORD>(copy.dest_y), source.surface, &copy.from, 0);
    if (result < 0) {
      return LogPrintf("Error G_D3D_GetDrawScreenGraphFunction1  BltFast ReturnValue:%d",
                       static_cast<int>(result));
    }
    return 0;
  });
}

int G_D3D_GetDrawScreenGraphFunction2(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag) {
  const CaptureSource source = GetCaptureSource(flag);
  if (!RectangleFits(x1, y1, x2, y2, graphic, source)) return -1;
  HDC screen_dc = nullptr;
  HRESULT result = source.surface->GetDC(&screen_dc);
  if (result < 0) {
    return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction2  ＤＣ取得に失敗しました  GetDC "
                     "ReturnValue:%d",
                     static_cast<int>(result));
  }
  const int copied = ForEachPieceCopy(x1, y1, x2, y2, graphic, source, [&](PieceCopy& copy) {
    HDC texture_dc = nullptr;
    HRESULT hr = copy.data->surface->GetDC(&texture_dc);
    if (hr < 0) {
      return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction2 　作業用テクスチャサーフェスの"
                       "ＤＣ取得に失敗しました  GetDC ReturnValue:%d",
                       static_cast<int>(hr));
    }
    const BOOL blitted = BitBlt(texture_dc, copy.dest_x, copy.dest_y, copy.width, copy.height,
                                screen_dc, copy.from.left, copy.from.top, SRCCOPY);
    if (!blitted) {
      copy.data->surface->ReleaseDC(texture_dc);
      return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction2 　作業用テクスチャサーフェスへの"
                       "イメージ転送に失敗しました  BitBlt  ErrorCode:%x",
                       static_cast<unsigned>(blitted));
    }
    hr = copy.data->surface->ReleaseDC(texture_dc);
    if (hr < 0) {
      return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction2 　作業用テクスチャサーフェスの"
                       "ＤＣ解放に失敗しました  ReleaseDC ReturnValue:%d",
                       static_cast<int>(hr));
    }
    return 0;
  });
  source.surface->ReleaseDC(screen_dc);
  return copied;
}

int G_D3D_GetDrawScreenGraphFunction3(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag) {
  const CaptureSource source = GetCaptureSource(flag);
  if (!RectangleFits(x1, y1, x2, y2, graphic, source)) return -1;
  HDC screen_dc = nullptr;
  const HRESULT result = source.surface->GetDC(&screen_dc);
  if (result < 0) {
    return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction3 　ＤＣ取得に失敗しました  GetDC  "
                     "ReturnValue:%d",
                     static_cast<int>(result));
  }
  const int copied = ForEachPieceCopy(x1, y1, x2, y2, graphic, source, [&](PieceCopy& copy) {
    IDirectDrawSurface7* const work =
        ScreenToWorkTexture("G_D3D_GetDrawScreenGraphFunction3", screen_dc, copy);
    if (work == nullptr) return -1;
    DDSURFACEDESC2 to{};
    to.dwSize = sizeof(to);
    RECT area{copy.dest_x, copy.dest_y, copy.dest_x + copy.width, copy.dest_y + copy.height};
    HRESULT hr = copy.data->surface->Lock(&area, &to, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (hr < 0) {
      work->Release();
      return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction3 　転送先テクスチャサーフェスの"
                       "ロックに失敗しました  Lock  ReturnValue:%d",
                       static_cast<int>(hr));
    }
    DDSURFACEDESC2 from{};
    from.dwSize = sizeof(from);
    hr = work->Lock(nullptr, &from, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
    if (hr < 0) {
      copy.data->surface->Unlock(&area);
      work->Release();
      return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction3 　作業用テクスチャサーフェスの"
                       "ロックに失敗しました  Lock  ReturnValue:%d",
                       static_cast<int>(hr));
    }
    // The work texture has the piece's format: rows are copied as they are.
    const size_t row_bytes =
        static_cast<size_t>(copy.width) * (from.ddpfPixelFormat.dwRGBBitCount / 8);
    for (int32_t y = 0; y < copy.height; ++y) {
      std::memcpy(static_cast<uint8_t*>(to.lpSurface) + static_cast<ptrdiff_t>(y) * to.lPitch,
                  static_cast<const uint8_t*>(from.lpSurface) +
                      static_cast<ptrdiff_t>(y) * from.lPitch,
                  row_bytes);
    }
    work->Unlock(nullptr);
    copy.data->surface->Unlock(&area);
    work->Release();
    return 0;
  });
  source.surface->ReleaseDC(screen_dc);
  return copied;
}

int G_D3D_GetDrawScreenGraphFunction4(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag) {
  const CaptureSource source = GetCaptureSource(flag);
  if (!RectangleFits(x1, y1, x2, y2, graphic, source)) return -1;
  IDirect3DDevice7* const device = GetCurrentD3DDeviceObject();
  if (device == nullptr) return -1;
  HDC screen_dc = nullptr;
  const HRESULT result = source.surface->GetDC(&screen_dc);
  if (result < 0) {
    return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction4 　ＤＣ取得に失敗しました  GetDC  "
                     "ReturnValue:%d",
                     static_cast<int>(result));
  }
  const int copied = ForEachPieceCopy(x1, y1, x2, y2, graphic, source, [&](PieceCopy& copy) {
    IDirectDrawSurface7* const work =
        ScreenToWorkTexture("G_D3D_GetDrawScreenGraphFunction4", screen_dc, copy);
    if (work == nullptr) return -1;
    POINT point{copy.dest_x, copy.dest_y};
    RECT whole{0, 0, copy.width, copy.height};
    // A busy texture is restored and tried again, ten times in all.
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < 10; ++attempt) {
      hr = device->Load(copy.data->surface, &point, work, &whole, 0);
      if (hr != DDERR_SURFACEBUSY) break;
      copy.data->surface->Restore();
      Sleep(1);
    }
    work->Release();
    if (hr < 0) {
      int32_t client_left = 0, client_top = 0, client_right = 0, client_bottom = 0;
      GetClientScreenRect(&client_left, &client_top, &client_right, &client_bottom);
      LogPrintf("hr:%d  W:%d  H:%d  FullMode:%d  Point x:%d y:%d   Rect top:%d bottom:%d "
                "left:%d right:%d",
                static_cast<int>(hr), copy.width, copy.height, GetWindowModeFlag() == 0 ? 1 : 0,
                static_cast<int>(point.x), static_cast<int>(point.y), 0, copy.height, 0,
                copy.width);
      const SurfaceSettings& settings = copy.data->settings;
      LogPrintf("AlphaCh:%d  AlphaTest:%d  ColorBitDepth:%d", settings.AlphaChFlag,
                settings.AlphaTestFlag, settings.ColorBitDepth);
      LogPrintf("ScreenColor:%d  SizeX:%d  SizeY:%d  DrawPointX:%d  DrawPointY:%d  "
                "WndRect.left:%d  WndRect.top:%d  left:%d  top:%d",
                Screen.ScreenPixelDepth, source.width, source.height, x1, y1, client_left,
                client_top, static_cast<int>(copy.from.left), static_cast<int>(copy.from.top));
      return -1;
    }
    return 0;
  });
  source.surface->ReleaseDC(screen_dc);
  return copied;
}

int G_D3D_GetDrawScreenGraphFunction5(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag) {
  const CaptureSource source = GetCaptureSource(flag);
  if (!RectangleFits(x1, y1, x2, y2, graphic, source)) return -1;
  if (DesktopCapture(flag)) return -1;
  // The screen's pixels are converted from its own format.
  ColorFormat screen_format = Screen.ScreenColorFormat;
  DDPIXELFORMAT pixel_format{};
  pixel_format.dwSize = sizeof(pixel_format);
  if (source.surface->GetPixelFormat(&pixel_format) >= 0 && pixel_format.dwRGBBitCount != 0) {
    DeriveColorFormatChannels(&pixel_format, &screen_format);
  }
  return ForEachPieceCopy(x1, y1, x2, y2, graphic, source, [&](PieceCopy& copy) {
    const TextureFormatRecord* const format = PieceFormat(copy);
    if (format == nullptr) return -1;
    DDSURFACEDESC2 to{};
    to.dwSize = sizeof(to);
    RECT area{copy.dest_x, copy.dest_y, copy.dest_x + copy.width, copy.dest_y + copy.height};
    HRESULT hr = copy.data->surface->Lock(&area, &to, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (hr < 0) {
      return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction5 　転送先テクスチャサーフェスの"
                       "ロックに失敗しました  Lock  ReturnValue:%d",
                       static_cast<int>(hr));
    }
    // The screen is only read: a read lock also makes the primary surface
    // take the window's picture first.
    DDSURFACEDESC2 from{};
    from.dwSize = sizeof(from);
    RECT screen_area = copy.from;
    hr = source.surface->Lock(&screen_area, &from, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
    if (hr < 0) {
      copy.data->surface->Unlock(&area);
      return LogPrintf("Error  G_D3D_GetDrawScreenGraphFunction5 　作業用テクスチャサーフェスの"
                       "ロックに失敗しました  Lock  ReturnValue:%d",
                       static_cast<int>(hr));
    }
    const RECT rect{0, 0, copy.width, copy.height};
    ConvertImageBlit(to.lpSurface, to.lPitch, &format->format, from.lpSurface, from.lPitch,
                     &screen_format, nullptr, 0, nullptr, 0, 0, &rect, 0, 0, 0, 0, 0, 0, 0);
    source.surface->Unlock(&screen_area);
    copy.data->surface->Unlock(&area);
    return 0;
  });
}

// ---- The capture ------------------------------------------------------------------------

int GetDrawScreenGraphD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t handle,
                          int32_t flag) {
  if (GetD3DDeviceRecord(CurrentD3DDevice) == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  FlushCurrentD3DBatch();
  EndCurrentD3DScene();
  GraphicRecord* const graphic = GetGraphicRecord(handle);
  if (graphic == nullptr || graphic->surface_count < 1) return -1;
  const Surface3DData* const piece = GetSurface3DData(graphic->surfaces[0]);
  const SurfaceDataRecord* const data =
      piece != nullptr ? GetSurfaceDataRecord(piece->texture) : nullptr;
  if (data == nullptr) return -1;

  // Graphics with and without alpha remember their methods apart.
  const bool alpha = data->settings.AlphaChFlag != 0 || data->settings.AlphaTestFlag != 0;
  int32_t& memo = DrawScreenGraphMethodMemo[alpha ? 1 : 0];
  if (memo >= 0 && DrawScreenGraphFunctionTable[memo] != nullptr) {
    const int result = RunMethod(memo, x1, y1, x2, y2, graphic, flag);
    if (result >= 0) return result;
  }
  int result = -1;
  for (memo = 0; DrawScreenGraphFunctionTable[memo] != nullptr; ++memo) {
    result = RunMethod(memo, x1, y1, x2, y2, graphic, flag);
    if (result == 0) return 0;
  }
  memo = -1;
  return result;
}

int SetSpareBitsInRect(const RECT* rect, void* pixels, int32_t pitch, const ColorFormat* format,
                       uint32_t value) {
  if (format->spare_mask == 0) return 0;
  const int32_t left = std::min(rect->left, rect->right), right = std::max(rect->left, rect->right);
  const int32_t top = std::min(rect->top, rect->bottom), bottom = std::max(rect->top, rect->bottom);
  auto* const base = static_cast<uint8_t*>(pixels);
  if (format->bytes_per_pixel == 2) {
    const uint16_t bits = static_cast<uint16_t>((value & 0xFFFF) << format->spare_shift);
    for (int32_t y = top; y < bottom; ++y) {
      auto* const row = base + static_cast<ptrdiff_t>(y) * pitch;
      for (int32_t x = left; x < right; ++x) {
        uint16_t pixel;
        std::memcpy(&pixel, row + x * 2, 2);
        pixel |= bits;
        std::memcpy(row + x * 2, &pixel, 2);
      }
    }
  } else if (format->bytes_per_pixel == 4) {
    const uint32_t bits = format->spare_mask == 0xFF000000u ? (value & 0xFF) << 24
                                                            : value << format->spare_shift;
    for (int32_t y = top; y < bottom; ++y) {
      auto* const row = base + static_cast<ptrdiff_t>(y) * pitch;
      for (int32_t x = left; x < right; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, row + x * 4, 4);
        pixel |= bits;
        std::memcpy(row + x * 4, &pixel, 4);
      }
    }
  }
  return 0;
}
