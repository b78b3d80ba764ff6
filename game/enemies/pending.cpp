// Enemy procedures that do nothing yet: every hazard keeps its cell.
#include "game/enemies/enemies.h"

namespace {
void stand(int32_t) {}
}  // namespace

void (*set_enemy_kind_table[5])(int32_t) = {stand, stand, stand, stand, stand};
