// The unscaled software blit: picks the loop family for the images and settings.
#include "runtime/softrender/blit.h"

#include <cstring>

#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/softrender/blend_tables.h"
#include "runtime/softrender/blit_internal.h"
#include "runtime/softrender/blit_vector.h"

uint32_t PaletteWorkBuffer[256];

bool BlitWideVectorsAllowed = true;

bool BlitMaskedVectorsAllowed = true;

#if defined(__x86_64__) || defined(__i386__)
const bool ProcessorHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
const bool ProcessorHasAvx512 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
         __builtin_cpu_supports("avx512bw");
}();
#endif

namespace {

// Inline in the blit's own entry; the stretched blit and the triangles call
// TakeDrawSettings.
inline void FillDrawSettings(BlitCall* call) {
  call->mode = BlendMode;
  call->param = BlendParam < 0 ? 0 : (BlendParam > 255 ? 255 : BlendParam);
  call->white = (DrawBrightness & 0xFFFFFFu) == 0xFFFFFFu;
  call->mmx = Screen.MmxBlitsEnabled == 1;
  call->scale_red = ScaleTable[(DrawBrightness >> 16) & 0xFF];
  call->scale_green = ScaleTable[(DrawBrightness >> 8) & 0xFF];
  call->scale_blue = ScaleTable[DrawBrightness & 0xFF];
  call->scale_param = ScaleTable[call->param];
  call->delta_param = SignedScaleRow(call->param);
  call->lerp_block = BlendLerpTable + (call->param / 4) * 4096;
  call->blend_weight = BlendGraphicTable;
}

}  // namespace

void TakeDrawSettings(BlitCall* call) { FillDrawSettings(call); }

void BlitMemImage(MEMIMG* dest, const MEMIMG* src, int32_t x, int32_t y, int32_t transparent,
                  const MEMIMG* blend_image) {
  if (dest->kind != src->kind || dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  if (src->kind != 0 && src->kind != 1) return;
  if (BlendMode < 0 || BlendMode > 4) return;
  // A blend image is read at the source's own positions: one smaller than
  // the source would be read past its end.
  if (blend_image != nullptr &&
      (blend_image->width < src->width || blend_image->height < src->height)) {
    return;
  }

  // The destination rectangle, clipped to the draw area and, so that a draw
  // area reaching past the destination can never write outside it, to the
  // destination itself. Widened to 64 bits: x + width must not wrap.
  const int64_t right = int64_t{x} + src->width;
  const int64_t bottom = int64_t{y} + src->height;
  RECT clip = DrawArea;
  const RECT whole = {0, 0, dest->width, dest->height};
  ClipRect(&clip, &whole);
  if (right <= clip.left || bottom <= clip.top || x >= clip.right || y >= clip.bottom) return;
  RECT rect = {x, y, static_cast<LONG>(right < clip.right ? right : clip.right),
               static_cast<LONG>(bottom < clip.bottom ? bottom : clip.bottom)};
  ClipRect(&rect, &clip);
  const int32_t width = rect.right - rect.left;
  const int32_t height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;

  const bool run_coded = transparent == 1 && src->run_table_flag == 1 &&
                         src->run_table != nullptr && width == src->width &&
                         height == src->height;

  // An indexed source's transparent value names an index only up to 255; a
  // larger one (65535: no palette entry is the transparent colour) names
  // none, so the pixel test skips nothing, as the run code has it.
  if (!run_coded && src->palette_flag == 1 && src->transparent_value > 0xFFu) transparent = 0;

  const int32_t src_x = rect.left - x;
  const int32_t src_y = rect.top - y;
  const int32_t src_bytes = src->format->bytes_per_pixel;
  const int32_t dst_bytes = dest->format->bytes_per_pixel;

  BlitCall call;
  call.width = width;
  call.height = height;
  call.src = src->pixels + static_cast<intptr_t>(src_y) * src->pitch + src_x * src_bytes;
  call.src_skip = src->pitch - width * src_bytes;
  call.dst = dest->pixels + static_cast<intptr_t>(rect.top) * dest->pitch + rect.left * dst_bytes;
  call.dst_skip = dest->pitch - width * dst_bytes;
  if (blend_image != nullptr) {
    call.blend = blend_image->pixels + static_cast<intptr_t>(src_y) * blend_image->pitch + src_x;
    call.blend_skip = blend_image->pitch - width;
  } else {
    call.blend = nullptr;
    call.blend_skip = 0;
  }
  call.source = src;
  call.transparent = transparent;
  call.run_code = src->run_table;
  FillDrawSettings(&call);

  if (src->palette_flag == 1) {
    call.transparent_wide = (src->transparent_value & 0xFFu) * 0x01010101u;
    int32_t count = src->palette_entry_count;
    if (count < 0) count = 0;
    if (count > 256) count = 256;
    std::memcpy(PaletteWorkBuffer, src->palette, count * (src->kind == 1 ? 4 : 2));
  } else if (src->kind == 0) {
    call.transparent_wide = (src->transparent_value & 0xFFFFu) * 0x00010001u;
  } else {
    call.transparent_wide = src->transparent_value;
  }

  if (!run_coded) {
    if (src->kind == 1) {
      if (src->palette_flag == 1) {
        BlitIndexed32(call);
      } else {
        BlitDirect32(call);
      }
    } else if (src->palette_flag == 1) {
      BlitIndexed16(call);
    } else {
      BlitDirect16(call);
    }
  } else if (src->kind == 1) {
    if (src->palette_flag == 1) {
      BlitRunIndexed32(call);
    } else {
      BlitRunDirect32(call);
    }
  } else if (src->palette_flag == 1) {
    BlitRunIndexed16(call);
  } else {
    BlitRunDirect16(call);
  }
}
