// Movement pieces shared by the bosses.
#include "game/bosses/boss_moves.h"

#include <cstdlib>

#include "game/bosses/bosses.h"
#include "game/world/positions.h"

namespace {

constexpr int32_t kBand = 10;
constexpr float kMargin = 10.0f;
constexpr int32_t kWalkFrames = 64;

struct Sign {
  int32_t x, y;
};
constexpr Sign kSigns[8] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};

}  // namespace

bool in_band(float a, float b) { return position_distance(a, b) <= kBand; }

bool boss_direction_test(int32_t direction, float tx, float ty) {
  const float bx = boss_x;
  const float by = boss_y;
  switch (direction) {
    case 0:
      return in_band(tx, bx) && ty < by;
    case 1:
      return bx + kMargin < tx && by - kMargin > ty;
    case 2:
      return tx > bx && in_band(ty, by);
    case 3:
      return bx + kMargin < tx && by + kMargin < ty;
    case 4:
      return in_band(tx, bx) && ty > by;
    case 5:
      return bx - kMargin > tx && by + kMargin < ty;
    case 6:
      return tx < bx && in_band(ty, by);
    case 7:
      return bx - kMargin > tx && by - kMargin > ty;
    default:
      return false;
  }
}

int32_t first_direction_toward(float tx, float ty) {
  for (int32_t direction = 0; direction < 8; ++direction) {
    if (boss_direction_test(direction, tx, ty)) return direction;
  }
  return -1;
}

void face_toward(float tx, float ty) {
  const int32_t direction = first_direction_toward(tx, ty);
  if (direction >= 0) boss_facing = direction;
}

void set_boss_step(int32_t facing, float straight, float diagonal) {
  if (facing < 0 || facing > 7) return;
  const Sign s = kSigns[facing];
  const float length = facing % 2 == 1 ? diagonal : straight;
  if (s.x != 0) boss_vx = s.x > 0 ? length : -length;
  if (s.y != 0) boss_vy = s.y > 0 ? length : -length;
}

void advance_walk_anim() {
  if (boss_vx == 0.0f && boss_vy == 0.0f) return;
  boss_anim += 1;
  if (boss_anim >= kWalkFrames) boss_anim = 0;
}

int32_t cue_of_tick(const CueTick* schedule, int32_t count, int32_t tick) {
  for (int32_t k = 0; k < count; ++k) {
    if (schedule[k].tick == tick) return schedule[k].cue;
  }
  return 0;
}

int32_t cue_in_series(const CueSeries& series, int32_t tick) {
  const int32_t offset = tick - series.first_tick;
  if (offset < 0 || offset % series.spacing != 0) return 0;
  const int32_t k = offset / series.spacing;
  return k < series.count ? series.first_cue + k : 0;
}

namespace {

// The change of boss_vy for each tenth of a hundred ticks.
constexpr float kSway[10] = {-0.1f, -0.3f, -0.5f, -0.3f, -0.1f, 0.1f, 0.3f, 0.5f, 0.3f, 0.1f};

}  // namespace

void add_sway(int32_t t) {
  const int32_t r = t % 100;
  if (r < 0) return;
  boss_vy = boss_vy + kSway[r / 10];
}
