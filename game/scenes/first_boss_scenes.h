// The dialogues met on entering the first two boss rooms: the first boss's
// talk (105) and the giant toad's talk (107).
#pragma once

#include "game/scenes/scene_machinery.h"

// Pages by party copy: pelune only, orven only, both.
extern const scene_copy scene105_copies[3];
extern const scene_copy scene107_copies[3];

void run_first_boss_dialogue();
void run_giant_toad_dialogue();
