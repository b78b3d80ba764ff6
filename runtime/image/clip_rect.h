// Clipping of one rectangle to another (right and bottom exclusive), used by
// every drawing path. Inline: the blits clip twice per call, and a call
// through memory costs more than the clipping.
#pragma once

#include "platform/win32/types.h"

inline LONG ClampToRange(LONG value, LONG low, LONG high) {
  if (value > high) return high;
  if (value < low) return low;
  return value;
}

// Clips `rect` in place to `clip`: first a right below left becomes left and
// a bottom below top becomes top; then bottom and top are clamped into
// [clip.top, clip.bottom] and right and left into [clip.left, clip.right].
// A rectangle wholly outside ends with zero width or height, never negative.
// Returns 0.
inline int ClipRect(RECT* rect, const RECT* clip) {
  if (rect->right < rect->left) rect->right = rect->left;
  if (rect->bottom < rect->top) rect->bottom = rect->top;
  rect->bottom = ClampToRange(rect->bottom, clip->top, clip->bottom);
  rect->top = ClampToRange(rect->top, clip->top, clip->bottom);
  rect->right = ClampToRange(rect->right, clip->left, clip->right);
  rect->left = ClampToRange(rect->left, clip->left, clip->right);
  return 0;
}
