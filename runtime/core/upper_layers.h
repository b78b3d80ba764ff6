// Procedures of the runtime's upper layers that lower layers call at run time.
//
// A file includes only headers of its own folder and of the folders below it,
// yet a few rules make lower code call upward while it runs: drawing and
// input wait out an inactive window through message processing, sound waits
// step message processing, the screen-mode switch restyles the main window
// and starts the debug console, presenting draws that console, and a fatal
// error ends the whole library. The system layer (the top) registers these
// procedures when the library starts (InstallUpperLayers in
// runtime/system/library.h) and takes them away at its end. While none is
// registered, each call below does nothing and answers 0.
#pragma once

struct UpperLayerProcedures {
  int (*process_message)();       // message processing: 0, or -1 once the window is closed
  void (*wait_while_inactive)();  // holds the caller back while the window is inactive
  int (*end_library)();           // library shut-down
  int (*restyle_main_window)();   // the styles, size and place of the current mode
  int (*init_debug_console)();    // starts the on-screen debug console
  int (*is_debug_console_shown)();
  int (*draw_debug_console)();    // draws the console over the draw screen
};

// The registered procedures; all null until the system layer registers them.
extern UpperLayerProcedures UpperLayers;

// The calls lower layers make: each runs the registered procedure, or does
// nothing and answers 0 while none is registered.
int UpperProcessMessage();
void UpperWaitWhileInactive();
int UpperEndLibrary();
int UpperRestyleMainWindow();
int UpperInitDebugConsole();
int UpperIsDebugConsoleShown();
int UpperDrawDebugConsole();
