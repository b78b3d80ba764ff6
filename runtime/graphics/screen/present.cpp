// Presenting the screen, the vertical-blank waits, the software front image
// and the surface or image 2D drawing writes to.
#include "runtime/graphics/screen/present.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/ddraw.h"
#include "platform/win32/gdi.h"
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/library_state.h"
#include "runtime/core/log.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"
#include "runtime/image/mem_image.h"
#include "runtime/softrender/box_fill.h"


namespace {

constexpr int32_t kOsVista = 0x108;

bool AccelerationOff() { return Screen.HardwareAccelOff == 1; }

bool SoftwareScreen() { return Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8; }

// Full screen with nothing of GDI's shown over it.
bool PlainFullScreen() {
  return GetWindowModeFlag() == 0 && Screen.ShowGdiSurface == 0 && GetMenuInUseFlag() == 0;
}

// A top-down device-independent description of a software image: the
// header and the red, green and blue masks. The width is the image's row
// length in pixels, so rows of any pitch are read where they are.
struct ImageDescription {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};

ImageDescription DescribeImage(const MEMIMG& image) {
  ImageDescription description{};
  const ColorFormat* format = image.format;
  description.header.biSize = sizeof(BITMAPINFOHEADER);
  description.header.biWidth = image.pitch / format->bytes_per_pixel;
  description.header.biHeight = -image.height;
  description.header.biPlanes = 1;
  description.header.biBitCount = format->bit_depth;
  description.header.biCompression = BI_BITFIELDS;
  description.masks[0] = format->red_mask;
  description.masks[1] = format->green_mask;
  description.masks[2] = format->blue_mask;
  return description;
}

const BITMAPINFO* AsInfo(const ImageDescription& description) {
  return reinterpret_cast<const BITMAPINFO*>(&description);
}

// Draws the debug console over the screen with plain settings, when it is
// shown.
void DrawConsoleIfShown() {
  if (UpperIsDebugConsoleShown() == 0) return;
  const RECT area = DrawArea;
  const int32_t mode = BlendMode, param = BlendParam;
  const uint32_t brightness = DrawBrightness;
  int32_t width, height;
  GetScreenSize(&width, &height);
  ChangeDrawArea(0, 0, width, height);
  ChangeBlendMode(0, 0);
  ChangeDrawBrightness(255, 255, 255);
  UpperDrawDebugConsole();
  ChangeDrawArea(area.left, area.top, area.right, area.bottom);
  ChangeBlendMode(mode, param);
  SetDrawBrightnessColor(brightness);
}

// The client area's top-left on the desktop.
POINT ClientOrigin() {
  int32_t left = 0, top = 0;
  GetClientScreenRect(&left, &top, nullptr, nullptr);
  return POINT{left, top};
}

bool BlankBegun() {
  BOOL in_blank = FALSE;
  Screen.DirectDrawObject->GetVerticalBlankStatus(&in_blank);
  return in_blank != FALSE;
}

// The software back image to the window through GDI.
void TransferBackImageByGdi(const RECT& dest) {
  int32_t width, height;
  GetScreenSize(&width, &height);
  const ImageDescription description = DescribeImage(Screen.BackMemImage);
  const HWND window = GetMainWindowHandle();
  HDC dc = GetDC(window);
  const int32_t dest_width = dest.right - dest.left, dest_height = dest.bottom - dest.top;
  if (dest_width == width && dest_height == height) {
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), Screen.BackMemImage.pixels, AsInfo(description),
                      DIB_RGB_COLORS);
  } else {
    StretchDIBits(dc, 0, 0, dest_width, dest_height, 0, 0, width, height,
                  Screen.BackMemImage.pixels, AsInfo(description), DIB_RGB_COLORS, SRCCOPY);
  }
  ReleaseDC(window, dc);
}

