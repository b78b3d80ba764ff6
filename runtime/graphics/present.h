// Presenting the screen and pointing 2D drawing at the draw target.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

// Points 2D drawing at the surface or software image of `new_target` (-4
// front screen, -2 back screen, else a graphic). 0, or -1 for a graphic that
// has no surface.
int SetDrawTarget2D(int32_t new_target, int32_t old_target);
// Clears the draw target with the background colour. 0, or -1 while 2D
// drawing cannot run.
int ClearDrawTarget2D();
// Shows a rectangle of the software front image in the window. 0 or -1.
int TransferFrontMemImageRect(const RECT* rect);

// The copying and software paths of presenting the back screen. 0, or -1
// without DirectDraw while acceleration is on.
int ShowBackScreenSoftware();
