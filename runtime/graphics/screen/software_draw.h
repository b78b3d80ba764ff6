// Software drawing on DirectDraw targets: when the draw target is a
// DirectDraw surface, drawing that the hardware cannot do (blending, a
// brightness other than white, a blend graphic, alpha, a screen format the
// software renderer does not draw) still goes through the software renderer.
// BeginSoftwareDraw makes the target (and the source) available as MEMIMGs
// for one draw, or picks a plain colour-keyed BltFast instead;
// EndSoftwareDraw puts the pixels back. With software images
// (MemImageRendering on a screen deeper than 8 bits) the target already is a
// MEMIMG and the bracket does nothing.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/image/mem_image.h"

struct GraphicRecord;
struct IDirectDrawSurface7;
struct LineRecord;
struct Surface2DRecord;

// The state of one bracket, valid between begin and end.
// The image the renderer draws into: DrawTargetMemImage or WorkTargetImage.
extern MEMIMG* SoftwareTargetImage;
// A view over the locked target memory, or over an offset part of
// DrawTargetMemImage; its coordinates are the draw target's.
extern MEMIMG WorkTargetImage;
// The image of the source 2D surface: its own MEMIMG or WorkSourceImage;
// null without a source.
extern MEMIMG* SoftwareSourceImage;
// A view over the locked source memory or over the source's part of its
// MEMIMG.
extern MEMIMG WorkSourceImage;
extern int32_t TargetLocked;           // the target (or WorkSurface) is locked
extern int32_t TargetViaWorkSurface;   // the target rectangle is drawn in WorkSurface
extern int32_t TargetNeedsConversion;  // the screen format is not a standard one
extern int32_t SourceLocked;           // the source surface (or WorkSurface2) is locked
extern int32_t UseHardwareBlit;        // the draw is one BltFast
// What the bracket locked and where the work surface goes back, and the
// BltFast of the hardware shortcut.
struct SoftwareDrawSurfaces {
  IDirectDrawSurface7* locked_target;
  RECT locked_target_rect;
  IDirectDrawSurface7* target;
  RECT target_rect;
  IDirectDrawSurface7* source;
  RECT source_rect;
  POINT hardware_dest;  // where the hardware shortcut puts the source rectangle
};
extern SoftwareDrawSurfaces SoftwareDrawState;

// Opens the bracket for drawing `source` (a 2D surface, or null) whose
// rectangle `source_rect` (inside the 2D surface) lands on `dest_rect` of
// the draw target. With `hardware_allowed` 1 a plain copy between two
// DirectDraw surfaces of the same kind of memory is done by BltFast
// (UseHardwareBlit). `option` 1 lets a target in a converted format be
// locked directly when nothing blends; `color1` and `color2` (or null) are
// converted like the target's pixels. 0, or -1 when the destination clipped
// to DrawArea is empty or a lock fails (nothing stays locked).
int BeginSoftwareDraw(const Surface2DRecord* source, int32_t hardware_allowed,
                      const RECT* source_rect, const RECT* dest_rect, int32_t option,
                      uint32_t* color1, uint32_t* color2);
// Converts back, unlocks and copies back. 0.
int EndSoftwareDraw();

// Draws a 2D surface at (x, y) of the draw target. 0 or -1.
int RenderSurface2DSoftware(int32_t x, int32_t y, int32_t surface, int32_t transparent);
// Draws the graphic's first 2D surface at (x, y); `x` and `y` are the bit
// patterns of floats (truncated) unless `integer_flag` is 1. 0 or -1.
int RenderGraphicSoftware(int32_t x, int32_t y, const GraphicRecord* graphic, int32_t transparent,
                          int32_t integer_flag);
// Draws a batch of line records. 0 or -1.
int RenderLinesSoftware(const LineRecord* lines, int32_t count);
