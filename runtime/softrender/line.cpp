// Straight lines of one colour in a software image.
#include "runtime/softrender/line.h"

#include "runtime/core/primitives.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/softrender/solid_pixel.h"

namespace {

struct Walk {
  uint8_t* p;          // the start pixel
  intptr_t major_step; // bytes per step along the longer axis
  intptr_t minor_step; // bytes per step along the shorter axis
  int32_t major;       // the longer length: pixels drawn
  int32_t minor;       // the shorter length
};

template <int kBytes, int kMode>
void StepLine(const Walk& w, const SolidColor& solid) {
  uint8_t* p = w.p;
  int32_t e = 0;
  for (int32_t i = 0; i < w.major; ++i) {
    if constexpr (kBytes == 4) {
      SolidPixel32<kMode>(solid, p);
    } else {
      SolidPixel16<kMode>(solid, p);
    }
    e += w.minor;
    p += w.major_step;
    if (e >= w.major) {
      p += w.minor_step;
      e -= w.major;
    }
  }
}

int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

}  // namespace

void DrawMemImageLine(MEMIMG* dest, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      uint32_t color) {
  // One-byte palette pixels would be written past by 2- or 4-byte stores.
  if (dest->palette_flag == 1) return;
  // The draw area, held to the image so that no pixel outside it is written.
  RECT a = DrawArea;
  const RECT whole = {0, 0, dest->width, dest->height};
  ClipRect(&a, &whole);
  if (a.left >= a.right || a.top >= a.bottom) return;

  if ((x1 < x2 ? x1 : x2) >= a.right || (y1 < y2 ? y1 : y2) >= a.bottom ||
      (y1 > y2 ? y1 : y2) < a.top || (x1 > x2 ? x1 : x2) < a.left) {
    return;
  }

  // Slopes and intercepts of the whole line, from the differences taken in
  // 64 bits so that far-apart ends do not wrap.
  const double kx =
      y1 == y2 ? 0.0 : static_cast<double>(int64_t{x2} - x1) / static_cast<double>(int64_t{y2} - y1);
  const double ky =
      x1 == x2 ? 0.0 : static_cast<double>(int64_t{y2} - y1) / static_cast<double>(int64_t{x2} - x1);
  const double x0 = x1 - y1 * kx;
  const double y0 = y1 - x1 * ky;
  auto y_at = [&](int32_t x) { return DoubleToInt(x * ky + y0); };
  auto x_at = [&](int32_t y) { return DoubleToInt(y * kx + x0); };

  // The start onto the area's edges; the end one pixel beyond them, since
  // the end is not drawn.
  if (x1 < a.left) {
    x1 = a.left;
    y1 = y_at(a.left);
  } else if (x1 >= a.right) {
    x1 = a.right - 1;
    y1 = y_at(a.right - 1);
  }
  if (x2 < a.left) {
    x2 = a.left - 1;
    y2 = y_at(a.left - 1);
  } else if (x2 >= a.right) {
    x2 = a.right;
    y2 = y_at(a.right);
  }
  if (y1 < a.top) {
    y1 = a.top;
    x1 = x_at(a.top);
  } else if (y1 >= a.bottom) {
    y1 = a.bottom - 1;
    x1 = x_at(a.bottom - 1);
  }
  if (y2 < a.top) {
    y2 = a.top - 1;
    x2 = x_at(a.top - 1);
  } else if (y2 >= a.bottom) {
    y2 = a.bottom;
    x2 = x_at(a.bottom);
  }
  // A start that the clipping could not bring inside the area belongs to a
  // line that passes beside it: clamping it in would draw a stray pixel.
  if (x1 < a.left || x1 >= a.right || y1 < a.top || y1 >= a.bottom) return;
  x2 = Clamp(x2, a.left - 1, a.right);
  y2 = Clamp(y2, a.top - 1, a.bottom);

  int32_t dx = x2 - x1;
  int32_t dy = y2 - y1;
  if (dx == 0 && dy == 0) return;
  const int32_t sx = dx < 0 ? -1 : 1;
  const int32_t sy = dy < 0 ? -1 : 1;
  dx = dx < 0 ? -dx : dx;
  dy = dy < 0 ? -dy : dy;

  if (dest->kind != 0 && dest->kind != 1) return;
  SolidColor solid;
  if (!PrepareSolidColor(dest->kind, color, &solid)) return;

  const intptr_t bytes = dest->format->bytes_per_pixel;
  const intptr_t x_step = sx * bytes;
  const intptr_t y_step = sy * static_cast<intptr_t>(dest->pitch);
  uint8_t* start = dest->pixels + static_cast<intptr_t>(y1) * dest->pitch + x1 * bytes;
  // Ties go along x.
  const Walk walk = dx >= dy ? Walk{start, x_step, y_step, dx, dy}
                             : Walk{start, y_step, x_step, dy, dx};
  if (dest->kind == 1) {
    WithSolidMode(solid, [&]<int kMode>() { StepLine<4, kMode>(walk, solid); });
  } else {
    WithSolidMode(solid, [&]<int kMode>() { StepLine<2, kMode>(walk, solid); });
  }
}
