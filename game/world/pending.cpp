// World procedures that do nothing yet.
#include "game/world/world.h"

void update_players() {}
