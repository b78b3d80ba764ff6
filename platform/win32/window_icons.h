// The icons and the cursor the window stand-in hands out: the system's
// application icon, the program's icon resource (a small image compiled into
// the program) and the arrow cursor.
#pragma once

#include <cstdint>

#include "platform/win32/user.h"

constexpr uintptr_t kProgramIconResource = 102;

enum IconKind {
  kApplicationIcon = 1,
  kProgramIcon = 2,
  kArrowCursor = 3,
};

HICON IconHandle(IconKind kind);
// The icon's pixels in ARGB, `width` a row; null for a handle that is no icon.
const uint32_t* IconPixels(HICON icon, int* width, int* height);
