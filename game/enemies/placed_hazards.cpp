// The five placed hazards. A hazard's whole state is its tick: each frame
// adds 1 and wraps it at the cycle's length, the cell follows from a frame
// table, and a player whose centre lies inside one of the boxes the cell
// makes dangerous is hurt. The boxes are open rectangles of offsets from the
// hazard's position; the players' and the hazard's own boxes play no part.
#include "game/enemies/placed_hazards.h"

#include <climits>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// ---- Frame tables ------------------------------------------------------------------------

constexpr int32_t fire_frames_slow[18] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0};
// Its last entry is never reached: the cycle ends at tick 64.
constexpr int32_t fire_frames_fast[14] = {1, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0, 0};
constexpr int32_t vine_frames[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 3, 2, 1, 0};
// Up from 0 to 5 one entry each, 6 held for 18, down to 1 six entries each,
// then 0.
constexpr int32_t korone_frames[96] = {
    0, 1, 2, 3, 4, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    5, 5, 5, 5, 5, 5, 4, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2,
    1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};
// Its last entry is never reached: the cycle ends at tick 43.
constexpr int32_t needle_frames_short[12] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 2, 1, 0};
constexpr int32_t needle_frames_long[26] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                            0, 0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 2, 1};

// ---- The frame counter -----------------------------------------------------------------

// Adds 1 to the tick and wraps it to 0 at the cycle's length. A start tick
// from a level file at or above the cycle, or below 0, becomes 0 on the
// first frame, so no table is read outside its entries.
int32_t advance_tick(int32_t slot, int32_t cycle) {
  int32_t& tick = set_enemy_tick[slot];
  if (tick < 0 || tick >= cycle - 1) {
    tick = 0;
  } else {
    tick += 1;
  }
  return tick;
}

// ---- Damage ----------------------------------------------------------------------------

// An open box of offsets from the hazard: left < dx < right, top < dy < bottom.
struct box {
  float left, right, top, bottom;
};

bool inside(const box& b, float dx, float dy) {
  return b.left < dx && dx < b.right && b.top < dy && dy < b.bottom;
}

struct damage_value {
  bool defined;  // false: the hazard hurts nobody in this area
  int32_t damage;
  int32_t guarded;  // for a first-character player whose guard spell runs
};

constexpr damage_value kNoDamage = {false, 0, 0};

// The damage tables by area.
constexpr int32_t kDansion01 = 2, kLibrary = 7, kDansion05 = 8, kDansion06 = 9, kDansion09 = 13;

damage_value fire_damage() {
  switch (present_map_number) {
    case kDansion01:
      return {true, 5, 3};
    case kDansion06:
      return {true, 10, 5};
    case kDansion09:
      return {true, 15, 8};
    default:
      return kNoDamage;
  }
}

damage_value needle_damage() {
  switch (present_map_number) {
    case kDansion05:
      return {true, 8, 4};
    case kDansion06:
      return {true, 10, 5};
    case kDansion09:
      return {true, 14, 7};
    default:
      return kNoDamage;
  }
}

damage_value bookshelf_damage() {
  switch (present_map_number) {
    case kLibrary:
      return {true, 7, 4};
    case kDansion09:
      return {true, 15, 8};
    default:
      return kNoDamage;
  }
}

constexpr damage_value kVineDamage = {true, 8, 4};
constexpr damage_value kKoroneDamage = {true, 5, 5};  // guarding does not help

// Hurts the player unless its hit counter runs or it is on stairs; the hit
// latch keeps every later box and hazard off it until the counter has run
// back to 0. Whether the player is up is not tested.
void hurt(player_data& record, const damage_value& value) {
  if (!value.defined) return;
  if (record.hit_counter != 0 || record.on_stairs != 0) return;
  record.hit_counter = 1;
  const bool guarding =
      (record.character == 0 || record.character == 2) && record.spell1_timer > 0;
  record.hp -= guarding ? value.guarded : value.damage;
}

// Tests every player below player_count, in order, against the boxes in
// their order.
void hurt_players_inside(int32_t slot, const box* boxes, int32_t count, const damage_value& value) {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& record = player[p];
    const float dx = record.X - set_enemy_x[slot];
    const float dy = record.Y - set_enemy_y[slot];
    for (int32_t i = 0; i < count; ++i) {
      if (inside(boxes[i], dx, dy)) hurt(record, value);
    }
  }
}

// ---- Directions of the fire and the vine -----------------------------------------------

enum hazard_direction : int32_t { kUp, kRight, kDown, kLeft, kNoDirection };

hazard_direction direction_of_variant(int32_t variant) {
  switch (variant) {
    case 0:
      return kUp;
    case 2:
      return kRight;
    case 4:
      return kDown;
    case 6:
      return kLeft;
    default:
      return kNoDirection;
  }
}

// A box given along the direction (a from `near` to `far`) and across it
// (c within +-`half`), as offsets in x and y.
box along(hazard_direction direction, float near, float far, float half) {
  switch (direction) {
    case kUp:  // a = -dy
      return {-half, half, -far, -near};
    case kRight:  // a = dx
      return {near, far, -half, half};
    case kDown:  // a = dy
      return {-half, half, near, far};
    default:  // left: a = -dx
      return {-far, -near, -half, half};
  }
}

