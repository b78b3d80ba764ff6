// The software drawing front ends: graphics drawn through the software renderer.
#include "runtime/graphics/screen/soft_front.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/types.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/mask.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/software_draw.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/softrender/box_fill.h"
#include "runtime/softrender/line.h"
#include "runtime/softrender/stretch_blit.h"

namespace {

// The screen is drawn by software images: every draw target is a MEMIMG.
bool SoftwareImageMode() { return Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8; }

// Acceleration is on but there is no DirectDraw to draw with.
bool DrawingUnavailable() {
  return Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr;
}

// The image software drawing writes to: the mask image while a mask is in
// force, else the draw target's. Null when there is none.
MEMIMG* DestinationImage() {
  MEMIMG* const image = MaskInForceFlag != 0 ? &MaskMemImage : Screen.DrawTargetMemImage;
  if (image == nullptr || image->magic != kMemImageMagic || image->pixels == nullptr) {
    return nullptr;
  }
  return image;
}

// Before the screen's pixels are touched on the DirectDraw road: the
// Direct3D batch goes out and its scene ends.
void LeaveDirect3D() {
  FlushCurrentD3DBatch();
  if (Screen.DirectDrawStarted != 0) EndCurrentD3DScene();
}

// A 2D surface's software image as a source: the surface data's image when
// the surface covers it whole, else a view of the surface's rectangle in
// `view`. Null when the surface data holds no live image.
const MEMIMG* SurfaceImage(const Surface2DRecord* surface, MEMIMG* view) {
  const SurfaceDataRecord* const data = GetSurfaceDataRecord(surface->surface_data);
  if (data == nullptr || data->software_flag != 1 || data->image.magic != kMemImageMagic) {
    return nullptr;
  }
  const MEMIMG* const image = &data->image;
  if (surface->width == data->width && surface->height == data->height) return image;
  MakeSubImageView(view, image, surface->data_x, surface->data_y, surface->width, surface->height);
  return view;
}

// The work image of a source surface `width` x `height`, addressed at the
// surface's own coordinates: the work image itself when it shows the whole
// surface; when it shows only `part`, a record in `view` that reaches it
// through the surface's coordinates (only `part` may then be read). Null
// when neither fits.
const MEMIMG* WholeSourceCoordinates(const MEMIMG* work, const RECT& part, int32_t width,
                                     int32_t height, MEMIMG* view) {
  if (work == nullptr) return nullptr;
  if (work->width == width && work->height == height) return work;
  if (work->width != part.right - part.left || work->height != part.bottom - part.top) {
    return nullptr;
  }
  *view = *work;
  view->width = width;
  view->height = height;
  view->run_table_flag = 0;
  view->pixels = work->pixels - static_cast<intptr_t>(part.top) * work->pitch -
                 static_cast<intptr_t>(part.left) * work->format->bytes_per_pixel;
  return view;
}

// The source column (or row) that destination pixel `i` of a stretch of
// `length` pixels over a source of `size` shows, as the stretched blit maps
// them; counted from the far side when mirrored.
int64_t StretchedSource(int64_t i, int64_t scale, int64_t size, bool mirror) {
  const int64_t v = i * 65536 / scale;
  return mirror ? size - 1 - v : v;
}

// The source columns (or rows) that the visible destination pixels
// [first, end) of a stretch from `start` over `length` pixels show, as a
// half-open range.
void StretchedPart(int64_t start, int64_t length, int64_t first, int64_t end, int64_t size,
                   bool mirror, LONG* part_first, LONG* part_end) {
  const int64_t scale = (length << 16) / size;
  const int64_t a = StretchedSource(first - start, scale, size, mirror);
  const int64_t b = StretchedSource(end - 1 - start, scale, size, mirror);
  *part_first = static_cast<LONG>(std::clamp<int64_t>(std::min(a, b), 0, size));
  *part_end = static_cast<LONG>(std::clamp<int64_t>(std::max(a, b) + 1, 0, size));
}

}  // namespace

int DrawGraphicStretchedSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                             const GraphicRecord* graphic, int32_t transparent,
                             int32_t integer_flag, int32_t surface) {
  if (DrawingUnavailable()) return -1;
  if (integer_flag != 1) {
    int32_t* const words[4] = {&x1, &y1, &x2, &y2};
    for (int32_t* w : words) {
      float f;
      std::memcpy(&f, w, sizeof f);
      *w = FloatToInt(f);
    }
  }
  const int32_t corners[4] = {x1, y1, x2, y2};
  const bool mirror_x = x1 > x2;
  const bool mirror_y = y1 > y2;
  const int32_t left = std::min(x1, x2), right = std::max(x1, x2);
  const int32_t top = std::min(y1, y2), bottom = std::max(y1, y2);

  // The surface drawn and its size.
  if (graphic == nullptr) return -1;
  const int32_t handle =
      surface == -1 ? (graphic->surface_count > 0 ? graphic->surfaces[0] : -1) : surface;
  const Surface2DRecord* const record = GetSurface2DRecord(handle);
  if (record == nullptr) return -1;
  const int32_t source_w = surface == -1 ? graphic->width : record->width;
  const int32_t source_h = surface == -1 ? graphic->height : record->height;
  MEMIMG* const blend_image = GetBlendGraphicImage();

  if (SoftwareImageMode()) {
    MEMIMG view;
    const MEMIMG* const source = SurfaceImage(record, &view);
    MEMIMG* const dest = DestinationImage();
    if (source == nullptr || dest == nullptr) return -1;
    // The stretched blit mirrors by the corners' order itself.
    StretchBlitMemImage(dest, source, corners, transparent, blend_image);
    return 0;
  }

  const int64_t w = int64_t{right} - left, h = int64_t{bottom} - top;
  if (w == 0 || h == 0) return -1;
  if (w == source_w && h == source_h && !mirror_x && !mirror_y) {
    if (surface == -1) return RenderGraphicSoftware(x1, y1, graphic, transparent, 1);
    return RenderSurface2DSoftware(x1, y1, surface, transparent);
  }
  // The stretch itself refuses what it cannot map; the part worked out here
  // must not divide by a scale of 0 either.
  if (record->width <= 0 || record->height <= 0 || (w << 16) < record->width ||
      (h << 16) < record->height || w >= 65536 || h >= 65536) {
    return -1;
  }

  RECT visible = {left, top, right, bottom};
  ClipRect(&visible, &DrawArea);
  if (visible.right <= visible.left || visible.bottom <= visible.top) return -1;
  // The source pixels the visible pixels show, worked out with the stretch's
  // own mapping so that a clipped draw shows each visible pixel as the whole
  // draw does.
  RECT part;
  StretchedPart(left, w, visible.left, visible.right, record->width, mirror_x, &part.left,
                &part.right);
  StretchedPart(top, h, visible.top, visible.bottom, record->height, mirror_y, &part.top,
                &part.bottom);

  LeaveDirect3D();
  if (BeginSoftwareDraw(record, 0, &part, &visible, 0, nullptr, nullptr) < 0) return -1;
  // The work source is reached at the surface's own coordinates, so the
  // whole rectangle maps onto it exactly as in an unclipped draw while only
  // the part is read.
  MEMIMG view;
  const MEMIMG* const source =
      WholeSourceCoordinates(SoftwareSourceImage, part, record->width, record->height, &view);
  if (source != nullptr && SoftwareTargetImage != nullptr) {
    StretchBlitMemImage(SoftwareTargetImage, source, corners, transparent, blend_image);
  }
  EndSoftwareDraw();
  return source != nullptr ? 0 : -1;
}

