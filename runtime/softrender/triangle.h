// The triangle rasteriser: one triangle drawn into a software image, either
// texture-mapped from a source image (each pixel takes the texel found by
// screen-linear interpolation of the vertices' texel coordinates) or filled
// with one colour, under the draw settings in force (clip rectangle, blend
// mode and parameter, brightness, transparent test, blend image).
#pragma once

#include <cstdint>

#include "runtime/image/mem_image.h"

// One corner of a triangle: a destination pixel and the source texel it
// shows.
struct TriangleVertex {
  int32_t x;
  int32_t y;
  int32_t u;
  int32_t v;
};

// Draws the triangle of the three `vertices` (any order, either winding)
// into `dest` (kind 0 or 1, no palette, no alpha), clipped to DrawArea and
// to `dest`.
//
// Fill rule: positions are taken at pixel centres in 14.18 fixed point; the
// edges are walked row by row from the top vertex's row (its y truncated
// toward zero after the half pixel is added, so a negative y starts one row
// lower) for as many rows as the triangle is high, each row covering the
// pixels from the whole part of its left edge to the whole part of its right
// edge, both included; the bottom vertex's row is not drawn.
//
// With `src` (of the destination's kind) each pixel takes the texel at the
// affine interpolation of the (u, v) of the vertices, sampled without
// wrapping: a pixel whose texel lies outside the source is left unchanged.
// `transparent` non-zero skips texels equal to the source's transparent
// value (for a source with alpha: skips alpha 0 except in the multiply mode
// and draws alpha 255 as opaque); `blend_image` (one byte per pixel, at least
// the source's size, or null) weighs each pixel by the byte at its texel.
// Without `src` the triangle is filled with `color`, a pixel value of the
// destination's format, tinted by DrawBrightness as channel x level / 255.
//
// Nothing is drawn when the kinds differ, the destination has a palette or
// alpha or is not of kind 0 or 1, the source is not of kind 0 or 1 or is
// 16384 pixels or more on an axis, the blend image is smaller than the
// source, a vertex coordinate or texel coordinate lies outside -8191 to 8191,
// the three vertices lie on one line, BlendMode is outside 0 to 4, or
// BlendParam is 0 in modes 1 and 2 (and in mode 3, except for an indexed
// source, which still subtracts nothing through its packed subtract).
void RasterizeMemImageTriangle(MEMIMG* dest, const MEMIMG* src, const TriangleVertex* vertices,
                               int32_t transparent, const MEMIMG* blend_image, uint32_t color);
