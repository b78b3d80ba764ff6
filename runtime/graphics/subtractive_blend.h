// The subtractive blend of texture graphics, drawn as invert, add, invert.
#pragma once

#include <cstdint>

// Inverts the box (x1, y1)-(x2, y2) of the draw screen and switches to the
// adding blend with the remembered parameter. 0, or -1 while Direct3D does
// not run.
int InvertBoxThenAddMode(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Inverts the box again and switches back to the subtractive blend. 0 or -1.
int InvertBoxThenSubMode(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
