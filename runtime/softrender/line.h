// Straight lines of one colour in a software image, under the draw settings
// in force (blend mode and parameter, brightness), clipped to the draw area.
#pragma once

#include <cstdint>

#include "runtime/image/mem_image.h"

// Draws the line from (x1, y1) towards (x2, y2), leaving out (x2, y2), with
// `color` (a pixel value of the image's format) through the constant-colour
// operation of BlendMode (see solid_pixel.h). The ends are first moved onto
// the edges of DrawArea (held to the image) along the line, in floating
// point; the pixels are then stepped from the start towards the end, one per
// step of the longer axis (ties go along x), the shorter axis stepping once
// its error has reached the longer length. Nothing is drawn for a line that
// misses the draw area, one that clips to a single point, an image of kind
// 2 or 3 or with a palette, BlendMode outside 0 to 4 or BlendParam 0 in
// modes 1 to 3. An image with alpha is drawn like one without.
void DrawMemImageLine(MEMIMG* dest, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      uint32_t color);
