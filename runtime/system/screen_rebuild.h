// The rebuild of every screen object after the display changed under the
// program: the screen, Direct3D, the input devices, the graphics' restore
// marks, the fonts, the movies and the mask screen, in their fixed order.
#pragma once

// Rebuilds every screen object after the display changed under the program.
// 0.
int RebuildScreenObjects();
