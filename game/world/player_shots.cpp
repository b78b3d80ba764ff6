// Player shots: each player's two shot slots move, trade power with
// everything they hit, stop at walls (or bounce in reflect mode), leave a
// vanish effect where they end, and a held shot action fires every 14 frames.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kShotAction = 0;
constexpr int32_t kCooldownEnd = 15;
constexpr int32_t kSpellLockLast = 28;  // spell timers 1 to 28 block firing
constexpr int32_t kMaxBounces = 20;
constexpr int32_t kShotHalf = 2;  // half-extent of the wall test
constexpr int32_t kFadeSlots = 5;

// Step by direction, pixels a frame.
constexpr float kStepX[8] = {0.0f, 5.25f, 7.0f, 5.25f, 0.0f, -5.25f, -7.0f, -5.25f};
constexpr float kStepY[8] = {-7.0f, -5.25f, 0.0f, 5.25f, 7.0f, 5.25f, 0.0f, -5.25f};
// Start offset from the player by facing (outside reflect mode).
constexpr float kStartX[8] = {0.0f, 16.0f, 24.0f, 16.0f, 0.0f, -16.0f, -24.0f, -16.0f};
constexpr float kStartY[8] = {-24.0f, -16.0f, 0.0f, 16.0f, 24.0f, 16.0f, 0.0f, -16.0f};

constexpr int32_t kKorone = 2;
constexpr int32_t kNeedle = 4;
constexpr int32_t kFadingFairy = 46;

// One shot slot of one player and the box it tests with.
struct shot_ref {
  player_data& owner;
  int32_t slot;
  int32_t& state() { return owner.shot_state[slot]; }
  int32_t& power() { return owner.shot_power[slot]; }
  bool meets(float x, float y, int32_t w, int32_t h) const {
    return rects_overlap(owner.shot_x[slot], owner.shot_y[slot], owner.shot_width,
                         owner.shot_height, x, y, w, h) == 1;
  }
  void hit(int32_t& target) {
    power_exchange(power(), state(), target);
    se_shot_hit05_request = 1;
  }
};

bool flies(shot_ref& shot) { return shot.state() == 1; }

void hit_other_players(shot_ref& shot, int32_t p) {
  for (int32_t q = 0; q < player_count; ++q) {
    const player_data& other = player[q];
    if (q == p || other.alive == 0 || other.on_stairs == 1) continue;
    if (shot.meets(other.X, other.Y, other.width, other.height)) {
      shot.state() = 0;  // the body stops it; no damage
      se_shot_hit05_request = 1;
      return;
    }
  }
}

void hit_rocks(shot_ref& shot) {
  const int32_t count = std::min(movable_rock_count, kMovableRockSlots);
  for (int32_t r = 0; r < count; ++r) {
    if (shot.meets(movable_rock_x[r], movable_rock_y[r], movable_rock_box_w, movable_rock_box_h)) {
      shot.state() = 0;
      se_shot_hit05_request = 1;
      return;
    }
  }
}

void hit_enemies(shot_ref& shot) {
  for (enemy_data& e : enemy) {
    if (e.alive == 0) continue;
    if (e.kind == kFadingFairy && e.tick >= 60 && e.tick <= 179) continue;
    if (shot.meets(e.X, e.Y, e.width, e.height)) {
      shot.hit(e.hp);
      e.hit_counter = 1;
      return;
    }
  }
}

void hit_set_enemies(shot_ref& shot) {
  const int32_t count = std::min(set_enemy_count, kSetEnemySlots);
  for (int32_t i = 0; i < count; ++i) {
    if (set_enemy_active[i] == 0 || set_enemy_kind[i] == kKorone || set_enemy_kind[i] == kNeedle) {
      continue;
    }
    if (shot.meets(set_enemy_x[i], set_enemy_y[i], set_enemy_width[i], set_enemy_height[i])) {
      shot.hit(set_enemy_hp[i]);
      set_enemy_hit_blink[i] = 1;
      return;
    }
  }
}

