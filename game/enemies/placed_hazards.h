// The placed hazards: fire, vine, korone, bookshelf and needle. Each frame a
// hazard counts its own tick through a fixed cycle, chooses the image cell
// the hazard drawing shows, and hurts the players standing inside the part
// of it that is dangerous in that cell; the bookshelf also slides out from
// its home and back. They are called through set_enemy_kind_table.
#pragma once

#include <cstdint>

void update_set_enemy_fire(int32_t slot);
void update_set_enemy_vine(int32_t slot);
void update_set_enemy_korone(int32_t slot);
void update_set_enemy_bookshelf(int32_t slot);
void update_set_enemy_needle(int32_t slot);

// The frame tables, entry i (the cell at tick i / divisor of the cycle).
int32_t fire_frame_slow(int32_t i);
int32_t fire_frame_fast(int32_t i);
int32_t vine_frame(int32_t i);
int32_t korone_frame(int32_t i);
int32_t needle_frame_short(int32_t i);
int32_t needle_frame_long(int32_t i);
