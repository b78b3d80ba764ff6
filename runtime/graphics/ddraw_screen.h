// The DirectDraw screen: its start and end, the screen mode and the screen
// surfaces. Operations used by graphics handles and draw settings.
#pragma once

#include <cstdint>

// Stores the no-texture word: 1 when hardware acceleration is off, else
// `flag`. 0.
int SetNoTextureFlag(int32_t flag);
// Restores the screen surfaces that were lost. 0, or -1 without a DirectDraw
// object.
int RestoreLostScreenSurfaces();