// The software back image through the back surface (acceleration on).
void TransferBackImageByDirectDraw(RECT* source, RECT* dest) {
  const int32_t asked = GetScreenColorDepthDefault();
  const bool image_in_surface = Screen.BackMemImage.pixels_borrowed == 1;
  if (image_in_surface) {
    Screen.BackSurface->Unlock(nullptr);
    if (Screen.FlipWaitVSync) WaitFramePacedVBlank();
    Screen.PrimarySurface->Blt(dest, Screen.BackSurface, source, DDBLT_WAIT, nullptr);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    if (FAILED(Screen.BackSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) {
      FatalExit("バックサーフェスのロックに失敗しました");
    }
    int32_t width, height;
    GetScreenSize(&width, &height);
    std::memset(&Screen.BackMemImage, 0, sizeof(Screen.BackMemImage));
    Screen.BackMemImage.pixels = static_cast<uint8_t*>(locked.lpSurface);
    InitMemImage(&Screen.BackMemImage, width, height, locked.lPitch, 0, asked == 16 ? 0 : 1, 0, 0,
                 0);
    return;
  }
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  if (FAILED(Screen.BackSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) {
    FatalExit("バックサーフェスのロックに失敗しました");
  }
  GraphImage surface_image{};
  surface_image.format = Screen.ScreenColorFormat;
  surface_image.width = static_cast<int32_t>(locked.dwWidth);
  surface_image.height = static_cast<int32_t>(locked.dwHeight);
  surface_image.pitch = locked.lPitch;
  surface_image.pixels = static_cast<uint8_t*>(locked.lpSurface);
  TransferMemImageToGraphImage(&surface_image, &Screen.BackMemImage, 0, 0,
                               Screen.BackMemImage.width, Screen.BackMemImage.height, 0, 0, 0, 0);
  Screen.BackSurface->Unlock(nullptr);
  if (Screen.FlipWaitVSync) WaitFramePacedVBlank();
  Screen.PrimarySurface->Blt(dest, Screen.BackSurface, source, DDBLT_WAIT, nullptr);
}

}  // namespace

int PresentScreen() {
  if (Screen.DirectDrawObject == nullptr && !AccelerationOff()) return -1;
  UpperWaitWhileInactive();
  if (Screen.MemImageRendering != 0 || Screen.ShowGdiSurface != 0 || AccelerationOff() ||
      GetWindowModeFlag() != 0 || GetMenuInUseFlag() != 0) {
    return ShowBackScreenSoftware();
  }
  DrawConsoleIfShown();
  if (DrawTarget == kDrawTargetFrontScreen && Screen.FlipWaitVSync == 1) {
    ++Screen.FlipCounter;
    return WaitVSync(1);
  }
  EndCurrentD3DScene();
  const DWORD flags = DDFLIP_WAIT | (Screen.FlipWaitVSync == 0 ? DDFLIP_NOVSYNC : 0);
  if (Screen.PrimarySurface != nullptr) Screen.PrimarySurface->Flip(nullptr, flags);
  if (Screen.FlipWaitVSync != 0) Sleep(1);
  ++Screen.FlipCounter;
  return 0;
}

int ShowBackScreenSoftware() {
  if (Screen.DirectDrawObject == nullptr && !AccelerationOff()) return -1;
  DrawConsoleIfShown();
  if (DrawTarget == kDrawTargetFrontScreen) {
    ++Screen.FlipCounter;
    return WaitVSync(1);
  }
  int32_t width, height;
  GetScreenSize(&width, &height);
  RECT source{0, 0, width, height};
  RECT dest = source;
  if (GetWindowModeFlag() != 0) {
    const POINT origin = ClientOrigin();
    const double scale = GetWindowScale();
    dest = RECT{origin.x, origin.y, origin.x + static_cast<LONG>(width * scale),
                origin.y + static_cast<LONG>(height * scale)};
  }

  if (!SoftwareScreen()) {
    // The DirectDraw screens.
    EndCurrentD3DScene();
    if (Screen.PrimarySurface == nullptr || Screen.BackSurface == nullptr) return 0;
    if (GetWindowModeFlag() != 0) {
      if (Screen.FlipWaitVSync) WaitFramePacedVBlank();
      Screen.PrimarySurface->Blt(&dest, Screen.BackSurface, &source, DDBLT_WAIT, nullptr);
    } else if (OsVersionCode != kOsVista) {
      if (Screen.FlipWaitVSync) WaitFramePacedVBlank();
      if (Screen.ShowGdiSurface == 0 && GetMenuInUseFlag() == 0) {
        Screen.PrimarySurface->BltFast(0, 0, Screen.BackSurface, &source, DDBLTFAST_WAIT);
      } else {
        Screen.PrimarySurface->Blt(nullptr, Screen.BackSurface, nullptr, DDBLT_WAIT, nullptr);
      }
    } else {
      Screen.PrimarySurface->Flip(nullptr,
                                  DDFLIP_WAIT | (Screen.FlipWaitVSync ? 0 : DDFLIP_NOVSYNC));
      if (Screen.ShowGdiSurface == 0 && GetMenuInUseFlag() == 0) {
        Screen.BackSurface->BltFast(0, 0, Screen.PrimarySurface, &source, DDBLTFAST_WAIT);
      } else {
        Screen.BackSurface->Blt(nullptr, Screen.PrimarySurface, nullptr, DDBLT_WAIT, nullptr);
        Screen.DirectDrawObject->FlipToGDISurface();
      }
    }
  } else {
    // The software screens.
    const DWORD start = timeGetTime();
    if (Screen.BackMemImage.magic == kMemImageMagic) {
      if (AccelerationOff() || Screen.DirectDrawObject == nullptr) {
        if (Screen.FlipWaitVSync) WaitFramePacedVBlank();
        TransferBackImageByGdi(RECT{0, 0, dest.right - dest.left, dest.bottom - dest.top});
      } else if (Screen.BackSurface != nullptr && Screen.PrimarySurface != nullptr) {
        TransferBackImageByDirectDraw(&source, &dest);
      }
    }
    Screen.SoftwareTransferTime = timeGetTime() - start;
    Screen.BackImageTransferred = 1;
  }
  ++Screen.FlipCounter;
  return 0;
}

int WaitVSync(int32_t count) {
  if (Screen.DirectDrawObject == nullptr) return -1;
  if (DrawInhibitFlag != 0) return 0;
  UpperWaitWhileInactive();
  if (count == 0) {
    for (;;) {
      if (UpperProcessMessage() != 0) break;
      if (BlankBegun()) break;
    }
    return 0;
  }
  for (int32_t i = 0; i < count; ++i) {
    // Out of any blank under way, then to the start of the next one.
    for (;;) {
      if (UpperProcessMessage() < 0) return -1;
      if (!BlankBegun()) break;
    }
    for (;;) {
      if (UpperProcessMessage() < 0) return -1;
      if (BlankBegun()) break;
    }
  }
  return 0;
}

uint32_t WaitFramePacedVBlank() {
  IDirectDraw7* object = Screen.DirectDrawObject;
  const int32_t period = Screen.FramePeriod;
  if (period == -1 || static_cast<int32_t>(timeGetTime() - Screen.LastVBlankWaitTime) >= period) {
    Sleep(0);
    if (object != nullptr && !BlankBegun()) {
      object->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    }
  } else {
    while (static_cast<int32_t>(timeGetTime() - Screen.LastVBlankWaitTime) < period) Sleep(1);
    if (object != nullptr) object->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  }
  Screen.LastVBlankWaitTime = timeGetTime();
  return Screen.LastVBlankWaitTime;
}

namespace {

// The window's part of the primary surface.
RECT FrontWindowRect() {
  int32_t width, height;
  GetScreenSize(&width, &height);
  const POINT origin = ClientOrigin();
  return RECT{origin.x, origin.y, origin.x + width, origin.y + height};
}

}  // namespace

int CopyFrontToBackSurface() {
  if (Screen.PrimarySurface == nullptr || Screen.TemporaryPrimarySurface == nullptr) return 0;
  RECT front = FrontWindowRect();
  Screen.TemporaryPrimarySurface->Blt(nullptr, Screen.PrimarySurface, &front, DDBLT_WAIT, nullptr);
  return 0;
}

int CopyBackToFrontSurface() {
  if (Screen.PrimarySurface == nullptr || Screen.TemporaryPrimarySurface == nullptr) return 0;
  RECT front = FrontWindowRect();
  Screen.PrimarySurface->Blt(&front, Screen.TemporaryPrimarySurface, nullptr, DDBLT_WAIT, nullptr);
  return 0;
}

// The window stand-in has no window timers: while the front screen is
// redirected to TemporaryPrimarySurface, its picture reaches the window when
// the front screen stops being the draw target.
void StartFrontScreenTimer() {}
void StopFrontScreenTimer() {}

void FrontScreenTimerProc() {
  StopFrontScreenTimer();
  if (Screen.PrimarySurface != nullptr) {
    CopyBackToFrontSurface();
    StartFrontScreenTimer();
  }
}

int SetDrawTarget2D(int32_t new_target, int32_t old_target) {
  Screen.DrawTargetMemImage = nullptr;
  if (old_target == kDrawTargetFrontScreen && Screen.VistaCompatMode != 0) {
    StopFrontScreenTimer();
    CopyBackToFrontSurface();
  }
  if (new_target == kDrawTargetFrontScreen) {
    Screen.DrawTargetSurface = GetScreenDrawSurface();
    Screen.DrawTargetMemImage = &Screen.PrimaryMemImage;
    Screen.DrawTargetZMemImage = nullptr;
    Screen.DrawTargetOffsetX = 0;
    Screen.DrawTargetOffsetY = 0;
    if (!AccelerationOff() && Screen.PrimarySurface != nullptr) {
      if (!PlainFullScreen()) Screen.PrimarySurface->SetClipper(nullptr);
      if (Screen.VistaCompatMode != 0) {
        Screen.PrimarySurface->SetClipper(Screen.ScreenClipper);
        CopyFrontToBackSurface();
        StartFrontScreenTimer();
      }
    }
  } else if (new_target == kDrawTargetBackScreen) {
    Screen.DrawTargetSurface = Screen.BackSurface;
    Screen.DrawTargetMemImage = &Screen.BackMemImage;
    Screen.DrawTargetZMemImage = &Screen.ZBufferMemImage;
    Screen.DrawTargetOffsetX = 0;
    Screen.DrawTargetOffsetY = 0;
  } else {
    const GraphicRecord* graphic = GetGraphicRecord(new_target);
    // Texture graphics are drawn on by Direct3D alone.
    if (graphic == nullptr || graphic->settings.texture_flag == 1 || graphic->surface_count < 1) {
      return -1;
    }
    const Surface2DRecord* surface = GetSurface2DRecord(graphic->surfaces[0]);
    SurfaceDataRecord* data = surface != nullptr ? GetSurfaceDataRecord(surface->surface_data) : nullptr;
    if (data == nullptr) return -1;
    const bool whole = surface->data_x == 0 && surface->data_y == 0 &&
                       surface->width == data->width && surface->height == data->height;
    if (data->software_flag == 1) {
      Screen.DrawTargetSurface = nullptr;
      Screen.DrawTargetOffsetX = 0;
      Screen.DrawTargetOffsetY = 0;
      // What is drawn from now on changes the picture: its run table and
      // premultiplied copy stop describing it.
      data->image.run_table_flag = 0;
      data->image.premultiplied_flag = 0;
      // A graphic showing a part of a shared image draws into that part.
      if (whole || data->image.magic != kMemImageMagic) {
        Screen.DrawTargetMemImage = &data->image;
      } else {
        MakeSubImageView(&Screen.DrawTargetViewImage, &data->image, surface->data_x,
                         surface->data_y, surface->width, surface->height);
        Screen.DrawTargetMemImage = &Screen.DrawTargetViewImage;
      }
    } else {
      Screen.DrawTargetSurface = data->surface;
      Screen.DrawTargetOffsetX = surface->data_x;
      Screen.DrawTargetOffsetY = surface->data_y;
    }
    Screen.DrawTargetZMemImage = nullptr;
    if (data->z_image.magic == kMemImageMagic) {
      if (whole) {
        Screen.DrawTargetZMemImage = &data->z_image;
      } else {
        MakeSubImageView(&Screen.DrawTargetZViewImage, &data->z_image, surface->data_x,
                         surface->data_y, surface->width, surface->height);
        Screen.DrawTargetZMemImage = &Screen.DrawTargetZViewImage;
      }
    }
  }
  if (new_target != kDrawTargetFrontScreen && !AccelerationOff() && !PlainFullScreen() &&
      Screen.PrimarySurface != nullptr) {
    Screen.PrimarySurface->SetClipper(Screen.ScreenClipper);
  }
  Screen.SoftwareDrawOff = 0;
  Screen.DrawTargetInVideoMemory = 0;
  if (Screen.DrawTargetSurface != nullptr) {
    DDSCAPS2 caps{};
    Screen.DrawTargetSurface->GetCaps(&caps);
    Screen.DrawTargetInVideoMemory = (caps.dwCaps & DDSCAPS_VIDEOMEMORY) != 0 ? 1 : 0;
  }
  return 0;
}

int ClearDrawTarget2D() {
  if (Screen.SoftwareDrawOff != 0) return -1;
  if (Screen.DirectDrawObject == nullptr && !AccelerationOff()) return -1;
  if (Screen.DirectDrawStarted != 0) EndCurrentD3DScene();
  FlushCurrentD3DBatch();
  const int32_t r = static_cast<int32_t>((BackgroundColor >> 16) & 0xFF);
  const int32_t g = static_cast<int32_t>((BackgroundColor >> 8) & 0xFF);
  const int32_t b = static_cast<int32_t>(BackgroundColor & 0xFF);
  if (SoftwareScreen()) {
    MEMIMG* image = Screen.DrawTargetMemImage;
    if (image != nullptr && image->magic == kMemImageMagic) {
      FillMemImage(image, nullptr, PackColor(image->format, r, g, b, 255));
    }
    MEMIMG* depth = Screen.DrawTargetZMemImage;
    if (depth != nullptr && depth->magic == kMemImageMagic) FillMemImage(depth, nullptr, 0xffff);
    return 0;
  }
  const uint32_t color = GetScreenColorValue(r, g, b);
  DDBLTFX fill{};
  fill.dwSize = sizeof(fill);
  fill.dwFillColor = color;
  if (DrawTarget != kDrawTargetFrontScreen && DrawTarget != kDrawTargetBackScreen) {
    const GraphicRecord* graphic = GetGraphicRecord(DrawTarget);
    if (graphic == nullptr || graphic->settings.texture_flag == 1 || graphic->surface_count < 1) {
      return 0;
    }
    const Surface2DRecord* surface = GetSurface2DRecord(graphic->surfaces[0]);
    SurfaceDataRecord* data = surface != nullptr ? GetSurfaceDataRecord(surface->surface_data) : nullptr;
    if (data == nullptr) return 0;
    if (data->software_flag == 1) {
      if (data->image.magic == kMemImageMagic) FillMemImageBox(&data->image, nullptr, color);
      if (data->z_image.magic == kMemImageMagic) FillMemImage(&data->z_image, nullptr, 0xffff);
    } else if (data->surface != nullptr) {
      data->surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
    }
    return 0;
  }
  if (Screen.DrawTargetSurface != nullptr) {
    int32_t width, height;
    GetScreenSize(&width, &height);
    RECT area{0, 0, width, height};
    if (DrawTarget == kDrawTargetFrontScreen && GetWindowModeFlag() != 0) area = FrontWindowRect();
    Screen.DrawTargetSurface->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
  }
  if (Screen.ZBufferSurface != nullptr) {
    DDBLTFX depth{};
    depth.dwSize = sizeof(depth);
    depth.dwFillDepth = 0xffff;
    Screen.ZBufferSurface->Blt(nullptr, nullptr, nullptr, DDBLT_DEPTHFILL | DDBLT_WAIT, &depth);
  }
  return 0;
}

int SetShowGdiSurface(int32_t flag) {
  const int32_t wanted = flag == 1 || GetMenuInUseFlag() != 0 ? 1 : 0;
  if (wanted == Screen.ShowGdiApplied) return 0;
  Screen.ShowGdiSurface = flag;
  if (Screen.DirectDrawObject == nullptr) return 0;
  if (wanted == 1) Screen.DirectDrawObject->FlipToGDISurface();
  const RECT area = DrawArea;
  const int32_t target = DrawTarget;
  ChangeDrawTarget(kDrawTargetBackScreen);
  ChangeDrawTarget(kDrawTargetFrontScreen);
  ChangeDrawTarget(target);
  ChangeDrawArea(area.left, area.top, area.right, area.bottom);
  Screen.ShowGdiApplied = wanted;
  return 0;
}

void SyncFrontMemImage() {
  if (Screen.BackImageTransferred != 1) return;
  MEMIMG& front = Screen.PrimaryMemImage;
  if (front.magic != kMemImageMagic) return;
  int32_t width, height;
  GetScreenSize(&width, &height);
  if (!AccelerationOff() && Screen.DirectDrawObject != nullptr) {
    IDirectDrawSurface7* surface = GetScreenDrawSurface();
    RECT rect;
    GetFrontScreenRect(&rect);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    if (surface != nullptr && SUCCEEDED(surface->Lock(&rect, &locked, DDLOCK_WAIT, nullptr))) {
      const RECT whole{0, 0, width, height};
      ConvertImageBlit(front.pixels, front.pitch, front.format, locked.lpSurface, locked.lPitch,
                       &Screen.ScreenColorFormat, nullptr, 0, nullptr, 0, 0, &whole, 0, 0, 0, 0, 0,
                       0, 0);
      surface->Unlock(&rect);
    }
  } else {
    // Read the client area back through a compatible bitmap.
    const HWND window = GetMainWindowHandle();
    HDC window_dc = GetDC(window);
    HDC memory_dc = CreateCompatibleDC(window_dc);
    const ImageDescription description = DescribeImage(front);
    HBITMAP bitmap = CreateCompatibleBitmap(window_dc, description.header.biWidth, height);
    HGDIOBJ previous = SelectObject(memory_dc, bitmap);
    BitBlt(memory_dc, 0, 0, width, height, window_dc, 0, 0, SRCCOPY);
    SelectObject(memory_dc, previous);
    ImageDescription read = description;
    GetDIBits(memory_dc, bitmap, 0, static_cast<UINT>(height), front.pixels,
              reinterpret_cast<BITMAPINFO*>(&read), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory_dc);
    ReleaseDC(window, window_dc);
  }
  Screen.BackImageTransferred = 0;
}

int TransferFrontMemImageRect(const RECT* rect) {
  const MEMIMG& front = Screen.PrimaryMemImage;
  if (rect == nullptr || front.magic != kMemImageMagic) return 0;
  int32_t width, height;
  GetScreenSize(&width, &height);
  RECT area{std::max<LONG>(rect->left, 0), std::max<LONG>(rect->top, 0),
            std::min<LONG>(rect->right, width), std::min<LONG>(rect->bottom, height)};
  if (area.left >= area.right || area.top >= area.bottom) return 0;
  if (!AccelerationOff() && Screen.DirectDrawObject != nullptr) {
    IDirectDrawSurface7* surface = GetScreenDrawSurface();
    RECT locked_rect = area;
    if (GetWindowModeFlag() != 0 && Screen.VistaCompatMode == 0) {
      surface = Screen.PrimarySurface;
      const POINT origin = ClientOrigin();
      locked_rect = RECT{area.left + origin.x, area.top + origin.y, area.right + origin.x,
                         area.bottom + origin.y};
    }
    if (surface == nullptr) return -1;
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    if (FAILED(surface->Lock(&locked_rect, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
      return -1;
    }
    ConvertImageBlit(locked.lpSurface, locked.lPitch, &Screen.ScreenColorFormat, front.pixels,
                     front.pitch, front.format, nullptr, 0, nullptr, 0, 0, &area, 0, 0, 0, 0, 0, 0,
                     0);
    surface->Unlock(&locked_rect);
    return 0;
  }
  const ImageDescription description = DescribeImage(front);
  const HWND window = GetMainWindowHandle();
  HDC dc = GetDC(window);
  StretchDIBits(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, area.left,
                area.top, area.right - area.left, area.bottom - area.top, front.pixels,
                AsInfo(description), DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(window, dc);
  return 0;
}


IDirectDrawSurface7* GetBackSurface() { return Screen.BackSurface; }
IDirectDrawSurface7* GetWorkSurface() { return Screen.WorkSurface; }

