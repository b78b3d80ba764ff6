// The stretched software blit: draws a whole software image scaled into a
// destination rectangle, mirrored on an axis whose corners come reversed,
// clipped to the draw area, under the same draw settings as the unscaled
// blit.
#pragma once

#include <cstdint>

#include "runtime/image/mem_image.h"

// The source palette of the stretched blit running now, copied at every call
// with an indexed source (32-bit entries, or 16-bit entries in the first
// half). Kept apart from the unscaled blit's PaletteWorkBuffer.
extern uint32_t StretchPaletteWorkBuffer[256];

// Draws `src` scaled onto the rectangle between the corners {x1, y1, x2, y2}
// of `dest` (the far corner exclusive, either order on each axis; x1 > x2
// mirrors horizontally, y1 > y2 vertically), clipped to DrawArea and to
// `dest`. Destination pixel i columns from the rectangle's unclipped edge
// shows source column floor(i x 65536 / scale), scale = (width << 16) /
// source width truncated (counted from the far side when mirrored); rows
// likewise. At the source's own size and unmirrored it is the unscaled blit.
// `transparent` and `blend_image` as for BlitMemImage; with an alpha source
// the transparent flag skips alpha 0 and draws alpha 255 as opaque, and
// without it every pixel is weighed by its alpha. Nothing is drawn for an
// empty rectangle, images of different pixel kinds, a destination with
// palette or alpha, a source not of kind 0 or 1 or of 65536 pixels or more
// on an axis (where 16.16 steps could pass its last pixel), a blend image
// smaller than the source, or BlendMode above 4; the modes' own refusals
// are the unscaled blit's.
void StretchBlitMemImage(MEMIMG* dest, const MEMIMG* src, const int32_t* corners,
                         int32_t transparent, const MEMIMG* blend_image);
