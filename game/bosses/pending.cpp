// Boss procedures that do nothing yet.
#include "game/bosses/bosses.h"

void update_boss() {}
