// Software drawing on DirectDraw targets: the begin and end bracket and the
// front ends that draw a 2D surface and a batch of lines through it.
#include "runtime/graphics/screen/software_draw.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/ddraw.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/mask.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/soft_front.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"
#include "runtime/softrender/blit.h"

MEMIMG* SoftwareTargetImage = nullptr;
MEMIMG WorkTargetImage{};
MEMIMG* SoftwareSourceImage = nullptr;
MEMIMG WorkSourceImage{};
int32_t TargetLocked = 0;
int32_t TargetViaWorkSurface = 0;
int32_t TargetNeedsConversion = 0;
int32_t SourceLocked = 0;
int32_t UseHardwareBlit = 0;
SoftwareDrawSurfaces SoftwareDrawState{};

namespace {

// The screen is drawn by software images: the draw target is a MEMIMG.
bool SoftwareScreen() { return Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8; }

// The software image kind of the screen's depth.
int32_t ScreenKind() { return Screen.ScreenPixelDepth == 16 ? 0 : 1; }

const ColorFormat* StandardScreenFormat() { return GetStandardColorFormat(ScreenKind(), 0, 0); }

// Rebuilds `image` over locked memory: `address` is the pixel at (left, top)
// of the image's coordinates, which therefore run from (0, 0) to
// (right, bottom).
void BuildLockedImage(MEMIMG* image, uint8_t* address, int32_t pitch, const RECT& rect,
                      uint32_t transparent) {
  std::memset(image, 0, sizeof(*image));
  const int32_t bytes = StandardScreenFormat()->bytes_per_pixel;
  image->pixels =
      address - static_cast<intptr_t>(rect.top) * pitch - static_cast<intptr_t>(rect.left) * bytes;
  InitMemImage(image, rect.right, rect.bottom, pitch, transparent, ScreenKind(), 0, 0, 0);
}

// Converts the rectangle of locked memory in place between the screen's own
// format and the standard one (the pixel sizes are the same).
void ConvertInPlace(uint8_t* address, int32_t pitch, int32_t width, int32_t height,
                    const ColorFormat* to, const ColorFormat* from) {
  const RECT whole{0, 0, width, height};
  ConvertImageBlit(address, pitch, to, address, pitch, from, nullptr, 0, nullptr, 0, 0, &whole, 0,
                   0, 0, 0, 0, 0, 0);
}

bool Lock(IDirectDrawSurface7* surface, RECT* rect, uint8_t** address, int32_t* pitch) {
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  if (surface == nullptr || FAILED(surface->Lock(rect, &locked, DDLOCK_WAIT, nullptr))) {
    return false;
  }
  *address = static_cast<uint8_t*>(locked.lpSurface);
  *pitch = locked.lPitch;
  return true;
}

void UnlockTarget() {
  if (TargetLocked == 0) return;
  SoftwareDrawState.locked_target->Unlock(&SoftwareDrawState.locked_target_rect);
  TargetLocked = 0;
}

SurfaceDataRecord* DataOf(const Surface2DRecord* surface) {
  return surface != nullptr ? GetSurfaceDataRecord(surface->surface_data) : nullptr;
}

}  // namespace

