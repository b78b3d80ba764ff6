// Capturing the draw screen into graphics.
//
// A texture graphic is filled from the screen by one of five copy methods
// (no one method works with every display driver): they are tried in a fixed
// order until one succeeds, and the one that worked is tried first next
// time, separately for graphics with and without alpha.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/graphics/state/screen_state.h"

struct ColorFormat;
struct GraphicRecord;

// One copy method: the rectangle (x1, y1)-(x2, y2) of the draw screen into
// the pieces of `graphic`. 0, or -1.
using DrawScreenGraphFunction = int (*)(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                        GraphicRecord* graphic, int32_t flag);
// Lock and convert, blit, blit through a work texture's pixels, device
// contexts, texture load through a work texture; null ends the table.
extern const DrawScreenGraphFunction DrawScreenGraphFunctionTable[6];

int G_D3D_GetDrawScreenGraphFunction1(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag);
int G_D3D_GetDrawScreenGraphFunction2(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag);
int G_D3D_GetDrawScreenGraphFunction3(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag);
int G_D3D_GetDrawScreenGraphFunction4(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag);
int G_D3D_GetDrawScreenGraphFunction5(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                      GraphicRecord* graphic, int32_t flag);

// The Direct3D side of copying the rectangle (x1, y1)-(x2, y2) of the draw
// screen into a texture graphic. `flag` 0 in window mode with the front
// screen as draw target copies from the whole desktop. 0; 0 at once while
// the draw target is unusable; -1 without Direct3D, for a bad graphic or when
// every method failed (what was copied stays).
int GetDrawScreenGraphD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                          int32_t flag);
// Sets the bits that no channel of `format` uses in every pixel of `rect`
// (corners in any order) of the pixels at `pixels` (`pitch` bytes a row),
// from `value`. 0.
int SetSpareBitsInRect(const RECT* rect, void* pixels, int32_t pitch, const ColorFormat* format,
                       uint32_t value);
