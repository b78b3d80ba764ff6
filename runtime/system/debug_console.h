// The on-screen debug console: printed text kept in a fixed buffer of lines,
// laid out with the console font and drawn over the draw screen by every
// screen flip while it is shown.
#pragma once

// The debug console: prints keep a fixed buffer of 80 text lines of up to
// 254 bytes each. Printing does nothing until InitDebugConsole ran.
constexpr int kDebugConsoleLines = 80;
constexpr int kDebugConsoleLineBytes = 255;  // NUL included

// Starts the console (once; later calls return 0); 0.
int InitDebugConsole();
// Marks the console not started (library shut-down); 0.
int EndDebugConsole();
// Formats into a 1024-byte buffer, marks the console shown and adds the text;
// 0.
int DebugConsolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
int IsDebugConsoleShown();
// Draws the console's lines over the draw screen (the screen flip calls it
// while the console is shown). 0.
int DrawDebugConsole();
// The number of lines that fit the screen (at most 80), and the text of line
// `index` (nullptr outside 0 to 79).
int DebugConsoleUsableLines();
const char* DebugConsoleLineText(int index);
