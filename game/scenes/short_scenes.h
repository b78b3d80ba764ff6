// The short event scenes over the frozen field: the two blocked paths, keep
// exploring, the ice boss's fall and the save point.
#pragma once

#include "game/scenes/scene_machinery.h"

// Pages by party copy (pelune only, orven only, both), one page each in the
// blocked paths, one or two in keep exploring; the save point has one copy.
extern const scene_copy scene104_copies[3];
extern const scene_copy scene106_copies[3];
extern const scene_copy scene109_copies[3];
extern const scene_copy scene120_copy;

// Scene 104: players left of the line are pushed back to the right.
void run_blocked_path_right();
// Scene 109: players below the line are pushed back upward.
void run_blocked_path_up();
// Scene 106: once, after the first boss's defeat.
void run_keep_exploring();
// Scene 108: the ice boss's front view falls out of the room.
void run_ice_boss_fall();
// Scene 120: the save point's greeting, then the save menu.
void run_save_point();
