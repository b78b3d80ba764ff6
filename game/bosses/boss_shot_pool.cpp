// The boss shot pool and its vanish effects.
#include "game/bosses/boss_shot_pool.h"

#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// Half-size of the square a shot meets wall cells with.
constexpr int32_t kWallProbe = 2;

struct Unit {
  float x, y;
};
constexpr Unit kDirectionUnits[8] = {{0.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 0.0f},  {1.0f, 1.0f},
                                     {0.0f, 1.0f},  {-1.0f, 1.0f}, {-1.0f, 0.0f}, {-1.0f, -1.0f}};

// A guarded player halves the shot's power for good before the exchange.
// The shot ends when the player had at least its power left, else it flies
// on with the rest.
void hurt_player(int32_t i, player_data& p) {
  p.hit_counter = 1;
  if (guard_is_up(p)) boss_shot_power[i] = boss_shot_power[i] / 2;
  power_exchange(boss_shot_power[i], boss_shot_state[i], p.hp);
}

// One player a frame at most, the lowest-numbered one that can be hurt.
void hit_players(int32_t i, ShotBox box) {
  const int32_t w = box == ShotBox::kRowBox ? boss_shot_width : boss_shot_box_width[i];
  const int32_t h = box == ShotBox::kRowBox ? boss_shot_height : boss_shot_box_height[i];
  for (int32_t j = 0; j < player_count; ++j) {
    player_data& p = player[j];
    if (p.alive != 1) continue;
    if (rects_overlap(boss_shot_x[i], boss_shot_y[i], w, h, p.X, p.Y, p.width, p.height) != 1 ||
        p.hit_counter != 0 || p.on_stairs != 0) {
      continue;
    }
    hurt_player(i, p);
    return;
  }
}

// A shot that meets a wall moves up to it and ends there.
void move_shot(int32_t i) {
  shot_hits_wall(boss_shot_x[i], boss_shot_y[i], boss_shot_vx[i], boss_shot_vy[i],
                 boss_shot_state[i], kWallProbe);
  boss_shot_x[i] = boss_shot_x[i] + boss_shot_vx[i];
  boss_shot_y[i] = boss_shot_y[i] + boss_shot_vy[i];
}

// The lowest free effect slot; with all 50 running no effect starts.
void start_fade(int32_t i, ShotBox box) {
  for (int32_t f = 0; f < kBossShotSlots; ++f) {
    if (boss_shot_fade_alive[f] != 0) continue;
    boss_shot_fade_x[f] = boss_shot_x[i];
    boss_shot_fade_y[f] = boss_shot_y[i];
    boss_shot_fade_alive[f] = 1;
    boss_shot_fade_timer[f] = 0;
    if (box == ShotBox::kOwnBox) boss_shot_fade_kind[f] = boss_shot_kind[i];
    return;
  }
}

}  // namespace

bool move_boss_shots(ShotRule rule, ShotBox box) {
  if (boss_active == 0) {
    // Effects already running go on; these shots leave none.
    for (int32_t& state : boss_shot_state) state = 0;
    return false;
  }
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    if (boss_shot_state[i] == 0) continue;
    // A drained shot still goes through the steps: its rule runs and it
    // leaves its vanish effect below.
    if (boss_shot_power[i] <= 0) boss_shot_state[i] = 0;
    boss_shot_vx[i] = 0.0f;
    boss_shot_vy[i] = 0.0f;
    if (!rule(i)) continue;
    if (boss_shot_state[i] == 1) hit_players(i, box);
    if (boss_shot_state[i] == 1) move_shot(i);
    if (boss_shot_state[i] == 0) start_fade(i, box);
  }
  return true;
}

int32_t free_boss_shot_slot() {
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    if (boss_shot_state[i] == 0) return i;
  }
  return -1;
}

int32_t launch_boss_shot(float x, float y, int32_t power, int32_t box_width, int32_t box_height) {
  const int32_t i = free_boss_shot_slot();
  if (i < 0) return -1;
  boss_shot_x[i] = x;
  boss_shot_y[i] = y;
  boss_shot_power[i] = power;
  boss_shot_age[i] = 0;
  boss_shot_box_width[i] = box_width;
  boss_shot_box_height[i] = box_height;
  boss_shot_state[i] = 1;
  se_boss_shot10_request = 1;
  return i;
}

int32_t launch_row_box_shot(float x, float y, int32_t power) {
  return launch_boss_shot(x, y, power, boss_shot_width, boss_shot_height);
}

void step_shot_by_direction(int32_t i, float speed) {
  const int32_t d = boss_shot_direction[i];
  if (d < 0 || d > 7) return;
  boss_shot_vx[i] = kDirectionUnits[d].x * speed;
  boss_shot_vy[i] = kDirectionUnits[d].y * speed;
}

void step_shot_by_aim(int32_t i, float speed) {
  boss_shot_vx[i] = speed * boss_shot_aim_x[i];
  boss_shot_vy[i] = speed * boss_shot_aim_y[i];
}
