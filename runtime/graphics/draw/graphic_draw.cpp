// Drawing a graphic, and copying the draw screen into a graphic.
#include "runtime/graphics/draw/graphic_draw.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/ddraw.h"
#include "runtime/core/primitives.h"
#include "runtime/core/upper_layers.h"
#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/draw/subtractive_blend.h"
#include "runtime/graphics/movie/movie.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/screen/screen_capture.h"
#include "runtime/graphics/screen/soft_front.h"
#include "runtime/graphics/screen/software_draw.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"
#include "runtime/image/mem_image.h"

namespace {

bool SoftwareScreen() { return Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8; }

// Drawing on the front screen by software images: the picture on show is
// read back first and the drawn rectangle shown after.
bool SoftwareFrontScreen() { return SoftwareScreen() && DrawTarget == kDrawTargetFrontScreen; }

// The checks every drawing call starts with: the graphic, or null (the call
// then returns `*result`).
GraphicRecord* BeginGraphicDraw(int32_t handle, int* result) {
  *result = 0;
  if (DrawAreaEmpty != 0) return nullptr;
  *result = -1;
  GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return nullptr;
  if (BlendGraphic != -1 && CheckBlendGraphicCovers(graphic) != 0) return nullptr;
  UpperWaitWhileInactive();
  return GetGraphicRecord(handle);
}

// Brings a movie graphic's picture up to date. The movie when it is shown
// through an overlay surface (the caller places the overlay instead of
// drawing), else null.
MovieRecord* UpdateGraphicMovie(const GraphicRecord* graphic, int32_t handle) {
  if (graphic->movie_handle == -1) return nullptr;
  MovieRecord* movie = GetMovieRecord(graphic->movie_handle);
  if (movie == nullptr) return nullptr;
  UpdateMovieFrame(handle, 0);
  return GetMovieSurfaceMode(movie) == 1 ? movie : nullptr;
}

RECT Sorted(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  return RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

void SetDrawAreaKeepingEmptyFlag(const RECT& area) {
  DrawArea = area;
  DrawAreaF[0] = static_cast<float>(area.left);
  DrawAreaF[1] = static_cast<float>(area.top);
  DrawAreaF[2] = static_cast<float>(area.right);
  DrawAreaF[3] = static_cast<float>(area.bottom);
}

// DrawArea and its floats, put back when the object goes.
class SavedDrawArea {
 public:
  SavedDrawArea() : area_(DrawArea) { std::copy(DrawAreaF, DrawAreaF + 4, floats_); }
  ~SavedDrawArea() {
    DrawArea = area_;
    std::copy(floats_, floats_ + 4, DrawAreaF);
  }
  const RECT& area() const { return area_; }

 private:
  RECT area_;
  float floats_[4];
};

}  // namespace

int CheckBlendGraphicCovers(const GraphicRecord* graphic) {
  const GraphicRecord* blend = BlendGraphic != -1 ? GetGraphicRecord(BlendGraphic) : nullptr;
  if (blend == nullptr || graphic == nullptr) return -1;
  return blend->width >= graphic->width && blend->height >= graphic->height ? 0 : -1;
}

int RenderGraphicAt(int32_t x, int32_t y, int32_t handle, int32_t transparent) {
  int result = 0;
  GraphicRecord* graphic = BeginGraphicDraw(handle, &result);
  if (graphic == nullptr) return result;
  const RECT rect{x, y, x + graphic->width, y + graphic->height};
  if (MovieRecord* overlay = UpdateGraphicMovie(graphic, handle)) {
    ShowMovieOverlay(x, y, overlay, 1, 1);
    return -1;
  }
  const bool front = SoftwareFrontScreen();
  if (front && Screen.BackImageTransferred == 1) SyncFrontMemImage();
  if (graphic->settings.texture_flag == 1) {
    if (BlendMode == 3) {
      // A subtractive blend is drawn as invert, add, invert.
      InvertBoxThenAddMode(rect.left, rect.top, rect.right, rect.bottom);
      result = DrawGraphicD3D(x, y, graphic, transparent, 1);
      InvertBoxThenSubMode(rect.left, rect.top, rect.right, rect.bottom);
    } else {
      result = DrawGraphicD3D(x, y, graphic, transparent, 1);
    }
  } else {
    result = RenderGraphicSoftware(x, y, graphic, transparent, 1);
  }
  if (front) TransferFrontMemImageRect(&rect);
  return result;
}

int RenderGraphicStretched(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t handle,
                           int32_t transparent) {
  int result = 0;
  GraphicRecord* graphic = BeginGraphicDraw(handle, &result);
  if (graphic == nullptr) return result;
  const RECT rect = Sorted(x1, y1, x2, y2);
  if (MovieRecord* overlay = UpdateGraphicMovie(graphic, handle)) {
    ShowMovieOverlay(x1, y1, overlay, 1, graphic->width != 0 ? (x2 - x1) / graphic->width : 0);
    return -1;
  }
  const bool front = SoftwareFrontScreen();
  if (front && Screen.BackImageTransferred == 1) SyncFrontMemImage();
  if (graphic->settings.texture_flag == 1) {
    if (BlendMode == 3) {
      InvertBoxThenAddMode(rect.left, rect.top, rect.right, rect.bottom);
      result = DrawGraphicStretchedD3D(x1, y1, x2, y2, graphic, transparent, 1);
      InvertBoxThenSubMode(rect.left, rect.top, rect.right, rect.bottom);
    } else {
      result = DrawGraphicStretchedD3D(x1, y1, x2, y2, graphic, transparent, 1);
    }
  } else {
    result = DrawGraphicStretchedSoft(x1, y1, x2, y2, graphic, transparent, 1, -1);
  }
  if (front) TransferFrontMemImageRect(&rect);
  return result;
}

int RenderGraphicTurned(int32_t x, int32_t y, int32_t handle, int32_t transparent) {
  const GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return DrawAreaEmpty != 0 ? 0 : -1;
  return RenderGraphicStretched(x + graphic->width, y, x, y + graphic->height, handle, transparent);
}

int RenderGraphicPart(int32_t x, int32_t y, int32_t source_x, int32_t source_y, int32_t width,
                      int32_t height, int32_t handle, int32_t transparent, int32_t turn) {
  const SavedDrawArea saved;
  RECT part{x, y, x + width, y + height};
  ClipRect(&part, &saved.area());
  SetDrawAreaKeepingEmptyFlag(part);
  if (turn == 0) return RenderGraphicAt(x - source_x, y - source_y, handle, transparent);
  const GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return -1;
  // Source column source_x lands at x + width - 1.
  return RenderGraphicTurned(x - graphic->width + source_x + width, y - source_y, handle,
                             transparent);
}

int RenderGraphicQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                      float y4, int32_t handle, int32_t transparent) {
  // The corners are made integers below (the rectangle the drawing touches);
  // a corner that no integer holds (huge, infinite or not a number) draws
  // nothing.
  for (const float corner : {x1, y1, x2, y2, x3, y3, x4, y4}) {
    if (!FloatFitsInt(corner)) return -1;
  }
  int result = 0;
  GraphicRecord* graphic = BeginGraphicDraw(handle, &result);
  if (graphic == nullptr) return result;
  RECT rect{0xFFFFFF, 0xFFFFFF, 0, 0};
  for (const auto& [fx, fy] : {std::pair{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}}) {
    const int32_t ix = static_cast<int32_t>(fx);
    const int32_t iy = static_cast<int32_t>(fy);
    rect.left = std::min<LONG>(rect.left, ix);
    rect.top = std::min<LONG>(rect.top, iy);
    rect.right = std::max<LONG>(rect.right, ix);
    rect.bottom = std::max<LONG>(rect.bottom, iy);
  }
  if (graphic->movie_handle != -1 && GetMovieRecord(graphic->movie_handle) != nullptr) {
    UpdateMovieFrame(handle, 0);
  }
  const bool front = SoftwareFrontScreen();
  if (front && Screen.BackImageTransferred == 1) SyncFrontMemImage();
  // The paths take the corners as top-left, top-right, bottom-left,
  // bottom-right.
  if (graphic->settings.texture_flag == 1) {
    if (BlendMode == 3) {
      InvertBoxThenAddMode(rect.left, rect.top, rect.right, rect.bottom);
      result = DrawGraphicFourCornersD3D(x1, y1, x2, y2, x4, y4, x3, y3, graphic, transparent);
      InvertBoxThenSubMode(rect.left, rect.top, rect.right, rect.bottom);
    } else {
      result = DrawGraphicFourCornersD3D(x1, y1, x2, y2, x4, y4, x3, y3, graphic, transparent);
    }
  } else {
    result = DrawGraphicFourCornersSoft(x1, y1, x2, y2, x4, y4, x3, y3, graphic, transparent);
  }
  if (front) TransferFrontMemImageRect(&rect);
  return result;
}

