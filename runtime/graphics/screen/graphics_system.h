// Graphics start and end: the flags that say whether graphics management
// runs and whether Direct3D draws.
#pragma once

#include <cstdint>

// 1 while graphics management runs; operations that need it return early
// while it is 0.
extern int32_t GraphicsReady;
// 1 when Direct3D drawing is in use.
extern int32_t Use3DDrawing;

#include "platform/win32/types.h"

// Starts the screen system for `window`: DirectDraw with hardware
// acceleration, and when that fails, for good without it (the screens are
// then software images). 0; the program ends when neither start succeeds.
int StartScreenSystem(HWND window);
// Ends the screen system. 0.
int EndScreenSystem();

// Starts graphics management (the graphic registry, the draw settings'
// start values, the fonts): run by the screen start and after each screen
// mode change. 0.
int InitGraphicsManagement();
// Ends it: every graphic, mask and font goes. 0.
int EndGraphicsManagement();

// Rebuilds every screen object after the display changed under the program.
// 0.
int RebuildScreenObjects();
