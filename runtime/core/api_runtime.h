// API entries whose arguments or results are runtime types. Runtime code
// only: game code reaches the runtime through runtime/core/api.h.
#pragma once

// The address of the screen's state block; nullptr while there is no screen.
void* ApiGetScreenStateBlock();
