// The runtime's log ("Log.txt", time-stamped, indented lines with CR LF ends,
// also sent to the debugger output) and the text of the on-screen debug
// console.
#pragma once

#include <cstdint>

// 1 = no log file and no debugger output (set through SetLogOutputFlag).
extern int LogOffFlag;
// 1 when the library works in a window the caller supplied: log text then
// goes only to the debugger output. Belongs with the main window; default 0.
extern int UserWindowFlag;
// 1 = the log file is named after the local time at InitLog
// ("Log<year>_<month>_<day>_<hour>_<minute>_<second>.txt"); default 0.
extern int LogDatedNameFlag;

// The folder the log file is written in (library start-up gives it the
// current folder); null or empty means no log file.
void SetLogFolder(const char* folder);

// Starts the log (an empty file in the log folder); 1.
int InitLog();
// Appends `text`; always -1, so error paths can return its result.
int LogAdd(const char* text);
// Formats into a 1024-byte buffer, adds "\n" and logs it; -1.
int LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// 1 = write the log, 0 = no log file and no debugger output; 0.
int SetLogOutputFlag(int on);
// Raise and lower the indent of new lines; 0. They take no lock.
int IncreaseLogIndent();
int DecreaseLogIndent();

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