int BeginSoftwareDraw(const Surface2DRecord* source, int32_t hardware_allowed,
                      const RECT* source_rect, const RECT* dest_rect, int32_t option,
                      uint32_t* color1, uint32_t* color2) {
  if (SoftwareScreen()) return 0;

  const bool mask = MaskInForceFlag != 0;
  IDirectDrawSurface7* const target = mask ? MaskSurface : Screen.DrawTargetSurface;
  SurfaceDataRecord* const source_data = DataOf(source);

  const bool blending = (BlendMode != 0 && !(BlendMode == 1 && BlendParam == 255)) ||
                        (source_data != nullptr && source_data->settings.AlphaChFlag != 0) ||
                        BlendGraphic != -1;
  const bool white = (DrawBrightness & 0xFFFFFF) == 0xFFFFFF;
  int32_t target_in_video = Screen.DrawTargetInVideoMemory;
  if (mask && MaskSurface != nullptr) {
    DDSCAPS2 caps{};
    MaskSurface->GetCaps(&caps);
    target_in_video = (caps.dwCaps & DDSCAPS_VIDEOMEMORY) != 0 ? 1 : 0;
  }

  // A plain copy between two DirectDraw surfaces in the same kind of memory
  // is one BltFast.
  if (hardware_allowed == 1 && source_data != nullptr && !blending && white &&
      source_data->software_flag == 0 && target != nullptr) {
    const int32_t source_in_video = source_data->settings.software_image_flag == 0 ? 1 : 0;
    if (source_in_video == target_in_video) {
      UseHardwareBlit = 1;
      SoftwareDrawState.source = source_data->surface;
      SoftwareDrawState.source_rect =
          RECT{source_rect->left + source->data_x, source_rect->top + source->data_y,
               source_rect->right + source->data_x, source_rect->bottom + source->data_y};
      SoftwareDrawState.hardware_dest =
          POINT{dest_rect->left + Screen.DrawTargetOffsetX + DrawTargetRect.left,
                dest_rect->top + Screen.DrawTargetOffsetY + DrawTargetRect.top};
      return 0;
    }
  }

  UseHardwareBlit = 0;
  TargetNeedsConversion = Screen.ScreenFormatCode == 1 || Screen.ScreenFormatCode == 3 ? 1 : 0;
  RECT dest = *dest_rect;
  ClipRect(&dest, &DrawArea);
  if (dest.right <= dest.left || dest.bottom <= dest.top) return -1;

  // The target image.
  MEMIMG* const target_image = Screen.DrawTargetMemImage;
  if (!mask && target_image != nullptr && target_image->pixels != nullptr) {
    if (Screen.DrawTargetOffsetX == 0 && Screen.DrawTargetOffsetY == 0) {
      SoftwareTargetImage = target_image;
    } else {
      MakeSubImageView(&WorkTargetImage, target_image, Screen.DrawTargetOffsetX,
                       Screen.DrawTargetOffsetY, DrawScreenWidth, DrawScreenHeight);
      SoftwareTargetImage = &WorkTargetImage;
    }
  } else {
    if (target == nullptr) return -1;
    TargetViaWorkSurface =
        (target_in_video && blending) || (TargetNeedsConversion && (blending || option == 0)) ? 1
                                                                                              : 0;
    const int32_t dx = Screen.DrawTargetOffsetX + DrawTargetRect.left;
    const int32_t dy = Screen.DrawTargetOffsetY + DrawTargetRect.top;
    RECT moved{dest.left + dx, dest.top + dy, dest.right + dx, dest.bottom + dy};
    uint8_t* address = nullptr;
    int32_t pitch = 0;
    if (TargetViaWorkSurface) {
      SoftwareDrawState.target = target;
      SoftwareDrawState.target_rect = moved;
      RECT work{0, 0, moved.right - moved.left, moved.bottom - moved.top};
      TransferSurfaceRect(Screen.WorkSurface, target, 0, 0, &moved, -1);
      if (!Lock(Screen.WorkSurface, &work, &address, &pitch)) {
        TargetViaWorkSurface = 0;
        return -1;
      }
      SoftwareDrawState.locked_target = Screen.WorkSurface;
      SoftwareDrawState.locked_target_rect = work;
      if (TargetNeedsConversion) {
        ConvertInPlace(address, pitch, work.right, work.bottom, StandardScreenFormat(),
                       &Screen.ScreenColorFormat);
        if (color1 != nullptr) {
          *color1 = ConvertPixelFormat(StandardScreenFormat(), &Screen.ScreenColorFormat, *color1);
        }
        if (color2 != nullptr) {
          *color2 = ConvertPixelFormat(StandardScreenFormat(), &Screen.ScreenColorFormat, *color2);
        }
      }
    } else {
      if (!Lock(target, &moved, &address, &pitch)) return -1;
      SoftwareDrawState.locked_target = target;
      SoftwareDrawState.locked_target_rect = moved;
    }
    TargetLocked = 1;
    BuildLockedImage(&WorkTargetImage, address, pitch, dest, 0);
    SoftwareTargetImage = &WorkTargetImage;
  }

  // The source image.
  SoftwareSourceImage = nullptr;
  if (source_data != nullptr) {
    if (source_data->software_flag == 1) {
      MEMIMG* const image = &source_data->image;
      if (source->data_x == 0 && source->data_y == 0 && source->width == image->width &&
          source->height == image->height) {
        SoftwareSourceImage = image;
      } else {
        MakeSubImageView(&WorkSourceImage, image, source->data_x, source->data_y, source->width,
                         source->height);
        SoftwareSourceImage = &WorkSourceImage;
      }
    } else {
      RECT part{source->data_x, source->data_y, source->data_x + source->width,
                source->data_y + source->height};
      IDirectDrawSurface7* locked = source_data->surface;
      RECT locked_rect = part;
      if (TargetNeedsConversion) {
        TransferSurfaceRect(Screen.WorkSurface2, source_data->surface, 0, 0, &part, -1);
        locked = Screen.WorkSurface2;
        locked_rect = RECT{0, 0, source->width, source->height};
      }
      uint8_t* address = nullptr;
      int32_t pitch = 0;
      if (!Lock(locked, &locked_rect, &address, &pitch)) {
        UnlockTarget();
        TargetViaWorkSurface = 0;
        return -1;
      }
      if (TargetNeedsConversion) {
        ConvertInPlace(address, pitch, source->width, source->height, StandardScreenFormat(),
                       &Screen.ScreenColorFormat);
      }
      SourceLocked = 1;
      SoftwareDrawState.source = locked;
      SoftwareDrawState.source_rect = locked_rect;
      const uint32_t key = source_data->transparent_color;
      BuildLockedImage(&WorkSourceImage, address, pitch, RECT{0, 0, source->width, source->height},
                       PackColor(StandardScreenFormat(), (key >> 16) & 0xFF, (key >> 8) & 0xFF,
                                 key & 0xFF, 255));
      SoftwareSourceImage = &WorkSourceImage;
    }
  }
  return 0;
}

