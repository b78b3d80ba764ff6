// The draw settings' setters and queries: the draw target, the clip
// rectangle, the blend mode and graphic, the brightness, the transparent
// colour and the filter. The values themselves are the draw state
// (runtime/graphics/state/draw_state.h).
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/graphics/state/draw_state.h"

// ---- Setters and queries -------------------------------------------------

// Makes `target` (-4 front screen, -2 back screen, or a graphic handle) the
// draw target. -1 before graphics start, for anything that is neither a
// screen nor a live graphic, and when the screen side refuses the target (the
// old target is then put back).
int ChangeDrawTarget(int32_t target);
// Sets the clip rectangle: corners sorted, clamped to the draw screen. 0.
int ChangeDrawArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Clears the draw screen. 0.
int ClearDrawTarget();
// Stores the blend mode and its parameter (clamped to 0..255). 0.
int ChangeBlendMode(int32_t mode, int32_t param);
// Selects the blend graphic (-1: none) with its border parameter and range
// (each clamped to 0..255). 0, or -1 for a bad handle.
int SelectBlendImage(int32_t graphic, int32_t param1, int32_t param2);
// Sets the draw brightness, each value clamped to 0..255. 0.
int ChangeDrawBrightness(int32_t r, int32_t g, int32_t b);
// The same from a 0xRRGGBB word (higher bits ignored). 0.
int SetDrawBrightnessColor(uint32_t color);
// Sets the transparent colour of graphics made from now on (each value taken
// as a byte); ignored while the screen depth setting is 8. 0.
int ChangeTransparentColor(int32_t r, int32_t g, int32_t b);
int ChangeDrawFilterMode(int32_t mode);
int GetDrawFilterMode();
int32_t GetCurrentDrawTarget();
// Copies DrawArea. 0.
int GetDrawArea(RECT* rect);
// Stores DrawTargetRect (the window moved). 0.
int StoreDrawTargetRect(const RECT* rect);
// The screen's size and colour depth (640, 480 and 16 when unset); any
// output may be null. 0.
int GetScreenSizeAndDepth(int32_t* width, int32_t* height, int32_t* depth);
// 1 when new graphics are made as Direct3D textures, else 0.
int IsTextureGraphicsInUse();
