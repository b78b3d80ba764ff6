// The rectangle clipping entry. It takes no library lock: runtime code calls
// it from inside locked work, and it touches only the caller's rectangles.
#include "runtime/image/clip_rect.h"
#include "runtime/system/api_runtime.h"

int32_t ApiClipRect(RECT* rect, const RECT* clip) { return ClipRect(rect, clip); }