int EndSoftwareDraw() {
  if (SoftwareScreen()) return 0;
  if (TargetLocked && TargetViaWorkSurface && TargetNeedsConversion) {
    const RECT& work = SoftwareDrawState.locked_target_rect;
    const RECT& dest = SoftwareDrawState.target_rect;
    const int32_t left = dest.left - Screen.DrawTargetOffsetX - DrawTargetRect.left;
    const int32_t top = dest.top - Screen.DrawTargetOffsetY - DrawTargetRect.top;
    const int32_t bytes = StandardScreenFormat()->bytes_per_pixel;
    uint8_t* const address = WorkTargetImage.pixels +
                             static_cast<intptr_t>(top) * WorkTargetImage.pitch +
                             static_cast<intptr_t>(left) * bytes;
    ConvertInPlace(address, WorkTargetImage.pitch, work.right, work.bottom,
                   &Screen.ScreenColorFormat, StandardScreenFormat());
  }
  UnlockTarget();
  if (SourceLocked) {
    SoftwareDrawState.source->Unlock(&SoftwareDrawState.source_rect);
    SourceLocked = 0;
  }
  if (TargetViaWorkSurface) {
    const RECT& dest = SoftwareDrawState.target_rect;
    RECT work{0, 0, dest.right - dest.left, dest.bottom - dest.top};
    TransferSurfaceRect(SoftwareDrawState.target, Screen.WorkSurface, dest.left, dest.top, &work,
                        -1);
    TargetViaWorkSurface = 0;
  }
  return 0;
}

