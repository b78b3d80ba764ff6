// The skeleton shared by the nine boss behaviours.
#include "game/bosses/boss_skeleton.h"

#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"

namespace {

// ---- Defeat sequence ---------------------------------------------------------------

// The disappear sound plays three times while the boss vanishes; the
// crystals appear at the last count, 132 frames after the switch.
constexpr int32_t kDisappearCounts[3] = {34, 67, 100};
constexpr int32_t kCrystalCount = 133;

constexpr int32_t kFirstCrystalKind = 11;  // boss 0's crystal; boss k leaves 11 + k
constexpr int32_t kCrystalHp = 10000;
constexpr int32_t kCrystalHalfSize = 13;
struct CrystalPlace {
  float x, y;
};
constexpr CrystalPlace kCrystalPlaces[4] = {
    {220.0f, 180.0f}, {284.0f, 180.0f}, {220.0f, 244.0f}, {284.0f, 244.0f}};

constexpr int32_t kSilence = 100;

// What beating bosses 0 and 1 does besides: boss 0 marks the blocked-path
// scene played, boss 1 starts its closing scene at once.
constexpr int32_t kDiagonalWalker = 0;
constexpr int32_t kSideStepper = 1;
constexpr int32_t kBlockedPathSceneWord = 104 - 100;
constexpr int32_t kSideStepperScene = 108;

// ---- Target choice -------------------------------------------------------------------

// A player who has stood this many frames on stairs is about to leave the
// floor: the boss lets go of it on that one frame.
constexpr int32_t kStairsLeaving = 120;
constexpr int32_t kDownedKey = 9999;

int32_t live_players() {
  int32_t count = 0;
  for (int32_t i = 0; i < player_count; ++i) {
    if (player[i].alive == 1) count += 1;
  }
  return count;
}

void lay_crystals() {
  floor_item_count = live_players();
  remain_item = floor_item_count;
  for (int32_t i = 0; i < floor_item_count; ++i) {
    floor_item_present[i] = 1;
    floor_item_kind[i] = kFirstCrystalKind + boss_id;
    floor_item_hp[i] = kCrystalHp;
    floor_item_width[i] = kCrystalHalfSize;
    floor_item_height[i] = kCrystalHalfSize;
  }
  // All four places are written, also for slots that hold no crystal.
  for (int32_t i = 0; i < 4; ++i) {
    floor_item_x[i] = kCrystalPlaces[i].x;
    floor_item_y[i] = kCrystalPlaces[i].y;
  }
}

void run_defeat_extra() {
  if (boss_id == kDiagonalWalker) progress_flags[kBlockedPathSceneWord] = 1;
  if (boss_id == kSideStepper) {
    // The frame loop tests the scene state after the play state, so the
    // scene runs its first frame within this frame.
    game_status = kStatusScene;
    scene_number = kSideStepperScene;
  }
}

void run_defeat_sequence() {
  if (boss_defeat_counter <= 0) return;
  boss_defeat_counter += 1;
  for (int32_t count : kDisappearCounts) {
    if (boss_defeat_counter == count) se_boss_disappear_request = 1;
  }
  if (boss_defeat_counter != kCrystalCount) return;
  lay_crystals();
  boss_defeat_counter = 0;
  se_win_request = 1;
  run_defeat_extra();
}

// The row the current floor's loader copied, so the save keeps the boss beaten.
void mark_boss_row_beaten() {
  if (present_map_number < 0 || present_map_number >= kAreaCount) return;
  const int32_t row = area_table[present_map_number].boss_row;
  if (row >= 0 && row < kBossRowCount) boss_data_rows[row].active = 0;
}

void switch_to_defeated() {
  se_boss_disappear_request = 1;
  boss_active = 0;
  music_request = kSilence;
  mark_boss_row_beaten();
  // The count is added to, not cleared first; it is held to the item slots
  // so that the floor items and the pick-ups never run past them while the
  // boss vanishes. The crystals replace the count at the end.
  floor_item_count += live_players();
  if (floor_item_count > kFloorItemSlots) floor_item_count = kFloorItemSlots;
  remain_item = floor_item_count;
  boss_defeat_counter = 1;
  // Only the final boss sets it; clearing it for every boss is the same.
  boss_final_phase_started = 0;
}

bool target_is_lost() {
  if (boss_target < 0 || boss_target > 3) return true;
  const player_data& p = player[boss_target];
  return p.alive == 0 || p.stairs_counter == kStairsLeaving;
}

void choose_boss_target(TargetKey key) {
  if (boss_p_cnt == 0) boss_target = kNoBossTarget;
  if (boss_target != kNoBossTarget && target_is_lost()) boss_target = kNoBossTarget;
  if (boss_target != kNoBossTarget) return;

  int32_t keys[4] = {0, 0, 0, 0};
  int32_t players[4] = {0, 1, 2, 3};
  for (int32_t i = 0; i < player_count; ++i) {
    const player_data& p = player[i];
    // Distances of whole pixels, held at the largest int so that no position
    // makes them overflow.
    keys[i] = position_distance(p.X, boss_x);
    if (key == TargetKey::kManhattan) keys[i] = held_sum(keys[i], position_distance(p.Y, boss_y));
    if (p.alive == 0) keys[i] = kDownedKey;
  }
  sort_keys_with_values(keys, player_count, players);
  boss_target = players[0];
}

// The boss's own step pushes and hurts the players it runs into; a boss that
// stands tests nothing here.
void touch_players() {
  for (int32_t i = 0; i < player_count; ++i) {
    player_data& p = player[i];
    if (p.alive != 1) continue;
    const int32_t met =
        push_out_of_box_hit(boss_x, boss_y, boss_vx, boss_vy, boss_width, boss_height, 0, p.X, p.Y,
                            p.vx, p.vy, p.width, p.height, p.pushed);
    if (met != 1 || p.hit_counter != 0 || p.on_stairs != 0) continue;
    p.hit_counter = 1;
    p.hp -= guard_is_up(p) ? boss_attack / 2 : boss_attack;
  }
}

}  // namespace

void run_boss_behaviour(void (*own_step)(), TargetKey key) {
  run_defeat_sequence();
  if (boss_active == 0) return;
  // The switch returns before the contact: nobody is hurt on that frame.
  if (present_bossHP <= 0) {
    switch_to_defeated();
    return;
  }
  choose_boss_target(key);
  own_step();
  touch_players();
  // The corner slide stays in boss_vx, boss_vy for the next frame.
  stop_at_walls(boss_x, boss_y, boss_vx, boss_vy, boss_width, boss_height);
}

player_data& boss_target_player() {
  if (boss_target < 0 || boss_target > 3) return player[0];
  return player[boss_target];
}

bool guard_is_up(const player_data& p) {
  return (p.character == 0 || p.character == 2) && p.spell1_timer > 0;
}
