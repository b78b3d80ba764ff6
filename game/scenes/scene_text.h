// The scenes' script: the lines of every page, by scene, party copy and
// page. The page tables of the scene logic say how many lines each page
// shows.
#pragma once

#include "game/scenes/scene_machinery.h"

// Openings: the first character alone, the second alone, both.
extern const scene_page_text scene101_text[3];
extern const scene_page_text scene102_text[5];
extern const scene_page_text scene103_text[13];
