// Graphics start and end: the screen system and graphics management. The
// flags they set are in runtime/graphics/state/graphics_flags.h.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/graphics/state/graphics_flags.h"

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

