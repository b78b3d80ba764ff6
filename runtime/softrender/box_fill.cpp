// Filling a rectangle of a software image with one colour.
#include "runtime/softrender/box_fill.h"

#include <cstddef>
#include <cstring>

#include "runtime/graphics/state/draw_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/softrender/solid_pixel.h"

namespace {

struct Box {
  uint8_t* first;  // first pixel of the top row
  int32_t pitch;
  int32_t width;
  int32_t height;
};

// Writes `bytes` bytes (whole pixels) from `p` on as copies of `block`, 64
// bytes of the colour repeated: whole 64-byte copies, which the compiler
// turns into a few wide stores each, and the rest in one copy.
inline void FillRow(uint8_t* p, size_t bytes, const uint8_t* block) {
  size_t i = 0;
  for (; i + 64 <= bytes; i += 64) std::memcpy(p + i, block, 64);
  std::memcpy(p + i, block, bytes - i);
}

template <int kBytes, int kMode>
void FillRows(const Box& box, const SolidColor& solid) {
  uint8_t* row = box.first;
  // The plain fills are block stores of the colour (16-bit: pixel pairs in
  // 32-bit words, as writing each pixel would).
  uint8_t block[64];
  for (int i = 0; i < 64; i += kBytes) std::memcpy(block + i, &solid.color, kBytes);
  for (int32_t y = 0; y < box.height; ++y) {
    if constexpr (kMode == 0) {
      FillRow(row, static_cast<size_t>(box.width) * kBytes, block);
    } else {
      uint8_t* p = row;
      for (int32_t x = 0; x < box.width; ++x, p += kBytes) {
        if constexpr (kBytes == 4) {
          SolidPixel32<kMode>(solid, p);
        } else {
          SolidPixel16<kMode>(solid, p);
        }
      }
    }
    row += box.pitch;
  }
}

}  // namespace

void FillMemImageBox(MEMIMG* dest, const RECT* rect, uint32_t color) {
  if (dest->palette_flag == 1 || dest->alpha_flag == 1) return;
  RECT box_rect = {0, 0, dest->width, dest->height};
  if (rect != nullptr) {
    box_rect.left = rect->left < rect->right ? rect->left : rect->right;
    box_rect.right = rect->left < rect->right ? rect->right : rect->left;
    box_rect.top = rect->top < rect->bottom ? rect->top : rect->bottom;
    box_rect.bottom = rect->top < rect->bottom ? rect->bottom : rect->top;
  }
  // Clipped to the draw area and, so that a draw area reaching past the
  // image can never write outside it, to the image itself.
  RECT clip = DrawArea;
  const RECT whole = {0, 0, dest->width, dest->height};
  ClipRect(&clip, &whole);
  ClipRect(&box_rect, &clip);
  const int32_t width = box_rect.right - box_rect.left;
  const int32_t height = box_rect.bottom - box_rect.top;
  if (width <= 0 || height <= 0) return;
  if (dest->kind != 0 && dest->kind != 1) return;

  SolidColor solid;
  if (!PrepareSolidColor(dest->kind, color, &solid)) return;
  const int32_t bytes = dest->format->bytes_per_pixel;
  const Box box = {dest->pixels + static_cast<intptr_t>(box_rect.top) * dest->pitch +
                       static_cast<intptr_t>(box_rect.left) * bytes,
                   dest->pitch, width, height};
  if (dest->kind == 1) {
    WithSolidMode(solid, [&]<int kMode>() { FillRows<4, kMode>(box, solid); });
  } else {
    WithSolidMode(solid, [&]<int kMode>() { FillRows<2, kMode>(box, solid); });
  }
}
