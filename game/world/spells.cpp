// The special attacks: the first character's guard and power run for a
// length set by intelligence; the second character's heal and blast act once
// at the start and then only run their 96-frame animation.
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// actions indexes.
constexpr int32_t kSpell1 = 1;
constexpr int32_t kSpell2 = 2;
constexpr int32_t kNewlyPressed = 2;

constexpr int32_t kFramesPerIntelligence = 200;
constexpr int32_t kAnimationLength = 96;

bool starts(const player_data& record, int32_t action, int32_t stock) {
  return record.actions[action] == kNewlyPressed && record.alive == 1 && stock > 0;
}

// A running timer counts up and stops (0) when it reaches `length`.
void count_timer(int32_t& timer, int32_t length) {
  timer += 1;
  if (timer == length) timer = 0;
}

void update_first_character(player_data& record) {
  if (starts(record, kSpell1, record.spell1_stock)) {
    se_potion_request = 1;
    record.spell1_stock -= 1;
    record.spell1_timer = 1;
    record.spell1_length = record.intelligence * kFramesPerIntelligence;
  }
  if (record.spell1_timer > 0) count_timer(record.spell1_timer, record.spell1_length);

  if (starts(record, kSpell2, record.spell2_stock)) {
    se_potion_request = 1;
    record.spell2_stock -= 1;
    record.spell2_timer = 1;
    record.spell2_length = record.intelligence * kFramesPerIntelligence;
  }
  const int32_t attack = record.attack_base + record.attack_bonus;
  if (record.spell2_timer < 1) {
    record.attack = attack;
  } else {
    // The power attack: one and a half times, truncated.
    record.attack = static_cast<int32_t>(static_cast<double>(attack) * 1.5);
    count_timer(record.spell2_timer, record.spell2_length);
  }
}

void heal_party(const player_data& caster) {
  const int32_t amount = caster.intelligence * 3 + caster.level * 5;
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& record = player[p];
    record.hp += amount;
    if (record.hp > record.hp_max) record.hp = record.hp_max;
  }
}

void blast_enemies(const player_data& caster) {
  const int32_t damage = caster.level + caster.intelligence * 2;
  for (enemy_data& e : enemy) {
    if (e.alive != 0) e.hp -= damage;
  }
}

void update_second_character(player_data& record) {
  if (starts(record, kSpell1, record.spell1_stock)) {
    se_potion_request = 1;
    record.spell1_stock -= 1;
    record.spell1_timer = 1;
    heal_party(record);
  }
  if (record.spell1_timer > 0) count_timer(record.spell1_timer, kAnimationLength);

  if (starts(record, kSpell2, record.spell2_stock)) {
    se_potion_request = 1;
    record.spell2_stock -= 1;
    record.spell2_timer = 1;
    blast_enemies(record);
  }
  if (record.spell2_timer > 0) count_timer(record.spell2_timer, kAnimationLength);
  record.attack = record.attack_base + record.attack_bonus;
}

}  // namespace

void update_player_spells() {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& record = player[p];
    if (record.character == 0 || record.character == 2) {
      update_first_character(record);
    } else if (record.character == 1 || record.character == 3) {
      update_second_character(record);
    }
  }
}