// ---- Fire ------------------------------------------------------------------------------

constexpr int32_t kFireFastFrom = 10;  // variants 10 and above use the fast cycle
constexpr int32_t kFireSlowCycle = 90, kFireFastCycle = 65, kFireDivisor = 5;
constexpr box kFireBase = {-26.0f, 26.0f, -26.0f, 26.0f};
constexpr float kFireColumnHalf = 23.0f;
// The column along its direction, by cell 1 to 6: it grows 32 px a step,
// then leaves the base.
constexpr float kFireColumnNear[7] = {0, -26.0f, -26.0f, -26.0f, -26.0f, 74.0f, 106.0f};
constexpr float kFireColumnFar[7] = {0, 54.0f, 86.0f, 118.0f, 150.0f, 150.0f, 150.0f};

// ---- Vine ------------------------------------------------------------------------------

constexpr int32_t kVineCycle = 135, kVineDivisor = 8, kVineTableTicks = 128;
constexpr box kVineBase = {-24.0f, 24.0f, -28.0f, 28.0f};
constexpr float kVineShootHalf = 16.0f;
// By direction (up, right, down, left): the rear bound and the reach of
// cells 1 to 4.
constexpr float kVineRear[4] = {-28.0f, -24.0f, -28.0f, -24.0f};
constexpr float kVineReach[4][5] = {
    {0, 64.0f, 96.0f, 128.0f, 155.0f},
    {0, 64.0f, 96.0f, 128.0f, 154.0f},
    {0, 48.0f, 80.0f, 112.0f, 139.0f},
    {0, 64.0f, 96.0f, 128.0f, 154.0f},
};

// ---- Korone ----------------------------------------------------------------------------

constexpr int32_t kKoroneCycle = 192, kKoroneDivisor = 2;
constexpr box kKoroneBox = {-12.0f, 12.0f, -14.0f, 14.0f};

// ---- Needle ----------------------------------------------------------------------------

constexpr int32_t kNeedleShortVariant = 0, kNeedleLongVariant = 1;
constexpr int32_t kNeedleShortCycle = 44, kNeedleLongCycle = 104, kNeedleDivisor = 4;
constexpr int32_t kNeedleFirstDangerousCell = 2;
constexpr box kNeedleBox = {-19.0f, 19.0f, -22.0f, 12.0f};

// ---- Bookshelf -------------------------------------------------------------------------

struct tick_window {
  int32_t first, last;  // both included
  bool holds(int32_t tick) const { return first <= tick && tick <= last; }
};

struct shelf_cycle {
  int32_t length;
  tick_window out;
  float reach;
  tick_window jolt;
  tick_window back;  // the return
};

constexpr shelf_cycle kLongShelf = {256, {10, 42}, 128.0f, {50, 51}, {150, 190}};
constexpr shelf_cycle kShortShelf = {180, {10, 34}, 96.0f, {42, 43}, {142, 174}};

constexpr float kShelfSlide = 4.0f;
constexpr float kShelfJolt = 1.0f;
constexpr float kShelfSide = 43.0f;
constexpr float kShelfLeadingSide = 47.0f;  // the side it is meant to move toward

// The step of the shelf's out direction on its axis: -1 up or left, +1
// down or right.
float out_sign(hazard_direction out) { return out == kUp || out == kLeft ? -1.0f : 1.0f; }

bool vertical(hazard_direction out) { return out == kUp || out == kDown; }

// The shelf's position and home along its out direction, growing outward.
float outward(int32_t slot, hazard_direction out) {
  const float position = vertical(out) ? set_enemy_y[slot] : set_enemy_x[slot];
  return position * out_sign(out);
}

float home_outward(int32_t slot, hazard_direction out) {
  const float home = vertical(out) ? set_enemy_home_y[slot] : set_enemy_home_x[slot];
  return home * out_sign(out);
}

float& shelf_velocity(int32_t slot, hazard_direction out) {
  return vertical(out) ? set_enemy_push_vy[slot] : set_enemy_push_vx[slot];
}

// The damage box, 43 px to each side but 47 on the side it moves toward.
box shelf_box(hazard_direction moving) {
  box b = {-kShelfSide, kShelfSide, -kShelfSide, kShelfSide};
  switch (moving) {
    case kUp:
      b.top = -kShelfLeadingSide;
      break;
    case kRight:
      b.right = kShelfLeadingSide;
      break;
    case kDown:
      b.bottom = kShelfLeadingSide;
      break;
    default:
      b.left = -kShelfLeadingSide;
      break;
  }
  return b;
}

hazard_direction opposite(hazard_direction direction) {
  switch (direction) {
    case kUp:
      return kDown;
    case kRight:
      return kLeft;
    case kDown:
      return kUp;
    default:
      return kRight;
  }
}

}  // namespace

