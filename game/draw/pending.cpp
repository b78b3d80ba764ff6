// Drawing procedures that do nothing yet.
#include "game/draw/draw.h"

void draw_field_objects() {}
void draw_player(int32_t) {}
