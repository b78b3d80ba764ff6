// Item effects and pickups: a player takes an item by walking into it; an
// item it cannot take is solid and is shoved.
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// Item kinds.
constexpr int32_t kWhitePotion = 0;
constexpr int32_t kBlackPotion = 1;
constexpr int32_t kAgilityItem = 2;
constexpr int32_t kAttackItem = 3;
constexpr int32_t kVitalityItem = 4;
constexpr int32_t kIntelligenceItem = 5;
constexpr int32_t kHolly = 6;
constexpr int32_t kHealing = 7;
constexpr int32_t kMirror = 8;
constexpr int32_t kLifeUp = 9;
constexpr int32_t kFloorCrystalFirst = 21;
constexpr int32_t kFloorCrystalLast = 29;

constexpr int32_t kStockCap = 9;
constexpr float kAgilityCap = 4.0f;
constexpr int32_t kStatCap = 20;
constexpr float kAgilityGain = 0.2f;
constexpr int32_t kReflectFrames = 5000;

constexpr float kShove = 3.0f;

// A crystal gives the statistic it shows: its phase runs 0 to 479, 120 frames
// for each of AG, AT, VT and IN.
constexpr int32_t kCrystalPhaseLength = 120;

// The attack cap counts base and bonus only, so a running boost does not count.
bool attack_capped(const player_data& r) { return r.attack_base + r.attack_bonus >= kStatCap; }

// The effect of an item of kind 0 to 9 on the player; false when refused.
bool apply_item(player_data& r, int32_t kind) {
  switch (kind) {
    case kWhitePotion:
      if (r.spell1_stock >= kStockCap) return false;
      r.spell1_stock += 1;
      return true;
    case kBlackPotion:
      if (r.spell2_stock >= kStockCap) return false;
      r.spell2_stock += 1;
      return true;
    case kAgilityItem:
      if (r.agility >= kAgilityCap) return false;
      r.agility_bonus += kAgilityGain;
      return true;
    case kAttackItem:
      if (attack_capped(r)) return false;
      r.attack_bonus += 1;
      return true;
    case kVitalityItem:
      if (r.vitality >= kStatCap) return false;
      r.vitality_bonus += 1;
      return true;
    case kIntelligenceItem:
      if (r.intelligence >= kStatCap) return false;
      r.intelligence_bonus += 1;
      return true;
    case kHolly:
      holly_counter = 1;  // starts or restarts the reversed-enemies time
      return true;
    case kHealing:
      r.hp += r.hp_max / 3;
      if (r.hp > r.hp_max) r.hp = r.hp_max;
      return true;
    case kMirror:
      r.reflect_timer = kReflectFrames;
      return true;
    case kLifeUp:
      revive_stock += 1;  // no upper limit
      return true;
    default:
      return false;
  }
}

// A crystal's statistic by its phase, on the base part; false when refused.
// Outside the four phases it gives nothing and is still taken.
bool apply_crystal(player_data& r, int32_t phase) {
  if (phase < 0 || phase >= 4 * kCrystalPhaseLength) return true;
  switch (phase / kCrystalPhaseLength) {
    case 0:
      if (r.agility >= kAgilityCap) return false;
      r.agility_base += kAgilityGain;
      return true;
    case 1:
      if (attack_capped(r)) return false;
      r.attack_base += 1;
      return true;
    case 2:
      if (r.vitality >= kStatCap) return false;
      r.vitality_base += 1;
      return true;
    default:
      if (r.intelligence >= kStatCap) return false;
      r.intelligence_base += 1;
      return true;
  }
}

// A taken crystal raises the level and sets the life from the new vitality base.
void grow_with_crystal(player_data& r, int32_t factor) {
  r.level += 1;
  r.hp_max = r.vitality_base * factor;
  r.hp = r.hp_max;
}

using PickUp = int32_t (*)(int32_t p, int32_t index);

