// The flags that say whether graphics management runs and whether Direct3D
// draws.
#include "runtime/graphics/state/graphics_flags.h"

int32_t GraphicsReady = 0;
int32_t Use3DDrawing = 0;