int32_t fire_frame_slow(int32_t i) { return fire_frames_slow[i]; }
int32_t fire_frame_fast(int32_t i) { return fire_frames_fast[i]; }
int32_t vine_frame(int32_t i) { return vine_frames[i]; }
int32_t korone_frame(int32_t i) { return korone_frames[i]; }
int32_t needle_frame_short(int32_t i) { return needle_frames_short[i]; }
int32_t needle_frame_long(int32_t i) { return needle_frames_long[i]; }

void update_set_enemy_fire(int32_t slot) {
  const int32_t variant = set_enemy_variant[slot];
  const bool fast = variant >= kFireFastFrom;
  const int32_t tick = advance_tick(slot, fast ? kFireFastCycle : kFireSlowCycle);
  const int32_t cell = fast ? fire_frame_fast(tick / kFireDivisor) : fire_frame_slow(tick / kFireDivisor);
  set_enemy_cell[slot] = cell;

  // Any variant but the eight listed counts its cycle and hurts nobody.
  const hazard_direction direction = direction_of_variant(fast ? variant - kFireFastFrom : variant);
  if (direction == kNoDirection) return;
  box boxes[2];
  int32_t count = 0;
  if (cell == 0 || cell == 5 || cell == 6) boxes[count++] = kFireBase;
  if (cell >= 1) {
    boxes[count++] = along(direction, kFireColumnNear[cell], kFireColumnFar[cell], kFireColumnHalf);
  }
  hurt_players_inside(slot, boxes, count, fire_damage());
}

void update_set_enemy_vine(int32_t slot) {
  const int32_t tick = advance_tick(slot, kVineCycle);
  const int32_t cell = tick < kVineTableTicks ? vine_frame(tick / kVineDivisor) : 0;
  set_enemy_cell[slot] = cell;

  const hazard_direction direction = direction_of_variant(set_enemy_variant[slot]);
  if (direction == kNoDirection) return;
  const box shoot = cell == 0 ? kVineBase
                              : along(direction, kVineRear[direction], kVineReach[direction][cell],
                                      kVineShootHalf);
  hurt_players_inside(slot, &shoot, 1, kVineDamage);
}

void update_set_enemy_korone(int32_t slot) {
  const int32_t tick = advance_tick(slot, kKoroneCycle);
  const int32_t cell = korone_frame(tick / kKoroneDivisor);
  set_enemy_cell[slot] = cell;
  if (cell == 0) return;
  hurt_players_inside(slot, &kKoroneBox, 1, kKoroneDamage);
}

void update_set_enemy_needle(int32_t slot) {
  const int32_t variant = set_enemy_variant[slot];
  int32_t cell = 0;
  if (variant == kNeedleShortVariant) {
    cell = needle_frame_short(advance_tick(slot, kNeedleShortCycle) / kNeedleDivisor);
  } else if (variant == kNeedleLongVariant) {
    cell = needle_frame_long(advance_tick(slot, kNeedleLongCycle) / kNeedleDivisor);
  } else {
    // Another variant only counts, without a wrap, and keeps its cell.
    if (set_enemy_tick[slot] < INT_MAX) set_enemy_tick[slot] += 1;
    return;
  }
  set_enemy_cell[slot] = cell;
  if (cell < kNeedleFirstDangerousCell) return;
  hurt_players_inside(slot, &kNeedleBox, 1, needle_damage());
}

void update_set_enemy_bookshelf(int32_t slot) {
  const int32_t variant = set_enemy_variant[slot];
  const bool short_cycle = variant >= 10;
  const hazard_direction out = direction_of_variant(short_cycle ? variant - 10 : variant);
  // A variant it does not list leaves even the tick alone.
  if (out == kNoDirection) return;
  const shelf_cycle& cycle = short_cycle ? kShortShelf : kLongShelf;
  const int32_t tick = advance_tick(slot, cycle.length);

  // The slide, on the variant's axis only; the move is the placed-hazard
  // update's. Positions are compared growing outward from home.
  float& velocity = shelf_velocity(slot, out);
  const float sign = out_sign(out);
  if (cycle.out.holds(tick)) {
    if (outward(slot, out) < home_outward(slot, out) + cycle.reach) {
      velocity += kShelfSlide * sign;
    } else {
      velocity = 0.0f;
    }
  } else if (cycle.jolt.holds(tick)) {
    velocity -= kShelfJolt * sign;
  } else if (cycle.back.holds(tick)) {
    if (outward(slot, out) > home_outward(slot, out)) {
      velocity -= kShelfSlide * sign;
    } else {
      velocity = 0.0f;
    }
  }

  // Dangerous through the whole out and return windows, not in the jolt.
  if (cycle.out.holds(tick)) {
    const box b = shelf_box(out);
    hurt_players_inside(slot, &b, 1, bookshelf_damage());
  } else if (cycle.back.holds(tick)) {
    const box b = shelf_box(opposite(out));
    hurt_players_inside(slot, &b, 1, bookshelf_damage());
  }
}

void (*set_enemy_kind_table[5])(int32_t) = {
    update_set_enemy_fire, update_set_enemy_vine, update_set_enemy_korone,
    update_set_enemy_bookshelf, update_set_enemy_needle,
};
