#include "runtime/graphics/state/screen_state.h"

ScreenState Screen;
