// Library start-up and shut-down: InitLibrary brings the whole runtime up in
// its fixed order on the game thread and EndLibrary takes it down again.
// The start-up settings and FatalExit are in runtime/core/library_state.h.
#pragma once

#include <cstdint>

#include "runtime/core/library_state.h"
#include "runtime/core/system_info.h"

// Starts the runtime: 0, or -1 (what was started is ended again, except
// after the 24-bit colour refusal, which comes before anything is made).
int InitLibrary();
// Ends the runtime and writes the live memory blocks to the log. 0.
int EndLibrary();

// Starts COM: 0, or -1 when this library started it already or it cannot
// start.
int InitCom();

// Registers the system layer's procedures that lower layers call at run time
// (runtime/core/upper_layers.h) and the higher graphics rooms' procedures
// that lower rooms call (runtime/graphics/state/graphics_hooks.h). InitLibrary
// does it first; EndLibrary takes them away last. 0.
int InstallUpperLayers();
int RemoveUpperLayers();
