// The story's close (118) and the end of the trial content (119): both
// return the game to the title.
#pragma once

#include "game/scenes/scene_machinery.h"

// Pages by party copy: pelune only, orven only, both. The ending's copy for
// both holds its two groups of pages one after the other (7, then 3).
extern const scene_copy scene118_copies[3];
extern const scene_copy scene119_copies[3];

void run_ending();
void run_trial_end();
