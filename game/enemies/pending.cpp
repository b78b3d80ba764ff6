// Enemy procedures that do nothing yet: every enemy stands, every hazard
// keeps its cell, nothing drops.
#include "game/enemies/enemies.h"

namespace {
void stand(int32_t) {}
}  // namespace

void (*enemy_kind_table[55])(int32_t) = {
    stand, stand, stand, stand, stand, stand, stand, stand, stand, stand, stand,
    stand, stand, stand, stand, stand, stand, stand, stand, stand, stand, stand,
    stand, stand, stand, stand, stand, stand, stand, stand, stand, stand, stand,
    stand, stand, stand, stand, stand, stand, stand, stand, stand, stand, stand,
    stand, stand, stand, stand, stand, stand, stand, stand, stand, stand, stand};
void (*set_enemy_kind_table[5])(int32_t) = {stand, stand, stand, stand, stand};

void drop_item_from_enemy(int32_t, float, float) {}
