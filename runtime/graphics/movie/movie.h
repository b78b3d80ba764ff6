// Movies played into graphics.
//
// A graphic can show a movie: when no image decoder takes a file that
// exists, the graphic loader opens it as a movie (OpenMovieToGraph) and
// makes a graphic of the movie's size whose record holds the movie handle.
// The movie is decoded by the multimedia stream (platform/win32/dshow.h)
// into a DirectDraw surface; before the graphic is drawn, UpdateMovieFrame
// brings its pixels up to the movie's current frame, at most once per
// presented screen (or every 17 ms), with the sample updates running in the
// background and seen through an event. The sound track plays through the
// default sound output. Movies play when the window becomes active and
// pause when it becomes inactive; their stream objects are released and made
// again around a rebuild of the screen objects, keeping the time and the
// playing state.
//
// Movies live in MovieHandleTable (also called MovieTable): 100 slots, a
// new movie taking the first free one; a handle is ((id | 0x1800) << 16) |
// slot. Graphics derived from a movie graphic share its movie: the movie
// closes when the last graphic that shows it is deleted.
//
// Everything runs on the thread that draws and runs the window procedure.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/core/handle.h"
#include "runtime/image/color_format.h"

struct IAMMultiMediaStream;
struct IMediaStream;
struct IAMMediaStream;
struct IDirectDrawMediaStream;
struct IDirectDrawStreamSample;
struct IDirectDrawSurface7;
struct IDirectDraw7;
struct IGraphBuilder;
struct IMediaControl;
struct IMediaSeeking;
struct IBasicAudio;
struct GraphicRecord;

// How a movie's frames are kept.
constexpr int32_t kMovieSurfaceScreenFormat = 0;  // off-screen system memory, the screen's format
constexpr int32_t kMovieSurfaceOverlay = 1;       // a video-memory overlay surface
constexpr int32_t kMovieSurfaceRgb24 = 2;         // off-screen system memory, 24-bit RGB

struct MovieRecord {
  HandleRecordHead head;  // check id, own handle, lost flag address
  RECT sampleRect;        // the frame's rectangle in the sample's surface
  // The stream objects; all null while they are released.
  IAMMultiMediaStream* multiMediaStream;
  IMediaStream* videoStream;             // the primary video stream
  IAMMediaStream* amMediaStream;         // the same stream
  IDirectDrawMediaStream* drawStream;    // the same stream
  IDirectDrawStreamSample* sample;
  IDirectDrawSurface7* sampleSurface;    // the sample's surface
  // The same surface again, the one frames are read from (the stand-in's
  // surfaces have one interface for every use).
  IDirectDrawSurface7* frameSurface;
  IDirectDraw7* directDraw;              // the DirectDraw object the video renders with
  IGraphBuilder* graph;
  IMediaControl* mediaControl;
  IMediaSeeking* mediaSeeking;
  IBasicAudio* basicAudio;
  int64_t timePerFrame;  // 100-nanosecond units, from the video stream
  int32_t reserved[2];   // -1 from the open on
  int64_t openTime;      // the microsecond clock at open
  int64_t lastFlip;        // presented screens at the last frame update, -1 before
  int32_t lastUpdateTime;  // the millisecond clock then, -1 before
  int64_t duration;        // 100-nanosecond units
  int32_t inSystemMemory;  // 1 when the sample's surface is in system memory
  int32_t width;           // the frame's size (from sampleRect)
  int32_t height;
  // 1 would mean frames carrying an alpha mask in their lower half (see
  // TransferSurfaceToTextures); the player gives none, so it stays 0.
  int32_t alphaFlag;
  int32_t playing;
  int32_t surfaceMode;  // kMovieSurface*
  int64_t savedTime;    // the stream time saved when the objects were released
  int32_t tempFile;     // 1 when the movie plays from a temporary copy
  char path[260];       // the file opened (the copy when tempFile is 1)
  HANDLE frameEvent;    // set when a background update has its frame
  int32_t updatePending;
  ColorFormat frameFormat;  // the sample surface's format
  int32_t frameWidth;       // the copy of the frame: its size,
  int32_t frameHeight;
  int32_t framePitch;    // bytes per row, a multiple of 4,
  uint8_t* frameBuffer;  // and pixels (surface modes 0 and 2), framePitch x frameHeight
};

// Opens a movie file for a graphic: its handle, with its size in `width`
// and `height`, or -1 (all 100 slots in use, or the movie cannot be opened:
// logged).
int32_t OpenMovieToGraph(const char* path, int32_t* width, int32_t* height, int32_t surface_mode);
// Makes the stream objects of `movie` for `path` with the DirectDraw object
// `direct_draw` (the frame size goes to `width` and `height`). A file the
// stream cannot open is played from a temporary copy read through the file
// layer (so that movies inside archives play). 0, or -1 (logged; nothing
// made is kept).
int OpenMovieStreams(MovieRecord* movie, IDirectDraw7* direct_draw, const char* path,
                     int32_t* width, int32_t* height, int32_t surface_mode);
// The movie's record, or null for a bad handle.
MovieRecord* GetMovieRecord(int32_t movie);
// How the movie is shown (kMovieSurface*).
int32_t GetMovieSurfaceMode(const MovieRecord* movie);
// Brings the picture of a movie graphic up to the movie's current frame;
// `force` 1 updates now and waits for the frame. 0, or -1 for a bad handle.
int UpdateMovieFrame(int32_t graphic, int32_t force);
// Copies the frame in the movie's frame buffer into the graphic's pixels,
// the frame's top-left at the top-left of the pixels the graphic shares.
// 0, or -1 (no usable 2D surface, a failed lock).
int TransferMovieFrame(MovieRecord* movie, const GraphicRecord* graphic);
// Places (show 1) or hides (0) the overlay of a movie shown through an
// overlay surface at (x, y) of the client area, `scale` times its size. 0.
int ShowMovieOverlay(int32_t x, int32_t y, MovieRecord* movie, int32_t show, int32_t scale);
// Play and pause the movie of a graphic. 0, or -1 for a bad graphic or a
// graphic without a movie.
int PlayGraphicMovie(int32_t graphic);
int PauseGraphicMovie(int32_t graphic);
// The same for every graphic that has a movie (the window's activation). 0.
int PlayAllMovies();
int PauseAllMovies();
// Around a rebuild of the screen objects: every movie's stream time is
// saved and its stream objects released; then they are made again, sought to
// the saved time and run again when they were playing. 0, or -1 at the
// first movie that cannot be opened again.
int ReleaseAllMovieObjects();
int ReopenAllMovies();
// Restores the movie's surface when it was lost. 0, or -1 for a bad
// handle.
int RestoreMovieSurfaces(int32_t movie);
// Closes the movie that feeds `graphic` when no other graphic shows it. 0,
// or -1 when the graphic is bad or has no movie.
int CloseGraphicMovie(int32_t graphic);
// Closes a movie: its temporary copy is deleted, its objects released and
// its record freed. 0, or -1 for a bad handle.
int CloseMovie(int32_t movie);
