#include "runtime/graphics/draw_settings.h"

int32_t DrawTarget;
RECT DrawTargetRect;
int32_t DrawScreenWidth;
int32_t DrawScreenHeight;
RECT DrawArea;
float DrawAreaF[4];
int32_t DrawAreaEmpty;
int32_t DrawAreaRequest[4];

int32_t BlendMode;
int32_t BlendParam;
int32_t BlendGraphic = -1;
int32_t BlendGraphicParam1;
int32_t BlendGraphicParam2;
uint32_t DrawBrightness = 0xFFFFFF;
uint32_t TransparentColor;
int32_t DrawFilterMode;
