// Movies played into graphics.
#pragma once

#include <cstdint>

// Closes the movie that feeds `graphic`. 0, or -1 when it has none.
int CloseGraphicMovie(int32_t graphic);

// Play and pause every movie of a graphic (the window's activation). 0.
int PlayAllMovies();
int PauseAllMovies();

struct MovieRecord;

// The movie's record, or null for a bad handle.
MovieRecord* GetMovieRecord(int32_t movie);
// Brings the picture of a movie graphic up to the movie's current frame.
// 0, or -1 for a bad handle.
int UpdateMovieFrame(int32_t graphic, int32_t force);
// How the movie is shown: 0 an off-screen surface in the screen's format,
// 1 an overlay surface, 2 an off-screen 24-bit surface.
int32_t GetMovieSurfaceMode(const MovieRecord* movie);
// Places (show 1) or hides (0) the overlay of a movie shown through an
// overlay surface at (x, y) of the client area, `scale` times its size. 0.
int ShowMovieOverlay(int32_t x, int32_t y, MovieRecord* movie, int32_t show, int32_t scale);
// Opens a movie file for a graphic: its handle, with its size in `width`
// and `height`, or -1.
int32_t OpenMovieToGraph(const char* path, int32_t* width, int32_t* height, int32_t surface_mode);
