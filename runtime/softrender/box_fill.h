// Filling a rectangle of a software image with one colour under the draw
// settings in force (blend mode and parameter, brightness).
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/image/mem_image.h"

// Fills `rect` (corners in either order, right and bottom exclusive; null:
// the whole image) of `dest`, clipped to DrawArea and to `dest`, with
// `color`, a pixel value of the image's format (a 16-bit value in the low
// half for kind 0), each pixel getting the constant-colour operation of
// BlendMode (see solid_pixel.h). The rectangle is only read. Nothing is
// drawn into an image with palette or alpha or of kind 2 or 3, for an empty
// clipped rectangle, BlendMode outside 0 to 4, or BlendParam 0 in modes 1
// to 3.
void FillMemImageBox(MEMIMG* dest, const RECT* rect, uint32_t color);
