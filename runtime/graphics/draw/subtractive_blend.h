// The subtractive blend of texture graphics on the Direct3D road: the
// destination minus the graphic is drawn as invert(invert(destination) +
// graphic): a white box inverts the destination, the caller draws its
// graphic adding, and a second white box inverts again.
#pragma once

#include <cstdint>

// Inverts the box (x1, y1)-(x2, y2) of the draw screen and switches to the
// adding blend with the caller's parameter. 0, or -1 while Direct3D does not
// run.
int InvertBoxThenAddMode(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Inverts the box again and switches back to the subtractive blend with the
// caller's parameter. 0 or -1.
int InvertBoxThenSubMode(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
