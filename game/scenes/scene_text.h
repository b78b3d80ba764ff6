// The scenes' script: the lines of every page, by scene, party copy and
// page. The page tables of the scene logic say how many lines each page
// shows.
#pragma once

#include "game/scenes/scene_machinery.h"

// Openings: the first character alone, the second alone, both.
extern const scene_page_text scene101_text[3];
extern const scene_page_text scene102_text[5];
extern const scene_page_text scene103_text[13];

// Blocked paths (pelune only, orven only, both: one page each), keep
// exploring, and the save point.
extern const scene_page_text scene104_pelune_text[1];
extern const scene_page_text scene104_orven_text[1];
extern const scene_page_text scene104_both_text[1];
extern const scene_page_text scene106_pelune_text[1];
extern const scene_page_text scene106_orven_text[1];
extern const scene_page_text scene106_both_text[2];
extern const scene_page_text scene109_pelune_text[1];
extern const scene_page_text scene109_orven_text[1];
extern const scene_page_text scene109_both_text[1];
extern const scene_page_text scene120_text[1];

// The first two boss rooms, by party copy. A label page holds the
// speaker's name in `label`; a page without a window holds no text.
extern const scene_page_text scene105_pelune_text[6];
extern const scene_page_text scene105_orven_text[5];
extern const scene_page_text scene105_both_text[8];
extern const scene_page_text scene107_pelune_text[6];
extern const scene_page_text scene107_orven_text[6];
extern const scene_page_text scene107_both_text[8];

// The later bosses' encounters and the talk after the fall, by party copy.
extern const scene_page_text scene110_pelune_text[7];
extern const scene_page_text scene110_orven_text[4];
extern const scene_page_text scene110_both_text[10];
extern const scene_page_text scene111_pelune_text[6];
extern const scene_page_text scene111_orven_text[7];
extern const scene_page_text scene111_both_text[9];
extern const scene_page_text scene112_pelune_text[7];
extern const scene_page_text scene112_orven_text[7];
extern const scene_page_text scene112_both_text[10];
extern const scene_page_text scene113_pelune_text[6];
extern const scene_page_text scene113_orven_text[10];
extern const scene_page_text scene113_both_text[12];
extern const scene_page_text scene114_pelune_text[11];
extern const scene_page_text scene114_orven_text[11];
extern const scene_page_text scene114_both_text[9];
extern const scene_page_text scene115_pelune_text[14];
extern const scene_page_text scene115_orven_text[7];
extern const scene_page_text scene115_both_text[12];
extern const scene_page_text scene116_pelune_text[2];
extern const scene_page_text scene116_orven_text[2];
extern const scene_page_text scene116_both_text[2];
extern const scene_page_text scene117_pelune_text[3];
extern const scene_page_text scene117_orven_text[4];
extern const scene_page_text scene117_both_text[5];

// The ending: its pages by party copy, its roll lines by copy, and the
// orven-only copy's closing lines; the trial end's pages.
extern const char* const scene118_pelune_roll[5];
extern const char* const scene118_orven_roll[5];
extern const char* const scene118_both_roll[6];
extern const scene_page_text scene118_pelune_text[5];
extern const scene_page_text scene118_orven_text[11];
extern const scene_page_text scene118_both_text[10];
extern const scene_page_text scene119_pelune_text[3];
extern const scene_page_text scene119_orven_text[3];
extern const scene_page_text scene119_both_text[6];
extern const char* const scene118_closing[2];
