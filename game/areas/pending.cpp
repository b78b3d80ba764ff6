// Area procedures that do nothing yet.
#include "game/areas/areas.h"

void enter_area() {}
void load_item_data() {}
