// The runtime's log ("Log.txt", time-stamped, indented lines with CR LF ends,
// also sent to the debugger output) and the text of the on-screen debug
// console.
#pragma once

#include <cstdint>

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

// The debug console: prints keep a fixed buffer of 80 text lines.
int InitDebugConsole();
int DebugConsolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
int IsDebugConsoleShown();
