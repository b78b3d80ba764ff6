// The draw settings every drawing path reads: where to draw, the clip
// rectangle, the blend mode, the brightness and the transparent colour of
// graphics made from now on. Graphics start gives them their start values.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

constexpr int32_t kDrawTargetFrontScreen = -4;
constexpr int32_t kDrawTargetBackScreen = -2;

// -4 front screen, -2 back screen, else a graphic handle.
extern int32_t DrawTarget;
// The draw screen in screen coordinates, and its size.
extern RECT DrawTargetRect;
extern int32_t DrawScreenWidth;
extern int32_t DrawScreenHeight;
// The clip rectangle (right and bottom exclusive) inside the draw screen, and
// the same four values as floats.
extern RECT DrawArea;
extern float DrawAreaF[4];
// 1 when DrawArea has no width or no height.
extern int32_t DrawAreaEmpty;
// The four values last given to ChangeDrawArea, before sorting and clipping.
extern int32_t DrawAreaRequest[4];

// 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply.
extern int32_t BlendMode;
// 0 to 255.
extern int32_t BlendParam;
// Graphic handle or -1, with its border parameter and border range (0 to 255).
extern int32_t BlendGraphic;
extern int32_t BlendGraphicParam1;
extern int32_t BlendGraphicParam2;
// The colour multiplier, 0x00RRGGBB.
extern uint32_t DrawBrightness;
// The transparent colour of graphics made from now on, 0x00RRGGBB.
extern uint32_t TransparentColor;
// The texture filter word handed to Direct3D.
extern int32_t DrawFilterMode;
