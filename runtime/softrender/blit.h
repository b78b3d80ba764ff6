// The unscaled software blit: draws a whole software image onto another at a
// position, clipped to the draw area, under the draw settings in force
// (blend mode and parameter, brightness), with an optional transparent test
// and an optional blend image that weighs each pixel.
#pragma once

#include <cstdint>

#include "runtime/image/mem_image.h"

// The source palette of the blit running now, copied at every call with an
// indexed source (32-bit entries, or 16-bit entries in the first half).
extern uint32_t PaletteWorkBuffer[256];

// Draws `src` onto `dest` with its top-left pixel at (x, y), clipped to
// DrawArea and to `dest`. `transparent` non-zero turns the transparent test
// on: a source pixel equal to the source's transparent value leaves its
// destination pixel (a value above 255 names no index of an indexed source;
// for a source with alpha: alpha 0 is skipped and alpha 255 drawn as
// opaque); exactly 1 lets a whole, unclipped source with a valid run code be
// drawn through it. `blend_image` (one byte per pixel, at least the source's
// size, or null) weighs each pixel through BlendGraphicTable. Nothing is
// drawn when the images' pixel kinds differ, the destination has a palette or
// alpha, the source is not of kind 0 or 1, BlendMode is above 4, or the blend
// image is smaller than the source.
void BlitMemImage(MEMIMG* dest, const MEMIMG* src, int32_t x, int32_t y, int32_t transparent,
                  const MEMIMG* blend_image);
