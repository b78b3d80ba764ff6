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
