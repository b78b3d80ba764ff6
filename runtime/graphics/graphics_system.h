// Graphics start and end: the flags that say whether graphics management
// runs and whether Direct3D draws.
#pragma once

#include <cstdint>

// 1 while graphics management runs; operations that need it return early
// while it is 0.
extern int32_t GraphicsReady;
// 1 when Direct3D drawing is in use.
extern int32_t Use3DDrawing;

// Rebuilds every screen object after the display changed under the program.
// 0.
int RebuildScreenObjects();
