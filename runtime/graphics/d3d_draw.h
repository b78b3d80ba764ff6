// Drawing through Direct3D.
#pragma once

#include <cstdint>

struct GraphicRecord;

// Clears a texture draw target (and its Z buffer). -1 while Direct3D does
// not run.
int ClearDrawScreenD3D();

// Draws a texture graphic at (x, y) (ints with `integer_flag` 1, else the
// bit patterns of floats). 0, or -1 while Direct3D does not run.
int DrawGraphicD3D(int32_t x, int32_t y, const GraphicRecord* graphic, int32_t transparent,
                   int32_t integer_flag);
// Draws a texture graphic stretched onto (x1, y1)-(x2, y2). 0 or -1.
int DrawGraphicStretchedD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            const GraphicRecord* graphic, int32_t transparent,
                            int32_t integer_flag);
// Draws a texture graphic onto the corners top-left, top-right, bottom-left,
// bottom-right. 0 or -1.
int DrawGraphicFourCornersD3D(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                              float y3, const GraphicRecord* graphic, int32_t transparent);

// Draws a string with a font whose glyphs are cached in a texture graphic
// (colours 0xRRGGBB). 0, or -1 while Direct3D does not run.
int DrawStringWithFontCache(int32_t x, int32_t y, const char* text, uint32_t color, int32_t font,
                            uint32_t edge_color, int32_t vertical);
// Draws a filled box (`fill` non-zero) or its outline through Direct3D;
// `color` is a screen pixel value. 0, or -1 while Direct3D does not run.
int DrawBoxD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, int32_t fill);
