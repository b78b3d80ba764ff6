// Scenes: the dialogue and event scenes that state 22 runs.
#pragma once

#include <cstdint>

// The scene (100 to 120) that state 22 runs.
extern int32_t scene_number;
// The fade-out level shared by the opening scenes; 0 between fades.
extern int32_t scene_fade_level;

// Runs one frame of the scene scene_number.
void run_scene();
// One routine per scene, slot = scene_number - 100 (100 and 101 share one).
extern void (*scene_table[21])();