void hit_generators(shot_ref& shot) {
  const int32_t count = std::min(generator_count, kGeneratorSlots);
  for (int32_t g = 0; g < count; ++g) {
    if (generator_active[g] == 0) continue;
    if (shot.meets(generator_x[g], generator_y[g], generator_box_w, generator_box_h)) {
      shot.hit(generator_hp[g]);
      generator_hit_blink[g] = 1;
      return;
    }
  }
}

void hit_floor_items(shot_ref& shot) {
  const int32_t count = std::min(floor_item_count, kFloorItemSlots);
  for (int32_t k = 0; k < count; ++k) {
    if (floor_item_present[k] == 0) continue;
    if (shot.meets(floor_item_x[k], floor_item_y[k], floor_item_width[k], floor_item_height[k])) {
      shot.hit(floor_item_hp[k]);
      floor_item_hit_blink[k] = 1;
      return;
    }
  }
}

void hit_dropped_items(shot_ref& shot) {
  for (int32_t k = 0; k < kDroppedItemSlots; ++k) {
    if (dropped_item_present[k] == 0) continue;
    if (shot.meets(dropped_item_x[k], dropped_item_y[k], dropped_item_width[k],
                   dropped_item_height[k])) {
      shot.hit(dropped_item_hp[k]);
      dropped_item_hit_blink[k] = 1;
      return;
    }
  }
}

// Other players' shots are lowered, not ended: each ends by its own update.
void hit_other_shots(shot_ref& shot, int32_t p) {
  for (int32_t q = 0; q < player_count; ++q) {
    if (q == p) continue;
    player_data& other = player[q];
    for (int32_t s = 0; s < 2; ++s) {
      if (shot.state() == 0) return;
      if (other.shot_state[s] == 0) continue;
      if (shot.meets(other.shot_x[s], other.shot_y[s], other.shot_width, other.shot_height)) {
        shot.hit(other.shot_power[s]);
      }
    }
  }
}

void hit_enemy_shots(shot_ref& shot) {
  for (enemy_data& e : enemy) {
    if (shot.state() == 0) return;
    if (e.shot_state == 0) continue;
    if (shot.meets(e.shot_X, e.shot_Y, e.shot_width, e.shot_height)) shot.hit(e.shot_power);
  }
}

void hit_boss(shot_ref& shot) {
  if (boss_active != 1) return;
  if (shot.state() == 1 && shot.meets(boss_x, boss_y, boss_width, boss_height)) {
    shot.hit(present_bossHP);
    boss_hit = 1;
  }
  for (int32_t b = 0; b < kBossShotSlots; ++b) {
    if (shot.state() == 0) return;
    if (boss_shot_state[b] == 0) continue;
    if (shot.meets(boss_shot_x[b], boss_shot_y[b], boss_shot_width, boss_shot_height)) {
      shot.hit(boss_shot_power[b]);
    }
  }
}

void start_vanish_effect(player_data& owner, float x, float y) {
  for (int32_t f = 0; f < kFadeSlots; ++f) {
    if (owner.shot_fade_alive[f] != 0) continue;
    owner.shot_fade_x[f] = x;
    owner.shot_fade_y[f] = y;
    owner.shot_fade_alive[f] = 1;
    owner.shot_fade_timer[f] = 0;
    return;
  }
}

// The view rectangle against the scroll, edges inside.
bool outside_view(float x, float y) {
  return x < static_cast<float>(-scroll_x - 32) || x > static_cast<float>(544 - scroll_x) ||
         y < static_cast<float>(-scroll_y - 32) || y > static_cast<float>(392 - scroll_y);
}