int SetupMemImageTriangle(const TriangleVertex* vertices, const GraphicRecord* graphic,
                          int32_t transparent, uint32_t color) {
  if (DrawingUnavailable()) return -1;
  const Surface2DRecord* record = nullptr;
  MEMIMG* blend_image = nullptr;
  if (graphic != nullptr) {
    record = GetSurface2DRecord(graphic->surface_count > 0 ? graphic->surfaces[0] : -1);
    if (record == nullptr) return -1;
    blend_image = GetBlendGraphicImage();
  }

  if (SoftwareImageMode()) {
    MEMIMG view;
    const MEMIMG* source = nullptr;
    if (record != nullptr) {
      source = SurfaceImage(record, &view);
      if (source == nullptr) return -1;
    }
    MEMIMG* const dest = DestinationImage();
    if (dest == nullptr) return -1;
    RasterizeMemImageTriangle(dest, source, vertices, transparent, blend_image, color);
    return 0;
  }

  // The boxes the triangle's pixels and texels lie in: a triangle reaches
  // the column of its rightmost vertex, and (from above row 0) the row of
  // its bottom one, so both boxes take one more than the largest value.
  RECT box = {1000000, 1000000, -1000000, -1000000};
  RECT texels = box;
  for (int i = 0; i < 3; ++i) {
    const TriangleVertex& v = vertices[i];
    box = {std::min<LONG>(box.left, v.x), std::min<LONG>(box.top, v.y),
           std::max<LONG>(box.right, v.x), std::max<LONG>(box.bottom, v.y)};
    texels = {std::min<LONG>(texels.left, v.u), std::min<LONG>(texels.top, v.v),
              std::max<LONG>(texels.right, v.u), std::max<LONG>(texels.bottom, v.v)};
  }
  box.right += 1;
  box.bottom += 1;
  texels.right += 1;
  texels.bottom += 1;
  if (record != nullptr) {
    const RECT inside = {0, 0, record->width, record->height};
    ClipRect(&texels, &inside);
  }

  LeaveDirect3D();
  if (BeginSoftwareDraw(record, 0, record != nullptr ? &texels : nullptr, &box, 0, &color,
                        nullptr) < 0) {
    return -1;
  }
  MEMIMG view;
  const MEMIMG* source = nullptr;
  bool drawable = SoftwareTargetImage != nullptr;
  if (record != nullptr) {
    source =
        WholeSourceCoordinates(SoftwareSourceImage, texels, record->width, record->height, &view);
    drawable = drawable && source != nullptr;
  }
  if (drawable) {
    RasterizeMemImageTriangle(SoftwareTargetImage, source, vertices, transparent, blend_image,
                              color);
  }
  EndSoftwareDraw();
  return drawable ? 0 : -1;
}

int DrawMemImageQuad(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     int32_t x3, int32_t y3, const GraphicRecord* graphic, int32_t transparent) {
  const int32_t w = graphic != nullptr ? graphic->width : 0;
  const int32_t h = graphic != nullptr ? graphic->height : 0;
  const TriangleVertex first[3] = {{x0, y0, 0, 0}, {x1, y1, w, 0}, {x2, y2, 0, h}};
  const TriangleVertex second[3] = {{x1, y1, w, 0}, {x2, y2, 0, h}, {x3, y3, w, h}};
  const int a = SetupMemImageTriangle(first, graphic, transparent, 0);
  const int b = SetupMemImageTriangle(second, graphic, transparent, 0);
  // A half that could not be drawn is not reported as drawn.
  return a < 0 || b < 0 ? -1 : 0;
}

int DrawGraphicFourCornersSoft(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                               float y3, const GraphicRecord* graphic, int32_t transparent) {
  return DrawMemImageQuad(FloatToInt(x0), FloatToInt(y0), FloatToInt(x1), FloatToInt(y1),
                          FloatToInt(x2), FloatToInt(y2), FloatToInt(x3), FloatToInt(y3), graphic,
                          transparent);
}

int DrawFilledBoxSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  if (DrawingUnavailable()) return -1;
  // Sorted once, so that the transfer and the fill see the same rectangle.
  const RECT box = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  if (SoftwareImageMode()) {
    MEMIMG* const dest = DestinationImage();
    if (dest == nullptr) return -1;
    FillMemImageBox(dest, &box, color);
    return 0;
  }
  LeaveDirect3D();
  if (BeginSoftwareDraw(nullptr, 0, nullptr, &box, 1, &color, nullptr) < 0) return -1;
  if (SoftwareTargetImage != nullptr) FillMemImageBox(SoftwareTargetImage, &box, color);
  EndSoftwareDraw();
  return SoftwareTargetImage != nullptr ? 0 : -1;
}

int DrawBoxOutlineSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  // Each line leaves out its end point, so the four touch every border pixel
  // once, corners included.
  const int32_t c = static_cast<int32_t>(color);
  const LineRecord lines[4] = {
      {x1, y1, x2 - 1, y1, c, BlendParam},
      {x2 - 1, y1, x2 - 1, y2 - 1, c, BlendParam},
      {x2 - 1, y2 - 1, x1, y2 - 1, c, BlendParam},
      {x1, y2 - 1, x1, y1, c, BlendParam},
  };
  return RenderLinesSoftware(lines, 4);
}

void DrawMemImageLines(MEMIMG* dest, const LineRecord* lines, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const LineRecord& l = lines[i];
    DrawMemImageLine(dest, l.x1, l.y1, l.x2, l.y2, static_cast<uint32_t>(l.color));
  }
}
