// Boss procedures that do nothing yet: the boss stands and never shoots.
#include "game/bosses/bosses.h"

namespace {
void idle() {}
}  // namespace

void (*boss_update_table[9])() = {idle, idle, idle, idle, idle, idle, idle, idle, idle};
void (*boss_shot_update_table[9])() = {idle, idle, idle, idle, idle, idle, idle, idle, idle};

void update_boss() {}
