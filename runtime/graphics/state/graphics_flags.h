// The flags that say whether graphics management runs and whether Direct3D
// draws; graphics start and end set them (runtime/graphics/screen/graphics_system.h).
#pragma once

#include <cstdint>

// 1 while graphics management runs; operations that need it return early
// while it is 0.
extern int32_t GraphicsReady;
// 1 when Direct3D drawing is in use.
extern int32_t Use3DDrawing;
