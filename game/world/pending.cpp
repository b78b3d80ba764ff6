// World procedures that do nothing yet.
#include "game/world/world.h"

void update_players() {}
void update_player_shots() {}
void update_player_spells() {}
void update_enemies() {}
void update_enemy_shots() {}
void update_set_enemies() {}
void update_movable_rocks() {}
void update_generators() {}
