// The area, floor and level-table globals, zero at program start.
#include "game/areas/areas.h"

int32_t map_status;
int32_t present_map_number;
int32_t present_map_floor;

int32_t map_chip_layer[kMapGridSize][kMapGridSize];
int32_t map_cover_layer[kMapGridSize][kMapGridSize];
int32_t map_cell[kMapGridSize][kMapGridSize];
int32_t map_width;
int32_t map_height;
int32_t map_width_px;
int32_t map_height_px;

int32_t stairs_count;
float stairs_x[kStairsSlots];
float stairs_y[kStairsSlots];
int32_t stairs_to_area[kStairsSlots];
int32_t stairs_to_floor[kStairsSlots];
int32_t stairs_to_x[kStairsSlots];
int32_t stairs_to_y[kStairsSlots];
int32_t stairs_exit_look[kStairsSlots];

int32_t generator_count;
float generator_x[kGeneratorSlots];
float generator_y[kGeneratorSlots];
int32_t generator_active[kGeneratorSlots];
int32_t generator_kind[kGeneratorSlots];
int32_t generator_hp[kGeneratorSlots];
int32_t generator_interval[kGeneratorSlots];
int32_t generator_counter[kGeneratorSlots];
int32_t generator_blocked[kGeneratorSlots];
int32_t generator_hit_blink[kGeneratorSlots];
int32_t generator_death_fade[kGeneratorSlots];

int32_t set_enemy_count;
float set_enemy_home_x[kSetEnemySlots];
float set_enemy_home_y[kSetEnemySlots];
float set_enemy_x[kSetEnemySlots];
float set_enemy_y[kSetEnemySlots];
int32_t set_enemy_active[kSetEnemySlots];
int32_t set_enemy_kind[kSetEnemySlots];
int32_t set_enemy_hp[kSetEnemySlots];
int32_t set_enemy_width[kSetEnemySlots];
int32_t set_enemy_height[kSetEnemySlots];
int32_t set_enemy_variant[kSetEnemySlots];
int32_t set_enemy_tick[kSetEnemySlots];
int32_t set_enemy_cell[kSetEnemySlots];
float set_enemy_push_vx[kSetEnemySlots];
float set_enemy_push_vy[kSetEnemySlots];
int32_t set_enemy_pushed[kSetEnemySlots];
int32_t set_enemy_hit_blink[kSetEnemySlots];
int32_t set_enemy_death_fade[kSetEnemySlots];

int32_t movable_rock_count;
float movable_rock_home_x[kMovableRockSlots];
float movable_rock_home_y[kMovableRockSlots];
float movable_rock_x[kMovableRockSlots];
float movable_rock_y[kMovableRockSlots];
float movable_rock_push_vx[kMovableRockSlots];
float movable_rock_push_vy[kMovableRockSlots];
int32_t movable_rock_pushed[kMovableRockSlots];

int32_t death_appear_time;
int32_t death_hp;
int32_t death_attack;

item_data item_table_pelune_house[1][kItemRowsPerFloor];
item_data item_table_field01[4][kItemRowsPerFloor];
item_data item_table_dansion01[7][kItemRowsPerFloor];
item_data item_table_dansion02[8][kItemRowsPerFloor];
item_data item_table_dansion02sub[5][kItemRowsPerFloor];
item_data item_table_field02[2][kItemRowsPerFloor];
item_data item_table_dansion03[7][kItemRowsPerFloor];
item_data item_table_library[7][kItemRowsPerFloor];
item_data item_table_dansion05[9][kItemRowsPerFloor];
item_data item_table_dansion06[8][kItemRowsPerFloor];
item_data item_table_field03[4][kItemRowsPerFloor];
item_data item_table_dansion07[10][kItemRowsPerFloor];
item_data item_table_dansion08[9][kItemRowsPerFloor];
item_data item_table_dansion09[10][kItemRowsPerFloor];
item_data item_table_ending[1][kItemRowsPerFloor];
int32_t item_count_pelune_house[1];
int32_t item_count_field01[4];
int32_t item_count_dansion01[7];
int32_t item_count_dansion02[8];
int32_t item_count_dansion02sub[5];
int32_t item_count_field02[2];
int32_t item_count_dansion03[7];
int32_t item_count_library[7];
int32_t item_count_dansion05[9];
int32_t item_count_dansion06[8];
int32_t item_count_field03[4];
int32_t item_count_dansion07[10];
int32_t item_count_dansion08[9];
int32_t item_count_dansion09[10];
int32_t item_count_ending[1];

boss_data boss_data_rows[kBossRowCount];