int RenderSurface2DSoftware(int32_t x, int32_t y, int32_t surface_handle, int32_t transparent) {
  if (Screen.SoftwareDrawOff != 0) return -1;
  if (Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr) return -1;
  const Surface2DRecord* const surface = GetSurface2DRecord(surface_handle);
  SurfaceDataRecord* const data = DataOf(surface);
  if (data == nullptr) return -1;

  if (SoftwareScreen()) {
    MEMIMG* const image = &data->image;
    if (image->magic != kMemImageMagic) return -1;
    MEMIMG view;
    const MEMIMG* source = image;
    if (surface->width < image->width || surface->height < image->height) {
      MakeSubImageView(&view, image, surface->data_x, surface->data_y, surface->width,
                       surface->height);
      source = &view;
    }
    MEMIMG* const target = MaskInForceFlag != 0 ? &MaskMemImage : Screen.DrawTargetMemImage;
    if (target == nullptr || target->magic != kMemImageMagic) return -1;
    BlitMemImage(target, source, x, y, transparent, GetBlendGraphicImage());
    return 0;
  }

  if (Screen.DirectDrawStarted != 0) EndCurrentD3DScene();
  FlushCurrentD3DBatch();
  RECT dest{x, y, x + surface->width, y + surface->height};
  ClipRect(&dest, &DrawArea);
  if (dest.right <= dest.left || dest.bottom <= dest.top) return 0;
  const RECT source_rect{dest.left - x, dest.top - y, dest.right - x, dest.bottom - y};
  if (BeginSoftwareDraw(surface, 1, &source_rect, &dest, 0, nullptr, nullptr) != 0) return -1;
  if (UseHardwareBlit) {
    IDirectDrawSurface7* const target =
        MaskInForceFlag != 0 ? MaskSurface : Screen.DrawTargetSurface;
    target->BltFast(static_cast<DWORD>(SoftwareDrawState.hardware_dest.x),
                    static_cast<DWORD>(SoftwareDrawState.hardware_dest.y), SoftwareDrawState.source,
                    &SoftwareDrawState.source_rect,
                    (transparent ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY) | DDBLTFAST_WAIT);
    UseHardwareBlit = 0;
    return 0;
  }
  BlitMemImage(SoftwareTargetImage, SoftwareSourceImage, x, y, transparent, GetBlendGraphicImage());
  EndSoftwareDraw();
  return 0;
}

int RenderGraphicSoftware(int32_t x, int32_t y, const GraphicRecord* graphic, int32_t transparent,
                          int32_t integer_flag) {
  FlushCurrentD3DBatch();
  if (integer_flag != 1) {
    float fx, fy;
    std::memcpy(&fx, &x, sizeof(fx));
    std::memcpy(&fy, &y, sizeof(fy));
    x = static_cast<int32_t>(fx);
    y = static_cast<int32_t>(fy);
  }
  if (graphic == nullptr || graphic->surface_count < 1) return -1;
  return RenderSurface2DSoftware(x, y, graphic->surfaces[0], transparent);
}

int RenderLinesSoftware(const LineRecord* lines, int32_t count) {
  if (Screen.SoftwareDrawOff != 0) return -1;
  if (Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr) return -1;
  if (SoftwareScreen()) {
    MEMIMG* const target = MaskInForceFlag != 0 ? &MaskMemImage : Screen.DrawTargetMemImage;
    if (target == nullptr || target->magic != kMemImageMagic) return -1;
    DrawMemImageLines(target, lines, count);
    return 0;
  }
  FlushCurrentD3DBatch();
  EndCurrentD3DScene();
  if (count < 1) return 0;
  RECT box{lines[0].x1, lines[0].y1, lines[0].x1, lines[0].y1};
  for (int32_t i = 0; i < count; ++i) {
    box.left = std::min({box.left, lines[i].x1, lines[i].x2});
    box.top = std::min({box.top, lines[i].y1, lines[i].y2});
    box.right = std::max({box.right, lines[i].x1, lines[i].x2});
    box.bottom = std::max({box.bottom, lines[i].y1, lines[i].y2});
  }
  box.right += 1;
  box.bottom += 1;
  if (BeginSoftwareDraw(nullptr, 0, nullptr, &box, 0, nullptr, nullptr) != 0) return -1;
  DrawMemImageLines(SoftwareTargetImage, lines, count);
  EndSoftwareDraw();
  return 0;
}
