// Procedures of the runtime's upper layers that lower layers call at run time.
#include "runtime/core/upper_layers.h"

UpperLayerProcedures UpperLayers = {};

int UpperProcessMessage() {
  return UpperLayers.process_message != nullptr ? UpperLayers.process_message() : 0;
}

void UpperWaitWhileInactive() {
  if (UpperLayers.wait_while_inactive != nullptr) UpperLayers.wait_while_inactive();
}

int UpperEndLibrary() {
  return UpperLayers.end_library != nullptr ? UpperLayers.end_library() : 0;
}

int UpperRestyleMainWindow() {
  return UpperLayers.restyle_main_window != nullptr ? UpperLayers.restyle_main_window() : 0;
}

int UpperInitDebugConsole() {
  return UpperLayers.init_debug_console != nullptr ? UpperLayers.init_debug_console() : 0;
}

int UpperIsDebugConsoleShown() {
  return UpperLayers.is_debug_console_shown != nullptr ? UpperLayers.is_debug_console_shown()
                                                       : 0;
}

int UpperDrawDebugConsole() {
  return UpperLayers.draw_debug_console != nullptr ? UpperLayers.draw_debug_console() : 0;
}
