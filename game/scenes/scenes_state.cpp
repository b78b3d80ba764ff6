// The scene globals, zero at program start.
#include "game/scenes/scenes.h"

int32_t scene_number;
int32_t scene_fade_level;
scene_variables scene_vars;
