// The drawing globals, zero at program start.
#include "game/draw/draw.h"

int32_t set_enemy_drawn[kSetEnemySlots];
int32_t floor_item_drawn[kFloorItemSlots];
int32_t dropped_item_drawn[kDroppedItemSlots];
int32_t movable_rock_drawn[kMovableRockSlots];
int32_t boss_drawn;

int32_t save_figure_counter;
