// Drawing through Direct3D: texture graphics at a position, stretched, onto
// four free corners (with or without the blend graphic), filled boxes and box
// outlines, clearing a texture draw target, and strings from a font's texture
// cache.
//
// Each operation turns a graphic's texture pieces into pre-transformed
// screen vertices (moved by DrawTargetRect, z the draw z value, rhw 1.0, the
// colour D3DDiffuseColor), prepares the blend and stage state and queues the
// vertices in the current device's batch. All return -1 while Direct3D does
// not run or for a bad piece, and 0 at once (doing nothing) while the draw
// target is one Direct3D cannot render into.
#pragma once

#include <cstdint>

struct D3DDeviceRecord;
struct GraphicRecord;
struct Surface3DData;

// Clears a texture draw target (and its Z buffer) with BackgroundColor; the
// screens and 2D graphics are left to the 2D side. 0, or -1 while Direct3D
// does not run.
int ClearDrawScreenD3D();

// Draws a texture graphic at (x, y) (ints with `integer_flag` 1, else the
// bit patterns of floats), clipped to DrawArea. 0 (also when it lies wholly
// outside), or -1.
int DrawGraphicD3D(int32_t x, int32_t y, const GraphicRecord* graphic, int32_t transparent,
                   int32_t integer_flag);
// Draws a texture graphic stretched onto (x1, y1)-(x2, y2) (a reversed axis
// mirrors it), clipped to DrawArea. 0, or -1 (also for x1 = x2 or y1 = y2).
int DrawGraphicStretchedD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            const GraphicRecord* graphic, int32_t transparent,
                            int32_t integer_flag);
// Draws a texture graphic onto the corners top-left, top-right, bottom-left,
// bottom-right; the viewport clips. With the blend graphic set the corners
// are taken as ints. 0 or -1.
int DrawGraphicFourCornersD3D(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                              float y3, const GraphicRecord* graphic, int32_t transparent);
// The same with integer corners and the blend graphic's second texture. 0 or
// -1.
int DrawGraphicWithBlendD3D(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            int32_t x3, int32_t y3, const GraphicRecord* graphic,
                            int32_t transparent);
// One piece onto the corners a (top-left), b, c, d (bottom-right), each an
// (x, y) pair already moved by DrawTargetRect: a parallelogram as one quad,
// any other shape as a 7 x 7 grid of cells. 0 or -1.
int DrawD3DQuadSubdivided(int32_t piece, const float* a, const float* b, const float* c,
                          const float* d);
// Draws `columns` x `rows` textured vertices (kind 1, row by row) as
// triangle strips of indices, at most 1000 indices a call. 0, or -1 (fewer
// than two columns or rows, no device).
int DrawD3DGrid(int32_t device, int32_t columns, const void* vertices, int32_t rows);

// A box between (x1, y1) and (x2, y2), right and bottom exclusive, in
// `color`, a screen pixel value (decoded with the screen's format and taken
// times the diffuse colour): filled, clipped to DrawArea, or its outline.
// While the draw target is unusable for Direct3D the software renderer draws
// it. 0 or -1.
int DrawFilledBoxD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
int DrawBoxOutlineD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
// DrawFilledBoxD3D when `fill` is not 0, else DrawBoxOutlineD3D.
int DrawBoxD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, int32_t fill);

// Draws a string with a font whose glyphs are cached in a texture graphic
// (colours 0xRRGGBB). 0, or -1 while Direct3D does not run.
int DrawStringWithFontCache(int32_t x, int32_t y, const char* text, uint32_t color, int32_t font,
                            uint32_t edge_color, int32_t vertical);
