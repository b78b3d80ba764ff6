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

// ---- Digit fonts -----------------------------------------------------------------------

// Draw a decimal number with one of the three digit fonts (advances 7, 9 and
// 12 pixels). The left forms put the most significant digit's top-left corner
// at (x, y), the right forms the units digit's. A negative value is drawn as 0.
void draw_number_10(int32_t x, int32_t y, int32_t value);
void draw_number_13(int32_t x, int32_t y, int32_t value);
void draw_number_17(int32_t x, int32_t y, int32_t value);
void draw_number_10_right(int32_t x, int32_t y, int32_t value);
void draw_number_13_right(int32_t x, int32_t y, int32_t value);
void draw_number_17_right(int32_t x, int32_t y, int32_t value);

// ---- Helpers shared by the object drawers ------------------------------------------------

// Draws `graphic` with its top-left corner at the screen place of map
// position (x, y) plus (dx, dy): each coordinate truncated on its own before
// the camera offset and dx, dy are added. Transparent colour on.
void draw_map_sprite(float x, float y, int32_t dx, int32_t dy, int32_t graphic);
// Hit blink: a shot hit sets the counter to 1; each drawn frame raises it up
// to 16 and then ends it at 0.
void advance_hit_blink(int32_t& blink);
// 1 on the frames the object shows its white image (counter mod 4 is 1,
// after the advance).
bool hit_blink_is_white(int32_t blink);
// The vanish effect of a destroyed object: a counter of 1 or more is raised
// by 1 and its cell of dot_enemy_fade_img (3 frames a cell) drawn as a
// 32 x 32 sprite at (x, y); the counter is back to 0 after the eleventh cell.
// A counter of 0 draws nothing.
void run_vanish_effect(int32_t& counter, float x, float y);

// The spawn-counter frame tables of the generator images, 18 and 6 entries
// of 7 counter frames each; an index outside a table gives its nearest end.
int32_t get_generator_frame_long(int32_t i);
int32_t get_generator_frame_short(int32_t i);
