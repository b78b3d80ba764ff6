// The pieces every enemy behaviour is built from: target choice, direction
// tests and steps, the shot cycle, squared distance and the aggro test.
#include "game/enemies/behaviour_common.h"

#include <cstdlib>

#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"

namespace {

// A player who has stood this many frames on stairs is about to leave the
// floor and stops being followed.
constexpr int32_t kStairsLeaving = 120;
constexpr int32_t kDownedKey = 9999;

// Half-width of the band in which a straight direction test holds, and the
// margin of the diagonal tests.
constexpr int32_t kBand = 10;
constexpr float kMargin = 10.0f;

bool in_band(float a, float b) { return position_distance(a, b) <= kBand; }

// Unit components of the eight directions, clockwise from up.
struct Direction {
  int32_t x, y;
};
constexpr Direction kDirections[8] = {{0, -1}, {1, -1}, {1, 0},  {1, 1},
                                      {0, 1},  {-1, 1}, {-1, 0}, {-1, -1}};

bool is_diagonal(int32_t direction) { return direction % 2 == 1; }

// The signed component of a step of length `length` along unit component u.
float component(int32_t u, float length) { return u > 0 ? length : -length; }

}  // namespace

void choose_target(enemy_data& e, DownedPlayers downed) {
  if (e.target < 0 || e.target > 3 || player[e.target].alive == 0 ||
      player[e.target].stairs_counter >= kStairsLeaving) {
    e.target = kNoTarget;
  }
  if (e.target != kNoTarget) return;

  int32_t keys[4] = {0, 0, 0, 0};
  int32_t players[4] = {0, 1, 2, 3};
  for (int32_t i = 0; i < player_count; ++i) {
    // Held at the largest int, so that no position makes the sum overflow.
    keys[i] = held_sum(position_distance(player[i].X, e.X), position_distance(player[i].Y, e.Y));
    if (downed == kDownedKeyed9999 && player[i].alive == 0) keys[i] = kDownedKey;
  }
  sort_keys_with_values(keys, player_count, players);
  e.target = players[0];
}

bool direction_test_holds(const enemy_data& e, float px, float py, int32_t direction) {
  switch (direction) {
    case 0:
      return in_band(px, e.X) && py < e.Y;
    case 1:
      return e.X + kMargin < px && e.Y - kMargin > py;
    case 2:
      return px > e.X && in_band(py, e.Y);
    case 3:
      return e.X + kMargin < px && e.Y + kMargin < py;
    case 4:
      return in_band(px, e.X) && py > e.Y;
    case 5:
      return e.X - kMargin > px && e.Y + kMargin < py;
    case 6:
      return px < e.X && in_band(py, e.Y);
    case 7:
      return e.X - kMargin > px && e.Y - kMargin > py;
    default:
      return false;
  }
}

void write_step(enemy_data& e, int32_t direction, float straight, float diagonal) {
  if (direction < 0 || direction > 7) return;
  const Direction d = kDirections[direction];
  const float length = is_diagonal(direction) ? diagonal : straight;
  if (d.x != 0) e.vx = component(d.x, length);
  if (d.y != 0) e.vy = component(d.y, length);
}

void add_step(enemy_data& e, int32_t direction, float straight, float diagonal) {
  if (direction < 0 || direction > 7) return;
  const Direction d = kDirections[direction];
  const float length = is_diagonal(direction) ? diagonal : straight;
  if (d.x != 0) e.vx = e.vx + component(d.x, length);
  if (d.y != 0) e.vy = e.vy + component(d.y, length);
}

void step_along(enemy_data& e, int32_t direction, float speed) {
  write_step(e, direction, speed, speed * 0.75f);
}

void approach_step(enemy_data& e, float px, float py, float speed, float diagonal) {
  // No else: a later test that holds overwrites what an earlier one wrote, so
  // a vertical and a horizontal band test can both leave their component.
  for (int32_t direction = 0; direction < 8; ++direction) {
    if (!direction_test_holds(e, px, py, direction)) continue;
    write_step(e, direction, speed, diagonal);
    e.facing = direction;
  }
}

void approach_target(enemy_data& e) {
  const player_data& t = player[e.target];
  approach_step(e, t.X, t.Y, e.speed, e.speed * 0.75f);
}

void walk_at_target(enemy_data& e, DownedPlayers downed) {
  choose_target(e, downed);
  approach_target(e);
}

int32_t first_match_heading(enemy_data& e, float px, float py) {
  for (int32_t direction = 0; direction < 8; ++direction) {
    if (!direction_test_holds(e, px, py, direction)) continue;
    e.facing = direction;
    return direction;
  }
  return -1;
}

void count_tick_wrapping_at(enemy_data& e, int32_t cycle) {
  e.tick = e.tick + 1;
  if (e.tick == cycle) e.tick = 0;
}

void count_tick_up_to(enemy_data& e, int32_t last_tick) {
  if (e.tick < last_tick) {
    e.tick = e.tick + 1;
  } else {
    e.tick = 0;
  }
}

void run_shot_cycle(enemy_data& e, int32_t shot_tick, int32_t last_tick) {
  // A behaviour only raises the request; the enemy-shot update clears it when
  // it fires along the facing the enemy has after this frame's step.
  if (e.tick == shot_tick) e.shot_request = 1;
  count_tick_up_to(e, last_tick);
}

float squared_distance_to_target(const enemy_data& e) {
  const player_data& t = player[e.target];
  const float dx = e.X - t.X;
  const float dy = e.Y - t.Y;
  const float dx2 = dx * dx;
  const float dy2 = dy * dy;
  return dx2 + dy2;
}

void aggro_test(enemy_data& e, float threshold) {
  if (squared_distance_to_target(e) <= threshold) e.aggro = 1;
}
