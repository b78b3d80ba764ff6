// Library start-up and shut-down: InitLibrary brings the whole runtime up in
// its fixed order on the game thread, EndLibrary takes it down again, and
// FatalExit ends the process after an unrecoverable error.
#pragma once

#include <cstdint>

#include "runtime/core/system_info.h"

// ---- Start-up settings (made before start-up; they survive it) ---------------
// NoWindowFlag (the library runs without a window of its own) lives with the
// main window. These leave out one subsystem's start; default 0.
extern int32_t SkipInputFlag;
extern int32_t SkipSoundFlag;
extern int32_t SkipGraphicsFlag;

// ---- State ------------------------------------------------------------------------
// 1 while InitLibrary runs. (LibraryRunningFlag, 1 from late in start-up
// until shut-down begins, lives with the clock state in primitives.h.)
extern int32_t InitRunningFlag;
// 1 while COM was started by this library.
extern int32_t ComStartedFlag;

// Starts the runtime: 0, or -1 (what was started is ended again, except
// after the 24-bit colour refusal, which comes before anything is made).
int InitLibrary();
// Ends the runtime and writes the live memory blocks to the log. 0.
int EndLibrary();

// Starts COM: 0, or -1 when this library started it already or it cannot
// start.
int InitCom();

// Logs `message` and "\n", ends the library, destroys the library lock and
// ends the process with exit code -1.
[[noreturn]] void FatalExit(const char* message);
// Formats into a 1024-byte buffer and calls FatalExit.
[[noreturn]] void FatalExitFormatted(const char* format, ...)
    __attribute__((format(printf, 1, 2)));
