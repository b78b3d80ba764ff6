// Play-field drawing: the map chips, the depth-sorted object pass, the shots
// and their vanish effects, the bosses and the status display.
#pragma once

#include <cstdint>

#include "game/areas/areas.h"
#include "game/world/world.h"

// ---- Drawn flags of the depth-sorted pass ------------------------------------------
// 1 once the object was drawn in this frame's pass. The flags of the players
// and enemies are the `drawn` fields of their records.

extern int32_t set_enemy_drawn[kSetEnemySlots];
extern int32_t floor_item_drawn[kFloorItemSlots];
extern int32_t dropped_item_drawn[kDroppedItemSlots];
extern int32_t movable_rock_drawn[kMovableRockSlots];
extern int32_t boss_drawn;

// ---- Map figures ---------------------------------------------------------------------

// Animation counter (0 to 59) of the save-point figure, shared by every
// floor that shows one.
extern int32_t save_figure_counter;

// ---- Procedures ------------------------------------------------------------------------

// Each draws its part of the play field on the back screen at the current
// camera offset.
void draw_map_chips();  // may switch map_status to 2 when it reloads a boss room's map
void draw_field_objects();
void draw_player_shots();
void draw_player_shot_fades();
void draw_enemy_shots();
void draw_enemy_shot_fades();
void draw_map_overlay();
void draw_boss_shots();
void draw_boss_shot_fades();
void draw_status();

// The drawers of one object each, called by draw_field_objects with every
// object of their range, present or not; each decides what to draw and
// advances its own animation counters.
void draw_player(int32_t index);
void draw_generator(int32_t index);
void draw_set_enemy(int32_t index);
void draw_enemy(int32_t slot);
void draw_floor_item(int32_t index);
void draw_dropped_item(int32_t slot);
void draw_movable_rock(int32_t index);
void draw_boss();
