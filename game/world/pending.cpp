// World procedures that do nothing yet.
#include "game/world/world.h"

void update_players() {}
void update_floor_items() {}
void update_dropped_items() {}
void update_camera() {}
void check_map_exit() {}
