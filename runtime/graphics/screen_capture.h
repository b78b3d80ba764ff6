// Capturing the draw screen into graphics.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct ColorFormat;

// The Direct3D side of copying the rectangle (x1, y1)-(x2, y2) of the draw
// screen into a texture graphic. 0, or -1 while Direct3D does not run.
int GetDrawScreenGraphD3D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                          int32_t flag);
// Sets the bits that no channel of `format` uses in every pixel of `rect`
// of the pixels at `pixels` (`pitch` bytes a row), from `value`. 0.
int SetSpareBitsInRect(const RECT* rect, void* pixels, int32_t pitch, const ColorFormat* format,
                       uint32_t value);
