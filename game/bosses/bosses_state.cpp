// The boss globals and the boss shot pools, zero at program start.
#include "game/bosses/bosses.h"

int32_t boss_id;
int32_t boss_active;
float boss_x;
float boss_y;
int32_t present_bossHP;
int32_t boss_attack;
int32_t boss_width;
int32_t boss_height;
int32_t boss_shot_width;
int32_t boss_shot_height;

int32_t boss_target;
int32_t boss_p_cnt;
int32_t boss_facing;
int32_t boss_wanted_facing;
float boss_vx;
float boss_vy;
int32_t boss_pushed;
int32_t boss_anim;
int32_t boss_shot_cue;
int32_t boss_edge_turn;
int32_t boss_defeat_counter;
int32_t boss_hit;
float boss_part_x;
float boss_part_y;
float boss_aim_cos;
float boss_aim_sin;
int32_t boss_final_phase_started;
int32_t remain_item;

int32_t boss_shot_state[kBossShotSlots];
float boss_shot_x[kBossShotSlots];
float boss_shot_y[kBossShotSlots];
float boss_shot_vx[kBossShotSlots];
float boss_shot_vy[kBossShotSlots];
int32_t boss_shot_direction[kBossShotSlots];
int32_t boss_shot_power[kBossShotSlots];
int32_t boss_shot_age[kBossShotSlots];
int32_t boss_shot_mode[kBossShotSlots];
float boss_shot_aim_x[kBossShotSlots];
float boss_shot_aim_y[kBossShotSlots];
int32_t boss_shot_kind[kBossShotSlots];
int32_t boss_shot_box_width[kBossShotSlots];
int32_t boss_shot_box_height[kBossShotSlots];

int32_t boss_shot_fade_alive[kBossShotSlots];
float boss_shot_fade_x[kBossShotSlots];
float boss_shot_fade_y[kBossShotSlots];
int32_t boss_shot_fade_timer[kBossShotSlots];
int32_t boss_shot_fade_kind[kBossShotSlots];
