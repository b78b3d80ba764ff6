// Revival: a downed player comes back on a partner's spot, for one unit of
// the shared revival stock.
#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// Where a downed player standing in an active placed hazard cannot revive:
// the library, and floor 4 of the nimbra realm.
constexpr int32_t kLibraryArea = 7;
constexpr int32_t kNimbraArea = 13;
constexpr int32_t kNimbraBlockedFloor = 4;

constexpr int32_t kActionPause = 3;  // pause and revival

// A side of the partner: the cell one step that way must be code 9, and the
// room there free of other players' centres and of rocks (bounds strict).
struct Side {
  float cell_dx, cell_dy;
  float room_left, room_right, room_top, room_bottom;  // relative to the partner
};

constexpr Side kSides[4] = {
    {0.0f, -32.0f, -32.0f, 32.0f, -64.0f, 0.0f},  // north
    {32.0f, 0.0f, 0.0f, 64.0f, -32.0f, 32.0f},    // east
    {0.0f, 32.0f, -32.0f, 32.0f, 0.0f, 64.0f},    // south
    {-32.0f, 0.0f, -64.0f, 0.0f, -32.0f, 32.0f},  // west
};

bool blocked_spot(int32_t p) {
  const bool strict_floor =
      present_map_number == kLibraryArea ||
      (present_map_number == kNimbraArea && present_map_floor == kNimbraBlockedFloor);
  if (!strict_floor) return false;
  const player_data& record = player[p];
  for (int32_t h = 0; h < set_enemy_count; ++h) {
    if (set_enemy_active[h] != 1) continue;
    if (rects_overlap(record.X, record.Y, record.width, record.height, set_enemy_x[h],
                      set_enemy_y[h], set_enemy_width[h], set_enemy_height[h]) == 1) {
      return true;
    }
  }
  return false;
}

bool inside(float x, float y, float qx, float qy, const Side& side) {
  return x > qx + side.room_left && x < qx + side.room_right && y > qy + side.room_top &&
         y < qy + side.room_bottom;
}

bool side_passes(int32_t p, int32_t q, const Side& side) {
  const float qx = player[q].X;
  const float qy = player[q].Y;
  if (map_cell_at(qx + side.cell_dx, qy + side.cell_dy) != kRevivalCell) return false;
  for (int32_t r = 0; r < player_count; ++r) {
    if (r == p || r == q) continue;
    if (inside(player[r].X, player[r].Y, qx, qy, side)) return false;
  }
  for (int32_t k = 0; k < movable_rock_count; ++k) {
    if (inside(movable_rock_x[k], movable_rock_y[k], qx, qy, side)) return false;
  }
  return true;
}

void come_back(int32_t p, float x, float y) {
  player_data& record = player[p];
  record.X = x;
  record.Y = y;
  record.alive = 1;
  record.hp = record.hp_max;
  // The items' bonuses are lost; the sums are made again by the updates.
  record.agility_bonus = 0.0f;
  record.attack_bonus = 0;
  record.vitality_bonus = 0;
  record.intelligence_bonus = 0;
  revive_stock -= 1;
  record.actions[kActionPause] = 0;  // the same press does not also pause
  record.hit_counter = 2;            // hit protection without the damage sound
  record.revive_timer = 1;
}

}  // namespace

void revive_player(int32_t p) {
  if (blocked_spot(p)) return;

  bool anyone_up = false;
  for (int32_t q = 0; q < player_count; ++q) {
    if (player[q].alive == 1) anyone_up = true;
  }
  if (!anyone_up) {
    come_back(p, down_x, down_y);
    return;
  }

  for (int32_t q = 0; q < player_count; ++q) {
    if (q == p || player[q].alive != 1) continue;
    for (const Side& side : kSides) {
      if (side_passes(p, q, side)) {
        come_back(p, player[q].X, player[q].Y);
        return;
      }
    }
  }
  se_boo_request = 1;
}
