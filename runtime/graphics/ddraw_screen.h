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

struct IDirectDraw7;

// (Re)builds the screen for a size, depth and refresh rate (-1 keeps each);
// with `force` 1 also when nothing changes. 0, -2 after falling back to
// 640 x 480 x 16, -1 on failure.
int ChangeScreenMode(int32_t width, int32_t height, int32_t depth, int32_t force,
                     int32_t refresh_rate);
// 1 while the display mode differs from the desktop's.
int32_t IsDisplayModeChanged();
// 1 unless hardware acceleration is off.
int32_t IsDirectDrawUsed();
// The DirectDraw object, or null.
IDirectDraw7* GetDirectDrawObject();
// Releases the DirectDraw object and what hangs on it (the first half of a
// screen rebuild). 0.
int ReleaseDirectDraw();
// The screen's pixel value of an RGB colour.
uint32_t GetScreenColorValue(int32_t r, int32_t g, int32_t b);
