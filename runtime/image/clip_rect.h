// Clipping of one rectangle to another (right and bottom exclusive), used by
// every drawing path.
#pragma once

#include "platform/win32/types.h"

// Clips `rect` in place to `clip`: first a right below left becomes left and
// a bottom below top becomes top; then bottom and top are clamped into
// [clip.top, clip.bottom] and right and left into [clip.left, clip.right].
// A rectangle wholly outside ends with zero width or height, never negative.
// Returns 0.
int ClipRect(RECT* rect, const RECT* clip);
