// The scene globals, zero at program start.
#include "game/scenes/scenes.h"

int32_t scene_number;
int32_t scene_fade_level;
scene_variables scene_vars;

const char* const scene_sound_files[kSceneSoundFileCount] = {
    "data/se/se_brisca.ogg",
    "data/se/se_ningyo.ogg",
};
