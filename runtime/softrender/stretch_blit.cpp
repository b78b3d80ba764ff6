// The stretched software blit: picks the loop family for the images and settings.
#include "runtime/softrender/stretch_blit.h"

#include <cstring>

#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/softrender/blit.h"
#include "runtime/softrender/stretch_internal.h"

uint32_t StretchPaletteWorkBuffer[256];

namespace {

// The first source pixel (column or row) the walk reads, and how far the
// counter is from the next one, for a rectangle edge moved on by `skipped`
// destination pixels: skip = floor(skipped x 65536 / scale), counter = scale
// minus the remainder (1 to scale).
struct AxisStart {
  int64_t skip;
  int64_t counter;
};
AxisStart StartOnAxis(int64_t skipped, int64_t scale) {
  const int64_t numerator = skipped * 65536;
  return {numerator / scale, scale - numerator % scale};
}

}  // namespace

void StretchBlitMemImage(MEMIMG* dest, const MEMIMG* src, const int32_t* corners,
                         int32_t transparent, const MEMIMG* blend_image) {
  const int32_t x1 = corners[0], y1 = corners[1], x2 = corners[2], y2 = corners[3];
  const int32_t left = x1 < x2 ? x1 : x2;
  const int32_t right = x1 < x2 ? x2 : x1;
  const int32_t top = y1 < y2 ? y1 : y2;
  const int32_t bottom = y1 < y2 ? y2 : y1;
  const bool mirror_x = x1 > x2;
  const bool mirror_y = y1 > y2;
  // In 64 bits: corners far apart must not wrap.
  const int64_t w = int64_t{right} - left;
  const int64_t h = int64_t{bottom} - top;
  if (w == 0 || h == 0) return;
  if (w == src->width && h == src->height && !mirror_x && !mirror_y) {
    BlitMemImage(dest, src, left, top, transparent, blend_image);
    return;
  }

  // An indexed source's transparent value above 255 names no index, as in
  // the unscaled blit: no pixel is skipped.
  if (src->palette_flag == 1 && src->transparent_value > 0xFFu) transparent = 0;

  // The pixel size of the loops is the source's: a destination of another
  // kind, or with one-byte or alpha pixels, would be written past its rows.
  if (dest->kind != src->kind || dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  if (src->kind != 0 && src->kind != 1) return;
  // 16.16 steps reach the last source pixel exactly only below 65536.
  if (src->width <= 0 || src->height <= 0 || src->width >= 65536 || src->height >= 65536) return;
  if (blend_image != nullptr &&
      (blend_image->width < src->width || blend_image->height < src->height)) {
    return;
  }
  // Destination pixels per source pixel; 0 when the rectangle is more than
  // 65536 times smaller than the source, which has no walk.
  const int64_t scale_x = (w << 16) / src->width;
  const int64_t scale_y = (h << 16) / src->height;
  if (scale_x == 0 || scale_y == 0) return;

  // Clipped to the draw area and, so that a draw area reaching past the
  // destination can never write outside it, to the destination itself.
  RECT clip = DrawArea;
  const RECT whole = {0, 0, dest->width, dest->height};
  ClipRect(&clip, &whole);
  RECT rect = {left, top, right, bottom};
  ClipRect(&rect, &clip);
  const int32_t width = rect.right - rect.left;
  const int32_t height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;

  const AxisStart along_x = StartOnAxis(int64_t{rect.left} - left, scale_x);
  const AxisStart along_y = StartOnAxis(int64_t{rect.top} - top, scale_y);
  const int64_t column = mirror_x ? src->width - 1 - along_x.skip : along_x.skip;
  const int64_t row = mirror_y ? src->height - 1 - along_y.skip : along_y.skip;
  const int32_t src_bytes = src->format->bytes_per_pixel;
  const int32_t dst_bytes = dest->format->bytes_per_pixel;

  StretchCall call{};
  call.width = width;
  call.height = height;
  call.src = src->pixels + row * src->pitch + column * src_bytes;
  call.src_step_x = mirror_x ? -src_bytes : src_bytes;
  call.src_step_y = mirror_y ? -src->pitch : src->pitch;
  if (blend_image != nullptr) {
    call.blend = blend_image->pixels + row * blend_image->pitch + column;
    call.blend_step_x = mirror_x ? -1 : 1;
    call.blend_step_y = mirror_y ? -blend_image->pitch : blend_image->pitch;
  }
  call.dst = dest->pixels + static_cast<intptr_t>(rect.top) * dest->pitch +
             static_cast<intptr_t>(rect.left) * dst_bytes;
  call.dst_pitch = dest->pitch;
  call.scale_x = scale_x;
  call.scale_y = scale_y;
  call.counter_x0 = along_x.counter;
  call.counter_y = along_y.counter;

  if (src->palette_flag == 1) {
    int32_t count = src->palette_entry_count;
    if (count < 0) count = 0;
    if (count > 256) count = 256;
    std::memcpy(StretchPaletteWorkBuffer, src->palette, count * (src->kind == 1 ? 4 : 2));
  }

  call.source = src;
  call.transparent = transparent;
  TakeDrawSettings(&call);
  if (src->palette_flag == 1) {
    call.transparent_wide = src->transparent_value & 0xFFu;
  } else if (src->kind == 0) {
    call.transparent_wide = src->transparent_value & 0xFFFFu;
  } else {
    call.transparent_wide = src->transparent_value;
  }

  if (call.mode < 0 || call.mode > 4) return;
  if (src->kind == 1) {
    if (src->palette_flag == 1) {
      StretchIndexed32(call);
    } else {
      StretchDirect32(call);
    }
  } else if (src->palette_flag == 1) {
    StretchIndexed16(call);
  } else {
    StretchDirect16(call);
  }
}
