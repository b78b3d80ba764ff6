// The enemy slots, zero at program start.
#include "game/enemies/enemies.h"

enemy_data enemy[kEnemySlots];
