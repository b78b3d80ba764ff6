// Bosses: the current boss of a boss floor, its working state, the shared
// pool of boss shots and their vanish effects, and the per-frame update.
#pragma once

#include <cstdint>

// ---- The current boss, copied from its boss row on floor entry ---------------------

extern int32_t boss_id;      // 0 to 8: index of the behaviour and shot tables
extern int32_t boss_active;  // 1 while the fight runs
extern float boss_x;         // centre in map pixels
extern float boss_y;
extern int32_t present_bossHP;
extern int32_t boss_attack;  // contact damage
extern int32_t boss_width;   // half-extents of the body box
extern int32_t boss_height;
extern int32_t boss_shot_width;  // half-extents of every boss shot's box
extern int32_t boss_shot_height;

// ---- Working state of the current boss ---------------------------------------------

extern int32_t boss_target;  // player followed, 255 = choose anew
extern int32_t boss_p_cnt;   // pattern tick counter
extern int32_t boss_facing;  // 0 to 7 clockwise from up
extern int32_t boss_wanted_facing;
extern float boss_vx;  // the step of this frame
extern float boss_vy;
extern int32_t boss_pushed;  // set when a player pushes the boss
extern int32_t boss_anim;
extern int32_t boss_shot_cue;  // the volley the shot pattern fires this frame, 0 none
extern int32_t boss_edge_turn;
extern int32_t boss_defeat_counter;  // 1 to 133 while the defeat sequence runs
extern int32_t boss_hit;             // hit blink
// The second figure of one boss.
extern float boss_part_x;
extern float boss_part_y;
// The dash direction and the last phase of one boss.
extern float boss_aim_cos;
extern float boss_aim_sin;
extern int32_t boss_final_phase_started;

// Boss crystals still to take on the boss floor; the room's stairs open once
// the boss is beaten and this is 0.
extern int32_t remain_item;

// ---- Boss shots (parallel arrays) -----------------------------------------------------

constexpr int32_t kBossShotSlots = 50;
extern int32_t boss_shot_state[kBossShotSlots];  // 0 free, 1 flying
extern float boss_shot_x[kBossShotSlots];
extern float boss_shot_y[kBossShotSlots];
extern float boss_shot_vx[kBossShotSlots];  // the step of this frame
extern float boss_shot_vy[kBossShotSlots];
extern int32_t boss_shot_direction[kBossShotSlots];  // 0 to 7
extern int32_t boss_shot_power[kBossShotSlots];
extern int32_t boss_shot_age[kBossShotSlots];   // frames since the start
extern int32_t boss_shot_mode[kBossShotSlots];  // how the step is made
extern float boss_shot_aim_x[kBossShotSlots];   // aim vector
extern float boss_shot_aim_y[kBossShotSlots];
extern int32_t boss_shot_kind[kBossShotSlots];       // image variant
extern int32_t boss_shot_box_width[kBossShotSlots];  // half-extents of the shot's own box
extern int32_t boss_shot_box_height[kBossShotSlots];

// ---- Boss shot vanish effects (parallel arrays) ---------------------------------------

extern int32_t boss_shot_fade_alive[kBossShotSlots];
extern float boss_shot_fade_x[kBossShotSlots];
extern float boss_shot_fade_y[kBossShotSlots];
extern int32_t boss_shot_fade_timer[kBossShotSlots];
extern int32_t boss_shot_fade_kind[kBossShotSlots];

// ---- Procedures ---------------------------------------------------------------------------

constexpr int32_t kBossKinds = 9;

// Runs the behaviour and then the shot pattern of the current boss; a boss_id
// outside 0 to 8 runs neither.
void update_boss();
// The behaviour and the shot pattern of each boss, by boss_id.
extern void (*boss_update_table[kBossKinds])();
extern void (*boss_shot_update_table[kBossKinds])();
