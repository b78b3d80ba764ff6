// Boxes and the small rectangle operations of the drawing paths.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/image/clip_rect.h"

// Swaps left and right, and top and bottom, where they are reversed. 0.
int SortRectCorners(RECT* rect);
// Width (right - left) and height (bottom - top); either output may be
// null. 0.
int GetRectExtent(const RECT* rect, int32_t* width, int32_t* height);

// A box between (x1, y1) and (x2, y2), right and bottom exclusive, in
// `color`, a screen pixel value: filled when `fill` is not 0, else its
// outline. The path's result (0 drawn, -1 refused); 0 while drawing is
// inhibited or the draw area is empty.
int RenderBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, int32_t fill);
int RenderFilledBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
int RenderBoxOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