void update_slot(int32_t p, int32_t s) {
  player_data& owner = player[p];
  shot_ref shot{owner, s};
  if (owner.shot_power[s] < 1) owner.shot_state[s] = 0;  // the slot still goes on

  owner.shot_vx[s] = 0.0f;
  owner.shot_vy[s] = 0.0f;
  const int32_t direction = owner.shot_direction[s];
  if (direction >= 0 && direction < 8) {
    owner.shot_vx[s] = kStepX[direction];
    owner.shot_vy[s] = kStepY[direction];
  }

  // Each group runs only while the shot flies at its start.
  if (flies(shot)) hit_other_players(shot, p);
  if (flies(shot)) hit_rocks(shot);
  if (flies(shot)) hit_enemies(shot);
  if (flies(shot)) hit_set_enemies(shot);
  if (flies(shot)) hit_generators(shot);
  if (flies(shot)) hit_floor_items(shot);
  if (flies(shot)) hit_dropped_items(shot);
  if (flies(shot)) hit_other_shots(shot, p);
  if (flies(shot)) hit_enemy_shots(shot);
  if (flies(shot)) hit_boss(shot);

  if (flies(shot)) {
    if (owner.reflect_timer == 0) {
      // Moved also when the wall test has just ended it: up to 1 px short.
      shot_hits_wall(owner.shot_x[s], owner.shot_y[s], owner.shot_vx[s], owner.shot_vy[s],
                     owner.shot_state[s], kShotHalf);
    } else {
      for (int32_t k = 0; k < 2; ++k) {
        if (reflect_on_walls8(owner.shot_x[s], owner.shot_y[s], owner.shot_vx[s],
                              owner.shot_vy[s], owner.shot_direction[s]) == 1) {
          owner.shot_bounces[s] += 1;
        }
      }
      if (owner.shot_bounces[s] >= kMaxBounces) owner.shot_state[s] = 0;
    }
    owner.shot_x[s] += owner.shot_vx[s];
    owner.shot_y[s] += owner.shot_vy[s];
  }

  if (owner.shot_state[s] == 0) start_vanish_effect(owner, owner.shot_x[s], owner.shot_y[s]);
  if (outside_view(owner.shot_x[s], owner.shot_y[s])) owner.shot_state[s] = 0;
}

bool spell_blocks_firing(int32_t timer) { return timer >= 1 && timer <= kSpellLockLast; }

void fire(player_data& owner) {
  if (owner.actions[kShotAction] < 1 || owner.alive != 1 || owner.on_stairs != 0 ||
      owner.shot_cooldown != 0 || spell_blocks_firing(owner.spell1_timer) ||
      spell_blocks_firing(owner.spell2_timer)) {
    return;
  }
  int32_t s = 0;
  while (s < 2 && owner.shot_state[s] != 0) ++s;
  if (s == 2) return;

  owner.shot_x[s] = owner.X;
  owner.shot_y[s] = owner.Y;
  const int32_t facing = owner.facing;
  if (owner.reflect_timer == 0 && facing >= 0 && facing < 8) {
    owner.shot_x[s] += kStartX[facing];
    owner.shot_y[s] += kStartY[facing];
  }
  owner.shot_direction[s] = facing;
  owner.shot_state[s] = 1;
  owner.shot_power[s] = owner.attack;
  owner.shot_anim[s] = 0;
  owner.shot_bounces[s] = 0;
  if (owner.character == 0 || owner.character == 2) se_pelune_shot4_request = 1;
  if (owner.character == 1 || owner.character == 3) se_orven_shot_request = 1;
  owner.shot_cooldown = 1;
}

}  // namespace

void update_player_shots() {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& owner = player[p];
    if (owner.reflect_timer > 0) {
      owner.reflect_timer -= 1;
    } else {
      owner.reflect_timer = 0;
    }
    for (int32_t s = 0; s < 2; ++s) {
      if (owner.shot_state[s] != 0) update_slot(p, s);
    }
    if (owner.shot_cooldown > 0) {
      owner.shot_cooldown += 1;
      if (owner.shot_cooldown >= kCooldownEnd) owner.shot_cooldown = 0;
    }
    fire(owner);
  }
}
