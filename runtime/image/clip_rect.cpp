// Clipping of one rectangle to another.
#include "runtime/image/clip_rect.h"

namespace {

LONG Clamp(LONG value, LONG low, LONG high) {
  if (value > high) return high;
  if (value < low) return low;
  return value;
}

}  // namespace

int ClipRect(RECT* rect, const RECT* clip) {
  if (rect->right < rect->left) rect->right = rect->left;
  if (rect->bottom < rect->top) rect->bottom = rect->top;
  rect->bottom = Clamp(rect->bottom, clip->top, clip->bottom);
  rect->top = Clamp(rect->top, clip->top, clip->bottom);
  rect->right = Clamp(rect->right, clip->left, clip->right);
  rect->left = Clamp(rect->left, clip->left, clip->right);
  return 0;
}
