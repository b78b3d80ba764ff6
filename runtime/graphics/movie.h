// Movies played into graphics.
#pragma once

#include <cstdint>

// Closes the movie that feeds `graphic`. 0, or -1 when it has none.
int CloseGraphicMovie(int32_t graphic);

// Play and pause every movie of a graphic (the window's activation). 0.
int PlayAllMovies();
int PauseAllMovies();