int RenderGraphicPartStretched(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t source_x,
                               int32_t source_y, int32_t source_width, int32_t source_height,
                               int32_t handle, int32_t transparent, int32_t turn_x,
                               int32_t turn_y) {
  const GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return DrawAreaEmpty != 0 ? 0 : -1;
  if (source_width <= 0 || source_height <= 0) return -1;
  const RECT dest = Sorted(x1, y1, x2, y2);
  const SavedDrawArea saved;
  RECT area = dest;
  ClipRect(&area, &saved.area());
  SetDrawAreaKeepingEmptyFlag(area);
  const double scale_x = static_cast<double>(dest.right - dest.left) / source_width;
  const double scale_y = static_cast<double>(dest.bottom - dest.top) / source_height;
  // The whole graphic placed so that the source rectangle covers the
  // destination; a mirrored axis starts from the far edge.
  auto place = [](double near_edge, double far_edge, int32_t source, int32_t size, double scale,
                  bool turn, int32_t* from, int32_t* to) {
    if (!turn) {
      const double start = near_edge - source * scale;
      *from = static_cast<int32_t>(std::lround(start));
      *to = static_cast<int32_t>(std::lround(start + size * scale));
    } else {
      const double start = far_edge + source * scale;
      *from = static_cast<int32_t>(std::lround(start));
      *to = static_cast<int32_t>(std::lround(start - size * scale));
    }
  };
  int32_t gx1, gx2, gy1, gy2;
  place(dest.left, dest.right, source_x, graphic->width, scale_x, turn_x == 1, &gx1, &gx2);
  place(dest.top, dest.bottom, source_y, graphic->height, scale_y, turn_y == 1, &gy1, &gy2);
  return RenderGraphicStretched(gx1, gy1, gx2, gy2, handle, transparent);
}

