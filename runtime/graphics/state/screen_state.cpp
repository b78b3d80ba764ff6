#include "runtime/graphics/screen_state.h"

ScreenState Screen;
