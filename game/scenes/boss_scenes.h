// The encounters with the bosses of the later areas (110 to 116) and the
// players' own talk after their fall into the nimbra realm (117): one
// dialogue body with each scene's constants.
#pragma once

#include "game/scenes/scene_machinery.h"

// Pages by party copy: pelune only, orven only, both.
extern const scene_copy scene110_copies[3];
extern const scene_copy scene111_copies[3];
extern const scene_copy scene112_copies[3];
extern const scene_copy scene113_copies[3];
extern const scene_copy scene114_copies[3];
extern const scene_copy scene115_copies[3];
extern const scene_copy scene116_copies[3];
extern const scene_copy scene117_copies[3];

void scene_110_gorlan();
void scene_111_bremonkal();
void scene_112_ludera();
void scene_113_orsenta();
void scene_114_wendel();
void scene_115_mobaki();
void scene_116_thessa();
void scene_117_nimbra();

// The musician's own sound effects (scene 114): loaded on its first frame,
// played and stopped by page, deleted at its end.
void load_musician_sounds();
void run_musician_sounds(int32_t page);
void delete_musician_sounds();
