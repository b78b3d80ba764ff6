// Area procedures that do nothing yet.
#include "game/areas/areas.h"

void enter_area() {}
void load_item_data() {}
void read_map_file(const char*) {}
void mark_floor_item_taken(int32_t) {}
