// The software drawing front ends: how the graphics layer draws through the
// software renderer. Each picks the images to read and write and hands them
// to the stretched blit, the triangle rasteriser, the box fill or the line.
//
// With software images (MemImageRendering 1 on a screen deeper than 8 bits)
// the front ends draw straight into the draw target's image, or into the
// mask image while a mask is in force. Otherwise the affected rectangle of
// the draw target (and the source rectangle of the graphic) is brought into
// work images by BeginSoftwareDraw, drawn there at the target's own
// coordinates and written back by EndSoftwareDraw.
#pragma once

#include <cstdint>

#include "runtime/image/mem_image.h"
#include "runtime/softrender/triangle.h"

struct GraphicRecord;

// One line of a line batch. `param` is carried along (the box outline puts
// BlendParam there) but not read by the line drawing.
struct LineRecord {
  int32_t x1;
  int32_t y1;
  int32_t x2;
  int32_t y2;
  int32_t color;
  int32_t param;
};

// Draws the graphic stretched onto the rectangle between (x1, y1) and
// (x2, y2) (the far corner exclusive; a reversed axis mirrors it), clipped to
// DrawArea, under the draw settings. With `integer_flag` 1 the four words
// are integers, otherwise the bit patterns of floats, truncated toward zero.
// `surface` -1 draws the graphic's first 2D surface at the graphic's size,
// another handle that 2D surface at its own size. 0 when done; -1 when
// refused (acceleration on without DirectDraw, no such surface, and on the
// DirectDraw road an empty or wholly clipped rectangle or a failed transfer).
int DrawGraphicStretchedSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                             const GraphicRecord* graphic, int32_t transparent,
                             int32_t integer_flag, int32_t surface);

// Draws one triangle: textured from the graphic's first 2D surface, or, with
// no graphic, filled with `color` (a pixel value of the screen's format).
// 0 when done, -1 when refused.
int SetupMemImageTriangle(const TriangleVertex* vertices, const GraphicRecord* graphic,
                          int32_t transparent, uint32_t color);
// Draws the graphic onto the four corners top-left (x0, y0), top-right
// (x1, y1), bottom-left (x2, y2) and bottom-right (x3, y3) as two textured
// triangles meeting on the top-right to bottom-left diagonal. 0.
int DrawMemImageQuad(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     int32_t x3, int32_t y3, const GraphicRecord* graphic, int32_t transparent);
// The same with float corners, each truncated toward zero. 0.
int DrawGraphicFourCornersSoft(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                               float y3, const GraphicRecord* graphic, int32_t transparent);

// Fills the box (x1, y1)-(x2, y2) (right and bottom exclusive, either order)
// with `color`, a pixel value of the screen's format. 0 when done, -1 when
// refused.
int DrawFilledBoxSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
// Draws the outline of the box (x1, y1)-(x2, y2) as four lines that touch
// each border pixel once. The line batch's result.
int DrawBoxOutlineSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
// Draws `count` lines into `dest` in order (nothing for a count of 0 or
// less).
void DrawMemImageLines(MEMIMG* dest, const LineRecord* lines, int32_t count);