int CopyScreenToGraphic(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t handle,
                        int32_t flag) {
  if (GetGraphicRecord(handle) == nullptr) return -1;
  UpperWaitWhileInactive();
  EndCurrentD3DScene();
  const GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return -1;
  if (graphic->settings.texture_flag == 1) {
    return GetDrawScreenGraphD3D(x1, y1, x2, y2, handle, flag);
  }
  return GetDrawScreenGraph2D(x1, y1, x2, y2, handle, flag);
}

// ---- The 2D and software side of the screen capture -----------------------------------

int GetDrawScreenGraph2D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t handle, int32_t) {
  if (Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr) return -1;
  if (Screen.DirectDrawStarted != 0) EndCurrentD3DScene();
  const GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return -1;
  const int32_t width = x2 - x1;
  const int32_t height = y2 - y1;
  if (width <= 0 || height <= 0 || width != graphic->width || height != graphic->height) return -1;
  if (x1 < 0 || y1 < 0 || x2 > DrawScreenWidth || y2 > DrawScreenHeight) return -1;
  if (graphic->surface_count < 1) return -1;
  const Surface2DRecord* surface = GetSurface2DRecord(graphic->surfaces[0]);
  SurfaceDataRecord* data =
      surface != nullptr ? GetSurfaceDataRecord(surface->surface_data) : nullptr;
  if (data == nullptr) return -1;
  // The copy goes to the graphic's own rectangle of the surface data (a cell
  // of a sheet shares the sheet's data).
  const int32_t dx = surface->data_x;
  const int32_t dy = surface->data_y;
  RECT dest{dx, dy, dx + width, dy + height};
  const RECT source{x1, y1, x2, y2};
  const bool into_image = data->software_flag == 1 && data->image.magic == kMemImageMagic;
  MEMIMG* const target_image = Screen.DrawTargetMemImage;

  if (SoftwareScreen()) {
    if (!into_image || target_image == nullptr || target_image->magic != kMemImageMagic) return -1;
    if (DrawTarget == kDrawTargetFrontScreen) SyncFrontMemImage();
    ConvertMemImageRect(&data->image, target_image, &source, dx, dy);
    return 0;
  }

  POINT offset{0, 0};
  if (DrawTarget == kDrawTargetFrontScreen) {
    RECT front;
    GetFrontScreenRect(&front);
    offset = POINT{front.left, front.top};
  }
  FlushCurrentD3DBatch();
  if (Screen.DirectDrawStarted != 0) EndCurrentD3DScene();
  RECT moved{x1 + offset.x, y1 + offset.y, x2 + offset.x, y2 + offset.y};
  IDirectDrawSurface7* const target_surface = Screen.DrawTargetSurface;
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);

  if (target_surface != nullptr && data->software_flag == 0 && data->surface != nullptr) {
    data->surface->Blt(&dest, target_surface, &moved, DDBLT_WAIT, nullptr);
    if (Screen.ScreenColorFormat.spare_mask != 0) {
      if (FAILED(data->surface->Lock(&dest, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
        return -1;
      }
      const RECT whole{0, 0, width, height};
      SetSpareBitsInRect(&whole, locked.lpSurface, locked.lPitch, &Screen.ScreenColorFormat, 255);
      data->surface->Unlock(&dest);
    }
    return 0;
  }
  if (target_image != nullptr && target_image->pixels != nullptr && into_image) {
    ConvertMemImageRect(&data->image, target_image, &source, dx, dy);
    return 0;
  }
  if (target_surface != nullptr && into_image) {
    RECT work{0, 0, width, height};
    TransferSurfaceRect(Screen.WorkSurface, target_surface, 0, 0, &moved, -1);
    if (Screen.WorkSurface == nullptr ||
        FAILED(Screen.WorkSurface->Lock(&work, &locked, DDLOCK_WAIT, nullptr))) {
      return -1;
    }
    MEMIMG& image = data->image;
    ConvertImageBlit(image.pixels, image.pitch, image.format, locked.lpSurface, locked.lPitch,
                     &Screen.ScreenColorFormat, nullptr, 0, nullptr, dx, dy, &work, 0, 0, 0, 0, 0,
                     0, 0);
    SetSpareBitsInRect(&dest, image.pixels, image.pitch, image.format, 255);
    Screen.WorkSurface->Unlock(&work);
    return 0;
  }
  if (target_surface == nullptr && data->surface != nullptr && target_image != nullptr &&
      target_image->pixels != nullptr) {
    if (FAILED(data->surface->Lock(&dest, &locked, DDLOCK_WAIT, nullptr))) return -1;
    ConvertImageBlit(locked.lpSurface, locked.lPitch, &Screen.ScreenColorFormat,
                     target_image->pixels, target_image->pitch, target_image->format, nullptr, 0,
                     nullptr, 0, 0, &source, 0, 0, 0, 0, 0, 0, 0);
    const RECT whole{0, 0, width, height};
    SetSpareBitsInRect(&whole, locked.lpSurface, locked.lPitch, &Screen.ScreenColorFormat, 255);
    data->surface->Unlock(&dest);
    return 0;
  }
  return -1;
}
