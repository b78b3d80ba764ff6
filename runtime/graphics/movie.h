// Movies played into graphics.
#pragma once

#include <cstdint>

// Closes the movie that feeds `graphic`. 0, or -1 when it has none.
int CloseGraphicMovie(int32_t graphic);
