// Scene procedures that do nothing yet.
#include "game/scenes/scenes.h"

void run_scene() {}
