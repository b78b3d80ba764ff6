// Drawing procedures that do nothing yet.
#include "game/draw/draw.h"

void draw_field_objects() {}
void draw_player_shots() {}
void draw_player_shot_fades() {}
void draw_enemy_shots() {}
void draw_enemy_shot_fades() {}
void draw_boss_shots() {}
void draw_boss_shot_fades() {}
void draw_status() {}
void draw_player(int32_t) {}
void draw_generator(int32_t) {}
void draw_set_enemy(int32_t) {}
void draw_enemy(int32_t) {}
void draw_floor_item(int32_t) {}
void draw_dropped_item(int32_t) {}
void draw_movable_rock(int32_t) {}
void draw_boss() {}
