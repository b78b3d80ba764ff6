// Presenting the screen once a frame (paced by the display's vertical
// blank), keeping the front screen up to date while it is the draw target,
// and pointing 2D drawing at the surface or software image of the draw
// target.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/graphics/state/screen_state.h"

struct IDirectDrawSurface7;


// Shows the back screen: a flip in exclusive full screen, else the copying
// and software paths. 0, or -1 without DirectDraw while acceleration is on.
int PresentScreen();
// The copying and software paths of presenting the back screen. 0, or -1
// without DirectDraw while acceleration is on.
int ShowBackScreenSoftware();
// Waits for `count` vertical blanks (0: until one begins) while processing
// window messages. 0, or -1 without a DirectDraw object or when message
// processing reports the end.
int WaitVSync(int32_t count);
// The paced wait before a window-mode copy: waits for the next blank unless
// one is under way. Returns the millisecond time it stored.
uint32_t WaitFramePacedVBlank();
// Copies between the window's part of PrimarySurface and
// TemporaryPrimarySurface (only when both exist). 0.
int CopyFrontToBackSurface();
int CopyBackToFrontSurface();
// The front screen's timer (id 32767, every 17 ms) and its callback, used
// while the front screen is drawn on TemporaryPrimarySurface.
void StartFrontScreenTimer();
void StopFrontScreenTimer();
void FrontScreenTimerProc();

// Points 2D drawing at the surface or software image of `new_target` (-4
// front screen, -2 back screen, else a graphic). 0, or -1 for a graphic that
// has no surface.
int SetDrawTarget2D(int32_t new_target, int32_t old_target);
// Clears the draw target with BackgroundColor. 0, or -1 while 2D drawing
// cannot run.
int ClearDrawTarget2D();
// Keeps the GDI surface visible (1) or not. 0.
int SetShowGdiSurface(int32_t flag);

// Software drawing on the front screen: brings the front image up to date
// with what is shown before drawing, and shows a rectangle of it after.
void SyncFrontMemImage();
// 0, or -1 when the screen surface cannot be locked.
int TransferFrontMemImageRect(const RECT* rect);

// Accessors.
IDirectDrawSurface7* GetBackSurface();
IDirectDrawSurface7* GetWorkSurface();
