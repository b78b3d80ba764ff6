// The behaviour and the shot pattern of each of the nine bosses, one pair for
// each slot of boss_update_table and boss_shot_update_table.
#pragma once

void update_boss_0();
void update_boss_1();
void update_boss_2();
void update_boss_3();
void update_boss_4();
void update_boss_5();
void update_boss_6();
void update_boss_7();
void update_boss_8();

void update_boss_shots_0();
void update_boss_shots_1();
void update_boss_shots_2();
void update_boss_shots_3();
void update_boss_shots_4();
void update_boss_shots_5();
void update_boss_shots_6();
void update_boss_shots_7();
void update_boss_shots_8();
