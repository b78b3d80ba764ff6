// The player records and the world globals, zero at program start.
#include "game/world/world.h"

player_data player[4];

int32_t scroll_x;
int32_t scroll_y;
int32_t camera_anchor_x[4];
int32_t camera_anchor_y[4];
int32_t camera_sorted_x[4];
int32_t camera_sorted_y[4];
int32_t camera_centre_x;
int32_t camera_centre_y;

int32_t next_area;
int32_t next_floor;
int32_t next_x;
int32_t next_y;
int32_t scene_cell_latch;
float down_x;
float down_y;

int32_t stairs_box_w;
int32_t stairs_box_h;
int32_t generator_box_w;
int32_t generator_box_h;
int32_t movable_rock_box_w;
int32_t movable_rock_box_h;

int32_t holly_counter;
int32_t death_appear_counter;

moving_block_data moving_block[kMovingBlockSlots];
int32_t moving_block_count;

int32_t floor_item_count;
float floor_item_x[kFloorItemSlots];
float floor_item_y[kFloorItemSlots];
int32_t floor_item_present[kFloorItemSlots];
int32_t floor_item_kind[kFloorItemSlots];
int32_t floor_item_hp[kFloorItemSlots];
int32_t floor_item_width[kFloorItemSlots];
int32_t floor_item_height[kFloorItemSlots];
float floor_item_push_vx[kFloorItemSlots];
float floor_item_push_vy[kFloorItemSlots];
int32_t floor_item_pushed[kFloorItemSlots];
int32_t floor_item_hit_blink[kFloorItemSlots];
int32_t floor_item_vanish[kFloorItemSlots];
int32_t floor_item_anim[kFloorItemSlots];

int32_t dropped_item_present[kDroppedItemSlots];
int32_t dropped_item_kind[kDroppedItemSlots];
float dropped_item_x[kDroppedItemSlots];
float dropped_item_y[kDroppedItemSlots];
float dropped_item_push_vx[kDroppedItemSlots];
float dropped_item_push_vy[kDroppedItemSlots];
int32_t dropped_item_hp[kDroppedItemSlots];
int32_t dropped_item_width[kDroppedItemSlots];
int32_t dropped_item_height[kDroppedItemSlots];
int32_t dropped_item_pushed[kDroppedItemSlots];
int32_t dropped_item_hit_blink[kDroppedItemSlots];
int32_t dropped_item_vanish[kDroppedItemSlots];
int32_t dropped_item_anim[kDroppedItemSlots];