// The pickup is tried only by a part of the step that would overlap the
// item; a refused item stops that part and is shoved unless the player was
// pushed this frame.
void collide_item(float x, float y, float& vx, float& vy, int32_t w, int32_t h, int32_t p,
                  int32_t player_pushed, float item_x, float item_y, float& item_push_vx,
                  float& item_push_vy, int32_t item_w, int32_t item_h, int32_t& item_pushed,
                  int32_t index, PickUp pick_up) {
  if (vy != 0.0f && rects_overlap(x, y + vy, w, h, item_x, item_y, item_w, item_h) == 1 &&
      pick_up(p, index) == 0) {
    const float shove = vy < 0.0f ? -kShove : kShove;
    vy = 0.0f;
    if (player_pushed == 0) {
      item_push_vy += shove;
      item_pushed = 1;
    }
  }
  if (vx != 0.0f && rects_overlap(x + vx, y + vy, w, h, item_x, item_y, item_w, item_h) == 1 &&
      pick_up(p, index) == 0) {
    const float shove = vx < 0.0f ? -kShove : kShove;
    vx = 0.0f;
    if (player_pushed == 0) {
      item_push_vx += shove;
      item_pushed = 1;
    }
  }
}

}  // namespace

int32_t pick_up_floor_item(int32_t p, int32_t i) {
  if (floor_item_present[i] == 0) return 1;
  player_data& r = player[p];
  const int32_t kind = floor_item_kind[i];

  if (kind >= kWhitePotion && kind <= kLifeUp) {
    if (!apply_item(r, kind)) return 0;
    floor_item_present[i] = 0;
    mark_floor_item_taken(i);
    se_get_item_request = 1;
    return 1;
  }

  // One crystal of each boss a player; boss crystals are no table rows.
  if (kind >= kItemBossCrystalFirst && kind <= kItemBossCrystalLast) {
    const int32_t boss = kind - kItemBossCrystalFirst;
    if (r.crystal_taken[boss] == 1) return 0;
    if (!apply_crystal(r, floor_item_anim[i])) return 0;
    r.crystal_taken[boss] = 1;
    remain_item -= 1;
    floor_item_present[i] = 0;
    se_get_item_request = 1;
    grow_with_crystal(r, 4 * (kind - 9));
    return 1;
  }

  if (kind >= kFloorCrystalFirst && kind <= kFloorCrystalLast) {
    if (!apply_crystal(r, floor_item_anim[i])) return 0;
    floor_item_present[i] = 0;
    se_get_item_request = 1;
    mark_floor_item_taken(i);
    grow_with_crystal(r, 4 * (kind - 20) + 2);
    return 1;
  }

  return 0;
}

int32_t pick_up_dropped_item(int32_t p, int32_t slot) {
  if (dropped_item_present[slot] == 0) return 1;
  const int32_t kind = dropped_item_kind[slot];
  // A life-up (which one enemy leaves) and every other kind stay solid.
  if (kind < kWhitePotion || kind >= kLifeUp) return 0;
  if (!apply_item(player[p], kind)) return 0;
  dropped_item_present[slot] = 0;
  se_get_item_request = 1;
  return 1;
}

void collide_floor_item(float x, float y, float& vx, float& vy, int32_t w, int32_t h, int32_t p,
                        int32_t player_pushed, float item_x, float item_y, float& item_push_vx,
                        float& item_push_vy, int32_t item_w, int32_t item_h,
                        int32_t& item_pushed, int32_t i) {
  collide_item(x, y, vx, vy, w, h, p, player_pushed, item_x, item_y, item_push_vx, item_push_vy,
               item_w, item_h, item_pushed, i, pick_up_floor_item);
}

void collide_dropped_item(float x, float y, float& vx, float& vy, int32_t w, int32_t h, int32_t p,
                          int32_t player_pushed, float item_x, float item_y,
                          float& item_push_vx, float& item_push_vy, int32_t item_w,
                          int32_t item_h, int32_t& item_pushed, int32_t slot) {
  collide_item(x, y, vx, vy, w, h, p, player_pushed, item_x, item_y, item_push_vx, item_push_vy,
               item_w, item_h, item_pushed, slot, pick_up_dropped_item);
}
